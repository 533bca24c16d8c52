// The Windows half of PxDIB: pixel stores in anonymous sections backed by the paging file, GDI
// palettes, and the packed DIB in global memory (CF_DIB clipboard data).
#include "imaging/PxDIB_win.h"

#include <atomic>
#include <cstddef>
#include <cstring>

#include "toolkit/GdiGuards_win.h"
#include "toolkit/Handles_win.h"

static_assert(sizeof(TBitmapFileHeader) == sizeof(BITMAPFILEHEADER));
static_assert(offsetof(TBitmapFileHeader, bfOffBits) == offsetof(BITMAPFILEHEADER, bfOffBits));
static_assert(sizeof(TBitmapInfoHeader) == sizeof(BITMAPINFOHEADER));
static_assert(offsetof(TBitmapInfoHeader, biClrUsed) == offsetof(BITMAPINFOHEADER, biClrUsed));
static_assert(sizeof(TRGBQuad) == sizeof(RGBQUAD) && offsetof(TRGBQuad, rgbRed) == offsetof(RGBQUAD, rgbRed));
static_assert(sizeof(TRGBTriple) == sizeof(RGBTRIPLE));
// GDI takes the header and the colour area as one BITMAPINFO.
static_assert(offsetof(DIBInfos, Colors) == offsetof(DIBInfos, Header) + sizeof(BITMAPINFOHEADER));

namespace {

std::atomic<int64_t> g_stores{0};

}  // namespace

TPxFileMap GetFileMap(uint32_t size) {
    // A section of zero bytes cannot be made; an empty store still gets one byte.
    TUniqueHandle section(
        CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, size ? size : 1, nullptr));
    if (!section) throw EOutOfResources(L"GetFileMap: Cannot Make File Mapping Object");
    void* view = MapViewOfFile(section.get(), FILE_MAP_WRITE, 0, 0, 0);
    if (!view) throw EOutOfResources(L"GetFileMap: Cannot Make View of File Map");
    ++g_stores;
    return {section.release(), static_cast<uint8_t*>(view)};
}

void ReleaseFileMap(void* handle, void* bits) {
    if (!UnmapViewOfFile(bits)) throw EPxDIBAssert(L"ReleaseFileMap: Failed To Unmap View of File map");
    if (!CloseHandle(handle)) throw EPxDIBAssert(L"ReleaseFileMap: Failed To Close File Map");
    --g_stores;
}

int64_t PxPixelStoreCount() { return g_stores.load(); }

void PxAdviseLargeBuffer(void*, size_t) noexcept {}

void DeletePxPalette(void* palette) noexcept {
    if (palette) DeleteObject(static_cast<HPALETTE>(palette));
}

HPALETTE GetPaletteFromDIBInfos(const DIBInfos& infos) {
    const uint32_t count = infos.Header.biClrUsed;
    if (count == 0) return nullptr;
    if (count > 256) throw EPxDIBAssert(L"GetPaletteFromDIBInfos: Invalid Color Count");
    TPxTempBuffer buffer(offsetof(LOGPALETTE, palPalEntry) + count * sizeof(PALETTEENTRY));
    auto* log = reinterpret_cast<LOGPALETTE*>(buffer.Data());
    log->palVersion = 0x300;
    log->palNumEntries = static_cast<WORD>(count);
    for (uint32_t i = 0; i < count; ++i) {
        const TRGBQuad& c = infos.Colors[i];
        // palPalEntry is declared with one element; the buffer holds count of them.
        PALETTEENTRY* entry = &log->palPalEntry[0] + i;
        *entry = PALETTEENTRY{c.rgbRed, c.rgbGreen, c.rgbBlue, 0};
    }
    HPALETTE palette = CreatePalette(log);
    if (!palette) throw EOutOfResources(L"GetPaletteFromDIBInfos: Cannot Make Palette");
    return palette;
}

void TPxInternalDIB::LoadFromClipboardFormat(void* global) {
    TGlobalLock lock(static_cast<HGLOBAL>(global));
    if (!lock.Data()) throw EPxDIBInvalidDIB(L"TPxDIB.LoadFromClipboardFormat: Invalid Clipboard Data");
    LoadFromClipboardData(lock.Data(), GlobalSize(static_cast<HGLOBAL>(global)));
}

void* TPxInternalDIB::SaveToClipboardFormat() const {
    const size_t size = ClipboardDataSize();
    TUniqueGlobal global(GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, size));
    if (!global) throw EOutOfMemory(L"TPxInternalDIB.SaveToClipboardFormat: Out Of Memory");
    {
        TGlobalLock lock(global.get());
        if (!lock.Data()) throw EOutOfMemory(L"TPxInternalDIB.SaveToClipboardFormat: Out Of Memory");
        SaveToClipboardData({static_cast<uint8_t*>(lock.Data()), size});
    }
    return global.release();
}
