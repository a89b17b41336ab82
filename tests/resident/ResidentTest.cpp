// The resident program on a real X server (Xvfb, started by each test):
// single instance, the day change, foreign wallpaper changes, desktop
// double-clicks and the tray icon.
#include "core/DateValue.h"
#include "support/TestSupport.h"

#include <QImage>

#include <gtest/gtest.h>

// Xlib after the test framework: its macros (None, Bool) clash with it.
#include "support/XvfbServer.h"

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <map>
#include <sstream>
#include <vector>

using namespace velmora::test;

namespace {

constexpr int kWidth = 800;
constexpr int kHeight = 600;

// One run of the program with its own environment, ended (if still
// running) when the object goes.
class Program {
public:
    Program(const std::string& display, const std::string& home, std::map<std::string, std::string> env,
            std::vector<std::string> args = {}, const char* binary = VELMORA_BINARY_DIR "/velmora") {
        env["DISPLAY"] = display;
        env["VELMORA_HOME"] = home;
        env["VELMORA_MESSAGE_LOG"] = home + "messages.txt";
        env.emplace("VELMORA_NOW", "2026/12/08 10:00:00");
        env.emplace("QT_QPA_PLATFORM", "xcb");
        const std::string out = home + "out" + std::to_string(++s_runs) + ".txt";
        m_pid = fork();
        if (m_pid == 0) {
            prctl(PR_SET_PDEATHSIG, SIGKILL); // never outlive a test that failed hard
            // Not the developer's desktop: its settings must not get our wallpaper.
            unsetenv("XDG_CURRENT_DESKTOP");
            unsetenv("DESKTOP_SESSION");
            for (const auto& [key, value] : env) {
                setenv(key.c_str(), value.c_str(), 1);
            }
            const int fd = open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
            dup2(fd, 1);
            dup2(fd, 2);
            std::vector<char*> argv{const_cast<char*>(binary)};
            for (std::string& a : args) {
                argv.push_back(a.data());
            }
            argv.push_back(nullptr);
            execv(binary, argv.data());
            _exit(127);
        }
    }
    ~Program() {
        if (m_pid > 0 && !m_status) {
            kill(m_pid, SIGKILL);
            waitpid(m_pid, nullptr, 0);
        }
    }
    void signal(int number) { kill(m_pid, number); }
    // The exit status once the program ended within `ms`; nullopt while it runs.
    std::optional<int> waitExit(int ms) {
        waitFor(
            [&] {
                int status = 0;
                if (!m_status && waitpid(m_pid, &status, WNOHANG) == m_pid) {
                    m_status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
                }
                return m_status.has_value();
            },
            ms);
        return m_status;
    }

private:
    static inline int s_runs = 0;
    pid_t m_pid = -1;
    std::optional<int> m_status;
};

int runCli(const std::string& home, const std::string& arguments, std::string* output = nullptr) {
    const std::string command = "env -u DISPLAY " VELMORA_BINARY_DIR "/velmora-cli --home " + home + " " + arguments;
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) {
        return -1;
    }
    char buffer[4096];
    std::string text;
    while (std::size_t n = fread(buffer, 1, sizeof buffer, pipe)) {
        text.append(buffer, n);
    }
    const int status = pclose(pipe);
    if (output) {
        *output = text;
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

QImage picture(const std::string& file) {
    return QImage(QString::fromStdString(file)).convertToFormat(QImage::Format_RGB32);
}

// The calendar the command-line tool draws for that day and month from the
// same program folder: what the desktop must show.
QImage expectedCalendar(const TempDir& home, const std::string& today, const std::string& month) {
    const std::string out = home.file("expected.bmp");
    EXPECT_EQ(runCli(home.dir(), "--today " + today + " render --month " + month + " --size 800x600 --out " + out), 0);
    return picture(out);
}

struct Desktop {
    Desktop() {
        // Windows come and go while the test looks at them: an error must not end the test process.
        XSetErrorHandler(ignoreXErrors);
        if (server.running()) {
            d = XOpenDisplay(server.display().c_str());
        }
    }
    ~Desktop() {
        if (d) {
            XCloseDisplay(d);
        }
    }
    // True once the root shows calendar.bmp of `home` as it is on disk.
    bool showsCalendarOf(const TempDir& home) {
        const QImage file = picture(home.file("calendar.bmp"));
        return !file.isNull() && differingPixels(rootPicture(d), file) == 0;
    }
    Xvfb server{"800x600x24"};
    Display* d = nullptr;
};

} // namespace

// Each test has its own X server and program folder.
class Resident : public testing::Test {
protected:
    void SetUp() override {
        if (!desktop.d) {
            GTEST_SKIP() << "Xvfb is not installed here";
        }
    }
    // Starts the resident program with `system` as its settings' SYSTEM
    // section (none: a new installation); true once its first calendar is on the desktop.
    bool startResident(const std::string& system = {}, std::map<std::string, std::string> env = {},
                       int waitMs = 20000) {
        if (!system.empty()) {
            writeBytes(home.file("calendar.ini"), "[SYSTEM]\r\n" + system);
        }
        resident = std::make_unique<Program>(desktop.server.display(), home.dir(), std::move(env));
        return waitFor([&] { return desktop.showsCalendarOf(home); }, waitMs);
    }
    std::string firstOutput() const { return readBytes(home.file("out1.txt")); }
    void expectRebase(const std::string& system);
    // A desktop double-click on "前月へ" (with WPLink 1).
    void pageBackAMonth();

