#include "document/TervikDoc.h"

#include "base/Settings.h"
#include "base/Strings.h"
#include "document/DigestWorker.h"
#include "document/Ebcdic.h"
#include "document/RecordCutter.h"
#include "document/TableSink.h"
#include "framework/CmdUI.h"
#include "framework/CommandIds.h"
#include "framework/MessageBoxTypes.h"
#include "platform/CodePage.h"
#include "platform/SysError.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <deque>
#include <new>
#include <optional>

namespace tervik {

namespace {

constexpr int32_t kSelectedBlockSize = 32768;
// The read thread reads this much at a time.
constexpr size_t kReadAhead = 128 * 1024;
// Status texts show at most this much of a path.
constexpr size_t kMaxStatusPath = 255;

std::string ShortPath(const std::string& path) {
    return path.size() > kMaxStatusPath ? path.substr(0, kMaxStatusPath) : path;
}

} // namespace

// What the open sequence has to undo on failure.
struct CTervikDoc::OpenState {
    std::string savedStatus;
    bool bProgressBar = false;
};

CTervikDoc::CTervikDoc(IDocumentHost& host) : m_host(host) {
    m_nTabSize = host.Settings().TabSize();
    std::fill(std::begin(m_nGotoHistory), std::end(m_nGotoHistory), UINT32_MAX);
    m_host.AddDocument(this);
    if (m_host.IsWorkspaceOpen()) m_host.SetWorkspaceModified();
}

CTervikDoc::~CTervikDoc() {
    StopDigest();
    m_host.RemoveDocument(this);
    if (m_host.IsWorkspaceOpen() && !m_bDeleteOnClose) m_host.SetWorkspaceModified();
    if (m_bDeleteOnClose && !m_szFileName.empty()) {
        m_hFile.Close();
        ::unlink(m_szFileName.c_str());
    }
}

void CTervikDoc::StopDigest() {
    if (m_pDigest) {
        m_pDigest->Cancel();
        m_pDigest->Wait();
        m_pDigest.reset();
    }
}

void CTervikDoc::ReleaseAll() {
    StopDigest();
    m_pBuffer.reset();
    m_nBufferOffset = -1;
    m_nBufferLen = 0;
    m_hFile.Close();
    m_pRecords.reset();
    m_pSelected.reset();
}

bool CTervikDoc::FailOpen(OpenState& st, const Cp1252String& message) {
    // The status bar no longer says the file is being read while the message is up.
    if (st.bProgressBar) m_host.RemoveProgressBar();
    st.bProgressBar = false;
    m_host.SetStatusText(st.savedStatus);
    m_host.ShowActivePosition();
    m_host.RepaintStatusBar();
    if (!message.empty() && !m_bReopening) m_host.MessageBox(message, MB_OK | MB_ICONEXCLAMATION);
    ReleaseAll();
    return false;
}

bool CTervikDoc::OnOpenDocument(const std::string& path) {
    CSettings& settings = m_host.Settings();
    // A reopen reads with the options of the first open.
    const OpenOptions options = m_bReopening ? m_openOptions : m_host.CurrentOpenOptions();
    m_openOptions = options;
    m_nMaxRecSize = settings.MaxRecSize();

    // The path in the cp1252 texts below.
    const std::string name = PathToAnsi(path);
    OpenState st;
    st.savedStatus = m_host.GetStatusText();
    m_host.SetStatusText(FormatString(IDS_READING_FILE, ShortPath(name).c_str()));
    m_host.SetPositionIndicator(1, 0, 1, 0);
    m_host.RepaintStatusBar();

    m_pSelected.reset();
    m_bBulkSelect = false;
    m_pRecords.reset(new (std::nothrow) CRecordTable);
    if (!m_pRecords) return FailOpen(st, LoadString(IDS_NO_MEMORY));

    if (path.size() > kMaxPathLength || path.find('\0') != std::string::npos)
        return FailOpen(st, FormatString(IDS_PATH_TOO_LONG, ShortPath(name).c_str()));
    m_szFileName = path;

    m_nFixedSize = options.m_nFixRecSize;
    if (m_nFixedSize != 0) m_nTabSize = 1;

    bool bShareWrite = options.m_bShareWrite;
    if (!m_hFile.OpenRead(path, bShareWrite)) {
        const uint32_t nCode = m_hFile.LastError();
        const std::string text = FormatString(IDS_CANNOT_OPEN, name.c_str()) + CauseText(nCode);
        if (nCode != kErrSharingViolation || bShareWrite) return FailOpen(st, text);
        if (m_host.MessageBox(text + LoadString(IDS_ASK_SHARE_WRITE), MB_YESNO | MB_ICONQUESTION) !=
            IDYES)
            return FailOpen(st, {});
        bShareWrite = true;
        m_openOptions.m_bShareWrite = true;
        if (!m_hFile.OpenRead(path, bShareWrite))
            return FailOpen(st, FormatString(IDS_CANNOT_OPEN, name.c_str()) +
                                    CauseText(m_hFile.LastError()));
    }

    m_nFileSize = m_hFile.Size();
    if (m_nFileSize < 0)
        return FailOpen(st, FormatString(IDS_CANNOT_READ, name.c_str()) +
                                CauseText(m_hFile.LastError()));

    if (m_nFileSize >= 1000000) {
        PixelRect pane;
        if (m_host.GetMessagePaneRect(pane)) {
            if (auto rc = ProgressBarRect(m_host.GetStatusText().size(), pane)) {
                m_host.ShowProgressBar(*rc, 1000);
                st.bProgressBar = true;
            }
        }
    }

    m_pBuffer.reset(new (std::nothrow) uint8_t[kDocBufferSize]);
    if (!m_pBuffer) return FailOpen(st, {});

    m_nRecords = 0;
    m_nMaxLength = 0;
    m_nCutEnd = -1;
    m_nBufferOffset = 0;
    const int64_t nFirst = m_hFile.ReadAt(m_pBuffer.get(), kDocBufferSize, 0);
    if (nFirst < 0)
        return FailOpen(st, FormatString(IDS_CANNOT_READ, name.c_str()) +
                                CauseText(m_hFile.LastError()));
    // An empty file opens too (a log not written yet); refresh and follow fill it.
    m_nBufferLen = static_cast<size_t>(nFirst);
    // The size may have changed between the two calls; what was read counts.
    m_nFileSize = std::max<int64_t>(m_nFileSize, nFirst);
    DetectByteOrderMark(m_pBuffer.get(), m_nBufferLen);

    m_nRecordsRead.store(0);
    m_nBytesDone.store(0);
    CCompletion done;
    uint32_t nExitCode = 0;
    m_host.BeginBusy();
    std::thread worker;
    try {
        worker = std::thread([&] {
            nExitCode = ReadRecordsThread(static_cast<size_t>(nFirst), options.m_nRecordLimit,
                                          options.m_bLimitFromEnd);
            done.Set();
        });
    } catch (const std::system_error&) {
        m_host.EndBusy();
        return FailOpen(st, {});
    } catch (const std::bad_alloc&) {
        m_host.EndBusy();
        return FailOpen(st, LoadString(IDS_NO_MEMORY));
    }
    for (;;) {
        m_host.WaitBusy(done, 1000);
        if (done.IsSet()) break;
        m_host.SetPositionIndicator(1, m_nRecordsRead.load(std::memory_order_relaxed), 1, 0);
        m_host.RepaintStatusBar();
        if (st.bProgressBar && m_nFileSize > 0)
            m_host.SetProgress(static_cast<int>(m_nBytesDone.load(std::memory_order_relaxed) *
                                                1000 / m_nFileSize));
    }
    worker.join();
    m_host.EndBusy();
    // The known part: what the cut reached at the end of the file, when the file grew
    // while it was cut; a cut that stopped early leaves the size taken at open, where
    // a refresh goes on.
    if (m_nCutEnd > m_nFileSize) m_nFileSize = m_nCutEnd;

    if (nExitCode != 0)
        return FailOpen(st, FormatString(IDS_CANNOT_READ, name.c_str()) + CauseText(nExitCode));
    // Not even the first record found room: as if the table could not be created.
    if (m_bOutOfMemory && m_pRecords->Count() == 0) return FailOpen(st, LoadString(IDS_NO_MEMORY));
    // The digest follows on its own thread; the cut did not wait for it and the
    // views do not either.
    try {
        m_pDigest = std::make_unique<CDigestWorker>(m_hFile, static_cast<uint64_t>(nFirst),
                                                    m_nDigestFrom, m_nDigestTo);
    } catch (const std::system_error&) {
        m_pDigest.reset(); // no thread: the digest stays empty
    }

    m_nRecords = m_pRecords->Count();
    m_host.SetStatusText(st.savedStatus);
    m_host.RepaintStatusBar();
    if (st.bProgressBar) m_host.RemoveProgressBar();
    if (!m_bReopening) m_host.AddOpenDocument(this);
    // A reopen while following runs without a box; the status bar says it instead.
    const auto tell = [&](const std::string& text) {
        if (m_bReopening)
            m_host.SetStatusText(text);
        else
            m_host.MessageBox(text, MB_OK | MB_ICONEXCLAMATION);
    };
    if (m_nFileSize == 0 && !m_bReopening) m_host.SetStatusText(LoadString(IDS_EMPTY_FILE_STATUS));
    if (m_bRecordCapHit) tell(FormatString(IDS_RECORD_LIMIT_REACHED, name.c_str(), m_nRecords));
    if (m_bOutOfMemory) tell(LoadString(IDS_NO_MEMORY));
    return true;
}

uint32_t CTervikDoc::ReadRecordsThread(size_t nFirstBlock, uint32_t nLimit, bool bFromEnd) {
    CutParams params;
    params.m_nFixedSize = m_nFixedSize;
    params.m_nMaxRecSize = m_nMaxRecSize;
    params.m_eEncoding = EncodingOf(*this);
    if (nLimit != 0) {
        if (bFromEnd)
            params.m_nLimitFromEnd = nLimit;
        else
            params.m_nLimitFromStart = nLimit;
    }
    CTableSink sink(*m_pRecords, m_nRecordsRead, m_nRecordCap);

    uint64_t nStart = 0;
    size_t nBlock = nFirstBlock;
    if (bFromEnd && nLimit != 0) {
        // Only the tail of a large file can hold the last records.
        const uint64_t nSize = static_cast<uint64_t>(m_nFileSize);
        const unsigned __int128 nWindow =
            static_cast<unsigned __int128>(nLimit + uint64_t{1}) *
            ((m_nFixedSize ? m_nFixedSize : m_nMaxRecSize) + uint64_t{2});
        if (nWindow * 2 < nSize) {
            nStart = nSize - static_cast<uint64_t>(nWindow);
            m_nDigestFrom = m_nDigestTo = nStart;
            const int64_t n =
                m_hFile.ReadAt(m_pBuffer.get(), kDocBufferSize, static_cast<int64_t>(nStart));
            if (n <= 0) return 0; // nothing there: the table stays empty
            nBlock = static_cast<size_t>(n);
        }
    }
    if (nStart == 0) m_nDigestFrom = nBlock;

    m_nBytesDone.store(static_cast<int64_t>(nStart));
    CRecordCutter cutter(params, sink, nStart, m_host.EscapeFlag());
    uint64_t nPos = nStart;
    uint32_t nError = 0;
    // Fewer, larger reads; the cutter still takes the data in 64 KB blocks, so
    // where it stops (and what the digest covers) does not depend on the read size.
    size_t nAhead = kReadAhead;
    std::unique_ptr<uint8_t[]> pAhead(new (std::nothrow) uint8_t[kReadAhead]);
    if (!pAhead) nAhead = 0;
    const uint8_t* pData = m_pBuffer.get();
    size_t nData = nBlock;
    // The stores report a lack of memory themselves; anything else that runs out of
    // it ends the cut the same way, with the records stored so far.
    bool bNoMemory = false;
    try {
        for (;;) {
            bool bGoing = true;
            for (size_t nAt = 0; bGoing && nAt < nData;) {
                const size_t nPiece = std::min(kDocBufferSize, nData - nAt);
                bGoing = cutter.Feed(pData + nAt, nPiece);
                nAt += nPiece;
                nPos += nPiece;
            }
            m_nBytesDone.store(static_cast<int64_t>(nPos), std::memory_order_relaxed);
            if (!bGoing) break;
            uint8_t* pInto = nAhead ? pAhead.get() : m_pBuffer.get();
            const int64_t n =
                m_hFile.ReadAt(pInto, nAhead ? nAhead : kDocBufferSize, static_cast<int64_t>(nPos));
            if (n < 0) {
                nError = m_hFile.LastError();
                break;
            }
            if (n == 0) {
                cutter.Finish();
                m_nCutEnd = static_cast<int64_t>(nPos);
                break;
            }
            pData = pInto;
            nData = static_cast<size_t>(n);
        }
    } catch (const std::bad_alloc&) {
        bNoMemory = true;
    }
    m_nBufferOffset = -1;
    m_nBufferLen = 0;
    m_nDigestTo = std::max(m_nDigestTo, m_nDigestFrom);
    if (nError != 0) return nError;
    m_nDigestTo = nPos;
    m_bOutOfMemory = bNoMemory || sink.NoMemory();
    m_bRecordCapHit = cutter.StoppedBySink() && !m_bOutOfMemory;
    m_nLineEnd = cutter.LineEnd();
    m_nMaxLength = cutter.MaxLength();
    return 0;
}

void CTervikDoc::OnCloseDocument() {
    ReleaseAll();
    m_host.RemoveOpenDocument(this);
}

const char* CTervikDoc::GetDigest() {
    if (m_pDigest) {
        const std::string& digest = m_pDigest->Wait();
        std::snprintf(m_szDigest, sizeof m_szDigest, "%s", digest.c_str());
        m_bDigestNoMemory = m_pDigest->RanOutOfMemory();
        m_pDigest.reset();
    }
    return m_szDigest;
}

bool CTervikDoc::IsDigestReady() const {
    return !m_pDigest || m_pDigest->IsReady();
}

// ---------------------------------------------------------------- selection

uint32_t CTervikDoc::ColourBitsFor(const COLORREF* pColour) const {
    const ColorSettings& c = m_host.Colours();
    if (pColour) {
        if (*pColour == c.m_crGreenMarker) return RF_GREEN;
        if (*pColour == c.m_crRedMarker) return RF_RED;
        return RF_BLUE;
    }
    switch (m_host.SelectColour()) {
    case 1:
        return RF_RED;
    case 2:
        return RF_GREEN;
    default:
        return RF_BLUE;
    }
}

bool CTervikDoc::IsLineSelected(uint32_t nRecord, COLORREF* pText, COLORREF* pBackground) const {
    const auto e = Record(nRecord);
    if (!e || (e->m_nFlags & RF_COLOUR_MASK) == 0) return false;
    if (!pText) return true;
    const ColorSettings& c = m_host.Colours();
    switch (e->m_nFlags & RF_COLOUR_MASK) {
    case RF_RED:
        *pText = c.m_crRedMarker;
        if (pBackground) *pBackground = c.m_crBackgroundRedMarker;
        break;
    case RF_GREEN:
        *pText = c.m_crGreenMarker;
        if (pBackground) *pBackground = c.m_crBackgroundGreenMarker;
        break;
    default:
        *pText = c.m_crBlueMarker;
        if (pBackground) *pBackground = c.m_crBackgroundBlueMarker;
        break;
    }
    return true;
}

namespace {
// First position in the ascending index whose value is >= n.
uint32_t LowerBound(const CBlockList& index, uint32_t n) {
    uint32_t lo = 0, hi = index.Count();
    while (lo < hi) {
        const uint32_t mid = lo + (hi - lo) / 2;
        if (*index.AtAs<uint32_t>(mid) < n)
            lo = mid + 1;
        else
            hi = mid;
    }
    return lo;
}
} // namespace

bool CTervikDoc::SetLineSelected(uint32_t nRecord, bool bSelect, const COLORREF* pColour) {
    const auto e = Record(nRecord);
    if (!e) return false;
    const bool bWasSelected = (e->m_nFlags & RF_COLOUR_MASK) != 0;
    if (bSelect && !bWasSelected)
        ++m_nSelected;
    else if (!bSelect && bWasSelected && m_nSelected > 0)
        --m_nSelected;
    m_pRecords->SetFlags(nRecord, (e->m_nFlags & ~RF_COLOUR_MASK) |
                                      (bSelect ? ColourBitsFor(pColour) : 0));
    if (bSelect) {
        if (!m_bBulkSelect) {
            if (!m_pSelected)
                m_pSelected = std::make_unique<CBlockList>(static_cast<uint16_t>(sizeof(uint32_t)),
                                                           kSelectedBlockSize);
            const uint32_t nAt = LowerBound(*m_pSelected, nRecord);
            if (nAt >= m_pSelected->Count() || *m_pSelected->AtAs<uint32_t>(nAt) != nRecord)
                m_pSelected->Insert(nAt, &nRecord);
        }
    } else if (!m_bBulkSelect && m_pSelected) {
        const uint32_t nAt = LowerBound(*m_pSelected, nRecord);
        if (nAt < m_pSelected->Count() && *m_pSelected->AtAs<uint32_t>(nAt) == nRecord)
            m_pSelected->Remove(nAt, 1);
        if (m_pSelected->Count() == 0) m_pSelected.reset();
    }
    return true;
}

bool CTervikDoc::ChangeLineColour(uint32_t nRecord, COLORREF colour) {
    const auto e = Record(nRecord);
    if (!e || (e->m_nFlags & RF_COLOUR_MASK) == 0) return false;
    return m_pRecords->SetFlags(nRecord, (e->m_nFlags & ~RF_COLOUR_MASK) | ColourBitsFor(&colour));
}

void CTervikDoc::EndBulkSelect() {
    m_pSelected.reset();
    if (m_nSelected > 0 && m_pRecords) {
        m_pSelected = std::make_unique<CBlockList>(static_cast<uint16_t>(sizeof(uint32_t)),
                                                   kSelectedBlockSize);
        const uint32_t nCount = m_pRecords->Count();
        // Appended in batches: an index of millions is rebuilt in one pass.
        constexpr uint32_t kBatch = 4096;
        uint32_t batch[kBatch];
        uint32_t nBatch = 0;
        bool bFailed = false;
        auto flush = [&] {
            uint32_t nAppended = 0;
            if (nBatch && m_pSelected->AppendMany(batch, nBatch, nAppended) != kBlOk)
                bFailed = true;
            nBatch = 0;
        };
        for (uint32_t i = 0; i < nCount && !bFailed; ++i) {
            if (!(m_pRecords->At(i)->m_nFlags & RF_COLOUR_MASK)) continue;
            batch[nBatch++] = i;
            if (nBatch == kBatch) flush();
        }
        flush();
        if (m_pSelected->Count() == 0) m_pSelected.reset();
    }
    m_bBulkSelect = false;
}

bool CTervikDoc::NthSelected(uint32_t n, uint32_t& nRecord) const {
    const uint32_t* p = m_pSelected ? m_pSelected->AtAs<uint32_t>(n) : nullptr;
    if (p) nRecord = *p;
    return p != nullptr;
}

bool CTervikDoc::NextSelected(uint32_t& nRecord) const {
    if (!m_pSelected || m_pSelected->Count() == 0 || nRecord == UINT32_MAX) return false;
    const uint32_t nAt = LowerBound(*m_pSelected, nRecord + 1);
    if (nAt >= m_pSelected->Count()) return false;
    nRecord = *m_pSelected->AtAs<uint32_t>(nAt);
    return true;
}

bool CTervikDoc::PrevSelected(uint32_t& nRecord) const {
    if (!m_pSelected || m_pSelected->Count() == 0) return false;
    const uint32_t nAt = LowerBound(*m_pSelected, nRecord);
    if (nAt == 0) return false;
    nRecord = *m_pSelected->AtAs<uint32_t>(nAt - 1);
    return true;
}

// ---------------------------------------------------------------- character sets

void CTervikDoc::OnUnicode() {
    m_bUtf16 = !m_bUtf16;
    UpdateAllViews(nullptr, HINT_CHARSET);
}
void CTervikDoc::OnUnicodeBigEndian() {
    m_bUtf16 = !m_bUtf16;
    UpdateAllViews(nullptr, HINT_CHARSET);
}
void CTervikDoc::OnUtf8() {
    m_bUtf8 = !m_bUtf8;
    m_bUtf8Pending = false;
    UpdateAllViews(nullptr, HINT_CHARSET);
}
void CTervikDoc::OnOem() {
    m_bOem = !m_bOem;
    UpdateAllViews(nullptr, HINT_OEM);
}
void CTervikDoc::OnEbcdic() {
    m_bEbcdic = !m_bEbcdic;
    UpdateAllViews(nullptr, HINT_EBCDIC);
}
void CTervikDoc::OnUpdateUnicode(CCmdUI& ui) {
    ui.Enable(m_bBomUtf16Le != 0);
    ui.SetCheck(m_bBomUtf16Le && m_bUtf16 ? 1 : 0);
}
void CTervikDoc::OnUpdateUnicodeBigEndian(CCmdUI& ui) {
    ui.Enable(m_bBomUtf16Be != 0);
    ui.SetCheck(m_bBomUtf16Be && m_bUtf16 ? 1 : 0);
}
void CTervikDoc::OnUpdateUtf8(CCmdUI& ui) {
    ui.Enable(CanUseUtf8());
    ui.SetCheck(CanUseUtf8() && m_bUtf8 ? 1 : 0);
}
void CTervikDoc::OnUpdateOem(CCmdUI& ui) {
    ui.Enable(true);
    ui.SetCheck(m_bOem ? 1 : 0);
}
void CTervikDoc::OnUpdateEbcdic(CCmdUI& ui) {
    ui.Enable(true);
    ui.SetCheck(m_bEbcdic ? 1 : 0);
}

bool CTervikDoc::OnCmdMsg(unsigned nId, CCmdUI* pUI) {
    static const CommandEntry<CTervikDoc> kCommands[] = {
        {ID_VIEW_UNICODE, &CTervikDoc::OnUnicode, &CTervikDoc::OnUpdateUnicode},
        {ID_VIEW_UNICODE_BE, &CTervikDoc::OnUnicodeBigEndian,
         &CTervikDoc::OnUpdateUnicodeBigEndian},
        {ID_VIEW_UTF8, &CTervikDoc::OnUtf8, &CTervikDoc::OnUpdateUtf8},
        {ID_VIEW_OEM, &CTervikDoc::OnOem, &CTervikDoc::OnUpdateOem},
        {ID_VIEW_EBCDIC, &CTervikDoc::OnEbcdic, &CTervikDoc::OnUpdateEbcdic},
        {ID_VIEW_REFRESH, &CTervikDoc::OnRefresh, nullptr},
    };
    return DispatchCommand(*this, kCommands, nId, pUI);
}

// ---------------------------------------------------------------- views

void CTervikDoc::AddView(IDocumentView* pView) {
    if (pView && std::find(m_views.begin(), m_views.end(), pView) == m_views.end())
        m_views.push_back(pView);
}

void CTervikDoc::RemoveView(IDocumentView* pView) {
    std::erase(m_views, pView);
}

void CTervikDoc::UpdateAllViews(IDocumentView* pSender, unsigned nHint) {
    // A copy: a view may detach itself while being told.
    const std::vector<IDocumentView*> views = m_views;
    for (IDocumentView* v : views)
        if (v != pSender) v->OnUpdate(pSender, nHint);
}

} // namespace tervik
