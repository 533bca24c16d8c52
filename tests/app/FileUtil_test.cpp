#include "app/FileUtil.h"

#include <gtest/gtest.h>

#include <cstdint>

TEST(GroupDigits, GroupsOfThreeNeverAfterTheSign) {
    struct Case {
        int64_t n;
        int width;
        const wchar_t* want;
    };
    const Case cases[] = {
        {0, 0, L"0"},
        {999, 0, L"999"},
        {1000, 0, L"1,000"},
        {-100, 0, L"-100"},
        {-999999, 0, L"-999,999"},
        {-1200007, 0, L"-1,200,007"},
        {1234567, 12, L"   1,234,567"},
        {1234567, 3, L"567"},
        {INT64_MIN, 0, L"-9,223,372,036,854,775,808"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.n);
        EXPECT_EQ(GroupDigits(c.n, c.width), c.want);
    }
}

TEST(TextHelpers, RightJustifyRepeatAndStrip) {
    EXPECT_EQ(RightJustify(L"abcdef", 3), L"def");
    EXPECT_EQ(RightJustify(L"ab", 5), L"   ab");
    EXPECT_EQ(RightJustify(L"ab", 2), L"ab");
    EXPECT_EQ(RightJustify(L"ab", 0), L"");
    EXPECT_EQ(RightJustify(L"ab", -4), L"");
    EXPECT_EQ(RepeatText(L"ab", 3), L"ababab");
    EXPECT_EQ(RepeatText(L"ab", 0), L"");
    EXPECT_EQ(RepeatText(L"", 5), L"");
    EXPECT_EQ(StripTrailingBackslash(L"C:\\a\\"), L"C:\\a");
    EXPECT_EQ(StripTrailingBackslash(L"C:\\a\\\\"), L"C:\\a\\");  // one character only
    EXPECT_EQ(StripTrailingBackslash(L""), L"");
    EXPECT_EQ(StripTrailingBackslash(L"\\"), L"");
}

TEST(UnixToDateTime, EpochDaysAndBias) {
    EXPECT_DOUBLE_EQ(UnixToDateTime(0, 0), 25569.0);
    EXPECT_DOUBLE_EQ(UnixToDateTime(86400 + 43200, 0), 25570.5);
    // Japan is nine hours ahead of UTC: bias -540 minutes moves the time 0.375 days later.
    EXPECT_DOUBLE_EQ(UnixToDateTime(0, -540), 25569.375);
    EXPECT_DOUBLE_EQ(UnixToDateTime(0, 60), 25569.0 - 1.0 / 24);
    // Times before 1970 and past 2038 come through unchanged in form.
    EXPECT_DOUBLE_EQ(UnixToDateTime(-86400, 0), 25568.0);
    EXPECT_DOUBLE_EQ(UnixToDateTime(4102444800, 0), 73051.0);  // 2100-01-01
}

TEST(DateOfDateTime, CalendarDaysAndShortText) {
    // Serial days from 30 December 1899; the fraction (time of day) never moves the date.
    const std::pair<double, const wchar_t*> cases[] = {
        {25569.999, L"70/01/01"}, {36585.5, L"00/02/29"}, {60.0, L"00/02/28"},  {61.0, L"00/03/01"},
        {50424.0, L"38/01/19"},   {0.0, L"99/12/30"},     {-0.5, L"99/12/29"}, {-109205.0, L"01/01/01"}};
    for (const auto& [serial, text] : cases) EXPECT_EQ(ShortDateText(DateOfDateTime(serial)), text) << serial;
    const TDate d = DateOfDateTime(73110.0);
    EXPECT_EQ(d.year * 10000 + d.month * 100 + d.day, 21000301);
    EXPECT_EQ(UpperAscii(L"a.jpg\u00e9ｚ"), L"A.JPG\u00e9ｚ");  // accented and full-width letters stay
    EXPECT_TRUE(SameTextIgnoringAsciiCase(L"c:\\Pics", L"C:\\PICS"));
}
