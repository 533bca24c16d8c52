#include "toolkit/Unique.h"

#include <gtest/gtest.h>

namespace {
int g_closed = 0;
struct FakeTraits {
    using Handle = int;
    static Handle Empty() { return -1; }
    static void Close(Handle) { ++g_closed; }
};
using TFake = TUnique<FakeTraits>;
}  // namespace

TEST(Unique, ClosesExactlyOnceAcrossMovesResetsAndRelease) {
    g_closed = 0;
    {
        TFake a(3);
        TFake b(std::move(a));
        EXPECT_FALSE(a);
        EXPECT_EQ(b.get(), 3);
        TFake c(4);
        c = std::move(b);  // closes 4
        EXPECT_EQ(g_closed, 1);
        *c.put() = 9;  // closes 3, then holds 9
        EXPECT_EQ(g_closed, 2);
        TFake d(5);
        EXPECT_EQ(d.release(), 5);  // released: never closed
    }
    EXPECT_EQ(g_closed, 3);  // 9 at scope end
}
