#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace tervik::test {

// A fresh folder under the system temporary folder, removed with everything in it.
class CTempDir {
public:
    CTempDir();
    ~CTempDir();
    CTempDir(const CTempDir&) = delete;
    CTempDir& operator=(const CTempDir&) = delete;

    const std::filesystem::path& Path() const { return m_path; }
    // Full path of a name inside the folder, as native string.
    std::string File(std::string_view name) const;
    // Writes bytes to a file in the folder and answers its full path.
    std::string Write(std::string_view name, std::string_view bytes) const;

private:
    std::filesystem::path m_path;
};

// Paths in the program are UTF-8 on every system; std::filesystem takes them so.
std::filesystem::path U8Path(std::string_view utf8);
std::string U8String(const std::filesystem::path& path);

// Whole content of a file, empty when it cannot be read.
std::string ReadWholeFile(const std::string& path);

} // namespace tervik::test
