// Pictures through image plug-ins: the order of readers, the padded head, the second try past a
// foreign header, progress, and plug-ins whose blocks do not hold what they promise. The test
// plug-ins are real DLLs loaded by the real plug-in set.
#include <windows.h>

#include <gtest/gtest.h>

#include <array>
#include <cstring>

#include "common/TempDir.h"
#include "plugins/PluginTestEnv.h"
#include "plugins/SPIBmp.h"
#include "plugins/SPIPxDIB.h"
#include "plugins/SPIs.h"
#include "toolkit/FileStream.h"
#include "toolkit/PictureFormats.h"
#include "toolkit/Streams.h"

namespace {

// A plug-in set holding the given test plug-ins, in that order.
class TPictureSet {
public:
    explicit TPictureSet(std::initializer_list<const wchar_t*> names) {
        spis_.AutoSearch = false;
        for (const wchar_t* n : names) spis_.Add(CreateSPI(TestSpi(n)));
    }
    TSPIs& Set() { return spis_; }
    TInSPI& Image(int i) { return static_cast<TInSPI&>(spis_.Items(i)); }

private:
    TSPIs spis_;
};

std::vector<uint8_t> Bmp24(int width, int height) {
    const int stride = (width * 3 + 3) & ~3;
    const uint32_t size = 54 + static_cast<uint32_t>(stride * height);
    std::vector<uint8_t> out(size, 0);
    out[0] = 'B', out[1] = 'M';
    std::memcpy(&out[2], &size, 4);
    const uint32_t off = 54, hs = 40;
    std::memcpy(&out[10], &off, 4);
    std::memcpy(&out[14], &hs, 4);
    std::memcpy(&out[18], &width, 4);
    std::memcpy(&out[22], &height, 4);
    out[26] = 1, out[28] = 24;
    for (size_t i = 54; i < out.size(); ++i) out[i] = static_cast<uint8_t>(i * 7);
    return out;
}

std::unique_ptr<TMemoryStream> StreamOf(const std::vector<uint8_t>& bytes) {
    auto s = std::make_unique<TMemoryStream>();
    s->WriteBuffer(bytes.data(), bytes.size());
    s->SetPosition(0);
    return s;
}

// The picture's pixel (x, y from the top) as B, G, R.
std::array<uint8_t, 3> PixelOf(const TPxDIB& dib, int x, int y) {
    const DIBInfos& infos = dib.InternalDIB().Infos();
    const int stride = (infos.Header.biWidth * 24 + 31) / 32 * 4;
    const int row = infos.Header.biHeight > 0 ? infos.Header.biHeight - 1 - y : y;
    const uint8_t* p = infos.Bits + row * stride + x * 3;
    return {p[0], p[1], p[2]};
}

}  // namespace

TEST(SPIPxDIB, DecodesThroughThePluginWithItsPixelsAndPictureInfo) {
    TPictureSet set({L"vvimage"});
    const auto file = VvImageFile(5, 3, 11);
    TSPIPxDIB dib;
    auto s = StreamOf(file);
    dib.LoadFromNamedStream(*s, L"C:\\x\\picture.vvi");
    ASSERT_EQ(dib.GetWidth(), 5);
    ASSERT_EQ(dib.GetHeight(), 3);
    EXPECT_EQ(dib.GetBitCount(), 24);
    // The file stores rows top first as B, G, R.
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 5; ++x) {
            const uint8_t* want = &file[8 + (y * 5 + x) * 3];
            const auto got = PixelOf(dib, x, y);
            ASSERT_EQ(got[0], want[0]) << x << "," << y;
            ASSERT_EQ(got[2], want[2]) << x << "," << y;
        }
    EXPECT_TRUE(dib.PictureInfo().valid);
    EXPECT_EQ(dib.PictureInfo().width, 5);
    EXPECT_EQ(dib.PictureInfo().info, L"made by the test plug-in");  // text without NUL ends at its block
}

