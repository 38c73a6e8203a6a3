#pragma once

// Typed access to every key of the settings file, with the defaults and the
// write-back rules the program relies on. All reads and writes go through CProfile.

#include "base/Colour.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace tervik {

class CProfile;

// A rectangle as the settings store it: top, left, bottom, right.
struct SettingsRect {
    int m_nTop = 0;
    int m_nLeft = 0;
    int m_nBottom = 0;
    int m_nRight = 0;
    bool operator==(const SettingsRect&) const = default;
};

// Dock sides of a bar, as stored in "...DockingBar".
enum DockBarId : int {
    kDockTop = 59419,
    kDockLeft = 59420,
    kDockRight = 59421,
    kDockBottom = 59422,
};

// Layout of one bar ("Toolbar" or "Searchbar1".."Searchbar4").
struct BarSettings {
    bool m_bVisible = false;
    bool m_bFloating = false;
    int m_nFloatingTop = 10;
    int m_nFloatingLeft = 10;
    SettingsRect m_rcDocking;
    int m_nDockingBar = kDockTop;
    bool operator==(const BarSettings&) const = default;
};

// One entry of the recent-file list.
inline constexpr int kRecentFileCount = 8;
inline constexpr int kSearchListMax = 32;
inline constexpr int kSelectTextListMax = 99;

// One entry of the select-text history as stored: its value and whether "Mehrtext"
// was on. The mark has a key of its own beside the entry, so that the entry keeps
// the form older files and readers know.
struct StoredSelectText {
    std::string m_value;
    bool m_bMultiText = false;
    bool operator==(const StoredSelectText&) const = default;
};

// Defaults of the "Settings" keys that other code needs to compare against.
inline constexpr int kDefaultFixRecSize = 80;
inline constexpr int kMaxFixRecSize = 32768;
inline constexpr int kDefaultTabSize = 4;
inline constexpr int kMaxTabSize = 256;
inline constexpr int kDefaultMaxRecSize = 32768;
inline constexpr int kDefaultFontSize = 10;
// A placeholder: the mails go nowhere until the setting names a real mailbox.
inline constexpr const char* kDefaultFeedbackMail = "feedback@tervik.invalid";

// Parses "(a,b,c,d)" / "(a,b)" into numbers; false when the text does not have
// that form (blanks are allowed around numbers).
bool ParseIntTuple(std::string_view text, int* pValues, int nCount);

// What the user is told once at start about a settings file no change reaches (too
// large or unreadable, or no single-byte text); empty when changes are saved.
std::string SettingsNotSavedText(CProfile& profile);

class CSettings {
public:
    explicit CSettings(CProfile& profile) : m_profile(profile) {}
    CProfile& Profile() { return m_profile; }

    // --- section "Settings" ---
    std::string UpdatePath();
    int FixRecSize();
    // The open dialog remembers an entered fixed length (at most 32768).
    void WriteFixRecSize(int nSize);
    int SingleMode();
    // "READWRITE" (any case) lets other programs write an opened file by default.
    bool OpenModeShareWrite();
    // Main window position; nullopt when missing or malformed.
    std::optional<SettingsRect> WindowPosition();
    void WriteWindowPosition(const SettingsRect& rc);
    int WindowState(int nDefault);
    void WriteWindowState(int nState);
    std::optional<int> ChildWindowState();
    void WriteChildWindowState(int nState);
    bool PrintColor();
    void WritePrintColor(bool bColor);
    // Tab width: 4 by default and written back then; values below 1 fall back to
    // the default, values above 256 are cut to 256.
    int TabSize();
    // Longest record before a cut: 32768 by default and written back then; values
    // below 1 fall back to the default.
    uint32_t MaxRecSize();
    // Files without a byte-order mark whose first block is UTF-8 show as UTF-8: on by
    // default and written back then.
    bool Utf8Detect();
    std::string FontName();
    int FontSize();
    void WriteFont(const std::string& name, int nSize);
    // Recipient of the feedback mails (cp1252), "feedback@tervik.invalid" when unset.
    std::string FeedbackMail();

    // --- section "BAR Information" ---
    BarSettings ReadBar(const std::string& name);
    void WriteBar(const std::string& name, const BarSettings& bar);
    bool StatusbarVisible();
    void WriteStatusbarVisible(bool bVisible);

    // --- histories and lists ---
    std::vector<std::string> ReadSearchList();
    void WriteSearchList(const std::vector<std::string>& entries);
    std::vector<StoredSelectText> ReadSelectTextList();
    void WriteSelectTextList(const std::vector<StoredSelectText>& entries);
    std::vector<std::string> ReadRecentFiles();
    void WriteRecentFiles(const std::vector<std::string>& files);

private:
    CProfile& m_profile;
};

} // namespace tervik
