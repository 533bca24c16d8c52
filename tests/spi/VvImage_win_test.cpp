// vvimage.spi loaded and called as a host does.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <thread>

#include <objbase.h>

#include "common/TempDir.h"
#include "common/TestData.h"
#include "spi/PictureWriter.h"
#include "spi/SpiHarness_win.h"
#include "spi/SpiTestUtil.h"
#include "spi/image/PictureDecoder.h"
#include "spi/image/WicPicture_win.h"

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

// What the decoding cores give for the same bytes: the plug-in must hand over exactly that.
TDibBlocks CoreDib(const TBytes& file) {
    const TPictureFormat format = DetectPictureFormat(file);
    TStbPicture stb;
    TWicPicture wic;
    TPictureDecoder& picture = format != TPictureFormat::pfUnknown && !IsSystemFormat(format)
                                   ? static_cast<TPictureDecoder&>(stb)
                                   : static_cast<TPictureDecoder&>(wic);
    TDibBlocks out;
    out.result = picture.Decode(file, {});
    if (out.result != 0) return out;
    out.info.resize(picture.Layout().infoSize);
    out.bits.resize(picture.Layout().bitsSize);
    picture.WriteInfo(out.info.data());
    out.result = picture.WriteBits(out.bits.data(), {});
    return out;
}

// A 4 x 4 DDS picture of one DXT1 block, all red: a format only a system decoder knows here.
TBytes RedDds() {
    TBytes b = Bytes("DDS ");
    auto le32 = [&b](uint32_t v) {
        for (int i = 0; i < 4; ++i) b.push_back(static_cast<uint8_t>(v >> (8 * i)));
    };
    le32(124), le32(0x1 | 0x2 | 0x4 | 0x1000 | 0x80000), le32(4), le32(4), le32(8), le32(0), le32(1);
    for (int i = 0; i < 11; ++i) le32(0);
    le32(32), le32(0x4), b.insert(b.end(), {'D', 'X', 'T', '1'});  // pixel format: a four-character code
    for (int i = 0; i < 5; ++i) le32(0);
    le32(0x1000), le32(0), le32(0), le32(0), le32(0);  // caps: a texture
    b.insert(b.end(), {0x00, 0xF8, 0x1F, 0x00, 0, 0, 0, 0});  // colour 0 red, colour 1 blue, every pixel 0
    return b;
}

// The colour of pixel (x, y), counted from the top, in a DIB the plug-in handed over.
std::array<int, 3> DibPixel(const TDibBlocks& dib, int x, int y) {
    const int width = static_cast<int>(dib.info[4] | dib.info[5] << 8), height = static_cast<int>(dib.info[8] | dib.info[9] << 8);
    const int bits = dib.info[14];
    const size_t stride = (static_cast<size_t>(width) * bits + 31) / 32 * 4;
    const size_t row = static_cast<size_t>(height - 1 - y) * stride;
    if (bits == 8) {
        const uint8_t* entry = &dib.info[40 + 4 * dib.bits[row + x]];
        return {entry[2], entry[1], entry[0]};
    }
    const uint8_t* p = &dib.bits[row + 3 * static_cast<size_t>(x)];
    return {p[2], p[1], p[0]};
}

// The largest difference of any channel between the DIB and what it should show.
int WorstDifference(const TDibBlocks& dib, int width, int height, const std::function<std::array<int, 3>(int, int)>& want) {
    int worst = 0;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const auto got = DibPixel(dib, x, y), expected = want(x, y);
            for (int c = 0; c < 3; ++c) worst = std::max(worst, std::abs(got[c] - expected[c]));
        }
    return worst;
}

// A source pixel over white, as the DIB should show it; GIF keeps only fully transparent pixels.
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
        {"TIFF", ReadFixture("im_lzw.tif")},
        {"ICO", ReadFixture("im.ico")},
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
        EXPECT_TRUE(lower == "kernel32.dll" || lower == "msvcrt.dll" || lower == "user32.dll" || lower == "ole32.dll")
            << dll;
    }
}

