#include "search/BookmarkDialogRules.h"

#include <algorithm>
#include <cctype>

namespace tervik {

std::string_view FileNameOf(std::string_view path) {
    const size_t n = path.find_last_of("/\\");
    return n == std::string_view::npos ? path : path.substr(n + 1);
}

BookmarkPreset MakeBookmarkPreset(const BookmarkSource& src, std::string_view path) {
    BookmarkPreset p;
    uint32_t nLine, nColumn;
    if (src.m_bOneLineMarking) {
        nLine = src.m_nMarkLine;
        nColumn = src.m_nMarkColumn;
        p.m_nLength = src.m_nMarkWidth;
    } else if (src.m_bHitShown) {
        nLine = src.m_nHitLine;
        nColumn = src.m_nHitColumn;
        p.m_nLength = src.m_nHitLength;
    } else {
        nLine = src.m_nTopLine;
        nColumn = src.m_nLeftColumn;
        p.m_nLength = 1;
    }
    p.m_nLine = nLine + 1;
    p.m_nColumn = nColumn + 1;
    p.m_name = "Ln" + std::to_string(p.m_nLine) + "Col" + std::to_string(p.m_nColumn) + ";" +
               std::string(FileNameOf(path));
    return p;
}

void ApplyNameRule(BookmarkButtons& b, std::string_view name,
                   const std::vector<std::string>& names) {
    const auto same = [&](const std::string& s) {
        return s.size() == name.size() &&
               std::equal(s.begin(), s.end(), name.begin(), [](char x, char y) {
                   return std::tolower(static_cast<unsigned char>(x)) ==
                          std::tolower(static_cast<unsigned char>(y));
               });
    };
    if (std::any_of(names.begin(), names.end(), same)) {
        b.m_bAdd = false;
        b.m_bChange = true;
    } else {
        b.m_bChange = false;
        b.m_bAdd = !name.empty();
    }
}

void ApplySelectionRule(BookmarkButtons& b, int nSelected) {
    b.m_bDelete = nSelected > 0;
    if (nSelected == 1) {
        b.m_bChange = true;
        b.m_bGoTo = true;
        b.m_bAdd = false;
    } else {
        b.m_bChange = false;
        b.m_bGoTo = false;
    }
}

SpinRange ColumnSpinRange(uint32_t nDisplayedLength) {
    return {1, std::max<uint32_t>(1, nDisplayedLength)};
}

SpinRange LengthSpinRange(uint32_t nDisplayedLength, uint32_t nColumn) {
    return {0, nDisplayedLength > nColumn ? nDisplayedLength - nColumn : 0};
}

} // namespace tervik
