#pragma once

// The document's digest on a thread of its own, started when the records are cut:
// the document is ready for its views at once, and whoever needs the digest waits.
// It digests exactly what the read thread read, in the same order: the first
// block, then the bytes from where the read thread went on (behind the first block,
// or at the window start of a limit counted from the end) up to where it stopped.
// It reads them again by position; they are in the page cache by then.

#include "platform/SysFile.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>
#include <thread>

namespace tervik {

class CDigestWorker {
public:
    // Digests [0, nFirstBlock) and then [nContinuation, nEnd). file must stay open
    // until the worker has ended (Wait or destruction).
    CDigestWorker(CSysFile& file, uint64_t nFirstBlock, uint64_t nContinuation, uint64_t nEnd);
    ~CDigestWorker();
    CDigestWorker(const CDigestWorker&) = delete;
    CDigestWorker& operator=(const CDigestWorker&) = delete;

    // Waits for the end; the digest as 32 lower-case hex digits, empty when the
    // bytes could not be read again, memory ran out or the worker was cancelled.
    const std::string& Wait();
    bool IsReady() const { return m_bReady.load(std::memory_order_acquire); }
    // After Wait: the digest is empty for lack of memory.
    bool RanOutOfMemory() const { return m_bNoMemory; }
    // Stops early, without a digest.
    void Cancel() { m_bCancel.store(true, std::memory_order_relaxed); }

    // Tests make the worker's allocations fail: answers true to fail one. Empty = none.
    static void SetAllocFailureHook(std::function<bool()> hook);

private:
    void Run();
    // Digests [nFrom, nTo) read by position; false when the bytes are not there.
    bool DigestRange(class CMd5& md5, uint64_t nFrom, uint64_t nTo);

    CSysFile& m_file;
    const uint64_t m_nFirstBlock;
    const uint64_t m_nContinuation;
    const uint64_t m_nEnd;
    std::atomic<bool> m_bCancel{false};
    std::atomic<bool> m_bReady{false};
    bool m_bNoMemory = false;
    std::string m_digest;
    std::thread m_thread;
};

} // namespace tervik
