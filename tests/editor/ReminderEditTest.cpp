#include "editor/ReminderEdit.h"
#include "editor/EntryRowStore.h"
#include "schedule/EntryList.h"

#include "EditorTestSupport.h"

#include <algorithm>
#include <filesystem>
#include <functional>
#include <map>

using namespace velmora;
using velmora::test::date;
using velmora::test::ListFixture;

namespace {

constexpr const char* kStore = "[DAY]\n"
                               "2026/12/08=\"朝会 \",\"打合せ \",\"納品 \"\n"
                               "2026/12/09=\"別の日 \"\n"
                               "[WEEK]\n"
                               "3=\"ゴミ出し \",\"週報 \"\n"
                               "WEEK3-00OPT=1,1,1,1,1,111111111111\n"
                               "WEEK3-01OPT=0,1,1,1,1,001000000000\n"
                               "WEEK3-01OPT2=0,0,1,0,0\n"
                               "[MONTH]\n"
                               "08=\"給料日 \"\n"
                               "MONTH08-00OPT=1,0,1,1,2,001100000000\n"
                               "[POPUP]\n"
                               "2026/12/08-00=0,0,00,00,0\n"
                               "2026/12/08-01=1,1,09,30,1\n"
                               "WEEK3-01=0,1,08,00,0\n"
                               "MONTH08-00=1,0,00,00,0\n"
                               "[COLOROPT]\n"
                               "2026/12/08-00=255\n"
                               "2026/12/08-01=-255\n"
                               "WEEK3-01=65280\n"
                               "[INTOPT]\n"
                               "MONTH08-00=0,2,0,20261208\n"
                               "[FONTNAME]\n"
                               "2026/12/08-01=IPAMincho\n"
                               "[FROMTO]\n"
                               "2026/12/08-01=____/__/__-2026/12/31\n"
                               "MONTH08-00=2026/01/01-2026/12/31\n"
                               "[PTNOPT]\n"
                               "2026/12/08-01=100000\n"
                               "MONTH08-00=000001\n"
                               "[POPUPFILE]\n"
                               "2026/12/08-01=POP0000.dfm\n"
                               "[POPUPOPT]\n"
                               "2026/12/08-01=201\n";

struct Fixture : ListFixture {
    Fixture() : ListFixture(kStore) {
        test::writeBytes(dir.file("2026120801.hsk"), test::cp932("資料\r\n"));
        test::writeBytes(dir.file("WEEK301.hsk"), "old\r\n");
    }
    DateValue today() const { return date("2026/12/08"); }
    // The key's row through the editor: filled, changed by `edit`, written.
    EntryRow edited(const std::string& key, const std::function<void(EditFormModel&)>& edit) {
        const auto row = reminderEntryRow(store, key, dir.dir());
        EXPECT_TRUE(row) << key;
        EditFormModel editor(reminderEditorContext(key, clock.now(), settings));
        editor.fillFromRow(row.value_or(EntryRow()));
        edit(editor);
        EntryRow out = row.value_or(EntryRow());
        editor.writeToRow(out);
        return out;
    }
    ReminderEditOutcome write(const std::string& key, const EntryRow& row) {
        return writeReminderEntry(store, key, row, dir.dir(), today(), "IPAGothic", feedback);
    }
};

// Every line of the file's sections minus the names of `key`, sorted (a save sorts sections).
std::vector<std::string> otherLines(const ScheduleStore& store, const std::string& key, const std::string& list) {
    std::vector<std::string> out;
    for (std::size_t s = 0; s <= static_cast<std::size_t>(ScheduleSection::PopupOpt); ++s) {
        for (const std::string& line : store.section(static_cast<ScheduleSection>(s)).lines()) {
            const std::string name = line.substr(0, line.find('='));
            if (name != key && name != key + "OPT" && name != key + "OPT2" && name != list) {
                out.push_back(std::to_string(s) + ":" + line);
            }
        }
    }
    std::sort(out.begin(), out.end());
    return out;
}

constexpr const char* kAbsent = nullptr;

struct RoundTrip {
    const char* name;
    const char* key;
    std::function<void(EditFormModel&)> edit;
    ScheduleSection listSection;
    const char* list;      // the list name
    const char* listValue; // that list after the write
    std::map<ScheduleSection, const char*> records;
    const char* supplement; // the file's bytes (UTF-8 of CP932), or kAbsent
    bool popupChanged;
    std::optional<std::string> timeKey;
    struct {
        const char* text;
        Colour colour;
        const char* fontName;
    } label; // for the window
};

} // namespace

