// Reminder windows of the resident program on a real X server (with openbox
// when it is installed): a timed reminder opens at its minute and not
// before, a window comes back where it was closed on an earlier day, and
// "閉じる" files the window's state. What the tests see is the screen's
// pixels, the X windows and the files.
#include "support/TestSupport.h"

#include <QImage>

#include <gtest/gtest.h>

// Xlib after the test framework: its macros (None, Bool) clash with it.
#include "support/DesktopSession.h"

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <functional>
#include <iostream>
#include <map>
#include <memory>
#include <optional>
#include <thread>
#include <utility>
#include <vector>

using namespace velmora::test;

namespace {

constexpr int kScreenWidth = 800;
constexpr QRgb kRed = 0xFF0000;
constexpr QRgb kWhite = 0xFFFFFF;
const std::string kKey = "2026/12/08-00"; // the first entry of 2026/12/08

// The reminder windows on the screen: the program titles note windows
// "NotTomei" or "Tomei" (opaque or transparent).
std::vector<Window> reminderWindows(Display* d) {
    std::vector<Window> found;
    findWindows(
        d, DefaultRootWindow(d),
        [&](Window w) {
            const std::string title = utf8Property(d, w, "_NET_WM_NAME");
            return (title == "NotTomei" || title == "Tomei") && !shownRect(d, w).isEmpty();
        },
        found);
    return found;
}

std::vector<QRect> reminderWindowsShown(Display* d) {
    std::vector<QRect> rects;
    for (const Window w : reminderWindows(d)) {
        rects.push_back(shownRect(d, w));
    }
    return rects;
}

void pressKey(Display* d, KeySym key) {
    const KeyCode code = XKeysymToKeycode(d, key);
    XTestFakeKeyEvent(d, code, True, 0);
    XTestFakeKeyEvent(d, code, False, 0);
    XFlush(d);
}

// The value of `key` in `section` of INI bytes with CRLF lines; nullopt
// when the section or the key is not there.
std::optional<std::string> iniValue(const std::string& bytes, const std::string& section, const std::string& key) {
    bool inSection = false;
    std::size_t at = 0;
    while (at < bytes.size()) {
        std::size_t end = bytes.find('\n', at);
        if (end == std::string::npos) {
            end = bytes.size();
        }
        std::string line = bytes.substr(at, end - at);
        at = end + 1;
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        if (!line.empty() && line.front() == '[') {
            inSection = line == "[" + section + "]";
        } else if (inSection && line.rfind(key + "=", 0) == 0) {
            return line.substr(key.size() + 1);
        }
    }
    return std::nullopt;
}

// The schedule file as the program writes it: CP932, CRLF, every list item
// quoted with its trailing blank. `extra` adds whole sections.
std::string scheduleData(const std::string& popup, const std::string& extra = {}) {
    return cp932("[COMPUTER]\r\nCOMPUTER=PC-A\r\n[DAY]\r\n2026/12/08=\"会議 \",\"歯医者 \"\r\n[POPUP]\r\n" + kKey +
                 "=" + popup + "\r\n[COLOROPT]\r\n" + kKey + "=-255\r\n" + extra);
}

// The window's face inside its frame ring, pixel by pixel: the entry's
// colour, the letters and their smoothed edges, anything else.
constexpr int kRing = 3;

struct FaceCount {
    int total = 0;
    int red = 0;
    int white = 0;
    int blend = 0; // red mixed with white
    int other = 0;
};

FaceCount countFace(const QImage& shown, const QRect& window) {
    FaceCount count;
    const QRect face = window.adjusted(kRing, kRing, -kRing, -kRing);
    for (int y = face.top(); y <= face.bottom(); ++y) {
        for (int x = face.left(); x <= face.right(); ++x) {
            const QRgb pixel = rgb(shown.pixel(x, y));
            ++count.total;
            if (pixel == kRed) {
                ++count.red;
            } else if (pixel == kWhite) {
                ++count.white;
            } else if (qRed(pixel) == 0xFF && qGreen(pixel) == qBlue(pixel)) {
                ++count.blend;
            } else {
                ++count.other;
            }
        }
    }
    return count;
}

// Red with white letters: the text fills most of a window sized to it, so
// the face is no more than about half bare red.
::testing::AssertionResult redWithWhiteLetters(const FaceCount& face) {
    if (face.total > 0 && face.red * 10 >= face.total * 3 && face.white > 0 && face.other == 0) {
        return ::testing::AssertionSuccess();
    }
    return ::testing::AssertionFailure() << face.total << " pixels: " << face.red << " red, " << face.white
                                         << " white, " << face.blend << " between, " << face.other << " other";
}

} // namespace

