#pragma once

// A recording platform, windows and reminder windows around a MainHub, with
// a program folder of its own and a clock the test moves.
#include "app/MainHub.h"
#include "core/DateText.h"
#include "core/PathText.h"
#include "platform/headless/HeadlessPlatform.h"
#include "support/RecordingFeedback.h"
#include "support/TestSupport.h"

#include <functional>
#include <string>
#include <vector>

namespace velmora::test {

// The desktop as a test sees it: every call recorded, the answers set by the test.
class RecordingPlatform : public HeadlessPlatform {
public:
    int screenWidth() const override { return 640; }
    int screenHeight() const override { return 480; }
    bool installWallpaper(const std::string& path, std::string* error) override {
        calls.push_back("calendar " + fileNameOf(path));
        busyDuringInstall = busyDuringInstall && busy && busy();
        if (duringInstall) {
            duringInstall();
        }
        if (refuse) {
            *error = "拒否";
            return false;
        }
        current = path;
        return true;
    }
    bool installBaseWallpaper(const std::string& path, std::string*) override {
        calls.push_back("base " + (path.empty() ? std::string("-") : fileNameOf(path)));
        current = path;
        return true;
    }
    std::string currentWallpaper() const override { return current; }
    bool captureDesktop(const std::string& base, QImage* picture) override {
        calls.push_back("capture " + (base.empty() ? std::string("-") : fileNameOf(base)));
        busyDuringInstall = busyDuringInstall && busy && busy();
        QImage desktop(640, 480, QImage::Format_RGB32);
        desktop.fill(desktopColour);
        *picture = desktop;
        return true;
    }
    bool pointerOverDesktop() const override { return overDesktop; }
    bool windowTitled(const std::string& title) const override { return title == openWindowTitle; }
    bool openDocument(const std::string& path) override {
        calls.push_back("open " + fileNameOf(path));
        return true;
    }

    std::vector<std::string> calls;
    std::string current;
    QRgb desktopColour = 0xFF2060A0;
    bool overDesktop = true;
    bool refuse = false;
    std::string openWindowTitle;
    std::function<void()> duringInstall;
    std::function<bool()> busy; // the hub's WallpaperBusy, to check it is up where it must be
    mutable bool busyDuringInstall = true;
};

class RecordingWindows : public HubWindows {
public:
    void setTrayVisible(bool visible) override { calls.push_back(visible ? "tray on" : "tray off"); }
    bool calendarWindowVisible() const override { return windowShown; }
    void paintCalendar(const QImage& picture) override {
        calls.push_back("paint");
        painted = picture;
    }
    std::optional<PickedMonth> pickMonth(const PickerRequest& request) override {
        calls.push_back("picker " + std::to_string(request.year) + "/" + std::to_string(request.month));
        return picked;
    }
    bool showDay(DateValue date) override {
        calls.push_back("day " + formatDate(date));
        if (duringDay) {
            duringDay();
        }
        return dayChanged;
    }
    void setBusyCursor(bool) override {}
    void quitWhenIdle() override { calls.push_back("quit"); }
    // The memos pasted onto the wallpaper, as the windows would report them.
    std::vector<std::string> pastedMemos;
    std::vector<Rect> pastedRects;
    void openDesktopMemos() override { calls.push_back("memos"); }
    void drawDeskTopMemo(QImage&) override { ++memoPasses; }
    void saveDesktopMemos() override { calls.push_back("save memos"); }
    bool closeDesktopMemos() override {
        calls.push_back("close memos");
        return !pastedMemos.empty();
    }
    bool refreshDesktopMemos() override {
        calls.push_back("refresh memos");
        return false;
    }
    std::vector<std::string> wallpaperMemoFiles() const override { return pastedMemos; }
    std::vector<Rect> wallpaperMemoRects() const override { return pastedRects; }
    void bringBackMemo(std::size_t index) override { calls.push_back("bring back " + std::to_string(index)); }
    void showDayHint(const std::vector<std::string>& lines, int x, int y) override {
        calls.push_back("hint " + std::to_string(x) + "," + std::to_string(y));
        hint = lines;
    }
    void hideDayHint() override {
        calls.push_back("hint off");
        hint.clear();
    }
    int memoPasses = 0;
    std::vector<std::string> hint; // the lines of the hint shown, empty when none is

    std::vector<std::string> calls;
    bool windowShown = false;
    bool dayChanged = false;
    std::function<void()> duringDay; // what happens while the day's window is open
    std::optional<PickedMonth> picked;
    QImage painted;
};

class RecordingReminderWindows : public ReminderWindows {
public:
    void openSaved(const std::string&, const std::string& text, const std::string&, std::optional<int>) override {
        opened.push_back(text);
    }
    void openFresh(const ReminderGeometry&, const std::string& text, const std::string&, const FontSetting&) override {
        opened.push_back(text);
    }
    void close(const std::string& key) override { closed.push_back(key); }
    void playSound(const std::string&) override {}
    void launch(const std::string&, const std::string&, const std::string&) override {}

    std::vector<std::string> opened;
    std::vector<std::string> closed;
};

// A hub over a fresh program folder, started on `now`.
struct HubFixture {
    explicit HubFixture(const std::string& now = "2026/05/13 10:00:00") : clock(*parseDateTime(now)) {
        platform.busy = [this] { return hub.wallpaperBusy(); };
    }

    // The settings file the program starts with: SYSTEM lines "Key=value".
    void settings(const std::string& systemLines, const std::string& more = {}) {
        writeBytes(home.file("calendar.ini"), cp932("[SYSTEM]\r\n" + systemLines + more));
    }
    StartupEnvironment environment() const {
        return StartupEnvironment{home.dir(), "PC-A", ScreenSize{640, 480}, clock.now(),
                                  [](const std::string& p) { return p; }};
    }
    void start(bool once = false) { hub.startUp(environment(), once); }
    // What the event loop would do next: run the redraw timer when it is due.
    void runRedraw() {
        if (hub.timers().wp.running) {
            hub.wpTimerTick();
        }
    }
    int count(const std::vector<std::string>& calls, const std::string& call) const {
        int n = 0;
        for (const std::string& c : calls) {
            n += c == call;
        }
        return n;
    }

    TempDir home;
    FixedClock clock;
    RecordingPlatform platform;
    RecordingFeedback feedback;
    RecordingWindows windows;
    RecordingReminderWindows reminderWindows;
    MainHub hub{platform, clock, feedback, windows, reminderWindows};
};

} // namespace velmora::test
