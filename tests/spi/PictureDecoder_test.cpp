#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstdlib>
#include <functional>
#include <string>

#include "spi/PictureWriter.h"
#include "spi/SpiTestUtil.h"
#include "spi/image/PictureDecoder.h"

namespace {

struct TDib {
    TDibLayout layout;
    TBytes info, bits;
};

TSpiResult DecodeToDib(const TBytes& file, TDib& dib, const TProgress& progress = {}) {
    TDecodedPicture picture;
    const TSpiResult r = picture.Decode(file, progress);
    if (r != srSuccess) return r;
    dib.layout = picture.Layout();
    dib.info.assign(dib.layout.infoSize, 0xCD);
    dib.bits.assign(dib.layout.bitsSize, 0xCD);
    picture.WriteInfo(dib.info.data());
    return picture.WriteBits(dib.bits.data(), progress) ? srSuccess : srAborted;
}

uint32_t Field32(const TBytes& b, size_t at) { return b[at] | b[at + 1] << 8 | b[at + 2] << 16 | uint32_t{b[at + 3]} << 24; }

// The colour of pixel (x, y), counted from the top, as a reader of the DIB sees it.
std::array<int, 3> DibPixel(const TDib& dib, int x, int y) {
    const size_t row = static_cast<size_t>(dib.layout.height - 1 - y) * dib.layout.stride;
    if (dib.layout.bitCount == 8) {
        const uint8_t* entry = &dib.info[40 + 4 * dib.bits[row + x]];
        return {entry[2], entry[1], entry[0]};
    }
    const uint8_t* p = &dib.bits[row + 3 * static_cast<size_t>(x)];
    return {p[2], p[1], p[0]};
}

// Checks the header against the picture's size and kind, and that row padding is zero.
void ExpectWellFormed(const TDib& dib, int width, int height, bool grey) {
    const TDibLayout& l = dib.layout;
    const int bits = grey ? 8 : 24;
    const uint32_t stride = (static_cast<uint32_t>(width) * bits + 31) / 32 * 4;
    EXPECT_EQ(l.width, width);
    EXPECT_EQ(l.height, height);
    EXPECT_EQ(l.bitCount, bits);
    EXPECT_EQ(l.stride, stride);
    EXPECT_EQ(l.bitsSize, stride * height);
    EXPECT_EQ(l.infoSize, grey ? 40u + 1024 : 40u);
    EXPECT_EQ(Field32(dib.info, 0), 40u);
    EXPECT_EQ(static_cast<int32_t>(Field32(dib.info, 4)), width);
    EXPECT_EQ(static_cast<int32_t>(Field32(dib.info, 8)), height);  // positive: bottom-up
    EXPECT_EQ(dib.info[12] | dib.info[13] << 8, 1);
    EXPECT_EQ(dib.info[14] | dib.info[15] << 8, bits);
    EXPECT_EQ(Field32(dib.info, 16), 0u);  // BI_RGB
    EXPECT_EQ(Field32(dib.info, 20), l.bitsSize);
    EXPECT_EQ(Field32(dib.info, 32), grey ? 256u : 0u);
    for (uint32_t i = 0; grey && i < 256; ++i) {
        const uint8_t* e = &dib.info[40 + 4 * i];
        ASSERT_TRUE(e[0] == i && e[1] == i && e[2] == i && e[3] == 0) << "palette entry " << i;
    }
    const size_t used = static_cast<size_t>(width) * bits / 8;
    for (int y = 0; y < height; ++y)
        for (size_t x = used; x < stride; ++x) ASSERT_EQ(dib.bits[y * stride + x], 0) << "padding of row " << y;
}

// What a source pixel should look like in the DIB: its colour over white.
std::array<int, 3> OverWhite(const TPixels& p, int x, int y, bool binaryAlpha) {
    const uint8_t* px = p.At(x, y);
    const bool hasAlpha = p.channels == 2 || p.channels == 4;
    const int colour = hasAlpha ? p.channels - 1 : p.channels;
    std::array<int, 3> c = colour == 1 ? std::array<int, 3>{px[0], px[0], px[0]} : std::array<int, 3>{px[0], px[1], px[2]};
    const int alpha = hasAlpha ? px[colour] : 255;
    if (binaryAlpha || alpha == 0 || alpha == 255) return alpha == 0 ? std::array<int, 3>{255, 255, 255} : c;
    for (int& v : c) v = (v * alpha + 255 * (255 - alpha)) / 255;
    return c;
}

// A pixel held as linear light, as the decoder brings it to 8 bits: gamma 1/2.2.
std::array<int, 3> Gamma(const TPixels& p, int x, int y) {
    std::array<int, 3> c{};
    for (int i = 0; i < 3; ++i) c[i] = static_cast<int>(std::lround(255 * std::pow(p.At(x, y)[i] / 255.0, 1 / 2.2)));
    return c;
}

void ExpectPixels(const TDib& dib, const std::function<std::array<int, 3>(int, int)>& want, int tolerance) {
    int worst = 0, worstX = 0, worstY = 0;
    for (int y = 0; y < dib.layout.height; ++y)
        for (int x = 0; x < dib.layout.width; ++x) {
            const auto got = DibPixel(dib, x, y), expected = want(x, y);
            for (int c = 0; c < 3; ++c)
                if (std::abs(got[c] - expected[c]) > worst) worst = std::abs(got[c] - expected[c]), worstX = x, worstY = y;
        }
    EXPECT_LE(worst, tolerance) << "at (" << worstX << ", " << worstY << ")";
}

TEST(DetectPictureFormat, Heads) {
    auto tga = [](uint8_t mapType, uint8_t type, uint16_t mapLength, uint8_t mapBits, uint8_t bits) {
        TBytes h(18, 0);
        h[1] = mapType;
        h[2] = type;
        h[5] = static_cast<uint8_t>(mapLength);
        h[7] = mapBits;
        h[12] = 4;  // width 4
        h[14] = 3;  // height 3
        h[16] = bits;
        return h;
    };
    struct Case {
        const char* name;
        TBytes head;
        TPictureFormat want;
    };
    const Case cases[] = {
        {"PNG", Bytes("\x89PNG\r\n\x1a\n...."), TPictureFormat::pfPng},
        {"JPEG", Bytes("\xFF\xD8\xFF\xE0"), TPictureFormat::pfJpeg},
        {"GIF87a", Bytes("GIF87a"), TPictureFormat::pfGif},
        {"GIF89a", Bytes("GIF89a"), TPictureFormat::pfGif},
        {"PSD", Bytes(std::string("8BPS\0\1", 6)), TPictureFormat::pfPsd},
        {"PSB (version 2) is not read", Bytes(std::string("8BPS\0\2", 6)), TPictureFormat::pfUnknown},
        {"binary PGM", Bytes("P5\n4 4\n255\n"), TPictureFormat::pfPnm},
        {"binary PPM", Bytes("P6 4 4 255 "), TPictureFormat::pfPnm},
        {"text PPM is not read", Bytes("P3\n4 4\n255\n"), TPictureFormat::pfUnknown},
        {"Radiance", Bytes("#?RADIANCE\nFORMAT"), TPictureFormat::pfHdr},
        {"RGBE", Bytes("#?RGBE\n"), TPictureFormat::pfHdr},
        {"TGA true colour", tga(0, 2, 0, 0, 24), TPictureFormat::pfTga},
        {"TGA RLE grey", tga(0, 11, 0, 0, 8), TPictureFormat::pfTga},
        {"TGA colour-mapped", tga(1, 1, 16, 24, 8), TPictureFormat::pfTga},
        {"TGA colour-mapped without a map", tga(0, 1, 0, 0, 8), TPictureFormat::pfUnknown},
        {"TGA true colour with odd depth", tga(0, 2, 0, 0, 12), TPictureFormat::pfUnknown},
        {"TGA grey with a map", tga(0, 3, 5, 24, 8), TPictureFormat::pfUnknown},
        {"TGA of unknown type", tga(0, 4, 0, 0, 24), TPictureFormat::pfUnknown},
        {"BMP belongs to the program", Bytes("BM\x36\0\0\0\0\0\0\0\x36\0\0\0\x28\0\0\0\4\0"), TPictureFormat::pfUnknown},
        {"text", Bytes("Hello, this is not a picture at all."), TPictureFormat::pfUnknown},
        {"a 2 KB head of zeros", TBytes(2048, 0), TPictureFormat::pfUnknown},
        {"empty", {}, TPictureFormat::pfUnknown},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(DetectPictureFormat(c.head), c.want);
    }
}

TEST(TDecodedPicture, PicturesTheTestsWrite) {
    struct Format {
        const char* name;
        std::function<TBytes(const TPixels&)> write;
        std::vector<int> channels;
        bool binaryAlpha;
    };
    const Format formats[] = {
        {"PNG", WritePng, {1, 2, 3, 4}, false},
        {"TGA", [](const TPixels& p) { return WriteTga(p, false); }, {1, 3, 4}, false},
        {"TGA RLE", [](const TPixels& p) { return WriteTga(p, true); }, {1, 3, 4}, false},
        {"PNM", WritePnm, {1, 3}, false},
        {"GIF", WriteGif, {3, 4}, true},
    };
    for (const auto& f : formats) {
        for (int channels : f.channels) {
            for (int width : {1, 2, 3, 5, 13}) {
                SCOPED_TRACE(std::string(f.name) + ", " + std::to_string(channels) + " channels, width " +
                             std::to_string(width));
                const TPixels source = MakePixels(width, 3, channels);
                TDib dib;
                ASSERT_EQ(DecodeToDib(f.write(source), dib), srSuccess);
                ExpectWellFormed(dib, width, 3, channels <= 2);
                // Half transparency is rounded once by the decoder, once by this check.
                ExpectPixels(dib, [&](int x, int y) { return OverWhite(source, x, y, f.binaryAlpha); }, 1);
            }
        }
    }
}

TEST(TDecodedPicture, LossyAndHighRangePictures) {
    // A smooth picture, because JPEG's error grows with detail.
    TPixels smooth{16, 8, 3, {}};
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 16; ++x) smooth.data.insert(smooth.data.end(), {uint8_t(x * 16), uint8_t(y * 32), 100});
    // HDR holds linear light; the decoder applies gamma 2.2 on the way to 8 bits.
    TPixels linear = smooth;
    TDib dib;
    ASSERT_EQ(DecodeToDib(WriteJpeg(smooth, 100), dib), srSuccess);
    ExpectWellFormed(dib, 16, 8, false);
    ExpectPixels(dib, [&](int x, int y) { return OverWhite(smooth, x, y, false); }, 6);

