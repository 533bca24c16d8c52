// The tab list box on a real form: the stops reach the list box's drawing, and Enter moves on.
#include "shell/TabList_win.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "common/WindowTest_win.h"
#include "toolkit/Application_win.h"
#include "toolkit/Form_win.h"
#include "toolkit/GdiGuards_win.h"

namespace {

class TTabForm : public TForm {
public:
    TTabForm() {
        Application().Initialize();
        Create(L"TTabListTestForm", L"タブ", 360, 200);
        list.Create(Handle(), 10, RECT{10, 10, 330, 120});
        // The system font, whose average width is the dialog base unit the stops are kept in.
        list.SetFont(static_cast<HFONT>(GetStockObject(SYSTEM_FONT)));
        next.Create(Handle(), 11, L"次", RECT{10, 130, 90, 154});
        SetDialogKeys(true);
        Show();
        SetForegroundWindow(Handle());
        PumpUntil([this] { return Application().ActiveForm() == this; });
    }
    TTabListBox list;
    TButton next;
    std::vector<int> commands;

protected:
    bool OnCommand(int id, int, HWND) override {
        commands.push_back(id);
        return true;
    }
};

// The first client column of the list's first row where something darker than the background
// is drawn; -1 when nothing is.
int InkStart(HWND list) {
    InvalidateRect(list, nullptr, TRUE);
    UpdateWindow(list);
    RECT row{};
    SendMessageW(list, LB_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&row));
    TWindowDC dc(list);
    // Inside the row's edge, where a focused list draws its dotted focus rectangle.
    for (int x = row.left + 1; x < row.right - 1; ++x)
        for (int y = row.top + 1; y < row.bottom - 1; ++y)
            if (const COLORREF c = GetPixel(dc.get(), x, y); GetRValue(c) + GetGValue(c) + GetBValue(c) < 3 * 128) return x;
    return -1;
}

}  // namespace

TEST(TabListBox, TextAfterATabIsDrawnAtTheStopGivenInPixels) {
    TTabForm form;
    form.list.Add(L"\tX");
    const int defaultStart = InkStart(form.list.Handle());
    form.list.TabStops().Assign({L"60"});
    const int at60 = InkStart(form.list.Handle());
    form.list.TabStops().Add(L"100");
    form.list.TabStops().Delete(0);
    ASSERT_GE(at60, 0);
    EXPECT_NEAR(InkStart(form.list.Handle()) - at60, 40, 1) << "columns land at the pixels given";
    form.list.TabStops().Clear();
    EXPECT_EQ(InkStart(form.list.Handle()), defaultStart) << "no stops: the list box's own";
}

TEST(TabListBox, EnterMovesTheFocusToTheNextControl) {
    for (const bool returnNext : {true, false}) {
        TTabForm form;
        form.list.ReturnNext = returnNext;
        SetFocus(form.list.Handle());
        PostMessageW(form.list.Handle(), WM_KEYDOWN, VK_RETURN, 0x001C0001);
        PostMessageW(form.list.Handle(), WM_CHAR, L'\r', 0x001C0001);
        Application().ProcessMessages();
        EXPECT_EQ(GetFocus(), returnNext ? form.next.Handle() : form.list.Handle());
        // Without ReturnNext the dialog keys' Enter presses the default button.
        EXPECT_EQ(std::count(form.commands.begin(), form.commands.end(), IDOK), returnNext ? 0 : 1);
    }
}
