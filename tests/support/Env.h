#pragma once

#include <cstdlib>

namespace tervik::test {

// Sets an environment variable of this process; null removes it.
inline void SetEnvVar(const char* pszName, const char* pszValue) {
#ifdef _WIN32
    _putenv_s(pszName, pszValue ? pszValue : "");
#else
    if (pszValue)
        ::setenv(pszName, pszValue, 1);
    else
        ::unsetenv(pszName);
#endif
}

} // namespace tervik::test
