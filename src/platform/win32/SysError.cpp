#include "platform/SysError.h"

#include "platform/CodePage.h"

#include <windows.h>

namespace tervik {

uint32_t LastSystemError() {
    return static_cast<uint32_t>(GetLastError());
}

std::string SystemErrorText(uint32_t nCode) {
    if (nCode == 0) return {};
    wchar_t buf[512] = {};
    // The user's language; the system answers 0 for codes it has no text for.
    const DWORD n = FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                                   nullptr, nCode, 0, buf, 512, nullptr);
    // Codes the program itself sets, for systems without a text for them.
    if (n == 0 && nCode == 336) // ERROR_DIRECTORY_NOT_SUPPORTED
        return "Der Vorgang wird f\xFCr ein Verzeichnis nicht unterst\xFCtzt.";
    std::string text;
    text.reserve(n);
    for (DWORD i = 0; i < n; ++i)
        text += static_cast<char>(Utf16UnitToCp1252(static_cast<uint16_t>(buf[i])));
    if (text.size() > 255) text.resize(255);
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r'))
        text.pop_back();
    return text;
}

std::string CauseText(uint32_t nCode) {
    const std::string text = SystemErrorText(nCode);
    if (text.empty()) return "Returncode " + std::to_string(nCode);
    return "Ursache: " + text + " (Code=" + std::to_string(nCode) + ")";
}

} // namespace tervik
