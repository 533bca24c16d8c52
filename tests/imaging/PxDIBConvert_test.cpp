// The conversion routines over DIB records, and the storage's SetPixelsFormat and
// CreateTrueColorPalette: the conversion matrix, the results' records, and what failures leave.
#include "imaging/PxDIBConvert.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "imaging/BmpBuilder.h"
#include "imaging/PxRender.h"
#include "toolkit/Streams.h"
#include "toolkit/TextUtil.h"

namespace {

const std::wstring kPixelFormatError = L"TPxIntenalDIB.SetPixelsFormat: PixelFormat Error";
constexpr uint32_t kWhiteKey = 0xFFFFFF;

const TPxPixelFormat kFormats[] = {pxf1Bit, pxf4Bit, pxf4BitRLE, pxf8Bit, pxf8BitRLE, pxf24Bit};
const char* const kFormatNames[] = {"pxf1Bit", "pxf4Bit", "pxf4BitRLE", "pxf8Bit", "pxf8BitRLE", "pxf24Bit"};

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

// Four colours in runs of eight pixels, shifted by one run per row: every format holds it exactly
// and both RLE encodings make it smaller. Stored top-down, so that the encoders' flip shows.
const TRgb kBandColours[] = {kWhiteRgb, {200, 40, 40}, {30, 160, 90}, {20, 60, 250}};
TRgb Bands(int x, int y) { return kBandColours[(x / 8 + y) % 4]; }
constexpr int32_t kBandWidth = 29;
constexpr int32_t kBandHeight = -6;

std::vector<TRgb> Bands() {
    std::vector<TRgb> pixels;
    for (int y = 0; y < -kBandHeight; ++y) {
        for (int x = 0; x < kBandWidth; ++x) pixels.push_back(Bands(x, y));
    }
    return pixels;
}

// What 1 bit with a white key makes of a picture.
std::vector<TRgb> KeyedWhite(std::vector<TRgb> pixels) {
    for (TRgb& p : pixels) p = p == kWhiteRgb ? kWhiteRgb : kBlackRgb;
    return pixels;
}

std::unique_ptr<TPxInternalDIB> BandsIn(TPxPixelFormat format) {
    auto dib = Make24(kBandWidth, kBandHeight, [](int x, int y) { return Bands(x, y); });
    if (format != pxf24Bit) dib->SetPixelsFormat(format, 0, {}, kWhiteKey);
    return dib;
}

std::vector<uint8_t> Bytes(const DIBInfos& infos) { return std::vector<uint8_t>(infos.Bits, infos.Bits + infos.BitsSize); }

// A colour-table entry as one number, 0x00RRGGBB.
uint32_t Packed(const TRGBQuad& c) { return uint32_t{c.rgbRed} << 16 | uint32_t{c.rgbGreen} << 8 | c.rgbBlue; }

// All 256 entries of the colour table.
std::vector<uint32_t> Table(const DIBInfos& infos) {
    std::vector<uint32_t> table;
    for (int i = 0; i < 256; ++i) table.push_back(Packed(infos.Colors[i]));
    return table;
}

// A record of the given kind with a pixel store, for calling the routines directly.
struct TRecord {
    DIBInfos Infos{};
    TRecord(int32_t width, int32_t height, uint16_t bitCount, uint32_t compression = kBiRgb) {
        const uint32_t size = static_cast<uint32_t>(RowStride(width, bitCount) * std::abs(height));
        TPxPixelStore(size).MoveTo(Infos);
        Infos.Header.biSize = 40;
        Infos.Header.biWidth = width;
        Infos.Header.biHeight = height;
        Infos.Header.biPlanes = 1;
        Infos.Header.biBitCount = bitCount;
        Infos.Header.biCompression = compression;
    }
    ~TRecord() { FreeDIBInfosBits(Infos); }
    TRecord(const TRecord&) = delete;
    TRecord& operator=(const TRecord&) = delete;
};

// Releases a routine's result when the test ends.
struct TResult {
    DIBInfos Infos{};
    ~TResult() { FreeDIBInfosBits(Infos); }
};

using TRoutineCall = std::function<void(const DIBInfos&, DIBInfos&)>;

}  // namespace

// ---- The routines over records ---------------------------------------------------------------------

