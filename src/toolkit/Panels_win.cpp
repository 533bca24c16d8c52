#include "toolkit/Panels_win.h"

#include <windowsx.h>

#include <utility>
#include <vector>

#include "toolkit/Canvas.h"
#include "toolkit/Exceptions.h"
#include "toolkit/PaintGuards_win.h"

namespace {

const DWORD kChild = WS_CHILD | WS_VISIBLE;

// Draws a glyph as disabled tools look: its dark lines embossed in the highlight and shadow
// colours. The transparent colour and the light parts of the picture stay empty, so a filled
// shape keeps its outline instead of turning into a grey block.
void DrawDisabledGlyph(HDC dc, HDC glyphDC, COLORREF transparent, int x, int y, int width, int height) {
    // A mask with the glyph's dark pixels black and everything else white, one bit a pixel, rows
    // padded to 16 bits.
    const int stride = ((width + 15) / 16) * 2;
    std::vector<BYTE> bits(static_cast<size_t>(stride * height), 0xFF);
    for (int row = 0; row < height; ++row) {
        for (int column = 0; column < width; ++column) {
            const COLORREF c = GetPixel(glyphDC, column, row);
            const int luma = (GetRValue(c) * 30 + GetGValue(c) * 59 + GetBValue(c) * 11) / 100;
            if (c != transparent && luma < 0x90)
                bits[static_cast<size_t>(row * stride + column / 8)] &= static_cast<BYTE>(~(0x80 >> (column % 8)));
        }
    }
    TMemoryDC maskDC(CreateCompatibleDC(dc));
    TUniqueGdiObject mask(CreateBitmap(width, height, 1, 1, bits.data()));
    TSelectObject selectMask(maskDC.get(), mask.get());

    const COLORREF oldText = SetTextColor(dc, RGB(0, 0, 0));
    const COLORREF oldBk = SetBkColor(dc, RGB(255, 255, 255));
    const DWORD kPatternWhereMaskIsBlack = 0x00B8074A;  // PSDPxax
    const std::pair<int, int> passes[] = {{1, COLOR_3DHILIGHT}, {0, COLOR_3DSHADOW}};
    for (const auto& [offset, color] : passes) {
        TSelectObject brush(dc, GetSysColorBrush(color));
        BitBlt(dc, x + offset, y + offset, width, height, maskDC.get(), 0, 0, kPatternWhereMaskIsBlack);
    }
    SetTextColor(dc, oldText);
    SetBkColor(dc, oldBk);
}

void DrawCaption(HDC dc, HFONT font, const std::wstring& text, RECT r, UINT format, COLORREF color) {
    if (text.empty()) return;
    TSelectObject selectFont(dc, font);
    TTextColors colors(dc, color);
    DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &r, format | DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
}

}  // namespace

// ---- TPanel

void TPanel::Create(HWND parent, int id, const RECT& bounds, TBevel bevel, bool topLine) {
    bevel_ = bevel;
    topLine_ = topLine;
    CreateOwn(L"TPanel", CS_HREDRAW | CS_VREDRAW, kChild | WS_CLIPCHILDREN | WS_CLIPSIBLINGS, WS_EX_CONTROLPARENT,
              parent, id, L"", bounds);
}

void TPanel::SetColors(int background, int caption) {
    background_ = background;
    caption_ = caption;
    Invalidate();
}

void TPanel::SetSolidBackground(COLORREF color) {
    TUniqueGdiObject brush(CreateSolidBrush(color));
    if (!brush) throw EOutOfResources(L"ブラシを作成できません。");
    solidBrush_ = std::move(brush);
    Invalidate();
}

LRESULT TPanel::WndProc(UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_ERASEBKGND) {
        const RECT r = ClientRect();
        FillRect(reinterpret_cast<HDC>(wp), &r,
                 solidBrush_ ? static_cast<HBRUSH>(solidBrush_.get()) : GetSysColorBrush(background_));
        return 1;
    }
    // A new caption shows at once.
    if (msg == WM_SETTEXT) {
        const LRESULT result = TWindow::WndProc(msg, wp, lp);
        Invalidate();
        return result;
    }
    return TWindow::WndProc(msg, wp, lp);
}

