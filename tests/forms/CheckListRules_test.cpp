#include "forms/CheckListRules.h"

#include <gtest/gtest.h>

TEST(CheckListRules, ListsRowsAndButtons) {
    const std::vector<std::wstring> two = {L"a", L"b"}, one = {L"x"};
    const std::vector<int> records1 = {1};
    EXPECT_TRUE(CheckListAcceptable<int>(&two, &two, nullptr));
    EXPECT_FALSE(CheckListAcceptable<int>(&two, &one, nullptr));
    EXPECT_FALSE(CheckListAcceptable(&two, &two, &records1));
    EXPECT_FALSE(CheckListAcceptable<int>(nullptr, &two, nullptr));
    EXPECT_EQ(CheckListDestination(L"s\td\tmore"), L"d");
    EXPECT_EQ(CheckListDestination(L"s"), L"");
    EXPECT_EQ(CheckListSource(L"s\td"), L"s");

    // selected of count; then top/up and down/last
    const std::tuple<int, int, bool, bool> cases[] = {{-1, 3, false, false}, {0, 3, false, true}, {1, 3, true, true},
                                                      {2, 3, true, false},   {0, 1, false, false},
                                                      {3, 3, false, false}};
    for (const auto& [selected, count, up, down] : cases) {
        const TCheckListButtons b = CheckListButtons(selected, count);
        EXPECT_TRUE(b.top == up && b.up == up && b.down == down && b.last == down) << selected << "/" << count;
    }
}

TEST(CheckListRules, OnlySourcesAndRecordsMove) {
    std::vector<std::wstring> sources = {L"a", L"b", L"c"};
    std::vector<int> records = {10, 11, 12};
    // The last file moved to the top takes the first numbered name.
    EXPECT_EQ(MoveSource(sources, &records, 2, TRowMove::rmTop), 0);
    EXPECT_EQ(CheckListRows(sources, {L"N0", L"N1", L"N2"}), (std::vector<std::wstring>{L"c\tN0", L"a\tN1", L"b\tN2"}));
    EXPECT_EQ(records, (std::vector<int>{12, 10, 11}));
    EXPECT_EQ(MoveSource(sources, &records, 0, TRowMove::rmUp), -1);
    EXPECT_EQ(MoveSource<int>(sources, nullptr, 1, TRowMove::rmBottom), 2);
    EXPECT_EQ(sources, (std::vector<std::wstring>{L"c", L"b", L"a"}));
}
