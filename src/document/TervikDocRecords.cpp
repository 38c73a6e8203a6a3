// Record access: the byte-order mark, the read window, record offsets, lengths and
// their text in the display's character set.

#include "document/TervikDoc.h"

#include "base/Settings.h"
#include "base/Strings.h"
#include "document/Ebcdic.h"
#include "document/RecordCutter.h"
#include "platform/CodePage.h"
#include "platform/SysError.h"

#include <algorithm>
#include <cstring>

namespace tervik {

void CTervikDoc::DetectByteOrderMark(const uint8_t* b, size_t n) {
    if (n >= 2 && b[0] == 0xFF && b[1] == 0xFE)
        m_bBomUtf16Le = m_bUtf16 = 1;
    else if (n >= 2 && b[0] == 0xFE && b[1] == 0xFF)
        m_bBomUtf16Be = m_bUtf16 = 1;
    else if (n >= 3 && b[0] == 0xEF && b[1] == 0xBB && b[2] == 0xBF)
        m_bBomUtf8 = m_bUtf8 = 1;
    m_bUtf8Pending = Mark().empty() && m_host.Settings().Utf8Detect();
    m_nUtf8From = 0;
    CheckForUtf8(b, n, 0);
}

void CTervikDoc::CheckForUtf8(const uint8_t* b, size_t n, uint64_t nOffset) {
    if (!m_bUtf8Pending) return;
    size_t nCut = 0;
    switch (ClassifyUtf8(b, n, &nCut)) {
    case Utf8Verdict::Utf8:
        m_bUtf8 = 1;
        m_bUtf8Pending = false;
        break;
    case Utf8Verdict::NotUtf8:
        m_bUtf8Pending = false;
        break;
    case Utf8Verdict::Undecided:
        // Only ASCII so far: what is appended decides, from a cut sequence on.
        m_nUtf8From = nOffset + n - nCut;
        break;
    }
}

void CTervikDoc::SetUtf8(bool bOn) {
    m_bUtf8 = bOn && CanUseUtf8() ? 1 : 0;
    m_bUtf8Pending = false;
}

bool CTervikDoc::LoadWindow(int64_t nOffset) {
    m_nBufferOffset = -1;
    m_nBufferLen = 0;
    if (!m_pBuffer || nOffset < 0) return false;
    const int64_t n = m_hFile.ReadAt(m_pBuffer.get(), kDocBufferSize, nOffset);
    if (n <= 0) return false;
    m_nBufferOffset = nOffset;
    m_nBufferLen = static_cast<size_t>(n);
    return true;
}

uint32_t CTervikDoc::ReadBytes(void* pDest, uint32_t nLength, uint64_t nOffset) {
    if (!m_pBuffer || nOffset > static_cast<uint64_t>(m_nFileSize)) return 0;
    nLength = std::min<uint32_t>(nLength, kDocBufferSize);
    const auto off = static_cast<int64_t>(nOffset);
    const bool bUsable = m_nBufferOffset != -1 && off >= m_nBufferOffset &&
                         (off + nLength <= m_nBufferOffset + static_cast<int64_t>(kDocBufferSize) ||
                          m_nBufferOffset + static_cast<int64_t>(kDocBufferSize) >= m_nFileSize);
    if (!bUsable && !LoadWindow(off)) return 0;
    // Only bytes the window really holds: the file may have shrunk meanwhile.
    const uint64_t nInWindow =
        m_nBufferOffset + static_cast<int64_t>(m_nBufferLen) > off
            ? static_cast<uint64_t>(m_nBufferOffset + static_cast<int64_t>(m_nBufferLen) - off)
            : 0;
    const uint64_t nCopy =
        std::min<uint64_t>({nLength, static_cast<uint64_t>(m_nFileSize) - nOffset, nInWindow});
    std::memcpy(pDest, m_pBuffer.get() + (off - m_nBufferOffset), static_cast<size_t>(nCopy));
    return static_cast<uint32_t>(nCopy);
}

const uint8_t* CTervikDoc::MapBytes(uint64_t nOffset, uint32_t nWant, uint32_t& nValid) {
    nValid = 0;
    if (!m_pBuffer || m_nFileSize <= 0 || nOffset >= static_cast<uint64_t>(m_nFileSize))
        return nullptr;
    const auto off = static_cast<int64_t>(nOffset);
    const int64_t nNeed = std::min<int64_t>(
        {int64_t{nWant}, static_cast<int64_t>(kDocBufferSize), m_nFileSize - off});
    const bool bInside = m_nBufferOffset != -1 && off >= m_nBufferOffset &&
                         off + nNeed <= m_nBufferOffset + static_cast<int64_t>(m_nBufferLen);
    if (!bInside && !LoadWindow(off)) return nullptr;
    const int64_t nEnd = m_nBufferOffset + static_cast<int64_t>(m_nBufferLen);
    if (nEnd <= off) return nullptr;
    nValid = static_cast<uint32_t>(nEnd - off);
    return m_pBuffer.get() + (off - m_nBufferOffset);
}

bool CTervikDoc::GetRecordOffset(uint32_t nRecord, uint64_t& nOffset) const {
    const auto e = Record(nRecord);
    if (!e) return false;
    nOffset = e->m_nOffset;
    return true;
}

uint32_t CTervikDoc::GetRecordText(uint32_t nRecord, char* pDest, uint32_t nMaxChars,
                                   uint32_t nSkip, bool bExpand, bool bBackward) {
    const int64_t n = ReadRecordText(nRecord, pDest, nMaxChars, nSkip, bExpand, bBackward);
    return n < 0 ? 0 : static_cast<uint32_t>(n);
}

const uint8_t* CTervikDoc::RecordInWindow(uint32_t nRecord, bool bBackward, size_t& nLength) {
    nLength = 0;
    const auto e = Record(nRecord);
    if (!e || !m_pBuffer) return nullptr;
    const RecordEntry entry = *e;
    // Longer records than the window show their first 64 KB.
    const size_t nLen = std::min<size_t>(entry.m_nLength, kDocBufferSize);
    const auto off = static_cast<int64_t>(entry.m_nOffset);
    const bool bInside =
        m_nBufferOffset != -1 && off >= m_nBufferOffset &&
        off + static_cast<int64_t>(nLen) <= m_nBufferOffset + static_cast<int64_t>(m_nBufferLen);
    if (!bInside) {
        int64_t nStart = off;
        if (bBackward) {
            // Reading upwards: the records before this one come into the window too.
            const int64_t nBack =
                off + static_cast<int64_t>(nLen) + 1 - static_cast<int64_t>(kDocBufferSize);
            nStart = std::clamp<int64_t>(nBack, 0, off);
        }
        if (!LoadWindow(nStart) || m_nBufferOffset + static_cast<int64_t>(m_nBufferLen) <
                                       off + static_cast<int64_t>(nLen)) {
            m_nBufferOffset = -1;
            return nullptr;
        }
    }
    const uint8_t* p = m_pBuffer.get() + (off - m_nBufferOffset);
    nLength = nLen;
    if (entry.m_nOffset == 0) {
        // The mark is no text while the display decodes what it marks; a file without
        // a mark loses nothing.
        const size_t nMark = m_bUtf16 ? (m_bBomUtf16Le || m_bBomUtf16Be ? 2 : 0)
                                      : (m_bUtf8 && m_bBomUtf8 ? 3 : 0);
        const size_t nSkipMark = std::min(nMark, nLength);
        p += nSkipMark;
        nLength -= nSkipMark;
    }
    return p;
}

std::string_view CTervikDoc::Mark() const {
    if (m_bBomUtf16Le) return "\xFF\xFE";
    if (m_bBomUtf16Be) return "\xFE\xFF";
    if (m_bBomUtf8) return "\xEF\xBB\xBF";
    return {};
}

namespace {

// Walks the characters of a record into display columns: each character one column,
// a TAB (with expansion) every column up to the next tab stop. unitAt(i) gives the
// character i as the destination takes it and whether it is a TAB.
template <class T, class UnitAt>
uint32_t ExpandColumns(size_t nUnits, UnitAt unitAt, T* pDest, uint32_t nMaxChars, uint32_t nSkip,
                       bool bExpand, uint32_t nTab) {
    uint32_t k = 0, w = 0;
    size_t i = 0;
    while (w < nMaxChars && i < nUnits) {
        bool bTab = false;
        const T c = unitAt(i, bTab);
        ++k;
        if (k > nSkip) pDest[w++] = c;
        if (!(bExpand && bTab && k % nTab != 0)) ++i;
        if (k == UINT32_MAX) break;
    }
    return w;
}

uint16_t Utf16Unit(const uint8_t* p, bool bBigEndian) {
    return bBigEndian ? static_cast<uint16_t>(p[0] << 8 | p[1])
                      : static_cast<uint16_t>(p[1] << 8 | p[0]);
}

} // namespace

int64_t CTervikDoc::ReadRecordText(uint32_t nRecord, char* pDest, uint32_t nMaxChars,
                                   uint32_t nSkip, bool bExpand, bool bBackward) {
    const auto e = Record(nRecord);
    if (!e || e->m_nLength == 0 || nMaxChars == 0) return 0;
    size_t n = 0;
    const uint8_t* p = RecordInWindow(nRecord, bBackward, n);
    if (!p) return kRecordShort;
    std::unique_ptr<uint8_t[]> converted;
    if (m_bUtf8 && !m_bUtf16 && n > 1) {
        converted.reset(new (std::nothrow) uint8_t[n]);
        if (converted) {
            n = Utf8ToCp1252(p, n, converted.get());
            p = converted.get();
        }
    }
    const uint32_t nTab = static_cast<uint32_t>(std::max(1, m_nTabSize));
    if (m_bUtf16) {
        const bool bBigEndian = m_bBomUtf16Be != 0;
        // A last single byte is not shown.
        return ExpandColumns<char>(
            n / 2,
            [&](size_t i, bool& bTab) {
                const uint16_t unit = Utf16Unit(p + 2 * i, bBigEndian);
                bTab = unit == 0x0009;
                return static_cast<char>(Utf16UnitToCp1252(unit));
            },
            pDest, nMaxChars, nSkip, bExpand, nTab);
    }
    return ExpandColumns<char>(
        n,
        [&](size_t i, bool& bTab) {
            bTab = p[i] == 0x09;
            return static_cast<char>(p[i]);
        },
        pDest, nMaxChars, nSkip, bExpand, nTab);
}

int64_t CTervikDoc::ReadRecordChars(uint32_t nRecord, char32_t* pDest, uint32_t nMaxChars,
                                    uint32_t nSkip, bool bExpand) {
    const auto e = Record(nRecord);
    if (!e || e->m_nLength == 0 || nMaxChars == 0) return 0;
    size_t n = 0;
    const uint8_t* p = RecordInWindow(nRecord, false, n);
    if (!p) return kRecordShort;
    const uint32_t nTab = static_cast<uint32_t>(std::max(1, m_nTabSize));
    if (m_bUtf16) {
        const bool bBigEndian = m_bBomUtf16Be != 0;
        return ExpandColumns<char32_t>(
            n / 2,
            [&](size_t i, bool& bTab) {
                const uint16_t unit = Utf16Unit(p + 2 * i, bBigEndian);
                bTab = unit == 0x0009;
                return char32_t{unit};
            },
            pDest, nMaxChars, nSkip, bExpand, nTab);
    }
    if (m_bUtf8 && n > 1) {
        std::vector<char32_t> chars(n);
        const size_t nChars = Utf8ToUnicode(p, n, chars.data());
        return ExpandColumns<char32_t>(
            nChars,
            [&](size_t i, bool& bTab) {
                bTab = chars[i] == 0x09;
                return chars[i];
            },
            pDest, nMaxChars, nSkip, bExpand, nTab);
    }
    return ExpandColumns<char32_t>(
        n,
        [&](size_t i, bool& bTab) {
            bTab = p[i] == 0x09;
            return char32_t{Cp1252ToUnicode(p[i])};
        },
        pDest, nMaxChars, nSkip, bExpand, nTab);
}

uint32_t CTervikDoc::GetRecordLength(uint32_t nRecord, bool bExpand) {
    const auto e = Record(nRecord);
    if (!e) return 0;
    const RecordEntry entry = *e;
    if (!m_bUtf16 && !m_bUtf8 && (!bExpand || entry.m_nLength == 0 || (entry.m_nFlags & RF_NO_TAB)))
        return entry.m_nLength;
    const uint64_t nScratch = static_cast<uint64_t>(std::max(1, m_nTabSize)) *
                                  std::min<uint64_t>(entry.m_nLength, kDocBufferSize) +
                              1;
    char stackBuf[512];
    std::unique_ptr<char[]> heap;
    char* pBuf = stackBuf;
    if (nScratch > sizeof stackBuf) {
        heap.reset(new (std::nothrow) char[nScratch]);
        if (!heap) return 0;
        pBuf = heap.get();
    }
    return GetRecordText(nRecord, pBuf,
                         static_cast<uint32_t>(std::min<uint64_t>(nScratch, UINT32_MAX)), 0, true,
                         false);
}

void CTervikDoc::EbcdicToAnsi(const uint8_t* pSrc, uint8_t* pDst, size_t n) {
    tervik::EbcdicToAnsi(pSrc, pDst, n);
}
void CTervikDoc::AnsiToEbcdic(const uint8_t* pSrc, uint8_t* pDst, size_t n) {
    tervik::AnsiToEbcdic(pSrc, pDst, n);
}

} // namespace tervik
