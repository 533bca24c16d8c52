#include "imaging/Bevel.h"

#include <algorithm>

namespace {

// 0x00RRGGBB and 0x00BBGGRR into each other: red and blue change places.
uint32_t SwapRedBlue(uint32_t value) { return (value & 0xFF) << 16 | (value & 0xFF00) | (value >> 16 & 0xFF); }

}  // namespace

TBevelFrame BevelFrame(int width, int height) {
    const int right = width - 1, bottom = height - 1;
    return {{
        // Top: rows 0..10, each from the left edge to the diagonal that ends at the top-right corner.
        {false, 0, 10, 0, 0, right, -1, kBevelShift},
        // Left: columns 0..10 below the top band, each down to the diagonal of the bottom-left corner.
        {true, 0, 10, 11, 0, bottom, -1, kBevelShift},
        // Right: the ten last columns, each from the top-right diagonal down to the bottom.
        {true, width - 10, right, right, -1, bottom, 0, -kBevelShift},
        // Bottom: the ten last rows, each from the bottom-left diagonal to the right band.
        {false, height - 10, bottom, bottom, -1, width - 11, 0, -kBevelShift},
    }};
}

TBevelFrame DialogBevelFrame(int outerWidth, int outerHeight) { return BevelFrame(outerWidth - 6, outerHeight - 30); }

uint32_t ShiftPixel(uint32_t pixel, int32_t shift) {
    const uint32_t color = SwapRedBlue(pixel) + static_cast<uint32_t>(shift);
    return SwapRedBlue(color & 0xFFFFFF);
}

void TilePixels(const TPixels32& target, std::span<const uint32_t> tile, int tileWidth, int tileHeight) {
    if (tileWidth <= 0 || tileHeight <= 0 || tile.size() < static_cast<size_t>(tileWidth) * tileHeight) return;
    for (int y = 0; y < target.height; ++y) {
        const uint32_t* source = tile.data() + static_cast<size_t>(y % tileHeight) * tileWidth;
        uint32_t* row = &target.At(0, y);
        for (int x = 0; x < target.width; x += tileWidth)
            std::copy_n(source, std::min(tileWidth, target.width - x), row + x);
    }
}

void ApplyBevel(const TPixels32& target, std::span<const TBevelBand> bands) {
    for (const TBevelBand& band : bands) {
        const int lines = band.columns ? target.width : target.height;
        const int along = band.columns ? target.height : target.width;
        const int last = std::min(band.lastLine, lines - 1);
        for (int line = std::max(band.firstLine, 0); line <= last; ++line) {
            const int from = std::max(band.fromBase + band.fromSlope * line, 0);
            const int to = std::min(band.toBase + band.toSlope * line, along - 1);
            for (int i = from; i <= to; ++i) {
                uint32_t& pixel = band.columns ? target.At(line, i) : target.At(i, line);
                pixel = ShiftPixel(pixel, band.shift);
            }
        }
    }
}
