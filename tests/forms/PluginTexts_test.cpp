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

TEST(PluginTexts, RowCells) {
    TPluginRowSource s{L"C:\\spi\\x.spi", L"00IN", L"X 1.0", {L"*.jpg;*.jpeg", L"*.png"}, true};
    EXPECT_EQ(PluginRowCells(s), (std::vector<std::wstring>{L"設定", L"x.spi", L"00IN", L"X 1.0", L"*.jpg;*.jpeg;*.png;"}));
    s.configurable = false;
    s.extensions.clear();
    EXPECT_EQ(PluginRowCells(s), (std::vector<std::wstring>{L"", L"x.spi", L"00IN", L"X 1.0", L""}));
}

TEST(PluginTexts, ButtonsAndSelectedRow) {
    struct Case {
        int selected;
        std::wstring mark;
        bool info, setup;
    };
    const Case cases[] = {{0, L"", false, false},     {1, L"設定", true, true}, {1, L"", true, false},
                          {2, L"設定", false, false}, {3, L"", false, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.selected);
        const TPluginButtons b = PluginButtonStates(c.selected, c.mark);
        EXPECT_EQ(b.info, c.info);
        EXPECT_EQ(b.setup, c.setup);
    }
    EXPECT_EQ(SelectedPluginRow(-1, 0), -1);
    EXPECT_EQ(SelectedPluginRow(-1, 4), 0);
    EXPECT_EQ(SelectedPluginRow(2, 4), 2);
}
