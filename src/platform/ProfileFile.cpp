#include "platform/ProfileFile.h"

#include "platform/ReplacingFile.h"

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
    CReplacingFile file;
    if (!file.Begin(path) || !file.Write(content) || !file.Commit()) return file.LastError();
    struct stat st {};
    if (::stat(path.c_str(), &st) == 0) stamp = StampFrom(st);
    return 0;
}

} // namespace tervik
