#include "platform/InstallLayout.h"
#include "platform/Autostart.h"
#include "platform/StartupEnvironment.h"
#include "platform/headless/HeadlessPlatform.h"

#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <optional>

using namespace velmora;
using velmora::test::readBytes;
using velmora::test::TempDir;
using velmora::test::writeBytes;

namespace {

namespace fs = std::filesystem;

// <root>/usr/bin and <root>/usr/share/velmora as an installation lays them out.
struct InstalledTree {
    TempDir root;
    std::string bin() const { return root.dir() + "usr/bin/"; }
    std::string share() const { return root.dir() + "usr/share/velmora/"; }
    InstalledTree() {
        fs::create_directories(bin());
        fs::create_directories(share());
        writeBytes(bin() + "velmora", "");
        writeBytes(share() + "help.html", "<html></html>");
        writeBytes(share() + "first.ini", "[SYSTEM]\r\n");
    }
};

// The headless platform of a program that runs from `dir`, which it may write.
class PlatformIn : public HeadlessPlatform {
public:
    explicit PlatformIn(std::string dir) : m_dir(std::move(dir)) {}
    std::string executableDir() const override { return m_dir; }
    bool isWritableDir(const std::string&) const override { return true; }

private:
    std::string m_dir;
};

// Sets variables for one test and puts the old values back.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const char* value) : m_name(name) {
        if (const char* old = std::getenv(name)) {
            m_old = old;
        }
        if (value) {
            setenv(name, value, 1);
        } else {
            unsetenv(name);
        }
    }
    ~ScopedEnv() {
        if (m_old) {
            setenv(m_name, m_old->c_str(), 1);
        } else {
            unsetenv(m_name);
        }
    }
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

private:
    const char* m_name;
    std::optional<std::string> m_old;
};

} // namespace

TEST(InstallLayout, TheSharedFolderBesideAnInstalledBinFolder) {
    InstalledTree tree;
    EXPECT_EQ(installedDataDir(tree.bin()), tree.share());
    EXPECT_EQ(installedDataDir(tree.bin().substr(0, tree.bin().size() - 1)), tree.share())
        << "the folder without its trailing separator";
}

TEST(InstallLayout, ABuildFolderIsNoInstalledTree) {
    TempDir build;
    writeBytes(build.file("help.html"), "<html></html>");
    writeBytes(build.file("first.ini"), "");
    EXPECT_EQ(installedDataDir(build.dir()), "");
    EXPECT_EQ(installedDataDir(""), "");
}

TEST(InstallLayout, AShareFolderWithoutTheProgramsFilesIsNotOurs) {
    InstalledTree tree;
    fs::remove(tree.share() + "first.ini");
    EXPECT_EQ(installedDataDir(tree.bin()), "");
}

TEST(InstallLayout, TheHelpPageBesideTheProgramElseInTheSharedFolder) {
    InstalledTree tree;
    EXPECT_EQ(helpPagePath(tree.bin()), tree.share() + "help.html");
    writeBytes(tree.bin() + "help.html", "<html></html>");
    EXPECT_EQ(helpPagePath(tree.bin()), tree.bin() + "help.html");

    TempDir nowhere;
    EXPECT_EQ(helpPagePath(nowhere.dir()), nowhere.dir() + "help.html")
        << "the path the message names when there is no page at all";
}

TEST(InstallLayout, AnInstalledProgramKeepsTheUsersFilesInTheUsersFolder) {
    InstalledTree tree;
    TempDir data;
    ScopedEnv xdg("XDG_DATA_HOME", data.path().c_str());
    ScopedEnv home("VELMORA_HOME", nullptr);
    // Writable, as /usr/bin is to root or an unpacked package to its owner.
    PlatformIn platform(tree.bin());
    const auto clock = platform.createClock();
    const StartupEnvironment env = makeStartupEnvironment(platform, *clock);
    EXPECT_EQ(env.programDir, data.dir() + "Velmora/");
    EXPECT_TRUE(fs::is_regular_file(data.dir() + "Velmora/first.ini")) << "seeded from the templates";
    EXPECT_TRUE(fs::is_regular_file(data.dir() + "Velmora/Yasumi.dat"));
    EXPECT_FALSE(fs::exists(tree.bin() + "first.ini")) << "nothing written beside the installed program";
}

TEST(InstallLayout, AWritableBuildFolderStaysTheProgramFolder) {
    TempDir build;
    TempDir data;
    ScopedEnv xdg("XDG_DATA_HOME", data.path().c_str());
    ScopedEnv home("VELMORA_HOME", nullptr);
    PlatformIn platform(build.dir());
    const auto clock = platform.createClock();
    EXPECT_EQ(makeStartupEnvironment(platform, *clock).programDir, build.dir());
}

TEST(InstallLayout, StartupRegistrationOfAnInstalledProgramPointsAtIt) {
    InstalledTree tree;
    TempDir config;
    ASSERT_TRUE(registerStartup(2, tree.bin() + "velmora", nullptr, config.dir()));
    const std::string text = readBytes(autostartFilePath(config.dir()));
    EXPECT_NE(text.find("\nExec=" + tree.bin() + "velmora /0\n"), std::string::npos) << text;
    EXPECT_NE(text.find("\nIcon=io.velmora.Velmora\n"), std::string::npos) << text;

    TempDir build;
    ASSERT_TRUE(registerStartup(1, build.dir() + "velmora", nullptr, config.dir()));
    const std::string fromBuild = readBytes(autostartFilePath(config.dir()));
    EXPECT_NE(fromBuild.find("\nExec=" + build.dir() + "velmora\n"), std::string::npos) << fromBuild;
    EXPECT_EQ(fromBuild.find("Icon="), std::string::npos) << "a build folder's program has no installed icon";
}
