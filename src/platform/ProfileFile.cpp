#include "platform/ProfileFile.h"

#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tervik {

namespace {

int64_t StampOf(const struct stat& st) {
    return static_cast<int64_t>(st.st_mtim.tv_sec) * 1000000000 +
           static_cast<int64_t>(st.st_mtim.tv_nsec);
}

ProfileFileStamp StampFrom(const struct stat& st) {
    return {StampOf(st), static_cast<int64_t>(st.st_size), static_cast<uint64_t>(st.st_ino)};
}

uint32_t ErrnoCode() {
    return static_cast<uint32_t>(errno);
}

// Folder part of a path, for the temporary file and the folder sync.
std::string FolderOf(const std::string& path) {
    const size_t nSlash = path.rfind('/');
    if (nSlash == std::string::npos) return ".";
    if (nSlash == 0) return "/";
    return path.substr(0, nSlash);
}

bool WriteAll(int fd, std::string_view data) {
    while (!data.empty()) {
        const ssize_t n = ::write(fd, data.data(), data.size());
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        data.remove_prefix(static_cast<size_t>(n));
    }
    return true;
}

void SyncFolder(const std::string& folder) {
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

} // namespace

bool GetProfileFileStamp(const std::string& path, ProfileFileStamp& stamp) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) return false;
    stamp = StampFrom(st);
    return true;
}

uint32_t ReadProfileFile(const std::string& path, size_t nMax, std::string& content,
                         ProfileFileStamp& stamp) {
    content.clear();
    stamp = {};
    // O_NONBLOCK so that a FIFO in place of the file cannot hang us.
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) return errno != ENOENT && errno != ENOTDIR ? ErrnoCode() : 0;
    struct stat st {};
    uint32_t nError = 0;
    if (::fstat(fd, &st) != 0) {
        nError = ErrnoCode();
    } else if (!S_ISREG(st.st_mode)) {
        nError = S_ISDIR(st.st_mode) ? EISDIR : EINVAL;
    } else {
        stamp = StampFrom(st);
        char buffer[65536];
        for (;;) {
            const ssize_t n = ::read(fd, buffer, sizeof buffer);
            if (n < 0 && errno == EINTR) continue;
            if (n < 0) {
                nError = ErrnoCode();
                break;
            }
            if (n == 0) break;
            if (content.size() + static_cast<size_t>(n) > nMax) {
                nError = EFBIG;
                break;
            }
            content.append(buffer, static_cast<size_t>(n));
        }
    }
    ::close(fd);
    return nError;
}

uint32_t ReplaceProfileFile(const std::string& path, std::string_view content,
                            ProfileFileStamp& stamp) {
    // Through a symbolic link to the file it names, so the link stays.
    std::string target = path;
    struct stat st {};
    if (::lstat(path.c_str(), &st) == 0 && S_ISLNK(st.st_mode)) {
        if (char* pszReal = ::realpath(path.c_str(), nullptr)) {
            target = pszReal;
            std::free(pszReal);
        }
    }
    const bool bHadFile = ::stat(target.c_str(), &st) == 0 && S_ISREG(st.st_mode);

    static std::atomic<unsigned> s_nCounter{0};
    const std::string folder = FolderOf(target);
    std::string temp;
    int fd = -1;
    for (int nTry = 0; nTry < 100 && fd < 0; ++nTry) {
        temp = folder + "/.tervik-ini-" + std::to_string(::getpid()) + "-" +
               std::to_string(s_nCounter++) + ".tmp";
        fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0 && errno != EEXIST) break;
    }
    if (fd < 0) return ErrnoCode();
    if (bHadFile) {
        ::fchmod(fd, st.st_mode & 07777);
        if (::fchown(fd, st.st_uid, st.st_gid) != 0) {
            // Only root may give the file away; others keep it as their own.
        }
    }
    uint32_t nError = 0;
    if (!WriteAll(fd, content)) nError = ErrnoCode();
    if (nError == 0) ::fsync(fd);
    if (::close(fd) != 0 && nError == 0) nError = ErrnoCode();
    if (nError == 0 && ::rename(temp.c_str(), target.c_str()) != 0) nError = ErrnoCode();
    if (nError != 0) {
        ::unlink(temp.c_str());
        return nError;
    }
    SyncFolder(folder);
    if (::stat(path.c_str(), &st) == 0) stamp = StampFrom(st);
    return 0;
}

} // namespace tervik
