#include "framework/ui/QtText.h"

#include "platform/CodePage.h"

namespace tervik {

QString FromAnsi(std::string_view cp1252) {
    QString s;
    s.reserve(static_cast<qsizetype>(cp1252.size()));
    for (char c : cp1252)
        s.append(QChar(Cp1252ToUnicode(static_cast<uint8_t>(c))));
    return s;
}

std::string ToAnsi(const QString& text) {
    std::string s;
    s.reserve(static_cast<size_t>(text.size()));
    for (auto it = text.cbegin(); it != text.cend(); ++it) {
        char32_t cp = it->unicode();
        // A surrogate pair is one character.
        if (it->isHighSurrogate() && it + 1 != text.cend() && (it + 1)->isLowSurrogate()) {
            cp = QChar::surrogateToUcs4(*it, *(it + 1));
            ++it;
        }
        s += static_cast<char>(UnicodeToCp1252(cp));
    }
    return s;
}

QString FromPath(std::string_view path) {
    return QString::fromUtf8(path.data(), static_cast<qsizetype>(path.size()));
}

} // namespace tervik
