#include "platform/SysFile.h"

#include "platform/SysError.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <fcntl.h>
#include <limits>
#include <mutex>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace tervik {

namespace {
std::mutex g_hookMutex;
CSysFile::OpenFailureHook g_openHook;
CSysFile::ReadFailureHook g_readHook;
CSysFile::WriteFailureHook g_writeHook;
std::atomic<bool> g_bWriteHook{false};
// Reads are hot: they look at the hook only while one is installed.
std::atomic<bool> g_bReadHook{false};

// Largest single read or write handed to the kernel (Linux caps one call anyway).
constexpr size_t kMaxChunk = size_t{1} << 30;

// The code a file of the wrong kind is refused with.
uint32_t KindError(mode_t mode) {
    return S_ISDIR(mode) ? EISDIR : (S_ISCHR(mode) || S_ISBLK(mode)) ? ENODEV : ESPIPE;
}

// Opens without waiting: a named pipe does not block the open until a writer comes.
int OpenNonBlocking(const std::string& path, struct stat& st) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    if (fd < 0) return -1;
    if (::fstat(fd, &st) != 0) {
        const int nError = errno;
        ::close(fd);
        errno = nError;
        return -1;
    }
    return fd;
}
} // namespace

bool IsSpecialFile(const std::string& path, uint32_t& nError) {
    if (path.empty() || path.find('\0') != std::string::npos) return false;
    struct stat st {};
    const int fd = OpenNonBlocking(path, st);
    if (fd < 0) return false;
    ::close(fd);
    if (S_ISREG(st.st_mode)) return false;
    nError = KindError(st.st_mode);
    return true;
}

CSysFile::~CSysFile() {
    Close();
}

CSysFile::CSysFile(CSysFile&& other) noexcept
    : m_fd(std::exchange(other.m_fd, -1)), m_nLastError(other.m_nLastError) {}

CSysFile& CSysFile::operator=(CSysFile&& other) noexcept {
    if (this != &other) {
        Close();
        m_fd = std::exchange(other.m_fd, -1);
        m_nLastError = other.m_nLastError;
    }
    return *this;
}

void CSysFile::SetOpenFailureHook(OpenFailureHook hook) {
    std::lock_guard lock(g_hookMutex);
    g_openHook = std::move(hook);
}

void CSysFile::SetReadFailureHook(ReadFailureHook hook) {
    std::lock_guard lock(g_hookMutex);
    g_bReadHook.store(static_cast<bool>(hook));
    g_readHook = std::move(hook);
}

void CSysFile::SetWriteFailureHook(WriteFailureHook hook) {
    std::lock_guard lock(g_hookMutex);
    g_bWriteHook.store(static_cast<bool>(hook));
    g_writeHook = std::move(hook);
}

bool CSysFile::ReadFailsByHook(int64_t nOffset) {
    if (!g_bReadHook.load(std::memory_order_relaxed)) return false;
    std::lock_guard lock(g_hookMutex);
    if (!g_readHook) return false;
    m_nLastError = g_readHook(nOffset);
    return m_nLastError != 0;
}

bool CSysFile::Fail() {
    m_nLastError = LastSystemError();
    if (m_nLastError == 0) m_nLastError = EIO;
    return false;
}

bool CSysFile::OpenRead(const std::string& path, bool bShareWrite) {
    Close();
    m_nLastError = 0;
    {
        std::lock_guard lock(g_hookMutex);
        if (g_openHook) {
            if (const uint32_t nCode = g_openHook(path, bShareWrite); nCode != 0) {
                m_nLastError = nCode;
                return false;
            }
        }
    }
    if (path.empty() || path.find('\0') != std::string::npos) {
        m_nLastError = ENOENT;
        return false;
    }
    struct stat st {};
    const int fd = OpenNonBlocking(path, st);
    if (fd < 0) return Fail();
    // Only files and disks can be read again at any offset: pipes and character
    // devices (endless ones like /dev/zero among them) are refused.
    if (!S_ISREG(st.st_mode) && !S_ISBLK(st.st_mode)) {
        ::close(fd);
        m_nLastError = KindError(st.st_mode);
        return false;
    }
    const int nFlags = ::fcntl(fd, F_GETFL);
    if (nFlags >= 0) ::fcntl(fd, F_SETFL, nFlags & ~O_NONBLOCK);
#ifdef POSIX_FADV_SEQUENTIAL
    ::posix_fadvise(fd, 0, 0, POSIX_FADV_SEQUENTIAL);
#endif
    m_fd = fd;
    return true;
}

bool CSysFile::Create(const std::string& path) {
    Close();
    m_nLastError = 0;
    if (path.empty() || path.find('\0') != std::string::npos) {
        m_nLastError = ENOENT;
        return false;
    }
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC | O_NOCTTY, 0666);
    if (fd < 0) return Fail();
    m_fd = fd;
    return true;
}

