// The resident program against the tools that set the X root window's
// background without naming a picture (xsetroot, ImageMagick's display) on
// a real X server (Xvfb, started by each test).
#include "support/TestSupport.h"

#include <QImage>

#include <gtest/gtest.h>

// Xlib after the test framework: its macros (None, Bool) clash with it.
#include "support/XvfbServer.h"

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <map>
#include <optional>
#include <vector>

using namespace velmora::test;

namespace {

constexpr int kWidth = 800;
constexpr int kHeight = 600;
constexpr QRgb kBlue = 0x336699;
// The picture the user shows with display: four flat quadrants, tiled by the server.
constexpr int kTileWidth = 64;
constexpr int kTileHeight = 48;
constexpr QRgb kQuadrants[4] = {0xC04010, 0x10C040, 0x4010C0, 0xE0E020};

QImage picture(const std::string& file) {
    return QImage(QString::fromStdString(file)).convertToFormat(QImage::Format_RGB32);
}

QImage tile() {
    QImage t(kTileWidth, kTileHeight, QImage::Format_RGB32);
    for (int y = 0; y < kTileHeight; ++y) {
        for (int x = 0; x < kTileWidth; ++x) {
            t.setPixel(x, y, 0xFF000000u | kQuadrants[(y * 2 / kTileHeight) * 2 + x * 2 / kTileWidth]);
        }
    }
    return t;
}

// Pixels (every third) where `shown` differs from `pattern` tiled from the origin; -1 for a null picture.
int differingFromTiled(const QImage& shown, const QImage& pattern) {
    if (shown.isNull()) {
        return -1;
    }
    int differing = 0;
    for (int y = 0; y < shown.height(); y += 3) {
        for (int x = 0; x < shown.width(); x += 3) {
            differing +=
                ((shown.pixel(x, y) ^ pattern.pixel(x % pattern.width(), y % pattern.height())) & 0xFFFFFF) != 0;
        }
    }
    return differing;
}

QImage plain(QRgb colour) {
    QImage p(1, 1, QImage::Format_RGB32);
    p.fill(0xFF000000u | colour);
    return p;
}

// What the root window itself shows on the screen (nothing covers it here: no window manager, no windows).
QImage rootWindow(Display* d) {
    XImage* shown = XGetImage(d, DefaultRootWindow(d), 0, 0, kWidth, kHeight, AllPlanes, ZPixmap);
    if (!shown) {
        return {};
    }
    QImage out(kWidth, kHeight, QImage::Format_RGB32);
    for (int y = 0; y < kHeight; ++y) {
        for (int x = 0; x < kWidth; ++x) {
            out.setPixel(x, y, 0xFF000000u | static_cast<QRgb>(XGetPixel(shown, x, y) & 0xFFFFFF));
        }
    }
    XDestroyImage(shown);
    return out;
}

bool pixmapExists(Display* d, unsigned long p) {
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

// Runs a tool on the test's display to its end (at most 20 s); false when it is not installed.
bool runTool(const std::string& display, const char* name, std::vector<std::string> args) {
    const std::string program = findProgram(name);
    if (program.empty()) {
        return false;
    }
    const pid_t pid = fork();
    if (pid == 0) {
        orphanProof();
        setenv("DISPLAY", display.c_str(), 1);
        std::vector<char*> argv{const_cast<char*>(name)};
        for (std::string& a : args) {
            argv.push_back(a.data());
        }
        argv.push_back(nullptr);
        execv(program.c_str(), argv.data());
        _exit(127);
    }
    // display ends with 1 after it has set the root: only its end counts.
    const bool ended = waitFor([&] { return waitpid(pid, nullptr, WNOHANG) == pid; }, 20000);
    if (!ended) {
        kill(pid, SIGKILL);
        waitpid(pid, nullptr, 0);
    }
    return true;
}

// The resident program, ended (if still running) when the object goes.
class Program {
public:
    Program(const std::string& display, const std::string& home) {
        const std::string binary = VELMORA_BINARY_DIR "/velmora";
        const std::string out = home + "out.txt";
        m_pid = fork();
        if (m_pid == 0) {
            prctl(PR_SET_PDEATHSIG, SIGKILL); // never outlive a test that failed hard
            // Not the developer's desktop: its settings must not get our wallpaper.
            unsetenv("XDG_CURRENT_DESKTOP");
            unsetenv("DESKTOP_SESSION");
            setenv("DISPLAY", display.c_str(), 1);
            setenv("VELMORA_HOME", home.c_str(), 1);
            setenv("VELMORA_MESSAGE_LOG", (home + "messages.txt").c_str(), 1);
            setenv("VELMORA_NOW", "2026/12/08 10:00:00", 1);
            setenv("QT_QPA_PLATFORM", "xcb", 1);
            const int fd = open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
            dup2(fd, 1);
            dup2(fd, 2);
            execl(binary.c_str(), binary.c_str(), static_cast<char*>(nullptr));
            _exit(127);
        }
    }
    ~Program() {
        if (m_pid > 0) {
            kill(m_pid, SIGCONT);
            kill(m_pid, SIGKILL);
            waitpid(m_pid, nullptr, 0);
        }
    }
    // Holds the program still (SIGSTOP) or lets it go on: what a tool does meanwhile is queued for it.
    void pause() { kill(m_pid, SIGSTOP); }
    void resume() { kill(m_pid, SIGCONT); }
    bool running() { return waitpid(m_pid, nullptr, WNOHANG) == 0; }

private:
    pid_t m_pid = -1;
};

} // namespace

class RootBackground : public testing::Test {
protected:
    void SetUp() override {
        XSetErrorHandler(ignoreXErrors); // a pixmap asked after is gone: no end of the test
        if (!server.running() || !(d = XOpenDisplay(server.display().c_str()))) {
            GTEST_SKIP() << "Xvfb is not installed here";
        }
        if (findProgram("xsetroot").empty() || findProgram("display").empty()) {
            GTEST_SKIP() << "xsetroot (x11-xserver-utils) or display (imagemagick) is not installed here";
        }
        const QImage pattern = tile();
        ASSERT_TRUE(pattern.save(QString::fromStdString(home.file("pattern.png"))));
    }
    void TearDown() override {
        resident.reset();
        if (d) {
            XCloseDisplay(d);
        }
    }
    // Starts the program with WatchWallPaper as given; true once its first calendar is on the desktop.
    bool startResident(int watch) {
        writeBytes(home.file("calendar.ini"), "[SYSTEM]\r\nWatchWallPaper=" + std::to_string(watch) + "\r\n");
        resident = std::make_unique<Program>(server.display(), home.dir());
        return waitFor([&] { return showsCalendar(); }, 20000);
    }
    // True when the root's picture and the root window itself show calendar.bmp as it is on disk.
    bool showsCalendar() {
        const QImage calendar = picture(home.file("calendar.bmp"));
        return !calendar.isNull() && differingPixels(rootPicture(d), calendar) == 0 &&
               differingPixels(rootWindow(d), calendar) == 0;
    }
    std::string output() const { return readBytes(home.file("out.txt")); }
    bool xsetrootSolid() { return runTool(server.display(), "xsetroot", {"-solid", "#336699"}); }
    bool displayPattern() {
        return runTool(server.display(), "display", {"-window", "root", home.file("pattern.png")});
    }
    // The calendar is redrawn over what the root shows in its stead.
    void expectRebaseOnto(const QImage& base, const QImage& before) {
        // Generous: other tests may load the machine.
        ASSERT_TRUE(waitFor([&] { return differingFromTiled(picture(home.file("blank.bmp")), base) == 0; }, 20000))
            << "the bare desktop is what the user set\n"
            << output();
        EXPECT_EQ(picture(home.file("blank.bmp")).size(), QSize(kWidth, kHeight));
        ASSERT_TRUE(waitFor([&] { return showsCalendar(); }, 10000)) << "the calendar is back on the root";
        const QImage calendar = picture(home.file("calendar.bmp"));
        EXPECT_GT(differingPixels(calendar, before), 0) << "a new calendar";
        // The margins of the calendar show the new base.
        for (const QPoint p : {QPoint(2, 2), QPoint(kWidth - 3, 2)}) {
            EXPECT_EQ(calendar.pixel(p) & 0xFFFFFF, base.pixel(p.x() % base.width(), p.y() % base.height()) & 0xFFFFFF)
                << p.x() << "," << p.y();
        }
    }

