#include "platform/headless/HeadlessPlatform.h"

#include "core/DateText.h"

#include <gtest/gtest.h>

#include <cstdlib>

using namespace velmora;

TEST(HeadlessPlatform, ComputerNameIsAtMostFifteenCharacters) {
    EXPECT_EQ(truncateComputerName("SHORT"), "SHORT");
    EXPECT_EQ(truncateComputerName("ABCDEFGHIJKLMNOPQ"), "ABCDEFGHIJKLMNO");
    EXPECT_EQ(truncateComputerName("経理部のパソコン一号機です追加の文字"),
              "経理部のパソコン一号機です追加"); // whole characters

    ::setenv("VELMORA_COMPUTERNAME", "SECOND-COMPUTER-IN-TEST", 1);
    EXPECT_EQ(HeadlessPlatform().computerName(), "SECOND-COMPUTER");
    ::unsetenv("VELMORA_COMPUTERNAME");
    EXPECT_FALSE(HeadlessPlatform().computerName().empty());
}

TEST(HeadlessPlatform, TheClockStartsAtVelmoraNowAndRuns) {
    ::setenv("VELMORA_NOW", "2026/12/31 23:59:59", 1);
    const auto clock = HeadlessPlatform().createClock();
    ::unsetenv("VELMORA_NOW");
    const DateValue now = clock->now();
    EXPECT_GE(now.value(), parseDateTime("2026/12/31 23:59:59")->value());
    EXPECT_LT(now.value(), parseDateTime("2027/01/01 00:01:00")->value());

    ::setenv("VELMORA_NOW", "not a time", 1);
    const auto system = HeadlessPlatform().createClock();
    ::unsetenv("VELMORA_NOW");
    EXPECT_GT(system->now().year(), 2000) << "a malformed value leaves the system clock";
}

TEST(HeadlessPlatform, TheExecutableFolderEndsWithASeparator) {
    const std::string dir = HeadlessPlatform().executableDir();
    ASSERT_FALSE(dir.empty());
    EXPECT_EQ(dir.back(), '/');
    EXPECT_TRUE(HeadlessPlatform().isWritableDir(dir));
}
