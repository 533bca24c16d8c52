// The picture class: shared storage, copy on write, replacing the picture, and its failures.
#include "imaging/PxGraph.h"

#include <gtest/gtest.h>

#include "imaging/BmpBuilder.h"
#include "imaging/PxRender.h"
#include "toolkit/PictureFormats.h"
#include "toolkit/Streams.h"

namespace {

TBytes Bmp24(int32_t width, int32_t height, uint32_t seed) {
    TBmpLayout layout;
    layout.width = width;
    layout.height = height;
    layout.bitCount = 24;
    layout.pixels = PatternRows(static_cast<uint32_t>(RowStride(width, 24)), static_cast<uint32_t>(height < 0 ? -height : height), seed);
    return BuildBmp(layout);
}

void Load(TPxDIB& dib, const TBytes& bytes) {
    TMemoryStream s;
    s.WriteBuffer(bytes.data(), bytes.size());
    s.SetPosition(0);
    dib.LoadFromStream(s);
}

TBytes Save(TPxDIB& dib) {
    TMemoryStream s;
    dib.SaveToStream(s);
    return TBytes(s.Memory(), s.Memory() + s.Length());
}

template <class E>
std::wstring MessageOf(const std::function<void()>& f) {
    try {
        f();
    } catch (const E& e) {
        return e.Message();
    }
    return L"<no exception of the expected class>";
}

}  // namespace

TEST(PxDIB, FreshPictureIsOneByOneEightBitWithTwoBlackColours) {
    TPxDIB dib;
    EXPECT_EQ(dib.GetWidth(), 1);
    EXPECT_EQ(dib.GetHeight(), 1);
    EXPECT_EQ(dib.GetBitCount(), 8);
    EXPECT_EQ(dib.GetPixelFormat(), pxf8Bit);
    EXPECT_EQ(dib.InternalDIB().Infos().Header.biClrUsed, 2u);
    EXPECT_FALSE(dib.GetEmpty());
    EXPECT_EQ(dib.ReductionMethod, 0);
    EXPECT_EQ(dib.MonochromeColor, 0xFFFFFFu);
    EXPECT_TRUE(dib.PaletteModified());  // a new storage reports its colours once
}

TEST(PxDIB, AssignSharesStorageAndChangesCopyOnWrite) {
    TPxDIB a, b;
    Load(a, Bmp24(5, 3, 1));
    a.ReductionMethod = 1;
    a.MonochromeColor = 0x123456;
    b.Assign(&a);
    EXPECT_EQ(&a.InternalDIB(), &b.InternalDIB());
    EXPECT_EQ(a.InternalDIB().RefCount(), 2);
    EXPECT_EQ(b.ReductionMethod, 1);
    EXPECT_EQ(b.MonochromeColor, 0x123456u);

    const TBytes before = Save(a);
    b.SetPalette(nullptr);  // an in-place change of b: a keeps its storage and picture
    EXPECT_NE(&a.InternalDIB(), &b.InternalDIB());
    EXPECT_EQ(a.InternalDIB().RefCount(), 1);
    EXPECT_EQ(b.InternalDIB().RefCount(), 1);
    EXPECT_EQ(Save(a), before);
    EXPECT_EQ(Save(b), before);  // the private copy has the same pixels

    // Releasing one holder of a shared storage keeps it alive for the other.
    {
        TPxDIB c;
        c.Assign(&a);
        EXPECT_EQ(a.InternalDIB().RefCount(), 2);
    }
    EXPECT_EQ(a.InternalDIB().RefCount(), 1);
    EXPECT_EQ(Save(a), before);
}

TEST(PxDIB, AssignNullGivesAFreshPictureAndAssignToAnotherPxDIBShares) {
    TPxDIB a, b;
    Load(a, Bmp24(4, 4, 2));
    a.AssignTo(b);
    EXPECT_EQ(&a.InternalDIB(), &b.InternalDIB());
    a.Assign(nullptr);
    EXPECT_EQ(a.GetWidth(), 1);
    EXPECT_EQ(b.GetWidth(), 4);
    EXPECT_EQ(b.InternalDIB().RefCount(), 1);
}

