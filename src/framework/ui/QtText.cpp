#include "framework/ui/QtText.h"

#include "platform/CodePage.h"

namespace tervik {

QString FromAnsi(Cp1252View text) {
    QString s;
    s.reserve(static_cast<qsizetype>(text.size()));
    for (char c : text)
        s.append(QChar(Cp1252ToUnicode(static_cast<uint8_t>(c))));
    return s;
}

Cp1252String ToAnsi(const QString& text) {
    Cp1252String s;
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

std::string ToPath(const QString& path) {
    const QByteArray bytes = path.toUtf8();
    return std::string(bytes.constData(), static_cast<size_t>(bytes.size()));
}

} // namespace tervik
