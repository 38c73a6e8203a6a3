#pragma once

// Loading shared libraries (add-ons) and looking up their exported functions.

#include <cstdint>
#include <string>

namespace tervik {

// Why a library did not load.
struct LibraryLoadError {
    enum class Kind {
        System,      // nCode tells: a missing file, no permission, a pipe in its place
        NotALibrary, // the file is there but no shared library for this system
        Refused,     // a library of this system the loader refused (something it needs is missing)
        NotFound,    // a plain name the loader found in none of its folders, or could not load
    };
    Kind kind = Kind::System;
    uint32_t nCode = 0; // the system's error code; 0 when it has none
    std::string text;   // the loader's own words (English on Linux); may be empty
};

class CSysLibrary {
public:
    // Loads the library; null on failure, with the reason. The loader itself gives no
    // error number on Linux, so a code is only reported where the system has one.
    static void* Load(const std::string& path, LibraryLoadError& error);
    // The first of the names the library exports; null when it exports none.
    static void* Symbol(void* hModule, const char* pszName, const char* pszDecorated = nullptr);
    static void Unload(void* hModule);
};

} // namespace tervik
