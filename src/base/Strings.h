#pragma once

// The German user texts. Each has an id; texts the resource table numbered keep
// that number, the others have ids from 20000 on. LoadString answers the text in
// the program's code page (cp1252).

#include "platform/CodePage.h"

#include <cstdarg>
#include <cstdint>
#include <string>

namespace tervik {

enum StringId : unsigned {
    IDR_MAINFRAME = 128,
    IDR_TERVIKTYPE = 129,
    IDS_DUMP_COLUMNS_PROMPT = 131,
    IDS_PAGE = 132,
    IDS_READING_FILE = 133,
    IDS_SAVE_WORKSPACE = 134,
    IDS_COLOR_BOX_PROMPT = 135,
    IDS_OPEN_FILTER = 57355,
    IDS_WORKSPACE_FILTER = 57356,
    IDS_SELECTED_COUNT = 57357,
    IDS_SELECTING = 57358,
    IDS_DESELECTING = 57359,
    IDS_SCRIPT_FILTER = 57361,
    IDS_ADDON_FILTER = 57362,
    IDS_ADDON_OUTPUT_FILTER = 57363,
    IDS_REMOVE_ESCAPES = 57360,
    IDS_FILE_CHANGED = 57364,
    IDS_POSITION_INDICATOR = 59142,
    IDS_SEARCHING = 61446,
    IDS_SEARCH_END_REACHED = 61447,
    IDS_SEARCH_START_REACHED = 61448,
    IDS_SEARCH_FOUND_LINE = 61449,
    IDS_NO_MORE_SELECTED = 61450,
    IDS_SEARCH_FOUND_OFFSET = 61451,
    IDS_NEWER_VERSION = 61453,

    // Texts without a resource number.
    IDS_NO_MEMORY = 20000,
    IDS_CANNOT_OPEN,
    IDS_ASK_SHARE_WRITE,
    IDS_CANNOT_READ,
    IDS_FILE_EMPTY,
    IDS_RECENT_FILES_MENU,
    IDS_MENU_FILE_OPEN,
    IDS_MENU_APP_ABOUT,
    IDS_MENU_PRINT_SETUP,
    IDS_UPDATE_FAILED,
    IDS_MAIN_TITLE,
    IDS_PATH_TOO_LONG,
    IDS_RECORD_LIMIT_REACHED,
    IDS_NO_DISPLAY,
    IDS_PROCESSING_ERROR,
    IDS_ASK_DELETE_FILE,
    // Growing, truncated and replaced files.
    IDS_FOLLOW_PROMPT,
    IDS_FILE_SHORTER,
    IDS_FILE_REPLACED,
    IDS_FILE_RELOADED,
    IDS_FOLLOW_RESTART,
    // Copying a very large marking.
    IDS_ASK_COPY_LARGE,
    // Exports and other files written beside the shown one.
    IDS_EXPORT_OWN_FILE,
    IDS_PARTIAL_EXPORT_DELETED,
    IDS_ASK_OVERWRITE,
    // A settings file that cannot be read.
    IDS_SETTINGS_NOT_SAVED,
    IDS_SETTINGS_DEFAULTS,
    IDS_SETTINGS_NOT_TEXT,
    // Add-on libraries.
    IDS_ADDON_LOAD_FAILED,
    IDS_ADDON_NO_REGISTER,
    IDS_ADDON_NOT_IMPLEMENTED,
    IDS_ADDON_OUTPUT_TOO_LONG,
    // A library the loader refused without a system error code.
    IDS_ADDON_NOT_A_LIBRARY,
    IDS_ADDON_REFUSED,
    IDS_ADDON_NOT_FOUND,
    IDS_ADDON_LOADER_SAYS,
    // A name the 8-bit files and the add-on interface cannot hold (Windows).
    IDS_PATH_NOT_ANSI,
    // A search stopped with Escape.
    IDS_SEARCH_STOPPED,
    // Workspaces: a name the format cannot hold, a file that is none.
    IDS_PATH_HAS_QUOTE,
    IDS_NOT_A_WORKSPACE,
    IDS_WORKSPACE_STOPPED,
    // The window menu beyond its first nine windows.
    IDS_MORE_WINDOWS,
    IDS_CHOOSE_WINDOW_TITLE,
    IDS_CHOOSE_WINDOW_PROMPT,
    // The folder for generated files is not this user's own.
    IDS_TEMP_FOLDER_FOREIGN,
    // A window on a file without content yet, and the message pane at rest.
    IDS_EMPTY_FILE_STATUS,
    IDS_READY,
    // Where a generated file went, whether or not a program shows it.
    IDS_CHAR_FREQUENCY_WRITTEN,
};

// The text for an id in cp1252; empty when the id is unknown.
const Cp1252String& LoadString(unsigned nId);

// printf-style formatting into a std::string (cp1252 in, cp1252 out).
Cp1252String StrFormat(const char* pszFormat, ...) __attribute__((format(printf, 1, 2)));
Cp1252String StrFormatV(const char* pszFormat, va_list args);

// Formats the text of an id.
Cp1252String FormatString(unsigned nId, ...);

// The message of a failed file operation: the file's name (a native path, shown in
// cp1252), the system's text for the error code and the code.
Cp1252String ProcessingErrorText(const std::string& path, uint32_t nCode);

} // namespace tervik
