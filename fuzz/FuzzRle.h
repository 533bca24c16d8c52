#pragma once
// The RLE fuzz targets' shared body. Input: width - 1, height - 1, then the encoded stream. A
// stream the decoder accepts is encoded again and decoded once more: the visible pixels must
// survive the round trip.
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "imaging/PxRLE.h"

template <class Decode, class Encode>
int FuzzRle(const uint8_t* data, size_t size, uint32_t bits, Decode decode, Encode encode) {
    if (size < 2) return 0;
    const uint32_t width = data[0] + 1u, height = data[1] + 1u;
    const size_t stride = RowStride(width, bits);
    std::vector<uint8_t> pixels(stride * height);
    try {
        decode(std::span<const uint8_t>(data + 2, size - 2), width, height, pixels);
    } catch (const EPxDIBInvalidDIB&) {
        return 0;  // refused cleanly
    }
    // Worst case two bytes a pixel, plus the ends of lines and of the bitmap and the room kept free.
    std::vector<uint8_t> encoded(size_t{width} * height * 4 + size_t{height} * 8 + 16);
    encoded.resize(encode(pixels, width, height, false, encoded));
    std::vector<uint8_t> back(pixels.size());
    decode(encoded, width, height, back);
    for (uint32_t y = 0; y < height; ++y) {
        for (uint32_t x = 0; x < width; ++x) {
            const size_t i = y * stride + x * bits / 8;
            const int shift = bits == 4 && !(x & 1) ? 4 : 0;
            const uint8_t mask = bits == 4 ? 0x0F : 0xFF;
            if (((pixels[i] >> shift) & mask) != ((back[i] >> shift) & mask)) abort();
        }
    }
    return 0;
}
