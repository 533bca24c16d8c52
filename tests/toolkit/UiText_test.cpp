#include "toolkit/UiText.h"

#include <gtest/gtest.h>

#include <new>
#include <stdexcept>

#include "toolkit/Exceptions.h"

TEST(HintText, CutAtBarAndBreakAtReturn) {
    struct Case {
        const char* name;
        std::wstring hint, want;
    };
    const Case cases[] = {
        {"no bar", L"前の画像を開く", L"前の画像を開く"},
        {"empty long part", L"フォルダの参照ダイアログを開く|", L"フォルダの参照ダイアログを開く"},
        {"return is a line break", L"移動・コピー先のフォルダを記入\r上書きの時は無視されます|",
         L"移動・コピー先のフォルダを記入\r\n上書きの時は無視されます"},
        {"only the first bar counts", L"short|long|more", L"short"},
        {"return after the bar is dropped", L"a|b\rc", L"a"},
        {"line break already whole", L"a\r\nb", L"a\r\nb"},
        {"trailing and double returns", L"a\r\rb\r", L"a\r\n\r\nb\r\n"},
        {"nothing before the bar", L"|long only", L""},
        {"empty", L"", L""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(HintText(c.hint), c.want);
    }
}

TEST(ExceptionText, EveryKindGivesItsMessage) {
    auto capture = [](auto thrower) {
        try {
            thrower();
        } catch (...) {
            return std::current_exception();
        }
        return std::exception_ptr();
    };
    EXPECT_EQ(ExceptionText(capture([] { throw EReadError(L"ストリームの読み込みエラー"); })), L"ストリームの読み込みエラー");
    EXPECT_EQ(ExceptionText(capture([] { throw std::runtime_error("caf\xc3\xa9 \xe7\x94\xbb\xe5\x83\x8f"); })),
              L"caf\u00e9 \u753b\u50cf");
    EXPECT_FALSE(ExceptionText(capture([] { throw std::bad_alloc(); })).empty());
    EXPECT_EQ(ExceptionText(capture([] { throw 42; })), L"不明な例外が発生しました。");
    EXPECT_EQ(ExceptionText(nullptr), L"");
}
