#include "framework/CommandNeeds.h"

#include "framework/CommandIds.h"

namespace tervik {

RecordNeed RecordNeedOf(unsigned nId) {
    if (nId >= ID_ADDON_FIRST && nId <= ID_ADDON_LAST) return RecordNeed::ActiveDocument;
    if (nId >= ID_BOOKMARK_LIST_FIRST && nId <= ID_BOOKMARK_LIST_LAST)
        return RecordNeed::ActiveDocument;
    switch (nId) {
    // Search, selection, export and what counts or prints every line.
    case ID_SEARCH_FORWARD:
    case ID_SEARCH_BACKWARD:
    case ID_SEARCH_DEFINE:
    case ID_SEARCHBAR1_FORWARD:
    case ID_SEARCHBAR1_BACKWARD:
    case ID_SEARCHBAR2_FORWARD:
    case ID_SEARCHBAR2_BACKWARD:
    case ID_SEARCHBAR3_FORWARD:
    case ID_SEARCHBAR3_BACKWARD:
    case ID_SEARCHBAR4_FORWARD:
    case ID_SEARCHBAR4_BACKWARD:
    case ID_SELECT_LINES:
    case ID_SELECT_INVERT:
    case ID_DESELECT_LINES:
    case ID_VIEW_ONLY_SELECTED:
    case ID_EXPORT_SELECTED:
    case ID_NEXT_SELECTED:
    case ID_PREV_SELECTED:
    case ID_HAND_SELECT:
    case ID_HAND_SELECT_GREEN:
    case ID_HAND_SELECT_RED:
    case ID_HAND_DESELECT:
    case ID_CONTEXT_SELECT_BLUE:
    case ID_CONTEXT_SELECT_GREEN:
    case ID_CONTEXT_SELECT_RED:
    case ID_CONTEXT_DESELECT:
    case ID_MARKED_SELECT:
    case ID_MARKED_DESELECT:
    case ID_EDIT_MARK_ALL:
    case ID_CHAR_FREQUENCY:
    case ID_SCRIPT_PLAY:
    case ID_SCRIPT_RECORD:
    case ID_CONVERSIONS:
    case ID_FILE_PRINT:
    case ID_FILE_PRINT_DIRECT:
    case ID_FILE_PRINT_PREVIEW:
    // Places that may lie beyond the known records.
    case ID_VIEW_GOTO_LINE:
    case ID_BOOKMARK_NEXT:
    case ID_BOOKMARK_PREV:
    // Reading the file again or in another character set.
    case ID_VIEW_REFRESH:
    case ID_VIEW_FOLLOW:
    case ID_VIEW_UNICODE:
    case ID_VIEW_UNICODE_BE:
    case ID_VIEW_UTF8:
    case ID_VIEW_OEM:
    case ID_VIEW_EBCDIC:
        return RecordNeed::ActiveDocument;
    case ID_WORKSPACE_SAVE:
    case ID_WORKSPACE_SAVE_AS:
        return RecordNeed::AllDocuments;
    default:
        return RecordNeed::None;
    }
}

} // namespace tervik
