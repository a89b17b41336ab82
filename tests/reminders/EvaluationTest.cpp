#include "ReminderTestSupport.h"

#include <gtest/gtest.h>

using namespace velmora;
using velmora::test::ReminderFixture;

namespace {

struct Form {
    EntryKind kind;
    const char* day; // list name
    const char* key; // key of element 00
    bool onToday;    // 2026/12/08, a Tuesday
};

const Form kForms[] = {
    {EntryKind::Dated, "2026/12/08", "2026/12/08-00", true},
    {EntryKind::Dated, "2026/12/09", "2026/12/09-00", false},
    {EntryKind::Yearly, "12/08", "YEAR12/08-00", true},
    {EntryKind::Yearly, "12/09", "YEAR12/09-00", false},
    {EntryKind::Monthly, "08", "MONTH08-00", true},
    {EntryKind::Monthly, "09", "MONTH09-00", false},
    {EntryKind::Weekly, "3", "WEEK3-00", true},
    {EntryKind::Weekly, "4", "WEEK4-00", false},
};

enum class Outcome { None, Now, Timed };

struct FlagCase {
    const char* flags;
    Outcome onItsDay;
    Outcome otherDay;
};

const FlagCase kFlagCases[] = {
    {"0,0", Outcome::Now, Outcome::Now},
    {"1,0", Outcome::Now, Outcome::None},
    {"0,1", Outcome::Timed, Outcome::Timed},
    {"1,1", Outcome::Timed, Outcome::None},
};

} // namespace

TEST(ReminderEvaluation, FlagsDecideForEveryKeyForm) {
    for (const Form& form : kForms) {
        for (const FlagCase& c : kFlagCases) {
            ReminderFixture f;
            f.list(form.kind, form.day, {"会議 "});
            f.set(ScheduleSection::Popup, form.key, std::string(c.flags) + ",09,30,0");
            f.reminders().popupProc(true);

            const Outcome expected = form.onToday ? c.onItsDay : c.otherDay;
            const std::string what = std::string(form.key) + " " + c.flags;
            const std::vector<std::string> opened = {"fresh " + std::string(form.key) + " 会議"};
            EXPECT_EQ(f.windows.events, expected == Outcome::Now ? opened : std::vector<std::string>{}) << what;
            const std::string queued = f.value(ScheduleSection::PopupTime, "2026/12/08-09:30");
            EXPECT_EQ(queued, expected == Outcome::Timed ? toCommaText({form.key, "会議 "}) : "") << what;
            EXPECT_EQ(f.value(ScheduleSection::PopupStat, form.key), expected == Outcome::Now ? "1" : "") << what;
        }
    }
}

TEST(ReminderEvaluation, AWeeklyEntryOutOfItsWeekStaysQuiet) {
    // Every weekday has an entry that is off in the first week of the month.
    for (int day = 1; day <= 14; ++day) {
        ReminderFixture f;
        f.clock.set(*DateValue::fromDateTime(2026, 12, day, 9, 0, 0));
        for (int d = 1; d <= 7; ++d) {
            const std::string key = "WEEK" + std::to_string(d) + "-00";
            f.list(EntryKind::Weekly, std::to_string(d), {"週" + std::to_string(d)});
            f.set(ScheduleSection::Week, key + "OPT", "0,1,1,1,1,0");
            f.set(ScheduleSection::Popup, key, "1,0,09,30,0");
        }
        f.reminders().popupProc(true);
        const int weekday = f.clock.today().weekday();
        const std::vector<std::string> expected =
            day <= 7
                ? std::vector<std::string>{}
                : std::vector<std::string>{"fresh WEEK" + std::to_string(weekday) + "-00 週" + std::to_string(weekday)};
        EXPECT_EQ(f.windows.events, expected) << "day " << day;
    }
}

TEST(ReminderEvaluation, AnEntryMovedOntoTodayReminds) {
    // 2026/12/06 is a Sunday; both entries avoid Sundays and move to Monday.
    struct Case {
        EntryKind kind;
        const char* day;
        const char* key;
        ScheduleSection rules;
        const char* ruleName;
        const char* rule;
    };
    const Case cases[] = {
        {EntryKind::Weekly, "1", "WEEK1-00", ScheduleSection::Week, "WEEK1-00OPT2", "0,1,0,1"},
        {EntryKind::Monthly, "06", "MONTH06-00", ScheduleSection::Month, "MONTH06-00OPT", "0,1,0,1,0"},
    };
    for (const Case& c : cases) {
        for (const char* now : {"2026/12/06 08:00:00", "2026/12/07 08:00:00"}) {
            ReminderFixture f(now);
            f.list(c.kind, c.day, {"ゴミ出し"});
            f.set(c.rules, c.ruleName, c.rule);
            f.set(ScheduleSection::Popup, c.key, "1,0,09,30,0");
            f.reminders().popupProc(true);
            const bool landing = std::string(now).starts_with("2026/12/07");
            EXPECT_EQ(f.windows.events.size(), landing ? 1u : 0u) << c.key << " at " << now;

            // The same day queues the timed form.
            ReminderFixture timed(now);
            timed.list(c.kind, c.day, {"ゴミ出し"});
            timed.set(c.rules, c.ruleName, c.rule);
            timed.set(ScheduleSection::Popup, c.key, "1,1,07,45,0");
            timed.reminders().popupProc(true);
            EXPECT_EQ(timed.store.section(ScheduleSection::PopupTime).size(), landing ? 1u : 0u) << c.key;
        }
    }
}

TEST(ReminderEvaluation, AnEntryMovedOntoTheNewDayRemindsAtMidnight) {
    // Guards against evaluating the new day with yesterday's moved entries.
    ReminderFixture f("2026/12/06 23:59:00");
    f.list(EntryKind::Weekly, "1", {"ゴミ出し"});
    f.set(ScheduleSection::Week, "WEEK1-00OPT2", "0,1,0,1");
    f.set(ScheduleSection::Popup, "WEEK1-00", "1,0,09,30,0");
    f.reminders().popupProc(true);
    EXPECT_TRUE(f.windows.events.empty());
    f.clock.set(*parseDateTime("2026/12/07 00:00:30"));
    f.reminders().changeOfDay();
    EXPECT_EQ(f.windows.events.size(), 1u);
}

TEST(ReminderEvaluation, AStaleRecordIsDeletedAndTheNextOneStillEvaluated) {
    ReminderFixture f;
    f.list(EntryKind::Dated, "2026/12/08", {"残る"});
    f.set(ScheduleSection::Popup, "2026/12/08-05", "0,0,09,30,0");
    f.set(ScheduleSection::Popup, "WEEK3-00", "0,0,09,30,0"); // WEEK3 has no list at all
    f.set(ScheduleSection::Popup, "2026/12/08-00", "0,0,09,30,0");
    f.reminders().popupProc(true);
    const NameValueList& popup = f.store.section(ScheduleSection::Popup);
    ASSERT_EQ(popup.size(), 1u);
    EXPECT_EQ(popup.name(0), "2026/12/08-00");
    EXPECT_EQ(f.windows.events, std::vector<std::string>{"fresh 2026/12/08-00 残る"});
}
