// The system's dialogs behind the file-dialog seam, driven while they wait for the user.
#include "shell/FileDialogs_win.h"

#include <windows.h>

#include <dlgs.h>

#include <gtest/gtest.h>

#include "common/TempDir.h"
#include "common/WindowTest_win.h"
#include "toolkit/Application_win.h"

namespace {

// Types a name into the common dialog's name box and presses OK.
void Answer(HWND dialog, const std::wstring& name) {
    SetDlgItemTextW(dialog, cmb13, name.c_str());
    PostMessageW(dialog, WM_COMMAND, IDOK, 0);
}

}  // namespace

TEST(ShellFileDialogs, OpenSeveralFilesSaveWithAForcedExtensionAndPickAFolder) {
    Application().Initialize();
    TTempDir dir;
    WriteFileText(dir / L"a.lzh", "a");
    WriteFileText(dir / L"画像.zip", "b");
    TFileDialogsScope scope(ShellFileDialogs());

    TOpenFileRequest open;
    open.filter = L"アーカイブ|*.lzh;*.zip";
    open.initialDir = dir.Path();
    open.multiSelect = true;
    {
        TDialogDriver driver(cmb13, {[](HWND d) { Answer(d, L"\"a.lzh\" \"画像.zip\""); }});
        EXPECT_EQ(CurrentFileDialogs().ChooseFilesToOpen(open), (std::vector<std::wstring>{dir / L"a.lzh", dir / L"画像.zip"}));
    }
    {
        TDialogDriver driver(cmb13, {[](HWND d) { PostMessageW(d, WM_COMMAND, IDCANCEL, 0); }});
        EXPECT_TRUE(CurrentFileDialogs().ChooseFilesToOpen(open).empty());
    }

    TSaveFileRequest save;
    save.filter = L"Bitmapファイル(*.BMP)|*.BMP";
    save.initialDir = dir.Path();
    save.fileName = L"a.jpg";
    save.forcedExtension = L".BMP";
    {
        TDialogDriver driver(cmb13, {[](HWND d) {
                                 wchar_t preset[MAX_PATH] = {};
                                 GetDlgItemTextW(d, cmb13, preset, MAX_PATH);
                                 EXPECT_STREQ(preset, L"a.jpg");
                                 Answer(d, L"pic.png");
                             }});
        EXPECT_EQ(CurrentFileDialogs().ChooseFileToSave(save), dir / L"pic.BMP");
    }

    TFolderRequest folder;
    folder.caption = L"開くフォルダの選択";
    folder.initialFolder = dir.Path();
    {
        TDialogDriver driver(0x3741, {[](HWND d) { PostMessageW(d, WM_COMMAND, IDOK, 0); }});
        const auto chosen = CurrentFileDialogs().ChooseFolder(folder);
        ASSERT_TRUE(chosen);
        EXPECT_EQ(chosen->path, dir.Path());
    }
}
