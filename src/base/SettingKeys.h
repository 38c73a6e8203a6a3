#pragma once

// Section names of the settings file.

namespace tervik {

inline constexpr const char* kSectionSettings = "Settings";
inline constexpr const char* kSectionBars = "BAR Information";
inline constexpr const char* kSectionSearchList = "Search List";
inline constexpr const char* kSectionSelectTextList = "Select Text List";
inline constexpr const char* kSectionExtensionList = "ExtensionList";
inline constexpr const char* kSectionRecentFiles = "Recent File List";

} // namespace tervik
