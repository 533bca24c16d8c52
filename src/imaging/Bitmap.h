#pragma once
// The toolkit's Windows bitmap: a picture the program can draw on, draw and save. A DIB section of
// a chosen pixel format with an optional palette, and a memory device context (its canvas) made on
// first use. It lives beside the DIB library because its BMP files are read and written by that
// library's codec: the program has one BMP codec.
#include <windows.h>

#include <memory>
#include <optional>

#include "toolkit/Canvas.h"
#include "toolkit/GdiGuards_win.h"
#include "toolkit/Graphic.h"
#include "toolkit/Handles_win.h"

enum class TPixelFormat { pfDevice, pf1bit, pf4bit, pf8bit, pf24bit, pf32bit };

class TBitmap : public TGraphic {
public:
    TBitmap();
    ~TBitmap() override;

    static const TGraphicClass& StaticClass();
    const TGraphicClass& ClassInfo() const override { return StaticClass(); }

    void Assign(const TGraphic* source) override;

    bool GetEmpty() const override { return !bitmap_; }
    int GetWidth() const override { return width_; }
    int GetHeight() const override { return height_; }
    // Changing the size keeps the picture's top-left part; new area is black.
    void SetWidth(int value) override;
    void SetHeight(int value) override;
    TPixelFormat PixelFormat() const { return format_; }
    void SetPixelFormat(TPixelFormat format);

    // The bitmap owns its palette; SetPalette takes over the handle it is given.
    TPaletteHandle GetPalette() override { return palette_.get(); }
    void SetPalette(TPaletteHandle palette) override;

    HBITMAP Handle() const { return bitmap_.get(); }
    // The canvas draws into the bitmap; valid until the size or format changes.
    TCanvas& Canvas();

    void Draw(TCanvas& canvas, const TRect& rect) override;

    void LoadFromStream(TStream& stream) override;
    void SaveToStream(TStream& stream) override;
    // Clipboard data: a CF_BITMAP handle, copied in and out.
    void LoadFromClipboardFormat(uint16_t format, void* data, TPaletteHandle palette) override;
    void SaveToClipboardFormat(uint16_t& format, void*& data, TPaletteHandle& palette) override;

    // Makes the bitmap a copy of a packed DIB: header, colour table, then pixel data (RLE is expanded).
    void LoadFromDIB(const BITMAPINFO& info, const void* bits);

private:
    void Recreate(int width, int height, TPixelFormat format, bool keepPicture);
    void DropCanvas();
    // Copies another bitmap's top-left part onto the canvas; selectedIn is the device context the
    // source is selected into, if any.
    void CopyFrom(HBITMAP source, HDC selectedIn);

    int width_ = 0;
    int height_ = 0;
    TPixelFormat format_ = TPixelFormat::pf24bit;
    // Declared in the order they are made: each goes before what it depends on.
    TUniqueBitmap bitmap_;
    TUniquePalette palette_;
    TMemoryDC dc_;                         // the canvas's device context, made on first use
    std::optional<TSelectObject> selected_;  // bitmap_ selected into dc_ while dc_ exists
    TCanvas canvas_;
};
