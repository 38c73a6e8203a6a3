#include "search/SearchEngine.h"

#include "search/RawScan.h"

#include "base/Strings.h"
#include "document/TervikDoc.h"
#include "platform/CodePage.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cinttypes>
#include <cstring>
#include <memory>
#include <new>
#include <utility>

namespace tervik {

namespace {

// The file's bytes as the search compares them: character set converted, then folded.
void PrepareBytes(CTervikDoc& doc, uint8_t* p, size_t n, uint32_t nFlags) {
    if (nFlags & SF_EBCDIC_TEXT) doc.EbcdicToAnsi(p, p, n);
    if (nFlags & SF_OEM_TEXT) OemToAnsi(p, p, n);
    if (!(nFlags & SF_MATCH_CASE)) LowerBuffer1252(p, n);
}

struct LineHit {
    int nColumn;
    int nLength;
};

// A wildcard pattern over one prepared line (NUL behind it).
std::optional<LineHit> MatchLineWildcard(const char* line, size_t nLength, const char* pat,
                                         int nStart, bool bBackward) {
    // The matcher stops at the first NUL, so the line ends there for it.
    const void* z = std::memchr(line, 0, nLength);
    const auto nLen =
        static_cast<int>(z ? static_cast<size_t>(static_cast<const char*>(z) - line) : nLength);
    auto tryAt = [&](int nCol) -> std::optional<LineHit> {
        int nPos = nCol, nHitLength = 0;
        if (nCol < 0 || nCol >= nLen) return std::nullopt;
        if (!MatchWildcard(line, pat, '*', '/', nPos, nHitLength)) return std::nullopt;
        return LineHit{nPos, nHitLength};
    };
    if (!bBackward || pat[0] != '*') return tryAt(nStart);
    // With a leading star the matcher reports the first hit at or after the column it
    // is given, which may lie behind the start (the hit a repeated search came from).
    // The hit wanted is the last one beginning at or before the start. A match from a
    // column means one from every lower column, and the reported hit never moves left
    // as the column grows, so the highest column whose hit begins early enough is
    // found by bisection.
    const int nLast = std::min(nStart, nLen - 1);
    auto atOrBefore = [&](int nCol) -> std::optional<LineHit> {
        auto hit = tryAt(nCol);
        if (hit && hit->nColumn <= nLast) return hit;
        return std::nullopt;
    };
    std::optional<LineHit> best = atOrBefore(0);
    if (!best) return std::nullopt;
    int lo = best->nColumn; // begins a hit
    int hi = nLast;
    while (lo < hi) {
        const int mid = lo + (hi - lo + 1) / 2;
        if (auto hit = atOrBefore(mid)) {
            best = hit;
            lo = hit->nColumn;
        } else {
            hi = mid - 1;
        }
    }
    return best;
}

// A plain pattern over one prepared line.
std::optional<LineHit> MatchLinePlain(std::string_view line, std::string_view pat, int nStart,
                                      bool bBackward) {
    if (nStart < 0) return std::nullopt;
    const auto nCol = static_cast<size_t>(nStart);
    if (nCol > line.size() || line.size() - nCol < pat.size()) return std::nullopt;
    // The line is folded already; backward, the hit begins at or before the column.
    const size_t at = bBackward ? FindFoldedLast(reinterpret_cast<const uint8_t*>(line.data()),
                                                 nCol + pat.size(), pat, false)
                                      .value_or(std::string_view::npos)
                                : line.find(pat, nCol);
    if (at == std::string_view::npos) return std::nullopt;
    return LineHit{static_cast<int>(at), static_cast<int>(pat.size())};
}

FindResult FindText(CTervikDoc& doc, const SearchPattern& pattern, std::string_view pat,
                    bool bBackward, bool bOnlySelected, uint32_t& nLine, int& nColumn,
                    TextHit& textHit, char* buf) {
    const bool bWildcard = (pattern.m_nFlags & SF_WILDCARDS) != 0;
    const int nFixed = FixedLength(pattern);
    const bool bAnchored = IsAnchoredWildcard(pattern);
    CProgress progress(doc);
    uint32_t nCurrent = nLine;
    int nStart = nColumn;
    // A line can only match when it holds what must be found: the whole plain
    // pattern, or the longest run of a wildcard pattern without wildcards.
    const std::string_view must = bWildcard ? LongestLiteralRun(pat) : pat;
    std::optional<CRawScanner> skipper;
    if (!bOnlySelected && !(pattern.m_nFlags & (SF_OEM_TEXT | SF_EBCDIC_TEXT))) {
        if (auto needle = RawNeedleFor(doc, must, (pattern.m_nFlags & SF_MATCH_CASE) == 0, true))
            skipper.emplace(doc, std::move(*needle));
    }
    for (bool bFirst = true;; bFirst = false) {
        // The start line is searched from its start column whatever its bytes hold;
        // every further line only where the raw scan finds what it must hold.
        if (skipper && (bBackward ? !bFirst : nStart == 0)) {
            const std::optional<uint32_t> next =
                bBackward ? skipper->Prev(nCurrent, progress) : skipper->Next(nCurrent, progress);
            // The scan ends early only for Escape or an unreadable file.
            if (!next) return EscapePressed(doc) ? FindResult::Stopped : FindResult::NotFound;
            nCurrent = bBackward ? std::min(nCurrent, *next) : std::max(nCurrent, *next);
        }
        if (EscapePressed(doc)) return FindResult::Stopped;
        progress.Show(nCurrent);
        const uint32_t n = doc.GetRecordText(nCurrent, buf, kSearchWindow, 0, true, bBackward);
        PrepareBytes(doc, reinterpret_cast<uint8_t*>(buf), n, pattern.m_nFlags);
        buf[n] = '\0';
        if (bBackward && !bFirst)
            nStart = bAnchored ? 0 : std::max(0, static_cast<int>(n) - nFixed);
        const std::optional<LineHit> hit =
            bWildcard ? MatchLineWildcard(buf, n, pat.data(), nStart, bBackward)
                      : MatchLinePlain(std::string_view(buf, n), pat, nStart, bBackward);
        if (hit) {
            textHit.m_bValid = true;
            textHit.m_nLine = nCurrent;
            textHit.m_nColumn = static_cast<uint32_t>(hit->nColumn);
            textHit.m_nLength = static_cast<uint32_t>(hit->nLength);
            nLine = nCurrent;
            nColumn = hit->nColumn;
            doc.Host().SetStatusText(FormatString(
                IDS_SEARCH_FOUND_LINE,
                static_cast<int>(std::min<uint64_t>(uint64_t{nCurrent} + 1, INT32_MAX)),
                hit->nColumn + 1));
            return FindResult::Found;
        }
        if (!bBackward) {
            uint32_t r = nCurrent;
            if (bOnlySelected) {
                if (!doc.NextSelected(r)) return FindResult::NotFound;
            } else {
                if (r == UINT32_MAX) return FindResult::NotFound;
                ++r;
            }
            if (r >= doc.m_nRecords) return FindResult::NotFound;
            nCurrent = r;
            nStart = 0;
        } else {
            if (nCurrent == 0) return FindResult::NotFound;
            uint32_t r = nCurrent;
            if (bOnlySelected) {
                if (!doc.PrevSelected(r)) return FindResult::NotFound;
            } else {
                --r;
            }
            nCurrent = r;
        }
    }
}

FindResult FindDump(CTervikDoc& doc, const SearchPattern& pattern, std::string_view pat,
                    bool bBackward, int64_t& nOffset, DumpHit& dumpHit, uint64_t nRowBytes,
                    uint8_t* buf) {
    const int64_t nSize = doc.m_nFileSize;
    const auto m = static_cast<int64_t>(pat.size());
    const int64_t nRow = static_cast<int64_t>(std::max<uint64_t>(nRowBytes, 1));
    CProgress progress(doc);
    auto found = [&](int64_t at) {
        dumpHit.m_bValid = true;
        dumpHit.m_nOffset = at;
        dumpHit.m_nLength = static_cast<uint32_t>(m);
        nOffset = at;
        return FindResult::Found;
    };
    const char* text = reinterpret_cast<const char*>(buf);
    // Without a character-set conversion the bytes are compared as read, folded on the
    // fly; otherwise each window is converted first.
    const bool bRaw = !(pattern.m_nFlags & (SF_EBCDIC_TEXT | SF_OEM_TEXT));
    const bool bFold = !(pattern.m_nFlags & SF_MATCH_CASE);
    const uint32_t nPrepFlags = bRaw ? SF_MATCH_CASE : pattern.m_nFlags;
    if (!bBackward) {
        int64_t base = std::max<int64_t>(nOffset, 0); // file offset of buf[0]
        if (base + m > nSize) return FindResult::NotFound;
        if (EscapePressed(doc)) return FindResult::Stopped;
        size_t len = doc.ReadBytes(buf, kSearchWindow, static_cast<uint64_t>(base));
        PrepareBytes(doc, buf, len, nPrepFlags);
        size_t from = 0;
        for (;;) {
            progress.Show(static_cast<uint64_t>((base + static_cast<int64_t>(from)) / nRow));
            const std::optional<size_t> hit =
                bRaw ? FindFolded(buf, len, pat, bFold) : std::optional<size_t>{};
            const size_t at = bRaw ? (hit ? *hit : std::string_view::npos)
                                   : std::string_view(text, len).find(pat, from);
            if (at != std::string_view::npos) return found(base + static_cast<int64_t>(at));
            if (base + static_cast<int64_t>(len) >= nSize) return FindResult::NotFound;
            if (EscapePressed(doc)) return FindResult::Stopped;
            // Keep the bytes a hit may still begin in; the next read fills up behind them.
            const size_t nKeep = std::min(len, pat.size() - 1);
            std::memmove(buf, buf + (len - nKeep), nKeep);
            base += static_cast<int64_t>(len - nKeep);
            const uint32_t nRead =
                doc.ReadBytes(buf + nKeep, static_cast<uint32_t>(kSearchWindow - nKeep),
                              static_cast<uint64_t>(base) + nKeep);
            if (nRead == 0) return FindResult::NotFound; // unreadable: no progress possible
            PrepareBytes(doc, buf + nKeep, nRead, nPrepFlags);
            len = nKeep + nRead;
            from = 0;
        }
    }
    if (m > nSize) return FindResult::NotFound;
    int64_t nLast = std::min(nOffset, nSize - m); // the highest start still to try
    while (nLast >= 0) {
        if (EscapePressed(doc)) return FindResult::Stopped;
        progress.Show(static_cast<uint64_t>(nLast / nRow));
        const int64_t nEnd = nLast + m;
        const int64_t nBegin = std::max<int64_t>(0, nEnd - int64_t{kSearchWindow});
        const size_t len =
            doc.ReadBytes(buf, static_cast<uint32_t>(nEnd - nBegin), static_cast<uint64_t>(nBegin));
        if (static_cast<int64_t>(len) != nEnd - nBegin) return FindResult::NotFound;
        PrepareBytes(doc, buf, len, nPrepFlags);
        // The window ends with the last start's pattern.
        if (const auto at = FindFoldedLast(buf, len, pat, bRaw && bFold))
            return found(nBegin + static_cast<int64_t>(*at));
        nLast = nBegin - 1;
    }
    return FindResult::NotFound;
}

} // namespace

int FixedLength(const SearchPattern& pattern) {
    const auto n = static_cast<int>(pattern.m_bytes.size());
    if (!(pattern.m_nFlags & SF_WILDCARDS)) return n;
    return n - CountWildcardStars(pattern.m_bytes.data(), n);
}

bool IsAnchoredWildcard(const SearchPattern& pattern) {
    return (pattern.m_nFlags & SF_WILDCARDS) && !pattern.m_bytes.empty() &&
           pattern.m_bytes[0] != '*';
}

FindResult FindNext(CTervikDoc& doc, std::string_view patternLine, bool bDump, bool bBackward,
                    bool bOnlySelected, uint32_t& nLine, int& nColumn, int64_t& nOffset,
                    TextHit& textHit, DumpHit& dumpHit, uint64_t nDumpRowBytes) {
    CBusyGuard busy(doc.Host());
    // One more byte than a line may hold: the wildcard matcher needs a NUL behind it.
    std::unique_ptr<char[]> buf(new (std::nothrow) char[kSearchWindow + 1]());
    if (!buf) return FindResult::NotFound;
    SearchPattern pattern = DecodePattern(patternLine);
    if (pattern.m_bytes.empty() || FixedLength(pattern) <= 0) return FindResult::NotFound;
    // The pattern is folded once, the file's bytes as they are read.
    if (!(pattern.m_nFlags & SF_MATCH_CASE))
        LowerBuffer1252(reinterpret_cast<uint8_t*>(pattern.m_bytes.data()), pattern.m_bytes.size());
    doc.Host().SetStatusText(LoadString(IDS_SEARCHING));
    const std::string_view pat = pattern.m_bytes;
    if (bDump)
        return FindDump(doc, pattern, pat, bBackward, nOffset, dumpHit, nDumpRowBytes,
                        reinterpret_cast<uint8_t*>(buf.get()));
    return FindText(doc, pattern, pat, bBackward, bOnlySelected, nLine, nColumn, textHit,
                    buf.get());
}

std::string DumpHitMessage(int64_t nOffset) {
    const std::string hex = StrFormat("%08" PRIX64, static_cast<uint64_t>(nOffset));
    return FormatString(IDS_SEARCH_FOUND_OFFSET, hex.c_str());
}

bool CanSearchForward(std::string_view boxText) {
    return !boxText.empty();
}

} // namespace tervik
