// The settings store's rules that need no file.
#include "app/SpiReg.h"

#include <gtest/gtest.h>

TEST(SpiReg, TextsAreCutTo255Units) {
    struct Case {
        const char* name;
        std::wstring text;
        size_t want;
    };
    const std::wstring pair = L"\xD83D\xDCF7";  // one character in two UTF-16 units
    const Case cases[] = {
        {"short", L"C:\\写真", 5},
        {"exactly 255", std::wstring(255, L'a'), 255},
        {"300", std::wstring(300, L'a'), 255},
        {"a surrogate pair across the cut loses both halves", std::wstring(254, L'a') + pair, 254},
        {"a pair just inside stays", std::wstring(253, L'a') + pair + L"b", 255},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        if (sizeof(wchar_t) != 2 && c.text.find(pair) != std::wstring::npos) continue;  // no surrogates natively
        const std::wstring cut = SpiRegText(c.text);
        EXPECT_EQ(cut.size(), c.want);
        EXPECT_EQ(cut, c.text.substr(0, c.want));
    }
    TSpiRegValues values;
    values.folderView = values.browseFolder = values.saveFolder = std::wstring(300, L'x');
    const TSpiRegValues limited = SpiRegLimited(values);
    EXPECT_EQ(limited.folderView.size() + limited.browseFolder.size() + limited.saveFolder.size(), 3 * 255u);
}

TEST(SpiReg, StoredLayoutIsAppliedOnlyWithWidthAndHeight) {
    struct Case {
        int width, height;
        bool want;
    };
    const Case cases[] = {{0, 0, false}, {800, 0, false}, {0, 600, false}, {800, 600, true}, {-1, 1, true}};
    for (const auto& c : cases) {
        TSpiRegValues values;
        values.width = c.width;
        values.height = c.height;
        EXPECT_EQ(AppliesStoredLayout(values), c.want) << c.width << " x " << c.height;
    }
}
