#include "platform/SysMemory.h"

#include <cstdint>
#include <sys/mman.h>
#include <unistd.h>

namespace tervik {

namespace {
constexpr size_t kLargePage = size_t{2} << 20;
}

size_t MemoryPageSize() {
    static const size_t n = [] {
        const long v = sysconf(_SC_PAGESIZE);
        return v > 0 ? static_cast<size_t>(v) : size_t{4096};
    }();
    return n;
}

void* MapMemory(size_t nBytes, bool bLarge) {
    // An aligned large range: map one large page more, then cut off head and tail.
    const size_t nMap = bLarge ? nBytes + kLargePage : nBytes;
    void* p = mmap(nullptr, nMap, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (p == MAP_FAILED) return nullptr;
    auto* pBase = static_cast<unsigned char*>(p);
    if (bLarge) {
        const auto nAddr = reinterpret_cast<uintptr_t>(pBase);
        const size_t nHead = (nAddr + kLargePage - 1) / kLargePage * kLargePage - nAddr;
        if (nHead != 0) munmap(pBase, nHead);
        const size_t nTail = nMap - nHead - nBytes;
        if (nTail != 0) munmap(pBase + nHead + nBytes, nTail);
        pBase += nHead;
        madvise(pBase, nBytes, MADV_HUGEPAGE); // only advice; works without it
    }
    return pBase;
}

void UnmapMemory(void* p, size_t nBytes) {
    if (p) munmap(p, nBytes);
}

} // namespace tervik
