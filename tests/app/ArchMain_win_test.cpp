// The main window on the display with real plug-ins (the tests' own archive and picture plug-ins),
// real archives and real folders, driven through its messages: opening, the filter, the status
// strip and texts, header sorting, the move buttons, select all and the command states.
#include <windows.h>

#include <gtest/gtest.h>

#include <commctrl.h>
#include <shellapi.h>

#include <algorithm>
#include <cstring>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/ArchMain_win.h"
#include "app/MainWindowFixture_win.h"
#include "common/TempDir.h"
#include "common/WindowTest_win.h"
#include "plugins/PluginTestEnv.h"
#include "resources/ResourceIds.h"
#include "toolkit/Application_win.h"
#include "toolkit/FileDialogs.h"
#include "toolkit/Prompt.h"
#include "toolkit/SystemInfo.h"

namespace {

std::vector<std::wstring> ListRows(TSPIMain& main, size_t field) {
    std::vector<std::wstring> names;
    for (const TRow& row : main.Rows().Rows()) names.emplace_back(RowField(row.text, field));
    return names;
}

class MainWindowTest : public TMainWindowFixture {
protected:
    TSPIMain& Open(std::vector<std::wstring> arguments = {}) {
        main = std::make_unique<TSPIMain>(std::move(arguments));
        return *main;
    }
    // An archive of the tests' own format with the given member names.
    std::wstring Archive(const std::wstring& name, const std::vector<std::string>& members) {
        std::vector<TVvMember> list;
        uint32_t time = 1700000000;
        for (const std::string& m : members) list.push_back({"dir\\", m, time += 86400, VvImageFile(2, 2)});
        const std::wstring path = files / name;
        WriteFileBytes(path, VvArchiveFile(list));
        return path;
    }
    void ChooseFilter(int entry) {
        main->FilterBox().SetItemIndex(entry);
        SendMessageW(GetParent(main->FilterBox().Handle()), WM_COMMAND,
                     MAKEWPARAM(main->FilterBox().Id(), CBN_SELCHANGE), reinterpret_cast<LPARAM>(main->FilterBox().Handle()));
    }
    HWND Child(int id) const { return FindDescendant(main->Handle(), id); }
    void ClickButton(int id) {
        HWND button = Child(id);
        ASSERT_NE(button, nullptr);
        SendMessageW(button, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(3, 3));
        SendMessageW(button, WM_LBUTTONUP, 0, MAKELPARAM(3, 3));
    }
    // Shows the window on top and saves what it shows under screenshots\.
    void Screenshot(const std::wstring& name) {
        main->Show();
        SetForegroundWindow(main->Handle());
        PumpFor(200);
        SaveWindowPng(main->Handle(), name);
    }
    bool MenuEnabled(int id) const {
        return !(GetMenuState(main->Menu(), static_cast<UINT>(id), MF_BYCOMMAND) & (MF_GRAYED | MF_DISABLED));
    }

};

TEST_F(MainWindowTest, StartsWithItsPluginsFiltersAndLayout) {
    TSPIMain& m = Open();
    EXPECT_EQ(m.Text(), L"Vardeno View  Ver.0.14(β版)");
    EXPECT_EQ(m.StatusText(), L"2個のSusie-Pluginが読み込まれました。");
    const RECT client = m.ClientRect();
    EXPECT_EQ(client.right, 687);
    EXPECT_EQ(client.bottom, 532);
    MINMAXINFO info{};
    SendMessageW(m.Handle(), WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&info));
    EXPECT_EQ(info.ptMinTrackSize.x, 350);
    EXPECT_EQ(info.ptMinTrackSize.y, 300);

    TComboBox& filter = m.FilterBox();
    ASSERT_EQ(filter.Count(), 6);
    EXPECT_EQ(filter.Item(0), L"すべてのファイル(*.*)(標準)");
    EXPECT_EQ(filter.Item(1), L"すべての対応ファイル(標準)");
    EXPECT_EQ(filter.Item(2), L"*.BMP (標準)");
    EXPECT_EQ(filter.Item(3), L"*.DIB (標準)");
    EXPECT_EQ(filter.Item(4), L"*.vvi (vvimage.spi)");
    EXPECT_EQ(filter.Item(5), L"*.vvp;*.vvq (vvimage.spi)");
    EXPECT_EQ(filter.ItemIndex(), 0);

