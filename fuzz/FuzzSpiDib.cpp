// Fuzz target: the framing of a picture that a plug-in hands back in two blocks, and the DIB readers
// behind it. The input is the length of the bitmap-info block (16 bits, little-endian), that block,
// then the pixel block. What the framing accepts must lie within the two blocks, and the packed DIB
// and the BMP file made from it must never be found short by the readers: any other refusal of
// theirs is a clean one (a zero mask, a picture beyond their limits).
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string_view>
#include <vector>

#include "imaging/PxDIB.h"
#include "plugins/SPILoadRules.h"
#include "toolkit/Streams.h"

namespace {

// A reader that finds a framed picture short means the framing took too little, or took it wrongly.
void ExpectNotShort(const Exception& e) {
    const std::wstring_view message = e.Message();
    if (dynamic_cast<const EReadError*>(&e) || message.ends_with(L"Clipboard Data Too Short") ||
        message.ends_with(L"Beyond End of Stream")) {
        abort();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 2) return 0;
    const size_t infoLength = std::min<size_t>(data[0] | data[1] << 8, size - 2);
    // Blocks of their own, so that a read past either one is caught.
    const std::vector<uint8_t> info(data + 2, data + 2 + infoLength);
    const std::vector<uint8_t> bits(data + 2 + infoLength, data + size);
    const auto layout = SPIDIBLayout(info, bits.size());
    if (!layout) return 0;
    if (layout->infoSize > info.size() || layout->imageSize > bits.size()) abort();

    std::vector<uint8_t> packed(info.begin(), info.begin() + static_cast<ptrdiff_t>(layout->infoSize));
    packed.insert(packed.end(), bits.begin(), bits.begin() + static_cast<ptrdiff_t>(layout->imageSize));
    try {
        TPxInternalDIB dib;
        dib.LoadFromClipboardData(packed.data(), packed.size());
    } catch (const Exception& e) {
        ExpectNotShort(e);
    }

    TMemoryStream bmp;
    const uint16_t type = kBitmapFileType;
    const uint32_t fileSize = static_cast<uint32_t>(14 + packed.size()), reserved = 0;
    const uint32_t offBits = static_cast<uint32_t>(14 + layout->infoSize);
    bmp.WriteBuffer(&type, 2);
    bmp.WriteBuffer(&fileSize, 4);
    bmp.WriteBuffer(&reserved, 4);
    bmp.WriteBuffer(&offBits, 4);
    bmp.WriteBuffer(packed.data(), packed.size());
    bmp.SetPosition(0);
    try {
        TPxInternalDIB dib;
        dib.LoadFromStream(bmp);
    } catch (const Exception& e) {
        ExpectNotShort(e);
    }
    return 0;
}
