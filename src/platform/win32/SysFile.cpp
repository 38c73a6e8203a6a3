#include "platform/SysFile.h"

#include "platform/SysError.h"
#include "platform/win32/Wide.h"

#include <windows.h>

#include <algorithm>
#include <atomic>
#include <mutex>
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

// Largest single read or write handed to the kernel (ReadFile counts in a DWORD).
constexpr size_t kMaxChunk = size_t{1} << 30;

// ERROR_DIRECTORY_NOT_SUPPORTED, which older SDK headers lack.
constexpr DWORD kErrDirectoryNotSupported = 336;

HANDLE H(void* p) {
    return static_cast<HANDLE>(p);
}

// A path the system takes: not empty, no NUL inside.
bool IsUsablePath(const std::string& path) {
    return !path.empty() && path.find('\0') == std::string::npos;
}

bool IdentityOf(HANDLE h, FileIdentity& id) {
    BY_HANDLE_FILE_INFORMATION info{};
    if (!GetFileInformationByHandle(h, &info)) return false;
    id = {info.dwVolumeSerialNumber,
          (uint64_t{info.nFileIndexHigh} << 32) | uint64_t{info.nFileIndexLow}};
    return true;
}
} // namespace

CSysFile::~CSysFile() {
    Close();
}

CSysFile::CSysFile(CSysFile&& other) noexcept
    : m_hFile(std::exchange(other.m_hFile, nullptr)), m_nLastError(other.m_nLastError) {}

