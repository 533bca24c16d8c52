#pragma once
// Where the two viewers put a picture of w × h pixels: scaled to 97 % of the screen and centred in
// full screen; in a window sized to the picture and kept inside the desktop's work area otherwise.
#include <string>
#include <string_view>

// Rounds to the nearest integer, halves to the even neighbour.
int RoundHalfEven(double value);

struct TPictureFrame {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
};

// The stretched picture on a screen of screenWidth × screenHeight, centred across and, less a
// line of text's height, down.
TPictureFrame FullScreenPictureFrame(int width, int height, int screenWidth, int screenHeight);
// " name(wxh)  ": the full-screen window's file-name line, in its top-left corner.
std::wstring FullScreenLabel(std::wstring_view name, int width, int height);

struct TWorkArea {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
};

// The image view window for a picture: its size from the picture (at least 250 × 200 of picture
// area, plus the frame and, when shown, the tool panel of toolPanelHeight) and its position: kept
// where it is (presentLeft, presentTop) unless it would then run past the work area.
TPictureFrame ImageViewBounds(int width, int height, int toolPanelHeight, const TWorkArea& workArea, int presentLeft,
                              int presentTop);
// "name(wxh)": the image view window's caption.
std::wstring ImageViewCaption(std::wstring_view name, int width, int height);
