#pragma once

// The program's product version, as the build's project version gives it.

#include <cstddef>
#include <string_view>

namespace tervik {

// Copies the version with its NUL when it fits and returns its length; otherwise
// copies its first nSize - 1 characters and returns 0. An empty version (or no
// room at all) leaves an empty buffer and returns 0.
size_t CopyProductVersion(std::string_view version, char* pBuffer, size_t nSize);
size_t GetProductVersion(char* pBuffer, size_t nSize);

} // namespace tervik
