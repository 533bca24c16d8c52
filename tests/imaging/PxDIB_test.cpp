#include "imaging/PxDIB.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>

#include "imaging/BmpBuilder.h"
#include "toolkit/Streams.h"
#include "toolkit/TextUtil.h"

namespace {

void Load(TPxInternalDIB& dib, const TBytes& bytes) {
    TMemoryStream s;
    s.LoadFromBuffer(bytes.data(), bytes.size());
    dib.LoadFromStream(s);
}

TBytes Save(const TPxInternalDIB& dib) {
    TMemoryStream s;
    dib.SaveToStream(s);
    return TBytes(s.Memory(), s.Memory() + s.Length());
}

TBytes Pixels(const TPxInternalDIB& dib) {
    const DIBInfos& i = dib.Infos();
    return TBytes(i.Bits, i.Bits + i.BitsSize);
}

// Expects fn to raise exception class E with exactly the given message.
template <class E>
void ExpectFailure(const std::function<void()>& fn, const std::wstring& message) {
    try {
        fn();
        ADD_FAILURE() << "nothing was raised; expected " << WideToUtf8(message);
    } catch (const E& e) {
        EXPECT_EQ(WideToUtf8(e.Message()), WideToUtf8(message));
    } catch (const Exception& e) {
        ADD_FAILURE() << "raised " << e.ClassName() << ": " << e.what();
    }
}

std::wstring W(const std::string& s) { return Utf8ToWide(s); }

TBytes Prefix(const TBytes& bytes, size_t n) { return TBytes(bytes.begin(), bytes.begin() + n); }

}  // namespace

TEST(PxInternalDIB, FreshStorageIsOneBlackPixelWithTwoColours) {
    TPxInternalDIB dib;
    EXPECT_EQ(dib.RefCount(), 1);
    EXPECT_EQ(dib.Width(), 1);
    EXPECT_EQ(dib.Height(), 1);
    const DIBInfos& i = dib.Infos();
    EXPECT_EQ(i.Header.biSize, 40u);
    EXPECT_EQ(i.Header.biBitCount, 8);
    EXPECT_EQ(i.Header.biPlanes, 1);
    EXPECT_EQ(i.Header.biClrUsed, 2u);
    EXPECT_EQ(i.BitsSize, 4);
    EXPECT_EQ(Pixels(dib), TBytes(4, 0));
    EXPECT_EQ(i.Colors[0].rgbRed | i.Colors[1].rgbGreen | i.Colors[1].rgbBlue, 0);
    EXPECT_TRUE(dib.PaletteChanged());
    EXPECT_EQ(dib.GetPixelFormat(), pxf8Bit);
}

TEST(PxInternalDIB, CreateDIBChecksParametersAndSizesRows) {
    struct Case {
        const char* name;
        int32_t w, h, colours, bits;
        int32_t wantSize;  // -1: invalid parameters
    };
    const Case cases[] = {
        {"1 bit odd width", 33, 2, 2, 1, 16},
        {"4 bit top-down", 3, -2, 16, 4, 8},
        {"8 bit", 5, 3, 256, 8, 24},
        {"24 bit padded", 5, 1, 0, 24, 16},
        {"width 0", 0, 1, 0, 8, -1},
        {"negative width", -3, 1, 0, 8, -1},
        {"height 0", 3, 0, 0, 8, -1},
        {"257 colours", 3, 1, 257, 8, -1},
        {"negative colours", 3, 1, -1, 8, -1},
        {"16 bits", 3, 1, 0, 16, -1},
        {"larger than 2 GB", 50000, 50000, 0, 24, -1},
        {"most negative height", 1, INT32_MIN, 0, 8, -1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TPxInternalDIB dib;
        if (c.wantSize < 0) {
            ExpectFailure<EPxDIBInvalidDIBPara>([&] { dib.CreateDIB(c.w, c.h, c.colours, c.bits); },
                                                L"TPxInternalDIB.CreateDIB: Invalid Parameters");
            EXPECT_EQ(dib.Infos().BitsSize, 4);  // the old picture stays
            continue;
        }
        std::memset(dib.Infos().Colors, 0x55, sizeof dib.Infos().Colors);
        dib.ClearPaletteChanged();
        dib.CreateDIB(c.w, c.h, c.colours, c.bits);
        const DIBInfos& i = dib.Infos();
        EXPECT_EQ(i.BitsSize, c.wantSize);
        EXPECT_EQ(Pixels(dib), TBytes(c.wantSize, 0));
        EXPECT_EQ(i.Header.biHeight, c.h);
        EXPECT_EQ(dib.Height(), c.h < 0 ? -c.h : c.h);
        EXPECT_EQ(i.Header.biClrUsed, uint32_t(c.colours));
        EXPECT_EQ(i.Header.biSizeImage, 0u);
        EXPECT_EQ(i.Colors[255].rgbRed, 0);
        EXPECT_TRUE(dib.PaletteChanged());
    }
}

TEST(PxInternalDIB, GetPixelFormatMapsBitCountAndCompression) {
    struct Case {
        uint16_t bits;
        uint32_t compression;
        int want;  // -1: fails
        const char* message;
    };
    const Case cases[] = {
        {1, 0, pxf1Bit, ""},
        {1, 1, -1, "TPxInternalDIB.GetPixelFormat: Invalid DIB(1Bit)"},
        {4, 0, pxf4Bit, ""},
        {4, 2, pxf4BitRLE, ""},
        {4, 1, -1, "TPxInternalDIB.GetPixelFormat: Invalid DIB(4Bit)"},
        {8, 0, pxf8Bit, ""},
        {8, 1, pxf8BitRLE, ""},
        {8, 2, -1, "TPxInternalDIB.GetPixelFormat: Invalid DIB(8Bit)"},
        {24, 0, pxf24Bit, ""},
        {24, 3, -1, "TPxInternalDIB.GetPixelFormat: Invalid DIB(24Bit)"},
        {16, 0, -1, "TPxInternalDIB.GetPixelFormat: Invalid DIB(Illegal BitCount)"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.bits) + "/" + std::to_string(c.compression));
        TPxInternalDIB dib;
        dib.Infos().Header.biBitCount = c.bits;
        dib.Infos().Header.biCompression = c.compression;
        if (c.want >= 0) {
            EXPECT_EQ(dib.GetPixelFormat(), c.want);
        } else {
            ExpectFailure<EPxDIBInvalidDIB>([&] { dib.GetPixelFormat(); }, W(c.message));
        }
    }
}

