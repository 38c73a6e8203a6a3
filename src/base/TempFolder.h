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

// Removes the generated files ("Tervik_*") of a folder at program end: regular files
// of this user only, never through a symbolic link, never a folder, and none that a
// running copy of the program still claims (CFileClaim). Answers how many went.
size_t DeleteTempFiles(const std::string& folder);

} // namespace tervik
