#include "ReminderTestSupport.h"

#include "core/PathText.h"
#include "settings/Startup.h"

#include <gtest/gtest.h>

using namespace velmora;
using velmora::test::ReminderFixture;

TEST(TimedReminders, FireOnceInTheirMinute) {
    ReminderFixture f;
    f.list(EntryKind::Dated, "2026/12/08", {"電話 "});
    f.set(ScheduleSection::Popup, "2026/12/08-00", "0,1,09,30,0");
    f.reminders().popupProc(true);
    EXPECT_EQ(f.value(ScheduleSection::PopupTime, "2026/12/08-09:30"), toCommaText({"2026/12/08-00", "電話 "}));

    f.clock.advanceMinutes(29);
    f.tick();
    EXPECT_TRUE(f.windows.events.empty()) << "09:29";
    f.clock.advanceMinutes(1);
    f.tick();
    f.clock.set(DateValue(f.clock.now().value() + 30.0 / 86400)); // 09:30:30
    f.tick();
    EXPECT_EQ(f.windows.events, std::vector<std::string>{"fresh 2026/12/08-00 電話"});
    f.clock.advanceMinutes(1);
    f.tick();
    EXPECT_EQ(f.windows.events.size(), 1u);
}

TEST(TimedReminders, AMinuteThatPassedBeforeTheQueueNeverFires) {
    ReminderFixture f("2026/12/08 10:00:00");
    f.list(EntryKind::Dated, "2026/12/08", {"朝礼"});
    f.set(ScheduleSection::Popup, "2026/12/08-00", "0,1,09,30,0");
    f.reminders().popupProc(true);
    ASSERT_FALSE(f.store.section(ScheduleSection::PopupTime).empty());
    for (int minute = 0; minute < 14 * 60; ++minute) {
        f.tick();
        f.clock.advanceMinutes(1);
    }
    EXPECT_TRUE(f.windows.events.empty());
}

TEST(TimedReminders, EveryDayKeysFireToo) {
    ReminderFixture f("2026/12/08 07:15:00");
    f.list(EntryKind::Dated, "2026/12/01", {"服薬"});
    f.reminders().addTimedReminder("07:15", "服薬", "2026/12/01-00");
    f.tick();
    EXPECT_EQ(f.windows.events, std::vector<std::string>{"fresh 2026/12/01-00 服薬"});
}

TEST(TimedReminders, AnEntryOutsideItsPeriodQueuesButOpensNothing) {
    ReminderFixture f;
    f.list(EntryKind::Weekly, "3", {"定例"});
    f.set(ScheduleSection::Popup, "WEEK3-00", "1,1,09,30,1");
    f.set(ScheduleSection::FromTo, "WEEK3-00", "2026/12/10-_");
    f.reminders().popupProc(true);
    EXPECT_EQ(f.value(ScheduleSection::PopupTime, "2026/12/08-09:30"), toCommaText({"WEEK3-00", "定例"}));
    f.clock.advanceMinutes(30);
    f.tick();
    EXPECT_TRUE(f.windows.events.empty());
    EXPECT_EQ(f.value(ScheduleSection::PopupStat, "WEEK3-00"), "");
}

TEST(TimedReminders, SoundFollowsTheFifthFieldAndTheWaveSetting) {
    struct Case {
        const char* popup;
        const char* wave;
        std::vector<std::string> after;
    };
    const Case cases[] = {
        {"0,1,09,30,1", "（なし）", {"sound "}},
        {"0,1,09,30,1", "sounds\\chime.wav", {"sound /prog/sounds/chime.wav"}},
        {"0,1,09,30,1", "/usr/share/alarm.wav", {"sound /usr/share/alarm.wav"}},
        {"0,1,09,30,0", "chime.wav", {}},
        {"0,1,09,30", "chime.wav", {}},
    };
    for (const Case& c : cases) {
        ReminderFixture f("2026/12/08 09:30:00");
        f.settings.popupWaveFile = pathFromSetting(c.wave);
        f.list(EntryKind::Dated, "2026/12/08", {"鳴る"});
        f.set(ScheduleSection::Popup, "2026/12/08-00", c.popup);
        f.reminders().popupProc(true);
        f.tick();
        std::vector<std::string> expected{"fresh 2026/12/08-00 鳴る"};
        expected.insert(expected.end(), c.after.begin(), c.after.end());
        EXPECT_EQ(f.windows.events, expected) << c.popup << " " << c.wave;
    }
}

