#include "imaging/Bitmap.h"

#include "imaging/PxDIB_win.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "toolkit/Exceptions.h"
#include "toolkit/PictureFormats.h"

namespace {

int BitCountOf(TPixelFormat format) {
    switch (format) {
    case TPixelFormat::pf1bit: return 1;
    case TPixelFormat::pf4bit: return 4;
    case TPixelFormat::pf8bit: return 8;
    case TPixelFormat::pf32bit: return 32;
    case TPixelFormat::pfDevice:
    case TPixelFormat::pf24bit: break;
    }
    return 24;
}

TPixelFormat FormatOfBitCount(int bits) {
    switch (bits) {
    case 1: return TPixelFormat::pf1bit;
    case 4: return TPixelFormat::pf4bit;
    case 8: return TPixelFormat::pf8bit;
    case 32: return TPixelFormat::pf32bit;
    default: return TPixelFormat::pf24bit;
    }
}

// A BITMAPINFO with room for a full colour table.
struct TDIBInfo {
    BITMAPINFOHEADER header;
    RGBQUAD colors[256];
};

std::unique_ptr<TGraphic> NewBitmap() { return std::make_unique<TBitmap>(); }

const TGraphicClass kBitmapClass{L"TBitmap", &NewBitmap, nullptr};

// The colours of a palette as a colour table; a grey ramp when there is no palette.
int ColorTableFor(TPaletteHandle palette, int bits, RGBQUAD* table) {
    const int count = bits <= 8 ? 1 << bits : 0;
    if (count == 0) return 0;
    PALETTEENTRY entries[256] = {};
    const int got = palette ? static_cast<int>(GetPaletteEntries(palette, 0, count, entries)) : 0;
    for (int i = 0; i < count; ++i) {
        if (i < got) {
            table[i] = RGBQUAD{entries[i].peBlue, entries[i].peGreen, entries[i].peRed, 0};
        } else {
            const BYTE v = static_cast<BYTE>(got ? 0 : i * 255 / (count - 1));
            table[i] = RGBQUAD{v, v, v, 0};
        }
    }
    return count;
}

}  // namespace

TBitmap::TBitmap() = default;

TBitmap::~TBitmap() { DropCanvas(); }

const TGraphicClass& TBitmap::StaticClass() { return kBitmapClass; }

void TBitmap::DropCanvas() {
    canvas_.SetHandle(nullptr);
    selected_.reset();
    dc_.reset();
}

TCanvas& TBitmap::Canvas() {
    if (!dc_) {
        if (!bitmap_) Recreate(std::max(width_, 1), std::max(height_, 1), format_, false);
        TMemoryDC dc(CreateCompatibleDC(nullptr));
        if (!dc) throw EOutOfResources(L"TBitmap.Canvas: Cannot Make Device Context");
        dc_ = std::move(dc);
        selected_.emplace(dc_.get(), bitmap_.get());
        canvas_.SetHandle(dc_.get());
    }
    return canvas_;
}

void TBitmap::CopyFrom(HBITMAP source, HDC selectedIn) {
    // A bitmap can be selected into one device context at a time: one already selected is read there.
    if (selectedIn) {
        BitBlt(Canvas().Handle(), 0, 0, width_, height_, selectedIn, 0, 0, SRCCOPY);
        return;
    }
    const TMemoryDC from(CreateCompatibleDC(nullptr));
    if (!from) throw EOutOfResources(L"TBitmap: Cannot Make Device Context");
    const TSelectObject selected(from.get(), source);
    BitBlt(Canvas().Handle(), 0, 0, width_, height_, from.get(), 0, 0, SRCCOPY);
}

