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

struct TRun {
    std::vector<uint8_t> Bits;
    TPxPalette Palette;
    int Steps = 0;
};

// Runs any routine into dst, counting the progress steps.
TPxPalette RunInto(R routine, const TPxSource& src, std::span<uint8_t> dst, uint32_t key, int* steps) {
    TPxPalette p;
    const TPxProgress step = [steps] { ++*steps; };
    switch (routine) {
        case R::Convert1BitRGBTo4BitRGB: Convert1BitRGBTo4BitRGB(src, dst); break;
        case R::Convert1BitRGBTo8BitRGB: Convert1BitRGBTo8BitRGB(src, dst); break;
        case R::Convert4BitRGBTo8BitRGB: Convert4BitRGBTo8BitRGB(src, dst); break;
        case R::Convert1BitRGBToTrueColor: Convert1BitRGBToTrueColor(src, dst); break;
        case R::Convert4BitRGBToTrueColor: Convert4BitRGBToTrueColor(src, dst); break;
        case R::Convert8BitRGBToTrueColor: Convert8BitRGBToTrueColor(src, dst); break;
        case R::Convert8BitRGBTo4BitRGB: Convert8BitRGBTo4BitRGB(src, dst, p, step); break;
        case R::ConvertTrueColorTo1BitRGB: ConvertTrueColorTo1BitRGB(src, key, dst, p); break;
        case R::Convert8BitTo1BitRGB: Convert8BitTo1BitRGB(src, key, dst, p); break;
        case R::Convert4BitRGBTo1BitRGB: Convert4BitRGBTo1BitRGB(src, key, dst, p); break;
        case R::ConvertTrueColorTo8BitRGBLow: ConvertTrueColorTo8BitRGBLow(src, dst, p, step); break;
        case R::ConvertTrueColorTo4BitRGBLow: ConvertTrueColorTo4BitRGBLow(src, dst, p, step); break;
        case R::ConvertTrueColorTo8BitRGBHigh: ConvertTrueColorTo8BitRGBHigh(src, dst, p, step); break;
        case R::ConvertTrueColorTo4BitRGBHigh: ConvertTrueColorTo4BitRGBHigh(src, dst, p, step); break;
        case R::CreateTrueColorPaletteLow: p = CreateTrueColorPaletteLow(src, step); break;
        case R::CreateTrueColorPaletteHigh: p = CreateTrueColorPaletteHigh(src, step); break;
    }
    return p;
}

TRun RunRoutine(R routine, const TTestPicture& picture, uint32_t key = 0) {
    TRun out;
    out.Bits = TargetFor(routine, picture);
    out.Palette = RunInto(routine, picture.Source(), out.Bits, key, &out.Steps);
    return out;
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

// The routine raises what CheckSource reports, before it reads or writes anything.
void ExpectRefused(R routine,
                   const TPxSource& src,
                   std::span<uint8_t> dst,
                   TPxFaultKind kind,
                   const std::string& message) {
    int steps = 0;
    try {
        RunInto(routine, src, dst, 0, &steps);
        ADD_FAILURE() << "no exception, expected " << message;
    } catch (const EPxConvertError& e) {
        EXPECT_EQ(e.Kind(), kind);
        EXPECT_EQ(WideToUtf8(e.Message()), message);
    }
    EXPECT_EQ(steps, 0);
}

}  // namespace

TEST(PxConvertCheck, WrongBitCountOrCompressionGivesTheRoutinesMessage) {
    for (const TRoutineCase& c : kAllRoutines) {
        SCOPED_TRACE(c.BadType);
        TTestPicture good(3, 2, c.SourceBits);
        EXPECT_EQ(CheckSource(c.Routine, good.Source()).Kind, TPxFaultKind::pfkNone);
        for (const uint16_t bits : {1, 4, 8, 16, 24, 32}) {
            if (bits == c.SourceBits)
                continue;
            const TPxFault fault = CheckSource(c.Routine, TTestPicture(3, 2, bits).Source());
            EXPECT_EQ(fault.Kind, TPxFaultKind::pfkBadDIBType) << bits;
            EXPECT_EQ(WideToUtf8(fault.Message), c.BadType) << bits;
        }
        // RLE data is never read as pixels.
        TPxSource compressed = good.Source();
        compressed.Compression = c.SourceBits == 8 ? 1 : 2;
        std::vector<uint8_t> dst(4096, 0);
        ExpectRefused(c.Routine, compressed, dst, TPxFaultKind::pfkBadDIBType, c.BadType);
    }
}

