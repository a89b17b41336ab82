// What the root window of a real X server (Xvfb, started here) shows, and
// how other programs' ways of setting it are heard and cleaned up after.
#include "platform/x11/X11DesktopClicks.h"
#include "support/TestSupport.h"

#include <QImage>

#include <gtest/gtest.h>

// Xlib after the test framework: its macros (None, Bool) clash with it.
#include "support/XvfbServer.h"

#include "platform/x11/X11RootBackground.h"

#include <vector>

using velmora::RootLook;
using velmora::test::Xvfb;

namespace {

constexpr int kWidth = 800;
constexpr int kHeight = 600;

// A connection to the test's server; X errors (a resource already gone) never end the test.
struct Connection {
    explicit Connection(const Xvfb& server) : d(XOpenDisplay(server.display().c_str())) {
        XSetErrorHandler(velmora::test::ignoreXErrors);
    }
    ~Connection() {
        if (d) {
            XCloseDisplay(d);
        }
    }
    Window root() const { return DefaultRootWindow(d); }
    unsigned depth() const { return static_cast<unsigned>(DefaultDepth(d, DefaultScreen(d))); }
    Display* d;
};

// A pixmap of four coloured quadrants, so that a shifted or scaled tiling shows.
Pixmap quadrants(Display* d, unsigned depth, int width, int height, const unsigned long colours[4]) {
    const Pixmap p =
        XCreatePixmap(d, DefaultRootWindow(d), static_cast<unsigned>(width), static_cast<unsigned>(height), depth);
    GC gc = XCreateGC(d, p, 0, nullptr);
    for (int q = 0; q < 4; ++q) {
        XSetForeground(d, gc, colours[q]);
        XFillRectangle(d, p, gc, q % 2 * width / 2, q / 2 * height / 2, static_cast<unsigned>(width / 2),
                       static_cast<unsigned>(height / 2));
    }
    XFreeGC(d, gc);
    return p;
}

QImage quadrantsPicture(int width, int height, const unsigned long colours[4]) {
    QImage picture(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            picture.setPixel(x, y, 0xFF000000u | static_cast<QRgb>(colours[(y * 2 / height) * 2 + x * 2 / width]));
        }
    }
    return picture;
}

void setBackground(Display* d, Pixmap p) {
    XSetWindowBackgroundPixmap(d, DefaultRootWindow(d), p);
    XClearWindow(d, DefaultRootWindow(d));
    XSync(d, False);
}

void setBackgroundColour(Display* d, unsigned long colour) {
    XSetWindowBackground(d, DefaultRootWindow(d), colour);
    XClearWindow(d, DefaultRootWindow(d));
    XSync(d, False);
}

// Another program's window of one colour, mapped at once (no window manager here).
Window windowAt(Display* d, int x, int y, int width, int height, unsigned long colour) {
    const Window w = XCreateSimpleWindow(d, DefaultRootWindow(d), x, y, static_cast<unsigned>(width),
                                         static_cast<unsigned>(height), 0, 0, colour);
    XMapWindow(d, w);
    XSync(d, False);
    return w;
}

int viewableChildren(Display* d) {
    Window root = 0;
    Window parent = 0;
    Window* children = nullptr;
    unsigned count = 0;
    int viewable = 0;
    if (XQueryTree(d, DefaultRootWindow(d), &root, &parent, &children, &count)) {
        for (unsigned i = 0; i < count; ++i) {
            XWindowAttributes a;
            viewable += XGetWindowAttributes(d, children[i], &a) && a.map_state == IsViewable;
        }
    }
    if (children) {
        XFree(children);
    }
    return viewable;
}

bool pixmapExists(Display* d, Pixmap p) {
    Window root = 0;
    int x = 0;
    int y = 0;
    unsigned width = 0;
    unsigned height = 0;
    unsigned border = 0;
    unsigned depth = 0;
    const bool exists = XGetGeometry(d, p, &root, &x, &y, &width, &height, &border, &depth);
    XSync(d, False);
    return exists;
}

const unsigned long kColours[4] = {0xC04010, 0x10C040, 0x4010C0, 0xE0E020};

} // namespace

class RootBackground : public testing::Test {
protected:
    void SetUp() override {
        if (!server.running()) {
            GTEST_SKIP() << "Xvfb is not installed here";
        }
    }
    Xvfb server{"800x600x24"};
};

