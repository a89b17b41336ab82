#include "app/MainHub.h"

#include "core/DateText.h"
#include "core/PathText.h"
#include "platform/Autostart.h"
#include "render/BmpFile.h"
#include "render/FontMapping.h"
#include "render/WallpaperPass.h"
#include "schedule/Backup.h"
#include "schedule/EntryRules.h"
#include "schedule/FileSwitch.h"

#include <QFont>
#include <QFontMetrics>

#include <chrono>
#include <filesystem>
#include <thread>

namespace velmora {

namespace {

constexpr int kAtlasPeriod = 5000;
constexpr int kAtlasPause = 20000;
// The start-up window of another program that owns the desktop for a while.
constexpr const char* kConflictingWindow = "ﾌﾟﾛｱﾄﾗｽ起動";

bool isCalendarFile(const std::string& path) {
    return lowerAscii(fileNameOf(path)) == "calendar.bmp";
}

// With no base of the user's (a first start, or a base whose file has gone),
// the picture the desktop shows when it is the user's own: that picture is
// the base. Putting back "no picture" (or a missing file) would wipe it from
// the desktop's settings. `base` is the base's full path, "" for none.
std::optional<std::string> userPictureShown(const Platform& platform, const std::string& base) {
    std::error_code ec;
    if (!base.empty() && std::filesystem::exists(base, ec)) {
        return std::nullopt;
    }
    const std::string shown = platform.currentWallpaper();
    if (shown.empty() || isCalendarFile(shown) || !std::filesystem::is_regular_file(shown, ec)) {
        return std::nullopt;
    }
    return shown;
}

int textWidthOf(const std::string& text, const FontSetting& font) {
    QFont f(QString::fromStdString(mappedFamily(font.face)));
    f.setPointSize(font.size > 0 ? font.size : 9);
    f.setBold(font.bold);
    f.setItalic(font.italic);
    return QFontMetrics(f).horizontalAdvance(QString::fromStdString(text));
}

// Raises a flag for the length of a scope and puts back what it was.
class Raised {
public:
    explicit Raised(bool& flag) : m_flag(flag), m_was(flag) { m_flag = true; }
    ~Raised() { m_flag = m_was; }
    Raised(const Raised&) = delete;
    Raised& operator=(const Raised&) = delete;

private:
    bool& m_flag;
    bool m_was;
};

} // namespace

MainHub::MainHub(Platform& platform, Clock& clock, UserFeedback& feedback, HubWindows& windows,
                 ReminderWindows& reminderWindows)
    : m_platform(platform), m_clock(clock), m_feedback(feedback), m_windows(windows),
      m_reminderWindows(reminderWindows) {}

MainHub::~MainHub() = default;

namespace {

// Reminder windows as the schedule list reaches them: closing one frees its
// slot in the cascade. Until reminders have windows of their own (a tray
// balloon stands for them) there is nothing to rename or retitle.
class HubOpenReminders : public OpenReminders {
public:
    HubOpenReminders(ReminderWindows& windows, std::function<Reminders*()> reminders)
        : m_windows(windows), m_reminders(std::move(reminders)) {}
    void closeWindow(const std::string& key) override {
        m_windows.close(key);
        if (Reminders* r = m_reminders()) {
            r->reminderWindowClosed();
        }
    }
    void rekeyWindows(const std::vector<std::pair<std::string, std::string>>& moves) override {
        // Two entries may swap keys: every window is found by its old key first.
        m_windows.rekeyAll(moves);
    }
    void retitleWindow(const std::string& key, const std::string& text) override { m_windows.retitle(key, text); }

private:
    ReminderWindows& m_windows;
    std::function<Reminders*()> m_reminders;
};

} // namespace

OpenReminders& MainHub::openReminders() {
    if (!m_openReminders) {
        m_openReminders = std::make_unique<HubOpenReminders>(m_reminderWindows, [this] { return m_reminders.get(); });
    }
    return *m_openReminders;
}

void MainHub::startUp(const StartupEnvironment& environment, bool once) {
    m_once = once;
    m_startupDone = false;
    // Folders, the settings file, the data-file paths, the start-up read, the bitmap paths and the dates.
    m_state = runStartup(environment);
    const DataLocations& loc = m_state.locations;

    // The data files.
    m_schedule = std::make_unique<ScheduleStore>(loc.programDir, loc.computerName, m_clock, m_feedback);
    m_schedule->setPath(loc.scheduleFilePath);
    m_schedule->setRecentFiles(&m_state.settings.recentScheduleFiles);
    m_memos = std::make_unique<MemoStore>(loc.computerName, m_clock, m_feedback);
    m_memos->setPath(loc.memoFilePath);
    m_memos->setRecentFiles(&m_state.settings.recentMemoFiles);
    m_schedule->load();
    m_memos->load(loc.scheduleFilePath);
    // Another computer may still be writing its side files when the watch sees its save.
    const auto pause = [](int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); };
    m_schedule->watch().setWait(pause);
    m_memos->watch().setWait(pause);
    m_timers.schFile.running = true;
    m_timers.memoFile.running = true;

