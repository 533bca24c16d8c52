#include "imaging/PxRLE.h"

#include <gtest/gtest.h>

#include <functional>
#include <random>
#include <string>

#include "imaging/BmpBuilder.h"
#include "toolkit/TextUtil.h"

namespace {

// A record over a pixel store holding the given bytes.
class TRecord {
public:
    TRecord(int32_t width, int32_t height, uint16_t bitCount, uint32_t compression, const TBytes& bits) : infos_{} {
        TPxPixelStore store(static_cast<uint32_t>(bits.size()));
        std::copy(bits.begin(), bits.end(), store.Bits());
        store.MoveTo(infos_);
        infos_.Header.biSize = 40;
        infos_.Header.biWidth = width;
        infos_.Header.biHeight = height;
        infos_.Header.biPlanes = 1;
        infos_.Header.biBitCount = bitCount;
        infos_.Header.biCompression = compression;
        infos_.Header.biClrUsed = bitCount == 8 ? 256 : 16;
        infos_.Colors[3].rgbRed = 77;
    }
    ~TRecord() { FreeDIBInfosBits(infos_); }
    TRecord(const TRecord&) = delete;
    TRecord& operator=(const TRecord&) = delete;
    DIBInfos& Infos() { return infos_; }
    TBytes Bytes() const { return TBytes(infos_.Bits, infos_.Bits + infos_.BitsSize); }

private:
    DIBInfos infos_;
};

// Runs a Convert* routine and returns the result's bytes; the result's store is released.
TBytes Convert(void (*convert)(const DIBInfos&, DIBInfos&), const DIBInfos& src, DIBInfos* header = nullptr) {
    DIBInfos dst{};
    convert(src, dst);
    TBytes out(dst.Bits, dst.Bits + dst.BitsSize);
    if (header) *header = dst;
    FreeDIBInfosBits(dst);
    return out;
}

TBytes Decode8(uint32_t w, uint32_t h, const TBytes& data) {
    TBytes out(RowStride(w, 8) * h);
    DecodeRLE8(data, w, h, out);
    return out;
}

TBytes Decode4(uint32_t w, uint32_t h, const TBytes& data) {
    TBytes out(RowStride(w, 4) * h);
    DecodeRLE4(data, w, h, out);
    return out;
}

// Encodes into a buffer of the uncompressed size (as the routines do) plus extra bytes.
TBytes Encode8(uint32_t w, uint32_t h, const TBytes& pixels, size_t extra = 0) {
    TBytes out(pixels.size() + extra);
    out.resize(EncodeRLE8(pixels, w, h, false, out));
    return out;
}

TBytes Encode4(uint32_t w, uint32_t h, const TBytes& pixels, size_t extra = 0) {
    TBytes out(pixels.size() + extra);
    out.resize(EncodeRLE4(pixels, w, h, false, out));
    return out;
}

// Picture rows padded to the stride, from unpadded rows.
TBytes Padded(uint32_t w, uint32_t bits, const std::vector<TBytes>& rows) {
    const size_t stride = RowStride(w, bits);
    TBytes out;
    for (const auto& r : rows) {
        TBytes row = r;
        row.resize(stride);
        out.insert(out.end(), row.begin(), row.end());
    }
    return out;
}

std::string Failure(const std::function<void()>& fn) {
    try {
        fn();
    } catch (const Exception& e) {
        return std::string(e.ClassName()) + ": " + e.what();
    }
    return "";
}

// A picture with runs of random lengths and colours, a few literal stretches, and row padding
// filled with garbage (encoders must ignore it).
TBytes RunsPicture(uint32_t w, uint32_t h, uint32_t bits, uint32_t seed) {
    const size_t stride = RowStride(w, bits);
    TBytes out = PatternRows(static_cast<uint32_t>(stride), h, seed);
    const TBytes noise = PatternRows(static_cast<uint32_t>(stride), h, seed + 1);
    const size_t rowBytes = bits == 8 ? w : (w + 1) / 2;
    for (size_t y = 0; y < h; ++y) {
        size_t x = 0;
        for (size_t k = 0; x < rowBytes; ++k) {
            const bool literal = k % 5 == 3;
            const size_t len = 1 + noise[(y * stride + k) % noise.size()] % (literal ? 20 : 300);
            const uint8_t v = out[y * stride + x] % 4;
            for (size_t j = 0; j < len && x < rowBytes; ++j, ++x) {
                out[y * stride + x] = literal ? noise[(y * stride + x) % noise.size()] : v;
            }
        }
    }
    return out;
}

}  // namespace