    Xvfb server{"800x600x24"};
    Display* d = nullptr;
    TempDir home;
    std::unique_ptr<Program> resident;
};

// The calendar vanished under xsetroot -solid and came back at the next
// redraw over the old base: the user's colour was lost.
TEST_F(RootBackground, TheWallpaperWatchSeesAColourSetWithoutAnyProperty) {
    ASSERT_TRUE(startResident(1)) << output();
    const QImage before = picture(home.file("calendar.bmp"));
    const unsigned long ours = rootPixmap(d, "_XROOTPMAP_ID");
    ASSERT_TRUE(xsetrootSolid());
    ASSERT_EQ(rootPixmap(d, "_XROOTPMAP_ID"), ours) << "xsetroot names no picture";
    ASSERT_NO_FATAL_FAILURE(expectRebaseOnto(plain(kBlue), before));
    EXPECT_FALSE(pixmapExists(d, ours)) << "our old picture was freed";

    // Our own calendar on the root is never taken for another new wallpaper.
    const auto written = fs::last_write_time(home.file("calendar.bmp"));
    std::this_thread::sleep_for(std::chrono::milliseconds(3500));
    EXPECT_EQ(fs::last_write_time(home.file("calendar.bmp")), written) << "no redraw at each look";
    EXPECT_TRUE(showsCalendar());
    EXPECT_TRUE(resident->running());
}

// display -window root names its leftovers in _XSETROOT_ID: heard as a
// property change, so also without the watch.
class RootBackgroundDisplay : public RootBackground, public testing::WithParamInterface<int> {};

TEST_P(RootBackgroundDisplay, APictureShownOnTheRootBecomesTheBaseAndItsLeftoversAreFreed) {
    ASSERT_TRUE(startResident(GetParam())) << output();
    const QImage before = picture(home.file("calendar.bmp"));
    // Held still, so that what display leaves can be seen before the program frees it.
    resident->pause();
    ASSERT_TRUE(displayPattern());
    const unsigned long left = rootPixmap(d, "_XSETROOT_ID");
    ASSERT_NE(left, 0u) << "display names its retained resources";
    ASSERT_TRUE(pixmapExists(d, left));
    resident->resume();

    ASSERT_NO_FATAL_FAILURE(expectRebaseOnto(tile(), before));
    EXPECT_EQ(rootPixmap(d, "_XSETROOT_ID"), 0u) << "the property went with them";
    EXPECT_FALSE(pixmapExists(d, left)) << "display's retained client was killed, as the next setter must";
}

INSTANTIATE_TEST_SUITE_P(WatchWallPaper, RootBackgroundDisplay, testing::Values(0, 1),
                         [](const testing::TestParamInfo<int>& row) {
                             return row.param ? std::string("Watching") : std::string("NotWatching");
                         });

// xsetroot on a true-colour screen neither frees nor removes what an
// earlier tool named: the root shows the colour, the property still names
// display's leftovers. The colour is the base, the leftovers are freed.
TEST_F(RootBackground, AColourSetOverAnotherToolsLeftoversWinsAndTheLeftoversAreFreed) {
    ASSERT_TRUE(startResident(0)) << output();
    const QImage before = picture(home.file("calendar.bmp"));
    resident->pause();
    ASSERT_TRUE(displayPattern());
    const unsigned long left = rootPixmap(d, "_XSETROOT_ID");
    ASSERT_NE(left, 0u);
    ASSERT_TRUE(xsetrootSolid());
    ASSERT_EQ(rootPixmap(d, "_XSETROOT_ID"), left) << "xsetroot left the property as it was";
    ASSERT_TRUE(pixmapExists(d, left));
    resident->resume();

    ASSERT_NO_FATAL_FAILURE(expectRebaseOnto(plain(kBlue), before));
    EXPECT_EQ(rootPixmap(d, "_XSETROOT_ID"), 0u);
    EXPECT_FALSE(pixmapExists(d, left));
}

// A property says someone set the root, but a window hides all of it and
// the root still shows our calendar: that calendar must never become the
// base of the next one.
TEST_F(RootBackground, OurOwnCalendarIsNeverTakenForTheNewBase) {
    ASSERT_TRUE(startResident(0)) << output();
    const QImage before = picture(home.file("calendar.bmp"));
    const Window cover = XCreateSimpleWindow(d, DefaultRootWindow(d), 0, 0, kWidth, kHeight, 0, 0, 0x208040);
    XMapWindow(d, cover);
    XSync(d, False);
    // A tool's leftovers named the xsetroot way, the background untouched.
    if (Display* tool = XOpenDisplay(server.display().c_str())) {
        const Pixmap left = XCreatePixmap(tool, DefaultRootWindow(tool), 1, 1, 1);
        XChangeProperty(tool, DefaultRootWindow(tool), XInternAtom(tool, "_XSETROOT_ID", False), XA_PIXMAP, 32,
                        PropModeReplace, reinterpret_cast<const unsigned char*>(&left), 1);
        XSetCloseDownMode(tool, RetainPermanent);
        XCloseDisplay(tool);
    }
    ASSERT_TRUE(waitFor([&] { return rootPixmap(d, "_XSETROOT_ID") == 0; }, 20000))
        << "the program has set the root again";
    XDestroyWindow(d, cover);
    XSync(d, False);
    ASSERT_TRUE(waitFor([&] { return showsCalendar(); }, 10000));
    const QImage blank = picture(home.file("blank.bmp"));
    EXPECT_TRUE(blank.isNull() || differingPixels(blank, before) != 0) << "the base is not our calendar";
    EXPECT_EQ(differingPixels(picture(home.file("calendar.bmp")), before), 0) << "drawn over the same base as before";
}

TEST_F(RootBackground, WithoutTheWatchAColourSetWithoutAnyPropertyIsNotNoticed) {
    ASSERT_TRUE(startResident(0)) << output();
    const std::string calendar = readBytes(home.file("calendar.bmp"));
    const std::string blank = readBytes(home.file("blank.bmp"));
    const unsigned long ours = rootPixmap(d, "_XROOTPMAP_ID");
    ASSERT_TRUE(xsetrootSolid());
    std::this_thread::sleep_for(std::chrono::milliseconds(4000));
    EXPECT_EQ(readBytes(home.file("calendar.bmp")), calendar) << "no redraw";
    EXPECT_EQ(readBytes(home.file("blank.bmp")), blank) << "no capture";
    EXPECT_EQ(rootPixmap(d, "_XROOTPMAP_ID"), ours);
    EXPECT_EQ(differingFromTiled(rootWindow(d), plain(kBlue)), 0) << "the user's colour stays on the root";
    EXPECT_TRUE(resident->running());
}
