#include "plugins/SPIPxDIB.h"

#include <cstring>
#include <memory>
#include <utility>

#include "plugins/SPILoadRules.h"
#include "toolkit/PictureFormats.h"
#include "toolkit/Handles_win.h"
#include "toolkit/SystemInfo.h"

namespace {

std::unique_ptr<TGraphic> NewSPIPxDIB() { return std::make_unique<TSPIPxDIB>(); }

const TGraphicClass kSPIPxDIBClass{L"TSPIPxDIB", &NewSPIPxDIB, &TPxDIB::StaticClass()};

// The screen's depth, measured once, the first time a picture asks.
int ScreenBitsPerPixel() {
    static const int bits = ScreenMetrics().bitsPerPixel;
    return bits;
}

}  // namespace

const TGraphicClass& TSPIPxDIB::StaticClass() { return kSPIPxDIBClass; }

void TSPIPxDIB::Assign(const TGraphic* source) {
    if (const auto* other = dynamic_cast<const TSPIPxDIB*>(source)) {
        PaletteMode = other->PaletteMode;
        SkipHeader = other->SkipHeader;
    }
    TPxDIB::Assign(source);
}

bool TSPIPxDIB::TakeDIB(std::span<const uint8_t> info, std::span<const uint8_t> bits,
                        const TSPIPictureInfoCopy& pictureInfo) {
    // The plug-in's blocks must hold what their header promises; nothing is read beyond them.
    const auto layout = SPIDIBLayout(info, bits.size());
    if (!layout) return false;
    const uint64_t total = layout->infoSize + layout->imageSize;
    TUniqueGlobal memory(GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, static_cast<SIZE_T>(total)));
    if (!memory) throw EOutOfMemory(L"TSPIPxDIB: Out Of Memory");
    {
        auto* p = static_cast<uint8_t*>(GlobalLock(memory.get()));
        if (!p) throw EOutOfMemory(L"TSPIPxDIB: Out Of Memory");
        std::memcpy(p, info.data(), static_cast<size_t>(layout->infoSize));
        std::memcpy(p + layout->infoSize, bits.data(), static_cast<size_t>(layout->imageSize));
        GlobalUnlock(memory.get());
    }
    // Those told of the change see the new picture's info; a picture that is refused keeps its own.
    TSPIPictureInfoCopy previous = std::exchange(pictureInfo_, pictureInfo);
    try {
        LoadFromClipboardFormat(kCF_DIB, memory.get(), nullptr);
    } catch (...) {
        pictureInfo_ = std::move(previous);
        throw;
    }
    return true;
}

void TSPIPxDIB::Changed() {
    const TBitmapInfoHeader& h = InternalDIB().Infos().Header;
    const bool trueColor = h.biBitCount == 16 || h.biBitCount == 24 || h.biBitCount == 32;
    if (!makingPalette_ && trueColor && h.biClrUsed == 0 &&
        (PaletteMode == 2 || (PaletteMode == 1 && ScreenBitsPerPixel() <= 8))) {
        // Making the palette changes the picture again; that change must not start another.
        makingPalette_ = true;
        try {
            CreateTrueColorPalette();
        } catch (...) {
            makingPalette_ = false;
            throw;
        }
        makingPalette_ = false;
    }
    TPxDIB::Changed();
}