TEST(SPIPxDIB, ShortFileGoesToPluginsInAZeroPadded2048ByteBuffer) {
    TPictureSet set({L"vvimage"});
    auto file = VvImageFile(4, 8, 3);  // 8 + 96 = 104 bytes
    file.resize(100);                  // cut: the plug-in sees the head, then zeros
    TSPIPxDIB dib;
    auto s = StreamOf(file);
    EXPECT_THROW(dib.LoadFromNamedStream(*s, L"short.vvi"), EInvalidGraphic);
    uint8_t head[2048];
    Probe(set.Image(0), prLastHead, head);
    EXPECT_EQ(std::memcmp(head, file.data(), 100), 0);
    for (int i = 100; i < 2048; ++i) ASSERT_EQ(head[i], 0) << i;
}

TEST(SPIPxDIB, ForeignHeaderOf128BytesIsSkippedOnTheSecondTryOnly) {
    TPictureSet set({L"vvimage"});
    std::vector<uint8_t> file(128, 0xEE);
    const auto picture = VvImageFile(3, 2, 5);
    file.insert(file.end(), picture.begin(), picture.end());

    TSPIPxDIB dib;
    auto s = StreamOf(file);
    dib.LoadFromNamedStream(*s, L"macbinary.vvi");
    EXPECT_EQ(dib.GetWidth(), 3);

    TSPIPxDIB strict;
    strict.SkipHeader = false;
    auto s2 = StreamOf(file);
    try {
        strict.LoadFromNamedStream(*s2, L"macbinary.vvi");
        FAIL() << "decoded without skipping";
    } catch (const EInvalidGraphic& e) {
        EXPECT_EQ(e.Message(), L"認識できない画像形式です");
    }
}

TEST(SPIPxDIB, OwnFormatAndNamelessStreamsGoToTheNativeReaderFirst) {
    TPictureSet set({L"vvimage"});
    const int before = Probe(set.Image(0), prIsSupportedCalls);
    const auto bmp = Bmp24(3, 2);
    TSPIPxDIB a;
    auto s1 = StreamOf(bmp);
    a.LoadFromNamedStream(*s1, L"x.bmp");
    TSPIPxDIB b;
    auto s2 = StreamOf(bmp);
    b.LoadFromStream(*s2);
    EXPECT_EQ(Probe(set.Image(0), prIsSupportedCalls), before);  // no plug-in was asked
    EXPECT_EQ(a.GetWidth(), 3);
    EXPECT_EQ(b.GetWidth(), 3);

    // Another extension asks the plug-ins first; the native reader then still reads the BMP.
    TSPIPxDIB c;
    auto s3 = StreamOf(bmp);
    c.LoadFromNamedStream(*s3, L"x.jpg");
    EXPECT_GT(Probe(set.Image(0), prIsSupportedCalls), before);
    EXPECT_EQ(c.GetWidth(), 3);
}

TEST(SPIPxDIB, NothingReadsItWithoutAPluginSet) {
    TSPIPxDIB dib;
    auto s = StreamOf(VvImageFile(2, 2));
    EXPECT_THROW(dib.LoadFromNamedStream(*s, L"a.vvi"), EInvalidGraphic);
}

TEST(SPIPxDIB, PluginProgressBecomesOwnerProgressAndNeverStopsIt) {
    TPictureSet set({L"vvimage"});
    TSPIPxDIB dib;
    std::vector<std::pair<TProgressStage, int>> events;
    dib.OnProgress = [&](TGraphic&, TProgressStage stage, uint8_t percent, bool, const TRect&, const std::wstring&) {
        events.push_back({stage, percent});
    };
    auto s = StreamOf(VvImageFile(2, 4));
    dib.LoadFromNamedStream(*s, L"p.vvi");
    ASSERT_EQ(events.size(), 5u);  // 0 of 4, then each row
    EXPECT_EQ(events.front(), std::make_pair(TProgressStage::psStarting, 0));
    EXPECT_EQ(events[2], std::make_pair(TProgressStage::psRunning, 50));
    EXPECT_EQ(events.back(), std::make_pair(TProgressStage::psEnding, 100));
}

