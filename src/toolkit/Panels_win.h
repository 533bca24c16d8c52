#pragma once
// The layer's own small controls: panel, flat speed button, tool bar, splitter, timer and picture
// area.
#include <windows.h>

#include <functional>
#include <string>

#include "toolkit/Graphic.h"
#include "toolkit/Handles_win.h"
#include "toolkit/Label.h"
#include "toolkit/Window_win.h"

enum class TBevel { bvNone, bvRaised, bvLowered };

// A plain area that holds other controls (their notifications reach their wrappers through it),
// with an optional bevel, a line along its top edge and a caption (which a status line or a stop
// watch may write, as a label).
class TPanel : public TWindow, public TLabelTarget {
public:
    void SetCaption(const std::wstring& text) override { SetText(text); }
    void Create(HWND parent, int id, const RECT& bounds, TBevel bevel = TBevel::bvNone, bool topLine = false);
    void SetBevel(TBevel bevel) {
        bevel_ = bevel;
        Invalidate();
    }
    void SetCaptionFormat(UINT drawTextFormat) { captionFormat_ = drawTextFormat; }  // DT_LEFT, DT_CENTER, ...
    // The panel's background and caption colours (system colour indexes, COLOR_BTNFACE and
    // COLOR_BTNTEXT until set).
    void SetColors(int background, int caption);
    int BackgroundColor() const { return background_; }
    int CaptionColor() const { return caption_; }
    // A background of a colour that is no system colour (0x00BBGGRR); replaces the system colour.
    void SetSolidBackground(COLORREF color);

protected:
    LRESULT WndProc(UINT msg, WPARAM wp, LPARAM lp) override;
    void OnPaint(HDC dc) override;

private:
    int background_ = COLOR_BTNFACE;
    int caption_ = COLOR_BTNTEXT;
    TUniqueGdiObject solidBrush_;  // null: the system colour background_
    TBevel bevel_ = TBevel::bvNone;
    bool topLine_ = false;
    UINT captionFormat_ = DT_CENTER;
};

// A flat button with a caption and/or a glyph. With a group index other than 0 it stays down once
// clicked and the other buttons of its parent with that group index come up; AllowAllUp lets a
// click bring the down button of a group up again (a toggle is a group of one with AllowAllUp).
class TSpeedButton : public TWindow {
public:
    void Create(HWND parent, int id, const std::wstring& caption, const RECT& bounds);
    // The glyph's bottom-left pixel is its transparent colour.
    void SetGlyph(TUniqueGdiObject bitmap);
    void LoadGlyph(const wchar_t* resourceName);
    void SetGroupIndex(int group) { groupIndex_ = group; }
    int GroupIndex() const { return groupIndex_; }
    void SetAllowAllUp(bool allow) { allowAllUp_ = allow; }
    bool Down() const { return down_; }
    void SetDown(bool down);
    // The face and caption colours (the system's button colours until set): a flat button on a
    // panel of its own colour. A button that stays down shows a face a quarter lighter.
    void SetColors(COLORREF face, COLORREF caption);
    // What a mouse click does: the group's rule, then OnClick.
    void Click();
    std::function<void()> OnClick;

protected:
    LRESULT WndProc(UINT msg, WPARAM wp, LPARAM lp) override;
    void OnPaint(HDC dc) override;

private:
    TUniqueGdiObject glyph_;
    int groupIndex_ = 0;
    bool allowAllUp_ = false;
    bool down_ = false;
    bool pressed_ = false;  // mouse held on the button
    bool hot_ = false;      // mouse over the button
    COLORREF face_ = CLR_INVALID;
    COLORREF caption_ = CLR_INVALID;
};

// A row of speed buttons (and other controls) placed from the left.
class TToolBar : public TPanel {
public:
    void Create(HWND parent, int id, const RECT& bounds);
    // Makes the button at the next place; the buttons are as high as the bar less a margin.
    void AddButton(TSpeedButton& button, int id, const std::wstring& caption, int width);
    void AddSeparator(int width = 8) { next_ += width; }

private:
    int next_ = 2;
};

// A bar between two panes that the mouse drags; OnMoved gets the distance moved (pixels, along
// its axis) each time the mouse moves while dragging. The owner resizes the panes, which moves the
// bar: distances are measured on the screen.
class TSplitter : public TWindow {
public:
    // vertical: a bar between a left and a right pane.
    void Create(HWND parent, int id, const RECT& bounds, bool vertical);
    bool Vertical() const { return vertical_; }
    std::function<void(int)> OnMoved;

protected:
    LRESULT WndProc(UINT msg, WPARAM wp, LPARAM lp) override;

private:
    POINT ScreenPoint(LPARAM lp) const;
    bool vertical_ = true;
    bool dragging_ = false;
    POINT last_{};
};

// A timer with a message-only window of its own.
class TTimer : public TWindow {
public:
    TTimer();
    void SetInterval(UINT milliseconds);
    UINT Interval() const { return interval_; }
    void SetEnabled(bool enabled);
    bool Enabled() const { return enabled_; }
    std::function<void()> OnTimer;

protected:
    LRESULT WndProc(UINT msg, WPARAM wp, LPARAM lp) override;

private:
    void Restart();
    UINT interval_ = 1000;
    bool enabled_ = false;
};

enum class TMouseButton { mbLeft, mbRight, mbMiddle };

// Which button a mouse message names and whether it is a press; false for other messages.
bool MouseButtonMessage(UINT msg, TMouseButton& button, bool& press);

// A picture area. It draws a graphic that its owner keeps (not owned here) at its actual size from
// the top-left corner, or stretched over the whole area, on a background colour, and raises the
// presses and releases of the mouse buttons (while enabled: posted messages reach a disabled
// window too). A press captures the mouse, so that its release comes back here.
class TImage : public TWindow {
public:
    void Create(HWND parent, int id, const RECT& bounds);
    void SetGraphic(TGraphic* graphic);  // null: nothing is drawn
    TGraphic* Graphic() const { return graphic_; }
    void SetStretch(bool stretch);
    void SetColor(COLORREF color);
    // Client coordinates.
    std::function<void(TMouseButton, POINT)> OnMouseDown;
    std::function<void(TMouseButton, POINT)> OnMouseUp;
    // After the picture is drawn: what the owner shows over it.
    std::function<void(HDC)> OnPainted;

protected:
    LRESULT WndProc(UINT msg, WPARAM wp, LPARAM lp) override;
    void OnPaint(HDC dc) override;

private:
    TGraphic* graphic_ = nullptr;
    bool stretch_ = false;
    COLORREF color_ = GetSysColor(COLOR_BTNFACE);
};