// ---- Decoders ------------------------------------------------------------------------------------

TEST(Rle8Decode, Pictures) {
    struct Case {
        const char* name;
        uint32_t w, h;
        TBytes data;
        std::vector<TBytes> want;  // rows, unpadded
    };
    const Case cases[] = {
        {"run at the start", 4, 2, {3, 7, 0, 0, 0, 1}, {{7, 7, 7, 0}, {0, 0, 0, 0}}},
        {"run ends exactly at the width", 4, 1, {4, 9, 0, 1}, {{9, 9, 9, 9}}},
        {"absolute run padded", 5, 1, {0, 3, 1, 2, 3, 0, 2, 8, 0, 1}, {{1, 2, 3, 8, 8}}},
        {"absolute run of 4", 4, 1, {0, 4, 1, 2, 3, 4, 0, 1}, {{1, 2, 3, 4}}},
        {"delta", 4, 3, {1, 5, 0, 2, 2, 1, 1, 6, 0, 0, 1, 7, 0, 1}, {{5, 0, 0, 0}, {0, 0, 0, 6}, {7, 0, 0, 0}}},
        {"end of line on the last row", 2, 1, {2, 3, 0, 0, 0, 1}, {{3, 3}}},
        {"no end of bitmap", 3, 2, {2, 4, 0, 0, 3, 5}, {{4, 4, 0}, {5, 5, 5}}},
        {"cut inside an absolute run", 5, 1, {0, 5, 1, 2}, {{1, 2, 0, 0, 0}}},
        {"cut inside a delta", 3, 1, {1, 1, 0, 2, 1}, {{1, 0, 0}}},
        {"odd trailing byte", 3, 1, {1, 1, 0}, {{1, 0, 0}}},
        {"empty data", 2, 2, {}, {{0, 0}, {0, 0}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(Decode8(c.w, c.h, c.data), Padded(c.w, 8, c.want));
    }
}

TEST(Rle8Decode, BadDataFails) {
    struct Case {
        const char* name;
        uint32_t w, h;
        TBytes data;
        const char* want;
    };
    const Case cases[] = {
        {"run one past the width", 4, 1, {5, 9, 0, 1}, "Bad RLE Data 4"},
        {"runs never wrap to the next row", 4, 2, {3, 1, 3, 1, 0, 1}, "Bad RLE Data 4"},
        {"run after the last row", 2, 1, {0, 0, 1, 1}, "Bad RLE Data 4"},
        {"end of line past the last row", 2, 1, {0, 0, 0, 0}, "Bad RLE Data 1"},
        {"delta past the width", 4, 2, {0, 2, 5, 0}, "Bad RLE Data 2"},
        {"delta past the height", 4, 2, {0, 2, 0, 3}, "Bad RLE Data 2"},
        {"absolute past the width", 4, 1, {1, 1, 0, 4, 1, 2, 3, 4}, "Bad RLE Data 3"},
        {"absolute after the last row", 4, 1, {0, 2, 0, 1, 0, 3, 1, 2, 3, 0}, "Bad RLE Data 3"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(Failure([&] { Decode8(c.w, c.h, c.data); }),
                  std::string("EPxDIBInvalidDIB: Convert8BitRLETo8BitRGB: ") + c.want);
    }
}

namespace {

// The RLE8 decoder one code at a time, as plainly as it can be written: the decoder, which stages
// rows and writes sixteen bytes at a time, must leave the same bytes and fail the same way.
void PlainRle8Decode(const TBytes& data, uint32_t width, uint32_t height, TBytes& pixels) {
    const size_t stride = RowStride(width, 8);
    const auto bad = [](int which) {
        throw EPxDIBInvalidDIB(L"Convert8BitRLETo8BitRGB: Bad RLE Data " + std::to_wstring(which));
    };
    size_t i = 0, x = 0, y = 0;
    while (data.size() - i >= 2) {
        const uint8_t n = data[i], c = data[i + 1];
        i += 2;
        if (n) {
            if (x + n > width || y >= height) bad(4);
            for (int k = 0; k < n; ++k) pixels[y * stride + x++] = c;
        } else if (c == 0) {
            if (++y > height) bad(1);
            x = 0;
        } else if (c == 1) {
            return;
        } else if (c == 2) {
            if (data.size() - i < 2) return;
            x += data[i], y += data[i + 1], i += 2;
            if (x > width || y > height) bad(2);
        } else {
            if (x + c > width || y >= height) bad(3);
            for (int k = 0; k < c; ++k) {
                if (i + k >= data.size()) return;  // cut inside the literal: what it holds stays
                pixels[y * stride + x + k] = data[i + k];
            }
            x += c;
            i += (c + 1u) / 2 * 2;
            if (i > data.size()) return;
        }
    }
}

}  // namespace

// Random streams of runs (short and long), literals, moves, ends of line and cut data, decoded into
// pixels that already hold something: the bytes the data skips keep it, and a failure leaves what
// was decoded before it.
TEST(Rle8Decode, StagedRowsMatchThePlainDecoder) {
    std::mt19937 rng(2024);
    int failures = 0;
    for (int round = 0; round < 3000; ++round) {
        const uint32_t width = 1 + rng() % 300, height = 1 + rng() % 6;
        TBytes data;
        const int codes = 1 + static_cast<int>(rng() % 40);
        for (int k = 0; k < codes; ++k) {
            const uint32_t kind = rng() % 10;
            if (kind < 5) {
                const uint32_t n = rng() % 4 == 0 ? 1 + rng() % 255 : 1 + rng() % 20;
                data.insert(data.end(), {uint8_t(n), uint8_t(rng())});
            } else if (kind < 8) {
                const uint32_t n = rng() % 4 == 0 ? 3 + rng() % 253 : 3 + rng() % 30;
                data.insert(data.end(), {0, uint8_t(n)});
                for (uint32_t j = 0; j < (n + 1) / 2 * 2; ++j) data.push_back(uint8_t(rng()));
            } else if (kind == 8) {
                data.insert(data.end(), {0, 0});
            } else {
                data.insert(data.end(), {0, 2, uint8_t(rng() % 12), uint8_t(rng() % 2)});
            }
        }
        if (rng() % 3 == 0) data.resize(rng() % (data.size() + 1));  // cut anywhere
        TBytes want(RowStride(width, 8) * height), got;
        for (size_t j = 0; j < want.size(); ++j) want[j] = uint8_t(0xA0 + j % 7);
        got = want;
        const std::string wantError = Failure([&] { PlainRle8Decode(data, width, height, want); });
        const std::string gotError = Failure([&] { DecodeRLE8(data, width, height, got); });
        failures += !wantError.empty();
        ASSERT_EQ(gotError, wantError) << "round " << round;
        ASSERT_EQ(got, want) << "round " << round;
    }
    EXPECT_GT(failures, 300);  // both endings are well represented
    EXPECT_LT(failures, 2700);
}

TEST(Rle4Decode, Pictures) {
    struct Case {
        const char* name;
        uint32_t w, h;
        TBytes data;
        std::vector<TBytes> want;  // rows of packed nibbles, unpadded
    };
    const Case cases[] = {
        {"run alternates nibbles", 5, 1, {5, 0x12, 0, 1}, {{0x12, 0x12, 0x10}}},
        {"odd width fills the spare nibble", 3, 1, {4, 0x12, 0, 1}, {{0x12, 0x12}}},
        {"run from an odd position", 4, 1, {1, 0x50, 3, 0x12, 0, 1}, {{0x51, 0x21}}},
        {"absolute run", 6, 1, {0, 5, 0x12, 0x34, 0x50, 0, 1, 0x90, 0, 1}, {{0x12, 0x34, 0x59}}},
        {"absolute run of 3 takes one word", 4, 1, {0, 3, 0xAB, 0xC0, 1, 0x70, 0, 1}, {{0xAB, 0xC7}}},
        {"delta to an odd pixel", 4, 2, {0, 2, 3, 1, 1, 0xF0, 0, 1}, {{0, 0}, {0x00, 0x0F}}},
        {"no end of bitmap", 2, 2, {2, 0x34, 0, 0, 1, 0x50}, {{0x34}, {0x50}}},
        {"cut inside an absolute run", 6, 1, {0, 6, 0x12}, {{0x12, 0, 0}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(Decode4(c.w, c.h, c.data), Padded(c.w, 4, c.want));
    }
}

TEST(Rle4Decode, BadDataFails) {
    struct Case {
        const char* name;
        uint32_t w, h;
        TBytes data;
        const char* want;
    };
    const Case cases[] = {
        {"end of line past the last row", 2, 1, {0, 0, 0, 0}, "Bad RLE Data 5"},
        {"delta past the even width", 3, 1, {0, 2, 5, 0}, "Bad RLE Data 6"},
        {"delta past the height", 3, 1, {0, 2, 0, 2}, "Bad RLE Data 6"},
        {"absolute past the even width", 3, 1, {0, 5, 0x12, 0x34, 0x50, 0}, "Bad RLE Data 7"},
        {"absolute after the last row", 4, 1, {0, 0, 0, 3, 0x12, 0x30}, "Bad RLE Data 7"},
        {"run past the even width", 3, 1, {5, 0x12, 0, 1}, "Bad RLE Data 8"},
        {"run after the last row", 3, 1, {0, 2, 0, 1, 1, 0x10}, "Bad RLE Data 8"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(Failure([&] { Decode4(c.w, c.h, c.data); }),
                  std::string("EPxDIBInvalidDIB: Convert4BitRLETo4BitRGB: ") + c.want);
    }
}

TEST(RleDecode, RoutinesFillAnUncompressedRecord) {
    TRecord src(6, -2, 8, kBiRle8, {6, 1, 0, 0, 2, 2, 0, 1});
    src.Infos().Header.biSizeImage = 8;
    DIBInfos dst;
    EXPECT_EQ(Convert(Convert8BitRLETo8BitRGB, src.Infos(), &dst), Padded(6, 8, {{1, 1, 1, 1, 1, 1}, {2, 2}}));
    EXPECT_EQ(dst.Header.biCompression, 0u);
    EXPECT_EQ(dst.Header.biSizeImage, 0u);
    EXPECT_EQ(dst.Header.biHeight, -2);  // rows stay in memory order
    EXPECT_EQ(dst.BitsSize, 16);
    EXPECT_EQ(dst.Colors[3].rgbRed, 77);
    EXPECT_EQ(src.Bytes(), TBytes({6, 1, 0, 0, 2, 2, 0, 1}));  // the source is untouched

    TRecord src4(3, 1, 4, kBiRle4, {3, 0x12, 0, 1});
    EXPECT_EQ(Convert(Convert4BitRLETo4BitRGB, src4.Infos(), &dst), TBytes({0x12, 0x10, 0, 0}));
    EXPECT_EQ(dst.Header.biCompression, 0u);
    EXPECT_EQ(PxTempHeapBytes(), 0);
}

TEST(RleDecode, RoutinesRefuseOtherFormatsAndHugePictures) {
    struct Case {
        void (*convert)(const DIBInfos&, DIBInfos&);
        uint16_t bits;
        uint32_t compression;
        int32_t w, h;
        std::string want;
    };
    const Case cases[] = {
        {Convert8BitRLETo8BitRGB, 8, 0, 1, 1,
         "EPxDIBBadDIBType: Convert8BitRLETo8BitRGB: Invalid Bitcount & Compression Combination"},
        {Convert8BitRLETo8BitRGB, 4, 1, 1, 1,
         "EPxDIBBadDIBType: Convert8BitRLETo8BitRGB: Invalid Bitcount & Compression Combination"},
        {Convert4BitRLETo4BitRGB, 4, 1, 1, 1,
         "EPxDIBBadDIBType: Convert4BitRLETo4BitRGB: Invalid Bitcount & Compression Combination"},
        {Convert8BitRGBTo8BitRLE, 8, 1, 1, 1,
         "EPxDIBBadDIBType: Convert8BitRGBTo8BitRLE: Invalid Bitcount & Compression Combination"},
        {Convert4BitRGBTo4BitRLE, 8, 0, 1, 1,
         "EPxDIBBadDIBType: Convert4BitRGBTo4BitRLE: Invalid Bitcount & Compression Combination"},
        {Convert8BitRLETo8BitRGB, 8, 1, 70000, 70000, "EPxDIBInvalidDIB: Convert8BitRLETo8BitRGB: Invalid Width or Height"},
        {Convert4BitRLETo4BitRGB, 4, 2, 0, 1, "EPxDIBInvalidDIB: Convert4BitRLETo4BitRGB: Invalid Width or Height"},
        {Convert8BitRGBTo8BitRLE, 8, 0, 100, 100, "EPxDIBInvalidDIB: Convert8BitRGBTo8BitRLE: Bits Size Too Small"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.want);
        TRecord src(c.w, c.h, c.bits, c.compression, {0, 1, 0, 0});
        EXPECT_EQ(Failure([&] { Convert(c.convert, src.Infos()); }), c.want);
    }
}

// ---- Encoders ------------------------------------------------------------------------------------

TEST(Rle8Encode, Rows) {
    struct Case {
        const char* name;
        TBytes row, want;
    };
    TBytes ramp255, ramp256;
    for (int i = 0; i < 256; ++i) {
        if (i < 255) ramp255.push_back(uint8_t(i));
        ramp256.push_back(uint8_t(i));
    }
    TBytes wantRamp255 = {0, 255};
    wantRamp255.insert(wantRamp255.end(), ramp255.begin(), ramp255.end());
    wantRamp255.push_back(0);  // pad to a 16-bit boundary
    TBytes wantRamp256 = wantRamp255;
    wantRamp256.insert(wantRamp256.end(), {1, 255});
    const Case cases[] = {
        {"run then literal", {5, 5, 5, 7, 8, 9}, {3, 5, 0, 3, 7, 8, 9, 0}},
        {"two pixels never absolute", {1, 2}, {1, 1, 1, 2}},
        {"literal cut by a pair", {1, 2, 3, 4, 4, 4}, {0, 3, 1, 2, 3, 0, 3, 4}},
        {"short literal before a pair", {1, 2, 2}, {1, 1, 2, 2}},
        {"literal of four", {1, 2, 3, 4}, {0, 4, 1, 2, 3, 4}},
        {"single after a run", {6, 6, 6, 1}, {3, 6, 1, 1}},
        {"literal of 255", ramp255, wantRamp255},
        {"literal of 256", ramp256, wantRamp256},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TBytes pixels = c.row;
        const uint32_t w = static_cast<uint32_t>(c.row.size());
        pixels.resize(RowStride(w, 8), 0xEE);  // padding is not encoded
        TBytes want = c.want;
        want.insert(want.end(), {0, 0, 0, 1});
        EXPECT_EQ(Encode8(w, 1, pixels, 64), want);
    }
}

TEST(Rle8Encode, LongRunsSplitAt255) {
    TBytes pixels(300, 4);
    EXPECT_EQ(Encode8(300, 1, pixels), TBytes({255, 4, 45, 4, 0, 0, 0, 1}));
    pixels.assign(256, 4);
    pixels.push_back(9);
    pixels.resize(RowStride(257, 8));
    // The 256th pixel is a single one after the run and starts the literal that follows it.
    EXPECT_EQ(Encode8(257, 1, pixels), TBytes({255, 4, 1, 4, 1, 9, 0, 0, 0, 1}));
}

TEST(Rle8Encode, WholePictures) {
    // A 1 x 1 picture needs 6 bytes and has 4: it cannot be compressed.
    TRecord one(1, 1, 8, kBiRgb, {7, 0, 0, 0});
    EXPECT_EQ(Failure([&] { Convert(Convert8BitRGBTo8BitRLE, one.Infos()); }),
              "EPxDIBCompressionFailed: Convert8BitRGBTo8BitRLE: Compression Failed");
    TBytes out(8);
    out.resize(EncodeRLE8(one.Bytes(), 1, 1, false, out));
    EXPECT_EQ(out, TBytes({1, 7, 0, 0, 0, 1}));

    TRecord noise(64, 64, 8, kBiRgb, PatternRows(64, 64, 3));
    EXPECT_EQ(Failure([&] { Convert(Convert8BitRGBTo8BitRLE, noise.Infos()); }),
              "EPxDIBCompressionFailed: Convert8BitRGBTo8BitRLE: Compression Failed");
    EXPECT_EQ(PxTempHeapBytes(), 0);

    // A top-down source becomes a bottom-up result.
    TRecord topDown(8, -2, 8, kBiRgb, {1, 1, 1, 1, 1, 1, 1, 1, 2, 2, 2, 2, 2, 2, 2, 2});
    DIBInfos dst;
    EXPECT_EQ(Convert(Convert8BitRGBTo8BitRLE, topDown.Infos(), &dst), TBytes({8, 2, 0, 0, 8, 1, 0, 0, 0, 1}));
    EXPECT_EQ(dst.Header.biHeight, 2);
    EXPECT_EQ(dst.Header.biCompression, kBiRle8);
    EXPECT_EQ(dst.Header.biSizeImage, 10u);
    EXPECT_EQ(dst.BitsSize, 10);
}

TEST(Rle4Encode, Rows) {
    struct Case {
        const char* name;
        uint32_t width;
        TBytes row, want;
    };
    const Case cases[] = {
        {"run of pairs", 6, {0x12, 0x12, 0x12}, {6, 0x12}},
        {"odd width run", 5, {0x33, 0x33, 0x30}, {4, 0x33, 1, 0x30}},
        {"odd width run of equal bytes", 5, {0x30, 0x30, 0x30}, {5, 0x30}},
        {"single byte is a run", 2, {0x45}, {2, 0x45}},
        {"literal of two bytes", 8, {0x12, 0x34, 0x55, 0x55}, {0, 4, 0x12, 0x34, 4, 0x55}},
        {"literal at the end of an odd row", 7, {0x77, 0x77, 0x12, 0x30}, {4, 0x77, 0, 3, 0x12, 0x30}},
        {"last two bytes of an odd row", 3, {0x45, 0x60}, {0, 3, 0x45, 0x60}},
        {"odd literal padded", 6, {0x12, 0x34, 0x56}, {0, 6, 0x12, 0x34, 0x56, 0}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TBytes pixels = c.row;
        pixels.resize(RowStride(c.width, 4), 0x5A);
        TBytes want = c.want;
        want.insert(want.end(), {0, 0, 0, 1});
        EXPECT_EQ(Encode4(c.width, 1, pixels, 64), want);
    }
}

TEST(Rle4Encode, RunsSplitAt127Bytes) {
    TBytes pixels(RowStride(300, 4), 0xAB);
    EXPECT_EQ(Encode4(300, 1, pixels), TBytes({254, 0xAB, 46, 0xAB, 0, 0, 0, 1}));
    TRecord one(1, 1, 4, kBiRgb, {0x70, 0, 0, 0});
    EXPECT_EQ(Failure([&] { Convert(Convert4BitRGBTo4BitRLE, one.Infos()); }),
              "EPxDIBCompressionFailed: Convert4BitRGBTo4BitRLE: Compression Failed");
}

TEST(RleEncode, RoundTripsThroughTheDecoders) {
    struct Case {
        uint32_t w, h, bits;
        bool topDown;
    };
    const Case cases[] = {{16, 7, 8, false}, {41, 5, 8, true}, {255, 4, 8, false}, {1000, 40, 8, false},
                          {33, 9, 4, false}, {77, 5, 4, true}, {256, 3, 4, false}, {999, 40, 4, false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.bits) + " bits, width " + std::to_string(c.w));
        const TBytes pixels = RunsPicture(c.w, c.h, c.bits, c.w + c.h);
        const int32_t height = c.topDown ? -int32_t(c.h) : int32_t(c.h);
        TRecord src(int32_t(c.w), height, uint16_t(c.bits), kBiRgb, pixels);
        DIBInfos encoded{};
        (c.bits == 8 ? Convert8BitRGBTo8BitRLE : Convert4BitRGBTo4BitRLE)(src.Infos(), encoded);
        EXPECT_LT(encoded.BitsSize, int32_t(pixels.size()));
        DIBInfos decoded{};
        (c.bits == 8 ? Convert8BitRLETo8BitRGB : Convert4BitRLETo4BitRGB)(encoded, decoded);
        FreeDIBInfosBits(encoded);
        ASSERT_EQ(decoded.BitsSize, int32_t(pixels.size()));
        // Compare the visible pixels, bottom row first; padding and the spare nibble may differ.
        const size_t stride = RowStride(c.w, c.bits);
        for (uint32_t r = 0; r < c.h; ++r) {
            const uint8_t* want = pixels.data() + (c.topDown ? c.h - 1 - r : r) * stride;
            const uint8_t* got = decoded.Bits + r * stride;
            for (uint32_t x = 0; x < c.w; ++x) {
                const auto pixel = [&](const uint8_t* row) {
                    return c.bits == 8 ? row[x] : (x & 1 ? row[x / 2] & 0x0F : row[x / 2] >> 4);
                };
                ASSERT_EQ(pixel(got), pixel(want)) << "row " << r << " pixel " << x;
            }
        }
        FreeDIBInfosBits(decoded);
    }
}

namespace {

// The RLE8 row state machine one pixel at a time, as plainly as it can be written: the encoder,
// which scans many bytes at once, must give the same bytes.
TBytes PlainRle8Row(const TBytes& row) {
    TBytes out, literal;
    enum { sEmpty, sOne, sRun, sLiteral } state = sEmpty;
    uint8_t v = 0;
    size_t k = 0;
    const auto run = [&](size_t n, uint8_t b) { out.insert(out.end(), {uint8_t(n), b}); };
    const auto flush = [&] {
        if (literal.size() < 3) {
            for (uint8_t b : literal) run(1, b);
            return;
        }
        out.insert(out.end(), {0, uint8_t(literal.size())});
        out.insert(out.end(), literal.begin(), literal.end());
        if (literal.size() & 1) out.push_back(0);
    };
    for (const uint8_t p : row) {
        switch (state) {
        case sEmpty: literal = {p}, state = sOne; break;
        case sOne:
            if (p == literal[0]) {
                v = p, k = 2, state = sRun;
            } else {
                literal.push_back(p), state = sLiteral;
            }
            break;
        case sRun:
            if (k >= 255 || p != v) {
                run(k, v), literal = {p}, state = sOne;
            } else {
                ++k;
            }
            break;
        case sLiteral:
            if (literal.size() < 255 && p != literal.back()) {
                literal.push_back(p);
            } else if (p == literal.back()) {
                literal.pop_back(), flush(), v = p, k = 2, state = sRun;
            } else {
                flush(), literal = {p}, state = sOne;
            }
            break;
        }
    }
    if (state == sOne) run(1, literal[0]);
    if (state == sRun) run(k, v);
    if (state == sLiteral) flush();
    out.insert(out.end(), {0, 0});
    return out;
}

}  // namespace

// Runs and literal stretches of every short length, around 64 and 128 and around the 255 limit,
// starting at every offset within sixteen bytes, so that each scan stops on each byte of a vector
// and stretches cross the 64-bit words of the repeat map.
TEST(Rle8Encode, ScansStopWhereThePlainStateMachineStops) {
    std::vector<size_t> lengths;
    for (size_t n = 1; n <= 19; ++n) lengths.push_back(n);
    for (size_t n = 62; n <= 67; ++n) lengths.push_back(n);
    for (size_t n = 127; n <= 130; ++n) lengths.push_back(n);
    for (size_t n = 253; n <= 258; ++n) lengths.push_back(n);
    for (size_t lead = 0; lead < 16; ++lead) {
        for (const bool literalFirst : {false, true}) {
            TBytes row(lead, 200);
            uint8_t colour = 0;
            for (size_t i = 0; i < lengths.size() * 2; ++i) {
                const size_t n = lengths[(i * 7 + lead) % lengths.size()];
                const bool literal = (i % 2 == 0) == literalFirst;
                for (size_t j = 0; j < n; ++j) row.push_back(literal ? uint8_t(colour + 1 + j % 3) : colour);
                colour = uint8_t(colour + 50);
            }
            SCOPED_TRACE(std::to_string(lead) + (literalFirst ? " literal first" : " run first"));
            const uint32_t w = static_cast<uint32_t>(row.size());
            TBytes pixels = row;
            pixels.resize(RowStride(w, 8), row.back());  // padding equal to the last pixel is not a run
            TBytes want = PlainRle8Row(row);
            want.insert(want.end(), {0, 1});
            EXPECT_EQ(Encode8(w, 1, pixels, 2 * w), want);
        }
    }
}
