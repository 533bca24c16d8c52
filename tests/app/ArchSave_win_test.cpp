// Saving members and pictures: the extraction routines on real plug-ins and files, and the main
// window's save commands driven through WM_COMMAND with the questions and the folder picker
// scripted. Written bitmaps are read back with the DIB library's BMP reader.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/ArchMain_win.h"
#include "app/Extraction_win.h"
#include "common/TempDir.h"
#include "common/WindowTest_win.h"
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

// The names in a folder, sorted; a temporary file left behind shows here.
std::vector<std::wstring> FolderNames(const std::wstring& folder) {
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW found{};
    HANDLE find = FindFirstFileW((folder + L"\\*").c_str(), &found);
    if (find == INVALID_HANDLE_VALUE) return names;
    do {
        if (wcscmp(found.cFileName, L".") && wcscmp(found.cFileName, L"..")) names.push_back(found.cFileName);
    } while (FindNextFileW(find, &found));
    FindClose(find);
    std::sort(names.begin(), names.end());
    return names;
}

TBytes ReadBytes(const std::wstring& path) {
    const std::string text = ReadFileText(path);
    return TBytes(text.begin(), text.end());
}

// The pixels of a BMP file, top row first, as the test picture format holds them (B, G, R).
TBytes BmpPixels(const std::wstring& path, int width, int height) {
    TFileStream file(path, fmOpenRead);
    TPxInternalDIB dib;
    dib.LoadFromStream(file);
    EXPECT_EQ(dib.Width(), width);
    EXPECT_EQ(dib.Height(), height);
    EXPECT_EQ(dib.Infos().Header.biBitCount, 24);
    TBytes pixels;
    const size_t stride = static_cast<size_t>(RowStride(static_cast<uint64_t>(width), 24));
    const bool bottomUp = dib.Infos().Header.biHeight > 0;
    for (int y = 0; y < height; ++y) {
        const uint8_t* row = dib.Infos().Bits + stride * static_cast<size_t>(bottomUp ? height - 1 - y : y);
        pixels.insert(pixels.end(), row, row + width * 3);
    }
    return pixels;
}

// The pixels of a picture in the test format: what follows its 8-byte header.
TBytes VvPixels(const TBytes& file) { return TBytes(file.begin() + 8, file.end()); }

// A scripted prompt that also records, at each question, the main window's status text, whether
// it was disabled and where its progress bar stood.
class TWatchingPrompt : public TScriptedPrompt {
public:
    TWatchingPrompt(std::vector<TPromptAnswer> answers, TSPIMain& main) : TScriptedPrompt(answers), main_(main) {}
    TPromptAnswer Ask(TPromptKind kind, const std::wstring& text, TPromptButtons buttons) override {
        states.push_back({main_.StatusText(), !IsWindowEnabled(main_.Handle()), main_.Progress().Position()});
        return TScriptedPrompt::Ask(kind, text, buttons);
    }
    struct TState {
        std::wstring status;
        bool busy;
        int progress;
    };
    std::vector<TState> states;

private:
    TSPIMain& main_;
};

class SaveTest : public ::testing::Test {
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
    TSPIMain& OpenMain() {
        main = std::make_unique<TSPIMain>();
        return *main;
    }
    std::wstring Archive(const std::wstring& name, const std::vector<TVvMember>& members) {
        const std::wstring path = files / name;
        WriteFileBytes(path, VvArchiveFile(members));
        return path;
    }
    // Opens an archive in the main window and selects every row.
    void OpenAndSelectAll(const std::wstring& archive) {
        ASSERT_TRUE(main->OpenArchive(archive));
        main->List().SetSelected(-1, true);
        main->UpdateCommandStates();
    }
    void Command(int id) { SendMessageW(main->Handle(), WM_COMMAND, MAKEWPARAM(id, 0), 0); }
    void ClickToolButton(int id) {
        HWND button = FindDescendant(main->Handle(), id);
        ASSERT_NE(button, nullptr);
        ASSERT_TRUE(IsWindowEnabled(button));
        SendMessageW(button, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(3, 3));
        SendMessageW(button, WM_LBUTTONUP, 0, MAKELPARAM(3, 3));
    }

