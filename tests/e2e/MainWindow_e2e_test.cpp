// The real program, started and driven from outside as a user would: it opens the sample archive
// named on its command line, the filter narrows the list, select all selects every row, and
// closing it writes its settings file.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/TempDir.h"
#include "common/WindowTest_win.h"
#include "e2e/ProgramDriver_win.h"
#include "e2e/UserActions_win.h"
#include "resources/ResourceIds.h"
#include "toolkit/TextUtil.h"
#include "toolkit/WinPath_win.h"

namespace {

TEST(ProgramEndToEnd, OpensTheNamedArchiveFiltersSelectsAndKeepsItsSettings) {
    TTempDir folder;
    TProgramDriver program(folder.Path());
    ASSERT_TRUE(program.Start({SampleZip()}));
    HWND main = program.MainWindow();
    EXPECT_EQ(WindowText(main), L"Vardeno View  Ver.0.14(β版)");

    HWND strip = program.Control(IDC_MAIN_STRIP);
    HWND list = program.MemberList();
    HWND filter = program.Control(IDC_MAIN_FILTER);
    ASSERT_TRUE(strip && list && filter);
    EXPECT_EQ(WindowText(strip), L"  アーカイブファイル  sample.zip の情報");
    EXPECT_EQ(RowNames(list), (std::vector<std::wstring>{L"landscape.png", L"rose.jpg", L"logo.gif", L"checker.bmp",
                                                         L"夕焼け.png", L"薔薇.jpg", L"魔法使い.gif", L"格子.bmp"}));

    // The filter's third entry is the program's own BMP pattern: the two bitmaps remain.
    SendMessageW(filter, CB_SETCURSEL, 2, 0);
    SendMessageW(GetParent(filter), WM_COMMAND, MAKEWPARAM(IDC_MAIN_FILTER, CBN_SELCHANGE), reinterpret_cast<LPARAM>(filter));
    EXPECT_EQ(RowNames(list), (std::vector<std::wstring>{L"checker.bmp", L"格子.bmp"}));

    // "すべてを選択" from the menu.
    PostMessageW(main, WM_COMMAND, MAKEWPARAM(IDM_MAIN_SELECT_ALL, 0), 0);
    struct TSel {
        HWND list;
    } sel{list};
    EXPECT_TRUE(WaitFor([](void* p) { return SendMessageW(static_cast<TSel*>(p)->list, LB_GETSELCOUNT, 0, 0) == 2; }, &sel));

    SetForegroundWindow(main);
    SaveWindowPng(main, L"e2e_main_window");

    EXPECT_EQ(program.Close(), 0u);
    wchar_t value[MAX_PATH]{};
    GetPrivateProfileStringW(L"FolderSetting", L"BrowseFolder", L"", value, MAX_PATH, program.IniPath().c_str());
    EXPECT_EQ(std::wstring(value), folder.Path());
}

}  // namespace
