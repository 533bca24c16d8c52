#include "shell/TabStops.h"

#include <gtest/gtest.h>

#include "toolkit/Exceptions.h"

TEST(TabStops, ConversionEditsErrorsAndWhatIsHandedOn) {
    using TChange = void (*)(TTabStops&);
    struct Case {
        const char* name;
        int baseUnit;
        TChange change;
        std::vector<int32_t> units;
        std::vector<std::wstring> texts;
        std::wstring error;  // class and message
        int handedOn;        // OnChange calls
    };
    const Case cases[] = {
        // 100 px × 4 / 7 = 57.14 -> 57 units; 57 × 7 / 4 = 99.75 -> 100 px.
        {"pixels to units and back, rounded", 7, [](TTabStops& t) { t.Add(L"100"); t.Add(L"33"); t.Add(L"0"); },
         {57, 19, 0}, {L"100", L"33", L"0"}, L"", 3},
        {"half rounds away from zero", 8, [](TTabStops& t) { t.Add(L"3"); t.Add(L"-3"); }, {2, -2}, {L"4", L"-4"}, L"", 2},
        {"insert at both ends, delete", 4,
         [](TTabStops& t) { t.Add(L"20"); t.Insert(0, L"10"); t.Insert(2, L"30"); t.Delete(1); }, {10, 30}, {L"10", L"30"},
         L"", 4},
        {"abc leaves the stops unchanged", 4, [](TTabStops& t) { t.Add(L"10"); t.Add(L"abc"); }, {10}, {L"10"},
         L"EListError: Tabの設定値が範囲外です", 1},
        {"not quite an integer", 4, [](TTabStops& t) { t.Add(L"+12 "); }, {}, {}, L"EListError: Tabの設定値が範囲外です", 0},
        {"beyond 32 bits", 4, [](TTabStops& t) { t.Add(L"2147483648"); }, {}, {}, L"EListError: Tabの設定値が範囲外です", 0},
        {"assign is all or nothing", 4, [](TTabStops& t) { t.Add(L"5"); t.Assign({L"1", L"x"}); }, {5}, {L"5"},
         L"EListError: Tabの設定値が範囲外です", 1},
        {"insert past the end", 4, [](TTabStops& t) { t.Add(L"5"); t.Insert(2, L"6"); }, {5}, {L"5"},
         L"EListError: Indexが範囲外です", 1},
        {"delete at count", 4, [](TTabStops& t) { t.Add(L"5"); t.Delete(1); }, {5}, {L"5"}, L"EListError: Indexが範囲外です", 1},
        {"negative array index", 4, [](TTabStops& t) { t.Add(L"5"); t.Unit(-1); }, {5}, {L"5"},
         L"ERangeError: インデックスが０以下です", 1},
        {"array index past the end", 4, [](TTabStops& t) { t.Unit(0); }, {}, {}, L"ERangeError: Indexが範囲外です", 0},
        {"suspended updates hand on once, at the end", 4,
         [](TTabStops& t) { t.BeginUpdate(); t.Add(L"8"); t.BeginUpdate(); t.Add(L"9"); t.EndUpdate(); t.EndUpdate(); },
         {8, 9}, {L"8", L"9"}, L"", 1},
        {"clear", 4, [](TTabStops& t) { t.Add(L"5"); t.Clear(); }, {}, {}, L"", 2},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TTabStops stops(c.baseUnit);
        int handedOn = 0;
        stops.OnChange = [&] { ++handedOn; };
        std::wstring error;
        try {
            c.change(stops);
        } catch (const EListError& e) {
            error = L"EListError: " + e.Message();
        } catch (const ERangeError& e) {
            error = L"ERangeError: " + e.Message();
        }
        EXPECT_EQ(error, c.error);
        EXPECT_EQ(stops.Units(), c.units);
        EXPECT_EQ(stops.Texts(), c.texts);
        EXPECT_EQ(handedOn, c.handedOn);
        EXPECT_EQ(stops.Get(-1), L"-1");
        EXPECT_EQ(stops.Get(stops.Count()), L"-1");
    }
}
