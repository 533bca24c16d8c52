#include "plugins/SPIBmp.h"

#include <memory>

#include "plugins/SPILoadRules.h"
#include "toolkit/PictureFormats.h"
#include "plugins/SPIs.h"
#include "toolkit/Streams.h"

namespace {

std::unique_ptr<TGraphic> NewSPIBitmap() { return std::make_unique<TSPIBitmap>(); }

const TGraphicClass kSPIBitmapClass{L"TSPIBitmap", &NewSPIBitmap, &TBitmap::StaticClass()};

}  // namespace

const TGraphicClass& TSPIBitmap::StaticClass() { return kSPIBitmapClass; }

void TSPIBitmap::Assign(const TGraphic* source) {
    if (const auto* other = dynamic_cast<const TSPIBitmap*>(source)) SkipHeader = other->SkipHeader;
    TBitmap::Assign(source);
}

bool TSPIBitmap::TakeDIB(std::span<const uint8_t> info, std::span<const uint8_t> bits, const TSPIPictureInfoCopy&) {
    // The plug-in's blocks must hold what their header promises; nothing is read beyond them.
    const auto layout = SPIDIBLayout(info, bits.size());
    if (!layout) return false;
    const uint64_t offBits = 14 + layout->infoSize;
    const uint64_t total = offBits + layout->imageSize;
    if (total > UINT32_MAX) return false;  // no room for the file header
    // A BMP file in memory: file header, bitmap info, pixels; read with the bitmap's own reader.
    TMemoryStream bmp;
    const uint16_t type = 0x4D42;
    const uint32_t fileSize = static_cast<uint32_t>(total), reserved = 0, off = static_cast<uint32_t>(offBits);
    bmp.WriteBuffer(&type, 2);
    bmp.WriteBuffer(&fileSize, 4);
    bmp.WriteBuffer(&reserved, 4);
    bmp.WriteBuffer(&off, 4);
    bmp.WriteBuffer(info.data(), static_cast<size_t>(layout->infoSize));
    bmp.WriteBuffer(bits.data(), static_cast<size_t>(layout->imageSize));
    bmp.SetPosition(0);
    TBitmap::LoadFromStream(bmp);
    return true;
}