TEST(PxInternalDIB, SharedStorageRefusesChanges) {
    TPxInternalDIB dib;
    dib.AddRef();
    ExpectFailure<EPxDIBAssert>([&] { dib.UpdatePalette(); }, L"TPxInternalDIB.UpdatePalette: RefCount Must be 1");
    // A load into a shared storage fails the same way and leaves the picture alone.
    const TBytes file = BmpSample("1bit_13x3");
    ExpectFailure<EPxDIBAssert>([&] { Load(dib, file); }, L"TPxInternalDIB.UpdatePalette: RefCount Must be 1");
    EXPECT_EQ(dib.Width(), 1);
    EXPECT_EQ(PxTempHeapBytes(), 0);
    EXPECT_EQ(dib.DecRef(), 1);
    dib.ClearPaletteChanged();
    dib.UpdatePalette();
    EXPECT_TRUE(dib.PaletteChanged());
}

TEST(PxPixelStore, ZeroFilledMovableAndReleasedOnce) {
    TPxPixelStore a(10000);
    ASSERT_TRUE(a);
    for (uint32_t i = 0; i < a.Size(); ++i) ASSERT_EQ(a.Bits()[i], 0) << i;
    a.Bits()[9999] = 1;
    TPxPixelStore b(std::move(a));
    EXPECT_FALSE(a);
    DIBInfos infos{};
    b.MoveTo(infos);
    EXPECT_FALSE(b);
    EXPECT_EQ(infos.BitsSize, 10000);
    EXPECT_EQ(infos.Bits[9999], 1);
    TPxPixelStore c = TPxPixelStore::Adopt(infos);
    EXPECT_EQ(infos.Bits, nullptr);
    EXPECT_EQ(infos.BitsSize, 0);
    EXPECT_EQ(c.Size(), 10000u);
    FreeDIBInfosBits(infos);  // nothing left to free

    TPxPixelStore empty(0);  // an empty store still has an address
    EXPECT_NE(empty.Bits(), nullptr);
}

#ifndef _WIN32
// The native stores end against a guard page, so that overruns fault in tests and fuzzing.
TEST(PxPixelStoreDeathTest, WritingPastTheEndFaults) {
    TPxPixelStore store(4000);
    volatile uint8_t* bits = store.Bits();
    bits[3999] = 1;
    EXPECT_DEATH(bits[4000] = 1, "");
}

// Large stores are laid out differently (on huge-page boundaries); every size still starts
// zero-filled, ends at the guard and gives its whole mapping back.
TEST(PxPixelStoreDeathTest, EverySizeEndsAtTheGuardAndStartsCleared) {
    const int64_t stores = PxPixelStoreCount();
    for (const uint32_t size : {4096u, (1u << 20) - 4, 1u << 20, (2u << 20) + 4, 36000000u}) {
        SCOPED_TRACE(size);
        TPxPixelStore store(size);
        volatile uint8_t* bits = store.Bits();
        EXPECT_EQ(reinterpret_cast<uintptr_t>(bits) % 4, 0u);
        for (const uint32_t at : {0u, size / 2, size - 1}) EXPECT_EQ(bits[at], 0);
        bits[0] = 1;
        bits[size - 1] = 1;
        EXPECT_DEATH(bits[size] = 1, "");
    }
    EXPECT_EQ(PxPixelStoreCount(), stores);
}
#endif

TEST(PxPixelStore, ReleaseOfAWrongViewFails) {
    TPxFileMap map = GetFileMap(100);
    int other = 0;
    ExpectFailure<EPxDIBAssert>([&] { ReleaseFileMap(map.Handle, &other); },
                                L"ReleaseFileMap: Failed To Unmap View of File map");
    ReleaseFileMap(map.Handle, map.Bits);
}

// ---- BMP reader ----------------------------------------------------------------------------------

