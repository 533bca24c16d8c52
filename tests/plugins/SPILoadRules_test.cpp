#include "plugins/SPILoadRules.h"

#include <gtest/gtest.h>

#include <cstring>

TEST(NativeReaderFirst, NamelessAndOwnFormatGoNativeFirst) {
    struct Case {
        const wchar_t* ext;
        bool want;
    };
    const Case cases[] = {{L"", true},      {L".bmp", true},  {L".BMP", true}, {L".Bmp", true},
                          {L".jpg", false}, {L".bmpx", false}, {L".bm", false}, {L".dib", false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::PrintToString(std::wstring(c.ext)));
        EXPECT_EQ(NativeReaderFirst(c.ext, L"BMP"), c.want);
    }
}

TEST(SPIProgressEvent, StagesPercentAndRedraw) {
    struct Case {
        int num, denom;
        TProgressStage stage;
        int percent;
        bool redraw;
    };
    const Case cases[] = {
        {0, 100, TProgressStage::psStarting, 0, false},
        {100, 100, TProgressStage::psEnding, 100, true},
        {1, 3, TProgressStage::psRunning, 33, false},
        {2, 3, TProgressStage::psRunning, 67, false},
        {1, 8, TProgressStage::psRunning, 12, false},   // 12.5 rounds to even
        {3, 8, TProgressStage::psRunning, 38, false},   // 37.5 rounds to even
        {0, 0, TProgressStage::psStarting, 0, false},
        // What careless plug-ins send: no division by zero, nothing outside 0..100.
        {5, 0, TProgressStage::psRunning, 0, false},
        {7, -2, TProgressStage::psRunning, 0, false},
        {300, 100, TProgressStage::psRunning, 100, false},
        {-5, 100, TProgressStage::psRunning, 0, false},
        {2000000000, 2100000000, TProgressStage::psRunning, 95, false},  // no 32-bit overflow
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.num) + "/" + std::to_string(c.denom));
        const TSPIProgress p = SPIProgressEvent(c.num, c.denom);
        EXPECT_EQ(p.stage, c.stage);
        EXPECT_EQ(p.percent, c.percent);
        EXPECT_EQ(p.redraw, c.redraw);
    }
}

namespace {

struct THeader {
    uint32_t size = 40;
    int32_t width = 1, height = 1;
    uint16_t bits = 24;
    uint32_t compression = 0, clrUsed = 0;
};

// A bitmap-info block of blockSize bytes that starts with the header (a core header when its size is
// 12, with 16-bit width and height); the rest is zeros.
std::vector<uint8_t> InfoBlock(const THeader& h, size_t blockSize) {
    std::vector<uint8_t> b(std::max<size_t>(blockSize, 40), 0);
    std::memcpy(&b[0], &h.size, 4);
    if (h.size == 12) {
        const uint16_t w = static_cast<uint16_t>(h.width), ht = static_cast<uint16_t>(h.height), planes = 1;
        std::memcpy(&b[4], &w, 2);
        std::memcpy(&b[6], &ht, 2);
        std::memcpy(&b[8], &planes, 2);
        std::memcpy(&b[10], &h.bits, 2);
    } else {
        std::memcpy(&b[4], &h.width, 4);
        std::memcpy(&b[8], &h.height, 4);
        b[12] = 1;
        std::memcpy(&b[14], &h.bits, 2);
        std::memcpy(&b[16], &h.compression, 4);
        std::memcpy(&b[32], &h.clrUsed, 4);
    }
    b.resize(blockSize);
    return b;
}

}  // namespace

