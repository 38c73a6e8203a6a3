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

std::string_view FolderPart(std::string_view path) {
    for (size_t i = path.size(); i > 0; --i) {
        if (IsPathSeparator(path[i - 1])) return path.substr(0, i);
    }
    return {};
}

std::string_view NamePart(std::string_view path) {
    return path.substr(FolderPart(path).size());
}

std::string IniPathBeside(std::string_view programPath) {
    const std::string_view folder = FolderPart(programPath);
    const std::string_view name = NamePart(programPath);
    const size_t dot = name.rfind('.');
    std::string result(folder);
    if (dot == std::string_view::npos) {
        result.append(name);
        result.append(".ini");
    } else {
        result.append(name.substr(0, dot + 1));
        result.append("ini");
    }
    return result;
}

std::string SettingsFilePath(std::string_view programPath, std::string_view explicitPath) {
    if (!explicitPath.empty()) return std::string(explicitPath);
    if (!programPath.empty()) {
        std::string folder(FolderPart(programPath));
        if (folder.empty()) folder = ".";
        if (IsWritableDirectory(folder)) return IniPathBeside(programPath);
    }
    std::string config;
    if (auto xdg = GetEnv("XDG_CONFIG_HOME"); xdg && !xdg->empty())
        config = *xdg;
    else if (auto home = GetEnv("HOME"); home && !home->empty())
        config = *home + "/.config";
    else
        config = "/tmp";
    if (!IsPathSeparator(config.back())) config += kPathSeparator;
    config += "tervik";
    MakeDirectories(config);
    return config + kPathSeparator + "tervik.ini";
}

bool IsDirectory(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool IsWritableDirectory(const std::string& path) {
    return IsDirectory(path) && ::access(path.c_str(), W_OK | X_OK) == 0;
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
