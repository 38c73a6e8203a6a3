#include "platform/SysFolder.h"

#include <algorithm>
#include <cerrno>
#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

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

std::string OwnFolderName(const std::string& parent, const std::string& prefix) {
    return parent + prefix + std::to_string(::geteuid()) + "/";
}

OwnFolder CheckOwnFolder(const std::string& folder, bool bCreate, uint32_t& nError) {
    // Without the trailing separator: "name/" would follow a link.
    std::string path = folder;
    while (path.size() > 1 && path.back() == '/')
        path.pop_back();
    if (bCreate && ::mkdir(path.c_str(), 0700) != 0 && errno != EEXIST) {
        nError = static_cast<uint32_t>(errno);
        return OwnFolder::Failed;
    }
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0) {
        nError = static_cast<uint32_t>(errno);
        return OwnFolder::Failed;
    }
    if (!S_ISDIR(st.st_mode) || st.st_uid != ::geteuid() || (st.st_mode & 077) != 0)
        return OwnFolder::Foreign;
    return OwnFolder::Ready;
}

bool GetFileWriteTime(const std::string& path, int64_t& nTime) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0 || S_ISDIR(st.st_mode)) return false;
    nTime = WriteTimeOf(st);
    return true;
}

} // namespace tervik
