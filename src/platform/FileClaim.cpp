#include "platform/FileClaim.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace tervik {

CFileClaim::~CFileClaim() {
    Release();
}

CFileClaim::CFileClaim(CFileClaim&& other) noexcept : m_fd(std::exchange(other.m_fd, -1)) {}

CFileClaim& CFileClaim::operator=(CFileClaim&& other) noexcept {
    if (this != &other) {
        Release();
        m_fd = std::exchange(other.m_fd, -1);
    }
    return *this;
}

bool CFileClaim::Claim(const std::string& path) {
    Release();
    // O_NONBLOCK: a FIFO planted under the name must not block the open.
    const int fd =
        ::open(path.c_str(), O_RDONLY | O_CREAT | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK, 0666);
    if (fd < 0) return false;
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || ::flock(fd, LOCK_SH) != 0) {
        ::close(fd);
        return false;
    }
    m_fd = fd;
    return true;
}

void CFileClaim::Release() {
    if (m_fd >= 0) ::close(m_fd);
    m_fd = -1;
}

bool CFileClaim::IsHeld() const {
    return m_fd >= 0;
}

RemoveResult RemoveUnclaimedFile(const std::string& path) {
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0) return RemoveResult::Failed;
    if (!S_ISREG(st.st_mode) || st.st_uid != ::geteuid()) return RemoveResult::Skipped;
    const int fd = ::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) return errno == ELOOP ? RemoveResult::Skipped : RemoveResult::Failed;
    RemoveResult result = RemoveResult::Failed;
    struct stat opened {
    }, named{};
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        result = errno == EWOULDBLOCK ? RemoveResult::InUse : RemoveResult::Failed;
    } else if (::fstat(fd, &opened) != 0 || !S_ISREG(opened.st_mode) ||
               ::lstat(path.c_str(), &named) != 0 || named.st_dev != opened.st_dev ||
               named.st_ino != opened.st_ino) {
        // Replaced between the look and the lock: not the file that was checked.
        result = RemoveResult::Skipped;
    } else {
        // Removed while the lock is held, so no claim can slip in between.
        result = ::unlink(path.c_str()) == 0 ? RemoveResult::Removed : RemoveResult::Failed;
    }
    ::close(fd);
    return result;
}

} // namespace tervik