TEST(SPIDIBLayout, FramesByTheHeadersOwnSizeMasksAndColourTable) {
    struct Case {
        const char* name;
        THeader header;
        uint64_t infoBlock, bitsBlock;
        bool ok;
        uint32_t colors = 0;
        uint64_t infoSize = 0, imageSize = 0;
    };
    constexpr uint64_t kHuge = 1ull << 40;  // a pixel block "size" no test allocates
    const Case cases[] = {
        {"8-bit with count 0 carries 256 entries", {.width = 3, .height = 2, .bits = 8}, 1064, 8, true, 256, 1064, 8},
        {"1-bit default", {.width = 33, .bits = 1}, 48, 8, true, 2, 48, 8},
        {"4-bit default", {.width = 1, .height = 5, .bits = 4}, 104, 20, true, 16, 104, 20},
        {"24-bit has none", {.width = 3, .height = 3}, 40, 36, true, 0, 40, 36},
        {"count given is kept", {.width = 10, .bits = 8, .clrUsed = 17}, 108, 12, true, 17, 108, 12},
        {"top-down height counts its rows", {.width = 4, .height = -3}, 40, 36, true, 0, 40, 36},
        {"blocks larger than needed", {.width = 2, .height = 2, .bits = 32}, 4096, 4096, true, 0, 40, 16},
        {"565 masks follow a 40-byte header", {.width = 3, .height = 2, .bits = 16, .compression = 3}, 52, 16, true, 0,
         52, 16},
        {"32-bit masks follow a 40-byte header", {.width = 2, .bits = 32, .compression = 3}, 52, 8, true, 0, 52, 8},
        {"masks, then the colour table", {.width = 2, .bits = 16, .compression = 3, .clrUsed = 2}, 60, 4, true, 2, 60,
         4},
        {"V4 header holds its masks", {.size = 108, .width = 2, .bits = 16, .compression = 3}, 108, 4, true, 0, 108, 4},
        {"V5 header holds its masks", {.size = 124, .width = 2, .bits = 32, .compression = 3}, 124, 8, true, 0, 124, 8},
        {"V5 header, then the colour table", {.size = 124, .width = 4, .bits = 8, .clrUsed = 2}, 132, 4, true, 2, 132,
         4},
        {"core header with triples", {.size = 12, .width = 3, .height = 2, .bits = 8}, 780, 8, true, 256, 780, 8},
        {"core header, 24-bit", {.size = 12, .width = 1, .height = 1}, 12, 4, true, 0, 12, 4},
        // Headers that cannot frame a picture.
        {"block too short for a header size", {}, 3, 4, false},
        {"unknown header size", {.size = 56}, 56, 4, false},
        {"V5 header in a 40-byte block", {.size = 124, .width = 2, .bits = 32, .compression = 3}, 40, 8, false},
        {"core header cut", {.size = 12}, 8, 4, false},
        {"masks missing", {.width = 2, .bits = 16, .compression = 3}, 48, 4, false},
        {"colour table cut", {.width = 4, .bits = 8}, 1063, 4, false},
        {"pixel block one byte short", {.width = 3, .height = 3}, 40, 35, false},
        {"2 bits", {.bits = 2}, 40, 4, false},
        {"64 bits", {.bits = 64}, 40, 8, false},
        {"core header, 16 bits", {.size = 12, .bits = 16}, 12, 4, false},
        {"width 0", {.width = 0}, 40, 4, false},
        {"negative width", {.width = -4}, 40, 16, false},
        {"height 0", {.height = 0}, 40, 4, false},
        // Sizes are checked before they could wrap into small ones.
        {"2^30 wide, 2^31 rows, 64 bits", {.width = 1 << 30, .height = INT32_MIN, .bits = 64}, 40, kHuge, false},
        {"widest, most rows", {.width = INT32_MAX, .height = INT32_MIN, .bits = 32}, 40, kHuge, false},
        {"4 GB of pixels", {.width = 1 << 14, .height = 1 << 16, .bits = 32}, 40, kHuge, false},
        {"under 4 GB of pixels, over it with the header", {.width = 1, .height = (1 << 30) - 1}, 40, kHuge, false},
        {"4 GB less 4 bytes in all", {.width = 1, .height = (1 << 30) - 11}, 40, kHuge, true, 0, 40, 4294967252},
        {"colour count beyond the block", {.bits = 8, .clrUsed = 0xFFFFFFFF}, 1064, 4, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const auto info = InfoBlock(c.header, static_cast<size_t>(c.infoBlock));
        const auto layout = SPIDIBLayout(info, c.bitsBlock);
        ASSERT_EQ(layout.has_value(), c.ok);
        if (!c.ok) continue;
        EXPECT_EQ(layout->headerSize, c.header.size);
        EXPECT_EQ(layout->colors, c.colors);
        EXPECT_EQ(layout->infoSize, c.infoSize);
        EXPECT_EQ(layout->imageSize, c.imageSize);
    }
}
