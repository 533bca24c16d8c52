// The settings store's rules that need no file.
#include "app/SpiReg.h"

#include <gtest/gtest.h>

TEST(SpiReg, TextsAreCutTo255Units) {
    const std::wstring pair = sizeof(wchar_t) == 2 ? L"\xD83D\xDCF7" : L"";  // one character in two UTF-16 units
    struct Case {
        std::wstring text;
        size_t want;
    };
    const Case cases[] = {{L"C:\\写真", 5},
                          {std::wstring(255, L'a'), 255},
                          {std::wstring(300, L'a'), 255},
                          {std::wstring(254, L'a') + pair, 254},  // a cut pair loses both halves
                          {std::wstring(253, L'a') + pair + L"b", pair.empty() ? 254u : 255u}};
    for (const auto& c : cases) EXPECT_EQ(SpiRegText(c.text), c.text.substr(0, c.want)) << c.text.size();
    TSpiRegValues values;
    values.folderView = values.browseFolder = values.saveFolder = std::wstring(300, L'x');
    const TSpiRegValues limited = SpiRegLimited(values);
    EXPECT_EQ(limited.folderView.size() + limited.browseFolder.size() + limited.saveFolder.size(), 3 * 255u);
}

TEST(SpiReg, StoredLayoutIsAppliedOnlyWithWidthAndHeight) {
    const int cases[][3] = {{0, 0, false}, {800, 0, false}, {0, 600, false}, {800, 600, true}, {-1, 1, true}};
    for (const auto& c : cases) {
        TSpiRegValues values;
        values.width = c[0];
        values.height = c[1];
        EXPECT_EQ(AppliesStoredLayout(values), c[2] != 0) << c[0] << " x " << c[1];
    }
}
