// vvarchive.spi loaded and called as a host does.
#include <gtest/gtest.h>

#include <zlib.h>

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "common/TempDir.h"
#include "common/TestData.h"
#include "spi/SpiHarness_win.h"
#include "spi/SpiTestUtil.h"
#include "spi/archive/MemberNames.h"
#include "toolkit/TextUtil.h"

namespace {

class VvArchive : public testing::Test {
protected:
    TSpiPlugin spi_{L"vvarchive.spi"};
    TTempDir dir_;
    void SetUp() override { ASSERT_TRUE(spi_.Loaded()); }

    std::string Write(const wchar_t* name, const TBytes& bytes) {
        WriteFileBytes(dir_ / name, bytes);
        return Ansi(dir_ / name);
    }
    struct TList {
        int result;
        std::vector<THostFileInfo> records;
    };
    TList ListFile(const std::string& path, LONG offset = 0) {
        HLOCAL h = nullptr;
        TList out{spi_.GetArchiveInfo(path.c_str(), offset, 0, &h), {}};
        if (out.result == 0) out.records = TakeFileInfos(h);
        return out;
    }
    TList ListMemory(const TBytes& bytes) {
        HLOCAL h = nullptr;
        TList out{spi_.GetArchiveInfo(reinterpret_cast<const char*>(bytes.data()), static_cast<LONG>(bytes.size()), 1, &h), {}};
        if (out.result == 0) out.records = TakeFileInfos(h);
        return out;
    }
    struct TGot {
        int result;
        TBytes data;
    };
    TGot GetToMemory(const std::string& path, uint32_t position, TProgressCallback progress = nullptr, LONG_PTR data = 0) {
        HLOCAL h = nullptr;
        TGot out{spi_.GetFile(path.c_str(), static_cast<LONG>(position), reinterpret_cast<char*>(&h), 0x100, progress, data), {}};
        if (out.result == 0)
            out.data = TakeLocal(h);
        else
            EXPECT_EQ(h, nullptr);
        return out;
    }
};

std::string FullName(const THostFileInfo& r) { return std::string(r.path) + r.filename; }

// A time zone's bias as LocalFileTimeToFileTime applies it now, in seconds to add to local time.
int64_t LocalToUtcSeconds() {
    TIME_ZONE_INFORMATION tz;
    const DWORD which = GetTimeZoneInformation(&tz);
    return 60 * static_cast<int64_t>(tz.Bias + (which == TIME_ZONE_ID_DAYLIGHT ? tz.DaylightBias : 0));
}

std::vector<TZipMemberSpec> SampleZip() {
    return {
        {.name = "top.txt", .data = Bytes("top level")},
        {.name = "pics/", .data = {}, .folder = true},
        {.name = "pics/deep/photo.bin", .data = PatternBytes(100000, 7), .deflate = true, .unixTime = 1234567890},
        {.name = "pics/empty", .data = {}},
        {.name = "locked.bin", .data = Bytes("secret"), .extraFlags = 1},
    };
}

TEST_F(VvArchive, ExportsAndInfo) {
    for (const char* name : {"GetPluginInfo", "IsSupported", "GetArchiveInfo", "GetFileInfo", "GetFile"})
        EXPECT_TRUE(spi_.HasExport(name)) << name;
    for (const std::string& dll : ImportedDlls(spi_.Module())) {
        std::string lower = dll;
        std::transform(lower.begin(), lower.end(), lower.begin(), [](char c) { return static_cast<char>(tolower(c)); });
        EXPECT_TRUE(lower == "kernel32.dll" || lower == "msvcrt.dll" || lower == "user32.dll") << dll;
    }
    const std::vector<std::string> want = {"00AM", spi_.PluginInfo().at(1), "*.zip", "ZIP", "*.tar", "TAR"};
    EXPECT_EQ(spi_.PluginInfo(), want);
}

TEST_F(VvArchive, IsSupported) {
    struct Case {
        const char* name;
        TBytes file;
        bool supported;
    };
    const Case cases[] = {
        {"ZIP", WriteZip(SampleZip()), true},
        {"empty ZIP", WriteZip({}), true},
        {"TAR", WriteTar({{.name = "a", .data = Bytes("1")}}), true},
        {"text", Bytes("neither zip nor tar"), false},
        {"PNG", Bytes("\x89PNG\r\n\x1a\n"), false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<uint8_t> head(2048, 0);
        std::copy_n(c.file.begin(), std::min<size_t>(c.file.size(), head.size()), head.begin());
        EXPECT_EQ(spi_.IsSupported("x", static_cast<DWORD>(reinterpret_cast<DWORD_PTR>(head.data()))) != 0, c.supported);
        const std::string path = Write(L"candidate", c.file);
        TUniqueFile h(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
        ASSERT_TRUE(h);
        EXPECT_EQ(spi_.IsSupported(path.c_str(), static_cast<DWORD>(reinterpret_cast<DWORD_PTR>(h.get()))) != 0, c.supported);
    }
}

TEST_F(VvArchive, ListsZipRecords) {
    const TBytes zip = WriteZip(SampleZip());
    const TList list = ListMemory(zip);
    ASSERT_EQ(list.result, 0);
    ASSERT_EQ(list.records.size(), 4u);  // the folder entry is not a member
    const THostFileInfo& top = list.records[0];
    EXPECT_STREQ(top.method, "Store");
    EXPECT_STREQ(top.path, "");
    EXPECT_STREQ(top.filename, "top.txt");
    EXPECT_EQ(top.filesize, 9u);
    EXPECT_EQ(top.compsize, 9u);
    EXPECT_EQ(top.timestamp, 1700000000 + LocalToUtcSeconds());  // a DOS stamp is local time
    const THostFileInfo& photo = list.records[1];
    EXPECT_STREQ(photo.method, "Deflate");
    EXPECT_STREQ(photo.path, "pics\\deep\\");
    EXPECT_STREQ(photo.filename, "photo.bin");
    EXPECT_EQ(photo.filesize, 100000u);
    EXPECT_LT(photo.compsize, 100100u);
    EXPECT_EQ(photo.timestamp, 1234567890);
    const auto pattern = PatternBytes(100000, 7);
    EXPECT_EQ(photo.crc, crc32(0, pattern.data(), 100000));

    // From a file, with a prefix in front: the positions are the file's.
    TBytes prefixed = PatternBytes(333, 1);
    prefixed.insert(prefixed.end(), zip.begin(), zip.end());
    const std::string path = Write(L"prefixed.bin", prefixed);
    const TList fromFile = ListFile(path, 333);
    ASSERT_EQ(fromFile.result, 0);
    ASSERT_EQ(fromFile.records.size(), 4u);
    for (size_t i = 0; i < 4; ++i) {
        EXPECT_EQ(fromFile.records[i].position, list.records[i].position + 333);
        const TGot got = GetToMemory(path, fromFile.records[i].position);
        if (i == 3) {
            EXPECT_EQ(got.result, 2);  // encrypted: listed, not extracted
            continue;
        }
        EXPECT_EQ(got.result, 0);
        EXPECT_EQ(got.data.size(), fromFile.records[i].filesize);  // the block has exactly the member's size
    }
    EXPECT_TRUE(GetToMemory(path, fromFile.records[1].position).data == pattern);
}

TEST_F(VvArchive, FixturesOtherWritersMade) {
    for (const auto& row : ReadFixtureTable("archives.tsv")) {
        const std::string& archive = row.at(0);
        SCOPED_TRACE(archive + ": " + row.at(1));
        const std::string path = Ansi(Utf8ToWide(FixturePath(archive)));
        const TList list = ListFile(path);
        ASSERT_EQ(list.result, 0);
        // The member's name as the ANSI code page holds it ('_' for what it cannot).
        const std::wstring wide = Utf8ToWide(row.at(1));
        std::string ansi(wide.size() * 2 + 1, '\0');
        ansi.resize(static_cast<size_t>(WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide.c_str(), static_cast<int>(wide.size()),
                                                            ansi.data(), static_cast<int>(ansi.size()), "_", nullptr)));
        const TSplitName split = SplitMemberName(ansi, [](uint8_t b) { return IsDBCSLeadByte(b) != FALSE; });
        const auto rec = std::find_if(list.records.begin(), list.records.end(), [&](const THostFileInfo& r) {
            return r.path == split.path && r.filename == split.file;
        });
        ASSERT_NE(rec, list.records.end());
        EXPECT_STREQ(rec->method, row.at(2).c_str());
        EXPECT_EQ(rec->filesize, std::stoul(row.at(3)));
        const std::string& stamp = row.at(4);
        if (stamp.find('-') == std::string::npos) {
            EXPECT_EQ(rec->timestamp, std::stol(stamp));
        } else {
            int y, mo, d, h, mi, s;
            ASSERT_EQ(std::sscanf(stamp.c_str(), "%d-%d-%d %d:%d:%d", &y, &mo, &d, &h, &mi, &s), 6);
            EXPECT_EQ(rec->timestamp, CivilToSeconds(y, mo, d, h, mi, s) + LocalToUtcSeconds());
        }
        const TGot got = GetToMemory(path, rec->position);
        EXPECT_EQ(got.result, 0);
        EXPECT_TRUE(got.data == ReadFixture(row.at(5)));
    }
}

TEST_F(VvArchive, ListsTarFromFileAndMemory) {
    const TBytes tar = WriteTar({{.name = "a/b.txt", .data = Bytes("tar member"), .mtime = 1500000000},
                                 {.name = "dir/", .type = '5'},
                                 {.name = std::string(150, 'n'), .data = Bytes("long"), .naming = TTarMemberSpec::tnGnuLong}});
    const TList mem = ListMemory(tar), file = ListFile(Write(L"t.tar", tar));
    ASSERT_EQ(mem.result, 0);
    ASSERT_EQ(file.result, 0);
    ASSERT_EQ(mem.records.size(), 2u);
    ASSERT_EQ(file.records.size(), 2u);
    EXPECT_STREQ(mem.records[0].method, "-tar-");
    EXPECT_STREQ(mem.records[0].path, "a\\");
    EXPECT_STREQ(mem.records[0].filename, "b.txt");
    EXPECT_EQ(mem.records[0].timestamp, 1500000000);
    EXPECT_EQ(mem.records[0].filesize, 10u);
    EXPECT_EQ(mem.records[0].crc, 0u);
    EXPECT_EQ(std::string(mem.records[1].filename), std::string(150, 'n'));
    for (size_t i = 0; i < 2; ++i) EXPECT_EQ(std::memcmp(&mem.records[i], &file.records[i], sizeof(THostFileInfo)), 0);
    EXPECT_TRUE(GetToMemory(Ansi(dir_ / L"t.tar"), file.records[1].position).data == Bytes("long"));
}

TEST_F(VvArchive, LongNamesAreCutToTheirFields) {
    const std::string folder(250, 'f'), name(230, 'n');
    const TList list = ListMemory(WriteZip({{.name = folder + "/" + name, .data = Bytes("x")}}));
    ASSERT_EQ(list.result, 0);
    ASSERT_EQ(list.records.size(), 1u);
    EXPECT_EQ(std::string(list.records[0].path), std::string(199, 'f'));
    EXPECT_EQ(std::string(list.records[0].filename), std::string(199, 'n'));
}

TEST_F(VvArchive, GetFileInfoFindsMembers) {
    const std::string path = Write(L"a.zip", WriteZip(SampleZip()));
    struct Case {
        const char* query;
        UINT flag;
        int result;
        const char* found;
    };
    const Case cases[] = {
        {"pics\\deep\\photo.bin", 0, 0, "pics\\deep\\photo.bin"},
        {"pics/deep/photo.bin", 0, 0, "pics\\deep\\photo.bin"},
        {"photo.bin", 0, 0, "pics\\deep\\photo.bin"},
        {"PICS\\Deep\\Photo.bin", 0, 8, nullptr},
        {"PICS\\Deep\\Photo.bin", 0x80, 0, "pics\\deep\\photo.bin"},
        {"top.txt", 0, 0, "top.txt"},
        {"deep\\photo.bin", 0, 8, nullptr},
        {"nothing", 0, 8, nullptr},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.query);
        THostFileInfo info{};
        EXPECT_EQ(spi_.GetFileInfo(path.c_str(), 0, c.query, c.flag, &info), c.result);
        if (c.found) {
            EXPECT_EQ(FullName(info), c.found);
        }
    }
}

TEST_F(VvArchive, GetFileIntoAFolder) {
    const TBytes data = PatternBytes(5000, 3);
    const std::string path = Write(L"out.zip", WriteZip({{.name = "sub/member.bin", .data = data, .deflate = true},
                                                         {.name = "sub/bad:name?.txt", .data = Bytes("odd")},
                                                         {.name = "sub/..", .data = Bytes("dots")},
                                                         {.name = "sub/broken.bin", .data = Bytes("crc"), .crc = 5}}));
    const TList list = ListFile(path);
    ASSERT_EQ(list.result, 0);
    ASSERT_EQ(list.records.size(), 4u);
    TTempDir out(dir_.Path());
    for (const std::string& folder : {Ansi(out.Path()), Ansi(out.Path()) + "\\"}) {
        SCOPED_TRACE(folder);
        std::string dest = folder;
        ASSERT_EQ(spi_.GetFile(path.c_str(), static_cast<LONG>(list.records[0].position), dest.data(), 0, nullptr, 0), 0);
        EXPECT_EQ(ReadFileText(out / L"member.bin"), std::string(data.begin(), data.end()));  // the file name only
    }
    std::string dest = Ansi(out.Path());
    EXPECT_EQ(spi_.GetFile(path.c_str(), static_cast<LONG>(list.records[1].position), dest.data(), 0, nullptr, 0), 0);
    EXPECT_EQ(ReadFileText(out / L"bad_name_.txt"), "odd");
    EXPECT_EQ(spi_.GetFile(path.c_str(), static_cast<LONG>(list.records[2].position), dest.data(), 0, nullptr, 0), 3);

    // A member that fails leaves a file of its name as it was, and no temporary file behind.
    WriteFileText(out / L"broken.bin", "keep me");
    EXPECT_EQ(spi_.GetFile(path.c_str(), static_cast<LONG>(list.records[3].position), dest.data(), 0, nullptr, 0), 3);
    EXPECT_EQ(ReadFileText(out / L"broken.bin"), "keep me");
    WIN32_FIND_DATAW fd;
    int files = 0;
    HANDLE find = FindFirstFileW((out / L"*").c_str(), &fd);
    ASSERT_NE(find, INVALID_HANDLE_VALUE);
    do files += (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
    while (FindNextFileW(find, &fd));
    FindClose(find);
    EXPECT_EQ(files, 3);  // member.bin, bad_name_.txt, broken.bin

    // An existing file is replaced by a member that comes out whole.
    WriteFileText(out / L"member.bin", "old");
    ASSERT_EQ(spi_.GetFile(path.c_str(), static_cast<LONG>(list.records[0].position), dest.data(), 0, nullptr, 0), 0);
    EXPECT_EQ(ReadFileText(out / L"member.bin").size(), data.size());
}

TEST_F(VvArchive, EmptyMemberGivesAnEmptyBlock) {
    const std::string path = Write(L"e.zip", WriteZip({{.name = "empty", .data = {}}}));
    const TList list = ListFile(path);
    ASSERT_EQ(list.result, 0);
    const TGot got = GetToMemory(path, list.records.at(0).position);
    EXPECT_EQ(got.result, 0);
    EXPECT_TRUE(got.data.empty());
}

struct TCalls {
    int count = 0;
    int stopAt = -1;
};

int WINAPI CountProgress(int, int, LONG_PTR data) {
    auto* calls = reinterpret_cast<TCalls*>(static_cast<LONG_PTR>(data));
    return calls->count++ == calls->stopAt;
}

TEST_F(VvArchive, CancelledExtraction) {
    const std::string path = Write(L"c.zip", WriteZip({{.name = "big.bin", .data = PatternBytes(300000, 2), .deflate = true}}));
    const uint32_t position = ListFile(path).records.at(0).position;
    TCalls calls{0, 1};
    EXPECT_EQ(GetToMemory(path, position, CountProgress, reinterpret_cast<LONG_PTR>(&calls)).result, 1);

    TTempDir out(dir_.Path());
    std::string dest = Ansi(out.Path());
    TCalls again{0, 1};
    EXPECT_EQ(spi_.GetFile(path.c_str(), static_cast<LONG>(position), dest.data(), 0, CountProgress,
                           reinterpret_cast<LONG_PTR>(&again)),
              1);
    EXPECT_FALSE(PathExists(out / L"big.bin"));
}

TEST_F(VvArchive, ErrorCodes) {
    const TBytes zip = WriteZip(SampleZip());
    const std::string path = Write(L"z.zip", zip);
    HLOCAL h = nullptr;
    EXPECT_EQ(ListFile(Ansi(dir_ / L"missing.zip")).result, 6);
    EXPECT_EQ(ListMemory(Bytes("no archive here, only words")).result, 2);
    EXPECT_EQ(ListMemory(TBytes(zip.begin(), zip.begin() + 200)).result, 3);
    EXPECT_EQ(ListFile(path, 1 << 20).result, 3);  // offset past the end
    EXPECT_EQ(spi_.GetArchiveInfo(path.c_str(), 0, 0, nullptr), 8);
    EXPECT_EQ(GetToMemory(path, 7).result, 3);  // not a member's position
    EXPECT_EQ(spi_.GetFile(reinterpret_cast<const char*>(zip.data()), static_cast<LONG>(zip.size()),
                           reinterpret_cast<char*>(&h), 0x101, nullptr, 0),
              -1);  // memory input has no place for the position
}

TEST_F(VvArchive, DamagedArchivesReturnCodes) {
    const std::vector<TBytes> seeds = {WriteZip(SampleZip()), WriteTar({{.name = "a", .data = PatternBytes(900, 1)},
                                                                         {.name = "b", .data = Bytes("2")}})};
    uint32_t x = 12345;
    auto next = [&x] { return x ^= x << 13, x ^= x >> 17, x ^= x << 5; };
    for (const TBytes& seed : seeds) {
        for (int i = 0; i < 300; ++i) {
            TBytes b = seed;
            if (i % 3 == 0)
                b.resize(next() % b.size());
            else
                b[next() % b.size()] ^= static_cast<uint8_t>(1 << (next() % 8));
            const TList list = ListMemory(b);
            ASSERT_TRUE(list.result == 0 || list.result == 2 || list.result == 3) << list.result;
            if (list.result != 0) continue;
            const std::string path = Write(L"damaged", b);
            for (const THostFileInfo& r : list.records) {
                const int got = GetToMemory(path, r.position).result;
                ASSERT_TRUE(got == 0 || got == 2 || got == 3) << got;
            }
        }
    }
}

}  // namespace
