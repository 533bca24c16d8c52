#include "toolkit/Streams.h"

#include <gtest/gtest.h>

#include "common/TestData.h"
#include "toolkit/Exceptions.h"

TEST(MemoryStream, WriteSeekReadRoundTrip) {
    TMemoryStream s;
    const auto bytes = PatternBytes(1000);
    s.WriteBuffer(bytes.data(), bytes.size());
    EXPECT_EQ(s.Position(), 1000);
    EXPECT_EQ(s.Size(), 1000);
    s.SetPosition(10);
    std::vector<uint8_t> back(990);
    s.ReadBuffer(back.data(), back.size());
    EXPECT_TRUE(std::equal(back.begin(), back.end(), bytes.begin() + 10));
    EXPECT_EQ(s.Read(back.data(), 1), 0u);
}

TEST(MemoryStream, ShortReadRaisesAndWritePastEndFillsZeros) {
    TMemoryStream s;
    s.WriteBuffer("abc", 3);
    s.SetPosition(1);
    char buf[8];
    EXPECT_THROW(s.ReadBuffer(buf, 3), EReadError);
    s.Seek(2, TSeekOrigin::soEnd);
    s.WriteBuffer("z", 1);
    ASSERT_EQ(s.Length(), 6u);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(s.Memory()), 6), std::string("abc\0\0z", 6));
    EXPECT_THROW(s.Seek(-7, TSeekOrigin::soEnd), EStreamError);
}

TEST(MemoryStream, SetSizeClampsPositionAndCopyFromTakesWholeSource) {
    TMemoryStream src;
    const auto bytes = PatternBytes(200000, 7);
    src.WriteBuffer(bytes.data(), bytes.size());
    TMemoryStream dst;
    EXPECT_EQ(dst.CopyFrom(src, 0), 200000);
    ASSERT_EQ(dst.Length(), bytes.size());
    EXPECT_TRUE(std::equal(bytes.begin(), bytes.end(), dst.Memory()));

    src.SetPosition(199990);
    TMemoryStream part;
    EXPECT_THROW(part.CopyFrom(src, 11), EReadError);  // only 10 bytes are left
    dst.SetSize(5);
    EXPECT_EQ(dst.Position(), 5);
}

TEST(MemoryStream, LoadFromStreamTakesTheWholeSourceFromItsStart) {
    TMemoryStream src;
    const auto bytes = PatternBytes(70000, 5);
    src.WriteBuffer(bytes.data(), bytes.size());  // the position is at the end: loading starts over
    TMemoryStream dst;
    dst.WriteBuffer("old contents", 12);
    dst.LoadFromStream(src);
    EXPECT_EQ(dst.Position(), 0);
    ASSERT_EQ(dst.Length(), bytes.size());
    EXPECT_TRUE(std::equal(bytes.begin(), bytes.end(), dst.Memory()));
    src.SetSize(0);
    dst.LoadFromStream(src);
    EXPECT_EQ(dst.Length(), 0u);
}
