#pragma once
// The raised frame over a tiled picture that the splash and the version dialog paint as their
// background: the picture is repeated from the top-left corner, then a band about ten pixels wide
// is lightened along the top and left edges and darkened along the right and bottom ones, the
// bands meeting on diagonals at the top-right and bottom-left corners.
//
// A band shifts the whole colour value in the 0x00BBGGRR order by 0x303030, as one number and not
// channel by channel: a byte above 207 carries into the next one (red into green, green into
// blue), and a borrow goes the same way. What carries out of blue, or is borrowed past it, is lost.
#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

// 32-bit pixels, rows top-down, each pixel 0x00RRGGBB as a DIB section holds it in memory.
struct TPixels32 {
    uint32_t* bits = nullptr;
    int width = 0;
    int height = 0;
    int stride = 0;  // pixels from the start of one row to the next

    uint32_t& At(int x, int y) const { return bits[static_cast<size_t>(y) * static_cast<size_t>(stride) + x]; }
};

// One band: the lines firstLine..lastLine (rows, or columns when columns is set), and along line n
// the pixels fromBase + fromSlope × n .. toBase + toSlope × n, each shifted by shift. Whatever falls
// outside the pixels is left out.
struct TBevelBand {
    bool columns;
    int firstLine;
    int lastLine;
    int fromBase;
    int fromSlope;
    int toBase;
    int toSlope;
    int32_t shift;
};
using TBevelFrame = std::array<TBevelBand, 4>;

inline constexpr int32_t kBevelShift = 0x303030;

// The frame of an area width × height painted from its top-left corner (the splash's client area).
TBevelFrame BevelFrame(int width, int height);
// The version dialog's frame, computed from the dialog's outer size as that dialog does: its bands
// are those of an area of (outerWidth - 6) × (outerHeight - 30).
TBevelFrame DialogBevelFrame(int outerWidth, int outerHeight);

// A pixel (0x00RRGGBB) whose colour value (0x00BBGGRR) is shifted by shift.
uint32_t ShiftPixel(uint32_t pixel, int32_t shift);
// Fills the pixels with copies of a tile (tileWidth × tileHeight, rows top-down and packed), the
// first at the top-left corner.
void TilePixels(const TPixels32& target, std::span<const uint32_t> tile, int tileWidth, int tileHeight);
void ApplyBevel(const TPixels32& target, std::span<const TBevelBand> bands);