    THeader& header = m.Header();
    ASSERT_EQ(header.SectionCount(), 6);
    EXPECT_EQ(header.SectionWidth(0), 150);
    EXPECT_EQ(header.SectionWidth(4), 50);
    // Nothing is listed: the commands that need rows or a selection are off.
    for (int id : {IDM_MAIN_SAVE_BITMAP, IDM_MAIN_COPY_MOVE, IDM_MAIN_SAVE_TO_FOLDER, IDM_MAIN_SELECT_ALL})
        EXPECT_FALSE(MenuEnabled(id)) << id;
}

TEST_F(MainWindowTest, OpensAnArchiveAndFiltersItsMembers) {
    TSPIMain& m = Open();
    const std::wstring archive = Archive(L"写真.vva", {"b.vvi", "A.VVI", "readme.txt", "noext"});
    ASSERT_TRUE(m.OpenArchive(archive));
    EXPECT_EQ(m.ListMode(), TListMode::lmArchive);
    EXPECT_EQ(m.StripText(), L"  アーカイブファイル  写真.vva の情報");
    EXPECT_EQ(m.StatusText(), L"4個のファイルが見つかりました");
    EXPECT_EQ(m.List().Count(), 4);
    EXPECT_EQ(ListRows(m, 5), (std::vector<std::wstring>(4, L"dir\\")));
    EXPECT_EQ(m.ArchivePlugin()->FileName(), program / L"vvarchive.spi");
    Screenshot(L"main_window_archive");

    struct TCase {
        int entry;
        std::vector<std::wstring> names;
    };
    const TCase cases[] = {
        {4, {L"b.vvi", L"A.VVI"}},                                // *.vvi, whatever the case
        {1, {L"b.vvi", L"A.VVI"}},                                // every picture pattern
        {2, {}},                                                  // *.BMP
        {0, {L"b.vvi", L"A.VVI", L"readme.txt", L"noext"}},       // every member in archive mode
    };
    for (const TCase& c : cases) {
        ChooseFilter(c.entry);
        EXPECT_EQ(ListRows(m, 0), c.names) << c.entry;
        EXPECT_EQ(m.List().Count(), static_cast<int>(c.names.size()));
        EXPECT_EQ(m.StatusText(), std::to_wstring(c.names.size()) + L"個のファイルが見つかりました");
    }

    // Only archive mode may save members as they are stored.
    m.List().SetSelected(0, true);
    m.UpdateCommandStates();
    EXPECT_TRUE(MenuEnabled(IDM_MAIN_SAVE_TO_FOLDER));
    EXPECT_TRUE(MenuEnabled(IDM_MAIN_SAVE_BITMAP));

    // A file no plug-in accepts: the old members go, the status says so.
    const std::wstring text = files / L"plain.txt";
    WriteFileText(text, "not an archive");
    EXPECT_FALSE(m.OpenArchive(text));
    EXPECT_EQ(m.StatusText(), L"アーカイブ内情報取得失敗");
    EXPECT_EQ(m.List().Count(), 0);
    EXPECT_TRUE(m.Rows().Entries().empty());
}

TEST_F(MainWindowTest, AnEmptyArchiveListsNothing) {
    TSPIMain& m = Open();
    ASSERT_TRUE(m.OpenArchive(Archive(L"empty.vva", {})));
    EXPECT_EQ(m.List().Count(), 0);
    EXPECT_EQ(m.StatusText(), L"0個のファイルが見つかりました");
}

