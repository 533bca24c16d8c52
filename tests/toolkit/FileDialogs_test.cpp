#include "toolkit/FileDialogs.h"

#include <gtest/gtest.h>

#include "toolkit/Exceptions.h"
#include "toolkit/TextUtil.h"

using namespace std::string_literals;

TEST(FileDialogHelpers, FiltersSelectionsAndForcedExtensions) {
    EXPECT_EQ(SystemFilterText(L"Bitmapファイル(*.BMP)|*.BMP"), L"Bitmapファイル(*.BMP)\0*.BMP\0\0"s);
    EXPECT_EQ(SystemFilterText(L"a|*.a|b|*.b;*.c"), L"a\0*.a\0b\0*.b;*.c\0\0"s);

    struct Split {
        const char* name;
        std::wstring buffer;
        std::vector<std::wstring> want;
    };
    const Split splits[] = {
        {"one full name", L"C:\\dir\\a.lzh\0\0junk"s, {L"C:\\dir\\a.lzh"}},
        {"folder then names", L"C:\\dir\0a.lzh\0画像.zip\0\0"s, {L"C:\\dir\\a.lzh", L"C:\\dir\\画像.zip"}},
        {"drive root keeps one backslash", L"C:\\\0a.lzh\0b.lzh\0\0"s, {L"C:\\a.lzh", L"C:\\b.lzh"}},
        {"nothing", L"\0\0"s, {}},
    };
    for (const auto& c : splits) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(SplitOpenSelection(c.buffer), c.want);
    }

    struct Force {
        std::wstring path, want;
    };
    const Force forces[] = {
        {L"C:\\pic\\a.jpg", L"C:\\pic\\a.BMP"},
        {L"C:\\pic\\a", L"C:\\pic\\a.BMP"},
        {L"C:\\pic.d\\a", L"C:\\pic.d\\a.BMP"},
        {L"C:\\pic\\a.b.png", L"C:\\pic\\a.b.BMP"},
        {L"a.BMP", L"a.BMP"},
    };
    for (const auto& c : forces) EXPECT_EQ(ForceExtension(c.path, L".BMP"), c.want) << WideToUtf8(c.path);
}

TEST(ScriptedFileDialogs, AnswersInOrderRecordsRequestsAndCancelsWhenTheScriptRunsOut) {
    EXPECT_THROW(CurrentFileDialogs(), Exception) << "no dialogs installed";
    TScriptedFileDialogs dialogs;
    dialogs.PushFolder(TFolderChoice{L"C:\\保存", L"保存"});
    dialogs.PushOpen({L"C:\\a.lzh", L"C:\\b.lzh"});
    dialogs.PushSave(L"C:\\pic\\a.jpg");
    dialogs.PushSave(L"C:\\pic\\b.png");
    {
        TFileDialogsScope scope(dialogs);
        TFolderRequest save;
        save.caption = L"保存フォルダの選択";
        save.initialFolder = L"C:\\start";
        auto folder = CurrentFileDialogs().ChooseFolder(save);
        ASSERT_TRUE(folder);
        EXPECT_EQ(folder->path, L"C:\\保存");
        EXPECT_FALSE(CurrentFileDialogs().ChooseFolder(TFolderRequest{})) << "script ran out: cancelled";

        EXPECT_EQ(CurrentFileDialogs().ChooseFilesToOpen({}), (std::vector<std::wstring>{L"C:\\a.lzh", L"C:\\b.lzh"}));
        EXPECT_TRUE(CurrentFileDialogs().ChooseFilesToOpen({}).empty());

        TSaveFileRequest bitmap;
        bitmap.forcedExtension = L".BMP";
        EXPECT_EQ(CurrentFileDialogs().ChooseFileToSave(bitmap), L"C:\\pic\\a.BMP") << "forced whatever answers";
        EXPECT_EQ(CurrentFileDialogs().ChooseFileToSave({}), L"C:\\pic\\b.png");
        EXPECT_FALSE(CurrentFileDialogs().ChooseFileToSave(bitmap));
    }
    EXPECT_THROW(CurrentFileDialogs(), Exception) << "the scope restores what was there";
    ASSERT_EQ(dialogs.FolderRequests().size(), 2u);
    EXPECT_EQ(dialogs.FolderRequests()[0].caption, L"保存フォルダの選択");
    EXPECT_EQ(dialogs.FolderRequests()[0].initialFolder, L"C:\\start");
    EXPECT_EQ(dialogs.OpenRequests().size(), 2u);
    EXPECT_EQ(dialogs.SaveRequests().size(), 3u);
}
