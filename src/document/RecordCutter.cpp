#include "document/RecordCutter.h"

#include <algorithm>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace tervik {

namespace {

constexpr uint8_t kLf = 0x0A;
constexpr uint8_t kCr = 0x0D;
constexpr uint8_t kTab = 0x09;
constexpr size_t kChunk = 64;

// Bit i set where p[i] is LF, resp. TAB, for the 64 bytes at p.
inline void ChunkMasks(const uint8_t* p, uint64_t& lf, uint64_t& tab) {
#if defined(__SSE2__)
    const __m128i vLf = _mm_set1_epi8(static_cast<char>(kLf));
    const __m128i vTab = _mm_set1_epi8(static_cast<char>(kTab));
    uint64_t l = 0, t = 0;
    for (int k = 0; k < 4; ++k) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 16 * k));
        l |= static_cast<uint64_t>(static_cast<uint32_t>(_mm_movemask_epi8(_mm_cmpeq_epi8(v, vLf))))
             << (16 * k);
        t |=
            static_cast<uint64_t>(static_cast<uint32_t>(_mm_movemask_epi8(_mm_cmpeq_epi8(v, vTab))))
            << (16 * k);
    }
    lf = l;
    tab = t;
#else
    uint64_t l = 0, t = 0;
    for (size_t k = 0; k < kChunk; ++k) {
        l |= static_cast<uint64_t>(p[k] == kLf) << k;
        t |= static_cast<uint64_t>(p[k] == kTab) << k;
    }
    lf = l;
    tab = t;
#endif
}

} // namespace

CRecordCutter::CRecordCutter(const CutParams& params, IRecordSink& sink, uint64_t nStartOffset,
                             const std::atomic<bool>* pEscape)
    : m_params(params), m_sink(sink), m_pEscape(pEscape), m_nPos(nStartOffset),
      m_nStart(nStartOffset) {
    if (m_params.m_nMaxRecSize == 0) m_params.m_nMaxRecSize = 1; // a record must end somewhere
    m_nCut = m_params.m_nMaxRecSize;
    if (m_params.m_nFixedSize != 0) m_nCut = std::min(m_nCut, m_params.m_nFixedSize);
}

bool CRecordCutter::StoreCurrent(uint32_t nLength, uint32_t nFlags) {
    if (!m_sink.Store(RecordEntry{m_nStart, nLength, nFlags})) {
        m_bSinkFull = true;
        m_bStopped = true;
        return false;
    }
    ++m_nInTable;
    return true;
}

bool CRecordCutter::BeforeByte() {
    if (m_params.m_nLimitFromStart != 0 && m_nInTable >= m_params.m_nLimitFromStart) {
        m_bStopped = true;
        return false;
    }
    if (m_params.m_nLimitFromEnd != 0 && m_nInTable >= m_params.m_nLimitFromEnd) {
        m_sink.RemoveFirst();
        --m_nInTable;
    }
    return true;
}

// A record ends before the byte at m_nPos. bLineEnd: that byte is an LF ending it.
bool CRecordCutter::EndRecord(bool bLineEnd, uint32_t nStrip) {
    const uint32_t nLength = m_nCount - std::min(m_nCount, nStrip);
    m_nMaxLength = std::max(m_nMaxLength, nLength);
    if (nLength != 0 || m_bEmptyAllowed) {
        if (!StoreCurrent(nLength, m_bTab ? 0 : RF_NO_TAB)) return false;
        m_bTab = false;
    }
    m_nCount = 0;
    if (bLineEnd) {
        const bool bLe = m_params.m_eEncoding == CutEncoding::Utf16Le;
        m_nStart = m_nPos + (bLe ? 2 : 1);
        m_bSkipZero = bLe;
        m_bEmptyAllowed = true;
    } else {
        m_nStart = m_nPos;
        m_bEmptyAllowed = m_params.m_nFixedSize != 0;
    }
    if (m_pEscape && m_pEscape->load(std::memory_order_relaxed)) {
        m_bStopped = true;
        return false;
    }
    return true;
}

