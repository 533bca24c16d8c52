#include "plugins/PluginCallGate.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

TEST(TPluginCallGate, TheThreadInsideIsRefusedAndOthersWaitTheirTurn) {
    TPluginCallGate gate;
    ASSERT_TRUE(gate.Enter());
    EXPECT_FALSE(gate.Enter()) << "the thread inside, at once";

    std::atomic<bool> entered{false};
    std::atomic<bool> refused{false};
    std::thread other([&] {
        if (!gate.Enter()) {
            refused = true;
            return;
        }
        entered = true;
        EXPECT_FALSE(gate.Enter()) << "the other thread, once inside";
        gate.Leave();
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    EXPECT_FALSE(entered) << "another thread waits while one is inside";
    EXPECT_FALSE(refused);
    gate.Leave();
    other.join();
    EXPECT_TRUE(entered) << "and gets in once it has left";

    ASSERT_TRUE(gate.Enter()) << "free again for the first thread";
    gate.Leave();
}
