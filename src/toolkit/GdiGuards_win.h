#pragma once
// Device contexts and the objects selected into them, each released by the scope that took it.
#include <windows.h>

#include "toolkit/Unique.h"

// A window's DC from GetDC; keeps the window for ReleaseDC.
class TWindowDC {
public:
    explicit TWindowDC(HWND hwnd) : hwnd_(hwnd), dc_(GetDC(hwnd)) {}
    ~TWindowDC() {
        if (dc_) ReleaseDC(hwnd_, dc_);
    }
    TWindowDC(const TWindowDC&) = delete;
    TWindowDC& operator=(const TWindowDC&) = delete;
    HDC get() const { return dc_; }

private:
    HWND hwnd_;
    HDC dc_;
};

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

// A DC made by CreateCompatibleDC.
struct TMemoryDCTraits {
    using Handle = HDC;
    static Handle Empty() { return nullptr; }
    static void Close(Handle h) { DeleteDC(h); }
};
using TMemoryDC = TUnique<TMemoryDCTraits>;

// Selects an object into a DC and selects the previous one back at the end of the scope.
class TSelectObject {
public:
    TSelectObject(HDC dc, HGDIOBJ object) : dc_(dc), old_(object ? SelectObject(dc, object) : nullptr) {}
    ~TSelectObject() {
        if (old_) SelectObject(dc_, old_);
    }
    TSelectObject(const TSelectObject&) = delete;
    TSelectObject& operator=(const TSelectObject&) = delete;

private:
    HDC dc_;
    HGDIOBJ old_;
};

// Keeps a DC's text colour and background mode for the scope.
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
