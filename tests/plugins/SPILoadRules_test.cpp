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
std::vector<uint8_t> Header(int32_t width, int32_t height, uint16_t bits, uint32_t clrUsed) {
    std::vector<uint8_t> h(40, 0);
    const uint32_t size = 40;
    std::memcpy(&h[0], &size, 4);
    std::memcpy(&h[4], &width, 4);
    std::memcpy(&h[8], &height, 4);
    h[12] = 1;
    std::memcpy(&h[14], &bits, 2);
    std::memcpy(&h[32], &clrUsed, 4);
    return h;
}
}  // namespace

TEST(SPIDIBLayout, ColoursAndImageSize) {
    struct Case {
        const char* name;
        int32_t width, height;
        uint16_t bits;
        uint32_t clrUsed, colors;
        uint64_t image;
    };
    const Case cases[] = {
        {"8-bit with count 0 carries 256 entries", 3, 2, 8, 0, 256, 8},
        {"1-bit default", 33, 1, 1, 0, 2, 8},
        {"4-bit default", 1, 5, 4, 0, 16, 20},
        {"24-bit has none", 3, 3, 24, 0, 0, 36},
        {"count given is kept", 10, 1, 8, 17, 17, 12},
        {"top-down height counts its rows", 4, -3, 24, 0, 0, 36},
        {"32-bit", 2, 2, 32, 0, 0, 16},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const auto h = Header(c.width, c.height, c.bits, c.clrUsed);
        const auto layout = SPIDIBLayout(h.data(), h.size());
        ASSERT_TRUE(layout);
        EXPECT_EQ(layout->colors, c.colors);
        EXPECT_EQ(layout->infoSize, 40 + 4ull * c.colors);
        EXPECT_EQ(layout->imageSize, c.image);
    }
    const auto h = Header(1, 1, 8, 0);
    EXPECT_FALSE(SPIDIBLayout(h.data(), 39));  // the header itself does not fit the block
    const auto negative = Header(-4, 1, 24, 0);
    EXPECT_FALSE(SPIDIBLayout(negative.data(), 40));
    // Huge sizes are computed in 64 bits, never wrapped into small ones.
    const auto huge = Header(0x7FFFFFFF, INT32_MIN, 32, 0);
    const auto layout = SPIDIBLayout(huge.data(), 40);
    ASSERT_TRUE(layout);
    EXPECT_GT(layout->imageSize, 1ull << 40);
}
