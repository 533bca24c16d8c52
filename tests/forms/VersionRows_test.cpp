#include "forms/VersionRows.h"

#include <gtest/gtest.h>

TEST(VersionRows, NamePaddedToItsColumnThenTheInformation) {
    struct Case {
        const wchar_t* path;
        const wchar_t* info;
        const wchar_t* row;
    };
    const Case cases[] = {
        // Shorter names are padded; a name of exactly the column, or longer, is followed directly.
        {L"C:\\Susie\\ifjpeg.spi", L"JPEG 1.0", L"ifjpeg.spi     JPEG 1.0"},
        {L"C:\\Susie\\vvarchive12.spi", L"Archive", L"vvarchive12.spiArchive"},
        {L"C:\\a\\b\\a-very-long-name.spi", L"X", L"a-very-long-name.spiX"},
        // No folder, no information; Japanese characters take two columns (half-width kana one),
        // so that the information still starts in one column.
        {L"ax.spi", L"", L"ax.spi         "},
        {L"D:\\プラグイン\\画像.spi", L"情報", L"画像.spi       情報"},
        {L"ｶﾞｿﾞｳ.spi", L"i", L"ｶﾞｿﾞｳ.spi      i"},
        {L"画像画像画像画像.spi", L"i", L"画像画像画像画像.spii"},
    };
    for (const Case& c : cases) EXPECT_EQ(PluginRowText(c.path, c.info), c.row) << testing::PrintToString(std::wstring(c.path));
}

TEST(VersionRows, OnlyArchivePluginsAreArchiveRows) {
    EXPECT_TRUE(IsArchiveRow(L"00AM"));
    for (const wchar_t* version : {L"00IN", L"00am", L"00XN", L"", L"00AM "}) EXPECT_FALSE(IsArchiveRow(version)) << version;
}
