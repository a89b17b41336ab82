#include "calendar/LunarTable.h"

#include <gtest/gtest.h>

#include <chrono>
#include <vector>

namespace velmora {
namespace {

using std::chrono::sys_days;
using std::chrono::year_month_day;

constexpr int kLeap = 12; // index of the leap month in a row
constexpr int kTwelfth = 11;

const LunarTableRow& row(int lunarYear) {
    return lunarTable().at(static_cast<std::size_t>(lunarYear - kLunarFirstYear));
}

// The civil date of a value: month 12 written as a January date belongs to
// the next civil year.
year_month_day dateOf(int lunarYear, int index) {
    const int v = row(lunarYear)[static_cast<std::size_t>(index)];
    const int y = lunarYear + (index == kTwelfth && v / 100 == 1 ? 1 : 0);
    return year_month_day{std::chrono::year{y}, std::chrono::month{static_cast<unsigned>(v / 100)},
                          std::chrono::day{static_cast<unsigned>(v % 100)}};
}

// The number of the month the leap month follows, from the dates; 0 for none.
int leapFollows(int lunarYear) {
    if (row(lunarYear)[kLeap] == 0) {
        return 0;
    }
    const sys_days leap{dateOf(lunarYear, kLeap)};
    int before = 0;
    for (int i = 0; i < 12; ++i) {
        before += sys_days{dateOf(lunarYear, i)} < leap ? 1 : 0;
    }
    return before;
}

TEST(LunarTable, SampleRowsComeOutExactly) {
    EXPECT_EQ(row(1970), (LunarTableRow{206, 308, 406, 505, 604, 704, 802, 901, 930, 1030, 1129, 1228, 0}));
    EXPECT_EQ(row(1971), (LunarTableRow{127, 225, 327, 425, 524, 722, 821, 919, 1019, 1118, 1218, 116, 623}));
    EXPECT_EQ(row(2023), (LunarTableRow{122, 220, 420, 520, 618, 718, 816, 915, 1015, 1113, 1213, 111, 322}));
    EXPECT_EQ(row(2033), (LunarTableRow{131, 301, 331, 429, 528, 627, 726, 825, 923, 1023, 1122, 120, 1222}));
    EXPECT_EQ(row(2100), (LunarTableRow{209, 311, 410, 509, 608, 707, 806, 904, 1004, 1102, 1201, 1231, 0}));
}

TEST(LunarTable, ValuesAreDatesInTheRowsCivilYear) {
    int leapRows = 0;
    int januaryTwelfthRows = 0;
    for (int y = kLunarFirstYear; y <= kLunarLastYear; ++y) {
        SCOPED_TRACE(y);
        for (int i = 0; i < 13; ++i) {
            if (i == kLeap && row(y)[kLeap] == 0) {
                continue;
            }
            SCOPED_TRACE(i + 1);
            const year_month_day d = dateOf(y, i);
            ASSERT_TRUE(d.ok()) << row(y)[static_cast<std::size_t>(i)];
            const int civilYear = static_cast<int>(d.year());
            EXPECT_EQ(civilYear, y + (i == kTwelfth && d.month() == std::chrono::January ? 1 : 0));
        }
        // Month 1 in January or February; a leap month never in January.
        EXPECT_LE(row(y)[0], 300);
        EXPECT_NE(row(y)[kLeap] / 100, 1);
        leapRows += row(y)[kLeap] != 0 ? 1 : 0;
        januaryTwelfthRows += row(y)[kTwelfth] / 100 == 1 ? 1 : 0;
    }
    EXPECT_EQ(leapRows, 48);
    EXPECT_EQ(januaryTwelfthRows, 90);
}

// Every month, the leap months included in their place, runs 29 or 30 days
// into the next, from the first row to the last.
TEST(LunarTable, MonthsFollowEachOtherIn29Or30Days) {
    struct Start {
        sys_days day;
        int lunarYear, month;
    };
    std::vector<Start> starts;
    for (int y = kLunarFirstYear; y <= kLunarLastYear; ++y) {
        SCOPED_TRACE(y);
        const int leapAfter = leapFollows(y);
        if (row(y)[kLeap] != 0) {
            EXPECT_GE(leapAfter, 1) << "leap month before month 1";
        }
        for (int i = 0; i < 12; ++i) {
            ASSERT_TRUE(dateOf(y, i).ok());
            starts.push_back({sys_days{dateOf(y, i)}, y, i + 1});
            if (i + 1 == leapAfter) {
                ASSERT_TRUE(dateOf(y, kLeap).ok());
                starts.push_back({sys_days{dateOf(y, kLeap)}, y, kLeap + 1});
            }
        }
    }
    ASSERT_EQ(starts.size(), static_cast<std::size_t>(kLunarYears * 12 + 48));
    for (std::size_t i = 1; i < starts.size(); ++i) {
        const auto days = (starts[i].day - starts[i - 1].day).count();
        EXPECT_TRUE(days == 29 || days == 30) << "lunar year " << starts[i].lunarYear << ", value " << starts[i].month
                                              << ": " << days << " days after the month before";
    }
}

TEST(LunarTable, AgreesWithPublishedAlmanacs) {
    // 2023-03-22 begins leap month 2.
    EXPECT_EQ(row(2023)[kLeap], 322);
    EXPECT_EQ(leapFollows(2023), 2);
    // 1972-01-16 begins month 12 of lunar year 1971.
    EXPECT_EQ(row(1971)[kTwelfth], 116);
    // New Year's Days of the old calendar.
    EXPECT_EQ(row(2024)[0], 210);
    EXPECT_EQ(row(2025)[0], 129);
    EXPECT_EQ(row(2026)[0], 217);
    // Leap months of recent years: 2017 leap 5, 2020 leap 4, 2025 leap 6,
    // and 2033 leap 11 after the unusual months of that year.
    EXPECT_EQ(row(2017)[kLeap], 624);
    EXPECT_EQ(leapFollows(2017), 5);
    EXPECT_EQ(row(2020)[kLeap], 523);
    EXPECT_EQ(leapFollows(2020), 4);
    EXPECT_EQ(row(2025)[kLeap], 725);
    EXPECT_EQ(leapFollows(2025), 6);
    EXPECT_EQ(leapFollows(2033), 11);
    EXPECT_EQ(leapFollows(1970), 0);
}

} // namespace
} // namespace velmora
