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
#include <new>
#include <optional>

namespace tervik {

namespace {

constexpr int32_t kSelectedBlockSize = 32768;
// The read thread reads this much at a time.
constexpr size_t kReadAhead = 128 * 1024;
// Files up to this size are cut whole before their window shows (some 10 ms).
constexpr int64_t kCutAtOnceBytes = int64_t{16} << 20;
// Status texts show at most this much of a path.
constexpr size_t kMaxStatusPath = 255;

std::string ShortPath(const std::string& path) {
    return path.size() > kMaxStatusPath ? path.substr(0, kMaxStatusPath) : path;
}

} // namespace

// What the open sequence has to undo on failure.
struct CTervikDoc::OpenState {
    std::string savedStatus;
    // What the status bar says while the file is cut.
    std::string readingStatus;
    bool bProgressBar = false;
};

// A cut in progress: what the worker needs, and what it leaves for FinishOpen.
struct CTervikDoc::CutRun {
    OpenState st;
    std::string name; // the path in cp1252 texts
    CutParams params;
    uint64_t nFirst = 0; // bytes of the first block (in pData and in the window)
    std::unique_ptr<uint8_t[]> pData;
    std::thread worker;
    CCompletion done;
    // The host lists the document already (its views showed the known part).
    bool bListed = false;
    // Written by the worker, read after it ended.
    uint32_t nExitCode = 0;
    bool bNoMemory = false;
    bool bCapHit = false;
    int64_t nCutEnd = -1;
    uint64_t nDigestFrom = 0;
    uint64_t nDigestTo = 0;
    uint32_t nLineEnd = 0;
    uint32_t nMaxLength = 0;
};

CTervikDoc::CTervikDoc(IDocumentHost& host) : m_host(host) {
    m_nTabSize = host.Settings().TabSize();
    std::fill(std::begin(m_nGotoHistory), std::end(m_nGotoHistory), UINT32_MAX);
    m_host.AddDocument(this);
    if (m_host.IsWorkspaceOpen()) m_host.SetWorkspaceModified();
}

CTervikDoc::~CTervikDoc() {
    AbandonCut();
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
    AbandonCut();
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
    m_nRecords = 0;
    return false;
}

bool CTervikDoc::OnOpenDocument(const std::string& path) {
    return BeginOpen(path, kMaxRecords);
}

bool CTervikDoc::BeginOpen(const std::string& path, uint32_t nShowAfter) {
    AbandonCut();
    CSettings& settings = m_host.Settings();
    // A reopen reads with the options of the first open.
    const OpenOptions options = m_bReopening ? m_openOptions : m_host.CurrentOpenOptions();
    m_openOptions = options;
    m_nMaxRecSize = settings.MaxRecSize();

    // The path in the cp1252 texts below.
    const std::string name = PathToAnsi(path);
    OpenState st;
    st.savedStatus = m_host.GetStatusText();
    st.readingStatus = FormatString(IDS_READING_FILE, ShortPath(name).c_str());
    m_host.SetStatusText(st.readingStatus);
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
    m_nLineEnd = 0;
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

    // The worker reads into a buffer of its own: the window belongs to the views,
    // which may read while it cuts.
    std::unique_ptr<CutRun> pRun(new (std::nothrow) CutRun);
    if (pRun) pRun->pData.reset(new (std::nothrow) uint8_t[kReadAhead]);
    if (!pRun || !pRun->pData) return FailOpen(st, LoadString(IDS_NO_MEMORY));
    CutRun& run = *pRun;
    std::memcpy(run.pData.get(), m_pBuffer.get(), static_cast<size_t>(nFirst));
    run.name = name;
    run.nFirst = static_cast<uint64_t>(nFirst);
    run.params.m_nFixedSize = m_nFixedSize;
    run.params.m_nMaxRecSize = m_nMaxRecSize;
    run.params.m_eEncoding = EncodingOf(*this);
    if (options.m_nRecordLimit != 0) {
        if (options.m_bLimitFromEnd)
            run.params.m_nLimitFromEnd = options.m_nRecordLimit;
        else
            run.params.m_nLimitFromStart = options.m_nRecordLimit;
    }
    // A limit counted from the end renumbers the records until the cut ends; a small
    // file is cut faster than a window could show its first part.
    if (run.params.m_nLimitFromEnd != 0 || m_nFileSize < kCutAtOnceBytes) nShowAfter = kMaxRecords;

    m_nBytesDone.store(0);
    m_nCutMaxLength.store(0);
    m_nCutLineEnd.store(0);
    m_host.BeginBusy();
    // Escape stops the cut while this waits; later only StopCut does, so that an
    // Escape meant for another command leaves the cut alone.
    const std::atomic<bool>* pEscape = m_host.EscapeFlag();
    m_bStopCut.store(pEscape && pEscape->load());
    try {
        run.worker = std::thread([this, &run] {
            run.nExitCode = ReadRecordsThread(run);
            run.done.Set();
        });
    } catch (const std::system_error&) {
        m_host.EndBusy();
        return FailOpen(st, {});
    } catch (const std::bad_alloc&) {
        m_host.EndBusy();
        return FailOpen(st, LoadString(IDS_NO_MEMORY));
    }
    run.st = st;
    m_pCut = std::move(pRun);
    // The first screen is looked for often, the progress shown every 100 ms.
    const int nWaitMs = nShowAfter == kMaxRecords ? 100 : 10;
    for (int nWaits = 1;; ++nWaits) {
        m_host.WaitBusy(run.done, nWaitMs);
        if (pEscape && pEscape->load(std::memory_order_relaxed)) StopCut();
        if (run.done.IsSet()) break;
        if (m_pRecords->Count() >= nShowAfter) break;
        if (nWaits * nWaitMs % 100 != 0) continue;
        m_host.SetPositionIndicator(1, m_pRecords->Count(), 1, 0);
        m_host.RepaintStatusBar();
        ShowCutProgress();
    }
    m_host.EndBusy();
    if (run.done.IsSet()) return FinishOpen();
    // The views show the known part while the worker goes on.
    TakeCutProgress();
    if (!m_bReopening) {
        m_host.AddOpenDocument(this);
        run.bListed = true;
    }
    return true;
}

void CTervikDoc::ShowCutProgress() {
    if (m_pCut && m_pCut->st.bProgressBar && m_nFileSize > 0)
        m_host.SetProgress(
            static_cast<int>(m_nBytesDone.load(std::memory_order_relaxed) * 1000 / m_nFileSize));
}

void CTervikDoc::TakeCutProgress() {
    if (!m_pCut || !m_pRecords) return;
    m_nMaxLength = std::max(m_nMaxLength, m_nCutMaxLength.load(std::memory_order_relaxed));
    if (m_nLineEnd == 0) m_nLineEnd = m_nCutLineEnd.load(std::memory_order_relaxed);
    ShowCutProgress();
    const uint32_t n = m_pRecords->Count();
    if (n == m_nRecords) return;
    m_nRecords = n;
    UpdateAllViews(nullptr, HINT_CUT_GROWN);
}

bool CTervikDoc::PollCut() {
    // A wait for the cut serves the window, whose timer lands here: the wait finishes.
    if (!m_pCut || m_bWaitingForCut) return true;
    if (m_pCut->done.IsSet()) return FinishOpen();
    TakeCutProgress();
    return true;
}

bool CTervikDoc::CompleteCut() {
    if (!m_pCut) return true;
    CutRun& run = *m_pCut;
    m_host.BeginBusy();
    m_bWaitingForCut = true;
    const std::atomic<bool>* pEscape = m_host.EscapeFlag();
    bool bEscaped = false;
    while (!run.done.IsSet() && !bEscaped) {
        m_host.WaitBusy(run.done, 100);
        bEscaped = pEscape && pEscape->load(std::memory_order_relaxed) && !run.done.IsSet();
        TakeCutProgress();
    }
    m_bWaitingForCut = false;
    m_host.EndBusy();
    return !bEscaped && FinishOpen();
}

void CTervikDoc::AbandonCut() {
    if (!m_pCut) return;
    StopCut();
    m_pCut->worker.join();
    OpenState& st = m_pCut->st;
    if (st.bProgressBar) m_host.RemoveProgressBar();
    if (m_host.GetStatusText() == st.readingStatus) m_host.SetStatusText(st.savedStatus);
    m_pCut.reset();
}

bool CTervikDoc::FinishOpen() {
    std::unique_ptr<CutRun> pRun = std::move(m_pCut);
    CutRun& run = *pRun;
    run.worker.join();
    OpenState& st = run.st;
    const std::string& name = run.name;
    m_bOutOfMemory = run.bNoMemory;
    m_bRecordCapHit = run.bCapHit;
    m_nCutEnd = run.nCutEnd;
    m_nDigestFrom = run.nDigestFrom;
    m_nDigestTo = run.nDigestTo;
    m_nLineEnd = run.nLineEnd;
    m_nMaxLength = run.nMaxLength;
    // The known part: what the cut reached at the end of the file, when the file grew
    // while it was cut; a cut that stopped early leaves the size taken at open, where
    // a refresh goes on.
    if (m_nCutEnd > m_nFileSize) m_nFileSize = m_nCutEnd;

    const auto fail = [&](const Cp1252String& message) {
        if (run.bListed) m_host.RemoveOpenDocument(this);
        FailOpen(st, message);
        if (run.bListed) UpdateAllViews(nullptr, HINT_RELOADED);
        return false;
    };
    if (run.nExitCode != 0)
        return fail(FormatString(IDS_CANNOT_READ, name.c_str()) + CauseText(run.nExitCode));
    // Not even the first record found room: as if the table could not be created.
    if (m_bOutOfMemory && m_pRecords->Count() == 0) return fail(LoadString(IDS_NO_MEMORY));
    // The digest follows on its own thread; the cut did not wait for it and the
    // views do not either.
    try {
        m_pDigest =
            std::make_unique<CDigestWorker>(m_hFile, run.nFirst, m_nDigestFrom, m_nDigestTo);
    } catch (const std::system_error&) {
        m_pDigest.reset(); // no thread: the digest stays empty
    }

    const uint32_t nShown = m_nRecords;
    m_nRecords = m_pRecords->Count();
    // Whatever was said while the views showed the known part stays.
    if (m_host.GetStatusText() == st.readingStatus) m_host.SetStatusText(st.savedStatus);
    m_host.RepaintStatusBar();
    if (st.bProgressBar) m_host.RemoveProgressBar();
    if (!m_bReopening && !run.bListed) m_host.AddOpenDocument(this);
    if (run.bListed && m_nRecords != nShown) UpdateAllViews(nullptr, HINT_CUT_GROWN);
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

uint32_t CTervikDoc::ReadRecordsThread(CutRun& run) {
    const CutParams& params = run.params;
    CTableSink sink(*m_pRecords, m_nRecordCap);
    uint8_t* pBuf = run.pData.get();

    uint64_t nStart = 0;
    size_t nBlock = static_cast<size_t>(run.nFirst);
    if (params.m_nLimitFromEnd != 0) {
        // Only the tail of a large file can hold the last records.
        const uint64_t nSize = static_cast<uint64_t>(m_nFileSize);
        const unsigned __int128 nWindow =
            static_cast<unsigned __int128>(params.m_nLimitFromEnd + uint64_t{1}) *
            ((m_nFixedSize ? m_nFixedSize : m_nMaxRecSize) + uint64_t{2});
        if (nWindow * 2 < nSize) {
            nStart = nSize - static_cast<uint64_t>(nWindow);
            run.nDigestFrom = run.nDigestTo = nStart;
            const int64_t n = m_hFile.ReadAt(pBuf, kDocBufferSize, static_cast<int64_t>(nStart));
            if (n <= 0) return 0; // nothing there: the table stays empty
            nBlock = static_cast<size_t>(n);
        }
    }
    if (nStart == 0) run.nDigestFrom = nBlock;

    m_nBytesDone.store(static_cast<int64_t>(nStart));
    CRecordCutter cutter(params, sink, nStart, &m_bStopCut);
    uint64_t nPos = nStart;
    uint32_t nError = 0;
    size_t nData = nBlock;
    // The stores report a lack of memory themselves; anything else that runs out of
    // it ends the cut the same way, with the records stored so far.
    bool bNoMemory = false;
    try {
        for (;;) {
            // Fewer, larger reads; the cutter still takes the data in 64 KB blocks, so
            // where it stops (and what the digest covers) does not depend on the read size.
            bool bGoing = true;
            for (size_t nAt = 0; bGoing && nAt < nData;) {
                const size_t nPiece = std::min(kDocBufferSize, nData - nAt);
                bGoing = cutter.Feed(pBuf + nAt, nPiece);
                nAt += nPiece;
                nPos += nPiece;
            }
            m_nBytesDone.store(static_cast<int64_t>(nPos), std::memory_order_relaxed);
            m_nCutMaxLength.store(cutter.MaxLength(), std::memory_order_relaxed);
            m_nCutLineEnd.store(cutter.LineEnd(), std::memory_order_relaxed);
            if (!bGoing) break;
            const int64_t n = m_hFile.ReadAt(pBuf, kReadAhead, static_cast<int64_t>(nPos));
            if (n < 0) {
                nError = m_hFile.LastError();
                break;
            }
            if (n == 0) {
                cutter.Finish();
                run.nCutEnd = static_cast<int64_t>(nPos);
                break;
            }
            nData = static_cast<size_t>(n);
        }
    } catch (const std::bad_alloc&) {
        bNoMemory = true;
    }
    run.nDigestTo = std::max(run.nDigestTo, run.nDigestFrom);
    if (nError != 0) return nError;
    run.nDigestTo = nPos;
    run.bNoMemory = bNoMemory || sink.NoMemory();
    run.bCapHit = cutter.StoppedBySink() && !run.bNoMemory;
    run.nLineEnd = cutter.LineEnd();
    run.nMaxLength = cutter.MaxLength();
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
    // Selections change whole documents: a cut still running ends first.
    if (m_pCut && !CompleteCut()) return false;
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
    if (m_pCut && !CompleteCut()) return false;
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
