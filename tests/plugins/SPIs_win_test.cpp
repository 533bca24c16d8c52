// The plug-in set against real test plug-ins under Wine: searching, ordering, registering formats.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <set>

#include "common/TempDir.h"
#include "plugins/PluginTestEnv.h"
#include "plugins/SPIBmp.h"
#include "plugins/SPIs.h"
#include "toolkit/SystemInfo.h"
#include "toolkit/TextUtil.h"
#include "toolkit/WinPath_win.h"

namespace {

// The file names (without folder) of the set's plug-ins, in set order.
std::vector<std::wstring> Names(const TSPIs& spis) {
    std::vector<std::wstring> out;
    for (int i = 0; i < spis.Count(); ++i) {
        const std::wstring& path = spis.Items(i).FileName();
        out.push_back(path.substr(path.find_last_of(L'\\') + 1));
    }
    return out;
}

std::vector<std::wstring> Names(const std::vector<TSPI*>& list) {
    std::vector<std::wstring> out;
    for (const TSPI* s : list) out.push_back(s->FileName().substr(s->FileName().find_last_of(L'\\') + 1));
    return out;
}

std::set<std::wstring> Sorted(const std::vector<std::wstring>& v) { return {v.begin(), v.end()}; }

// A folder with good, odd and defective plug-ins, and things that are not plug-ins at all.
void FillPluginFolder(const TTempDir& dir) {
    for (const wchar_t* name : {L"vvimage", L"vvarchive", L"noinfo", L"nopicture", L"version00ab", L"xnplugin"})
        CopyTestSpi(name, dir.Path());
    WriteFileText(dir / L"junk.spi", "not a DLL");
    CopyTestSpi(L"halfformats", dir.Path(), L"hidden.spi");
    SetFileAttributesW((dir / L"hidden.spi").c_str(), FILE_ATTRIBUTE_HIDDEN);
    CopyTestSpi(L"halfformats", dir.Path(), L"readonly.spi");
    SetFileAttributesW((dir / L"readonly.spi").c_str(), FILE_ATTRIBUTE_READONLY);
    CreateDirectoryW((dir / L"folder.spi").c_str(), nullptr);
    CopyTestSpi(L"halfformats", dir.Path(), L"other.dll");
}

const std::set<std::wstring> kFolderPlugins = {L"vvimage.spi", L"vvarchive.spi", L"version00ab.spi",
                                               L"xnplugin.spi", L"readonly.spi"};

const TGraphicClass kTestGraphic{L"TTestGraphic", nullptr, nullptr};
const TGraphicClass kOtherGraphic{L"TOtherGraphic", nullptr, nullptr};

// Leaves the registry of formats and the default class as they were.
// Starts with no default class and no plug-in formats registered; puts the default back after.
class FormatsScope {
public:
    FormatsScope() : previous_(TSPIs::DefaultGraphicClass()) {
        TSPIs::SetDefaultGraphicClass(nullptr);
        UnregisterGraphicClass(&TSPIBitmap::StaticClass());
    }
    ~FormatsScope() {
        UnregisterGraphicClass(&kTestGraphic);
        UnregisterGraphicClass(&kOtherGraphic);
        TSPIs::SetDefaultGraphicClass(previous_);
    }
    FormatsScope(const FormatsScope&) = delete;
    FormatsScope& operator=(const FormatsScope&) = delete;

private:
    const TGraphicClass* previous_;
};

}  // namespace

TEST(TSPIs, OnlyOneSetAtATime) {
    EXPECT_EQ(CurrentSPIs(), nullptr);
    {
        TSPIs first;
        EXPECT_EQ(CurrentSPIs(), &first);
        const TRaised r = RaisedBy([] { TSPIs second; });
        EXPECT_EQ(r.className, "ESPIDupCreateSPIs");
        EXPECT_EQ(r.message, L"TSPIs は複数生成できません");
        EXPECT_EQ(CurrentSPIs(), &first) << "the first stays the live set";
    }
    EXPECT_EQ(CurrentSPIs(), nullptr);
    TSPIs again;
    EXPECT_EQ(CurrentSPIs(), &again);
}

