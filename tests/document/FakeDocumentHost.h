#pragma once

// A document host without a window system. It records what a document shows the
// user (message boxes, status texts, the position indicator, the progress bar),
// answers message boxes from a queue, and keeps its settings in a temporary ini file.

#include "base/Colour.h"
#include "base/Settings.h"
#include "document/DocumentHost.h"
#include "document/TervikDoc.h"
#include "framework/MessageBoxTypes.h"
#include "platform/Profile.h"
#include "support/TempDir.h"

#include <algorithm>
#include <atomic>
#include <functional>
#include <cstdint>
#include <deque>
#include <gtest/gtest.h>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace tervik::test {

struct ShownMessage {
    std::string text;
    unsigned nType = 0;
};

struct PositionCall {
    uint32_t nLine = 0;
    uint32_t nTotal = 0;
    uint32_t nColumn = 0;
    bool operator==(const PositionCall&) const = default;
};

class CFakeDocumentHost : public IDocumentHost {
public:
    // The settings file starts with iniText. Writes stay in memory: they are seen by
    // later reads but never wait for the disk.
    explicit CFakeDocumentHost(std::string_view iniText = {})
        : m_profile(m_iniDir.Write("tervik.ini", iniText)), m_settings(m_profile) {
        m_profile.SetReadOnly(true);
        ReloadColours();
    }

    // --- what a test arranges ---
    void SetSetting(const std::string& key, const std::string& value) {
        m_profile.WriteProfileString("Settings", key, value);
    }
    std::optional<std::string> Setting(const std::string& key) {
        if (!m_profile.HasKey("Settings", key)) return std::nullopt;
        return m_profile.GetProfileString("Settings", key);
    }
    // Colours are read once, as the application does at start.
    void ReloadColours() { m_colours = ReadColorSettings(m_profile, m_sysColours); }
    void AnswerNext(int nAnswer) { m_answers.push_back(nAnswer); }

    OpenOptions m_options;
    std::atomic<bool> m_bEscape{false};
    int m_nSelectColour = 0;
    bool m_bRecording = false;
    std::string m_script; // what a recording received
    bool m_bWorkspaceOpen = false;
    std::optional<PixelRect> m_pane; // none = no status bar
    int m_nWaitMs = -1;              // time-out of one wait; -1 = as asked
    std::string m_status = "Bereit";

    // --- what the document did ---
    std::vector<ShownMessage> m_messages;
    std::vector<std::string> m_statusHistory;
    std::vector<PositionCall> m_positions;
    std::vector<PixelRect> m_progressBars;
    std::vector<int> m_progressRanges;
    std::vector<int> m_progress;
    int m_nProgressBarsRemoved = 0;
    int m_nStatusRepaints = 0;
    int m_nWorkspaceModified = 0;
    int m_nBusyDepth = 0;
    std::vector<CTervikDoc*> m_documents;
    std::vector<CTervikDoc*> m_openDocuments;
    std::vector<CTervikDoc*> m_removedOpenDocuments;

    // --- IDocumentHost ---
    CSettings& Settings() override { return m_settings; }
    const ColorSettings& Colours() override { return m_colours; }
    OpenOptions CurrentOpenOptions() override { return m_options; }
    void AddDocument(CTervikDoc* p) override { m_documents.push_back(p); }
    void RemoveDocument(CTervikDoc* p) override { std::erase(m_documents, p); }
    bool IsWorkspaceOpen() override { return m_bWorkspaceOpen; }
    void SetWorkspaceModified() override { ++m_nWorkspaceModified; }
    int SelectColour() override { return m_nSelectColour; }
    bool IsRecordingScript() override { return m_bRecording; }
    void RecordScript(std::string_view statement) override { m_script += statement; }
    void AddOpenDocument(CTervikDoc* p) override { m_openDocuments.push_back(p); }
    void RemoveOpenDocument(CTervikDoc* p) override {
        m_removedOpenDocuments.push_back(p);
        std::erase(m_openDocuments, p);
    }
    std::string GetStatusText() override { return m_status; }
    void SetStatusText(const std::string& text) override {
        m_status = text;
        m_statusHistory.push_back(text);
    }
    void RepaintStatusBar() override { ++m_nStatusRepaints; }
    void SetPositionIndicator(uint32_t nLine, uint32_t nTotal, uint32_t nColumn,
                              uint32_t) override {
        m_positions.push_back({nLine, nTotal, nColumn});
    }
    bool GetMessagePaneRect(PixelRect& rc) override {
        if (!m_pane) return false;
        rc = *m_pane;
        return true;
    }
    void ShowProgressBar(const PixelRect& rc, int nRange) override {
        m_progressBars.push_back(rc);
        m_progressRanges.push_back(nRange);
    }
    void SetProgress(int nPos) override { m_progress.push_back(nPos); }
    void RemoveProgressBar() override { ++m_nProgressBarsRemoved; }
    // Unanswered boxes get the harmless answer: OK, or No to a question.
    int MessageBox(const std::string& text, unsigned nType) override {
        m_messages.push_back({text, nType});
        if (!m_answers.empty()) {
            const int n = m_answers.front();
            m_answers.pop_front();
            return n;
        }
        return (nType & MB_TYPEMASK) == MB_YESNO ? IDNO : IDOK;
    }
    const std::atomic<bool>* EscapeFlag() override { return &m_bEscape; }
    void BeginBusy() override { ++m_nBusyDepth; }
    void EndBusy() override { --m_nBusyDepth; }
    void WaitBusy(CCompletion& done, int nMs) override {
        done.WaitFor(m_nWaitMs >= 0 ? m_nWaitMs : nMs);
        if (m_onWait) m_onWait();
    }
    // What the window's timers do while a wait serves it.
    std::function<void()> m_onWait;

private:
    CTempDir m_iniDir;
    CProfile m_profile;
    CSettings m_settings;
    CDefaultSystemColors m_sysColours;
    ColorSettings m_colours;
    std::deque<int> m_answers;
};

