#include "platform/SysFolder.h"

#include <algorithm>
#include <dirent.h>
#include <sys/stat.h>

namespace tervik {

namespace {
int64_t WriteTimeOf(const struct stat& st) {
    return static_cast<int64_t>(st.st_mtim.tv_sec) * 1000000000 +
           static_cast<int64_t>(st.st_mtim.tv_nsec);
}
} // namespace

std::vector<FolderEntry> ListFolder(const std::string& folder) {
    std::vector<FolderEntry> entries;
    DIR* pDir = ::opendir(folder.c_str());
    if (!pDir) return entries;
    const int fdDir = ::dirfd(pDir);
    while (const dirent* pEntry = ::readdir(pDir)) {
        const std::string name = pEntry->d_name;
        if (name == "." || name == "..") continue;
        struct stat st {};
        if (::fstatat(fdDir, name.c_str(), &st, 0) != 0) continue;
        entries.push_back({name, S_ISDIR(st.st_mode), WriteTimeOf(st)});
    }
    ::closedir(pDir);
    std::sort(entries.begin(), entries.end(),
              [](const FolderEntry& a, const FolderEntry& b) { return a.m_name < b.m_name; });
    return entries;
}

bool GetFileWriteTime(const std::string& path, int64_t& nTime) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0 || S_ISDIR(st.st_mode)) return false;
    nTime = WriteTimeOf(st);
    return true;
}

} // namespace tervik
