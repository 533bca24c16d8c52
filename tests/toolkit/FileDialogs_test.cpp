#include "toolkit/FileDialogs.h"

#include <gtest/gtest.h>

#include "toolkit/Exceptions.h"

using namespace std::string_literals;

TEST(FileDialogHelpers, FiltersSelectionsAndForcedExtensions) {
    EXPECT_EQ(SystemFilterText(L"a|*.a|b|*.b;*.c"), L"a\0*.a\0b\0*.b;*.c\0\0"s);
    using TNames = std::vector<std::wstring>;
    EXPECT_EQ(SplitOpenSelection(L"C:\\d\\a.lzh\0\0junk"s), TNames{L"C:\\d\\a.lzh"});
    EXPECT_EQ(SplitOpenSelection(L"C:\\d\0a.lzh\0画像.zip\0\0"s), (TNames{L"C:\\d\\a.lzh", L"C:\\d\\画像.zip"}));
    EXPECT_EQ(SplitOpenSelection(L"C:\\\0a.lzh\0b.lzh\0\0"s), (TNames{L"C:\\a.lzh", L"C:\\b.lzh"}));
    EXPECT_EQ(ForceExtension(L"C:\\p\\a.jpg", L".BMP"), L"C:\\p\\a.BMP");
    EXPECT_EQ(ForceExtension(L"C:\\p.d\\a", L".BMP"), L"C:\\p.d\\a.BMP");
    EXPECT_EQ(ForceExtension(L"C:\\p\\a.b.png", L".BMP"), L"C:\\p\\a.b.BMP");
}

TEST(ScriptedFileDialogs, AnswersInOrderRecordsRequestsAndCancelsWhenTheScriptRunsOut) {
    EXPECT_THROW(CurrentFileDialogs(), Exception) << "none installed";
    TScriptedFileDialogs dialogs;
    dialogs.PushFolder(TFolderChoice{L"C:\\保存", L"保存"});
    dialogs.PushSave(L"C:\\p\\a.jpg");
    {
        TFileDialogsScope scope(dialogs);
        TFolderRequest request;
        request.caption = L"保存フォルダの選択";
        EXPECT_EQ(CurrentFileDialogs().ChooseFolder(request)->path, L"C:\\保存");
        EXPECT_FALSE(CurrentFileDialogs().ChooseFolder(request)) << "the script ran out: cancelled";
        TSaveFileRequest bitmap;
        bitmap.forcedExtension = L".BMP";
        EXPECT_EQ(CurrentFileDialogs().ChooseFileToSave(bitmap), L"C:\\p\\a.BMP");
        EXPECT_TRUE(CurrentFileDialogs().ChooseFilesToOpen({}).empty());
    }
    EXPECT_THROW(CurrentFileDialogs(), Exception) << "the scope restores what was there";
    ASSERT_EQ(dialogs.FolderRequests().size(), 2u);
    EXPECT_EQ(dialogs.FolderRequests()[0].caption, L"保存フォルダの選択");
    EXPECT_EQ(dialogs.OpenRequests().size(), 1u);
}
