#include <gtest/gtest.h>

#include "common/TestData.h"
#include "spi/SpiTestUtil.h"
#include "spi/archive/ZipReader.h"

namespace {

// Most pattern bytes do not compress; a repeated text does. Both kinds go through deflate.
TBytes Compressible(size_t size) {
    TBytes out(size);
    for (size_t i = 0; i < size; ++i) out[i] = static_cast<uint8_t>("picture archive "[i % 16] + (i / 4096) % 3);
    return out;
}

std::vector<TZipMemberDef> SampleMembers() {
    return {
        {.name = "readme.txt", .data = Bytes("hello")},
        {.name = "photos/", .data = {}, .folder = true},
        {.name = "photos/big.bin", .data = Compressible(300000), .deflate = true},
        {.name = "photos/noise.bin", .data = PatternBytes(70000, 3), .deflate = true},
        {.name = "photos/empty.bin", .data = {}, .deflate = true},
        {.name = "stored-empty", .data = {}},
    };
}

// Lists an archive, expects the given members (folders left out), and extracts each.
void ExpectMembers(const TBytes& archive, const std::vector<TZipMemberDef>& wanted) {
    const TListing listing = List(archive);
    ASSERT_EQ(listing.result, srSuccess);
    std::vector<const TZipMemberDef*> files;
    for (const auto& s : wanted)
        if (!s.folder) files.push_back(&s);
    ASSERT_EQ(listing.members.size(), files.size());
    for (size_t i = 0; i < files.size(); ++i) {
        SCOPED_TRACE(files[i]->name);
        const TArchiveMember& m = listing.members[i];
        EXPECT_EQ(m.name, files[i]->name);
        EXPECT_EQ(m.method, files[i]->deflate ? "Deflate" : "Store");
        EXPECT_EQ(m.size, files[i]->data.size());
        const TExtraction got = Extract(archive, m.position);
        EXPECT_EQ(got.result, srSuccess);
        EXPECT_TRUE(got.data == files[i]->data);
    }
}

TEST(ZipReader, ListsAndExtractsStoredAndDeflatedMembers) {
    const auto wanted = SampleMembers();
    ExpectMembers(WriteZip(wanted), wanted);
}

TEST(ZipReader, ArchiveVariants) {
    struct Case {
        const char* name;
        TZipOptions options;
    };
    TBytes prefix = PatternBytes(1000, 9);
    const Case cases[] = {
        {"comment that holds an end signature", {.comment = std::string("PK\x05\x06 and more", 14)}},
        {"ZIP64 end records", {.zip64End = true}},
        {"bytes in front, offsets relative to the archive", {.prefix = prefix}},
        {"bytes in front and ZIP64 end records", {.zip64End = true, .prefix = prefix}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const auto wanted = SampleMembers();
        ExpectMembers(WriteZip(wanted, c.options), wanted);
    }
}

TEST(ZipReader, Zip64ExtraFieldGivesSizesAndOffset) {
    std::vector<TZipMemberDef> wanted = {{.name = "a", .data = Bytes("first")},
                                         {.name = "b", .data = Compressible(5000), .deflate = true, .zip64 = true}};
    ExpectMembers(WriteZip(wanted, {.zip64End = true}), wanted);
}

TEST(ZipReader, EmptyArchive) {
    const TListing listing = List(WriteZip({}));
    EXPECT_EQ(listing.result, srSuccess);
    EXPECT_TRUE(listing.members.empty());
}

TEST(ZipReader, StampsAndCrc) {
    const TBytes archive = WriteZip({{.name = "dos", .data = Bytes("x")},
                                     {.name = "unix", .data = Bytes("y"), .unixTime = 1234567890}});
    const TListing listing = List(archive);
    ASSERT_EQ(listing.result, srSuccess);
    ASSERT_EQ(listing.members.size(), 2u);
    EXPECT_EQ(listing.members[0].time, 1700000000);  // the writer's DOS stamp, 2023-11-14 22:13:20
    EXPECT_TRUE(listing.members[0].timeIsLocal);
    EXPECT_EQ(listing.members[1].time, 1234567890);
    EXPECT_FALSE(listing.members[1].timeIsLocal);
    EXPECT_EQ(listing.members[0].crc, 0x8CDC1683u);  // CRC-32 of "x"
}

TEST(ZipReader, NameEncodings) {
    const std::string utf8 = "\xE5\x86\x99\xE7\x9C\x9F.png";  // 写真.png
    const std::string sjis = "\x8E\xCA\x90\x5E.png";          // the same in Shift JIS
    const TBytes archive = WriteZip({
        {.name = utf8, .data = Bytes("1"), .utf8Flag = true},
        {.name = sjis, .data = Bytes("2")},
        {.name = sjis, .data = Bytes("3"), .unicodePath = utf8},
        {.name = sjis, .data = Bytes("4"), .unicodePath = utf8, .unicodePathStale = true},
    });
    const TListing listing = List(archive);
    ASSERT_EQ(listing.result, srSuccess);
    ASSERT_EQ(listing.members.size(), 4u);
    struct Want {
        std::string name;
        bool utf8;
    };
    const Want want[] = {{utf8, true}, {sjis, false}, {utf8, true}, {sjis, false}};
    for (size_t i = 0; i < 4; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(listing.members[i].name, want[i].name);
        EXPECT_EQ(listing.members[i].nameIsUtf8, want[i].utf8);
    }
}

TEST(ZipReader, UnsupportedMembersAreListedButNotExtracted) {
    const TBytes archive = WriteZip({
        {.name = "locked", .data = Bytes("secret"), .extraFlags = 1},
        {.name = "bzip2", .data = Bytes("data"), .method = 12},
        {.name = "strange", .data = Bytes("data"), .method = 77},
        {.name = "fine", .data = Bytes("fine")},
    });
    const TListing listing = List(archive);
    ASSERT_EQ(listing.result, srSuccess);
    ASSERT_EQ(listing.members.size(), 4u);
    EXPECT_EQ(listing.members[1].method, "BZip2");
    EXPECT_EQ(listing.members[2].method, "#77");
    for (int i = 0; i < 3; ++i) EXPECT_EQ(Extract(archive, listing.members[i].position).result, srUnknownFormat);
    EXPECT_EQ(Extract(archive, listing.members[3].position).result, srSuccess);
}

TEST(ZipReader, BrokenMembers) {
    struct Case {
        const char* name;
        TZipMemberDef member;
    };
    const Case cases[] = {
        {"wrong CRC", {.name = "m", .data = Bytes("abc"), .crc = 1234}},
        {"stored sizes disagree", {.name = "m", .data = Bytes("abc"), .size = 5}},
        {"deflated data longer than recorded", {.name = "m", .data = Compressible(1000), .deflate = true, .size = 999}},
        {"deflated data shorter than recorded", {.name = "m", .data = Compressible(1000), .deflate = true, .size = 1001}},
        {"deflate that is not", {.name = "m", .data = Bytes("\xFF\xFF\xFF\xFF not deflate"), .method = 8}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const TBytes archive = WriteZip({c.member});
        const TListing listing = List(archive);
        ASSERT_EQ(listing.result, srSuccess);
        ASSERT_EQ(listing.members.size(), 1u);
        EXPECT_EQ(Extract(archive, listing.members[0].position).result, srBrokenData);
    }
}

TEST(ZipReader, BrokenDirectories) {
    const TBytes good = WriteZip(SampleMembers());
    const size_t endPos = good.size() - 22;
    auto with = [&](size_t at, std::initializer_list<uint8_t> bytes) {
        TBytes b = good;
        std::copy(bytes.begin(), bytes.end(), b.begin() + static_cast<ptrdiff_t>(at));
        return b;
    };
    const uint32_t cdSize = good[endPos + 12] | good[endPos + 13] << 8;
    const size_t cdStart = endPos - cdSize;
    struct Case {
        const char* name;
        TBytes archive;
        TSpiResult want;
    };
    const Case cases[] = {
        {"no end record, starts like a ZIP", TBytes(good.begin(), good.begin() + 100), srBrokenData},
        {"not a ZIP at all", Bytes("just some text that is long enough to scan for an end record"), srUnknownFormat},
        {"end record only, cut", TBytes(good.end() - 21, good.end()), srUnknownFormat},
        {"count disagrees", with(endPos + 8, {9, 0, 9, 0}), srBrokenData},
        {"directory larger than the file", with(endPos + 12, {0xFF, 0xFF, 0xFF, 0x7F}), srBrokenData},
        {"name runs past the directory", with(cdStart + 28, {0xFF, 0xFF}), srBrokenData},
        {"record signature broken", with(cdStart, {'X'}), srBrokenData},
        {"split archive", with(endPos + 4, {1, 0}), srUnknownFormat},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(List(c.archive).result, c.want);
    }
}

TEST(ZipReader, ExtractionRefusesPositionsThatAreNotRecords) {
    const TBytes archive = WriteZip(SampleMembers());
    const TListing listing = List(archive);
    ASSERT_EQ(listing.result, srSuccess);
    const uint64_t first = listing.members[0].position;
    EXPECT_EQ(Extract(archive, 0).result, srBrokenData);           // a local header
    EXPECT_EQ(Extract(archive, first + 1).result, srBrokenData);   // inside a record
    EXPECT_EQ(Extract(archive, archive.size() - 10).result, srBrokenData);
    EXPECT_EQ(Extract(archive, archive.size() + 10).result, srBrokenData);

    // A local header offset that points elsewhere.
    TBytes moved = archive;
    moved[first + 42] = 7;
    EXPECT_EQ(Extract(moved, first).result, srBrokenData);

    // A ZIP64 offset of 2^63 in an archive whose directory is recorded 8 KB after where it lies:
    // shifting the one by the other must not overflow.
    TBytes far = WriteZip({{.name = "z", .data = Bytes("zip64"), .zip64 = true}});
    const uint64_t record = List(far).members.at(0).position;
    far[record + 46 + 1 + 4 + 16 + 7] = 0x80;  // after the record, the name, the extra header, the sizes
    far[far.size() - 22 + 17] += 0x20;         // the end record's directory offset
    EXPECT_EQ(Extract(far, record).result, srBrokenData);
}

TEST(ZipReader, ProgressRunsToTheTotalAndCanStop) {
    const TBytes data = Compressible(300000);
    const TBytes archive = WriteZip({{.name = "m", .data = data, .deflate = true}});
    const uint64_t position = List(archive).members.at(0).position;
    std::vector<std::pair<uint64_t, uint64_t>> calls;
    const TExtraction done = Extract(archive, position, [&](uint64_t d, uint64_t t) {
        calls.emplace_back(d, t);
        return true;
    });
    EXPECT_EQ(done.result, srSuccess);
    ASSERT_GE(calls.size(), 3u);
    EXPECT_EQ(calls.front(), std::make_pair(uint64_t{0}, uint64_t{data.size()}));
    EXPECT_EQ(calls.back(), std::make_pair(uint64_t{data.size()}, uint64_t{data.size()}));
    for (size_t i = 1; i < calls.size(); ++i) EXPECT_GE(calls[i].first, calls[i - 1].first);

    int left = 2;
    EXPECT_EQ(Extract(archive, position, [&](uint64_t, uint64_t) { return --left > 0; }).result, srAborted);
}

TEST(ZipReader, RecognisesItsHead) {
    EXPECT_TRUE(IsZipHead(Bytes("PK\x03\x04rest")));
    EXPECT_TRUE(IsZipHead(Bytes(std::string("PK\x05\x06\0\0", 6))));
    EXPECT_TRUE(IsZipHead(Bytes("PK\x07\x08PK\x03\x04")));
    EXPECT_FALSE(IsZipHead(Bytes("PK\x07\x08xxxx")));
    EXPECT_FALSE(IsZipHead(Bytes("PK\x01\x02")));
    EXPECT_FALSE(IsZipHead(Bytes("PK")));
}

}  // namespace