    Desktop desktop;
    TempDir home;
    std::unique_ptr<Program> resident;
};

TEST_F(Resident, OnePassInstallsTheCalendarAndEnds) {
    Program once(desktop.server.display(), home.dir(), {}, {"/0"});
    ASSERT_EQ(once.waitExit(20000), 0) << readBytes(home.file("out1.txt"));
    EXPECT_TRUE(desktop.showsCalendarOf(home));
    EXPECT_EQ(differingPixels(picture(home.file("calendar.bmp")), expectedCalendar(home, "2026/12/08", "2026/12")), 0);
}

TEST_F(Resident, ASecondStartEndsBothCopiesWithTheMessage) {
    ASSERT_TRUE(startResident()) << firstOutput();
    EXPECT_FALSE(resident->waitExit(500)) << "resident";

    Program second(desktop.server.display(), home.dir(), {});
    EXPECT_EQ(second.waitExit(10000), 0);
    EXPECT_EQ(resident->waitExit(10000), 0) << "the running copy ends too";
    EXPECT_NE(readBytes(home.file("messages.txt"))
                  .find("Velmoraが二重起動されたため、一度終了します。\r\n終了処理完了後にVelmoraを再起動して下さい"),
              std::string::npos);
    // The calendar stays on the desktop after both have gone.
    EXPECT_TRUE(desktop.showsCalendarOf(home));
}

TEST_F(Resident, LoggingOutEndsTheProgramAsItsMenuDoes) {
    ASSERT_TRUE(startResident()) << firstOutput();
    EXPECT_EQ(readBytes(home.file("calendar.ini")).find("Lastdate=2026/12/08"), std::string::npos);
    resident->signal(SIGTERM);
    EXPECT_EQ(resident->waitExit(10000), 0);
    EXPECT_NE(readBytes(home.file("calendar.ini")).find("Lastdate=2026/12/08"), std::string::npos)
        << "the settings were saved";
    EXPECT_TRUE(desktop.showsCalendarOf(home));
}

TEST_F(Resident, TheDayChangeRedrawsWithinOneMainTick) {
    ASSERT_TRUE(startResident({}, {{"VELMORA_NOW", "2026/12/31 23:59:56"}, {"VELMORA_MAIN_TIMER_MS", "1000"}}))
        << firstOutput();
    const QImage december = picture(home.file("calendar.bmp"));
    // Midnight comes a few seconds after the start; the next tick draws January.
    ASSERT_TRUE(waitFor([&] { return differingPixels(picture(home.file("calendar.bmp")), december) > 0; }, 15000));
    ASSERT_TRUE(waitFor([&] { return desktop.showsCalendarOf(home); }, 5000));
    EXPECT_EQ(differingPixels(picture(home.file("calendar.bmp")), expectedCalendar(home, "2027/01/01", "2027/01")), 0);
}

// Another program sets the root picture: it becomes the base of a new calendar.
void Resident::expectRebase(const std::string& system) {
    ASSERT_TRUE(startResident(system.empty() ? "AutoPaint=1\r\n" : system)) << firstOutput();

    const unsigned long red = setForeignRootPicture(desktop.d, 0xFF0000);
    ASSERT_TRUE(waitFor([&] { return rootPixmap(desktop.d, "_XROOTPMAP_ID") != red; }, 10000))
        << "the calendar comes back over the new picture";
    ASSERT_TRUE(waitFor([&] { return desktop.showsCalendarOf(home); }, 5000));
    EXPECT_EQ(picture(home.file("blank.bmp")).pixel(400, 300) & 0xFFFFFF, 0xFF0000u);
    EXPECT_EQ(rootPicture(desktop.d).pixel(2, 2) & 0xFFFFFF, 0xFF0000u) << "drawn over the red picture";
    XFreePixmap(desktop.d, red);
}

TEST_F(Resident, AnotherProgramsWallpaperBecomesTheNewBase) {
    expectRebase("");
}

TEST_F(Resident, TheWallpaperWatchRebasesToo) {
    expectRebase("WatchWallPaper=1\r\n");
}

TEST_F(Resident, WithoutAutomaticRedrawAForeignWallpaperIsLeftAlone) {
    startResident("AutoPaint=0\r\n", {}, 0);
    // Wait for the start to be over: its data file is written then.
    ASSERT_TRUE(waitFor([&] { return fs::exists(home.file("Schedule/Schedule.dat")); }, 20000));
    std::this_thread::sleep_for(std::chrono::seconds(1));
    const unsigned long red = setForeignRootPicture(desktop.d, 0xFF0000);
    std::this_thread::sleep_for(std::chrono::seconds(3));
    EXPECT_EQ(rootPixmap(desktop.d, "_XROOTPMAP_ID"), red);
    EXPECT_FALSE(fs::exists(home.file("calendar.bmp"))) << "no automatic pass at all, not even the first";
    EXPECT_FALSE(resident->waitExit(10)) << "still running";
    XFreePixmap(desktop.d, red);
}

void Resident::pageBackAMonth() {
    // Where "前月へ" is on this calendar, as the tool answers for the same picture.
    int x = -1;
    int y = -1;
    for (int tryY : {12, 30}) {
        for (int tryX = 20; tryX < 400 && x < 0; tryX += 20) {
            std::string answer;
            runCli(home.dir(),
                   "--today 2026/12/08 hit " + std::to_string(tryX) + " " + std::to_string(tryY) + " --size 800x600",
                   &answer);
            if (answer.rfind("3\t2026/11/01", 0) == 0) {
                x = tryX;
                y = tryY;
            }
        }
        if (x >= 0) {
            break;
        }
    }
    ASSERT_GE(x, 0) << "a point of the back area";
    Clicker clicker(desktop.server.display());
    XTestFakeMotionEvent(clicker.d, -1, x, y, 0);
    XFlush(clicker.d);
    // The hook comes with the pointer over the desktop (every 500 ms).
    std::this_thread::sleep_for(std::chrono::milliseconds(1200));
    clicker.doubleClick(x, y);
}

TEST_F(Resident, ADoubleClickLeftOfTheTitleShowsThePreviousMonth) {
    ASSERT_TRUE(startResident("WPLink=1\r\n")) << firstOutput();
    ASSERT_NO_FATAL_FAILURE(pageBackAMonth());
    const QImage november = expectedCalendar(home, "2026/12/08", "2026/11");
    ASSERT_FALSE(november.isNull());
    EXPECT_TRUE(waitFor([&] { return differingPixels(picture(home.file("calendar.bmp")), november) == 0; }, 10000));
    EXPECT_TRUE(waitFor([&] { return desktop.showsCalendarOf(home); }, 5000));
}

// When the X server went away (a log-out, a crashed session) none of the
// shutdown saves ran: the navigated month was lost.
TEST_F(Resident, TheSavesRunWhenTheDisplayGoesAway) {
    ASSERT_TRUE(startResident("WPLink=1\r\n")) << firstOutput();
    ASSERT_NO_FATAL_FAILURE(pageBackAMonth());
    const QImage november = expectedCalendar(home, "2026/12/08", "2026/11");
    ASSERT_TRUE(waitFor([&] { return differingPixels(picture(home.file("calendar.bmp")), november) == 0; }, 10000));
    // Our own connection goes first: Xlib ends a process whose server vanished.
    XCloseDisplay(std::exchange(desktop.d, nullptr));
    desktop.server.stop();
    ASSERT_TRUE(resident->waitExit(15000).has_value()) << "the program ends with its display";
    const std::string settings = readBytes(home.file("calendar.ini"));
    const int november1 = velmora::DateValue::fromDate(2026, 11, 1)->dayNumber();
    EXPECT_NE(settings.find("Forth=" + std::to_string(november1) + "\r\n"), std::string::npos) << settings;
}

namespace {

std::string utf8Property(Display* d, Window w, const char* name) {
    Atom type = 0;
    int format = 0;
    unsigned long items = 0;
    unsigned long after = 0;
    unsigned char* data = nullptr;
    std::string value;
    if (XGetWindowProperty(d, w, XInternAtom(d, name, False), 0, 1024, False, AnyPropertyType, &type, &format, &items,
                           &after, &data) == Success &&
        data && format == 8) {
        value.assign(reinterpret_cast<const char*>(data), items);
    }
    if (data) {
        XFree(data);
    }
    return value;
}

bool hasProperty(Display* d, Window w, const char* name) {
    Atom type = 0;
    int format = 0;
    unsigned long items = 0;
    unsigned long after = 0;
    unsigned char* data = nullptr;
    const bool found = XGetWindowProperty(d, w, XInternAtom(d, name, False), 0, 4, False, AnyPropertyType, &type,
                                          &format, &items, &after, &data) == Success &&
                       type != 0;
    if (data) {
        XFree(data);
    }
    return found;
}

// Every window below `w` (depth first) for which `match` holds.
void findWindows(Display* d, Window w, const std::function<bool(Window)>& match, std::vector<Window>& out) {
    Window root = 0;
    Window parent = 0;
    Window* children = nullptr;
    unsigned count = 0;
    if (!XQueryTree(d, w, &root, &parent, &children, &count)) {
        return;
    }
    for (unsigned i = 0; i < count; ++i) {
        if (match(children[i])) {
            out.push_back(children[i]);
        }
        findWindows(d, children[i], match, out);
    }
    if (children) {
        XFree(children);
    }
}

bool mapped(Display* d, Window w) {
    XWindowAttributes a;
    return XGetWindowAttributes(d, w, &a) && a.map_state == IsViewable;
}

std::vector<Window> windowsTitled(Display* d, const std::string& title) {
    std::vector<Window> out;
    findWindows(
        d, DefaultRootWindow(d), [&](Window w) { return mapped(d, w) && utf8Property(d, w, "_NET_WM_NAME") == title; },
        out);
    return out;
}

// A tray host of its own on the test's server.
class Trayer {
public:
    explicit Trayer(const std::string& display) {
        const std::string program = findProgram("trayer");
        if (program.empty()) {
            return;
        }
        m_pid = fork();
        if (m_pid == 0) {
            orphanProof();
            setenv("DISPLAY", display.c_str(), 1);
            execl(program.c_str(), "trayer", "--edge", "top", "--align", "right", "--widthtype", "pixel", "--width",
                  "200", "--height", "24", static_cast<char*>(nullptr));
            _exit(127);
        }
    }
    ~Trayer() {
        if (m_pid > 0) {
            kill(m_pid, SIGTERM);
            waitpid(m_pid, nullptr, 0);
        }
    }
    bool running() const { return m_pid > 0; }

private:
    pid_t m_pid = -1;
};

void clickAt(Display* d, int x, int y, unsigned button) {
    XTestFakeMotionEvent(d, -1, x, y, 0);
    XTestFakeButtonEvent(d, button, True, 0);
    XTestFakeButtonEvent(d, button, False, 0);
    XFlush(d);
}

} // namespace

TEST_F(Resident, TheTrayIconOpensTheDayAndTheMenu) {
    Trayer trayer(desktop.server.display());
    if (!trayer.running()) {
        GTEST_SKIP() << "no tray host (trayer) is installed here";
    }
    // The tray host takes its selection before the program looks for one.
    ASSERT_TRUE(waitFor(
        [&] { return XGetSelectionOwner(desktop.d, XInternAtom(desktop.d, "_NET_SYSTEM_TRAY_S0", False)); }, 5000));
    ASSERT_TRUE(startResident()) << firstOutput();

    // The icon is embedded in the tray: a window of ours with the embedding
    // protocol's property. Where it is now (it docks again after being hidden).
    int x = 0;
    int y = 0;
    const auto findIcon = [&] {
        return waitFor(
            [&] {
                std::vector<Window> icons;
                findWindows(
                    desktop.d, DefaultRootWindow(desktop.d),
                    [&](Window w) { return mapped(desktop.d, w) && hasProperty(desktop.d, w, "_XEMBED_INFO"); }, icons);
                Window child = 0;
                return icons.size() == 1 &&
                       XTranslateCoordinates(desktop.d, icons[0], DefaultRootWindow(desktop.d), 8, 8, &x, &y, &child);
            },
            10000);
    };
    ASSERT_TRUE(findIcon());

    // The middle button always opens the schedule list on today. It bears the
    // program's title, as the tray icon's small window does.
    const auto scheduleLists = [&] {
        auto windows = windowsTitled(desktop.d, "Velmora");
        std::erase_if(windows, [&](Window w) {
            XWindowAttributes a;
            return !XGetWindowAttributes(desktop.d, w, &a) || a.width < 100;
        });
        return windows;
    };
    clickAt(desktop.d, x, y, 2);
    EXPECT_TRUE(waitFor([&] { return scheduleLists().size() == 1; }, 10000));
    EXPECT_EQ(readBytes(home.file("messages.txt")).find("通知領域"), std::string::npos) << "a tray was found";
    EXPECT_FALSE(resident->waitExit(10));
    // Without a window manager the keyboard follows the pointer.
    if (const auto lists = scheduleLists(); lists.size() == 1) {
        XWarpPointer(desktop.d, None, lists[0], 0, 0, 0, 0, 40, 40);
        XFlush(desktop.d);
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
    }
    const KeyCode escape = XKeysymToKeycode(desktop.d, XK_Escape);
    XTestFakeKeyEvent(desktop.d, escape, True, 0);
    XTestFakeKeyEvent(desktop.d, escape, False, 0);
    XFlush(desktop.d);
    ASSERT_TRUE(waitFor([&] { return scheduleLists().empty(); }, 5000)) << "Esc closes the list";
    // The icon was hidden while the day was shown: it comes back.
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    ASSERT_TRUE(findIcon());

    // The right button opens the menu; its last item, "終了する", ends the program.
    clickAt(desktop.d, x, y, 3);
    // A menu is a mapped window that the window manager never sees (override-redirect).
    std::vector<Window> menus;
    ASSERT_TRUE(waitFor(
        [&] {
            menus.clear();
            findWindows(
                desktop.d, DefaultRootWindow(desktop.d),
                [&](Window w) {
                    XWindowAttributes a;
                    return XGetWindowAttributes(desktop.d, w, &a) && a.map_state == IsViewable && a.override_redirect &&
                           a.width > 50 && a.height > 100;
                },
                menus);
            return menus.size() == 1;
        },
        5000));
    XWindowAttributes menu;
    ASSERT_TRUE(XGetWindowAttributes(desktop.d, menus[0], &menu));
    int mx = 0;
    int my = 0;
    Window child = 0;
    XTranslateCoordinates(desktop.d, menus[0], DefaultRootWindow(desktop.d), menu.width / 2, menu.height - 12, &mx, &my,
                          &child);
    clickAt(desktop.d, mx, my, 1);
    EXPECT_EQ(resident->waitExit(10000), 0) << "終了する ends the program";
    EXPECT_TRUE(desktop.showsCalendarOf(home)) << "and the calendar stays on the desktop";
}

TEST_F(Resident, WithoutATrayItRunsOnAndSaysSoOnce) {
    ASSERT_TRUE(startResident()) << firstOutput();
    // It looks for a tray a few times (one may come after it at log-in), then says so.
    ASSERT_TRUE(
        waitFor([&] { return readBytes(home.file("messages.txt")).find("通知領域") != std::string::npos; }, 20000));
    std::this_thread::sleep_for(std::chrono::seconds(3));
    const std::string messages = readBytes(home.file("messages.txt"));
    const std::string headline = "通知領域（システムトレイ）が見つからない";
    EXPECT_EQ(messages.find(headline), messages.rfind(headline)) << "once";
    EXPECT_EQ(messages.find("ダブルクリック"), std::string::npos) << "double-clicks are off (WPLink 0)";
    EXPECT_NE(messages.find(home.file("calendar.ini")), std::string::npos) << "where the settings are";
    EXPECT_FALSE(resident->waitExit(10)) << "still resident";

    // A panel that starts late still gets the icon.
    Trayer trayer(desktop.server.display());
    if (!trayer.running()) {
        GTEST_SKIP() << "no tray host (trayer) is installed here";
    }
    EXPECT_TRUE(waitFor(
        [&] {
            std::vector<Window> icons;
            findWindows(
                desktop.d, DefaultRootWindow(desktop.d),
                [&](Window w) {
                    XWindowAttributes a;
                    return mapped(desktop.d, w) && utf8Property(desktop.d, w, "_NET_WM_NAME") == "Velmora" &&
                           XGetWindowAttributes(desktop.d, w, &a) && a.width < 100;
                },
                icons);
            return !icons.empty();
        },
        25000));
}

namespace {

// The window of that title whose size says it is a real window (the tray
// icon's small one bears the program's title too).
std::vector<Window> windowsOfTitle(Display* d, const std::string& title) {
    auto windows = windowsTitled(d, title);
    std::erase_if(windows, [&](Window w) {
        XWindowAttributes a;
        return !XGetWindowAttributes(d, w, &a) || a.width < 100;
    });
    return windows;
}

void typeKeys(Display* d, const std::string& keys) {
    for (const char c : keys) {
        const char name[2] = {c, 0};
        const KeyCode code = XKeysymToKeycode(d, XStringToKeysym(name));
        XTestFakeKeyEvent(d, code, True, 0);
        XTestFakeKeyEvent(d, code, False, 0);
    }
    XFlush(d);
}

void pressKey(Display* d, KeySym key) {
    const KeyCode code = XKeysymToKeycode(d, key);
    XTestFakeKeyEvent(d, code, True, 0);
    XTestFakeKeyEvent(d, code, False, 0);
    XFlush(d);
}

// Without a window manager the keyboard follows the pointer: it goes where the keys must.
void pointInto(Display* d, Window w, int x, int y) {
    XWarpPointer(d, None, w, 0, 0, 0, 0, x, y);
    XFlush(d);
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
}

} // namespace

// A double-click on a day opens the schedule list; an entry typed there is
// saved, drawn on the desktop, and seen by another computer's watch.
TEST_F(Resident, ADayOfTheDesktopCalendarTakesANewEntry) {
    ASSERT_TRUE(startResident("WPLink=1\r\n")) << firstOutput();
    int x = -1;
    int y = -1;
    for (int tryY = 150; tryY < 560 && x < 0; tryY += 40) {
        for (int tryX = 30; tryX < 780 && x < 0; tryX += 40) {
            std::string answer;
            runCli(home.dir(),
                   "--today 2026/12/08 hit " + std::to_string(tryX) + " " + std::to_string(tryY) + " --size 800x600",
                   &answer);
            if (answer.rfind("1\t2026/12/16", 0) == 0) {
                x = tryX;
                y = tryY;
            }
        }
    }
    ASSERT_GE(x, 0) << "a point of 2026/12/16";

    // Another computer watches the shared file meanwhile.
    std::string watched;
    std::thread watcher([&] {
        const std::string command = "env -u DISPLAY VELMORA_COMPUTERNAME=PC-B " VELMORA_BINARY_DIR
                                    "/velmora-cli --home " +
                                    home.dir() + " watch --interval 200 --timeout 60";
        if (FILE* pipe = popen(command.c_str(), "r")) {
            char buffer[4096];
            while (std::size_t n = fread(buffer, 1, sizeof buffer, pipe)) {
                watched.append(buffer, n);
            }
            pclose(pipe);
        }
    });

    Clicker clicker(desktop.server.display());
    XTestFakeMotionEvent(clicker.d, -1, x, y, 0);
    XFlush(clicker.d);
    std::this_thread::sleep_for(std::chrono::milliseconds(1200));
    clicker.doubleClick(x, y);
    ASSERT_TRUE(waitFor([&] { return windowsOfTitle(desktop.d, "Velmora").size() == 1; }, 10000));
    const Window list = windowsOfTitle(desktop.d, "Velmora")[0];
    XWindowAttributes area;
    ASSERT_TRUE(XGetWindowAttributes(desktop.d, list, &area));

    // A double-click on the list's empty part adds an entry; its editor takes the keys.
    pointInto(clicker.d, list, area.width - 40, area.height - 40);
    Window child = 0;
    int rootX = 0;
    int rootY = 0;
    XTranslateCoordinates(clicker.d, list, DefaultRootWindow(clicker.d), area.width - 40, area.height - 40, &rootX,
                          &rootY, &child);
    clicker.doubleClick(rootX, rootY);
    ASSERT_TRUE(waitFor([&] { return windowsOfTitle(desktop.d, "Velmora Ver.6.82").size() == 1; }, 10000));
    const Window editor = windowsOfTitle(desktop.d, "Velmora Ver.6.82")[0];
    pointInto(clicker.d, editor, 60, 10);
    typeKeys(clicker.d, "meeting");
    pressKey(clicker.d, XK_Return);
    ASSERT_TRUE(waitFor([&] { return windowsOfTitle(desktop.d, "Velmora Ver.6.82").empty(); }, 5000));
    pointInto(clicker.d, list, area.width - 40, area.height - 40);
    pressKey(clicker.d, XK_Return); // OK of the list
    ASSERT_TRUE(waitFor([&] { return windowsOfTitle(desktop.d, "Velmora").empty(); }, 5000));

    std::string day;
    EXPECT_TRUE(waitFor(
        [&] {
            runCli(home.dir(), "day 2026/12/16", &day);
            return day.find("\tmeeting ") != std::string::npos;
        },
        5000))
        << day;
    const QImage expected = expectedCalendar(home, "2026/12/08", "2026/12");
    ASSERT_FALSE(expected.isNull());
    EXPECT_TRUE(waitFor([&] { return differingPixels(picture(home.file("calendar.bmp")), expected) == 0; }, 10000))
        << "the entry is drawn";
    EXPECT_TRUE(waitFor([&] { return desktop.showsCalendarOf(home); }, 5000));
    watcher.join();
    EXPECT_NE(watched.find("reloaded"), std::string::npos) << watched;
    EXPECT_NE(watched.find("2026/12/16\tmeeting "), std::string::npos) << watched;
}

namespace {

// The small override-redirect windows of the screen that are mapped now:
// the day hint, and nothing else of ours while no menu is open.
std::vector<Window> balloons(Display* d) {
    std::vector<Window> out;
    findWindows(
        d, DefaultRootWindow(d),
        [&](Window w) {
            XWindowAttributes a;
            return XGetWindowAttributes(d, w, &a) && a.map_state == IsViewable && a.override_redirect && a.width > 20 &&
                   a.width < 400 && a.height > 10 && a.height < 300;
        },
        out);
    return out;
}

} // namespace

// With the quick view on, the pointer resting on a day of the desktop
// calendar brings the day's hint beside it, without taking the focus; a
// tremble keeps it, a move takes it away.
TEST_F(Resident, ARestOnADayOfTheDesktopShowsTheDaysHint) {
    ASSERT_TRUE(startResident("QV=1\r\n")) << firstOutput();
    std::string answer;
    runCli(home.dir(), "--today 2026/12/08 hit 300 300 --size 800x600", &answer);
    ASSERT_EQ(answer.rfind("1\t2026/12/", 0), 0u) << "a day at (300, 300): " << answer;
    ASSERT_TRUE(balloons(desktop.d).empty());

    Clicker pointer(desktop.server.display());
    XTestFakeMotionEvent(pointer.d, -1, 300, 300, 0);
    XFlush(pointer.d);
    ASSERT_TRUE(waitFor([&] { return balloons(desktop.d).size() == 1; }, 5000)) << "the hint after a rest";
    const Window hint = balloons(desktop.d)[0];
    int x = 0;
    int y = 0;
    Window child = 0;
    XTranslateCoordinates(desktop.d, hint, DefaultRootWindow(desktop.d), 0, 0, &x, &y, &child);
    EXPECT_EQ(x, 315) << "right of the pointer";
    EXPECT_EQ(y, 305) << "and below it";
    Window focus = 0;
    int revert = 0;
    XGetInputFocus(desktop.d, &focus, &revert);
    EXPECT_NE(focus, hint) << "the hint never takes the focus";

    XTestFakeMotionEvent(pointer.d, -1, 303, 297, 0);
    XFlush(pointer.d);
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    EXPECT_EQ(balloons(desktop.d).size(), 1u) << "a tremble is no move";
    XTestFakeMotionEvent(pointer.d, -1, 340, 300, 0);
    XFlush(pointer.d);
    EXPECT_TRUE(waitFor([&] { return balloons(desktop.d).empty(); }, 3000)) << "a move hides it";
    EXPECT_TRUE(waitFor([&] { return balloons(desktop.d).size() == 1; }, 5000)) << "and the next rest brings it back";
    EXPECT_FALSE(resident->waitExit(10));
}

// The window's states (_NET_WM_STATE) by name.
std::vector<std::string> windowStates(Display* d, Window w) {
    std::vector<std::string> names;
    Atom type = 0;
    int format = 0;
    unsigned long items = 0;
    unsigned long after = 0;
    unsigned char* data = nullptr;
    if (XGetWindowProperty(d, w, XInternAtom(d, "_NET_WM_STATE", False), 0, 64, False, XA_ATOM, &type, &format, &items,
                           &after, &data) == Success &&
        data && format == 32) {
        const auto* atoms = reinterpret_cast<const unsigned long*>(data);
        for (unsigned long i = 0; i < items; ++i) {
            if (char* name = XGetAtomName(d, atoms[i])) {
                names.emplace_back(name);
                XFree(name);
            }
        }
    }
    if (data) {
        XFree(data);
    }
    return names;
}

// The full-screen calendar had a taskbar button of its own, though the
// program lives in the tray.
TEST_F(Resident, TheFullScreenCalendarHasNoTaskbarButton) {
    Trayer trayer(desktop.server.display());
    if (!trayer.running()) {
        GTEST_SKIP() << "no tray host (trayer) is installed here";
    }
    ASSERT_TRUE(waitFor(
        [&] { return XGetSelectionOwner(desktop.d, XInternAtom(desktop.d, "_NET_SYSTEM_TRAY_S0", False)); }, 5000));
    ASSERT_TRUE(startResident()) << firstOutput();
    int x = 0;
    int y = 0;
    ASSERT_TRUE(waitFor(
        [&] {
            std::vector<Window> icons;
            findWindows(
                desktop.d, DefaultRootWindow(desktop.d),
                [&](Window w) { return mapped(desktop.d, w) && hasProperty(desktop.d, w, "_XEMBED_INFO"); }, icons);
            Window child = 0;
            return icons.size() == 1 &&
                   XTranslateCoordinates(desktop.d, icons[0], DefaultRootWindow(desktop.d), 8, 8, &x, &y, &child);
        },
        10000));
    const auto fullScreen = [&] {
        std::vector<Window> found;
        findWindows(
            desktop.d, DefaultRootWindow(desktop.d),
            [&](Window w) {
                const auto states = windowStates(desktop.d, w);
                return mapped(desktop.d, w) &&
                       std::find(states.begin(), states.end(), "_NET_WM_STATE_FULLSCREEN") != states.end();
            },
            found);
        return found;
    };
    // Twice: the window's states go when it is withdrawn.
    for (int round = 0; round < 2; ++round) {
        clickAt(desktop.d, x, y, 3);
        std::this_thread::sleep_for(std::chrono::milliseconds(500));
        // The menu holds the keyboard: the third enabled item is "カレンダー表示".
        for (int i = 0; i < 3; ++i) {
            pressKey(desktop.d, XK_Down);
        }
        pressKey(desktop.d, XK_Return);
        ASSERT_TRUE(waitFor([&] { return fullScreen().size() == 1; }, 10000)) << "round " << round;
        const auto states = windowStates(desktop.d, fullScreen()[0]);
        EXPECT_NE(std::find(states.begin(), states.end(), "_NET_WM_STATE_SKIP_TASKBAR"), states.end()) << round;
        EXPECT_NE(std::find(states.begin(), states.end(), "_NET_WM_STATE_SKIP_PAGER"), states.end()) << round;
        XWarpPointer(desktop.d, None, DefaultRootWindow(desktop.d), 0, 0, 0, 0, 300, 300);
        XFlush(desktop.d);
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
        pressKey(desktop.d, XK_Escape);
        ASSERT_TRUE(waitFor([&] { return fullScreen().empty(); }, 5000)) << "Esc puts the calendar back";
    }
}
