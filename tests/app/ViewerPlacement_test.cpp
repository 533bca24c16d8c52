#include "app/ViewerPlacement.h"

#include <gtest/gtest.h>

namespace {

std::string Frame(const TPictureFrame& f) {
    return std::to_string(f.left) + "," + std::to_string(f.top) + " " + std::to_string(f.width) + "x" +
           std::to_string(f.height);
}

}  // namespace

TEST(ViewerPlacement, FullScreen) {
    for (const auto& [value, want] : {std::pair{0.5, 0}, {1.5, 2}, {2.5, 2}, {-1.5, -2}, {3.4999, 3}})
        EXPECT_EQ(RoundHalfEven(value), want) << value;
    EXPECT_EQ(Frame(FullScreenPictureFrame(100, 100, 1024, 768)), "139,4 745x745");   // by the height
    EXPECT_EQ(Frame(FullScreenPictureFrame(2000, 1000, 1024, 768)), "15,128 993x497"); // wider: by the width
    EXPECT_EQ(Frame(FullScreenPictureFrame(1024, 768, 1024, 768)), "15,4 993x745");    // same proportion
    EXPECT_EQ(Frame(FullScreenPictureFrame(0, 10, 1024, 768)), "512,376 0x0");
    EXPECT_EQ(FullScreenLabel(L"a.jpg", 100, 80), L" a.jpg(100x80)  ");
}

TEST(ViewerPlacement, ImageViewWindow) {
    struct Case { int w, h, panel; TWorkArea area; int left, top; const char* want; };
    const TWorkArea screen{0, 0, 1024, 738};
    const TWorkArea offset{100, 40, 1124, 778};
    const Case cases[] = {
        {100, 80, 0, screen, 10, 20, "10,20 259x251"},
        {251, 201, 0, screen, 10, 20, "10,20 260x252"},
        {100, 80, 30, screen, 10, 20, "10,20 259x281"},     // the tool panel adds its height
        {100, 80, 0, screen, 900, 600, "764,486 259x251"},  // pulled back inside
        {2000, 1000, 0, screen, 50, 50, "0,0 2009x1051"},   // larger than the area: its corner
        {100, 80, 0, offset, 300, 400, "300,400 259x251"},
        // The far edge is compared with the area's size, not with its end.
        {100, 80, 0, offset, 800, 500, "864,526 259x251"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Frame(ImageViewBounds(c.w, c.h, c.panel, c.area, c.left, c.top)), c.want) << c.w << "x" << c.h;
    EXPECT_EQ(ImageViewCaption(L"a.jpg", 100, 80), L"a.jpg(100x80)");
}
