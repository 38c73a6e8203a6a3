#include "base/Settings.h"

#include "base/SettingKeys.h"
#include "base/Strings.h"
#include "platform/CodePage.h"
#include "platform/Profile.h"

#include <algorithm>
#include <climits>
#include <cstdio>

namespace tervik {

namespace {

std::string FormatTuple(const int* pValues, int nCount) {
    std::string s = "(";
    for (int i = 0; i < nCount; ++i) {
        if (i) s += ',';
        s += std::to_string(pValues[i]);
    }
    s += ')';
    return s;
}

std::string NumberedKey(const char* pszFormat, int n) {
    char buf[32];
    std::snprintf(buf, sizeof buf, pszFormat, n);
    return buf;
}

// The select-text history: the entry, and beside it the "Mehrtext" mark.
constexpr const char* kSelectKey = "Select%.2d";
constexpr const char* kSelectMultiKey = "Select%.2dMulti";

// Reads numbered keys until the first missing or empty one.
std::vector<std::string> ReadNumberedList(CProfile& profile, const char* pszSection,
                                          const char* pszFormat, int nMax) {
    std::vector<std::string> entries;
    for (int i = 1; i <= nMax; ++i) {
        std::string value = profile.GetProfileString(pszSection, NumberedKey(pszFormat, i), "");
        if (value.empty()) break;
        entries.push_back(std::move(value));
    }
    return entries;
}

} // namespace

bool ParseIntTuple(std::string_view text, int* pValues, int nCount) {
    size_t i = 0;
    auto skipBlanks = [&] {
        while (i < text.size() && (text[i] == ' ' || text[i] == '\t'))
            ++i;
    };
    skipBlanks();
    if (i >= text.size() || text[i] != '(') return false;
    ++i;
    for (int n = 0; n < nCount; ++n) {
        skipBlanks();
        bool bNegative = false;
        if (i < text.size() && (text[i] == '-' || text[i] == '+')) {
            bNegative = text[i] == '-';
            ++i;
        }
        if (i >= text.size() || text[i] < '0' || text[i] > '9') return false;
        long long v = 0;
        for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
            v = v * 10 + (text[i] - '0');
            if (v > INT_MAX) return false;
        }
        pValues[n] = static_cast<int>(bNegative ? -v : v);
        skipBlanks();
        const char expected = n + 1 < nCount ? ',' : ')';
        if (i >= text.size() || text[i] != expected) return false;
        ++i;
    }
    return true;
}

std::string SettingsNotSavedText(CProfile& profile) {
    const std::string name = PathToAnsi(profile.GetPath());
    if (profile.ReadError() != 0) return FormatString(IDS_SETTINGS_NOT_SAVED, name.c_str());
    if (profile.IsNotSingleByteText()) return FormatString(IDS_SETTINGS_NOT_TEXT, name.c_str());
    return {};
}

std::string CSettings::UpdatePath() {
    return m_profile.GetProfileString(kSectionSettings, "UpdatePath", "");
}

int CSettings::FixRecSize() {
    const int n = m_profile.GetProfileInt(kSectionSettings, "FixRecSize", kDefaultFixRecSize);
    return n < 1 ? kDefaultFixRecSize : std::min(n, kMaxFixRecSize);
}

void CSettings::WriteFixRecSize(int nSize) {
    m_profile.WriteProfileInt(kSectionSettings, "FixRecSize", std::clamp(nSize, 1, kMaxFixRecSize));
}

int CSettings::SingleMode() {
    return m_profile.GetProfileInt(kSectionSettings, "SingleMode", 0);
}

bool CSettings::OpenModeShareWrite() {
    return EqualNoCase(m_profile.GetProfileString(kSectionSettings, "OpenMode", "Read"),
                       "READWRITE");
}

std::optional<SettingsRect> CSettings::WindowPosition() {
    const std::string text = m_profile.GetProfileString(kSectionSettings, "WindowPosition", "");
    int v[4];
    if (!ParseIntTuple(text, v, 4)) return std::nullopt;
    SettingsRect rc{v[0], v[1], v[2], v[3]};
    if (rc.m_nBottom <= rc.m_nTop || rc.m_nRight <= rc.m_nLeft) return std::nullopt;
    return rc;
}

void CSettings::WriteWindowPosition(const SettingsRect& rc) {
    const int v[4] = {rc.m_nTop, rc.m_nLeft, rc.m_nBottom, rc.m_nRight};
    m_profile.WriteProfileString(kSectionSettings, "WindowPosition", FormatTuple(v, 4));
}

