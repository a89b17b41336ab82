#include "platform/DoubleClick.h"

#include <gtest/gtest.h>

using namespace velmora;

TEST(DoubleClick, TwoPressesCloseInTimeAndPlace) {
    DoubleClickDetector d(500);
    EXPECT_FALSE(d.leftPress(1000, 100, 100, false));
    const auto click = d.leftPress(1400, 104, 103, true);
    ASSERT_TRUE(click);
    EXPECT_EQ(click->x, 104);
    EXPECT_TRUE(click->alt);
    EXPECT_TRUE(d.handling()) << "the click is being handled";
    EXPECT_FALSE(d.leftPress(1500, 104, 103, false)) << "nothing while it is handled";
    d.setHandling(false);
    EXPECT_FALSE(d.leftPress(1600, 104, 103, false)) << "a triple click is one double-click and a new first press";
    EXPECT_TRUE(d.leftPress(1700, 104, 103, false));
}

TEST(DoubleClick, TooSlowOrMovedAwayStartsAgain) {
    const struct {
        const char* name;
        std::int64_t secondAt;
        int dx;
        int dy;
        bool expected;
    } rows[] = {
        {"in time", 1500, 0, 0, true},       {"too slow", 1501, 0, 0, false}, {"five sideways", 1200, 5, 0, true},
        {"six sideways", 1200, 6, 0, false}, {"five down", 1200, 0, 5, true}, {"six down", 1200, 0, 6, false},
        {"six up", 1200, 0, -6, false},
    };
    for (const auto& row : rows) {
        DoubleClickDetector d(500);
        d.leftPress(1000, 50, 50, false);
        EXPECT_EQ(d.leftPress(row.secondAt, 50 + row.dx, 50 + row.dy, false).has_value(), row.expected) << row.name;
    }
    DoubleClickDetector d(500);
    d.leftPress(1000, 50, 50, false);
    d.motion(80, 50); // away and back: the sequence began anew over there
    EXPECT_FALSE(d.leftPress(1100, 50, 50, false));
}
