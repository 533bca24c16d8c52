#include "toolkit/FileDialogs.h"

#include <gtest/gtest.h>

#include "toolkit/Exceptions.h"

using namespace std::string_literals;

// The system's dialogs run with these under Wine (shell tests); here the cases those runs miss.
TEST(FileDialogHelpers, SelectionsInADriveRootAndForcedExtensions) {
    EXPECT_EQ(SplitOpenSelection(L"C:\\\0a.lzh\0b.lzh\0\0"s), (std::vector<std::wstring>{L"C:\\a.lzh", L"C:\\b.lzh"}));
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
