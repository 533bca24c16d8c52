#include "e2e/UserActions_win.h"

#include <algorithm>

#include "common/WindowTest_win.h"
#include "e2e/ProgramDriver_win.h"

namespace {

struct TCaptionWait {
    HWND window;
    std::wstring prefix;
};

struct TShown {
    HWND window;
    bool shown;
};

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

}  // namespace

bool WaitForCaption(HWND window, const std::wstring& prefix) {
    TCaptionWait wait{window, prefix};
    return WaitFor([](void* p) {
        auto* w = static_cast<TCaptionWait*>(p);
        return WindowText(w->window).rfind(w->prefix, 0) == 0;
    }, &wait);
}

bool WaitForShown(HWND window, bool shown) {
    TShown wait{window, shown};
    return WaitFor([](void* p) {
        auto* w = static_cast<TShown*>(p);
        return (IsWindowVisible(w->window) != FALSE) == w->shown;
    }, &wait);
}

void PressKey(HWND window, WPARAM key) {
    SetForegroundWindow(window);
    PostMessageW(window, WM_KEYDOWN, key, 1);
    PostMessageW(window, WM_KEYUP, key, 0xC0000001);
}

void Click(HWND control, int x, int y, bool twice) {
    const LPARAM at = MAKELPARAM(x, y);
    PostMessageW(control, WM_LBUTTONDOWN, MK_LBUTTON, at);
    PostMessageW(control, WM_LBUTTONUP, 0, at);
    if (twice) {
        PostMessageW(control, WM_LBUTTONDBLCLK, MK_LBUTTON, at);
        PostMessageW(control, WM_LBUTTONUP, 0, at);
    }
}

HWND ChildWithText(HWND parent, const wchar_t* text) {
    TChildSearch search{text, nullptr};
    EnumChildWindows(parent, MatchChildText, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

void SaveSettledPng(HWND window, const wchar_t* name) {
    const DWORD start = GetTickCount();
    WaitFor([](void* p) { return GetTickCount() - *static_cast<DWORD*>(p) > 1000; }, const_cast<DWORD*>(&start), 5000);
    SaveWindowPng(window, name);
}

int ListCount(HWND list) { return static_cast<int>(SendMessageW(list, LB_GETCOUNT, 0, 0)); }

std::vector<std::wstring> RowNames(HWND list) {
    std::vector<std::wstring> names;
    for (int i = 0; i < ListCount(list); ++i) {
        const LRESULT length = SendMessageW(list, LB_GETTEXTLEN, static_cast<WPARAM>(i), 0);
        std::wstring text(static_cast<size_t>(std::max<LRESULT>(length, 0)) + 1, L'\0');
        SendMessageW(list, LB_GETTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(text.data()));
        names.push_back(text.substr(0, text.find(L'\t')));
    }
    return names;
}
