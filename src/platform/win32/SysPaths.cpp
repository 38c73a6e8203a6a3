#include "platform/SysPaths.h"

#include "platform/CodePage.h"
#include "platform/win32/Wide.h"

#include <windows.h>

#include <cstdlib>
#include <vector>

namespace tervik {

namespace {

DWORD Attributes(const std::string& path) {
    if (path.empty()) return INVALID_FILE_ATTRIBUTES;
    return GetFileAttributesW(Widen(path).c_str());
}

// Answers of the W calls that fill a buffer and tell the size they need.
template <class Call> std::wstring FillBuffer(Call call) {
    std::vector<wchar_t> buf(MAX_PATH + 1);
    for (;;) {
        const DWORD n = call(buf.data(), static_cast<DWORD>(buf.size()));
        if (n == 0) return {};
        if (n < buf.size()) return std::wstring(buf.data(), n);
        if (buf.size() >= (size_t{1} << 16)) return {};
        buf.resize(std::max<size_t>(buf.size() * 2, n + 1));
    }
}

} // namespace

std::string ProgramPath() {
    return Narrow(
        FillBuffer([](wchar_t* p, DWORD n) { return GetModuleFileNameW(nullptr, p, n); }));
}

std::optional<std::string> GetEnv(const char* pszName) {
    const wchar_t* p = _wgetenv(Widen(pszName).c_str());
    if (!p) return std::nullopt;
    return Narrow(p);
}

std::string SettingsFilePath(std::string_view programPath, std::string_view explicitPath) {
    if (!explicitPath.empty()) return std::string(explicitPath);
    std::string beside = programPath.empty() ? std::string() : IniPathBeside(programPath);
    if (!beside.empty() && FileExists(beside)) return beside;
    if (auto appData = GetEnv("APPDATA"); appData && !appData->empty()) {
        std::string folder = *appData;
        if (!IsPathSeparator(folder.back())) folder += kPathSeparator;
        return folder + "tervik" + kPathSeparator + "tervik.ini";
    }
    // Without a profile folder the program's own folder is all there is.
    return beside.empty() ? std::string("tervik.ini") : beside;
}

std::string AbsolutePath(std::string_view path) {
    if (path.empty()) return std::string(path);
    const std::wstring wide = Widen(path);
    const std::wstring full = FillBuffer(
        [&](wchar_t* p, DWORD n) { return GetFullPathNameW(wide.c_str(), n, p, nullptr); });
    return full.empty() ? std::string(path) : Narrow(full);
}

std::string ResolvedPath(const std::string& path) {
    if (path.empty()) return {};
    HANDLE h =
        CreateFileW(Widen(path).c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                    nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (h == INVALID_HANDLE_VALUE) return {};
    std::wstring full = FillBuffer([&](wchar_t* p, DWORD n) {
        return GetFinalPathNameByHandleW(h, p, n, FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
    });
    CloseHandle(h);
    // "\\?\C:\..." and "\\?\UNC\server\..." back to the forms users know.
    if (full.rfind(L"\\\\?\\UNC\\", 0) == 0)
        full = L"\\\\" + full.substr(8);
    else if (full.rfind(L"\\\\?\\", 0) == 0)
        full = full.substr(4);
    return Narrow(full);
}

std::string ExactFileName(const std::string& path) {
    // Windows names ignore case; the file system knows the name in one spelling.
    // FindFirstFile takes patterns, so names with pattern characters stay as given.
    const std::string_view name = NamePart(path);
    if (name.empty() || name.find_first_of("*?") != std::string_view::npos) return path;
    WIN32_FIND_DATAW data{};
    HANDLE h = FindFirstFileW(Widen(path).c_str(), &data);
    if (h == INVALID_HANDLE_VALUE) return path;
    FindClose(h);
    return std::string(FolderPart(path)) + Narrow(data.cFileName);
}

bool PathToFileText(std::string_view path, std::string& text) {
    text = Utf8ToCp1252(path);
    return Cp1252ToUtf8(text) == path;
}

std::string FileTextToPath(std::string_view text) {
    return Cp1252ToUtf8(text);
}

bool IsDirectory(const std::string& path) {
    const DWORD n = Attributes(path);
    return n != INVALID_FILE_ATTRIBUTES && (n & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

bool FileExists(const std::string& path) {
    const DWORD n = Attributes(path);
    return n != INVALID_FILE_ATTRIBUTES && (n & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

int64_t FileSizeOf(const std::string& path) {
    if (path.empty()) return -1;
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!GetFileAttributesExW(Widen(path).c_str(), GetFileExInfoStandard, &data)) return -1;
    if (data.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_DEVICE)) return -1;
    return static_cast<int64_t>((uint64_t{data.nFileSizeHigh} << 32) | data.nFileSizeLow);
}

bool RemoveFile(const std::string& path) {
    return !path.empty() && DeleteFileW(Widen(path).c_str()) != 0;
}

bool MakeDirectories(const std::string& path) {
    if (path.empty()) return false;
    if (IsDirectory(path)) return true;
    std::string_view trimmed(path);
    while (trimmed.size() > 1 && IsPathSeparator(trimmed.back()))
        trimmed.remove_suffix(1);
    const std::string_view parent = FolderPart(trimmed);
    // Stops at a root: "C:\", "\\server\share\" or "\".
    if (parent.size() > 1 && !(parent.size() == 3 && parent[1] == ':'))
        MakeDirectories(std::string(parent.substr(0, parent.size() - 1)));
    CreateDirectoryW(Widen(trimmed).c_str(), nullptr);
    return IsDirectory(path);
}

} // namespace tervik