TEST(PxDIB, LoadReplacesThePictureAndAFailedLoadLeavesOneByOne) {
    TPxDIB dib;
    int changes = 0;
    dib.OnChange = [&](TGraphic&) { ++changes; };
    const TBytes good = Bmp24(7, 2, 3);
    Load(dib, good);
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(dib.GetWidth(), 7);
    EXPECT_EQ(Save(dib), good);

    // bfSize says more than the file holds: the short read fails and the old picture is gone.
    TBmpLayout layout;
    layout.bitCount = 24;
    layout.width = 4;
    layout.height = 4;
    layout.pixels = TBytes(10, 0xFF);
    TBytes shortFile = BuildBmp(layout);
    EXPECT_THROW(Load(dib, shortFile), Exception);
    EXPECT_EQ(dib.GetWidth(), 1);
    EXPECT_EQ(dib.GetHeight(), 1);
    EXPECT_EQ(changes, 1);
}

TEST(PxDIB, SetWidthAndHeightMakeABlackPictureOfTheSameKind) {
    TPxDIB dib;
    TBmpLayout layout;
    layout.width = 6;
    layout.height = -3;  // top-down
    layout.bitCount = 8;
    layout.clrUsed = 17;
    layout.colors = ColorQuads(17);
    layout.pixels = PatternRows(8, 3, 9);
    Load(dib, BuildBmp(layout));

    EXPECT_EQ(MessageOf<EPxDIBInvalidDIBPara>([&] { dib.SetWidth(0); }), L"TPxDIB.SetWidth: Invalid Width");
    EXPECT_EQ(MessageOf<EPxDIBInvalidDIBPara>([&] { dib.SetWidth(-1); }), L"TPxDIB.SetWidth: Invalid Width");
    EXPECT_THROW(dib.SetHeight(0), EPxDIBInvalidDIBPara);
    EXPECT_EQ(dib.GetWidth(), 6);

    const TPxInternalDIB* before = &dib.InternalDIB();
    dib.SetWidth(6);  // the same width: nothing happens
    EXPECT_EQ(&dib.InternalDIB(), before);

    dib.SetWidth(9);
    const auto& h = dib.InternalDIB().Infos().Header;
    EXPECT_EQ(h.biWidth, 9);
    EXPECT_EQ(h.biHeight, 3);  // bottom-up now
    EXPECT_EQ(h.biBitCount, 8);
    EXPECT_EQ(h.biClrUsed, 17u);
    const auto& infos = dib.InternalDIB().Infos();
    for (int i = 0; i < infos.BitsSize; ++i) ASSERT_EQ(infos.Bits[i], 0) << i;
    for (int i = 0; i < 17; ++i) ASSERT_EQ(infos.Colors[i].rgbRed, 0) << i;

    dib.SetHeight(-5);
    EXPECT_EQ(dib.InternalDIB().Infos().Header.biHeight, -5);
    EXPECT_EQ(dib.GetHeight(), 5);
}

TEST(PxDIB, SetWidthOnASharedStorageLeavesTheOtherAlone) {
    TPxDIB a, b;
    Load(a, Bmp24(3, 3, 4));
    b.Assign(&a);
    const TBytes before = Save(a);
    b.SetWidth(10);
    EXPECT_EQ(Save(a), before);
    EXPECT_EQ(a.InternalDIB().RefCount(), 1);
    EXPECT_EQ(b.GetWidth(), 10);
}

TEST(PxDIB, RegisteredForDibFilesAndClipboardData) {
    TPxDIB dib;  // makes sure the class is linked in
    const TFileFormat* format = FindFileFormat(L"DIB");
    ASSERT_NE(format, nullptr);
    EXPECT_EQ(format->description, L"Device Independent Bitmap");
    EXPECT_EQ(format->graphicClass, &TPxDIB::StaticClass());
    EXPECT_EQ(FindClipboardGraphic(kCF_DIB), &TPxDIB::StaticClass());
    EXPECT_EQ(dib.ClipboardFormat(), 8);
    auto made = TPxDIB::StaticClass().create();
    EXPECT_NE(dynamic_cast<TPxDIB*>(made.get()), nullptr);
}

// ---- Pixel formats ---------------------------------------------------------------------------------

