// Desktop memos of the resident program on a real X server with a window
// manager (openbox): how they stack against another program's window, the
// letters-only look and its hover, and memos pasted onto the wallpaper.
// Everything is checked on the screen's pixels and in the files.
#include "support/TestSupport.h"

#include <QImage>

#include <gtest/gtest.h>

// Xlib after the test framework: its macros (None, Bool) clash with it.
#include "support/DesktopSession.h"

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <functional>
#include <iostream>
#include <map>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

using namespace velmora::test;

namespace {

// The memo of every test: 300×120 at (300, 200), "ABC" in red bold on a cyan
// face, locked (a click never drags it), its size kept (no auto size).
const QRect kMemo(300, 200, 300, 120);
constexpr int kRing = 3; // the frame ring's width
constexpr QRgb kRed = 0xFF0000;
constexpr QRgb kCyan = 0x00FFFF;
// The bevel of a cyan frame: each channel + 40 (saturated) on the top and
// left, × 0.7 on the right and bottom.
constexpr QRgb kCyanLight = 0x28FFFF;
constexpr QRgb kCyanDark = 0x00B2B2;
// The other program's window: a colour the calendar never uses.
constexpr QRgb kOtherColour = 0x208040;

QImage picture(const std::string& file) {
    return QImage(QString::fromStdString(file)).convertToFormat(QImage::Format_RGB32);
}

// The memo windows on the screen: the program names them "NotTomei" or
// "Tomei" (opaque or transparent).
std::vector<QRect> memoWindowsShown(Display* d) {
    std::vector<Window> found;
    findWindows(
        d, DefaultRootWindow(d),
        [&](Window w) {
            const std::string title = utf8Property(d, w, "_NET_WM_NAME");
            return (title == "NotTomei" || title == "Tomei") && !shownRect(d, w).isEmpty();
        },
        found);
    std::vector<QRect> rects;
    for (const Window w : found) {
        rects.push_back(shownRect(d, w));
    }
    return rects;
}

void moveTo(Display* d, QPoint at) {
    XTestFakeMotionEvent(d, -1, at.x(), at.y(), 0);
    XFlush(d);
}

void clickAt(Display* d, QPoint at) {
    moveTo(d, at);
    XTestFakeButtonEvent(d, 1, True, 0);
    XTestFakeButtonEvent(d, 1, False, 0);
    XFlush(d);
}

// The frame ring of the memo on the screen, pixel by pixel, against the
// desktop picture: how many show the desktop, and how many are black or white
// instead (the tones of the letters-only look's bevel).
struct RingCount {
    int total = 0;
    int desktop = 0;
    int blackOrWhite = 0;
};

RingCount countRing(const QImage& screen, const QImage& desktop) {
    RingCount count;
    const QRect inner = kMemo.adjusted(kRing, kRing, -kRing, -kRing);
    for (int y = kMemo.top(); y <= kMemo.bottom(); ++y) {
        for (int x = kMemo.left(); x <= kMemo.right(); ++x) {
            if (inner.contains(x, y)) {
                continue;
            }
            ++count.total;
            const QRgb shown = rgb(screen.pixel(x, y));
            if (shown == rgb(desktop.pixel(x, y))) {
                ++count.desktop;
            } else if (shown == 0 || shown == 0xFFFFFF) {
                ++count.blackOrWhite;
            }
        }
    }
    return count;
}

// The client area, pixel by pixel: letters (pure red), desktop, and anything else.
struct ClientCount {
    int red = 0;
    int desktop = 0;
    int other = 0;
    int cyan = 0;
    QPoint insideALetter{-1, -1}; // a red pixel whose neighbours are red too
};

ClientCount countClient(const QImage& shown, const QImage& desktop) {
    ClientCount count;
    const QRect inner = kMemo.adjusted(kRing, kRing, -kRing, -kRing);
    const auto red = [&](int x, int y) { return rgb(shown.pixel(x, y)) == kRed; };
    for (int y = inner.top(); y <= inner.bottom(); ++y) {
        for (int x = inner.left(); x <= inner.right(); ++x) {
            const QRgb pixel = rgb(shown.pixel(x, y));
            if (pixel == kRed) {
                ++count.red;
                if (count.insideALetter.x() < 0 && red(x - 1, y) && red(x + 1, y) && red(x, y - 1) && red(x, y + 1)) {
                    count.insideALetter = QPoint(x, y);
                }
            } else if (pixel == rgb(desktop.pixel(x, y))) {
                ++count.desktop;
            } else {
                ++count.other;
            }
            count.cyan += pixel == kCyan;
        }
    }
    return count;
}

std::string memoData(const std::string& look) {
    return "[COMPUTER]\r\nCOMPUTER=PC-A\r\n[MEMOFILE]\r\n0=MEMO0000.dfm\r\n[MEMOOPT]\r\nMEMO0000.dfm=" + look + "\r\n";
}

std::string memoFile() {
    return "[Memo]\r\nLeft=300\r\nTop=200\r\nWidth=300\r\nHeight=120\r\nText=\"ABC\"\r\nFontName=Noto Sans CJK JP\r\n"
           "FontSize=40\r\nFontColor=255\r\nFontStyle=1000\r\nColor=16776960\r\nAutoSize=0\r\nPicture=NONE\r\n"
           "EditorText=\"ABC\"\r\nEditorPicture=\r\nFileName=MEMO0000.dfm\r\nLock=1\r\n";
}

} // namespace