    // The start-up backup.
    if (m_state.settings.backUpCheck == 1) {
        const BackupPolicy policy = backupPolicy();
        backUpSchedule(*m_schedule, policy);
        backUpMemos(*m_memos, policy);
    }

    // AutoPaint 0 switches the redraw after a wallpaper change off.
    m_timers.wp.interval = m_state.settings.autoPaint == 0 ? 0 : 10;
    // WaitTime: the user's desktop may need a while after log-in. At most ten
    // minutes: a mistyped value must not leave the program asleep, its tray
    // icon missing, for hours.
    if (m_state.settings.waitTime > 0) {
        std::this_thread::sleep_for(std::chrono::seconds(std::min(m_state.settings.waitTime, 600)));
    }

    // The lunar month list (built with the calendar lists) and the reminders.
    m_calendarState = std::make_unique<CalendarState>(m_state.settings.holidayList);
    m_reminders = std::make_unique<Reminders>(
        ReminderContext{*m_schedule, m_state.settings, m_clock, m_reminderWindows, m_platform.secrets(),
                        ScreenSize{m_platform.screenWidth(), m_platform.screenHeight()}, textWidthOf, loc.programDir});
    m_reminders->sweepOrphanStateFiles();
    m_windows.openDesktopMemos();

    // The settings load, the desktop hook and its watchdog.
    loadSettings(m_state);
    if (m_state.settings.wpLink == 1) {
        if (overDesktop() && !m_cutLink) {
            installHook();
        }
        m_timers.atlas = TimerWant{kAtlasPeriod, true};
    } else {
        removeHook();
        m_timers.atlas.running = false;
    }

    m_reminders->popupProc(true);

    m_windows.setTrayVisible(true);
    m_startupDone = true;

    if (const auto shown = userPictureShown(m_platform, baseWallpaperFile())) {
        m_state.settings.samplefile = *shown;
        // Our calendar replaces it on the desktop at once: the settings file
        // must name it before then, or a run that never reaches its end loses it.
        std::string error;
        if (!saveSettings(m_state, &error)) {
            fail("設定ファイルを保存できませんでした。\n" + m_state.locations.settingsPath + "\n" + error);
        }
    }
    // The first wallpaper: the user's own goes back on the desktop, and the
    // change it causes brings the first calendar.
    if (m_state.settings.watchWallPaper == 1) {
        m_timers.wallPaper = TimerWant{100, true};
    } else {
        installBase();
        settingsChanged();
    }
    m_adjust = adjustForCurrentMonth();
    // The first main tick comes at once: a reminder due in the minute the
    // program starts would otherwise pass before the tick 55 s later.
    m_timers.main = TimerWant{1, true};
}

std::string MainHub::baseWallpaperFile() const {
    const std::string& sample = m_state.settings.samplefile;
    if (sample.empty() || sample == kNoneMarker) {
        return {};
    }
    return absolutePath(m_state.locations.programDir, sample);
}

