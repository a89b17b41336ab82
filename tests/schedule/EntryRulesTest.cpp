#include "schedule/EntryRules.h"

#include "core/DateText.h"

#include <gtest/gtest.h>

using namespace velmora;

namespace {

DateValue day(const char* text) {
    return *parseDate(text);
}

} // namespace

TEST(EntryRules, MonthFilterForms) {
    const struct {
        const char* filter;
        int month;
        bool passes;
    } rows[] = {
        {"100000000001", 1, true},
        {"100000000001", 12, true},
        {"100000000001", 6, false},
        {"3", 3, true},
        {"3", 4, false},
        {"0", 7, true},
        {"03", 3, true},
        {"", 3, false},
        {"abc", 3, false},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(monthFilterPasses(row.filter, row.month), row.passes) << row.filter << " " << row.month;
    }
}

TEST(EntryRules, IntervalCountsFromTheBaseDateBothWays) {
    const struct {
        const char* rule;
        const char* date;
        bool holds;
    } rows[] = {
        {"2,0,0,20240101", "2024/01/01", true},  {"2,0,0,20240101", "2024/01/08", false},
        {"2,0,0,20240101", "2024/01/22", true},                                          // every third week
        {"2,0,0,20240101", "2023/12/11", true},                                          // also before the base date
        {"2,0,0,20240101", "2023/12/18", false}, {"1,2,0,20240115", "2024/04/15", true}, // the months count decides...
        {"1,2,0,20240115", "2024/02/15", false}, // ...even where the weeks count would admit
        {"0,0,1,20200301", "2024/03/01", true},  // every other year
        {"0,0,1,20200301", "2023/03/01", false}, {"0,0,0,20240101", "1999/01/01", true},
        {"2,0,0", "2024/01/08", true}, // not four fields: always
    };
    for (const auto& row : rows) {
        EXPECT_EQ(intervalHolds(row.rule, day(row.date)), row.holds) << row.rule << " " << row.date;
    }
}

TEST(EntryRules, PeriodsWithOpenEnds) {
    EXPECT_TRUE(periodAdmits("____/__/__-2024/03/31", day("2024/03/31")));
    EXPECT_FALSE(periodAdmits("____/__/__-2024/03/31", day("2024/04/01")));
    EXPECT_TRUE(periodAdmits("____/__/__-2024/03/31", day("1900/01/01")));
    EXPECT_FALSE(periodAdmits("2024/01/10-____/__/__", day("2024/01/09")));
    EXPECT_TRUE(periodAdmits("2024/01/10-____/__/__", day("9999/12/31")));
    EXPECT_TRUE(periodAdmits("", day("2024/01/09")));
}

TEST(EntryRules, PatternSelection) {
    const struct {
        const char* selection;
        const char* patterns;
        bool passes;
    } rows[] = {
        {"0000010", "100000", true},                               // the default lets everything through
        {"0000010", "", true},        {"1000000", "100000", true}, // pattern 1 alone
        {"1000000", "010000", false}, {"1000000", "010001", true}, // always shown
        {"1000000", "", false},                                    // no patterns counts as none
        {"1000010", "100000", false},                              // pattern 1 inverted
        {"1000010", "010000", true},  {"1000001", "010000", true}, // show all
        {"10000", "010000", true},                                 // a short selection lets through
    };
    for (const auto& row : rows) {
        EXPECT_EQ(patternFilter(row.selection, row.patterns, false), row.passes)
            << row.selection << " / " << row.patterns;
    }
    EXPECT_TRUE(patternFilter("1000000", "010000", true));
}

TEST(EntryRules, ShiftAndWeekRules) {
    const ShiftRule none = ShiftRule::parse(kDefaultShiftRule);
    EXPECT_FALSE(none.moves());
    EXPECT_EQ(none.mode, 1);
    EXPECT_TRUE(ShiftRule::parse("1,0,0,0").moves());
    EXPECT_TRUE(ShiftRule::parse("0,0,0,3").moves());
    EXPECT_TRUE(ShiftRule::parse("0,0,0,1,-2").moves());
    const ShiftRule monthly = ShiftRule::parse("0,1,1,4,0,000000000011");
    EXPECT_EQ(monthly.monthFilter, "000000000011");
    EXPECT_TRUE(monthly.sunday && monthly.holiday && !monthly.saturday);

    const WeekRule weeks = WeekRule::parse("0,1,0,1,0,0");
    EXPECT_EQ(weeks.weekFlag(7), "0");
    EXPECT_EQ(weeks.weekFlag(8), "1");
    EXPECT_EQ(weeks.weekFlag(22), "1");
    EXPECT_EQ(weeks.weekFlag(29), "0");
    EXPECT_TRUE(weeks.hasMonthFilter());
    EXPECT_EQ(WeekRule::parse("1,1").weekFlag(29), "");
}
