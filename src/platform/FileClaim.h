#pragma once

// Files a running copy of the program still uses: the copy claims them, and the
// clean-up of the temporary folder at another copy's end leaves them alone.

#include <string>

namespace tervik {

// A claim on one file, held while the object lives. POSIX: a shared lock on an open
// descriptor, which the system drops when the process ends, also after a crash.
// Windows may hold the file open without delete sharing.
class CFileClaim {
public:
    CFileClaim() = default;
    ~CFileClaim();
    CFileClaim(CFileClaim&& other) noexcept;
    CFileClaim& operator=(CFileClaim&& other) noexcept;
    CFileClaim(const CFileClaim&) = delete;
    CFileClaim& operator=(const CFileClaim&) = delete;

    // Claims a regular file, creating it empty when it is missing (so a file is
    // claimed before anything is written into it). Never through a symbolic link.
    bool Claim(const std::string& path);
    void Release();
    bool IsHeld() const;

private:
#ifdef _WIN32
    void* m_hFile = nullptr;
#else
    int m_fd = -1;
#endif
};

enum class RemoveResult {
    Removed,
    InUse,   // a running process claims it
    Skipped, // not a regular file of this user: a link, a folder, another user's file
    Failed,
};

// Removes a regular file of this user that no running process claims. A symbolic
// link is never followed nor removed, nor is a folder or any special file.
RemoveResult RemoveUnclaimedFile(const std::string& path);

} // namespace tervik
