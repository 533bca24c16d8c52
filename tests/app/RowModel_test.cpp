#include "app/RowModel.h"

#include <gtest/gtest.h>

#include <random>

namespace {

int Compare(std::wstring_view a, std::wstring_view b) { return a.compare(b) < 0 ? -1 : a.compare(b) > 0 ? 1 : 0; }

// The list's quicksort as it reads, comparing the rows' fields afresh at every step.
void ReferenceSort(std::vector<TRow>& rows, size_t column, bool descending, int lo, int hi) {
    do {
        const std::wstring pivot(RowField(rows[static_cast<size_t>((lo + hi) / 2)].text, column));
        auto cmp = [&](int at) {
            const int c = Compare(RowField(rows[static_cast<size_t>(at)].text, column), pivot);
            return descending ? -c : c;
        };
        int i = lo, j = hi;
        do {
            while (cmp(i) < 0) ++i;
            while (cmp(j) > 0) --j;
            if (i <= j) std::swap(rows[static_cast<size_t>(i++)], rows[static_cast<size_t>(j--)]);
        } while (i <= j);
        if (lo < j) ReferenceSort(rows, column, descending, lo, j);
        lo = i;
    } while (lo < hi);
}

std::vector<TRow> RandomRows(std::mt19937& rng, size_t n) {
    // Few distinct values, so that equal keys are common and their final order shows every exchange.
    std::uniform_int_distribution<int> pick(0, 5);
    const wchar_t* names[] = {L"a.jpg", L"B.jpg", L"b.jpg", L"c", L"a.jpg", L"zz"};
    std::vector<TRow> rows;
    for (size_t i = 0; i < n; ++i) {
        const std::wstring row = std::wstring(names[pick(rng)]) + L'\t' + RowSizeText(static_cast<uint64_t>(pick(rng)) * 997) +
                                 L"\t24/01/0" + std::to_wstring(pick(rng)) + L"\t  -\t  -\tC:\\\t";
        rows.push_back({row, static_cast<int32_t>(i)});
    }
    return rows;
}

}  // namespace

TEST(RowModel, KeyedSortMakesTheQuicksortsOrder) {
    std::mt19937 rng(7);
    for (size_t n : {2u, 3u, 10u, 57u, 400u}) {
        for (size_t column : {0u, 1u, 2u}) {
            for (bool descending : {false, true}) {
                SCOPED_TRACE(testing::Message() << n << " rows, column " << column << (descending ? " down" : " up"));
                std::vector<TRow> want = RandomRows(rng, n);
                std::vector<TRow> got = want;
                ReferenceSort(want, column, descending, 0, static_cast<int>(n) - 1);
                int keysMade = 0;
                SortRows(
                    got, column, descending,
                    [&](std::wstring_view field) {
                        ++keysMade;
                        return std::wstring(field);
                    },
                    [](const std::wstring& a, const std::wstring& b) { return Compare(a, b); });
                EXPECT_EQ(keysMade, static_cast<int>(n));
                for (size_t i = 0; i < n; ++i) {
                    ASSERT_EQ(got[i].text, want[i].text) << i;
                    ASSERT_EQ(got[i].entry, want[i].entry) << i;  // equal rows end where the exchanges put them
                }
            }
        }
    }
}

TEST(RowModel, SizesSortAsTheirText) {
    std::vector<TRow> rows;
    for (uint64_t size : {1000u, 9u, 20u}) rows.push_back({L"f\t" + RowSizeText(size) + L"\t\t\t\t\t", -1});
    SortRows(rows, 1, false, [](std::wstring_view f) { return std::wstring(f); },
             [](const std::wstring& a, const std::wstring& b) { return a.compare(b); });
    EXPECT_EQ(RowField(rows[0].text, 1), RowSizeText(9));
    EXPECT_EQ(RowField(rows[2].text, 1), RowSizeText(1000));
}

TEST(RowModel, HeaderClicks) {
    int last = 0;
    auto click = [&](int section) {
        const TSortRequest r = HeaderClick(last, section);
        last = r.lastSortColumn;
        return std::make_pair(r.column, r.descending);
    };
    EXPECT_EQ(click(0), std::make_pair(0, true));  // the first click on the file name sorts descending
    EXPECT_EQ(click(0), std::make_pair(0, false));
    EXPECT_EQ(click(1), std::make_pair(1, false));
    EXPECT_EQ(click(1), std::make_pair(1, true));
    EXPECT_EQ(last, 7);
    EXPECT_EQ(click(1), std::make_pair(1, false));
    EXPECT_EQ(click(5), std::make_pair(5, false));
}

