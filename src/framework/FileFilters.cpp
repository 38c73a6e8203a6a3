#include "framework/FileFilters.h"

namespace tervik {

std::vector<std::string> FileDialogFilters(std::string_view filterText) {
    std::vector<std::string> parts;
    size_t nStart = 0;
    while (nStart < filterText.size()) {
        const size_t nBar = filterText.find('|', nStart);
        const size_t nEnd = nBar == std::string_view::npos ? filterText.size() : nBar;
        if (nEnd == nStart) break; // "||" ends the list
        parts.emplace_back(filterText.substr(nStart, nEnd - nStart));
        nStart = nEnd + 1;
    }

    std::vector<std::string> filters;
    for (size_t i = 0; i + 1 < parts.size(); i += 2) {
        std::string name = parts[i];
        // The name usually repeats its patterns in parentheses; the dialog wants them
        // there, blank-separated, so they replace the repetition.
        if (!name.empty() && name.back() == ')') {
            const size_t nOpen = name.rfind('(');
            if (nOpen != std::string::npos) name.erase(nOpen);
        }
        while (!name.empty() && name.back() == ' ')
            name.pop_back();

        std::string patterns;
        std::string_view rest = parts[i + 1];
        while (!rest.empty()) {
            const size_t nSemi = rest.find(';');
            std::string_view pattern = rest.substr(0, nSemi);
            rest = nSemi == std::string_view::npos ? std::string_view{} : rest.substr(nSemi + 1);
            if (pattern.empty()) continue;
            if (!patterns.empty()) patterns += ' ';
            patterns += pattern == "*.*" ? std::string_view("*") : pattern;
        }
        filters.push_back(name + " (" + patterns + ")");
    }
    return filters;
}

} // namespace tervik
