#include "toolkit/PictureFormats.h"

#include <gtest/gtest.h>

namespace {

const TGraphicClass kBase{L"TBase", nullptr, nullptr};
const TGraphicClass kDerived{L"TDerived", nullptr, &kBase};
const TGraphicClass kOther{L"TOther", nullptr, nullptr};

// Each test leaves the registry as it found it.
class PictureFormats : public ::testing::Test {
protected:
    ~PictureFormats() override {
        UnregisterGraphicClass(&kBase);
        UnregisterGraphicClass(&kDerived);
        UnregisterGraphicClass(&kOther);
    }
};

}  // namespace

TEST_F(PictureFormats, ExtensionsMatchIgnoringCaseWithOrWithoutDot) {
    RegisterFileFormat(L"vvi", L"VV picture", &kBase);
    for (const wchar_t* ext : {L"vvi", L"VVI", L".Vvi"}) {
        SCOPED_TRACE(testing::PrintToString(ext));
        const TFileFormat* f = FindFileFormat(ext);
        ASSERT_NE(f, nullptr);
        EXPECT_EQ(f->description, L"VV picture");
        EXPECT_EQ(f->graphicClass, &kBase);
    }
    EXPECT_EQ(FindFileFormat(L"vv"), nullptr);
    EXPECT_EQ(FindFileFormat(L""), nullptr);
}

TEST_F(PictureFormats, LatestRegistrationAnswersAndAllAreKept) {
    const size_t before = FileFormats().size();
    RegisterFileFormat(L"png", L"first", &kBase);
    RegisterFileFormat(L"PNG", L"second", &kOther);
    EXPECT_EQ(FindFileFormat(L"png")->description, L"second");
    EXPECT_EQ(FileFormats().size(), before + 2);
    UnregisterGraphicClass(&kOther);
    EXPECT_EQ(FindFileFormat(L"png")->description, L"first");
    UnregisterGraphicClass(&kBase);
    EXPECT_EQ(FindFileFormat(L"png"), nullptr);
    EXPECT_EQ(FileFormats().size(), before);
}

TEST_F(PictureFormats, ClipboardFormats) {
    EXPECT_EQ(FindClipboardGraphic(8), nullptr);
    RegisterClipboardGraphic(8, &kBase);
    RegisterClipboardGraphic(8, &kDerived);
    RegisterClipboardGraphic(2, &kOther);
    EXPECT_EQ(FindClipboardGraphic(8), &kDerived);
    EXPECT_EQ(FindClipboardGraphic(2), &kOther);
    UnregisterGraphicClass(&kDerived);
    EXPECT_EQ(FindClipboardGraphic(8), &kBase);
}

TEST(GraphicClass, InheritsFromFollowsParents) {
    EXPECT_TRUE(InheritsFrom(&kDerived, &kBase));
    EXPECT_TRUE(InheritsFrom(&kBase, &kBase));
    EXPECT_FALSE(InheritsFrom(&kBase, &kDerived));
    EXPECT_FALSE(InheritsFrom(&kOther, &kBase));
    EXPECT_FALSE(InheritsFrom(nullptr, &kBase));
}
