#include "document/DigestWorker.h"

#include "document/Md5.h"

#include <algorithm>
#include <memory>
#include <mutex>
#include <new>

namespace tervik {

namespace {
constexpr size_t kDigestChunk = 256 * 1024;

std::mutex g_hookMutex;
std::function<bool()> g_allocHook;

void ThrowIfHookFails() {
    std::lock_guard<std::mutex> lock(g_hookMutex);
    if (g_allocHook && g_allocHook()) throw std::bad_alloc();
}
} // namespace

void CDigestWorker::SetAllocFailureHook(std::function<bool()> hook) {
    std::lock_guard<std::mutex> lock(g_hookMutex);
    g_allocHook = std::move(hook);
}

CDigestWorker::CDigestWorker(CSysFile& file, uint64_t nFirstBlock, uint64_t nContinuation,
                             uint64_t nEnd)
    : m_file(file), m_nFirstBlock(nFirstBlock), m_nContinuation(nContinuation), m_nEnd(nEnd),
      m_thread([this] { Run(); }) {}

CDigestWorker::~CDigestWorker() {
    Cancel();
    if (m_thread.joinable()) m_thread.join();
}

const std::string& CDigestWorker::Wait() {
    if (m_thread.joinable()) m_thread.join();
    return m_digest;
}

bool CDigestWorker::DigestRange(CMd5& md5, uint64_t nFrom, uint64_t nTo) {
    ThrowIfHookFails();
    std::unique_ptr<uint8_t[]> buffer(new uint8_t[kDigestChunk]);
    while (nFrom < nTo) {
        if (m_bCancel.load(std::memory_order_relaxed)) return false;
        const size_t n = static_cast<size_t>(std::min<uint64_t>(kDigestChunk, nTo - nFrom));
        if (m_file.ReadAt(buffer.get(), n, static_cast<int64_t>(nFrom)) != static_cast<int64_t>(n))
            return false; // the file lost bytes since they were read
        md5.Update(buffer.get(), n);
        nFrom += n;
    }
    return true;
}

void CDigestWorker::Run() {
    // Without memory there is no digest, as when the bytes are gone; the document
    // stays usable and whoever compares the digest sees a difference.
    try {
        CMd5 md5;
        if (DigestRange(md5, 0, m_nFirstBlock) && DigestRange(md5, m_nContinuation, m_nEnd)) {
            char hex[kMd5HexSize];
            md5.FinalHex(hex, sizeof hex);
            m_digest = hex;
        }
    } catch (const std::bad_alloc&) {
        m_digest.clear();
        m_bNoMemory = true;
    }
    m_bReady.store(true, std::memory_order_release);
}

} // namespace tervik
