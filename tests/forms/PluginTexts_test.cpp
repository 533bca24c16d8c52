#include "forms/PluginTexts.h"

#include <gtest/gtest.h>

TEST(PluginTexts, CheckFilter) {
    struct Case {
        const char* name;
        std::vector<std::wstring> extensions, fileTypes;
        std::wstring want;
    };
    const Case cases[] = {
        {"three formats in list order",
         {L"*.vvi", L"*.vvp;*.vvq", L"*.vvr"},
         {L"VV", L"VV other", L"VV third"},
         L"すべてのファイル(*.*)|*.*|すべての対応ファイル(*.vvi;*.vvp;*.vvq;*.vvr)|*.vvi;*.vvp;*.vvq;*.vvr"
         L"|VV|*.vvi|VV other|*.vvp;*.vvq|VV third|*.vvr"},
        {"one format", {L"*.zip"}, {L"ZIP"}, L"すべてのファイル(*.*)|*.*|すべての対応ファイル(*.zip)|*.zip|ZIP|*.zip"},
        {"no formats: the general entries only", {}, {}, L"すべてのファイル(*.*)|*.*|すべての対応ファイル(*.*)|*.*"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(PluginCheckFilter(c.extensions, c.fileTypes), c.want);
    }
}

TEST(PluginTexts, Messages) {
    EXPECT_EQ(PluginCheckMessage(L"C:\\p\\a.vvi", L"C:\\spi\\vvimage.spi", true),
              L"C:\\p\\a.vvi\n\rは、\n\rvvimage.spi\n\rの、サポート形式ファイルです");
    EXPECT_EQ(PluginCheckMessage(L"C:\\p\\a.txt", L"vvimage.spi", false),
              L"C:\\p\\a.txt\n\rは、\n\rvvimage.spi\n\rの、非サポート形式ファイルです");
    EXPECT_EQ(MissingSaveFolderMessage(L"D:\\gone", L"C:\\VV"),
              L"D:\\gone\n\rは存在しません。保存先フォルダを\n\rC:\\VV\n\rに設定します。");
    EXPECT_EQ(PluginInfoCaption(L"C:\\spi\\vvarchive.spi"), L"vvarchive.spi の情報");
    EXPECT_EQ(PluginFileTitle(L"C:/a/b.spi"), L"b.spi");
    EXPECT_EQ(PluginFileTitle(L"b.spi"), L"b.spi");
}

// The buttons' enabling and the list's cells are read back from the dialog itself.
TEST(PluginTexts, SelectedRow) {
    EXPECT_EQ(SelectedPluginRow(-1, 0), -1);
    EXPECT_EQ(SelectedPluginRow(-1, 4), 0);
    EXPECT_EQ(SelectedPluginRow(2, 4), 2);
}