void MainHub::installBase() {
    std::string error;
    if (!m_platform.installBaseWallpaper(baseWallpaperFile(), &error)) {
        sayInstallFailed(error);
    }
}

void MainHub::settingsChanged() {
    if (m_once) {
        m_quitArmed = true;
    }
    if (m_wallpaperBusy || m_state.settings.autoPaint == 0 || m_windows.calendarWindowVisible()) {
        if (m_quitArmed && !m_timers.wp.running) {
            m_windows.quitWhenIdle();
        }
        return;
    }
    {
        Raised busy(m_wallpaperBusy);
        const std::string current = m_platform.currentWallpaper();
        // After a rebase whose installation failed the desktop still names
        // the old picture: wait for another one instead of redrawing each second.
        if (!isCalendarFile(current) && m_timers.wp.interval > 0 && current != m_refusedOver) {
            m_timers.wp.running = true;
        }
    }
    if (m_quitArmed && !m_timers.wp.running) {
        m_windows.quitWhenIdle();
    }
}

void MainHub::wpTimerTick() {
    // One tick does the whole redraw; polling on at 10 ms would only burn time.
    m_timers.wp.running = false;
    if (m_wallpaperBusy) {
        return;
    }
    {
        Raised busy(m_wallpaperBusy);
        const std::string current = m_platform.currentWallpaper();
        if (!isCalendarFile(current) && !m_windows.calendarWindowVisible() && current != m_refusedOver) {
            // Someone chose a new wallpaper: it is the base from now on.
            m_state.settings.samplefile = current.empty() ? std::string(kNoneMarker) : current;
            captureDesktop();
            drawWallPaper(false);
            if (!installCalendar()) {
                m_refusedOver = current;
            }
        }
    }
    if (m_quitArmed) {
        m_windows.quitWhenIdle();
    }
}

void MainHub::wallPaperTimerTick() {
    if (m_timers.wallPaper.interval != 1000) {
        // The first tick: the user's own picture goes back, without a notification.
        installBase();
        m_timers.wallPaper.interval = 1000;
    }
    settingsChanged();
}

void MainHub::captureDesktop() {
    Raised busy(m_wallpaperBusy);
    QImage snapshot;
    if (!m_platform.captureDesktop(baseWallpaperFile(), &snapshot)) {
        return; // the last capture stays the base
    }
    std::string error;
    if (!saveBmp(snapshot, m_state.locations.blankBitmapPath, &error)) {
        fail("デスクトップの画像を保存できませんでした。\n" + m_state.locations.blankBitmapPath + "\n" + error);
    }
}

void MainHub::drawWallPaper(bool install) {
    if (m_closed) {
        return; // a dialog that was open at the end has returned: nothing more is drawn
    }
    const DataLocations& loc = m_state.locations;
    const std::string base = std::filesystem::exists(loc.blankBitmapPath) ? loc.blankBitmapPath : baseWallpaperFile();
    const RenderInputs in{m_state.settings, *m_schedule, *m_calendarState, m_clock.now(), m_state.displayMonth,
                          m_adjust,         false};
    m_calendar =
        renderCalendar(basePicture(base, m_platform.screenWidth(), m_platform.screenHeight()), in, m_drawState);
    m_windows.drawDeskTopMemo(m_calendar);
    if (!install) {
        return;
    }
    if (m_windows.calendarWindowVisible()) {
        m_windows.paintCalendar(m_calendar);
        return;
    }
    Raised busy(m_wallpaperBusy);
    installCalendar();
    m_reminders->popupProc(false);
}

bool MainHub::installCalendar() {
    if (m_closed) {
        return false;
    }
    const std::string& path = m_state.locations.calendarBitmapPath;
    std::string error;
    bool installed = false;
    if (!m_calendar.isNull()) {
        const bool saved = saveBmp(m_calendar, path, &error);
        m_calendar = QImage(); // its memory goes back between passes
        if (!saved) {
            fail("カレンダーを保存できませんでした。\n" + path + "\n" + error);
        } else {
            m_calendarWritten = true;
        }
    }
    if (error.empty()) {
        installed = m_platform.installWallpaper(path, &error);
        if (!installed) {
            sayInstallFailed(error);
        } else {
            m_refusedOver.reset();
        }
    }
    if (m_quitArmed) {
        m_windows.quitWhenIdle();
    }
    return installed;
}

