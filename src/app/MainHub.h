#pragma once

#include "editor/DayHint.h"
#include "editor/OpenReminders.h"
#include "editor/ScheduleClipboard.h"

#include "calendar/CalendarState.h"
#include "memos/MemoStore.h"
#include "platform/Platform.h"
#include "reminders/Reminders.h"
#include "render/DrawState.h"
#include "render/HitTest.h"
#include "schedule/FileSwitch.h"
#include "schedule/ScheduleStore.h"
#include "settings/Startup.h"

#include <QImage>

#include <array>
#include <memory>
#include <optional>
#include <string>

namespace velmora {

// A timer of the main window as the hub wants it: the window layer's QTimer
// follows it after every handler.
struct TimerWant {
    int interval = 0;
    bool running = false;
};

// The timers of the main window.
struct HubTimers {
    TimerWant main{55000, true};     // MainTimer: hook re-arm, day change, timed reminders
    TimerWant jnl{500, true};        // JnlTimer: the desktop hook only while over the desktop
    TimerWant atlas{5000, false};    // AtlasTimer: hook watchdog and the conflict pause
    TimerWant wp{10, false};         // WPTimer: the redraw after a foreign wallpaper change
    TimerWant wallPaper{100, false}; // WallPaperTimer: the wallpaper watch
    TimerWant schFile{5000, false};  // SchFileTimer: another computer's change of the schedule file
    TimerWant memoFile{5000, false}; // MemoFileTimer: the same for the memo file
};

// What the hub asks of the window layer. Tests record the calls.
class HubWindows {
public:
    virtual ~HubWindows() = default;
    virtual void setTrayVisible(bool visible) = 0;
    // True while the calendar is shown full-screen in the main window.
    virtual bool calendarWindowVisible() const = 0;
    // The full-screen window shows this picture.
    virtual void paintCalendar(const QImage& picture) = 0;
    // The year-month picker; nullopt when it was closed without a choice.
    virtual std::optional<PickedMonth> pickMonth(const PickerRequest& request) = 0;
    // The day's entries (modal); true when the user changed something.
    virtual bool showDay(DateValue date) = 0;
    virtual void setBusyCursor(bool busy) = 0;
    // "/0": end the program at its first idle moment.
    virtual void quitWhenIdle() = 0;
    // The memo windows of the memo data file, opened at start-up and after
    // another memo data file was loaded.
    virtual void openDesktopMemos() = 0;
    // The memos pasted onto the wallpaper, composed into the picture of a pass.
    virtual void drawDeskTopMemo(QImage& picture) = 0;
    // Every memo window writes its file and look, before the memo data is saved.
    virtual void saveDesktopMemos() = 0;
    // The memo windows close before another memo data file is loaded; true
    // when memos were pasted onto the wallpaper.
    virtual bool closeDesktopMemos() = 0;
    // The memo data was reloaded: the windows follow; true when the
    // wallpaper's memos may have changed.
    virtual bool refreshDesktopMemos() = 0;
    // The memos pasted onto the wallpaper, bottom first: their files and
    // their rectangles on the screen, and bringing one back as a window.
    virtual std::vector<std::string> wallpaperMemoFiles() const = 0;
    virtual std::vector<Rect> wallpaperMemoRects() const = 0;
    virtual void bringBackMemo(std::size_t index) = 0;
    // The day hint: a balloon beside the screen point (x, y) holding the
    // lines, which never takes the focus; and its end.
    virtual void showDayHint(const std::vector<std::string>& lines, int x, int y) = 0;
    virtual void hideDayHint() = 0;
};

// The hidden main window's state and handlers without a widget: everything
// the resident program owns for its run (settings, data files, calendar
// lists, the picture of the last pass, the flags and timers of the day
// cycle) and every handler as a plain function, so that the day cycle can be
// driven by a test clock and a recording platform.
class MainHub {
public:
    MainHub(Platform& platform, Clock& clock, UserFeedback& feedback, HubWindows& windows,
            ReminderWindows& reminderWindows);
    ~MainHub();

    // The start-up sequence, in its order, up to the installation of the
    // base wallpaper whose change notification starts the first drawing
    // pass. `once`: "/0", end after the first calendar wallpaper.
    void startUp(const StartupEnvironment& environment, bool once);
    // The main timer's period (tests run the day cycle faster).
    void setMainPeriod(int ms) { m_mainPeriod = m_timers.main.interval = ms; }

    // The desktop said the wallpaper settings changed (WMWinIniChange).
    void settingsChanged();
    // Timer ticks.
    void mainTimerTick();
    void jnlTimerTick();
    void atlasTimerTick();
    void wpTimerTick(); // Rebase
    void wallPaperTimerTick();
    void schFileTimerTick();
    void memoFileTimerTick();

    // A double-click over the bare desktop.
    void desktopDoubleClick(const DesktopDoubleClick& click);
    // A click on the calendar: on the desktop, or in the full-screen window
    // (where `alt` is the state of the Alt key then). A right-button click does nothing.
    void paintBoxClick(int x, int y, bool alt, bool rightButton = false);

    // The day hint (予定のクイックビュー): the pointer rests on a day, a
    // balloon lists the day's entries. How long it must rest:
    static constexpr int kHintDelay = 1000;
    // The pointer moved to the screen point (x, y): over the desktop as the
    // platform hears it, or in the full-screen calendar window (`inWindow`).
    // True when that is a move (not a tremble), which hides the hint and
    // starts the wait for the next one again.
    bool pointerMoved(int x, int y, bool inWindow);
    // The pointer left the calendar window.
    void pointerLeft();
    // The pointer has not moved for kHintDelay.
    void pointerRested();
    bool dayHintShown() const { return m_hintShown; }
    // Whether the desktop's pointer moves are wanted at all.
    bool wantsPointer() const { return !m_closed && m_state.settings.qv == 1; }

