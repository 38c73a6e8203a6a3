#pragma once

#include <cstdint>
#include <string>

namespace tervik {

// Error codes are the system's own numbers (errno here, GetLastError on Windows).
// These two are named because the program reacts to them.
#ifdef _WIN32
inline constexpr uint32_t kErrSharingViolation = 32; // ERROR_SHARING_VIOLATION
inline constexpr uint32_t kErrDiskFull = 112;        // ERROR_DISK_FULL
inline constexpr uint32_t kErrNoMemory = 8;          // ERROR_NOT_ENOUGH_MEMORY
inline constexpr uint32_t kErrFileTooLarge = 223;    // ERROR_FILE_TOO_LARGE
inline constexpr uint32_t kErrInvalidParameter = 87; // ERROR_INVALID_PARAMETER
#else
// POSIX has no share modes; the sharing question is reached through an injected
// open failure carrying this code (see CSysFile::SetOpenFailureHook).
inline constexpr uint32_t kErrSharingViolation = 16; // EBUSY
inline constexpr uint32_t kErrDiskFull = 28;         // ENOSPC
inline constexpr uint32_t kErrNoMemory = 12;         // ENOMEM
inline constexpr uint32_t kErrFileTooLarge = 27;     // EFBIG
inline constexpr uint32_t kErrInvalidParameter = 22; // EINVAL
#endif

// The calling thread's last system error code.
uint32_t LastSystemError();

// The system's text for an error code, German where we know it, otherwise the
// system's own; at most 255 characters, trailing line breaks removed. Empty when
// the system has no text for the code.
std::string SystemErrorText(uint32_t nCode);

// The cause appended to every error message:
// "Ursache: <text> (Code=<n>)", or "Returncode <n>" when the system has no text.
std::string CauseText(uint32_t nCode);

} // namespace tervik
