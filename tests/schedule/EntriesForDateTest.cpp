#include "schedule/EntriesForDate.h"

#include "calendar/CalendarState.h"
#include "core/DateText.h"
#include "schedule/EntryList.h"
#include "schedule/EntryRules.h"
#include "schedule/ScheduleStore.h"
#include "settings/Settings.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <random>

using namespace velmora;

namespace {

DateValue day(const char* text) {
    return *parseDate(text);
}

// A store in memory with a calendar over the month of interest.
struct Fixture {
    Fixture() : clock(day("2026/12/08")), store("/nowhere/", "PC", clock, feedback) {}

    void add(ScheduleSection s, const std::string& name, const std::string& value) {
        store.section(s).set(name, value);
    }
    void list(EntryKind kind, const std::string& name, std::vector<std::string> texts) {
        store.entryLists(kind).set(name, formatEntryList(texts));
    }
    // Keys of the entries listed on a date, with the month of the date displayed.
    std::vector<std::string> keysOn(const char* date) {
        const DateValue d = day(date);
        CalendarState calendar(settings.holidayList);
        calendar.holidayPass(settings, d.startOfMonth(), store, clock.today());
        std::vector<EntryHit> hits;
        repeatingEntriesFor(d, calendar.entryContext(store, settings), hits);
        std::vector<std::string> keys;
        for (const EntryHit& h : hits) {
            keys.push_back(h.key);
        }
        return keys;
    }

    FixedClock clock;
    velmora::SilentFeedback feedback;
    ScheduleStore store;
    Settings settings;
};

using Keys = std::vector<std::string>;

} // namespace

TEST(EntriesForDate, MonthlyEntriesMoveOffWeekends) {
    Fixture f; // 2026/08/01 is a Saturday
    f.list(EntryKind::Monthly, "01", {"家賃 "});
    f.add(ScheduleSection::Month, "MONTH01-00OPT", "1,1,0,0,0");
    EXPECT_EQ(f.keysOn("2026/07/31"), Keys{"MONTH01-00"}) << "mode 0: the Friday before";
    EXPECT_EQ(f.keysOn("2026/08/01"), Keys{});
    EXPECT_EQ(f.keysOn("2026/09/01"), Keys{"MONTH01-00"}) << "a Tuesday stays";

    f.add(ScheduleSection::Month, "MONTH01-00OPT", "1,1,0,1,0");
    EXPECT_EQ(f.keysOn("2026/08/03"), Keys{"MONTH01-00"}) << "mode 1: the Monday after, Sunday avoided too";
    EXPECT_EQ(f.keysOn("2026/07/31"), Keys{});

    f.add(ScheduleSection::Month, "MONTH01-00OPT", "1,0,0,4,0");
    EXPECT_EQ(f.keysOn("2026/08/01"), Keys{}) << "mode 4 cancels a Saturday";
    EXPECT_EQ(f.keysOn("2026/07/31"), Keys{});
    EXPECT_EQ(f.keysOn("2026/09/01"), Keys{"MONTH01-00"});

    f.add(ScheduleSection::Month, "MONTH01-00OPT", "0,0,0,3");
    EXPECT_EQ(f.keysOn("2026/09/02"), Keys{"MONTH01-00"}) << "mode 3 without offset: one day later";
    EXPECT_EQ(f.keysOn("2026/09/01"), Keys{});
    f.add(ScheduleSection::Month, "MONTH01-00OPT", "0,0,0,3,2");
    EXPECT_EQ(f.keysOn("2026/09/03"), Keys{"MONTH01-00"}) << "mode 3 with offset 2";
    f.add(ScheduleSection::Month, "MONTH01-00OPT", "0,0,0,2,0");
    EXPECT_EQ(f.keysOn("2026/08/31"), Keys{"MONTH01-00"}) << "mode 2: one day earlier";
}

TEST(EntriesForDate, HolidaysAvoidedWithTheOldFixedDates) {
    Fixture f;
    f.settings.holidayList.set("01/15", "成人の日");
    f.list(EntryKind::Monthly, "15", {"締め "});
    f.add(ScheduleSection::Month, "MONTH15-00OPT", "0,0,1,1,0");
    EXPECT_EQ(f.keysOn("1999/01/18"), Keys{}) << "1999-01-15 was a Friday holiday...";
    EXPECT_EQ(f.keysOn("1999/01/16"), Keys{"MONTH15-00"}) << "...so the entry moves to the next day";
    EXPECT_EQ(f.keysOn("2005/01/15"), Keys{"MONTH15-00"}) << "the fixed date no longer counts after 1999";
}

