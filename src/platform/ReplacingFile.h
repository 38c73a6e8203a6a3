#pragma once

// Replaces a file whole: everything is written to a new file beside it, which is
// renamed over the old one only when all of it is on the disk. A crash, a kill or a
// full disk on the way never leaves the old file emptied or half written.

#include "platform/SysFile.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace tervik {

class CReplacingFile {
public:
    CReplacingFile() = default;
    // A file neither committed nor kept is deleted.
    ~CReplacingFile();
    CReplacingFile(const CReplacingFile&) = delete;
    CReplacingFile& operator=(const CReplacingFile&) = delete;

    // Creates the temporary file beside path (beside the file a symbolic link at path
    // names, so the link stays, also when that file does not exist yet); false with
    // LastError when that fails or when something other than a file is in the way.
    bool Begin(const std::string& path);
    bool Write(std::string_view data);
    // Puts the file onto the disk and renames it over the old one; false with
    // LastError otherwise (the temporary file is then still there).
    bool Commit();
    // Deletes the temporary file.
    void Discard();
    // Closes the temporary file and leaves it where it is.
    void Keep();

    const std::string& TempPath() const { return m_temp; }
    uint32_t LastError() const { return m_nError; }

private:
    CSysFile m_file;
    std::string m_target;
    std::string m_temp;
    uint32_t m_nError = 0;
};

} // namespace tervik