TEST(ReminderEdit, WritesTheEntryBackUnderItsKey) {
    using S = ScheduleSection;
    const RoundTrip cases[] = {
        {"dated: holiday, open start, schedule font, description emptied, reminder moved",
         "2026/12/08-01",
         [](EditFormModel& e) {
             e.setText("  打合せ（変更） ");
             e.setColour(0x00FF00);
             e.setHolidayFlag(true);
             e.setToDate("2027/01/31");
             e.setFontName("IPAGothic");
             e.setDescription("");
             e.setTime(10, 15);
         },
         S::Day,
         "2026/12/08",
         "\"朝会 \",\"打合せ（変更） \",\"納品 \"",
         {{S::Popup, "1,1,10,15,1"},
          {S::ColorOpt, "-65280"},
          {S::HolidayOpt, "打合せ（変更）"},
          {S::FromTo, "____/__/__-2027/01/31"},
          {S::FontName, kAbsent},
          {S::PtnOpt, "000001"},
          {S::IntOpt, kAbsent},
          {S::PopupFile, "POP0000.dfm"},
          {S::PopupOpt, "201"}},
         kAbsent,
         true,
         "2026/12/08-10:15",
         {"打合せ（変更）", 0x00FF00, "IPAGothic"}},
        {"weekly: rules, font, pattern and description; the daily reminder stays",
         "WEEK3-01",
         [](EditFormModel& e) {
             e.setText("週報（金）");
             e.setWeek(0, true);
             e.setWeek(4, false);
             e.setMonth(12, true);
             e.setAvoid(AvoidDay::Saturday, true);
             e.setOffset(-2);
             e.setFontName("IPAMincho");
             e.setOutPattern(1, true);
             e.setDescription("週報を送る\n");
         },
         S::Week,
         "3",
         "\"ゴミ出し \",\"週報（金） \"",
         {{S::Week, "1,1,1,1,0,001000000001"},
          {S::Popup, "0,1,08,00,0"},
          {S::ColorOpt, "65280"},
          {S::HolidayOpt, kAbsent},
          {S::FromTo, kAbsent},
          {S::FontName, "IPAMincho"},
          {S::PtnOpt, "010000"}},
         "週報を送る\r\n",
         false,
         "08:00",
         {"週報（金）", 65280, "IPAMincho"}},
        {"monthly: unconditional shift, period and patterns cleared, reminder dropped",
         "MONTH08-00",
         [](EditFormModel& e) {
             e.setShiftChoice(3);
             e.setMonth(5, true);
             e.setFromDate("____/__/__");
             e.setToDate("____/__/__");
             e.setOutPattern(5, false);
             e.setReminder(ReminderChoice::None);
         },
         S::Month,
         "08",
         "\"給料日 \"",
         {{S::Month, "0,0,0,3,2,001110000000"},
          {S::Popup, kAbsent},
          {S::ColorOpt, "1122867"}, // the schedule font's colour, as the editor shows it
          {S::FromTo, kAbsent},
          {S::PtnOpt, kAbsent},
          {S::IntOpt, "0,2,0,20261208"}},
         kAbsent,
         true,
         std::nullopt,
         {"給料日", 0x112233, "IPAGothic"}},
    };
    for (const RoundTrip& c : cases) {
        SCOPED_TRACE(c.name);
        Fixture f;
        const std::string key = c.key;
        const std::vector<std::string> before = otherLines(f.store, key, c.list);
        const ReminderEditOutcome out = f.write(key, f.edited(key, c.edit));
        EXPECT_TRUE(f.feedback.messages.empty());
        EXPECT_EQ(out.popupChanged, c.popupChanged);
        EXPECT_EQ(out.timeKey, c.timeKey);
        EXPECT_EQ(out.text, c.label.text);
        EXPECT_EQ(out.colour, c.label.colour);
        EXPECT_EQ(out.fontName, c.label.fontName);
        ASSERT_EQ(f.store.save(true), SaveResult::Saved);

        ScheduleStore saved(f.dir.dir(), "PC", f.clock, f.feedback);
        saved.setPath(f.store.path());
        saved.load();
        EXPECT_EQ(saved.section(c.listSection).value(c.list), c.listValue);
        for (const auto& [section, value] : c.records) {
            const std::string name = section == S::Week || section == S::Month ? key + "OPT" : key;
            EXPECT_EQ(saved.section(section).find(name), value ? std::optional<std::string>(value) : std::nullopt)
                << scheduleSectionName(section);
        }
        if (c.listSection == S::Week) {
            EXPECT_EQ(saved.section(S::Week).value(key + "OPT2"), "1,0,1,0,-2");
        }
        EXPECT_EQ(otherLines(saved, key, c.list), before) << "other entries untouched";
        const std::string file = f.dir.file(*supplementFileName(key));
        if (c.supplement) {
            EXPECT_EQ(test::readBytes(file), test::cp932(c.supplement));
        } else {
            EXPECT_FALSE(std::filesystem::exists(file));
        }
    }
}

