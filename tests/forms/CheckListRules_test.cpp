#include "forms/CheckListRules.h"

#include <gtest/gtest.h>

TEST(CheckListRules, AcceptedLists) {
    using V = std::vector<std::wstring>;
    const V two = {L"a", L"b"}, one = {L"x"};
    const std::vector<int> records2 = {1, 2}, records1 = {1};
    EXPECT_TRUE(CheckListAcceptable<int>(&two, &two, nullptr));
    EXPECT_TRUE(CheckListAcceptable(&two, &two, &records2));
    EXPECT_FALSE(CheckListAcceptable<int>(&two, &one, nullptr));
    EXPECT_FALSE(CheckListAcceptable(&two, &two, &records1));
    EXPECT_FALSE(CheckListAcceptable<int>(nullptr, &two, nullptr));
    EXPECT_FALSE(CheckListAcceptable<int>(&two, nullptr, nullptr));
}

TEST(CheckListRules, RowsAndButtons) {
    const auto rows = CheckListRows({L"C:\\a.png"}, {L"D:\\ABCD0000.BMP"});
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(CheckListSource(rows[0]), L"C:\\a.png");
    EXPECT_EQ(CheckListDestination(rows[0]), L"D:\\ABCD0000.BMP");
    EXPECT_EQ(CheckListDestination(L"s\td\tmore"), L"d");
    EXPECT_EQ(CheckListDestination(L"s"), L"");

    struct Case {
        int selected, count;
        bool top, down;
    };
    const Case cases[] = {{-1, 3, false, false}, {0, 3, false, true}, {1, 3, true, true},
                          {2, 3, true, false},   {0, 1, false, false}, {3, 3, false, false}};
    for (const auto& c : cases) {
        const TCheckListButtons b = CheckListButtons(c.selected, c.count);
        EXPECT_EQ(b.top, c.top) << c.selected;
        EXPECT_EQ(b.up, c.top) << c.selected;
        EXPECT_EQ(b.down, c.down) << c.selected;
        EXPECT_EQ(b.last, c.down) << c.selected;
    }
    EXPECT_EQ(SecondSectionWidth(580, 200), 380);
}

TEST(CheckListRules, OnlySourcesAndRecordsMove) {
    std::vector<std::wstring> sources = {L"a", L"b", L"c"};
    const std::vector<std::wstring> destinations = {L"N0", L"N1", L"N2"};
    std::vector<int> records = {10, 11, 12};
    // The last file moved to the top takes the first numbered name.
    EXPECT_EQ(MoveSource(sources, &records, 2, TRowMove::rmTop), 0);
    EXPECT_EQ(CheckListRows(sources, destinations), (std::vector<std::wstring>{L"c\tN0", L"a\tN1", L"b\tN2"}));
    EXPECT_EQ(records, (std::vector<int>{12, 10, 11}));
    EXPECT_EQ(MoveSource(sources, &records, 0, TRowMove::rmUp), -1);
    EXPECT_EQ(MoveSource<int>(sources, nullptr, 1, TRowMove::rmBottom), 2);
    EXPECT_EQ(sources, (std::vector<std::wstring>{L"c", L"b", L"a"}));
}
