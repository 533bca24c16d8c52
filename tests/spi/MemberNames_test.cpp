#include <gtest/gtest.h>

#include "spi/archive/MemberNames.h"

namespace {

// Lead bytes of code page 932 (Shift JIS), so that the tests need no Windows.
bool IsSjisLead(uint8_t b) { return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC); }

// "表" and "ソ" in Shift JIS end in 0x5C, the byte of '\'; "ポ" ends in 0x7C, the byte of '|'.
const std::string kHyo = "\x95\x5C", kSo = "\x83\x5C", kPo = "\x83\x7C";

TEST(IsValidUtf8, Texts) {
    struct Case {
        const char* name;
        std::string text;
        bool valid;
    };
    const Case cases[] = {
        {"ASCII", "photo.png", true},
        {"Japanese", "\xE5\x86\x99\xE7\x9C\x9F.png", true},
        {"four-byte character", "\xF0\x9F\x98\x80", true},
        {"Shift JIS bytes", kHyo + kSo, false},
        {"overlong slash", "\xC0\xAF", false},
        {"overlong three-byte", "\xE0\x80\xAF", false},
        {"surrogate", "\xED\xA0\x80", false},
        {"above U+10FFFF", "\xF4\x90\x80\x80", false},
        {"cut short", "\xE5\x86", false},
        {"lone continuation", "\x80", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(IsValidUtf8(c.text), c.valid);
    }
}

TEST(SplitMemberName, FoldersAndFile) {
    struct Case {
        const char* name;
        std::string in, path, file;
    };
    const Case cases[] = {
        {"top level", "a.png", "", "a.png"},
        {"slashes", "x/y/a.png", "x\\y\\", "a.png"},
        {"backslashes", "x\\a.png", "x\\", "a.png"},
        {"trail byte 0x5C is not a separator", kHyo + "/" + kSo + ".png", kHyo + "\\", kSo + ".png"},
        {"name ending in a trail byte 0x5C", "d/" + kHyo, "d\\", kHyo},
        {"folder only", "d/", "d\\", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const TSplitName split = SplitMemberName(c.in, IsSjisLead);
        EXPECT_EQ(split.path, c.path);
        EXPECT_EQ(split.file, c.file);
    }
    // Without a lead-byte rule every 0x5C separates.
    EXPECT_EQ(SplitMemberName(kHyo + "x", nullptr).file, "x");
}

TEST(CopyField, CutsBeforeACharacterThatDoesNotFit) {
    char field[6];
    CopyField(field, sizeof field, "abcd" + kHyo, IsSjisLead);
    EXPECT_STREQ(field, "abcd");  // the double-byte character would need bytes 5 and 6
    CopyField(field, sizeof field, "abc" + kHyo, IsSjisLead);
    EXPECT_STREQ(field, ("abc" + kHyo).c_str());
    CopyField(field, sizeof field, "abcdefgh", IsSjisLead);
    EXPECT_STREQ(field, "abcde");
    CopyField(field, 1, "abc", IsSjisLead);
    EXPECT_STREQ(field, "");
}

TEST(EndsWithSeparator, TrailBytesDoNotCount) {
    EXPECT_TRUE(EndsWithSeparator("C:\\out\\", IsSjisLead));
    EXPECT_TRUE(EndsWithSeparator("C:/out/", IsSjisLead));
    EXPECT_FALSE(EndsWithSeparator("C:\\" + kHyo, IsSjisLead));
    EXPECT_FALSE(EndsWithSeparator("", IsSjisLead));
}

TEST(SafeFileName, Names) {
    struct Case {
        const char* name;
        std::string in, out;
    };
    const Case cases[] = {
        {"plain", "photo.png", "photo.png"},
        {"forbidden characters", "a<b>c:d\"e|f?g*h.png", "a_b_c_d_e_f_g_h.png"},
        {"control character", std::string("a\x01" "b"), "a_b"},
        {"trail bytes kept", kPo + kHyo + ".png", kPo + kHyo + ".png"},
        {"device name", "CON", "_CON"},
        {"device name with extension", "nul.txt", "_nul.txt"},
        {"numbered device", "com1.png", "_com1.png"},
        {"not a device", "CONSOLE.png", "CONSOLE.png"},
        {"COM0 is no device", "COM0", "COM0"},
        {"dot", ".", ""},
        {"dot dot", "..", ""},
        {"spaces and dots", " . ", ""},
        {"empty", "", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(SafeFileName(c.in, IsSjisLead), c.out);
    }
}

TEST(DosDateTimeToSeconds, Stamps) {
    struct Case {
        const char* name;
        uint16_t date, time;
        int64_t seconds;
    };
    const Case cases[] = {
        {"2023-11-14 22:13:20", (43 << 9) | (11 << 5) | 14, (22 << 11) | (13 << 5) | 10, 1700000000},
        {"1980-01-01, the first DOS day", (0 << 9) | (1 << 5) | 1, 0, 315532800},
        {"zero date is 1980-01-01", 0, 0, 315532800},
        {"leap day 2024-02-29 12:00:00", (44 << 9) | (2 << 5) | 29, 12 << 11, 1709208000},
        {"last second DOS can hold", (127 << 9) | (12 << 5) | 31, (23 << 11) | (59 << 5) | 29, 4354819198},
        {"month 13 is December", (40 << 9) | (13 << 5) | 1, 0, 1606780800},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(DosDateTimeToSeconds(c.date, c.time), c.seconds);
    }
    EXPECT_EQ(CivilToSeconds(1969, 12, 31, 23, 59, 59), -1);
}

}  // namespace