void TPanel::OnPaint(HDC dc) {
    RECT r = ClientRect();
    if (topLine_) {
        RECT line{r.left, r.top, r.right, r.top + 2};
        DrawEdge(dc, &line, EDGE_ETCHED, BF_TOP);
        r.top += 2;
    }
    if (bevel_ != TBevel::bvNone) {
        DrawEdge(dc, &r, bevel_ == TBevel::bvRaised ? BDR_RAISEDINNER : BDR_SUNKENOUTER, BF_RECT);
        InflateRect(&r, -1, -1);
    }
    InflateRect(&r, -2, 0);
    DrawCaption(dc, Font(), Text(), r, captionFormat_, GetSysColor(caption_));
}

// ---- TSpeedButton

void TSpeedButton::Create(HWND parent, int id, const std::wstring& caption, const RECT& bounds) {
    CreateOwn(L"TSpeedButton", CS_HREDRAW | CS_VREDRAW, kChild, 0, parent, id, caption, bounds);
}

void TSpeedButton::SetGlyph(TUniqueGdiObject bitmap) {
    glyph_ = std::move(bitmap);
    Invalidate();
}

void TSpeedButton::LoadGlyph(const wchar_t* resourceName) {
    TUniqueGdiObject bitmap(LoadImageW(GetModuleHandleW(nullptr), resourceName, IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
    if (!bitmap) throw EOutOfResources(L"ボタンの絵を読み込めません。");
    SetGlyph(std::move(bitmap));
}

void TSpeedButton::SetDown(bool down) {
    if (down_ == down) return;
    down_ = down;
    if (down && groupIndex_ != 0) {
        // The other buttons of the group come up.
        for (HWND sibling = GetWindow(GetParent(Handle()), GW_CHILD); sibling; sibling = GetWindow(sibling, GW_HWNDNEXT)) {
            auto* button = dynamic_cast<TSpeedButton*>(FromHandle(sibling));
            if (button && button != this && button->groupIndex_ == groupIndex_) button->SetDown(false);
        }
    }
    Invalidate();
}

void TSpeedButton::Click() {
    if (groupIndex_ != 0) {
        if (!down_) SetDown(true);
        else if (allowAllUp_) SetDown(false);
    }
    if (OnClick) OnClick();
}

LRESULT TSpeedButton::WndProc(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
        // Windows keeps the mouse from a disabled window, but not messages posted to it.
        if (!Enabled()) return 0;
        pressed_ = true;
        SetCapture(Handle());
        Invalidate();
        return 0;
    case WM_LBUTTONUP: {
        if (!pressed_) return 0;
        pressed_ = false;
        ReleaseCapture();
        Invalidate();
        const POINT p{GET_X_LPARAM(lp), GET_Y_LPARAM(lp)};
        const RECT r = ClientRect();
        if (PtInRect(&r, p)) Click();
        return 0;
    }
    case WM_CAPTURECHANGED:
        pressed_ = false;
        Invalidate();
        return 0;
    case WM_MOUSEMOVE:
        if (!hot_) {
            hot_ = true;
            TRACKMOUSEEVENT track{sizeof(track), TME_LEAVE, Handle(), 0};
            TrackMouseEvent(&track);
            Invalidate();
        }
        return 0;
    case WM_MOUSELEAVE:
        hot_ = false;
        Invalidate();
        return 0;
    case WM_ENABLE: Invalidate(); return 0;
    case WM_ERASEBKGND: return 1;  // OnPaint fills everything
    }
    return TWindow::WndProc(msg, wp, lp);
}

void TSpeedButton::SetColors(COLORREF face, COLORREF caption) {
    face_ = face;
    caption_ = caption;
    Invalidate();
}

namespace {

COLORREF Lighter(COLORREF c) {
    auto up = [](BYTE v) { return static_cast<BYTE>(v + (255 - v) / 4); };
    return RGB(up(GetRValue(c)), up(GetGValue(c)), up(GetBValue(c)));
}

}  // namespace

void TSpeedButton::OnPaint(HDC dc) {
    RECT r = ClientRect();
    const bool sunken = down_ || (pressed_ && hot_);
    const bool ownColors = face_ != CLR_INVALID;
    // A button that stays down shows a lighter, checked face, as Windows does for checked tools.
    const COLORREF face = ownColors ? (down_ && !pressed_ ? Lighter(face_) : face_)
                                    : GetSysColor(down_ && !pressed_ ? COLOR_3DHILIGHT : COLOR_BTNFACE);
    SetBkColor(dc, face);
    ExtTextOutW(dc, 0, 0, ETO_OPAQUE, &r, nullptr, 0, nullptr);
    const bool enabled = Enabled();
    if (sunken) DrawEdge(dc, &r, BDR_SUNKENOUTER, BF_RECT);
    else if (hot_ && enabled) DrawEdge(dc, &r, BDR_RAISEDINNER, BF_RECT);
    const int shift = sunken ? 1 : 0;
    RECT content{r.left + 2 + shift, r.top + 2 + shift, r.right - 2 + shift, r.bottom - 2 + shift};

    const std::wstring caption = Text();
    if (glyph_) {
        BITMAP bm{};
        GetObjectW(glyph_.get(), sizeof(bm), &bm);
        const int width = bm.bmWidth, height = std::abs(bm.bmHeight);
        TMemoryDC glyphDC(CreateCompatibleDC(dc));
        TSelectObject select(glyphDC.get(), glyph_.get());
        const COLORREF transparent = GetPixel(glyphDC.get(), 0, height - 1);
        int x = content.left + (content.right - content.left - width) / 2;
        if (!caption.empty()) x = content.left + 2;
        const int y = content.top + (content.bottom - content.top - height) / 2;
        if (enabled) TransparentBlt(dc, x, y, width, height, glyphDC.get(), 0, 0, width, height, transparent);
        else DrawDisabledGlyph(dc, glyphDC.get(), transparent, x, y, width, height);
        content.left = x + width + 2;
    }
    if (!caption.empty()) {
        if (!enabled) {
            RECT shadow = content;
            OffsetRect(&shadow, 1, 1);
            DrawCaption(dc, Font(), caption, shadow, DT_CENTER, GetSysColor(COLOR_3DHILIGHT));
        }
        const COLORREF text = !enabled ? GetSysColor(COLOR_GRAYTEXT) : ownColors ? caption_ : GetSysColor(COLOR_BTNTEXT);
        DrawCaption(dc, Font(), caption, content, DT_CENTER, text);
    }
}

// ---- TToolBar

void TToolBar::Create(HWND parent, int id, const RECT& bounds) { TPanel::Create(parent, id, bounds, TBevel::bvNone, true); }

void TToolBar::AddButton(TSpeedButton& button, int id, const std::wstring& caption, int width) {
    const RECT r = ClientRect();
    const int top = 2 + 2;  // under the top line
    button.Create(Handle(), id, caption, RECT{next_, top, next_ + width, r.bottom - 3});
    next_ += width;
}

// ---- TSplitter

void TSplitter::Create(HWND parent, int id, const RECT& bounds, bool vertical) {
    vertical_ = vertical;
    CreateOwn(vertical ? L"TSplitterV" : L"TSplitterH", 0, kChild, 0, parent, id, L"", bounds);
    SetClassLongPtrW(Handle(), GCLP_HCURSOR,
                     reinterpret_cast<LONG_PTR>(LoadCursorW(nullptr, vertical ? IDC_SIZEWE : IDC_SIZENS)));
}

POINT TSplitter::ScreenPoint(LPARAM lp) const {
    POINT p{GET_X_LPARAM(lp), GET_Y_LPARAM(lp)};
    ClientToScreen(Handle(), &p);
    return p;
}

LRESULT TSplitter::WndProc(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_LBUTTONDOWN:
        dragging_ = true;
        last_ = ScreenPoint(lp);
        SetCapture(Handle());
        return 0;
    case WM_MOUSEMOVE:
        if (dragging_) {
            const POINT p = ScreenPoint(lp);
            const int delta = vertical_ ? p.x - last_.x : p.y - last_.y;
            last_ = p;
            if (delta != 0 && OnMoved) OnMoved(delta);
        }
        return 0;
    case WM_LBUTTONUP:
        if (dragging_) ReleaseCapture();
        return 0;
    case WM_CAPTURECHANGED: dragging_ = false; return 0;
    }
    return TWindow::WndProc(msg, wp, lp);
}

