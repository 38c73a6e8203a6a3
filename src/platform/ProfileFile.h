#pragma once

// The settings file on disk: its change stamp, reading it whole, replacing it whole.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace tervik {

// What tells that another program changed or replaced the file.
struct ProfileFileStamp {
    int64_t m_nStamp = -1; // last write time
    int64_t m_nSize = -1;  // -1: no file
    uint64_t m_nFile = 0;  // file number
    bool operator==(const ProfileFileStamp&) const = default;
};

// The stamp of the file now; false when there is none.
bool GetProfileFileStamp(const std::string& path, ProfileFileStamp& stamp);

// Reads the whole file, at most nMax bytes. Answers 0 with its content and stamp, or
// the error code. A missing file is no error: 0, empty content, the stamp unset.
uint32_t ReadProfileFile(const std::string& path, size_t nMax, std::string& content,
                         ProfileFileStamp& stamp);

// Writes the content beside the file and renames it over the file, so a crash never
// leaves half a file; through a symbolic link to the file it names. Answers 0 with
// the stamp of the new file, or the error code.
uint32_t ReplaceProfileFile(const std::string& path, std::string_view content,
                            ProfileFileStamp& stamp);

} // namespace tervik
