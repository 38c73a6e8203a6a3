#include "app/ProductVersion.h"

#include "app/Version.h"

#include <cstring>

namespace tervik {

size_t CopyProductVersion(std::string_view version, char* pBuffer, size_t nSize) {
    if (nSize == 0 || !pBuffer) return 0;
    const bool bFits = version.size() < nSize;
    const size_t n = bFits ? version.size() : nSize - 1;
    std::memcpy(pBuffer, version.data(), n);
    pBuffer[n] = '\0';
    return bFits ? n : 0;
}

size_t GetProductVersion(char* pBuffer, size_t nSize) {
    return CopyProductVersion(kVersion, pBuffer, nSize);
}

} // namespace tervik
