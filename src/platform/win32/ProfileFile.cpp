#include "platform/ProfileFile.h"

#include "platform/ReplacingFile.h"

#include "platform/win32/Wide.h"

#include <windows.h>

#include <atomic>

namespace tervik {

namespace {

ProfileFileStamp StampFrom(const BY_HANDLE_FILE_INFORMATION& info) {
    ProfileFileStamp stamp;
    stamp.m_nStamp = static_cast<int64_t>((uint64_t{info.ftLastWriteTime.dwHighDateTime} << 32) |
                                          info.ftLastWriteTime.dwLowDateTime);
    stamp.m_nSize = static_cast<int64_t>((uint64_t{info.nFileSizeHigh} << 32) | info.nFileSizeLow);
    stamp.m_nFile = (uint64_t{info.nFileIndexHigh} << 32) | info.nFileIndexLow;
    return stamp;
}

HANDLE OpenForStamp(const std::wstring& path) {
    return CreateFileW(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                       nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
}

bool StampOf(const std::wstring& path, ProfileFileStamp& stamp) {
    HANDLE h = OpenForStamp(path);
    if (h == INVALID_HANDLE_VALUE) return false;
    BY_HANDLE_FILE_INFORMATION info{};
    const bool bOk = GetFileInformationByHandle(h, &info) != 0;
    CloseHandle(h);
    if (bOk) stamp = StampFrom(info);
    return bOk;
}

} // namespace

bool GetProfileFileStamp(const std::string& path, ProfileFileStamp& stamp) {
    return !path.empty() && StampOf(Widen(path), stamp);
}

uint32_t ReadProfileFile(const std::string& path, size_t nMax, std::string& content,
                         ProfileFileStamp& stamp) {
    content.clear();
    stamp = {};
    if (path.empty()) return 0;
    // Others may go on reading and writing it; we only read.
    HANDLE h = CreateFileW(Widen(path).c_str(), GENERIC_READ,
                           FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                           OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        const DWORD nCode = GetLastError();
        if (nCode == ERROR_FILE_NOT_FOUND || nCode == ERROR_PATH_NOT_FOUND) return 0;
        return nCode;
    }
    uint32_t nError = 0;
    BY_HANDLE_FILE_INFORMATION info{};
    if (!GetFileInformationByHandle(h, &info)) {
        nError = GetLastError();
    } else if (GetFileType(h) != FILE_TYPE_DISK) {
        nError = ERROR_INVALID_FUNCTION;
    } else {
        stamp = StampFrom(info);
        char buffer[65536];
        for (;;) {
            DWORD n = 0;
            if (!ReadFile(h, buffer, sizeof buffer, &n, nullptr)) {
                nError = GetLastError();
                break;
            }
            if (n == 0) break;
            if (content.size() + n > nMax) {
                nError = ERROR_FILE_TOO_LARGE;
                break;
            }
            content.append(buffer, n);
        }
    }
    CloseHandle(h);
    return nError;
}

uint32_t ReplaceProfileFile(const std::string& path, std::string_view content,
                            ProfileFileStamp& stamp) {
    CReplacingFile file;
    if (!file.Begin(path) || !file.Write(content) || !file.Commit()) return file.LastError();
    StampOf(Widen(path), stamp);
    return 0;
}

} // namespace tervik
