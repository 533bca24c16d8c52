#include <windows.h>

#include <memory>

#include "imaging/PxDIB_win.h"
#include "imaging/PxGraph.h"
#include "imaging/Bitmap.h"
#include "toolkit/Canvas.h"
#include "toolkit/ClipboardSession_win.h"
#include "toolkit/GdiGuards_win.h"

namespace {

TPixelFormat BitmapFormatOf(TPxPixelFormat format) {
    switch (format) {
    case pxf1Bit: return TPixelFormat::pf1bit;
    case pxf4Bit:
    case pxf4BitRLE: return TPixelFormat::pf4bit;
    case pxf8Bit:
    case pxf8BitRLE: return TPixelFormat::pf8bit;
    case pxf24Bit: return TPixelFormat::pf24bit;
    }
    throw EPxDIBAssert(L"TPxDIB.AssignTo: Illegal PixelFormat");
}

// A new palette handle with the entries of another.
HPALETTE CopyPalette(HPALETTE palette) {
    if (!palette) return nullptr;
    PALETTEENTRY entries[256];
    const UINT n = GetPaletteEntries(palette, 0, 256, entries);
    struct {
        WORD version, count;
        PALETTEENTRY entries[256];
    } log{0x300, static_cast<WORD>(n), {}};
    std::copy(entries, entries + n, log.entries);
    HPALETTE copy = CreatePalette(reinterpret_cast<LOGPALETTE*>(&log));
    if (!copy) throw EOutOfResources(L"TPxDIB: Cannot Make Palette");
    return copy;
}

}  // namespace

void TPxGraphic::AssignFromClipboard() {
    TClipboardSession clipboard;
    if (!clipboard.IsOpen()) throw EInvalidGraphic(L"TPxGraphic.Assign: Cannot Open Clipboard");
    HANDLE data = GetClipboardData(ClipboardFormat());
    HANDLE palette = GetClipboardData(CF_PALETTE);
    LoadFromClipboardFormat(ClipboardFormat(), data, static_cast<TPaletteHandle>(palette));
}

TPaletteHandle TPxDIB::GetPalette() {
    Require(L"TPxDIB.GetPalette: InternalDIB Should not be Nil");
    if (!internal_->PaletteHandle() && internal_->Infos().Header.biClrUsed != 0)
        internal_->SetPaletteHandle(GetPaletteFromDIBInfos(internal_->Infos()));
    return static_cast<TPaletteHandle>(internal_->PaletteHandle());
}

void TPxDIB::SetPalette(TPaletteHandle palette) {
    Require(L"TPxDIB.SetPalette: InternalDIB Should not be Nil");
    UniqueDIB();
    DIBInfos& infos = internal_->Infos();
    if (palette) {
        PALETTEENTRY entries[256];
        const UINT n = GetPaletteEntries(palette, 0, 256, entries);
        if (n == 0) throw EPxDIBInvalidPalette(L"TPxDIB.SetPalette: Invalid Palette");
        infos.Header.biClrUsed = n;
        for (UINT i = 0; i < n; ++i) infos.Colors[i] = TRGBQuad{entries[i].peBlue, entries[i].peGreen, entries[i].peRed, 0};
        internal_->UpdatePalette();
        internal_->SetPaletteHandle(palette);
    } else {
        infos.Header.biClrUsed = 0;
        internal_->UpdatePalette();
    }
    UpdatePaletteModified();
    Changed();
}

void TPxDIB::Draw(TCanvas& canvas, const TRect& rect) {
    if (!internal_) return;
    HDC dc = canvas.Handle();
    TSelectPalette selection(dc, GetPalette());
    const int oldMode = SetStretchBltMode(dc, COLORONCOLOR);
    const DIBInfos& infos = internal_->Infos();
    StretchDIBits(dc, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top, 0, 0, internal_->Width(),
                  internal_->Height(), infos.Bits, AsBitmapInfo(infos), DIB_RGB_COLORS, canvas.CopyMode());
    SetStretchBltMode(dc, oldMode);
}

