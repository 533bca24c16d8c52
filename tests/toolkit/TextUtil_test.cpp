#include "toolkit/TextUtil.h"

#include <gtest/gtest.h>

#include "toolkit/Exceptions.h"

TEST(Utf8, RoundTripsEveryPlane) {
    const std::wstring text = L"abc 画像.jpg \u00e9 \u30bd \U0001F600";
    const std::string utf8 = WideToUtf8(text);
    EXPECT_EQ(utf8, "abc \xe7\x94\xbb\xe5\x83\x8f.jpg \xc3\xa9 \xe3\x82\xbd \xf0\x9f\x98\x80");
    EXPECT_EQ(Utf8ToWide(utf8), text);
}

TEST(Utf8, MalformedBytesBecomeReplacementCharacters) {
    struct Case {
        const char* name;
        std::string in;
        std::wstring want;
    };
    const Case cases[] = {
        {"lone continuation", "a\x80z", L"a\uFFFDz"},
        {"truncated sequence at end", "a\xe3\x82", L"a\uFFFD\uFFFD"},
        {"overlong slash", "\xc0\xaf", L"\uFFFD\uFFFD"},
        {"encoded surrogate", "\xed\xa0\x80", L"\uFFFD\uFFFD\uFFFD"},
        {"past U+10FFFF", "\xf4\x90\x80\x80", L"\uFFFD\uFFFD\uFFFD\uFFFD"},
        {"lead then ascii", "\xe3" "A", L"\uFFFD" "A"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(Utf8ToWide(c.in), c.want);
    }
}

TEST(FormatW, FillsStringsInOrderAndLeavesOtherDirectivesAlone) {
    EXPECT_EQ(FormatW(L"%s:認識できないSusie Pluginです", {L"C:\\a.spi"}), L"C:\\a.spi:認識できないSusie Pluginです");
    EXPECT_EQ(FormatW(L"%sは[%s]では使えない", {L"GetFile", L"x.spi"}), L"GetFileは[x.spi]では使えない");
    EXPECT_EQ(FormatW(L"100%% %d %s", {L"done"}), L"100% %d done");
    // An argument that itself holds "%s" is not expanded again, and missing arguments give nothing.
    EXPECT_EQ(FormatW(L"[%s][%s]", {L"%s"}), L"[%s][]");
}

TEST(Exception, CarriesMessageClassAndUtf8What) {
    try {
        throw EInvalidGraphic(L"認識できない画像形式です");
    } catch (const Exception& e) {
        EXPECT_STREQ(e.ClassName(), "EInvalidGraphic");
        EXPECT_EQ(e.Message(), L"認識できない画像形式です");
        EXPECT_EQ(std::string(e.what()), WideToUtf8(L"認識できない画像形式です"));
    }
    EXPECT_STREQ(EReadError(L"x").ClassName(), "EReadError");
}
