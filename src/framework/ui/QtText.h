#pragma once

// The program's text is cp1252 and its paths are native bytes; Qt speaks Unicode.
// These are the only crossings.

#include "platform/CodePage.h"

#include <QString>
#include <string>
#include <string_view>

namespace tervik {

QString FromAnsi(Cp1252View text);
// Characters without a cp1252 byte become '?'.
Cp1252String ToAnsi(const QString& text);

// A file path is native bytes, UTF-8 on every system, not cp1252.
QString FromPath(std::string_view path);
std::string ToPath(const QString& path);

} // namespace tervik
