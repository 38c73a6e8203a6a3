#pragma once

// Paths and texts are UTF-8 inside the program and UTF-16 at the Win32 calls.

#include <string>
#include <string_view>

namespace tervik {

// UTF-8 -> UTF-16; invalid sequences become U+FFFD.
std::wstring Widen(std::string_view utf8);
// UTF-16 -> UTF-8; unpaired surrogates become U+FFFD.
std::string Narrow(std::wstring_view utf16);

} // namespace tervik
