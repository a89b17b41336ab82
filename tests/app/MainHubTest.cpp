// The day cycle of the resident program, driven by a test clock and a recording desktop.
#include "app/HubTestSupport.h"
#include "core/PathText.h"
#include "core/ProfileFile.h"

#include <gtest/gtest.h>

#include <filesystem>

using namespace velmora;
using velmora::test::HubFixture;

namespace {

std::vector<std::string> installs(const std::vector<std::string>& calls) {
    std::vector<std::string> out;
    for (const std::string& c : calls) {
        if (c.rfind("calendar ", 0) == 0 || c.rfind("base ", 0) == 0 || c.rfind("capture ", 0) == 0) {
            out.push_back(c);
        }
    }
    return out;
}

} // namespace

TEST(MainHubStartUp, TheUsersWallpaperGoesBackAndItsChangeBringsTheFirstCalendar) {
    HubFixture f;
    test::writeBytes(f.home.file("mine.png"), "");
    f.start();
    // Nothing is drawn by the start-up itself: the base goes back, the notification starts the redraw.
    EXPECT_EQ(installs(f.platform.calls), (std::vector<std::string>{"base -"}));
    ASSERT_TRUE(f.hub.timers().wp.running);
    EXPECT_TRUE(f.hub.startupDone());
    EXPECT_EQ(f.windows.calls, (std::vector<std::string>{"memos", "tray on"})) << "memo windows, then the tray";

    f.runRedraw();
    EXPECT_EQ(installs(f.platform.calls), (std::vector<std::string>{"base -", "capture -", "calendar calendar.bmp"}));
    EXPECT_TRUE(f.platform.busyDuringInstall) << "WallpaperBusy is up while we capture and install";
    EXPECT_FALSE(f.hub.timers().wp.running) << "one tick does the redraw";
    EXPECT_TRUE(std::filesystem::exists(f.home.file("blank.bmp")));
    const QImage calendar(QString::fromStdString(f.home.file("calendar.bmp")));
    ASSERT_EQ(calendar.size(), QSize(640, 480));
    EXPECT_EQ(calendar.pixel(1, 1), 0xFF2060A0u) << "drawn over the captured desktop";
    EXPECT_EQ(f.windows.memoPasses, 1) << "the pasted memos are part of every pass";
    EXPECT_TRUE(f.hub.calendarBitmap().isNull()) << "the bitmap is emptied between passes";
    EXPECT_EQ(f.count(f.windows.calls, "quit"), 0) << "resident";

    // Our own installation notifies too; it must not start another redraw.
    f.hub.settingsChanged();
    EXPECT_FALSE(f.hub.timers().wp.running);
}

TEST(MainHubStartUp, WithTheWallpaperWatchTheFirstTickPutsTheBaseBackWithoutBroadcast) {
    HubFixture f;
    f.settings("WatchWallPaper=1\r\n");
    f.start();
    EXPECT_TRUE(installs(f.platform.calls).empty());
    ASSERT_TRUE(f.hub.timers().wallPaper.running);
    EXPECT_EQ(f.hub.timers().wallPaper.interval, 100);
    f.hub.wallPaperTimerTick();
    EXPECT_EQ(f.hub.timers().wallPaper.interval, 1000);
    EXPECT_EQ(installs(f.platform.calls), (std::vector<std::string>{"base -"}));
    f.runRedraw();
    // Every second the watch looks again; another program's picture is replaced within a tick.
    f.platform.current = "/elsewhere/beach.jpg";
    f.hub.wallPaperTimerTick();
    f.runRedraw();
    EXPECT_EQ(f.hub.settings().samplefile, "/elsewhere/beach.jpg");
    EXPECT_EQ(f.count(f.platform.calls, "base -"), 1) << "the base goes back only on the first tick";
    EXPECT_EQ(f.platform.calls.back(), "calendar calendar.bmp");
}