void MainHub::sayInstallFailed(const std::string& reason) {
    // Once per run: the calendar is still drawn into its file at every pass.
    if (m_installFailureShown) {
        return;
    }
    m_installFailureShown = true;
    fail("壁紙を設定できませんでした（" + reason + "）。\nカレンダーは " + m_state.locations.calendarBitmapPath +
         " に保存されます。");
}

bool MainHub::adjustForCurrentMonth() const {
    return m_state.settings.adjst != 99 &&
           m_state.displayMonth.dayNumber() == m_clock.today().startOfMonth().dayNumber();
}

void MainHub::fail(const std::string& message) {
    m_feedback.showMessage(message);
}

void MainHub::redraw() {
    m_windows.setBusyCursor(true);
    drawWallPaper(true);
}

// Day cycle

bool MainHub::overDesktop() const {
    // While the watchdog pauses, the pointer never counts as over the desktop.
    return m_timers.atlas.interval == kAtlasPeriod && m_platform.pointerOverDesktop();
}

void MainHub::installHook() {
    m_hook = true;
}

void MainHub::removeHook() {
    m_hook = false;
}

void MainHub::rearmHook() {
    if (m_state.settings.wpLink == 1 && !m_cutLink && overDesktop()) {
        installHook();
    }
}

void MainHub::mainTimerTick() {
    if (m_hook) {
        removeHook();
        rearmHook();
    }
    checkDayChange(m_state, *m_reminders, m_clock, [this] {
        m_adjust = adjustForCurrentMonth();
        Raised handling(m_clickHandling);
        redrawAndRest();
    });
    m_reminders->timedCheck();
    if (m_timers.main.interval == 1) {
        m_timers.main.interval = m_mainPeriod;
    }
}

void MainHub::jnlTimerTick() {
    if (!overDesktop()) {
        removeHook();
    } else if (m_state.settings.wpLink == 1 && !m_cutLink) {
        installHook();
    }
}

void MainHub::atlasTimerTick() {
    if (m_timers.atlas.interval != kAtlasPeriod) {
        m_timers.atlas.interval = kAtlasPeriod; // the pause ends; JnlTimer brings the hook back
        return;
    }
    if (m_platform.windowTitled(kConflictingWindow)) {
        removeHook();
        m_timers.atlas.interval = kAtlasPause;
    }
}

void MainHub::schFileTimerTick() {
    if (m_schedule->watch().tick()) {
        redrawAndRest();
    }
}

void MainHub::memoFileTimerTick() {
    if (m_memos->watch().tick()) {
        m_windows.refreshDesktopMemos();
        redrawAndRest();
    }
}

// Clicks

void MainHub::desktopDoubleClick(const DesktopDoubleClick& click) {
    // Without the hook the click is never seen.
    if (!m_hook || m_clickHandling || m_closed) {
        return;
    }
    removeHook();
    m_clickHandling = true;
    if (m_platform.desktopIconAt(click.x, click.y)) {
        m_clickHandling = false;
        if (!m_cutLink && overDesktop()) {
            installHook();
        }
        return;
    }
    m_windows.setTrayVisible(false);
    paintBoxClick(click.x, click.y, click.alt);
    m_windows.setTrayVisible(true);
}

std::array<std::string, 3> MainHub::clickAreaHints() const {
    if (m_state.settings.calenFlag == 1) {
        return {"前年へ", "翌年へ", "月間カレンダーへ"};
    }
    return {"前月へ", "翌月へ", "年間カレンダーへ"};
}

HitInput MainHub::hitInputAt(int x, int y) const {
    return HitInput{.x = x,
                    .y = y,
                    .screenWidth = m_platform.screenWidth(),
                    .screenHeight = m_platform.screenHeight(),
                    .settings = m_state.settings,
                    .state = m_drawState,
                    .displayMonth = m_state.displayMonth,
                    .now = m_clock.now(),
                    .adjust = m_adjust};
}

