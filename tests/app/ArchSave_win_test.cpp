// Saving members and pictures: the routines on real plug-ins and files, and the main window's save
// commands driven by WM_COMMAND and tool-button clicks with the questions and the folder picker
// scripted. Written bitmaps are read back with the DIB library's BMP reader.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <memory>

#include "app/ArchMain_win.h"
#include "app/MainWindowFixture_win.h"
#include "app/SaveTarget.h"
#include "app/Extraction_win.h"
#include "common/TempDir.h"
#include "common/WindowTest_win.h"
#include "forms/BatchEngine_win.h"
#include "forms/FileOperation_win.h"
#include "imaging/PxDIB.h"
#include "plugins/PluginTestEnv.h"
#include "resources/ResourceIds.h"
#include "toolkit/Application_win.h"
#include "toolkit/FileDialogs.h"
#include "toolkit/FileStream.h"
#include "toolkit/Prompt.h"
#include "toolkit/SystemInfo.h"

namespace {

using TBytes = std::vector<uint8_t>;
using TNames = std::vector<std::wstring>;

// The names in a folder, sorted: a temporary file left behind shows here.
TNames FolderNames(const std::wstring& folder) {
    TNames names;
    for (const auto& e : std::filesystem::directory_iterator(folder)) names.push_back(e.path().filename().wstring());
    std::sort(names.begin(), names.end());
    return names;
}

TBytes ReadBytes(const std::wstring& path) {
    const std::string text = ReadFileText(path);
    return TBytes(text.begin(), text.end());
}

// A BMP file's 24-bit pixels, top row first, as the test picture format holds them after its
// 8-byte header; empty when the size differs from the picture's.
TBytes BmpPixels(const std::wstring& path, int width, int height) {
    TFileStream file(path, fmOpenRead);
    TPxInternalDIB dib;
    dib.LoadFromStream(file);
    const DIBInfos& d = dib.Infos();
    if (dib.Width() != width || dib.Height() != height || d.Header.biBitCount != 24) return {};
    TBytes pixels;
    for (int y = 0; y < height; ++y) {
        const uint8_t* row = d.Bits + RowStride(width, 24) * (d.Header.biHeight > 0 ? height - 1 - y : y);
        pixels.insert(pixels.end(), row, row + width * 3);
    }
    return pixels;
}
TBytes VvPixels(const TBytes& file) { return TBytes(file.begin() + 8, file.end()); }

// Answers from a script and notes, at each question, the main window's status text, whether the
// window is disabled, and the progress bar's position.
struct TWatchingPrompt : TScriptedPrompt {
    TWatchingPrompt(std::vector<TPromptAnswer> answers, TSPIMain& m) : TScriptedPrompt(answers), main(m) {}
    TPromptAnswer Ask(TPromptKind k, const std::wstring& t, TPromptButtons b) override {
        seen = main.StatusText() + (IsWindowEnabled(main.Handle()) ? L"" : L" busy ") +
               std::to_wstring(main.Progress().Position());
        return TScriptedPrompt::Ask(k, t, b);
    }
    TSPIMain& main;
    std::wstring seen;
};

class SaveTest : public TMainWindowFixture {
protected:
    // The main window on an archive of the members, every row selected.
    TSPIMain& OpenArchive(const std::vector<TVvMember>& members) {
        TMainWindowFixture::OpenArchive(members);
        main->List().SetSelected(-1, true);
        main->UpdateCommandStates();
        return *main;
    }
};

TEST_F(SaveTest, SaveFolderCommandsConfirmAndAskBeforeOverwriting) {
    std::vector<TVvMember> members;
    for (uint32_t i = 1; i <= 5; ++i) members.push_back({"", std::to_string(i) + ".vvi", 0, VvImageFile(3, 2, i)});
    TSPIMain& m = OpenArchive(members);
    TScriptedPrompt prompt;
    TPromptScope scope(prompt);
    m.SetSaveFolder(files / L"deleted");  // nothing happens, nothing is asked
    Command(IDM_MAIN_SAVE_TO_SAVE_FOLDER);
    Command(IDM_MAIN_BITMAP_TO_SAVE_FOLDER);
    EXPECT_TRUE(prompt.Questions().empty());

    struct TCase {
        bool bitmaps;
        TPromptAnswer answer;     // to the confirmation, then at member 3, whose target exists
        std::vector<int> written;  // members written anew
    };
    using enum TPromptAnswer;
    const TCase cases[] = {{false, paNo, {1, 2, 4, 5}}, {false, paCancel, {1, 2}}, {false, paYes, {1, 2, 3, 4, 5}},
                           {true, paNo, {1, 2, 4, 5}},  {true, paCancel, {1, 2}},  {true, paYes, {1, 2, 3, 4, 5}},
                           {true, paNone, {}}};  // paNone: No to the confirmation
    for (const TCase& c : cases) {
        SCOPED_TRACE(testing::Message() << c.bitmaps << static_cast<int>(c.answer));
        TTempDir folder;
        m.SetSaveFolder(folder.Path() + L"\\");
        auto target = [&](int i) { return folder / (std::to_wstring(i) + (c.bitmaps ? L".BMP" : L".vvi")); };
        WriteFileText(target(3), "old");
        TWatchingPrompt answers({c.answer == paNone ? paNo : paYes, c.answer}, m);
        TPromptScope inner(answers);
        Command(c.bitmaps ? IDM_MAIN_BITMAP_TO_SAVE_FOLDER : IDM_MAIN_SAVE_TO_SAVE_FOLDER);

        const auto& asked = answers.Questions();
        ASSERT_EQ(asked.size(), c.answer == paNone ? 1u : 2u);
        EXPECT_EQ(asked[0].text, std::wstring(c.bitmaps ? L"選択ファイルをBitmapに変換して、" : L"選択ファイルを") +
                                     L"\n\r  " + folder.Path() + L"\\\n\rに保存しますか？");
        if (c.answer != paNone) {
            EXPECT_EQ(asked[1].text.rfind(target(3) + L"\n\r", 0), 0u);
            EXPECT_EQ(answers.seen, L"3.vvi 解凍中.... busy 3");
        }
        EXPECT_EQ(m.StatusText() + std::to_wstring(m.Progress().Position()), L"0");
        for (int i : c.written) {
            const TBytes& data = members[static_cast<size_t>(i - 1)].data;
            EXPECT_EQ(c.bitmaps ? BmpPixels(target(i), 3, 2) : ReadBytes(target(i)), c.bitmaps ? VvPixels(data) : data);
        }
        EXPECT_EQ(FolderNames(folder.Path()).size(), c.written.size() + (c.answer == paYes ? 0 : 1));
        if (c.answer != paYes) {
            EXPECT_EQ(ReadFileText(target(3)), "old");
        }
    }
}

TEST_F(SaveTest, PickedFolderSameNamesAndNamesWithoutExtension) {
    const std::vector<TVvMember> members = {
        {"a\\", "x.vvi", 0, VvImageFile(2, 2, 1)}, {"b\\", "x.vvi", 0, VvImageFile(2, 2, 2)}, {"", "noext", 0, VvImageFile(4, 1)}};
    TSPIMain& m = OpenArchive(members);
    const std::wstring startFolder = m.BrowseFolder();
    TTempDir bitmaps, stored;
    TScriptedFileDialogs dialogs;
    TFileDialogsScope dialogScope(dialogs);
    dialogs.PushFolder(TFolderChoice{bitmaps.Path() + L"\\", L""});
    dialogs.PushFolder(TFolderChoice{stored.Path(), L""});
    TScriptedPrompt prompt({TPromptAnswer::paYes, TPromptAnswer::paNo});  // at each second x
    TPromptScope scope(prompt);

    PostClick(FindDescendant(m.Handle(), IDC_MAIN_TB_SAVE_BITMAP), 3, 3);
    ASSERT_TRUE(PumpUntil([&] { return !dialogs.FolderRequests().empty(); }));
    EXPECT_EQ(dialogs.FolderRequests().at(0).caption, L"保存フォルダの選択");
    EXPECT_EQ(dialogs.FolderRequests().at(0).initialFolder, startFolder);
    ASSERT_EQ(prompt.Questions().size(), 1u);
    EXPECT_EQ(prompt.Questions()[0].text.rfind(bitmaps / L"x.BMP\n\r", 0), 0u);
    EXPECT_EQ(FolderNames(bitmaps.Path()), (TNames{L"noext.BMP", L"x.BMP"}));
    EXPECT_EQ(BmpPixels(bitmaps / L"x.BMP", 2, 2), VvPixels(members[1].data));
    EXPECT_EQ(BmpPixels(bitmaps / L"noext.BMP", 4, 1), VvPixels(members[2].data));
    EXPECT_EQ(m.BrowseFolder(), startFolder);  // a bitmap save leaves the picker's start

    Command(IDM_MAIN_SAVE_TO_FOLDER);
    EXPECT_EQ(prompt.Questions().size(), 2u);
    EXPECT_EQ(FolderNames(stored.Path()), (TNames{L"noext", L"x.vvi"}));
    EXPECT_EQ(ReadBytes(stored / L"x.vvi"), members[0].data);  // No kept the first x
    EXPECT_EQ(m.BrowseFolder(), stored.Path());
}

// Hostile names and failing plug-ins: the folder holds what it held, the target its old content.
TEST_F(SaveTest, RefusalsAndFailuresLeaveTheFolderAsItWas) {
    TTempDir outer;
    const std::wstring folder = outer / L"save", archive = files / L"one.vva";
    CreateDirectoryW(folder.c_str(), nullptr);
    CreateDirectoryW((folder + L"\\m.BMP").c_str(), nullptr);  // where a bitmap cannot be written
    WriteFileText(folder + L"\\m.vvi", "old");
    WriteFileBytes(archive, VvArchiveFile({{"", "m.vvi", 0, TBytes{'n', 'e', 'w'}}}));
    WriteFileBytes(files / L"p.vvi", VvImageFile(1, 1));
    TAmSPI good(TestSpi(L"vvarchive")), failing(TestSpi(L"failarchive")), shortBlock(TestSpi(L"shortblock"));
    TInSPI image(TestSpi(L"vvimage"));
    auto extract = [&](TAmSPI* spi, const wchar_t* name) {
        const TArchiveEntry entry{L"", 0xF0000000u, 3, 3, 0, L"", name};  // the plug-in's first member
        return [=, &folder] { ExtractMemberToFile(archive, entry, folder, spi, L""); };
    };
    const std::pair<std::function<void()>, std::wstring> cases[] = {
        {extract(&failing, L"m.vvi"), L"one.vva が展開できません"},
        {extract(&shortBlock, L"m.vvi"), L"one.vva が展開できません"},
        {extract(nullptr, L"m.vvi"), L"AmSPIが存在しません"},
        {[&] { SaveMemberAsBitmap(archive, {L"", 0xF0000000u, 3, 3, 0, L"", L"m"}, folder, nullptr, &good, L""); },
         L"認識できない画像形式です"},
        {[&] { ConvertFileToBitmap(files / L"p.vvi", folder, L"m.BMP", &image); }, folder + L"\\m.BMPの書き込みに失敗しました。"},
        {extract(&good, L"a:b"), L"アーカイブ内のファイル名「a:b」はファイル名に使えないため、保存できません。"},
        {extract(&good, L""), L"アーカイブ内のファイル名「」はファイル名に使えないため、保存できません。"},
        {extract(&good, L"dir/.."), L"アーカイブ内のファイル名「dir/..」はファイル名に使えないため、保存できません。"},
    };
    for (const auto& [save, message] : cases) {
        SCOPED_TRACE(testing::PrintToString(message));
        TScriptedPrompt prompt({TPromptAnswer::paYes});
        TPromptScope scope(prompt);
        EXPECT_EQ(RaisedBy(save).message, message);
        EXPECT_EQ(FolderNames(folder), (TNames{L"m.BMP", L"m.vvi"}));
        EXPECT_EQ(ReadFileText(folder + L"\\m.vvi"), "old");
    }
    // Only the last part of a name with folders is used, and Yes replaces the old file.
    for (const wchar_t* name : {L"..\\..\\m.vvi", L"C:\\m.vvi"}) {
        TScriptedPrompt prompt({TPromptAnswer::paYes});
        TPromptScope scope(prompt);
        extract(&good, name)();
        EXPECT_EQ(FolderNames(outer.Path()), TNames{L"save"});
        EXPECT_EQ(ReadFileText(folder + L"\\m.vvi"), "new");
        WriteFileText(folder + L"\\m.vvi", "old");
    }
}

TEST_F(SaveTest, ConvertsTheSelectedFilesOfAFolder) {
    main = std::make_unique<TSPIMain>();
    TTempDir source, out;
    const TBytes a = VvImageFile(2, 3, 7);
    WriteFileBytes(source / L"a.vvi", a);
    WriteFileBytes(source / L"gone.vvi", a);
    ASSERT_TRUE(main->OpenFolders({source.Path()}, main->AllPicturePatterns(), false));
    EXPECT_EQ(main->FilterPicturePlugin(), nullptr);  // a standard entry
    // "*.vvi (vvimage.spi)": its plug-in converts.
    TComboBox& filter = main->FilterBox();
    filter.SetItemIndex(4);
    SendMessageW(GetParent(filter.Handle()), WM_COMMAND, MAKEWPARAM(filter.Id(), CBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(filter.Handle()));
    ASSERT_NE(main->FilterPicturePlugin(), nullptr);
    EXPECT_EQ(main->FilterPicturePlugin()->FileName(), program / L"vvimage.spi");
    main->List().SetSelected(-1, true);
    DeleteFileW((source / L"gone.vvi").c_str());  // removed after it was listed: passed over
    TScriptedPrompt prompt;
    TPromptScope scope(prompt);
    TScriptedFileDialogs dialogs;
    TFileDialogsScope dialogScope(dialogs);
    dialogs.PushFolder(TFolderChoice{out.Path(), L""});
    Command(IDM_MAIN_SAVE_TO_FOLDER);  // the stored form is for archives: nothing is asked
    EXPECT_TRUE(dialogs.FolderRequests().empty());
    Command(IDM_MAIN_SAVE_BITMAP);
    EXPECT_EQ(FolderNames(out.Path()), TNames{L"a.BMP"});
    EXPECT_EQ(BmpPixels(out / L"a.BMP", 2, 3), VvPixels(a));
    EXPECT_EQ(FolderNames(source.Path()), TNames{L"a.vvi"});  // the source stays
    EXPECT_TRUE(prompt.Questions().empty());
}

}  // namespace

// "ファイルのコピー・移動" (menu and pop-up send the same command) hands the selected rows to the
// file operation dialog, owned by the disabled main window, and lists again afterwards: moved
// files leave a folder listing, while an archive keeps its rows.
TEST_F(SaveTest, CopyMoveCommandOpensTheDialogOnTheSelectionAndListsAgain) {
    struct TCase {
        bool archive;
        bool moving;  // else copying
        std::wstring caption;
        bool moveEnabled;
        TNames sources;  // files, or the members' names, as the check list is given them
        TNames written;
        size_t rowsAfter;
    };
    TTempDir pictures;
    const TCase cases[] = {
        {false, true, L"コピー・移動  (2個選択)", true, {pictures / L"1.vvi", pictures / L"3.vvi"}, {L"1.BMP", L"3.BMP"}, 1},
        {true, false, L"コピー・移動  (3個選択)", false, {L"1.vvi", L"2.vvi", L"3.vvi"}, {L"1.BMP", L"2.BMP", L"3.BMP"}, 3},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.archive);
        std::vector<TVvMember> members;
        for (uint32_t i = 1; i <= 3; ++i) {
            members.push_back({"", std::to_string(i) + ".vvi", 0, VvImageFile(3, 2, i)});
            WriteFileBytes(pictures / (std::to_wstring(i) + L".vvi"), VvImageFile(3, 2, i));
        }
        if (c.archive) {
            OpenArchive(members);
        } else {
            main = std::make_unique<TSPIMain>();
            ASSERT_TRUE(main->OpenFolders({pictures.Path()}, main->AllPicturePatterns(), false));
            // Every row but 2.vvi's, wherever the folder's order put it.
            for (size_t row = 0; row < main->Rows().RowCount(); ++row)
                if (NamePart(FolderRowPath(main->Rows().Rows()[row].text)) != L"2.vvi")
                    main->List().SetSelected(static_cast<int>(row), true);
        }
        TTempDir target;
        TNames confirmed;
        TBatchConfirmationScope confirmation([&](TBatchList& list) {
            if (list.records)
                for (const TArchiveEntry& e : *list.records) confirmed.push_back(e.fileName);
            else
                confirmed = list.sources;
            return true;
        });
        std::wstring caption;
        bool moveEnabled = !c.moveEnabled, mainEnabled = true;
        TModalSteps steps({[&] {
            auto* dialog = dynamic_cast<TFileOperationDialog*>(TWindow::FromHandle(FindWindowW(L"TFileOperationDialog", nullptr)));
            if (!dialog) return;
            wchar_t text[100] = L"";
            GetWindowTextW(dialog->Handle(), text, 100);
            caption = text;
            moveEnabled = dialog->MoveBtn().Enabled();
            mainEnabled = IsWindowEnabled(main->Handle()) != FALSE;
            dialog->FolderBox().SetText(target.Path());
            PostMessageW((c.moving ? dialog->MoveBtn() : dialog->CopyBtn()).Handle(), BM_CLICK, 0, 0);
        }});
        Command(IDM_MAIN_COPY_MOVE);
        EXPECT_EQ(steps.Run(), 1u);
        EXPECT_EQ(caption, c.caption);
        EXPECT_EQ(moveEnabled, c.moveEnabled);
        EXPECT_FALSE(mainEnabled);
        std::sort(confirmed.begin(), confirmed.end());
        EXPECT_EQ(confirmed, c.sources);
        EXPECT_EQ(FolderNames(target.Path()), c.written);
        EXPECT_EQ(main->Rows().RowCount(), c.rowsAfter);
        EXPECT_EQ(main->ListMode(), c.archive ? TListMode::lmArchive : TListMode::lmFolder);
        main.reset();
    }
}