TEST(TSPIs, DefaultsAndAnEmptySet) {
    TSPIs spis;
    EXPECT_TRUE(spis.AutoSearch);
    EXPECT_EQ(spis.SearchOptions, (TSPISearchOptions{spsSusieDir, spsAppDir}));
    // Plug-in picture formats open as plug-in bitmaps from the start of the program.
    EXPECT_EQ(TSPIs::DefaultGraphicClass(), &TSPIBitmap::StaticClass());
    TTempDir empty;
    spis.Search(empty / L"*.spi");
    EXPECT_EQ(spis.Count(), 0);
    std::vector<TSPI*> list;
    spis.GetSPIList<TSPI>(L"x.vvi", list);
    EXPECT_TRUE(list.empty());
}

TEST(TSPIsSearch, AFolderMaskLoadsThePluginFilesOfThatFolderOnly) {
    TTempDir dir, elsewhere;
    FillPluginFolder(dir);
    CopyTestSpi(L"vvimage", elsewhere.Path(), L"elsewhere.spi");
    TSusieFolderSetting susie(elsewhere.Path());
    TSPIs spis;
    spis.SearchOptions = {spsSusieDir, spsAppDir, spsCurrentDir, spsSystemDir, spsWindowsDir};
    spis.Search(dir / L"*.spi");
    EXPECT_EQ(Sorted(Names(spis)), kFolderPlugins) << "no hidden file, folder, non-plug-in or other folder";
    for (int i = 0; i < spis.Count(); ++i)
        EXPECT_EQ(spis.IndexOf(spis.Items(i).FileName()), i);
}

TEST(TSPIsSearch, TheSamePathIsLoadedOnceButACopyElsewhereAgain) {
    TTempDir dir, other;
    CopyTestSpi(L"vvimage", dir.Path());
    CopyTestSpi(L"vvimage", other.Path());
    TSPIs spis;
    spis.Search(dir / L"*.spi");
    spis.Search(dir.Path() + L"\\*.spi");
    spis.Search(dir / L"VV*.spi");
    EXPECT_EQ(spis.Count(), 1);
    spis.Search(other / L"*.spi");
    ASSERT_EQ(spis.Count(), 2);
    EXPECT_NE(spis.Items(0).Handle(), spis.Items(1).Handle()) << "two separate libraries";
}

TEST(TSPIsSearch, FoldersOfTheOptionsInOrder) {
    TTempDir susieDir, currentDir;
    CopyTestSpi(L"vvimage", susieDir.Path(), L"a.spi");
    CopyTestSpi(L"vvarchive", currentDir.Path(), L"b.spi");
    wchar_t oldCurrent[MAX_PATH];
    GetCurrentDirectoryW(MAX_PATH, oldCurrent);
    SetCurrentDirectoryW(currentDir.Path().c_str());
    struct Case {
        const char* name;
        std::optional<std::wstring> registry;
        TSPISearchOptions options;
        std::vector<std::wstring> want;
        std::optional<std::wstring> programFolder = std::nullopt;  // the program folder as tests set it
    };
    const Case cases[] = {
        {"Susie folder then current folder", susieDir.Path(), {spsCurrentDir, spsSusieDir}, {L"a.spi", L"b.spi"}},
        {"Susie folder with a trailing backslash", susieDir.Path() + L"\\", {spsSusieDir}, {L"a.spi"}},
        {"no Susie value", std::nullopt, {spsSusieDir, spsCurrentDir}, {L"b.spi"}},
        {"empty Susie value", L"", {spsSusieDir}, {}},
        {"Susie value naming a missing folder", susieDir / L"missing", {spsSusieDir}, {}},
        {"Susie folder equal to the current folder", currentDir.Path(), {spsSusieDir, spsCurrentDir}, {L"b.spi"}},
        {"system and Windows folders hold none", std::nullopt, {spsSystemDir, spsWindowsDir}, {}},
        {"program folder holds none", std::nullopt, {spsAppDir}, {}},
        {"program folder as set for tests", std::nullopt, {spsAppDir, spsCurrentDir}, {L"a.spi", L"b.spi"},
         susieDir.Path()},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TSusieFolderSetting susie(c.registry);
        SetProgramFolderOverride(c.programFolder);
        TSPIs spis;
        spis.SearchOptions = c.options;
        spis.Search(L"*.spi");
        EXPECT_EQ(Names(spis), c.want);
    }
    SetProgramFolderOverride(std::nullopt);
    SetCurrentDirectoryW(oldCurrent);
}

