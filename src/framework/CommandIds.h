#pragma once

// Command ids shared by menus, toolbar buttons and accelerators.

namespace tervik {

enum CommandId : unsigned {
    ID_VIEW_UNICODE = 32781,
    ID_VIEW_REFRESH = 32790,
    ID_VIEW_OEM = 32805,
    ID_VIEW_UNICODE_BE = 32812,
    ID_VIEW_UTF8 = 32813,
    ID_VIEW_EBCDIC = 32814,
    ID_BLOCK_MARKING = 32827,
};

// Hints a document sends its views with an update.
enum UpdateHint : unsigned {
    HINT_CHARSET = 0,
    HINT_RECORDS_APPENDED = 32790,
    HINT_OEM = 32805,
    HINT_EBCDIC = 32814,
    HINT_BLOCK_MARKING = 32827,
};

} // namespace tervik
