#ifndef _WIN32 // Linux: uname and /proc; Win32Test.cpp has the Windows side
#include "platform/SystemInfo.h"

#include <gtest/gtest.h>
#include <string>
#include <sys/utsname.h>

namespace tervik {
namespace {

TEST(SystemInfo, KernelReleaseGivesMajorAndMinor) {
    struct Case {
        const char* release;
        bool bOk;
        int nMajor;
        int nMinor;
    } cases[] = {
        {"6.1.0-18-amd64", true, 6, 1},
        {"5.15.133.1-microsoft-standard-WSL2", true, 5, 15},
        {"4.19", true, 4, 19},
        {"3", true, 3, 0},
        {"6.8-rc1", true, 6, 8},
        {"2.6.32-754.el6.x86_64", true, 2, 6},
        {"", false, 0, 0},
        {"rc1", false, 0, 0},
        {"99999999999999999999.1", true, 999999, 1}, // clipped, never overflowing
    };
    for (const auto& c : cases) {
        int nMajor = -1, nMinor = -1;
        EXPECT_EQ(ParseKernelRelease(c.release, nMajor, nMinor), c.bOk) << c.release;
        EXPECT_EQ(nMajor, c.nMajor) << c.release;
        EXPECT_EQ(nMinor, c.nMinor) << c.release;
    }
}

TEST(SystemInfo, MemInfoGivesTotalsAndLoad) {
    struct Case {
        const char* text;
        bool bOk;
        uint64_t nPhys;
        uint64_t nSwap;
        unsigned nLoad;
    } cases[] = {
        {"MemTotal:       16000000 kB\nMemFree:         1000000 kB\n"
         "MemAvailable:    4000000 kB\nBuffers:          200000 kB\n"
         "Cached:          3000000 kB\nSwapTotal:       2097148 kB\nSwapFree: 2097148 kB\n",
         true, 16000000, 2097148, 75},
        // Old kernels have no MemAvailable: free, buffers and page cache are not in use.
        {"MemTotal: 1000 kB\nMemFree: 100 kB\nBuffers: 50 kB\nCached: 250 kB\n", true, 1000, 0, 60},
        // Keys are whole words: SwapTotal is not taken for MemTotal, nor "MemTotalX".
        {"MemTotalX: 5 kB\nSwapTotal: 8 kB\n", false, 0, 0, 0},
        {"", false, 0, 0, 0},
        {"MemTotal: lots\n", false, 0, 0, 0},
        // More available than total (a confused kernel) is no negative load.
        {"MemTotal: 100 kB\nMemAvailable: 150 kB\n", true, 100, 0, 0},
        {"MemTotal: 0 kB\nMemAvailable: 0 kB\n", true, 0, 0, 0},
        {"MemTotal: 99999999999999999999999 kB\n", false, 0, 0, 0},
        {"MemTotal: 100 MB\n", false, 0, 0, 0},
    };
    for (const auto& c : cases) {
        MemoryStatus status;
        EXPECT_EQ(ParseMemInfo(c.text, status), c.bOk) << c.text;
        EXPECT_EQ(status.m_nTotalPhysKB, c.nPhys) << c.text;
        EXPECT_EQ(status.m_nTotalPagingKB, c.nSwap) << c.text;
        EXPECT_EQ(status.m_nLoadPercent, c.nLoad) << c.text;
    }
}

TEST(SystemInfo, QueriesDescribeThisMachine) {
    utsname names{};
    ASSERT_EQ(uname(&names), 0);
    const OsVersion os = QueryOsVersion();
    EXPECT_EQ(os.m_name, names.sysname);
    EXPECT_EQ(std::string(names.release)
                  .rfind(std::to_string(os.m_nMajor) + "." + std::to_string(os.m_nMinor), 0),
              0u)
        << names.release;

    const MemoryStatus memory = QueryMemoryStatus();
    EXPECT_GT(memory.m_nTotalPhysKB, 0u);
    EXPECT_LE(memory.m_nLoadPercent, 100u);

    const LocalDateTime now = QueryLocalTime();
    EXPECT_GE(now.m_nYear, 2024);
    EXPECT_TRUE(now.m_nMonth >= 1 && now.m_nMonth <= 12);
    EXPECT_TRUE(now.m_nDay >= 1 && now.m_nDay <= 31);
}

} // namespace
} // namespace tervik

#endif