TEST_F(RootBackground, TheRootIsComparedWhereNoWindowCoversIt) {
    Connection c(server);
    ASSERT_NE(c.d, nullptr);
    // Our picture, smaller than the screen: the server tiles it.
    const Pixmap ours = quadrants(c.d, c.depth(), 100, 80, kColours);
    setBackground(c.d, ours);
    EXPECT_EQ(velmora::compareRootWith(c.d, ours), RootLook::Same) << "tiled from the root's origin";
    EXPECT_EQ(velmora::compareRootWith(c.d, None), RootLook::Unknown);

    // A window over most of the screen shows something else: it is not the root.
    const Window big = windowAt(c.d, 0, 0, 700, 600, 0x00FF00);
    EXPECT_EQ(velmora::compareRootWith(c.d, ours), RootLook::Same);
    // A program that paints on the root itself, a little: still our picture.
    XUnmapWindow(c.d, big);
    GC gc = XCreateGC(c.d, c.root(), 0, nullptr);
    XSetForeground(c.d, gc, 0xFFFFFF);
    XFillRectangle(c.d, c.root(), gc, 600, 20, 150, 100);
    XFreeGC(c.d, gc);
    XSync(c.d, False);
    EXPECT_EQ(velmora::compareRootWith(c.d, ours), RootLook::Same);

    // xsetroot -solid: only the background changes, no property tells.
    setBackgroundColour(c.d, 0x336699);
    EXPECT_EQ(velmora::compareRootWith(c.d, ours), RootLook::Differs);
    // A half-way shifted tiling of the same picture is another picture too.
    const unsigned long swapped[4] = {kColours[1], kColours[0], kColours[3], kColours[2]};
    const Pixmap other = quadrants(c.d, c.depth(), 100, 80, swapped);
    setBackground(c.d, other);
    EXPECT_EQ(velmora::compareRootWith(c.d, ours), RootLook::Differs);

    // Covered all over, the root tells nothing, whatever it shows beneath.
    XMapWindow(c.d, big);
    const Window rest = windowAt(c.d, 700, 0, 100, 600, 0x00FF00);
    EXPECT_EQ(velmora::compareRootWith(c.d, ours), RootLook::Unknown);
    XDestroyWindow(c.d, rest);
    XDestroyWindow(c.d, big);

    // A freed pixmap, or one of another depth, cannot be compared.
    XFreePixmap(c.d, ours);
    EXPECT_EQ(velmora::compareRootWith(c.d, ours), RootLook::Unknown);
    const Pixmap bitmap = XCreatePixmap(c.d, c.root(), 1, 1, 1);
    EXPECT_EQ(velmora::compareRootWith(c.d, bitmap), RootLook::Unknown);
    XFreePixmap(c.d, bitmap);
    XFreePixmap(c.d, other);
}

TEST_F(RootBackground, TheBackgroundIsReadAsTheServerPaintsItBeneathTheWindows) {
    Connection c(server);
    ASSERT_NE(c.d, nullptr);
    const Window cover = windowAt(c.d, 100, 100, 400, 300, 0x00FF00);
    const int windowsBefore = viewableChildren(c.d);

    // A plain colour.
    setBackgroundColour(c.d, 0x336699);
    QImage picture;
    ASSERT_TRUE(velmora::readRootBackground(c.d, kWidth, kHeight, &picture));
    ASSERT_EQ(picture.size(), QSize(kWidth, kHeight));
    QImage plain(kWidth, kHeight, QImage::Format_RGB32);
    plain.fill(0xFF336699u);
    EXPECT_TRUE(velmora::showsPicture(picture, plain)) << "under the window too";

    // A tiled pattern that no property names (display -window root): all of
    // it, the part under the window included, as the server lays it out.
    const Pixmap pattern = quadrants(c.d, c.depth(), 64, 48, kColours);
    setBackground(c.d, pattern);
    XFreePixmap(c.d, pattern); // the root keeps its own reference, as the tools leave it
    ASSERT_TRUE(velmora::readRootBackground(c.d, kWidth, kHeight, &picture));
    const QImage tile = quadrantsPicture(64, 48, kColours);
    EXPECT_TRUE(velmora::showsPicture(picture, tile));
    EXPECT_FALSE(velmora::showsPicture(picture, quadrantsPicture(64, 48, kColours).mirrored(true, false)));
    EXPECT_EQ(picture.pixel(300, 250), tile.pixel(300 % 64, 250 % 48)) << "beneath the other program's window";
    EXPECT_EQ(viewableChildren(c.d), windowsBefore) << "the window we looked through is gone";

    // The window's picture was never taken for the background.
    XImage* shown = XGetImage(c.d, cover, 10, 10, 1, 1, AllPlanes, ZPixmap);
    ASSERT_NE(shown, nullptr);
    EXPECT_EQ(XGetPixel(shown, 0, 0) & 0xFFFFFF, 0x00FF00u) << "the window is as it was";
    XDestroyImage(shown);
}

