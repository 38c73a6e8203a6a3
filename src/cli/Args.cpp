#include "cli/Cli.h"

#include "platform/CodePage.h"

#include <cstdio>

namespace tervik::cli {

bool CArgs::TakeFlag(std::string_view name) {
    for (size_t i = 0; i < m_args.size(); ++i) {
        if (m_args[i] == "--") break;
        if (m_args[i] == name) {
            m_args.erase(m_args.begin() + static_cast<std::ptrdiff_t>(i));
            return true;
        }
    }
    return false;
}

std::optional<std::string> CArgs::TakeValue(std::string_view name) {
    for (size_t i = 0; i < m_args.size(); ++i) {
        if (m_args[i] == "--") break;
        if (m_args[i] == name) {
            if (i + 1 >= m_args.size()) {
                SetError("Zur Option " + std::string(name) + " fehlt der Wert.");
                m_args.erase(m_args.begin() + static_cast<std::ptrdiff_t>(i));
                return std::nullopt;
            }
            std::string value = m_args[i + 1];
            m_args.erase(m_args.begin() + static_cast<std::ptrdiff_t>(i),
                         m_args.begin() + static_cast<std::ptrdiff_t>(i + 2));
            return value;
        }
    }
    return std::nullopt;
}

std::optional<uint64_t> CArgs::TakeNumber(std::string_view name, uint64_t nMax) {
    auto value = TakeValue(name);
    if (!value) return std::nullopt;
    uint64_t n = 0;
    bool bOk = !value->empty();
    for (char c : *value) {
        if (c < '0' || c > '9' || n > (nMax - static_cast<uint64_t>(c - '0')) / 10) {
            bOk = false;
            break;
        }
        n = n * 10 + static_cast<uint64_t>(c - '0');
    }
    if (!bOk) {
        SetError("Ungültiger Wert für " + std::string(name) + ": " + *value);
        return std::nullopt;
    }
    return n;
}

std::vector<std::string> CArgs::Positionals() {
    std::vector<std::string> result;
    bool bOptionsEnded = false;
    for (const auto& arg : m_args) {
        if (!bOptionsEnded && arg == "--") {
            bOptionsEnded = true;
            continue;
        }
        if (!bOptionsEnded && arg.size() > 1 && arg[0] == '-' && arg[1] == '-') {
            SetError("Unbekannte Option: " + arg);
            continue;
        }
        result.push_back(arg);
    }
    return result;
}

void CArgs::SetError(std::string error) {
    if (m_error.empty()) m_error = std::move(error);
}

void PrintMessage(Cp1252View text) {
    const std::string utf8 = Cp1252ToUtf8(text);
    std::fwrite(utf8.data(), 1, utf8.size(), stderr);
    if (utf8.empty() || utf8.back() != '\n') std::fputc('\n', stderr);
}

int UsageError(std::string_view message) {
    PrintMessage(message);
    PrintMessage(Utf8ToCp1252("Aufruf: tervik-cli --help zeigt die Unterbefehle."));
    return kExitUsage;
}

} // namespace tervik::cli
