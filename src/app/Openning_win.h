#pragma once
// The splash window shown while the program starts: a borderless window of 368 × 128 pixels in
// the middle of the screen, the tiled "BACKBMP" picture under a raised frame, and the program's
// name (with a shadow) and version over it. Its owner creates it, shows it, and destroys it once
// the main window is made.
#include <windows.h>

#include "imaging/Bevel_win.h"
#include "toolkit/Form_win.h"
#include "toolkit/Handles_win.h"

class TOpenningDlg : public TForm {
public:
    static constexpr int kClientWidth = 368;
    static constexpr int kClientHeight = 128;

    TOpenningDlg();
    // Shows the window and paints it at once, without waiting for the message loop.
    void Show();

protected:
    LRESULT WndProc(UINT msg, WPARAM wp, LPARAM lp) override;
    // Paints the whole client area off screen, then copies it in one piece.
    void OnPaint(HDC dc) override;

private:
    TBevelBackground background_;
    TUniqueGdiObject titleFont_;
    TUniqueGdiObject versionFont_;
};
