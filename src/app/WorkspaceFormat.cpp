#include "app/WorkspaceFormat.h"

#include "base/Strings.h"
#include "document/RecordEntry.h"
#include "document/TervikDoc.h"
#include "platform/CodePage.h"
#include "platform/SysPaths.h"
#include "search/SelectionScript.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <limits>

namespace tervik {

namespace {

bool EqualAsciiNoCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::toupper(static_cast<unsigned char>(x)) ==
                      std::toupper(static_cast<unsigned char>(y));
           });
}

// An unsigned decimal as sscanf's %u or %I64u would take it (blanks, digits); values
// beyond the type saturate so a huge record number never wraps to a small one.
template <typename T> std::optional<T> ParseUnsigned(std::string_view s) {
    size_t i = 0;
    while (i < s.size() && (s[i] == ' ' || s[i] == '\t'))
        ++i;
    if (i < s.size() && s[i] == '+') ++i;
    if (i >= s.size() || !std::isdigit(static_cast<unsigned char>(s[i]))) return std::nullopt;
    T n = 0;
    bool bOver = false;
    for (; i < s.size() && std::isdigit(static_cast<unsigned char>(s[i])); ++i) {
        const T d = static_cast<T>(s[i] - '0');
        if (n > (std::numeric_limits<T>::max() - d) / 10) bOver = true;
        if (!bOver) n = static_cast<T>(n * 10 + d);
    }
    return bOver ? std::numeric_limits<T>::max() : n;
}

// A signed 64-bit decimal (a dump offset may pass any smaller limit), saturating.
std::optional<int64_t> ParseSigned(std::string_view s) {
    size_t i = 0;
    while (i < s.size() && (s[i] == ' ' || s[i] == '\t'))
        ++i;
    const bool bMinus = i < s.size() && s[i] == '-';
    if (i < s.size() && (s[i] == '-' || s[i] == '+')) ++i;
    const auto n = ParseUnsigned<uint64_t>(s.substr(i));
    if (!n || (i < s.size() && (s[i] == ' ' || s[i] == '+' || s[i] == '-'))) return std::nullopt;
    if (bMinus) return *n > uint64_t(INT64_MAX) ? INT64_MIN : -static_cast<int64_t>(*n);
    return *n > uint64_t(INT64_MAX) ? INT64_MAX : static_cast<int64_t>(*n);
}

int32_t Clamp32(int64_t n) {
    return static_cast<int32_t>(std::clamp<int64_t>(n, INT32_MIN, INT32_MAX));
}

// "(a,b,...)" into up to four numbers; false unless all nWant are there.
bool ParseTuple(std::string_view s, int32_t* pOut, size_t nWant) {
    if (s.empty() || s.front() != '(') return false;
    size_t nPos = 1;
    for (size_t i = 0; i < nWant; ++i) {
        int64_t n = 0;
        if (!ScanNumber(s, nPos, n)) return false;
        pOut[i] = Clamp32(n);
        if (i + 1 < nWant) {
            if (nPos >= s.size() || s[nPos] != ',') return false;
            ++nPos;
        }
    }
    return true;
}

bool Take(std::string& rest, std::string_view key, std::string& value) {
    value.clear();
    // TakeScriptValue answers 0 for an empty value too; an empty value counts as absent.
    return TakeScriptValue(rest, key, value) > 0;
}

void AppendNumber(std::string& s, int64_t n) {
    char tmp[24];
    const auto r = std::to_chars(tmp, tmp + sizeof tmp, n);
    s.append(tmp, r.ptr);
}
void AppendUnsigned(std::string& s, uint64_t n) {
    char tmp[24];
    const auto r = std::to_chars(tmp, tmp + sizeof tmp, n);
    s.append(tmp, r.ptr);
}

constexpr const char* kModes[] = {"TEXT", "HEX", "DUMP"};
constexpr const char* kColours[] = {"BLUE", "RED", "GREEN"};

#ifdef _WIN32
constexpr char kNativeSep = '\\';
constexpr bool kCaseBlind = true;
#else
constexpr char kNativeSep = '/';
constexpr bool kCaseBlind = false;
#endif

constexpr std::string_view kKeywords[] = {"FILE_OPEN", "WINDOWS", "SELECT_RECORD", "BOOKMARK",
                                          "ACTIVE_VIEW"};

bool IsKeyword(std::string_view word) {
    return std::any_of(std::begin(kKeywords), std::end(kKeywords),
                       [word](std::string_view k) { return EqualAsciiNoCase(word, k); });
}

} // namespace

bool IsForeignToWorkspace(uint64_t nFileBytes, bool bSawKeyword) {
    return nFileBytes > 0 && !bSawKeyword;
}

