#include "platform/Autostart.h"

#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <filesystem>

using namespace velmora;
using velmora::test::readBytes;
using velmora::test::TempDir;

TEST(Autostart, OneFileForTheChosenWayOfStarting) {
    TempDir config;
    const std::string file = autostartFilePath(config.dir());
    ASSERT_TRUE(registerStartup(1, "/opt/velmora/velmora", nullptr, config.dir()));
    std::string text = readBytes(file);
    EXPECT_NE(text.find("\nExec=/opt/velmora/velmora\n"), std::string::npos) << text;
    EXPECT_EQ(text.rfind("[Desktop Entry]\n", 0), 0u);

    ASSERT_TRUE(registerStartup(2, "/home/u/My Apps/velmora", nullptr, config.dir()));
    text = readBytes(file);
    EXPECT_NE(text.find("\nExec=\"/home/u/My Apps/velmora\" /0\n"), std::string::npos) << text;
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(config.path() / "autostart"), {}), 1)
        << "one file, replaced";

    ASSERT_TRUE(registerStartup(2, "/odd/$HOME/ve\"l", nullptr, config.dir()));
    EXPECT_NE(readBytes(file).find("Exec=\"/odd/\\$HOME/ve\\\"l\" /0"), std::string::npos)
        << "no variable of the user's session is expanded";

    ASSERT_TRUE(registerStartup(0, "", nullptr, config.dir()));
    EXPECT_FALSE(std::filesystem::exists(file));
    EXPECT_TRUE(registerStartup(0, "", nullptr, config.dir())) << "nothing to remove is no failure";
}
