#pragma once

// One opened file. It is never loaded: opening cuts it into records in a worker
// thread, and every consumer reads bytes on demand through the one 64 KB window.

#include "base/Colour.h"
#include "document/BlockList.h"
#include "document/DocumentHost.h"
#include "document/RecordEntry.h"
#include "document/RecordTable.h"
#include "framework/CommandTarget.h"
#include "platform/SysFile.h"

#include <atomic>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

namespace tervik {

// What became of the file behind an open document since it was read.
enum class FileChange {
    None,     // the same file, as long as it was or longer
    Shorter,  // the same file, shorter than the known part (truncated)
    Replaced, // the path names another file now (rotated, rewritten)
};

class CCmdUI;
class CDigestWorker;
class CTervikDoc;

// A view of a document, told about changes with a hint (see UpdateHint).
class IDocumentView {
public:
    virtual ~IDocumentView() = default;
    virtual void OnUpdate(IDocumentView* pSender, unsigned nHint) = 0;
};

inline constexpr size_t kDocBufferSize = 65536;
// ReadRecordText's answer for a record the file no longer holds.
inline constexpr int64_t kRecordShort = -1;
inline constexpr size_t kMaxPathLength = 511;

class CTervikDoc : public CCommandTarget {
public:
    explicit CTervikDoc(IDocumentHost& host);
    virtual ~CTervikDoc();
    CTervikDoc(const CTervikDoc&) = delete;
    CTervikDoc& operator=(const CTervikDoc&) = delete;

    // Opens the file and cuts it into records; true = ready for its views.
    virtual bool OnOpenDocument(const std::string& path);
    // The same in two steps, so that a window shows text while the file is cut: starts
    // the cut and waits (with its progress; Escape stops the cut) until nShowAfter
    // records are known or the cut ended. True: the views may show the known records
    // (m_nRecords), and PollCut finishes the open once the cut ended. False: the open
    // failed and said why.
    bool BeginOpen(const std::string& path, uint32_t nShowAfter);
    // The worker is still cutting: m_nRecords holds the records known so far.
    bool IsCutting() const { return m_pCut != nullptr; }
    // Takes up what the cut found since the last call (the views hear HINT_CUT_GROWN)
    // and finishes the open once the cut ended. False: the open failed then (the
    // document has no records; its windows should close).
    bool PollCut();
    // For a command that needs every record: waits for the end of the cut with its
    // progress. False when Escape stopped the waiting (the cut goes on) or the open
    // failed.
    bool CompleteCut();
    // Escape in the window: the cut ends where it is, the known part stays.
    void StopCut() { m_bStopCut.store(true, std::memory_order_relaxed); }
    // Releases the file, the buffer and the tables; leaves the open-documents list.
    virtual void OnCloseDocument();

    // --- records ---
    virtual uint32_t GetRecordLength(uint32_t nRecord, bool bExpand);
    virtual bool GetRecordOffset(uint32_t nRecord, uint64_t& nOffset) const;
    // Display text of a record in cp1252 (no terminator); 0 for a bad number, an empty
    // record or a failed read.
    virtual uint32_t GetRecordText(uint32_t nRecord, char* pDest, uint32_t nMaxChars,
                                   uint32_t nSkip, bool bExpand, bool bBackward);
    // The same, but a record the file no longer holds whole (it became shorter, or
    // the read failed) answers kRecordShort instead of passing for an empty one.
    int64_t ReadRecordText(uint32_t nRecord, char* pDest, uint32_t nMaxChars, uint32_t nSkip,
                           bool bExpand, bool bBackward);
    // The same characters as code points, one per display column: what a UTF-8 or
    // UTF-16 document holds where the display shows "?" (a UTF-16 surrogate stays a
    // unit of its own, a malformed UTF-8 byte is U+FFFD), cp1252 text converted.
    int64_t ReadRecordChars(uint32_t nRecord, char32_t* pDest, uint32_t nMaxChars,
                            uint32_t nSkip, bool bExpand);
    // The byte-order mark the file starts with (as its flags name it); empty: none.
    std::string_view Mark() const;
    // Raw bytes at a file offset (at most 65,536); 0 beyond the end or on failure.
    virtual uint32_t ReadBytes(void* pDest, uint32_t nLength, uint64_t nOffset);
    // The window's bytes from nOffset on, without a copy: at least nWant of them (or
    // all the file has left, at most 65,536) unless the read fails; null beyond the end
    // or on failure. Valid until the document reads again.
    const uint8_t* MapBytes(uint64_t nOffset, uint32_t nWant, uint32_t& nValid);

