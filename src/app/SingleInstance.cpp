#include "app/SingleInstance.h"

#include "platform/Process.h"

#include <atomic>
#include <chrono>
#include <cstring>
#include <thread>

namespace tervik {

namespace {

constexpr size_t kSize = CSharedBlock::kSize;
// Marks a name slot a second copy has claimed and is writing.
constexpr char kClaimed = '\x01';

std::atomic_ref<char> First(char* p) {
    return std::atomic_ref<char>(*p);
}

// Writes text at p with its first byte last, so a reader sees all of it or nothing.
void Publish(char* p, std::string_view text) {
    if (text.empty()) return;
    std::memcpy(p + 1, text.data() + 1, text.size() - 1);
    p[text.size()] = '\0';
    First(p).store(text.front(), std::memory_order_release);
}

// Offset of the name slot; 0 when there is no complete owner text.
size_t SlotOffset(const char* pBlock) {
    if (First(const_cast<char*>(pBlock)).load(std::memory_order_acquire) == '\0') return 0;
    const void* pNul = std::memchr(pBlock, '\0', kSize);
    if (!pNul) return 0;
    const size_t nOffset = static_cast<size_t>(static_cast<const char*>(pNul) - pBlock) + 1;
    return nOffset < kSize ? nOffset : 0;
}

} // namespace

namespace InstanceBlock {

void InitOwner(char* pBlock, int nPid) {
    // Whatever an ended owner left goes first, the visible first byte before the rest.
    First(pBlock).store('\0', std::memory_order_release);
    std::memset(pBlock + 1, 0, kSize - 1);
    Publish(pBlock, std::string(kMainWindowClass) + ":" + std::to_string(nPid));
}

int OwnerPid(const char* pBlock) {
    if (SlotOffset(pBlock) == 0) return 0;
    const std::string_view text(pBlock);
    const std::string prefix = std::string(kMainWindowClass) + ":";
    if (text.substr(0, prefix.size()) != prefix) return 0;
    const std::string_view digits = text.substr(prefix.size());
    if (digits.empty() || digits.size() > 9) return 0;
    int nPid = 0;
    for (char c : digits) {
        if (c < '0' || c > '9') return 0;
        nPid = nPid * 10 + (c - '0');
    }
    return nPid;
}

Put PutName(char* pBlock, std::string_view name) {
    const size_t nOffset = SlotOffset(pBlock);
    if (nOffset == 0) return Put::NoOwner;
    if (name.empty()) return Put::Written;
    if (name.find('\0') != std::string_view::npos || nOffset + name.size() + 1 > kSize)
        return Put::TooLong;
    char* pSlot = pBlock + nOffset;
    char cExpected = '\0';
    if (!First(pSlot).compare_exchange_strong(cExpected, kClaimed, std::memory_order_acq_rel))
        return Put::Busy;
    Publish(pSlot, name);
    return Put::Written;
}

std::optional<std::string> TakeName(char* pBlock) {
    const size_t nOffset = SlotOffset(pBlock);
    if (nOffset == 0) return std::nullopt;
    char* pSlot = pBlock + nOffset;
    const char c = First(pSlot).load(std::memory_order_acquire);
    if (c == '\0' || c == kClaimed) return std::nullopt;
    std::string name(1, c);
    const char* pRest = pSlot + 1;
    const size_t nRest = kSize - nOffset - 1;
    const void* pNul = std::memchr(pRest, '\0', nRest);
    name.append(pRest, pNul ? static_cast<size_t>(static_cast<const char*>(pNul) - pRest) : nRest);
    First(pSlot).store('\0', std::memory_order_release);
    return name;
}

} // namespace InstanceBlock

CSingleInstance::Result CSingleInstance::BecomeFirst() {
    // Listening before the id is published: a second copy may wake this one at once.
    if (!ListenForWake()) {
        // Nobody could reach this copy: it runs without the handshake.
        m_block.Close();
        return Result::Alone;
    }
    InstanceBlock::InitOwner(m_block.Data(), CurrentProcessId());
    return Result::First;
}

CSingleInstance::Result CSingleInstance::Start(const std::string& blockName,
                                               const std::string& file, int nWaitMs) {
    using Clock = std::chrono::steady_clock;
    switch (m_block.Attach(blockName)) {
    case CSharedBlock::Role::None:
        return Result::Alone;
    case CSharedBlock::Role::Owner:
        return BecomeFirst();
    case CSharedBlock::Role::Guest:
        break;
    }
    const auto pause = [] { std::this_thread::sleep_for(std::chrono::milliseconds(10)); };
    // The first copy may still be starting (no id yet), or gone (its block is ours
    // then). A waiting copy never holds anything the first copy waits for.
    auto deadline = Clock::now() + std::chrono::milliseconds(nWaitMs);
    bool bWritten = false;
    for (;;) {
        if (m_block.TryTakeOver()) return BecomeFirst();
        const int nPid = InstanceBlock::OwnerPid(m_block.Data());
        if (nPid != 0 && !bWritten) {
            switch (InstanceBlock::PutName(m_block.Data(), file)) {
            case InstanceBlock::Put::Written:
                bWritten = true;
                break;
            case InstanceBlock::Put::TooLong:
                m_block.Close();
                return Result::Alone;
            case InstanceBlock::Put::Busy:
            case InstanceBlock::Put::NoOwner:
                break;
            }
        }
        if (bWritten) {
            if (WakeProcess(nPid)) {
                m_block.Close();
                return Result::HandedOver;
            }
            // The id names no listening copy (an ended owner's text the new owner has
            // not yet replaced): look again.
            bWritten = false;
        }
        if (Clock::now() >= deadline) {
            m_block.Close();
            return Result::Alone;
        }
        pause();
    }
}

std::optional<std::string> CSingleInstance::TakeWaitingName() {
    if (!IsHeld()) return std::nullopt;
    return InstanceBlock::TakeName(m_block.Data());
}

} // namespace tervik