TEST(EntriesForDate, WeeklyRulesWeeksFiltersAndPeriods) {
    Fixture f; // Tuesdays of 2026/09: 1, 8, 15, 22, 29
    f.list(EntryKind::Weekly, "3", {"定例 ", "年度末 "});
    f.add(ScheduleSection::Week, "WEEK3-00OPT", "0,1,0,1,0,0");
    f.add(ScheduleSection::Week, "WEEK3-01OPT", "1,1,1,1,1,100000000001");
    for (const char* date : {"2026/09/08", "2026/09/22"}) {
        EXPECT_EQ(f.keysOn(date), Keys{"WEEK3-00"}) << date;
    }
    for (const char* date : {"2026/09/01", "2026/09/15", "2026/09/29"}) {
        EXPECT_EQ(f.keysOn(date), Keys{}) << date;
    }
    EXPECT_EQ(f.keysOn("2026/12/29"), Keys{"WEEK3-01"})
        << "December passes the filter, the fifth week is no week 2 or 4";
    EXPECT_EQ(f.keysOn("2026/12/08"), (Keys{"WEEK3-00", "WEEK3-01"}));

    f.add(ScheduleSection::FromTo, "WEEK3-01", "____/__/__-2026/12/15");
    EXPECT_EQ(f.keysOn("2026/12/15"), (Keys{"WEEK3-01"}));
    EXPECT_EQ(f.keysOn("2026/12/22"), (Keys{"WEEK3-00"}));
    f.add(ScheduleSection::ColorOpt, "WEEK3-00", "-255");
    EXPECT_EQ(f.keysOn("2026/12/22"), Keys{}) << "a reminder-only entry is never listed";
    f.add(ScheduleSection::HolidayOpt, "WEEK3-01", "休み");
    EXPECT_EQ(f.keysOn("2026/12/08"), Keys{}) << "a holiday entry shows as the holiday";
}

TEST(EntriesForDate, TheCellListsDatedEntriesFirstAndMarks) {
    Fixture f;
    f.list(EntryKind::Dated, "2026/12/24", {"忘年会 ", "秘密 ", "買い物 "});
    f.list(EntryKind::Yearly, "12/24", {"イブ "});
    f.add(ScheduleSection::ColorOpt, "2026/12/24-01", "-255");
    f.add(ScheduleSection::PtnOpt, "2026/12/24-02", "010100");
    f.add(ScheduleSection::FontName, "2026/12/24-00", "メイリオ");
    CalendarState calendar;
    calendar.holidayPass(f.settings, day("2026/12/01"), f.store, f.clock.today());
    bool hasEntries = false;
    auto hits = cellEntries(day("2026/12/24"), calendar.entryContext(f.store, f.settings), &hasEntries);
    ASSERT_EQ(hits.size(), 3u);
    EXPECT_EQ(hits[0].text, "忘年会 ");
    EXPECT_EQ(hits[0].face, "メイリオ");
    EXPECT_EQ(hits[0].colour, "65280");
    EXPECT_EQ(hits[1].key, "2026/12/24-02");
    EXPECT_EQ(hits[2].kind, EntryKind::Yearly);
    EXPECT_TRUE(hasEntries);

    f.settings.schDisp = 1;
    f.settings.outPtnChr = "①,②,③,④,⑤,⑥,無";
    f.add(ScheduleSection::PtnOpt, "2026/12/24-00", "000000");
    hits = cellEntries(day("2026/12/24"), calendar.entryContext(f.store, f.settings));
    EXPECT_EQ(hits[0].text, "忘年会 ") << "no pattern set at all keeps the text";
    EXPECT_EQ(hits[1].text, "②") << "the mark of the lowest pattern";
    EXPECT_EQ(hits[2].text, "イブ ") << "repeating entries keep their texts";

    f.list(EntryKind::Dated, "2026/12/25", {"秘密 "});
    f.add(ScheduleSection::ColorOpt, "2026/12/25-00", "-255");
    EXPECT_TRUE(cellEntries(day("2026/12/25"), calendar.entryContext(f.store, f.settings), &hasEntries).empty());
    EXPECT_TRUE(hasEntries) << "a reminder-only entry still makes a day with entries";
}

