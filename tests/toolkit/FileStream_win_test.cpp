#include "toolkit/FileStream.h"

#include <windows.h>

#include <gtest/gtest.h>

#include "common/TempDir.h"
#include "common/TestData.h"
#include "toolkit/Exceptions.h"

TEST(FileStream, CreateWriteReopenRead) {
    TTempDir dir;
    const auto bytes = PatternBytes(100000, 3);
    {
        TFileStream out(dir / L"f.bin", fmCreate);
        out.WriteBuffer(bytes.data(), bytes.size());
        EXPECT_EQ(out.Size(), 100000);
    }
    TFileStream in(dir / L"f.bin", fmOpenRead | fmShareDenyWrite);
    std::vector<uint8_t> back(bytes.size());
    in.ReadBuffer(back.data(), back.size());
    EXPECT_EQ(back, bytes);
    uint8_t one;
    EXPECT_THROW(in.ReadBuffer(&one, 1), EReadError);
    in.SetPosition(99999);
    in.ReadBuffer(&one, 1);
    EXPECT_EQ(one, bytes.back());
}

TEST(FileStream, ShareModesAreEnforced) {
    TTempDir dir;
    WriteFileText(dir / L"s.bin", "abc");
    {
        TFileStream reader(dir / L"s.bin", fmOpenRead | fmShareDenyWrite);
        TFileStream second(dir / L"s.bin", fmOpenRead | fmShareDenyWrite);  // readers share
        EXPECT_THROW(TFileStream(dir / L"s.bin", fmOpenReadWrite | fmShareDenyNone), EFOpenError);
    }
    {
        TFileStream exclusive(dir / L"s.bin", fmOpenRead | fmShareExclusive);
        EXPECT_THROW(TFileStream(dir / L"s.bin", fmOpenRead | fmShareDenyNone), EFOpenError);
    }
}

TEST(FileStream, OpenFailuresNameThePath) {
    TTempDir dir;
    try {
        TFileStream missing(dir / L"none.bin", fmOpenRead);
        FAIL();
    } catch (const EFOpenError& e) {
        EXPECT_NE(e.Message().find(dir / L"none.bin"), std::wstring::npos);
    }
    EXPECT_THROW(TFileStream(dir / L"no\\such\\folder.bin", fmCreate), EFCreateError);
}

TEST(FileStream, SetSizeTruncatesAndExtends) {
    TTempDir dir;
    TFileStream f(dir / L"z.bin", fmCreate);
    f.WriteBuffer("0123456789", 10);
    f.SetSize(4);
    EXPECT_EQ(f.Size(), 4);
    EXPECT_EQ(f.Position(), 4);
    f.SetSize(8);
    EXPECT_EQ(f.Size(), 8);
}
