// The plug-in information dialog on the tests' plug-ins, driven by real messages: its fields and
// hints, the format drop-down choosing the pattern shown, and "対応確認" with the open dialog and
// the prompt scripted.
#include <windows.h>

#include <gtest/gtest.h>

#include <map>
#include <memory>

#include "common/TempDir.h"
#include "common/WindowTest_win.h"
#include "forms/PluginInfo_win.h"
#include "forms/PluginTexts.h"
#include "plugins/PluginTestEnv.h"
#include "plugins/SPIs.h"
#include "toolkit/Application_win.h"
#include "toolkit/FileDialogs.h"
#include "toolkit/Prompt.h"

namespace {

class PluginInfoTest : public ::testing::Test {
protected:
    void SetUp() override { Application().Initialize(); }
    static void Click(TButton& button) { PostMessageW(button.Handle(), BM_CLICK, 0, 0); }

    TTempDir files;
    std::unique_ptr<TSPI> three = CreateSPI(TestSpi(L"threeformats"));
    std::unique_ptr<TSPI> archive = CreateSPI(TestSpi(L"vvarchive"));
    std::unique_ptr<TSPI> noFormats = CreateSPI(TestSpi(L"xnplugin"));
};

TEST_F(PluginInfoTest, ShowsWhatThePluginSaysAndTheDropDownChoosesThePattern) {
    TPluginInfoDlg dialog;
    std::vector<std::wstring> extensionsSeen;
    std::wstring caption, path, name, version, info;
    std::vector<std::wstring> types;
    TModalSteps steps({
        [&] {
            caption = dialog.Text();
            path = dialog.FilePathEdit().Text();
            name = dialog.FileNameEdit().Text();
            version = dialog.VersionEdit().Text();
            info = dialog.InfoMemo().Text();
            types = dialog.FileTypeBox().Items();
            extensionsSeen.push_back(dialog.FileExtEdit().Text());
            SaveWindowPng(dialog.Handle(), L"plugin_info");
            SetFocus(dialog.FileTypeBox().Handle());
            SendMessageW(dialog.FileTypeBox().Handle(), WM_KEYDOWN, VK_DOWN, 0);
            extensionsSeen.push_back(dialog.FileExtEdit().Text());
            SendMessageW(dialog.FileTypeBox().Handle(), WM_KEYDOWN, VK_DOWN, 0);
            extensionsSeen.push_back(dialog.FileExtEdit().Text());
        },
        [&] { Click(dialog.OKBtn()); },
    });
    dialog.ShowPlugin(three.get());
    EXPECT_EQ(steps.Run(), 2u);
    EXPECT_EQ(caption, L"threeformats.spi の情報");
    EXPECT_EQ(path, L"(" + three->FileName() + L")");
    EXPECT_EQ(name, L"threeformats.spi");
    EXPECT_EQ(version, L"00IN");
    EXPECT_EQ(info, L"VV test picture plug-in 1.0");
    EXPECT_EQ(types, (std::vector<std::wstring>{L"VV test picture", L"VV test picture (other names)", L"VV test picture (third)"}));
    EXPECT_EQ(extensionsSeen, (std::vector<std::wstring>{L"*.vvi", L"*.vvp;*.vvq", L"*.vvr"}));
    EXPECT_FALSE(IsWindowVisible(dialog.Handle()));
}

TEST_F(PluginInfoTest, FieldsAreBorderlessMenuColouredAndHinted) {
    TPluginInfoDlg dialog;
    dialog.LoadPlugin(*noFormats);
    // A plug-in that declares no formats: nothing chosen, no pattern.
    EXPECT_EQ(dialog.FileTypeBox().Count(), 0);
    EXPECT_EQ(dialog.FileTypeBox().ItemIndex(), -1);
    EXPECT_EQ(dialog.FileExtEdit().Text(), L"");
    EXPECT_EQ(dialog.VersionEdit().Text(), L"00XN");
    const RECT client = dialog.ClientRect();
    EXPECT_EQ(client.right, 386);
    EXPECT_EQ(client.bottom, 238);
    struct Case {
        TWindow* field;
        std::wstring hint;
    };
    const Case cases[] = {
        {&dialog.FileNameEdit(), L"プラグインファイル名です。"},
        {&dialog.FilePathEdit(), L"プラグインファイルのパス情報です。"},
        {&dialog.VersionEdit(),
         L"バージョン情報です。現在のところ２タイプがあり\r\n'00IN'が画像ロード用\r\n'00AM'がアーカイブ展開用のプラグインです。"},
        {&dialog.InfoMemo(), L"プラグインの名前とバージョンなどの情報です。"},
        {&dialog.FileTypeBox(), L"対応ファイル形式名です。"},
        {&dialog.FileExtEdit(), L"「対応ファイル」に表示されているファイルタイプの\r\n対応拡張子です。"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.field->Id());
        EXPECT_EQ(dialog.Hints().TipText(c.field->Handle()), c.hint);
        if (c.field == &dialog.FileTypeBox()) continue;
        const LONG_PTR style = GetWindowLongPtrW(c.field->Handle(), GWL_STYLE);
        EXPECT_TRUE(style & ES_READONLY);
        EXPECT_FALSE(GetWindowLongPtrW(c.field->Handle(), GWL_EXSTYLE) & WS_EX_CLIENTEDGE);
        EXPECT_EQ(static_cast<TEdit*>(c.field)->Color(), GetSysColor(COLOR_MENU));
    }
}

TEST_F(PluginInfoTest, CheckAsksThePluginWithTheChosenFilesHead) {
    WriteFileBytes(files / L"a.vvi", VvImageFile(2, 2));
    WriteFileBytes(files / L"a.vva", VvArchiveFile({{"", "m.txt", 0, {1, 2}}}));
    WriteFileText(files / L"a.txt", "not a picture");
    struct Case {
        const char* name;
        TSPI* spi;
        std::vector<std::wstring> chosen;  // empty: cancelled
        TPromptKind kind;
        std::wstring message;  // empty: no message
    };
    const std::wstring general = L"すべてのファイル(*.*)|*.*|すべての対応ファイル(";
    const Case cases[] = {
        {"a picture it reads", three.get(), {files / L"a.vvi"}, TPromptKind::pkInformation,
         PluginCheckMessage(files / L"a.vvi", three->FileName(), true)},
        {"a file it rejects", three.get(), {files / L"a.txt"}, TPromptKind::pkInformation,
         files / L"a.txt" + L"\n\rは、\n\rthreeformats.spi\n\rの、非サポート形式ファイルです"},
        {"an archive plug-in", archive.get(), {files / L"a.vva"}, TPromptKind::pkInformation,
         PluginCheckMessage(files / L"a.vva", archive->FileName(), true)},
        {"another kind never supports", noFormats.get(), {files / L"a.vvi"}, TPromptKind::pkInformation,
         PluginCheckMessage(files / L"a.vvi", noFormats->FileName(), false)},
        {"a file that cannot be opened", three.get(), {files / L"gone.vvi"}, TPromptKind::pkError,
         PluginCheckReadError(files / L"gone.vvi", L"ファイル " + files / L"gone.vvi" + L" を開けません。")},
        {"cancelled", three.get(), {}, TPromptKind::pkInformation, L""},
    };
    std::map<TSPI*, std::wstring> filters;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TScriptedFileDialogs dialogs;
        TFileDialogsScope dialogsScope(dialogs);
        dialogs.PushOpen(c.chosen);
        TScriptedPrompt prompt({TPromptAnswer::paOK});
        TPromptScope promptScope(prompt);
        TPluginInfoDlg dialog;
        dialog.LoadPlugin(*c.spi);
        dialog.Show();
        Click(dialog.CheckBtn());
        // The click's handler asks the open dialog and then the prompt, in one go.
        EXPECT_TRUE(PumpUntil([&] { return !dialogs.OpenRequests().empty(); }, 1000));
        ASSERT_EQ(dialogs.OpenRequests().size(), 1u);
        filters[c.spi] = dialogs.OpenRequests()[0].filter;
        if (c.message.empty()) {
            EXPECT_TRUE(prompt.Questions().empty());
            continue;
        }
        ASSERT_EQ(prompt.Questions().size(), 1u);
        EXPECT_EQ(prompt.Questions()[0].kind, c.kind);
        EXPECT_EQ(prompt.Questions()[0].text, c.message);
        EXPECT_TRUE(IsWindow(dialog.Handle()));
    }
    // The filters as the open dialog got them: the general entries, then each format in order.
    EXPECT_EQ(filters[three.get()], general + L"*.vvi;*.vvp;*.vvq;*.vvr)|*.vvi;*.vvp;*.vvq;*.vvr|VV test picture|*.vvi"
                                              L"|VV test picture (other names)|*.vvp;*.vvq|VV test picture (third)|*.vvr");
    EXPECT_EQ(filters[archive.get()], general + L"*.vva)|*.vva|VV test archive|*.vva");
    EXPECT_EQ(filters[noFormats.get()], general + L"*.*)|*.*");
}

}  // namespace