// The list names what the plug-in really decodes: stb_image's four formats, then the system's
// decoders as installed (Wine, like Windows, has PNG, JPEG, GIF, TIFF and ICO), never BMP.
TEST_F(VvImage, PluginInfo) {
    const std::vector<std::string> info = spi_.PluginInfo();
    ASSERT_GE(info.size(), 2u + 2 * 9);
    ASSERT_EQ(info.size() % 2, 0u);
    EXPECT_EQ(info[0], "00IN");
    EXPECT_NE(info[1].find("Vardeno View"), std::string::npos);
    std::string patterns;
    for (size_t i = 2; i < info.size(); i += 2) {
        for (size_t start = 0; start < info[i].size(); start = info[i].find(';', start) + 1) {
            EXPECT_EQ(info[i].compare(start, 2, "*."), 0) << info[i];
            if (info[i].find(';', start) == std::string::npos) break;
        }
        EXPECT_FALSE(info[i + 1].empty());
        patterns += info[i] + ";";
    }
    EXPECT_EQ(patterns.find("*.tga;", 3), std::string::npos);  // the system's TGA decoder adds nothing
    EXPECT_EQ(info[2], "*.tga;*.tpic");
    for (const char* p : {"*.psd;", "*.pgm;", "*.hdr;", "*.png;", "*.jpg;", "*.gif;", "*.tif;", "*.ico;"})
        EXPECT_NE(patterns.find(p), std::string::npos) << p;
    EXPECT_EQ(patterns.find("*.bmp;"), std::string::npos);

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
        EXPECT_NE(spi_.IsSupported("x", reinterpret_cast<DWORD_PTR>(head.data())), 0);

        const std::wstring path = dir / L"picture";
        WriteFileBytes(path, file);
        TUniqueFile h(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
        ASSERT_TRUE(h);
        EXPECT_NE(spi_.IsSupported(Ansi(path).c_str(), reinterpret_cast<DWORD_PTR>(h.get())), 0);
        EXPECT_EQ(SetFilePointer(h.get(), 0, nullptr, FILE_CURRENT), 0u);  // left where it was
    }
    // A real BMP head: the system has a decoder for it, but BMP is the program's own.
    std::vector<uint8_t> bmp(2048, 0);
    const uint8_t bmpHead[] = {'B', 'M', 0x46, 0, 0, 0, 0, 0, 0, 0, 0x36, 0, 0, 0, 40, 0, 0, 0, 4, 0, 0, 0, 4, 0, 0, 0, 1, 0, 24};
    std::copy(std::begin(bmpHead), std::end(bmpHead), bmp.begin());
    EXPECT_EQ(spi_.IsSupported("x.bmp", reinterpret_cast<DWORD_PTR>(bmp.data())), 0);
    std::vector<uint8_t> text(2048, 0);
    std::memcpy(text.data(), "words, not a picture", 20);
    EXPECT_EQ(spi_.IsSupported("x.png", reinterpret_cast<DWORD_PTR>(text.data())), 0);
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
    auto* calls = reinterpret_cast<TCalls*>(data);
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
        const LONG_PTR d = reinterpret_cast<LONG_PTR>(&stopping);
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

// PNG, JPEG, GIF, TIFF and ICO that other writers made, through the system's decoders: the same
// pixels as the reference within the file's tolerance (JPEG is lossy). Grey files stay grey.
TEST_F(VvImage, SystemFormatsOtherWritersMade) {
    int seen = 0;
    for (const auto& row : ReadFixtureTable("pictures.tsv")) {
        const TBytes file = ReadFixture(row.at(0));
        if (!IsSystemFormat(DetectPictureFormat(file))) continue;
        SCOPED_TRACE(row.at(0));
        ++seen;
        const TPixels reference = ReadNetpbm(ReadFixture(row.at(1)));
        const TDibBlocks got = GetPicture(spi_, file);
        ASSERT_EQ(got.result, 0);
        EXPECT_EQ(got.info[14], reference.channels == 1 ? 8 : 24);
        EXPECT_LE(WorstDifference(got, reference.width, reference.height,
                                  [&](int x, int y) { return OverWhite(reference, x, y, false); }),
                  std::stoi(row.at(2)));
    }
    EXPECT_GE(seen, 10);
}

// The tests' own PNG and GIF writers, every kind of pixel, odd widths: transparency composed over
// white. Grey PNG stays 8 bits; grey with alpha becomes colour, as the system delivers it.
TEST_F(VvImage, SystemFormatsTheTestsWrite) {
    struct Format {
        const char* name;
        std::function<TBytes(const TPixels&)> write;
        std::vector<int> channels;
        bool binaryAlpha;
    };
    const Format formats[] = {{"PNG", WritePng, {1, 2, 3, 4}, false}, {"GIF", WriteGif, {3, 4}, true}};
    for (const auto& f : formats) {
        for (int channels : f.channels) {
            for (int width : {1, 3, 13}) {
                SCOPED_TRACE(std::string(f.name) + ", " + std::to_string(channels) + " channels, width " +
                             std::to_string(width));
                const TPixels source = MakePixels(width, 3, channels);
                const TDibBlocks got = GetPicture(spi_, f.write(source));
                ASSERT_EQ(got.result, 0);
                const int bits = channels == 1 ? 8 : 24;
                EXPECT_EQ(got.info[14], bits);
                EXPECT_EQ(got.bits.size(), (static_cast<size_t>(width) * bits + 31) / 32 * 4 * 3);
                EXPECT_LE(WorstDifference(got, width, 3, [&](int x, int y) { return OverWhite(source, x, y, f.binaryAlpha); }), 1);
            }
        }
    }
}

// A format none of the plug-in's own checks knows, decoded because a system decoder is installed.
TEST_F(VvImage, AnyInstalledSystemFormat) {
    const std::vector<std::string> info = spi_.PluginInfo();
    bool listed = false;
    for (size_t i = 2; i < info.size(); i += 2) listed |= (info[i] + ";").find("*.dds;") != std::string::npos;
    if (!listed) GTEST_SKIP() << "no DDS decoder installed";
    const TBytes dds = RedDds();
    std::vector<uint8_t> head(2048, 0);
    std::copy(dds.begin(), dds.end(), head.begin());
    EXPECT_EQ(spi_.IsSupported("x", reinterpret_cast<DWORD_PTR>(head.data())), 1);
    const TDibBlocks got = GetPicture(spi_, dds);
    ASSERT_EQ(got.result, 0);
    EXPECT_EQ(WorstDifference(got, 4, 4, [](int, int) { return std::array<int, 3>{255, 0, 0}; }), 0);
}

// JPEG files that once made the previous decoder write past a table or read tables it never
// filled. The system's decoder either refuses them or hands over a whole picture.
TEST_F(VvImage, ForgedJpegTables) {
    for (const char* name : {"jpeg-huffman-counts-over-256.jpg", "jpeg-scan-uses-undefined-huffman-table.jpg"}) {
        SCOPED_TRACE(name);
        const TBytes file = ReadCrasher(name);
        const TDibBlocks got = GetPicture(spi_, file);
        EXPECT_TRUE(got.result == 0 || got.result == 2 || got.result == 3) << got.result;
        if (got.result == 0) {
            const int width = got.info[4] | got.info[5] << 8, height = got.info[8] | got.info[9] << 8;
            EXPECT_EQ(got.bits.size(), (static_cast<size_t>(width) * got.info[14] + 31) / 32 * 4 * height);
        }
    }
}

// COM on the host's thread: the plug-in works whether the thread is in no apartment, a
// single-threaded or a multithreaded one, and leaves it as it found it.
TEST_F(VvImage, LeavesTheCallersApartmentAsItWas) {
    const TBytes png = WritePng(MakePixels(5, 5, 4));
    struct Case {
        const char* name;
        bool enter;
        DWORD model;
    };
    const Case cases[] = {{"no apartment", false, 0},
                          {"single-threaded", true, COINIT_APARTMENTTHREADED},
                          {"multithreaded", true, COINIT_MULTITHREADED}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        int result = -1;
        HRESULT before = E_FAIL, after = E_FAIL;
        std::thread host([&] {
            if (c.enter) before = CoInitializeEx(nullptr, c.model);
            result = GetPicture(spi_, png).result;
            // Entering the other kind fails only while the thread is still in an apartment.
            const DWORD other = c.model == COINIT_MULTITHREADED ? COINIT_APARTMENTTHREADED : COINIT_MULTITHREADED;
            after = CoInitializeEx(nullptr, other);
            if (SUCCEEDED(after)) CoUninitialize();
            if (c.enter && SUCCEEDED(before)) CoUninitialize();
        });
        host.join();
        EXPECT_EQ(result, 0);
        if (c.enter) {
            EXPECT_EQ(before, S_OK);
            EXPECT_EQ(after, RPC_E_CHANGED_MODE);  // still in the host's own apartment
        } else {
            EXPECT_EQ(after, S_OK);  // the plug-in left no apartment behind
        }
    }
}

}  // namespace
