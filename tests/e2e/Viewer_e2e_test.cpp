// The real program's viewers, driven from outside: a double click on the first row of the sample
// archive shows its picture, Space and the "＜" button page forward and back, Enter goes full screen
// and Enter comes back.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "common/TempDir.h"
#include "common/WindowTest_win.h"
#include "e2e/ProgramDriver_win.h"
#include "resources/ResourceIds.h"
#include "toolkit/TextUtil.h"
#include "toolkit/WinPath_win.h"

namespace {

struct TCaptionWait {
    HWND window;
    std::wstring prefix;
};

// Waits until the window's caption starts with the prefix.
bool WaitForCaption(HWND window, const std::wstring& prefix) {
    TCaptionWait wait{window, prefix};
    return WaitFor([](void* p) {
        auto* w = static_cast<TCaptionWait*>(p);
        return WindowText(w->window).rfind(w->prefix, 0) == 0;
    }, &wait);
}

// A key as the keyboard gives it to the focused window.
void PressKey(HWND window, WPARAM key) {
    SetForegroundWindow(window);
    PostMessageW(window, WM_KEYDOWN, key, 1);
    PostMessageW(window, WM_KEYUP, key, 0xC0000001);
}

void Click(HWND control, int x, int y, bool twice = false) {
    const LPARAM at = MAKELPARAM(x, y);
    PostMessageW(control, WM_LBUTTONDOWN, MK_LBUTTON, at);
    PostMessageW(control, WM_LBUTTONUP, 0, at);
    if (twice) {
        PostMessageW(control, WM_LBUTTONDBLCLK, MK_LBUTTON, at);
        PostMessageW(control, WM_LBUTTONUP, 0, at);
    }
}

struct TChildSearch {
    const wchar_t* text;
    HWND found;
};

BOOL CALLBACK MatchChildText(HWND hwnd, LPARAM lp) {
    auto* search = reinterpret_cast<TChildSearch*>(lp);
    if (WindowText(hwnd) != search->text) return TRUE;
    search->found = hwnd;
    return FALSE;
}

HWND ChildWithText(HWND parent, const wchar_t* text) {
    TChildSearch search{text, nullptr};
    EnumChildWindows(parent, MatchChildText, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

// The other process paints on its own time: the picture of the screen is taken once it has had a
// second to draw what the test waited for.
void SaveSettledPng(HWND window, const wchar_t* name) {
    const DWORD start = GetTickCount();
    WaitFor([](void* p) { return GetTickCount() - *static_cast<DWORD*>(p) > 1000; }, const_cast<DWORD*>(&start), 5000);
    SaveWindowPng(window, name);
}

struct TShown {
    HWND window;
    bool shown;
};

bool WaitForShown(HWND window, bool shown) {
    TShown wait{window, shown};
    return WaitFor([](void* p) {
        auto* w = static_cast<TShown*>(p);
        return (IsWindowVisible(w->window) != FALSE) == w->shown;
    }, &wait);
}

TEST(ProgramEndToEnd, ShowsPagesGoesFullScreenAndComesBack) {
    TTempDir folder;
    TProgramDriver program(folder.Path());
    ASSERT_TRUE(program.Start({SampleZip()}));
    HWND list = FindWindowExW(program.Control(IDC_MAIN_LIST), nullptr, L"ListBox", nullptr);
    ASSERT_TRUE(list);

    Click(list, 10, 5, true);
    HWND view = program.WaitForWindow(L"TImgViewForm");
    ASSERT_TRUE(view) << "a double click on the first row shows it";
    EXPECT_TRUE(WaitForCaption(view, L"landscape.png(")) << WideToUtf8(WindowText(view));
    SaveSettledPng(view, L"e2e_image_view");

    PressKey(view, VK_SPACE);
    EXPECT_TRUE(WaitForCaption(view, L"rose.jpg(")) << WideToUtf8(WindowText(view));
    HWND back = ChildWithText(view, L"＜");
    ASSERT_TRUE(back);
    Click(back, 5, 5);
    EXPECT_TRUE(WaitForCaption(view, L"landscape.png(")) << WideToUtf8(WindowText(view));

    PressKey(view, VK_RETURN);
    HWND full = program.WaitForWindow(L"TFullScreenForm");
    ASSERT_TRUE(full) << "Enter goes full screen";
    EXPECT_TRUE(WaitForShown(view, false));
    RECT screen{}, at{};
    GetWindowRect(GetDesktopWindow(), &screen);
    GetWindowRect(full, &at);
    EXPECT_TRUE(EqualRect(&screen, &at)) << "the whole screen";
    SaveSettledPng(full, L"e2e_full_screen");

    PressKey(full, VK_RETURN);
    EXPECT_TRUE(WaitForShown(full, false)) << "Enter comes back";
    EXPECT_TRUE(WaitForShown(view, true));
    EXPECT_TRUE(WaitForCaption(view, L"landscape.png("));

    EXPECT_EQ(program.Close(), 0u);
}

}  // namespace
