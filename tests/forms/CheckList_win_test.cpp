// The check list dialog driven by real messages while its modal loop runs: clicks on rows and on
// the move buttons, "続行", and the system menu's close; colours read back from the screen.
#include <windows.h>

#include <gtest/gtest.h>

#include <functional>

#include "common/TempDir.h"
#include "common/WindowTest_win.h"
#include "forms/CheckList_win.h"
#include "resources/ResourceIds.h"
#include "toolkit/Application_win.h"

namespace {

using TNames = std::vector<std::wstring>;

// Pixels of a colour family in part of a window's client area: red or blue text (any strength of
// anti-aliasing), or the plain white of the list.
struct TColourCount {
    int red = 0;
    int blue = 0;
};
TColourCount CountColours(HWND hwnd, const RECT& r) {
    TColourCount count;
    HDC dc = GetDC(hwnd);
    for (int y = r.top; y < r.bottom; ++y)
        for (int x = r.left; x < r.right; ++x) {
            const COLORREF c = GetPixel(dc, x, y);
            const int red = GetRValue(c), green = GetGValue(c), blue = GetBValue(c);
            if (red > 160 && green < 110 && blue < 110) ++count.red;
            if (blue > 160 && red < 110 && green < 110) ++count.blue;
        }
    ReleaseDC(hwnd, dc);
    return count;
}

class CheckListTest : public ::testing::Test {
protected:
    void SetUp() override { Application().Initialize(); }

    HWND Button(int id) { return FindDescendant(dialog.Handle(), id); }
    bool Enabled(int id) { return IsWindowEnabled(Button(id)) != FALSE; }
    // The enabled state of top, up, down, last as "1100".
    std::string MoveButtons() {
        std::string states;
        for (int id : {IDC_CHECKLIST_TOP, IDC_CHECKLIST_UP, IDC_CHECKLIST_DOWN, IDC_CHECKLIST_LAST})
            states += Enabled(id) ? '1' : '0';
        return states;
    }
    void ClickRow(int row) { PostClick(dialog.CheckListBox().Handle(), 30, row * 16 + 8); }
    RECT RowRect(int row, bool destination) {
        const int split = dialog.HeaderControl1().SectionWidth(0);
        const RECT client = dialog.CheckListBox().ClientRect();
        return destination ? RECT{split, row * 16, client.right, row * 16 + 16} : RECT{0, row * 16, split, row * 16 + 16};
    }

