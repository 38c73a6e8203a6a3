#include "base/Colour.h"

#include "base/SettingKeys.h"
#include "platform/CodePage.h"
#include "platform/Profile.h"

#include <cstdio>

namespace tervik {

namespace {

bool StartsWithRgb(std::string_view s) {
    return s.size() >= 4 && EqualNoCase(s.substr(0, 4), "RGB(");
}

// An optional sign and the leading digits; nothing convertible gives 0. Only the
// low 8 bits matter to the caller, so the value is kept modulo 256 as it grows.
uint8_t LowByteOfNumber(std::string_view s) {
    size_t i = 0;
    bool bNegative = false;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) {
        bNegative = s[i] == '-';
        ++i;
    }
    uint32_t v = 0;
    for (; i < s.size() && s[i] >= '0' && s[i] <= '9'; ++i)
        v = (v * 10 + static_cast<uint32_t>(s[i] - '0')) & 0xFF;
    if (bNegative) v = (0x100 - v) & 0xFF;
    return static_cast<uint8_t>(v);
}

// The part of "RGB(r,g,b)" after the opening, cut at ')', spaces removed, split at
// the first two commas. False when ')' or a comma is missing.
bool ParseRgbBody(std::string_view value, COLORREF& color) {
    std::string_view body = value.substr(4);
    const size_t close = body.find(')');
    if (close == std::string_view::npos) return false;
    body = body.substr(0, close);
    std::string compact;
    compact.reserve(body.size());
    for (char c : body)
        if (c != ' ') compact += c;
    const size_t c1 = compact.find(',');
    if (c1 == std::string::npos) return false;
    const size_t c2 = compact.find(',', c1 + 1);
    if (c2 == std::string::npos) return false;
    const std::string_view all(compact);
    color = MakeRgb(LowByteOfNumber(all.substr(0, c1)),
                    LowByteOfNumber(all.substr(c1 + 1, c2 - c1 - 1)),
                    LowByteOfNumber(all.substr(c2 + 1)));
    return true;
}

} // namespace

std::string FormatRgb(COLORREF c) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "RGB(%d,%d,%d)", RedOf(c), GreenOf(c), BlueOf(c));
    return buf;
}

COLORREF ParseColorValue(std::string_view value, COLORREF defaultColor, const ISystemColors& sys,
                         std::string* pNormalForm) {
    if (StartsWithRgb(value)) {
        COLORREF color = defaultColor;
        if (!ParseRgbBody(value, color)) color = defaultColor;
        if (pNormalForm) *pNormalForm = FormatRgb(color);
        return color;
    }
    struct Named {
        const char* pszName;
        COLORREF (ISystemColors::*pfn)() const;
    };
    static constexpr Named kNames[] = {
        {"APPWORKSPACE", &ISystemColors::AppWorkspaceColor},
        {"DESKTOP", &ISystemColors::DesktopColor},
        {"INFOBK", &ISystemColors::InfoBkColor},
    };
    for (const auto& named : kNames) {
        if (EqualNoCase(value, named.pszName)) {
            if (pNormalForm) *pNormalForm = named.pszName;
            return (sys.*named.pfn)();
        }
    }
    if (pNormalForm) *pNormalForm = "WINDOW";
    return sys.WindowColor();
}

COLORREF ReadColorSetting(CProfile& profile, const ISystemColors& sys, const char* pszKey,
                          std::string_view defaultText) {
    COLORREF defaultColor = sys.WindowColor();
    if (StartsWithRgb(defaultText) && !ParseRgbBody(defaultText, defaultColor))
        defaultColor = sys.WindowColor();
    const std::string value = profile.GetProfileString(kSectionSettings, pszKey, defaultText);
    std::string normal;
    const COLORREF color = ParseColorValue(value, defaultColor, sys, &normal);
    profile.WriteProfileString(kSectionSettings, pszKey, normal);
    return color;
}

ColorSettings ReadColorSettings(CProfile& profile, const ISystemColors& sys) {
    ColorSettings c;
    c.m_crSearchBackground =
        ReadColorSetting(profile, sys, "SearchBackgroundColor", "RGB(255,255,128)");
    c.m_crBookmarkBackground =
        ReadColorSetting(profile, sys, "BookmarkBackgroundColor", "RGB(255,200,0)");
    c.m_crActiveBookmarkBackground =
        ReadColorSetting(profile, sys, "ActiveBookmarkBackgroundColor", "RGB(200,255,0)");
    c.m_crTextBackground = ReadColorSetting(profile, sys, "TextBackgroundColor", "WINDOW");
    c.m_crHexBackground = ReadColorSetting(profile, sys, "HexBackgroundColor", "RGB(192,192,192)");
    c.m_crBlueMarker = ReadColorSetting(profile, sys, "BlueMarkerColor", "RGB(0,0,255)");
    c.m_crGreenMarker = ReadColorSetting(profile, sys, "GreenMarkerColor", "RGB(0,128,0)");
    c.m_crRedMarker = ReadColorSetting(profile, sys, "RedMarkerColor", "RGB(255,0,0)");
    // The three marker backgrounds default to the text background just read.
    const std::string textBackground = FormatRgb(c.m_crTextBackground);
    c.m_crBackgroundBlueMarker =
        ReadColorSetting(profile, sys, "BackgroundBlueMarkerColor", textBackground);
    c.m_crBackgroundGreenMarker =
        ReadColorSetting(profile, sys, "BackgroundGreenMarkerColor", textBackground);
    c.m_crBackgroundRedMarker =
        ReadColorSetting(profile, sys, "BackgroundRedMarkerColor", textBackground);
    return c;
}

} // namespace tervik
