#pragma once

// What a document needs from the program around it: the application's settings and
// open options, the main frame's status bar and document list, message boxes, and
// the Escape key. The viewer implements it with Qt; the command-line tool and the
// tests with plain objects.

#include "base/Colour.h"
#include "framework/Completion.h"
#include "platform/CodePage.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>

namespace tervik {

class CSettings;
class CTervikDoc;

// How the next file is opened (the open dialog sets them; otherwise they rest).
struct OpenOptions {
    bool m_bShareWrite = false;
    uint32_t m_nFixRecSize = 0;  // 0 = records end at LF
    uint32_t m_nRecordLimit = 0; // 0 = no limit
    bool m_bLimitFromEnd = false;
};

struct PixelRect {
    int m_nLeft = 0;
    int m_nTop = 0;
    int m_nRight = 0;
    int m_nBottom = 0;
    bool operator==(const PixelRect&) const = default;
};

// Where the progress bar goes in the status bar's message pane: from a little right
// of the pane's text to 50 pixels before the pane's end, one pixel inside top and
// bottom; none when that leaves less than 150 pixels.
std::optional<PixelRect> ProgressBarRect(size_t nTextLength, const PixelRect& pane);

class IDocumentHost {
public:
    virtual ~IDocumentHost() = default;

    // --- the application ---
    virtual CSettings& Settings() = 0;
    virtual const ColorSettings& Colours() = 0;
    virtual OpenOptions CurrentOpenOptions() { return {}; }
    // The application's array of all documents.
    virtual void AddDocument(CTervikDoc*) {}
    virtual void RemoveDocument(CTervikDoc*) {}
    virtual bool IsWorkspaceOpen() { return false; }
    virtual void SetWorkspaceModified() {}
    // The main frame's current selection colour: 0 blue, 1 red, 2 green.
    virtual int SelectColour() { return 0; }
    // A selection script is being recorded; each selection step appends its statement
    // (line end included) before it runs.
    virtual bool IsRecordingScript() { return false; }
    virtual void RecordScript(std::string_view /*statement*/) {}

    // --- the main frame ---
    // The list of documents that are open and shown.
    virtual void AddOpenDocument(CTervikDoc*) {}
    virtual void RemoveOpenDocument(CTervikDoc*) {}
    virtual Cp1252String GetStatusText() { return {}; }
    virtual void SetStatusText(const Cp1252String&) {}
    // Paints the status bar now (the UI thread does not serve messages meanwhile).
    virtual void RepaintStatusBar() {}
    // The position pane: line, total lines, column and, when not 0, the number of
    // selected lines.
    virtual void SetPositionIndicator(uint32_t /*nLine*/, uint32_t /*nTotal*/, uint32_t /*nColumn*/,
                                      uint32_t /*nCount*/) {}
    // The position pane describes the active window again (after an open that failed).
    virtual void ShowActivePosition() {}
    // The message pane's rectangle; false when there is no status bar.
    virtual bool GetMessagePaneRect(PixelRect&) { return false; }
    virtual void ShowProgressBar(const PixelRect& /*rc*/, int /*nRange*/) {}
    virtual void SetProgress(int /*nPos*/) {}
    virtual void RemoveProgressBar() {}

    // --- the user ---
    // A message box (MB_* type); answers IDOK, IDYES, IDNO, ...
    virtual int MessageBox(const Cp1252String& text, unsigned nType) = 0;
    // Set while the user has pressed Escape; polled from worker threads.
    virtual const std::atomic<bool>* EscapeFlag() { return nullptr; }
    // A long operation starts (Escape presses count from now) and ends.
    virtual void BeginBusy() {}
    virtual void EndBusy() {}
    // Waits up to nMs for the completion, keeping the window painted.
    virtual void WaitBusy(CCompletion& done, int nMs) { done.WaitFor(nMs); }
    // Called often by a long run on this thread: the host serves its window when that
    // is due (about every 50 ms), swallowing input and recording Escape.
    virtual void ServeBusy() {}
};

} // namespace tervik