    // --- selection ---
    // The document alone keeps the count and the index of selected records: every
    // change goes through SetLineSelected.
    uint32_t SelectedCount() const { return m_nSelected; }
    // The record number of the n-th selected record (from 0, in file order); false
    // past the last one.
    bool NthSelected(uint32_t n, uint32_t& nRecord) const;
    virtual bool IsLineSelected(uint32_t nRecord, COLORREF* pText, COLORREF* pBackground) const;
    // Selects (in the colour given, else the frame's) or deselects a record and counts
    // the change; false for a bad number.
    virtual bool SetLineSelected(uint32_t nRecord, bool bSelect, const COLORREF* pColour);
    virtual bool ChangeLineColour(uint32_t nRecord, COLORREF colour);
    virtual bool NextSelected(uint32_t& nRecord) const;
    virtual bool PrevSelected(uint32_t& nRecord) const;
    // Many records at once: single selection stops maintaining the index, which is
    // rebuilt from the colour bits at the end.
    void BeginBulkSelect() { m_bBulkSelect = true; }
    void EndBulkSelect();
    bool InBulkSelect() const { return m_bBulkSelect; }

    // --- character sets ---
    virtual void EbcdicToAnsi(const uint8_t* pSrc, uint8_t* pDst, size_t n);
    virtual void AnsiToEbcdic(const uint8_t* pSrc, uint8_t* pDst, size_t n);
    void OnUnicode();
    void OnUnicodeBigEndian();
    void OnUtf8();
    void OnOem();
    void OnEbcdic();
    void OnUpdateUnicode(CCmdUI& ui);
    void OnUpdateUnicodeBigEndian(CCmdUI& ui);
    void OnUpdateUtf8(CCmdUI& ui);
    void OnUpdateOem(CCmdUI& ui);
    void OnUpdateEbcdic(CCmdUI& ui);
    // UTF-8 display on or off by choice: the detection says nothing more.
    void SetUtf8(bool bOn);
    // UTF-8 display may be switched: the file is not UTF-16.
    bool CanUseUtf8() const { return !m_bBomUtf16Le && !m_bBomUtf16Be; }

    // Reads what was appended to the file since it was last read (F5): Extend, then
    // a status hint when the file became shorter or was replaced.
    void OnRefresh();
    // Cuts what was appended since the last read into records; an unterminated last
    // record grows with the data that continues it (its number stays). Tells the
    // views (HINT_RECORDS_APPENDED) and answers true when anything was added or grew.
    bool Extend();
    // Whether the last record is complete: it has its line end (or its fixed length).
    // An unterminated last record may still grow.
    bool LastRecordComplete() const;
    // The records a refresh never changes again: all but an open last record and a
    // record cut at the longest size right before it (both are cut again with the
    // data that continues them).
    uint32_t SettledRecords() const;
    // Whether path names the file this document shows (through any link or other
    // name), or the file its path names now. Writing there would destroy it.
    bool IsOwnFile(const std::string& path);
    // Compares the open file with what the path names now, and its size with the
    // known part. A missing path counts as no change (a rotation in progress).
    FileChange CheckFileChange();
    // Reads the path again from the start with the options of the first open, as a
    // fresh document: selections go, the views are told with HINT_RELOADED. False (and
    // the document without records) when the file cannot be read; no message box.
    bool Reopen();
    // The document's commands: the character sets and refresh.
    bool OnCmdMsg(unsigned nId, CCmdUI* pUI) override;

    // --- views ---
    void AddView(IDocumentView* pView);
    void RemoveView(IDocumentView* pView);
    const std::vector<IDocumentView*>& Views() const { return m_views; }
    void UpdateAllViews(IDocumentView* pSender, unsigned nHint);

    // --- state ---
    // Record n as the table holds it; nullopt for a bad number.
    std::optional<RecordEntry> Record(uint32_t nRecord) const {
        if (!m_pRecords) return std::nullopt;
        return m_pRecords->At(nRecord);
    }
    // The digest of the bytes read at open; waits for it to be complete.
    const char* GetDigest();
    bool IsDigestReady() const;
    // For a caller that never asks for the digest: stops its thread, so the processor
    // is free for the work at hand; the digest stays empty.
    void DropDigest() { StopDigest(); }
    // The cut ended at the largest possible number of records.
    bool HitRecordCap() const { return m_bRecordCapHit; }
    // The cut stopped early for lack of memory: the records (and the digest) cover
    // only the start of the file.
    bool RanOutOfMemory() const { return m_bOutOfMemory; }
    // The file ended before the size it had at open while it was cut.
    bool ShrankWhileCut() const { return m_nCutEnd >= 0 && m_nCutEnd < m_nFileSize; }
    // After GetDigest: the digest is empty because memory ran out.
    bool DigestOutOfMemory() const { return m_bDigestNoMemory; }
    // Tests lower the largest number of records to reach it cheaply.
    void SetRecordCap(uint32_t nCap) { m_nRecordCap = nCap; }
    IDocumentHost& Host() { return m_host; }
    const std::string& GetPathName() const { return m_szFileName; }

