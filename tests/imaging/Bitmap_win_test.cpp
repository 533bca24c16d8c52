// The toolkit bitmap's own GDI work: a picture survives changes that make a new bitmap while the
// old one is selected into the canvas.
#include <windows.h>

#include <gtest/gtest.h>

#include <functional>

#include "imaging/Bitmap.h"

TEST(TBitmap, ThePictureSurvivesWhileItsCanvasHoldsTheBitmap) {
    constexpr COLORREF kRed = RGB(255, 0, 0);
    struct Case {
        const char* name;
        std::function<void(TBitmap& drawn, TBitmap& result)> change;
    };
    const Case cases[] = {
        {"wider", [](TBitmap& b, TBitmap&) { b.SetWidth(8); }},
        {"taller", [](TBitmap& b, TBitmap&) { b.SetHeight(8); }},
        {"other pixel format", [](TBitmap& b, TBitmap&) { b.SetPixelFormat(TPixelFormat::pf32bit); }},
        {"assigned to another bitmap", [](TBitmap& b, TBitmap& other) { other.Assign(&b); }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TBitmap drawn, other;
        drawn.SetWidth(4);
        drawn.SetHeight(4);
        SetPixel(drawn.Canvas().Handle(), 1, 2, kRed);  // the canvas keeps the bitmap selected
        c.change(drawn, other);
        TBitmap& result = other.GetEmpty() ? drawn : other;
        EXPECT_EQ(GetPixel(result.Canvas().Handle(), 1, 2), kRed);
        EXPECT_EQ(GetPixel(result.Canvas().Handle(), 2, 1), RGB(0, 0, 0));
    }
}
