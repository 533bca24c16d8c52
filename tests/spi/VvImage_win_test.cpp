// vvimage.spi loaded and called as a host does.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <functional>

#include "common/TempDir.h"
#include "common/TestData.h"
#include "spi/PictureWriter.h"
#include "spi/SpiHarness_win.h"
#include "spi/SpiTestUtil.h"
#include "spi/image/PictureDecoder.h"

namespace {

class VvImage : public testing::Test {
protected:
    TSpiPlugin spi_{L"vvimage.spi"};
    void SetUp() override { ASSERT_TRUE(spi_.Loaded()); }
};

struct TDibBlocks {
    int result = -1;
    std::vector<uint8_t> info, bits;
};

TDibBlocks GetPicture(const TSpiPlugin& spi, const char* buf, LONG len, UINT flag,
                      TProgressCallback progress = nullptr, LONG_PTR data = 0) {
    HANDLE info = nullptr, bits = nullptr;
    TDibBlocks out;
    out.result = spi.GetPicture(buf, len, flag, &info, &bits, progress, data);
    if (out.result == 0) {
        out.info = TakeLocal(info);
        out.bits = TakeLocal(bits);
    } else {
        EXPECT_EQ(info, nullptr);
        EXPECT_EQ(bits, nullptr);
    }
    return out;
}

TDibBlocks GetPicture(const TSpiPlugin& spi, const TBytes& file) {
    return GetPicture(spi, reinterpret_cast<const char*>(file.data()), static_cast<LONG>(file.size()), 1);
}

// What the decoding core gives for the same bytes: the plug-in must hand over exactly that.
TDibBlocks CoreDib(const TBytes& file) {
    TDecodedPicture picture;
    TDibBlocks out;
    out.result = picture.Decode(file);
    if (out.result != 0) return out;
    out.info.resize(picture.Layout().infoSize);
    out.bits.resize(picture.Layout().bitsSize);
    picture.WriteInfo(out.info.data());
    picture.WriteBits(out.bits.data());
    return out;
}

std::vector<std::pair<const char*, TBytes>> SamplePictures() {
    return {
        {"PNG RGBA", WritePng(MakePixels(7, 5, 4))},
        {"PNG grey", WritePng(MakePixels(3, 4, 1))},
        {"GIF", WriteGif(MakePixels(6, 6, 4))},
        {"TGA", WriteTga(MakePixels(5, 2, 3), true)},
        {"PNM", WritePnm(MakePixels(5, 2, 3))},
        {"JPEG", WriteJpeg(MakePixels(16, 16, 3), 90)},
        {"HDR", WriteHdr(MakePixels(9, 3, 3))},
        {"progressive JPEG", ReadFixture("im_progressive.jpg")},
        {"PSD", ReadFixture("im.psd")},
    };
}

TEST_F(VvImage, ExportsAreUndecorated) {
    for (const char* name : {"GetPluginInfo", "IsSupported", "GetPictureInfo", "GetPicture", "GetPreview"})
        EXPECT_TRUE(spi_.HasExport(name)) << name;
    EXPECT_FALSE(spi_.HasExport("GetPluginInfo@12"));
    EXPECT_FALSE(spi_.HasExport("_GetPluginInfo@12"));
}

TEST_F(VvImage, NeedsOnlySystemLibraries) {
    for (const std::string& dll : ImportedDlls(spi_.Module())) {
        std::string lower = dll;
        std::transform(lower.begin(), lower.end(), lower.begin(), [](char c) { return static_cast<char>(tolower(c)); });
        EXPECT_TRUE(lower == "kernel32.dll" || lower == "msvcrt.dll" || lower == "user32.dll") << dll;
    }
}

TEST_F(VvImage, PluginInfo) {
    const std::vector<std::string> info = spi_.PluginInfo();
    ASSERT_EQ(info.size(), 16u);  // version, name, seven pattern/description pairs
    EXPECT_EQ(info[0], "00IN");
    EXPECT_NE(info[1].find("Vardeno View"), std::string::npos);
    for (size_t i = 2; i < info.size(); i += 2) {
        EXPECT_EQ(info[i].rfind("*.", 0), 0u) << info[i];
        EXPECT_FALSE(info[i + 1].empty());
    }
    EXPECT_EQ(info[2], "*.png");

    char small[4] = {'x', 'x', 'x', 'x'};
    EXPECT_EQ(spi_.GetPluginInfo(1, small, 4), 3);
    EXPECT_STREQ(small, "Var");
    EXPECT_EQ(spi_.GetPluginInfo(-1, small, 4), 0);
    EXPECT_EQ(spi_.GetPluginInfo(0, nullptr, 4), 0);
}

TEST_F(VvImage, IsSupportedByHeadAndByHandle) {
    TTempDir dir;
    for (const auto& [name, file] : SamplePictures()) {
        SCOPED_TRACE(name);
        std::vector<uint8_t> head(2048, 0);
        std::copy_n(file.begin(), std::min<size_t>(file.size(), head.size()), head.begin());
        EXPECT_NE(spi_.IsSupported("x", static_cast<DWORD>(reinterpret_cast<DWORD_PTR>(head.data()))), 0);

        const std::wstring path = dir / L"picture";
        WriteFileBytes(path, file);
        TUniqueFile h(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
        ASSERT_TRUE(h);
        EXPECT_NE(spi_.IsSupported(Ansi(path).c_str(), static_cast<DWORD>(reinterpret_cast<DWORD_PTR>(h.get()))), 0);
        EXPECT_EQ(SetFilePointer(h.get(), 0, nullptr, FILE_CURRENT), 0u);  // left where it was
    }
    std::vector<uint8_t> text(2048, 0);
    std::memcpy(text.data(), "BM not really", 13);
    EXPECT_EQ(spi_.IsSupported("x.bmp", static_cast<DWORD>(reinterpret_cast<DWORD_PTR>(text.data()))), 0);
}

TEST_F(VvImage, HandsOverWhatTheCoreDecodes) {
    for (const auto& [name, file] : SamplePictures()) {
        SCOPED_TRACE(name);
        const TDibBlocks got = GetPicture(spi_, file), want = CoreDib(file);
        ASSERT_EQ(got.result, 0);
        EXPECT_TRUE(got.info == want.info);
        EXPECT_TRUE(got.bits == want.bits);

        THostPictureInfo info;
        std::memset(&info, 0xCD, sizeof info);
        ASSERT_EQ(spi_.GetPictureInfo(reinterpret_cast<const char*>(file.data()), static_cast<LONG>(file.size()), 1, &info), 0);
        EXPECT_EQ(info.left, 0);
        EXPECT_EQ(info.top, 0);
        EXPECT_EQ(info.width, static_cast<int32_t>(want.info[4] | want.info[5] << 8));
        EXPECT_EQ(info.height, static_cast<int32_t>(want.info[8] | want.info[9] << 8));
        EXPECT_EQ(info.colorDepth, want.info[14]);
        EXPECT_EQ(info.hInfo, nullptr);
    }
}

TEST_F(VvImage, KnownPixels) {
    // 2 x 2 RGBA, top row red and half-transparent blue, bottom row transparent and green.
    const TPixels p{2, 2, 4, {255, 0, 0, 255, 0, 0, 255, 128, 9, 9, 9, 0, 0, 255, 0, 255}};
    const TDibBlocks got = GetPicture(spi_, WritePng(p));
    ASSERT_EQ(got.result, 0);
    ASSERT_EQ(got.info.size(), 40u);
    // Bottom-up BGR rows of 8 bytes: white, green, padding; then red, blue over white, padding.
    const std::vector<uint8_t> want = {255, 255, 255, 0, 255, 0, 0, 0, 0, 0, 255, 255, 127, 127, 0, 0};
    EXPECT_TRUE(got.bits == want);
}

TEST_F(VvImage, FileInputStartsAtTheOffset) {
    TTempDir dir;
    const TBytes png = WritePng(MakePixels(9, 4, 3));
    TBytes file = PatternBytes(100, 4);
    file.insert(file.end(), png.begin(), png.end());
    const std::string path = Ansi(dir / L"offset.bin");
    WriteFileBytes(dir / L"offset.bin", file);

    const TDibBlocks got = GetPicture(spi_, path.c_str(), 100, 0), want = CoreDib(png);
    ASSERT_EQ(got.result, 0);
    EXPECT_TRUE(got.bits == want.bits);
    THostPictureInfo info{};
    EXPECT_EQ(spi_.GetPictureInfo(path.c_str(), 100, 0, &info), 0);
    EXPECT_EQ(info.width, 9);
    EXPECT_EQ(spi_.GetPictureInfo(path.c_str(), 0, 0, &info), 2);  // the junk in front is no picture
}

struct TCalls {
    std::vector<std::pair<int, int>> seen;
    int stopAt = -1;  // the call that answers "stop"
};

int WINAPI RecordProgress(int num, int denom, LONG_PTR data) {
    auto* calls = reinterpret_cast<TCalls*>(static_cast<LONG_PTR>(data));
    calls->seen.emplace_back(num, denom);
    return static_cast<int>(calls->seen.size()) - 1 == calls->stopAt;
}

TEST_F(VvImage, ProgressAndCancel) {
    const TBytes png = WritePng(MakePixels(4, 300, 3));
    const auto* buf = reinterpret_cast<const char*>(png.data());
    TCalls calls;
    const LONG_PTR data = reinterpret_cast<LONG_PTR>(&calls);
    ASSERT_EQ(GetPicture(spi_, buf, static_cast<LONG>(png.size()), 1, RecordProgress, data).result, 0);
    ASSERT_GE(calls.seen.size(), 3u);
    EXPECT_EQ(calls.seen.front(), std::make_pair(0, 300));
    EXPECT_EQ(calls.seen.back(), std::make_pair(300, 300));

    for (int stopAt : {0, 2}) {
        SCOPED_TRACE(stopAt);
        TCalls stopping;
        stopping.stopAt = stopAt;
        const LONG d = static_cast<LONG>(reinterpret_cast<LONG_PTR>(&stopping));
        EXPECT_EQ(GetPicture(spi_, buf, static_cast<LONG>(png.size()), 1, RecordProgress, d).result, 1);
        EXPECT_EQ(static_cast<int>(stopping.seen.size()), stopAt + 1);
    }
}

TEST_F(VvImage, ErrorCodes) {
    TTempDir dir;
    const TBytes png = WritePng(MakePixels(30, 30, 3));
    const TBytes words = Bytes("words, not a picture");
    const TBytes cut(png.begin(), png.begin() + 80);
    auto mem = [](const TBytes& b) { return reinterpret_cast<const char*>(b.data()); };
    HANDLE info = nullptr, bits = nullptr;
    THostPictureInfo pi{};

    EXPECT_EQ(GetPicture(spi_, words).result, 2);
    EXPECT_EQ(GetPicture(spi_, cut).result, 3);
    EXPECT_EQ(spi_.GetPictureInfo(mem(words), static_cast<LONG>(words.size()), 1, &pi), 2);
    const std::string missing = Ansi(dir / L"missing.png");
    EXPECT_EQ(GetPicture(spi_, missing.c_str(), 0, 0).result, 6);
    EXPECT_EQ(spi_.GetPictureInfo(missing.c_str(), 0, 0, &pi), 6);
    EXPECT_EQ(spi_.GetPicture(mem(png), static_cast<LONG>(png.size()), 1, nullptr, &bits, nullptr, 0), 8);
    EXPECT_EQ(spi_.GetPreview(mem(png), static_cast<LONG>(png.size()), 1, &info, &bits, nullptr, 0), -1);
}

}  // namespace
