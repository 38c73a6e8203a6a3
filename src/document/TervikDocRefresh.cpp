// Refresh: what was appended since the cut, whether the file was truncated or
// replaced, and reading it again.

#include "document/TervikDoc.h"

#include "base/Settings.h"
#include "base/Strings.h"
#include "document/Ebcdic.h"
#include "document/RecordCutter.h"
#include "document/TableSink.h"
#include "framework/CommandIds.h"
#include "framework/MessageBoxTypes.h"
#include "platform/CodePage.h"
#include "platform/SysError.h"

#include <algorithm>
#include <cstring>

namespace tervik {

void CTervikDoc::OnRefresh() {
    Extend();
    // Read through the open handle, a truncated or replaced file gives nothing new;
    // the user learns why.
    switch (CheckFileChange()) {
    case FileChange::Shorter:
        m_host.SetStatusText(LoadString(IDS_FILE_SHORTER));
        break;
    case FileChange::Replaced:
        m_host.SetStatusText(LoadString(IDS_FILE_REPLACED));
        break;
    case FileChange::None:
        break;
    }
}

bool CTervikDoc::LastRecordComplete() const {
    if (!m_pRecords || m_pRecords->Count() == 0) return true;
    const auto pLast = m_pRecords->At(m_pRecords->Count() - 1);
    if (m_nFixedSize != 0)
        return pLast->m_nLength >= std::min(m_nFixedSize, std::max<uint32_t>(1, m_nMaxRecSize));
    // A record that ends where the known part ends has no line end (yet).
    return pLast->m_nOffset + pLast->m_nLength < static_cast<uint64_t>(m_nFileSize);
}

uint32_t CTervikDoc::SettledRecords() const {
    const uint32_t n = m_pRecords ? m_pRecords->Count() : 0;
    if (n == 0) return 0;
    if (m_nFixedSize != 0) return LastRecordComplete() ? n : n - 1;
    const auto endOf = [&](uint32_t i) {
        const auto e = m_pRecords->At(i);
        return e->m_nOffset + e->m_nLength;
    };
    if (endOf(n - 1) != static_cast<uint64_t>(m_nFileSize)) return n;
    if (n >= 2 && endOf(n - 2) == m_pRecords->At(n - 1)->m_nOffset) return n - 2;
    return n - 1;
}

bool CTervikDoc::Extend() {
    // While the first cut runs, what it has not reached is not new.
    if (m_pCut || !m_pRecords || !m_pBuffer || !m_hFile.IsOpen()) return false;
    const uint64_t nOldEnd = static_cast<uint64_t>(std::max<int64_t>(0, m_nFileSize));
    // While only ASCII was seen, the new bytes are looked at for UTF-8 together with a
    // sequence the last look found cut off.
    const uint64_t nLookFrom =
        m_bUtf8Pending && m_nUtf8From < nOldEnd && nOldEnd - m_nUtf8From < 4 ? m_nUtf8From
                                                                            : nOldEnd;
    if (!LoadWindow(static_cast<int64_t>(nLookFrom)) ||
        m_nBufferLen <= nOldEnd - nLookFrom) { // nothing new (or the file shrank)
        m_nBufferOffset = -1;
        m_nBufferLen = 0;
        return false;
    }
    const int32_t bWasUtf8 = m_bUtf8;
    // A file that was empty at open gets its first bytes now: they carry its mark.
    if (nOldEnd == 0 && m_pRecords->Count() == 0)
        DetectByteOrderMark(m_pBuffer.get(), m_nBufferLen);
    else
        CheckForUtf8(m_pBuffer.get(), m_nBufferLen, nLookFrom);
    m_nBufferOffset = -1;
    m_nBufferLen = 0;

    // A last record that ends with the known part (no line end, or a fixed-length
    // record) is cut again together with the data that continues it: writers flush in
    // blocks, not at line ends, and one line must not become two records. A record cut
    // at the longest size right before it is cut again as well: the cut may not have
    // seen the line end behind it yet (half a UTF-16 unit at the end). Their numbers
    // and colours stay.
    const uint32_t nBefore = m_pRecords->Count();
    uint64_t nStart = nOldEnd;
    std::vector<RecordEntry> recut;
    bool bAfterCut = false;
    const auto endOf = [&](uint32_t i) {
        const auto e = m_pRecords->At(i);
        return e->m_nOffset + e->m_nLength;
    };
    if (nBefore != 0 && endOf(nBefore - 1) == nOldEnd) {
        uint32_t nFirst = nBefore - 1;
        if (m_nFixedSize == 0 && nFirst > 0 &&
            endOf(nFirst - 1) == m_pRecords->At(nFirst)->m_nOffset)
            --nFirst;
        for (uint32_t i = nFirst; i < nBefore; ++i)
            recut.push_back(*m_pRecords->At(i));
        nStart = recut.front().m_nOffset;
        // Right behind a record cut at the longest size the first cut allowed no empty
        // record (a lone CR there goes into the line end once its LF comes).
        bAfterCut = nFirst > 0 && endOf(nFirst - 1) == nStart;
        m_pRecords->Truncate(nFirst);
    }

    CutParams params;
    params.m_nFixedSize = m_nFixedSize;
    params.m_nMaxRecSize = m_nMaxRecSize;
    params.m_eEncoding = EncodingOf(*this);
    CTableSink sink(*m_pRecords, m_nRecordCap);
    CRecordCutter cutter(params, sink, nStart);
    if (bAfterCut) cutter.FollowCut();
    uint64_t nPos = nStart;
    bool bAll = true; // the data ended, not the table
    try {
        for (;;) {
            const int64_t n =
                m_hFile.ReadAt(m_pBuffer.get(), kDocBufferSize, static_cast<int64_t>(nPos));
            if (n <= 0) {
                cutter.Finish(); // a failed read ends the data like the end of the file
                break;
            }
            nPos += static_cast<uint64_t>(n);
            if (!cutter.Feed(m_pBuffer.get(), static_cast<size_t>(n))) {
                bAll = false;
                break;
            }
        }
    } catch (const std::bad_alloc&) {
        bAll = false;
    }
    m_nBufferOffset = -1;
    m_nBufferLen = 0;
    const bool bNoMemory = sink.NoMemory() || (!bAll && !cutter.StoppedBySink());
    if (cutter.StoppedBySink() && !sink.NoMemory()) m_bRecordCapHit = true;

    uint32_t nCount = m_pRecords->Count();
    if (!recut.empty()) {
        const uint32_t nFirst = nBefore - static_cast<uint32_t>(recut.size());
        if (nCount < nBefore && !bAll) {
            // The old records did not all find room again: they come back as they were.
            m_pRecords->Truncate(nFirst);
            for (const RecordEntry& e : recut)
                m_pRecords->Append(e);
            nCount = m_pRecords->Count();
        } else {
            // Colours go back to the same numbers; a selected lone CR that went into
            // the line end before it leaves the selection.
            bool bLost = false;
            for (uint32_t i = 0; i < recut.size(); ++i) {
                const uint32_t nColour = recut[i].m_nFlags & RF_COLOUR_MASK;
                if (nFirst + i < nCount)
                    m_pRecords->SetFlags(nFirst + i, m_pRecords->At(nFirst + i)->m_nFlags | nColour);
                else if (nColour != 0 && m_nSelected > 0)
                    --m_nSelected, bLost = true;
            }
            if (bLost) {
                BeginBulkSelect();
                EndBulkSelect();
            }
        }
    }
    if (bAll) {
        m_nFileSize = static_cast<int64_t>(std::max(nPos, nOldEnd));
    } else if (nCount != 0) {
        // The known part ends with the last record stored, so that the next refresh
        // goes on from there.
        const auto pEnd = m_pRecords->At(nCount - 1);
        m_nFileSize =
            static_cast<int64_t>(std::max<uint64_t>(nOldEnd, pEnd->m_nOffset + pEnd->m_nLength));
    }
    if (m_nLineEnd == 0) m_nLineEnd = cutter.LineEnd();
    m_nMaxLength = std::max(m_nMaxLength, cutter.MaxLength());
    m_nRecords = nCount;
    // The first lines of a file that was empty: the pane no longer says it is.
    if (nBefore == 0 && nCount != 0 && m_host.GetStatusText() == LoadString(IDS_EMPTY_FILE_STATUS))
        m_host.SetStatusText(LoadString(IDS_READY));
    const bool bChanged = static_cast<uint64_t>(m_nFileSize) > nOldEnd || nCount != nBefore;
    if (bChanged) UpdateAllViews(nullptr, HINT_RECORDS_APPENDED);
    if (m_bUtf8 != bWasUtf8) UpdateAllViews(nullptr, HINT_CHARSET);
    if (bNoMemory) m_host.MessageBox(LoadString(IDS_NO_MEMORY), MB_OK | MB_ICONEXCLAMATION);
    return bChanged;
}

bool CTervikDoc::IsOwnFile(const std::string& path) {
    FileIdentity target, id;
    if (!PathIdentity(path, target)) return false;
    if (m_hFile.IsOpen() && m_hFile.Identity(id) && id == target) return true;
    return !m_szFileName.empty() && PathIdentity(m_szFileName, id) && id == target;
}

FileChange CTervikDoc::CheckFileChange() {
    FileIdentity open, now;
    if (!m_hFile.IsOpen() || !m_hFile.Identity(open)) return FileChange::None;
    if (PathIdentity(m_szFileName, now) && !(now == open)) return FileChange::Replaced;
    const int64_t nSize = m_hFile.Size();
    if (nSize >= 0 && nSize < m_nFileSize) return FileChange::Shorter;
    return FileChange::None;
}

bool CTervikDoc::Reopen() {
    const std::string path = m_szFileName;
    ReleaseAll();
    m_nRecords = 0;
    m_nSelected = 0;
    m_nMaxLength = 0;
    m_nLineEnd = 0;
    m_nFileSize = 0;
    m_bBomUtf16Le = m_bBomUtf16Be = m_bBomUtf8 = 0;
    m_bUtf16 = m_bUtf8 = 0;
    m_szDigest[0] = '\0';
    m_bRecordCapHit = false;
    m_bOutOfMemory = false;
    m_bReopening = true;
    const bool bOk = OnOpenDocument(path);
    m_bReopening = false;
    if (!bOk) {
        m_nRecords = 0;
        m_nFileSize = 0;
    }
    m_szFileName = path;
    UpdateAllViews(nullptr, HINT_RELOADED);
    return bOk;
}

} // namespace tervik