std::optional<std::string> WorkspaceNamesRefusal(const std::string& workspace,
                                                 const std::vector<std::string>& paths) {
    for (const std::string& path : paths) {
        std::string text8;
        if (!PathToFileText(MakeRelativePath(workspace, path), text8))
            return FormatString(IDS_PATH_NOT_ANSI, PathToAnsi(path).c_str());
        if (text8.find('"') != std::string::npos)
            return FormatString(IDS_PATH_HAS_QUOTE, PathToAnsi(path).c_str());
    }
    return std::nullopt;
}

bool SameWorkspaceDigest(std::string_view a, std::string_view b) {
    return EqualAsciiNoCase(a, b);
}

std::string ChangedFileMessage(const std::string& path) {
    return FormatString(IDS_FILE_CHANGED, PathToAnsi(path).c_str());
}

std::optional<WorkspaceState> WsWindow::State() const {
    if (!m_state) return std::nullopt;
    if (*m_state == "NORMAL") return WorkspaceState::kNormal;
    if (*m_state == "MAXIMIZED") return WorkspaceState::kMaximized;
    if (*m_state == "MINIMIZED") return WorkspaceState::kMinimized;
    return WorkspaceState::kOther;
}

WorkspaceLine ParseWorkspaceLine(std::string_view line) {
    WorkspaceLine out;
    line = line.substr(0, std::min(line.find('\r'), line.find('\n')));
    const size_t nSpace = line.find(' ');
    if (nSpace == std::string_view::npos) {
        out.m_bKeyword = IsKeyword(line);
        return out;
    }
    const std::string_view command = line.substr(0, nSpace);
    out.m_bKeyword = IsKeyword(command);
    size_t nArg = nSpace;
    while (nArg < line.size() && line[nArg] == ' ')
        ++nArg;
    if (nArg >= line.size()) return out;
    std::string rest(line.substr(nArg));
    std::string v;

    if (EqualAsciiNoCase(command, "FILE_OPEN")) {
        out.m_eKind = WorkspaceLine::kFileOpen;
        if (rest.front() == '"') {
            const size_t nEnd = rest.find('"', 1);
            out.m_bHasPath = true;
            out.m_fileOpen.m_path = FileTextToPath(
                rest.substr(1, nEnd == std::string::npos ? std::string::npos : nEnd - 1));
            rest.erase(0, nEnd == std::string::npos ? rest.size() : nEnd + 1);
        }
        if (Take(rest, "MD5", v)) out.m_fileOpen.m_md5 = v;
        if (Take(rest, "RECSIZE", v)) out.m_fileOpen.m_nRecSize = ParseSigned(v);
        if (Take(rest, "TAB", v)) out.m_fileOpen.m_nTab = ParseSigned(v);
    } else if (EqualAsciiNoCase(command, "WINDOWS")) {
        out.m_eKind = WorkspaceLine::kWindows;
        WsWindow& w = out.m_window;
        // The loader's order for a further window; keys are only found at an option
        // start, so the order cannot change what is read.
        if (Take(rest, "SPLITTER", v)) w.m_nSplitter = ParseSigned(v);
        WsRect r;
        if (Take(rest, "POSITION", v) && ParseTuple(v, &r.m_nTop, 4)) w.m_position = r;
        if (Take(rest, "STATE", v)) w.m_state = v;
        WsPoint p;
        if (Take(rest, "POINT", v) && ParseTuple(v, &p.m_nX, 2)) w.m_point = p;
        if (Take(rest, "ID", v)) w.m_nId = ParseUnsigned<uint64_t>(v);
        if (Take(rest, "LINE", v)) w.m_nLine = ParseUnsigned<uint32_t>(v);
        if (Take(rest, "ROW", v)) w.m_nRow = ParseUnsigned<uint32_t>(v);
        if (Take(rest, "DUMP", v)) w.m_nDump = ParseSigned(v);
        if (Take(rest, "VIEW", v)) {
            for (int i = 0; i < 3; ++i)
                if (EqualAsciiNoCase(v, kModes[i])) w.m_nMode = i;
        }
        if (Take(rest, "HIDE", v)) w.m_bHide = EqualAsciiNoCase(v, "ON");
    } else if (EqualAsciiNoCase(command, "SELECT_RECORD")) {
        const auto nRecord = ParseUnsigned<uint64_t>(rest);
        if (!nRecord) return out;
        out.m_eKind = WorkspaceLine::kSelectRecord;
        // Beyond 32 bits: a record no file has, ignored when applied.
        out.m_select.m_nRecord = static_cast<uint32_t>(std::min<uint64_t>(*nRecord, UINT32_MAX));
        if (Take(rest, "COLOR", v)) {
            if (EqualAsciiNoCase(v, "GREEN"))
                out.m_select.m_nColour = 2;
            else if (EqualAsciiNoCase(v, "RED"))
                out.m_select.m_nColour = 1;
        }
    } else if (EqualAsciiNoCase(command, "BOOKMARK")) {
        out.m_eKind = WorkspaceLine::kBookmark;
        WsBookmark& b = out.m_bookmark;
        if (Take(rest, "ID", v)) b.m_nViewId = ParseUnsigned<uint64_t>(v).value_or(0);
        if (Take(rest, "TEXT", v)) b.m_text = v.substr(0, kWorkspaceMaxBookmarkText);
        if (Take(rest, "LINE", v)) b.m_nLine = ParseUnsigned<uint32_t>(v);
        if (Take(rest, "COLUMN", v)) b.m_nColumn = ParseUnsigned<uint32_t>(v);
        if (Take(rest, "LEN", v)) b.m_nLen = ParseUnsigned<uint32_t>(v);
        if (Take(rest, "FLAG", v)) b.m_nFlag = ParseUnsigned<uint32_t>(v).value_or(0);
    } else if (EqualAsciiNoCase(command, "ACTIVE_VIEW")) {
        out.m_eKind = WorkspaceLine::kActiveView;
        if (Take(rest, "ID", v)) out.m_nActiveId = ParseUnsigned<uint64_t>(v);
    }
    return out;
}