// For random entries over two years: whatever is listed satisfies its rules,
// and whatever its rules admit is listed on its day or where its rule moves it.
TEST(EntriesForDate, ListedEntriesAreExactlyTheAdmittedOnes) {
    std::mt19937 random(20261208);
    const auto pick = [&](int n) { return static_cast<int>(random() % static_cast<unsigned>(n)); };
    for (int round = 0; round < 6; ++round) {
        Fixture f;
        f.settings.holidayList.set("01/01", "元日");
        f.settings.holidayList.set("05/03", "憲法記念日");
        struct Entry {
            std::string key;
            std::string rule;
            std::string weekRule;
        };
        std::vector<Entry> entries;
        for (int i = 0; i < 12; ++i) {
            const bool weekly = pick(2) == 0;
            const int n = weekly ? 1 + pick(7) : 1 + pick(28);
            const std::string name = (!weekly && n < 10 ? "0" : "") + std::to_string(n);
            const EntryKind kind = weekly ? EntryKind::Weekly : EntryKind::Monthly;
            std::vector<std::string> texts = parseEntryList(f.store.entryLists(kind).value(name));
            texts.push_back("e" + std::to_string(i) + " ");
            f.list(kind, name, texts);
            const std::string key = ScheduleKey{kind, name, static_cast<int>(texts.size()) - 1}.text();
            std::string rule = std::to_string(pick(2)) + "," + std::to_string(pick(2)) + "," + std::to_string(pick(2)) +
                               "," + std::to_string(pick(5)) + "," + std::to_string(pick(3) - 1);
            std::string weekRule;
            if (weekly) {
                weekRule = std::to_string(pick(2)) + ",1," + std::to_string(pick(2)) + ",1,1";
                f.add(ScheduleSection::Week, key + "OPT", weekRule);
                f.add(ScheduleSection::Week, key + "OPT2", rule);
            } else {
                f.add(ScheduleSection::Month, key + "OPT", rule);
            }
            entries.push_back({key, rule, weekRule});
        }
        // Which entries each day admits, from the rules alone.
        const DateValue first = day("2026/01/01");
        std::map<std::string, std::vector<int>> admitted; // key -> day numbers
        for (int n = first.addDays(-40).dayNumber(); n <= first.addDays(770).dayNumber(); ++n) {
            const DateValue v = DateValue::fromDayNumber(n);
            for (const Entry& e : entries) {
                const auto k = ScheduleKey::parse(e.key);
                const bool weekly = k->kind == EntryKind::Weekly;
                const bool onDay =
                    weekly ? std::to_string(v.weekday()) == k->day : entryListName(EntryKind::Monthly, v) == k->day;
                if (onDay && (!weekly || WeekRule::parse(e.weekRule).weekFlag(v.day()) != "0")) {
                    admitted[e.key].push_back(n);
                }
            }
        }
        CalendarState calendar(f.settings.holidayList);
        for (DateValue month = first; month < first.addMonths(24); month = month.addMonths(1)) {
            calendar.holidayPass(f.settings, month, f.store, f.clock.today());
            const EntryContext context = calendar.entryContext(f.store, f.settings);
            std::map<std::string, std::vector<int>> listed;
            for (int n = month.dayNumber(); n < month.addMonths(1).dayNumber(); ++n) {
                std::vector<EntryHit> hits;
                repeatingEntriesFor(DateValue::fromDayNumber(n), context, hits);
                for (const EntryHit& h : hits) {
                    listed[h.key].push_back(n);
                }
            }
            for (const Entry& e : entries) {
                const ShiftRule rule = ShiftRule::parse(e.rule);
                const auto isOk = [&](int n) {
                    const DateValue z = DateValue::fromDayNumber(n);
                    return !(rule.saturday && z.weekday() == 7) && !(rule.sunday && z.weekday() == 1) &&
                           !(rule.holiday && !calendar.holidays.lookup(z).empty());
                };
                // Where the rules put each admitted day, within this month.
                std::vector<int> expected;
                for (const int v : admitted[e.key]) {
                    int z = v;
                    if (rule.moves()) {
                        const int dir = (rule.mode == 0 || rule.mode == 2) ? -1 : 1;
                        z = v + rule.offset;
                        if (rule.mode == 2 || rule.mode == 3) {
                            z = rule.offset != 0 ? z : v + dir;
                        } else {
                            while (!isOk(z)) {
                                z += dir;
                            }
                            if (rule.mode == 4 && z != v + rule.offset) {
                                continue;
                            }
                        }
                    }
                    if (z >= month.dayNumber() && z < month.addMonths(1).dayNumber()) {
                        expected.push_back(z);
                    }
                }
                std::sort(expected.begin(), expected.end());
                std::vector<int> got = listed[e.key];
                std::sort(got.begin(), got.end());
                EXPECT_EQ(got, expected) << e.key << " rule " << e.rule << " " << e.weekRule << " in "
                                         << formatYearMonth(month);
            }
        }
    }
}
