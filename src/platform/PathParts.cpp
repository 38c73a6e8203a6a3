// The parts of path handling that are the same on every system.

#include "platform/SysPaths.h"

namespace tervik {

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

} // namespace tervik