TEST_F(RootBackground, WhatXsetrootIdNamesIsFreedAsItsSetterExpects) {
    Connection c(server);
    ASSERT_NE(c.d, nullptr);
    const Atom id = XInternAtom(c.d, "_XSETROOT_ID", False);
    const auto name = [&](Display* d, Pixmap p) {
        XChangeProperty(d, DefaultRootWindow(d), id, XA_PIXMAP, 32, PropModeReplace,
                        reinterpret_cast<const unsigned char*>(&p), 1);
        XSync(d, False);
    };

    // A tool that has ended and left its resources retained, as xsetroot and image viewers do.
    Pixmap retained = None;
    Pixmap background = None;
    {
        Connection tool(server);
        retained = XCreatePixmap(tool.d, tool.root(), 1, 1, 1);
        background = quadrants(tool.d, tool.depth(), 64, 48, kColours);
        setBackground(tool.d, background);
        name(tool.d, retained);
        XSetCloseDownMode(tool.d, RetainPermanent);
    }
    ASSERT_TRUE(pixmapExists(c.d, retained));
    EXPECT_EQ(velmora::xsetrootId(c.d), retained);
    velmora::releaseXsetrootId(c.d);
    EXPECT_EQ(velmora::xsetrootId(c.d), static_cast<Pixmap>(None)) << "the property goes";
    EXPECT_FALSE(pixmapExists(c.d, retained)) << "the tool's client was killed";
    EXPECT_FALSE(pixmapExists(c.d, background)) << "with all it left behind";

    // A pixmap already freed is not followed to its client: that number may
    // be another program's by now. Here its client still runs.
    Connection other(server);
    const Pixmap gone = XCreatePixmap(other.d, other.root(), 1, 1, 1);
    const Pixmap kept = XCreatePixmap(other.d, other.root(), 1, 1, 1);
    name(other.d, gone);
    XFreePixmap(other.d, gone);
    XSync(other.d, False);
    velmora::releaseXsetrootId(c.d);
    EXPECT_EQ(velmora::xsetrootId(c.d), static_cast<Pixmap>(None));
    EXPECT_TRUE(pixmapExists(c.d, kept)) << "the other program was left alone";

    // Nothing named: nothing happens.
    velmora::releaseXsetrootId(c.d);
    EXPECT_TRUE(pixmapExists(c.d, kept));
}

// The desktop heard only _XROOTPMAP_ID: a background set the xsetroot way
// (or Esetroot's other name alone) went unnoticed.
TEST_F(RootBackground, EveryPropertyOfTheRootsBackgroundIsHeardOncePerBatch) {
    int heard = 0;
    auto source = velmora::X11DesktopClicks::open({}, server.display(), [&] { ++heard; });
    ASSERT_NE(source, nullptr);
    Connection c(server);
    ASSERT_NE(c.d, nullptr);
    const Pixmap p = XCreatePixmap(c.d, c.root(), 1, 1, c.depth());
    const auto waitHeard = [&](int count) {
        return velmora::test::waitFor(
            [&] {
                source->processPending();
                return heard >= count;
            },
            2000);
    };
    int expected = 0;
    for (const char* atom : {"_XROOTPMAP_ID", "ESETROOT_PMAP_ID", "_XSETROOT_ID"}) {
        XChangeProperty(c.d, c.root(), XInternAtom(c.d, atom, False), XA_PIXMAP, 32, PropModeReplace,
                        reinterpret_cast<const unsigned char*>(&p), 1);
        XSync(c.d, False);
        EXPECT_TRUE(waitHeard(++expected)) << atom << " set";
        XDeleteProperty(c.d, c.root(), XInternAtom(c.d, atom, False));
        XSync(c.d, False);
        EXPECT_TRUE(waitHeard(++expected)) << atom << " removed";
    }
    // Other properties of the root are not the background's.
    XChangeProperty(c.d, c.root(), XInternAtom(c.d, "_NET_WORKAREA", False), XA_CARDINAL, 32, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(&p), 1);
    XSync(c.d, False);
    EXPECT_FALSE(waitHeard(expected + 1));
    EXPECT_EQ(heard, expected);

    // A setter changes all three at once: the desktop is told once.
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    for (const char* atom : {"_XROOTPMAP_ID", "ESETROOT_PMAP_ID", "_XSETROOT_ID"}) {
        XChangeProperty(c.d, c.root(), XInternAtom(c.d, atom, False), XA_PIXMAP, 32, PropModeReplace,
                        reinterpret_cast<const unsigned char*>(&p), 1);
    }
    XSync(c.d, False);
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    source->processPending();
    EXPECT_EQ(heard, expected + 1);
    XFreePixmap(c.d, p);
}
