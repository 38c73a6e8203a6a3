#pragma once

// Keeps the window painted while a long operation runs on the UI thread or waits
// for a worker: paint and timer events go on, user input is swallowed, and an
// Escape key press is recorded for the operation to poll.

#include <QElapsedTimer>
#include <QObject>
#include <atomic>

namespace tervik {

class CCompletion;

class CBusyPump : public QObject {
    Q_OBJECT
public:
    static CBusyPump& Instance();

    // Nested calls count; input is swallowed while the depth is above 0.
    void Begin();
    void End();
    bool IsBusy() const { return m_nDepth > 0; }
    // Waits up to nMs for the completion, serving events every ~50 ms.
    void Wait(CCompletion& done, int nMs);
    // Serves pending events once (for loops on the UI thread).
    void Pump();
    // Serves pending events when the last time is ~50 ms ago (the first call of a
    // busy phase always serves, so a queued Escape counts at once).
    void ServeIfDue();
    const std::atomic<bool>& EscapeFlag() const { return m_bEscape; }

    // A message box shown during a busy phase takes the user's input as usual.
    class CInputAllowed {
    public:
        CInputAllowed();
        ~CInputAllowed();
        CInputAllowed(const CInputAllowed&) = delete;
        CInputAllowed& operator=(const CInputAllowed&) = delete;

    private:
        bool m_bPaused = false;
    };
    bool EscapePressed() const { return m_bEscape.load(std::memory_order_relaxed); }

protected:
    bool eventFilter(QObject* pWatched, QEvent* pEvent) override;

private:
    CBusyPump() = default;
    int m_nDepth = 0;
    std::atomic<bool> m_bEscape{false};
    QElapsedTimer m_served;
};

} // namespace tervik