// Each test has its own X server, window manager and program folder with
// one memo of the look it needs.
class ResidentMemo : public testing::Test {
protected:
    void SetUp() override {
        XSetErrorHandler(ignoreXErrors); // windows come and go while the test looks at them
        if (!server.running()) {
            GTEST_SKIP() << "Xvfb is not installed here";
        }
        if (findProgram("openbox").empty()) {
            GTEST_SKIP() << "no window manager (openbox) is installed here";
        }
        d = XOpenDisplay(server.display().c_str());
        ASSERT_NE(d, nullptr);
        windowManager = std::make_unique<WindowManager>(server.display(), wmHome.dir());
        ASSERT_TRUE(waitFor([&] { return XGetSelectionOwner(d, XInternAtom(d, "WM_S0", False)) != 0; }, 10000))
            << "openbox manages the screen";
        // The pointer starts in the middle of the screen, on the memo: away
        // from it, so that no hover is under way when the memo appears.
        moveTo(d, QPoint(20, 590));
    }
    void TearDown() override {
        resident.reset();
        if (d) {
            XCloseDisplay(std::exchange(d, nullptr));
        }
        if (HasFailure()) {
            // The screens seen, kept for a look at what went wrong.
            const auto* test = testing::UnitTest::GetInstance()->current_test_info();
            std::string name = std::string(test->test_suite_name()) + "." + test->name();
            std::replace(name.begin(), name.end(), '/', '_');
            for (const std::string& shot : m_shots) {
                const std::string kept = testing::TempDir() + name + "-" + shot;
                std::error_code ec;
                fs::copy_file(home.file(shot), kept, fs::copy_options::overwrite_existing, ec);
                if (!ec) {
                    std::cout << "screen kept: " << kept << "\n";
                }
            }
        }
    }

    // Writes the memo with its four look digits and starts the program;
    // true once the calendar is the desktop's picture.
    bool start(const std::string& look, const std::string& system = {}) {
        fs::create_directories(home.path() / "Memo");
        writeBytes(home.file("Memo/Memo.dat"), memoData(look));
        writeBytes(home.file("Memo/MEMO0000.dfm"), memoFile());
        if (!system.empty()) {
            writeBytes(home.file("calendar.ini"), "[SYSTEM]\r\n" + system);
        }
        resident =
            std::make_unique<Program>(server.display(), home.dir(),
                                      std::map<std::string, std::string>{{"VELMORA_COMPUTERNAME", "PC-A"},
                                                                         {"VELMORA_NOW", "2026/12/08 10:00:00"}});
        return waitFor([&] { return showsCalendar(); }, 20000);
    }
    bool showsCalendar() {
        const QImage file = calendar();
        return !file.isNull() && differingPixels(rootPicture(d), file) == 0;
    }
    QImage calendar() const { return picture(home.file("calendar.bmp")); }
    std::string output() const { return readBytes(home.file("out.txt")) + readBytes(home.file("messages.txt")); }
    // The screen now, also written as a picture into the program folder.
    QImage snap(const std::string& name) {
        const QImage shown = screenPicture(d);
        const std::string file = name + ".png";
        if (shown.save(QString::fromStdString(home.file(file)))) {
            m_shots.push_back(file);
        }
        return shown;
    }
    QRgb shownAt(QPoint at) { return rgb(screenPicture(d).pixel(at)); }