namespace {

// What a picture told its listeners, in order.
struct TEvent {
    bool change = false;  // the change event; the other fields are for progress events
    TProgressStage stage = TProgressStage::psStarting;
    int percent = 0;
    bool redraw = false;
    TRect rect;
    std::wstring message;
};

struct TEventLog {
    std::vector<TEvent> events;
    void Listen(TPxDIB& dib) {
        dib.OnChange = [this](TGraphic&) { events.push_back(TEvent{.change = true}); };
        dib.OnProgress = [this](TGraphic&, TProgressStage stage, uint8_t percent, bool redraw, const TRect& rect,
                                const std::wstring& message) {
            events.push_back(TEvent{false, stage, percent, redraw, rect, message});
        };
    }
    int Count(TProgressStage stage) const {
        int n = 0;
        for (const TEvent& e : events) n += !e.change && e.stage == stage;
        return n;
    }
    int Changes() const {
        int n = 0;
        for (const TEvent& e : events) n += e.change;
        return n;
    }
};

// A 24-bit picture painted by paint(x, y), loaded through a BMP file.
template <class Paint>
void Load24(TPxDIB& dib, int32_t width, int32_t height, Paint paint) {
    auto storage = Make24(width, height, paint);
    TMemoryStream s;
    storage->SaveToStream(s);
    s.SetPosition(0);
    dib.LoadFromStream(s);
}

// Colours in runs of eight, one run further on each row: compresses in both RLE formats.
TRgb Runs(int x, int y) {
    const TRgb colours[] = {kWhiteRgb, {220, 30, 30}, {30, 200, 60}, {40, 40, 240}, {128, 128, 0}};
    return colours[(x / 8 + y) % 5];
}

}  // namespace

TEST(PxDIBFormat, ThreeColoursReduceToThreeExactEntriesWithEitherMethod) {
    // Colours that differ in their top bits; the Low method's 16-bit cells keep them apart.
    const TRgb colours[] = {{255, 0, 0}, {0, 255, 0}, {0, 0, 255}};
    for (uint8_t method : {0, 1}) {
        SCOPED_TRACE(method);
        TPxDIB dib;
        Load24(dib, 7, 5, [&](int x, int y) { return colours[(x + y) % 3]; });
        const std::vector<TRgb> picture = Render(dib.InternalDIB().Infos());
        dib.ReductionMethod = method;
        dib.SetPixelFormat(pxf8Bit);
        EXPECT_EQ(dib.GetPixelFormat(), pxf8Bit);
        EXPECT_EQ(dib.InternalDIB().Infos().Header.biClrUsed, 3u);
        EXPECT_EQ(Render(dib.InternalDIB().Infos()), picture);
    }
}

TEST(PxDIBFormat, OneColourGivesOneEntryAndStillEveryProgressStep) {
    TPxDIB dib;
    Load24(dib, 10, 4, [](int, int) { return TRgb{12, 34, 56}; });
    TEventLog log;
    log.Listen(dib);
    dib.SetPixelFormat(pxf8Bit);
    EXPECT_EQ(dib.InternalDIB().Infos().Header.biClrUsed, 1u);
    const TRGBQuad& c = dib.InternalDIB().Infos().Colors[0];
    EXPECT_EQ((TRgb{c.rgbRed, c.rgbGreen, c.rgbBlue}), (TRgb{12, 34, 56}));
    // 256 steps: 255 running events; the last step is told by the ending event.
    EXPECT_EQ(log.Count(TProgressStage::psRunning), 255);
}

