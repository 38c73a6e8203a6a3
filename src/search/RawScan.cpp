#include "search/RawScan.h"

#include "document/TervikDoc.h"
#include "platform/CodePage.h"

#include <algorithm>
#include <atomic>
#include <cstring>

namespace tervik {

namespace {
constexpr auto kProgressInterval = std::chrono::milliseconds(1000);
// Longest pattern the scan takes (the document's window).
constexpr uint32_t kScanWindow = 65536;
} // namespace

bool EscapePressed(CTervikDoc& doc) {
    return EscapePressed(doc.Host());
}

bool EscapePressed(IDocumentHost& host) {
    // Every few dozen polls the host may serve its window (it keeps to ~50 ms), so
    // the Escape key reaches the flag and the window stays painted.
    static thread_local uint32_t s_nPolls = 0;
    if ((++s_nPolls & 63) == 1) host.ServeBusy();
    const std::atomic<bool>* p = host.EscapeFlag();
    return p && p->load(std::memory_order_relaxed);
}

CBusyGuard::CBusyGuard(IDocumentHost& host) : m_host(host) {
    m_host.BeginBusy();
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

// The pattern position whose byte (in both cases when folding) is least common by
// the given counts.
template <class Count> size_t RarestPosition(std::string_view pat, bool bFold, Count count) {
    const uint8_t* upper = UpperTable1252();
    size_t nBest = 0;
    uint64_t nBestCount = UINT64_MAX;
    for (size_t i = 0; i < pat.size(); ++i) {
        const auto b = static_cast<uint8_t>(pat[i]);
        uint64_t n = count(b);
        if (bFold && upper[b] != b) n += count(upper[b]);
        if (n < nBestCount) {
            nBestCount = n;
            nBest = i;
        }
    }
    return nBest;
}

} // namespace

size_t AnchorPosition(std::string_view pat, bool bFold, const uint8_t* pSample, size_t nSample) {
    static const ByteRanks ranks;
    if (nSample < 4096)
        return RarestPosition(pat, bFold, [](uint8_t b) { return uint64_t{ranks.m_rank[b]}; });
    uint32_t counts[256] = {};
    for (size_t i = 0; i < nSample; ++i)
        ++counts[pSample[i]];
    // Ties (bytes the sample lacks) go by the general ranks.
    return RarestPosition(pat, bFold,
                          [&](uint8_t b) { return uint64_t{counts[b]} * 256 + ranks.m_rank[b]; });
}

std::optional<size_t> FindFolded(const uint8_t* p, size_t n, std::string_view pat, bool bFold) {
    return FindFolded(p, n, pat, bFold, AnchorPosition(pat, bFold, nullptr, 0));
}

std::optional<size_t> FindFolded(const uint8_t* p, size_t n, std::string_view pat, bool bFold,
                                 size_t k) {
    const size_t m = pat.size();
    if (m == 0 || m > n) return std::nullopt;
    if (k >= m) k = 0;
    const uint8_t* lower = LowerTable1252();
    // Candidates are found by the anchor byte at position k of the pattern.
    const auto anchor = static_cast<uint8_t>(pat[k]);
    const uint8_t anchorOther = bFold ? UpperTable1252()[anchor] : anchor;
    // Anchors can only stand in p[k .. n - m + k].
    const uint8_t* const base = p + k;
    const size_t nSpan = n - m + 1;
    const uint8_t* const end = base + nSpan;
    // The next place of each anchor variant; "end" once it has none left.
    const uint8_t* nextA = nullptr;
    const uint8_t* nextB = anchorOther != anchor ? nullptr : end;
    auto find = [&](uint8_t b, size_t from) {
        const void* q = std::memchr(base + from, b, nSpan - from);
        return q ? static_cast<const uint8_t*>(q) : end;
    };
    size_t i = 0;
    while (i < nSpan) {
        if (!nextA || nextA < base + i) nextA = find(anchor, i);
        if (!nextB || nextB < base + i) nextB = find(anchorOther, i);
        const uint8_t* c = std::min(nextA, nextB);
        if (c == end) return std::nullopt;
        const auto at = static_cast<size_t>(c - base); // start of the candidate in p
        size_t j = 0;
        while (j < m && (bFold ? lower[p[at + j]] : p[at + j]) == static_cast<uint8_t>(pat[j]))
            ++j;
        if (j == m) return at;
        i = at + 1;
    }
    return std::nullopt;
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

uint32_t RecordAtOffset(CTervikDoc& doc, uint64_t nOffset, uint32_t nFrom) {
    const uint32_t nRecords = doc.m_nRecords;
    if (nRecords == 0) return 0;
    uint32_t lo = std::min(nFrom, nRecords - 1);
    if (const RecordEntry* e = doc.Record(lo); !e || e->m_nOffset > nOffset) lo = 0;
    // Galloping from the known record first: the next hit is usually near the last.
    uint32_t hi = nRecords;
    for (uint32_t step = 1; lo + step < nRecords; step *= 2) {
        if (doc.Record(lo + step)->m_nOffset > nOffset) {
            hi = lo + step;
            break;
        }
        lo += step;
        if (step > (UINT32_MAX >> 2)) break;
    }
    while (hi - lo > 1) {
        const uint32_t mid = lo + (hi - lo) / 2;
        if (doc.Record(mid)->m_nOffset <= nOffset)
            lo = mid;
        else
            hi = mid;
    }
    return lo;
}

CRawScanner::CRawScanner(CTervikDoc& doc, std::string_view pat, bool bFold)
    : m_doc(doc), m_pat(pat), m_bFold(bFold) {}

std::optional<uint32_t> CRawScanner::Next(uint32_t nRecord, CProgress& progress) {
    const RecordEntry* e = m_doc.Record(nRecord);
    const size_t m = m_pat.size();
    if (!e || m == 0 || m > kScanWindow) return std::nullopt;
    const uint64_t nSize = static_cast<uint64_t>(std::max<int64_t>(0, m_doc.m_nFileSize));
    uint64_t nFrom = e->m_nOffset;
    // What an earlier call has passed without an occurrence is not read again.
    if (nRecord >= m_nLastRecord) nFrom = std::max(nFrom, m_nScanned);
    m_nLastRecord = nRecord;
    uint32_t nNear = nRecord;
    while (nFrom + m <= nSize) {
        if (EscapePressed(m_doc)) return std::nullopt;
        uint32_t n = 0;
        const uint8_t* p = m_doc.MapBytes(nFrom, static_cast<uint32_t>(m), n);
        if (!p || n < m) return std::nullopt;
        // The anchor byte is chosen once, by the bytes of the file itself.
        if (!m_nAnchor) m_nAnchor = AnchorPosition(m_pat, m_bFold, p, n);
        if (const auto at = FindFolded(p, n, m_pat, m_bFold, *m_nAnchor)) {
            m_nScanned = nFrom + *at;
            return RecordAtOffset(m_doc, m_nScanned, nNear);
        }
        // The next window overlaps by the pattern length less one.
        nFrom += n - (m - 1);
        m_nScanned = nFrom;
        nNear = RecordAtOffset(m_doc, nFrom, nNear);
        progress.Show(nNear);
    }
    m_nScanned = nSize;
    return std::nullopt;
}

} // namespace tervik
