#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>

#include "common/TestData.h"
#include "spi/SpiTestUtil.h"
#include "spi/archive/TarReader.h"

namespace {

using T = TTarMemberDef;

const std::string kLongFolder = "a-folder-whose-name-is-long-enough/another-folder-whose-name-is-long/";

std::vector<TTarMemberDef> SampleMembers() {
    return {
        {.name = "plain.txt", .data = Bytes("hello")},
        {.name = "folder/", .type = '5'},
        {.name = "folder/link", .type = '2'},
        {.name = kLongFolder + "split-into-prefix.bin", .data = PatternBytes(1000, 1)},
        {.name = "\xE6\x97\xA5\xE6\x9C\xAC/pax.bin", .data = PatternBytes(512, 2), .mtime = 1600000000, .naming = T::tnPax},
        {.name = kLongFolder + kLongFolder + "gnu.bin", .data = PatternBytes(513, 3), .naming = T::tnGnuLong},
        {.name = "empty", .data = {}},
        {.name = "binary-size", .data = PatternBytes(700, 4), .base256Size = true},
        {.name = "old-file-type", .data = Bytes("x"), .type = '\0'},
    };
}

TEST(TarReader, ListsAndExtractsFiles) {
    const auto members = SampleMembers();
    for (bool endBlocks : {true, false}) {
        SCOPED_TRACE(endBlocks ? "with end blocks" : "without end blocks");
        const TBytes archive = WriteTar(members, endBlocks);
        const TListing listing = List(archive);
        ASSERT_EQ(listing.result, srSuccess);
        std::vector<const TTarMemberDef*> files;
        for (const auto& s : members)
            if (s.type == '0' || s.type == '\0') files.push_back(&s);
        ASSERT_EQ(listing.members.size(), files.size());
        for (size_t i = 0; i < files.size(); ++i) {
            SCOPED_TRACE(files[i]->name);
            const TArchiveMember& m = listing.members[i];
            EXPECT_EQ(m.name, files[i]->name);
            EXPECT_EQ(m.method, "-tar-");
            EXPECT_EQ(m.size, files[i]->data.size());
            EXPECT_EQ(m.compressedSize, files[i]->data.size());
            EXPECT_EQ(m.time, files[i]->mtime);
            EXPECT_FALSE(m.timeIsLocal);
            EXPECT_TRUE(m.nameIsUtf8);
            EXPECT_EQ(m.position % 512, 0u);
            const TExtraction got = Extract(archive, m.position);
            EXPECT_EQ(got.result, srSuccess);
            EXPECT_TRUE(got.data == files[i]->data);
        }
    }
}

TEST(TarReader, NamesThatAreNotUtf8PassAsBytes) {
    const std::string sjis = "\x95\x5C.png";
    const TListing listing = List(WriteTar({{.name = sjis, .data = Bytes("1")}}));
    ASSERT_EQ(listing.result, srSuccess);
    ASSERT_EQ(listing.members.size(), 1u);
    EXPECT_EQ(listing.members[0].name, sjis);
    EXPECT_FALSE(listing.members[0].nameIsUtf8);
}

TEST(TarReader, LastMemberWithoutPadding) {
    TBytes archive = WriteTar({{.name = "a", .data = Bytes("abc")}}, false);
    archive.resize(512 + 3);
    const TListing listing = List(archive);
    ASSERT_EQ(listing.result, srSuccess);
    ASSERT_EQ(listing.members.size(), 1u);
    EXPECT_TRUE(Extract(archive, 0).data == Bytes("abc"));
}

// Writes the checksum that the header at offset now needs.
void Reseal(TBytes& archive, size_t offset) {
    uint8_t* h = archive.data() + offset;
    std::memset(h + 148, ' ', 8);
    unsigned sum = 0;
    for (size_t i = 0; i < 512; ++i) sum += h[i];
    std::snprintf(reinterpret_cast<char*>(h + 148), 8, "%06o", sum);
}

TEST(TarReader, BrokenArchives) {
    const TBytes good = WriteTar(SampleMembers());
    auto with = [&](size_t at, std::string_view bytes, bool reseal) {
        TBytes b = good;
        std::copy(bytes.begin(), bytes.end(), b.begin() + static_cast<ptrdiff_t>(at));
        if (reseal) Reseal(b, at / 512 * 512);
        return b;
    };
    struct Case {
        const char* name;
        TBytes archive;
        TSpiResult want;
    };
    const Case cases[] = {
        {"second header's checksum", with(1024 + 10, "X", false), srBrokenData},
        {"data cut short", TBytes(good.begin(), good.begin() + 512 + 3), srBrokenData},
        {"header cut short", TBytes(good.begin(), good.begin() + 1024 + 100), srBrokenData},
        {"size field not a number", with(124, "0000000x000", true), srBrokenData},
        {"size beyond the file", with(124, "77777777777", true), srBrokenData},
        {"first header's checksum: not a TAR", with(10, "X", false), srUnknownFormat},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(List(c.archive).result, c.want);
    }
}

TEST(TarReader, BrokenExtensionHeaders) {
    auto paxWith = [](std::string records) {
        TBytes archive = WriteTar({{.name = "x", .data = Bytes(records), .type = 'x'}, {.name = "f", .data = Bytes("1")}});
        return archive;
    };
    struct Case {
        const char* name;
        std::string records;
        TSpiResult want;
    };
    const Case cases[] = {
        {"well formed", "14 path=a/b/c\n", srSuccess},
        {"length beyond the data", "99 path=a\n", srBrokenData},
        {"length too small", "3 path=a\n", srBrokenData},
        {"no newline", "10 path=abc", srBrokenData},
        {"no equals sign", "9 pathab\n", srBrokenData},
        {"size not a number", "12 size=12x\n", srBrokenData},
        {"size beyond the file", "18 size=999999999\n", srBrokenData},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const TListing listing = List(paxWith(c.records));
        EXPECT_EQ(listing.result, c.want);
        if (c.want == srSuccess) {
            ASSERT_EQ(listing.members.size(), 1u);
            EXPECT_EQ(listing.members[0].name, "a/b/c");
        }
    }
}

TEST(TarReader, ExtractionRefusesPositionsThatAreNotFiles) {
    const auto members = SampleMembers();
    const TBytes archive = WriteTar(members);
    EXPECT_EQ(Extract(archive, 512 + 512).result, srBrokenData);  // the folder's header
    EXPECT_EQ(Extract(archive, 100).result, srBrokenData);        // inside a header
    EXPECT_EQ(Extract(archive, 512).result, srBrokenData);        // data
    EXPECT_EQ(Extract(archive, archive.size() - 512).result, srBrokenData);  // an end block
}

TEST(TarReader, ProgressCanStop) {
    const TBytes archive = WriteTar({{.name = "a", .data = PatternBytes(200000, 5)}});
    EXPECT_EQ(Extract(archive, 0, [](uint64_t done, uint64_t) { return done == 0; }).result, srAborted);
}

TEST(TarReader, HeaderChecks) {
    TBytes block = WriteTar({{.name = "a", .data = {}}}, false);
    EXPECT_TRUE(IsTarHeader(block.data()));
    block[0] = 'b';
    EXPECT_FALSE(IsTarHeader(block.data()));  // checksum no longer matches
    block[0] = 'a';
    block[257] = 'U';
    EXPECT_FALSE(IsTarHeader(block.data()));  // no ustar magic
}

}  // namespace