void TPxDIB::LoadFromClipboardFormat(uint16_t format, void* data, TPaletteHandle) {
    if (format != kCF_DIB || !data)
        throw EInvalidGraphic(L"TPxDIB.LoadFromClipboardFormat: Invalid Clipboard Format or No Data");
    TakeNewDIB(new TPxInternalDIB);
    internal_->LoadFromClipboardFormat(data);
    UpdatePaletteModified();
    Changed();
}

void TPxDIB::LoadFromResourceName(void* module, const wchar_t* name) {
    auto* m = static_cast<HMODULE>(module);
    HRSRC info = FindResourceW(m, name, RT_BITMAP);
    HGLOBAL data = info ? LoadResource(m, info) : nullptr;  // resource memory: never freed
    const void* bytes = data ? LockResource(data) : nullptr;
    if (!bytes) throw EInvalidGraphic(L"TPxDIB.LoadFromResourceName: Bitmap Not Found: " + std::wstring(name));
    TakeNewDIB(new TPxInternalDIB);
    internal_->LoadFromClipboardData(bytes, SizeofResource(m, info));
    UpdatePaletteModified();
    Changed();
}

void TPxDIB::SaveToClipboardFormat(uint16_t& format, void*& data, TPaletteHandle& palette) {
    Require(L"TPxDIB.SaveToClipboardFormat: InternalDIB Should not be Nil");
    format = kCF_DIB;
    palette = nullptr;
    data = internal_->SaveToClipboardFormat();
}

bool TPxDIB::AssignFromPlatformGraphic(const TGraphic& source) {
    const auto* bitmap = dynamic_cast<const TBitmap*>(&source);
    if (!bitmap) return false;
    BITMAP bm{};
    if (!bitmap->Handle() || !GetObjectW(bitmap->Handle(), sizeof bm, &bm))
        throw EInvalidGraphic(L"TPxDIB.Assign: Invalid Bitmap");
    int bitCount = bm.bmBitsPixel * bm.bmPlanes;
    if (bitCount == 16 || bitCount == 32) bitCount = 24;
    auto fresh = std::make_unique<TPxInternalDIB>();
    fresh->CreateDIB(bm.bmWidth, bm.bmHeight, 0, bitCount);
    DIBInfos& infos = fresh->Infos();
    {
        TWindowDC screen(nullptr);
        TSelectPalette selection(screen.get(), static_cast<HPALETTE>(const_cast<TBitmap*>(bitmap)->GetPalette()));
        if (!GetDIBits(screen.get(), bitmap->Handle(), 0, static_cast<UINT>(bm.bmHeight), infos.Bits,
                       AsBitmapInfo(infos), DIB_RGB_COLORS))
            throw EInvalidGraphic(L"TPxDIB.Assign: Cannot Read Bitmap");
    }
    // GetDIBits fills the header too: keep the storage's invariants.
    infos.Header.biSize = 40;
    infos.Header.biCompression = 0;
    infos.Header.biSizeImage = 0;
    if (infos.Header.biClrUsed == 0) infos.Header.biClrUsed = bitCount <= 8 ? 1u << bitCount : 0;
    TakeNewDIB(fresh.release());
    internal_->UpdatePalette();
    UpdatePaletteModified();
    Changed();
    return true;
}

bool TPxDIB::AssignToPlatformGraphic(TGraphic& dest) const {
    auto* bitmap = dynamic_cast<TBitmap*>(&dest);
    if (!bitmap) return false;
    const TPixelFormat format = BitmapFormatOf(internal_->GetPixelFormat());
    bitmap->SetHeight(0);
    bitmap->SetWidth(0);
    bitmap->SetPixelFormat(format);
    const_cast<TPxDIB*>(this)->GetPalette();
    bitmap->SetPalette(static_cast<TPaletteHandle>(CopyPalette(static_cast<HPALETTE>(internal_->PaletteHandle()))));
    bitmap->SetHeight(internal_->Height());
    bitmap->SetWidth(internal_->Width());
    const DIBInfos& infos = internal_->Infos();
    StretchDIBits(bitmap->Canvas().Handle(), 0, 0, internal_->Width(), internal_->Height(), 0, 0, internal_->Width(),
                  internal_->Height(), infos.Bits, AsBitmapInfo(infos), DIB_RGB_COLORS, SRCCOPY);
    return true;
}