std::optional<std::string> MainHub::hintAt(int x, int y) const {
    const HitResult hit = hitTest(hitInputAt(x, y));
    const auto hints = clickAreaHints();
    switch (hit.code) {
    case kHitBack:
        return hints[0];
    case kHitForward:
        return hints[1];
    case kHitSwitchView:
        return hints[2];
    default:
        return std::nullopt;
    }
}

// The day hint

bool MainHub::pointerMoved(int x, int y, bool inWindow) {
    // While the calendar window is shown its own moves tell where the
    // pointer is; the desktop's would also come from over other windows.
    if (m_closed || inWindow != m_windows.calendarWindowVisible() || !m_pointer.moveTo(x, y)) {
        return false;
    }
    hideDayHint();
    return true;
}

void MainHub::pointerLeft() {
    m_pointer.forget();
    hideDayHint();
}

void MainHub::hideDayHint() {
    if (m_hintShown) {
        m_hintShown = false;
        m_windows.hideDayHint();
    }
}

void MainHub::pointerRested() {
    if (m_closed || !m_calendarState || m_state.settings.qv != 1 || m_hintShown || !m_pointer.known()) {
        return;
    }
    // In the window the pointer is over it (it forgets the point when the
    // pointer leaves); on the desktop no window may cover the point.
    if (!m_windows.calendarWindowVisible() && !overDesktop()) {
        return;
    }
    const HitResult hit = hitTest(hitInputAt(m_pointer.x(), m_pointer.y()));
    if (hit.code != kHitDay || !hit.date || hit.captureAndDraw) {
        return;
    }
    // The lists of the last pass are those of the calendar under the pointer.
    m_hintShown = true;
    m_windows.showDayHint(dayHintLines(*hit.date, m_calendarState->entryContext(*m_schedule, m_state.settings)),
                          m_pointer.x(), m_pointer.y());
}

void MainHub::paintBoxClick(int x, int y, bool alt, bool rightButton) {
    hideDayHint();
    const auto finish = [this] {
        m_clickHandling = false;
        m_windows.setBusyCursor(false);
        if (m_state.settings.wpLink == 1 && !m_cutLink && overDesktop()) {
            installHook();
        }
    };
    if (rightButton) {
        finish();
        return;
    }
    const bool window = m_windows.calendarWindowVisible();
    HitInput input = hitInputAt(x, y);
    input.alt = alt;
    input.pickerAllowed = true;
    input.memoCheck = !window;
    input.memoRects = m_windows.wallpaperMemoRects();
    input.bringBackMemo = [this](std::size_t i) { m_windows.bringBackMemo(i); };
    input.picker = [this](const PickerRequest& r) { return m_windows.pickMonth(r); };
    const HitResult hit = hitTest(input);
    if (m_closed) {
        return; // the program ended while the picker was open
    }
    if (hit.captureAndDraw) {
        // The last pass left nothing to click: draw one, and say so.
        captureDesktop();
        drawWallPaper(false);
        if (!window) {
            m_calendar = QImage();
        }
        m_feedback.showMessage(hit.message);
        finish();
        return;
    }
    m_adjust = hit.adjust;
    switch (hit.code) {
    case kHitDay: {
        const DateValue date = hit.date.value_or(m_state.displayMonth);
        // One list at a time: a second one would save and release the lock under the first.
        if (m_listOpen || !m_state.navigableRange.contains(date) || !m_schedule->lockForEditing()) {
            break;
        }
        removeHook();
        m_windows.setBusyCursor(true);
        Raised open(m_listOpen);
        const bool changed = m_windows.showDay(date);
        if (m_closed) {
            return; // the end saved everything already
        }
        m_schedule->save(true);
        if (changed) {
            redraw();
        }
        break;
    }
    case kHitBack:
    case kHitForward:
        m_state.displayMonth = hit.date.value_or(m_state.displayMonth);
        redraw();
        break;
    case kHitSwitchView:
    case kHitMonthBlock:
        // The margins follow the view (the several-months view has its own set).
        if (m_state.settings.calenFlag == 1) {
            m_state.settings.calenFlag = 0;
            if (hit.code == kHitMonthBlock && hit.date) {
                m_state.displayMonth = *hit.date;
            }
        } else {
            m_state.settings.calenFlag = 1;
            m_state.displayMonth = hit.date.value_or(m_state.displayMonth);
        }
        redraw();
        break;
    case kHitTitle:
        // The drawing options dialog comes with the options window; until
        // then the title answers nothing.
        break;
    case kHitMemo:
        redraw();
        break;
    default:
        break;
    }
    finish();
}