// Each test has its own X server and program folder with the schedule file
// it needs.
class ResidentReminder : public testing::Test {
protected:
    void SetUp() override {
        XSetErrorHandler(ignoreXErrors); // windows come and go while the test looks at them
        if (!server.running()) {
            GTEST_SKIP() << "Xvfb is not installed here";
        }
        d = XOpenDisplay(server.display().c_str());
        ASSERT_NE(d, nullptr);
        // A desktop has a window manager that may place windows its own way;
        // where none is installed, the places are checked on the bare server.
        windowManager = std::make_unique<WindowManager>(server.display(), wmHome.dir());
        if (windowManager->started()) {
            ASSERT_TRUE(waitFor([&] { return XGetSelectionOwner(d, XInternAtom(d, "WM_S0", False)) != 0; }, 10000))
                << "openbox manages the screen";
        }
        // The pointer away from where reminders open.
        XTestFakeMotionEvent(d, -1, 20, 590, 0);
        XFlush(d);
        fs::create_directories(home.path() / "Schedule");
    }
    void TearDown() override {
        resident.reset();
        windowManager.reset();
        if (d) {
            XCloseDisplay(std::exchange(d, nullptr));
        }
    }

    void start(const std::string& schedule, const std::string& now, std::map<std::string, std::string> env = {}) {
        writeBytes(home.file("Schedule/Schedule.dat"), schedule);
        env["VELMORA_NOW"] = now;
        env.emplace("VELMORA_COMPUTERNAME", "PC-A"); // the owner the schedule file names
        resident = std::make_unique<Program>(server.display(), home.dir(), std::move(env));
    }
    bool showsCalendar() {
        const QImage file =
            QImage(QString::fromStdString(home.file("calendar.bmp"))).convertToFormat(QImage::Format_RGB32);
        return !file.isNull() && differingPixels(rootPicture(d), file) == 0;
    }
    std::string output() const { return readBytes(home.file("out.txt")) + readBytes(home.file("messages.txt")); }
    // The screen now, kept as a picture in the test framework's temporary folder.
    QImage snap(const std::string& name) {
        const QImage shown = screenPicture(d);
        const auto* test = testing::UnitTest::GetInstance()->current_test_info();
        const std::string file =
            testing::TempDir() + std::string(test->test_suite_name()) + "." + test->name() + "-" + name + ".png";
        if (shown.save(QString::fromStdString(file))) {
            std::cout << "screen: " << file << "\n";
        }
        return shown;
    }
    // The one reminder window once it is mapped (within `ms`) and has kept
    // its place and size for a moment: it maps before it fits itself to its text.
    std::optional<QRect> oneReminder(int ms) {
        std::optional<QRect> last;
        int same = 0;
        waitFor(
            [&] {
                const std::vector<QRect> shown = reminderWindowsShown(d);
                if (shown.size() != 1) {
                    last.reset();
                    same = 0;
                    return false;
                }
                same = last == shown[0] ? same + 1 : 0;
                last = shown[0];
                return same >= 6;
            },
            ms);
        return same >= 6 ? last : std::nullopt;
    }

    Xvfb server{"800x600x24"};
    Display* d = nullptr;
    TempDir home;
    TempDir wmHome;
    std::unique_ptr<WindowManager> windowManager;
    std::unique_ptr<Program> resident;
};

