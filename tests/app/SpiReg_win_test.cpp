// The settings store over real INI files.
#include "app/SpiReg_win.h"

#include <gtest/gtest.h>

#include "common/TempDir.h"
#include "toolkit/IniFile_win.h"

TEST(SpiRegFile, WithoutAFileTheDefaultsHold) {
    TTempDir dir;
    const TSpiReg reg(dir / L"VardenoView.ini");
    TSpiRegValues want;
    want.viewMode = false;           // the file's default replaces the initial true
    want.saveFolder = dir.Path();    // the INI file's folder, without a trailing backslash
    EXPECT_EQ(reg.Values(), want);
    EXPECT_FALSE(AppliesStoredLayout(reg.Values()));

    EXPECT_FALSE(TSpiReg(dir / L"no such folder\\VardenoView.ini").Write()) << "a file that cannot be written";
}

TEST(SpiRegFile, AnOldAnsiFileIsRead) {
    TTempDir dir;
    const std::wstring path = dir / L"VardenoView.ini";
    // Shift-JIS, as an older version wrote it: FolderView=C:\写真.
    WriteFileText(path, "[FormStyle]\r\nWidth=800\r\nHeight=0\r\n[FolderSetting]\r\nFolderView=C:\\\x8E\xCA\x90\x5E\r\n");
    TSpiReg reg(path);
    EXPECT_EQ(reg.Values().width, 800);
    EXPECT_FALSE(AppliesStoredLayout(reg.Values())) << "Height 0 keeps the designed layout";
    EXPECT_EQ(reg.Values().folderView, L"C:\\写真");
    EXPECT_TRUE(reg.Write());
    EXPECT_EQ(TSpiReg(path).Values().folderView, L"C:\\写真");
}

TEST(SpiRegFile, EveryValueComesBackAndTheFileKeepsTheSaveFolder) {
    TTempDir dir;
    // Hangul and "€" are outside the ANSI code page (932) the tests run under.
    const std::wstring path = dir / L"설정€.ini";
    TSpiRegValues v;
    v.width = 700;
    v.height = 540;
    v.folderTreeWidth = 180;
    v.filerHeight = 150;
    v.listOperationShown = true;
    v.imageLeft = 40;
    v.imageTop = 50;
    v.viewMode = true;
    v.imageToolBar = false;
    v.folderView = L"C:\\写真\\사진 €";
    v.filerShown = false;
    v.filerSmallIcons = false;
    v.browseFolder = L"C:\\picked";
    v.saveFolder = L"D:\\保存\\한글";
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

TEST(SpiRegFile, LongTextsAreCutOnTheWayIn) {
    TTempDir dir;
    const std::wstring path = dir / L"VardenoView.ini";
    const std::wstring longFolder = L"C:\\" + std::wstring(297, L'長');
    TIniFile(path).WriteString(L"FolderSetting", L"FolderView", longFolder);
    TSpiReg reg(path);
    EXPECT_EQ(reg.Values().folderView, longFolder.substr(0, 255));

    TSpiRegValues v = reg.Values();
    v.saveFolder = longFolder;
    reg.SetValues(v);
    EXPECT_EQ(reg.Values().saveFolder, longFolder.substr(0, 255));
}
