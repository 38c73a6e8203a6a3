#pragma once

// The program's text is cp1252; Qt speaks Unicode. These are the only crossings.

#include <QString>
#include <string>
#include <string_view>

namespace tervik {

QString FromAnsi(std::string_view cp1252);
// Characters without a cp1252 byte become '?'.
std::string ToAnsi(const QString& text);
// A file path is native bytes, UTF-8 on every system, not cp1252.
QString FromPath(std::string_view path);

} // namespace tervik
