// Fuzz target: the image plug-in's header checks, and stb_image behind them. Whatever the checks
// let through must decode to exactly the picture they promised (or be refused by stb_image), and
// must become a DIB of the promised layout.
#include <cstdint>
#include <cstdlib>
#include <span>
#include <vector>

#include "spi/image/PictureDecoder.h"
#include "spi/image/StbConfig.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::span<const uint8_t> bytes(data, size);
    const TPictureFormat format = DetectPictureFormat(bytes);
    TStbHeader header;
    const TSpiResult checked = CheckStbHeader(bytes, header);
    if (checked != srSuccess) return 0;
    if (IsSystemFormat(format) || header.format != format) abort();

    std::vector<uint8_t> storage;
    const std::span<const uint8_t> input = StbInput(bytes, header, storage);
    int width = 0, height = 0, channels = 0;
    uint8_t* pixels = stbi_load_from_memory(input.data(), static_cast<int>(input.size()), &width, &height, &channels, 0);
    if (!pixels) return 0;  // refused by stb_image itself
    stbi_image_free(pixels);
    if (width != header.width || height != header.height || channels != header.channels) abort();

    TDibLayout promised;
    if (ReadStbLayout(bytes, promised) != srSuccess) abort();
    TStbPicture picture;
    if (picture.Decode(bytes) != srSuccess) abort();
    const TDibLayout& layout = picture.Layout();
    if (layout.bitsSize != promised.bitsSize || layout.bitCount != promised.bitCount) abort();
    std::vector<uint8_t> info(layout.infoSize), bits(layout.bitsSize);
    picture.WriteInfo(info.data());
    if (picture.WriteBits(bits.data()) != srSuccess) abort();
    return 0;
}