    Xvfb server{"800x600x24"};
    Display* d = nullptr;
    TempDir home;
    TempDir wmHome;
    std::unique_ptr<WindowManager> windowManager;
    std::unique_ptr<Program> resident;

private:
    std::vector<std::string> m_shots;
};

// Stacking against another program's window --------------------------------

namespace {

// A plain window of another program: one colour, managed by openbox (which
// adds its title bar; the colour is its client area).
class OtherWindow {
public:
    OtherWindow(Display* d, const QRect& where) : m_d(d) {
        m_w = XCreateSimpleWindow(d, DefaultRootWindow(d), where.x(), where.y(), static_cast<unsigned>(where.width()),
                                  static_cast<unsigned>(where.height()), 0, 0, kOtherColour);
        XSizeHints hints{};
        hints.flags = USPosition | USSize;
        hints.x = where.x();
        hints.y = where.y();
        hints.width = where.width();
        hints.height = where.height();
        XSetWMNormalHints(d, m_w, &hints);
        XStoreName(d, m_w, "other");
        XMapWindow(d, m_w);
        XFlush(d);
    }
    ~OtherWindow() {
        XDestroyWindow(m_d, m_w);
        XFlush(m_d);
    }
    QRect rect() const { return shownRect(m_d, m_w); }

private:
    Display* m_d;
    Window m_w = 0;
};

struct StackingCase {
    const char* name;
    const char* look;  // the four digits of the memo's options
    bool clickTheMemo; // else the other window is clicked
    bool memoOnTopBefore;
    bool memoOnTopAfter;
};

void PrintTo(const StackingCase& c, std::ostream* out) {
    *out << c.name;
}

} // namespace

class MemoStacking : public ResidentMemo, public testing::WithParamInterface<StackingCase> {};

// The other window opens over the right part of the memo; one of the two is
// clicked where it alone shows; the overlap tells which lies above.
TEST_P(MemoStacking, AClickKeepsThePlacement) {
    const StackingCase& c = GetParam();
    ASSERT_TRUE(start(c.look)) << output();
    ASSERT_TRUE(waitFor([&] { return memoWindowsShown(d).size() == 1; }, 10000)) << output();
    EXPECT_EQ(memoWindowsShown(d)[0], kMemo) << "where its file says, at its size";
    const QPoint memoFace(kMemo.left() + 30, kMemo.bottom() - 20); // below the letters
    ASSERT_TRUE(waitFor([&] { return shownAt(memoFace) == kCyan; }, 5000)) << "the memo's face";

    OtherWindow other(d, QRect(450, 120, 300, 300));
    QRect otherRect;
    ASSERT_TRUE(waitFor(
        [&] {
            otherRect = other.rect();
            return !otherRect.isEmpty() && shownAt(otherRect.bottomRight() - QPoint(10, 10)) == kOtherColour;
        },
        5000));
    const QRect overlap = otherRect & kMemo.adjusted(kRing, kRing, -kRing, -kRing);
    ASSERT_GE(overlap.width(), 40) << "the windows overlap";
    ASSERT_GE(overlap.height(), 40);
    // The overlap's lower right part: no letters of the memo there.
    const QPoint probe(overlap.right() - 20, overlap.bottom() - 20);
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    snap("before");
    EXPECT_EQ(shownAt(probe), c.memoOnTopBefore ? kCyan : kOtherColour) << "before the click";

    clickAt(d, c.clickTheMemo ? memoFace : otherRect.bottomRight() - QPoint(20, 20));
    // The window manager raises what is clicked; the program then places its memo.
    std::this_thread::sleep_for(std::chrono::milliseconds(1500));
    snap("after");
    EXPECT_EQ(shownAt(probe), c.memoOnTopAfter ? kCyan : kOtherColour) << "after the click";
    EXPECT_FALSE(resident->waitExit(10)) << output();
}