    TTempDir program;
    TTempDir files;
    TSusieFolderSetting noSusieFolder{std::wstring()};
    std::unique_ptr<TSPIMain> main;
};

TEST_F(SaveTest, SaveFolderCommandsAskBeforeOverwriting) {
    TSPIMain& m = OpenMain();
    std::vector<TVvMember> members;
    for (int i = 1; i <= 5; ++i)
        members.push_back({"", std::to_string(i) + ".vvi", 1700000000, VvImageFile(3, 2, static_cast<uint32_t>(i))});
    OpenAndSelectAll(Archive(L"five.vva", members));

    struct TCase {
        int command;
        TPromptAnswer answer;  // at the question about member 3, whose target exists
        std::vector<int> written;
    };
    const TCase cases[] = {
        {IDM_MAIN_SAVE_TO_SAVE_FOLDER, TPromptAnswer::paNo, {1, 2, 4, 5}},
        {IDM_MAIN_SAVE_TO_SAVE_FOLDER, TPromptAnswer::paCancel, {1, 2}},
        {IDM_MAIN_SAVE_TO_SAVE_FOLDER, TPromptAnswer::paYes, {1, 2, 3, 4, 5}},
        {IDM_MAIN_BITMAP_TO_SAVE_FOLDER, TPromptAnswer::paNo, {1, 2, 4, 5}},
        {IDM_MAIN_BITMAP_TO_SAVE_FOLDER, TPromptAnswer::paCancel, {1, 2}},
        {IDM_MAIN_BITMAP_TO_SAVE_FOLDER, TPromptAnswer::paYes, {1, 2, 3, 4, 5}},
    };
    for (const TCase& c : cases) {
        const bool bitmaps = c.command == IDM_MAIN_BITMAP_TO_SAVE_FOLDER;
        SCOPED_TRACE(testing::Message() << bitmaps << " " << static_cast<int>(c.answer));
        TTempDir folder;
        m.SetSaveFolder(folder.Path() + L"\\");
        auto target = [&](int i) { return folder / (std::to_wstring(i) + (bitmaps ? L".BMP" : L".vvi")); };
        WriteFileText(target(3), "old");
        TWatchingPrompt prompt({TPromptAnswer::paYes, c.answer}, m);
        TPromptScope scope(prompt);
        Command(c.command);

        ASSERT_EQ(prompt.Questions().size(), 2u);
        EXPECT_EQ(prompt.Questions()[0].text,
                  std::wstring(bitmaps ? L"選択ファイルをBitmapに変換して、" : L"選択ファイルを") + L"\n\r  " +
                      folder.Path() + L"\\\n\rに保存しますか？");
        EXPECT_EQ(prompt.Questions()[0].buttons, TPromptButtons::pbYesNo);
        EXPECT_EQ(prompt.Questions()[1].text.rfind(target(3) + L"\n\r", 0), 0u);
        // The overwrite question comes while member 3 is worked on, the window busy.
        EXPECT_EQ(prompt.states[1].status, L"3.vvi 解凍中....");
        EXPECT_TRUE(prompt.states[1].busy);
        EXPECT_EQ(prompt.states[1].progress, 3);
        EXPECT_EQ(m.StatusText(), L"");
        EXPECT_EQ(m.Progress().Position(), 0);
        EXPECT_TRUE(IsWindowEnabled(m.Handle()));

        for (int i = 1; i <= 5; ++i) {
            const bool written = std::count(c.written.begin(), c.written.end(), i) != 0;
            if (!written) {
                EXPECT_EQ(PathExists(target(i)), i == 3) << i;
                continue;
            }
            const TBytes& data = members[static_cast<size_t>(i - 1)].data;
            if (bitmaps) {
                EXPECT_EQ(BmpPixels(target(i), 3, 2), VvPixels(data)) << i;
            } else {
                EXPECT_EQ(ReadBytes(target(i)), data) << i;
            }
        }
        if (c.answer != TPromptAnswer::paYes) {
            EXPECT_EQ(ReadFileText(target(3)), "old");
        }
        EXPECT_EQ(FolderNames(folder.Path()).size(), c.written.size() + (c.answer == TPromptAnswer::paYes ? 0 : 1));
    }
}

