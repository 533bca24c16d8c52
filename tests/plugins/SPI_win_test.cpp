// The plug-in wrapper against real test plug-in DLLs under Wine.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>

#include "common/TempDir.h"
#include "common/TestData.h"
#include "plugins/FPUGuard_win.h"
#include "plugins/PluginTestEnv.h"
#include "plugins/ReceivedBlock_win.h"
#include "plugins/SPIs.h"
#include "toolkit/AnsiText.h"
#include "toolkit/FileStream.h"
#include "toolkit/Streams.h"
#include "toolkit/TextUtil.h"
#include "toolkit/WinPath_win.h"

namespace {

template <class T>
std::unique_ptr<T> Load(const std::wstring& name) {
    auto spi = CreateSPI(TestSpi(name));
    EXPECT_NE(dynamic_cast<T*>(spi.get()), nullptr) << WideToUtf8(name);
    return std::unique_ptr<T>(dynamic_cast<T*>(spi.release()));
}

}  // namespace

TEST(CreateSPI, ClassFollowsTheVersionExactly) {
    struct Case {
        const wchar_t* name;
        const char* className;  // null: refused
    };
    const Case cases[] = {
        {L"vvimage", "TInSPI"},        {L"vvarchive", "TAmSPI"},     {L"xnplugin", "TXnSPI"},
        {L"version00ab", "TSPI"},      {L"lowerin", "TSPI"},         {L"halfformats", "TInSPI"},
        {L"failimage", "TInSPI"},      {L"failarchive", "TAmSPI"},   {L"noterminator", "TAmSPI"},
        {L"shortblock", "TAmSPI"},     {L"nohandle", "TAmSPI"},      {L"noinfo", nullptr},
        {L"nopicture", nullptr},       {L"no such plug-in", nullptr},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(WideToUtf8(c.name));
        const auto spi = CreateSPI(TestSpi(c.name));
        if (!c.className) {
            EXPECT_EQ(spi, nullptr);
            continue;
        }
        ASSERT_NE(spi, nullptr);
        EXPECT_STREQ(spi->ClassName(), c.className);
    }
}

TEST(CreateSPI, FilesThatAreNoLibraryAreRefusedQuietly) {
    TTempDir dir;
    WriteFileText(dir / L"text.spi", "this is not a DLL");
    WriteFileBytes(dir / L"empty.spi", {});
    EXPECT_EQ(CreateSPI(dir / L"text.spi"), nullptr);
    EXPECT_EQ(CreateSPI(dir / L"empty.spi"), nullptr);
    EXPECT_EQ(CreateSPI(dir.Path()), nullptr) << "a folder";
}

TEST(CreateSPI, DLLsBesideThePluginAreFound) {
    TTempDir alone, withHelper;
    ASSERT_EQ(GetModuleHandleW(L"vvhelper.dll"), nullptr);
    EXPECT_EQ(CreateSPI(CopyTestSpi(L"usehelper", alone.Path())), nullptr) << "its DLL is missing";
    CopyTestSpi(L"usehelper", withHelper.Path());
    ASSERT_TRUE(CopyFileW((TestSpiFolder() + L"\\vvhelper.dll").c_str(), (withHelper / L"vvhelper.dll").c_str(), FALSE));
    const auto spi = CreateSPI(withHelper / L"usehelper.spi");
    ASSERT_NE(spi, nullptr);
    EXPECT_STREQ(spi->ClassName(), "TXnSPI");
}

TEST(CreateSPI, LongPathsAreKeptWhole) {
    TTempDir dir;
    // A folder whose plug-in path is longer than 255 characters but within MAX_PATH.
    std::wstring folder = dir.Path();
    const size_t want = 256 - (std::wstring(L"\\vvimage.spi").size() - 1);
    while (folder.size() + 1 < want) {
        folder += L"\\" + std::wstring(std::min<size_t>(want - folder.size() - 1, 60), L'd');
        ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr));
    }
    const std::wstring path = CopyTestSpi(L"vvimage", folder);
    ASSERT_GT(path.size(), 255u);
    ASSERT_LT(path.size(), size_t{MAX_PATH});
    const auto spi = CreateSPI(path);
    ASSERT_NE(spi, nullptr);
    EXPECT_EQ(spi->FileName(), path);
    TSPIs spis;
    spis.Search(folder + L"\\*.spi");
    spis.Search(folder + L"\\*.spi");
    EXPECT_EQ(spis.Count(), 1) << "the second search finds the path already loaded";
}

