// The real program's viewers, driven from outside: a double click on the first row of the sample
// archive shows its picture, Space and the "＜" button page forward and back, in browse mode a right
// click pages forward and a left click back, Enter goes full screen and Enter comes back.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "common/TempDir.h"
#include "common/WindowTest_win.h"
#include "e2e/ProgramDriver_win.h"
#include "e2e/UserActions_win.h"
#include "resources/ResourceIds.h"
#include "toolkit/TextUtil.h"
#include "toolkit/WinPath_win.h"

namespace {

TEST(ProgramEndToEnd, ShowsPagesGoesFullScreenAndComesBack) {
    TTempDir folder;
    TStepShots shots(L"view");
    TProgramDriver program(folder.Path());
    ASSERT_TRUE(program.Start({SampleZip()}));
    HWND list = program.MemberList();
    ASSERT_TRUE(list);

    Click(list, 10, 5, true);
    HWND view = program.WaitForWindow(L"TImgViewForm");
    ASSERT_TRUE(view) << "a double click on the first row shows it";
    EXPECT_TRUE(WaitForCaption(view, L"landscape.png(")) << WideToUtf8(WindowText(view));
    shots.Shot(view, L"first-picture");

    PressKey(view, VK_SPACE);
    EXPECT_TRUE(WaitForCaption(view, L"rose.jpg(")) << WideToUtf8(WindowText(view));
    HWND back = ChildWithText(view, L"＜");
    ASSERT_TRUE(back);
    Click(back, 5, 5);
    EXPECT_TRUE(WaitForCaption(view, L"landscape.png(")) << WideToUtf8(WindowText(view));
    shots.Shot(view, L"paged-forward-and-back");

    // Browse mode: short clicks on the picture page.
    Click(FindDescendant(view, IDC_VIEWER_MODE_BTN), 5, 5);
    HWND picture = FindDescendant(view, IDC_VIEWER_PRE_IMAGE);
    ASSERT_TRUE(picture);
    PostMessageW(picture, WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(50, 50));
    PostMessageW(picture, WM_RBUTTONUP, 0, MAKELPARAM(50, 50));
    EXPECT_TRUE(WaitForCaption(view, L"rose.jpg(")) << "a right click pages forward: " << WideToUtf8(WindowText(view));
    shots.Shot(view, L"browse-mode-right-click");
    Click(picture, 50, 50);
    EXPECT_TRUE(WaitForCaption(view, L"landscape.png(")) << "a left click pages back: " << WideToUtf8(WindowText(view));

    PressKey(view, VK_RETURN);
    HWND full = program.WaitForWindow(L"TFullScreenForm");
    ASSERT_TRUE(full) << "Enter goes full screen";
    EXPECT_TRUE(WaitForShown(view, false));
    RECT screen{}, at{};
    GetWindowRect(GetDesktopWindow(), &screen);
    GetWindowRect(full, &at);
    EXPECT_TRUE(EqualRect(&screen, &at)) << "the whole screen";
    shots.Shot(full, L"full-screen");

    PressKey(full, VK_RETURN);
    EXPECT_TRUE(WaitForShown(full, false)) << "Enter comes back";
    EXPECT_TRUE(WaitForShown(view, true));
    EXPECT_TRUE(WaitForCaption(view, L"landscape.png("));
    shots.Shot(view, L"back-from-full-screen");

    EXPECT_EQ(program.Close(), 0u);
}

}  // namespace