int CSettings::WindowState(int nDefault) {
    const int n = m_profile.GetProfileInt(kSectionSettings, "WindowState", nDefault);
    // Show states run from 0 to 11; anything else is a damaged value.
    return n < 0 || n > 11 ? nDefault : n;
}

void CSettings::WriteWindowState(int nState) {
    m_profile.WriteProfileInt(kSectionSettings, "WindowState", nState);
}

std::optional<int> CSettings::ChildWindowState() {
    if (!m_profile.HasKey(kSectionSettings, "ChildWindowState")) return std::nullopt;
    return m_profile.GetProfileInt(kSectionSettings, "ChildWindowState", 0);
}

void CSettings::WriteChildWindowState(int nState) {
    m_profile.WriteProfileInt(kSectionSettings, "ChildWindowState", nState);
}

bool CSettings::PrintColor() {
    return m_profile.GetProfileInt(kSectionSettings, "PrintColor", 0) != 0;
}

void CSettings::WritePrintColor(bool bColor) {
    m_profile.WriteProfileInt(kSectionSettings, "PrintColor", bColor ? 1 : 0);
}

int CSettings::TabSize() {
    const int n = m_profile.GetProfileInt(kSectionSettings, "TabSize", kDefaultTabSize);
    if (n == kDefaultTabSize) m_profile.WriteProfileInt(kSectionSettings, "TabSize", n);
    if (n < 1) return kDefaultTabSize; // a zero width would make every tab endless
    return std::min(n, kMaxTabSize);
}

uint32_t CSettings::MaxRecSize() {
    const int n = m_profile.GetProfileInt(kSectionSettings, "MaxRecSize", kDefaultMaxRecSize);
    if (n == kDefaultMaxRecSize) m_profile.WriteProfileInt(kSectionSettings, "MaxRecSize", n);
    // Zero would never end a record; it falls back to the default.
    return n < 1 ? static_cast<uint32_t>(kDefaultMaxRecSize) : static_cast<uint32_t>(n);
}

bool CSettings::Utf8Detect() {
    const int n = m_profile.GetProfileInt(kSectionSettings, "Utf8Detect", 1);
    if (n == 1) m_profile.WriteProfileInt(kSectionSettings, "Utf8Detect", n);
    return n != 0;
}

std::string CSettings::FontName() {
    std::string name = m_profile.GetProfileString(kSectionSettings, "FontName", "Courier");
    return name.empty() ? std::string("Courier") : name;
}

int CSettings::FontSize() {
    const int n = m_profile.GetProfileInt(kSectionSettings, "FontSize", kDefaultFontSize);
    return n < 1 || n > 1000 ? kDefaultFontSize : n;
}

void CSettings::WriteFont(const std::string& name, int nSize) {
    m_profile.WriteProfileString(kSectionSettings, "FontName", name);
    m_profile.WriteProfileInt(kSectionSettings, "FontSize", nSize);
}

std::string CSettings::FeedbackMail() {
    return m_profile.GetProfileString(kSectionSettings, "FeedbackMail", kDefaultFeedbackMail);
}

BarSettings CSettings::ReadBar(const std::string& name) {
    BarSettings bar;
    const bool bToolbar = !name.empty() && name[0] == 'T';
    bar.m_bVisible = m_profile.GetProfileInt(kSectionBars, name + "Visible", bToolbar ? 1 : 0) != 0;
    bar.m_bFloating = m_profile.GetProfileInt(kSectionBars, name + "Floating", 0) != 0;
    int pos[2];
    if (ParseIntTuple(m_profile.GetProfileString(kSectionBars, name + "FloatingPos", "(10,10)"),
                      pos, 2)) {
        bar.m_nFloatingTop = pos[0];
        bar.m_nFloatingLeft = pos[1];
    }
    int rc[4];
    if (ParseIntTuple(m_profile.GetProfileString(kSectionBars, name + "DockingPos", "(0,0,0,0)"),
                      rc, 4))
        bar.m_rcDocking = SettingsRect{rc[0], rc[1], rc[2], rc[3]};
    const int nDock = m_profile.GetProfileInt(kSectionBars, name + "DockingBar", kDockTop);
    bar.m_nDockingBar = nDock >= kDockTop && nDock <= kDockBottom ? nDock : kDockTop;
    return bar;
}