    // One complete drawing pass; with `install` the picture becomes the
    // wallpaper (or the full-screen window's picture while that is shown).
    void drawWallPaper(bool install);
    // The bare desktop into blank.bmp.
    void captureDesktop();

    // Tray commands.
    void toggleOutputPattern(int index); // 0..6, the items of "出力パターン"
    void toggleCutLink();
    bool cutLink() const { return m_cutLink; }
    void registerStartUp(int mode, const std::string& executable);
    // The icon's other button: the day's entries of today.
    void openScheduleList();
    // "カレンダー表示" shown / "最小化する".
    void calendarWindowShown();
    void calendarWindowReturned();
    // "ｽｹｼﾞｭｰﾙの切り替え", "メモの切り替え" and the restore items.
    // `recent`: an item of the recent-file list, which must still exist (a
    // file chosen in the open dialog is made when missing).
    void switchSchedule(const std::string& path, bool recent);
    void switchMemo(const std::string& path, bool recent);
    void restore(const std::string& itemName);

    // Shutdown: the close query, then the destruction. `calendarChanged`:
    // calendar.bmp was rewritten just before (the calendar window's 終了する)
    // and goes on the desktop even though the desktop names it already.
    // After destroy() every handler does nothing.
    void closeQuery();
    // The close query's saves (settings, schedule and memo files, releasing
    // both locks) while the program may go on: the session manager asks for
    // them before a log-out that may still be cancelled.
    void saveAll();
    void destroy(bool calendarChanged = false);
    bool closed() const { return m_closed; }

    // State for the windows and for tests.
    StartupState& state() { return m_state; }
    const StartupState& state() const { return m_state; }
    Settings& settings() { return m_state.settings; }
    const Clock& clock() const { return m_clock; }
    // The reminder windows of this run as the editing windows reach them.
    OpenReminders& openReminders();
    // The schedule list's clipboard: it lives for the whole run.
    ScheduleClipboard& scheduleClipboard() { return m_scheduleClipboard; }
    ScheduleStore& schedule() { return *m_schedule; }
    const ScheduleStore& schedule() const { return *m_schedule; }
    MemoStore& memos() { return *m_memos; }
    const MemoStore& memos() const { return *m_memos; }
    Reminders& reminders() { return *m_reminders; }
    const HubTimers& timers() const { return m_timers; }
    HubTimers& timers() { return m_timers; }
    const DrawState& drawState() const { return m_drawState; }
    const QImage& calendarBitmap() const { return m_calendar; }
    bool wallpaperBusy() const { return m_wallpaperBusy; }
    bool desktopHook() const { return m_hook; }
    bool startupDone() const { return m_startupDone; }
    bool adjust() const { return m_adjust; }
    // True once a pass has written calendar.bmp in this run.
    bool calendarWritten() const { return m_calendarWritten; }
    // The hints of the three click areas of the title line.
    std::array<std::string, 3> clickAreaHints() const;
    // The hint of the click area under a point of the last pass ("前月へ", ...), if any.
    std::optional<std::string> hintAt(int x, int y) const;
    // The base wallpaper as a file path ("" for none).
    std::string baseWallpaperFile() const;

private:
    bool overDesktop() const;
    void hideDayHint();
    // A click or hover at a point of the last pass, without the click's extras.
    HitInput hitInputAt(int x, int y) const;
    void installHook();
    void removeHook();
    void rearmHook();
    bool installCalendar();
    void installBase();
    void redraw();
    void redrawAndRest(); // redraw, then the normal cursor
    bool adjustForCurrentMonth() const;
    BackupPolicy backupPolicy() const;
    // Before another memo data file: the pasted memos first, then the
    // windows close; true when memos were pasted onto the wallpaper.
    bool closeMemoWindows();
    void putWallpaperMemosFirst();
    SwitchSteps switchSteps(std::function<void()> afterLoad);
    void fail(const std::string& message);
    void sayInstallFailed(const std::string& reason);

    Platform& m_platform;
    Clock& m_clock;
    UserFeedback& m_feedback;
    HubWindows& m_windows;
    ReminderWindows& m_reminderWindows;
    std::unique_ptr<OpenReminders> m_openReminders;
    ScheduleClipboard m_scheduleClipboard;

    StartupState m_state;
    std::unique_ptr<ScheduleStore> m_schedule;
    std::unique_ptr<MemoStore> m_memos;
    std::unique_ptr<CalendarState> m_calendarState;
    std::unique_ptr<Reminders> m_reminders;
    DrawState m_drawState;
    QImage m_calendar; // the last pass's picture; empty between passes unless the window shows it
    HubTimers m_timers;

    int m_mainPeriod = 55000;
    bool m_once = false;
    bool m_quitArmed = false;
    bool m_startupDone = false;
    bool m_wallpaperBusy = false;
    bool m_hook = false;
    bool m_clickHandling = false;
    bool m_listOpen = false; // a schedule list is open (modal, but desktop clicks still come)
    bool m_cutLink = false;
    bool m_adjust = false;
    bool m_installFailureShown = false;
    bool m_calendarWritten = false;
    bool m_closeQueried = false;
    bool m_closed = false;
    PointerRest m_pointer;
    bool m_hintShown = false;
    // The wallpaper a rebase drew over when the calendar could not be installed.
    std::optional<std::string> m_refusedOver;
};

} // namespace velmora
