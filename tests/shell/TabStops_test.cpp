#include "shell/TabStops.h"

#include <gtest/gtest.h>

#include <functional>

#include "toolkit/Exceptions.h"

namespace {

// The exception's class and message, or "" when nothing was raised.
std::wstring Raised(const std::function<void()>& action) {
    try {
        action();
    } catch (const EListError& e) {
        return L"EListError: " + e.Message();
    } catch (const ERangeError& e) {
        return L"ERangeError: " + e.Message();
    }
    return L"";
}

}  // namespace

TEST(TabStops, ConversionEditsAndErrors) {
    struct Case {
        const char* name;
        int baseUnit;
        std::function<void(TTabStops&)> change;
        std::vector<int32_t> units;
        std::vector<std::wstring> texts;
        std::wstring error;
    };
    const Case cases[] = {
        // 100 px × 4 / 7 = 57.14 -> 57 units; 57 × 7 / 4 = 99.75 -> 100 px.
        {"pixels to units and back, rounded", 7, [](TTabStops& t) { t.Add(L"100"); t.Add(L"33"); t.Add(L"0"); },
         {57, 19, 0}, {L"100", L"33", L"0"}, L""},
        {"half rounds away from zero", 8, [](TTabStops& t) { t.Add(L"3"); t.Add(L"-3"); }, {2, -2}, {L"4", L"-4"}, L""},
        {"a signed and a large value", 8, [](TTabStops& t) { t.Add(L"+10"); t.Add(L"1000000000"); },
         {5, 500000000}, {L"10", L"1000000000"}, L""},
        {"insert at both ends", 4, [](TTabStops& t) { t.Add(L"20"); t.Insert(0, L"10"); t.Insert(2, L"30"); },
         {10, 20, 30}, {L"10", L"20", L"30"}, L""},
        {"delete", 4, [](TTabStops& t) { t.Assign({L"1", L"2", L"3"}); t.Delete(1); }, {1, 3}, {L"1", L"3"}, L""},
        {"abc leaves the stops unchanged", 4, [](TTabStops& t) { t.Add(L"10"); t.Add(L"abc"); }, {10}, {L"10"},
         L"EListError: Tabの設定値が範囲外です"},
        {"not quite an integer", 4, [](TTabStops& t) { t.Add(L"12 "); }, {}, {}, L"EListError: Tabの設定値が範囲外です"},
        {"empty text", 4, [](TTabStops& t) { t.Add(L""); }, {}, {}, L"EListError: Tabの設定値が範囲外です"},
        {"beyond 32 bits", 4, [](TTabStops& t) { t.Add(L"2147483648"); }, {}, {}, L"EListError: Tabの設定値が範囲外です"},
        {"assign is all or nothing", 4, [](TTabStops& t) { t.Add(L"5"); t.Assign({L"1", L"x"}); }, {5}, {L"5"},
         L"EListError: Tabの設定値が範囲外です"},
        {"insert past the end", 4, [](TTabStops& t) { t.Add(L"5"); t.Insert(2, L"6"); }, {5}, {L"5"},
         L"EListError: Indexが範囲外です"},
        {"insert before the start", 4, [](TTabStops& t) { t.Insert(-1, L"6"); }, {}, {}, L"EListError: Indexが範囲外です"},
        {"delete at count", 4, [](TTabStops& t) { t.Add(L"5"); t.Delete(1); }, {5}, {L"5"}, L"EListError: Indexが範囲外です"},
        {"negative array index", 4, [](TTabStops& t) { t.Add(L"5"); t.Unit(-1); }, {5}, {L"5"},
         L"ERangeError: インデックスが０以下です"},
        {"array index past the end", 4, [](TTabStops& t) { t.Unit(0); }, {}, {}, L"ERangeError: Indexが範囲外です"},
        {"clear", 4, [](TTabStops& t) { t.Add(L"5"); t.Clear(); }, {}, {}, L""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TTabStops stops(c.baseUnit);
        EXPECT_EQ(Raised([&] { c.change(stops); }), c.error);
        EXPECT_EQ(stops.Units(), c.units);
        EXPECT_EQ(stops.Texts(), c.texts);
        EXPECT_EQ(stops.Get(-1), L"-1");
        EXPECT_EQ(stops.Get(stops.Count()), L"-1");
    }
}

TEST(TabStops, EveryChangeIsHandedOnUnlessUpdatesAreSuspended) {
    TTabStops stops(4);
    std::vector<std::vector<int32_t>> handed;
    stops.OnChange = [&] { handed.push_back(stops.Units()); };
    stops.Add(L"4");
    EXPECT_THROW(stops.Add(L"x"), EListError);
    stops.BeginUpdate();
    stops.Add(L"8");
    stops.BeginUpdate();
    stops.Delete(0);
    stops.EndUpdate();
    EXPECT_EQ(handed.size(), 1u) << "nothing while suspended, nor for a rejected value";
    stops.EndUpdate();
    stops.Clear();
    EXPECT_EQ(handed, (std::vector<std::vector<int32_t>>{{4}, {8}, {}}));
}