bool CRecordCutter::StepByte(uint8_t b, int nNext) {
    if (m_bSkipZero) {
        // The second byte of a UTF-16 LE line end belongs to the line end.
        m_bSkipZero = false;
    } else {
        if (!BeforeByte()) return false;
        bool bLf = false;
        uint32_t nStrip = 0;
        if (m_params.m_nFixedSize == 0 && b == kLf) {
            switch (m_params.m_eEncoding) {
            case CutEncoding::SingleByte:
                bLf = true;
                nStrip = m_nPrevValid >= 1 && m_prev[0] == kCr ? 1 : 0;
                break;
            case CutEncoding::Utf16Le:
                bLf = (m_nPos & 1) == 0 && nNext == 0;
                nStrip = m_nPrevValid >= 2 && m_prev[0] == 0 && m_prev[1] == kCr ? 2 : 0;
                break;
            case CutEncoding::Utf16Be:
                bLf = (m_nPos & 1) == 1 && m_nPrevValid >= 1 && m_prev[0] == 0;
                nStrip = m_nPrevValid >= 3 && m_prev[1] == kCr && m_prev[2] == 0 ? 3 : 1;
                break;
            }
        }
        if (bLf || m_nCount >= m_nCut) {
            if (bLf && m_nLineEnd == 0)
                m_nLineEnd =
                    nStrip >= 2 || (m_params.m_eEncoding == CutEncoding::SingleByte && nStrip == 1)
                        ? 2
                        : 1;
            if (!EndRecord(bLf, bLf ? nStrip : 0)) return false;
        }
        if (!bLf) {
            ++m_nCount;
            if (b == kTab) m_bTab = true;
        }
    }
    m_prev[2] = m_prev[1];
    m_prev[1] = m_prev[0];
    m_prev[0] = b;
    m_nPrevValid = std::min(m_nPrevValid + 1, 3);
    ++m_nPos;
    return true;
}

bool CRecordCutter::FeedBytewise(const uint8_t* p, size_t n) {
    const bool bLe = m_params.m_eEncoding == CutEncoding::Utf16Le && m_params.m_nFixedSize == 0;
    size_t i = 0;
    if (m_bPendingLf) {
        m_bPendingLf = false;
        if (!StepByte(kLf, p[0])) return false;
    }
    for (; i < n; ++i) {
        const uint8_t b = p[i];
        if (i + 1 == n && bLe && b == kLf && (m_nPos & 1) == 0 && !m_bSkipZero) {
            // Whether this is a line end shows with the next byte; the limits act now.
            if (!BeforeByte()) return false;
            m_bPendingLf = true;
            return true;
        }
        if (!StepByte(b, i + 1 < n ? p[i + 1] : -1)) return false;
    }
    return true;
}

bool CRecordCutter::FeedSingleByteFast(const uint8_t* p, size_t n) {
    size_t i = 0;
    while (i + kChunk <= n) {
        // Near a cut, and for tiny record sizes, the plain rules decide byte by byte.
        if (static_cast<uint64_t>(m_nCount) + kChunk > m_nCut) {
            for (const size_t nEnd = i + kChunk; i < nEnd; ++i)
                if (!StepByte(p[i], -1)) return false;
            continue;
        }
        if (!BeforeByte()) return false;
        uint64_t lf, tab;
        ChunkMasks(p + i, lf, tab);
        const uint64_t nChunkPos = m_nPos;
        size_t nFrom = 0; // first byte of the current record inside the chunk
        while (lf) {
            const unsigned j = static_cast<unsigned>(__builtin_ctzll(lf));
            lf &= lf - 1;
            const uint64_t below = (uint64_t{1} << j) - 1;
            if (tab & below) m_bTab = true;
            m_nCount += static_cast<uint32_t>(j - nFrom);
            const uint8_t before = j > 0 ? p[i + j - 1] : (m_nPrevValid ? m_prev[0] : 0);
            const bool bCr = before == kCr && (j > 0 || m_nPrevValid > 0);
            if (m_nLineEnd == 0) m_nLineEnd = bCr ? 2 : 1;
            m_nPos = nChunkPos + j;
            if (!EndRecord(true, bCr ? 1 : 0)) return false;
            tab &= ~(below | (uint64_t{1} << j));
            nFrom = j + 1;
            if (nFrom < kChunk && !BeforeByte()) return false;
        }
        if (tab) m_bTab = true;
        m_nCount += static_cast<uint32_t>(kChunk - nFrom);
        m_nPos = nChunkPos + kChunk;
        m_prev[0] = p[i + kChunk - 1];
        m_prev[1] = p[i + kChunk - 2];
        m_prev[2] = p[i + kChunk - 3];
        m_nPrevValid = 3;
        i += kChunk;
    }
    for (; i < n; ++i)
        if (!StepByte(p[i], -1)) return false;
    return true;
}

bool CRecordCutter::Feed(const uint8_t* p, size_t n) {
    if (m_bStopped) return false;
    if (n == 0) return true;
    if (m_params.m_eEncoding == CutEncoding::SingleByte && m_params.m_nFixedSize == 0)
        return FeedSingleByteFast(p, n);
    return FeedBytewise(p, n);
}

void CRecordCutter::Finish() {
    if (m_bStopped) return;
    if (m_bPendingLf) {
        // No byte followed: the LF byte is data.
        m_bPendingLf = false;
        if (!StepByte(kLf, -1)) return;
    }
    if (m_nCount > 0) {
        m_nMaxLength = std::max(m_nMaxLength, m_nCount);
        if (StoreCurrent(m_nCount, 0)) m_nCount = 0;
    }
}

} // namespace tervik
