// The splash window on the display: its place and size, the pixels it paints, and what it leaves
// behind when its owner destroys it.
#include "app/Openning_win.h"

#include <gtest/gtest.h>

#include <cstdio>

#include "common/WindowTest_win.h"
#include "imaging/PxDIB.h"
#include "toolkit/Application_win.h"
#include "toolkit/GdiGuards_win.h"

namespace {

// A pixel (0x00RRGGBB) of the "BACKBMP" tile, read by GDI apart from the splash's own loading. The
// tile's bytes stay within 0x30..0xCF, so the bevel's 0x303030 never carries on it.
uint32_t TilePixel(int x, int y) {
    TUniqueGdiObject tile(LoadImageW(GetModuleHandleW(nullptr), L"BACKBMP", IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
    const TMemoryDC dc(CreateCompatibleDC(nullptr));
    const TSelectObject selected(dc.get(), tile.get());
    const COLORREF c = GetPixel(dc.get(), x, y);
    return static_cast<uint32_t>(GetRValue(c)) << 16 | GetGValue(c) << 8 | GetBValue(c);
}

}  // namespace

TEST(Splash, BorderlessCentredAndPaintedAtOnce) {
    Application().Initialize();
    TOpenningDlg splash;
    splash.Show();
    // No message is handled between Show and the reading: Show painted it.
    RECT client = splash.ClientRect(), frame{};
    GetWindowRect(splash.Handle(), &frame);
    EXPECT_EQ(client.right, 368);
    EXPECT_EQ(client.bottom, 128);
    EXPECT_EQ(frame.right - frame.left, 368) << "no border";
    EXPECT_EQ(frame.left, (GetSystemMetrics(SM_CXSCREEN) - 368) / 2);
    EXPECT_EQ(frame.top, (GetSystemMetrics(SM_CYSCREEN) - 128) / 2);

    const TPaintBuffer shot(client.right, client.bottom);  // what the screen shows of the client area
    BitBlt(shot.DC(), 0, 0, shot.Width(), shot.Height(), TWindowDC(splash.Handle()).get(), 0, 0, SRCCOPY);
    const TPixels32 pixels = shot.Pixels();
    auto at = [&](int x, int y) { return pixels.At(x, y) & 0xFFFFFF; };
    EXPECT_EQ(at(0, 0), TilePixel(0, 0) + 0x303030) << "lightened top-left corner";
    EXPECT_EQ(at(12, 112), TilePixel(12, 112 % 64)) << "inside the frame, no caption";
    EXPECT_EQ(at(367, 127), TilePixel(367 % 64, 127 % 64) - 0x303030) << "darkened bottom-right corner";
    // The title in black over its silver shadow.
    int black = 0, silver = 0;
    for (int y = 18; y < 74; ++y) {
        for (int x = 24; x < 344; ++x) {
            black += at(x, y) == 0;
            silver += at(x, y) == 0xC0C0C0;
        }
    }
    EXPECT_GT(black, 500);
    EXPECT_GT(silver, 100);

    SetForegroundWindow(splash.Handle());
    std::printf("screenshot: %ls\n", SaveWindowPng(splash.Handle(), L"splash").c_str());
}

TEST(Splash, LeavesNoWindowGdiObjectOrPixelStoreBehind) {
    Application().Initialize();
    auto cycle = [] {
        TOpenningDlg splash;
        splash.Show();
        PumpFor(50);
        splash.Destroy();
    };
    cycle();  // the first fills the process's caches (class, fonts)
    PumpFor(50);
    const int windows = CountThreadWindows(), gdi = CountGdiObjects();
    const int64_t stores = PxPixelStoreCount();
    for (int i = 0; i < 2; ++i) {
        cycle();
        PumpFor(50);
        EXPECT_EQ(CountThreadWindows(), windows);
        EXPECT_EQ(CountGdiObjects(), gdi) << CountGdiObjectsMethod();
        EXPECT_EQ(PxPixelStoreCount(), stores);
    }
}
