// The main window's help menu on the display: "バージョン情報" lists the window's plug-ins in the
// version dialog, and "説明を表示" and F1 open the help file beside the program (with the viewer
// recorded instead of the shell's) or say that there is none. Also: the help page is installed
// beside the built program.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "app/HelpFile_win.h"
#include "app/MainWindowFixture_win.h"
#include "common/TempDir.h"
#include "common/WindowTest_win.h"
#include "forms/Version_win.h"
#include "resources/ResourceIds.h"
#include "toolkit/Prompt.h"
#include "toolkit/Exceptions.h"
#include "toolkit/WinPath_win.h"

namespace {

// Records the files it is asked to show; with refuseWinHelp it cannot show a .HLP file, as a
// system without WinHelp.
class TRecordingHelpViewer : public THelpViewer {
public:
    explicit TRecordingHelpViewer(bool refuseWinHelp) : refuseWinHelp_(refuseWinHelp) {}
    void Open(HWND owner, const std::wstring& path) override {
        owners.push_back(owner);
        paths.push_back(path);
        if (refuseWinHelp_ && path.ends_with(L".HLP")) throw Exception(L"WinHelp はありません。");
    }
    std::vector<HWND> owners;
    std::vector<std::wstring> paths;

private:
    bool refuseWinHelp_;
};

std::wstring ProgramName() { return ModuleFileName(nullptr).substr(ModuleFolder(nullptr).size() + 1); }
std::wstring WithExtension(const std::wstring& path, const std::wstring& extension) {
    return path.substr(0, path.rfind(L'.')) + extension;
}

class AboutHelpTest : public TMainWindowFixture {};

TEST_F(AboutHelpTest, VersionCommandListsTheWindowsPlugins) {
    main = std::make_unique<TSPIMain>();
    std::vector<std::wstring> rows;
    HWND owner = nullptr;
    bool ownerEnabled = true;
    TModalSteps steps({[&] {
        auto* dialog = dynamic_cast<TVersionDialog*>(TWindow::FromHandle(FindWindowW(L"TVersionDialog", nullptr)));
        if (!dialog) return;
        owner = GetWindow(dialog->Handle(), GW_OWNER);
        ownerEnabled = IsWindowEnabled(main->Handle()) != FALSE;
        for (int i = 0; i < dialog->PluginInfoList().Count(); ++i) rows.push_back(dialog->PluginInfoList().Item(i));
        PostMessageW(dialog->VersionOkBtn().Handle(), BM_CLICK, 0, 0);
    }});
    Command(IDM_MAIN_ABOUT);
    EXPECT_EQ(steps.Run(), 1u);
    EXPECT_EQ(owner, main->Handle());
    EXPECT_FALSE(ownerEnabled);
    ASSERT_EQ(rows.size(), 2u);
    std::sort(rows.begin(), rows.end());  // in the order the folder listed them
    EXPECT_EQ(rows[0], L"vvarchive.spi  VV test archive plug-in 1.0");
    EXPECT_EQ(rows[1], L"vvimage.spi    VV test picture plug-in 1.0");
    // The dialog is gone once the command returns, and the window is usable again.
    EXPECT_EQ(FindWindowW(L"TVersionDialog", nullptr), nullptr);
    EXPECT_TRUE(IsWindowEnabled(main->Handle()));
}

TEST_F(AboutHelpTest, HelpCommandAndF1OpenTheHelpFileOrSayThereIsNone) {
    const std::wstring base = program / ProgramName();
    const std::wstring hlp = WithExtension(base, L".HLP"), page = WithExtension(base, L".html");
    struct TCase {
        bool hlp, page, refuseWinHelp;
        std::vector<std::wstring> opened;  // what the viewer was asked to show; none: the message
    };
    const TCase cases[] = {{true, true, false, {hlp}},
                           {false, true, false, {page}},
                           {true, false, false, {hlp}},
                           {true, true, true, {hlp, page}},
                           {false, false, false, {}}};
    main = std::make_unique<TSPIMain>();
    main->Show();
    for (const TCase& c : cases) {
        SCOPED_TRACE(testing::Message() << c.hlp << c.page << c.refuseWinHelp);
        DeleteFileW(hlp.c_str());
        DeleteFileW(page.c_str());
        if (c.hlp) WriteFileText(hlp, "help");
        if (c.page) WriteFileText(page, "<html></html>");
        for (const bool byKey : {false, true}) {
            SCOPED_TRACE(byKey ? "F1" : "menu");
            TRecordingHelpViewer viewer(c.refuseWinHelp);
            const THelpViewerScope viewerScope(viewer);
            TScriptedPrompt prompt({TPromptAnswer::paOK});
            const TPromptScope promptScope(prompt);
            if (byKey) {
                // Through the message loop: the accelerator table turns the key into the command.
                SetForegroundWindow(main->Handle());
                SetFocus(main->List().Handle());
                PumpFor(50);
                PostMessageW(main->List().Handle(), WM_KEYDOWN, VK_F1, 1);
                EXPECT_TRUE(PumpUntil([&] { return !viewer.paths.empty() || !prompt.Questions().empty(); }));
            } else {
                Command(IDM_MAIN_HELP);
            }
            if (c.opened.empty()) {
                EXPECT_TRUE(viewer.paths.empty());
                ASSERT_EQ(prompt.Questions().size(), 1u);
                EXPECT_EQ(prompt.Questions()[0].kind, TPromptKind::pkError);
                EXPECT_EQ(prompt.Questions()[0].text, L"ヘルプファイルが見つかりません。\n\r" + hlp + L"\n\r" + page);
            } else {
                EXPECT_TRUE(prompt.Questions().empty());
                EXPECT_EQ(viewer.paths, c.opened);
                EXPECT_EQ(viewer.owners, std::vector<HWND>(c.opened.size(), main->Handle()));
            }
        }
    }
}

// The help page the build puts beside VardenoView.exe, and a picture of that folder's listing.
TEST(HelpPage, IsInstalledBesideTheProgram) {
    const std::wstring folder = ThisProgramFolder() + L"\\" VV_PROGRAM_DIR;
    const std::wstring page = folder + L"\\VardenoView.html";
    ASSERT_TRUE(PathExists(page)) << testing::PrintToString(page);
    const std::string text = ReadFileText(page);
    // In Japanese, naming the commands, the plug-in folders and the settings file's sections.
    for (const char* part : {"<meta charset=\"utf-8\">", "説明を表示", "バージョン情報", "ファイルのコピー・移動",
                             "Software\\Sorvanek\\Susie\\Plug-in", "VardenoView.ini", "FormStyle",
                             "ImageStyle", "FolderSetting", "MoveCopySetting", "BrowseFolder", "Shift+Space"})
        EXPECT_NE(text.find(part), std::string::npos) << part;

    Application().Initialize();
    TForm listing;
    listing.Create(L"THelpPageListing", L"VardenoView.exe のフォルダ", 420, 160, WS_POPUP | WS_CAPTION);
    listing.SetFontFace(L"ＭＳ Ｐゴシック", 12, SHIFTJIS_CHARSET);
    TListBox files;
    files.Create(listing.Handle(), 1, RECT{0, 0, 420, 160});
    WIN32_FIND_DATAW found{};
    const HANDLE find = FindFirstFileW((folder + L"\\VardenoView.*").c_str(), &found);
    ASSERT_NE(find, INVALID_HANDLE_VALUE);
    do files.Add(std::wstring(found.cFileName) + L"    " + std::to_wstring(found.nFileSizeLow) + L" bytes");
    while (FindNextFileW(find, &found));
    FindClose(find);
    EXPECT_GE(files.Count(), 1);
    listing.Show();
    SetForegroundWindow(listing.Handle());
    PumpFor(100);
    SaveWindowPng(listing.Handle(), L"help_page_installed");
}

}  // namespace
