#include "base/Colour.h"
#include "platform/Profile.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

namespace tervik {
namespace {

class ColourSetting : public ::testing::Test {
protected:
    test::CTempDir m_dir;
    CProfile m_profile{m_dir.File("t.ini")};
    CDefaultSystemColors m_sys;

    void Set(const char* key, const char* value) {
        m_profile.WriteProfileString("Settings", key, value);
    }
    std::string Stored(const char* key) {
        return m_profile.GetProfileString("Settings", key, "<none>");
    }
};

TEST_F(ColourSetting, ValuesAndTheirNormalForm) {
    struct Case {
        const char* value;
        const char* defaultText;
        COLORREF expected;
        const char* written;
    } cases[] = {
        {"rgb( 10 , 20 ,30)", "RGB(1,1,1)", MakeRgb(10, 20, 30), "RGB(10,20,30)"},
        {"RGB(300,0,0)", "RGB(1,1,1)", MakeRgb(44, 0, 0), "RGB(44,0,0)"},
        {"RGB(1,2)", "RGB(5,6,7)", MakeRgb(5, 6, 7), "RGB(5,6,7)"},  // second comma missing
        {"RGB(1,2,3", "RGB(5,6,7)", MakeRgb(5, 6, 7), "RGB(5,6,7)"}, // no closing parenthesis
        {"RGB(a,-1,+7x)", "RGB(5,6,7)", MakeRgb(0, 255, 7), "RGB(0,255,7)"},
        {"RGB(99999999999999999999,256,511)", "RGB(0,0,0)", MakeRgb(255, 0, 255), "RGB(255,0,255)"},
        {"RGB(1,2,3) trailing", "RGB(0,0,0)", MakeRgb(1, 2, 3), "RGB(1,2,3)"},
        {"desktop", "RGB(0,0,0)", CDefaultSystemColors().DesktopColor(), "DESKTOP"},
        {"AppWorkSpace", "RGB(0,0,0)", CDefaultSystemColors().AppWorkspaceColor(), "APPWORKSPACE"},
        {"infobk", "RGB(0,0,0)", CDefaultSystemColors().InfoBkColor(), "INFOBK"},
        {"Red", "RGB(0,0,0)", CDefaultSystemColors().WindowColor(), "WINDOW"},
        {"", "RGB(0,0,0)", CDefaultSystemColors().WindowColor(), "WINDOW"},
        {"window", "RGB(0,0,0)", CDefaultSystemColors().WindowColor(), "WINDOW"},
    };
    for (const auto& c : cases) {
        Set("SearchBackgroundColor", c.value);
        EXPECT_EQ(ReadColorSetting(m_profile, m_sys, "SearchBackgroundColor", c.defaultText),
                  c.expected)
            << c.value;
        EXPECT_EQ(Stored("SearchBackgroundColor"), c.written) << c.value;
    }
}

TEST_F(ColourSetting, MissingKeyTakesTheDefaultTextAndWritesIt) {
    EXPECT_EQ(ReadColorSetting(m_profile, m_sys, "HexBackgroundColor", "RGB(192,192,192)"),
              MakeRgb(192, 192, 192));
    EXPECT_EQ(Stored("HexBackgroundColor"), "RGB(192,192,192)");
    // A malformed RGB default falls back to the window colour.
    EXPECT_EQ(ReadColorSetting(m_profile, m_sys, "Other", "RGB(1,2"), m_sys.WindowColor());
    EXPECT_EQ(Stored("Other"), FormatRgb(m_sys.WindowColor()));
}

TEST_F(ColourSetting, NewInstallationReceivesAllElevenKeys) {
    const ColorSettings c = ReadColorSettings(m_profile, m_sys);
    EXPECT_EQ(c.m_crSearchBackground, MakeRgb(255, 255, 128));
    EXPECT_EQ(c.m_crBookmarkBackground, MakeRgb(255, 200, 0));
    EXPECT_EQ(c.m_crActiveBookmarkBackground, MakeRgb(200, 255, 0));
    EXPECT_EQ(c.m_crTextBackground, m_sys.WindowColor());
    EXPECT_EQ(c.m_crHexBackground, MakeRgb(192, 192, 192));
    EXPECT_EQ(c.m_crBlueMarker, MakeRgb(0, 0, 255));
    EXPECT_EQ(c.m_crGreenMarker, MakeRgb(0, 128, 0));
    EXPECT_EQ(c.m_crRedMarker, MakeRgb(255, 0, 0));
    EXPECT_EQ(c.m_crBackgroundBlueMarker, m_sys.WindowColor());
    EXPECT_EQ(m_profile.GetKeyNames("Settings"),
              (std::vector<std::string>{"SearchBackgroundColor", "BookmarkBackgroundColor",
                                        "ActiveBookmarkBackgroundColor", "TextBackgroundColor",
                                        "HexBackgroundColor", "BlueMarkerColor", "GreenMarkerColor",
                                        "RedMarkerColor", "BackgroundBlueMarkerColor",
                                        "BackgroundGreenMarkerColor", "BackgroundRedMarkerColor"}));
    EXPECT_EQ(Stored("TextBackgroundColor"), "WINDOW");
    EXPECT_EQ(Stored("BackgroundRedMarkerColor"), "RGB(255,255,255)");
}

TEST_F(ColourSetting, TextBackgroundIsTheMarkerDefaultOnlyWhileTheyAreAbsent) {
    Set("TextBackgroundColor", "RGB(1,2,3)");
    EXPECT_EQ(ReadColorSettings(m_profile, m_sys).m_crBackgroundGreenMarker, MakeRgb(1, 2, 3));
    Set("TextBackgroundColor", "RGB(9,9,9)");
    const ColorSettings c = ReadColorSettings(m_profile, m_sys);
    EXPECT_EQ(c.m_crTextBackground, MakeRgb(9, 9, 9));
    EXPECT_EQ(c.m_crBackgroundGreenMarker, MakeRgb(1, 2, 3));
}

} // namespace
} // namespace tervik
