// The picture class: shared storage, copy on write, replacing the picture, and its failures.
#include "imaging/PxGraph.h"

#include <gtest/gtest.h>

#include "imaging/BmpBuilder.h"
#include "toolkit/PictureFormats.h"
#include "toolkit/Streams.h"

namespace {

TBytes Bmp24(int32_t width, int32_t height, uint32_t seed) {
    TBmpSpec spec;
    spec.width = width;
    spec.height = height;
    spec.bitCount = 24;
    spec.pixels = PatternRows(static_cast<uint32_t>(RowStride(width, 24)), static_cast<uint32_t>(height < 0 ? -height : height), seed);
    return BuildBmp(spec);
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
    TBmpSpec spec;
    spec.bitCount = 24;
    spec.width = 4;
    spec.height = 4;
    spec.pixels = TBytes(10, 0xFF);
    TBytes shortFile = BuildBmp(spec);
    EXPECT_THROW(Load(dib, shortFile), Exception);
    EXPECT_EQ(dib.GetWidth(), 1);
    EXPECT_EQ(dib.GetHeight(), 1);
    EXPECT_EQ(changes, 1);
}

TEST(PxDIB, SetWidthAndHeightMakeABlackPictureOfTheSameKind) {
    TPxDIB dib;
    TBmpSpec spec;
    spec.width = 6;
    spec.height = -3;  // top-down
    spec.bitCount = 8;
    spec.clrUsed = 17;
    spec.colors = ColorQuads(17);
    spec.pixels = PatternRows(8, 3, 9);
    Load(dib, BuildBmp(spec));

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