TEST(PxConvertCheck, SizesThatDoNotFitThePixelsOrTheDestinationAreRefused) {
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
        {"width whose rows overflow", 0x7FFFFFFF, 2, 0, "Invalid Bits Size"},
    };
    for (const TRoutineCase& rc : kAllRoutines) {
        const std::string name = WideToUtf8(PxRoutineName(rc.Routine));
        TTestPicture picture(5, 3, rc.SourceBits);
        for (const Case& c : cases) {
            SCOPED_TRACE(name + " / " + c.name);
            TPxSource src = picture.Source();
            src.Width = c.width;
            src.Height = c.height;
            src.BitsSize -= c.shortBy;
            std::vector<uint8_t> dst(4096, 0);
            ExpectRefused(rc.Routine, src, dst, TPxFaultKind::pfkInvalidDIB, name + ": " + c.problem);
        }
        std::vector<uint8_t> dst = TargetFor(rc.Routine, picture);
        if (!dst.empty()) {  // the palette builders write no pixels
            SCOPED_TRACE(name);
            EXPECT_EQ(dst.size(), 3 * ((5 * static_cast<size_t>(PxTargetBitCount(rc.Routine)) + 31) / 32 * 4));
            dst.pop_back();
            ExpectRefused(rc.Routine, picture.Source(), dst, TPxFaultKind::pfkAssert, name + ": Destination Too Small");
        }
    }
}