TEST(TSPIsSearch, LoadedSearchesOnlyWithAutoSearch) {
    TTempDir dir;
    CopyTestSpi(L"vvimage", dir.Path());
    TSusieFolderSetting susie(dir.Path());
    {
        TSPIs spis;
        spis.AutoSearch = false;
        spis.Loaded();
        EXPECT_EQ(spis.Count(), 0);
    }
    TSPIs spis;
    spis.Loaded();
    EXPECT_EQ(Names(spis), std::vector<std::wstring>{L"vvimage.spi"});
}

TEST(TSPIsSearch, OnSearchDecidesAndItsErrorsDropOnlyThatPlugin) {
    TTempDir dir;
    for (const wchar_t* name : {L"a", L"b", L"c"}) CopyTestSpi(L"vvimage", dir.Path(), std::wstring(name) + L".spi");
    TSPIs spis;
    std::vector<std::wstring> asked;
    spis.OnSearch = [&](TSPIs& sender, TSPI& spi, bool& accept) {
        EXPECT_EQ(&sender, &spis);
        EXPECT_TRUE(accept) << "true on entry";
        const std::wstring name = spi.FileName().substr(spi.FileName().find_last_of(L'\\') + 1);
        asked.push_back(name);
        if (name == L"a.spi") accept = false;
        if (name == L"b.spi") throw Exception(L"refused by the handler");
    };
    spis.Search(dir / L"*.spi");
    EXPECT_EQ(Sorted(asked), (std::set<std::wstring>{L"a.spi", L"b.spi", L"c.spi"}));
    EXPECT_EQ(Names(spis), std::vector<std::wstring>{L"c.spi"});
    EXPECT_FALSE(ModuleLoaded(dir / L"a.spi")) << "a rejected plug-in is freed";
    EXPECT_FALSE(ModuleLoaded(dir / L"b.spi")) << "so is one whose handler raised";
}

