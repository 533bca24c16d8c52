// The settings store over real INI files.
#include "app/SpiReg_win.h"

#include <gtest/gtest.h>

#include "common/TempDir.h"
#include "toolkit/IniFile_win.h"

TEST(SpiRegFile, WithoutAFileTheDefaultsHold) {
    TTempDir dir;
    TSpiRegValues want;
    want.viewMode = false;         // the file's default replaces the initial true
    want.saveFolder = dir.Path();  // the INI file's folder, without a trailing backslash
    EXPECT_EQ(TSpiReg(dir / L"VardenoView.ini").Values(), want);
    EXPECT_FALSE(TSpiReg(dir / L"no such folder\\VardenoView.ini").Write()) << "a file that cannot be written";
}

TEST(SpiRegFile, AnOldAnsiFileIsReadAndLongTextsAreCut) {
    TTempDir dir;
    const std::wstring path = dir / L"VardenoView.ini";
    // Shift-JIS, as an older version wrote it: FolderView=C:\写真.
    WriteFileText(path, "[FormStyle]\r\nWidth=800\r\nHeight=0\r\n[FolderSetting]\r\nFolderView=C:\\\x8E\xCA\x90\x5E\r\n"
                        "BrowseFolder=C:\\" + std::string(297, 'x') + "\r\n");
    const TSpiReg reg(path);
    EXPECT_EQ(reg.Values().width, 800);
    EXPECT_EQ(reg.Values().height, 0);
    EXPECT_EQ(reg.Values().folderView, L"C:\\写真");
    EXPECT_EQ(reg.Values().browseFolder, L"C:\\" + std::wstring(252, L'x'));
    EXPECT_EQ(reg.Values().saveFolder, reg.Values().browseFolder);
}

TEST(SpiRegFile, EveryValueComesBackAndTheFileKeepsTheSaveFolder) {
    TTempDir dir;
    // Hangul and "€" are outside the ANSI code page (932) the tests run under.
    const std::wstring path = dir / L"설정€.ini";
    const TSpiRegValues v{.width = 700, .height = 540, .folderTreeWidth = 180, .filerHeight = 150,
                          .listOperationShown = true, .imageLeft = 40, .imageTop = 50, .viewMode = true,
                          .imageToolBar = false, .folderView = L"C:\\写真\\사진 €", .filerShown = false,
                          .filerSmallIcons = false, .browseFolder = L"C:\\picked", .saveFolder = L"D:\\保存\\한글"};
    TSpiReg reg(path);
    reg.SetValues(v);
    ASSERT_TRUE(reg.Write());

    TSpiRegValues want = v;
    want.imageLeft = want.imageTop = 0;  // kept in memory only
    want.browseFolder = v.saveFolder;    // the one key holds the save folder
    EXPECT_EQ(TSpiReg(path).Values(), want);
    EXPECT_EQ(TIniFile(path).ReadString(L"FolderSetting", L"BrowseFolder", L""), v.saveFolder);
    EXPECT_EQ(TIniFile(path).ReadInteger(L"FormStyle", L"AOperation", -1), 1) << "booleans are 0 and 1";
}
