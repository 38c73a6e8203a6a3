#include "search/BookmarkDialogRules.h"

#include <gtest/gtest.h>

namespace tervik {
namespace {

TEST(BookmarkDialogRules, PresetPrefersMarkingThenHitThenTopLeft) {
    BookmarkSource s;
    s.m_nTopLine = 40;
    s.m_nLeftColumn = 2;
    s.m_nHitLine = 50;
    s.m_nHitColumn = 6;
    s.m_nHitLength = 3;
    s.m_nMarkLine = 60;
    s.m_nMarkColumn = 0;
    s.m_nMarkWidth = 9;
    struct Case {
        bool bMark, bHit;
        uint32_t nLine, nColumn, nLength;
        const char* name;
    } cases[] = {
        {false, false, 41, 3, 1, "Ln41Col3;app.log"},
        {false, true, 51, 7, 3, "Ln51Col7;app.log"},
        {true, true, 61, 1, 9, "Ln61Col1;app.log"},
    };
    for (const Case& c : cases) {
        s.m_bOneLineMarking = c.bMark;
        s.m_bHitShown = c.bHit;
        const BookmarkPreset p = MakeBookmarkPreset(s, "/var/log/x\\app.log");
        EXPECT_EQ(p.m_nLine, c.nLine);
        EXPECT_EQ(p.m_nColumn, c.nColumn);
        EXPECT_EQ(p.m_nLength, c.nLength);
        EXPECT_EQ(p.m_name, c.name);
    }
}

TEST(BookmarkDialogRules, ButtonsFollowNameAndSelection) {
    const std::vector<std::string> names{"Start", "Fehler"};
    struct Case {
        const char* name;
        int nSelected;            // -1: name rule only
        BookmarkButtons expected; // add, delete, change, goto
    } cases[] = {
        {"", -1, {false, false, false, false}},     {"neu", -1, {true, false, false, false}},
        {"start", -1, {false, false, true, false}}, // case-blind
        {"FEHLER", 1, {false, true, true, true}},   {"neu", 2, {true, true, false, false}},
        {"neu", 0, {true, false, false, false}},
    };
    for (const Case& c : cases) {
        BookmarkButtons b;
        ApplyNameRule(b, c.name, names);
        if (c.nSelected >= 0) ApplySelectionRule(b, c.nSelected);
        EXPECT_EQ(b.m_bAdd, c.expected.m_bAdd) << c.name << c.nSelected;
        EXPECT_EQ(b.m_bDelete, c.expected.m_bDelete) << c.name << c.nSelected;
        EXPECT_EQ(b.m_bChange, c.expected.m_bChange) << c.name << c.nSelected;
        EXPECT_EQ(b.m_bGoTo, c.expected.m_bGoTo) << c.name << c.nSelected;
    }
    EXPECT_EQ(LengthSpinRange(10, 4).m_nMax, 6u);
    EXPECT_EQ(LengthSpinRange(3, 4).m_nMax, 0u);
    EXPECT_EQ(ColumnSpinRange(0).m_nMax, 1u);
}

} // namespace
} // namespace tervik
