#include "app/ArchiveFilters.h"

#include <gtest/gtest.h>

namespace {

// Distinct plug-in addresses; the filters never look behind them.
char gPluginObjects[3];
TSPI* const kJpeg = reinterpret_cast<TSPI*>(&gPluginObjects[0]);
TSPI* const kZip = reinterpret_cast<TSPI*>(&gPluginObjects[1]);
TSPI* const kPng = reinterpret_cast<TSPI*>(&gPluginObjects[2]);

const std::vector<TPluginFormats> kPlugins = {
    {kJpeg, L"C:\\spi\\ifjpeg.spi", TSPIKind::skInSPI, {L"*.jpg", L"*.jpeg"}, {L"JPEG", L"JPEG long"}},
    {kZip, L"C:\\spi\\axzip.spi", TSPIKind::skAmSPI, {L"*.zip"}, {L"ZIP archive"}},
    {nullptr, L"C:\\spi\\other.spi", TSPIKind::skXnSPI, {L"*.xyz"}, {L"ignored"}},
    {kPng, L"ifpng.spi", TSPIKind::skInSPI, {L"*.png"}, {}},  // no description for its pattern
};

std::vector<std::wstring> Texts(const std::vector<TFilterRow>& rows) {
    std::vector<std::wstring> out;
    for (const auto& r : rows) out.push_back(r.text);
    return out;
}

}  // namespace

TEST(ArchiveFilters, ListsDialogFilterMasksAndDropDown) {
    const TFilterLists lists = BuildFilterLists(kPlugins);
    EXPECT_EQ(Texts(lists.pictureDescriptions), (std::vector<std::wstring>{L"Bitmapファイル形式(標準)",
                                                                           L"DIBファイル形式(標準)", L"JPEG",
                                                                           L"JPEG long", L""}));
    EXPECT_EQ(lists.archiveDescriptions[0].plugin, kZip);
    EXPECT_EQ(OpenDialogFilter(lists), L"すべての対応ファイル(*.*)|*.zip|ZIP archive|*.zip");
    EXPECT_EQ(OpenDialogFilter(BuildFilterLists({})), L"すべての対応ファイル(*.*)");
    EXPECT_EQ(FileListMasks(lists), std::vector<std::wstring>{L".zip"});

    const auto entries = FilterDropDownEntries(lists);
    EXPECT_EQ(Texts(entries), (std::vector<std::wstring>{L"すべてのファイル(*.*)(標準)", L"すべての対応ファイル(標準)",
                                                         L"*.BMP (標準)", L"*.DIB (標準)", L"*.jpg (ifjpeg.spi)",
                                                         L"*.jpeg (ifjpeg.spi)", L"*.png (ifpng.spi)"}));
    EXPECT_EQ(entries[6].plugin, kPng);
    EXPECT_TRUE(CurrentPatterns(lists, 0, true).empty());  // archive mode: every member
    EXPECT_EQ(CurrentPatterns(lists, 0, false).size(), 5u);
    EXPECT_EQ(CurrentPatterns(lists, 1, true).size(), 5u);
    EXPECT_EQ(CurrentPatterns(lists, 4, true), std::vector<std::wstring>{L"*.jpg"});
}

TEST(ArchiveFilters, MemberMatch) {
    struct Case { const wchar_t* name; std::vector<std::wstring> patterns; bool want; };
    const Case cases[] = {
        {L"A.JPG", {L"*.jpg"}, true},         {L"dir.x/a.Jpg", {L"*.BMP", L"*.jpg"}, true},
        {L"a.jpg.txt", {L"*.jpg"}, false},    {L"README", {L"*.jpg", L"*.BMP"}, false},  // only entry 0 lists it
        {L"README", {L"*"}, true},            {L"a.jpeg", {L"*.jpg;*.jpeg"}, true},      // two masks in one pattern
        {L"a.jp", {L"*.jpg;*.jpeg"}, false},  {L"a.jpg", {L"a.jpg"}, false},  // "*" + extension, no wildcards
    };
    for (const auto& c : cases) EXPECT_EQ(MemberMatchesPatterns(c.name, c.patterns), c.want) << c.name;
}

TEST(ArchiveFilters, FolderListAndStatusTexts) {
    EXPECT_EQ(MergeFolderList({L"C:\\b", L"C:\\a"}, {L"c:\\A0", L"C:\\a"}, true),
              (std::vector<std::wstring>{L"C:\\a", L"c:\\A0", L"C:\\b"}));
    EXPECT_EQ(MergeFolderList({L"C:\\b"}, {L"C:\\a", L"c:\\a"}, false),  // differing case is kept twice
              (std::vector<std::wstring>{L"C:\\a", L"c:\\a"}));
    EXPECT_EQ(ArchiveStatusStrip(L"D:\\arc\\pics.zip").caption, L"  アーカイブファイル  pics.zip の情報");
    const TStatusStrip one = FolderStatusStrip(FolderStripSource(L"C:\\p", 1));
    const TStatusStrip many = FolderStatusStrip(FolderStripSource(L"C:\\p", 3));
    EXPECT_EQ(one.caption, L"  フォルダ  C:\\p の情報");
    EXPECT_EQ(many.caption, L"           フォルダ  C:\\p 他 の情報");
    EXPECT_FALSE(one.detailsButton);
    EXPECT_TRUE(many.detailsButton);
    EXPECT_EQ(OpenFoldersMessage({L"C:\\a", L"D:\\b"}), L"現在開いているフォルダは次の 2個です\n\r\n\rC:\\a\n\rD:\\b");
}