TEST_F(SaveTest, PickedFolderSameNamesAndNamesWithoutExtension) {
    TSPIMain& m = OpenMain();
    const std::vector<TVvMember> members = {{"a\\", "x.vvi", 1700000000, VvImageFile(2, 2, 1)},
                                            {"b\\", "x.vvi", 1700000000, VvImageFile(2, 2, 2)},
                                            {"", "noext", 1700000000, VvImageFile(4, 1, 3)}};
    OpenAndSelectAll(Archive(L"same.vva", members));
    const std::wstring startFolder = m.BrowseFolder();
    TTempDir bitmaps, stored;
    TScriptedFileDialogs dialogs;
    TFileDialogsScope dialogScope(dialogs);
    dialogs.PushFolder(TFolderChoice{bitmaps.Path() + L"\\", L"bitmaps"});
    dialogs.PushFolder(TFolderChoice{stored.Path(), L"stored"});

    // As bitmaps: the second x asks, Yes replaces the first; "noext" gets ".BMP".
    TScriptedPrompt prompt({TPromptAnswer::paYes, TPromptAnswer::paNo});
    TPromptScope scope(prompt);
    ClickToolButton(IDC_MAIN_TB_SAVE_BITMAP);
    ASSERT_EQ(dialogs.FolderRequests().size(), 1u);
    EXPECT_EQ(dialogs.FolderRequests()[0].caption, L"保存フォルダの選択");
    EXPECT_EQ(dialogs.FolderRequests()[0].initialFolder, startFolder);
    ASSERT_EQ(prompt.Questions().size(), 1u);
    EXPECT_EQ(prompt.Questions()[0].text.rfind(bitmaps / L"x.BMP\n\r", 0), 0u);
    EXPECT_EQ(FolderNames(bitmaps.Path()), (std::vector<std::wstring>{L"noext.BMP", L"x.BMP"}));
    EXPECT_EQ(BmpPixels(bitmaps / L"x.BMP", 2, 2), VvPixels(members[1].data));
    EXPECT_EQ(BmpPixels(bitmaps / L"noext.BMP", 4, 1), VvPixels(members[2].data));
    EXPECT_EQ(m.BrowseFolder(), startFolder);  // a bitmap save leaves the picker's start

    // Stored: No keeps the first x; the picker then starts at the folder saved to.
    Command(IDM_MAIN_SAVE_TO_FOLDER);
    ASSERT_EQ(prompt.Questions().size(), 2u);
    EXPECT_EQ(FolderNames(stored.Path()), (std::vector<std::wstring>{L"noext", L"x.vvi"}));
    EXPECT_EQ(ReadBytes(stored / L"x.vvi"), members[0].data);
    EXPECT_EQ(m.BrowseFolder(), stored.Path());
}

