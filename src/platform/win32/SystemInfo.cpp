#include "platform/SystemInfo.h"

#include <windows.h>

namespace tervik {

OsVersion QueryOsVersion() {
    // GetVersionEx answers what the manifest claims; the kernel's own call tells the truth.
    OsVersion v;
    using RtlGetVersionFn = LONG(WINAPI*)(OSVERSIONINFOW*);
    HMODULE hNtdll = GetModuleHandleW(L"ntdll.dll");
    auto pRtlGetVersion = hNtdll ? reinterpret_cast<RtlGetVersionFn>(reinterpret_cast<void*>(
                                       GetProcAddress(hNtdll, "RtlGetVersion")))
                                 : nullptr;
    OSVERSIONINFOW info{};
    info.dwOSVersionInfoSize = sizeof info;
    if (!pRtlGetVersion || pRtlGetVersion(&info) != 0) return v;
    v.m_name = "Windows";
    v.m_nMajor = static_cast<int>(info.dwMajorVersion);
    v.m_nMinor = static_cast<int>(info.dwMinorVersion);
    return v;
}

MemoryStatus QueryMemoryStatus() {
    MEMORYSTATUSEX info{};
    info.dwLength = sizeof info;
    if (!GlobalMemoryStatusEx(&info)) return {};
    MemoryStatus status;
    status.m_nTotalPhysKB = info.ullTotalPhys / 1024;
    status.m_nTotalPagingKB = info.ullTotalPageFile / 1024;
    status.m_nLoadPercent = static_cast<unsigned>(info.dwMemoryLoad);
    return status;
}

LocalDateTime QueryLocalTime() {
    SYSTEMTIME t{};
    GetLocalTime(&t);
    return {t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute, t.wSecond};
}

} // namespace tervik
