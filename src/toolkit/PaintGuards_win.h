#pragma once
// Painting pairs for windows: the DC of a WM_PAINT, and a DC's text colour and background mode
// for a scope. Each is given back on every way out.
#include <windows.h>

#include "toolkit/GdiGuards_win.h"

// The DC of a WM_PAINT, between BeginPaint and EndPaint.
class TPaintDC {
public:
    explicit TPaintDC(HWND hwnd) : hwnd_(hwnd), dc_(BeginPaint(hwnd, &ps_)) {}
    ~TPaintDC() { EndPaint(hwnd_, &ps_); }
    TPaintDC(const TPaintDC&) = delete;
    TPaintDC& operator=(const TPaintDC&) = delete;
    HDC get() const { return dc_; }
    const RECT& PaintRect() const { return ps_.rcPaint; }

private:
    HWND hwnd_;
    PAINTSTRUCT ps_{};
    HDC dc_;
};

// Sets a DC's text colour and background mode and puts the old ones back.
class TTextColors {
public:
    TTextColors(HDC dc, COLORREF text, int bkMode = TRANSPARENT)
        : dc_(dc), oldText_(SetTextColor(dc, text)), oldMode_(SetBkMode(dc, bkMode)) {}
    ~TTextColors() {
        SetTextColor(dc_, oldText_);
        SetBkMode(dc_, oldMode_);
    }
    TTextColors(const TTextColors&) = delete;
    TTextColors& operator=(const TTextColors&) = delete;

private:
    HDC dc_;
    COLORREF oldText_;
    int oldMode_;
};