// Tray commands

void MainHub::toggleOutputPattern(int index) {
    if (m_closed) {
        return;
    }
    std::string patterns = m_state.settings.ptnStr;
    if (index < 0 || index >= 7 || patterns.size() < 7) {
        return;
    }
    patterns[static_cast<std::size_t>(index)] = patterns[static_cast<std::size_t>(index)] == '1' ? '0' : '1';
    if (patterns == m_state.settings.ptnStr) {
        return;
    }
    m_state.settings.ptnStr = patterns;
    if (m_state.settings.popupWithPtn == 1) {
        // Reminders of entries the selection now hides close.
        NameValueList& states = m_schedule->section(ScheduleSection::PopupStat);
        const NameValueList& ptnOpt = m_schedule->section(ScheduleSection::PtnOpt);
        std::size_t i = 0;
        while (i < states.size()) {
            const std::string key = states.name(i);
            if (states.valueAt(i) == "1" && !patternFilter(patterns, ptnOpt.value(key), false)) {
                states.removeAt(i);
                m_reminderWindows.close(key);
            } else {
                ++i;
            }
        }
    }
    redrawAndRest();
}

void MainHub::toggleCutLink() {
    m_cutLink = !m_cutLink;
    if (m_cutLink) {
        removeHook();
    } else if (m_state.settings.wpLink == 1 && overDesktop()) {
        installHook();
    }
}

void MainHub::registerStartUp(int mode, const std::string& executable) {
    if (mode < 0 || mode > 2) {
        return;
    }
    m_state.settings.regStartUp = mode;
    std::string error;
    if (!registerStartup(mode, executable, &error, {}, m_state.locations.programDir)) {
        fail("スタートアップへの登録を変更できませんでした。\n" + error);
    }
}

void MainHub::openScheduleList() {
    if (m_listOpen) {
        return;
    }
    if (m_schedule->lockForEditing()) {
        m_windows.setTrayVisible(false);
        removeHook();
        Raised open(m_listOpen);
        const bool changed = m_windows.showDay(m_clock.today());
        if (m_closed) {
            return;
        }
        m_schedule->save(true);
        if (changed) {
            redraw();
        }
    }
    m_windows.setTrayVisible(true);
    if (m_state.settings.wpLink == 1 && !m_cutLink && overDesktop()) {
        installHook();
    }
    m_windows.setBusyCursor(false);
}

void MainHub::calendarWindowShown() {
    pointerLeft(); // the desktop's point is no point of the window
    m_calendar = QImage(QString::fromStdString(m_state.locations.calendarBitmapPath));
    if (m_calendar.isNull()) {
        drawWallPaper(false);
    }
    m_windows.paintCalendar(m_calendar);
    m_timers.main.running = false;
}

void MainHub::calendarWindowReturned() {
    if (m_closed) {
        return;
    }
    pointerLeft();
    {
        Raised busy(m_wallpaperBusy);
        installCalendar();
    }
    m_reminders->popupProc(true);
    m_timers.main = TimerWant{1, true};
    m_windows.setTrayVisible(true);
}

BackupPolicy MainHub::backupPolicy() const {
    return BackupPolicy{m_state.locations.programDir, m_state.settings.backUpCount, m_clock.now(), &m_feedback};
}