CSysFile& CSysFile::operator=(CSysFile&& other) noexcept {
    if (this != &other) {
        Close();
        m_hFile = std::exchange(other.m_hFile, nullptr);
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
    if (m_nLastError == 0) m_nLastError = ERROR_READ_FAULT;
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
    if (!IsUsablePath(path)) {
        m_nLastError = ERROR_FILE_NOT_FOUND;
        return false;
    }
    const std::wstring wide = Widen(path);
    // Without share-write a writer that already has the file open makes this fail
    // with ERROR_SHARING_VIOLATION, and the caller asks whether to retry. Allowing
    // writers allows log rotation too (renaming or deleting the file meanwhile).
    const DWORD nShare = FILE_SHARE_READ | (bShareWrite ? FILE_SHARE_WRITE | FILE_SHARE_DELETE : 0);
    HANDLE h = CreateFileW(wide.c_str(), GENERIC_READ, nShare, nullptr, OPEN_EXISTING,
                           FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        const DWORD nCode = GetLastError();
        // A folder cannot be opened as a file; say so rather than "access denied".
        const DWORD nAttr = GetFileAttributesW(wide.c_str());
        const bool bFolder =
            nAttr != INVALID_FILE_ATTRIBUTES && (nAttr & FILE_ATTRIBUTE_DIRECTORY) != 0;
        m_nLastError = bFolder ? kErrDirectoryNotSupported : nCode;
        return false;
    }
    // Only disk files can be read again at any offset: pipes and consoles are refused.
    if (GetFileType(h) != FILE_TYPE_DISK) {
        CloseHandle(h);
        m_nLastError = ERROR_INVALID_FUNCTION;
        return false;
    }
    m_hFile = h;
    return true;
}

bool CSysFile::Create(const std::string& path) {
    Close();
    m_nLastError = 0;
    if (!IsUsablePath(path)) {
        m_nLastError = ERROR_FILE_NOT_FOUND;
        return false;
    }
    HANDLE h = CreateFileW(Widen(path).c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                           CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return Fail();
    m_hFile = h;
    return true;
}

bool CSysFile::CreateNew(const std::string& path, const std::string&) {
    Close();
    m_nLastError = 0;
    if (!IsUsablePath(path)) {
        m_nLastError = ERROR_FILE_NOT_FOUND;
        return false;
    }
    HANDLE h = CreateFileW(Widen(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return Fail();
    m_hFile = h;
    return true;
}

bool CSysFile::Sync() {
    if (m_hFile == nullptr) {
        m_nLastError = ERROR_INVALID_HANDLE;
        return false;
    }
    return FlushFileBuffers(H(m_hFile)) || Fail();
}

void CSysFile::Close() {
    if (m_hFile != nullptr) {
        CloseHandle(H(m_hFile));
        m_hFile = nullptr;
    }
}

bool IsSpecialFile(const std::string& path, uint32_t& nError) {
    if (!IsUsablePath(path)) return false;
    const DWORD nAttr = GetFileAttributesW(Widen(path).c_str());
    // Windows has no named pipes among files; LoadLibrary refuses devices itself.
    if (nAttr == INVALID_FILE_ATTRIBUTES || !(nAttr & FILE_ATTRIBUTE_DIRECTORY)) return false;
    nError = ERROR_DIRECTORY;
    return true;
}

bool PathIdentity(const std::string& path, FileIdentity& id) {
    if (!IsUsablePath(path)) return false;
    // No access rights and every share mode: this never disturbs another opener.
    HANDLE h =
        CreateFileW(Widen(path).c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                    nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (h == INVALID_HANDLE_VALUE) return false;
    const bool bOk = IdentityOf(h, id);
    CloseHandle(h);
    return bOk;
}

bool CSysFile::Identity(FileIdentity& id) {
    return m_hFile != nullptr && IdentityOf(H(m_hFile), id);
}

int64_t CSysFile::Size() {
    if (m_hFile == nullptr) {
        m_nLastError = ERROR_INVALID_HANDLE;
        return -1;
    }
    LARGE_INTEGER n{};
    if (!GetFileSizeEx(H(m_hFile), &n)) {
        Fail();
        return -1;
    }
    return static_cast<int64_t>(n.QuadPart);
}

bool CSysFile::Seek(int64_t nOffset) {
    if (m_hFile == nullptr) {
        m_nLastError = ERROR_INVALID_HANDLE;
        return false;
    }
    if (nOffset < 0) {
        m_nLastError = ERROR_NEGATIVE_SEEK;
        return false;
    }
    LARGE_INTEGER pos{};
    pos.QuadPart = nOffset;
    if (!SetFilePointerEx(H(m_hFile), pos, nullptr, FILE_BEGIN)) return Fail();
    return true;
}

namespace {
// The file position, -1 when the system does not tell.
int64_t Position(HANDLE h) {
    LARGE_INTEGER zero{}, pos{};
    if (!SetFilePointerEx(h, zero, &pos, FILE_CURRENT)) return -1;
    return static_cast<int64_t>(pos.QuadPart);
}

// Reads until n bytes or the end of the file, at nOffset when it is not negative
// (ReadFile with an offset moves the position too; the caller puts it back).
int64_t ReadFully(HANDLE h, void* pDst, size_t n, int64_t nOffset) {
    auto* p = static_cast<char*>(pDst);
    size_t nDone = 0;
    while (nDone < n) {
        const auto nChunk = static_cast<DWORD>(std::min(n - nDone, kMaxChunk));
        DWORD nRead = 0;
        BOOL bOk;
        if (nOffset >= 0) {
            OVERLAPPED ov{};
            const uint64_t nAt = static_cast<uint64_t>(nOffset) + nDone;
            ov.Offset = static_cast<DWORD>(nAt);
            ov.OffsetHigh = static_cast<DWORD>(nAt >> 32);
            bOk = ReadFile(h, p + nDone, nChunk, &nRead, &ov);
            // Reading at or past the end answers this instead of 0 bytes.
            if (!bOk && GetLastError() == ERROR_HANDLE_EOF) break;
        } else {
            bOk = ReadFile(h, p + nDone, nChunk, &nRead, nullptr);
        }
        if (!bOk) return -1;
        if (nRead == 0) break;
        nDone += nRead;
    }
    return static_cast<int64_t>(nDone);
}
} // namespace

int64_t CSysFile::Read(void* pDst, size_t n) {
    if (m_hFile == nullptr) {
        m_nLastError = ERROR_INVALID_HANDLE;
        return -1;
    }
    if (g_bReadHook.load(std::memory_order_relaxed) && ReadFailsByHook(Position(H(m_hFile))))
        return -1;
    const int64_t nRead = ReadFully(H(m_hFile), pDst, n, -1);
    if (nRead < 0) Fail();
    return nRead;
}

int64_t CSysFile::ReadAt(void* pDst, size_t n, int64_t nOffset) {
    if (m_hFile == nullptr) {
        m_nLastError = ERROR_INVALID_HANDLE;
        return -1;
    }
    if (nOffset < 0) {
        m_nLastError = ERROR_NEGATIVE_SEEK;
        return -1;
    }
    if (ReadFailsByHook(nOffset)) return -1;
    const int64_t nPos = Position(H(m_hFile));
    const int64_t nRead = ReadFully(H(m_hFile), pDst, n, nOffset);
    if (nRead < 0) Fail();
    if (nPos >= 0) {
        LARGE_INTEGER pos{};
        pos.QuadPart = nPos;
        SetFilePointerEx(H(m_hFile), pos, nullptr, FILE_BEGIN);
    }
    return nRead;
}

bool CSysFile::Write(const void* pSrc, size_t n) {
    if (m_hFile == nullptr) {
        m_nLastError = ERROR_INVALID_HANDLE;
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
        DWORD nWritten = 0;
        if (!WriteFile(H(m_hFile), p + nDone, static_cast<DWORD>(std::min(n - nDone, kMaxChunk)),
                       &nWritten, nullptr))
            return Fail();
        if (nWritten == 0) {
            m_nLastError = ERROR_DISK_FULL;
            return false;
        }
        nDone += nWritten;
    }
    return true;
}

} // namespace tervik
