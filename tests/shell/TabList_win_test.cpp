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

// The first client column of the list's first row where something is drawn darker than the
// background; -1 when nothing is.
int InkStart(HWND list) {
    InvalidateRect(list, nullptr, TRUE);
    UpdateWindow(list);
    RECT row{};
    SendMessageW(list, LB_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&row));
    TWindowDC dc(list);
    for (int x = row.left; x < row.right; ++x)
        for (int y = row.top; y < row.bottom; ++y) {
            const COLORREF c = GetPixel(dc.get(), x, y);
            if (c != CLR_INVALID && GetRValue(c) + GetGValue(c) + GetBValue(c) < 3 * 128) return x;
        }
    return -1;
}

void ShowAndActivate(TForm& form) {
    form.Show();
    SetForegroundWindow(form.Handle());
    SetActiveWindow(form.Handle());
    PumpUntil([&] { return Application().ActiveForm() == &form; });
}

}  // namespace

TEST(TabListBox, TextAfterATabIsDrawnAtTheStopGivenInPixels) {
    TTabForm form;
    ShowAndActivate(form);
    form.list.Add(L"\tX");
    const int defaultStart = InkStart(form.list.Handle());
    form.list.TabStops().Assign({L"60"});
    const int at60 = InkStart(form.list.Handle());
    form.list.TabStops().Add(L"200");
    EXPECT_EQ(InkStart(form.list.Handle()), at60) << "a later stop does not move the first column";
    form.list.TabStops().Delete(0);
    const int at200 = InkStart(form.list.Handle());
    ASSERT_GE(at60, 0);
    EXPECT_NEAR(at200 - at60, 140, 1) << "columns land at the pixels given";

    form.list.TabStops().BeginUpdate();
    form.list.TabStops().Assign({L"100"});
    EXPECT_EQ(InkStart(form.list.Handle()), at200) << "nothing reaches the list while updates are suspended";
    form.list.TabStops().EndUpdate();
    EXPECT_NEAR(InkStart(form.list.Handle()) - at60, 40, 1);

    form.list.TabStops().Clear();
    EXPECT_EQ(InkStart(form.list.Handle()), defaultStart) << "no stops: the list box's own";
}

TEST(TabListBox, EnterMovesTheFocusToTheNextControl) {
    struct Case {
        const char* name;
        bool returnNext;
    };
    const Case cases[] = {{"ReturnNext on", true}, {"ReturnNext off", false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TTabForm form;
        form.SetDialogKeys(true);
        ShowAndActivate(form);
        form.list.ReturnNext = c.returnNext;
        SetFocus(form.list.Handle());
        PostMessageW(form.list.Handle(), WM_KEYDOWN, VK_RETURN, 0x001C0001);
        PostMessageW(form.list.Handle(), WM_CHAR, L'\r', 0x001C0001);
        Application().ProcessMessages();
        if (c.returnNext) {
            EXPECT_EQ(GetFocus(), form.next.Handle());
            EXPECT_EQ(std::count(form.commands.begin(), form.commands.end(), IDOK), 0)
                << "Enter does not reach the form's default button";
        } else {
            EXPECT_EQ(GetFocus(), form.list.Handle());
            EXPECT_EQ(std::count(form.commands.begin(), form.commands.end(), IDOK), 1) << "the dialog keys' own Enter";
        }
    }
}