TEST(PxDIBFormat, ProgressOf24To8RunsFromZeroToHundred) {
    TPxDIB dib;
    Load24(dib, 12, 5, NoiseRgb);
    TEventLog log;
    log.Listen(dib);
    dib.SetPixelFormat(pxf8Bit);
    const std::wstring message = L"PixelFormat 24Bit -> 8Bit";
    const TRect rect{0, 0, 12, 5};
    ASSERT_EQ(log.events.size(), 258u);  // starting, 255 running, ending, change
    const TEvent& first = log.events.front();
    EXPECT_EQ(first.stage, TProgressStage::psStarting);
    EXPECT_EQ(first.percent, 0);
    EXPECT_FALSE(first.redraw);
    EXPECT_EQ(first.rect, rect);
    EXPECT_EQ(first.message, message);
    for (int position = 1; position <= 255; ++position) {
        const TEvent& e = log.events[position];
        ASSERT_EQ(e.stage, TProgressStage::psRunning) << position;
        ASSERT_EQ(e.percent, position * 100 / 256) << position;
        ASSERT_FALSE(e.redraw);
        ASSERT_EQ(e.rect, rect);
        ASSERT_EQ(e.message, message);
    }
    const TEvent& last = log.events[256];
    EXPECT_EQ(last.stage, TProgressStage::psEnding);
    EXPECT_EQ(last.percent, 100);
    EXPECT_TRUE(last.redraw);
    EXPECT_EQ(last.rect, rect);
    EXPECT_EQ(last.message, message);
    EXPECT_TRUE(log.events[257].change);
}

TEST(PxDIBFormat, ConversionsReportTheirMessagesAndTotals) {
    struct Case {
        TPxPixelFormat from, to;
        const wchar_t* message;  // null: no progress events
        int total;
    };
    const Case cases[] = {
        {pxf8Bit, pxf4Bit, L"PixelFormat 8Bit -> 4Bit", 16},
        {pxf8Bit, pxf4BitRLE, L"PixelFormat 8Bit -> 4BitRLE", 16},
        {pxf8BitRLE, pxf4Bit, L"PixelFormat 8BitRLE -> 4Bit", 16},
        {pxf8BitRLE, pxf4BitRLE, L"PixelFormat 8BitRLE -> 4BitRLE", 16},
        {pxf24Bit, pxf4Bit, L"PixelFormat 24Bit -> 4Bit", 16},
        {pxf24Bit, pxf4BitRLE, L"PixelFormat 24Bit -> 4BitRLE", 16},
        {pxf24Bit, pxf8Bit, L"PixelFormat 24Bit -> 8Bit", 256},
        {pxf24Bit, pxf8BitRLE, L"PixelFormat 24Bit -> 8BitRLE", 256},
        {pxf8Bit, pxf24Bit, nullptr, 0},
        {pxf24Bit, pxf1Bit, nullptr, 0},
        {pxf4BitRLE, pxf8BitRLE, nullptr, 0},
        {pxf8BitRLE, pxf8Bit, nullptr, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.from) + " -> " + std::to_string(c.to));
        TPxDIB dib;
        Load24(dib, 33, 7, Runs);
        if (c.from != pxf24Bit) dib.SetPixelFormat(c.from);
        ASSERT_EQ(dib.GetPixelFormat(), c.from);
        TEventLog log;
        log.Listen(dib);
        dib.SetPixelFormat(c.to);
        EXPECT_EQ(dib.GetPixelFormat(), c.to);
        ASSERT_FALSE(log.events.empty());
        EXPECT_TRUE(log.events.back().change);
        EXPECT_EQ(log.Changes(), 1);
        if (!c.message) {
            EXPECT_EQ(log.events.size(), 1u);
            continue;
        }
        EXPECT_EQ(log.Count(TProgressStage::psStarting), 1);
        EXPECT_EQ(log.Count(TProgressStage::psRunning), c.total - 1);
        EXPECT_EQ(log.Count(TProgressStage::psEnding), 1);
        for (const TEvent& e : log.events) {
            if (!e.change) {
                ASSERT_EQ(e.message, c.message);
            }
        }
    }
}

TEST(PxDIBFormat, NoisyPictureToRle8FailsAndStaysTrueColour) {
    TPxDIB dib;
    Load24(dib, 32, 16, NoiseRgb);
    const TBytes before = Save(dib);
    const int64_t stores = PxPixelStoreCount();
    TEventLog log;
    log.Listen(dib);
    dib.SetPaletteModified(false);
    EXPECT_EQ(MessageOf<EPxDIBCompressionFailed>([&] { dib.SetPixelFormat(pxf8BitRLE); }),
              L"Convert8BitRGBTo8BitRLE: Compression Failed");
    EXPECT_EQ(dib.GetPixelFormat(), pxf24Bit);
    EXPECT_EQ(Save(dib), before);
    EXPECT_EQ(PxPixelStoreCount(), stores);
    // The ending event is sent on failure too; the change event is not.
    ASSERT_FALSE(log.events.empty());
    EXPECT_EQ(log.events.back().stage, TProgressStage::psEnding);
    EXPECT_EQ(log.events.back().percent, 100);
    EXPECT_EQ(log.Changes(), 0);
    EXPECT_FALSE(dib.PaletteModified());
}