INSTANTIATE_TEST_SUITE_P(
    ResidentMemo, MemoStacking,
    testing::Values(StackingCase{"BottomStaysUnderWhenClicked", "0000", true, false, false},
                    // Shows that a click does raise a memo that may rise: the row above means something.
                    StackingCase{"NormalRisesWhenClicked", "1000", true, false, true},
                    StackingCase{"TopMostStaysAboveWhenTheOtherIsClicked", "2000", false, true, true}),
    [](const testing::TestParamInfo<StackingCase>& row) { return std::string(row.param.name); });

// Letters only, and the hover --------------------------------------------------

namespace {

struct ShapeCase {
    const char* name;
    const char* look;
    bool wholeOnHover;
};

void PrintTo(const ShapeCase& c, std::ostream* out) {
    *out << c.name;
}

} // namespace

class MemoLettersOnly : public ResidentMemo, public testing::WithParamInterface<ShapeCase> {};

// A top-most memo that shows only its letters: between them the desktop
// shows, the letters are red. Over a letter, a TransComp memo shows whole;
// a TransMore one never does.
//
// What tells "whole" from "letters only" on the screen: the face cannot (the
// whole window paints the desktop picture on its face too), but the frame
// ring can. Letters only, the ring is a checkerboard: every other pixel is
// cut away and shows the desktop, the others are black or white. Whole, the
// ring is painted all round as glass, the desktop darkened or lightened, so
// next to none of its pixels equal the desktop.
TEST_P(MemoLettersOnly, BetweenTheLettersTheDesktopShows) {
    const ShapeCase& c = GetParam();
    ASSERT_TRUE(start(c.look)) << output();
    ASSERT_TRUE(waitFor([&] { return memoWindowsShown(d).size() == 1; }, 10000)) << output();
    const QImage desktop = calendar();

    ClientCount client;
    ASSERT_TRUE(waitFor(
        [&] {
            client = countClient(screenPicture(d), desktop);
            return client.red > 0 && client.other == 0;
        },
        10000))
        << "red letters and the desktop only: " << client.red << " red, " << client.other << " other";
    QImage shown = snap("letters");
    EXPECT_GT(client.red, 500) << "the three letters";
    EXPECT_GT(client.desktop, 20000) << "the desktop between and around them";
    EXPECT_EQ(client.cyan, 0) << "no face";
    RingCount ring = countRing(shown, desktop);
    EXPECT_GT(ring.desktop, ring.total * 3 / 10) << "the checkerboard frame lets the desktop through";
    EXPECT_GT(ring.blackOrWhite, ring.total * 3 / 10) << "every other pixel of it is black or white";
    ASSERT_GE(client.insideALetter.x(), 0);

    moveTo(d, client.insideALetter);
    const auto whole = [&] {
        ring = countRing(screenPicture(d), desktop);
        return ring.desktop < ring.total / 10;
    };
    if (c.wholeOnHover) {
        EXPECT_TRUE(waitFor(whole, 3000)) << ring.desktop << " of " << ring.total << " frame pixels show the desktop";
        shown = snap("hover");
        EXPECT_EQ(countClient(shown, desktop).cyan, 0) << "the face shows the desktop, not its colour";
        EXPECT_EQ(rgb(shown.pixel(client.insideALetter)), kRed);

        // Away from it, the next tick cuts it back to its letters.
        moveTo(d, QPoint(20, 590));
        EXPECT_TRUE(waitFor(
            [&] {
                client = countClient(screenPicture(d), desktop);
                return client.other == 0 && countRing(screenPicture(d), desktop).desktop > ring.total * 3 / 10;
            },
            3000))
            << "letters only again";
    } else {
        std::this_thread::sleep_for(std::chrono::milliseconds(1500));
        shown = snap("hover");
        EXPECT_FALSE(whole()) << "never whole";
        client = countClient(shown, desktop);
        EXPECT_EQ(client.other, 0) << "red letters and the desktop only";
        EXPECT_GT(client.desktop, 20000);
    }
    EXPECT_FALSE(resident->waitExit(10)) << output();
}

