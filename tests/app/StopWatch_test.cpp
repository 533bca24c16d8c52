#include "app/StopWatch.h"

#include <gtest/gtest.h>

namespace {

struct TFakeLabel : TLabelTarget {
    std::wstring caption;
    void SetCaption(const std::wstring& text) override { caption = text; }
};

}  // namespace

TEST(StopWatchText, HoursMinutesSecondsMillis) {
    struct Case {
        int64_t ms;
        const wchar_t* want;
    };
    const Case cases[] = {
        {0, L"0時間  0分  0秒000"},
        {61234, L"0時間  1分  1秒234"},
        {3723004, L"1時間  2分  3秒004"},
        {65535999, L"18時間 12分 15秒999"},
        {65536000, L"0時間  0分  0秒000"},  // the seconds count is 16 bits wide
        {65537250, L"0時間  0分  1秒250"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.ms);
        EXPECT_EQ(FormatElapsed(c.ms), c.want);
    }
}

TEST(StopWatch, MeasuresAcrossTimerWrapAndFreezesOnStop) {
    uint32_t now = 0xFFFFFF00u;
    TStopWatch watch([&] { return now; });
    EXPECT_EQ(watch.Elapsed(), 0);  // stop without a start
    watch.Start();
    now += 0x200;  // wraps past zero
    EXPECT_EQ(watch.Elapsed(), 0x200);
    watch.Stop();
    now += 5000;
    EXPECT_EQ(watch.Elapsed(), 0x200);
    EXPECT_EQ(watch.Text(), L"0時間  0分  0秒512");
    // Elapsed itself is not cut at 65536 seconds.
    watch.Start();
    now += 70000000u;
    EXPECT_EQ(watch.Elapsed(), 70000000);
}

TEST(StopWatch, WritesLabelOnStopAndForgetsADestroyedLabel) {
    uint32_t now = 100;
    TStopWatch watch([&] { return now; });
    {
        TFakeLabel label;
        watch.SetDisplayLabel(&label);
        watch.Start();
        now += 61234;
        watch.Stop();
        EXPECT_EQ(label.caption, L"0時間  1分  1秒234");
    }
    EXPECT_EQ(watch.DisplayLabel(), nullptr);
    watch.Start();
    watch.Stop();  // must not touch the destroyed label
}