// The timed reminder is queued at start-up and opens in its minute, at the
// top right of the screen, on the entry's colour with the text in white.
TEST_F(ResidentReminder, ATimedReminderOpensAtItsMinuteNotBefore) {
    using Clock = std::chrono::steady_clock;
    const auto started = Clock::now();
    // The program's clock starts at 09:29:50 after this moment and runs on:
    // before ten seconds have passed here, it is not yet 09:30 there.
    start(scheduleData("0,1,09,30,0"), "2026/12/08 09:29:50", {{"VELMORA_MAIN_TIMER_MS", "1000"}});
    const auto elapsed = [&] { return std::chrono::duration<double>(Clock::now() - started).count(); };

    std::optional<double> calendarAt;
    std::optional<double> reminderAt;
    while (elapsed() < 30 && !reminderAt) {
        if (!calendarAt && showsCalendar()) {
            calendarAt = elapsed();
        }
        if (!reminderWindowsShown(d).empty()) {
            reminderAt = elapsed();
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    ASSERT_TRUE(calendarAt) << "the start is over: " << output();
    // The look before 09:30 means something only when the program had queued it by then.
    EXPECT_LT(*calendarAt, 9.0) << "the start took too long to see the time before 09:30";
    ASSERT_TRUE(reminderAt) << "no reminder window within 30 s: " << output();
    EXPECT_GE(*reminderAt, 10.0) << "opened before 09:30";
    EXPECT_LT(*reminderAt, 10.0 + *calendarAt + 5.0) << "opened long after 09:30";

    const auto window = oneReminder(2000);
    ASSERT_TRUE(window) << "one window";
    const std::vector<Window> opened = reminderWindows(d);
    EXPECT_LE(window->top(), 10) << "the first reminder at the top";
    EXPECT_GE(window->left(), kScreenWidth / 2) << "on the right";
    EXPECT_GE(window->right(), kScreenWidth - 40) << "near the right edge";
    EXPECT_LT(window->right(), kScreenWidth) << "whole on the screen";

    // The entry's colour, red, with the letters in white, which reads on it.
    FaceCount face;
    waitFor(
        [&] {
            face = countFace(screenPicture(d), *window);
            return redWithWhiteLetters(face);
        },
        3000);
    snap("reminder");
    EXPECT_TRUE(redWithWhiteLetters(face));

    // Ticks every second through the rest of the minute open nothing more:
    // a second opening would replace the window by a new one.
    std::this_thread::sleep_for(std::chrono::seconds(3));
    EXPECT_EQ(reminderWindows(d), opened);
    EXPECT_FALSE(resident->waitExit(10)) << output();
}

namespace {

// A window of the entry closed on an earlier day, at (300, 250).
std::string savedWindow() {
    return cp932(
        "[Popup]\r\nLeft=300\r\nTop=250\r\nWidth=120\r\nHeight=27\r\nText=\"会議\"\r\nFontName=ＭＳ Ｐゴシック\r\n"
        "FontSize=16\r\nColor=255\r\nLock=1\r\nKey=" +
        kKey + "\r\n");
}

} // namespace

// An every-day reminder of an entry dated yesterday opens at start-up where
// its window stood when it was last closed.
TEST_F(ResidentReminder, TheNextDayTheWindowOpensWhereItWasClosed) {
    writeBytes(home.file("Schedule/POP0000.dfm"), savedWindow());
    start(scheduleData("0,0,09,30,0", "[POPUPFILE]\r\n" + kKey + "=POP0000.dfm\r\n"), "2026/12/09 10:00:00");
    const auto window = oneReminder(20000);
    ASSERT_TRUE(window) << output();
    EXPECT_EQ(window->topLeft(), QPoint(300, 250)) << "the saved place";
    FaceCount face;
    waitFor(
        [&] {
            face = countFace(screenPicture(d), *window);
            return redWithWhiteLetters(face);
        },
        3000);
    EXPECT_TRUE(redWithWhiteLetters(face)) << "the entry's colour";
    snap("restored");
    EXPECT_TRUE(fs::exists(home.file("Schedule/POP0000.dfm"))) << "the start-up sweep keeps a named state file";
    EXPECT_FALSE(resident->waitExit(10)) << output();
}

// "閉じる" in the window's menu: the window goes, its place is kept in a
// state file named in the schedule file, and the entry stays quiet in this run.
TEST_F(ResidentReminder, ClosingKeepsTheWindowsStateForTheNextTime) {
    start(scheduleData("0,0,09,30,0"), "2026/12/08 10:00:00");
    const auto window = oneReminder(20000);
    ASSERT_TRUE(window) << output();
    ASSERT_FALSE(fs::exists(home.file("Schedule/POP0000.dfm")));
    // Let the start finish (its first calendar), so that nothing else takes the keys.
    ASSERT_TRUE(waitFor([&] { return showsCalendar(); }, 20000)) << output();

    const QPoint inside = window->center();
    XTestFakeMotionEvent(d, -1, inside.x(), inside.y(), 0);
    XTestFakeButtonEvent(d, 3, True, 0);
    XTestFakeButtonEvent(d, 3, False, 0);
    XFlush(d);
    // The menu is an override-redirect window the program maps at the pointer.
    ASSERT_TRUE(waitFor(
        [&] {
            std::vector<Window> menus;
            findWindows(
                d, DefaultRootWindow(d),
                [&](Window w) {
                    XWindowAttributes a;
                    return XGetWindowAttributes(d, w, &a) && a.map_state == IsViewable && a.override_redirect &&
                           a.height > 100;
                },
                menus);
            return menus.size() == 1;
        },
        5000))
        << "the menu opens";
    snap("menu");
    // "色の変更", "フォント指定", "閉じる（再表示）", "閉じる".
    for (int i = 0; i < 4; ++i) {
        pressKey(d, XK_Down);
    }
    pressKey(d, XK_Return);
    ASSERT_TRUE(waitFor([&] { return reminderWindowsShown(d).empty(); }, 5000)) << "閉じる closes the window";

    resident->signal(SIGTERM);
    ASSERT_EQ(resident->waitExit(10000), 0) << output();
    const std::string schedule = readBytes(home.file("Schedule/Schedule.dat"));
    EXPECT_EQ(iniValue(schedule, "POPUPFILE", kKey), "POP0000.dfm") << schedule;
    const auto look = iniValue(schedule, "POPUPOPT", kKey);
    ASSERT_TRUE(look) << schedule;
    EXPECT_EQ(look->size(), 3u) << *look;
    EXPECT_EQ(look->find_first_not_of("0123456789"), std::string::npos) << *look;
    EXPECT_EQ(iniValue(schedule, "POPUPSTAT", kKey), "9") << "closed for this run: " << schedule;

    const std::string state = readBytes(home.file("Schedule/POP0000.dfm"));
    EXPECT_EQ(iniValue(state, "Popup", "Left"), std::to_string(window->left())) << state;
    EXPECT_EQ(iniValue(state, "Popup", "Top"), std::to_string(window->top())) << state;
    EXPECT_EQ(iniValue(state, "Popup", "Key"), kKey) << state;
}