TEST(MainHubStartUp, OnePassEndsAfterItsFirstCalendarWallpaper) {
    HubFixture f;
    f.start(true);
    EXPECT_EQ(f.count(f.windows.calls, "quit"), 0) << "not before the calendar is on the desktop";
    f.runRedraw();
    EXPECT_EQ(f.windows.calls.back(), "quit");
    EXPECT_TRUE(f.hub.calendarWritten());
}

TEST(MainHubWallpaper, AForeignChangeIsRebasedUnlessAutomaticRedrawIsOff) {
    HubFixture f;
    f.start();
    f.runRedraw();
    f.platform.calls.clear();

    // The user picks a picture of their own.
    f.platform.current = "/pictures/new.png";
    f.platform.desktopColour = 0xFF00FF00;
    f.hub.settingsChanged();
    f.runRedraw();
    EXPECT_EQ(f.hub.settings().samplefile, "/pictures/new.png");
    EXPECT_EQ(installs(f.platform.calls), (std::vector<std::string>{"capture new.png", "calendar calendar.bmp"}));
    EXPECT_EQ(QImage(QString::fromStdString(f.home.file("calendar.bmp"))).pixel(1, 1), 0xFF00FF00u);

    // The user picks calendar.bmp itself: nothing happens.
    f.platform.calls.clear();
    f.platform.current = "/somewhere/CALENDAR.BMP";
    f.hub.settingsChanged();
    f.runRedraw();
    EXPECT_TRUE(f.platform.calls.empty());

    // A notification that arrives while we install is ours: ignored.
    f.platform.current = "/pictures/other.png";
    f.platform.duringInstall = [&] { f.hub.settingsChanged(); };
    f.hub.drawWallPaper(true);
    f.platform.duringInstall = nullptr;
    EXPECT_FALSE(f.hub.timers().wp.running);

    HubFixture off;
    off.settings("AutoPaint=0\r\n");
    off.start();
    off.platform.current = "/pictures/new.png";
    off.hub.settingsChanged();
    EXPECT_FALSE(off.hub.timers().wp.running);
    EXPECT_EQ(installs(off.platform.calls), (std::vector<std::string>{"base -"}));
}

TEST(MainHubWallpaper, ARefusedInstallationIsSaidOnceAndTheFileIsStillDrawn) {
    HubFixture f;
    f.platform.refuse = true;
    f.start();
    f.runRedraw();
    f.hub.drawWallPaper(true);
    ASSERT_EQ(f.feedback.messages.size(), 1u);
    EXPECT_NE(f.feedback.messages[0].find("壁紙を設定できませんでした"), std::string::npos);
    EXPECT_NE(f.feedback.messages[0].find(f.home.file("calendar.bmp")), std::string::npos);
    EXPECT_TRUE(std::filesystem::exists(f.home.file("calendar.bmp")));
}

TEST(MainHubWallpaper, ARefusedInstallationIsNotRetriedEverySecondByTheWatch) {
    HubFixture f;
    f.settings("WatchWallPaper=1\r\n");
    f.platform.refuse = true;
    f.start();
    f.hub.wallPaperTimerTick();
    f.runRedraw();
    ASSERT_EQ(f.count(f.platform.calls, "calendar calendar.bmp"), 1);
    for (int second = 0; second < 3; ++second) {
        f.hub.wallPaperTimerTick();
        f.runRedraw();
    }
    EXPECT_EQ(f.count(f.platform.calls, "calendar calendar.bmp"), 1) << "the same wallpaper: no new pass";
    // Another picture is another chance.
    f.platform.refuse = false;
    f.platform.current = "/pictures/new.png";
    f.hub.wallPaperTimerTick();
    f.runRedraw();
    EXPECT_EQ(f.count(f.platform.calls, "calendar calendar.bmp"), 2);
    EXPECT_EQ(f.feedback.messages.size(), 1u) << "the refusal is said once";
}