std::string WorkspaceFileOpenLine(const WsFileOpen& f) {
    // Writers refuse a name the file cannot hold before (PathToFileText tells).
    std::string path;
    PathToFileText(f.m_path, path);
    std::string s = "FILE_OPEN \"" + path + "\",MD5=" + f.m_md5;
    if (f.m_nRecSize) {
        s += ",RECSIZE=";
        AppendNumber(s, *f.m_nRecSize);
    }
    s += ",TAB=";
    AppendNumber(s, f.m_nTab.value_or(0));
    s += "\r\n";
    return s;
}

std::string WorkspaceWindowLine(const WsWindow& w) {
    const WsRect r = w.m_position.value_or(WsRect{});
    const WsPoint p = w.m_point.value_or(WsPoint{});
    std::string s = "WINDOWS ID=";
    AppendUnsigned(s, w.m_nId.value_or(0));
    s += ",POSITION=(";
    for (const int32_t n : {r.m_nTop, r.m_nBottom, r.m_nLeft, r.m_nRight}) {
        AppendNumber(s, n);
        s += ',';
    }
    s.back() = ')';
    const auto state = w.State().value_or(WorkspaceState::kNormal);
    if (state == WorkspaceState::kMaximized || state == WorkspaceState::kMinimized) {
        s += state == WorkspaceState::kMaximized ? ",STATE=MAXIMIZED,POINT=("
                                                 : ",STATE=MINIMIZED,POINT=(";
        AppendNumber(s, p.m_nX);
        s += ',';
        AppendNumber(s, p.m_nY);
        s += ')';
    } else {
        s += ",STATE=NORMAL";
    }
    if (w.m_nSplitter) {
        s += ",SPLITTER=";
        AppendNumber(s, *w.m_nSplitter);
    }
    s += ",LINE=";
    AppendUnsigned(s, w.m_nLine.value_or(0));
    s += ",ROW=";
    AppendUnsigned(s, w.m_nRow.value_or(0));
    s += ",DUMP=";
    AppendNumber(s, w.m_nDump.value_or(0));
    if (w.m_bHide) s += ",HIDE=ON";
    s += ",VIEW=";
    s += kModes[std::clamp(w.m_nMode.value_or(0), 0, 2)];
    s += "\r\n";
    return s;
}

std::string WorkspaceSelectLine(uint32_t nRecord, std::optional<int> nColour) {
    std::string s = "SELECT_RECORD ";
    AppendUnsigned(s, nRecord);
    if (nColour && *nColour >= 0 && *nColour <= 2) {
        s += ",COLOR=";
        s += kColours[*nColour];
    }
    s += "\r\n";
    return s;
}

