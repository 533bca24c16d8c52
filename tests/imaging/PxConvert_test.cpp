#include "imaging/PxConvert.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "imaging/PxPictures.h"
#include "toolkit/TextUtil.h"

namespace {

using R = TPxRoutine;

std::vector<TPxColor> Used(const TPxPalette& palette) {
    return std::vector<TPxColor>(palette.Colors.begin(), palette.Colors.begin() + palette.Count);
}

// Runs a routine that makes a palette, counting the progress steps.
struct TReduced {
    std::vector<uint8_t> Bits;
    TPxPalette Palette;
    int Steps = 0;
};

TReduced Reduce(R routine, const TTestPicture& picture) {
    TReduced out;
    out.Bits = TargetFor(routine, picture);
    const TPxProgress step = [&] { ++out.Steps; };
    const TPxSource src = picture.Source();
    switch (routine) {
    case R::ConvertTrueColorTo8BitRGBLow: ConvertTrueColorTo8BitRGBLow(src, out.Bits, out.Palette, step); break;
    case R::ConvertTrueColorTo4BitRGBLow: ConvertTrueColorTo4BitRGBLow(src, out.Bits, out.Palette, step); break;
    case R::ConvertTrueColorTo8BitRGBHigh: ConvertTrueColorTo8BitRGBHigh(src, out.Bits, out.Palette, step); break;
    case R::ConvertTrueColorTo4BitRGBHigh: ConvertTrueColorTo4BitRGBHigh(src, out.Bits, out.Palette, step); break;
    case R::Convert8BitRGBTo4BitRGB: Convert8BitRGBTo4BitRGB(src, out.Bits, out.Palette, step); break;
    case R::CreateTrueColorPaletteLow: out.Palette = CreateTrueColorPaletteLow(src, step); break;
    case R::CreateTrueColorPaletteHigh: out.Palette = CreateTrueColorPaletteHigh(src, step); break;
    default: ADD_FAILURE() << "not a reducing routine";
    }
    return out;
}

// Runs any routine on a source, for the checks every routine makes.
void RunAny(R routine, const TPxSource& src, std::span<uint8_t> dst) {
    TPxPalette palette;
    const TPxProgress none;
    switch (routine) {
    case R::Convert1BitRGBTo4BitRGB: Convert1BitRGBTo4BitRGB(src, dst); break;
    case R::Convert1BitRGBTo8BitRGB: Convert1BitRGBTo8BitRGB(src, dst); break;
    case R::Convert4BitRGBTo8BitRGB: Convert4BitRGBTo8BitRGB(src, dst); break;
    case R::Convert1BitRGBToTrueColor: Convert1BitRGBToTrueColor(src, dst); break;
    case R::Convert4BitRGBToTrueColor: Convert4BitRGBToTrueColor(src, dst); break;
    case R::Convert8BitRGBToTrueColor: Convert8BitRGBToTrueColor(src, dst); break;
    case R::Convert8BitRGBTo4BitRGB: Convert8BitRGBTo4BitRGB(src, dst, palette, none); break;
    case R::ConvertTrueColorTo1BitRGB: ConvertTrueColorTo1BitRGB(src, 0, dst, palette); break;
    case R::Convert8BitTo1BitRGB: Convert8BitTo1BitRGB(src, 0, dst, palette); break;
    case R::Convert4BitRGBTo1BitRGB: Convert4BitRGBTo1BitRGB(src, 0, dst, palette); break;
    case R::ConvertTrueColorTo8BitRGBLow: ConvertTrueColorTo8BitRGBLow(src, dst, palette, none); break;
    case R::ConvertTrueColorTo4BitRGBLow: ConvertTrueColorTo4BitRGBLow(src, dst, palette, none); break;
    case R::ConvertTrueColorTo8BitRGBHigh: ConvertTrueColorTo8BitRGBHigh(src, dst, palette, none); break;
    case R::ConvertTrueColorTo4BitRGBHigh: ConvertTrueColorTo4BitRGBHigh(src, dst, palette, none); break;
    case R::CreateTrueColorPaletteLow: CreateTrueColorPaletteLow(src, none); break;
    case R::CreateTrueColorPaletteHigh: CreateTrueColorPaletteHigh(src, none); break;
    }
}

struct TRoutineCase {
    R Routine;
    uint16_t SourceBits;
    const char* BadType;
};

const TRoutineCase kAllRoutines[] = {
    {R::Convert1BitRGBTo4BitRGB, 1, "Convert1BitRGBTo4BitRGB: Invalid Bitcount & Compression Combination"},
    {R::Convert1BitRGBTo8BitRGB, 1, "Convert1BitRGBTo8BitRGB: Invalid Bitcount & Compression Combination"},
    {R::Convert4BitRGBTo8BitRGB, 4, "Convert4BitRGBTo8BitRGB: Invalid Bitcount & Compression Combination"},
    {R::Convert1BitRGBToTrueColor, 1, "Convert1BitRGBToTrueColor: Invalid Bitcount & Compression Combination"},
    {R::Convert4BitRGBToTrueColor, 4, "Convert4BitRGBToTrueColor: Invalid Bitcount & Compression Combination"},
    {R::Convert8BitRGBToTrueColor, 8, "Convert8BitRGBToTrueColor: Invalid Bitcount & Compression Combination"},
    {R::Convert8BitRGBTo4BitRGB, 8, "Convert8BitRGBTo4BitRGB: Invalid Bitcount or Compression"},
    {R::ConvertTrueColorTo1BitRGB, 24, "ConvertTrueColorTo1BitRGB: Invalid Bitcount"},
    {R::Convert8BitTo1BitRGB, 8, "Convert8BitTo1BitRGB: Invalid Bitcount or Compression"},
    {R::Convert4BitRGBTo1BitRGB, 4, "Convert4BitRGBTo1BitRGB: Invalid Bitcount"},
    {R::ConvertTrueColorTo8BitRGBLow, 24, "ConvertTrueColorTo8BitRGBLow: Invalid Bitcount"},
    {R::ConvertTrueColorTo4BitRGBLow, 24, "ConvertTrueColorTo4BitRGBLow: Invalid Bitcount"},
    {R::ConvertTrueColorTo8BitRGBHigh, 24, "ConvertTrueColorTo8BitRGBHigh: Invalid Bitcount"},
    {R::ConvertTrueColorTo4BitRGBHigh, 24, "ConvertTrueColorTo4BitRGBHigh: Invalid Bitcount"},
    {R::CreateTrueColorPaletteLow, 24, "TPxInternalDIB.CreateTrueColorPalette: Bad DIB Type"},
    {R::CreateTrueColorPaletteHigh, 24, "TPxInternalDIB.CreateTrueColorPalette: Bad DIB Type"},
};

template <class Fn>
void ExpectConvertError(Fn fn, TPxFaultKind kind, const std::string& message) {
    try {
        fn();
        ADD_FAILURE() << "no exception, expected " << message;
    } catch (const EPxConvertError& e) {
        EXPECT_EQ(e.Kind(), kind);
        EXPECT_EQ(WideToUtf8(e.Message()), message);
    }
}

}  // namespace

