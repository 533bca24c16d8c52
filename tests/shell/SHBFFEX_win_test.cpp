// The folder picker on the shell's real dialog, driven while Execute waits in it.
#include "shell/SHBFFEX_win.h"

#include <gtest/gtest.h>

#include "common/TempDir.h"
#include "common/WindowTest_win.h"
#include "toolkit/Application_win.h"
#include "toolkit/Controls_win.h"
#include "toolkit/Form_win.h"

namespace {

const int kBrowseTree = 0x3741, kBrowseStatus = 0x3743;  // the shell dialog's controls

std::wstring ItemText(HWND dialog, int id) {
    wchar_t text[1024] = {};
    GetDlgItemTextW(dialog, id, text, 1024);
    return text;
}

}  // namespace

TEST(BrowseFolderId, AManualNameThatIsNoFolderFallsBackToTheDesktop) {
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    TTempDir dir;
    CreateDirectoryW((dir / L"画像").c_str(), nullptr);
    WriteFileText(dir / L"a.txt", "a");
    EXPECT_EQ(PathOfIdList(BrowseFolderId(CSIDL_DESKTOP, true, dir / L"画像").get()), dir / L"画像");
    for (const auto& name : {dir / L"ない", dir / L"a.txt", std::wstring()}) {
        const TItemIdList id = BrowseFolderId(CSIDL_DESKTOP, true, name);
        EXPECT_TRUE(id && IdListLength(id.get()) == 0) << "the desktop";
    }
    EXPECT_EQ(PathOfIdList(BrowseFolderId(CSIDL_PERSONAL, false, dir / L"画像").get()),
              PathOfIdList(TItemIdList::SpecialFolder(CSIDL_PERSONAL).get()))
        << "the name counts only for the manual choice";
}

TEST(SHBrowseForFolderEx, RunsTheShellDialogPlacedWithItsStatusAndReportsTheChoice) {
    TTempDir dir;
    const std::wstring folder = dir / L"保存先";
    CreateDirectoryW(folder.c_str(), nullptr);
    const TItemIdList drives = TItemIdList::SpecialFolder(CSIDL_DRIVES);
    struct Case {
        const char* name;
        TShowStyle style;
        TSHBrowseOptions options;
        bool selectDrives;  // a virtual folder
        bool ok;
        std::wstring status, path;
        bool disabledBefore = false;  // a modal dialog of the program opened the picker
    };
    const Case cases[] = {
        {"centred, the initial folder chosen", ssCenterScreen, {sboReturnOnlyFSDirs, sboStatusTextAndShowPath}, false,
         true, folder, folder},
        {"on the owner's client area, cancelled", ssClient, {sboReturnOnlyFSDirs, sboStatusTextAndShowPath}, false,
         false, folder, L""},
        // The handler's status text, and its OK for a folder that the options would refuse.
        {"a virtual folder chosen", ssClient, {sboReturnOnlyFSDirs, sboStatusText}, true, true, L"仮想フォルダ", L""},
        {"from a modal dialog: the main window stays disabled", ssClient,
         {sboReturnOnlyFSDirs, sboStatusTextAndShowPath}, false, false, folder, L"", true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TForm form;  // the main window, in whose message loop the picker runs
        Application().Initialize();
        form.Create(L"TPickerTestForm", L"メイン", 500, 380);
        form.SetBounds(60, 40, 520, 420);
        TSHBrowseForFolderEx picker(&form);
        picker.Caption = L"保存フォルダの選択";
        picker.SelectFolder = sfManual;
        picker.SelectFolderName = folder;
        picker.Options = c.options;
        picker.ShowStyle = c.style;
        bool initialShown = false;  // the dialog has selected the initial folder: it is set up
        picker.OnSelectionChanged = [&](TSHBrowseForFolderEx& sender, HWND, const std::wstring& path,
                                        std::wstring& showText, TOKButtonState& ok) {
            EXPECT_EQ(&sender, &picker);
            if (path == folder) initialShown = true;
            showText = path.empty() ? L"仮想フォルダ" : L"実フォルダ";
            if (path.empty()) ok = obsEnable;
        };
        bool mainDisabled = false;
        TDialogDriver driver(kBrowseTree, {
            [&](HWND dialog) {
                if (c.selectDrives) SendMessageW(dialog, BFFM_SETSELECTIONW, FALSE, reinterpret_cast<LPARAM>(drives.get()));
            },
            [&](HWND dialog) {
                mainDisabled = !IsWindowEnabled(form.Handle());
                EXPECT_EQ(ItemText(dialog, kBrowseStatus), c.status);
                EXPECT_TRUE(IsWindowVisible(GetDlgItem(dialog, kBrowseStatus)));
                EXPECT_TRUE(IsWindowEnabled(GetDlgItem(dialog, IDOK)));
                RECT at{}, area{};
                GetWindowRect(dialog, &at);
                SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0);
                POINT want{0, 0};
                ClientToScreen(form.Handle(), &want);
                if (c.style == ssCenterScreen) {
                    want = {area.left + (area.right - area.left - (at.right - at.left)) / 2,
                            area.top + (area.bottom - area.top - (at.bottom - at.top)) / 3};
                    SaveWindowPng(dialog, L"folder_picker");
                }
                EXPECT_EQ(std::make_pair(at.left, at.top), std::make_pair(want.x, want.y));
                PostMessageW(dialog, WM_COMMAND, c.ok ? IDOK : IDCANCEL, 0);
            },
        }, [&](HWND) { return initialShown; });
        bool chosen = false, enabledAfter = false;
        TButton go;
        go.Create(form.Handle(), 1, L"go", RECT{0, 0, 40, 20});
        go.OnClick = [&] {
            if (c.disabledBefore) EnableWindow(form.Handle(), FALSE);
            chosen = picker.Execute();
            enabledAfter = IsWindowEnabled(form.Handle());
            form.Close();
        };
        PostMessageW(go.Handle(), BM_CLICK, 0, 0);
        Application().Run(form);
        EXPECT_EQ(chosen, c.ok);
        EXPECT_EQ(driver.StepsRun(), 2u);
        EXPECT_EQ(picker.FolderPath(), c.path);
        EXPECT_TRUE(mainDisabled) << "the main window is disabled while the dialog runs";
        EXPECT_EQ(enabledAfter, !c.disabledBefore);
    }
}
