#pragma once

// The folder for generated files ("Tervik_*", removed at program end).

#include <cstddef>
#include <ctime>
#include <string>
#include <string_view>

namespace tervik {

class CProfile;

// Setting TempPath, else $TEMP, else $TMPDIR, else "/tmp/" (on Windows: TempPath,
// else %TEMP%, else "c:\temp\"; not GetTempPath, which asks TMP first), always ending in a
// folder separator. True with the folder in the buffer when it fits there with its
// terminating NUL; false with an empty buffer otherwise.
bool GetTempFolder(CProfile& profile, char* pszBuffer, size_t nSize);

// The same with a buffer of 512 characters; empty when it does not fit.
std::string GetTempFolder(CProfile& profile);

// The folder generated files go to: this user's own folder inside the temporary
// folder ("tervik-<uid>", made with mode 0700 when missing), ending in a separator.
// Other users can neither guess nor redirect names there. False with the message to
// show when it cannot be made or is not this user's alone.
bool GetGeneratedFolder(CProfile& profile, std::string& folder, std::string& message);

// "<folder>Tervik_<file name>_YYYYMMDD_hhmmss_<unique><ext>" for a document: the
// time tells the user which run made it, the random unique part keeps others from
// guessing the name.
std::string GeneratedFileName(const std::string& folder, const std::string& docPath,
                              const std::tm& local, std::string_view ext);
std::string GeneratedFileName(const std::string& folder, const std::string& docPath,
                              const std::tm& local, std::string_view ext, std::string_view unique);

// Whether a path is a generated file: "Tervik_*" in the temporary folder or in this
// user's folder in it.
bool IsGeneratedFile(CProfile& profile, const std::string& path);

// Program end: removes the generated files of the temporary folder and of this
// user's folder in it (when it is really this user's).
size_t DeleteGeneratedFiles(CProfile& profile);

// Removes the generated files ("Tervik_*") of a folder at program end: regular files
// of this user only, never through a symbolic link, never a folder, and none that a
// running copy of the program still claims (CFileClaim). Answers how many went.
size_t DeleteTempFiles(const std::string& folder);

} // namespace tervik
