#pragma once

// A file handle with the few operations the program needs: open for reading
// (shared), create for writing, 64-bit positions, whole reads and writes, and the
// system error code of the last failure.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

namespace tervik {

// Which file a handle or a path stands for: device and file number.
struct FileIdentity {
    uint64_t m_nDevice = 0;
    uint64_t m_nFile = 0;
    bool operator==(const FileIdentity&) const = default;
};

// The identity of the file a path names now; false when there is none.
bool PathIdentity(const std::string& path, FileIdentity& id);

// Whether path names an existing file that is not a regular one, with the code to
// refuse it with (EISDIR, ENODEV for a device, ESPIPE for a pipe or socket). The file
// itself is looked at, opened without waiting, so a named pipe cannot hang the caller.
// A path that cannot be opened is not judged (false): the caller's own open tells.
bool IsSpecialFile(const std::string& path, uint32_t& nError);

class CSysFile {
public:
    CSysFile() = default;
    ~CSysFile();
    CSysFile(CSysFile&& other) noexcept;
    CSysFile& operator=(CSysFile&& other) noexcept;
    CSysFile(const CSysFile&) = delete;
    CSysFile& operator=(const CSysFile&) = delete;

    // Opens an existing file read-only. bShareWrite lets other processes write the
    // file meanwhile (a share mode on Windows; POSIX never locks). Folders are refused.
    // On Windows a file another process holds open for writing without sharing it
    // fails with kErrSharingViolation.
    bool OpenRead(const std::string& path, bool bShareWrite);
    // Creates or truncates a file for writing.
    bool Create(const std::string& path);
    // Creates a file that must not exist yet (EEXIST otherwise); a link in its place
    // counts as existing, so a name another user planted is never followed. With
    // modelPath set, the new file takes that file's permissions (and owner, where the
    // system lets us); without it, only this user may read it.
    bool CreateNew(const std::string& path, const std::string& modelPath = {});
    // Puts what was written onto the disk; false on failure.
    bool Sync();
    void Close();
#ifdef _WIN32
    bool IsOpen() const {
        return m_hFile != nullptr;
    }
#else
    bool IsOpen() const {
        return m_fd >= 0;
    }
#endif

    // Size in bytes, -1 on failure.
    int64_t Size();
    // The identity of the open file; false on failure.
    bool Identity(FileIdentity& id);
    // Moves the file position; false on failure.
    bool Seek(int64_t nOffset);
    // Reads up to n bytes at the file position (retrying short reads until the end
    // of the file); answers the bytes read, 0 at the end, -1 on failure.
    int64_t Read(void* pDst, size_t n);
    // The same at an explicit offset, not moving the file position.
    int64_t ReadAt(void* pDst, size_t n, int64_t nOffset);
    // Writes all n bytes; false on failure (a full disk included).
    bool Write(const void* pSrc, size_t n);

    // System error code of the last failed operation on this object.
    uint32_t LastError() const {
        return m_nLastError;
    }

    // Tests replace the open of a path: the hook answers 0 to let the open go on,
    // or an error code that the open then fails with. Empty function = no hook.
    using OpenFailureHook = std::function<uint32_t(const std::string& path, bool bShareWrite)>;
    static void SetOpenFailureHook(OpenFailureHook hook);
    // Tests make reads fail the same way: the hook gets the offset of a read and
    // answers 0 or an error code.
    using ReadFailureHook = std::function<uint32_t(int64_t nOffset)>;
    static void SetReadFailureHook(ReadFailureHook hook);
    // And writes: the hook gets the size of each write and answers 0 or an error code.
    using WriteFailureHook = std::function<uint32_t(size_t nBytes)>;
    static void SetWriteFailureHook(WriteFailureHook hook);

private:
    bool Fail();
    // True when a test hook makes the read at this offset fail.
    bool ReadFailsByHook(int64_t nOffset);
#ifdef _WIN32
    void* m_hFile = nullptr; // HANDLE; null when closed
#else
    int m_fd = -1;
#endif
    uint32_t m_nLastError = 0;
};

} // namespace tervik
