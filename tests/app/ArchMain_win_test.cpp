// The main window on the display with real plug-ins (the tests' own archive and picture plug-ins),
// real archives and real folders, driven through its messages: opening, the filter, the status
// strip and texts, header sorting, the move buttons, select all and the command states.
#include <windows.h>

#include <gtest/gtest.h>

#include <commctrl.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/ArchMain_win.h"
#include "common/TempDir.h"
#include "common/WindowTest_win.h"
#include "plugins/PluginTestEnv.h"
#include "resources/ResourceIds.h"
#include "toolkit/Application_win.h"
#include "toolkit/Prompt.h"
#include "toolkit/SystemInfo.h"

namespace {

std::vector<std::wstring> ListRows(TSPIMain& main, size_t field) {
    std::vector<std::wstring> names;
    for (const TRow& row : main.Rows().Rows()) names.emplace_back(RowField(row.text, field));
    return names;
}

// A program folder of its own holding the test plug-ins, a Susie folder that is not set, and the
// main window made on it.
class MainWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        Application().Initialize();
        CopyTestSpi(L"vvarchive", program.Path());
        CopyTestSpi(L"vvimage", program.Path());
        SetProgramFolderOverride(program.Path());
        SetTimeZoneBiasOverride(0);
    }
    void TearDown() override {
        main.reset();
        SetProgramFolderOverride(std::nullopt);
        SetTimeZoneBiasOverride(std::nullopt);
    }
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
    void Command(int id) { SendMessageW(main->Handle(), WM_COMMAND, MAKEWPARAM(id, 0), 0); }
    void ChooseFilter(int entry) {
        main->FilterBox().SetItemIndex(entry);
        SendMessageW(GetParent(main->FilterBox().Handle()), WM_COMMAND,
                     MAKEWPARAM(main->FilterBox().Id(), CBN_SELCHANGE), reinterpret_cast<LPARAM>(main->FilterBox().Handle()));
    }
    HWND Child(int id) const {
        std::pair<int, HWND> query(id, nullptr);
        EnumChildWindows(
            main->Handle(),
            [](HWND hwnd, LPARAM lp) {
                auto* p = reinterpret_cast<std::pair<int, HWND>*>(lp);
                if (GetDlgCtrlID(hwnd) != p->first) return TRUE;
                p->second = hwnd;
                return FALSE;
            },
            reinterpret_cast<LPARAM>(&query));
        return query.second;
    }
    void ClickButton(int id) {
        HWND button = Child(id);
        ASSERT_NE(button, nullptr);
        SendMessageW(button, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(3, 3));
        SendMessageW(button, WM_LBUTTONUP, 0, MAKELPARAM(3, 3));
    }
    bool MenuEnabled(int id) const {
        return !(GetMenuState(main->Menu(), static_cast<UINT>(id), MF_BYCOMMAND) & (MF_GRAYED | MF_DISABLED));
    }

    TTempDir program;
    TTempDir files;
    TSusieFolderSetting noSusieFolder{std::wstring()};
    std::unique_ptr<TSPIMain> main;
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
    ASSERT_EQ(filter.Count(), 5);
    EXPECT_EQ(filter.Item(0), L"すべてのファイル(*.*)(標準)");
    EXPECT_EQ(filter.Item(1), L"すべての対応ファイル(標準)");
    EXPECT_EQ(filter.Item(2), L"*.BMP (標準)");
    EXPECT_EQ(filter.Item(3), L"*.DIB (標準)");
    EXPECT_EQ(filter.Item(4), L"*.vvi (vvimage.spi)");
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
    CreateDirectoryW((files / L"plain.vvi").c_str(), nullptr);  // a folder named like a picture
    CreateDirectoryW((files / L"marked.vvi").c_str(), nullptr);
    SetFileAttributesW((files / L"marked.vvi").c_str(), FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_READONLY);
    WriteFileBytes(second / L"other.vvi", VvImageFile(2, 2));

    ASSERT_TRUE(m.OpenFolders({files.Path()}, m.AllPicturePatterns(), false));
    EXPECT_EQ(m.ListMode(), TListMode::lmFolder);
    EXPECT_EQ(m.StripText(), L"  フォルダ  " + files.Path() + L" の情報");
    std::vector<std::wstring> names = ListRows(m, 0);
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::wstring>{L"marked.vvi", L"two.bmp", L"一.vvi"}));
    EXPECT_EQ(RowField(m.Rows().Rows()[0].text, 5), files.Path());

    // The same folder again with append is listed once; a second folder makes the many-folder strip.
    ASSERT_TRUE(m.OpenFolders({files.Path()}, m.AllPicturePatterns(), true));
    EXPECT_EQ(m.FolderList().size(), 1u);
    ASSERT_TRUE(m.OpenFolders({second.Path()}, m.AllPicturePatterns(), true));
    EXPECT_EQ(m.FolderList().size(), 2u);
    EXPECT_EQ(m.StripText(), L"           フォルダ  " + second.Path() + L" 他 の情報");
    EXPECT_EQ(m.List().Count(), 4);

    TScriptedPrompt prompt({TPromptAnswer::paOK});
    TPromptScope scope(prompt);
    ClickButton(IDC_MAIN_DETAILS);
    ASSERT_EQ(prompt.Questions().size(), 1u);
    EXPECT_EQ(prompt.Questions()[0].text.substr(0, 17), L"現在開いているフォルダは次の 2個です");

    // In folder mode the stored form cannot be saved; conversion can.
    m.List().SetSelected(0, true);
    m.UpdateCommandStates();
    EXPECT_FALSE(MenuEnabled(IDM_MAIN_SAVE_TO_FOLDER));
    EXPECT_FALSE(MenuEnabled(IDM_MAIN_SAVE_TO_SAVE_FOLDER));
    EXPECT_TRUE(MenuEnabled(IDM_MAIN_SAVE_BITMAP));
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
    // Through the message loop, as the keys arrive: the accelerator table turns them into the command.
    INPUT keys[4]{};
    for (INPUT& k : keys) k.type = INPUT_KEYBOARD;
    keys[0].ki.wVk = VK_CONTROL;
    keys[1].ki.wVk = 'A';
    keys[2].ki.wVk = 'A';
    keys[2].ki.dwFlags = KEYEVENTF_KEYUP;
    keys[3].ki.wVk = VK_CONTROL;
    keys[3].ki.dwFlags = KEYEVENTF_KEYUP;
    SendInput(4, keys, sizeof(INPUT));
    EXPECT_TRUE(PumpUntil([&] { return m.List().SelCount() == 3; }));
    EXPECT_EQ(m.StatusText(), L"3個のファイルを選択");
}

}  // namespace
