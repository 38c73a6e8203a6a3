#pragma once

// The bookmark dialog's presets and button rules, without the dialog.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tervik {

// Where the dialog starts; line and column 1-based as shown.
struct BookmarkPreset {
    uint32_t m_nLine = 1;
    uint32_t m_nColumn = 1;
    uint32_t m_nLength = 1;
    std::string m_name;
};

// The view's state the preset comes from (0-based).
struct BookmarkSource {
    bool m_bOneLineMarking = false; // a marking that lies within one line
    uint32_t m_nMarkLine = 0, m_nMarkColumn = 0, m_nMarkWidth = 0;
    bool m_bHitShown = false; // a search hit is shown
    uint32_t m_nHitLine = 0, m_nHitColumn = 0, m_nHitLength = 0;
    uint32_t m_nTopLine = 0, m_nLeftColumn = 0;
};

// A one-line marking first, then the search hit, else the top-left corner with
// length 1; the name "Ln<line>Col<column>;<file name without folder>".
BookmarkPreset MakeBookmarkPreset(const BookmarkSource& src, std::string_view path);

// The file name after the last '/' or '\'.
std::string_view FileNameOf(std::string_view path);

struct BookmarkButtons {
    bool m_bAdd = false;    // "Aufnehmen"
    bool m_bDelete = false; // "Löschen"
    bool m_bChange = false; // "Ändern"
    bool m_bGoTo = false;   // "Gehe zu..."
};

// The name rule: a name already in the list (case-blind) can be changed, not
// added again; an empty name cannot be added.
void ApplyNameRule(BookmarkButtons& b, std::string_view name,
                   const std::vector<std::string>& names);
// The selection rule: deleting needs a selection, changing and going to need
// exactly one.
void ApplySelectionRule(BookmarkButtons& b, int nSelected);

// The spin ranges of a line: column 1..displayed length (at least 1), length
// 0..the characters from the 0-based column nColumn to the line's end, so that a
// bookmark can cover the whole line.
struct SpinRange {
    uint32_t m_nMin, m_nMax;
};
SpinRange ColumnSpinRange(uint32_t nDisplayedLength);
SpinRange LengthSpinRange(uint32_t nDisplayedLength, uint32_t nColumn);

} // namespace tervik
