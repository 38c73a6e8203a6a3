#pragma once

// What the program tells about the machine it runs on (the feedback mail's form):
// the operating system and its version, the memory and the local time.

#include <cstdint>
#include <string>
#include <string_view>

namespace tervik {

struct OsVersion {
    std::string m_name; // "Linux"; empty when the system does not tell
    int m_nMajor = 0;
    int m_nMinor = 0;
};

struct MemoryStatus {
    uint64_t m_nTotalPhysKB = 0;   // physical memory
    uint64_t m_nTotalPagingKB = 0; // swap (Linux) or the paging file (Windows)
    unsigned m_nLoadPercent = 0;   // share of the physical memory in use, 0..100
};

struct LocalDateTime {
    int m_nYear = 0;
    int m_nMonth = 0; // 1..12
    int m_nDay = 0;   // 1..31
    int m_nHour = 0;
    int m_nMinute = 0;
    int m_nSecond = 0;
};

// The kernel's name and the first two numbers of its release.
OsVersion QueryOsVersion();
// Zeroes when the figures cannot be read.
MemoryStatus QueryMemoryStatus();
LocalDateTime QueryLocalTime();

// Linux only, for the queries above and their tests.
// "6.1.0-18-amd64" gives 6 and 1; missing numbers are 0; false when there is none.
bool ParseKernelRelease(std::string_view release, int& nMajor, int& nMinor);
// /proc/meminfo's text; false when it has no MemTotal. The load counts what is not
// available (MemAvailable, on old kernels MemFree + Buffers + Cached) as in use.
bool ParseMemInfo(std::string_view text, MemoryStatus& status);

} // namespace tervik
