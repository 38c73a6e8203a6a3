#pragma once

// Long work on the user-interface thread: the busy pump serves the window and records
// Escape; a progress bar beside the text of the status bar's message pane.

#include "search/RawScan.h"

#include <cstdint>

namespace tervik {

class CTervikDoc;

class CBusyProgress {
public:
    explicit CBusyProgress(CTervikDoc& doc);
    ~CBusyProgress();
    CBusyProgress(const CBusyProgress&) = delete;
    CBusyProgress& operator=(const CBusyProgress&) = delete;

    // Shows nPermille of 1000; false when Escape was pressed.
    bool Step(int nPermille);
    bool Step(uint64_t nDone, uint64_t nTotal) {
        return Step(nTotal ? static_cast<int>(nDone * 1000 / nTotal) : 0);
    }

private:
    CTervikDoc& m_doc;
    CBusyGuard m_busy;
    bool m_bBar = false;
};

} // namespace tervik
