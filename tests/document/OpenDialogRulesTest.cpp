#include "document/OpenDialogRules.h"

#include "base/Settings.h"
#include "base/Strings.h"
#include "platform/Profile.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

namespace tervik {
namespace {

class OpenDialogReading : public ::testing::Test {
protected:
    test::CTempDir m_dir;
    CProfile m_profile{m_dir.File("t.ini")};
    CSettings m_settings{m_profile};

    bool FixRecSizeWritten() { return m_profile.HasKey("Settings", "FixRecSize"); }
};

struct FixedCase {
    const char* pszName;
    bool bChecked;
    const char* pszText;
    uint32_t nExpected;
    int nStored; // -1 = setting left alone
};

TEST_F(OpenDialogReading, FixedLength) {
    const FixedCase cases[] = {
        {"unchecked ignores the field", false, "120", 0, -1},
        {"typed length", true, "120", 120, 120},
        {"capped at the largest record", true, "50000", 32768, 32768},
        {"empty field gives 1", true, "", 1, -1},
        {"typed 0 switches it off", true, "0", 0, -1},
        {"too many digits saturate", true, "99999999999999999999", 32768, 32768},
        {"2^32 + 5 does not wrap to 5", true, "4294967301", 32768, 32768},
    };
    for (const FixedCase& c : cases) {
        SCOPED_TRACE(c.pszName);
        m_profile.DeleteKey("Settings", "FixRecSize");
        const OpenDialogValues v =
            ReadOpenDialogValues(false, c.bChecked, c.pszText, false, "", 0, m_settings);
        EXPECT_EQ(v.m_nFixedLength, c.nExpected);
        if (c.nStored < 0) {
            EXPECT_FALSE(FixRecSizeWritten());
        } else {
            EXPECT_EQ(m_settings.FixRecSize(), c.nStored);
        }
    }
}

struct LimitCase {
    const char* pszName;
    bool bChecked;
    const char* pszText;
    int nDirection;
    uint32_t nLimit;
    int nExpectedDirection;
};

TEST_F(OpenDialogReading, RecordLimitAndDirection) {
    const LimitCase cases[] = {
        {"unchecked: no limit, direction not read", false, "100", 1, 0, 0},
        {"from the end", true, "100", 1, 100, 1},
        {"from the beginning", true, "100", 0, 100, 0},
        {"empty field gives 1", true, "", 1, 1, 1},
        {"typed 0 means no limit", true, "0", 0, 0, 0},
        {"largest count", true, "2147483647", 0, 2147483647u, 0},
        {"beyond the field saturates", true, "4294967296", 0, 2147483647u, 0},
        {"no selection reads as the beginning", true, "5", -1, 5, 0},
    };
    for (const LimitCase& c : cases) {
        SCOPED_TRACE(c.pszName);
        const OpenDialogValues v =
            ReadOpenDialogValues(true, false, "", c.bChecked, c.pszText, c.nDirection, m_settings);
        EXPECT_TRUE(v.m_bShareWrite);
        EXPECT_EQ(v.m_nRecordLimit, c.nLimit);
        EXPECT_EQ(v.m_nLimitDirection, c.nExpectedDirection);
    }
    EXPECT_FALSE(FixRecSizeWritten());
}

TEST(OpenDialogFilters, ResourceFilterBecomesFiveDialogFilters) {
    const std::vector<std::string> filters = FileDialogFilters(LoadString(IDS_OPEN_FILTER));
    const std::vector<std::string> expected = {
        "Textdateien (*.txt *.bat *.ini)",
        "C-Sourcen (*.c *.cpp *.h)",
        "COBOL-Sourcen (*.cbl *.cpy)",
        "Protokolle (*.log *.trc *.cod *.map)",
        "Alle Dateien (*)",
    };
    EXPECT_EQ(filters, expected);
}

TEST(OpenDialogFilters, NameWithoutPatternsAndMissingEnd) {
    EXPECT_EQ(FileDialogFilters("Logs|*.log;;*.txt|Half"),
              std::vector<std::string>{"Logs (*.log *.txt)"});
    EXPECT_TRUE(FileDialogFilters("").empty());
}

// One open command: the dialog's values around BeforeDialog / OnOk / AfterDialog.
OpenOptions RunDialog(COpenOptionsState& state, bool bOk, const OpenDialogValues& v) {
    state.BeforeDialog();
    OpenOptions used{};
    if (bOk) {
        state.OnOk(v);
        used = state.Current();
    }
    state.AfterDialog(bOk, v);
    return used;
}

TEST(OpenOptionsHandOver, ChosenFilesGetTheDialogValues) {
    COpenOptionsState state(false, 80);
    const OpenOptions used = RunDialog(state, true, {true, 132, 100, 1});
    EXPECT_TRUE(used.m_bShareWrite);
    EXPECT_EQ(used.m_nFixRecSize, 132u);
    EXPECT_EQ(used.m_nRecordLimit, 100u);
    EXPECT_TRUE(used.m_bLimitFromEnd);
}

TEST(OpenOptionsHandOver, ShareAndFixedLengthOnlyForThisDialog) {
    COpenOptionsState state(false, 80);
    RunDialog(state, true, {true, 132, 100, 1});
    // A later open from the recent-file list: share and length gone, limit stays.
    const OpenOptions resting = state.Current();
    EXPECT_FALSE(resting.m_bShareWrite);
    EXPECT_EQ(resting.m_nFixRecSize, 0u);
    EXPECT_EQ(resting.m_nRecordLimit, 100u);
    EXPECT_TRUE(resting.m_bLimitFromEnd);
}

TEST(OpenOptionsHandOver, ShareFlagFromSettingsReturnsAfterUnchecking) {
    COpenOptionsState state(true, 80);
    EXPECT_FALSE(RunDialog(state, true, {false, 0, 0, 0}).m_bShareWrite);
    EXPECT_TRUE(state.Current().m_bShareWrite);
}

TEST(OpenOptionsHandOver, LimitRestsUntilTheNextConfirmedDialog) {
    COpenOptionsState state;
    EXPECT_EQ(state.Current().m_nRecordLimit, 0u);
    RunDialog(state, true, {false, 0, 100, 1});
    RunDialog(state, false, {false, 0, 5, 0}); // cancelled: limit untouched
    EXPECT_EQ(state.Current().m_nRecordLimit, 100u);
    EXPECT_TRUE(state.Current().m_bLimitFromEnd);
    RunDialog(state, true, {false, 0, 0, 0}); // confirmed without limit
    EXPECT_EQ(state.Current().m_nRecordLimit, 0u);
    EXPECT_FALSE(state.Current().m_bLimitFromEnd);
}

TEST(OpenOptionsHandOver, LastFixedLengthFollowsTheLastDialog) {
    struct Case {
        const char* pszName;
        bool bOk;
        uint32_t nFixed;
        int nLast;
    } const cases[] = {
        {"confirmed with a length", true, 132, 132},
        {"confirmed with a capped length", true, 50000, 32768},
        {"confirmed without a length", true, 0, 0},
        {"cancelled with a length", false, 132, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.pszName);
        COpenOptionsState state(false, 80);
        EXPECT_EQ(state.LastFixRecSize(), 80);
        const OpenOptions used = RunDialog(state, c.bOk, {false, c.nFixed, 0, 0});
        if (c.bOk) {
            EXPECT_EQ(used.m_nFixRecSize, static_cast<uint32_t>(c.nLast));
        }
        EXPECT_EQ(state.LastFixRecSize(), c.nLast);
        EXPECT_EQ(state.Current().m_nFixRecSize, 0u);
    }
}

TEST(OpenOptionsHandOver, CancelWithFixedLengthStillRemembersIt) {
    test::CTempDir dir;
    CProfile profile(dir.File("t.ini"));
    CSettings settings(profile);
    COpenOptionsState state(false, settings.FixRecSize());
    state.BeforeDialog();
    const OpenDialogValues v = ReadOpenDialogValues(false, true, "200", false, "", 0, settings);
    state.AfterDialog(false, v);
    EXPECT_EQ(settings.FixRecSize(), 200);
    EXPECT_EQ(state.Current().m_nFixRecSize, 0u);
    CProfile reread(dir.File("t.ini"));
    EXPECT_EQ(CSettings(reread).FixRecSize(), 200);
}

} // namespace
} // namespace tervik
