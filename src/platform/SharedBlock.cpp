#include "platform/SharedBlock.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tervik {

// The owner holds an exclusive flock on the block's descriptor. The lock belongs to
// the open description, which the system closes when the process ends, however it
// ends; shm_open sets close-on-exec, so started programs do not inherit it.

namespace {
// The user id in the name keeps the users of one machine apart (a block is per user
// as a Windows one is per session); a block under our name that is not our own is
// still refused, since another user may have created it first.
std::string ShmName(const std::string& name) {
    return "/" + name + "." + std::to_string(::geteuid());
}

// Opens the block exclusively new, or an existing one only when it is this user's and
// no one else may read or write it. -1 with errno set otherwise.
int OpenOwnBlock(const std::string& shmName) {
    int fd = ::shm_open(shmName.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd >= 0 || errno != EEXIST) return fd;
    fd = ::shm_open(shmName.c_str(), O_RDWR | O_CLOEXEC, 0);
    if (fd < 0) return fd;
    struct stat st {};
    if (::fstat(fd, &st) != 0) {
        const int nError = errno;
        ::close(fd);
        errno = nError;
        return -1;
    }
    if (!S_ISREG(st.st_mode) || st.st_uid != ::geteuid() || (st.st_mode & 077) != 0) {
        ::close(fd);
        errno = EACCES;
        return -1;
    }
    return fd;
}
} // namespace

CSharedBlock::~CSharedBlock() {
    Close();
}

CSharedBlock::Role CSharedBlock::Fail() {
    m_nLastError = static_cast<uint32_t>(errno);
    Close();
    return Role::None;
}

CSharedBlock::Role CSharedBlock::Attach(const std::string& name) {
    Close();
    m_name = name;
    // A start that loses the race for a name that an ending owner removes tries again.
    for (int nTry = 0; nTry < 5; ++nTry) {
        // Only this user's copies may write file names into the block.
        m_fd = OpenOwnBlock(ShmName(name));
        if (m_fd < 0) {
            // Removed between the two opens by an ending owner: try again.
            if (errno == ENOENT) continue;
            return Fail();
        }
        struct stat st {};
        if (::fstat(m_fd, &st) != 0) return Fail();
        // A block just created has no size yet; mapping it would fault on access.
        if (st.st_size < static_cast<off_t>(kSize) && ::ftruncate(m_fd, kSize) != 0) return Fail();
        void* p = ::mmap(nullptr, kSize, PROT_READ | PROT_WRITE, MAP_SHARED, m_fd, 0);
        if (p == MAP_FAILED) return Fail();
        m_pData = static_cast<char*>(p);
        if (::flock(m_fd, LOCK_EX | LOCK_NB) != 0) {
            if (errno != EWOULDBLOCK) return Fail();
            m_role = Role::Guest;
            return m_role;
        }
        if (TakeHold()) return m_role;
        ::munmap(m_pData, kSize);
        m_pData = nullptr;
        ::close(m_fd);
        m_fd = -1;
    }
    errno = EAGAIN;
    return Fail();
}

bool CSharedBlock::TakeHold() {
    // The lock counts only while the name still leads to this block: an owner that
    // ends removes the name before it lets go.
    const int fd = ::shm_open(ShmName(m_name).c_str(), O_RDONLY | O_CLOEXEC, 0);
    struct stat mine {
    }, named{};
    const bool bSame = fd >= 0 && ::fstat(fd, &named) == 0 && ::fstat(m_fd, &mine) == 0 &&
                       mine.st_dev == named.st_dev && mine.st_ino == named.st_ino;
    if (fd >= 0) ::close(fd);
    if (!bSame) {
        ::flock(m_fd, LOCK_UN);
        return false;
    }
    m_role = Role::Owner;
    return true;
}

bool CSharedBlock::TryTakeOver() {
    if (m_role != Role::Guest) return m_role == Role::Owner;
    if (::flock(m_fd, LOCK_EX | LOCK_NB) != 0) return false;
    if (TakeHold()) return true;
    // The block was removed meanwhile: attach to whatever the name holds now.
    const std::string name = m_name;
    return Attach(name) == Role::Owner;
}

void CSharedBlock::Close() {
    if (m_role == Role::Owner) ::shm_unlink(ShmName(m_name).c_str());
    if (m_pData) ::munmap(m_pData, kSize);
    if (m_fd >= 0) ::close(m_fd);
    m_pData = nullptr;
    m_fd = -1;
    m_role = Role::None;
}

bool CSharedBlock::Exists(const std::string& name) {
    const int fd = ::shm_open(ShmName(name).c_str(), O_RDONLY | O_CLOEXEC, 0);
    if (fd < 0) return false;
    ::close(fd);
    return true;
}

void CSharedBlock::Remove(const std::string& name) {
    ::shm_unlink(ShmName(name).c_str());
}

} // namespace tervik