TEST_F(MainWindowTest, ListsThePicturesOfFolders) {
    TSPIMain& m = Open();
    TTempDir second;
    WriteFileBytes(files / L"一.vvi", VvImageFile(2, 2));
    WriteFileBytes(files / L"two.bmp", {'B', 'M'});
    WriteFileText(files / L"three.txt", "x");
    WriteFileBytes(files / L"p.vvq", VvImageFile(2, 2));  // the second mask of a plug-in's pattern
    CreateDirectoryW((files / L"plain.vvi").c_str(), nullptr);  // a folder named like a picture
    // A folder with another attribute as well is listed (the file system marks a name that begins
    // with a dot hidden).
    CreateDirectoryW((files / L".marked.vvi").c_str(), nullptr);
    SetFileAttributesW((files / L".marked.vvi").c_str(), FILE_ATTRIBUTE_HIDDEN);
    WriteFileBytes(second / L"other.vvi", VvImageFile(2, 2));

    ASSERT_TRUE(m.OpenFolders({files.Path()}, m.AllPicturePatterns(), false));
    EXPECT_EQ(m.ListMode(), TListMode::lmFolder);
    EXPECT_EQ(m.StripText(), L"  フォルダ  " + files.Path() + L" の情報");
    std::vector<std::wstring> names = ListRows(m, 0);
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::wstring>{L".marked.vvi", L"p.vvq", L"two.bmp", L"一.vvi"}));
    ChooseFilter(5);  // "*.vvp;*.vvq"
    EXPECT_EQ(ListRows(m, 0), std::vector<std::wstring>{L"p.vvq"});
    ChooseFilter(0);
    EXPECT_EQ(RowField(m.Rows().Rows()[0].text, 5), files.Path());

    // The same folder again with append is listed once; a second folder makes the many-folder strip.
    ASSERT_TRUE(m.OpenFolders({files.Path()}, m.AllPicturePatterns(), true));
    EXPECT_EQ(m.FolderList().size(), 1u);
    ASSERT_TRUE(m.OpenFolders({second.Path()}, m.AllPicturePatterns(), true));
    EXPECT_EQ(m.FolderList().size(), 2u);
    EXPECT_EQ(m.StripText(), L"           フォルダ  " + second.Path() + L" 他 の情報");
    EXPECT_EQ(m.List().Count(), 5);
    Screenshot(L"main_window_folders");

    TScriptedPrompt prompt({TPromptAnswer::paOK});
    TPromptScope scope(prompt);
    ClickButton(IDC_MAIN_DETAILS);
    ASSERT_EQ(prompt.Questions().size(), 1u);
    EXPECT_EQ(prompt.Questions()[0].text.rfind(L"現在開いているフォルダは次の 2個です", 0), 0u);

    // In folder mode the stored form cannot be saved; conversion can.
    m.List().SetSelected(0, true);
    m.UpdateCommandStates();
    EXPECT_FALSE(MenuEnabled(IDM_MAIN_SAVE_TO_FOLDER));
    EXPECT_FALSE(MenuEnabled(IDM_MAIN_SAVE_TO_SAVE_FOLDER));
    EXPECT_TRUE(MenuEnabled(IDM_MAIN_SAVE_BITMAP));
}

TEST_F(MainWindowTest, ASmallWindowKeepsThePanesSizesForWhenItGrows) {
    TSPIMain& m = Open();
    HWND filer = Child(IDC_MAIN_FILER);
    auto height = [&] {
        RECT r{};
        GetClientRect(filer, &r);
        return r.bottom;
    };
    EXPECT_EQ(height(), 189);
    SetWindowPos(m.Handle(), nullptr, 0, 0, 350, 300, SWP_NOMOVE | SWP_NOZORDER);
    EXPECT_LT(height(), 189);
    // The right part of the tool bar never covers the buttons on its left.
    RECT exit{}, right{};
    GetWindowRect(Child(IDC_MAIN_TB_EXIT), &exit);
    GetWindowRect(Child(IDC_MAIN_TB_RIGHT), &right);
    EXPECT_GE(right.left, exit.right);
    m.SetClientSize(687, 532);
    EXPECT_EQ(height(), 189);
    // The status bar is 19 pixels high.
    RECT status{};
    GetWindowRect(Child(IDC_MAIN_STATUS), &status);
    EXPECT_EQ(status.bottom - status.top, 19);
}

TEST_F(MainWindowTest, OpensTheCommandLinesArchive) {
    const std::wstring archive = Archive(L"named.vva", {"x.vvi"});
    TSPIMain& m = Open({archive});
    EXPECT_EQ(m.ListMode(), TListMode::lmArchive);
    EXPECT_EQ(m.List().Count(), 1);
    // The plug-in count is the last word of the start.
    EXPECT_EQ(m.StatusText(), L"2個のSusie-Pluginが読み込まれました。");
}