    TBytes hdr = WriteHdr(linear);
    ASSERT_EQ(DecodeToDib(hdr, dib), srSuccess);
    ExpectWellFormed(dib, 16, 8, false);
    ExpectPixels(dib, [&](int x, int y) { return Gamma(linear, x, y); }, 3);
}

// Binary PPM or PGM as make_fixtures.py writes them: "P6\n<w> <h>\n255\n" and the pixels.
TPixels ReadNetpbm(const TBytes& file) {
    TPixels p;
    p.channels = file.at(1) == '6' ? 3 : 1;
    size_t at = 3;
    auto number = [&] {
        int v = 0;
        while (file.at(at) >= '0' && file.at(at) <= '9') v = v * 10 + (file[at++] - '0');
        ++at;
        return v;
    };
    p.width = number();
    p.height = number();
    number();  // maximum value, 255
    p.data.assign(file.begin() + static_cast<ptrdiff_t>(at), file.end());
    return p;
}

TEST(TDecodedPicture, PicturesOtherWritersMade) {
    for (const auto& row : ReadFixtureTable("pictures.tsv")) {
        SCOPED_TRACE(row.at(0));
        const TBytes file = ReadFixture(row.at(0));
        const TPixels reference = ReadNetpbm(ReadFixture(row.at(1)));
        TDib dib;
        ASSERT_EQ(DecodeToDib(file, dib), srSuccess);
        ExpectWellFormed(dib, reference.width, reference.height, reference.channels == 1);
        const bool gamma = row.at(3) == "gamma";
        ExpectPixels(dib, [&](int x, int y) { return gamma ? Gamma(reference, x, y) : OverWhite(reference, x, y, false); },
                     std::stoi(row.at(2)));

        // The header alone promises what decoding gives.
        TDibLayout promised;
        ASSERT_EQ(ReadPictureLayout(file, promised), srSuccess);
        EXPECT_EQ(promised.bitCount, dib.layout.bitCount);
        EXPECT_EQ(promised.width, dib.layout.width);
        EXPECT_EQ(promised.height, dib.layout.height);
    }
}

