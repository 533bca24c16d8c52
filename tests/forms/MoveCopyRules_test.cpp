#include "forms/MoveCopyRules.h"

#include <gtest/gtest.h>

TEST(MoveCopyRules, Enabling) {
    // archive, format, rename; then overwrite, move, rename edit, save-original check box as 0/1.
    struct Case { bool archive; int format, rename; const char* want; };
    const Case cases[] = {
        {false, kFormatBitmap, kRenameOn, "1111"},  {false, kFormatOriginal, kRenameOff, "0100"},
        {false, kFormatBitmap, kRenameOff, "1101"}, {false, kFormatOriginal, kRenameOn, "1110"},
        {true, kFormatBitmap, kRenameOn, "0011"},   {true, kFormatOriginal, kRenameOff, "0000"},
    };
    for (const auto& c : cases) {
        const TMoveCopyEnabling e = MoveCopyEnabling(c.archive, c.format, c.rename);
        const std::string got = {"01"[e.overwrite], "01"[e.move], "01"[e.renameEdit], "01"[e.saveOriginal]};
        EXPECT_EQ(got, c.want) << c.archive << c.format << c.rename;
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
    // The box's own text, which the rule overwrites with the listed form: the typed form goes in.
    TFolderHistory own{{L"D:\\a", L"C:\\PICS"}, L"c:\\pics\\"};
    RememberFolder(own, own.text, exists);
    EXPECT_EQ(own.items, (std::vector<std::wstring>{L"c:\\pics\\", L"D:\\a"}));
    EXPECT_EQ(own.text, L"C:\\PICS");

    TFolderHistory full;
    for (int i = 0; i < 15; ++i) full.items.push_back(L"F:\\" + std::to_wstring(i));
    RememberFolder(full, L"G:\\new", exists);
    ASSERT_EQ(full.items.size(), 15u);
    EXPECT_EQ(full.items.front(), L"G:\\new");
    EXPECT_EQ(full.items[14], L"F:\\14");  // the fifteenth, F:\13, was dropped

    EXPECT_EQ(StartFolderText(L"C:\\gone", {L"D:\\a"}, L"C:\\prog", exists), L"D:\\a");
    EXPECT_EQ(StartFolderText(L"", {}, L"C:\\prog", exists), L"C:\\prog");
}

TEST(MoveCopyRules, Texts) {
    EXPECT_EQ(MoveCopyCaption(3), L"コピー・移動  (3個選択)");
    const std::wstring help = RenameHelpText();
    EXPECT_EQ(help.substr(0, 14), L"一括リネーム定義の書き方\n\r");
    const std::wstring line4 = L"\n\r　　（ただし \\、/、:、*、?、\"、<、>、|  の各文字は使用できません)\n\r";
    EXPECT_NE(help.find(line4), std::wstring::npos);
    EXPECT_NE(help.find(L"\n\r    となります。\n\r\n\r注："), std::wstring::npos);
    size_t lines = 1;
    for (size_t at = help.find(L"\n\r"); at != std::wstring::npos; at = help.find(L"\n\r", at + 2)) ++lines;
    EXPECT_EQ(lines, 18u);
    EXPECT_EQ(FolderKey(kFolderKeys - 1), L"Folder15");
}
