#include "search/RawScan.h"

#include "document/TervikDoc.h"
#include "platform/CodePage.h"

#include <algorithm>
#include <atomic>
#include <cstring>
#include <utility>

namespace tervik {

namespace {
constexpr auto kProgressInterval = std::chrono::milliseconds(1000);
// Longest pattern the scan takes (the document's window).
constexpr uint32_t kScanWindow = 65536;
// Bytes counted to choose the anchor: enough to rank a log's bytes, and little
// against the rest of a search that ends on a hit a few lines on.
constexpr size_t kAnchorSample = 4096;
} // namespace

bool EscapePressed(CTervikDoc& doc) {
    return EscapePressed(doc.Host());
}

namespace {
// Polls since the last busy phase began.
thread_local uint32_t t_nEscapePolls = 0;
} // namespace

bool EscapePressed(IDocumentHost& host) {
    // Every few dozen polls the host may serve its window (it keeps to ~50 ms), so
    // the Escape key reaches the flag and the window stays painted. The first poll of
    // a run always asks: a run of few polls (a raw scan polls once per 64 KB) must
    // still see an Escape pressed before it.
    if ((++t_nEscapePolls & 63) == 1) host.ServeBusy();
    const std::atomic<bool>* p = host.EscapeFlag();
    return p && p->load(std::memory_order_relaxed);
}

CBusyGuard::CBusyGuard(IDocumentHost& host) : m_host(host) {
    m_host.BeginBusy();
    t_nEscapePolls = 0;
}
CBusyGuard::~CBusyGuard() {
    m_host.EndBusy();
}

CProgress::CProgress(CTervikDoc& doc) : m_doc(doc), m_last(Clock::now()) {}

void CProgress::Show(uint64_t nLine) {
    const auto now = Clock::now();
    if (now - m_last < kProgressInterval) return;
    m_last = now;
    const auto n = static_cast<uint32_t>(std::min<uint64_t>(nLine + 1, UINT32_MAX));
    m_doc.Host().SetPositionIndicator(n, m_doc.m_nRecords, 1, 0);
    m_doc.Host().RepaintStatusBar();
}

namespace {

// How common a byte is in text, roughly: spaces and frequent lower-case letters high,
// capitals, punctuation and bytes above 0x7F low. The scan anchors on the pattern's
// least common byte, so memchr stops as seldom as possible.
struct ByteRanks {
    uint8_t m_rank[256] = {};
    ByteRanks() {
        for (int b = 0x20; b < 0x7F; ++b)
            m_rank[b] = 20;
        for (int b = 'A'; b <= 'Z'; ++b)
            m_rank[b] = 25;
        for (int b = '0'; b <= '9'; ++b)
            m_rank[b] = 60;
        const char* const order = "enisratdhulcgmobwfkzpvjyxq";
        for (int i = 0; order[i]; ++i)
            m_rank[static_cast<uint8_t>(order[i])] = static_cast<uint8_t>(100 - 2 * i);
        m_rank[0x20] = 110; // space
        m_rank[0x09] = 40;  // tab
        m_rank[0x0A] = 50;
        m_rank[0x0D] = 45;
    }
};

// The pattern position whose bytes (both of them where a position allows two) are
// least common by the given counts; other(i) is position i's second byte.
template <class Other, class Count>
size_t RarestPosition(std::string_view pat, Other other, Count count) {
    size_t nBest = 0;
    uint64_t nBestCount = UINT64_MAX;
    for (size_t i = 0; i < pat.size(); ++i) {
        const auto b = static_cast<uint8_t>(pat[i]);
        const uint8_t o = other(i);
        uint64_t n = count(b);
        if (o != b) n += count(o);
        if (n < nBestCount) {
            nBestCount = n;
            nBest = i;
        }
    }
    return nBest;
}

template <class Other>
size_t RarestPosition(std::string_view pat, Other other, const uint8_t* pSample, size_t nSample) {
    static const ByteRanks ranks;
    if (nSample < 4096)
        return RarestPosition(pat, other, [](uint8_t b) { return uint64_t{ranks.m_rank[b]}; });
    uint32_t counts[256] = {};
    for (size_t i = 0; i < nSample; ++i)
        ++counts[pSample[i]];
    // Ties (bytes the sample lacks) go by the general ranks.
    return RarestPosition(pat, other,
                          [&](uint8_t b) { return uint64_t{counts[b]} * 256 + ranks.m_rank[b]; });
}

// The last c among the first n bytes; memrchr where the C library has it.
const void* FindLastByte(const uint8_t* p, uint8_t c, size_t n) {
#ifdef __GLIBC__
    return memrchr(p, c, n);
#else
    while (n-- > 0) {
        if (p[n] == c) return p + n;
    }
    return nullptr;
#endif
}

// The first (bLast: the last) place in p[0..n) where a pattern of m bytes starts whose
// byte at k is anchor or anchorOther; same(j, byte) tests the pattern's byte j.
template <bool bLast, class Same>
std::optional<size_t> FindAnchored(const uint8_t* p, size_t n, size_t m, size_t k, uint8_t anchor,
                                   uint8_t anchorOther, Same same) {
    // Anchors can only stand in p[k .. n - m + k]; base[lo, hi) is what is left to try.
    const uint8_t* const base = p + k;
    size_t lo = 0, hi = n - m + 1;
    // The nearest place of each anchor variant in what is left, seen from the side the
    // scan comes from; kNone once it has none left, kUnknown (never inside) at first.
    constexpr size_t kNone = SIZE_MAX, kUnknown = SIZE_MAX - 1;
    size_t nextA = kUnknown;
    size_t nextB = anchorOther != anchor ? kUnknown : kNone;
    auto find = [&](uint8_t b) {
        const void* q =
            bLast ? FindLastByte(base + lo, b, hi - lo) : std::memchr(base + lo, b, hi - lo);
        return q ? static_cast<size_t>(static_cast<const uint8_t*>(q) - base) : kNone;
    };
    while (lo < hi) {
        if (nextA != kNone && (nextA < lo || nextA >= hi)) nextA = find(anchor);
        if (nextB != kNone && (nextB < lo || nextB >= hi)) nextB = find(anchorOther);
        // The nearer of the two; kNone only when both are.
        size_t at = std::min(nextA, nextB);
        if (bLast && nextA != kNone && nextB != kNone) at = std::max(nextA, nextB);
        if (at == kNone) return std::nullopt;
        size_t j = 0;
        while (j < m && same(j, p[at + j]))
            ++j;
        if (j == m) return at;
        if (bLast)
            hi = at;
        else
            lo = at + 1;
    }
    return std::nullopt;
}

template <bool bLast>
std::optional<size_t> FindFoldedAt(const uint8_t* p, size_t n, std::string_view pat, bool bFold,
                                   size_t k) {
    const size_t m = pat.size();
    if (m == 0 || m > n) return std::nullopt;
    if (k >= m) k = 0;
    const auto anchor = static_cast<uint8_t>(pat[k]);
    if (!bFold)
        return FindAnchored<bLast>(p, n, m, k, anchor, anchor, [&](size_t j, uint8_t b) {
            return b == static_cast<uint8_t>(pat[j]);
        });
    const uint8_t* lower = LowerTable1252();
    return FindAnchored<bLast>(
        p, n, m, k, anchor, UpperTable1252()[anchor],
        [&](size_t j, uint8_t b) { return lower[b] == static_cast<uint8_t>(pat[j]); });
}

template <bool bLast>
std::optional<size_t> FindNeedleAt(const uint8_t* p, size_t n, const RawNeedle& needle, size_t k) {
    const std::string& a = needle.m_bytes;
    const std::string& o = needle.m_other;
    const size_t m = a.size();
    if (m == 0 || m > n || o.size() != m) return std::nullopt;
    if (k >= m) k = 0;
    return FindAnchored<bLast>(p, n, m, k, static_cast<uint8_t>(a[k]), static_cast<uint8_t>(o[k]),
                               [&](size_t j, uint8_t b) {
                                   return b == static_cast<uint8_t>(a[j]) ||
                                          b == static_cast<uint8_t>(o[j]);
                               });
}

} // namespace

size_t AnchorPosition(std::string_view pat, bool bFold, const uint8_t* pSample, size_t nSample) {
    const uint8_t* upper = UpperTable1252();
    return RarestPosition(
        pat,
        [&](size_t i) {
            const auto b = static_cast<uint8_t>(pat[i]);
            return bFold ? upper[b] : b;
        },
        pSample, nSample);
}

size_t AnchorPosition(const RawNeedle& needle, const uint8_t* pSample, size_t nSample) {
    return RarestPosition(
        needle.m_bytes, [&](size_t i) { return static_cast<uint8_t>(needle.m_other[i]); }, pSample,
        nSample);
}

std::optional<size_t> FindFolded(const uint8_t* p, size_t n, std::string_view pat, bool bFold) {
    return FindFolded(p, n, pat, bFold, AnchorPosition(pat, bFold, nullptr, 0));
}

std::optional<size_t> FindFolded(const uint8_t* p, size_t n, std::string_view pat, bool bFold,
                                 size_t k) {
    return FindFoldedAt<false>(p, n, pat, bFold, k);
}

std::optional<size_t> FindFoldedLast(const uint8_t* p, size_t n, std::string_view pat, bool bFold) {
    return FindFoldedLast(p, n, pat, bFold, AnchorPosition(pat, bFold, nullptr, 0));
}

std::optional<size_t> FindFoldedLast(const uint8_t* p, size_t n, std::string_view pat, bool bFold,
                                     size_t k) {
    return FindFoldedAt<true>(p, n, pat, bFold, k);
}

std::optional<size_t> FindNeedle(const uint8_t* p, size_t n, const RawNeedle& needle, size_t k) {
    return FindNeedleAt<false>(p, n, needle, k);
}

std::optional<size_t> FindNeedleLast(const uint8_t* p, size_t n, const RawNeedle& needle,
                                     size_t k) {
    return FindNeedleAt<true>(p, n, needle, k);
}

std::optional<RawNeedle> RawNeedleFor(const CTervikDoc& doc, std::string_view lit, bool bFold,
                                      bool bExpandTabs) {
    if (doc.m_bUtf16 || lit.empty()) return std::nullopt;
    const bool bUtf8 = doc.m_bUtf8 != 0;
    // A record of one byte is shown undecoded, so a lone character beyond ASCII may
    // stand in the file as a single byte of its own.
    if (bUtf8 && lit.size() == 1 && static_cast<uint8_t>(lit[0]) >= 0x80) return std::nullopt;
    const uint8_t* upper = UpperTable1252();
    // The literal is cut where the display text does not show the file's bytes: at a
    // tab that may be expanded, and, decoding UTF-8, at the substitute, which stands
    // for any undecodable byte. The longest piece is looked for.
    RawNeedle best, run;
    auto endRun = [&] {
        if (run.m_bytes.size() > best.m_bytes.size()) best = run;
        run = {};
    };
    for (const char ch : lit) {
        const auto c = static_cast<uint8_t>(ch);
        const auto o = static_cast<char>(bFold ? upper[c] : c);
        if ((bExpandTabs && c == '\t') || (bUtf8 && c == kDefaultChar)) {
            endRun();
            continue;
        }
        if (!bUtf8) {
            run.m_bytes += ch;
            run.m_other += o;
            continue;
        }
        // Every other character decoded comes from exactly its own UTF-8 sequence;
        // those of a case pair are equally long, so positions still line up.
        const std::string a = Cp1252ToUtf8(std::string_view(&ch, 1));
        const std::string b = Cp1252ToUtf8(std::string_view(&o, 1));
        if (a.size() != b.size()) {
            endRun();
            continue;
        }
        run.m_bytes += a;
        run.m_other += b;
    }
    endRun();
    if (best.m_bytes.empty()) return std::nullopt;
    return best;
}

std::string_view LongestLiteralRun(std::string_view pat) {
    std::string_view best;
    size_t i = 0;
    while (i < pat.size()) {
        const size_t j = std::min(pat.find_first_of("*/", i), pat.size());
        if (j - i > best.size()) best = pat.substr(i, j - i);
        i = j + 1;
    }
    return best;
}

uint32_t RecordAtOffset(CTervikDoc& doc, uint64_t nOffset) {
    const uint32_t nRecords = doc.m_nRecords;
    if (nRecords == 0 || !doc.m_pRecords) return 0;
    return std::min(doc.m_pRecords->LastStartingAt(nOffset), nRecords - 1);
}

CRawScanner::CRawScanner(CTervikDoc& doc, RawNeedle needle)
    : m_doc(doc), m_needle(std::move(needle)) {}

size_t CRawScanner::Anchor(const uint8_t* p, size_t n) {
    if (!m_nAnchor) m_nAnchor = AnchorPosition(m_needle, p, std::min(n, kAnchorSample));
    return *m_nAnchor;
}

namespace {
constexpr uint32_t kWindowsPerProgress = 16;
} // namespace

std::optional<uint32_t> CRawScanner::Next(uint32_t nRecord, CProgress& progress) {
    const auto e = m_doc.Record(nRecord);
    const size_t m = m_needle.m_bytes.size();
    if (!e || m == 0 || m > kScanWindow) return std::nullopt;
    const uint64_t nSize = static_cast<uint64_t>(std::max<int64_t>(0, m_doc.m_nFileSize));
    uint64_t nFrom = e->m_nOffset;
    // What an earlier call has passed without an occurrence is not read again.
    if (nRecord >= m_nLastRecord) nFrom = std::max(nFrom, m_nScanned);
    m_nLastRecord = nRecord;
    for (uint32_t nWindows = 1; nFrom + m <= nSize; ++nWindows) {
        if (EscapePressed(m_doc)) return std::nullopt;
        uint32_t n = 0;
        const uint8_t* p = m_doc.MapBytes(nFrom, static_cast<uint32_t>(m), n);
        if (!p || n < m) return std::nullopt;
        if (const auto at = FindNeedle(p, n, m_needle, Anchor(p, n))) {
            m_nScanned = nFrom + *at;
            return RecordAtOffset(m_doc, m_nScanned);
        }
        // The next window overlaps by the pattern length less one.
        nFrom += n - (m - 1);
        m_nScanned = nFrom;
        // The line reached, for the position pane, every megabyte or so.
        if (nWindows % kWindowsPerProgress == 0) progress.Show(RecordAtOffset(m_doc, nFrom));
    }
    m_nScanned = nSize;
    return std::nullopt;
}

std::optional<uint32_t> CRawScanner::Prev(uint32_t nRecord, CProgress& progress) {
    const size_t m = m_needle.m_bytes.size();
    if (m_doc.m_nRecords == 0 || m == 0 || m > kScanWindow) return std::nullopt;
    const auto e = m_doc.Record(std::min(nRecord, m_doc.m_nRecords - 1));
    if (!e) return std::nullopt;
    // A record can only hold an occurrence that ends within its bytes; one that begins
    // in a record and ends behind it names that record too, which is a false candidate.
    const uint64_t nSize = static_cast<uint64_t>(std::max<int64_t>(0, m_doc.m_nFileSize));
    uint64_t nEnd = std::min(e->m_nOffset + e->m_nLength, nSize);
    for (uint32_t nWindows = 1; nEnd >= m; ++nWindows) {
        if (EscapePressed(m_doc)) return std::nullopt;
        uint64_t nBegin = nEnd > kScanWindow ? nEnd - kScanWindow : 0;
        if (m_nWindowBegin && *m_nWindowBegin >= nBegin && *m_nWindowBegin + m <= nEnd)
            nBegin = *m_nWindowBegin;
        m_nWindowBegin = nBegin;
        const auto nWant = static_cast<uint32_t>(nEnd - nBegin);
        uint32_t n = 0;
        const uint8_t* p = m_doc.MapBytes(nBegin, nWant, n);
        if (!p || n < nWant) return std::nullopt;
        if (const auto at = FindNeedleLast(p, nWant, m_needle, Anchor(p, nWant)))
            return RecordAtOffset(m_doc, nBegin + *at);
        if (nBegin == 0) break;
        // The window below holds the occurrences that begin before this one.
        nEnd = nBegin + m - 1;
        if (nWindows % kWindowsPerProgress == 0) progress.Show(RecordAtOffset(m_doc, nBegin));
    }
    return std::nullopt;
}

} // namespace tervik
