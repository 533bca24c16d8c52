// The tiled background's frame: which pixels each band reaches, and the colour arithmetic that
// carries and borrows across the colour bytes.
#include "imaging/Bevel.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

constexpr uint32_t kBase = 0x00406080;   // memory order 0x00RRGGBB
constexpr uint32_t kLight = 0x007090B0;  // each byte + 0x30
constexpr uint32_t kDark = 0x00103050;   // each byte - 0x30

// An area of exactly width × height pixels (so that the sanitizers see a stray write) of one colour,
// with a frame applied.
std::vector<uint32_t> Framed(int width, int height, const TBevelFrame& frame, uint32_t color = kBase) {
    std::vector<uint32_t> pixels(static_cast<size_t>(width) * height, color);
    ApplyBevel(TPixels32{pixels.data(), width, height, width}, frame);
    return pixels;
}

}  // namespace

TEST(Bevel, PixelsOfTheFrame) {
    const auto splash = Framed(368, 128, BevelFrame(368, 128));
    // The version dialog: outer 441 × 452, E = H - 31 = 421.
    const auto dialog = Framed(435, 422, DialogBevelFrame(441, 452));
    // A dialog so low that the bottom band's first rows lie above the area.
    const auto low = Framed(94, 5, DialogBevelFrame(100, 35));
    struct Case {
        const char* name;
        const std::vector<uint32_t>& pixels;
        int width, x, y;
        uint32_t want;
    };
    const Case cases[] = {
        {"top-left corner", splash, 368, 0, 0, kLight},
        {"top row ends on the diagonal, darkened there too", splash, 368, 367, 0, kBase},
        {"row 10 ends at width - 11", splash, 368, 357, 10, kLight},
        {"right band starts at the diagonal", splash, 368, 358, 9, kBase},
        {"right band below the diagonal", splash, 368, 358, 10, kDark},
        {"left band runs to height - column - 1", splash, 368, 10, 117, kLight},
        {"bottom band starts at its diagonal", splash, 368, 10, 118, kDark},
        {"left band meets it there", splash, 368, 9, 118, kBase},
        {"bottom-left corner: lightened and darkened", splash, 368, 0, 127, kBase},
        {"bottom band ends at width - 11", splash, 368, 357, 127, kDark},
        {"dialog: right band from W - x - 7", dialog, 435, 425, 9, kBase},
        {"dialog: right band down to E", dialog, 435, 434, 421, kDark},
        {"dialog: bottom band from H - y - 31", dialog, 435, 9, 412, kBase},
        {"dialog: top and bottom bands on one row", low, 94, 0, 4, kBase},
        {"dialog: bottom band clipped at the top", low, 94, 4, 0, kBase},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(c.pixels[static_cast<size_t>(c.y) * c.width + c.x], c.want) << std::hex << c.want;
    }
}

TEST(Bevel, ShiftActsOnTheWholeColourValue) {
    struct Case {
        const char* name;
        uint32_t pixel;
        int32_t shift;
        uint32_t want;
    };
    const Case cases[] = {
        {"red carries into green", 0x00E06080, kBevelShift, 0x001091B0},
        {"green carries into blue", 0x0040E080, kBevelShift, 0x007010B1},
        {"carry out of blue is lost", 0x004060F0, kBevelShift, 0x00709020},
        {"red borrows from green", 0x00106080, -kBevelShift, 0x00E02F50},
        {"borrow past blue is lost", 0x00406010, -kBevelShift, 0x001030E0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(ShiftPixel(c.pixel, c.shift), c.want) << std::hex << ShiftPixel(c.pixel, c.shift);
    }
}

TEST(Bevel, TilesRepeatFromTheTopLeftAndStayInsideTheRows) {
    const std::vector<uint32_t> tile = {1, 2, 3, 4, 5, 6};  // 3 × 2
    const int width = 7, height = 5, stride = 9;
    std::vector<uint32_t> pixels(static_cast<size_t>(stride) * height, 99);
    TilePixels(TPixels32{pixels.data(), width, height, stride}, tile, 3, 2);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < stride; ++x)
            EXPECT_EQ(pixels[static_cast<size_t>(y) * stride + x], x < width ? tile[(y % 2) * 3 + x % 3] : 99u) << x << "," << y;
}
