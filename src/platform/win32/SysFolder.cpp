#include "platform/SysFolder.h"

#include "platform/win32/Wide.h"

#include <windows.h>

#include <algorithm>

namespace tervik {

namespace {
// FILETIME counts 100 ns since 1601; ours counts ns since 1970.
constexpr int64_t kEpochDiff = 116444736000000000LL;

int64_t WriteTimeOf(const FILETIME& ft) {
    const int64_t n = static_cast<int64_t>((uint64_t{ft.dwHighDateTime} << 32) | ft.dwLowDateTime);
    return (n - kEpochDiff) * 100;
}
} // namespace

std::vector<FolderEntry> ListFolder(const std::string& folder) {
    std::vector<FolderEntry> entries;
    std::string pattern = folder;
    if (pattern.empty() || (pattern.back() != '\\' && pattern.back() != '/')) pattern += '\\';
    pattern += '*';
    WIN32_FIND_DATAW data{};
    HANDLE h = FindFirstFileExW(Widen(pattern).c_str(), FindExInfoBasic, &data,
                                FindExSearchNameMatch, nullptr, 0);
    if (h == INVALID_HANDLE_VALUE) return entries;
    do {
        const std::wstring name = data.cFileName;
        if (name == L"." || name == L"..") continue;
        entries.push_back({Narrow(name), (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0,
                           WriteTimeOf(data.ftLastWriteTime)});
    } while (FindNextFileW(h, &data));
    FindClose(h);
    std::sort(entries.begin(), entries.end(),
              [](const FolderEntry& a, const FolderEntry& b) { return a.m_name < b.m_name; });
    return entries;
}

bool GetFileWriteTime(const std::string& path, int64_t& nTime) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (path.empty() || !GetFileAttributesExW(Widen(path).c_str(), GetFileExInfoStandard, &data))
        return false;
    if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) return false;
    nTime = WriteTimeOf(data.ftLastWriteTime);
    return true;
}

// The temporary folder of a Windows user lies in the user's own profile already.
std::string OwnFolderName(const std::string& parent, const std::string&) {
    return parent;
}

OwnFolder CheckOwnFolder(const std::string&, bool, uint32_t&) {
    return OwnFolder::Ready;
}

} // namespace tervik
