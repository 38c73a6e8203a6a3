#pragma once

// Paths and environment: where the program lives, where its settings file is, and
// the small file-system queries the application needs.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace tervik {

// The native folder separator, which writers use; readers accept both '\' and '/'.
#ifdef _WIN32
inline constexpr char kPathSeparator = '\\';
#else
inline constexpr char kPathSeparator = '/';
#endif

// The native line end, for text that brings none of its own.
#ifdef _WIN32
inline constexpr std::string_view kNativeLineEnd = "\r\n";
#else
inline constexpr std::string_view kNativeLineEnd = "\n";
#endif

// Where generated files go when the settings name no folder: the first of these
// environment variables that is set, else the fixed folder.
#ifdef _WIN32
inline constexpr const char* kTempFolderVariables[] = {"TEMP"};
inline constexpr const char* kFallbackTempFolder = "c:\\temp\\";
#else
inline constexpr const char* kTempFolderVariables[] = {"TEMP", "TMPDIR"};
inline constexpr const char* kFallbackTempFolder = "/tmp/";
#endif

// What the name of a program file ends with.
#ifdef _WIN32
inline constexpr const char* kProgramSuffix = ".exe";
#else
inline constexpr const char* kProgramSuffix = "";
#endif

inline bool IsPathSeparator(char c) {
    return c == '/' || c == '\\';
}

// Full path of the running program, empty when the system does not tell.
std::string ProgramPath();

// Value of an environment variable; nullopt when it is not set.
std::optional<std::string> GetEnv(const char* pszName);

// Folder part including its last separator ("" for a bare name), and name part.
std::string_view FolderPart(std::string_view path);
std::string_view NamePart(std::string_view path);

// The program path with the text after the last '.' of its name replaced by "ini"
// (a name without '.' gets ".ini").
std::string IniPathBeside(std::string_view programPath);

// Where the settings live: an explicit path (the --ini option) wins; then the file
// beside the program when it already exists there (a portable installation); else
// the user's configuration folder ($XDG_CONFIG_HOME or ~/.config, then
// "tervik/tervik.ini"; on Windows %APPDATA%\tervik\tervik.ini). Creates nothing: the caller that
// writes makes the folder.
std::string SettingsFilePath(std::string_view programPath, std::string_view explicitPath = {});

// The path made absolute against the current folder, otherwise as written: symbolic
// links stay, "." segments and doubled separators go. ".." stays, because after a
// link to a folder it does not name the lexical parent.
std::string AbsolutePath(std::string_view path);

// The path with every symbolic link, "." and ".." resolved (realpath): the form in
// which two names of one file compare equal. Empty when the file cannot be reached.
std::string ResolvedPath(const std::string& path);

// The name under which the file system knows an existing file. POSIX names are exact
// and case-sensitive, so that is the name as given; never a pattern match.
std::string ExactFileName(const std::string& path);

// A path as the 8-bit files and interfaces hold it (workspaces, scripts, the add-on
// interface): the native bytes on POSIX; on Windows cp1252, as the Windows program
// wrote them. False when the path has a character cp1252 cannot hold: the caller
// reports it instead of writing a name that leads elsewhere.
bool PathToFileText(std::string_view path, std::string& text);
// The way back; cp1252 on Windows has a character for every byte.
std::string FileTextToPath(std::string_view text);

bool IsDirectory(const std::string& path);
// Size of a regular file, -1 when the path names none.
int64_t FileSizeOf(const std::string& path);
// Deletes a file; false when it is still there or was never there.
bool RemoveFile(const std::string& path);
bool FileExists(const std::string& path);
// Creates a folder and its parents; true when it exists afterwards.
bool MakeDirectories(const std::string& path);

} // namespace tervik
