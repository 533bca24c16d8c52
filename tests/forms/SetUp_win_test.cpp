// The settings dialog on the shipped plug-ins and the tests' ones, driven by real messages while
// its modal loop runs: the plug-in list and its buttons, the plug-ins' own configuration dialogs,
// the information dialog it opens, and the save folder with the folder picker and the prompt
// scripted.
#include <windows.h>

#include <gtest/gtest.h>

#include <memory>

#include "common/TempDir.h"
#include "common/WindowTest_win.h"
#include "forms/PluginTexts.h"
#include "forms/SetUp_win.h"
#include "plugins/PluginTestEnv.h"
#include "plugins/SPIs.h"
#include "toolkit/Application_win.h"
#include "toolkit/FileDialogs.h"
#include "toolkit/Prompt.h"
#include "toolkit/SystemInfo.h"

namespace {

// Rows of the list, in the order the set holds the plug-ins.
enum { kShippedArchive, kShippedImage, kConfigurable, kConfigFails, kNoFormats, kRows };

// A shipped plug-in, built beside the program (an ASCII path of the build machine, seen as Z:).
std::wstring ShippedPlugin(const std::string& name) {
    const std::string path = std::string("Z:") + VV_PLUGINS + "/" + name;
    std::wstring wide(path.begin(), path.end());
    for (wchar_t& c : wide)
        if (c == L'/') c = L'\\';
    return wide;
}

// Records whether the settings dialog was on the screen when each question came.
class TVisibilityPrompt : public TScriptedPrompt {
public:
    using TScriptedPrompt::TScriptedPrompt;
    TPromptAnswer Ask(TPromptKind kind, const std::wstring& text, TPromptButtons buttons) override {
        HWND dialog = FindWindowW(L"TSetUpDialog", nullptr);
        shown.push_back(dialog && IsWindowVisible(dialog));
        return TScriptedPrompt::Ask(kind, text, buttons);
    }
    std::vector<bool> shown;
};

class SetUpTest : public ::testing::Test {
protected:
    void SetUp() override {
        Application().Initialize();
        SetProgramFolderOverride(program.Path());
        for (const std::wstring& path : {ShippedPlugin("vvarchive.spi"), ShippedPlugin("vvimage.spi"),
                                         CopyTestSpi(L"vvimage", program.Path(), L"vvtest.spi"),
                                         TestSpi(L"threeformats"), TestSpi(L"xnplugin")}) {
            std::unique_ptr<TSPI> spi = CreateSPI(path);
            ASSERT_TRUE(spi) << "cannot load " << testing::PrintToString(path);
            spis.Add(std::move(spi));
        }
        ASSERT_EQ(spis.Count(), kRows);
    }
    void TearDown() override { SetProgramFolderOverride(std::nullopt); }

    static void Click(TButton& button) { PostMessageW(button.Handle(), BM_CLICK, 0, 0); }
    // Selects the rows as a click with Ctrl held would, through the list's own messages.
    static void SelectRows(TListView& list, const std::vector<int>& rows) {
        ListView_SetItemState(list.Handle(), -1, 0, LVIS_SELECTED);
        for (int row : rows) ListView_SetItemState(list.Handle(), row, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    }
    static void ClickRow(TListView& list, int row) {
        RECT r{LVIR_LABEL, 0, 0, 0};
        SendMessageW(list.Handle(), LVM_GETITEMRECT, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&r));
        PostClick(list.Handle(), r.left + 4, (r.top + r.bottom) / 2);
    }

