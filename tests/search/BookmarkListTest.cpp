#include "search/BookmarkList.h"

#include <gtest/gtest.h>

namespace tervik {
namespace {

// Documents are only compared by address here.
CTervikDoc* Doc(int n) {
    return reinterpret_cast<CTervikDoc*>(static_cast<uintptr_t>(n * 16));
}

TEST(BookmarkList, IdsCountUpAndRemovalFollowsIdsAndDocuments) {
    CBookmarkList list;
    const uint32_t a = list.Add(Doc(1), 7, "a", 3, 0, 1);
    const uint32_t b = list.Add(Doc(2), 0, "b", 3, 0, 1);
    const uint32_t c = list.Add(Doc(1), 7, "c", 3, 4, 2);
    EXPECT_EQ(a, 1u);
    EXPECT_EQ(b, 2u);
    EXPECT_EQ(c, 3u);
    EXPECT_EQ(list.Add(Doc(1), 0, std::string(300, 'x'), 0, 0, 0), 4u);
    EXPECT_EQ(list.Find(4)->m_name.size(), Bookmark::kMaxName);

    EXPECT_EQ(list.CountOnLine(Doc(1), 3), 2u);
    EXPECT_EQ(list.OnLine(Doc(1), 3, 1)->m_nId, c); // list order
    EXPECT_EQ(list.OnLine(Doc(1), 3, 2), nullptr);
    EXPECT_EQ(list.CountOnLine(Doc(2), 4), 0u);

    EXPECT_FALSE(list.Remove(99));
    EXPECT_TRUE(list.Remove(b));
    EXPECT_FALSE(list.Remove(b));
    EXPECT_EQ(list.RemoveOf(Doc(1)), 3u);
    EXPECT_EQ(list.Size(), 0u);
    // Ids are never reused.
    EXPECT_EQ(list.Add(Doc(1), 0, "d", 0, 0, 0), 5u);
}

TEST(BookmarkList, OnlyOneIsActiveAndOtherDocumentsAreReported) {
    CBookmarkList list;
    const uint32_t a = list.Add(Doc(1), 0, "a", 0, 0, 1);
    const uint32_t b = list.Add(Doc(2), 0, "b", 0, 0, 1, Bookmark::kActive);
    const uint32_t c = list.Add(Doc(1), 0, "c", 0, 0, 1, Bookmark::kActive);
    EXPECT_EQ(list.Activate(a), std::vector<CTervikDoc*>{Doc(2)});
    EXPECT_TRUE(list.Find(a)->IsActive());
    EXPECT_FALSE(list.Find(b)->IsActive());
    EXPECT_FALSE(list.Find(c)->IsActive());
    EXPECT_EQ(list.ActiveOf(Doc(1))->m_nId, a);
    EXPECT_EQ(list.ActiveOf(Doc(2)), nullptr);
    EXPECT_TRUE(list.Activate(c).empty()); // same document: nothing else to repaint
    EXPECT_TRUE(list.Activate(42).empty());
    EXPECT_TRUE(list.Find(c)->IsActive());
}

TEST(BookmarkList, NextAndPreviousByLineThenColumnWithoutWrap) {
    // Document 1, in list order: ids 1..5; document 2 interleaved.
    CBookmarkList list;
    list.Add(Doc(1), 0, "L10C5", 10, 5, 1);  // 1
    list.Add(Doc(1), 0, "L2", 2, 0, 1);      // 2
    list.Add(Doc(2), 0, "other", 5, 0, 1);   // 3
    list.Add(Doc(1), 0, "L10C1", 10, 1, 1);  // 4
    list.Add(Doc(1), 0, "L10C5b", 10, 5, 1); // 5, same place as 1
    list.Add(Doc(1), 0, "L20", 20, 0, 1);    // 6
    struct Case {
        uint32_t nActive; // 0 = none active
        uint32_t nTop;
        bool bForward;
        uint32_t nExpected; // 0 = none (beep)
    } cases[] = {
        {0, 0, true, 2},   {0, 2, true, 2},   {0, 3, true, 4},
        {0, 11, true, 6},  {0, 21, true, 0},  {0, 0, false, 0},
        {0, 2, false, 0},  {0, 10, false, 2}, {0, 30, false, 6},
        {2, 0, true, 4},   {4, 0, true, 1},   {1, 0, true, 5},
        {5, 0, true, 6},   {6, 0, true, 0},   {6, 0, false, 5},
        {5, 0, false, 1},  {1, 0, false, 4},  {4, 50, false, 2},
        {2, 50, false, 0}, {3, 50, false, 6}, // the active one of another document does not count
    };
    for (const Case& c : cases) {
        if (c.nActive)
            list.Activate(c.nActive);
        else
            for (const Bookmark& b : list.All())
                list.Find(b.m_nId)->m_nFlags = 0;
        const Bookmark* p = c.bForward ? list.Next(Doc(1), c.nTop) : list.Previous(Doc(1), c.nTop);
        EXPECT_EQ(p ? p->m_nId : 0u, c.nExpected)
            << "active " << c.nActive << " top " << c.nTop << (c.bForward ? " next" : " prev");
    }
    EXPECT_EQ(list.Next(Doc(3), 0), nullptr);
}

} // namespace
} // namespace tervik