TEST(TSPIsRegister, ImageFormatsGoToThePictureFormatRegistry) {
    FormatsScope scope;
    TSPIs spis;
    {
        SCOPED_TRACE("no default class and no handler: nothing is registered");
        spis.Add(CreateSPI(TestSpi(L"vvimage")));
        EXPECT_EQ(FindFileFormat(L"vvi"), nullptr);
        spis.Clear();
    }
    TSPIs::SetDefaultGraphicClass(&kTestGraphic);
    struct Asked {
        std::wstring extension, description;
        const TGraphicClass* graphicClass;
    };
    std::vector<Asked> asked;
    spis.OnPictureRegister = [&](TSPIs&, TInSPI&, const std::wstring& ext, const std::wstring& description,
                                 const TGraphicClass*& graphicClass) {
        asked.push_back({ext, description, graphicClass});
        if (ext == L"hx") graphicClass = nullptr;            // withheld
        if (ext == L"vvq") graphicClass = &kOtherGraphic;  // another class
    };
    spis.Add(CreateSPI(TestSpi(L"vvimage")));
    spis.Add(CreateSPI(TestSpi(L"halfformats")));
    spis.Add(CreateSPI(TestSpi(L"vvarchive")));   // archive formats are not pictures
    spis.Add(CreateSPI(TestSpi(L"version00ab")));  // nor are those of other kinds
    ASSERT_EQ(asked.size(), 3u);
    EXPECT_EQ(asked[0].extension, L"vvi");
    EXPECT_EQ(asked[0].description, L"VV test picture");
    EXPECT_EQ(asked[0].graphicClass, &kTestGraphic) << "the default class on entry";
    EXPECT_EQ(asked[1].extension, L"vvq") << "a pattern list registers its last extension";
    EXPECT_EQ(asked[2].extension, L"hx");

    ASSERT_NE(FindFileFormat(L"VVI"), nullptr);
    EXPECT_EQ(FindFileFormat(L"VVI")->graphicClass, &kTestGraphic);
    EXPECT_EQ(FindFileFormat(L"vvq")->graphicClass, &kOtherGraphic);
    EXPECT_EQ(FindFileFormat(L"vvq")->description, L"VV test picture (other names)");
    EXPECT_EQ(FindFileFormat(L"vvp"), nullptr);
    EXPECT_EQ(FindFileFormat(L"hx"), nullptr);
    EXPECT_EQ(FindFileFormat(L"vva"), nullptr);
    EXPECT_EQ(FindFileFormat(L"ab"), nullptr);

    spis.Clear();
    EXPECT_NE(FindFileFormat(L"vvi"), nullptr) << "registrations are never withdrawn";
}

TEST(TSPIsRegister, AnErrorWhileRegisteringLeavesThePluginOut) {
    FormatsScope scope;
    TSPIs::SetDefaultGraphicClass(&kTestGraphic);
    TTempDir dir;
    CopyTestSpi(L"vvimage", dir.Path(), L"a.spi");
    CopyTestSpi(L"halfformats", dir.Path(), L"b.spi");
    TSPIs spis;
    spis.OnPictureRegister = [](TSPIs&, TInSPI&, const std::wstring& ext, const std::wstring&,
                                const TGraphicClass*&) {
        if (ext == L"vvq") throw Exception(L"no");
    };
    EXPECT_EQ(RaisedBy([&] { spis.Add(CreateSPI(dir / L"a.spi")); }).message, L"no");
    EXPECT_EQ(spis.Count(), 0) << "removed from the set again";
    EXPECT_FALSE(ModuleLoaded(dir / L"a.spi")) << "and freed";
    // In a search the next plug-in is still taken.
    spis.Search(dir / L"*.spi");
    EXPECT_EQ(Names(spis), std::vector<std::wstring>{L"b.spi"});
}

TEST(TSPIsList, InsertDeleteIndexOf) {
    TTempDir dir;
    for (const wchar_t* name : {L"a", L"b", L"c"}) CopyTestSpi(L"vvimage", dir.Path(), std::wstring(name) + L".spi");
    TSPIs spis;
    spis.Add(CreateSPI(dir / L"a.spi"));
    spis.Add(CreateSPI(dir / L"b.spi"));
    spis.Insert(0, CreateSPI(dir / L"c.spi"));
    EXPECT_EQ(Names(spis), (std::vector<std::wstring>{L"c.spi", L"a.spi", L"b.spi"}));
    const std::wstring a = spis.Items(1).FileName();
    EXPECT_EQ(spis.IndexOf(a), 1);
    std::wstring upper = a;
    std::transform(upper.begin(), upper.end(), upper.begin(), [](wchar_t c) { return towupper(c); });
    EXPECT_EQ(spis.IndexOf(upper), -1) << "the comparison is exact";
    EXPECT_EQ(spis.IndexOf(L"a.spi"), -1);

    for (const int bad : {-1, 3}) {
        SCOPED_TRACE(bad);
        EXPECT_EQ(RaisedBy([&] { spis.Items(bad); }).message,
                  L"リストのインデックスが範囲を超えています (" + std::to_wstring(bad) + L")");
        EXPECT_NE(RaisedBy([&] { spis.Delete(bad); }).className, "");
    }
    EXPECT_NE(RaisedBy([&] { spis.Insert(4, CreateSPI(dir / L"a.spi")); }).className, "");

    spis.Delete(1);
    EXPECT_FALSE(ModuleLoaded(a)) << "Delete frees the plug-in";
    EXPECT_EQ(Names(spis), (std::vector<std::wstring>{L"c.spi", L"b.spi"}));
    spis.Clear();
    EXPECT_EQ(spis.Count(), 0);
    EXPECT_FALSE(ModuleLoaded(dir / L"c.spi"));
}