TEST_F(MainWindowTest, SortsByHeaderClicksAndMovesTheFocusedRow) {
    TSPIMain& m = Open();
    ASSERT_TRUE(m.OpenArchive(Archive(L"sort.vva", {"b.vvi", "c.vvi", "a.vvi"})));
    // The header's own click notification, as a mouse click on a section makes it.
    auto clickSection = [&](int section) {
        NMHEADERW n{};
        n.hdr.hwndFrom = m.Header().Handle();
        n.hdr.idFrom = static_cast<UINT_PTR>(m.Header().Id());
        n.hdr.code = HDN_ITEMCLICKW;
        n.iItem = section;
        SendMessageW(GetParent(m.Header().Handle()), WM_NOTIFY, n.hdr.idFrom, reinterpret_cast<LPARAM>(&n));
    };
    clickSection(0);  // the file name column was last sorted ascending: descending first
    EXPECT_EQ(ListRows(m, 0), (std::vector<std::wstring>{L"c.vvi", L"b.vvi", L"a.vvi"}));
    EXPECT_EQ(m.LastSortColumn(), 6);
    clickSection(0);
    EXPECT_EQ(ListRows(m, 0), (std::vector<std::wstring>{L"a.vvi", L"b.vvi", L"c.vvi"}));
    clickSection(2);  // dates grow with the member's place in the archive
    EXPECT_EQ(ListRows(m, 0), (std::vector<std::wstring>{L"b.vvi", L"c.vvi", L"a.vvi"}));
    EXPECT_EQ(m.LastSortColumn(), 2);

    TDataListBox& list = m.List();
    list.SetSelected(0, true);
    list.SetFocusedRow(0);
    m.UpdateCommandStates();
    EXPECT_FALSE(IsWindowEnabled(Child(IDC_MAIN_MOVE_TOP)));
    EXPECT_FALSE(IsWindowEnabled(Child(IDC_MAIN_MOVE_UP)));
    EXPECT_TRUE(IsWindowEnabled(Child(IDC_MAIN_MOVE_DOWN)));
    ClickButton(IDC_MAIN_MOVE_BOTTOM);
    EXPECT_EQ(ListRows(m, 0), (std::vector<std::wstring>{L"c.vvi", L"a.vvi", L"b.vvi"}));
    EXPECT_EQ(list.SelectedRows(), std::vector<int>{2});
    EXPECT_EQ(m.Rows().EntryOf(2)->fileName, L"b.vvi");  // the member moves with its row
    ClickButton(IDC_MAIN_MOVE_UP);
    EXPECT_EQ(ListRows(m, 0), (std::vector<std::wstring>{L"c.vvi", L"b.vvi", L"a.vvi"}));

    // Two rows selected: no move applies.
    list.SetSelected(0, true);
    m.UpdateCommandStates();
    for (int id : {IDC_MAIN_MOVE_TOP, IDC_MAIN_MOVE_UP, IDC_MAIN_MOVE_DOWN, IDC_MAIN_MOVE_BOTTOM})
        EXPECT_FALSE(IsWindowEnabled(Child(id))) << id;
}

TEST_F(MainWindowTest, CtrlASelectsEveryRow) {
    TSPIMain& m = Open();
    ASSERT_TRUE(m.OpenArchive(Archive(L"all.vva", {"1.vvi", "2.vvi", "3.vvi"})));
    m.Show();
    SetForegroundWindow(m.Handle());
    SetFocus(m.List().Handle());
    PumpFor(100);
    ASSERT_EQ(GetForegroundWindow(), m.Handle());
    ASSERT_EQ(GetFocus(), m.List().Handle());
    // Through the message loop, with Ctrl held: the accelerator table turns the key into the command.
    BYTE keys[256]{};
    GetKeyboardState(keys);
    keys[VK_CONTROL] = 0x80;
    SetKeyboardState(keys);
    PostMessageW(m.List().Handle(), WM_KEYDOWN, 'A', 1);
    EXPECT_TRUE(PumpUntil([&] { return m.List().SelCount() == 3; }));
    EXPECT_EQ(m.StatusText(), L"3個のファイルを選択");
    keys[VK_CONTROL] = 0;
    SetKeyboardState(keys);
}

}  // namespace

