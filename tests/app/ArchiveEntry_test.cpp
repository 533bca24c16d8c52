#include "app/ArchiveEntry.h"

#include <gtest/gtest.h>

#include <array>
#include <cstring>

namespace {

// The records here hold ASCII only.
std::wstring Latin1(std::string_view text) { return std::wstring(text.begin(), text.end()); }

void PutLe32(uint8_t* p, uint32_t v) {
    for (int i = 0; i < 4; ++i) p[i] = static_cast<uint8_t>(v >> (8 * i));
}

}  // namespace

TEST(ArchiveEntry, FromRecordBytes) {
    std::array<uint8_t, 428> bytes{};
    std::memcpy(bytes.data(), "12345678", 8);  // a method of eight characters has no NUL
    PutLe32(&bytes[8], 0x01020304);
    PutLe32(&bytes[16], 0xFFFFFFFF);
    PutLe32(&bytes[20], 0x80000000);  // the earliest time stamp, negative
    std::memcpy(&bytes[24], "dir\\sub\0junk", 12);
    std::memset(&bytes[224], 'n', 200);  // nor has a name that fills its field
    PutLe32(&bytes[424], 0xCAFEBABE);
    const TArchiveEntry e = ArchiveEntryFromBytes(bytes, Latin1);
    EXPECT_EQ(e.method, L"12345678");
    EXPECT_EQ(e.position, 0x01020304u);
    EXPECT_EQ(e.fileSize, 0xFFFFFFFFu);
    EXPECT_EQ(e.timestamp, INT32_MIN);
    EXPECT_EQ(e.path, L"dir\\sub");
    EXPECT_EQ(e.fileName, std::wstring(200, L'n'));
    EXPECT_EQ(e.crc, 0xCAFEBABEu);
}

TEST(ArchiveEntry, RowTextsAndFields) {
    TArchiveEntry e;
    e.fileName = L"a\tb.jpg";  // a tab would shift the fields after it
    e.fileSize = 1234567;
    e.timestamp = 946684800 - 3600;  // 1999-12-31 23:00 UTC
    e.method = L"-lh5-";
    e.path = L"x\\";
    EXPECT_EQ(ArchiveRowText(e, 0), L"a b.jpg\t  1,234,567\t99/12/31\t  -\t-lh5-\tx\\\t");
    e.compSize = 1000;  // and nine hours ahead of UTC it is the next day
    EXPECT_EQ(ArchiveRowText(e, -540), L"a b.jpg\t  1,234,567\t00/01/01\t      1,000\t-lh5-\tx\\\t");
    const std::wstring row = FolderRowText(L"p.png", 0, {2024, 3, 5}, L"C:\\pics\\");
    EXPECT_EQ(row, L"p.png\t          0\t24/03/05\t  -\t  -\tC:\\pics\\\t");
    EXPECT_EQ(RowField(row, 5), L"C:\\pics\\");
    EXPECT_EQ(RowField(row, 6), L"");
    EXPECT_EQ(RowField(L"last", 0), L"last");
    EXPECT_EQ(FolderRowPath(row), L"C:\\pics\\p.png");
}
