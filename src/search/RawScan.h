#pragma once

// What the search and the line selection share: the Escape check, the busy bracket,
// the once-a-second progress, and the raw scan that lets a run (forward or backward)
// skip every line that cannot hold the text it looks for.

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace tervik {

class CTervikDoc;
class IDocumentHost;

bool EscapePressed(CTervikDoc& doc);
bool EscapePressed(IDocumentHost& host);

// The wait cursor (and Escape counting) for the lifetime of the guard.
class CBusyGuard {
public:
    explicit CBusyGuard(IDocumentHost& host);
    ~CBusyGuard();
    CBusyGuard(const CBusyGuard&) = delete;
    CBusyGuard& operator=(const CBusyGuard&) = delete;

private:
    IDocumentHost& m_host;
};

// Shows the current line (dump: row) in the position pane, at most once a second.
class CProgress {
public:
    explicit CProgress(CTervikDoc& doc);
    void Show(uint64_t nLine);

private:
    using Clock = std::chrono::steady_clock;
    CTervikDoc& m_doc;
    Clock::time_point m_last;
};

// What a raw scan looks for: at each position the byte of m_bytes or the byte of
// m_other (the same byte where only one will do).
struct RawNeedle {
    std::string m_bytes;
    std::string m_other; // as long as m_bytes
};

// The bytes a raw scan of the document's file looks for so that it names every record
// whose display text holds lit (cp1252, lower-cased when bFold; the text compared with
// its tabs expanded when bExpandTabs); false candidates are allowed. Nothing when the
// file's bytes tell nothing sound about the display text (UTF-16, a literal of only
// tabs or substitutes): the caller then reads every line.
std::optional<RawNeedle> RawNeedleFor(const CTervikDoc& doc, std::string_view lit, bool bFold,
                                      bool bExpandTabs);

// First position in p[0..n) where the pattern starts. With bFold the pattern must be
// lower-cased and the bytes are folded on the fly; upper- and lower-case folding of
// cp1252 make the same classes, so callers that compare upper-cased text get the
// same answers. Jumps from one place of an anchor byte (in either case) to the next,
// so most bytes are only passed by memchr.
std::optional<size_t> FindFolded(const uint8_t* p, size_t n, std::string_view pat, bool bFold);
// The same with a chosen anchor: the pattern position whose byte memchr looks for.
std::optional<size_t> FindFolded(const uint8_t* p, size_t n, std::string_view pat, bool bFold,
                                 size_t nAnchor);
// The same for a needle: the first place where every byte is one of its position's two.
std::optional<size_t> FindNeedle(const uint8_t* p, size_t n, const RawNeedle& needle,
                                 size_t nAnchor);
// The same from the end: the last position in p[0..n) where the pattern or the needle
// starts, found by memrchr from the anchor's last place.
std::optional<size_t> FindFoldedLast(const uint8_t* p, size_t n, std::string_view pat, bool bFold);
std::optional<size_t> FindFoldedLast(const uint8_t* p, size_t n, std::string_view pat, bool bFold,
                                     size_t nAnchor);
std::optional<size_t> FindNeedleLast(const uint8_t* p, size_t n, const RawNeedle& needle,
                                     size_t nAnchor);
// The anchor that stops memchr least often: the pattern's least common byte (both
// cases when folding) in a sample of the text, or in text in general without one.
size_t AnchorPosition(std::string_view pat, bool bFold, const uint8_t* pSample, size_t nSample);
size_t AnchorPosition(const RawNeedle& needle, const uint8_t* pSample, size_t nSample);

// The longest part of a wildcard pattern with neither '*' nor '/': every match holds it.
std::string_view LongestLiteralRun(std::string_view pat);

// The record holding (or, in a line end, preceding) a file offset.
uint32_t RecordAtOffset(CTervikDoc& doc, uint64_t nOffset);

// Streams once through the file for a needle (from RawNeedleFor), forward or backward,
// and names the records where it occurs. Reads through the document's own window, so
// the text of a named record usually needs no further read.
class CRawScanner {
public:
    CRawScanner(CTervikDoc& doc, RawNeedle needle);

    // The first record at or after nRecord whose bytes hold the pattern; none when the
    // file holds no further occurrence, a read fails or Escape was pressed.
    std::optional<uint32_t> Next(uint32_t nRecord, CProgress& progress);
    // The last record at or before nRecord (a number behind the last record: the last
    // record) whose bytes hold the pattern; none as with Next.
    std::optional<uint32_t> Prev(uint32_t nRecord, CProgress& progress);

private:
    // The anchor position, chosen by the bytes of the first window read.
    size_t Anchor(const uint8_t* p, size_t n);

    CTervikDoc& m_doc;
    RawNeedle m_needle;
    // Where the scan has got to: no occurrence starts in [record start, m_nScanned).
    uint64_t m_nScanned = 0;
    uint32_t m_nLastRecord = 0;
    // Backward: where the window of the last step began, so that the next step (which
    // ends inside it) reads from the same place and finds it still in the document.
    std::optional<uint64_t> m_nWindowBegin;
    std::optional<size_t> m_nAnchor;
};

} // namespace tervik
