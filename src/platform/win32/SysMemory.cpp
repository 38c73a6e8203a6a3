#include "platform/SysMemory.h"

#include <windows.h>

namespace tervik {

size_t MemoryPageSize() {
    static const size_t n = [] {
        SYSTEM_INFO info{};
        GetSystemInfo(&info);
        return info.dwPageSize != 0 ? static_cast<size_t>(info.dwPageSize) : size_t{4096};
    }();
    return n;
}

void* MapMemory(size_t nBytes, bool) {
    // Large pages need a privilege users do not have; plain pages it is. Committed
    // memory is zero-filled and backed only when first touched.
    return VirtualAlloc(nullptr, nBytes, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE);
}

void UnmapMemory(void* p, size_t) {
    if (p) VirtualFree(p, 0, MEM_RELEASE);
}

} // namespace tervik
