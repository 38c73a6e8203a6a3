#include "platform/ReplacingFile.h"

#include <atomic>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tervik {

namespace {

std::string FolderOf(const std::string& path) {
    const size_t nSlash = path.rfind('/');
    if (nSlash == std::string::npos) return ".";
    if (nSlash == 0) return "/";
    return path.substr(0, nSlash);
}

std::string NameOf(const std::string& path) {
    const size_t nSlash = path.rfind('/');
    return nSlash == std::string::npos ? path : path.substr(nSlash + 1);
}

// The file a chain of symbolic links at path ends in, whether it exists or not (a
// dangling link names the file to create). Relative targets count from the folder of
// their link. False with ELOOP for a chain that does not end.
bool FollowLinks(const std::string& path, std::string& target) {
    target = path;
    for (int nHops = 0; nHops < 40; ++nHops) {
        struct stat st {};
        if (::lstat(target.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return true;
        std::string link(4096, '\0');
        const ssize_t n = ::readlink(target.c_str(), link.data(), link.size());
        if (n <= 0 || static_cast<size_t>(n) >= link.size()) return true;
        link.resize(static_cast<size_t>(n));
        target = link.front() == '/' ? link : FolderOf(target) + "/" + link;
    }
    errno = ELOOP;
    return false;
}

void SyncFolder(const std::string& folder) {
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

} // namespace

CReplacingFile::~CReplacingFile() {
    Discard();
}

bool CReplacingFile::Begin(const std::string& path) {
    Discard();
    m_nError = 0;
    // A link stays a link: the new file goes beside the file it names (also one that
    // does not exist yet) and takes that file's place.
    if (!FollowLinks(path, m_target)) {
        m_nError = static_cast<uint32_t>(errno);
        return false;
    }
    // Only a file is replaced: a device, pipe or folder in its place (or behind the
    // link) must never be renamed away.
    struct stat st {};
    if (::lstat(m_target.c_str(), &st) == 0 && !S_ISREG(st.st_mode)) {
        m_nError = S_ISDIR(st.st_mode) ? EISDIR : EINVAL;
        return false;
    }
    static std::atomic<unsigned> s_nCounter{0};
    const std::string folder = FolderOf(m_target);
    const std::string stem = (folder == "/" ? "/." : folder + "/.") + NameOf(m_target) + "-" +
                             std::to_string(::getpid()) + "-";
    for (int nTry = 0; nTry < 100; ++nTry) {
        const std::string temp = stem + std::to_string(s_nCounter++) + ".tmp";
        if (m_file.CreateNew(temp, m_target)) {
            m_temp = temp;
            return true;
        }
        if (m_file.LastError() != EEXIST) break;
    }
    m_nError = m_file.LastError();
    return false;
}

bool CReplacingFile::Write(std::string_view data) {
    if (m_nError != 0) return false;
    if (!m_file.Write(data.data(), data.size())) m_nError = m_file.LastError();
    return m_nError == 0;
}

bool CReplacingFile::Commit() {
    if (m_temp.empty()) return false;
    if (m_nError == 0 && !m_file.Sync()) m_nError = m_file.LastError();
    m_file.Close();
    if (m_nError == 0 && ::rename(m_temp.c_str(), m_target.c_str()) != 0)
        m_nError = static_cast<uint32_t>(errno);
    if (m_nError != 0) return false;
    m_temp.clear();
    SyncFolder(FolderOf(m_target));
    return true;
}

void CReplacingFile::Discard() {
    m_file.Close();
    if (!m_temp.empty()) ::unlink(m_temp.c_str());
    m_temp.clear();
}

void CReplacingFile::Keep() {
    m_file.Close();
    m_temp.clear();
}

} // namespace tervik
