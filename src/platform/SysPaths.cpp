#include "platform/SysPaths.h"

#include <cerrno>
#include <cstdlib>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace tervik {

std::string ProgramPath() {
    std::vector<char> buf(4096);
    for (;;) {
        const ssize_t n = ::readlink("/proc/self/exe", buf.data(), buf.size());
        if (n < 0) return {};
        if (static_cast<size_t>(n) < buf.size())
            return std::string(buf.data(), static_cast<size_t>(n));
        if (buf.size() >= (size_t{1} << 20)) return {};
        buf.resize(buf.size() * 2);
    }
}

std::optional<std::string> GetEnv(const char* pszName) {
    const char* p = std::getenv(pszName);
    if (!p) return std::nullopt;
    return std::string(p);
}

std::string SettingsFilePath(std::string_view programPath, std::string_view explicitPath) {
    if (!explicitPath.empty()) return std::string(explicitPath);
    if (!programPath.empty()) {
        std::string beside = IniPathBeside(programPath);
        if (FileExists(beside)) return beside;
    }
    std::string config;
    // A relative XDG_CONFIG_HOME is invalid and ignored, as the XDG rules say.
    if (auto xdg = GetEnv("XDG_CONFIG_HOME"); xdg && !xdg->empty() && xdg->front() == '/')
        config = *xdg;
    else if (auto home = GetEnv("HOME"); home && !home->empty())
        config = *home + "/.config";
    else
        config = "/tmp";
    if (!IsPathSeparator(config.back())) config += kPathSeparator;
    return config + "tervik" + kPathSeparator + "tervik.ini";
}

namespace {
// The separators the system itself knows: on POSIX a backslash belongs to the name.
bool IsNativeSeparator(char c) {
#ifdef _WIN32
    return IsPathSeparator(c);
#else
    return c == '/';
#endif
}
} // namespace

std::string AbsolutePath(std::string_view path) {
    std::string full;
    if (path.empty() || !IsNativeSeparator(path.front())) {
        std::vector<char> buf(4096);
        while (!::getcwd(buf.data(), buf.size())) {
            if (errno != ERANGE || buf.size() >= (size_t{1} << 20)) return std::string(path);
            buf.resize(buf.size() * 2);
        }
        full = buf.data();
        full += kPathSeparator;
    }
    full.append(path);
    // Drop empty and "." segments; the leading separator stays.
    std::string result(1, kPathSeparator);
    size_t i = 0;
    while (i < full.size()) {
        size_t j = i;
        while (j < full.size() && !IsNativeSeparator(full[j]))
            ++j;
        const std::string_view segment(full.data() + i, j - i);
        if (!segment.empty() && segment != ".") {
            if (!IsNativeSeparator(result.back())) result += kPathSeparator;
            result.append(segment);
        }
        i = j + 1;
    }
    return result;
}

std::string ResolvedPath(const std::string& path) {
    char* pszReal = ::realpath(path.c_str(), nullptr);
    if (!pszReal) return {};
    std::string result(pszReal);
    std::free(pszReal);
    return result;
}

std::string ExactFileName(const std::string& path) {
    return path;
}

bool IsDirectory(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool PathToFileText(std::string_view path, std::string& text) {
    text.assign(path);
    return true;
}

std::string FileTextToPath(std::string_view text) {
    return std::string(text);
}

int64_t FileSizeOf(const std::string& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return -1;
    return static_cast<int64_t>(st.st_size);
}

bool RemoveFile(const std::string& path) {
    return ::unlink(path.c_str()) == 0;
}

bool FileExists(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && !S_ISDIR(st.st_mode);
}

bool MakeDirectories(const std::string& path) {
    if (path.empty()) return false;
    if (IsDirectory(path)) return true;
    const std::string_view parent = FolderPart(std::string_view(path).substr(0, path.size() - 1));
    if (!parent.empty() && parent.size() > 1)
        MakeDirectories(std::string(parent.substr(0, parent.size() - 1)));
    return ::mkdir(path.c_str(), 0777) == 0 || errno == EEXIST ? IsDirectory(path) : false;
}

} // namespace tervik
