#pragma once

// Workspace files (".tervik"): one command a line, CR LF written, CR LF or LF read.
//   FILE_OPEN "<path>",MD5=<md5>[,RECSIZE=n],TAB=n
//   WINDOWS ID=n,POSITION=(top,bottom,left,right),STATE=..[,POINT=(x,y)][,SPLITTER=n],
//           LINE=n,ROW=n,DUMP=n[,HIDE=ON],VIEW=TEXT|HEX|DUMP
//   SELECT_RECORD n[,COLOR=GREEN|RED|BLUE]
//   BOOKMARK TEXT="..",LINE=n,COLUMN=n,LEN=n,ID=n,FLAG=n
//   ACTIVE_VIEW ID=n
// The viewer's loader and the command line's dry run share the reader; the viewer's
// saver and "workspace new" share the writer.

#include "base/Colour.h"
#include "platform/ReplacingFile.h"
#include "platform/SysFile.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tervik {

class CTervikDoc;

// A line holds at most this many bytes; a longer line is skipped whole on reading.
inline constexpr size_t kWorkspaceMaxLine = 65535;
inline constexpr size_t kWorkspaceMaxBookmarkText = 255;

enum class WorkspaceState { kNormal, kMaximized, kMinimized, kOther };

struct WsRect {
    int32_t m_nTop = 0, m_nBottom = 0, m_nLeft = 0, m_nRight = 0;
    bool operator==(const WsRect&) const = default;
};
struct WsPoint {
    int32_t m_nX = 0, m_nY = 0;
    bool operator==(const WsPoint&) const = default;
};

struct WsFileOpen {
    std::string m_path;                // as stored (relative or absolute)
    std::string m_md5;                 // empty when absent
    std::optional<int64_t> m_nRecSize; // fixed record length
    std::optional<int64_t> m_nTab;
};

struct WsWindow {
    std::optional<WsRect> m_position;
    std::optional<std::string> m_state; // the stored text
    std::optional<WsPoint> m_point;
    std::optional<int64_t> m_nSplitter;
    std::optional<uint64_t> m_nId;
    std::optional<uint32_t> m_nLine; // m_nTopLine
    std::optional<uint32_t> m_nRow;  // m_nLeftColumn
    std::optional<int64_t> m_nDump;  // m_nDumpTop
    std::optional<int> m_nMode;      // 0 text, 1 hex, 2 dump; absent for another value
    bool m_bHide = false;            // only selected lines

    // The state as the loader applies it (NORMAL/MAXIMIZED/MINIMIZED exactly);
    // nullopt without STATE.
    std::optional<WorkspaceState> State() const;
};

struct WsSelectRecord {
    uint32_t m_nRecord = 0;
    int m_nColour = 0; // 0 blue, 1 red, 2 green
};

struct WsBookmark {
    std::optional<std::string> m_text; // at most 255 bytes, quotes undoubled
    std::optional<uint32_t> m_nLine, m_nColumn, m_nLen;
    uint64_t m_nViewId = 0; // 0 when absent
    uint32_t m_nFlag = 0;   // 0 when absent
    // A bookmark without TEXT, LINE, COLUMN or LEN is dropped.
    bool IsComplete() const { return m_text && m_nLine && m_nColumn && m_nLen; }
};

// One line of a workspace file, parsed.
struct WorkspaceLine {
    enum Kind {
        kIgnored,
        kFileOpen,
        kWindows,
        kSelectRecord,
        kBookmark,
        kActiveView
    } m_eKind = kIgnored;
    // The command word is one of the workspace keywords (even when the line is
    // ignored for want of an argument): a file with none is no workspace.
    bool m_bKeyword = false;
    // kFileOpen: false when the argument does not begin with a quote (nothing is opened
    // and there is no current document afterwards).
    bool m_bHasPath = false;
    WsFileOpen m_fileOpen;
    WsWindow m_window;
    WsSelectRecord m_select;
    WsBookmark m_bookmark;
    std::optional<uint64_t> m_nActiveId; // kActiveView
};

// Parses one line (line end already cut, or still there: it is cut at the first CR
// and at the first LF). Command words in any case, keys in upper case. A line without
// an argument, an unknown command and a SELECT_RECORD without a leading record number
// are kIgnored.
WorkspaceLine ParseWorkspaceLine(std::string_view line);

// A file that holds bytes but not one workspace command line is something else (a
// log chosen by mistake): loading it must not make it the workspace, which saving
// would then overwrite. An empty file is an empty workspace.
bool IsForeignToWorkspace(uint64_t nFileBytes, bool bSawKeyword);

// What a workspace cannot store of its documents' names: nullopt when it can hold
// them all, else the message that refuses the first it cannot. A name with a double
// quote would end the quoted path early and open another file.
std::optional<std::string> WorkspaceNamesRefusal(const std::string& workspace,
                                                 const std::vector<std::string>& paths);