// The queue holds the edited entry's pair and another entry's under the old time.
TEST(ReminderEdit, ReminderChangesAndTheirTimeKeys) {
    struct Case {
        const char* name;
        ReminderChoice choice;
        int hour, minute;
        bool sound;
        bool changed;
        std::optional<std::string> timeKey;
    };
    const Case cases[] = {
        {"unchanged", ReminderChoice::TimedOnDay, 9, 30, true, false, "2026/12/08-09:30"},
        {"on the day, later", ReminderChoice::TimedOnDay, 10, 15, true, true, "2026/12/08-10:15"},
        {"every day, new time", ReminderChoice::TimedEveryDay, 7, 5, true, true, "07:05"},
        {"sound off only", ReminderChoice::TimedOnDay, 9, 30, false, true, "2026/12/08-09:30"},
        {"at start-up", ReminderChoice::StartupEveryDay, 9, 30, true, true, std::nullopt},
        {"no reminder", ReminderChoice::None, 9, 30, true, true, std::nullopt},
    };
    const std::string key = "2026/12/08-01";
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Fixture f;
        NameValueList& queue = f.store.section(ScheduleSection::PopupTime);
        queue.set("2026/12/08-09:30", "2026/12/08-01,打合せ,2026/12/08-00,朝会");
        const ReminderEditOutcome out = f.write(key, f.edited(key, [&](EditFormModel& e) {
            e.setReminder(c.choice);
            e.setTime(c.hour, c.minute);
            e.setSound(c.sound);
        }));
        EXPECT_EQ(out.popupChanged, c.changed);
        EXPECT_EQ(out.timeKey, c.timeKey);
        EXPECT_EQ(queue.value("2026/12/08-09:30"),
                  c.changed ? "2026/12/08-00,朝会" : "2026/12/08-01,打合せ,2026/12/08-00,朝会")
            << "a changed reminder no longer fires at its old time";
    }
}

