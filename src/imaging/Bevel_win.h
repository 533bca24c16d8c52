#pragma once
// The Windows half of the bevelled background: an off-screen picture to paint into, and the
// background made from a bitmap resource of the program.
#include <windows.h>

#include <span>
#include <vector>

#include "imaging/Bevel.h"
#include "toolkit/GdiGuards_win.h"
#include "toolkit/Handles_win.h"

// An off-screen picture for painting without flicker: a top-down 32-bit DIB section selected
// into a memory device context. A window paints into it, then copies it to the screen in one piece.
class TPaintBuffer {
public:
    // Raises EOutOfResources when GDI refuses.
    TPaintBuffer(int width, int height);

    HDC DC() const { return dc_.get(); }
    int Width() const { return width_; }
    int Height() const { return height_; }
    // The pixels, once GDI has finished drawing into them.
    TPixels32 Pixels() const;
    void CopyTo(HDC target, int left = 0, int top = 0) const;

private:
    static HBITMAP MakeSection(int width, int height, void*& bits);

    int width_;
    int height_;
    void* bits_ = nullptr;
    TMemoryDC dc_;
    TUniqueGdiObject section_;
    TSelectObject selection_;  // declared last: undone before the section and the context go
};

// A line of text drawn over the background: transparently, or on a fill of its own colour when
// background is not CLR_INVALID. format: DT_LEFT, DT_CENTER or DT_RIGHT within the bounds (the text
// is not clipped to them).
struct TBackgroundCaption {
    const wchar_t* text;
    HFONT font;
    COLORREF color;
    RECT bounds;
    UINT format = DT_LEFT;
    COLORREF background = CLR_INVALID;
};
void DrawCaptions(HDC dc, std::span<const TBackgroundCaption> captions);

// The background of the splash and the version dialog: a picture repeated from the top-left
// corner, under a raised frame.
class TBevelBackground {
public:
    // The picture is a bitmap resource of the program. On a screen of 8 bits per pixel it is
    // reduced to 256 colours first, as it would be shown there.
    explicit TBevelBackground(const wchar_t* resourceName);

    // Fills the whole buffer with the tiles and raises the frame over them.
    void Paint(TPaintBuffer& buffer, std::span<const TBevelBand> frame) const;

private:
    std::vector<uint32_t> tile_;  // top-down, packed rows
    int tileWidth_ = 0;
    int tileHeight_ = 0;
};