TEST(SPIPxDIB, BlocksShorterThanTheirHeaderPromisesAreNoPicture) {
    TPictureSet set({L"shortbits"});
    TSPIPxDIB dib;
    auto s = StreamOf(VvImageFile(4, 4));
    EXPECT_THROW(dib.LoadFromNamedStream(*s, L"s.vvi"), EInvalidGraphic);
    TSPIBitmap bitmap;
    auto s2 = StreamOf(VvImageFile(4, 4));
    EXPECT_THROW(bitmap.LoadFromNamedStream(*s2, L"s.vvi"), EInvalidGraphic);
}

TEST(SPIPxDIB, GivenPluginOnlyAndFileVariant) {
    TPictureSet set({L"failimage", L"vvimage"});
    TTempDir dir;
    const std::wstring path = dir / L"given.vvi";
    const auto file = VvImageFile(6, 1);
    WriteFileBytes(path, std::vector<unsigned char>(file.begin(), file.end()));

    TSPIPxDIB dib;
    dib.LoadFromFileSPI(path, &set.Image(1));
    EXPECT_EQ(dib.GetWidth(), 6);
    EXPECT_THROW(dib.LoadFromFileSPI(path, &set.Image(0)), EInvalidGraphic);
    // A BMP given to a plug-in that cannot read it is not read natively either.
    TTempDir bmpDir;
    const auto bmp = Bmp24(2, 2);
    WriteFileBytes(bmpDir / L"x.bmp", std::vector<unsigned char>(bmp.begin(), bmp.end()));
    EXPECT_THROW(dib.LoadFromFileSPI(bmpDir / L"x.bmp", &set.Image(1)), EInvalidGraphic);
    // None: the automatic order.
    dib.LoadFromFileSPI(bmpDir / L"x.bmp", nullptr);
    EXPECT_EQ(dib.GetWidth(), 2);
}

TEST(SPIBitmap, PluginFormatsAreRegisteredUnderItAndOpenByExtension) {
    TPictureSet set({L"vvimage"});
    const TFileFormat* format = FindFileFormat(L"vvi");
    ASSERT_NE(format, nullptr);
    EXPECT_EQ(format->graphicClass, &TSPIBitmap::StaticClass());
    EXPECT_EQ(format->description, L"VV test picture");

    TTempDir dir;
    const auto file = VvImageFile(3, 2, 8);
    WriteFileBytes(dir / L"a.vvi", std::vector<unsigned char>(file.begin(), file.end()));
    auto graphic = format->graphicClass->create();
    graphic->LoadFromFile(dir / L"a.vvi");
    auto* bitmap = dynamic_cast<TSPIBitmap*>(graphic.get());
    ASSERT_NE(bitmap, nullptr);
    EXPECT_EQ(bitmap->GetWidth(), 3);
    EXPECT_EQ(bitmap->GetHeight(), 2);
    UnregisterGraphicClass(&TSPIBitmap::StaticClass());
    const uint8_t* first = &file[8];  // top-left pixel, B G R
    EXPECT_EQ(GetPixel(bitmap->Canvas().Handle(), 0, 0), RGB(first[2], first[1], first[0]));
}

TEST(SPIPxDIB, PaletteModeGivesTrueColourPicturesAPaletteOfTheirColours) {
    TPictureSet set({L"vvimage"});
    for (const int mode : {0, 2}) {
        SCOPED_TRACE(mode);
        TSPIPxDIB dib;
        dib.PaletteMode = static_cast<uint8_t>(mode);
        int changes = 0;
        dib.OnChange = [&](TGraphic&) { ++changes; };
        auto s = StreamOf(VvImageFile(8, 8, 2));
        dib.LoadFromNamedStream(*s, L"p.vvi");
        EXPECT_EQ(dib.GetBitCount(), 24);  // the pixels stay true colour
        const uint32_t colours = dib.InternalDIB().Infos().Header.biClrUsed;
        if (mode == 0) {
            EXPECT_EQ(colours, 0u);
            EXPECT_EQ(dib.GetPalette(), nullptr);
        } else {
            EXPECT_GT(colours, 0u);
            EXPECT_LE(colours, 64u);  // at most one entry per pixel
            EXPECT_NE(dib.GetPalette(), nullptr);
        }
        EXPECT_GE(changes, 1);
    }
}