TEST_F(SaveTest, HostileMemberNamesStayInsideTheFolder) {
    TSPIMain& m = OpenMain();
    TTempDir outer;
    const std::wstring folder = outer / L"save";
    CreateDirectoryW(folder.c_str(), nullptr);
    m.SetSaveFolder(folder);
    struct TCase {
        std::string member;
        const wchar_t* savedAs;  // null: refused
    };
    const TCase cases[] = {{"..\\..\\x", L"x"}, {"C:\\x", L"x"}, {"..", nullptr},
                           {"a:b", nullptr},    {"", nullptr},   {"dir/..", nullptr}};
    for (const TCase& c : cases) {
        for (int command : {IDM_MAIN_SAVE_TO_SAVE_FOLDER, IDM_MAIN_BITMAP_TO_SAVE_FOLDER}) {
            SCOPED_TRACE(c.member + " " + std::to_string(command));
            OpenAndSelectAll(Archive(L"hostile.vva", {{"", c.member, 1700000000, VvImageFile(1, 1)}}));
            TScriptedPrompt prompt({TPromptAnswer::paYes});
            TPromptScope scope(prompt);
            Command(command);
            const std::wstring name =
                c.savedAs ? std::wstring(c.savedAs) + (command == IDM_MAIN_BITMAP_TO_SAVE_FOLDER ? L".BMP" : L"") : L"";
            EXPECT_EQ(FolderNames(folder), c.savedAs ? std::vector<std::wstring>{name} : std::vector<std::wstring>{});
            EXPECT_EQ(FolderNames(outer.Path()), std::vector<std::wstring>{L"save"});
            if (c.savedAs) {
                EXPECT_EQ(prompt.Questions().size(), 1u);
                DeleteFileW((folder + L"\\" + name).c_str());
            } else {
                ASSERT_EQ(prompt.Questions().size(), 2u);
                EXPECT_EQ(prompt.Questions()[1].kind, TPromptKind::pkError);
                const std::wstring member(c.member.begin(), c.member.end());
                EXPECT_NE(prompt.Questions()[1].text.find(L"「" + member + L"」"), std::wstring::npos);
            }
        }
    }
}

// The routines on plug-ins that fail: the existing target and the folder are as they were.
TEST_F(SaveTest, FailuresLeaveTheTargetAndNoTemporaryFile) {
    TTempDir folder;
    const std::wstring archive = Archive(L"one.vva", {{"", "m.vvi", 1700000000, TBytes{'n', 'o', 't'}}});
    TArchiveEntry entry;
    entry.position = 0xF0000000u;  // the test archive plug-in's first member
    entry.fileSize = 3;
    entry.fileName = L"m.vvi";
    TAmSPI good(TestSpi(L"vvarchive")), failing(TestSpi(L"failarchive")), shortBlock(TestSpi(L"shortblock"));
    CreateDirectoryW((folder / L"m.BMP").c_str(), nullptr);  // a folder where the bitmap would go

    struct TCase {
        const char* name;
        std::function<void()> save;
        std::wstring target;
        std::wstring message;
    };
    const TCase cases[] = {
        {"failing plug-in", [&] { ExtractMemberToFile(archive, entry, folder.Path(), &failing, L""); },
         folder / L"m.vvi", L"one.vva が展開できません"},
        {"short block", [&] { ExtractMemberToFile(archive, entry, folder.Path(), &shortBlock, L""); },
         folder / L"m.vvi", L"one.vva が展開できません"},
        {"no plug-in", [&] { ExtractMemberToFile(archive, entry, folder.Path(), nullptr, L""); }, folder / L"m.vvi",
         L"AmSPIが存在しません"},
        {"not a picture", [&] { SaveMemberAsBitmap(archive, entry, L"", nullptr, &good, folder / L"m.vvi"); },
         folder / L"m.vvi", L"認識できない画像形式です"},
        {"target is a folder",
         [&] {
             const std::wstring picture = files / L"p.vvi";
             WriteFileBytes(picture, VvImageFile(1, 1));
             TInSPI image(TestSpi(L"vvimage"));
             ConvertFileToBitmap(picture, folder.Path(), L"m.BMP", &image);
         },
         folder / L"m.BMP", folder / L"m.BMP" + L"の書き込みに失敗しました。"},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.name);
        if (!PathExists(c.target)) WriteFileText(c.target, "old");
        TScriptedPrompt prompt({TPromptAnswer::paYes});
        TPromptScope scope(prompt);
        EXPECT_EQ(RaisedBy(c.save).message, c.message);
        EXPECT_EQ(FolderNames(folder.Path()), (std::vector<std::wstring>{L"m.BMP", L"m.vvi"}));
        EXPECT_EQ(ReadFileText(folder / L"m.vvi"), "old");
    }

    // The same member through the working plug-in, under a save name: the target is replaced.
    TScriptedPrompt prompt({TPromptAnswer::paYes});
    TPromptScope scope(prompt);
    EXPECT_TRUE(ExtractMemberToFile(archive, entry, L"", &good, folder / L"m.vvi"));
    EXPECT_EQ(ReadFileText(folder / L"m.vvi"), "not");
    EXPECT_EQ(FolderNames(folder.Path()).size(), 2u);
}