bool CSysFile::CreateNew(const std::string& path, const std::string& modelPath) {
    Close();
    m_nLastError = 0;
    if (path.empty() || path.find('\0') != std::string::npos) {
        m_nLastError = ENOENT;
        return false;
    }
    // Without a model it is a file of ours alone (generated files in the temporary folder).
    const mode_t nMode = modelPath.empty() ? 0600 : 0666;
    const int fd = ::open(path.c_str(),
                          O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC | O_NOCTTY, nMode);
    if (fd < 0) return Fail();
    struct stat st {};
    if (!modelPath.empty() && ::stat(modelPath.c_str(), &st) == 0 && S_ISREG(st.st_mode)) {
        ::fchmod(fd, st.st_mode & 07777);
        if (::fchown(fd, st.st_uid, st.st_gid) != 0) {
            // Only root may give a file away; others keep it as their own.
        }
    }
    m_fd = fd;
    return true;
}

bool CSysFile::Sync() {
    if (m_fd < 0) {
        m_nLastError = EBADF;
        return false;
    }
    return ::fsync(m_fd) == 0 || Fail();
}

void CSysFile::Close() {
    if (m_fd >= 0) {
        ::close(m_fd);
        m_fd = -1;
    }
}

bool PathIdentity(const std::string& path, FileIdentity& id) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) return false;
    id = {static_cast<uint64_t>(st.st_dev), static_cast<uint64_t>(st.st_ino)};
    return true;
}

bool CSysFile::Identity(FileIdentity& id) {
    struct stat st {};
    if (m_fd < 0 || ::fstat(m_fd, &st) != 0) return false;
    id = {static_cast<uint64_t>(st.st_dev), static_cast<uint64_t>(st.st_ino)};
    return true;
}

int64_t CSysFile::Size() {
    struct stat st {};
    if (m_fd < 0) {
        m_nLastError = EBADF;
        return -1;
    }
    if (::fstat(m_fd, &st) != 0) {
        Fail();
        return -1;
    }
    if (S_ISBLK(st.st_mode)) {
        // A disk tells its size only through its end.
        const off_t nEnd = ::lseek(m_fd, 0, SEEK_END);
        if (nEnd < 0) {
            Fail();
            return -1;
        }
        return static_cast<int64_t>(nEnd);
    }
    return static_cast<int64_t>(st.st_size);
}

bool CSysFile::Seek(int64_t nOffset) {
    if (m_fd < 0) {
        m_nLastError = EBADF;
        return false;
    }
    if (nOffset < 0) {
        m_nLastError = EINVAL;
        return false;
    }
    if (::lseek(m_fd, static_cast<off_t>(nOffset), SEEK_SET) < 0) return Fail();
    return true;
}

namespace {
// Repeats a read call until n bytes or the end of the file; -1 on failure (errno set).
template <class ReadOnce> int64_t ReadFully(void* pDst, size_t n, ReadOnce readOnce) {
    auto* p = static_cast<char*>(pDst);
    size_t nDone = 0;
    while (nDone < n) {
        const ssize_t r = readOnce(p + nDone, std::min(n - nDone, kMaxChunk), nDone);
        if (r < 0) {
            if (errno == EINTR) continue;
            return -1;
        }
        if (r == 0) break;
        nDone += static_cast<size_t>(r);
    }
    return static_cast<int64_t>(nDone);
}
} // namespace

int64_t CSysFile::Read(void* pDst, size_t n) {
    if (m_fd < 0) {
        m_nLastError = EBADF;
        return -1;
    }
    if (g_bReadHook.load(std::memory_order_relaxed) &&
        ReadFailsByHook(static_cast<int64_t>(::lseek(m_fd, 0, SEEK_CUR))))
        return -1;
    const int64_t nRead =
        ReadFully(pDst, n, [&](char* p, size_t nChunk, size_t) { return ::read(m_fd, p, nChunk); });
    if (nRead < 0) Fail();
    return nRead;
}

int64_t CSysFile::ReadAt(void* pDst, size_t n, int64_t nOffset) {
    if (m_fd < 0) {
        m_nLastError = EBADF;
        return -1;
    }
    if (nOffset < 0) {
        m_nLastError = EINVAL;
        return -1;
    }
    if (ReadFailsByHook(nOffset)) return -1;
    const int64_t nRead = ReadFully(pDst, n, [&](char* p, size_t nChunk, size_t nDone) {
        return ::pread(m_fd, p, nChunk, static_cast<off_t>(nOffset) + static_cast<off_t>(nDone));
    });
    if (nRead < 0) Fail();
    return nRead;
}

bool CSysFile::Write(const void* pSrc, size_t n) {
    if (m_fd < 0) {
        m_nLastError = EBADF;
        return false;
    }
    if (g_bWriteHook.load(std::memory_order_relaxed)) {
        std::lock_guard lock(g_hookMutex);
        if (g_writeHook) {
            if (const uint32_t nCode = g_writeHook(n); nCode != 0) {
                m_nLastError = nCode;
                return false;
            }
        }
    }
    const auto* p = static_cast<const char*>(pSrc);
    size_t nDone = 0;
    while (nDone < n) {
        const ssize_t r = ::write(m_fd, p + nDone, std::min(n - nDone, kMaxChunk));
        if (r < 0) {
            if (errno == EINTR) continue;
            return Fail();
        }
        if (r == 0) {
            m_nLastError = ENOSPC;
            return false;
        }
        nDone += static_cast<size_t>(r);
    }
    return true;
}

} // namespace tervik
