#pragma once

// Long work on the user-interface thread: the busy pump serves the window and records
// Escape; a progress bar beside the text of the status bar's message pane.

#include "search/RawScan.h"

#include <algorithm>
#include <cstdint>

namespace tervik {

class CTervikDoc;
class IDocumentHost;

class CBusyProgress {
public:
    explicit CBusyProgress(CTervikDoc& doc);
    explicit CBusyProgress(IDocumentHost& host);
    ~CBusyProgress();
    CBusyProgress(const CBusyProgress&) = delete;
    CBusyProgress& operator=(const CBusyProgress&) = delete;

    // Shows nPermille of 1000; false when Escape was pressed.
    bool Step(int nPermille);
    bool Step(uint64_t nDone, uint64_t nTotal) {
        return Step(nTotal ? static_cast<int>(std::min(nDone, nTotal) * 1000 / nTotal) : 0);
    }
    // Work that showed a bar of its own took it away: the next step shows it again.
    void ShowAgain() { m_bBar = false; }

private:
    IDocumentHost& m_host;
    CBusyGuard m_busy;
    bool m_bBar = false;
};

} // namespace tervik