TEST(PxConvertCheck, WrongBitCountOrCompressionGivesTheRoutinesMessage) {
    for (const TRoutineCase& c : kAllRoutines) {
        SCOPED_TRACE(c.BadType);
        TTestPicture good(3, 2, c.SourceBits);
        good.Colors.assign(16, Rgb(1, 2, 3));
        EXPECT_EQ(CheckSource(c.Routine, good.Source()).Kind, TPxFaultKind::pfkNone);

        for (const uint16_t bits : {1, 4, 8, 16, 24, 32}) {
            if (bits == c.SourceBits)
                continue;
            TTestPicture wrong(3, 2, bits);
            const TPxFault fault = CheckSource(c.Routine, wrong.Source());
            EXPECT_EQ(fault.Kind, TPxFaultKind::pfkBadDIBType) << bits;
            EXPECT_EQ(WideToUtf8(fault.Message), c.BadType) << bits;
        }
        // RLE data is never read as pixels.
        TPxSource compressed = good.Source();
        compressed.Compression = c.SourceBits == 8 ? 1 : 2;
        EXPECT_EQ(WideToUtf8(CheckSource(c.Routine, compressed).Message), c.BadType);

        // The routine raises the same when called on such a source.
        std::vector<uint8_t> dst(4096, 0);
        ExpectConvertError([&] { RunAny(c.Routine, compressed, dst); }, TPxFaultKind::pfkBadDIBType, c.BadType);
    }
}

