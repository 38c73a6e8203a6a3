#include "platform/SysLibrary.h"

#include "platform/SysFile.h"

#include <cerrno>
#include <dlfcn.h>

namespace tervik {

void* CSysLibrary::Load(const std::string& path, uint32_t& nError, std::string& errorText) {
    // dlopen would wait for ever on a named pipe and reads whatever a device gives.
    // A name without a folder is searched in the system's library folders by dlopen.
    if (path.find('/') != std::string::npos && IsSpecialFile(path, nError)) {
        errorText.clear();
        return nullptr;
    }
    errno = 0;
    dlerror();
    // RTLD_LOCAL keeps one add-on's symbols from resolving another's.
    void* h = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (h) return h;
    nError = errno != 0 ? static_cast<uint32_t>(errno) : static_cast<uint32_t>(ENOENT);
    const char* psz = dlerror();
    errorText = psz ? psz : "";
    return nullptr;
}

void* CSysLibrary::Symbol(void* hModule, const char* pszName, const char* pszDecorated) {
    if (!hModule) return nullptr;
    void* p = pszName ? dlsym(hModule, pszName) : nullptr;
    if (!p && pszDecorated) p = dlsym(hModule, pszDecorated);
    return p;
}

void CSysLibrary::Unload(void* hModule) {
    if (hModule) dlclose(hModule);
}

} // namespace tervik
