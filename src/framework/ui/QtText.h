#pragma once

// The program's text is cp1252; Qt speaks Unicode. These two are the only crossing.

#include <QString>
#include <string>
#include <string_view>

namespace tervik {

QString FromAnsi(std::string_view cp1252);
// Characters without a cp1252 byte become '?'.
std::string ToAnsi(const QString& text);

} // namespace tervik
