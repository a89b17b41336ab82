// The calendar as the wallpaper of a real X server (Xvfb, started here).
#include "platform/x11/X11DesktopClicks.h"
#include "support/TestSupport.h"

#include <QImage>

#include <gtest/gtest.h>

// Xlib after the test framework: its macros (None, Bool) clash with it.
#include "support/XvfbServer.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>

#include <chrono>
#include <csignal>
#include <cstring>
#include <filesystem>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

using velmora::test::Clicker;
using velmora::test::rootPixmap;
using velmora::test::TempDir;
using velmora::test::Xvfb;
namespace fs = std::filesystem;

namespace {

int runVelmora(const std::string& display, const std::string& home) {
    // Without the desktop of the developer's session: it must not get our wallpaper.
    const std::string command =
        "env -u XDG_CURRENT_DESKTOP -u DESKTOP_SESSION DISPLAY=" + display + " VELMORA_HOME=" + home +
        " VELMORA_NOW='2026/12/08 10:00:00' " VELMORA_BINARY_DIR "/velmora /0 >" + home + "out.txt 2>&1";
    const int status = std::system(command.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

} // namespace

TEST(X11Wallpaper, TheCalendarBecomesTheRootPictureAndStays) {
    Xvfb server;
    if (!server.running()) {
        GTEST_SKIP() << "Xvfb is not installed here";
    }
    TempDir home;
    ASSERT_EQ(runVelmora(server.display(), home.dir()), 0) << velmora::test::readBytes(home.file("out.txt"));
    EXPECT_NE(velmora::test::readBytes(home.file("out.txt")).find("Wallpaper\tx11-root"), std::string::npos);

    // The program has ended; its picture must still be the root background.
    Display* d = XOpenDisplay(server.display().c_str());
    ASSERT_NE(d, nullptr);
    const unsigned long first = rootPixmap(d, "_XROOTPMAP_ID");
    ASSERT_NE(first, 0u);
    EXPECT_EQ(first, rootPixmap(d, "ESETROOT_PMAP_ID"));
    XImage* shown = XGetImage(d, first, 0, 0, 800, 600, AllPlanes, ZPixmap);
    ASSERT_NE(shown, nullptr);
    const QImage calendar(QString::fromStdString(home.file("calendar.bmp")));
    ASSERT_EQ(calendar.size(), QSize(800, 600)) << "drawn for the X screen's size";
    int differing = 0;
    for (int y = 0; y < 600; y += 3) {
        for (int x = 0; x < 800; x += 3) {
            const unsigned long p = XGetPixel(shown, x, y);
            differing += (p & 0xFFFFFF) != (calendar.pixel(x, y) & 0xFFFFFF);
        }
    }
    XDestroyImage(shown);
    EXPECT_EQ(differing, 0);

    // A second run replaces the picture and frees the first one.
    ASSERT_EQ(runVelmora(server.display(), home.dir()), 0);
    const unsigned long second = rootPixmap(d, "_XROOTPMAP_ID");
    EXPECT_NE(second, 0u);
    EXPECT_NE(second, first);
    XCloseDisplay(d);
}

TEST(X11Wallpaper, TheCalendarIsDrawnOverTheDesktopsOwnBackground) {
    Xvfb server;
    if (!server.running()) {
        GTEST_SKIP() << "Xvfb is not installed here";
    }
    // Another program's background: a red pixmap named as the root picture,
    // alive while this connection stays open.
    Display* d = XOpenDisplay(server.display().c_str());
    ASSERT_NE(d, nullptr);
    const Window root = DefaultRootWindow(d);
    const Pixmap red = XCreatePixmap(d, root, 800, 600, static_cast<unsigned>(DefaultDepth(d, DefaultScreen(d))));
    GC gc = XCreateGC(d, red, 0, nullptr);
    XSetForeground(d, gc, 0xFF0000);
    XFillRectangle(d, red, gc, 0, 0, 800, 600);
    XFreeGC(d, gc);
    XChangeProperty(d, root, XInternAtom(d, "_XROOTPMAP_ID", False), XA_PIXMAP, 32, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(&red), 1);
    XSync(d, False);

    TempDir home;
    ASSERT_EQ(runVelmora(server.display(), home.dir()), 0) << velmora::test::readBytes(home.file("out.txt"));
    const QImage blank(QString::fromStdString(home.file("blank.bmp")));
    ASSERT_FALSE(blank.isNull()) << "the bare desktop was captured";
    EXPECT_EQ(blank.pixel(400, 300) & 0xFFFFFF, 0xFF0000u);
    EXPECT_EQ(QImage(QString::fromStdString(home.file("calendar.bmp"))).pixel(2, 2) & 0xFFFFFF, 0xFF0000u);

    // The desktop now shows our calendar: the next run keeps the red base.
    ASSERT_EQ(runVelmora(server.display(), home.dir()), 0);
    EXPECT_EQ(QImage(QString::fromStdString(home.file("blank.bmp"))).pixel(400, 300) & 0xFFFFFF, 0xFF0000u);
    XFreePixmap(d, red);
    XCloseDisplay(d);
}

namespace {

// Reads the click source until `count` clicks have come or the time is up;
// the clicks it reported.
std::vector<velmora::DesktopDoubleClick> collect(velmora::X11DesktopClicks& source,
                                                 std::vector<velmora::DesktopDoubleClick>& seen, std::size_t count,
                                                 int milliseconds = 5000) {
    for (int waited = 0; seen.size() < count && waited < milliseconds; waited += 25) {
        source.processPending();
        std::this_thread::sleep_for(std::chrono::milliseconds(25));
    }
    return seen;
}

} // namespace

TEST(X11DesktopClicks, DoubleClicksOnTheBareDesktopOnly) {
    Xvfb server;
    if (!server.running()) {
        GTEST_SKIP() << "Xvfb is not installed here";
    }
    std::vector<velmora::DesktopDoubleClick> seen;
    auto source = velmora::X11DesktopClicks::open(
        [&](const velmora::DesktopDoubleClick& c) {
            seen.push_back(c);
            // The program is done with the click at once here.
        },
        server.display());
    ASSERT_NE(source, nullptr) << "Xvfb has XInput2";
    Clicker clicker(server.display());
    ASSERT_NE(clicker.d, nullptr);

    clicker.doubleClick(200, 150);
    auto clicks = collect(*source, seen, 1);
    ASSERT_EQ(clicks.size(), 1u);
    EXPECT_EQ(clicks[0].x, 200);
    EXPECT_EQ(clicks[0].y, 150);
    EXPECT_FALSE(clicks[0].alt);
    source->detector().setHandling(false);

    clicker.doubleClick(300, 200, true);
    clicks = collect(*source, seen, 2);
    ASSERT_EQ(clicks.size(), 2u);
    EXPECT_TRUE(clicks[1].alt) << "Alt held";
    source->detector().setHandling(false);

    // Over another program's window the clicks are that program's.
    const Window w = XCreateSimpleWindow(clicker.d, DefaultRootWindow(clicker.d), 400, 300, 200, 150, 0, 0, 0);
    XMapWindow(clicker.d, w);
    XSync(clicker.d, False);
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    clicker.doubleClick(450, 350);
    EXPECT_EQ(collect(*source, seen, 3, 1000).size(), 2u);
}
