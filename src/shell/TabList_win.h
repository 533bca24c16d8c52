#pragma once
// A list box whose lines are split into columns at tab stops given in pixels. With ReturnNext on,
// the Enter key moves the focus to the next control instead of reaching the list or the form's
// default button.
#include <windows.h>

#include "shell/TabStops.h"
#include "toolkit/Controls_win.h"

class TTabListBox : public TListBox {
public:
    TTabListBox();
    // The list box with the use-tab-stops style.
    void Create(HWND parent, int id, const RECT& bounds, DWORD style = 0);

    TTabStops& TabStops() { return tabStops_; }
    bool ReturnNext = true;

protected:
    LRESULT WndProc(UINT msg, WPARAM wp, LPARAM lp) override;

private:
    void ApplyTabStops();
    TTabStops tabStops_;
};