void CSettings::WriteBar(const std::string& name, const BarSettings& bar) {
    m_profile.WriteProfileInt(kSectionBars, name + "Visible", bar.m_bVisible ? 1 : 0);
    m_profile.WriteProfileInt(kSectionBars, name + "Floating", bar.m_bFloating ? 1 : 0);
    if (bar.m_bFloating) {
        const int pos[2] = {bar.m_nFloatingTop, bar.m_nFloatingLeft};
        m_profile.WriteProfileString(kSectionBars, name + "FloatingPos", FormatTuple(pos, 2));
        return;
    }
    const int rc[4] = {bar.m_rcDocking.m_nTop, bar.m_rcDocking.m_nLeft, bar.m_rcDocking.m_nBottom,
                       bar.m_rcDocking.m_nRight};
    m_profile.WriteProfileString(kSectionBars, name + "DockingPos", FormatTuple(rc, 4));
    m_profile.WriteProfileInt(kSectionBars, name + "DockingBar", bar.m_nDockingBar);
}

bool CSettings::StatusbarVisible() {
    return m_profile.GetProfileInt(kSectionBars, "StatusbarVisible", 1) != 0;
}

void CSettings::WriteStatusbarVisible(bool bVisible) {
    m_profile.WriteProfileInt(kSectionBars, "StatusbarVisible", bVisible ? 1 : 0);
}

std::vector<std::string> CSettings::ReadSearchList() {
    return ReadNumberedList(m_profile, kSectionSearchList, "String%.2d", kSearchListMax);
}

void CSettings::WriteSearchList(const std::vector<std::string>& entries) {
    const int n = static_cast<int>(std::min<size_t>(entries.size(), kSearchListMax));
    // Quotes keep leading and trailing blanks of a pattern.
    for (int i = 0; i < n; ++i)
        m_profile.WriteProfileString(kSectionSearchList, NumberedKey("String%.2d", i + 1),
                                     "\"" + entries[static_cast<size_t>(i)] + "\"");
    for (int i = n + 1; i <= kSearchListMax; ++i)
        m_profile.DeleteKey(kSectionSearchList, NumberedKey("String%.2d", i));
}

std::vector<StoredSelectText> CSettings::ReadSelectTextList() {
    std::vector<StoredSelectText> entries;
    int nKey = 1;
    for (std::string& value :
         ReadNumberedList(m_profile, kSectionSelectTextList, kSelectKey, kSelectTextListMax)) {
        const bool bMulti = m_profile.GetProfileInt(kSectionSelectTextList,
                                                    NumberedKey(kSelectMultiKey, nKey++), 0) != 0;
        entries.push_back({std::move(value), bMulti});
    }
    return entries;
}

void CSettings::WriteSelectTextList(const std::vector<StoredSelectText>& entries) {
    // The newest entries stand last; keep the last 99.
    const size_t nFirst =
        entries.size() > kSelectTextListMax ? entries.size() - kSelectTextListMax : 0;
    int nKey = 1;
    for (size_t i = nFirst; i < entries.size(); ++i, ++nKey) {
        m_profile.WriteProfileString(kSectionSelectTextList, NumberedKey(kSelectKey, nKey),
                                     entries[i].m_value);
        // Only a set mark is written: a history without one keeps its old look.
        if (entries[i].m_bMultiText)
            m_profile.WriteProfileInt(kSectionSelectTextList, NumberedKey(kSelectMultiKey, nKey),
                                      1);
        else
            m_profile.DeleteKey(kSectionSelectTextList, NumberedKey(kSelectMultiKey, nKey));
    }
    for (; nKey <= kSelectTextListMax; ++nKey) {
        m_profile.DeleteKey(kSectionSelectTextList, NumberedKey(kSelectKey, nKey));
        m_profile.DeleteKey(kSectionSelectTextList, NumberedKey(kSelectMultiKey, nKey));
    }
}

std::vector<std::string> CSettings::ReadRecentFiles() {
    std::vector<std::string> files;
    for (int i = 1; i <= kRecentFileCount; ++i) {
        std::string path =
            m_profile.GetProfileString(kSectionRecentFiles, NumberedKey("File%d", i), "");
        if (!path.empty()) files.push_back(std::move(path));
    }
    return files;
}

void CSettings::WriteRecentFiles(const std::vector<std::string>& files) {
    const int n = static_cast<int>(std::min<size_t>(files.size(), kRecentFileCount));
    for (int i = 0; i < n; ++i)
        m_profile.WriteProfileString(kSectionRecentFiles, NumberedKey("File%d", i + 1),
                                     files[static_cast<size_t>(i)]);
    for (int i = n + 1; i <= kRecentFileCount; ++i)
        m_profile.DeleteKey(kSectionRecentFiles, NumberedKey("File%d", i));
}

} // namespace tervik
