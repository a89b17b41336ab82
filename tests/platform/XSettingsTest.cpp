#include <gtest/gtest.h>

#include "platform/XSettings.h"
#include "platform/x11/X11DesktopClicks.h"

#include "support/TestSupport.h"
#include "support/XvfbServer.h"

#include <X11/Xlib.h>

#include <chrono>
#include <csignal>
#include <string>
#include <thread>
#include <unistd.h>

using namespace velmora;

namespace {

// An XSETTINGS blob as a settings daemon publishes it.
struct Blob {
    bool big = false;
    std::string bytes;
    std::uint32_t count = 0;

    void number(std::uint32_t v, int size) {
        for (int i = 0; i < size; ++i) {
            const int shift = big ? 8 * (size - 1 - i) : 8 * i;
            bytes += static_cast<char>((v >> shift) & 0xFF);
        }
    }
    void name(std::uint8_t type, const std::string& n) {
        bytes += static_cast<char>(type);
        bytes += '\0';
        number(static_cast<std::uint32_t>(n.size()), 2);
        bytes += n;
        bytes.append((4 - n.size() % 4) % 4, '\0');
        number(0, 4); // last change
        ++count;
    }
    void integer(const std::string& n, std::int32_t v) {
        name(0, n);
        number(static_cast<std::uint32_t>(v), 4);
    }
    void text(const std::string& n, const std::string& v) {
        name(1, n);
        number(static_cast<std::uint32_t>(v.size()), 4);
        bytes += v;
        bytes.append((4 - v.size() % 4) % 4, '\0');
    }
    void colour(const std::string& n) {
        name(2, n);
        number(0xFFFF, 2);
        number(0, 2);
        number(0, 2);
        number(0xFFFF, 2);
    }
    std::string whole() const {
        Blob head{big, {}, 0};
        head.bytes += static_cast<char>(big ? 1 : 0);
        head.bytes.append(3, '\0');
        head.number(7, 4); // serial
        head.number(count, 4);
        return head.bytes + bytes;
    }
};

} // namespace

TEST(XSettings, TheDoubleClickTimeIsFoundAmongOtherSettings) {
    for (bool big : {false, true}) {
        Blob b{big, {}, 0};
        b.text("Net/ThemeName", "Adwaita"); // a string of a length needing padding
        b.colour("Gtk/ColorScheme");
        b.integer("Net/DoubleClickTime", 350);
        b.integer("Xft/DPI", -1);
        const std::string blob = b.whole();
        EXPECT_EQ(xsettingsInteger(blob, "Net/DoubleClickTime"), 350) << big;
        EXPECT_EQ(xsettingsInteger(blob, "Xft/DPI"), -1) << big;
        EXPECT_FALSE(xsettingsInteger(blob, "Net/ThemeName")) << "a string is no integer";
        EXPECT_FALSE(xsettingsInteger(blob, "Net/CursorBlinkTime"));
        // Cut anywhere, the blob gives nothing wrong and never reads past its end.
        for (std::size_t cut = 0; cut < blob.size(); ++cut) {
            const auto v = xsettingsInteger(blob.substr(0, cut), "Net/DoubleClickTime");
            EXPECT_TRUE(!v || *v == 350) << cut;
        }
    }
}

// A desktop whose settings daemon says 250 ms gets double-clicks of 250 ms.
TEST(XSettings, TheDesktopsDaemonIsAsked) {
    test::Xvfb server("320x240x24");
    if (!server.running()) {
        GTEST_SKIP() << "Xvfb is not installed here";
    }
    const std::string daemon = test::findProgram("xsettingsd");
    if (daemon.empty()) {
        GTEST_SKIP() << "no settings daemon (xsettingsd) is installed here";
    }
    Display* d = XOpenDisplay(server.display().c_str());
    ASSERT_TRUE(d);
    EXPECT_EQ(X11DesktopClicks::desktopDoubleClickTime(d), 500) << "no daemon: the usual time";

    test::TempDir dir;
    test::writeBytes(dir.file("xsettingsd.conf"), "Net/DoubleClickTime 250\nNet/ThemeName \"Adwaita\"\n");
    const pid_t pid = fork();
    if (pid == 0) {
        setenv("DISPLAY", server.display().c_str(), 1);
        execl(daemon.c_str(), "xsettingsd", "-c", dir.file("xsettingsd.conf").c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }
    int ms = 0;
    for (int i = 0; i < 100 && ms != 250; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        ms = X11DesktopClicks::desktopDoubleClickTime(d);
    }
    EXPECT_EQ(ms, 250);
    kill(pid, SIGTERM);
    waitpid(pid, nullptr, 0);
    XCloseDisplay(d);
}
