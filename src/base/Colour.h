#pragma once

// Colour values as the settings file and the painters use them: red in the low
// byte, then green, then blue (a Windows COLORREF).

#include <cstdint>
#include <string>
#include <string_view>

namespace tervik {

class CProfile;

using COLORREF = uint32_t;

constexpr COLORREF MakeRgb(uint8_t r, uint8_t g, uint8_t b) {
    return static_cast<COLORREF>(r) | (static_cast<COLORREF>(g) << 8) |
           (static_cast<COLORREF>(b) << 16);
}
constexpr uint8_t RedOf(COLORREF c) {
    return static_cast<uint8_t>(c & 0xFF);
}
constexpr uint8_t GreenOf(COLORREF c) {
    return static_cast<uint8_t>((c >> 8) & 0xFF);
}
constexpr uint8_t BlueOf(COLORREF c) {
    return static_cast<uint8_t>((c >> 16) & 0xFF);
}

// "RGB(r,g,b)"
std::string FormatRgb(COLORREF c);

// The desktop's named colours that a colour setting may refer to. The viewer
// answers from its palette; without a window system a fixed table answers.
class ISystemColors {
public:
    virtual ~ISystemColors() = default;
    virtual COLORREF WindowColor() const = 0;
    virtual COLORREF AppWorkspaceColor() const = 0;
    virtual COLORREF DesktopColor() const = 0;
    virtual COLORREF InfoBkColor() const = 0;
};

// The classic Windows defaults.
class CDefaultSystemColors : public ISystemColors {
public:
    COLORREF WindowColor() const override { return MakeRgb(255, 255, 255); }
    COLORREF AppWorkspaceColor() const override { return MakeRgb(171, 171, 171); }
    COLORREF DesktopColor() const override { return MakeRgb(58, 110, 165); }
    COLORREF InfoBkColor() const override { return MakeRgb(255, 255, 225); }
};

// Parses a colour value ("RGB(r,g,b)" in any case and spacing, or a system colour
// name). Answers the colour and, in normalForm, the text the setting is rewritten to.
COLORREF ParseColorValue(std::string_view value, COLORREF defaultColor, const ISystemColors& sys,
                         std::string* pNormalForm = nullptr);

// Reads a colour key of section "Settings" and writes it back in normal form.
COLORREF ReadColorSetting(CProfile& profile, const ISystemColors& sys, const char* pszKey,
                          std::string_view defaultText);

// The eleven colours of the settings, in the order they are read at start.
struct ColorSettings {
    COLORREF m_crSearchBackground = 0;
    COLORREF m_crBookmarkBackground = 0;
    COLORREF m_crActiveBookmarkBackground = 0;
    COLORREF m_crTextBackground = 0;
    COLORREF m_crHexBackground = 0;
    COLORREF m_crBlueMarker = 0;
    COLORREF m_crGreenMarker = 0;
    COLORREF m_crRedMarker = 0;
    COLORREF m_crBackgroundBlueMarker = 0;
    COLORREF m_crBackgroundGreenMarker = 0;
    COLORREF m_crBackgroundRedMarker = 0;
};

ColorSettings ReadColorSettings(CProfile& profile, const ISystemColors& sys);

} // namespace tervik
