#include "base/Settings.h"
#include "base/TempFolder.h"
#include "platform/Profile.h"
#include "platform/SysPaths.h"
#include "support/Env.h"
#include "support/TempDir.h"

#include <algorithm>
#include <cstdlib>
#include <gtest/gtest.h>

namespace tervik {
namespace {

class SettingsFile : public ::testing::Test {
protected:
    test::CTempDir m_dir;
    CProfile m_profile{m_dir.File("t.ini")};
    CSettings m_settings{m_profile};

    void Set(const char* section, const std::string& key, const char* value) {
        m_profile.WriteProfileString(section, key, value);
    }
};

TEST_F(SettingsFile, DefaultsOfAnEmptyFile) {
    EXPECT_EQ(m_settings.UpdatePath(), "");
    EXPECT_EQ(m_settings.FixRecSize(), 80);
    EXPECT_EQ(m_settings.SingleMode(), 0);
    EXPECT_FALSE(m_settings.OpenModeShareWrite());
    EXPECT_EQ(m_settings.WindowPosition(), std::nullopt);
    EXPECT_EQ(m_settings.WindowState(1), 1);
    EXPECT_EQ(m_settings.ChildWindowState(), std::nullopt);
    EXPECT_FALSE(m_settings.PrintColor());
    EXPECT_EQ(m_settings.FontName(), "Courier");
    EXPECT_EQ(m_settings.FontSize(), 10);
    EXPECT_TRUE(m_settings.StatusbarVisible());
    EXPECT_TRUE(m_settings.ReadSearchList().empty());
    // Nothing but the two self-filling numbers is written by reading.
    EXPECT_TRUE(m_profile.GetKeyNames("Settings").empty());
}

TEST_F(SettingsFile, TabAndRecordSizesWriteTheirDefaultBack) {
    EXPECT_EQ(m_settings.TabSize(), 4);
    EXPECT_EQ(m_settings.MaxRecSize(), 32768u);
    EXPECT_EQ(m_profile.GetProfileString("Settings", "TabSize", ""), "4");
    EXPECT_EQ(m_profile.GetProfileString("Settings", "MaxRecSize", ""), "32768");

    struct Case {
        const char* tab;
        int expectedTab;
        const char* maxRec;
        uint32_t expectedMaxRec;
    } cases[] = {
        {"8", 8, "1000", 1000}, {"0", 4, "0", 32768}, // zero would never end a tab or a record
        {"-3", 4, "-1", 32768}, {"100000", 256, "65536", 65536},
        {"abc", 4, "x", 32768}, // nothing convertible reads as 0
    };
    for (const auto& c : cases) {
        Set("Settings", "TabSize", c.tab);
        Set("Settings", "MaxRecSize", c.maxRec);
        EXPECT_EQ(m_settings.TabSize(), c.expectedTab) << c.tab;
        EXPECT_EQ(m_settings.MaxRecSize(), c.expectedMaxRec) << c.maxRec;
        // Values other than the default are left as the user wrote them.
        EXPECT_EQ(m_profile.GetProfileString("Settings", "TabSize", ""), c.tab);
    }
}

TEST_F(SettingsFile, OpenModeAndFixRecSize) {
    for (const char* value : {"READWRITE", "readwrite", "\"ReadWrite\""}) {
        Set("Settings", "OpenMode", value);
        EXPECT_TRUE(m_settings.OpenModeShareWrite()) << value;
    }
    for (const char* value : {"Read", "READ WRITE", "", "READWRITEX"}) {
        Set("Settings", "OpenMode", value);
        EXPECT_FALSE(m_settings.OpenModeShareWrite()) << value;
    }
    m_settings.WriteFixRecSize(100000);
    EXPECT_EQ(m_profile.GetProfileString("Settings", "FixRecSize", ""), "32768");
    EXPECT_EQ(m_settings.FixRecSize(), 32768);
    Set("Settings", "FixRecSize", "0");
    EXPECT_EQ(m_settings.FixRecSize(), 80);
}

TEST_F(SettingsFile, WindowPlacementFallsBackWhenMalformed) {
    m_settings.WriteWindowPosition({10, 20, 610, 820});
    EXPECT_EQ(m_profile.GetProfileString("Settings", "WindowPosition", ""), "(10,20,610,820)");
    EXPECT_EQ(m_settings.WindowPosition(), (SettingsRect{10, 20, 610, 820}));
    for (const char* bad : {"(10,20,610)", "10,20,610,820", "(a,b,c,d)", "(10,20,5,820)",
                            "(1,2,3,4", "(99999999999,0,1,1)"}) {
        Set("Settings", "WindowPosition", bad);
        EXPECT_EQ(m_settings.WindowPosition(), std::nullopt) << bad;
    }
    Set("Settings", "WindowPosition", " ( -5 , -8 , 600 , 800 ) ");
    EXPECT_EQ(m_settings.WindowPosition(), (SettingsRect{-5, -8, 600, 800}));

    Set("Settings", "WindowState", "3");
    EXPECT_EQ(m_settings.WindowState(1), 3);
    Set("Settings", "WindowState", "42");
    EXPECT_EQ(m_settings.WindowState(1), 1);
}

TEST_F(SettingsFile, BarLayoutRoundTripsAndDefaults) {
    const BarSettings toolbar = m_settings.ReadBar("Toolbar");
    EXPECT_TRUE(toolbar.m_bVisible);
    EXPECT_FALSE(toolbar.m_bFloating);
    EXPECT_EQ(toolbar.m_nFloatingTop, 10);
    EXPECT_EQ(toolbar.m_rcDocking, SettingsRect{});
    EXPECT_EQ(toolbar.m_nDockingBar, kDockTop);
    EXPECT_FALSE(m_settings.ReadBar("Searchbar3").m_bVisible);

    BarSettings docked;
    docked.m_bVisible = true;
    docked.m_rcDocking = {30, 0, 60, 400};
    docked.m_nDockingBar = kDockBottom;
    m_settings.WriteBar("Searchbar2", docked);
    EXPECT_EQ(m_settings.ReadBar("Searchbar2"), docked);
    EXPECT_EQ(m_profile.GetProfileString("BAR Information", "Searchbar2DockingPos", ""),
              "(30,0,60,400)");

    BarSettings floating;
    floating.m_bFloating = true;
    floating.m_nFloatingTop = 200;
    floating.m_nFloatingLeft = 300;
    m_settings.WriteBar("Searchbar1", floating);
    EXPECT_EQ(m_profile.GetProfileString("BAR Information", "Searchbar1FloatingPos", ""),
              "(200,300)");
    EXPECT_EQ(m_settings.ReadBar("Searchbar1"), floating);

    Set("BAR Information", "Searchbar4FloatingPos", "garbage");
    Set("BAR Information", "Searchbar4DockingBar", "12345");
    const BarSettings damaged = m_settings.ReadBar("Searchbar4");
    EXPECT_EQ(damaged.m_nFloatingTop, 10);
    EXPECT_EQ(damaged.m_nDockingBar, kDockTop);
}

TEST_F(SettingsFile, HistoriesStopAtTheFirstGapAndKeepBlanks) {
    m_settings.WriteSearchList({"  lead", "trail  ", "%FLAGS(C)x"});
    EXPECT_EQ(m_profile.GetProfileString("Search List", "String01", ""), "  lead");
    EXPECT_EQ(m_settings.ReadSearchList(),
              (std::vector<std::string>{"  lead", "trail  ", "%FLAGS(C)x"}));
    Set("Search List", "String02", "");
    EXPECT_EQ(m_settings.ReadSearchList(), (std::vector<std::string>{"  lead"}));

    std::vector<std::string> many;
    for (int i = 0; i < 40; ++i)
        many.push_back("p" + std::to_string(i));
    m_settings.WriteSearchList(many);
    EXPECT_EQ(m_settings.ReadSearchList().size(), 32u);

    std::vector<StoredSelectText> select;
    for (int i = 0; i < 120; ++i)
        select.push_back({"(0,0,0,t" + std::to_string(i) + ")", i % 7 == 0});
    // The last 99 survive, each with its own "Mehrtext" mark; written again without
    // marks, the old ones are gone.
    for (const bool bMarks : {true, false}) {
        for (StoredSelectText& e : select)
            e.m_bMultiText = e.m_bMultiText && bMarks;
        m_settings.WriteSelectTextList(select);
        const auto read = m_settings.ReadSelectTextList();
        ASSERT_EQ(read.size(), 99u);
        EXPECT_TRUE(std::equal(read.begin(), read.end(), select.end() - 99)) << bMarks;
    }
}

TEST_F(SettingsFile, RecentFiles) {
    m_settings.WriteRecentFiles({"/a.log", "/b.log"});
    EXPECT_EQ(m_settings.ReadRecentFiles(), (std::vector<std::string>{"/a.log", "/b.log"}));
    m_settings.WriteRecentFiles({"/c.log"});
    EXPECT_EQ(m_settings.ReadRecentFiles(), (std::vector<std::string>{"/c.log"}));
}

TEST(TempFolder, SettingThenEnvironmentThenTmp) {
    test::CTempDir dir;
    CProfile profile(dir.File("t.ini"));
    const char* pszTemp = std::getenv("TEMP");
    const char* pszTmpDir = std::getenv("TMPDIR");
    const std::string oldTemp = pszTemp ? pszTemp : "", oldTmpDir = pszTmpDir ? pszTmpDir : "";

    profile.WriteProfileString("Settings", "TempPath", "/data/tmp");
    EXPECT_EQ(GetTempFolder(profile), std::string("/data/tmp") + kPathSeparator);
    profile.WriteProfileString("Settings", "TempPath", "/data/tmp/");
    EXPECT_EQ(GetTempFolder(profile), "/data/tmp/");
    profile.WriteProfileString("Settings", "TempPath", "");
#ifdef _WIN32
    // Windows: TEMP, then the fixed folder; TMP and TMPDIR count for nothing.
    test::SetEnvVar("TEMP", "c:\\from\\temp");
    test::SetEnvVar("TMPDIR", "c:\\from\\tmpdir");
    EXPECT_EQ(GetTempFolder(profile), "c:\\from\\temp\\");
    test::SetEnvVar("TEMP", nullptr);
    EXPECT_EQ(GetTempFolder(profile), "c:\\temp\\");
#else
    test::SetEnvVar("TEMP", "/from/temp");
    test::SetEnvVar("TMPDIR", "/from/tmpdir");
    EXPECT_EQ(GetTempFolder(profile), "/from/temp/");
    test::SetEnvVar("TEMP", nullptr);
    EXPECT_EQ(GetTempFolder(profile), "/from/tmpdir/");
    test::SetEnvVar("TMPDIR", "");
    EXPECT_EQ(GetTempFolder(profile), "/tmp/");

    // Too small a buffer: false and an empty buffer.
    char small[5] = "xxxx";
    EXPECT_FALSE(GetTempFolder(profile, small, sizeof small));
    EXPECT_EQ(small[0], '\0');
    char exact[6];
    EXPECT_TRUE(GetTempFolder(profile, exact, sizeof exact)); // "/tmp/" + NUL
    EXPECT_STREQ(exact, "/tmp/");
#endif

    test::SetEnvVar("TEMP", pszTemp ? oldTemp.c_str() : nullptr);
    test::SetEnvVar("TMPDIR", pszTmpDir ? oldTmpDir.c_str() : nullptr);
}

} // namespace
} // namespace tervik
