#include "platform/SystemInfo.h"

#include <algorithm>
#include <cstdint>
#include <ctime>
#include <fstream>
#include <iterator>
#include <optional>
#include <sys/sysinfo.h>
#include <sys/utsname.h>

namespace tervik {

namespace {

// The number after "Key:" of one /proc/meminfo line, in KB.
std::optional<uint64_t> MemInfoValue(std::string_view text, std::string_view key) {
    size_t pos = 0;
    while (pos < text.size()) {
        size_t end = text.find('\n', pos);
        if (end == std::string_view::npos) end = text.size();
        const std::string_view line = text.substr(pos, end - pos);
        pos = end + 1;
        if (line.size() <= key.size() || line.substr(0, key.size()) != key ||
            line[key.size()] != ':')
            continue;
        size_t i = key.size() + 1;
        while (i < line.size() && (line[i] == ' ' || line[i] == '\t'))
            ++i;
        if (i >= line.size() || line[i] < '0' || line[i] > '9') return std::nullopt;
        uint64_t v = 0;
        for (; i < line.size() && line[i] >= '0' && line[i] <= '9'; ++i) {
            if (v > (UINT64_MAX - 9) / 10) return std::nullopt;
            v = v * 10 + static_cast<uint64_t>(line[i] - '0');
        }
        // The kernel writes "kB"; anything else would be another unit.
        while (i < line.size() && line[i] == ' ')
            ++i;
        const std::string_view unit = line.substr(i);
        if (!unit.empty() && unit != "kB") return std::nullopt;
        return v;
    }
    return std::nullopt;
}

} // namespace

bool ParseKernelRelease(std::string_view release, int& nMajor, int& nMinor) {
    nMajor = nMinor = 0;
    int* pTargets[] = {&nMajor, &nMinor};
    size_t i = 0;
    for (int n = 0; n < 2; ++n) {
        if (i >= release.size() || release[i] < '0' || release[i] > '9') return n > 0;
        long v = 0;
        for (; i < release.size() && release[i] >= '0' && release[i] <= '9'; ++i)
            if (v < 100000) v = v * 10 + (release[i] - '0');
        *pTargets[n] = static_cast<int>(v);
        if (i >= release.size() || release[i] != '.') return true;
        ++i;
    }
    return true;
}

bool ParseMemInfo(std::string_view text, MemoryStatus& status) {
    status = {};
    const std::optional<uint64_t> total = MemInfoValue(text, "MemTotal");
    if (!total) return false;
    status.m_nTotalPhysKB = *total;
    status.m_nTotalPagingKB = MemInfoValue(text, "SwapTotal").value_or(0);
    std::optional<uint64_t> available = MemInfoValue(text, "MemAvailable");
    if (!available)
        available = MemInfoValue(text, "MemFree").value_or(0) +
                    MemInfoValue(text, "Buffers").value_or(0) +
                    MemInfoValue(text, "Cached").value_or(0);
    if (*total > 0) {
        const uint64_t nFree = std::min(*available, *total);
        status.m_nLoadPercent = static_cast<unsigned>((*total - nFree) * 100 / *total);
    }
    return true;
}

OsVersion QueryOsVersion() {
    OsVersion v;
    utsname names{};
    if (uname(&names) != 0) return v;
    v.m_name = names.sysname;
    ParseKernelRelease(names.release, v.m_nMajor, v.m_nMinor);
    return v;
}

MemoryStatus QueryMemoryStatus() {
    MemoryStatus status;
    std::ifstream in("/proc/meminfo");
    if (in) {
        const std::string text((std::istreambuf_iterator<char>(in)),
                               std::istreambuf_iterator<char>());
        if (ParseMemInfo(text, status)) return status;
    }
    // Without /proc: the kernel's summary, which knows no page cache.
    struct sysinfo info {};
    if (sysinfo(&info) != 0) return {};
    const uint64_t nUnit = info.mem_unit ? info.mem_unit : 1;
    const uint64_t nTotal = info.totalram * nUnit;
    const uint64_t nFree = std::min<uint64_t>((info.freeram + info.bufferram) * nUnit, nTotal);
    status.m_nTotalPhysKB = nTotal / 1024;
    status.m_nTotalPagingKB = info.totalswap * nUnit / 1024;
    status.m_nLoadPercent = nTotal ? static_cast<unsigned>((nTotal - nFree) * 100 / nTotal) : 0;
    return status;
}

LocalDateTime QueryLocalTime() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    return {local.tm_year + 1900, local.tm_mon + 1, local.tm_mday,
            local.tm_hour,        local.tm_min,     local.tm_sec};
}

} // namespace tervik