TEST(PxDIBFormat, OneBitKeepsExactlyThePixelsOfTheMonochromeColour) {
    const TRgb colours[] = {kWhiteRgb, {254, 255, 255}, {0, 0, 255}, {255, 0, 0}, kBlackRgb};
    struct Case {
        const char* name;
        uint32_t monochrome;  // 0x00BBGGRR
        TRgb key;
    };
    const Case cases[] = {{"white", 0xFFFFFF, kWhiteRgb}, {"blue", 0xFF0000, {0, 0, 255}}, {"red", 0x0000FF, {255, 0, 0}}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TPxDIB dib;
        Load24(dib, 11, 3, [&](int x, int y) { return colours[(x + 2 * y) % 5]; });
        dib.MonochromeColor = c.monochrome;
        dib.SetPixelFormat(pxf1Bit);
        const DIBInfos& infos = dib.InternalDIB().Infos();
        ASSERT_EQ(infos.Header.biBitCount, 1);
        EXPECT_EQ(infos.Header.biClrUsed, 2u);
        const TRGBQuad& black = infos.Colors[0];
        const TRGBQuad& white = infos.Colors[1];
        EXPECT_EQ((TRgb{black.rgbRed, black.rgbGreen, black.rgbBlue}), kBlackRgb);
        EXPECT_EQ((TRgb{white.rgbRed, white.rgbGreen, white.rgbBlue}), kWhiteRgb);
        for (int y = 0; y < 3; ++y) {
            for (int x = 0; x < 11; ++x) {
                ASSERT_EQ(IndexAt(infos, x, y), colours[(x + 2 * y) % 5] == c.key ? 1 : 0) << x << "," << y;
            }
        }
    }
}

TEST(PxDIBFormat, EightToTrueColourKeepsTheColourTable) {
    TPxDIB dib;
    TBmpLayout layout;
    layout.width = 6;
    layout.height = 2;
    layout.bitCount = 8;
    layout.clrUsed = 17;
    layout.colors = ColorQuads(17);
    layout.pixels = PatternRows(8, 2, 5);
    for (uint8_t& p : layout.pixels) p %= 17;
    Load(dib, BuildBmp(layout));
    const std::vector<TRgb> picture = Render(dib.InternalDIB().Infos());
    dib.SetPixelFormat(pxf24Bit);
    const DIBInfos& infos = dib.InternalDIB().Infos();
    EXPECT_EQ(infos.Header.biBitCount, 24);
    EXPECT_EQ(infos.Header.biClrUsed, 17u);
    EXPECT_EQ(TBytes(reinterpret_cast<const uint8_t*>(infos.Colors), reinterpret_cast<const uint8_t*>(infos.Colors) + 17 * 4),
              layout.colors);
    EXPECT_EQ(Render(infos), picture);
}

TEST(PxDIBFormat, TheFormatItHasAlreadyChangesNothingAndSendsNothing) {
    TPxDIB a, b;
    Load24(a, 5, 5, Runs);
    b.Assign(&a);
    TEventLog log;
    log.Listen(b);
    b.SetPixelFormat(pxf24Bit);
    EXPECT_TRUE(log.events.empty());
    EXPECT_EQ(&a.InternalDIB(), &b.InternalDIB());  // not even made private
    EXPECT_EQ(a.InternalDIB().RefCount(), 2);
}