TEST(TSPIsList, GetSPIListPutsClaimantsFirstLastLoadedForemost) {
    TTempDir dir;
    // A claims only .hx; B and C claim .vvi and .vvq.
    CopyTestSpi(L"halfformats", dir.Path(), L"A.spi");
    CopyTestSpi(L"vvimage", dir.Path(), L"B.spi");
    CopyTestSpi(L"vvarchive", dir.Path(), L"arc.spi");
    CopyTestSpi(L"vvimage", dir.Path(), L"C.spi");
    CopyTestSpi(L"version00ab", dir.Path(), L"ab.spi");
    TSPIs spis;
    for (const wchar_t* name : {L"A.spi", L"B.spi", L"arc.spi", L"C.spi", L"ab.spi"}) spis.Add(CreateSPI(dir / name));

    struct Case {
        const char* name;
        std::wstring file;
        std::function<void(std::vector<TSPI*>&, const std::wstring&)> list;
        std::vector<std::wstring> want;
    };
    auto images = [&](std::vector<TSPI*>& l, const std::wstring& f) { spis.GetSPIList<TInSPI>(f, l); };
    auto archives = [&](std::vector<TSPI*>& l, const std::wstring& f) { spis.GetSPIList<TAmSPI>(f, l); };
    auto all = [&](std::vector<TSPI*>& l, const std::wstring& f) { spis.GetSPIList<TSPI>(f, l); };
    auto both = [&](std::vector<TSPI*>& l, const std::wstring& f) { spis.GetSPIList<TInSPI, TAmSPI>(f, l); };
    const Case cases[] = {
        {"two claimants", L"x.vvi", images, {L"C.spi", L"B.spi", L"A.spi"}},
        {"case ignored", L"C:\\dir.vvi\\X.VVI", images, {L"C.spi", L"B.spi", L"A.spi"}},
        {"last extension of a pattern list", L"x.vvq", images, {L"C.spi", L"B.spi", L"A.spi"}},
        {"earlier extension of a pattern list claims nothing", L"x.vvp", images, {L"A.spi", L"B.spi", L"C.spi"}},
        {"one claimant", L"x.hx", images, {L"A.spi", L"B.spi", L"C.spi"}},
        {"no extension", L"C:\\dir.vvi\\noext", images, {L"A.spi", L"B.spi", L"C.spi"}},
        {"archives only", L"y.vva", archives, {L"arc.spi"}},
        {"every class", L"z.ab", all, {L"ab.spi", L"A.spi", L"B.spi", L"arc.spi", L"C.spi"}},
        {"two classes", L"z.vva", both, {L"arc.spi", L"A.spi", L"B.spi", L"C.spi"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<TSPI*> list;
        c.list(list, c.file);
        EXPECT_EQ(Names(list), c.want);
    }
    // The list is the caller's: claimants go in front of what it held, the others behind.
    std::vector<TSPI*> list = {&spis.Items(4)};
    spis.GetSPIList<TInSPI>(L"x.vvi", list);
    EXPECT_EQ(Names(list), (std::vector<std::wstring>{L"C.spi", L"B.spi", L"ab.spi", L"A.spi"}));
    const std::vector<TInSPI*> typed = spis.SPIListOf<TInSPI>(L"x.vvi");
    EXPECT_EQ(Names(std::vector<TSPI*>(typed.begin(), typed.end())),
              (std::vector<std::wstring>{L"C.spi", L"B.spi", L"A.spi"}));
}