TEST(ReminderEdit, NothingIsWrittenForAnEntryThatIsGone) {
    struct Case {
        const char* name;
        std::string key;
        std::function<void(Fixture&, EntryRow&)> meanwhile;
        const char* message;
    };
    const Case cases[] = {
        {"the list lost the entry while the editor was open", "2026/12/08-01",
         [](Fixture& f, EntryRow&) { f.store.section(ScheduleSection::Day).set("2026/12/08", "\"朝会 \""); },
         "この予定はすでに削除されているため、変更を保存できませんでした"},
        {"its day's list is gone", "2026/12/09-00",
         [](Fixture& f, EntryRow&) { f.store.section(ScheduleSection::Day).remove("2026/12/09"); },
         "この予定はすでに削除されているため、変更を保存できませんでした"},
        {"a row of another pattern", "WEEK3-01", [](Fixture&, EntryRow& row) { row.kind = EntryKind::Dated; },
         "この予定のパターンは変更できません"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Fixture f;
        EntryRow row = f.edited(c.key, [](EditFormModel& e) {
            e.setText("変更");
            e.setDescription("新しい説明\n");
        });
        c.meanwhile(f, row);
        const std::vector<std::string> before = otherLines(f.store, "", "");
        const ReminderEditOutcome out = f.write(c.key, row);
        EXPECT_EQ(f.feedback.messages, std::vector<std::string>{c.message});
        EXPECT_EQ(otherLines(f.store, "", ""), before);
        EXPECT_FALSE(out.popupChanged);
        EXPECT_FALSE(out.timeKey);
        EXPECT_NE(test::readBytes(f.dir.file(*supplementFileName(c.key))), test::cp932("新しい説明\r\n"));
    }
    ListFixture f(kStore);
    EXPECT_FALSE(reminderEntryRow(f.store, "2026/12/08-03", f.dir.dir()));
    EXPECT_FALSE(reminderEntryRow(f.store, "MONTH09-00", f.dir.dir()));
    EXPECT_FALSE(reminderEntryRow(f.store, "POPUP", f.dir.dir()));
}

// The reminder's reader and the schedule list's must not drift apart.
TEST(ReminderEdit, ReadsTheEntryAsTheScheduleListDoes) {
    Fixture f;
    const LoadedRows list = loadEntryRows(f.store, {EntryKind::Dated, date("2026/12/08")}, f.dir.dir());
    std::vector<EntryRow> rows = list.rows;
    rows.insert(rows.end(), list.heldWeekly.begin(), list.heldWeekly.end());
    rows.insert(rows.end(), list.heldMonthly.begin(), list.heldMonthly.end());
    ASSERT_EQ(rows.size(), 6u);
    for (const EntryRow& row : rows) {
        SCOPED_TRACE(row.field(RowField::Key));
        EXPECT_EQ(reminderEntryRow(f.store, row.field(RowField::Key), f.dir.dir()), row);
    }
    const EntryRow dated = *reminderEntryRow(f.store, "2026/12/08-01", f.dir.dir());
    EXPECT_EQ(dated.field(RowField::Supplement), "資料\n");
    EXPECT_EQ(dated.field(RowField::Color), "-255");
}

TEST(ReminderEdit, TheEditorKeepsThePatternAndNamesTheEntrysDay) {
    const struct {
        const char* key;
        const char* now;
        const char* caption;
    } cases[] = {
        {"2026/12/20-00", "2026/12/08", "2026年12月20日の予定"}, {"WEEK3-01", "2026/12/08", "毎週火曜日の予定"},
        {"WEEK1-00", "2026/12/08", "毎週日曜日の予定"},          {"MONTH31-00", "2027/02/05", "毎月31日の予定"},
        {"YEAR02/29-00", "2026/12/08", "毎年2月29日の予定"},
    };
    Settings settings;
    settings.font(FontPart::Schedule).face = "IPAGothic";
    settings.outPtn[0] = "通院";
    for (const auto& c : cases) {
        SCOPED_TRACE(c.key);
        const EditFormContext context = reminderEditorContext(c.key, date(c.now), settings);
        EXPECT_EQ(context.key, "POPUP");
        EditFormModel editor(context);
        EntryRow row;
        row.kind = ScheduleKey::parse(c.key)->kind;
        editor.fillFromRow(row);
        const EditPattern pattern = editor.values().pattern;
        EXPECT_EQ(editor.patternCaptions()[static_cast<std::size_t>(pattern)], c.caption);
        EXPECT_FALSE(editor.patternChoiceEnabled());
        EXPECT_EQ(editor.patternGroupCaption(), "！！この項目は更新不可！！");
        EXPECT_EQ(editor.outPatternCaption(0), "通院");
        for (EditPattern other : {EditPattern::Once, EditPattern::Weekly, EditPattern::Monthly, EditPattern::Yearly}) {
            editor.setPattern(other);
        }
        EntryRow written = row;
        editor.writeToRow(written);
        EXPECT_EQ(written.kind, row.kind);
    }
}