// Whether two digests are the same, without regard to case.
bool SameWorkspaceDigest(std::string_view a, std::string_view b);
// The information that a document's content has changed since the workspace was saved.
std::string ChangedFileMessage(const std::string& path);

// --- writer: each answers the line with its CR LF ---
std::string WorkspaceFileOpenLine(const WsFileOpen& f);
// Writes ID, POSITION, STATE (and POINT for MAXIMIZED/MINIMIZED), SPLITTER when set,
// LINE, ROW, DUMP, HIDE=ON when set, VIEW. Absent numbers are written as 0, an absent
// mode as TEXT, an absent or unknown state as NORMAL.
std::string WorkspaceWindowLine(const WsWindow& w);
std::string WorkspaceSelectLine(uint32_t nRecord, std::optional<int> nColour);
// The text is cut to 255 bytes; quotes inside are doubled.
std::string WorkspaceBookmarkLine(const WsBookmark& b);
std::string WorkspaceActiveLine(uint64_t nViewId);

// The colour key the writer gives a selected record with that text colour: the
// settings are compared green, red, blue; nullopt when none matches.
std::optional<int> WorkspaceColourOf(COLORREF text, const ColorSettings& c);

// Appends the SELECT_RECORD lines of a document, ascending, walking the selected-line
// index (never every record).
void AppendSelectRecordLines(const CTervikDoc& doc, const ColorSettings& c, std::string& out);

// Applies one SELECT_RECORD to a document: a record that does not exist is ignored; a
// record already selected (the same file listed twice) takes the new colour and is not
// counted again. True when the record exists.
bool ApplySelectRecord(CTervikDoc& doc, const WsSelectRecord& s);

// What a workspace records of one document, without windows: the document gives
// its name, digest, record length, tab width and selected lines.
struct WsDocument {
    CTervikDoc* m_pDoc = nullptr;
    // One per view: the panes of a split window together, upper first.
    std::vector<WsWindow> m_windows;
    std::vector<WsBookmark> m_bookmarks;
};
// Appends a document's lines: FILE_OPEN (its name relative to the workspace where it
// can be), WINDOWS, SELECT_RECORD, BOOKMARK. Waits for the document's digest.
void AppendWorkspaceDocument(const std::string& workspace, const WsDocument& d,
                             const ColorSettings& c, std::string& out);

// --- paths ---
// Native forms: '/' and case-sensitive folder names here, '\' and case-blind on
// Windows. A document in the workspace's folder or below becomes ".<sep>rest".
std::string MakeRelativePath(const std::string& workspace, const std::string& path);
// ".\rest" or "./rest" becomes the workspace's folder + rest (either separator in the
// rest read as the native one); anything else stays.
std::string ResolveRelativePath(const std::string& workspace, const std::string& path);
// The same with the rules spelled out (tests check both systems' forms).
std::string MakeRelativePathWith(const std::string& workspace, const std::string& path, char cSep,
                                 bool bCaseBlind);
std::string ResolveRelativePathWith(const std::string& workspace, const std::string& path,
                                    char cSep);

// --- files ---
// Reads a workspace file line by line: a line ends at LF; lines longer than 65535
// bytes are skipped whole.
class CWorkspaceReader {
public:
    enum Result { kLine, kEnd, kError };
    bool Open(const std::string& path, uint32_t& nError);
    Result NextLine(std::string& line, uint32_t& nError);
    // For progress: the file's size when it was opened and the bytes read so far.
    uint64_t FileSize() const { return m_nFileSize; }
    uint64_t BytesRead() const { return m_nBytesRead; }
    // The lines of a workspace held in memory, cut exactly as from a file.
    static std::vector<std::string> SplitLines(std::string_view text);

private:
    static bool CutLine(std::string_view data, bool bAtEnd, bool& bSkipping, std::string& line,
                        size_t& nUsed, bool& bGot);
    CSysFile m_file;
    std::string m_buffer;
    size_t m_nPos = 0;
    bool m_bAtEnd = false;
    bool m_bSkipping = false;
    uint64_t m_nFileSize = 0;
    uint64_t m_nBytesRead = 0;
};

// Writes a workspace file, buffered, into a temporary file beside it that replaces
// the old one only when all is written; the old workspace stays whole until then.
class CWorkspaceWriter {
public:
    bool Create(const std::string& path);
    bool Put(std::string_view s);
    // Writes the rest and puts the file in place of the old one; false on an error,
    // after which the temporary file is still there for Discard or Keep (destroying
    // the writer discards it).
    bool Commit();
    void Discard() { m_file.Discard(); }
    void Keep() { m_file.Keep(); }
    // The temporary file; empty when it was never created or is gone.
    const std::string& TempPath() const { return m_file.TempPath(); }
    uint32_t LastError() const { return m_nError; }

private:
    bool Flush();
    CReplacingFile m_file;
    std::string m_buffer;
    uint32_t m_nError = 0;
};

} // namespace tervik
