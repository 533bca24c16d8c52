// The plug-ins on a Japanese system: this program runs with the ANSI code page 932 (Shift JIS),
// which its CTest entry sets up through the ja_JP.UTF-8 locale.
#include <gtest/gtest.h>

#include <algorithm>

#include "common/TempDir.h"
#include "spi/PictureWriter.h"
#include "spi/SpiHarness_win.h"
#include "spi/SpiTestUtil.h"

namespace {

// The same names in UTF-8 and in Shift JIS, written out byte by byte.
const std::string kPhotoUtf8 = "\xE5\x86\x99\xE7\x9C\x9F";  // 写真
const std::string kPhotoSjis = "\x8E\xCA\x90\x5E";
const std::string kTableUtf8 = "\xE8\xA1\xA8";              // 表, whose second Shift JIS byte is '\'
const std::string kTableSjis = "\x95\x5C";
const std::string kSoUtf8 = "\xE3\x82\xBD";                 // ソ, likewise
const std::string kSoSjis = "\x83\x5C";
const std::string kPoUtf8 = "\xE3\x83\x9D";                 // ポ, whose second byte is '|'
const std::string kPoSjis = "\x83\x7C";
const std::string kCafeUtf8 = "caf\xC3\xA9";                // café: é is not in code page 932
const std::string kSmileUtf8 = "\xF0\x9F\x98\x80";          // an emoji, beyond 16 bits

class CodePage932 : public testing::Test {
protected:
    TSpiPlugin spi_{L"vvarchive.spi"};
    TTempDir dir_;
    void SetUp() override {
        ASSERT_EQ(GetACP(), 932u) << "run under LANG=ja_JP.UTF-8";
        ASSERT_TRUE(spi_.Loaded());
    }
    std::vector<THostFileInfo> List(const TBytes& archive) {
        HLOCAL h = nullptr;
        EXPECT_EQ(spi_.GetArchiveInfo(reinterpret_cast<const char*>(archive.data()), static_cast<LONG>(archive.size()), 1, &h), 0);
        return h ? TakeFileInfos(h) : std::vector<THostFileInfo>{};
    }
};

TEST_F(CodePage932, Utf8NamesReachTheHostInShiftJis) {
    struct Case {
        const char* name;
        std::string stored;
        bool utf8Flag;
        std::string path, file;
    };
    const Case cases[] = {
        {"UTF-8 flag", kPhotoUtf8 + "/" + kTableUtf8 + ".png", true, kPhotoSjis + "\\", kTableSjis + ".png"},
        {"trail byte '\\' at a folder's end", kSoUtf8 + "/" + kPoUtf8 + ".jpg", true, kSoSjis + "\\", kPoSjis + ".jpg"},
        {"what 932 cannot hold becomes '_'", kCafeUtf8 + "/" + kSmileUtf8 + "x", true, "caf_\\", "_x"},
        {"Shift JIS without the flag passes as it is", kTableSjis + "/" + kSoSjis, false, kTableSjis + "\\", kSoSjis},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const auto records = List(WriteZip({{.name = c.stored, .data = Bytes("1"), .utf8Flag = c.utf8Flag}}));
        ASSERT_EQ(records.size(), 1u);
        EXPECT_EQ(std::string(records[0].path), c.path);
        EXPECT_EQ(std::string(records[0].filename), c.file);
    }
    // TAR names are UTF-8 (pax) unless they are not valid UTF-8.
    const auto tar = List(WriteTar({{.name = kPhotoUtf8 + "/" + kTableUtf8, .data = Bytes("1"), .naming = TTarMemberDef::tnPax},
                                    {.name = kTableSjis + "/x", .data = Bytes("2")}}));
    ASSERT_EQ(tar.size(), 2u);
    EXPECT_EQ(std::string(tar[0].path) + tar[0].filename, kPhotoSjis + "\\" + kTableSjis);
    EXPECT_EQ(std::string(tar[1].path) + tar[1].filename, kTableSjis + "\\x");
}

TEST_F(CodePage932, FixturesWithJapaneseNames) {
    struct Case {
        const char* archive;
        std::string path, file;
    };
    const Case cases[] = {
        {"py.zip", "\x93\xFA\x96\x7B\x8C\xEA\\", "\x8E\xCA\x90\x5E.bin"},     // 日本語\写真.bin
        {"py_pax.tar", "\x93\xFA\x96\x7B\x8C\xEA\\", "\x96\xBC\x91\x4F.bin"}, // 日本語\名前.bin
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.archive);
        const auto records = List(ReadFixture(c.archive));
        EXPECT_TRUE(std::any_of(records.begin(), records.end(), [&](const THostFileInfo& r) {
            return r.path == c.path && r.filename == c.file;
        }));
    }
}

TEST_F(CodePage932, ExtractsUnderJapaneseNames) {
    const std::string archive = Ansi(dir_ / L"\u66F8\u5EAB.zip");  // 書庫.zip: a Japanese archive name too
    WriteFileBytes(dir_ / L"\u66F8\u5EAB.zip",
                   WriteZip({{.name = "a/" + kTableUtf8 + kPoUtf8 + ".png", .data = Bytes("picture"), .utf8Flag = true}}));
    HLOCAL h = nullptr;
    ASSERT_EQ(spi_.GetArchiveInfo(archive.c_str(), 0, 0, &h), 0);
    const auto records = TakeFileInfos(h);
    ASSERT_EQ(records.size(), 1u);

    THostFileInfo info{};
    EXPECT_EQ(spi_.GetFileInfo(archive.c_str(), 0, ("A/" + kTableSjis + kPoSjis + ".PNG").c_str(), 0x80, &info), 0);
    EXPECT_EQ(info.position, records[0].position);

    TTempDir out(dir_ / L"");
    const std::wstring folder = out / L"\u51FA\u529B";  // 出力
    ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr));
    std::string dest = Ansi(folder);
    ASSERT_EQ(spi_.GetFile(archive.c_str(), static_cast<LONG>(records[0].position), dest.data(), 0, nullptr, 0), 0);
    EXPECT_EQ(ReadFileText(folder + L"\\\u8868\u30DD.png"), "picture");  // 表ポ.png
}

TEST_F(CodePage932, PictureFromAJapanesePath) {
    TSpiPlugin image(L"vvimage.spi");
    ASSERT_TRUE(image.Loaded());
    const std::wstring path = dir_ / L"\u5199\u771F.png";  // 写真.png
    WriteFileBytes(path, WritePng(MakePixels(3, 2, 3)));
    THostPictureInfo info{};
    EXPECT_EQ(image.GetPictureInfo(Ansi(path).c_str(), 0, 0, &info), 0);
    EXPECT_EQ(info.width, 3);
    EXPECT_EQ(info.height, 2);
}

}  // namespace
