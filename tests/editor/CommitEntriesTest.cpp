#include "calendar/CalendarState.h"
#include "editor/ScheduleListModel.h"
#include "schedule/EntriesForDate.h"

#include "EditorTestSupport.h"

using namespace velmora;
using velmora::test::date;
using velmora::test::ListFixture;

namespace {

struct Produced {
    const char* name;
    std::function<void(EditFormModel&)> fill;
    std::vector<const char*> listedOn;
    std::vector<const char*> notListedOn;
};

// Entries the editor makes, each with the days the calendar cell must (and
// must not) list it on. Tuesday 2026/12/08 is the second Tuesday of its
// month; 2026/08/08 is a Saturday.
const Produced kProduced[] = {
    {"dated, with every option",
     [](EditFormModel& e) {
         e.setColour(0x0000FF);
         e.setFontName("IPAMincho");
         e.setReminder(ReminderChoice::TimedOnDay);
         e.setTime(9, 5);
         e.setSound(true);
         e.setOutPattern(0, true);
         e.setDescription("資料を持参\nExec \"/usr/bin/xdg-open\" \"\"\n");
         e.setFromDate("2026/12/01");
     },
     {"2026/12/08"},
     {"2026/12/09"}},
    {"dated, for reminding only",
     [](EditFormModel& e) {
         e.setPopOnly(true);
         e.setReminder(ReminderChoice::StartupEveryDay);
     },
     {},
     {"2026/12/08"}},
    {"dated, a holiday", [](EditFormModel& e) { e.setHolidayFlag(true); }, {}, {"2026/12/08"}},
    {"weekly, second and fourth week",
     [](EditFormModel& e) {
         e.setPattern(EditPattern::Weekly);
         for (int w : {0, 2, 4}) {
             e.setWeek(w, false);
         }
         e.setToDate("2027/12/31");
     },
     {"2026/12/08", "2026/12/22"},
     {"2026/12/01", "2026/12/15", "2028/01/11"}},
    {"weekly, December only, shifted off holidays to the day before",
     [](EditFormModel& e) {
         e.setPattern(EditPattern::Weekly);
         for (int m = 1; m <= 11; ++m) {
             e.setMonth(m, false);
         }
         e.setAvoid(AvoidDay::Holiday, true);
         e.setShiftChoice(0);
     },
     {"2026/12/08", "2026/12/28"},
     {"2026/11/10", "2026/12/29"}},
    {"monthly, off Saturdays to the next day",
     [](EditFormModel& e) {
         e.setPattern(EditPattern::Monthly);
         e.setAvoid(AvoidDay::Saturday, true);
         e.setInterval(0, 0, 0);
     },
     {"2026/12/08", "2026/08/09"},
     {"2026/08/08"}},
    {"yearly, every other year",
     [](EditFormModel& e) {
         e.setPattern(EditPattern::Yearly);
         e.setInterval(0, 0, 1);
         e.setIntervalBase(date("2026/12/08"));
     },
     {"2026/12/08", "2028/12/08"},
     {"2027/12/08"}},
};

bool listedOn(ScheduleStore& store, const Settings& settings, const char* day, const std::string& key) {
    const DateValue d = date(day);
    CalendarState calendar(settings.holidayList);
    calendar.holidayPass(settings, d.startOfMonth(), store, d);
    for (const EntryHit& hit : cellEntries(d, calendar.entryContext(store, settings))) {
        if (hit.key == key) {
            return true;
        }
    }
    return false;
}

} // namespace

// Every row the editor produces, committed, saved and read back from the
// file, is the same row; the calendar then lists it on the days its rules give.
TEST(CommitEntries, EditorRowsSurviveTheFileAndFallOnTheirDays) {
    for (const Produced& p : kProduced) {
        SCOPED_TRACE(p.name);
        ListFixture f("[DAY]\n2026/12/08=\"前の予定 \"\n");
        f.settings.holidayList.set("12/29", "テスト休日"); // a Tuesday: the weekly one moves to Monday
        EntryRow produced;
        {
            ScheduleListModel model(f.context());
            model.open(date("2026/12/08"));
            EditFormModel editor = model.editorForNew();
            editor.setText(p.name);
            p.fill(editor);
            ASSERT_FALSE(editor.validate());
            produced = model.rows()[static_cast<std::size_t>(model.addRow(editor))];
            model.close();
            ASSERT_TRUE(model.changed());
        }
        ASSERT_EQ(f.store.save(true), SaveResult::Saved);

        ScheduleStore reread(f.dir.dir(), "PC", f.clock, f.feedback);
        reread.setPath(f.store.path());
        reread.load();
        ScheduleListModel model(ScheduleListContext{reread, f.settings, f.clock, f.reminders, f.feedback});
        model.open(date("2026/12/08"));
        const auto& rows = model.rows();
        const auto found =
            std::find_if(rows.begin(), rows.end(), [&](const EntryRow& r) { return r.caption == p.name; });
        ASSERT_NE(found, rows.end());
        EntryRow expected = produced;
        expected.added = false;
        const bool dated = produced.kind == EntryKind::Dated;
        expected.setField(RowField::Index, dated ? "1" : "0");
        expected.setField(RowField::Key,
                          ScheduleKey::make(produced.kind, "", dated ? 1 : 0, date("2026/12/08")).text());
        EXPECT_EQ(*found, expected);

        const std::string key = expected.field(RowField::Key);
        for (const char* day : p.listedOn) {
            EXPECT_TRUE(listedOn(reread, f.settings, day, key)) << day;
        }
        for (const char* day : p.notListedOn) {
            EXPECT_FALSE(listedOn(reread, f.settings, day, key)) << day;
        }
    }
}

TEST(CommitEntries, TheSupplementOfAnEntryStaysPrivateUnderItsNewKey) {
    ListFixture f("[DAY]\n2026/12/08=\"a \",\"b \"\n");
    const std::string secret = f.dir.file("2026120801.hsk");
    test::writeBytes(secret, "Exec \"/usr/bin/tool\" \"--password=x\"\r\n");
    std::filesystem::permissions(secret, std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
    test::writeBytes(f.dir.file("2026120800.hsk"), "public\r\n");
    ScheduleListModel model(f.context());
    model.open(date("2026/12/08"));
    model.setDeleted({0}, true);
    model.close();
    const std::string moved = f.dir.file("2026120800.hsk");
    EXPECT_EQ(test::readBytes(moved), "Exec \"/usr/bin/tool\" \"--password=x\"\r\n");
    EXPECT_EQ(std::filesystem::status(moved).permissions() &
                  (std::filesystem::perms::group_all | std::filesystem::perms::others_all),
              std::filesystem::perms::none);
    EXPECT_FALSE(std::filesystem::exists(secret));
}