// The tray icon is away while the data files change; `afterLoad` runs on the new ones.
SwitchSteps MainHub::switchSteps(std::function<void()> afterLoad) {
    return SwitchSteps{[this] { m_windows.setTrayVisible(false); },
                       [this, afterLoad] {
                           afterLoad();
                           m_windows.setTrayVisible(true);
                       }};
}

void MainHub::redrawAndRest() {
    redraw();
    m_windows.setBusyCursor(false);
}

void MainHub::switchSchedule(const std::string& path, bool recent) {
    if (m_closed || (recent && !recentFileAvailable(path, m_feedback))) {
        return;
    }
    switchScheduleFile(*m_schedule, path, SwitchMode::SaveAndOpen, switchSteps([this] {
        m_state.locations.scheduleFilePath = m_schedule->path();
        redrawAndRest();
    }),
                       backupPolicy());
}

void MainHub::switchMemo(const std::string& path, bool recent) {
    if (m_closed || (recent && !recentFileAvailable(path, m_feedback))) {
        return;
    }
    auto pasted = std::make_shared<bool>(false);
    SwitchSteps steps = switchSteps([this, pasted] {
        m_state.locations.memoFilePath = m_memos->path();
        m_windows.openDesktopMemos();
        if (*pasted || !m_windows.wallpaperMemoFiles().empty()) {
            redrawAndRest();
        }
    });
    steps.beforeSave = [this, pasted, hide = steps.beforeSave] {
        hide();
        *pasted = closeMemoWindows();
    };
    switchMemoFile(*m_memos, path, m_schedule->path(), SwitchMode::SaveAndOpen, steps, backupPolicy());
}

bool MainHub::closeMemoWindows() {
    putWallpaperMemosFirst();
    return m_windows.closeDesktopMemos();
}

void MainHub::putWallpaperMemosFirst() {
    for (const std::string& name : m_windows.wallpaperMemoFiles()) {
        m_memos->moveToFront(name);
    }
}

void MainHub::restore(const std::string& itemName) {
    if (m_closed) {
        return;
    }
    const bool memos = itemName.rfind("BUMemo", 0) == 0;
    SwitchSteps steps = switchSteps([this, memos] {
        if (memos) {
            m_windows.openDesktopMemos();
        }
        redrawAndRest();
    });
    if (memos) {
        steps.beforeSave = [this, hide = steps.beforeSave] {
            hide();
            closeMemoWindows();
        };
    }
    restoreBackup(itemName, *m_schedule, *m_memos, steps, backupPolicy());
}

// Shutdown

void MainHub::closeQuery() {
    if (!m_schedule || m_closed) {
        return;
    }
    m_closeQueried = true;
    saveAll();
}

void MainHub::saveAll() {
    if (!m_schedule || m_closed) {
        return;
    }
    std::string error;
    if (!saveSettings(m_state, &error)) {
        fail("設定ファイルを保存できませんでした。\n" + m_state.locations.settingsPath + "\n" + error);
    }
    m_schedule->save(true);
    // The memos pasted onto the wallpaper come first in the list, in their
    // order, so that the next start pastes them again in the same order.
    m_windows.saveDesktopMemos();
    putWallpaperMemosFirst();
    m_memos->save(true);
}

void MainHub::destroy(bool calendarChanged) {
    if (!m_schedule || m_closed) {
        return;
    }
    // The saves of the close query, unless it has just made them (twice
    // would say every failure twice).
    if (!m_closeQueried) {
        closeQuery();
    }
    hideDayHint();
    m_closed = true;
    // The calendar stays on the desktop after the program has ended (it is
    // there already when the desktop shows our file as it is).
    Raised busy(m_wallpaperBusy);
    const std::string& path = m_state.locations.calendarBitmapPath;
    if (std::filesystem::exists(path) && (calendarChanged || m_platform.currentWallpaper() != path)) {
        std::string error;
        if (!m_platform.installWallpaper(path, &error)) {
            sayInstallFailed(error);
        }
    }
}

} // namespace velmora