std::string WorkspaceBookmarkLine(const WsBookmark& b) {
    std::string s = "BOOKMARK TEXT=\"";
    const std::string text = b.m_text.value_or(std::string());
    for (const char c : std::string_view(text).substr(0, kWorkspaceMaxBookmarkText)) {
        // A line end cannot be stored; it would cut the line.
        if (c == '\r' || c == '\n') {
            s += ' ';
            continue;
        }
        if (c == '"') s += '"';
        s += c;
    }
    s += "\",LINE=";
    AppendUnsigned(s, b.m_nLine.value_or(0));
    s += ",COLUMN=";
    AppendUnsigned(s, b.m_nColumn.value_or(0));
    s += ",LEN=";
    AppendUnsigned(s, b.m_nLen.value_or(0));
    s += ",ID=";
    AppendUnsigned(s, b.m_nViewId);
    s += ",FLAG=";
    AppendUnsigned(s, b.m_nFlag);
    s += "\r\n";
    return s;
}

std::string WorkspaceActiveLine(uint64_t nViewId) {
    std::string s = "ACTIVE_VIEW ID=";
    AppendUnsigned(s, nViewId);
    s += "\r\n";
    return s;
}

std::optional<int> WorkspaceColourOf(COLORREF text, const ColorSettings& c) {
    if (text == c.m_crGreenMarker) return 2;
    if (text == c.m_crRedMarker) return 1;
    if (text == c.m_crBlueMarker) return 0;
    return std::nullopt;
}

void AppendSelectRecordLines(const CTervikDoc& doc, const ColorSettings& c, std::string& out) {
    uint32_t r = 0;
    for (bool bAny = doc.IsLineSelected(0, nullptr, nullptr) || doc.NextSelected(r); bAny;
         bAny = doc.NextSelected(r)) {
        const auto e = doc.Record(r);
        if (!e) break;
        COLORREF text = c.m_crBlueMarker;
        switch (e->m_nFlags & RF_COLOUR_MASK) {
        case RF_RED:
            text = c.m_crRedMarker;
            break;
        case RF_GREEN:
            text = c.m_crGreenMarker;
            break;
        default:
            break;
        }
        out += WorkspaceSelectLine(r, WorkspaceColourOf(text, c));
    }
}

void AppendWorkspaceDocument(const std::string& workspace, const WsDocument& d,
                             const ColorSettings& c, std::string& out) {
    CTervikDoc& doc = *d.m_pDoc;
    WsFileOpen f;
    f.m_path = MakeRelativePath(workspace, doc.GetPathName());
    f.m_md5 = doc.GetDigest();
    if (doc.m_nFixedSize != 0) f.m_nRecSize = doc.m_nFixedSize;
    f.m_nTab = doc.m_nTabSize;
    out += WorkspaceFileOpenLine(f);
    for (const WsWindow& w : d.m_windows)
        out += WorkspaceWindowLine(w);
    AppendSelectRecordLines(doc, c, out);
    for (const WsBookmark& b : d.m_bookmarks)
        out += WorkspaceBookmarkLine(b);
}

bool ApplySelectRecord(CTervikDoc& doc, const WsSelectRecord& s) {
    if (s.m_nRecord >= doc.m_nRecords) return false;
    const ColorSettings& c = doc.Host().Colours();
    const COLORREF colour = s.m_nColour == 2   ? c.m_crGreenMarker
                            : s.m_nColour == 1 ? c.m_crRedMarker
                                               : c.m_crBlueMarker;
    return doc.SetLineSelected(s.m_nRecord, true, &colour);
}

// --- paths ---

namespace {

bool StartsWith(std::string_view s, std::string_view prefix, bool bCaseBlind) {
    if (s.size() < prefix.size()) return false;
    return bCaseBlind ? EqualAsciiNoCase(s.substr(0, prefix.size()), prefix)
                      : s.substr(0, prefix.size()) == prefix;
}

} // namespace

std::string MakeRelativePathWith(const std::string& workspace, const std::string& path, char cSep,
                                 bool bCaseBlind) {
    const size_t nW = workspace.rfind(cSep);
    const size_t nP = path.rfind(cSep);
    if (nW == std::string::npos || nP == std::string::npos) return path;
    std::string wd = workspace.substr(0, nW);
    const std::string pd = path.substr(0, nP);
    const std::string name = path.substr(nP + 1);
    const std::string dot = std::string(".") + cSep;
    if (wd.size() == pd.size() && StartsWith(pd, wd, bCaseBlind)) return dot + name;
    if (wd.size() < pd.size()) wd += cSep;
    // A folder is only "below" when the prefix ends at a separator.
    if (wd.size() < pd.size() + 1 && StartsWith(pd, wd, bCaseBlind) && wd.back() == cSep)
        return dot + pd.substr(wd.size()) + cSep + name;
    return path;
}

