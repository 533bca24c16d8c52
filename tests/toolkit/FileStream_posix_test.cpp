// The native build's file stream: the same contract as the Windows one, over a descriptor.
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include <gtest/gtest.h>

#include "common/TestData.h"
#include "toolkit/Exceptions.h"
#include "toolkit/FileStream.h"
#include "toolkit/TextUtil.h"

namespace {

// A fresh folder, removed with its contents at the end of the test.
class TScratch {
public:
    TScratch() {
        char name[] = "/tmp/vv-filestream-XXXXXX";
        path_ = mkdtemp(name);
    }
    ~TScratch() { std::filesystem::remove_all(path_); }
    std::wstring operator/(const std::wstring& name) const { return Utf8ToWide(path_) + L"/" + name; }

private:
    std::string path_;
};

}  // namespace

TEST(FileStreamPosix, CreateWriteReopenReadAndSeek) {
    TScratch dir;
    const std::vector<uint8_t> bytes = PatternBytes(100000, 3);
    const std::wstring path = dir / L"画像.bmp";  // the name reaches the system as UTF-8
    {
        TFileStream out(path, fmCreate);
        out.WriteBuffer(bytes.data(), bytes.size());
        EXPECT_EQ(out.Size(), 100000);
        EXPECT_EQ(out.Position(), 100000);  // Size() leaves the position where it was
    }
    TFileStream in(path, fmOpenRead | fmShareDenyWrite);
    std::vector<uint8_t> back(bytes.size());
    in.ReadBuffer(back.data(), back.size());
    EXPECT_EQ(back, bytes);
    uint8_t one;
    EXPECT_THROW(in.ReadBuffer(&one, 1), EReadError);
    EXPECT_EQ(in.Seek(-1, TSeekOrigin::soEnd), 99999);
    in.ReadBuffer(&one, 1);
    EXPECT_EQ(one, bytes.back());
    in.SetPosition(10);
    EXPECT_EQ(in.Seek(5, TSeekOrigin::soCurrent), 15);
    EXPECT_THROW(in.Seek(-100, TSeekOrigin::soBeginning), EStreamError);
}

TEST(FileStreamPosix, OpenFailuresNameThePath) {
    TScratch dir;
    const struct {
        std::wstring path;
        uint32_t mode;
        bool create;
    } cases[] = {
        {dir / L"none.bin", fmOpenRead, false},
        {dir / L"", fmOpenRead, false},  // a folder is no file, as on Windows
        {dir / L"no/such/folder.bin", fmCreate, true},
    };
    for (const auto& c : cases) {
        try {
            TFileStream f(c.path, c.mode);
            ADD_FAILURE() << WideToUtf8(c.path);
        } catch (const EFCreateError& e) {
            EXPECT_TRUE(c.create);
            EXPECT_NE(e.Message().find(c.path), std::wstring::npos);
        } catch (const EFOpenError& e) {
            EXPECT_FALSE(c.create);
            EXPECT_NE(e.Message().find(c.path), std::wstring::npos);
        }
    }
}

TEST(FileStreamPosix, SetSizeTruncatesAndExtendsLikeWindows) {
    TScratch dir;
    TFileStream f(dir / L"z.bin", fmCreate);
    f.WriteBuffer("0123456789", 10);
    f.SetSize(4);
    EXPECT_EQ(f.Size(), 4);
    EXPECT_EQ(f.Position(), 4);
    f.SetSize(8);
    EXPECT_EQ(f.Size(), 8);
    EXPECT_EQ(f.Position(), 4);
    char back[8];
    f.SetPosition(0);
    f.ReadBuffer(back, 8);
    EXPECT_EQ(std::string(back, 8), std::string("0123\0\0\0\0", 8));
}