TEST(SPIPicture, MasksAndLargerHeadersFrameThePictureForBothClasses) {
    struct Case {
        const wchar_t* plugin;
        uint8_t kept[3];  // the bits of blue, green and red that the plug-in's pixel format holds
    };
    const Case cases[] = {{L"dib565", {0xF8, 0xFC, 0xF8}}, {L"dibmask32", {0xFF, 0xFF, 0xFF}}, {L"dibv5", {0xFF, 0xFF, 0xFF}}};
    const int width = 5, height = 3;  // 16-bit rows of 10 bytes are padded to 12
    const auto file = VvImageFile(width, height, 21);
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::PrintToString(std::wstring(c.plugin)));
        TPictureSet set({c.plugin});
        TSPIPxDIB dib;
        auto s = StreamOf(file);
        dib.LoadFromNamedStream(*s, L"m.vvi");
        ASSERT_EQ(dib.GetWidth(), width);
        ASSERT_EQ(dib.GetHeight(), height);
        TSPIBitmap bitmap;
        auto s2 = StreamOf(file);
        bitmap.LoadFromNamedStream(*s2, L"m.vvi");
        ASSERT_EQ(bitmap.GetWidth(), width);
        ASSERT_EQ(bitmap.GetHeight(), height);
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x) {
                const uint8_t* bgr = &file[8 + (y * width + x) * 3];
                const std::array<uint8_t, 3> want = {uint8_t(bgr[0] & c.kept[0]), uint8_t(bgr[1] & c.kept[1]),
                                                     uint8_t(bgr[2] & c.kept[2])};
                ASSERT_EQ(PixelOf(dib, x, y), want) << x << "," << y;
                ASSERT_EQ(GetPixel(bitmap.Canvas().Handle(), x, y), RGB(want[2], want[1], want[0])) << x << "," << y;
            }
    }
}

TEST(SPIPicture, APictureThatCannotBeTakenIsThatPluginsFailure) {
    // A header whose size the block does not hold; a mask of 0, which the DIB library refuses.
    for (const wchar_t* plugin : {L"diblyingsize", L"dibzeromask"}) {
        SCOPED_TRACE(testing::PrintToString(std::wstring(plugin)));
        const auto file = VvImageFile(4, 2, 3);
        {
            TPictureSet set({plugin});
            TSPIPxDIB dib;
            auto s = StreamOf(file);
            try {
                dib.LoadFromNamedStream(*s, L"f.vvi");
                ADD_FAILURE() << "decoded";
            } catch (const EInvalidGraphic& e) {
                EXPECT_EQ(e.Message(), L"認識できない画像形式です");
            }
            TSPIBitmap bitmap;
            auto s2 = StreamOf(file);
            EXPECT_THROW(bitmap.LoadFromNamedStream(*s2, L"f.vvi"), EInvalidGraphic);
        }
        // The next plug-in still gets its turn (plug-ins that claim the extension go last added, first tried).
        TPictureSet set({L"vvimage", plugin});
        const int progressBefore = Probe(set.Image(1), prProgressCalls);
        TSPIPxDIB dib;
        auto s = StreamOf(file);
        dib.LoadFromNamedStream(*s, L"f.vvi");
        EXPECT_EQ(dib.GetWidth(), 4);
        EXPECT_EQ(Probe(set.Image(1), prProgressCalls), progressBefore + 3);  // the first one decoded its two rows
        TSPIBitmap bitmap;
        auto s2 = StreamOf(file);
        bitmap.LoadFromNamedStream(*s2, L"f.vvi");
        EXPECT_EQ(bitmap.GetHeight(), 2);
    }
}
