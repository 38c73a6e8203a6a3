#pragma once

// Listing a folder and the modification times of files.

#include <cstdint>
#include <string>
#include <vector>

namespace tervik {

struct FolderEntry {
    std::string m_name;
    bool m_bFolder = false;
    // Last modification, nanoseconds since 1970-01-01 UTC; symbolic links followed.
    int64_t m_nWriteTime = 0;
};

// The entries of a folder without "." and "..", sorted by name (byte order), so
// every system lists them alike. Empty when the folder cannot be read. An entry
// that cannot be examined (a dangling link) is left out.
std::vector<FolderEntry> ListFolder(const std::string& folder);

// The modification time of an existing file that is not a folder; false otherwise.
bool GetFileWriteTime(const std::string& path, int64_t& nTime);

} // namespace tervik