TEST(PxConvertCheck, SizesThatDoNotFitThePixelsAreRejectedBeforeAnyRead) {
    struct Case {
        const char* name;
        int32_t width, height;
        int shortBy;
        const char* problem;
    };
    const Case cases[] = {
        {"zero width", 0, 2, 0, "Invalid Width or Height"},
        {"negative height", 3, -2, 0, "Invalid Width or Height"},
        {"one byte short of the last row", 5, 3, 1, "Invalid Bits Size"},
        {"huge width", 0x7FFFFFFF, 2, 0, "Invalid Bits Size"},
    };
    for (const TRoutineCase& rc : kAllRoutines) {
        const std::string name = WideToUtf8(PxRoutineName(rc.Routine));
        for (const Case& c : cases) {
            SCOPED_TRACE(name + " / " + c.name);
            TTestPicture picture(5, 3, rc.SourceBits);
            TPxSource src = picture.Source();
            src.Width = c.width;
            src.Height = c.height;
            src.BitsSize -= c.shortBy;
            const std::string message = name + ": " + c.problem;
            EXPECT_EQ(WideToUtf8(CheckSource(rc.Routine, src).Message), message);
            std::vector<uint8_t> dst(4096, 0);
            ExpectConvertError([&] { RunAny(rc.Routine, src, dst); }, TPxFaultKind::pfkInvalidDIB, message);
        }
    }
}

TEST(PxConvertCheck, DestinationSmallerThanTheRoutineWritesIsRefused) {
    for (const TRoutineCase& rc : kAllRoutines) {
        if (PxTargetBitCount(rc.Routine) == 24 && rc.SourceBits == 24)
            continue;  // the palette builders write no pixels
        const std::string name = WideToUtf8(PxRoutineName(rc.Routine));
        SCOPED_TRACE(name);
        TTestPicture picture(7, 3, rc.SourceBits);
        std::vector<uint8_t> dst = TargetFor(rc.Routine, picture);
        ASSERT_EQ(dst.size(), 3 * ((7 * static_cast<size_t>(PxTargetBitCount(rc.Routine)) + 31) / 32 * 4));
        dst.pop_back();
        ExpectConvertError([&] { RunAny(rc.Routine, picture.Source(), dst); }, TPxFaultKind::pfkAssert,
                           name + ": Destination Too Small");
    }
}

TEST(PxConvertSizes, StridesAndSizesDoNotOverflow) {
    EXPECT_EQ(PxRowStride(1, 1), 4u);
    EXPECT_EQ(PxRowStride(33, 1), 8u);
    EXPECT_EQ(PxRowStride(9, 4), 8u);
    EXPECT_EQ(PxRowStride(5, 24), 16u);
    EXPECT_EQ(PxRowStride(0x7FFFFFFF, 24), (0x7FFFFFFFull * 24 + 31) / 32 * 4);
    EXPECT_EQ(PxBitsSize(0x7FFFFFFF, 0x7FFFFFFF, 24), (0x7FFFFFFFull * 24 + 31) / 32 * 4 * 0x7FFFFFFFull);
    EXPECT_EQ(PxBitsSize(5, 0, 24), 0u);
}