INSTANTIATE_TEST_SUITE_P(ResidentMemo, MemoLettersOnly,
                         testing::Values(ShapeCase{"TransCompShowsWholeOnHover", "2020", true},
                                         ShapeCase{"TransMoreNeverShowsWhole", "2030", false}),
                         [](const testing::TestParamInfo<ShapeCase>& row) { return std::string(row.param.name); });

// Pasted onto the wallpaper ----------------------------------------------------

// A pasted memo is part of the calendar picture, not a window; a double-click
// on its place brings the window back, and the memo data remembers that.
TEST_F(ResidentMemo, APastedMemoComesBackByADoubleClick) {
    ASSERT_TRUE(start("1001", "WPLink=1\r\n")) << output();
    const QImage pasted = calendar();
    snap("pasted");
    const QPoint face(kMemo.left() + 250, kMemo.top() + 100); // right of and below the letters
    EXPECT_EQ(rgb(pasted.pixel(face)), kCyan) << "the face";
    EXPECT_EQ(rgb(pasted.pixel(kMemo.topLeft() + QPoint(1, 1))), kCyanLight) << "the frame's light top-left";
    EXPECT_EQ(rgb(pasted.pixel(kMemo.bottomRight() - QPoint(1, 1))), kCyanDark) << "the frame's dark bottom-right";
    int red = 0;
    for (int y = kMemo.top() + kRing; y < kMemo.top() + 70; ++y) {
        for (int x = kMemo.left() + kRing; x < kMemo.left() + 150; ++x) {
            red += rgb(pasted.pixel(x, y)) == kRed;
        }
    }
    EXPECT_GT(red, 500) << "the letters from the client's top-left";
    EXPECT_TRUE(memoWindowsShown(d).empty()) << "no memo window";

    // The desktop hook comes with the pointer over the desktop (every 500 ms).
    const QPoint inside = kMemo.center();
    moveTo(d, inside);
    std::this_thread::sleep_for(std::chrono::milliseconds(1200));
    Clicker clicker(server.display());
    clicker.doubleClick(inside.x(), inside.y());
    ASSERT_TRUE(waitFor([&] { return memoWindowsShown(d).size() == 1; }, 10000)) << output();
    EXPECT_EQ(memoWindowsShown(d)[0], kMemo);
    EXPECT_TRUE(waitFor([&] { return rgb(calendar().pixel(face)) != kCyan && showsCalendar(); }, 10000))
        << "the calendar is drawn again without it";
    EXPECT_TRUE(waitFor([&] { return shownAt(face) == kCyan; }, 5000)) << "the window shows its face";
    snap("back");
    // The pass without the memo differs from the one with it exactly on the
    // memo's rectangle: it was pasted at its place, at its size.
    const QImage without = calendar();
    int outsideChanged = 0;
    int insideKept = 0;
    for (int y = 0; y < without.height(); ++y) {
        for (int x = 0; x < without.width(); ++x) {
            const bool same = rgb(without.pixel(x, y)) == rgb(pasted.pixel(x, y));
            if (kMemo.contains(x, y)) {
                insideKept += same;
            } else {
                outsideChanged += !same;
            }
        }
    }
    EXPECT_EQ(outsideChanged, 0) << "pixels outside the memo";
    EXPECT_EQ(insideKept, 0) << "pixels of the memo";

    resident->signal(SIGTERM);
    ASSERT_EQ(resident->waitExit(10000), 0) << output();
    const std::string data = readBytes(home.file("Memo/Memo.dat"));
    EXPECT_NE(data.find("MEMO0000.dfm=1000\r\n"), std::string::npos) << "no longer pasted: " << data;
}