// A view that remembers the hints it was told.
class CFakeView : public IDocumentView {
public:
    void OnUpdate(IDocumentView* /*pSender*/, unsigned nHint) override { m_hints.push_back(nHint); }
    std::vector<unsigned> m_hints;
};

// Records as {offset, length} pairs.
using Spans = std::vector<std::pair<uint64_t, uint32_t>>;

// UTF-16 code units as file bytes in either byte order.
inline std::string Utf16(std::u16string_view u, bool bBigEndian) {
    std::string s;
    for (char16_t c : u) {
        const auto lo = static_cast<char>(c & 0xFF);
        const auto hi = static_cast<char>(c >> 8);
        s += bBigEndian ? hi : lo;
        s += bBigEndian ? lo : hi;
    }
    return s;
}

inline Spans SpansOf(const CTervikDoc& doc) {
    Spans s;
    for (uint32_t i = 0; const auto e = doc.Record(i); ++i)
        s.emplace_back(e->m_nOffset, e->m_nLength);
    return s;
}

// Display text of a record as a string.
inline std::string TextOf(CTervikDoc& doc, uint32_t nRecord, bool bExpand = false,
                          uint32_t nSkip = 0, uint32_t nMax = 70000, bool bBackward = false) {
    std::string s(nMax, '\0');
    s.resize(doc.GetRecordText(nRecord, s.data(), nMax, nSkip, bExpand, bBackward));
    return s;
}

// Long byte strings compared without printing them: sizes and first difference.
inline ::testing::AssertionResult SameBytes(const std::string& got, const std::string& want) {
    if (got == want) return ::testing::AssertionSuccess();
    size_t i = 0;
    while (i < got.size() && i < want.size() && got[i] == want[i])
        ++i;
    return ::testing::AssertionFailure()
           << "sizes " << got.size() << " and " << want.size() << ", first difference at " << i;
}

// A temporary folder for data files, a fake host and the document under test. The
// document goes first, the host after it, the files last.
class CDocFixture : public ::testing::Test {
protected:
    CTempDir m_dir;
    CFakeDocumentHost m_host;
    std::unique_ptr<CTervikDoc> m_doc;

#ifdef _WIN32
    // The tests rewrite and extend files that a document holds open; Windows allows
    // that only to a document that lets writers in. Sharing itself has its own tests.
    CDocFixture() {
        m_host.m_options.m_bShareWrite = true;
    }
#endif

    std::string Write(std::string_view bytes, std::string_view name = "data.txt") const {
        return m_dir.Write(name, bytes);
    }
    // A new document opened on the path with the host's options; nCap lowers the
    // largest record count when not 0.
    bool Open(const std::string& path, uint32_t nCap = 0) {
        m_doc.reset();
        m_doc = std::make_unique<CTervikDoc>(m_host);
        if (nCap != 0) m_doc->SetRecordCap(nCap);
        return m_doc->OnOpenDocument(path);
    }
    bool OpenBytes(std::string_view bytes) {
        return Open(Write(bytes));
    }
    CTervikDoc& Doc() {
        return *m_doc;
    }
};

} // namespace tervik::test