    TTempDir folder;
    TCheckListDlg dialog;
};

TEST_F(CheckListTest, RefusesListsThatDoNotMatchWithoutShowing) {
    TNames two{L"a", L"b"}, one{L"x"};
    std::vector<TArchiveEntry> oneRecord(1);
    struct TCase {
        TNames* sources;
        TNames* destinations;
        std::vector<TArchiveEntry>* records;
    };
    const TCase cases[] = {{&two, &one, nullptr}, {nullptr, &one, nullptr}, {&one, nullptr, nullptr}, {&two, &two, &oneRecord}};
    for (const TCase& c : cases) {
        TModalSteps close({[&] { dialog.Close(); }});  // would end a dialog that was shown
        EXPECT_FALSE(dialog.Confirm(c.sources, c.destinations, true, true, c.records));
        EXPECT_EQ(close.Run(), 0u) << "returned at once";
        EXPECT_FALSE(dialog.Visible());
    }
}

TEST_F(CheckListTest, MovingTheLastRowToTheTopGivesItTheFirstName) {
    WriteFileText(folder / L"N1.vvi", "there");
    TNames sources{L"C:\\pics\\first.vvi", L"C:\\pics\\second.vvi", L"C:\\pics\\third.vvi"};
    const TNames destinations{folder / L"N0.vvi", folder / L"N1.vvi", folder / L"N2.vvi"};
    std::vector<TArchiveEntry> records(3);
    for (size_t i = 0; i < 3; ++i) records[i].fileName = sources[i];
    std::string atStart, afterClick, afterTop;
    TColourCount source0, destination0, destination1;
    std::wstring tip;
    TModalSteps steps({
        [&] {
            atStart = MoveButtons();
            UpdateWindow(dialog.Handle());
            source0 = CountColours(dialog.CheckListBox().Handle(), RowRect(0, false));
            destination0 = CountColours(dialog.CheckListBox().Handle(), RowRect(0, true));
            destination1 = CountColours(dialog.CheckListBox().Handle(), RowRect(1, true));
            tip = dialog.Hints().TipText(Button(IDC_CHECKLIST_TOP));
            ClickRow(2);
        },
        [&] {
            afterClick = MoveButtons();
            UpdateWindow(dialog.Handle());
            SaveWindowPng(dialog.Handle(), L"check_list");
            PostClick(Button(IDC_CHECKLIST_TOP), 5, 5);
        },
        [&] {
            afterTop = MoveButtons();
            PostMessageW(Button(IDC_CHECKLIST_OK), BM_CLICK, 0, 0);
        },
    });
    EXPECT_TRUE(dialog.Confirm(&sources, &destinations, true, true, &records));
    EXPECT_EQ(steps.Run(), 3u);

    EXPECT_EQ(atStart, "0000") << "nothing selected";
    EXPECT_EQ(afterClick, "1100") << "the last row";
    EXPECT_EQ(afterTop, "0011") << "the moved row, now first, stays selected";
    EXPECT_EQ(tip, L"リストの一番上に移動します。");
    EXPECT_GT(source0.red, 10) << "sources to be deleted are red";
    EXPECT_EQ(destination0.blue, 0);
    EXPECT_GT(destination1.blue, 10) << "an existing destination is blue";
    EXPECT_EQ(sources, (TNames{L"C:\\pics\\third.vvi", L"C:\\pics\\first.vvi", L"C:\\pics\\second.vvi"}));
    for (size_t i = 0; i < 3; ++i) EXPECT_EQ(records[i].fileName, sources[i]);
    EXPECT_EQ(dialog.Rows().at(0), L"C:\\pics\\third.vvi\t" + folder / L"N0.vvi") << "the destinations keep their rows";
    EXPECT_EQ(dialog.Rows().at(2), L"C:\\pics\\second.vvi\t" + folder / L"N2.vvi");
}

TEST_F(CheckListTest, CopyingOneRowClosedFromTheSystemMenu) {
    struct TCase {
        bool renaming;
        int rows;
    };
    for (const TCase c : {TCase{true, 1}, TCase{false, 2}}) {
        SCOPED_TRACE(c.renaming);
        TNames sources, destinations;
        for (int i = 0; i < c.rows; ++i) {
            sources.push_back(L"s" + std::to_wstring(i));
            destinations.push_back(folder / (L"d" + std::to_wstring(i)));
        }
        std::string afterClick;
        bool buttonsShown = true;
        int red = -1, secondWidth = 0, headerWidth = 0;
        TModalSteps steps({
            [&] { ClickRow(0); },
            [&] {
                afterClick = MoveButtons();
                buttonsShown = IsWindowVisible(Button(IDC_CHECKLIST_TOP)) != FALSE;
                UpdateWindow(dialog.Handle());
                red = CountColours(dialog.CheckListBox().Handle(), RowRect(0, false)).red +
                      CountColours(dialog.CheckListBox().Handle(), RowRect(c.rows - 1, false)).red;
                dialog.HeaderControl1().SetSectionWidth(0, 150);  // as a drag of the divider ends
                secondWidth = dialog.HeaderControl1().SectionWidth(1);
                headerWidth = dialog.HeaderControl1().ClientRect().right;
                PostMessageW(dialog.Handle(), WM_SYSCOMMAND, SC_CLOSE, 0);
            },
        });
        EXPECT_FALSE(dialog.Confirm(&sources, &destinations, c.renaming, false));
        EXPECT_EQ(steps.Run(), 2u);
        if (c.renaming) {
            EXPECT_EQ(afterClick, "0000") << "one row cannot move";
        }
        EXPECT_EQ(buttonsShown, c.renaming);
        EXPECT_EQ(red, 0) << "copied sources are black";
        EXPECT_EQ(secondWidth, headerWidth - 150);
        EXPECT_EQ(headerWidth, 596 - (c.renaming ? 30 : 0));
    }
}

}  // namespace