namespace {

std::wstring IniValue(const std::wstring& ini, const wchar_t* section, const wchar_t* key) {
    wchar_t text[1024]{};
    GetPrivateProfileStringW(section, key, L"<none>", text, 1024, ini.c_str());
    return text;
}

TEST_F(MainWindowTest, SettingsFileIsAppliedAtStartAndWrittenAtTheEnd) {
    const std::wstring ini = TSpiReg::DefaultIniPath();
    {
        // No file: the design size, the filer with small icons, the save folder beside the program.
        TSpiRegValues v = Open().Settings().Values();
        EXPECT_EQ(main->ClientRect().right, 687);
        EXPECT_TRUE(main->FilerShown());
        EXPECT_TRUE(main->OperationBoxShown());
        EXPECT_EQ(main->FileList().ViewStyle(), static_cast<DWORD>(LVS_SMALLICON));
        EXPECT_EQ(main->SaveFolder(), program.Path());
        main.reset();
    }
    // What the window held is written when it goes.
    EXPECT_EQ(IniValue(ini, L"FolderSetting", L"BrowseFolder"), program.Path());
    EXPECT_EQ(IniValue(ini, L"FolderSetting", L"FilerVisible"), L"1");
    EXPECT_EQ(IniValue(ini, L"FormStyle", L"AOperation"), L"1");

    // A stored layout: size, splitters, the box hidden, report view, the filer hidden, the tree's
    // folder; the save folder survives a different picker folder.
    TSpiReg stored(ini);
    TSpiRegValues v = stored.Values();
    v.width = 600;
    v.height = 450;
    v.filerHeight = 120;
    v.listOperationShown = false;
    v.filerShown = false;
    v.filerSmallIcons = false;
    v.folderView = files.Path();
    v.browseFolder = L"C:\\picker";
    v.saveFolder = files.Path();
    stored.SetValues(v);
    ASSERT_TRUE(stored.Write());
    TSPIMain& m = Open();
    RECT r{};
    GetWindowRect(m.Handle(), &r);
    EXPECT_EQ(r.right - r.left, 600);
    EXPECT_EQ(r.bottom - r.top, 450);
    EXPECT_FALSE(m.OperationBoxShown());
    EXPECT_FALSE(m.FilerShown());
    EXPECT_FALSE(GetMenuState(m.Menu(), IDM_MAIN_FILER, MF_BYCOMMAND) & MF_CHECKED);
    EXPECT_EQ(m.FileList().ViewStyle(), static_cast<DWORD>(LVS_REPORT));
    EXPECT_EQ(m.FolderTree().SelectedPath(), files.Path());
    EXPECT_EQ(m.SaveFolder(), files.Path());
    Screenshot(L"main_window_filer_hidden");
    // The start lists the pictures of the tree's folder.
    EXPECT_EQ(m.FolderList(), std::vector<std::wstring>{files.Path()});
    main.reset();
    EXPECT_EQ(IniValue(ini, L"FolderSetting", L"BrowseFolder"), files.Path());
    EXPECT_EQ(IniValue(ini, L"FormStyle", L"STop"), L"120");

    // A width without a height leaves the design layout.
    WritePrivateProfileStringW(L"FormStyle", L"Height", L"0", ini.c_str());
    Open();
    EXPECT_EQ(main->ClientRect().right, 687);
    EXPECT_TRUE(main->OperationBoxShown());
}

TEST_F(MainWindowTest, TheTreeListsAFolderAndCtrlAddsIt) {
    TTempDir second;
    WriteFileBytes(files / L"a.vvi", VvImageFile(2, 2));
    WriteFileBytes(second / L"b.vvi", VvImageFile(2, 2));
    TSPIMain& m = Open();
    m.FolderTree().SelectPath(files.Path());
    EXPECT_EQ(m.FolderList(), std::vector<std::wstring>{files.Path()});
    EXPECT_EQ(ListRows(m, 0), std::vector<std::wstring>{L"a.vvi"});

    BYTE keys[256]{};
    GetKeyboardState(keys);
    keys[VK_CONTROL] = 0x80;
    SetKeyboardState(keys);
    m.FolderTree().SelectPath(second.Path());
    keys[VK_CONTROL] = 0;
    SetKeyboardState(keys);
    EXPECT_EQ(m.FolderList().size(), 2u);
    EXPECT_EQ(m.StripText(), L"           フォルダ  " + second.Path() + L" 他 の情報");

    // Opening an archive moves the tree to its folder without listing that folder instead.
    const std::wstring archive = Archive(L"in.vva", {"x.vvi"});
    TScriptedFileDialogs dialogs;
    TFileDialogsScope scope(dialogs);
    dialogs.PushOpen({archive});
    SendMessageW(m.Handle(), WM_COMMAND, IDM_MAIN_OPEN_ARCHIVE, 0);
    EXPECT_EQ(m.ListMode(), TListMode::lmArchive);
    EXPECT_EQ(m.FolderTree().SelectedPath(), files.Path());
    EXPECT_EQ(ListRows(m, 0), std::vector<std::wstring>{L"x.vvi"});
    // The next folder the user picks is listed.
    m.FolderTree().SelectPath(second.Path());
    EXPECT_EQ(m.ListMode(), TListMode::lmFolder);

    // Up one folder goes to the parent.
    SendMessageW(m.Handle(), WM_COMMAND, IDM_MAIN_OPEN_FOLDER, 0);  // cancelled: nothing changes
    EXPECT_EQ(dialogs.FolderRequests().at(0).caption, L"開くフォルダの選択");
    EXPECT_EQ(dialogs.FolderRequests().at(0).initialFolder, second.Path());
    ClickButton(IDC_MAIN_TB_UP_FOLDER);
    const std::wstring parent = second.Path().substr(0, second.Path().rfind(L'\\'));
    EXPECT_EQ(m.FolderTree().SelectedPath(), parent);
}

TEST_F(MainWindowTest, DroppedFoldersOpenWithCtrlAppending) {
    TTempDir second;
    WriteFileBytes(files / L"a.vvi", VvImageFile(2, 2));
    WriteFileBytes(second / L"b.vvi", VvImageFile(2, 2));
    TSPIMain& m = Open();
    // A drop as the shell makes it: a DROPFILES block of wide names.
    auto drop = [&](const std::vector<std::wstring>& paths) {
        std::wstring names;
        for (const std::wstring& p : paths) names += p + L'\0';
        names += L'\0';
        HGLOBAL block = GlobalAlloc(GHND, sizeof(DROPFILES) + names.size() * sizeof(wchar_t));
        auto* header = static_cast<DROPFILES*>(GlobalLock(block));
        header->pFiles = sizeof(DROPFILES);
        header->fWide = TRUE;
        memcpy(header + 1, names.data(), names.size() * sizeof(wchar_t));
        GlobalUnlock(block);
        SendMessageW(m.Handle(), WM_DROPFILES, reinterpret_cast<WPARAM>(block), 0);
    };
    drop({files.Path()});
    EXPECT_EQ(m.FolderList(), std::vector<std::wstring>{files.Path()});
    BYTE keys[256]{};
    GetKeyboardState(keys);
    keys[VK_CONTROL] = 0x80;
    SetKeyboardState(keys);
    drop({second.Path(), files.Path()});
    keys[VK_CONTROL] = 0;
    SetKeyboardState(keys);
    EXPECT_EQ(m.FolderList().size(), 2u);
    EXPECT_EQ(m.List().Count(), 2);
}

}  // namespace

