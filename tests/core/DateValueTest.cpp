#include "core/DateValue.h"

#include <gtest/gtest.h>

namespace velmora {
namespace {

struct CivilRow {
    int year, month, day, dayNumber, weekday;
};

TEST(DateValue, ConvertsBoundaryDates) {
    const CivilRow rows[] = {
        {1, 1, 1, -693593, 2},   {1582, 10, 15, -115858, 6}, {1899, 12, 29, -1, 6},      {1899, 12, 30, 0, 7},
        {1899, 12, 31, 1, 1},    {1900, 1, 1, 2, 2},         {1900, 2, 28, 60, 4},       {1900, 3, 1, 61, 5},
        {2000, 2, 29, 36585, 3}, {2024, 1, 1, 45292, 2},     {9999, 12, 31, 2958465, 6},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(testing::Message() << r.year << '-' << r.month << '-' << r.day);
        const auto d = DateValue::fromDate(r.year, r.month, r.day);
        ASSERT_TRUE(d.has_value());
        EXPECT_EQ(d->value(), r.dayNumber);
        const DateValue fromNumber = DateValue::fromDayNumber(r.dayNumber);
        EXPECT_EQ(fromNumber.date(), (CivilDate{r.year, r.month, r.day}));
        EXPECT_EQ(fromNumber.time(), TimeOfDay{});
        EXPECT_EQ(fromNumber.weekday(), r.weekday);
    }
}

// Walks every day of the whole range with a calendar of its own, so a fault
// in the leap rules or the era arithmetic shows up wherever it happens.
TEST(DateValue, EveryDayRoundTripsAndWeekdaysCycle) {
    const int monthDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    CivilDate c{1, 1, 1};
    int n = -693593;
    int weekday = 2;
    for (;; ++n) {
        const DateValue d = DateValue::fromDayNumber(n);
        ASSERT_EQ(d.date(), c) << n;
        ASSERT_EQ(DateValue::fromDate(c), d) << n;
        ASSERT_EQ(d.weekday(), weekday) << n;
        if (c == CivilDate{9999, 12, 31}) {
            break;
        }
        const bool leap = c.year % 4 == 0 && (c.year % 100 != 0 || c.year % 400 == 0);
        const int length = c.month == 2 && leap ? 29 : monthDays[c.month - 1];
        c = c.day < length ? CivilDate{c.year, c.month, c.day + 1}
            : c.month < 12 ? CivilDate{c.year, c.month + 1, 1}
                           : CivilDate{c.year + 1, 1, 1};
        weekday = weekday % 7 + 1;
    }
    EXPECT_EQ(n, 2958465);
}

TEST(DateValue, RejectsImpossibleDatesAndTimes) {
    const CivilDate dates[] = {{2023, 2, 29}, {1900, 2, 29}, {2024, 0, 1}, {2024, 13, 1}, {2024, 1, 0},
                               {2024, 1, 32}, {2024, 4, 31}, {0, 12, 31},  {10000, 1, 1}, {-1, 1, 1}};
    for (const auto& c : dates) {
        SCOPED_TRACE(testing::Message() << c.year << '-' << c.month << '-' << c.day);
        EXPECT_FALSE(DateValue::fromDate(c));
        EXPECT_FALSE(DateValue::fromDateTime(c.year, c.month, c.day, 0, 0, 0));
    }
    const TimeOfDay times[] = {{24, 0, 0, 0},   {0, 60, 0, 0}, {0, 0, 60, 0},
                               {0, 0, 0, 1000}, {-1, 0, 0, 0}, {0, 0, 0, -1}};
    for (const auto& t : times) {
        SCOPED_TRACE(testing::Message() << t.hour << ':' << t.minute << ':' << t.second << '.' << t.millisecond);
        EXPECT_FALSE(DateValue::fromDateTime(2024, 1, 1, t.hour, t.minute, t.second, t.millisecond));
    }
    EXPECT_TRUE(DateValue::fromDateTime(2024, 2, 29, 23, 59, 59, 999));
}

TEST(DateValue, EncodesTimeForwardFromTheDateOnBothSides) {
    struct Row {
        CivilDate date;
        TimeOfDay time;
        double value;
    };
    const Row rows[] = {
        {{1899, 12, 29}, {6, 0, 0, 0}, -1.25}, {{1899, 12, 28}, {18, 0, 0, 0}, -2.75},
        {{1899, 12, 30}, {12, 0, 0, 0}, 0.5},  {{1899, 12, 31}, {6, 0, 0, 0}, 1.25},
        {{1, 1, 1}, {12, 0, 0, 0}, -693593.5}, {{9999, 12, 31}, {18, 0, 0, 0}, 2958465.75},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.value);
        const auto d =
            DateValue::fromDateTime(r.date.year, r.date.month, r.date.day, r.time.hour, r.time.minute, r.time.second);
        ASSERT_TRUE(d.has_value());
        EXPECT_EQ(d->value(), r.value);
        EXPECT_EQ(DateValue(r.value).date(), r.date);
        EXPECT_EQ(DateValue(r.value).time(), r.time);
        EXPECT_EQ(DateValue(r.value).datePart(), DateValue::fromDate(r.date));
    }
    EXPECT_EQ(DateValue(-1.25).weekday(), 6);
}

TEST(DateValue, EverySecondOfADayReadsBackExactly) {
    for (const CivilDate c : {CivilDate{1, 1, 1}, CivilDate{1899, 12, 29}, CivilDate{1899, 12, 30},
                              CivilDate{2024, 1, 1}, CivilDate{9999, 12, 31}}) {
        for (int s = 0; s < 86400; ++s) {
            const TimeOfDay t{s / 3600, s / 60 % 60, s % 60, 0};
            const auto d = DateValue::fromDateTime(c.year, c.month, c.day, t.hour, t.minute, t.second);
            ASSERT_TRUE(d.has_value());
            ASSERT_EQ(d->date(), c) << c.year << ' ' << s;
            ASSERT_EQ(d->time(), t) << c.year << ' ' << s;
        }
    }
}

TEST(DateValue, RoundsToTheMillisecondWithCarryIntoTheNextDay) {
    const double almostDay = 86'399'999.6 / 86'400'000.0;
    EXPECT_EQ(DateValue(45292 + almostDay).date(), (CivilDate{2024, 1, 2}));
    EXPECT_EQ(DateValue(45292 + almostDay).time(), TimeOfDay{});
    EXPECT_EQ(DateValue(45292 + almostDay).dayNumber(), 45293);
    EXPECT_EQ(DateValue(-1 - almostDay).date(), (CivilDate{1899, 12, 30}));
    EXPECT_EQ(DateValue(-1 - almostDay).time(), TimeOfDay{});
    EXPECT_EQ(DateValue(45292 + 86'399'999.4 / 86'400'000.0).time(), (TimeOfDay{23, 59, 59, 999}));
    EXPECT_EQ(DateValue(45292 + 37'800'000.4 / 86'400'000.0).time(), (TimeOfDay{10, 30, 0, 0}));
}

TEST(DateValue, AddMonthsClampsTheDayAndKeepsTheTime) {
    struct Row {
        CivilDate from;
        int months;
        CivilDate to;
    };
    const Row rows[] = {
        {{2024, 1, 31}, 1, {2024, 2, 29}},  {{2023, 1, 31}, 1, {2023, 2, 28}},   {{2024, 3, 31}, -1, {2024, 2, 29}},
        {{2024, 2, 29}, 12, {2025, 2, 28}}, {{2024, 1, 15}, -1, {2023, 12, 15}}, {{2024, 1, 15}, -25, {2021, 12, 15}},
        {{2023, 12, 31}, 2, {2024, 2, 29}}, {{2024, 5, 31}, 1, {2024, 6, 30}},   {{2000, 2, 29}, 1200, {2100, 2, 28}},
        {{1899, 12, 29}, 1, {1900, 1, 29}}, {{1900, 1, 29}, -1, {1899, 12, 29}}, {{1900, 2, 28}, 0, {1900, 2, 28}},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(testing::Message() << r.from.year << '-' << r.from.month << '-' << r.from.day << " + "
                                        << r.months);
        const auto from = DateValue::fromDateTime(r.from.year, r.from.month, r.from.day, 6, 30, 15);
        const auto to = DateValue::fromDateTime(r.to.year, r.to.month, r.to.day, 6, 30, 15);
        ASSERT_TRUE(from && to);
        EXPECT_EQ(from->addMonths(r.months), *to);
    }
    EXPECT_EQ(DateValue::fromDate(2024, 2, 29)->addYears(1), DateValue::fromDate(2025, 2, 28));
    EXPECT_EQ(DateValue::fromDate(2024, 2, 29)->addYears(-4), DateValue::fromDate(2020, 2, 29));
}

TEST(DateValue, StartOfMonthDropsTheTime) {
    EXPECT_EQ(DateValue::fromDateTime(2024, 2, 29, 18, 0, 0)->startOfMonth().value(), 45323.0);
    EXPECT_EQ(DateValue(-1.25).startOfMonth().value(), -29.0);
}

TEST(DateValue, LeapYearsAndMonthLengths) {
    for (const int year : {1600, 2000, 2024}) {
        EXPECT_TRUE(isLeapYear(year)) << year;
    }
    for (const int year : {1900, 2100, 2023}) {
        EXPECT_FALSE(isLeapYear(year)) << year;
    }
    const int lengths[][3] = {{2024, 2, 29}, {1900, 2, 28}, {2023, 4, 30}, {2023, 12, 31}, {2023, 0, 0}, {2023, 13, 0}};
    for (const auto& l : lengths) {
        EXPECT_EQ(daysInMonth(l[0], l[1]), l[2]) << l[0] << '-' << l[1];
    }
}

TEST(DateValue, Ranges) {
    EXPECT_EQ(absoluteDateRange().first.value(), -693593);
    EXPECT_EQ(absoluteDateRange().last.value(), 2958465);
    const DateRange nav = navigableDateRange();
    EXPECT_EQ(nav.first.value(), 2);
    EXPECT_EQ(nav.last.value(), 73415);
    EXPECT_TRUE(nav.contains(*DateValue::fromDateTime(2100, 12, 31, 23, 59, 59)));
    EXPECT_FALSE(nav.contains(*DateValue::fromDate(2101, 1, 1)));
    EXPECT_FALSE(nav.contains(*DateValue::fromDateTime(1899, 12, 31, 12, 0, 0)));
}

} // namespace
} // namespace velmora
