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

// A folder of this user's own inside a shared one, where names cannot be taken or
// redirected by other users. POSIX: "<parent><prefix><uid>/". Windows: the parent
// itself, as a user's temporary folder lies in the user's profile there.
std::string OwnFolderName(const std::string& parent, const std::string& prefix);
enum class OwnFolder {
    Ready,   // a real folder (no link) of this user that no one else may enter
    Foreign, // the name is another user's, a link, a file, or open to others
    Failed,  // missing and not made (bCreate false), or the system refused: nError
};
// Checks the folder, first making it with mode 0700 when bCreate and it is missing.
OwnFolder CheckOwnFolder(const std::string& folder, bool bCreate, uint32_t& nError);

} // namespace tervik
