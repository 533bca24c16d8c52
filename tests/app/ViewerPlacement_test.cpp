#include "app/ViewerPlacement.h"

#include <gtest/gtest.h>

TEST(ViewerPlacement, RoundHalfEven) {
    const std::pair<double, int> cases[] = {{0.5, 0}, {1.5, 2}, {2.5, 2}, {744.96, 745}, {496.64, 497}, {-0.5, 0}, {-1.5, -2}, {3.4999, 3}};
    for (const auto& [value, want] : cases) EXPECT_EQ(RoundHalfEven(value), want) << value;
}

TEST(ViewerPlacement, FullScreen) {
    struct Case {
        int w, h, screenW, screenH;
        TPictureFrame want;
    };
    const Case cases[] = {
        {100, 100, 1024, 768, {139, 4, 745, 745}},   // taller in proportion: 97 % of the height
        {2000, 1000, 1024, 768, {15, 128, 993, 497}},  // wider: 97 % of the width
        {1024, 768, 1024, 768, {15, 4, 993, 745}},  // same proportion: by the height
        {0, 10, 1024, 768, {512, 376, 0, 0}},       // nothing to scale
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.w << "x" << c.h);
        const TPictureFrame f = FullScreenPictureFrame(c.w, c.h, c.screenW, c.screenH);
        EXPECT_EQ(f.left, c.want.left);
        EXPECT_EQ(f.top, c.want.top);
        EXPECT_EQ(f.width, c.want.width);
        EXPECT_EQ(f.height, c.want.height);
    }
    EXPECT_EQ(FullScreenLabel(L"a.jpg", 100, 80), L" a.jpg(100x80)  ");
}

TEST(ViewerPlacement, ImageViewWindow) {
    struct Case {
        int w, h, panel;
        TWorkArea area;
        int presentLeft, presentTop;
        TPictureFrame want;
    };
    const TWorkArea screen{0, 0, 1024, 738};
    const Case cases[] = {
        {100, 80, 0, screen, 10, 20, {10, 20, 259, 251}},
        {251, 201, 0, screen, 10, 20, {10, 20, 260, 252}},
        {100, 80, 30, screen, 10, 20, {10, 20, 259, 281}},           // the tool panel adds its height
        {100, 80, 0, screen, 900, 600, {1024 - 259 - 1, 738 - 251 - 1, 259, 251}},  // pulled back inside
        {2000, 1000, 0, screen, 50, 50, {0, 0, 2009, 1051}},        // larger than the area: its corner
        {100, 80, 0, {100, 40, 1124, 778}, 300, 400, {300, 400, 259, 251}},
        // Offset areas compare the window's far edge with the area's size, not with its end.
        {100, 80, 0, {100, 40, 1124, 778}, 800, 500, {1124 - 259 - 1, 778 - 251 - 1, 259, 251}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.w << "x" << c.h << " at " << c.presentLeft << "," << c.presentTop);
        const TPictureFrame b = ImageViewBounds(c.w, c.h, c.panel, c.area, c.presentLeft, c.presentTop);
        EXPECT_EQ(b.left, c.want.left);
        EXPECT_EQ(b.top, c.want.top);
        EXPECT_EQ(b.width, c.want.width);
        EXPECT_EQ(b.height, c.want.height);
    }
    EXPECT_EQ(ImageViewCaption(L"a.jpg", 100, 80), L"a.jpg(100x80)");
}