// ---- TTimer

TTimer::TTimer() { CreateOwn(L"TTimer", 0, 0, 0, HWND_MESSAGE, 0, L"", RECT{}); }

void TTimer::SetInterval(UINT milliseconds) {
    interval_ = milliseconds;
    Restart();
}

void TTimer::SetEnabled(bool enabled) {
    enabled_ = enabled;
    Restart();
}

void TTimer::Restart() {
    KillTimer(Handle(), 1);
    if (enabled_ && interval_ > 0 && !SetTimer(Handle(), 1, interval_, nullptr))
        throw EOutOfResources(L"タイマーを設定できません。");
}

LRESULT TTimer::WndProc(UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_TIMER && wp == 1) {
        if (OnTimer) OnTimer();
        return 0;
    }
    return TWindow::WndProc(msg, wp, lp);
}

// ---- TImage

bool MouseButtonMessage(UINT msg, TMouseButton& button, bool& press) {
    switch (msg) {
    case WM_LBUTTONDOWN: button = TMouseButton::mbLeft; press = true; return true;
    case WM_LBUTTONUP: button = TMouseButton::mbLeft; press = false; return true;
    case WM_RBUTTONDOWN: button = TMouseButton::mbRight; press = true; return true;
    case WM_RBUTTONUP: button = TMouseButton::mbRight; press = false; return true;
    case WM_MBUTTONDOWN: button = TMouseButton::mbMiddle; press = true; return true;
    case WM_MBUTTONUP: button = TMouseButton::mbMiddle; press = false; return true;
    }
    return false;
}

