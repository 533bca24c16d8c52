// The program as a user meets it, driven from outside: started without arguments and again with the
// sample archive, its list filtered, sorted, reordered and selected, members saved to the save
// folder as they are and as bitmaps, files copied with numbered names and moved through the file
// operation dialog, folders dropped, and its settings kept from one start to the next. Every step
// leaves a screenshot under build/e2e/.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/TempDir.h"
#include "common/WindowTest_win.h"
#include "e2e/ProgramDriver_win.h"
#include "e2e/UserActions_win.h"
#include "resources/ResourceIds.h"
#include "toolkit/TextUtil.h"

namespace {

using TNames = std::vector<std::wstring>;

const TNames kSampleRows = {L"landscape.png", L"rose.jpg", L"logo.gif", L"checker.bmp",
                            L"夕焼け.png", L"薔薇.jpg", L"魔法使い.gif", L"格子.bmp"};

// A small true-colour bitmap file, so that folders hold real pictures.
void WriteBitmap(const std::wstring& path, BYTE shade) {
    const int width = 4, height = 4, stride = width * 3;
    BITMAPFILEHEADER file{};
    BITMAPINFOHEADER info{sizeof(info), width, height, 1, 24, BI_RGB, stride * height, 0, 0, 0, 0};
    file.bfType = 0x4D42;
    file.bfOffBits = sizeof(file) + sizeof(info);
    file.bfSize = file.bfOffBits + info.biSizeImage;
    std::vector<BYTE> pixels(info.biSizeImage, shade);
    HANDLE h = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    DWORD written = 0;
    WriteFile(h, &file, sizeof(file), &written, nullptr);
    WriteFile(h, &info, sizeof(info), &written, nullptr);
    WriteFile(h, pixels.data(), static_cast<DWORD>(pixels.size()), &written, nullptr);
    CloseHandle(h);
}

std::wstring MakeFolder(const std::wstring& parent, const std::wstring& name, const TNames& bitmaps) {
    const std::wstring folder = parent + L"\\" + name;
    CreateDirectoryW(folder.c_str(), nullptr);
    BYTE shade = 40;
    for (const std::wstring& file : bitmaps) WriteBitmap(folder + L"\\" + file, shade += 40);
    return folder;
}

// The file names of the rows (folder rows carry their folder).
TNames RowFileNames(HWND list) {
    TNames names;
    for (const std::wstring& row : RowNames(list)) names.push_back(row.substr(row.find_last_of(L'\\') + 1));
    return names;
}

struct TListWait {
    HWND list;
    TNames expected;
};

bool WaitForRows(HWND list, const TNames& expected) {
    TListWait wait{list, expected};
    return WaitFor([](void* p) {
        auto* w = static_cast<TListWait*>(p);
        return RowFileNames(w->list) == w->expected;
    }, &wait);
}

int SelectedCount(HWND list) { return static_cast<int>(SendMessageW(list, LB_GETSELCOUNT, 0, 0)); }

bool WaitForSelected(HWND list, int count) {
    struct TSel {
        HWND list;
        int count;
    } sel{list, count};
    return WaitFor([](void* p) {
        auto* s = static_cast<TSel*>(p);
        return SelectedCount(s->list) == s->count;
    }, &sel);
}

bool WaitForFile(const std::wstring& path) {
    return WaitFor([](void* p) { return FileExists(*static_cast<std::wstring*>(p)); }, const_cast<std::wstring*>(&path));
}

// A moved file's source goes once its copy is complete: after the copy appears, not with it.
bool WaitForGone(const std::wstring& path) {
    return WaitFor([](void* p) { return !FileExists(*static_cast<std::wstring*>(p)); }, const_cast<std::wstring*>(&path));
}

// Starts the program with a settings file whose save folder is given.
void PresetSaveFolder(const TProgramDriver& program, const std::wstring& folder) {
    WritePrivateProfileStringW(L"FolderSetting", L"BrowseFolder", folder.c_str(), program.IniPath().c_str());
}

TEST(ProgramWalk, StartsBrowsesTheSampleAndKeepsItsSettingsForTheNextStart) {
    TTempDir folder;
    TStepShots shots(L"browse");
    TProgramDriver program(folder.Path());

    ASSERT_TRUE(program.Start());
    HWND main = program.MainWindow();
    EXPECT_EQ(WindowText(main), L"Vardeno View  Ver.0.14(β版)");
    EXPECT_EQ(StatusText(program.Control(IDC_MAIN_STATUS), 1), L"2個のSusie-Pluginが読み込まれました。");
    shots.Shot(main, L"started-without-arguments");
    // The user makes the window larger; the next start keeps the size.
    SetWindowPos(main, nullptr, 0, 0, 800, 600, SWP_NOMOVE | SWP_NOZORDER);
    EXPECT_EQ(program.Close(), 0u);

    ASSERT_TRUE(program.Start({SampleZip()}));
    main = program.MainWindow();
    RECT at{};
    GetWindowRect(main, &at);
    EXPECT_EQ(at.right - at.left, 800);
    EXPECT_EQ(at.bottom - at.top, 600);
    HWND list = program.MemberList();
    ASSERT_TRUE(list);
    EXPECT_EQ(RowNames(list), kSampleRows);
    EXPECT_EQ(WindowText(program.Control(IDC_MAIN_STRIP)), L"  アーカイブファイル  sample.zip の情報");
    shots.Shot(main, L"sample-opened");

    // The filter's third entry is the program's own BMP pattern: the two bitmaps remain.
    HWND filter = program.Control(IDC_MAIN_FILTER);
    SendMessageW(filter, CB_SETCURSEL, 2, 0);
    SendMessageW(GetParent(filter), WM_COMMAND, MAKEWPARAM(IDC_MAIN_FILTER, CBN_SELCHANGE), reinterpret_cast<LPARAM>(filter));
    EXPECT_TRUE(WaitForRows(list, {L"checker.bmp", L"格子.bmp"}));
    shots.Shot(main, L"filtered-to-bitmaps");
    SendMessageW(filter, CB_SETCURSEL, 0, 0);
    SendMessageW(GetParent(filter), WM_COMMAND, MAKEWPARAM(IDC_MAIN_FILTER, CBN_SELCHANGE), reinterpret_cast<LPARAM>(filter));
    ASSERT_TRUE(WaitForRows(list, kSampleRows));

    // The header's sections: "ファイル名" 150, "サイズ" 100, "更新日" 100 pixels wide.
    HWND header = FindWindowExW(program.Control(IDC_MAIN_LIST), nullptr, WC_HEADERW, nullptr);
    ASSERT_TRUE(header);
    Click(header, 200, 5);
    EXPECT_TRUE(WaitForRows(list, {L"夕焼け.png", L"landscape.png", L"薔薇.jpg", L"rose.jpg", L"logo.gif",
                                   L"魔法使い.gif", L"格子.bmp", L"checker.bmp"}))
        << "by size";
    shots.Shot(main, L"sorted-by-size");
    Click(header, 300, 5);
    EXPECT_TRUE(WaitForRows(list, kSampleRows)) << "by date: the members were stored a day apart, in order";
    shots.Shot(main, L"sorted-by-date");

    // The fourth row to the top with "▲".
    ClickRow(list, 3);
    ASSERT_TRUE(WaitForSelected(list, 1));
    Click(program.Control(IDC_MAIN_MOVE_TOP), 5, 5);
    EXPECT_TRUE(WaitForRows(list, {L"checker.bmp", L"landscape.png", L"rose.jpg", L"logo.gif", L"夕焼け.png",
                                   L"薔薇.jpg", L"魔法使い.gif", L"格子.bmp"}));
    shots.Shot(main, L"row-moved-to-the-top");

    ChooseMenuCommand(main, IDM_MAIN_SELECT_ALL);
    EXPECT_TRUE(WaitForSelected(list, 8));
    EXPECT_TRUE(WaitForStatus(program, 1, L"8個のファイルを選択"));
    shots.Shot(main, L"all-selected");
    EXPECT_EQ(program.Close(), 0u);
    // Without a save folder of its own, the settings file names the program's folder.
    wchar_t value[MAX_PATH]{};
    GetPrivateProfileStringW(L"FolderSetting", L"BrowseFolder", L"", value, MAX_PATH, program.IniPath().c_str());
    EXPECT_EQ(std::wstring(value), folder.Path());
}

TEST(ProgramWalk, SavesMembersToTheSaveFolderAsTheyAreAndAsBitmaps) {
    TTempDir folder;
    TTempDir saveFolder;
    TStepShots shots(L"save");
    TProgramDriver program(folder.Path());
    PresetSaveFolder(program, saveFolder.Path());
    ASSERT_TRUE(program.Start({SampleZip()}));
    HWND list = program.MemberList();

    struct TSave {
        int row;
        int button;
        const wchar_t* written;
        const wchar_t* step;
    };
    for (const TSave& save : {TSave{0, IDC_MAIN_TB_SAVE_TO_SAVE_FOLDER, L"landscape.png", L"saved-as-it-is"},
                              TSave{1, IDC_MAIN_TB_BITMAP_TO_SAVE_FOLDER, L"rose.bmp", L"saved-as-bitmap"}}) {
        ClickRow(list, save.row);
        ASSERT_TRUE(WaitForSelected(list, 1));
        Click(program.Control(save.button), 5, 5);
        HWND question = program.WaitForWindow(L"#32770");
        ASSERT_TRUE(question) << "the save asks first";
        EXPECT_NE(DialogMessage(question).find(saveFolder.Path()), std::wstring::npos) << WideToUtf8(DialogMessage(question));
        shots.Shot(question, std::wstring(save.step) + L"-question");
        PressButton(question, IDYES);
        const std::wstring written = saveFolder.Path() + L"\\" + save.written;
        EXPECT_TRUE(WaitForFile(written)) << WideToUtf8(written);
        shots.Shot(program.MainWindow(), save.step);
    }
    // The bitmap is a real one.
    HANDLE h = CreateFileW((saveFolder.Path() + L"\\rose.bmp").c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                           OPEN_EXISTING, 0, nullptr);
    char magic[2]{};
    DWORD read = 0;
    ReadFile(h, magic, 2, &read, nullptr);
    CloseHandle(h);
    EXPECT_EQ(std::string(magic, 2), "BM");
    EXPECT_EQ(program.Close(), 0u);
}

TEST(ProgramWalk, CopiesThreeFilesWithNumberedNamesAndMovesTwo) {
    TTempDir folder;
    TTempDir work;
    TStepShots shots(L"batch");
    const std::wstring pictures = MakeFolder(work.Path(), L"pictures", {L"a.bmp", L"b.bmp", L"c.bmp", L"d.bmp"});
    const std::wstring copies = MakeFolder(work.Path(), L"copies", {});
    const std::wstring moved = MakeFolder(work.Path(), L"moved", {});
    TProgramDriver program(folder.Path());
    ASSERT_TRUE(program.Start({pictures}));
    HWND main = program.MainWindow();
    HWND list = program.MemberList();
    ASSERT_TRUE(WaitForRows(list, {L"a.bmp", L"b.bmp", L"c.bmp", L"d.bmp"}));

    ClickRow(list, 0);
    ClickRow(list, 1, true);
    ClickRow(list, 2, true);
    ASSERT_TRUE(WaitForSelected(list, 3));
    ChooseMenuCommand(main, IDM_MAIN_COPY_MOVE);
    HWND dialog = program.WaitForWindow(L"TFileOperationDialog");
    ASSERT_TRUE(dialog);
    EXPECT_EQ(WindowText(dialog), L"コピー・移動  (3個選択)");
    TypeText(FindWindowExW(FindDescendant(dialog, IDC_FILEOP_FOLDER), nullptr, L"Edit", nullptr), copies);
    PostMessageW(ChildWithText(dialog, L"する"), BM_CLICK, 0, 0);
    Settle(300);
    shots.Shot(dialog, L"copy-with-renaming");
    PressButton(dialog, IDC_FILEOP_COPY);
    HWND check = program.WaitForWindow(L"TCheckListDlg");
    ASSERT_TRUE(check) << "renaming shows the order first";
    shots.Shot(check, L"check-list");
    PressButton(check, IDC_CHECKLIST_OK);
    for (const wchar_t* name : {L"ABCD0000.BMP", L"ABCD0001.BMP", L"ABCD0002.BMP"})
        EXPECT_TRUE(WaitForFile(copies + L"\\" + name)) << WideToUtf8(name);
    EXPECT_TRUE(WaitForShown(dialog, false));
    shots.Shot(main, L"copied");
    for (const wchar_t* name : {L"a.bmp", L"b.bmp", L"c.bmp"}) EXPECT_TRUE(FileExists(pictures + L"\\" + name));

    ClickRow(list, 0);
    ClickRow(list, 3, true);
    ASSERT_TRUE(WaitForSelected(list, 2));
    ChooseMenuCommand(main, IDM_MAIN_COPY_MOVE);
    dialog = program.WaitForWindow(L"TFileOperationDialog");
    ASSERT_TRUE(dialog);
    TypeText(FindWindowExW(FindDescendant(dialog, IDC_FILEOP_FOLDER), nullptr, L"Edit", nullptr), moved);
    PostMessageW(ChildWithText(dialog, L"しない"), BM_CLICK, 0, 0);
    Settle(300);
    shots.Shot(dialog, L"move");
    PressButton(dialog, IDC_FILEOP_MOVE);
    check = program.WaitForWindow(L"TCheckListDlg");
    ASSERT_TRUE(check) << "a move lists what it deletes first";
    shots.Shot(check, L"check-list-of-the-move");
    PressButton(check, IDC_CHECKLIST_OK);
    // Converted to bitmaps, as the dialog's format choice says.
    EXPECT_TRUE(WaitForFile(moved + L"\\a.BMP"));
    EXPECT_TRUE(WaitForFile(moved + L"\\d.BMP"));
    EXPECT_TRUE(WaitForGone(pictures + L"\\a.bmp"));
    EXPECT_TRUE(WaitForGone(pictures + L"\\d.bmp"));
    EXPECT_TRUE(WaitForRows(list, {L"b.bmp", L"c.bmp"})) << "the list is refreshed after the move";
    shots.Shot(main, L"moved");
    EXPECT_EQ(program.Close(), 0u);
}

TEST(ProgramWalk, DroppedFoldersWithCtrlAreAddedToTheList) {
    TTempDir folder;
    TTempDir work;
    TStepShots shots(L"drop");
    const std::wstring first = MakeFolder(work.Path(), L"first", {L"a.bmp"});
    const std::wstring second = MakeFolder(work.Path(), L"second", {L"b.bmp"});
    const std::wstring third = MakeFolder(work.Path(), L"third", {L"c.bmp", L"d.bmp"});
    TProgramDriver program(folder.Path());
    ASSERT_TRUE(program.Start({first}));
    HWND list = program.MemberList();
    ASSERT_TRUE(WaitForRows(list, {L"a.bmp"}));

    ASSERT_TRUE(DropFiles(program.MainWindow(), {second, third}, true));
    EXPECT_TRUE(WaitForRows(list, {L"a.bmp", L"b.bmp", L"c.bmp", L"d.bmp"})) << "Ctrl adds to the list";
    shots.Shot(program.MainWindow(), L"two-folders-added");

    ASSERT_TRUE(DropFiles(program.MainWindow(), {second}, false));
    EXPECT_TRUE(WaitForRows(list, {L"b.bmp"})) << "without Ctrl the list is replaced";
    shots.Shot(program.MainWindow(), L"folder-dropped");
    EXPECT_EQ(program.Close(), 0u);
}

struct TMessageWait {
    const TProgramDriver& program;
    std::wstring containing;
    HWND found;
};

// Waits for a message box of the program whose text holds the words; null on timeout.
HWND WaitForMessage(const TProgramDriver& program, const std::wstring& containing) {
    TMessageWait wait{program, containing, nullptr};
    WaitFor([](void* p) {
        auto* w = static_cast<TMessageWait*>(p);
        HWND box = w->program.ShownWindow(L"#32770");
        if (box && DialogMessage(box).find(w->containing) != std::wstring::npos) w->found = box;
        return w->found != nullptr;
    }, &wait);
    return wait.found;
}

// The row of a plug-in in the settings dialog's list, by its file name; -1 when absent.
int PluginRow(HWND listView, const std::wstring& fileName) {
    for (int row = 0; row < ListViewCount(listView); ++row)
        if (ListViewText(listView, row, 1) == fileName) return row;
    return -1;
}

TEST(ProgramWalk, SettingsPluginInformationAndVersionDialogs) {
    TTempDir folder;
    TTempDir work;
    TStepShots shots(L"settings");
    const std::wstring save = MakeFolder(work.Path(), L"save", {});
    TProgramDriver program(folder.Path());
    PresetSaveFolder(program, save);
    ASSERT_TRUE(program.Start({SampleZip()}));

    ChooseMenuCommand(program.MainWindow(), IDM_MAIN_SETUP);
    HWND settings = program.WaitForWindow(L"TSetUpDialog");
    ASSERT_TRUE(settings);
    EXPECT_EQ(WindowText(settings), L"設定");
    HWND plugins = FindDescendant(settings, IDC_SETUP_PLUGIN_LIST);
    ASSERT_EQ(ListViewCount(plugins), 2);
    EXPECT_EQ(ListViewText(plugins, PluginRow(plugins, L"vvarchive.spi"), 2), L"00AM");
    shots.Shot(settings, L"plug-ins");

    // "情報" for the image plug-in, and "対応確認" on a picture and on the archive.
    const RECT row = ListViewRowRect(plugins, PluginRow(plugins, L"vvimage.spi"));
    Click(plugins, row.left + 60, (row.top + row.bottom) / 2);
    Settle(300);
    PressButton(settings, IDC_SETUP_PLUGIN_INFO);
    HWND info = program.WaitForWindow(L"TPluginInfoDlg");
    ASSERT_TRUE(info);
    EXPECT_EQ(WindowText(info), L"vvimage.spi の情報");
    shots.Shot(info, L"plug-in-information");
    struct TCheck {
        std::wstring file;
        const wchar_t* answer;
    };
    for (const TCheck& check : {TCheck{SamplePicture(L"rose.jpg"), L"の、サポート形式ファイルです"},
                                TCheck{SampleZip(), L"非サポート形式ファイルです"}}) {
        PressButton(info, IDC_PLUGININFO_CHECK);
        HWND open = program.WaitForWindow(L"#32770");
        ASSERT_TRUE(open) << "the open dialog";
        HWND name = ChildOfClass(open, L"Edit");  // the file name field, the open dialog's one edit field
        ASSERT_TRUE(name);
        SendMessageW(name, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(check.file.c_str()));
        // Enter in the file name field: the dialog's default button.
        PostMessageW(name, WM_KEYDOWN, VK_RETURN, 1);
        PostMessageW(name, WM_KEYUP, VK_RETURN, 0xC0000001);
        HWND answer = WaitForMessage(program, check.answer);
        ASSERT_TRUE(answer) << WideToUtf8(check.file);
        EXPECT_EQ(DialogMessage(answer).rfind(check.file, 0), 0u) << WideToUtf8(DialogMessage(answer));
        shots.Shot(answer, L"supported-or-not");
        PressButton(answer, IDOK);
        EXPECT_TRUE(WaitForShown(answer, false));
    }
    PressButton(info, IDC_PLUGININFO_OK);
    EXPECT_TRUE(WaitForShown(info, false));

    // The save folder page: "変更" opens the folder picker; the user cancels it.
    Click(FindDescendant(settings, IDC_SETUP_PAGES), 130, 10);
    HWND edit = FindDescendant(settings, IDC_SETUP_FOLDER_EDIT);
    ASSERT_TRUE(WaitForShown(edit, true));
    EXPECT_EQ(WindowText(edit), save);
    shots.Shot(settings, L"save-folder");
    PressButton(settings, IDC_SETUP_FOLDER_CHANGE);
    HWND picker = program.WaitForWindow(L"#32770");
    ASSERT_TRUE(picker);
    EXPECT_TRUE(ChildWithText(picker, L"保存先フォルダの選択"));
    shots.Shot(picker, L"folder-picker");
    PressButton(picker, IDCANCEL);
    EXPECT_TRUE(WaitForShown(picker, false));
    EXPECT_EQ(WindowText(edit), save);
    PressButton(settings, IDC_SETUP_OK);
    EXPECT_TRUE(WaitForShown(settings, false));

    // The version dialog lists the two plug-ins.
    ChooseMenuCommand(program.MainWindow(), IDM_MAIN_ABOUT);
    HWND version = program.WaitForWindow(L"TVersionDialog");
    ASSERT_TRUE(version);
    EXPECT_EQ(WindowText(version), L"ﾊﾞｰｼﾞｮﾝ情報");
    EXPECT_EQ(ListCount(FindDescendant(version, IDC_VERSION_PLUGIN_LIST)), 2);
    shots.Shot(version, L"version-dialog");
    PressButton(version, IDC_VERSION_OK);
    EXPECT_TRUE(WaitForShown(version, false));
    EXPECT_EQ(program.Close(), 0u);

    // The save folder is removed while the program is not running: at the next start the settings
    // dialog says so and falls back to the program's folder, which OK keeps.
    RemoveDirectoryW(save.c_str());
    ASSERT_TRUE(program.Start());
    ChooseMenuCommand(program.MainWindow(), IDM_MAIN_SETUP);
    HWND gone = WaitForMessage(program, L"は存在しません。保存先フォルダを");
    ASSERT_TRUE(gone);
    EXPECT_EQ(DialogMessage(gone), save + L"\n\rは存在しません。保存先フォルダを\n\r" + folder.Path() + L"\n\rに設定します。");
    shots.Shot(gone, L"save-folder-vanished");
    PressButton(gone, IDOK);
    settings = program.WaitForWindow(L"TSetUpDialog");
    ASSERT_TRUE(settings);
    Click(FindDescendant(settings, IDC_SETUP_PAGES), 130, 10);
    edit = FindDescendant(settings, IDC_SETUP_FOLDER_EDIT);
    ASSERT_TRUE(WaitForShown(edit, true));
    EXPECT_EQ(WindowText(edit), folder.Path());
    shots.Shot(settings, L"save-folder-changed");
    PressButton(settings, IDC_SETUP_OK);
    EXPECT_TRUE(WaitForShown(settings, false));
    EXPECT_EQ(program.Close(), 0u);
    wchar_t value[MAX_PATH]{};
    GetPrivateProfileStringW(L"FolderSetting", L"BrowseFolder", L"", value, MAX_PATH, program.IniPath().c_str());
    EXPECT_EQ(std::wstring(value), folder.Path()) << "the next start saves there";
}

}  // namespace