TEST_F(SaveTest, SaveFolderCommandsNeedTheFolderARowAndYes) {
    TSPIMain& m = OpenMain();
    TTempDir folder;
    ASSERT_TRUE(m.OpenArchive(Archive(L"a.vva", {{"", "a.vvi", 1700000000, VvImageFile(1, 1)}})));
    TScriptedPrompt prompt({TPromptAnswer::paNo, TPromptAnswer::paNo});
    TPromptScope scope(prompt);
    m.SetSaveFolder(folder.Path());
    Command(IDM_MAIN_SAVE_TO_SAVE_FOLDER);  // no row selected
    m.List().SetSelected(0, true);
    m.SetSaveFolder(files / L"deleted");
    Command(IDM_MAIN_SAVE_TO_SAVE_FOLDER);
    Command(IDM_MAIN_BITMAP_TO_SAVE_FOLDER);
    EXPECT_TRUE(prompt.Questions().empty());
    m.SetSaveFolder(folder.Path());
    Command(IDM_MAIN_SAVE_TO_SAVE_FOLDER);
    Command(IDM_MAIN_BITMAP_TO_SAVE_FOLDER);
    EXPECT_EQ(prompt.Questions().size(), 2u);  // both answered No
    EXPECT_TRUE(FolderNames(folder.Path()).empty());
}

TEST_F(SaveTest, ConvertsTheSelectedFilesOfAFolder) {
    TSPIMain& m = OpenMain();
    TTempDir out;
    const TBytes a = VvImageFile(2, 3, 7), b = VvImageFile(1, 1, 8);
    WriteFileBytes(files / L"a.vvi", a);
    WriteFileBytes(files / L"b.vvi", b);
    WriteFileBytes(files / L"gone.vvi", b);
    ASSERT_TRUE(m.OpenFolders({files.Path()}, m.AllPicturePatterns(), false));
    ASSERT_EQ(m.List().Count(), 3);
    m.List().SetSelected(-1, true);
    DeleteFileW((files / L"gone.vvi").c_str());  // removed after it was listed: passed over

    EXPECT_EQ(m.FilterPicturePlugin(), nullptr);  // a standard entry
    TScriptedPrompt prompt;
    TPromptScope scope(prompt);
    TScriptedFileDialogs dialogs;
    TFileDialogsScope dialogScope(dialogs);
    dialogs.PushFolder(TFolderChoice{out.Path(), L"out"});
    Command(IDM_MAIN_SAVE_TO_FOLDER);  // the stored form is for archives: nothing is asked
    EXPECT_TRUE(dialogs.FolderRequests().empty());
    Command(IDM_MAIN_SAVE_BITMAP);
    EXPECT_EQ(FolderNames(out.Path()), (std::vector<std::wstring>{L"a.BMP", L"b.BMP"}));
    EXPECT_EQ(BmpPixels(out / L"a.BMP", 2, 3), VvPixels(a));
    EXPECT_EQ(BmpPixels(out / L"b.BMP", 1, 1), VvPixels(b));
    EXPECT_EQ(ReadBytes(files / L"a.vvi"), a);  // the sources stay
    EXPECT_EQ(ReadBytes(files / L"b.vvi"), b);
    EXPECT_TRUE(prompt.Questions().empty());
}

}  // namespace
