#include "app/ViewerPlacement.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace {

constexpr double kScreenShare = 0.97;
constexpr int kLabelHeight = 15;  // the height of a line of text, kept free below the centred picture
constexpr int kMinPictureWidth = 250;
constexpr int kMinPictureHeight = 200;
constexpr int kFrameWidth = 9;    // window borders
constexpr int kFrameHeight = 51;  // borders, caption and menu

// One axis of the window's position: the work area's start when the window is larger than the
// area, else where it is unless it would run past the area's end.
int PlaceAxis(int present, int size, int start, int end) {
    if (size > end - start) return start;
    if (present + size > end - start) return end - size - 1;
    return present;
}

}  // namespace

int RoundHalfEven(double value) {
    const double lower = std::floor(value);
    const double fraction = value - lower;
    double rounded = lower;
    if (fraction > 0.5 || (fraction == 0.5 && std::fmod(lower, 2.0) != 0.0)) rounded = lower + 1;
    return static_cast<int>(rounded);
}

TPictureFrame FullScreenPictureFrame(int width, int height, int screenWidth, int screenHeight) {
    TPictureFrame frame;
    if (width > 0 && height > 0) {
        // Compared as products so that no ratio is rounded: wider in proportion than the screen
        // fills its width, otherwise its height.
        const bool wider = int64_t{width} * screenHeight > int64_t{height} * screenWidth;
        const double scale = wider ? screenWidth * kScreenShare / width : screenHeight * kScreenShare / height;
        frame.width = RoundHalfEven(width * scale);
        frame.height = RoundHalfEven(height * scale);
    }
    frame.left = (screenWidth - frame.width) / 2;
    frame.top = (screenHeight - frame.height - kLabelHeight) / 2;
    return frame;
}

std::wstring FullScreenLabel(std::wstring_view name, int width, int height) {
    return L" " + ImageViewCaption(name, width, height) + L"  ";
}

TPictureFrame ImageViewBounds(int width, int height, int toolPanelHeight, const TWorkArea& workArea, int presentLeft,
                              int presentTop) {
    TPictureFrame bounds;
    bounds.width = std::max(width, kMinPictureWidth) + kFrameWidth;
    bounds.height = std::max(height, kMinPictureHeight) + kFrameHeight + toolPanelHeight;
    bounds.top = PlaceAxis(presentTop, bounds.height, workArea.top, workArea.bottom);
    bounds.left = PlaceAxis(presentLeft, bounds.width, workArea.left, workArea.right);
    return bounds;
}

std::wstring ImageViewCaption(std::wstring_view name, int width, int height) {
    return std::wstring(name) + L"(" + std::to_wstring(width) + L"x" + std::to_wstring(height) + L")";
}