namespace {

TEST_F(MainWindowTest, SettingsCommandOpensTheSettingsDialogOnThePluginsAndSaveFolder) {
    TSPIMain& m = Open();
    m.SetSaveFolder(program.Path());
    TScriptedFileDialogs dialogs;
    TFileDialogsScope scope(dialogs);
    dialogs.PushFolder(TFolderChoice{files.Path(), L""});
    int rows = -1;
    HWND owner = nullptr;
    std::wstring caption, shownFolder;
    TModalSteps steps({
        [&] {
            HWND dialog = FindWindowW(L"TSetUpDialog", nullptr);
            ASSERT_NE(dialog, nullptr);
            owner = GetWindow(dialog, GW_OWNER);
            wchar_t text[20] = L"";
            GetWindowTextW(dialog, text, 20);
            caption = text;
            rows = ListView_GetItemCount(FindDescendant(dialog, IDC_SETUP_PLUGIN_LIST));
            shownFolder.resize(MAX_PATH);
            shownFolder.resize(static_cast<size_t>(
                GetWindowTextW(FindDescendant(dialog, IDC_SETUP_FOLDER_EDIT), shownFolder.data(), MAX_PATH)));
            PostMessageW(FindDescendant(dialog, IDC_SETUP_FOLDER_CHANGE), BM_CLICK, 0, 0);
        },
        [&] { PostMessageW(FindDescendant(FindWindowW(L"TSetUpDialog", nullptr), IDC_SETUP_OK), BM_CLICK, 0, 0); },
    });
    Command(IDM_MAIN_SETUP);
    EXPECT_EQ(steps.Run(), 2u);
    EXPECT_EQ(caption, L"設定");
    EXPECT_EQ(owner, m.Handle());
    EXPECT_EQ(rows, m.Plugins().Count());
    EXPECT_EQ(shownFolder, program.Path());
    EXPECT_EQ(m.SaveFolder(), files.Path()) << "OK hands the changed folder to the main window";
    EXPECT_EQ(FindWindowW(L"TSetUpDialog", nullptr), nullptr) << "released after use";
}

}  // namespace
