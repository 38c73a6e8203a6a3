#pragma once

// The folder for generated files ("Tervik_*", removed at program end).

#include <cstddef>
#include <string>

namespace tervik {

class CProfile;

// Setting TempPath, else $TEMP, else $TMPDIR, else "/tmp/" (on Windows: TempPath,
// else %TEMP%, else "c:\temp\"; not GetTempPath, which asks TMP first), always ending in a
// folder separator. True with the folder in the buffer when it fits there with its
// terminating NUL; false with an empty buffer otherwise.
bool GetTempFolder(CProfile& profile, char* pszBuffer, size_t nSize);

// The same with a buffer of 512 characters; empty when it does not fit.
std::string GetTempFolder(CProfile& profile);

} // namespace tervik