TEST(PxDIBFormat, ASharedStorageIsMadePrivateBeforeConverting) {
    TPxDIB a, b;
    Load24(a, 9, 4, Runs);
    b.Assign(&a);
    const TBytes before = Save(a);
    b.SetPixelFormat(pxf8Bit);
    EXPECT_NE(&a.InternalDIB(), &b.InternalDIB());
    EXPECT_EQ(a.InternalDIB().RefCount(), 1);
    EXPECT_EQ(b.InternalDIB().RefCount(), 1);
    EXPECT_EQ(a.GetPixelFormat(), pxf24Bit);
    EXPECT_EQ(Save(a), before);
    EXPECT_EQ(b.GetPixelFormat(), pxf8Bit);
    EXPECT_EQ(Render(b.InternalDIB().Infos()), Render(a.InternalDIB().Infos()));
}

TEST(PxDIBFormat, ChangedColoursReachTheToolkit) {
    TPxDIB dib;
    Load24(dib, 9, 4, Runs);
    dib.SetPaletteModified(false);
    dib.SetPixelFormat(pxf4Bit);
    EXPECT_TRUE(dib.PaletteModified());
    EXPECT_FALSE(dib.InternalDIB().PaletteChanged());  // told once, then cleared
}

TEST(PxDIBFormat, AProgressHandlerThatRaisesLeavesThePictureAsItWas) {
    TPxDIB dib;
    Load24(dib, 16, 8, NoiseRgb);
    const TBytes before = Save(dib);
    const int64_t stores = PxPixelStoreCount();
    TEventLog log;
    log.Listen(dib);
    const auto record = dib.OnProgress;
    dib.OnProgress = [&](TGraphic& g, TProgressStage stage, uint8_t percent, bool redraw, const TRect& rect,
                         const std::wstring& message) {
        record(g, stage, percent, redraw, rect, message);
        if (stage == TProgressStage::psRunning && percent >= 50) throw Exception(L"cancelled");
    };
    EXPECT_EQ(MessageOf<Exception>([&] { dib.SetPixelFormat(pxf4Bit); }), L"cancelled");
    EXPECT_EQ(dib.GetPixelFormat(), pxf24Bit);
    EXPECT_EQ(Save(dib), before);
    EXPECT_EQ(PxPixelStoreCount(), stores);
    EXPECT_EQ(log.events.back().stage, TProgressStage::psEnding);
    EXPECT_EQ(log.Changes(), 0);
}

TEST(PxDIBFormat, CreateTrueColorPaletteReportsItsProgressAndGivesATable) {
    TPxDIB dib;
    Load24(dib, 10, 10, Runs);
    TEventLog log;
    log.Listen(dib);
    dib.CreateTrueColorPalette();
    EXPECT_EQ(dib.GetPixelFormat(), pxf24Bit);
    EXPECT_EQ(dib.InternalDIB().Infos().Header.biClrUsed, 5u);
    ASSERT_EQ(log.events.size(), 258u);
    EXPECT_EQ(log.events.front().stage, TProgressStage::psStarting);
    EXPECT_EQ(log.events.front().message, L"Create True Color Palette");
    EXPECT_EQ(log.Count(TProgressStage::psRunning), 255);
    EXPECT_EQ(log.events[256].stage, TProgressStage::psEnding);
    EXPECT_EQ(log.events[256].message, L"Create True Color Palette");
    EXPECT_TRUE(log.events[257].change);

    // On anything but true colour it fails after the starting event, and still ends.
    dib.SetPixelFormat(pxf8Bit);
    log.events.clear();
    EXPECT_EQ(MessageOf<EPxDIBBadDIBType>([&] { dib.CreateTrueColorPalette(); }),
              L"TPxInternalDIB.CreateTrueColorPalette: Bad DIB Type");
    ASSERT_EQ(log.events.size(), 2u);
    EXPECT_EQ(log.events[1].stage, TProgressStage::psEnding);
}

TEST(PxDIBFormat, CreateTrueColorPaletteOnASharedStorageLeavesTheOtherAlone) {
    TPxDIB a, b;
    Load24(a, 6, 6, Runs);
    b.Assign(&a);
    b.ReductionMethod = 1;
    b.CreateTrueColorPalette();
    EXPECT_EQ(a.InternalDIB().Infos().Header.biClrUsed, 0u);
    EXPECT_EQ(b.InternalDIB().Infos().Header.biClrUsed, 5u);
    EXPECT_EQ(a.InternalDIB().RefCount(), 1);
}
