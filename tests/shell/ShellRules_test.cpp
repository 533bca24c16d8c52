#include "shell/ShellRules.h"

#include <gtest/gtest.h>

TEST(ShellRules, MaskTakesFoldersAndMatchingExtensions) {
    const std::vector<std::wstring> archives{L".LZH", L".ZIP"};
    struct Case {
        const char* name;
        std::vector<std::wstring> mask;
        const wchar_t* item;
        bool folder, shown;
    };
    const Case cases[] = {
        {"lower-case extension", archives, L"C:\\t\\a.lzh", false, true},
        {"second entry", archives, L"C:\\t\\b.Zip", false, true},
        {"other extension", archives, L"C:\\t\\c.txt", false, false},
        {"no extension", archives, L"C:\\t\\LZH", false, false},
        {"dot only in a folder's name", archives, L"C:\\t.zip\\readme", false, false},
        {"folder always", archives, L"C:\\t\\sub", true, true},
        {"Japanese name", archives, L"C:\\t\\写真.lzh", false, true},
        {"empty mask takes all", {}, L"C:\\t\\c.txt", false, true},
        {"last extension counts", archives, L"C:\\t\\a.zip.txt", false, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(MaskAccepts(c.mask, c.item, c.folder), c.shown);
    }
    EXPECT_EQ(NameExtension(L"a.b\\c.tar.gz"), L".gz");
}

TEST(ShellRules, SizeTextCountsStartedKilobytesOfTheWhole64BitSize) {
    struct Case {
        std::uint64_t size;
        const wchar_t* text;
    };
    const Case cases[] = {
        {0, L"       1KB"},
        {1023, L"       1KB"},
        {1024, L"       2KB"},
        {5ull << 30, L" 5242881KB"},  // 5 GB: the low 32 bits alone would say 1 GB
        {(1ull << 32) - 1, L" 4194304KB"},
        {100000000ull * 1024, L"100000001KB"},  // wider than eight places: not cut
    };
    for (const auto& c : cases) EXPECT_EQ(FileSizeText(c.size), c.text) << c.size;
}

TEST(ShellRules, DateTextFromDosDateAndTime) {
    auto dos = [](int y, int mo, int d, int h, int mi, int s) {
        return std::pair<std::uint16_t, std::uint16_t>(static_cast<std::uint16_t>(((y - 1980) << 9) | (mo << 5) | d),
                                                       static_cast<std::uint16_t>((h << 11) | (mi << 5) | (s / 2)));
    };
    struct Case {
        std::pair<std::uint16_t, std::uint16_t> dateTime;
        const wchar_t* text;
    };
    const Case cases[] = {{dos(2026, 12, 9, 13, 5, 59), L"26/12/09 13:05"},
                          {dos(1999, 1, 31, 0, 0, 0), L"99/01/31 00:00"},
                          {dos(2000, 2, 29, 23, 59, 58), L"00/02/29 23:59"}};
    for (const auto& c : cases) EXPECT_EQ(DosDateTimeText(c.dateTime.first, c.dateTime.second), c.text);
}
