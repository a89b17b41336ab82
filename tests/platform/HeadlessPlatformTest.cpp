#include "platform/headless/HeadlessPlatform.h"

#include "core/DateText.h"
#include "platform/SecretFile.h"
#include "support/TestSupport.h"

#include <chrono>
#include <filesystem>
#include <thread>

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

TEST(HeadlessPlatform, ProgramsGetTheirParametersAsArgumentsNeverAShell) {
    velmora::test::TempDir dir;
    // A shell would run the second command and make "pwned"; as arguments they are file names.
    ASSERT_TRUE(HeadlessPlatform().launchProgram("/usr/bin/touch", "\"a b\" c;touch pwned", dir.dir()));
    for (int i = 0; i < 100 && !std::filesystem::exists(dir.file("c;touch")); ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    EXPECT_TRUE(std::filesystem::exists(dir.file("a b")));
    EXPECT_TRUE(std::filesystem::exists(dir.file("c;touch")));
    EXPECT_TRUE(std::filesystem::exists(dir.file("pwned"))) << "the last word is one more file name";
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 3);
    EXPECT_FALSE(HeadlessPlatform().launchProgram("", "x", dir.dir()));
}

TEST(SecretFile, ValuesAreReadAndErased) {
    velmora::test::TempDir dir;
    velmora::test::writeBytes(dir.file("registry.ini"),
                              velmora::test::cp932("[SECRET]\r\n2026/12/08-00=EXEC calc\r\nother=keep\r\n"));
    velmora::SecretFile secrets(dir.file("registry.ini"));
    EXPECT_EQ(secrets.secret("2026/12/08-00"), "EXEC calc");
    secrets.eraseSecret("2026/12/08-00");
    EXPECT_EQ(secrets.secret("2026/12/08-00"), std::nullopt);
    EXPECT_EQ(secrets.secret("other"), "keep");
    EXPECT_EQ(velmora::SecretFile(dir.file("missing.ini")).secret("x"), std::nullopt);
}
