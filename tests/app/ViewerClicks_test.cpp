// The viewers' mouse rules: what each press, release and timer expiry leads to, and the long-press
// flag across a whole gesture.
#include <gtest/gtest.h>

#include <vector>

#include "app/ViewerClicks.h"

namespace {

using A = TViewerAction;

// One step of a gesture: a press or release of the right (or another) button, or the timer.
struct TStep {
    enum { press, release, timer } kind;
    bool right;
    A want;
};

TEST(ViewerClicks, Gestures) {
    struct Case {
        const char* name;
        bool browse;
        bool longPressAtStart;
        std::vector<TStep> steps;
        bool longPressAtEnd;
    };
    const Case cases[] = {
        {"short right click pages forward", true, false,
         {{TStep::press, true, A::vaStartTimer}, {TStep::release, true, A::vaShowNext}}, false},
        {"left click pages back", true, false,
         {{TStep::press, false, A::vaNone}, {TStep::release, false, A::vaShowPrevious}}, false},
        {"held right button opens the menu and does not page", true, false,
         {{TStep::press, true, A::vaStartTimer}, {TStep::timer, true, A::vaPopupAtCursor},
          {TStep::release, true, A::vaNone}},
         false},
        {"a release the menu swallowed leaves the flag for the next one", true, false,
         {{TStep::press, true, A::vaStartTimer}, {TStep::timer, true, A::vaPopupAtCursor},
          {TStep::release, false, A::vaNone}, {TStep::press, true, A::vaStartTimer},
          {TStep::release, true, A::vaShowNext}},
         false},
        {"the flag set at the start swallows the first release only", true, true,
         {{TStep::release, false, A::vaNone}, {TStep::release, false, A::vaShowPrevious}}, false},
        {"outside browse mode a right press opens the menu at once", false, false,
         {{TStep::press, true, A::vaPopupAtPoint}, {TStep::release, true, A::vaNone}}, false},
        {"outside browse mode a left click does nothing", false, false,
         {{TStep::press, false, A::vaNone}, {TStep::release, false, A::vaNone}}, false},
        {"outside browse mode a release clears the flag too", false, true, {{TStep::release, true, A::vaNone}}, false},
        {"the timer alone sets the flag", true, false, {{TStep::timer, true, A::vaPopupAtCursor}}, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TViewerClicks clicks(c.longPressAtStart);
        for (size_t i = 0; i < c.steps.size(); ++i) {
            SCOPED_TRACE(i);
            const TStep& s = c.steps[i];
            const A got = s.kind == TStep::press     ? clicks.Press(s.right, c.browse)
                          : s.kind == TStep::release ? clicks.Release(s.right, c.browse)
                                                     : clicks.TimerExpired();
            EXPECT_EQ(got, s.want);
        }
        EXPECT_EQ(clicks.LongPress(), c.longPressAtEnd);
    }
}

}  // namespace