TEST(RowModel, MoveItems) {
    struct Case {
        int focused;
        TRowMove move;
        int selected;
        const char* order;
    };
    const Case cases[] = {
        {2, TRowMove::rmTop, 0, "cabd"},    {2, TRowMove::rmUp, 1, "acbd"},  {1, TRowMove::rmDown, 2, "acbd"},
        {1, TRowMove::rmBottom, 3, "acdb"}, {0, TRowMove::rmTop, -1, "abcd"}, {0, TRowMove::rmUp, -1, "abcd"},
        {3, TRowMove::rmDown, -1, "abcd"},  {3, TRowMove::rmBottom, -1, "abcd"}, {-1, TRowMove::rmDown, -1, "abcd"},
        {4, TRowMove::rmUp, -1, "abcd"},
    };
    for (const auto& c : cases) {
        std::vector<char> items = {'a', 'b', 'c', 'd'};
        EXPECT_EQ(MoveItem(items, c.focused, c.move), c.selected) << c.focused << " " << static_cast<int>(c.move);
        EXPECT_EQ(std::string(items.begin(), items.end()), c.order);
    }
}

TEST(RowModel, CommandStates) {
    struct Case {
        int s, n, r;
        bool archive;
        bool selection, archiveSave, selectAll, up, down;
    };
    const Case cases[] = {
        {0, 0, -1, true, false, false, false, false, false},
        {0, 3, 0, true, false, false, true, false, false},
        {1, 3, 0, true, true, true, true, false, true},   // first row: no moving up
        {1, 3, 2, false, true, false, true, true, false},  // folder mode: no saving in the stored form
        {1, 3, 1, true, true, true, true, true, true},
        {2, 3, 1, true, true, true, true, false, false},  // two selected: no moving
        {1, 3, -1, true, true, true, true, false, false}, // no focused row
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.s << "/" << c.n << " focused " << c.r);
        const TCommandStates st = CommandStates(c.s, c.n, c.r, c.archive);
        EXPECT_EQ(st.selection, c.selection);
        EXPECT_EQ(st.archiveSave, c.archiveSave);
        EXPECT_EQ(st.selectAll, c.selectAll);
        EXPECT_EQ(st.moveUp, c.up);
        EXPECT_EQ(st.moveDown, c.down);
    }
    EXPECT_FALSE(SelectAllChangesSelection(0, 0));
    EXPECT_TRUE(SelectAllChangesSelection(1, 2));
    EXPECT_FALSE(SelectAllChangesSelection(2, 2));
    EXPECT_EQ(SelectedFilesText(3), L"3個のファイルを選択");
}

TEST(RowModel, RowsGoWithTheirMembers) {
    auto entry = [](const wchar_t* name) {
        TArchiveEntry e;
        e.fileName = name;
        return e;
    };
    TRowModel model;
    model.SetEntries({entry(L"a.JPG"), entry(L"readme"), entry(L"b.png")});
    int steps = 0;
    model.FillArchiveRows({L"*.jpg", L"*.png"}, 0, [&] { ++steps; });
    EXPECT_EQ(steps, 3);
    ASSERT_EQ(model.RowCount(), 2u);
    EXPECT_EQ(model.EntryOf(1)->fileName, L"b.png");
    model.Sort(0, true, [](std::wstring_view f) { return std::wstring(f); },
               [](const std::wstring& a, const std::wstring& b) { return a.compare(b); });
    EXPECT_EQ(model.EntryOf(0)->fileName, L"b.png");  // the member moves with its row
    EXPECT_EQ(model.Move(1, TRowMove::rmTop), 0);
    EXPECT_EQ(model.EntryOf(0)->fileName, L"a.JPG");
    model.FillArchiveRows({}, 0);
    EXPECT_EQ(model.RowCount(), 3u);

    model.SetEntries({});  // a failed open: the old members are gone, and so are their rows
    EXPECT_EQ(model.RowCount(), 0u);
    EXPECT_EQ(model.EntryOf(0), nullptr);
    model.AddFolderRow(FolderRowText(L"p.png", 1, {2024, 1, 2}, L"C:\\pics\\"));
    EXPECT_EQ(model.EntryOf(0), nullptr);
    EXPECT_EQ(FolderRowPath(model.Rows()[0].text), L"C:\\pics\\p.png");
    EXPECT_EQ(model.EntryOf(-1), nullptr);
}
