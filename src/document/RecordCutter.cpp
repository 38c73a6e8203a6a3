#include "document/RecordCutter.h"

#include "document/RecordScan.h"

#include <algorithm>
#include <cstring>

namespace tervik {

namespace {

constexpr uint8_t kLf = 0x0A;
constexpr uint8_t kCr = 0x0D;
constexpr uint8_t kTab = 0x09;
constexpr size_t kChunk = 64;

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
    const bool bLineEnds = m_params.m_nFixedSize == 0;
    size_t i = 0;
    if (m_bPendingLf) {
        m_bPendingLf = false;
        if (!StepByte(kLf, p[0])) return false;
    }
    while (i < n) {
        // A run of bytes that neither end nor cut a record is taken in one step;
        // LF bytes, cuts and the byte behind a line end go through the plain rules.
        const size_t nRoom = m_nCut - std::min(m_nCut, m_nCount);
        size_t k = std::min(n - i, nRoom);
        if (bLineEnds && k != 0)
            if (const void* pLf = std::memchr(p + i, kLf, k))
                k = static_cast<size_t>(static_cast<const uint8_t*>(pLf) - (p + i));
        if (k != 0 && !m_bSkipZero) {
            if (!BeforeByte()) return false;
            if (!m_bTab && std::memchr(p + i, kTab, k)) m_bTab = true;
            m_nCount += static_cast<uint32_t>(k);
            m_nPos += k;
            for (size_t j = k > 3 ? k - 3 : 0; j < k; ++j) {
                m_prev[2] = m_prev[1];
                m_prev[1] = m_prev[0];
                m_prev[0] = p[i + j];
            }
            m_nPrevValid = std::min<int>(m_nPrevValid + static_cast<int>(k), 3);
            i += k;
            continue;
        }
        const uint8_t b = p[i];
        if (i + 1 == n && bLe && b == kLf && (m_nPos & 1) == 0 && !m_bSkipZero) {
            // Whether this is a line end shows with the next byte; the limits act now.
            if (!BeforeByte()) return false;
            m_bPendingLf = true;
            return true;
        }
        if (!StepByte(b, i + 1 < n ? p[i + 1] : -1)) return false;
        ++i;
    }
    return true;
}

bool CRecordCutter::FeedSingleByteFast(const uint8_t* p, size_t n) {
    static const detail::FastScanFn s_pfnScan = detail::SelectFastScan();
    size_t i = 0;
    while (n - i >= kChunk) {
        if (static_cast<uint64_t>(m_nCount) + kChunk > m_nCut) {
            // Near a cut, and for tiny record sizes, the plain rules decide byte by byte.
            for (const size_t nEnd = i + kChunk; i < nEnd; ++i)
                if (!StepByte(p[i], -1)) return false;
            continue;
        }
        detail::FastScanState st{};
        st.nPos = m_nPos;
        st.nStart = m_nStart;
        st.nCount = m_nCount;
        st.bTab = m_bTab;
        st.bEmptyAllowed = m_bEmptyAllowed;
        st.nPrev = m_nPrevValid ? m_prev[0] : -1;
        st.nLineEnd = m_nLineEnd;
        st.nMaxLength = m_nMaxLength;
        st.nCut = m_nCut;
        st.pSink = &m_sink;
        st.pEscape = m_pEscape;
        const size_t nDone = s_pfnScan(st, p + i, n - i);
        m_nInTable += st.nStored;
        m_nLineEnd = st.nLineEnd;
        m_nMaxLength = st.nMaxLength;
        if (st.bStopped) {
            m_bStopped = true;
            m_bSinkFull = st.bSinkFull;
            return false;
        }
        m_nPos = st.nPos;
        m_nStart = st.nStart;
        m_nCount = st.nCount;
        m_bTab = st.bTab;
        m_bEmptyAllowed = st.bEmptyAllowed;
        i += nDone;
        if (i >= 3) {
            m_prev[0] = p[i - 1];
            m_prev[1] = p[i - 2];
            m_prev[2] = p[i - 3];
            m_nPrevValid = 3;
        }
    }
    for (; i < n; ++i)
        if (!StepByte(p[i], -1)) return false;
    return true;
}

bool CRecordCutter::Feed(const uint8_t* p, size_t n) {
    if (m_bStopped) return false;
    if (n == 0) return true;
    // Limits act per byte; such reads stop early or cover a small window anyway.
    if (m_params.m_eEncoding == CutEncoding::SingleByte && m_params.m_nFixedSize == 0 &&
        m_params.m_nLimitFromStart == 0 && m_params.m_nLimitFromEnd == 0)
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
