#pragma once

// Loading shared libraries (add-ons) and looking up their exported functions.

#include <cstdint>
#include <string>

namespace tervik {

class CSysLibrary {
public:
    // Loads the library; null on failure, with the code in nError and the loader's
    // own text in errorText (dlerror gives no number, so nError is errno or ENOENT).
    static void* Load(const std::string& path, uint32_t& nError, std::string& errorText);
    // The first of the names the library exports; null when it exports none.
    static void* Symbol(void* hModule, const char* pszName, const char* pszDecorated = nullptr);
    static void Unload(void* hModule);
};

} // namespace tervik
