// A desktop environment that keeps its wallpaper in its settings, played by
// a stand-in settings tool on a real X server: what the program reads,
// writes and captures there, and how it hears a change.
#include "platform/x11/X11Platform.h"
#include "support/TestSupport.h"

#include <QCoreApplication>
#include <QImage>

#include <gtest/gtest.h>

// Xlib after the test framework: its macros (None, Bool) clash with it.
#include "support/XvfbServer.h"

#include <cstdlib>
#include <memory>

using namespace velmora;
using namespace velmora::test;

namespace {

// Keys are files "schema key" in the folder; get prints the value, set stores
// it as gsettings prints strings ('...').
constexpr const char* kFakeGsettings = R"(#!/bin/sh
store="$FAKE_GSETTINGS"
case "$1" in
get) [ -f "$store/$2 $3" ] || exit 1; cat "$store/$2 $3" ;;
set) printf "'%s'\n" "$4" > "$store/$2 $3" ;;
*) exit 1 ;;
esac
)";

class Environment {
public:
    Environment(const std::string& display, const TempDir& dir) {
        save("DISPLAY", display);
        save("XDG_CURRENT_DESKTOP", "GNOME");
        save("XDG_CONFIG_HOME", dir.file("config"));
        save("FAKE_GSETTINGS", dir.file("store"));
        save("PATH", dir.file("bin") + ":" + (std::getenv("PATH") ? std::getenv("PATH") : ""));
    }
    ~Environment() {
        for (const auto& [name, value] : m_saved) {
            if (value) {
                setenv(name.c_str(), value->c_str(), 1);
            } else {
                unsetenv(name.c_str());
            }
        }
    }

private:
    void save(const std::string& name, const std::string& value) {
        const char* was = std::getenv(name.c_str());
        m_saved.emplace_back(name, was ? std::optional<std::string>(was) : std::nullopt);
        setenv(name.c_str(), value.c_str(), 1);
    }
    std::vector<std::pair<std::string, std::optional<std::string>>> m_saved;
};

void setKey(const TempDir& dir, const std::string& schema, const std::string& key, const std::string& printed) {
    writeBytes(dir.file("store/" + schema + " " + key), printed + "\n");
}

} // namespace

TEST(DesktopEnvironment, TheWallpaperIsReadSetCapturedAndWatchedThroughTheSettings) {
    Xvfb server("640x480x24");
    if (!server.running()) {
        GTEST_SKIP() << "Xvfb is not installed here";
    }
    TempDir dir;
    fs::create_directories(dir.path() / "bin");
    fs::create_directories(dir.path() / "store");
    fs::create_directories(dir.path() / "config/dconf");
    writeBytes(dir.file("bin/gsettings"), kFakeGsettings);
    fs::permissions(dir.file("bin/gsettings"), fs::perms::owner_all);
    writeBytes(dir.file("config/dconf/user"), "v1");
    const std::string gnome = "org.gnome.desktop.background";
    QImage base(4, 2, QImage::Format_RGB32);
    base.fill(0xFF00FF00);
    ASSERT_TRUE(base.save(QString::fromStdString(dir.file("base.png"))));
    setKey(dir, gnome, "picture-uri", "'file://" + dir.file("base.png") + "'");
    setKey(dir, gnome, "picture-options", "'scaled'");
    setKey(dir, gnome, "primary-color", "'#102030'");

    Environment environment(server.display(), dir);
    int argc = 1;
    char name[] = "test";
    char* argv[] = {name, nullptr};
    // The settings watch runs on an event loop; another test of this binary may have one already.
    std::unique_ptr<QCoreApplication> app;
    if (!QCoreApplication::instance()) {
        app = std::make_unique<QCoreApplication>(argc, argv);
    }
    auto platform = X11Platform::connect();
    ASSERT_NE(platform, nullptr);
    EXPECT_EQ(platform->wallpaperBackend(), "gnome");
    EXPECT_EQ(platform->currentWallpaper(), dir.file("base.png"));

    // The bare desktop is the picture laid out the environment's way: scaled, on its colour.
    QImage desktop;
    ASSERT_TRUE(platform->captureDesktop(dir.file("base.png"), &desktop));
    ASSERT_EQ(desktop.size(), QSize(640, 480));
    EXPECT_EQ(desktop.pixel(320, 240) & 0xFFFFFF, 0x00FF00u);
    EXPECT_EQ(desktop.pixel(2, 2) & 0xFFFFFF, 0x102030u) << "the background colour above the scaled picture";

    // The calendar goes in through the settings; the user's layout stays.
    QImage calendar(640, 480, QImage::Format_RGB32);
    calendar.fill(0xFF0000FF);
    ASSERT_TRUE(calendar.save(QString::fromStdString(dir.file("calendar.bmp")), "BMP"));
    std::string error;
    ASSERT_TRUE(platform->installWallpaper(dir.file("calendar.bmp"), &error)) << error;
    EXPECT_EQ(platform->currentWallpaper(), dir.file("calendar.bmp"));
    EXPECT_EQ(readBytes(dir.file("store/" + gnome + " picture-options")), "'scaled'\n");

    // The user picks another picture: the settings file changes, and we hear it.
    int heard = 0;
    platform->watchDesktop([&] { ++heard; }, {});
    setKey(dir, gnome, "picture-uri", "'file://" + dir.file("other.png") + "'");
    writeBytes(dir.file("config/dconf/user.tmp"), "v2");
    fs::rename(dir.file("config/dconf/user.tmp"), dir.file("config/dconf/user"));
    EXPECT_TRUE(waitFor(
        [&] {
            QCoreApplication::processEvents();
            return heard == 1;
        },
        5000));
    EXPECT_EQ(platform->currentWallpaper(), dir.file("other.png"));

    // Putting the user's picture back names it again, layout untouched.
    ASSERT_TRUE(platform->installBaseWallpaper(dir.file("base.png"), &error)) << error;
    EXPECT_EQ(platform->currentWallpaper(), dir.file("base.png"));
    EXPECT_EQ(readBytes(dir.file("store/" + gnome + " picture-options")), "'scaled'\n");
}