TEST(TimedReminders, AQueuedPairIsNeverDuplicatedAndTakesTheNewText) {
    ReminderFixture f;
    Reminders& r = f.reminders();
    r.addTimedReminder("2026/12/08-09:30", "古い", "2026/12/08-00");
    r.addTimedReminder("2026/12/08-09:30", "他", "2026/12/08-01");
    r.addTimedReminder("2026/12/08-09:30", "新しい 文", "2026/12/08-00");
    r.addTimedReminder("2026/12/08-09:30", "他", "2026/12/08-01");
    EXPECT_EQ(fromCommaText(f.value(ScheduleSection::PopupTime, "2026/12/08-09:30")),
              (std::vector<std::string>{"2026/12/08-00", "新しい 文", "2026/12/08-01", "他"}));
}

TEST(TimedReminders, TheNewDayClosesOpenWindowsKeepsClosedOnesAndEmptiesTheQueue) {
    ReminderFixture f("2026/12/08 23:59:00");
    f.list(EntryKind::Weekly, "3", {"開いたまま"});
    f.list(EntryKind::Weekly, "4", {"閉じた"});
    f.list(EntryKind::Dated, "2026/12/08", {"昨日の"});
    f.set(ScheduleSection::Popup, "WEEK3-00", "0,0,00,00,0");
    f.set(ScheduleSection::Popup, "WEEK4-00", "0,0,00,00,0");
    f.set(ScheduleSection::PopupStat, "WEEK3-00", "1");
    f.set(ScheduleSection::PopupStat, "WEEK4-00", "9");
    f.reminders().addTimedReminder("2026/12/08-23:59", "昨日の", "2026/12/08-00");
    f.reminders().addTimedReminder("08:00", "毎日", "2026/12/08-00");

    StartupState state;
    state.today = f.clock.today();
    state.todayText = "2026/12/08";
    int redraws = 0;
    EXPECT_FALSE(checkDayChange(state, f.reminders(), f.clock, [&] { ++redraws; }));
    f.clock.advanceMinutes(1);
    EXPECT_TRUE(checkDayChange(state, f.reminders(), f.clock, [&] { ++redraws; }));
    EXPECT_FALSE(checkDayChange(state, f.reminders(), f.clock, [&] { ++redraws; }));

    EXPECT_EQ(redraws, 1);
    EXPECT_EQ(state.todayText, "2026/12/09");
    EXPECT_EQ(formatDate(state.today), "2026/12/09");
    EXPECT_EQ(formatDate(state.displayMonth), "2026/12/01");
    EXPECT_EQ(f.windows.events, (std::vector<std::string>{"close WEEK3-00", "fresh WEEK3-00 開いたまま"}));
    EXPECT_EQ(f.value(ScheduleSection::PopupStat, "WEEK4-00"), "9");
    EXPECT_TRUE(f.store.section(ScheduleSection::PopupTime).empty());
}

TEST(TimedReminders, TheMainTimerTakesTheNewMonthUnlessAMonthIsKept) {
    for (const int forth : {0, DateValue::fromDate(2025, 3, 15)->dayNumber()}) {
        ReminderFixture f("2026/12/31 23:59:00");
        StartupState state;
        state.settings.forth = forth;
        state.navigableRange = navigableDateRange();
        state.todayText = "2026/12/31";
        f.clock.advanceMinutes(1);
        mainTimerTick(state, f.reminders(), f.clock, {});
        EXPECT_EQ(formatDate(state.displayMonth), forth == 0 ? "2027/01/01" : "2025/03/01");
        EXPECT_EQ(formatDate(state.thisMonthStart), "2027/01/01");
    }
}
