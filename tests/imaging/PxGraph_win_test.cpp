// The picture class on Windows: drawing through GDI, palettes, the toolkit bitmap both ways, and
// the clipboard formats.
#include <windows.h>

#include <gtest/gtest.h>

#include "common/TempDir.h"
#include "imaging/Bitmap.h"
#include "imaging/BmpBuilder.h"
#include "imaging/PxGraph.h"
#include "toolkit/Streams.h"

namespace {

// A 4 x 2 picture: top row red, green, blue, white; bottom row black, grey, yellow, cyan.
TBytes TestBmp24() {
    TBmpLayout layout;
    layout.width = 4;
    layout.height = 2;
    layout.bitCount = 24;
    // Bottom-up: the bottom row comes first; pixels are blue, green, red.
    layout.pixels = {0, 0, 0, 128, 128, 128, 0, 255, 255, 255, 255, 0,   // bottom
                   0, 0, 255, 0, 255, 0, 255, 0, 0, 255, 255, 255};  // top
    return BuildBmp(layout);
}

void Load(TGraphic& g, const TBytes& bytes) {
    TMemoryStream s;
    s.WriteBuffer(bytes.data(), bytes.size());
    s.SetPosition(0);
    g.LoadFromStream(s);
}

// A memory DC with a 24-bit DIB section to draw into and read back.
class TTarget {
public:
    TTarget(int w, int h) {
        BITMAPINFO bi{};
        bi.bmiHeader = {sizeof(BITMAPINFOHEADER), w, -h, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
        bitmap_ = CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, reinterpret_cast<void**>(&bits_), nullptr, 0);
        dc_ = CreateCompatibleDC(nullptr);
        old_ = SelectObject(dc_, bitmap_);
        width_ = w;
    }
    ~TTarget() {
        SelectObject(dc_, old_);
        DeleteDC(dc_);
        DeleteObject(bitmap_);
    }
    HDC dc() const { return dc_; }
    COLORREF At(int x, int y) const {
        GdiFlush();
        const uint32_t p = bits_[y * width_ + x];
        return RGB((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF);
    }

private:
    HBITMAP bitmap_;
    HDC dc_;
    HGDIOBJ old_;
    uint32_t* bits_ = nullptr;
    int width_;
};

HPALETTE MakePalette(std::initializer_list<COLORREF> colours) {
    struct {
        WORD version, count;
        PALETTEENTRY e[256];
    } log{0x300, static_cast<WORD>(colours.size()), {}};
    int i = 0;
    for (COLORREF c : colours) log.e[i++] = {GetRValue(c), GetGValue(c), GetBValue(c), 0};
    return CreatePalette(reinterpret_cast<LOGPALETTE*>(&log));
}

}  // namespace

TEST(PxDIBWin, DrawStretchesTheWholePictureIntoTheRectangle) {
    TPxDIB dib;
    Load(dib, TestBmp24());
    TTarget target(8, 4);
    TCanvas canvas(target.dc());
    dib.Draw(canvas, TRect{0, 0, 8, 4});  // twice the size
    EXPECT_EQ(target.At(0, 0), RGB(255, 0, 0));
    EXPECT_EQ(target.At(3, 1), RGB(0, 255, 0));
    EXPECT_EQ(target.At(7, 0), RGB(255, 255, 255));
    EXPECT_EQ(target.At(0, 3), RGB(0, 0, 0));
    EXPECT_EQ(target.At(5, 2), RGB(255, 255, 0));
    EXPECT_EQ(dib.GetPalette(), nullptr);  // 24 bits without a colour table: no palette selected
}

TEST(PxDIBWin, PaletteIsMadeOnDemandAndSetPaletteTakesOverTheHandle) {
    TPxDIB dib;
    TBmpLayout layout;
    layout.width = 2;
    layout.height = 1;
    layout.bitCount = 8;
    layout.clrUsed = 2;
    layout.colors = {0, 0, 255, 0, 255, 0, 0, 0};  // red, blue
    layout.pixels = {1, 0, 0, 0};
    Load(dib, BuildBmp(layout));
    HPALETTE made = static_cast<HPALETTE>(dib.GetPalette());
    ASSERT_NE(made, nullptr);
    EXPECT_EQ(dib.GetPalette(), made);  // cached
    PALETTEENTRY e[2];
    ASSERT_EQ(GetPaletteEntries(made, 0, 2, e), 2u);
    EXPECT_EQ(e[0].peRed, 255);
    EXPECT_EQ(e[1].peBlue, 255);

    TPxDIB copy;
    copy.Assign(&dib);
    HPALETTE given = MakePalette({RGB(1, 2, 3), RGB(4, 5, 6), RGB(7, 8, 9)});
    copy.SetPalette(given);
    EXPECT_EQ(copy.GetPalette(), given);
    EXPECT_EQ(copy.InternalDIB().Infos().Header.biClrUsed, 3u);
    EXPECT_EQ(copy.InternalDIB().Infos().Colors[2].rgbBlue, 9);
    // The original keeps its own colours.
    EXPECT_EQ(dib.InternalDIB().Infos().Header.biClrUsed, 2u);
    EXPECT_EQ(dib.InternalDIB().Infos().Colors[0].rgbRed, 255);

    HPALETTE empty = MakePalette({});
    if (empty) {
        EXPECT_THROW(copy.SetPalette(empty), EPxDIBInvalidPalette);
        DeleteObject(empty);
    }
}

TEST(PxDIBWin, ToolkitBitmapBothWays) {
    TPxDIB dib;
    Load(dib, TestBmp24());
    TBitmap bitmap;
    dib.AssignTo(bitmap);
    EXPECT_EQ(bitmap.GetWidth(), 4);
    EXPECT_EQ(bitmap.GetHeight(), 2);
    EXPECT_EQ(bitmap.PixelFormat(), TPixelFormat::pf24bit);
    EXPECT_EQ(GetPixel(bitmap.Canvas().Handle(), 2, 0), RGB(0, 0, 255));
    EXPECT_EQ(GetPixel(bitmap.Canvas().Handle(), 1, 1), RGB(128, 128, 128));

    TPxDIB back;
    back.Assign(&bitmap);
    EXPECT_EQ(back.GetWidth(), 4);
    EXPECT_EQ(back.GetBitCount(), 24);
    TMemoryStream a, b;
    dib.SaveToStream(a);
    back.SaveToStream(b);
    ASSERT_EQ(a.Length(), b.Length());
    EXPECT_EQ(0, memcmp(a.Memory() + 54, b.Memory() + 54, a.Length() - 54));  // same pixels
}

TEST(PxDIBWin, IndexedPictureGoesToABitmapWithItsPalette) {
    TPxDIB dib;
    TBmpLayout layout;
    layout.width = 3;
    layout.height = 1;
    layout.bitCount = 4;
    layout.clrUsed = 3;
    layout.colors = {0, 0, 200, 0, 0, 200, 0, 0, 200, 0, 0, 0};
    layout.pixels = {0x01, 0x20, 0, 0};
    Load(dib, BuildBmp(layout));
    TBitmap bitmap;
    dib.AssignTo(bitmap);
    EXPECT_EQ(bitmap.PixelFormat(), TPixelFormat::pf4bit);
    ASSERT_NE(bitmap.GetPalette(), nullptr);
    EXPECT_NE(bitmap.GetPalette(), dib.GetPalette());  // a copy, owned by the bitmap
    EXPECT_EQ(GetPixel(bitmap.Canvas().Handle(), 0, 0), RGB(200, 0, 0));
    EXPECT_EQ(GetPixel(bitmap.Canvas().Handle(), 1, 0), RGB(0, 200, 0));
    EXPECT_EQ(GetPixel(bitmap.Canvas().Handle(), 2, 0), RGB(0, 0, 200));
}

TEST(PxDIBWin, ClipboardFormatRoundTripAndRefusals) {
    TPxDIB dib;
    Load(dib, TestBmp24());
    uint16_t format = 0;
    void* data = nullptr;
    TPaletteHandle palette = reinterpret_cast<TPaletteHandle>(1);
    dib.SaveToClipboardFormat(format, data, palette);
    EXPECT_EQ(format, 8);
    EXPECT_EQ(palette, nullptr);
    ASSERT_NE(data, nullptr);

    TPxDIB back;
    back.LoadFromClipboardFormat(8, data, nullptr);
    GlobalFree(data);
    EXPECT_EQ(back.GetWidth(), 4);
    EXPECT_EQ(back.GetHeight(), 2);

    try {
        back.LoadFromClipboardFormat(2, data, nullptr);
        FAIL();
    } catch (const EInvalidGraphic& e) {
        EXPECT_EQ(e.Message(), L"TPxDIB.LoadFromClipboardFormat: Invalid Clipboard Format or No Data");
    }
    EXPECT_THROW(back.LoadFromClipboardFormat(8, nullptr, nullptr), EInvalidGraphic);
}

TEST(PxDIBWin, FilesThroughTheBaseClass) {
    TTempDir dir;
    TPxDIB dib;
    Load(dib, TestBmp24());
    dib.SaveToFile(dir / L"a.bmp");
    TPxDIB back;
    back.LoadFromFile(dir / L"a.bmp");
    EXPECT_EQ(back.GetWidth(), 4);
    TBitmap bitmap;
    bitmap.LoadFromFile(dir / L"a.bmp");
    EXPECT_EQ(GetPixel(bitmap.Canvas().Handle(), 3, 0), RGB(255, 255, 255));
    bitmap.SaveToFile(dir / L"b.bmp");
    // The same picture; only the resolution fields of the header may differ.
    EXPECT_EQ(ReadFileText(dir / L"a.bmp").substr(54), ReadFileText(dir / L"b.bmp").substr(54));
    EXPECT_EQ(ReadFileText(dir / L"a.bmp").substr(0, 38), ReadFileText(dir / L"b.bmp").substr(0, 38));
}
