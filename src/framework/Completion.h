#pragma once

#include <chrono>
#include <condition_variable>
#include <mutex>

namespace tervik {

// A flag one thread sets and another waits for.
class CCompletion {
public:
    void Set() {
        {
            std::lock_guard lock(m_mutex);
            m_bDone = true;
        }
        m_cv.notify_all();
    }
    bool IsSet() {
        std::lock_guard lock(m_mutex);
        return m_bDone;
    }
    // True when set within the time.
    bool WaitFor(int nMs) {
        std::unique_lock lock(m_mutex);
        return m_cv.wait_for(lock, std::chrono::milliseconds(nMs), [this] { return m_bDone; });
    }

private:
    std::mutex m_mutex;
    std::condition_variable m_cv;
    bool m_bDone = false;
};

} // namespace tervik