TEST(MainHubDayCycle, MidnightRedrawsOnTheNextTickAndReturnsToTheCurrentMonth) {
    HubFixture f("2026/12/31 23:59:30");
    f.start();
    f.runRedraw();
    // The user paged forward.
    f.hub.state().displayMonth = DateValue::fromDate(2027, 3, 1).value();
    f.platform.calls.clear();
    f.hub.mainTimerTick();
    EXPECT_TRUE(f.platform.calls.empty()) << "still the same day";

    f.clock.advanceMinutes(1);
    f.hub.mainTimerTick();
    EXPECT_EQ(f.platform.calls, (std::vector<std::string>{"calendar calendar.bmp"}));
    EXPECT_EQ(f.hub.state().todayText, "2027/01/01");
    EXPECT_EQ(formatDate(f.hub.state().displayMonth), "2027/01/01");
    f.platform.calls.clear();
    f.hub.mainTimerTick();
    EXPECT_TRUE(f.platform.calls.empty()) << "a day change is handled once";

    // With Forth the month the user left the program on comes back instead.
    HubFixture forth("2026/12/31 23:59:30");
    forth.settings("Forth=" + std::to_string(DateValue::fromDate(2026, 8, 20)->dayNumber()) + "\r\n");
    forth.start();
    forth.clock.advanceMinutes(1);
    forth.hub.mainTimerTick();
    EXPECT_EQ(formatDate(forth.hub.state().displayMonth), "2026/08/01");
}

TEST(MainHubDayCycle, TheDesktopHookFollowsThePointerTheLinkAndTheConflictPause) {
    HubFixture f;
    f.settings("WPLink=1\r\n");
    f.start();
    EXPECT_TRUE(f.hub.desktopHook());
    EXPECT_TRUE(f.hub.timers().atlas.running);

    f.platform.overDesktop = false;
    f.hub.jnlTimerTick();
    EXPECT_FALSE(f.hub.desktopHook());
    f.platform.overDesktop = true;
    f.hub.jnlTimerTick();
    EXPECT_TRUE(f.hub.desktopHook());

    f.hub.toggleCutLink();
    EXPECT_FALSE(f.hub.desktopHook());
    f.hub.jnlTimerTick();
    EXPECT_FALSE(f.hub.desktopHook()) << "cut: no hook while the item is checked";
    f.hub.toggleCutLink();
    EXPECT_TRUE(f.hub.desktopHook());

    // The other program's start-up window pauses the hook for 20 s.
    f.platform.openWindowTitle = "ﾌﾟﾛｱﾄﾗｽ起動";
    f.hub.atlasTimerTick();
    EXPECT_FALSE(f.hub.desktopHook());
    EXPECT_EQ(f.hub.timers().atlas.interval, 20000);
    f.hub.jnlTimerTick();
    EXPECT_FALSE(f.hub.desktopHook()) << "never over the desktop during a pause";
    f.platform.openWindowTitle.clear();
    f.hub.atlasTimerTick();
    EXPECT_EQ(f.hub.timers().atlas.interval, 5000);
    f.hub.jnlTimerTick();
    EXPECT_TRUE(f.hub.desktopHook());

    HubFixture unlinked;
    unlinked.start();
    EXPECT_FALSE(unlinked.hub.timers().atlas.running);
    unlinked.hub.jnlTimerTick();
    EXPECT_FALSE(unlinked.hub.desktopHook()) << "WPLink 0: no desktop clicks";
}

