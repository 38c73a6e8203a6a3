#include "platform/SysLibrary.h"

#include "platform/SysFile.h"

#include <cerrno>
#include <cstring>
#include <dlfcn.h>
#include <elf.h>

namespace tervik {

namespace {

#if defined(__x86_64__)
constexpr uint16_t kOwnMachine = EM_X86_64;
#elif defined(__aarch64__)
constexpr uint16_t kOwnMachine = EM_AARCH64;
#elif defined(__i386__)
constexpr uint16_t kOwnMachine = EM_386;
#elif defined(__arm__)
constexpr uint16_t kOwnMachine = EM_ARM;
#elif defined(__riscv)
constexpr uint16_t kOwnMachine = EM_RISCV;
#elif defined(__powerpc64__)
constexpr uint16_t kOwnMachine = EM_PPC64;
#elif defined(__s390x__)
constexpr uint16_t kOwnMachine = EM_S390;
#else
constexpr uint16_t kOwnMachine = EM_NONE; // not checked
#endif

// Whether the first bytes of a file are those of a shared library this process can
// load: ELF, our word size, our byte order, a shared object, our processor.
bool IsOwnSharedObject(const unsigned char* p, size_t n) {
    if (n < 20 || std::memcmp(p, ELFMAG, SELFMAG) != 0) return false;
    if (p[EI_CLASS] != (sizeof(void*) == 8 ? ELFCLASS64 : ELFCLASS32)) return false;
    const bool bLittle = __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__;
    if (p[EI_DATA] != (bLittle ? ELFDATA2LSB : ELFDATA2MSB)) return false;
    // Same byte order as ours, so the fields read as they are.
    uint16_t nType = 0;
    uint16_t nMachine = 0;
    std::memcpy(&nType, p + 16, sizeof nType);
    std::memcpy(&nMachine, p + 18, sizeof nMachine);
    return nType == ET_DYN && (kOwnMachine == EM_NONE || nMachine == kOwnMachine);
}

// Why dlopen refused a file path: dlopen keeps no error number (errno is whatever
// an inner call left), so the file itself is looked at.
void ExplainFailure(const std::string& path, LibraryLoadError& error) {
    CSysFile file;
    if (!file.OpenRead(path, true)) {
        error.kind = LibraryLoadError::Kind::System;
        error.nCode = file.LastError();
        return;
    }
    unsigned char head[64] = {};
    const int64_t n = file.Read(head, sizeof head);
    if (n < 0) {
        error.kind = LibraryLoadError::Kind::System;
        error.nCode = file.LastError();
        return;
    }
    error.kind = IsOwnSharedObject(head, static_cast<size_t>(n))
                     ? LibraryLoadError::Kind::Refused
                     : LibraryLoadError::Kind::NotALibrary;
}

} // namespace

void* CSysLibrary::Load(const std::string& path, LibraryLoadError& error) {
    error = {};
    const bool bPlainName = path.find('/') == std::string::npos;
    // dlopen would wait for ever on a named pipe and reads whatever a device gives.
    // A name without a folder is searched in the system's library folders by dlopen.
    uint32_t nSpecial = 0;
    if (!bPlainName && IsSpecialFile(path, nSpecial)) {
        error.nCode = nSpecial;
        return nullptr;
    }
    dlerror();
    // RTLD_LOCAL keeps one add-on's symbols from resolving another's.
    void* h = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (h) return h;
    const char* psz = dlerror();
    error.text = psz ? psz : "";
    if (bPlainName)
        error.kind = LibraryLoadError::Kind::NotFound;
    else
        ExplainFailure(path, error);
    // The loader's words add nothing to the system's text for a code.
    if (error.kind == LibraryLoadError::Kind::System) error.text.clear();
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
