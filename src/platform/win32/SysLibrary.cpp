#include "platform/SysLibrary.h"

#include "platform/SysError.h"
#include "platform/win32/Wide.h"

#include <windows.h>

namespace tervik {

void* CSysLibrary::Load(const std::string& path, LibraryLoadError& error) {
    error = {};
    // No "cannot find the DLL" box from the system: the caller reports the failure.
    const UINT nOldMode = SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
    HMODULE h = LoadLibraryW(Widen(path).c_str());
    const uint32_t nError = h ? 0 : LastSystemError();
    SetErrorMode(nOldMode);
    if (h) return reinterpret_cast<void*>(h);
    // Windows always has a code, a file that is no DLL included (193); its text is
    // the message.
    error.nCode = nError != 0 ? nError : ERROR_MOD_NOT_FOUND;
    error.text = SystemErrorText(error.nCode);
    return nullptr;
}

void* CSysLibrary::Symbol(void* hModule, const char* pszName, const char* pszDecorated) {
    if (!hModule) return nullptr;
    auto h = static_cast<HMODULE>(hModule);
    // A library built with __stdcall exports names like "_Name@8"; either counts.
    FARPROC p = pszName ? GetProcAddress(h, pszName) : nullptr;
    if (!p && pszDecorated) p = GetProcAddress(h, pszDecorated);
    return reinterpret_cast<void*>(p);
}

void CSysLibrary::Unload(void* hModule) {
    if (hModule) FreeLibrary(static_cast<HMODULE>(hModule));
}

} // namespace tervik