// Source rows end in junk bits and junk fill bytes (PxPictures.h); none of it may reach the result,
// whose own fill is zero. Indices past the colour count read as black.
TEST(PxConvertWiden, IndicesAreCarriedOverOrLookedUp) {
    TTestPicture one(11, 2, 1);
    one.Colors = {Rgb(10, 20, 30), Rgb(40, 50, 60)};
    one.Row(0)[0] = 0b10110010, one.Row(0)[1] = 0b01111111;  // 1,0,1,1,0,0,1,0, 0,1,1, then junk
    one.Row(1)[0] = 0b00000001, one.Row(1)[1] = 0b10000000;  // pixels 7 and 8 set
    TTestPicture four(5, 1, 4);
    four.Colors = {Rgb(10, 20, 30), Rgb(40, 50, 60)};
    four.Row(0)[0] = 0x10, four.Row(0)[1] = 0x0F, four.Row(0)[2] = 0x5F;  // 1, 0, 0, 15, 5, then junk
    TTestPicture eight(2, 1, 8);
    eight.Colors = {Rgb(10, 20, 30), Rgb(40, 50, 60), Rgb(70, 80, 90)};
    eight.Row(0)[0] = 2, eight.Row(0)[1] = 200;

    struct Case {
        const char* name;
        R routine;
        const TTestPicture* picture;
        std::vector<uint8_t> want;
    };
    const Case cases[] = {
        {"1 to 4",
         R::Convert1BitRGBTo4BitRGB,
         &one,
         {0x10, 0x11, 0x00, 0x10, 0x01, 0x10, 0, 0, 0x00, 0x00, 0x00, 0x01, 0x10, 0x00, 0, 0}},
        {"1 to 8", R::Convert1BitRGBTo8BitRGB, &one, {1, 0, 1, 1, 0, 0, 1, 0, 0, 1, 1, 0,
                                                      0, 0, 0, 0, 0, 0, 0, 1, 1, 0, 0, 0}},
        {"4 to 8", R::Convert4BitRGBTo8BitRGB, &four, {1, 0, 0, 15, 5, 0, 0, 0}},
        {"1 to 24", R::Convert1BitRGBToTrueColor, &one, {60, 50, 40, 30, 20, 10, 60, 50, 40, 60, 50, 40, 30, 20, 10,
                                                         30, 20, 10, 60, 50, 40, 30, 20, 10, 30, 20, 10, 60, 50, 40,
                                                         60, 50, 40, 0,  0,  0,  30, 20, 10, 30, 20, 10, 30, 20, 10,
                                                         30, 20, 10, 30, 20, 10, 30, 20, 10, 30, 20, 10, 60, 50, 40,
                                                         60, 50, 40, 30, 20, 10, 30, 20, 10, 0,  0,  0}},
        {"4 to 24", R::Convert4BitRGBToTrueColor, &four, {60, 50, 40, 30, 20, 10, 30, 20, 10, 0, 0, 0, 0, 0, 0, 0}},
        {"8 to 24", R::Convert8BitRGBToTrueColor, &eight, {90, 80, 70, 0, 0, 0, 0, 0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(RunRoutine(c.routine, *c.picture).Bits, c.want);
    }
}

TEST(PxConvertMono, OnlyPixelsOfTheKeyColourBecomeOne) {
    // 24 bits, key white: white, black, white, near white, then five white.
    TTestPicture rgb(9, 1, 24);
    for (int x = 0; x < 9; ++x)
        rgb.SetRgb(x, 0, 255, 255, 255);
    rgb.SetRgb(1, 0, 0, 0, 0);
    rgb.SetRgb(3, 0, 255, 255, 254);
    // The key is an RGB value (red in the low byte) while pixels are stored blue first.
    TTestPicture order(2, 1, 24);
    order.SetRgb(0, 0, 0x11, 0x22, 0x33);
    order.SetRgb(1, 0, 0x33, 0x22, 0x11);
    // 33 pixels of 8 bits cycling through four entries; 1 and 3 carry the key colour.
    TTestPicture eight(33, 1, 8);
    eight.Colors = {Rgb(0, 0, 0), Rgb(200, 100, 50), Rgb(200, 100, 51), Rgb(200, 100, 50)};
    for (int x = 0; x < 33; ++x)
        eight.Row(0)[x] = static_cast<uint8_t>(x % 4 == 0 && x == 32 ? 3 : x % 4);
    // 4 bits, key black: index 1 is black, 5 lies past the table and reads black too.
    TTestPicture four(3, 2, 4);
    four.Colors = {Rgb(9, 9, 9), Rgb(0, 0, 0)};
    four.Row(0)[0] = 0x01, four.Row(0)[1] = 0x5F;
    four.Row(1)[0] = 0x00, four.Row(1)[1] = 0x0F;

    struct Case {
        const char* name;
        R routine;
        const TTestPicture* picture;
        uint32_t key;
        std::vector<uint8_t> want;
    };
    const Case cases[] = {
        {"24 bits", R::ConvertTrueColorTo1BitRGB, &rgb, 0xFFFFFF, {0xAF, 0x80, 0, 0}},
        {"24 bits, byte order", R::ConvertTrueColorTo1BitRGB, &order, 0x332211, {0x80, 0, 0, 0}},
        {"8 bits", R::Convert8BitTo1BitRGB, &eight, 0x3264C8, {0x55, 0x55, 0x55, 0x55, 0x80, 0, 0, 0}},
        {"4 bits", R::Convert4BitRGBTo1BitRGB, &four, 0x000000, {0x60, 0, 0, 0, 0x00, 0, 0, 0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const TRun r = RunRoutine(c.routine, *c.picture, c.key);
        EXPECT_EQ(r.Bits, c.want);
        EXPECT_EQ(Used(r.Palette), (std::vector<TPxColor>{Rgb(0, 0, 0), Rgb(255, 255, 255)}));
    }
}

// Red, green and blue differ in their top bits: each gets an entry of its own, exactly. The first
// split is on green (its variance weighs 4 against red's 3), so green gets index 0; the rest
// splits on red, the higher half first.
TEST(PxConvertReduce, ThreeDistinctColoursAreReproducedExactly) {
    TTestPicture picture(3, 1, 24);
    picture.SetRgb(0, 0, 255, 0, 0);
    picture.SetRgb(1, 0, 0, 255, 0);
    picture.SetRgb(2, 0, 0, 0, 255);
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
        const TRun r = RunRoutine(c.routine, picture);
        EXPECT_EQ(Used(r.Palette), (std::vector<TPxColor>{Rgb(0, 255, 0), Rgb(255, 0, 0), Rgb(0, 0, 255)}));
        EXPECT_EQ(r.Bits, c.bits);
        EXPECT_EQ(r.Steps, c.steps);
        EXPECT_EQ(r.Palette.Colors[3], TPxColor{});
    }
}

TEST(PxConvertReduce, SingleColourGivesOneEntryAndStillEveryProgressStep) {
    TTestPicture picture(5, 4, 24);
    TTestPicture paletted(5, 4, 8);
    paletted.Colors.assign(256, Rgb(12, 34, 56));
    for (int y = 0; y < 4; ++y) {
        for (int x = 0; x < 5; ++x) {
            picture.SetRgb(x, y, 12, 34, 56);
            paletted.Row(y)[x] = static_cast<uint8_t>(x * 40);  // five entries of the same colour
        }
    }
    struct Case {
        R routine;
        const TTestPicture* picture;
        int steps;
    };
    const Case cases[] = {
        {R::ConvertTrueColorTo8BitRGBLow, &picture, 256}, {R::ConvertTrueColorTo8BitRGBHigh, &picture, 256},
        {R::ConvertTrueColorTo4BitRGBLow, &picture, 16},  {R::ConvertTrueColorTo4BitRGBHigh, &picture, 16},
        {R::Convert8BitRGBTo4BitRGB, &paletted, 16},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(WideToUtf8(PxRoutineName(c.routine)));
        const TRun r = RunRoutine(c.routine, *c.picture);
        EXPECT_EQ(Used(r.Palette), std::vector<TPxColor>{Rgb(12, 34, 56)});
        EXPECT_EQ(r.Steps, c.steps);
        EXPECT_EQ(r.Bits, std::vector<uint8_t>(r.Bits.size(), 0));  // index 0 and zero fill
    }
}

// The Low method averages a cell's dropped low bits with integer division: (8, 0, 0) and
// (15, 0, 0) share a cell whose colour is 8 + 7 div 2 = 11. The High method keeps them apart.
TEST(PxConvertReduce, LowCellColourIsTheTruncatedMeanOfItsPixels) {
    TTestPicture picture(2, 1, 24);
    picture.SetRgb(0, 0, 8, 0, 0);
    picture.SetRgb(1, 0, 15, 0, 0);
    const TRun low = RunRoutine(R::ConvertTrueColorTo8BitRGBLow, picture);
    EXPECT_EQ(Used(low.Palette), std::vector<TPxColor>{Rgb(11, 0, 0)});
    EXPECT_EQ(low.Bits, (std::vector<uint8_t>{0, 0, 0, 0}));
    const TRun high = RunRoutine(R::ConvertTrueColorTo8BitRGBHigh, picture);
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
    const uint8_t rows[2][5] = {{5, 9, 9, 200, 9}, {5, 5, 200, 200, 9}};
    std::copy(rows[0], rows[0] + 5, picture.Row(0));
    std::copy(rows[1], rows[1] + 5, picture.Row(1));
    const TRun r = RunRoutine(R::Convert8BitRGBTo4BitRGB, picture);
    EXPECT_EQ(Used(r.Palette), (std::vector<TPxColor>{Rgb(200, 20, 30), Rgb(10, 20, 250), Rgb(10, 20, 30)}));
    EXPECT_EQ(r.Bits, (std::vector<uint8_t>{0x20, 0x01, 0x00, 0, 0x22, 0x11, 0x00, 0}));
    EXPECT_EQ(r.Steps, 16);
}

// The High method copies every pixel; a size whose copy cannot exist fails before anything is
// taken or read.
TEST(PxConvertReduce, HighPixelCopyTooLargeRaisesOutOfMemory) {
    static const uint8_t byte = 0;
    TPxSource src;
    src.BitCount = 24;
    src.Bits = &byte;  // never read: the size check comes first
    src.BitsSize = SIZE_MAX;
    src.Width = sizeof(size_t) == 8 ? 0x7FFFFFFF : 0x10000;
    src.Height = sizeof(size_t) == 8 ? 0x7FFFFFFF : 0x4000;
    ASSERT_EQ(CheckSource(R::CreateTrueColorPaletteHigh, src).Kind, TPxFaultKind::pfkNone);
    try {
        CreateTrueColorPaletteHigh(src, {});
        ADD_FAILURE() << "no exception";
    } catch (const EOutOfMemory& e) {
        EXPECT_EQ(WideToUtf8(e.Message()), "TPxInternalDIB.CreateTrueColorPalette: Out Of Memory");
    }
}