TEST(MainHubDayCycle, TheMainTimerTicksAtOnceAfterTheCalendarWindowAndThenGoesBack) {
    HubFixture f;
    f.start();
    f.runRedraw();
    f.windows.windowShown = true;
    f.hub.calendarWindowShown();
    EXPECT_FALSE(f.hub.timers().main.running);
    EXPECT_FALSE(f.hub.calendarBitmap().isNull()) << "the window keeps its picture";
    f.windows.windowShown = false;
    f.platform.calls.clear();
    f.hub.calendarWindowReturned();
    EXPECT_EQ(f.platform.calls, (std::vector<std::string>{"calendar calendar.bmp"}));
    EXPECT_TRUE(f.hub.timers().main.running);
    EXPECT_EQ(f.hub.timers().main.interval, 1);
    f.hub.mainTimerTick();
    EXPECT_EQ(f.hub.timers().main.interval, 55000);
}

TEST(MainHubShutdown, AnEndWhileADialogIsOpenLeavesNothingToDoAfterIt) {
    HubFixture f;
    f.settings("WPLink=1\r\n");
    f.start();
    f.runRedraw();
    // The user asks for today's entries; a second start ends the program meanwhile.
    f.windows.dayChanged = true;
    f.windows.duringDay = [&] { f.hub.destroy(); };
    f.platform.calls.clear();
    f.windows.calls.clear();
    f.hub.openScheduleList();
    EXPECT_TRUE(f.hub.closed());
    EXPECT_TRUE(f.platform.calls.empty()) << "no pass after the end";
    EXPECT_EQ(f.count(f.windows.calls, "tray on"), 0) << "the tray icon stays away";
    f.hub.mainTimerTick();
    f.hub.paintBoxClick(10, 10, false);
    f.hub.drawWallPaper(true);
    EXPECT_TRUE(f.platform.calls.empty());
}

TEST(MainHubShutdown, AFailedSettingsSaveIsSaidOnceAndTheWindowsCalendarGoesUp) {
    HubFixture f;
    f.settings("");
    f.start();
    f.runRedraw();
    std::filesystem::permissions(f.home.file("calendar.ini"), std::filesystem::perms::owner_read);
    f.platform.calls.clear();
    f.hub.closeQuery();
    f.hub.destroy(true);
    ASSERT_EQ(f.feedback.messages.size(), 1u);
    EXPECT_NE(f.feedback.messages[0].find("設定ファイルを保存できませんでした"), std::string::npos);
    // The calendar window rewrote calendar.bmp: it goes up although the desktop names it already.
    EXPECT_EQ(f.platform.calls, (std::vector<std::string>{"calendar calendar.bmp"}));
}

TEST(MainHubShutdown, TheCloseSavesEverythingAndTheCalendarStaysOnTheDesktop) {
    HubFixture f;
    f.start();
    f.runRedraw();
    f.hub.toggleOutputPattern(0);
    f.platform.calls.clear();
    f.hub.closeQuery();
    ProfileFile ini(f.home.file("calendar.ini"));
    ASSERT_EQ(ini.load(), ReadOutcome::Read);
    EXPECT_EQ(ini.readString("SYSTEM", "PtnStr", ""), "1000010");
    f.hub.destroy();
    EXPECT_TRUE(f.platform.calls.empty()) << "the desktop shows our calendar already";

    // Another picture went up while automatic redraw was off: ours goes back at the end.
    HubFixture other;
    other.settings("AutoPaint=0\r\n");
    other.start();
    other.hub.drawWallPaper(true);
    other.platform.current = "/pictures/other.png";
    other.platform.calls.clear();
    other.hub.destroy();
    EXPECT_EQ(other.platform.calls, (std::vector<std::string>{"calendar calendar.bmp"}));
    EXPECT_TRUE(other.platform.busyDuringInstall);
}