    // Members as the rest of the program uses them.
    CSysFile m_hFile;
    std::string m_szFileName;
    int64_t m_nFileSize = 0;
    int64_t m_nBufferOffset = -1;
    std::atomic<int64_t> m_nBytesDone{0};
    std::unique_ptr<uint8_t[]> m_pBuffer;
    std::unique_ptr<CRecordTable> m_pRecords;
    uint32_t m_nRecords = 0;
    uint32_t m_nMaxLength = 0;
    int32_t m_nTabSize = 4;
    uint32_t m_nLineEnd = 0;
    int32_t m_bBomUtf16Le = 0;
    int32_t m_bUtf16 = 0;
    int32_t m_bBomUtf16Be = 0;
    int32_t m_bBomUtf8 = 0;
    int32_t m_bUtf8 = 0;
    int32_t m_bOem = 0;
    int32_t m_bEbcdic = 0;
    uint32_t m_nGotoHistory[10];
    uint32_t m_nFixedSize = 0;
    uint32_t m_nMaxRecSize = 32768;
    int32_t m_bDeleteOnClose = 0;
    char m_szDigest[64] = {};
    // The options the document was opened with (a reopen uses them again).
    OpenOptions m_openOptions;

private:
    struct OpenState;
    struct CutRun;
    bool FailOpen(OpenState& st, const Cp1252String& message);
    // The rest of the open once the worker ended; false when it failed.
    bool FinishOpen();
    // Ends a running cut at once (the document closes): stops and joins the worker.
    void AbandonCut();
    // The known part while the worker runs: the count, the longest record, the line end.
    void TakeCutProgress();
    void ShowCutProgress();
    void ReleaseAll();
    // The worker: cuts the file from the first block (already in pFirst) on; answers 0 or
    // a system error code.
    uint32_t ReadRecordsThread(CutRun& run);
    // Reads the window at an offset; false on failure (the window is then unusable).
    bool LoadWindow(int64_t nOffset);
    // Sets the byte-order flags and their display from the first bytes of the file;
    // without a mark UTF-8 is looked for (when the settings allow it).
    void DetectByteOrderMark(const uint8_t* b, size_t n);
    // Looks at bytes from nOffset on for UTF-8 while the file has said nothing yet
    // (only ASCII so far) and switches the display on when they are UTF-8.
    void CheckForUtf8(const uint8_t* b, size_t n, uint64_t nOffset);
    // The record's bytes in the window (the mark left out while its display is on);
    // null when the file no longer holds them.
    const uint8_t* RecordInWindow(uint32_t nRecord, bool bBackward, size_t& nLength);
    uint32_t ColourBitsFor(const COLORREF* pColour) const;
    void StopDigest();

    IDocumentHost& m_host;
    std::vector<IDocumentView*> m_views;
    // The selected records: their number, and their numbers in ascending order.
    uint32_t m_nSelected = 0;
    std::unique_ptr<CBlockList> m_pSelected;
    bool m_bBulkSelect = false;
    // Valid bytes in the window from m_nBufferOffset on.
    size_t m_nBufferLen = 0;
    uint32_t m_nRecordCap = kMaxRecords;
    bool m_bRecordCapHit = false;
    // The cut stopped early for lack of memory.
    bool m_bOutOfMemory = false;
    // Where the first cut met the end of the file; -1 when it stopped before.
    int64_t m_nCutEnd = -1;
    // Reopen runs the open again: quietly, with the first open's options.
    bool m_bReopening = false;
    // UTF-8 is still looked for in what is appended, from this offset on.
    bool m_bUtf8Pending = false;
    uint64_t m_nUtf8From = 0;
    std::unique_ptr<CDigestWorker> m_pDigest;
    // The running cut (null when none runs) and what it shares with this thread.
    std::unique_ptr<CutRun> m_pCut;
    std::atomic<bool> m_bStopCut{false};
    // CompleteCut waits: only it may finish the open.
    bool m_bWaitingForCut = false;
    std::atomic<uint32_t> m_nCutMaxLength{0};
    std::atomic<uint32_t> m_nCutLineEnd{0};
    bool m_bDigestNoMemory = false;
    // What the read thread read behind the first block, for the digest.
    uint64_t m_nDigestFrom = 0;
    uint64_t m_nDigestTo = 0;
};

} // namespace tervik
