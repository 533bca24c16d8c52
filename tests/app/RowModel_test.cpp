#include "app/RowModel.h"

#include <gtest/gtest.h>

#include <random>

namespace {

int Compare(std::wstring_view a, std::wstring_view b) { return a.compare(b) < 0 ? -1 : a.compare(b) > 0 ? 1 : 0; }
std::wstring Key(std::wstring_view field) { return std::wstring(field); }
int CompareKeys(const std::wstring& a, const std::wstring& b) { return Compare(a, b); }

// The list's quicksort as it reads, comparing the rows' fields afresh at every step.
void ReferenceSort(std::vector<TRow>& rows, size_t column, bool descending, int lo, int hi) {
    do {
        const std::wstring pivot(RowField(rows[static_cast<size_t>((lo + hi) / 2)].text, column));
        auto cmp = [&](int at) {
            return (descending ? -1 : 1) * Compare(RowField(rows[static_cast<size_t>(at)].text, column), pivot);
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

}  // namespace

TEST(RowModel, KeyedSortMakesTheQuicksortsOrder) {
    // Few distinct values, so that equal keys are common and their final order shows every exchange.
    std::mt19937 rng(7);
    std::uniform_int_distribution<int> pick(0, 5);
    const wchar_t* names[] = {L"a.jpg", L"B.jpg", L"b.jpg", L"c", L"a.jpg", L"zz"};
    for (int n : {2, 3, 10, 57, 400}) {
        std::vector<TRow> rows;
        for (int i = 0; i < n; ++i)
            rows.push_back({std::wstring(names[pick(rng)]) + L'\t' + RowSizeText(pick(rng) * 997u) + L"\t24/01/0" +
                                std::to_wstring(pick(rng)) + L"\t  -\t  -\tC:\\\t",
                            i});
        for (size_t column : {0u, 1u, 2u}) {
            for (bool descending : {false, true}) {
                SCOPED_TRACE(testing::Message() << n << " rows, column " << column << (descending ? " down" : " up"));
                std::vector<TRow> want = rows, got = rows;
                ReferenceSort(want, column, descending, 0, n - 1);
                int keysMade = 0;
                SortRows(got, column, descending, [&](std::wstring_view f) { return ++keysMade, Key(f); }, CompareKeys);
                EXPECT_EQ(keysMade, n);
                for (size_t i = 0; i < rows.size(); ++i) {
                    ASSERT_EQ(got[i].text, want[i].text) << i;
                    ASSERT_EQ(got[i].entry, want[i].entry) << i;  // equal rows end where the exchanges put them
                }
            }
        }
    }
}

TEST(RowModel, HeaderClicks) {
    // Sections clicked in turn and whether each sorts descending; the first click on the file name does.
    int last = 0;
    for (const auto& [section, descending] :
         {std::pair{0, true}, {0, false}, {1, false}, {1, true}, {1, false}, {5, false}}) {
        const TSortRequest r = HeaderClick(last, section);
        EXPECT_TRUE(r.column == section && r.descending == descending) << section;
        last = r.lastSortColumn;
    }
}

TEST(RowModel, MoveItems) {
    struct Case { int focused; TRowMove move; int selected; const char* order; };
    const Case cases[] = {
        {2, TRowMove::rmTop, 0, "cabd"},       {2, TRowMove::rmUp, 1, "acbd"},     {1, TRowMove::rmDown, 2, "acbd"},
        {1, TRowMove::rmBottom, 3, "acdb"},    {0, TRowMove::rmTop, -1, "abcd"},   {0, TRowMove::rmUp, -1, "abcd"},
        {3, TRowMove::rmDown, -1, "abcd"},     {3, TRowMove::rmBottom, -1, "abcd"}, {-1, TRowMove::rmDown, -1, "abcd"},
        {4, TRowMove::rmUp, -1, "abcd"},
    };
    for (const auto& c : cases) {
        std::vector<char> items = {'a', 'b', 'c', 'd'};
        EXPECT_EQ(MoveItem(items, c.focused, c.move), c.selected) << c.focused << " " << static_cast<int>(c.move);
        EXPECT_EQ(std::string(items.begin(), items.end()), c.order);
    }
}

TEST(RowModel, CommandStates) {
    // s selected of n rows, focused r, archive mode; then the five states as 0/1 digits:
    // selection, archive save, select all, move up, move down.
    struct Case { int s, n, r; bool archive; const char* want; };
    const Case cases[] = {{0, 0, -1, true, "00000"}, {0, 3, 0, true, "00100"},  {1, 3, 0, true, "11101"},
                          {1, 3, 2, false, "10110"}, {1, 3, 1, true, "11111"},  {2, 3, 1, true, "11100"},
                          {1, 3, -1, true, "11100"}};
    for (const auto& c : cases) {
        const TCommandStates st = CommandStates(c.s, c.n, c.r, c.archive);
        const std::string got = {"01"[st.selection], "01"[st.archiveSave], "01"[st.selectAll], "01"[st.moveUp],
                                 "01"[st.moveDown]};
        EXPECT_EQ(got, c.want) << c.s << "/" << c.n << " focused " << c.r;
    }
    // 150 pixels at 16 / 2 = 8 per byte hold 18 bytes (nine Japanese characters), not 19.
    EXPECT_TRUE(FieldFitsSection(18, 150, -16));
    EXPECT_FALSE(FieldFitsSection(19, 150, 16));
    EXPECT_TRUE(SelectAllChangesSelection(1, 2));
    EXPECT_FALSE(SelectAllChangesSelection(2, 2) || SelectAllChangesSelection(0, 0));
}

TEST(RowModel, RowsGoWithTheirMembers) {
    std::vector<TArchiveEntry> entries(3);
    entries[0].fileName = L"a.JPG";
    entries[1].fileName = L"readme";
    entries[2].fileName = L"b.png";
    TRowModel model;
    model.SetEntries(entries);
    int steps = 0;
    model.FillArchiveRows({L"*.jpg", L"*.png"}, 0, [&] { ++steps; });
    EXPECT_EQ(steps, 3);
    ASSERT_EQ(model.RowCount(), 2u);
    model.Sort(0, true, Key, CompareKeys);
    EXPECT_EQ(model.EntryOf(0)->fileName, L"b.png");  // the member moves with its row
    EXPECT_EQ(model.Move(1, TRowMove::rmTop), 0);
    EXPECT_EQ(model.EntryOf(0)->fileName, L"a.JPG");
    model.SetEntries({});  // a failed open: the old members are gone, and so are their rows
    EXPECT_EQ(model.RowCount(), 0u);
    EXPECT_EQ(model.EntryOf(0), nullptr);
}
