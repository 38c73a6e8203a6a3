#include "document/TervikDoc.h"

#include "base/Settings.h"
#include "base/Strings.h"
#include "document/DigestWorker.h"
#include "document/Ebcdic.h"
#include "document/RecordCutter.h"
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

constexpr int32_t kRecordBlockSize = 32768;
constexpr int32_t kSelectedBlockSize = 32768;
// The read thread reads this much at a time.
constexpr size_t kReadAhead = 128 * 1024;
// Status texts show at most this much of a path.
constexpr size_t kMaxStatusPath = 255;

// Appends records to the table; refuses beyond the cap. When memory runs out the
// cut stops there, so that the table holds every record up to that point and none
// is missing in between.
class CTableSink : public IRecordSink {
public:
    CTableSink(CBlockList& table, std::atomic<uint32_t>& progress, uint32_t nCap)
        : m_table(table), m_progress(progress), m_nCap(nCap) {}
    bool Store(const RecordEntry& e) override {
        if (m_table.Count() >= m_nCap) return false;
        const bool bStored = m_table.Append(&e) == kBlOk;
        if (!bStored) m_bNoMemory = true;
        m_progress.store(m_table.Count(), std::memory_order_relaxed);
        return bStored;
    }
    size_t StoreMany(const RecordEntry* pEntries, size_t n) override {
        const size_t nRoom = m_nCap - std::min<size_t>(m_nCap, m_table.Count());
        const auto nTake = static_cast<uint32_t>(std::min(n, nRoom));
        uint32_t nAppended = 0;
        if (m_table.AppendMany(pEntries, nTake, nAppended) != kBlOk) m_bNoMemory = true;
        m_progress.store(m_table.Count(), std::memory_order_relaxed);
        return nAppended;
    }
    void RemoveFirst() override {
        m_table.Remove(0, 1);
        m_progress.store(m_table.Count(), std::memory_order_relaxed);
    }
    bool NoMemory() const { return m_bNoMemory; }

private:
    CBlockList& m_table;
    std::atomic<uint32_t>& m_progress;
    uint32_t m_nCap;
    bool m_bNoMemory = false;
};

// With a limit counted from the end the oldest record leaves for every new one;
// a queue makes that cheap, and the table receives the survivors at the end.
class CLastRecordsSink : public IRecordSink {
public:
    explicit CLastRecordsSink(std::atomic<uint32_t>& progress) : m_progress(progress) {}
    bool Store(const RecordEntry& e) override {
        try {
            // The queue grows about a table block at a time; tests fail it there.
            if (m_records.size() % kRecordsPerBlock == 0 && CBlockList::AllocationHookFails())
                throw std::bad_alloc();
            m_records.push_back(e);
        } catch (const std::bad_alloc&) {
            m_bNoMemory = true;
            return false;
        }
        m_progress.store(static_cast<uint32_t>(m_records.size()), std::memory_order_relaxed);
        return true;
    }
    void RemoveFirst() override {
        if (!m_records.empty()) m_records.pop_front();
    }
    // Moves the records into the table in order; stops at the first that does not fit.
    void MoveInto(CBlockList& table) {
        while (!m_records.empty()) {
            if (table.Append(&m_records.front()) != kBlOk) {
                m_bNoMemory = true;
                m_records.clear();
                return;
            }
            m_records.pop_front();
        }
    }
    bool NoMemory() const { return m_bNoMemory; }

private:
    static constexpr size_t kRecordsPerBlock =
        (kRecordBlockSize - CBlockList::kHeaderSize) / sizeof(RecordEntry);
    std::atomic<uint32_t>& m_progress;
    std::deque<RecordEntry> m_records;
    bool m_bNoMemory = false;
};

CutEncoding EncodingOf(const CTervikDoc& doc) {
    if (doc.m_bBomUtf16Le) return CutEncoding::Utf16Le;
    if (doc.m_bBomUtf16Be) return CutEncoding::Utf16Be;
    return CutEncoding::SingleByte;
}

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
    m_pRecords.reset(new (std::nothrow)
                         CBlockList(static_cast<uint16_t>(sizeof(RecordEntry)), kRecordBlockSize));
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
    CTableSink tableSink(*m_pRecords, m_nRecordsRead, m_nRecordCap);
    CLastRecordsSink lastSink(m_nRecordsRead);
    IRecordSink& sink = bFromEnd && nLimit != 0 ? static_cast<IRecordSink&>(lastSink) : tableSink;

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
    if (&sink == &lastSink) lastSink.MoveInto(*m_pRecords);
    m_bOutOfMemory = bNoMemory || tableSink.NoMemory() || lastSink.NoMemory();
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

