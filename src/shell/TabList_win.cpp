#include "shell/TabList_win.h"

namespace {
// The horizontal dialog base unit that the stops are converted with.
int DialogBaseUnitX() { return LOWORD(GetDialogBaseUnits()); }
}  // namespace

TTabListBox::TTabListBox() : tabStops_(DialogBaseUnitX()) {
    tabStops_.OnChange = [this] { ApplyTabStops(); };
}

void TTabListBox::Create(HWND parent, int id, const RECT& bounds, DWORD style) {
    TListBox::Create(parent, id, bounds, LBS_USETABSTOPS | style);
    ApplyTabStops();
}

// The whole array each time; none gives the list box its default stops.
void TTabListBox::ApplyTabStops() {
    if (!Handle()) return;
    const auto& units = tabStops_.Units();
    SendMessageW(Handle(), LB_SETTABSTOPS, units.size(),
                 units.empty() ? 0 : reinterpret_cast<LPARAM>(const_cast<int32_t*>(units.data())));
    Invalidate();
}

LRESULT TTabListBox::WndProc(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_GETDLGCODE:
        // Enter is the list's own, not the dialog's default button.
        if (ReturnNext && lp && reinterpret_cast<const MSG*>(lp)->message == WM_KEYDOWN && wp == VK_RETURN)
            return DefaultProc(msg, wp, lp) | DLGC_WANTMESSAGE;
        break;
    case WM_KEYDOWN:
        if (ReturnNext && wp == VK_RETURN) {
            if (HWND next = GetNextDlgTabItem(GetParent(Handle()), Handle(), FALSE)) SetFocus(next);
            return 0;
        }
        break;
    case WM_CHAR:
        if (ReturnNext && wp == L'\r') return 0;
        break;
    }
    return TListBox::WndProc(msg, wp, lp);
}