std::string ResolveRelativePathWith(const std::string& workspace, const std::string& path,
                                    char cSep) {
    if (path.size() < 2 || path[0] != '.' || (path[1] != '\\' && path[1] != '/')) return path;
    const size_t nW = workspace.rfind(cSep);
    if (nW == std::string::npos) return path;
    std::string out = workspace.substr(0, nW);
    for (size_t i = 1; i < path.size(); ++i)
        out += path[i] == '\\' || path[i] == '/' ? cSep : path[i];
    return out;
}

std::string MakeRelativePath(const std::string& workspace, const std::string& path) {
    return MakeRelativePathWith(workspace, path, kNativeSep, kCaseBlind);
}

std::string ResolveRelativePath(const std::string& workspace, const std::string& path) {
    return ResolveRelativePathWith(workspace, path, kNativeSep);
}

// --- reader ---

bool CWorkspaceReader::Open(const std::string& path, uint32_t& nError) {
    m_buffer.clear();
    m_nPos = 0;
    m_bAtEnd = false;
    m_bSkipping = false;
    m_nFileSize = 0;
    m_nBytesRead = 0;
    if (!m_file.OpenRead(path, true)) {
        nError = m_file.LastError();
        return false;
    }
    m_nFileSize = static_cast<uint64_t>(std::max<int64_t>(0, m_file.Size()));
    return true;
}

bool CWorkspaceReader::CutLine(std::string_view data, bool bAtEnd, bool& bSkipping,
                               std::string& line, size_t& nUsed, bool& bGot) {
    bGot = false;
    nUsed = 0;
    if (data.empty()) return false;
    const size_t nLf = data.find('\n');
    if (nLf == std::string_view::npos && !bAtEnd) {
        // Not yet known where the line ends; a line already too long is dropped now.
        if (data.size() > kWorkspaceMaxLine + 1) {
            bSkipping = true;
            nUsed = data.size();
            return true;
        }
        return false;
    }
    const size_t nEnd = nLf == std::string_view::npos ? data.size() : nLf;
    nUsed = nLf == std::string_view::npos ? data.size() : nLf + 1;
    std::string_view text = data.substr(0, nEnd);
    if (!text.empty() && text.back() == '\r') text.remove_suffix(1);
    if (bSkipping || text.size() > kWorkspaceMaxLine) {
        bSkipping = false;
        return true;
    }
    line.assign(text);
    bGot = true;
    return true;
}

CWorkspaceReader::Result CWorkspaceReader::NextLine(std::string& line, uint32_t& nError) {
    constexpr size_t kChunk = 1 << 16;
    for (;;) {
        size_t nUsed = 0;
        bool bGot = false;
        if (CutLine(std::string_view(m_buffer).substr(m_nPos), m_bAtEnd, m_bSkipping, line, nUsed,
                    bGot)) {
            m_nPos += nUsed;
            if (bGot) return kLine;
            continue;
        }
        if (m_bAtEnd) return kEnd;
        m_buffer.erase(0, m_nPos);
        m_nPos = 0;
        const size_t nOld = m_buffer.size();
        m_buffer.resize(nOld + kChunk);
        const int64_t n = m_file.Read(m_buffer.data() + nOld, kChunk);
        if (n < 0) {
            m_buffer.resize(nOld);
            nError = m_file.LastError();
            return kError;
        }
        m_buffer.resize(nOld + static_cast<size_t>(n));
        m_nBytesRead += static_cast<uint64_t>(n);
        if (n == 0) m_bAtEnd = true;
    }
}

std::vector<std::string> CWorkspaceReader::SplitLines(std::string_view text) {
    std::vector<std::string> lines;
    bool bSkipping = false;
    std::string line;
    for (;;) {
        size_t nUsed = 0;
        bool bGot = false;
        if (!CutLine(text, true, bSkipping, line, nUsed, bGot)) break;
        text.remove_prefix(nUsed);
        if (bGot) lines.push_back(line);
    }
    return lines;
}

// --- writer ---

bool CWorkspaceWriter::Create(const std::string& path) {
    m_buffer.clear();
    m_nError = 0;
    if (!m_file.Begin(path)) {
        m_nError = m_file.LastError();
        return false;
    }
    return true;
}

bool CWorkspaceWriter::Flush() {
    if (m_nError != 0) return false;
    if (!m_buffer.empty() && !m_file.Write(m_buffer)) m_nError = m_file.LastError();
    m_buffer.clear();
    return m_nError == 0;
}

bool CWorkspaceWriter::Put(std::string_view s) {
    if (m_nError != 0) return false;
    m_buffer += s;
    return m_buffer.size() < (1u << 16) || Flush();
}

bool CWorkspaceWriter::Commit() {
    if (!Flush()) return false;
    if (!m_file.Commit()) m_nError = m_file.LastError();
    return m_nError == 0;
}

} // namespace tervik