// ---------------------------------------------------------------- record access

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
    const RecordEntry* e = Record(nRecord);
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
    const RecordEntry* e = Record(nRecord);
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
    const RecordEntry* e = Record(nRecord);
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
    const RecordEntry* e = Record(nRecord);
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
    const RecordEntry* e = Record(nRecord);
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
    const RecordEntry* e = Record(nRecord);
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
    RecordEntry* e = m_pRecords ? m_pRecords->AtAs<RecordEntry>(nRecord) : nullptr;
    if (!e) return false;
    const bool bWasSelected = (e->m_nFlags & RF_COLOUR_MASK) != 0;
    if (bSelect && !bWasSelected)
        ++m_nSelected;
    else if (!bSelect && bWasSelected && m_nSelected > 0)
        --m_nSelected;
    e->m_nFlags &= ~RF_COLOUR_MASK;
    if (bSelect) {
        e->m_nFlags |= ColourBitsFor(pColour);
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
    RecordEntry* e = m_pRecords ? m_pRecords->AtAs<RecordEntry>(nRecord) : nullptr;
    if (!e || (e->m_nFlags & RF_COLOUR_MASK) == 0) return false;
    e->m_nFlags = (e->m_nFlags & ~RF_COLOUR_MASK) | ColourBitsFor(&colour);
    return true;
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
            if (!(m_pRecords->AtAs<RecordEntry>(i)->m_nFlags & RF_COLOUR_MASK)) continue;
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

// ---------------------------------------------------------------- refresh

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
    const RecordEntry* pLast = m_pRecords->AtAs<RecordEntry>(m_pRecords->Count() - 1);
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
        const RecordEntry* e = m_pRecords->AtAs<RecordEntry>(i);
        return e->m_nOffset + e->m_nLength;
    };
    if (endOf(n - 1) != static_cast<uint64_t>(m_nFileSize)) return n;
    if (n >= 2 && endOf(n - 2) == m_pRecords->AtAs<RecordEntry>(n - 1)->m_nOffset) return n - 2;
    return n - 1;
}

bool CTervikDoc::Extend() {
    if (!m_pRecords || !m_pBuffer || !m_hFile.IsOpen()) return false;
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
        const RecordEntry* e = m_pRecords->AtAs<RecordEntry>(i);
        return e->m_nOffset + e->m_nLength;
    };
    if (nBefore != 0 && endOf(nBefore - 1) == nOldEnd) {
        uint32_t nFirst = nBefore - 1;
        if (m_nFixedSize == 0 && nFirst > 0 &&
            endOf(nFirst - 1) == m_pRecords->AtAs<RecordEntry>(nFirst)->m_nOffset)
            --nFirst;
        for (uint32_t i = nFirst; i < nBefore; ++i)
            recut.push_back(*m_pRecords->AtAs<RecordEntry>(i));
        nStart = recut.front().m_nOffset;
        // Right behind a record cut at the longest size the first cut allowed no empty
        // record (a lone CR there goes into the line end once its LF comes).
        bAfterCut = nFirst > 0 && endOf(nFirst - 1) == nStart;
        m_pRecords->Remove(nFirst, static_cast<int32_t>(nBefore - nFirst));
    }

    CutParams params;
    params.m_nFixedSize = m_nFixedSize;
    params.m_nMaxRecSize = m_nMaxRecSize;
    params.m_eEncoding = EncodingOf(*this);
    CTableSink sink(*m_pRecords, m_nRecordsRead, m_nRecordCap);
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
            m_pRecords->Remove(nFirst, static_cast<int32_t>(nCount - nFirst));
            for (const RecordEntry& e : recut)
                m_pRecords->Append(&e);
            nCount = m_pRecords->Count();
        } else {
            // Colours go back to the same numbers; a selected lone CR that went into
            // the line end before it leaves the selection.
            bool bLost = false;
            for (uint32_t i = 0; i < recut.size(); ++i) {
                const uint32_t nColour = recut[i].m_nFlags & RF_COLOUR_MASK;
                if (nFirst + i < nCount)
                    m_pRecords->AtAs<RecordEntry>(nFirst + i)->m_nFlags |= nColour;
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
        const RecordEntry* pEnd = m_pRecords->AtAs<RecordEntry>(nCount - 1);
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