TEST(TSPI, ReadsTheSelfDescription) {
    const auto image = Load<TInSPI>(L"vvimage");
    EXPECT_EQ(image->FileName(), FullPathOf(TestSpi(L"vvimage")));
    EXPECT_EQ(image->Version(), L"00IN");
    EXPECT_EQ(image->Info(), L"VV test picture plug-in 1.0");
    EXPECT_EQ(image->Extensions(), (std::vector<std::wstring>{L"*.vvi", L"*.vvp;*.vvq"}));
    EXPECT_EQ(image->FileTypes(), (std::vector<std::wstring>{L"VV test picture", L"VV test picture (other names)"}));
    EXPECT_TRUE(image->HasConfigurationDlg());
    EXPECT_NE(image->Handle(), nullptr);

    // Writes its entries without a NUL: the host terminates them.
    const auto archive = Load<TAmSPI>(L"vvarchive");
    EXPECT_EQ(archive->Version(), L"00AM");
    EXPECT_EQ(archive->Info(), L"VV test archive plug-in 1.0");
    EXPECT_EQ(archive->Extensions(), std::vector<std::wstring>{L"*.vva"});
    EXPECT_FALSE(archive->HasConfigurationDlg());

    // Counts the NUL in its results.
    const auto lower = Load<TSPI>(L"lowerin");
    EXPECT_EQ(lower->Version(), L"00in");
    EXPECT_EQ(lower->Info(), L"VV test picture plug-in 1.0");
}

TEST(TSPI, AnExtensionWithoutDescriptionEndsTheList) {
    const auto spi = Load<TInSPI>(L"halfformats");
    EXPECT_EQ(spi->Extensions(), std::vector<std::wstring>{L"*.hx"});
    EXPECT_EQ(spi->FileTypes(), std::vector<std::wstring>{L"Half formats picture"});
}

TEST(TSPI, APluginThatNeverRunsOutOfEntriesIsCut) {
    const auto spi = Load<TSPI>(L"version00ab");
    EXPECT_EQ(spi->Version(), L"00AB");
    EXPECT_EQ(spi->Extensions().size(), 256u);
    EXPECT_EQ(spi->FileTypes().size(), 256u);
}