TEST(PxDIBConvert, RoutinesRejectSourcesOfTheWrongKindWithTheirOwnMessages) {
    const TPxProgress none;
    struct Case {
        TRoutineCall call;
        uint16_t wrongBits;
        uint32_t wrongCompression;
        const wchar_t* message;
    };
    const Case cases[] = {
        {[](auto& s, auto& d) { Convert1BitRGBTo4BitRGB(s, d); }, 4, kBiRgb,
         L"Convert1BitRGBTo4BitRGB: Invalid Bitcount & Compression Combination"},
        {[](auto& s, auto& d) { Convert1BitRGBTo8BitRGB(s, d); }, 8, kBiRgb,
         L"Convert1BitRGBTo8BitRGB: Invalid Bitcount & Compression Combination"},
        {[](auto& s, auto& d) { Convert4BitRGBTo8BitRGB(s, d); }, 4, kBiRle4,
         L"Convert4BitRGBTo8BitRGB: Invalid Bitcount & Compression Combination"},
        {[](auto& s, auto& d) { Convert1BitRGBToTrueColor(s, d); }, 24, kBiRgb,
         L"Convert1BitRGBToTrueColor: Invalid Bitcount & Compression Combination"},
        {[](auto& s, auto& d) { Convert4BitRGBToTrueColor(s, d); }, 8, kBiRgb,
         L"Convert4BitRGBToTrueColor: Invalid Bitcount & Compression Combination"},
        {[](auto& s, auto& d) { Convert8BitRGBToTrueColor(s, d); }, 8, kBiRle8,
         L"Convert8BitRGBToTrueColor: Invalid Bitcount & Compression Combination"},
        {[&](auto& s, auto& d) { Convert8BitRGBTo4BitRGB(s, d, none); }, 8, kBiRle8,
         L"Convert8BitRGBTo4BitRGB: Invalid Bitcount or Compression"},
        {[](auto& s, auto& d) { ConvertTrueColorTo1BitRGB(s, d, kWhiteKey); }, 8, kBiRgb,
         L"ConvertTrueColorTo1BitRGB: Invalid Bitcount"},
        {[](auto& s, auto& d) { Convert8BitTo1BitRGB(s, d, kWhiteKey); }, 4, kBiRgb,
         L"Convert8BitTo1BitRGB: Invalid Bitcount or Compression"},
        {[](auto& s, auto& d) { Convert4BitRGBTo1BitRGB(s, d, kWhiteKey); }, 1, kBiRgb,
         L"Convert4BitRGBTo1BitRGB: Invalid Bitcount"},
        {[&](auto& s, auto& d) { ConvertTrueColorTo8BitRGBLow(s, d, none); }, 8, kBiRgb,
         L"ConvertTrueColorTo8BitRGBLow: Invalid Bitcount"},
        {[&](auto& s, auto& d) { ConvertTrueColorTo4BitRGBLow(s, d, none); }, 4, kBiRgb,
         L"ConvertTrueColorTo4BitRGBLow: Invalid Bitcount"},
        {[&](auto& s, auto& d) { ConvertTrueColorTo8BitRGBHigh(s, d, none); }, 1, kBiRgb,
         L"ConvertTrueColorTo8BitRGBHigh: Invalid Bitcount"},
        {[&](auto& s, auto& d) { ConvertTrueColorTo4BitRGBHigh(s, d, none); }, 8, kBiRle8,
         L"ConvertTrueColorTo4BitRGBHigh: Invalid Bitcount"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(WideToUtf8(c.message));
        TRecord src(5, 3, c.wrongBits, c.wrongCompression);
        const int64_t stores = PxPixelStoreCount();
        DIBInfos dst{};
        dst.Header.biWidth = 77;
        ExpectFailure<EPxDIBBadDIBType>([&] { c.call(src.Infos, dst); }, c.message);
        EXPECT_EQ(dst.Header.biWidth, 77);  // the destination is written only on success
        EXPECT_EQ(dst.Bits, nullptr);
        EXPECT_EQ(PxPixelStoreCount(), stores);
    }
}

TEST(PxDIBConvert, SourcesWhoseSizeAndPixelsDisagreeAreInvalid) {
    struct Case {
        const char* name;
        int32_t width, height;
        int32_t bitsSizeDelta;  // added to the store's true size in the record
        const wchar_t* message;
    };
    const Case cases[] = {
        {"one byte short", 5, 3, -1, L"Convert8BitRGBToTrueColor: Invalid Bits Size"},
        {"no rows", 5, 0, 0, L"Convert8BitRGBToTrueColor: Invalid Width or Height"},
        {"negative width", -5, 3, 0, L"Convert8BitRGBToTrueColor: Invalid Width or Height"},
        {"height INT32_MIN", 5, INT32_MIN, 0, L"Convert8BitRGBToTrueColor: Invalid Width or Height"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TRecord src(5, 3, 8);
        src.Infos.Header.biWidth = c.width;
        src.Infos.Header.biHeight = c.height;
        src.Infos.BitsSize += c.bitsSizeDelta;
        TResult dst;
        ExpectFailure<EPxDIBInvalidDIB>([&] { Convert8BitRGBToTrueColor(src.Infos, dst.Infos); }, c.message);
        src.Infos.BitsSize -= c.bitsSizeDelta;
    }
}

TEST(PxDIBConvert, AResultTooLargeForARecordFailsBeforeAnyStoreIsTaken) {
    // 65536 x 16384 at 1 bit is 128 MB; at 24 bits it would be 3 GB, more than a record can say.
    // The source's pixels are never read: the size is refused first.
    uint8_t byte = 0;
    DIBInfos src{};
    src.Header.biWidth = 65536;
    src.Header.biHeight = 16384;
    src.Header.biBitCount = 1;
    src.Header.biClrUsed = 2;
    src.Bits = &byte;
    src.BitsSize = 8192 * 16384;
    const int64_t stores = PxPixelStoreCount();
    DIBInfos dst{};
    ExpectFailure<EOutOfResources>([&] { Convert1BitRGBToTrueColor(src, dst); },
                                   L"Convert1BitRGBToTrueColor: Bitmap Too Large");
    EXPECT_EQ(PxPixelStoreCount(), stores);
}

TEST(PxDIBConvert, ResultIsACopyOfTheSourceRecordWithAStoreOfItsOwn) {
    TRecord src(6, -3, 8);
    src.Infos.Header.biXPelsPerMeter = 2835;
    src.Infos.Header.biClrImportant = 3;
    src.Infos.Header.biSizeImage = 999;
    src.Infos.Header.biClrUsed = 3;
    for (int i = 0; i < 256; ++i) src.Infos.Colors[i] = TRGBQuad{uint8_t(i), uint8_t(255 - i), uint8_t(i * 7), 0};
    src.Infos.Colors[2] = TRGBQuad{255, 255, 255, 0};
    for (int y = 0; y < 3; ++y) {
        for (int x = 0; x < 6; ++x) RowOf(src.Infos, y)[x] = static_cast<uint8_t>((x + y) % 3);
    }
    const std::vector<uint8_t> srcBytes = Bytes(src.Infos);
    const std::vector<TRgb> picture = Render(src.Infos);

    {
        SCOPED_TRACE("widening keeps the colour table and its count");
        TResult dst;
        Convert8BitRGBToTrueColor(src.Infos, dst.Infos);
        const TBitmapInfoHeader& h = dst.Infos.Header;
        EXPECT_NE(dst.Infos.Bits, src.Infos.Bits);
        EXPECT_NE(dst.Infos.SectionHandle, src.Infos.SectionHandle);
        EXPECT_EQ(dst.Infos.BitsSize, 20 * 3);
        EXPECT_EQ(h.biBitCount, 24);
        EXPECT_EQ(h.biCompression, kBiRgb);
        EXPECT_EQ(h.biSizeImage, 0u);
        EXPECT_EQ(h.biHeight, -3);  // rows keep their order
        EXPECT_EQ(h.biXPelsPerMeter, 2835);
        EXPECT_EQ(h.biClrImportant, 3u);
        EXPECT_EQ(h.biClrUsed, 3u);
        EXPECT_EQ(Table(dst.Infos), Table(src.Infos));
        EXPECT_EQ(Render(dst.Infos), picture);
    }
    {
        SCOPED_TRACE("to 1 bit: a new table of black and white, the rest cleared");
        TResult dst;
        Convert8BitTo1BitRGB(src.Infos, dst.Infos, kWhiteKey);
        EXPECT_EQ(dst.Infos.Header.biBitCount, 1);
        EXPECT_EQ(dst.Infos.Header.biClrUsed, 2u);
        std::vector<uint32_t> want(256, 0);
        want[1] = 0xFFFFFF;
        EXPECT_EQ(Table(dst.Infos), want);
        EXPECT_EQ(Render(dst.Infos), KeyedWhite(picture));
    }
    {
        SCOPED_TRACE("reduction: the count of colours made, the rest cleared");
        TResult dst;
        int steps = 0;
        Convert8BitRGBTo4BitRGB(src.Infos, dst.Infos, [&] { ++steps; });
        EXPECT_EQ(steps, 16);
        EXPECT_EQ(dst.Infos.Header.biBitCount, 4);
        EXPECT_EQ(dst.Infos.Header.biClrUsed, 3u);
        EXPECT_EQ(dst.Infos.BitsSize, 4 * 3);
        for (int i = 3; i < 256; ++i) ASSERT_EQ(Packed(dst.Infos.Colors[i]), 0u) << i;
        EXPECT_EQ(Render(dst.Infos), picture);
    }
    EXPECT_EQ(Bytes(src.Infos), srcBytes);  // the source is left alone
}

TEST(PxDIBConvert, EightToFourBitsWeighsEveryColourEntryWhateverTheCount) {
    // biClrUsed says 2, but the pixels also use entry 7, which holds red: it must survive.
    TRecord src(4, 1, 8);
    src.Infos.Header.biClrUsed = 2;
    src.Infos.Colors[1] = TRGBQuad{255, 255, 255, 0};
    src.Infos.Colors[7] = TRGBQuad{0, 0, 255, 0};
    const uint8_t indices[] = {0, 1, 7, 7};
    std::memcpy(src.Infos.Bits, indices, 4);
    TResult dst;
    Convert8BitRGBTo4BitRGB(src.Infos, dst.Infos, {});
    EXPECT_EQ(dst.Infos.Header.biClrUsed, 3u);
    const std::vector<TRgb> want = {kBlackRgb, kWhiteRgb, {255, 0, 0}, {255, 0, 0}};
    EXPECT_EQ(Render(dst.Infos), want);
}

// ---- SetPixelsFormat -------------------------------------------------------------------------------

TEST(PxSetPixelsFormat, EveryCellReachesItsFormatShowsThePictureAndComesBack) {
    const std::vector<TRgb> bands = Bands();
    for (TPxPixelFormat from : kFormats) {
        for (TPxPixelFormat to : kFormats) {
            if (from == to) continue;
            for (int method : {0, 1}) {
                SCOPED_TRACE(std::string(kFormatNames[from]) + " -> " + kFormatNames[to] + " method " +
                             std::to_string(method));
                const std::vector<TRgb> source = from == pxf1Bit ? KeyedWhite(bands) : bands;
                auto dib = BandsIn(from);
                const int64_t stores = PxPixelStoreCount();
                dib->SetPixelsFormat(to, method, {}, kWhiteKey);
                ASSERT_EQ(dib->GetPixelFormat(), to);
                EXPECT_EQ(PxPixelStoreCount(), stores);  // the old store went, the result's came
                EXPECT_EQ(dib->Width(), kBandWidth);
                EXPECT_EQ(dib->Height(), -kBandHeight);
                EXPECT_TRUE(dib->PaletteChanged());
                EXPECT_EQ(Render(dib->Infos()), to == pxf1Bit ? KeyedWhite(source) : source);
                if (to == pxf1Bit) continue;  // 1 bit keeps only the key colour
                dib->SetPixelsFormat(from, method, {}, kWhiteKey);
                ASSERT_EQ(dib->GetPixelFormat(), from);
                EXPECT_EQ(Render(dib->Infos()), source);
            }
        }
    }
}

TEST(PxSetPixelsFormat, NoneCellsUnknownTargetsAndBadMethodsRaiseTheAssertion) {
    struct Case {
        const char* name;
        TPxPixelFormat from;
        int target;
        int method;
    };
    std::vector<Case> cases = {
        {"target 6", pxf8Bit, 6, 0},
        {"target 255", pxf24Bit, 255, 0},
        {"24 -> 8 method 2", pxf24Bit, pxf8Bit, 2},
        {"24 -> 8 method -1", pxf24Bit, pxf8Bit, -1},
        {"24 -> 4BitRLE method 2", pxf24Bit, pxf4BitRLE, 2},
        {"24 -> 4 method 256", pxf24Bit, pxf4Bit, 256},
    };
    for (TPxPixelFormat f : kFormats) cases.push_back({kFormatNames[f], f, f, 0});
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto dib = BandsIn(c.from);
        const uint8_t* bits = dib->Infos().Bits;
        const std::vector<uint8_t> bytes = Bytes(dib->Infos());
        dib->ClearPaletteChanged();
        int steps = 0;
        ExpectFailure<EPxDIBAssert>(
            [&] { dib->SetPixelsFormat(static_cast<TPxPixelFormat>(c.target), c.method, [&] { ++steps; }, kWhiteKey); },
            kPixelFormatError);
        EXPECT_EQ(steps, 0);
        EXPECT_EQ(dib->GetPixelFormat(), c.from);
        EXPECT_EQ(dib->Infos().Bits, bits);
        EXPECT_EQ(Bytes(dib->Infos()), bytes);
        EXPECT_FALSE(dib->PaletteChanged());
    }
    // The method matters only to reductions of true colour.
    auto dib = BandsIn(pxf8Bit);
    dib->SetPixelsFormat(pxf24Bit, 7, {}, kWhiteKey);
    EXPECT_EQ(dib->GetPixelFormat(), pxf24Bit);
}

TEST(PxSetPixelsFormat, AFailingRoutineReleasesEveryStoreAndKeepsThePicture) {
    {
        SCOPED_TRACE("24 -> 8BitRLE: the reduction works, the encoder fails");
        auto dib = Make24(32, 16, NoiseRgb);
        const uint8_t* bits = dib->Infos().Bits;
        const std::vector<uint8_t> bytes = Bytes(dib->Infos());
        dib->ClearPaletteChanged();
        const int64_t stores = PxPixelStoreCount();
        int64_t during = -1;
        ExpectFailure<EPxDIBCompressionFailed>(
            [&] { dib->SetPixelsFormat(pxf8BitRLE, 0, [&] { during = PxPixelStoreCount(); }, kWhiteKey); },
            L"Convert8BitRGBTo8BitRLE: Compression Failed");
        EXPECT_EQ(during, stores + 1);  // the reduction's result
        EXPECT_EQ(PxPixelStoreCount(), stores);
        EXPECT_EQ(dib->GetPixelFormat(), pxf24Bit);
        EXPECT_EQ(dib->Infos().Bits, bits);
        EXPECT_EQ(Bytes(dib->Infos()), bytes);
        EXPECT_EQ(dib->Infos().Header.biClrUsed, 0u);
        EXPECT_FALSE(dib->PaletteChanged());
    }
    {
        SCOPED_TRACE("8BitRLE -> 4BitRLE: decoded, reduced, and the encoder fails");
        // Sixteen colours in noise, written as absolute runs: the file may say RLE8 however large.
        constexpr int kWidth = 16, kHeight = 8;
        TBmpLayout layout;
        layout.width = kWidth;
        layout.height = kHeight;
        layout.bitCount = 8;
        layout.compression = kBiRle8;
        layout.clrUsed = 16;
        layout.colors = ColorQuads(16);
        for (int y = 0; y < kHeight; ++y) {
            layout.pixels.push_back(0);
            layout.pixels.push_back(kWidth);
            for (int x = 0; x < kWidth; ++x) layout.pixels.push_back(NoiseRgb(x, y).g % 16);
            layout.pixels.push_back(0);
            layout.pixels.push_back(0);
        }
        layout.pixels.push_back(0);
        layout.pixels.push_back(1);
        TPxInternalDIB dib;
        TMemoryStream s;
        const TBytes file = BuildBmp(layout);
        s.LoadFromBuffer(file.data(), file.size());
        dib.LoadFromStream(s);
        ASSERT_EQ(dib.GetPixelFormat(), pxf8BitRLE);
        const std::vector<TRgb> picture = Render(dib.Infos());
        const uint8_t* bits = dib.Infos().Bits;
        const int64_t stores = PxPixelStoreCount();
        int64_t during = -1;
        ExpectFailure<EPxDIBCompressionFailed>(
            [&] { dib.SetPixelsFormat(pxf4BitRLE, 0, [&] { during = PxPixelStoreCount(); }, kWhiteKey); },
            L"Convert4BitRGBTo4BitRLE: Compression Failed");
        EXPECT_EQ(during, stores + 2);  // the decoded picture and the reduction's result
        EXPECT_EQ(PxPixelStoreCount(), stores);
        EXPECT_EQ(dib.GetPixelFormat(), pxf8BitRLE);
        EXPECT_EQ(dib.Infos().Bits, bits);
        EXPECT_EQ(Render(dib.Infos()), picture);
        // Without the encoder the same picture converts, exactly: sixteen colours fit four bits.
        dib.SetPixelsFormat(pxf4Bit, 0, {}, kWhiteKey);
        EXPECT_EQ(Render(dib.Infos()), picture);
        EXPECT_EQ(PxPixelStoreCount(), stores);
    }
    {
        SCOPED_TRACE("a progress callback that raises");
        auto dib = Make24(32, 16, NoiseRgb);
        const std::vector<uint8_t> bytes = Bytes(dib->Infos());
        const int64_t stores = PxPixelStoreCount();
        int steps = 0;
        const auto cancel = [&] {
            if (++steps == 100) throw Exception(L"cancelled");
        };
        EXPECT_THROW(dib->SetPixelsFormat(pxf8Bit, 1, cancel, kWhiteKey), Exception);
        EXPECT_EQ(PxPixelStoreCount(), stores);
        EXPECT_EQ(dib->GetPixelFormat(), pxf24Bit);
        EXPECT_EQ(Bytes(dib->Infos()), bytes);
    }
}

TEST(PxSetPixelsFormat, ASharedStorageIsNotChanged) {
    auto dib = BandsIn(pxf8Bit);
    dib->AddRef();
    const uint8_t* bits = dib->Infos().Bits;
    const int64_t stores = PxPixelStoreCount();
    ExpectFailure<EPxDIBAssert>([&] { dib->SetPixelsFormat(pxf24Bit, 0, {}, kWhiteKey); },
                                L"TPxInternalDIB.UpdatePalette: RefCount Must be 1");
    EXPECT_EQ(dib->GetPixelFormat(), pxf8Bit);
    EXPECT_EQ(dib->Infos().Bits, bits);
    EXPECT_EQ(PxPixelStoreCount(), stores);
    dib->DecRef();
}

// ---- CreateTrueColorPalette --------------------------------------------------------------------------

TEST(PxCreateTrueColorPalette, MakesATableOfThePictureColoursAndLeavesThePixels) {
    const TRgb colours[] = {{250, 10, 10}, {10, 250, 10}, {10, 10, 250}};
    for (int method : {0, 1}) {
        SCOPED_TRACE(method);
        auto dib = Make24(9, 4, [&](int x, int) { return colours[x % 3]; });
        const std::vector<uint8_t> bytes = Bytes(dib->Infos());
        dib->ClearPaletteChanged();
        int steps = 0;
        dib->CreateTrueColorPalette(method, [&] { ++steps; });
        EXPECT_EQ(steps, 256);
        ASSERT_EQ(dib->Infos().Header.biClrUsed, 3u);
        std::vector<TRgb> table;
        for (int i = 0; i < 3; ++i) {
            const TRGBQuad& c = dib->Infos().Colors[i];
            table.push_back(TRgb{c.rgbRed, c.rgbGreen, c.rgbBlue});
        }
        for (const TRgb& c : colours) EXPECT_NE(std::find(table.begin(), table.end(), c), table.end());
        EXPECT_EQ(dib->GetPixelFormat(), pxf24Bit);
        EXPECT_EQ(Bytes(dib->Infos()), bytes);
        EXPECT_TRUE(dib->PaletteChanged());
    }
}

TEST(PxCreateTrueColorPalette, AnyOtherMethodLeavesNoColourTable) {
    auto dib = BandsIn(pxf4Bit);
    dib->SetPixelsFormat(pxf24Bit, 0, {}, kWhiteKey);  // widening keeps the four colours
    ASSERT_EQ(dib->Infos().Header.biClrUsed, 4u);
    int steps = 0;
    dib->CreateTrueColorPalette(2, [&] { ++steps; });
    EXPECT_EQ(dib->Infos().Header.biClrUsed, 0u);
    EXPECT_EQ(steps, 0);
}

TEST(PxCreateTrueColorPalette, OnlyForTrueColourAndUnsharedStorages) {
    for (TPxPixelFormat f : {pxf1Bit, pxf4BitRLE, pxf8Bit}) {
        SCOPED_TRACE(kFormatNames[f]);
        auto dib = BandsIn(f);
        const uint32_t colours = dib->Infos().Header.biClrUsed;
        ExpectFailure<EPxDIBBadDIBType>([&] { dib->CreateTrueColorPalette(0); },
                                        L"TPxInternalDIB.CreateTrueColorPalette: Bad DIB Type");
        EXPECT_EQ(dib->Infos().Header.biClrUsed, colours);
    }
    auto dib = BandsIn(pxf24Bit);
    dib->AddRef();
    ExpectFailure<EPxDIBAssert>([&] { dib->CreateTrueColorPalette(0); },
                                L"TPxInternalDIB.UpdatePalette: RefCount Must be 1");
    EXPECT_EQ(dib->Infos().Header.biClrUsed, 0u);
    dib->DecRef();
}