void TBitmap::Recreate(int width, int height, TPixelFormat format, bool keepPicture) {
    TUniqueBitmap fresh;
    if (width > 0 && height > 0) {
        TDIBInfo info{};
        info.header.biSize = sizeof(BITMAPINFOHEADER);
        info.header.biWidth = width;
        info.header.biHeight = height;
        info.header.biPlanes = 1;
        info.header.biBitCount = static_cast<WORD>(BitCountOf(format));
        info.header.biClrUsed = static_cast<DWORD>(ColorTableFor(palette_.get(), info.header.biBitCount, info.colors));
        void* bits = nullptr;
        fresh.reset(
            CreateDIBSection(nullptr, reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS, &bits, nullptr, 0));
        if (!fresh) throw EOutOfResources(L"TBitmap: Cannot Make Bitmap");
        if (keepPicture && bitmap_) {
            // The old bitmap may still be selected into the canvas; a bitmap can be selected into
            // one device context at a time.
            DropCanvas();
            const TMemoryDC from(CreateCompatibleDC(nullptr));
            const TMemoryDC to(CreateCompatibleDC(nullptr));
            if (!from || !to) throw EOutOfResources(L"TBitmap: Cannot Make Device Context");
            const TSelectObject fromSelected(from.get(), bitmap_.get());
            const TSelectObject toSelected(to.get(), fresh.get());
            BitBlt(to.get(), 0, 0, std::min(width, width_), std::min(height, height_), from.get(), 0, 0, SRCCOPY);
        }
    }
    DropCanvas();
    bitmap_ = std::move(fresh);
    width_ = width;
    height_ = height;
    format_ = format == TPixelFormat::pfDevice ? TPixelFormat::pf24bit : format;
}

void TBitmap::SetWidth(int value) {
    if (value == width_) return;
    Recreate(std::max(value, 0), height_, format_, true);
    Changed();
}

void TBitmap::SetHeight(int value) {
    if (value == height_) return;
    Recreate(width_, std::max(value, 0), format_, true);
    Changed();
}

void TBitmap::SetPixelFormat(TPixelFormat format) {
    if (format == TPixelFormat::pfDevice) format = TPixelFormat::pf24bit;
    if (format == format_) return;
    Recreate(width_, height_, format, true);
    Changed();
}

void TBitmap::SetPalette(TPaletteHandle palette) {
    palette_.reset(palette);
    // The colour table of an indexed bitmap follows its palette.
    if (bitmap_ && BitCountOf(format_) <= 8) {
        RGBQUAD table[256];
        const int count = ColorTableFor(palette, BitCountOf(format_), table);
        SetDIBColorTable(Canvas().Handle(), 0, static_cast<UINT>(count), table);
    }
    SetPaletteModified(true);
    Changed();
}

void TBitmap::Assign(const TGraphic* source) {
    const auto* other = dynamic_cast<const TBitmap*>(source);
    if (!other) {
        TGraphic::Assign(source);
        return;
    }
    if (other == this) return;
    Recreate(other->width_, other->height_, other->format_, false);
    if (other->palette_) {
        PALETTEENTRY entries[256];
        const UINT n = GetPaletteEntries(other->palette_.get(), 0, 256, entries);
        std::vector<BYTE> buf(sizeof(LOGPALETTE) + 256 * sizeof(PALETTEENTRY));
        auto* log = reinterpret_cast<LOGPALETTE*>(buf.data());
        log->palVersion = 0x300;
        log->palNumEntries = static_cast<WORD>(n);
        std::memcpy(log->palPalEntry, entries, n * sizeof(PALETTEENTRY));
        palette_.reset(CreatePalette(log));
    } else {
        palette_.reset();
    }
    if (other->bitmap_) CopyFrom(other->bitmap_.get(), other->dc_.get());
    SetPaletteModified(true);
    Changed();
}

void TBitmap::Draw(TCanvas& canvas, const TRect& rect) {
    if (!bitmap_) return;
    HDC target = canvas.Handle();
    const TSelectPalette palette(target, palette_.get());
    const int oldMode = SetStretchBltMode(target, COLORONCOLOR);
    StretchBlt(target, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top, Canvas().Handle(), 0, 0,
               width_, height_, canvas.CopyMode());
    SetStretchBltMode(target, oldMode);
}

