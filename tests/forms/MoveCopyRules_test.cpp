#include "forms/MoveCopyRules.h"

#include <gtest/gtest.h>

#include <set>

TEST(MoveCopyRules, Enabling) {
    struct Case {
        bool archive;
        int format, rename;
        bool overwrite, move, renameEdit, saveOriginal;
    };
    const Case cases[] = {
        {false, kFormatBitmap, kRenameOn, true, true, true, true},
        {false, kFormatOriginal, kRenameOff, false, true, false, false},  // would write a file over itself
        {false, kFormatBitmap, kRenameOff, true, true, false, true},
        {false, kFormatOriginal, kRenameOn, true, true, true, false},
        {true, kFormatBitmap, kRenameOn, false, false, true, true},  // members can only be copied out
        {true, kFormatOriginal, kRenameOff, false, false, false, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.archive << c.format << c.rename);
        const TMoveCopyEnabling e = MoveCopyEnabling(c.archive, c.format, c.rename);
        EXPECT_EQ(e.overwrite, c.overwrite);
        EXPECT_EQ(e.move, c.move);
        EXPECT_EQ(e.renameEdit, c.renameEdit);
        EXPECT_EQ(e.saveOriginal, c.saveOriginal);
    }
}

TEST(MoveCopyRules, FolderHistory) {
    const TExistsPredicate exists = [](const std::wstring& f) { return f != L"C:\\gone"; };
    TFolderHistory h{{L"D:\\a", L"C:\\PICS", L"E:\\"}, L""};
    RememberFolder(h, L"c:\\pics\\", exists);
    EXPECT_EQ(h.items, (std::vector<std::wstring>{L"c:\\pics\\", L"D:\\a", L"E:\\"}));
    EXPECT_EQ(h.text, L"C:\\PICS");
    RememberFolder(h, L"C:\\gone", exists);
    EXPECT_EQ(h.items.size(), 3u);

    TFolderHistory full;
    for (int i = 0; i < 15; ++i) full.items.push_back(L"F:\\" + std::to_wstring(i));
    RememberFolder(full, L"G:\\new", exists);
    ASSERT_EQ(full.items.size(), 15u);
    EXPECT_EQ(full.items.front(), L"G:\\new");
    EXPECT_EQ(full.items[13], L"F:\\12");
    EXPECT_EQ(full.items[14], L"F:\\14");  // the fifteenth, F:\13, was dropped

    EXPECT_EQ(StartFolderText(L"C:\\start", {L"D:\\a"}, L"C:\\prog", exists), L"C:\\start");
    EXPECT_EQ(StartFolderText(L"C:\\gone", {L"D:\\a"}, L"C:\\prog", exists), L"D:\\a");
    EXPECT_EQ(StartFolderText(L"", {}, L"C:\\prog", exists), L"C:\\prog");
}

TEST(MoveCopyRules, Texts) {
    EXPECT_EQ(MoveCopyCaption(3), L"コピー・移動  (3個選択)");
    const std::wstring help = RenameHelpText();
    EXPECT_EQ(help.substr(0, 14), L"一括リネーム定義の書き方\n\r");
    EXPECT_NE(help.find(L"\n\r　　（ただし \\、/、:、*、?、\"、<、>、|  の各文字は使用できません)\n\r"), std::wstring::npos);
    EXPECT_NE(help.find(L"\n\r\n\r例："), std::wstring::npos);
    EXPECT_NE(help.find(L"\n\r    となります。\n\r\n\r注："), std::wstring::npos);
    size_t lines = 1;
    for (size_t at = help.find(L"\n\r"); at != std::wstring::npos; at = help.find(L"\n\r", at + 2)) ++lines;
    EXPECT_EQ(lines, 18u);
    EXPECT_EQ(help.substr(help.size() - 3), L"ます。");
    EXPECT_EQ(FolderKey(0), L"Folder0");
    EXPECT_EQ(FolderKey(kFolderKeys - 1), L"Folder15");
}