TEST(BmpReader, MalformedFilesFailCleanlyAndKeepThePicture) {
    // Pixels only for small pictures: the large ones must fail before their rows are read.
    auto eightBit = [](int32_t w, int32_t h) {
        const int64_t rows = int64_t{(w + 3) / 4 * 4} * (h < 0 ? -int64_t{h} : h);
        return TBmpLayout{.width = w, .height = h, .bitCount = 8, .colors = ColorQuads(256),
                        .pixels = TBytes(rows > 0 && rows < 100000 ? size_t(rows) : 16, 1)};
    };
    struct Case {
        const char* name;
        std::function<TBytes()> file;
        std::string wantClass, wantMessage;
    };
    const std::vector<Case> cases = {
        {"not BM", [&] { auto s = eightBit(2, 2); s.type = 0x4142; return BuildBmp(s); },
         "EPxDIBInvalidDIBFile", "TPxInternalDIB.LoadFromFile: File type is invalid"},
        {"40-byte header, 2 bits",
         [&] { auto s = eightBit(2, 2); s.bitCount = 2; return BuildBmp(s); },
         "EPxDIBInvalidDIB", "TPxInternalDIB.LoadFromStream: Invalid BitCout"},
        {"core header, 16 bits",
         [&] { return BuildBmp({.headerSize = 12, .width = 1, .height = 1, .bitCount = 16, .pixels = TBytes(4)}); },
         "EPxDIBInvalidDIB", "TPxInternalDIB.LoadFromStream: Invalid BitCount"},
        {"header size 64", [&] { auto s = eightBit(2, 2); s.headerSize = 64; return BuildBmp(s); },
         "EPxDIBInvalidDIB", "TPxInternalDIB.LoadFromStream: Invalid Bitmap Header Size"},
        {"header size 0", [&] { auto s = eightBit(2, 2); s.headerSize = 0; return BuildBmp(s); },
         "EPxDIBInvalidDIB", "TPxInternalDIB.LoadFromStream: Invalid Bitmap Header Size"},
        {"width 0", [&] { return BuildBmp(eightBit(0, 2)); },
         "EPxDIBInvalidDIB", "TPxInternalDIB.LoadFromStream: Invalid Width or Height"},
        {"negative width", [&] { return BuildBmp(eightBit(-4, 2)); },
         "EPxDIBInvalidDIB", "TPxInternalDIB.LoadFromStream: Invalid Width or Height"},
        {"height 0", [&] { return BuildBmp(eightBit(4, 0)); },
         "EPxDIBInvalidDIB", "TPxInternalDIB.LoadFromStream: Invalid Width or Height"},
        {"no planes", [&] { auto s = eightBit(2, 2); s.planes = 0; return BuildBmp(s); },
         "EPxDIBInvalidDIB", "TPxInternalDIB.LoadFromStream: Invalid Planes"},
        {"two planes", [&] { auto s = eightBit(2, 2); s.planes = 2; return BuildBmp(s); },
         "EPxDIBInvalidDIB", "TPxInternalDIB.LoadFromStream: Invalid Planes"},
        {"core header, three planes",
         [&] {
             return BuildBmp({.headerSize = 12, .width = 1, .height = 1, .planes = 3, .bitCount = 24,
                              .pixels = TBytes(4)});
         },
         "EPxDIBInvalidDIB", "TPxInternalDIB.LoadFromStream: Invalid Planes"},
        {"zero mask",
         [&] {
             TBmpLayout s{.width = 1, .height = 1, .bitCount = 16, .compression = 3, .pixels = TBytes(4)};
             Put32(s.colors, 0xF800), Put32(s.colors, 0), Put32(s.colors, 0x1F);
             return BuildBmp(s);
         },
         "EPxDIBInvalidDIB", "TPxInternalDIB.LoadFromStream: Invalid Masks"},
        {"rows beyond 2 GB", [&] { auto s = eightBit(70000, 40000); s.pixels.clear(); return BuildBmp(s); },
         "EPxDIBInvalidDIB", "TPxInternalDIB.LoadFromStream: Bitmap Too Large"},
        {"most negative height", [&] { auto s = eightBit(4, 1); s.height = INT32_MIN; return BuildBmp(s); },
         "EPxDIBInvalidDIB", "TPxInternalDIB.LoadFromStream: Bitmap Too Large"},
        {"32-bit rows beyond 2 GB",
         [&] { return BuildBmp({.width = 30000, .height = 30000, .bitCount = 32, .pixels = TBytes(16)}); },
         "EPxDIBInvalidDIB", "TPxInternalDIB.LoadFromStream: Bitmap Too Large"},
        {"rows beyond the stream", [&] { auto s = eightBit(400, 400); s.pixels.resize(100); return BuildBmp(s); },
         "EPxDIBInvalidDIB", "TPxInternalDIB.LoadFromStream: Bitmap Data Beyond End of Stream"},
        {"16-bit rows beyond the stream",
         [&] { return BuildBmp({.width = 3, .height = 2, .bitCount = 16, .pixels = TBytes(15)}); },
         "EPxDIBInvalidDIB", "TPxInternalDIB.LoadFromStream: Bitmap Data Beyond End of Stream"},
        {"bfSize beyond the stream",
         [&] { auto s = eightBit(4, 2); s.fileSize = 14 + 40 + 1024 + 8 + 1; return BuildBmp(s); },
         "EPxDIBInvalidDIB", "TPxInternalDIB.LoadFromStream: Bitmap Data Beyond End of Stream"},
        {"RLE bfSize beyond the stream",
         [&] {
             auto s = eightBit(4, 2);
             s.compression = 1;
             s.pixels = {0, 1};
             s.fileSize = 0x7FFFFFF0;
             return BuildBmp(s);
         },
         "EPxDIBInvalidDIB", "TPxInternalDIB.LoadFromStream: Bitmap Data Beyond End of Stream"},
        {"colour count beyond the stream",
         [&] { auto s = eightBit(2, 2); s.clrUsed = 0x40000000; return BuildBmp(s); },
         "EPxDIBInvalidDIB", "TPxInternalDIB.LoadFromStream: Color Data Beyond End of Stream"},
        {"truncated header", [&] { auto f = BuildBmp(eightBit(2, 2)); f.resize(30); return f; },
         "EReadError", ""},
        {"truncated core colours",
         [&] { return BuildBmp({.headerSize = 12, .width = 1, .height = 1, .bitCount = 8, .colors = TBytes(100)}); },
         "EReadError", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TPxInternalDIB dib;
        dib.CreateDIB(3, 5, 16, 4);
        const TBytes before = Save(dib);
        const TBytes file = c.file();
        try {
            Load(dib, file);
            ADD_FAILURE() << "loaded";
        } catch (const Exception& e) {
            EXPECT_EQ(e.ClassName(), c.wantClass);
            if (!c.wantMessage.empty()) {
                EXPECT_EQ(e.what(), c.wantMessage);
            }
        }
        EXPECT_EQ(Save(dib), before);
        EXPECT_EQ(PxTempHeapBytes(), 0);
    }
}

TEST(BmpReader, EightBitWithoutColourCountSavesAllEntries) {
    TBmpLayout s{.width = 3, .height = 2, .bitCount = 8, .colors = ColorQuads(256), .pixels = PatternRows(4, 2, 1)};
    TPxInternalDIB dib;
    Load(dib, BuildBmp(s));
    EXPECT_EQ(dib.Infos().Header.biClrUsed, 256u);
    const TBytes out = Save(dib);
    EXPECT_EQ(out[0], 'B');
    EXPECT_EQ(out[1], 'M');
    EXPECT_EQ(Get32At(out, 6), 0u);      // reserved words
    EXPECT_EQ(Get32At(out, 10), 1078u);  // bfOffBits
    EXPECT_EQ(Get32At(out, 2), 1078u + 8);
    EXPECT_EQ(Get32At(out, 14 + 32), 256u);  // biClrUsed
    EXPECT_EQ(TBytes(out.begin() + 54, out.begin() + 1078), s.colors);
    EXPECT_EQ(TBytes(out.begin() + 1078, out.end()), s.pixels);
}

TEST(BmpReader, SurplusColoursAreSkipped) {
    TBmpLayout s{.width = 2, .height = 1, .bitCount = 8, .clrUsed = 300, .colors = ColorQuads(300),
               .pixels = {9, 8, 7, 6}};
    s.fileSize = 0;  // the rows are read whatever bfSize says
    TPxInternalDIB dib;
    Load(dib, BuildBmp(s));
    EXPECT_EQ(dib.Infos().Header.biClrUsed, 256u);
    EXPECT_EQ(TBytes(reinterpret_cast<const uint8_t*>(dib.Infos().Colors),
                     reinterpret_cast<const uint8_t*>(dib.Infos().Colors) + 1024),
              ColorQuads(256));
    EXPECT_EQ(Pixels(dib), TBytes({9, 8, 7, 6}));
}

TEST(BmpReader, WidensSixteenAndThirtyTwoBitsToTwentyFour) {
    struct Case {
        const char* name;
        TBmpLayout layout;
        TBytes want;  // 24-bit rows
    };
    auto masks = [](uint32_t r, uint32_t g, uint32_t b) {
        TBytes m;
        Put32(m, r), Put32(m, g), Put32(m, b);
        return m;
    };
    TBytes fieldsAndTable = masks(0xFF0000, 0xFF00, 0xFF);
    for (uint8_t v : {10, 20, 30, 0, 40, 50, 60, 0}) fieldsAndTable.push_back(v);
    const Case cases[] = {
        {"555 white and blue",
         {.width = 2, .height = 1, .bitCount = 16, .pixels = {0xFF, 0x7F, 0x1F, 0x00}},
         {0xF8, 0xF8, 0xF8, 0xF8, 0, 0, 0, 0}},
        {"565 bitfields",
         {.width = 1, .height = 2, .bitCount = 16, .compression = 3, .colors = masks(0xF800, 0x07E0, 0x1F),
          .pixels = {0xE0, 0x07, 0, 0, 0x00, 0xF8, 0, 0}},
         {0, 0xFC, 0, 0, 0, 0, 0xF8, 0}},
        {"32 bits", {.width = 1, .height = 1, .bitCount = 32, .pixels = {1, 2, 3, 4}}, {1, 2, 3, 0}},
        {"32-bit bitfields with a colour table",
         {.width = 1, .height = 1, .bitCount = 32, .compression = 3, .clrUsed = 2, .colors = fieldsAndTable,
          .pixels = {1, 2, 3, 4}},
         {1, 2, 3, 0}},
        {"32-bit bitfields, channels swapped",
         {.width = 1, .height = 1, .bitCount = 32, .compression = 3, .colors = masks(0xFF, 0xFF00, 0xFF0000),
          .pixels = {1, 2, 3, 4}},
         {3, 2, 1, 0}},
        {"16-bit top-down keeps its row order",
         {.width = 1, .height = -2, .bitCount = 16, .pixels = {0x1F, 0, 0, 0, 0, 0x7C, 0, 0}},
         {0xF8, 0, 0, 0, 0, 0, 0xF8, 0}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TPxInternalDIB dib;
        Load(dib, BuildBmp(c.layout));
        const DIBInfos& i = dib.Infos();
        EXPECT_EQ(i.Header.biBitCount, 24);
        EXPECT_EQ(i.Header.biCompression, 0u);
        EXPECT_EQ(i.Header.biSizeImage, 0u);
        EXPECT_EQ(i.Header.biHeight, c.layout.height);
        EXPECT_EQ(dib.Height(), std::abs(c.layout.height));
        EXPECT_EQ(Pixels(dib), c.want);
        EXPECT_EQ(i.Header.biClrUsed, c.layout.clrUsed);
        if (c.layout.clrUsed == 2) {
            // The table moved down over the masks.
            EXPECT_EQ(i.Colors[0].rgbBlue, 10);
            EXPECT_EQ(i.Colors[1].rgbRed, 60);
        }
    }
}

// Large temporary buffers come back for the same size, uncleared, while small ones, other sizes
// and buffers past the limits go; the oldest kept buffer makes room for a newer one.
TEST(PxTempBuffer, LargeBuffersAreKeptForTheSameSize) {
    constexpr size_t kMB = size_t{1} << 20;
    PxDropKeptTempBuffers();
    const auto released = [](size_t size) {
        const TPxTempBuffer b(size);
        b.Data()[size - 1] = 0x5A;
        return b.Data();
    };
    uint8_t* const small = released(kMB - 1);
    EXPECT_EQ(PxKeptTempBytes(), 0);
    (void)small;

    uint8_t* const first = released(3 * kMB);
    EXPECT_EQ(PxKeptTempBytes(), int64_t(3 * kMB));
    EXPECT_EQ(PxTempHeapBytes(), 0);  // kept is not alive
    {
        const TPxTempBuffer other(2 * kMB);  // another size gets a buffer of its own
        EXPECT_NE(other.Data(), first);
        const TPxTempBuffer same(3 * kMB);
        EXPECT_EQ(same.Data(), first);
        EXPECT_EQ(same.Data()[3 * kMB - 1], 0x5A);  // handed back as it was left
        EXPECT_EQ(PxKeptTempBytes(), 0);
    }
    EXPECT_EQ(PxKeptTempBytes(), int64_t(5 * kMB));

    // Four at most: a fifth pushes out the oldest (the 3 MB one, released before the 2 MB one).
    for (const size_t mb : {4, 5, 6}) released(mb * kMB);
    EXPECT_EQ(PxKeptTempBytes(), int64_t((2 + 4 + 5 + 6) * kMB));
    // 96 MB in all: 91 MB more pushes out all the others.
    released(91 * kMB);
    EXPECT_EQ(PxKeptTempBytes(), int64_t(91 * kMB));
    released(97 * kMB);  // too large to keep at all
    EXPECT_EQ(PxKeptTempBytes(), int64_t(91 * kMB));

    PxDropKeptTempBuffers();
    EXPECT_EQ(PxKeptTempBytes(), 0);
}

TEST(BmpReader, WideningCountsItsRowBufferAndFreesIt) {
    ResetPxTempHeapPeak();
    const int64_t base = PxTempHeapPeak();
    TPxInternalDIB dib;
    Load(dib, BuildBmp({.width = 101, .height = 2, .bitCount = 16, .pixels = TBytes(204 * 2)}));
    EXPECT_EQ(PxTempHeapPeak() - base, 204);
    EXPECT_EQ(PxTempHeapBytes(), 0);
}

TEST(BmpReader, TopDownAndCorePictures) {
    TBytes triples;
    for (int i = 0; i < 16; ++i) triples.insert(triples.end(), {uint8_t(i), uint8_t(2 * i), uint8_t(3 * i)});
    TPxInternalDIB dib;
    Load(dib, BuildBmp({.headerSize = 12, .width = 3, .height = 2, .bitCount = 4, .colors = triples,
                        .pixels = {0x12, 0x30, 0, 0, 0x45, 0x60, 0, 0}}));
    const DIBInfos& i = dib.Infos();
    EXPECT_EQ(i.Header.biSize, 40u);
    EXPECT_EQ(i.Header.biWidth, 3);
    EXPECT_EQ(i.Header.biHeight, 2);
    EXPECT_EQ(i.Header.biClrUsed, 16u);
    EXPECT_EQ(i.Colors[5].rgbBlue, 5);
    EXPECT_EQ(i.Colors[5].rgbGreen, 10);
    EXPECT_EQ(i.Colors[5].rgbRed, 15);
    EXPECT_EQ(i.Colors[5].rgbReserved, 0);
    EXPECT_EQ(Pixels(dib), TBytes({0x12, 0x30, 0, 0, 0x45, 0x60, 0, 0}));

    Load(dib, BuildBmp({.width = 2, .height = -3, .bitCount = 24, .pixels = PatternRows(8, 3, 4)}));
    EXPECT_EQ(dib.Infos().Header.biHeight, -3);
    EXPECT_EQ(dib.Height(), 3);
    EXPECT_EQ(Pixels(dib), PatternRows(8, 3, 4));
}

TEST(BmpReader, LargerHeadersAreReadAsInformationHeaders) {
    for (uint32_t size : {108u, 124u}) {
        SCOPED_TRACE(size);
        TBmpLayout s{.headerSize = size, .width = 1, .height = 1, .bitCount = 32, .compression = 3,
                   .pixels = {0x11, 0x22, 0x33, 0x44}};
        Put32(s.extraHeader, 0xFF), Put32(s.extraHeader, 0xFF00), Put32(s.extraHeader, 0xFF000000);
        TPxInternalDIB dib;
        Load(dib, BuildBmp(s));
        EXPECT_EQ(dib.Infos().Header.biSize, 40u);
        EXPECT_EQ(dib.Infos().Header.biCompression, 0u);
        EXPECT_EQ(Pixels(dib), TBytes({0x44, 0x22, 0x11, 0}));  // blue from the top byte, red from the low one

        TBmpLayout pal{.headerSize = size, .width = 4, .height = 1, .bitCount = 8, .clrUsed = 2,
                     .colors = ColorQuads(2), .pixels = {1, 0, 1, 1}};
        Load(dib, BuildBmp(pal));
        EXPECT_EQ(dib.Infos().Header.biClrUsed, 2u);
        EXPECT_EQ(dib.Infos().Colors[1].rgbRed, 10);
        EXPECT_EQ(Pixels(dib), pal.pixels);
        EXPECT_EQ(Get32At(Save(dib), 10), 14u + 40 + 8);  // written back with a 40-byte header
    }
}

TEST(BmpReader, PixelDataOffsetIsUsedWhenItPointsFurtherIntoTheFile) {
    struct Case {
        const char* name;
        size_t gap;
        std::optional<uint32_t> offBits;
        TBytes want;
    };
    const TBytes pixels = {1, 2, 3, 4, 5, 6, 7, 8};
    const Case cases[] = {
        {"gap skipped", 5, std::nullopt, pixels},
        {"offset into the colour table ignored", 0, 14 + 40 + 4, pixels},
        {"offset beyond the end ignored", 0, 100000, pixels},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TBmpLayout s{.offBits = c.offBits, .width = 4, .height = 2, .bitCount = 8, .clrUsed = 2,
                   .colors = ColorQuads(2), .gap = TBytes(c.gap, 0xEE), .pixels = pixels};
        TPxInternalDIB dib;
        Load(dib, BuildBmp(s));
        EXPECT_EQ(Pixels(dib), c.want);
    }
}

TEST(BmpReader, UncompressedPicturesAlwaysHoldWholeRows) {
    struct Case {
        const char* name;
        uint32_t fileSize;
    };
    const TBytes pixels = PatternRows(8, 3, 9);
    const Case cases[] = {{"bfSize 0", 0}, {"bfSize one row short", 14 + 40 + 8 + 16}, {"bfSize exact", 14 + 40 + 8 + 24}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TPxInternalDIB dib;
        Load(dib, BuildBmp({.fileSize = c.fileSize, .width = 5, .height = 3, .bitCount = 8, .clrUsed = 2,
                            .colors = ColorQuads(2), .pixels = pixels}));
        EXPECT_EQ(Pixels(dib), pixels);
    }
}

TEST(BmpReader, ReadsFromTheMiddleOfAStream) {
    const TBytes file = BmpSample("8bit_5x4");
    TMemoryStream s;
    s.WriteBuffer("prefix", 6);
    s.WriteBuffer(file.data(), file.size());
    s.WriteBuffer("suffix", 6);
    s.SetPosition(6);
    TPxInternalDIB dib, direct;
    dib.LoadFromStream(s);
    EXPECT_EQ(s.Position(), int64_t(6 + file.size()));
    Load(direct, file);
    EXPECT_EQ(Save(dib), Save(direct));
}

TEST(BmpReader, RleDataStaysCompressedAndIsWrittenBackUnchanged) {
    const TBytes rle = {3, 7, 0, 0, 2, 1, 0, 1};
    struct Case {
        const char* name;
        std::optional<uint32_t> fileSize;
        uint32_t sizeImage;
    };
    const Case cases[] = {
        {"size from bfSize", std::nullopt, 8},
        {"bfSize too small: the rest of the stream", 20, 8},
        {"biSizeImage 0 gets the data length", std::nullopt, 0},
        {"biSizeImage beyond the data is cut to it", std::nullopt, 5000},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TBmpLayout s{.fileSize = c.fileSize, .width = 3, .height = 2, .bitCount = 8, .compression = 1,
                   .sizeImage = c.sizeImage, .clrUsed = 2, .colors = ColorQuads(2), .pixels = rle};
        TPxInternalDIB dib;
        Load(dib, BuildBmp(s));
        EXPECT_EQ(dib.GetPixelFormat(), pxf8BitRLE);
        EXPECT_EQ(Pixels(dib), rle);
        EXPECT_EQ(dib.Infos().Header.biSizeImage, 8u);
        s.fileSize.reset();
        s.sizeImage = 8;
        EXPECT_EQ(Save(dib), BuildBmp(s));
    }
}

TEST(BmpReaderWriter, SamplesRoundTrip) {
    for (const auto& sample : BmpSamples()) {
        SCOPED_TRACE(sample.name);
        TPxInternalDIB dib;
        Load(dib, sample.bytes);
        const TBytes once = Save(dib);
        TPxInternalDIB again;
        Load(again, once);
        EXPECT_EQ(Save(again), once);
        EXPECT_EQ(again.Width(), dib.Width());
        EXPECT_EQ(again.Height(), dib.Height());
        EXPECT_GE(uint64_t(dib.Infos().BitsSize),
                  dib.Infos().Header.biCompression ? 0 : RowStride(dib.Width(), dib.Infos().Header.biBitCount) * dib.Height());
    }
}

// ---- Clipboard reader and writer -----------------------------------------------------------------

TEST(ClipboardData, RoundTripsThroughAPackedDib) {
    for (const auto& sample : BmpSamples()) {
        SCOPED_TRACE(sample.name);
        TPxInternalDIB dib;
        Load(dib, sample.bytes);
        TBytes block(dib.ClipboardDataSize());
        dib.SaveToClipboardData(block);
        TPxInternalDIB back;
        back.LoadFromClipboardData(block.data(), block.size());
        EXPECT_EQ(Save(back), Save(dib));
    }
}

TEST(ClipboardData, ReadsWhatTheFileReaderReads) {
    // A packed DIB is the file without its file header; both readers must agree on it.
    for (const auto& sample : BmpSamples()) {
        if (sample.name == "v5_24bit_gap") continue;  // a packed DIB has no offset to skip its gap
        SCOPED_TRACE(sample.name);
        TPxInternalDIB fromFile, fromBlock;
        Load(fromFile, sample.bytes);
        fromBlock.LoadFromClipboardData(sample.bytes.data() + 14, sample.bytes.size() - 14);
        EXPECT_EQ(Save(fromBlock), Save(fromFile));
    }
}

TEST(ClipboardData, MalformedBlocksFailCleanly) {
    auto packed = [](TBmpLayout s) { return BuildPackedDib(s); };
    const TBmpLayout eight{.width = 3, .height = 2, .bitCount = 8, .clrUsed = 4, .colors = ColorQuads(4),
                         .pixels = TBytes(8, 1)};
    struct Case {
        const char* name;
        TBytes block;
        const char* message;
    };
    TBmpLayout zeroMask{.width = 1, .height = 1, .bitCount = 16, .compression = 3, .pixels = TBytes(4)};
    Put32(zeroMask.colors, 0), Put32(zeroMask.colors, 0x3E0), Put32(zeroMask.colors, 0x1F);
    TBmpLayout twoBits = eight;
    twoBits.bitCount = 2;
    TBmpLayout noWidth = eight;
    noWidth.width = 0;
    TBmpLayout negativeWidth = eight;
    negativeWidth.width = -3;
    TBmpLayout noHeight = eight;
    noHeight.height = 0;
    TBmpLayout twoPlanes = eight;
    twoPlanes.planes = 2;
    TBmpLayout hugeColours = eight;
    hugeColours.clrUsed = 0xFFFFFFF0;
    TBmpLayout shortRows = eight;
    shortRows.pixels.resize(7);
    TBmpLayout shortWide{.width = 3, .height = 2, .bitCount = 32, .pixels = TBytes(23)};
    TBmpLayout huge{.width = 60000, .height = 60000, .bitCount = 8, .colors = ColorQuads(256), .pixels = TBytes(16)};
    TBytes v5Short = packed({.headerSize = 124, .width = 1, .height = 1, .bitCount = 24, .pixels = TBytes(4)});
    v5Short.resize(100);
    const Case cases[] = {
        {"empty", {}, "TPxDIB.LoadFromClipboardFormat: Invalid Clipboard Data"},
        {"header size 20", packed({.headerSize = 20}),
         "TPxDIB.LoadFromClipboardFormat: Invalid Clipboard Data"},
        {"header cut", Prefix(packed(eight), 30),
         "TPxInternalDIB.LoadFromClipboardFormat: Clipboard Data Too Short"},
        {"V5 header cut", v5Short, "TPxInternalDIB.LoadFromClipboardFormat: Clipboard Data Too Short"},
        {"colours cut", Prefix(packed(eight), 50),
         "TPxInternalDIB.LoadFromClipboardFormat: Clipboard Data Too Short"},
        {"colour count beyond the block", packed(hugeColours),
         "TPxInternalDIB.LoadFromClipboardFormat: Clipboard Data Too Short"},
        {"core colours cut", packed({.headerSize = 12, .width = 1, .height = 1, .bitCount = 8, .colors = TBytes(10)}),
         "TPxInternalDIB.LoadFromClipboardFormat: Clipboard Data Too Short"},
        {"rows cut", packed(shortRows), "TPxInternalDIB.LoadFromClipboardFormat: Clipboard Data Too Short"},
        {"32-bit rows cut", packed(shortWide), "TPxInternalDIB.LoadFromClipboardFormat: Clipboard Data Too Short"},
        {"rows beyond 2 GB", packed(huge), "TPxInternalDIB.LoadFromClipboardFormat: Bitmap Too Large"},
        {"width 0", packed(noWidth), "TPxInternalDIB.LoadFromClipboardFormat: Invalid Width or Height"},
        {"negative width", packed(negativeWidth), "TPxInternalDIB.LoadFromClipboardFormat: Invalid Width or Height"},
        {"height 0", packed(noHeight), "TPxInternalDIB.LoadFromClipboardFormat: Invalid Width or Height"},
        {"two planes", packed(twoPlanes), "TPxInternalDIB.LoadFromClipboardFormat: Invalid Planes"},
        {"core header, no planes",
         packed({.headerSize = 12, .width = 1, .height = 1, .planes = 0, .bitCount = 24, .pixels = TBytes(4)}),
         "TPxInternalDIB.LoadFromClipboardFormat: Invalid Planes"},
        {"zero mask", packed(zeroMask), "TPxInternalDIB.LoadFromClipboardFormat: Invalid Masks"},
        {"2 bits", packed(twoBits), "TPxInternalDIB.LoadFromClipboardFormat: Invalid biBitCount"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TPxInternalDIB dib;
        ExpectFailure<EPxDIBInvalidDIB>([&] { dib.LoadFromClipboardData(c.block.data(), c.block.size()); },
                                        W(c.message));
        EXPECT_EQ(dib.Width(), 1);
    }
}

TEST(ClipboardData, WriterNeedsRoomForTheWholeBlock) {
    TPxInternalDIB dib;
    dib.CreateDIB(2, 2, 16, 4);
    EXPECT_EQ(dib.ClipboardDataSize(), 40u + 64 + 8);
    TBytes small(dib.ClipboardDataSize() - 1);
    ExpectFailure<EPxDIBAssert>([&] { dib.SaveToClipboardData(small); },
                                L"TPxInternalDIB.SaveToClipboardFormat: Buffer Too Small");
}

// What the headers alone say is what a full load makes of the file: the same record and bits size,
// or the same failure, for every kind of file the reader accepts and the ways a file can be broken.
TEST(BmpReader, HeadersAloneGiveTheLoadedRecordOrItsFailure) {
    std::vector<TSample> files = BmpSamples();
    auto broken = [&](const char* name, TBmpLayout layout) { files.push_back({name, BuildBmp(layout)}); };
    const TBmpLayout eight{.width = 4, .height = 2, .bitCount = 8, .colors = ColorQuads(256), .pixels = TBytes(8, 1)};
    broken("not BM", [&] { auto s = eight; s.type = 0x4142; return s; }());
    broken("header size 64", [&] { auto s = eight; s.headerSize = 64; return s; }());
    broken("rows beyond the stream", [&] { auto s = eight; s.pixels.resize(5); return s; }());
    broken("zero mask", [] {
        TBmpLayout s{.width = 1, .height = 1, .bitCount = 16, .compression = 3, .pixels = TBytes(4)};
        Put32(s.colors, 0xF800), Put32(s.colors, 0), Put32(s.colors, 0x1F);
        return s;
    }());
    broken("32-bit rows beyond the stream", {.width = 3, .height = 2, .bitCount = 32, .pixels = TBytes(20)});
    files.push_back({"truncated header", Prefix(BuildBmp(eight), 30)});
    auto outcome = [](const std::function<DIBInfos()>& read) -> std::string {
        try {
            const DIBInfos i = read();
            return std::to_string(i.BitsSize) + " " +
                   std::string(reinterpret_cast<const char*>(&i.Header), sizeof i.Header + sizeof i.Colors);
        } catch (const Exception& e) {
            return std::string(e.ClassName()) + ": " + e.what();
        }
    };
    for (const TSample& file : files) {
        SCOPED_TRACE(file.name);
        TMemoryStream s;
        s.LoadFromBuffer(file.bytes.data(), file.bytes.size());
        const std::string headers = outcome([&] {
            const int64_t stores = PxPixelStoreCount();
            DIBInfos i = TPxInternalDIB::ReadBmpInfos(s);
            EXPECT_EQ(PxPixelStoreCount(), stores);
            EXPECT_EQ(i.Bits, nullptr);
            EXPECT_EQ(i.SectionHandle, nullptr);
            return i;
        });
        TPxInternalDIB dib;
        const std::string loaded = outcome([&] {
            s.SetPosition(0);
            dib.LoadFromStream(s);
            return dib.Infos();
        });
        EXPECT_EQ(headers, loaded);
    }
}

// A large 16-bit picture is widened through a table of all values, a small one pixel by pixel:
// every value comes out the same both ways, for the default and for bit-field masks.
TEST(BmpReader, LargeSixteenBitPicturesWidenLikeSmallOnes) {
    struct Case {
        const char* name;
        uint32_t compression;
        uint32_t red, green, blue;
    };
    const Case cases[] = {{"5-5-5", kBiRgb, 0, 0, 0},
                          {"5-6-5", kBiBitfields, 0xF800, 0x07E0, 0x001F},
                          {"4-4-4 high", kBiBitfields, 0xF000, 0x0F00, 0x00F0},
                          {"one bit each", kBiBitfields, 0x0100, 0x0010, 0x0001}};
    // Every 16-bit value once a row: 256 rows of 1024 pixels for the table, 64 rows of 1024 without.
    auto picture = [](const Case& c, int32_t rows) {
        TBmpLayout layout{.width = 1024, .height = rows, .bitCount = 16, .compression = c.compression};
        if (c.compression == kBiBitfields) Put32(layout.colors, c.red), Put32(layout.colors, c.green), Put32(layout.colors, c.blue);
        for (int32_t i = 0; i < 1024 * rows; ++i) Put16(layout.pixels, static_cast<uint16_t>(i * 7 + 3));
        return BuildBmp(layout);
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TPxInternalDIB large, small;
        Load(large, picture(c, 256));
        Load(small, picture(c, 64));
        const TBytes a = Pixels(large), b = Pixels(small);
        ASSERT_EQ(a.size(), 4 * b.size());
        for (size_t part = 0; part < 4; ++part) {
            // Values repeat every 65536 pixels: each quarter of the large picture is the small one.
            EXPECT_TRUE(std::equal(b.begin(), b.end(), a.begin() + part * b.size())) << part;
        }
    }
}
