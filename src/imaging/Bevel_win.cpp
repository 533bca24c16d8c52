#include "imaging/Bevel_win.h"

#include <algorithm>

#include "imaging/PxDIB_win.h"
#include "imaging/PxGraph.h"
#include "toolkit/Exceptions.h"
#include "toolkit/PaintGuards_win.h"
#include "toolkit/SystemInfo.h"

TPaintBuffer::TPaintBuffer(int width, int height)
    : width_(std::max(width, 1)),
      height_(std::max(height, 1)),
      dc_(CreateCompatibleDC(nullptr)),
      section_(MakeSection(width_, height_, bits_)),
      selection_(dc_.get(), section_.get()) {
    if (!dc_ || !section_ || !selection_) throw EOutOfResources(L"TPaintBuffer: Cannot Make Bitmap");
}

HBITMAP TPaintBuffer::MakeSection(int width, int height, void*& bits) {
    BITMAPINFO bi{};
    bi.bmiHeader = {sizeof(BITMAPINFOHEADER), width, -height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    return CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
}

TPixels32 TPaintBuffer::Pixels() const {
    GdiFlush();
    return TPixels32{static_cast<uint32_t*>(bits_), width_, height_, width_};
}

void TPaintBuffer::CopyTo(HDC target, int left, int top) const {
    GdiFlush();
    BitBlt(target, left, top, width_, height_, dc_.get(), 0, 0, SRCCOPY);
}

TBevelBackground::TBevelBackground(const wchar_t* resourceName) {
    TPxDIB picture;
    picture.LoadFromResourceName(nullptr, resourceName);
    if (ScreenMetrics().bitsPerPixel == 8) picture.SetPixelFormat(pxf8Bit);
    // GDI draws the picture, whatever its format, into 32-bit pixels once.
    tileWidth_ = picture.GetWidth();
    tileHeight_ = picture.GetHeight();
    const TPaintBuffer tile(tileWidth_, tileHeight_);
    const DIBInfos& infos = picture.InternalDIB().Infos();
    StretchDIBits(tile.DC(), 0, 0, tileWidth_, tileHeight_, 0, 0, tileWidth_, tileHeight_, infos.Bits,
                  AsBitmapInfo(infos), DIB_RGB_COLORS, SRCCOPY);
    const TPixels32 pixels = tile.Pixels();
    tile_.assign(pixels.bits, pixels.bits + static_cast<size_t>(tileWidth_) * tileHeight_);
}

void TBevelBackground::Paint(TPaintBuffer& buffer, std::span<const TBevelBand> frame) const {
    const TPixels32 pixels = buffer.Pixels();
    TilePixels(pixels, tile_, tileWidth_, tileHeight_);
    ApplyBevel(pixels, frame);
}

void DrawCaptions(HDC dc, std::span<const TBackgroundCaption> captions) {
    for (const TBackgroundCaption& caption : captions) {
        RECT bounds = caption.bounds;
        if (caption.background != CLR_INVALID) {
            const TUniqueGdiObject brush(CreateSolidBrush(caption.background));
            FillRect(dc, &bounds, static_cast<HBRUSH>(brush.get()));
        }
        const TSelectObject font(dc, caption.font);
        const TTextColors colors(dc, caption.color);
        DrawTextW(dc, caption.text, -1, &bounds, DT_SINGLELINE | DT_NOPREFIX | DT_NOCLIP | caption.format);
    }
}
