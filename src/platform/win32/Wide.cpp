#include "platform/win32/Wide.h"

#include <windows.h>

namespace tervik {

std::wstring Widen(std::string_view utf8) {
    if (utf8.empty()) return {};
    const int nIn = static_cast<int>(utf8.size());
    const int n = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), nIn, nullptr, 0);
    std::wstring result(static_cast<size_t>(n), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.data(), nIn, result.data(), n);
    return result;
}

std::string Narrow(std::wstring_view utf16) {
    if (utf16.empty()) return {};
    const int nIn = static_cast<int>(utf16.size());
    const int n = WideCharToMultiByte(CP_UTF8, 0, utf16.data(), nIn, nullptr, 0, nullptr, nullptr);
    std::string result(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, utf16.data(), nIn, result.data(), n, nullptr, nullptr);
    return result;
}

} // namespace tervik