TEST(TDecodedPicture, Failures) {
    const TBytes png = WritePng(MakePixels(40, 40, 3));
    TDib dib;
    EXPECT_EQ(DecodeToDib(Bytes("not a picture, just words"), dib), srUnknownFormat);
    EXPECT_EQ(DecodeToDib({}, dib), srUnknownFormat);
    EXPECT_EQ(DecodeToDib(TBytes(png.begin(), png.begin() + 60), dib), srBrokenData);
    TBytes gif = WriteGif(MakePixels(8, 8, 3));
    gif.resize(gif.size() / 2);
    EXPECT_EQ(DecodeToDib(gif, dib), srBrokenData);
    TDibLayout layout;
    EXPECT_EQ(ReadPictureLayout(TBytes(png.begin(), png.begin() + 12), layout), srBrokenData);
}

// Files that made stb_image write past a table, decode with tables it never filled, or hang: the
// decoder refuses them before stb_image sees them.
TEST(TDecodedPicture, RefusesWhatTheDecoderCannotTake) {
    for (const char* name : {"jpeg-huffman-counts-over-256.jpg", "jpeg-scan-uses-undefined-huffman-table.jpg",
                             "hdr-cut-in-run-length-data-hangs.hdr"}) {
        SCOPED_TRACE(name);
        TDib dib;
        EXPECT_EQ(DecodeToDib(ReadCrasher(name), dib), srBrokenData);
    }
}

TEST(TDecodedPicture, ProgressCoversTheRowsAndCanStop) {
    const TBytes png = WritePng(MakePixels(5, 200, 3));
    std::vector<std::pair<uint64_t, uint64_t>> calls;
    TDib dib;
    ASSERT_EQ(DecodeToDib(png, dib, [&](uint64_t d, uint64_t t) {
                  calls.emplace_back(d, t);
                  return true;
              }),
              srSuccess);
    ASSERT_GE(calls.size(), 3u);
    EXPECT_EQ(calls.front(), std::make_pair(uint64_t{0}, uint64_t{200}));
    EXPECT_EQ(calls.back(), std::make_pair(uint64_t{200}, uint64_t{200}));

    EXPECT_EQ(DecodeToDib(png, dib, [](uint64_t, uint64_t) { return false; }), srAborted);
    EXPECT_EQ(DecodeToDib(png, dib, [](uint64_t d, uint64_t) { return d < 100; }), srAborted);
}

}  // namespace