// The start-up backup failed without a word, and a recent file that was
// deleted was made anew at its path.
TEST(MainHubDataFiles, AFailedStartUpBackupIsSaidAndAGoneRecentFileKeepsTheCurrentOne) {
    HubFixture f;
    f.settings("BackUpCheck=1\r\nBackUpCount=3\r\n");
    test::writeBytes(f.home.file("SBK"), "a file where the backup folder belongs");
    f.start();
    ASSERT_FALSE(f.feedback.messages.empty());
    EXPECT_EQ(f.feedback.messages[0].rfind("スケジュールデータのバックアップに失敗しました。", 0), 0u)
        << f.feedback.messages[0];

    f.feedback.messages.clear();
    const std::string current = f.hub.schedule().path();
    const std::string gone = f.home.file("gone/Schedule.dat");
    f.hub.switchSchedule(gone, true);
    EXPECT_EQ(f.feedback.messages, std::vector<std::string>{"指定したファイルがみつかりません"});
    EXPECT_EQ(f.hub.schedule().path(), current);
    EXPECT_FALSE(std::filesystem::exists(gone));
    f.hub.switchMemo(f.home.file("gone/Memo.dat"), true);
    EXPECT_EQ(f.feedback.messages.size(), 2u);
    EXPECT_FALSE(std::filesystem::exists(f.home.file("gone")));
}

// Started at 09:29:20, the 09:29 reminder was lost: the first tick came 55 s later.
TEST(MainHubDayCycle, AReminderDueInTheStartMinuteShows) {
    HubFixture f("2026/05/13 09:29:20");
    std::filesystem::create_directories(f.home.file("Schedule"));
    test::writeBytes(f.home.file("Schedule/Schedule.dat"),
                     test::cp932("[DAY]\r\n2026/05/13=\"会議 \"\r\n[POPUP]\r\n2026/05/13-00=0,1,09,29,0\r\n"));
    f.start();
    ASSERT_TRUE(f.hub.timers().main.running);
    EXPECT_EQ(f.hub.timers().main.interval, 1) << "the first tick comes at once";
    f.hub.mainTimerTick();
    EXPECT_EQ(f.reminderWindows.opened, std::vector<std::string>{"会議"});
    EXPECT_EQ(f.hub.timers().main.interval, 55000) << "then the period";
}

// Memos pasted onto the wallpaper came back in another order after a restart,
// and a memo-file switch loaded the new list under the old windows.
TEST(MainHubDataFiles, PastedMemosLeadTheListAndASwitchClosesTheWindowsFirst) {
    HubFixture f;
    std::filesystem::create_directories(f.home.file("Memo"));
    test::writeBytes(f.home.file("Memo/Memo.dat"),
                     "[COMPUTER]\r\nCOMPUTER=PC-A\r\n[MEMOFILE]\r\n0=MEMO0000.dfm\r\n1=MEMO0001.dfm\r\n"
                     "2=MEMO0002.dfm\r\n");
    f.start();
    f.windows.pastedMemos = {"MEMO0002.dfm", "MEMO0001.dfm"}; // bottom first
    f.windows.calls.clear();
    f.hub.closeQuery();
    ProfileFile saved(f.home.file("Memo/Memo.dat"));
    ASSERT_EQ(saved.load(), ReadOutcome::Read);
    EXPECT_EQ(saved.readSection("MEMOFILE").lines(),
              (std::vector<std::string>{"1=MEMO0001.dfm", "2=MEMO0002.dfm", "0=MEMO0000.dfm"}))
        << "loaded from the last line up, the bottom memo is pasted first again";
    EXPECT_EQ(f.windows.calls.front(), "save memos") << "the windows write their files before the list";

    HubFixture g;
    g.start();
    std::filesystem::create_directories(g.home.file("Other"));
    g.windows.pastedMemos = {"MEMO0000.dfm"};
    g.windows.calls.clear();
    g.hub.switchMemo(g.home.file("Other/Memo.dat"), false);
    EXPECT_EQ(g.hub.memos().path(), g.home.file("Other/Memo.dat"));
    const auto& calls = g.windows.calls;
    const auto closed = std::find(calls.begin(), calls.end(), "close memos");
    const auto opened = std::find(calls.begin(), calls.end(), "memos");
    ASSERT_NE(closed, calls.end());
    EXPECT_LT(closed, opened) << "the old windows close before the new list opens its memos";
}