void TImage::Create(HWND parent, int id, const RECT& bounds) {
    // Controls placed over the picture stay drawn over it.
    CreateOwn(L"TImage", CS_HREDRAW | CS_VREDRAW, kChild | WS_CLIPSIBLINGS, 0, parent, id, L"", bounds);
}

void TImage::SetGraphic(TGraphic* graphic) {
    graphic_ = graphic;
    Invalidate();
}

void TImage::SetStretch(bool stretch) {
    stretch_ = stretch;
    Invalidate();
}

void TImage::SetColor(COLORREF color) {
    color_ = color;
    Invalidate();
}

LRESULT TImage::WndProc(UINT msg, WPARAM wp, LPARAM lp) {
    TMouseButton button{};
    bool press = false;
    if (MouseButtonMessage(msg, button, press)) {
        if (!Enabled()) return 0;
        const POINT p{GET_X_LPARAM(lp), GET_Y_LPARAM(lp)};
        if (press) {
            SetCapture(Handle());
            if (OnMouseDown) OnMouseDown(button, p);
        } else {
            if (GetCapture() == Handle() && !(wp & (MK_LBUTTON | MK_RBUTTON | MK_MBUTTON))) ReleaseCapture();
            if (OnMouseUp) OnMouseUp(button, p);
        }
        return 0;
    }
    if (msg == WM_ERASEBKGND) return 1;  // OnPaint fills everything
    return TWindow::WndProc(msg, wp, lp);
}

void TImage::OnPaint(HDC dc) {
    const RECT client = ClientRect();
    RECT picture{};
    if (graphic_ && !graphic_->GetEmpty())
        picture = stretch_ ? client : RECT{0, 0, graphic_->GetWidth(), graphic_->GetHeight()};
    // The background around the picture only, so that a repaint does not flicker.
    {
        const int saved = SaveDC(dc);
        ExcludeClipRect(dc, picture.left, picture.top, picture.right, picture.bottom);
        TUniqueGdiObject brush(CreateSolidBrush(color_));
        FillRect(dc, &client, static_cast<HBRUSH>(brush.get()));
        RestoreDC(dc, saved);
    }
    if (picture.right > picture.left) {
        TCanvas canvas(dc);
        graphic_->Draw(canvas, TRect{picture.left, picture.top, picture.right, picture.bottom});
    }
    if (OnPainted) OnPainted(dc);
}
