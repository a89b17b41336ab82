#include "platform/x11/DesktopBackends.h"

#include <gtest/gtest.h>

using namespace velmora;

namespace {

// Records the commands and answers as a desktop would.
struct FakeDesktop {
    std::vector<Command> ran;
    int status = 0;
    std::string listing;
    CommandRunner runner() {
        return [this](const Command& c, std::string* out) {
            ran.push_back(c);
            if (out) {
                *out = listing;
            }
            return status;
        };
    }
};

} // namespace

TEST(DesktopBackends, TheDesktopIsKnownFromTheSession) {
    const struct {
        const char* current;
        const char* session;
        DesktopKind kind;
    } rows[] = {
        {"ubuntu:GNOME", "", DesktopKind::Gnome},
        {"Budgie:GNOME", "", DesktopKind::Gnome},
        {"Unity", "", DesktopKind::Gnome},
        {"X-Cinnamon", "", DesktopKind::Cinnamon},
        {"MATE", "", DesktopKind::Mate},
        {"KDE", "", DesktopKind::Kde},
        {"XFCE", "", DesktopKind::Xfce},
        {"", "xfce", DesktopKind::Xfce},
        {"", "", DesktopKind::PlainX},
        {"i3", "", DesktopKind::PlainX},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(desktopKindFrom(row.current, row.session), row.kind) << row.current << "/" << row.session;
    }
}

TEST(DesktopBackends, EachDesktopIsToldThroughItsOwnSettings) {
    const std::string path = "/home/u/Velmora Files/calendar.bmp";
    FakeDesktop gnome;
    ASSERT_TRUE(setDesktopWallpaper(DesktopKind::Gnome, path, gnome.runner(), nullptr));
    ASSERT_EQ(gnome.ran.size(), 3u);
    EXPECT_EQ(gnome.ran[1], (Command{"gsettings", "set", "org.gnome.desktop.background", "picture-uri",
                                     "file:///home/u/Velmora%20Files/calendar.bmp"}));
    EXPECT_EQ(gnome.ran[2][3], "picture-uri-dark");

    FakeDesktop mate;
    ASSERT_TRUE(setDesktopWallpaper(DesktopKind::Mate, path, mate.runner(), nullptr));
    EXPECT_EQ(mate.ran.back(), (Command{"gsettings", "set", "org.mate.background", "picture-filename", path}));

    FakeDesktop xfce;
    xfce.listing = "/backdrop/screen0/monitor0/workspace0/last-image\n/backdrop/screen0/monitorHDMI-1/workspace0/"
                   "last-image\n/backdrop/screen0/monitor0/workspace0/image-style\n";
    ASSERT_TRUE(setDesktopWallpaper(DesktopKind::Xfce, path, xfce.runner(), nullptr));
    ASSERT_EQ(xfce.ran.size(), 3u) << "the listing, then every last-image property";
    EXPECT_EQ(xfce.ran[2], (Command{"xfconf-query", "-c", "xfce4-desktop", "-p",
                                    "/backdrop/screen0/monitorHDMI-1/workspace0/last-image", "-s", path}));

    FakeDesktop missing;
    missing.status = -1;
    std::string error;
    EXPECT_FALSE(setDesktopWallpaper(DesktopKind::Kde, path, missing.runner(), &error));
    EXPECT_EQ(error, "plasma-apply-wallpaperimage がみつかりません");
}