void TBitmap::LoadFromDIB(const BITMAPINFO& info, const void* bits) {
    const BITMAPINFOHEADER& h = info.bmiHeader;
    const int width = h.biWidth;
    const int height = h.biHeight < 0 ? -h.biHeight : h.biHeight;
    const int bitCount = h.biPlanes * h.biBitCount;
    Recreate(width, height, FormatOfBitCount(bitCount == 16 ? 24 : bitCount), false);
    // An indexed picture brings its colour table along, as the colour table and as the palette.
    if (bitCount <= 8) {
        const DWORD colors = h.biClrUsed ? std::min<DWORD>(h.biClrUsed, 256) : 1u << bitCount;
        std::vector<BYTE> buf(sizeof(LOGPALETTE) + 256 * sizeof(PALETTEENTRY));
        auto* log = reinterpret_cast<LOGPALETTE*>(buf.data());
        log->palVersion = 0x300;
        log->palNumEntries = static_cast<WORD>(colors);
        for (DWORD i = 0; i < colors; ++i) {
            const RGBQUAD& q = info.bmiColors[i];
            log->palPalEntry[i] = PALETTEENTRY{q.rgbRed, q.rgbGreen, q.rgbBlue, 0};
        }
        palette_.reset(CreatePalette(log));
        SetDIBColorTable(Canvas().Handle(), 0, colors, info.bmiColors);
    }
    if (width > 0 && height > 0) {
        StretchDIBits(Canvas().Handle(), 0, 0, width, height, 0, 0, width, height, bits, &info, DIB_RGB_COLORS,
                      SRCCOPY);
    }
    SetPaletteModified(true);
    Changed();
}

void TBitmap::LoadFromClipboardFormat(uint16_t format, void* data, TPaletteHandle palette) {
    if (format != CF_BITMAP || !data) throw EInvalidGraphic(L"TBitmap.LoadFromClipboardFormat: Invalid Clipboard Format or No Data");
    BITMAP bm{};
    if (!GetObjectW(static_cast<HBITMAP>(data), sizeof bm, &bm)) throw EInvalidGraphic(L"TBitmap.LoadFromClipboardFormat: Invalid Bitmap");
    Recreate(bm.bmWidth, bm.bmHeight, FormatOfBitCount(bm.bmBitsPixel * bm.bmPlanes), false);
    CopyFrom(static_cast<HBITMAP>(data), nullptr);
    (void)palette;
    Changed();
}

void TBitmap::SaveToClipboardFormat(uint16_t& format, void*& data, TPaletteHandle& palette) {
    format = CF_BITMAP;
    palette = nullptr;
    data = CopyImage(bitmap_.get(), IMAGE_BITMAP, 0, 0, 0);
    if (!data) throw EOutOfResources(L"TBitmap.SaveToClipboardFormat: Cannot Copy Bitmap");
}

void TBitmap::LoadFromStream(TStream& stream) {
    TPxInternalDIB dib;
    dib.LoadFromStream(stream);
    LoadFromDIB(*AsBitmapInfo(dib.Infos()), dib.Infos().Bits);
}

void TBitmap::SaveToStream(TStream& stream) {
    TPxInternalDIB dib;
    if (bitmap_) {
        const int bits = BitCountOf(format_) == 32 ? 24 : BitCountOf(format_);
        dib.CreateDIB(width_, height_, bits <= 8 ? 1 << bits : 0, bits);
        // GetDIBits wants the bitmap out of any device context.
        DropCanvas();
        const TWindowDC screen(nullptr);
        const int rows = GetDIBits(screen.get(), bitmap_.get(), 0, static_cast<UINT>(height_), dib.Infos().Bits,
                                   AsBitmapInfo(dib.Infos()), DIB_RGB_COLORS);
        if (rows != height_) throw EInvalidGraphic(L"TBitmap.SaveToStream: Cannot Read Bitmap");
        TBitmapInfoHeader& h = dib.Infos().Header;
        h.biSize = 40;
        h.biCompression = 0;
        h.biSizeImage = 0;
        if (bits <= 8 && h.biClrUsed == 0) h.biClrUsed = 1u << bits;
    }
    dib.SaveToStream(stream);
}