// Source rows end in junk bits and junk fill bytes; none of it may reach the result.
TEST(PxConvertWiden, IndicesAreCarriedOverMostSignificantFirst) {
    TTestPicture one(11, 2, 1);
    one.Row(0)[0] = 0b10110010, one.Row(0)[1] = 0b01111111;  // pixels 1,0,1,1,0,0,1,0, 0,1,1, then junk
    one.Row(1)[0] = 0b00000001, one.Row(1)[1] = 0b10000000;  // pixels 7 and 8 set
    TTestPicture four(5, 1, 4);
    four.Row(0)[0] = 0x12, four.Row(0)[1] = 0x34, four.Row(0)[2] = 0x5F;  // 1, 2, 3, 4, 5, then a junk nibble

    struct Case {
        const char* name;
        R routine;
        const TTestPicture* picture;
        std::vector<uint8_t> want;
    };
    const Case cases[] = {
        {"1 to 4", R::Convert1BitRGBTo4BitRGB, &one,
         {0x10, 0x11, 0x00, 0x10, 0x01, 0x10, 0, 0, 0x00, 0x00, 0x00, 0x01, 0x10, 0x00, 0, 0}},
        {"1 to 8", R::Convert1BitRGBTo8BitRGB, &one,
         {1, 0, 1, 1, 0, 0, 1, 0, 0, 1, 1, 0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 0, 0, 0}},
        {"4 to 8", R::Convert4BitRGBTo8BitRGB, &four, {1, 2, 3, 4, 5, 0, 0, 0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<uint8_t> dst = TargetFor(c.routine, *c.picture);
        RunAny(c.routine, c.picture->Source(), dst);
        EXPECT_EQ(dst, c.want);
    }
}

TEST(PxConvertWiden, ToTrueColorLooksUpTheColourTableAndPastItsCountReadsBlack) {
    const TPxColor c0 = Rgb(10, 20, 30), c1 = Rgb(40, 50, 60), c7 = Rgb(70, 80, 90);

    TTestPicture one(3, 1, 1);
    one.Colors = {c0, c1};
    one.Row(0)[0] = 0b01011111;  // 0, 1, 0, then junk
    TTestPicture four(2, 2, 4);
    four.Colors = {c0, c1};
    four.Row(0)[0] = 0x10, four.Row(1)[0] = 0x0F;  // 15 lies past the two colours
    TTestPicture eight(1, 1, 8);
    eight.Colors.assign(8, c0);
    eight.Colors[7] = c7;
    eight.Row(0)[0] = 7;
    TTestPicture eightPast(1, 1, 8);
    eightPast.Colors = {c0};
    eightPast.Row(0)[0] = 200;

    struct Case {
        const char* name;
        R routine;
        const TTestPicture* picture;
        std::vector<uint8_t> want;
    };
    const Case cases[] = {
        {"1 to 24", R::Convert1BitRGBToTrueColor, &one, {30, 20, 10, 60, 50, 40, 30, 20, 10, 0, 0, 0}},
        {"4 to 24", R::Convert4BitRGBToTrueColor, &four, {60, 50, 40, 30, 20, 10, 0, 0, 30, 20, 10, 0, 0, 0, 0, 0}},
        {"8 to 24", R::Convert8BitRGBToTrueColor, &eight, {90, 80, 70, 0}},
        {"8 to 24, index past the count", R::Convert8BitRGBToTrueColor, &eightPast, {0, 0, 0, 0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<uint8_t> dst = TargetFor(c.routine, *c.picture);
        RunAny(c.routine, c.picture->Source(), dst);
        EXPECT_EQ(dst, c.want);
    }
}

TEST(PxConvertMono, OnlyPixelsOfTheKeyColourBecomeOne) {
    const uint32_t white = 0xFFFFFF;
    // Nine 24-bit pixels: white, black, white, near white, then five white.
    TTestPicture rgb(9, 1, 24);
    for (int x = 0; x < 9; ++x)
        rgb.SetRgb(x, 0, 255, 255, 255);
    rgb.SetRgb(1, 0, 0, 0, 0);
    rgb.SetRgb(3, 0, 255, 255, 254);

    TPxPalette palette;
    palette.Colors[5] = Rgb(1, 1, 1);
    std::vector<uint8_t> dst = TargetFor(R::ConvertTrueColorTo1BitRGB, rgb);
    ConvertTrueColorTo1BitRGB(rgb.Source(), white, dst, palette);
    EXPECT_EQ(dst, (std::vector<uint8_t>{0xAF, 0x80, 0, 0}));
    EXPECT_EQ(palette.Count, 2u);
    EXPECT_EQ(palette.Colors[0], Rgb(0, 0, 0));
    EXPECT_EQ(palette.Colors[1], Rgb(255, 255, 255));
    EXPECT_EQ(palette.Colors[5], Rgb(0, 0, 0));

    // The key is an RGB value (red in the low byte), pixels are stored blue first.
    TTestPicture order(2, 1, 24);
    order.SetRgb(0, 0, 0x11, 0x22, 0x33);
    order.SetRgb(1, 0, 0x33, 0x22, 0x11);
    dst = TargetFor(R::ConvertTrueColorTo1BitRGB, order);
    ConvertTrueColorTo1BitRGB(order.Source(), 0x332211, dst, palette);
    EXPECT_EQ(dst, (std::vector<uint8_t>{0x80, 0, 0, 0}));
}

TEST(PxConvertMono, PalettedPixelsCompareTheirTableEntry) {
    // 33 pixels: a row longer than one 32-bit word.
    TTestPicture eight(33, 1, 8);
    eight.Colors = {Rgb(0, 0, 0), Rgb(200, 100, 50), Rgb(200, 100, 51), Rgb(200, 100, 50)};
    for (int x = 0; x < 33; ++x)
        eight.Row(0)[x] = static_cast<uint8_t>(x % 4);
    eight.Row(0)[32] = 3;
    std::vector<uint8_t> dst = TargetFor(R::Convert8BitTo1BitRGB, eight);
    TPxPalette palette;
    Convert8BitTo1BitRGB(eight.Source(), 0x3264C8, dst, palette);  // RGB(200, 100, 50)
    // Indices 1 and 3 carry the key colour: 0101 0101 ... and the last pixel set.
    EXPECT_EQ(dst, (std::vector<uint8_t>{0x55, 0x55, 0x55, 0x55, 0x80, 0, 0, 0}));
    EXPECT_EQ(palette.Count, 2u);

    TTestPicture four(3, 2, 4);
    four.Colors = {Rgb(9, 9, 9), Rgb(0, 0, 0)};
    four.Row(0)[0] = 0x01, four.Row(0)[1] = 0x5F;  // 0, 1, 5 (past the table: black)
    four.Row(1)[0] = 0x00, four.Row(1)[1] = 0x0F;
    dst = TargetFor(R::Convert4BitRGBTo1BitRGB, four);
    Convert4BitRGBTo1BitRGB(four.Source(), 0x000000, dst, palette);
    EXPECT_EQ(dst, (std::vector<uint8_t>{0x60, 0, 0, 0, 0x00, 0, 0, 0}));

    // Width 1.
    TTestPicture single(1, 1, 8);
    single.Colors = {Rgb(1, 2, 3)};
    single.Row(0)[0] = 0;
    dst = TargetFor(R::Convert8BitTo1BitRGB, single);
    Convert8BitTo1BitRGB(single.Source(), 0x030201, dst, palette);
    EXPECT_EQ(dst, (std::vector<uint8_t>{0x80, 0, 0, 0}));
}

// Red, green and blue differ in their top bits: each gets an entry of its own, exactly. The first
// split is on green (its variance weighs 4 against red's 3), so green gets index 0; the rest
// splits on red, the higher half first.
TEST(PxConvertReduce, ThreeDistinctColoursAreReproducedExactly) {
    TTestPicture picture(3, 1, 24);
    picture.SetRgb(0, 0, 255, 0, 0);
    picture.SetRgb(1, 0, 0, 255, 0);
    picture.SetRgb(2, 0, 0, 0, 255);
    const std::vector<TPxColor> want = {Rgb(0, 255, 0), Rgb(255, 0, 0), Rgb(0, 0, 255)};
    struct Case {
        R routine;
        std::vector<uint8_t> bits;
        int steps;
    };
    const Case cases[] = {
        {R::ConvertTrueColorTo8BitRGBLow, {1, 0, 2, 0}, 256},
        {R::ConvertTrueColorTo8BitRGBHigh, {1, 0, 2, 0}, 256},
        {R::ConvertTrueColorTo4BitRGBLow, {0x10, 0x20, 0, 0}, 16},
        {R::ConvertTrueColorTo4BitRGBHigh, {0x10, 0x20, 0, 0}, 16},
        {R::CreateTrueColorPaletteLow, {}, 256},
        {R::CreateTrueColorPaletteHigh, {}, 256},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(WideToUtf8(PxRoutineName(c.routine)));
        const TReduced r = Reduce(c.routine, picture);
        EXPECT_EQ(Used(r.Palette), want);
        EXPECT_EQ(r.Bits, c.bits);
        EXPECT_EQ(r.Steps, c.steps);
        for (uint32_t i = r.Palette.Count; i < 256; ++i)
            EXPECT_EQ(r.Palette.Colors[i], TPxColor{}) << i;
    }
}

TEST(PxConvertReduce, SingleColourGivesOneEntryAndStillEveryProgressStep) {
    TTestPicture picture(5, 4, 24);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 5; ++x)
            picture.SetRgb(x, y, 12, 34, 56);
    TTestPicture paletted(5, 4, 8);
    paletted.Colors.assign(256, Rgb(12, 34, 56));
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 5; ++x)
            paletted.Row(y)[x] = static_cast<uint8_t>(x * 40);  // five entries, all the same colour

    struct Case {
        R routine;
        const TTestPicture* picture;
        int steps;
    };
    const Case cases[] = {
        {R::ConvertTrueColorTo8BitRGBLow, &picture, 256},  {R::ConvertTrueColorTo8BitRGBHigh, &picture, 256},
        {R::ConvertTrueColorTo4BitRGBLow, &picture, 16},   {R::ConvertTrueColorTo4BitRGBHigh, &picture, 16},
        {R::CreateTrueColorPaletteLow, &picture, 256},     {R::CreateTrueColorPaletteHigh, &picture, 256},
        {R::Convert8BitRGBTo4BitRGB, &paletted, 16},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(WideToUtf8(PxRoutineName(c.routine)));
        const TReduced r = Reduce(c.routine, *c.picture);
        EXPECT_EQ(Used(r.Palette), std::vector<TPxColor>{Rgb(12, 34, 56)});
        EXPECT_EQ(r.Steps, c.steps);
        for (size_t i = 0; i < r.Bits.size(); ++i)
            EXPECT_EQ(r.Bits[i], 0) << i;  // index 0 and zero fill
    }
}

// The Low method averages a cell's dropped low bits with integer division: (8, 0, 0) and
// (15, 0, 0) share a cell whose colour is 8 + 7 div 2 = 11. The High method keeps them apart.
TEST(PxConvertReduce, LowCellColourIsTheTruncatedMeanOfItsPixels) {
    TTestPicture picture(2, 1, 24);
    picture.SetRgb(0, 0, 8, 0, 0);
    picture.SetRgb(1, 0, 15, 0, 0);
    const TReduced low = Reduce(R::ConvertTrueColorTo8BitRGBLow, picture);
    EXPECT_EQ(Used(low.Palette), std::vector<TPxColor>{Rgb(11, 0, 0)});
    EXPECT_EQ(low.Bits, (std::vector<uint8_t>{0, 0, 0, 0}));
    const TReduced high = Reduce(R::ConvertTrueColorTo8BitRGBHigh, picture);
    EXPECT_EQ(Used(high.Palette), (std::vector<TPxColor>{Rgb(15, 0, 0), Rgb(8, 0, 0)}));
    EXPECT_EQ(high.Bits, (std::vector<uint8_t>{1, 0, 0, 0}));
}

// Entries 5, 9 and 200 are used 3, 4 and 3 times; entry 1 is unused. Weighted by use, the means
// are red 86 and blue 96, the variances red 8664 (weighed 3) and blue 10164 (weighed 2): red
// splits first and entry 9, the only red above 86, gets index 0. The other two split on blue.
TEST(PxConvertReduce, EightToFourWeighsEntriesByUseAndMapsUnusedToZero) {
    TTestPicture picture(5, 2, 8);
    picture.Colors.assign(256, Rgb(1, 2, 3));
    picture.Colors[5] = Rgb(10, 20, 30);
    picture.Colors[9] = Rgb(200, 20, 30);
    picture.Colors[200] = Rgb(10, 20, 250);
    const uint8_t row0[] = {5, 9, 9, 200, 9};
    const uint8_t row1[] = {5, 5, 200, 200, 9};
    std::copy(row0, row0 + 5, picture.Row(0));
    std::copy(row1, row1 + 5, picture.Row(1));
    const TReduced r = Reduce(R::Convert8BitRGBTo4BitRGB, picture);
    EXPECT_EQ(Used(r.Palette), (std::vector<TPxColor>{Rgb(200, 20, 30), Rgb(10, 20, 250), Rgb(10, 20, 30)}));
    EXPECT_EQ(r.Bits, (std::vector<uint8_t>{0x20, 0x01, 0x00, 0, 0x22, 0x11, 0x00, 0}));
    EXPECT_EQ(r.Steps, 16);
}

TEST(PxConvertReduce, ManyColoursStayWithinThePaletteAndRowFillStaysZero) {
    // 23 x 13 distinct colours, a width whose rows end in fill bytes at every depth.
    TTestPicture picture(23, 13, 24);
    for (int y = 0; y < 13; ++y)
        for (int x = 0; x < 23; ++x)
            picture.SetRgb(x, y, static_cast<uint8_t>(x * 11), static_cast<uint8_t>(y * 19),
                           static_cast<uint8_t>((x * y * 7) & 0xFF));
    for (const R routine : {R::ConvertTrueColorTo8BitRGBLow, R::ConvertTrueColorTo8BitRGBHigh,
                            R::ConvertTrueColorTo4BitRGBLow, R::ConvertTrueColorTo4BitRGBHigh}) {
        SCOPED_TRACE(WideToUtf8(PxRoutineName(routine)));
        const TReduced r = Reduce(routine, picture);
        const bool eight = PxTargetBitCount(routine) == 8;
        EXPECT_GT(r.Palette.Count, 1u);
        EXPECT_LE(r.Palette.Count, eight ? 256u : 16u);
        const size_t stride = eight ? 24 : 12;
        const size_t used = eight ? 23 : 12;
        ASSERT_EQ(r.Bits.size(), stride * 13);
        for (size_t y = 0; y < 13; ++y) {
            for (size_t i = used; i < stride; ++i)
                EXPECT_EQ(r.Bits[y * stride + i], 0) << y << "," << i;
            if (!eight) {
                EXPECT_EQ(r.Bits[y * stride + used - 1] & 0x0F, 0) << y;  // odd width: last low nibble
            }
            for (size_t x = 0; x < 23; ++x) {
                const uint8_t b = r.Bits[y * stride + (eight ? x : x / 2)];
                const unsigned index = eight ? b : (x % 2 == 0 ? b >> 4 : b & 0x0F);
                EXPECT_LT(index, r.Palette.Count) << y << "," << x;
            }
        }
    }
}

// The High method copies every pixel; a size whose copy cannot exist fails before anything is
// taken or read.
TEST(PxConvertReduce, HighPixelCopyTooLargeRaisesOutOfMemory) {
    static const uint8_t byte = 0;
    TPxSource src;
    src.BitCount = 24;
    src.Bits = &byte;  // never read: the size check comes first
    src.BitsSize = SIZE_MAX;
    if (sizeof(size_t) == 8) {
        src.Width = 0x7FFFFFFF, src.Height = 0x7FFFFFFF;
    } else {
        src.Width = 0x10000, src.Height = 0x4000;
    }
    ASSERT_EQ(CheckSource(R::CreateTrueColorPaletteHigh, src).Kind, TPxFaultKind::pfkNone);
    try {
        CreateTrueColorPaletteHigh(src, {});
        ADD_FAILURE() << "no exception";
    } catch (const EOutOfMemory& e) {
        EXPECT_EQ(WideToUtf8(e.Message()), "TPxInternalDIB.CreateTrueColorPalette: Out Of Memory");
    }
}
