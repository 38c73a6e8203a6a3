#include "document/DigestWorker.h"

#include "document/Md5.h"

#include <algorithm>
#include <memory>

namespace tervik {

namespace {
constexpr size_t kDigestChunk = 256 * 1024;
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
    CMd5 md5;
    if (DigestRange(md5, 0, m_nFirstBlock) && DigestRange(md5, m_nContinuation, m_nEnd)) {
        char hex[kMd5HexSize];
        md5.FinalHex(hex, sizeof hex);
        m_digest = hex;
    }
    m_bReady.store(true, std::memory_order_release);
}

} // namespace tervik