TEST(TSPI, FailuresRaiseTheirClassAndMessage) {
    struct Case {
        const char* name;
        std::function<void()> create;
        const char* className;
        std::wstring message;
    };
    const std::wstring missing = L"C:\\no such folder\\x.spi";
    const Case cases[] = {
        {"library missing", [&] { TSPI s(missing); }, "ESPIFOpenErrorSPI",
         missing + L":Susie Pluginがロードできませんでした"},
        {"no GetPluginInfo", [] { TSPI s(TestSpi(L"noinfo")); }, "ESPIInvalidSPI",
         FullPathOf(TestSpi(L"noinfo")) + L":認識できないSusie Pluginです"},
        {"image plug-in without GetPicture", [] { TInSPI s(TestSpi(L"nopicture")); }, "ESPIInvalidSPI",
         FullPathOf(TestSpi(L"nopicture")) + L":認識できないSusie Pluginです"},
        {"image plug-in read as archive", [] { TAmSPI s(TestSpi(L"vvimage")); }, "ESPIInvalidSPI",
         FullPathOf(TestSpi(L"vvimage")) + L":認識できないSusie Pluginです"},
        {"other kind read as image", [] { TInSPI s(TestSpi(L"version00ab")); }, "ESPIInvalidSPI",
         FullPathOf(TestSpi(L"version00ab")) + L":認識できないSusie Pluginです"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const TRaised r = RaisedBy(c.create);
        EXPECT_EQ(r.className, c.className);
        EXPECT_EQ(r.message, c.message);
    }
}

TEST(TSPI, TheLibraryIsReleasedOnEveryPath) {
    const std::wstring nopicture = FullPathOf(TestSpi(L"nopicture"));
    const std::wstring image = FullPathOf(TestSpi(L"vvimage"));
    ASSERT_FALSE(ModuleLoaded(image));
    EXPECT_EQ(CreateSPI(nopicture), nullptr);
    EXPECT_FALSE(ModuleLoaded(nopicture)) << "refused by the kind's constructor";
    {
        const auto spi = CreateSPI(image);
        ASSERT_NE(spi, nullptr);
        EXPECT_TRUE(ModuleLoaded(image));
        // The probe is gone: one FreeLibrary more than the object holds unloads the module.
        HMODULE h = GetModuleHandleW(image.c_str());
        EXPECT_EQ(h, spi->Handle());
    }
    EXPECT_FALSE(ModuleLoaded(image)) << "after the object is destroyed";
}

TEST(TSPI, CallsRestoreTheFloatingPointControlWords) {
    // Start from Windows' usual x87 word (53-bit precision, round to nearest, all masked).
    const uint16_t usual = 0x027F;
    __asm__ volatile("fldcw %0" : : "m"(usual));
    const uint16_t x87 = ReadX87ControlWord();
    const uint32_t mxcsr = ReadMxcsr();
    {
        // The plug-in changes both on loading and in every export.
        const auto spi = Load<TInSPI>(L"vvimage");
        EXPECT_EQ(ReadX87ControlWord(), x87) << "after loading";
        EXPECT_EQ(ReadMxcsr(), mxcsr) << "after loading";
        char buf[256] = {};
        spi->GetPluginInfo(0, buf, 255);
        spi->IsSupported("x.vvi", {});
        spi->ConfigurationDlg(nullptr, 1);
        EXPECT_EQ(ReadX87ControlWord(), x87) << "after calls";
        EXPECT_EQ(ReadMxcsr(), mxcsr) << "after calls";
        // A plain check that the guard is needed at all: the plug-in's own word differs.
        using GetPluginInfoRaw = int(WINAPI*)(int, LPSTR, int);
        {
            TFPUGuard guard;
            GetExport<GetPluginInfoRaw>(spi->Handle(), "GetPluginInfo")(0, buf, 255);
            EXPECT_NE(ReadX87ControlWord(), x87);
        }
    }
    EXPECT_EQ(ReadX87ControlWord(), x87) << "after unloading";
    EXPECT_EQ(ReadMxcsr(), mxcsr) << "after unloading";
}

TEST(TSPI, ConfigurationDlg) {
    const auto with = Load<TInSPI>(L"vvimage");
    const HWND parent = reinterpret_cast<HWND>(static_cast<uintptr_t>(0x1234));
    EXPECT_EQ(with->ConfigurationDlg(parent, 1), 0);
    EXPECT_EQ(Probe(*with, prConfigParent), 0x1234);
    EXPECT_EQ(Probe(*with, prConfigFnc), 1);

    const auto without = Load<TInSPI>(L"halfformats");
    const TRaised r = RaisedBy([&] { without->ConfigurationDlg(nullptr, 1); });
    EXPECT_EQ(r.className, "ESPIInvalidAPI");
    EXPECT_EQ(r.message, L"ConfigurationDlgは[" + without->FileName() + L"]では使えないSusie Plugin APIです");
}

TEST(IsSupported, AlwaysGetsTheAddressOf2048BytesOfHead) {
    const auto spi = Load<TInSPI>(L"vvimage");
    struct Case {
        const char* name;
        size_t size;
    };
    const Case cases[] = {{"empty", 0}, {"100 bytes", 100}, {"2047 bytes", 2047}, {"2048 bytes", 2048},
                          {"3000 bytes", 3000}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<uint8_t> head = PatternBytes(c.size, static_cast<uint32_t>(c.size) + 7);
        if (c.size >= 4) std::memcpy(head.data(), "VVI1", 4);
        EXPECT_EQ(spi->IsSupported("x.vvi", head), c.size >= 4 ? 1 : 0);
        std::vector<uint8_t> seen(2048);
        Probe(*spi, prLastHead, seen.data());
        std::vector<uint8_t> want(2048, 0);
        std::copy_n(head.begin(), std::min<size_t>(c.size, 2048), want.begin());
        EXPECT_EQ(seen, want);
    }
}

TEST(IsSupported, AFileIsAskedThroughItsHeadWhateverItsKind) {
    TTempDir dir;
    auto picture = VvImageFile(3, 2);
    WriteFileBytes(dir / L"a.vvi", picture);
    WriteFileBytes(dir / L"b.vva", VvArchiveFile({{"", "m.txt", 0, {1, 2, 3}}}));
    const auto head = ReadFileHead(dir / L"a.vvi");
    EXPECT_EQ(head, picture) << "a file shorter than 2048 bytes gives all of itself";

    const auto image = Load<TInSPI>(L"vvimage");
    const auto archive = Load<TAmSPI>(L"vvarchive");
    const auto other = Load<TSPI>(L"version00ab");
    EXPECT_TRUE(SPIIsSupported(*image, dir / L"a.vvi", ReadFileHead(dir / L"a.vvi")));
    EXPECT_FALSE(SPIIsSupported(*image, dir / L"b.vva", ReadFileHead(dir / L"b.vva")));
    EXPECT_TRUE(SPIIsSupported(*archive, dir / L"b.vva", ReadFileHead(dir / L"b.vva")));
    EXPECT_FALSE(SPIIsSupported(*other, dir / L"a.vvi", ReadFileHead(dir / L"a.vvi"))) << "other kinds never";
    EXPECT_EQ(RaisedBy([&] { ReadFileHead(dir / L"missing.vvi"); }).className, "EFOpenError");
}

TEST(GetPicture, HandsBackLockableBlocksAndNeverGetsANullCallback) {
    const auto spi = Load<TInSPI>(L"vvimage");
    const auto file = VvImageFile(3, 2, 5);
    const auto* buf = reinterpret_cast<LPCSTR>(file.data());
    const LONG len = static_cast<LONG>(file.size());

    TSusiePictureInfo info;
    std::memset(&info, 0xCC, sizeof info);
    ASSERT_EQ(spi->GetPictureInfo(buf, len, 1, &info), 0);
    EXPECT_EQ(info.width, 3);
    EXPECT_EQ(info.height, 2);
    EXPECT_EQ(info.colorDepth, 24);
    EXPECT_EQ(info.left, 0) << "the record is cleared before the call";
    EXPECT_EQ(TReceivedBlock(info.hInfo).Text(), "made by the test plug-in") << "text ends at the block's end";

    HLOCAL hInfo = reinterpret_cast<HLOCAL>(static_cast<uintptr_t>(0xDEAD));
    HLOCAL hBits = hInfo;
    ASSERT_EQ(spi->GetPicture(buf, len, 1, &hInfo, &hBits, nullptr, 77), 0);
    EXPECT_EQ(Probe(*spi, prNullProgress), 0);
    EXPECT_GT(Probe(*spi, prProgressCalls), 0);
    EXPECT_EQ(Probe(*spi, prLastLData), 77);
    const TReceivedBlock header(hInfo);
    const TReceivedBlock bits(hBits);
    ASSERT_TRUE(header && bits) << "movable blocks lock";
    ASSERT_EQ(header.Size(), sizeof(BITMAPINFOHEADER));
    const auto* bi = reinterpret_cast<const BITMAPINFOHEADER*>(header.Bytes().data());
    EXPECT_EQ(bi->biBitCount, 24);
    ASSERT_EQ(bits.Size(), 2u * 12u);  // two rows of 9 bytes padded to 12
    // Bottom-up: the file's first row is the block's last.
    EXPECT_TRUE(std::equal(file.begin() + 8, file.begin() + 17, bits.Bytes().begin() + 12));

    // A failing call: both out-handles were set to null before it.
    const auto failing = Load<TInSPI>(L"failimage");
    HLOCAL a = reinterpret_cast<HLOCAL>(static_cast<uintptr_t>(0xDEAD));
    HLOCAL b = a;
    EXPECT_NE(failing->GetPicture(buf, len, 1, &a, &b, nullptr, 0), 0);
    EXPECT_EQ(a, reinterpret_cast<HLOCAL>(static_cast<uintptr_t>(Probe(*failing, prLeftHandle))));
    LocalFree(a);
}

namespace {

// What the progress callback of a GetPicture call did when it called into plug-ins itself.
struct TReentry {
    TInSPI* same = nullptr;  // the plug-in whose GetPicture is running
    TSPI* other = nullptr;   // another plug-in
    std::vector<TRaised> raised;
    int otherResult = -1;
};

int WINAPI CallBackIn(int, int, LONG_PTR lData) {
    auto& r = *reinterpret_cast<TReentry*>(lData);
    if (!r.raised.empty()) return 0;  // once is enough
    char buf[64];
    r.raised.push_back(RaisedBy([&] { r.same->GetPluginInfo(0, buf, sizeof buf); }));
    r.raised.push_back(RaisedBy([&] { r.same->IsSupported("x.vvi", {}); }));
    r.otherResult = r.other->GetPluginInfo(0, buf, sizeof buf);
    return 0;
}

}  // namespace

TEST(TSPI, ACallFromInsideACallOnTheSameThreadFailsAtOnce) {
    const auto spi = Load<TInSPI>(L"vvimage");
    const auto other = Load<TAmSPI>(L"vvarchive");
    const auto file = VvImageFile(3, 2);
    TReentry r;
    r.same = spi.get();
    r.other = other.get();
    HLOCAL info = nullptr, bits = nullptr;
    ASSERT_EQ(spi->GetPicture(reinterpret_cast<LPCSTR>(file.data()), static_cast<LONG_PTR>(file.size()), 1, &info,
                              &bits, CallBackIn, reinterpret_cast<LONG_PTR>(&r)),
              0)
        << "the outer call goes on";
    LocalFree(info);
    LocalFree(bits);
    ASSERT_EQ(r.raised.size(), 2u);
    EXPECT_EQ(r.raised[0].className, "ESPIReentrantCall");
    EXPECT_EQ(r.raised[0].message, L"[" + spi->FileName() + L"]は処理中のためGetPluginInfoを呼び出せません");
    EXPECT_EQ(r.raised[1].className, "ESPIReentrantCall");
    EXPECT_EQ(r.raised[1].message, L"[" + spi->FileName() + L"]は処理中のためIsSupportedを呼び出せません");
    EXPECT_GT(r.otherResult, 0) << "another plug-in may be called meanwhile";
    char buf[64];
    EXPECT_GT(spi->GetPluginInfo(0, buf, sizeof buf), 0) << "the plug-in is free again after the call";
}

// --- Archive plug-ins ---------------------------------------------------------------------------

namespace {

class ArchiveTest : public ::testing::Test {
protected:
    ArchiveTest() {
        members_ = {{"", "first.txt", 1000000000, PatternBytes(300, 1)},
                    {"sub\\", std::string(200, 'n'), 0x7FFFFFFF, PatternBytes(5000, 2)},
                    {"sub\\deeper\\", "empty", 0, {}}};
        path_ = dir_ / L"test.vva";
        WriteFileBytes(path_, VvArchiveFile(members_));
    }

    TTempDir dir_;
    std::vector<TVvMember> members_;
    std::wstring path_;
};

}  // namespace

TEST_F(ArchiveTest, ListsAndExtractsEveryMember) {
    const auto spi = Load<TAmSPI>(L"vvarchive");
    std::vector<TSusieFileInfo> records;
    ASSERT_TRUE(spi->ReadArchiveInfo(path_, records));
    ASSERT_EQ(records.size(), members_.size());
    for (size_t i = 0; i < records.size(); ++i) {
        SCOPED_TRACE(i);
        const TSusieFileInfo& r = records[i];
        EXPECT_EQ(FixedText(reinterpret_cast<const char*>(r.method), 8), "VVSTORED");
        EXPECT_EQ(r.position, 0xF0000000u + i);
        EXPECT_EQ(r.filesize, members_[i].data.size());
        EXPECT_EQ(r.timestamp, static_cast<int32_t>(members_[i].time));
        EXPECT_EQ(FixedText(r.path), members_[i].path);
        EXPECT_EQ(FixedText(r.filename), members_[i].name);
        // The position goes back as it came, high bit and all.
        TMemoryStream out;
        ASSERT_TRUE(spi->ExtractFile(path_, r.position, r.filesize, out));
        EXPECT_EQ(std::vector<uint8_t>(out.Memory(), out.Memory() + out.Length()), members_[i].data);
    }
    EXPECT_EQ(Probe(*spi, prNullProgress), 0) << "GetFile never gets a null callback";
}

TEST_F(ArchiveTest, DefectivePluginsFailWithoutReadingPastTheirBlocks) {
    {
        SCOPED_TRACE("no terminating record, part of a record at the end");
        const auto spi = Load<TAmSPI>(L"noterminator");
        std::vector<TSusieFileInfo> records;
        ASSERT_TRUE(spi->ReadArchiveInfo(path_, records));
        EXPECT_EQ(records.size(), 3u);
    }
    {
        SCOPED_TRACE("member block shorter than the member");
        const auto spi = Load<TAmSPI>(L"shortblock");
        std::vector<TSusieFileInfo> records;
        ASSERT_TRUE(spi->ReadArchiveInfo(path_, records));
        TMemoryStream out;
        EXPECT_FALSE(spi->ExtractFile(path_, records[1].position, records[1].filesize, out));
        EXPECT_EQ(out.Length(), 0u);
    }
    {
        SCOPED_TRACE("success without a handle");
        const auto spi = Load<TAmSPI>(L"nohandle");
        std::vector<TSusieFileInfo> records(1);
        EXPECT_FALSE(spi->ReadArchiveInfo(path_, records));
        EXPECT_EQ(records.size(), 1u) << "left alone";
        TMemoryStream out;
        EXPECT_FALSE(spi->ExtractFile(path_, 0xF0000000u, 300, out));
        // The raw call: the out-handle was set to null before it, and the plug-in left it so.
        HLOCAL h = reinterpret_cast<HLOCAL>(static_cast<uintptr_t>(0xDEAD));
        EXPECT_EQ(spi->GetArchiveInfo("x", 0, 0, &h), 0);
        EXPECT_EQ(h, nullptr);
    }
    {
        SCOPED_TRACE("errors, with a live block left in the out-handle");
        const auto spi = Load<TAmSPI>(L"failarchive");
        std::vector<TSusieFileInfo> records;
        EXPECT_FALSE(spi->ReadArchiveInfo(path_, records));
        const HLOCAL left = reinterpret_cast<HLOCAL>(static_cast<uintptr_t>(Probe(*spi, prLeftHandle)));
        EXPECT_NE(LocalFlags(left), LMEM_INVALID_HANDLE) << "not freed after a failure";
        EXPECT_EQ(LocalFlags(left) & LMEM_LOCKCOUNT, 0u) << "not locked after a failure";
        TMemoryStream out;
        EXPECT_FALSE(spi->ExtractFile(path_, 0xF0000000u, 300, out));
        const HLOCAL left2 = reinterpret_cast<HLOCAL>(static_cast<uintptr_t>(Probe(*spi, prLeftHandle)));
        EXPECT_NE(LocalFlags(left2), LMEM_INVALID_HANDLE);
        LocalFree(left);
        LocalFree(left2);
    }
}

TEST(ArchivePath, APathOutsideTheAnsiCodePageGoesInItsShortForm) {
    TTempDir dir;
    const std::wstring folder = dir / L"\u10D0\u10D1\u10D2 archives";
    ASSERT_FALSE(FitsAnsi(folder));
    ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr));
    const std::wstring path = folder + L"\\a.vva";
    WriteFileBytes(path, VvArchiveFile({{"", "m", 5, {9, 8, 7}}}));

    const auto spi = Load<TAmSPI>(L"vvarchive");
    EXPECT_TRUE(SPIIsSupported(*spi, path, ReadFileHead(path)));
    char seen[MAX_PATH] = {};
    Probe(*spi, prLastSupportedName, seen);
    EXPECT_EQ(std::string(seen), PathToAnsi(path));
    EXPECT_EQ(std::string(seen).find('?'), std::string::npos) << seen;
    // The plug-in opens the archive by that name itself.
    std::vector<TSusieFileInfo> records;
    ASSERT_TRUE(spi->ReadArchiveInfo(path, records));
    ASSERT_EQ(records.size(), 1u);
    TMemoryStream out;
    ASSERT_TRUE(spi->ExtractFile(path, records[0].position, 3, out));
    EXPECT_EQ(out.Memory()[0], 9);
}