    TTempDir program;
    TTempDir files;
    TSusieFolderSetting noSusieFolder{std::wstring()};
    TSPIs spis;
};

TEST_F(SetUpTest, ListsEveryPluginAndEnablesItsButtonsByTheSelection) {
    TSetUpDialog dialog;
    std::vector<std::pair<std::wstring, int>> columns;
    std::vector<std::vector<std::wstring>> cells;
    std::string states;  // "情報" and "設定" after each selection, as 0 and 1
    auto readStates = [&] {
        states += dialog.PluginInfoBtn().Enabled() ? '1' : '0';
        states += dialog.PluginSetupBtn().Enabled() ? '1' : '0';
        states += ' ';
    };
    TListView& list = dialog.PluginInfoList();
    TModalSteps steps({
        [&] {
            for (int c = 0; c < list.ColumnCount(); ++c) {
                wchar_t text[64] = L"";
                LVCOLUMNW column{};
                column.mask = LVCF_TEXT | LVCF_WIDTH;
                column.pszText = text;
                column.cchTextMax = 64;
                SendMessageW(list.Handle(), LVM_GETCOLUMNW, static_cast<WPARAM>(c), reinterpret_cast<LPARAM>(&column));
                columns.emplace_back(text, column.cx);
            }
            for (int row = 0; row < list.Count(); ++row) {
                cells.emplace_back();
                for (int c = 0; c < list.ColumnCount(); ++c) cells.back().push_back(list.ItemText(row, c));
            }
            readStates();
            ClickRow(list, kConfigurable);
        },
        [&] {
            readStates();
            SaveWindowPng(dialog.Handle(), L"setup_plugins");
            for (const std::vector<int>& rows : std::vector<std::vector<int>>{
                     {kShippedImage}, {kConfigurable, kConfigFails}, {kNoFormats}, {kConfigFails}, {}}) {
                SelectRows(list, rows);
                readStates();
            }
            Click(dialog.CancelBtn());
        },
    });
    std::wstring folder = files.Path();
    EXPECT_FALSE(dialog.ExecuteSetUp(&spis, folder));
    EXPECT_EQ(steps.Run(), 2u);
    EXPECT_EQ(dialog.Tag(), 0);
    EXPECT_EQ(states, "00 11 10 00 10 11 00 ");
    EXPECT_EQ(columns, (std::vector<std::pair<std::wstring, int>>{
                           {L"設定", 40}, {L"Plugin", 90}, {L"Version", 55}, {L"Plugin情報", 165}, {L"拡張子", 70}}));
    ASSERT_EQ(cells.size(), static_cast<size_t>(kRows));
    for (int row = 0; row < kRows; ++row) {
        SCOPED_TRACE(row);
        const TSPI& spi = spis.Items(row);
        ASSERT_EQ(cells[row].size(), 5u);
        EXPECT_EQ(cells[row][0], spi.HasConfigurationDlg() ? L"設定" : L"");
        EXPECT_EQ(cells[row][1], PluginFileTitle(spi.FileName()));
        EXPECT_EQ(cells[row][2], spi.Version());
        EXPECT_EQ(cells[row][3], spi.Info());
    }
    EXPECT_EQ(cells[kShippedArchive][4], L"*.zip;*.tar;");
    EXPECT_EQ(cells[kShippedImage][0], L"") << "the shipped picture plug-in has no configuration dialog";
    EXPECT_EQ(cells[kConfigurable][4], L"*.vvi;*.vvp;*.vvq;");
    EXPECT_EQ(cells[kNoFormats][4], L"");
}

TEST_F(SetUpTest, SetupCallsThePluginsOwnDialogAndItsErrorAnswerIsNoErrorOfTheProgram) {
    TScriptedPrompt prompt({TPromptAnswer::paOK});
    TPromptScope scope(prompt);
    TSetUpDialog dialog;
    TListView& list = dialog.PluginInfoList();
    int parent = 0, fnc = -1;
    TModalSteps steps({
        [&] {
            SelectRows(list, {kConfigurable});
            Click(dialog.PluginSetupBtn());
        },
        [&] {
            parent = Probe(spis.Items(kConfigurable), prConfigParent);
            fnc = Probe(spis.Items(kConfigurable), prConfigFnc);
            SelectRows(list, {kConfigFails});
            Click(dialog.PluginSetupBtn());
        },
        [&] { Click(dialog.OKBtn()); },
    });
    std::wstring folder = files.Path();
    EXPECT_TRUE(dialog.ExecuteSetUp(&spis, folder));
    EXPECT_EQ(steps.Run(), 3u);
    EXPECT_EQ(dialog.Tag(), kSetUpOK);
    EXPECT_EQ(parent, static_cast<int>(reinterpret_cast<uintptr_t>(dialog.Handle())));
    EXPECT_EQ(fnc, 1);
    EXPECT_TRUE(prompt.Questions().empty()) << "the plug-in's -1 is its own answer";
}

TEST_F(SetUpTest, InfoOpensTheInformationDialogOwnedByThisOne) {
    TSetUpDialog dialog;
    HWND info = nullptr;
    std::wstring caption;
    TModalSteps steps({
        [&] {
            SelectRows(dialog.PluginInfoList(), {kConfigFails});
            Click(dialog.PluginInfoBtn());
        },
        [&] {
            info = FindWindowW(L"TPluginInfoDlg", nullptr);
            wchar_t text[100] = L"";
            GetWindowTextW(info, text, 100);
            caption = text;
            EXPECT_EQ(GetWindow(info, GW_OWNER), dialog.Handle());
            EXPECT_FALSE(IsWindowEnabled(dialog.Handle())) << "the information dialog is modal";
            PostMessageW(info, WM_SYSCOMMAND, SC_CLOSE, 0);
        },
        [&] {
            EXPECT_FALSE(IsWindow(info)) << "released after use";
            EXPECT_TRUE(IsWindowEnabled(dialog.Handle()));
            Click(dialog.CancelBtn());
        },
    });
    std::wstring folder = files.Path();
    dialog.ExecuteSetUp(&spis, folder);
    EXPECT_EQ(steps.Run(), 3u);
    EXPECT_EQ(caption, L"threeformats.spi の情報");
}

TEST_F(SetUpTest, SaveFolderIsCheckedChangedWithThePickerAndTakenOnOKOnly) {
    const std::wstring gone = files / L"gone";
    const std::wstring other = files / L"other";
    CreateDirectoryW(other.c_str(), nullptr);
    const std::wstring missing = MissingSaveFolderMessage(gone, program.Path());
    struct Case {
        const char* name;
        std::wstring handedIn;
        std::optional<std::wstring> picked;  // "変更" clicked and this folder chosen; none: not clicked
        bool ok;
        std::wstring expected;  // the caller's folder afterwards
        std::vector<std::wstring> messages;
    };
    const Case cases[] = {
        {"vanished, then Cancel", gone, std::nullopt, false, gone, {missing}},
        {"vanished, then OK", gone, std::nullopt, true, program.Path(), {missing}},
        {"changed, then OK", files.Path(), other, true, other, {}},
        {"changed, then Cancel", files.Path(), other, false, files.Path(), {}},
        {"picker cancelled", files.Path(), L"", true, files.Path(), {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TVisibilityPrompt prompt({TPromptAnswer::paOK});
        TPromptScope promptScope(prompt);
        TScriptedFileDialogs dialogs;
        TFileDialogsScope dialogsScope(dialogs);
        if (c.picked && !c.picked->empty()) dialogs.PushFolder(TFolderChoice{*c.picked, L""});
        TSetUpDialog dialog;
        std::wstring shown;
        TModalSteps steps({
            [&] {
                dialog.Pages().SetActivePageIndex(1);
                if (c.picked) Click(dialog.SaveFolderChangeBtn());
            },
            [&] {
                shown = dialog.SaveFolderEdit().Text();
                Click(c.ok ? dialog.OKBtn() : dialog.CancelBtn());
            },
        });
        std::wstring folder = c.handedIn;
        EXPECT_EQ(dialog.ExecuteSetUp(&spis, folder), c.ok);
        EXPECT_EQ(steps.Run(), 2u);
        EXPECT_EQ(folder, c.expected);
        EXPECT_EQ(shown, c.picked && !c.picked->empty() ? *c.picked : c.handedIn == gone ? program.Path() : c.handedIn);
        ASSERT_EQ(prompt.Questions().size(), c.messages.size());
        for (size_t i = 0; i < c.messages.size(); ++i) {
            EXPECT_EQ(prompt.Questions()[i].text, c.messages[i]);
            EXPECT_EQ(prompt.Questions()[i].kind, TPromptKind::pkError);
            EXPECT_FALSE(prompt.shown[i]) << "asked before the dialog is shown";
        }
        if (c.picked) {
            ASSERT_EQ(dialogs.FolderRequests().size(), 1u);
            EXPECT_EQ(dialogs.FolderRequests()[0].caption, L"保存先フォルダの選択");
            EXPECT_EQ(dialogs.FolderRequests()[0].initialFolder, c.handedIn);
        }
    }
}

TEST_F(SetUpTest, FolderPageAndNothingWithoutAPluginSet) {
    TSetUpDialog dialog;
    std::wstring folder = files.Path();
    EXPECT_FALSE(dialog.ExecuteSetUp(nullptr, folder));
    EXPECT_FALSE(dialog.Visible());
    EXPECT_EQ(folder, files.Path());

    bool editShown = false, listShown = true;
    TModalSteps steps({
        [&] {
            RECT r{};
            SendMessageW(dialog.Pages().Handle(), TCM_GETITEMRECT, 1, reinterpret_cast<LPARAM>(&r));
            PostClick(dialog.Pages().Handle(), (r.left + r.right) / 2, (r.top + r.bottom) / 2);
        },
        [&] {
            editShown = IsWindowVisible(dialog.SaveFolderEdit().Handle()) != FALSE;
            listShown = IsWindowVisible(dialog.PluginInfoList().Handle()) != FALSE;
            SaveWindowPng(dialog.Handle(), L"setup_folder");
            PostMessageW(dialog.Handle(), WM_SYSCOMMAND, SC_CLOSE, 0);
        },
    });
    EXPECT_FALSE(dialog.ExecuteSetUp(&spis, folder));
    EXPECT_EQ(steps.Run(), 2u);
    EXPECT_TRUE(editShown);
    EXPECT_FALSE(listShown);
    EXPECT_EQ(dialog.Tag(), 0);
    const RECT client = dialog.ClientRect();
    EXPECT_EQ(client.right, 513);
    EXPECT_EQ(client.bottom, 379);
    wchar_t caption[20] = L"";
    GetWindowTextW(dialog.Handle(), caption, 20);
    EXPECT_STREQ(caption, L"設定");
}

}  // namespace
