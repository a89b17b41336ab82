#include "core/DateText.h"

#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

namespace velmora {
namespace {

TEST(DateText, FormatsWithZeroPadding) {
    struct Row {
        DateValue value;
        const char *date, *dateTime, *monthDay, *yearMonth, *hourMinute, *time;
    };
    const Row rows[] = {
        {*DateValue::fromDate(1, 1, 1), "0001/01/01", "0001/01/01 00:00:00", "01/01", "000101", "00:00", "00:00:00"},
        {DateValue(-1.25), "1899/12/29", "1899/12/29 06:00:00", "12/29", "189912", "06:00", "06:00:00"},
        {*DateValue::fromDateTime(2024, 2, 9, 8, 5, 3), "2024/02/09", "2024/02/09 08:05:03", "02/09", "202402", "08:05",
         "08:05:03"},
        {*DateValue::fromDateTime(9999, 12, 31, 23, 59, 59), "9999/12/31", "9999/12/31 23:59:59", "12/31", "999912",
         "23:59", "23:59:59"},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.dateTime);
        EXPECT_EQ(formatDate(r.value), r.date);
        EXPECT_EQ(formatDateTime(r.value), r.dateTime);
        EXPECT_EQ(formatMonthDay(r.value), r.monthDay);
        EXPECT_EQ(formatYearMonth(r.value), r.yearMonth);
        EXPECT_EQ(formatHourMinute(r.value), r.hourMinute);
        EXPECT_EQ(formatTime(r.value), r.time);
    }
    // A clock never shows a second or minute that has not begun.
    const DateValue late = *DateValue::fromDateTime(2024, 1, 1, 12, 34, 59, 999);
    EXPECT_EQ(formatTime(late), "12:34:59");
    EXPECT_EQ(formatHourMinute(late), "12:34");
}

TEST(DateText, ParsesValidTexts) {
    EXPECT_EQ(parseDate("2024/02/29"), DateValue::fromDate(2024, 2, 29));
    EXPECT_EQ(parseDate("0001/01/01"), DateValue(-693593));
    EXPECT_EQ(parseDate("9999/12/31"), DateValue(2958465));
    EXPECT_EQ(parseDateTime("1899/12/29 06:00:00"), DateValue(-1.25));
    EXPECT_EQ(parseDateTime("2024/01/01 13:14:15"), DateValue::fromDateTime(2024, 1, 1, 13, 14, 15));
    EXPECT_EQ(parseYearMonth("202402"), DateValue(45323));
    EXPECT_EQ(parseYearMonth("000101"), DateValue(-693593));

    const auto leapDay = parseMonthDay("02/29");
    ASSERT_TRUE(leapDay.has_value());
    EXPECT_EQ(leapDay->month, 2);
    EXPECT_EQ(leapDay->day, 29);
    const auto lastDay = parseMonthDay("12/31");
    ASSERT_TRUE(lastDay.has_value());
    EXPECT_EQ(lastDay->month, 12);
    EXPECT_EQ(lastDay->day, 31);

    EXPECT_EQ(parseHourMinute("00:00"), 0.0);
    EXPECT_EQ(parseHourMinute("12:00"), 0.5);
    EXPECT_DOUBLE_EQ(*parseHourMinute("23:59"), 1439.0 / 1440.0);
    EXPECT_EQ(parseTime("06:00:00"), 0.25);
    EXPECT_DOUBLE_EQ(*parseTime("23:59:59"), 86399.0 / 86400.0);
    // A parsed time added to a parsed date is the value built from the parts.
    EXPECT_EQ(parseDate("2024/01/01")->value() + *parseTime("13:14:15"),
              DateValue::fromDateTime(2024, 1, 1, 13, 14, 15)->value());
}

TEST(DateText, RejectsAnythingButTheExactForm) {
    struct Form {
        const char* name;
        bool (*accepts)(std::string_view);
        std::vector<std::string_view> rejected;
    };
    const Form forms[] = {
        {"date",
         [](std::string_view t) { return parseDate(t).has_value(); },
         {"2023/02/29", "1900/02/29", "2024/13/01", "2024/00/10", "2024/01/00", "2024/04/31", "2024/01/32",
          "0000/01/01", "2024-01-01", "2024/1/01", "24/01/01", " 2024/01/01", "2024/01/01 ", "+024/01/01", "2024/01/-1",
          "2024/01/0a", "2024/01/011", ""}},
        {"date time",
         [](std::string_view t) { return parseDateTime(t).has_value(); },
         {"2024/01/01 24:00:00", "2024/01/01 12:60:00", "2024/01/01 12:00:60", "2024/01/01T12:00:00",
          "2024/01/01 12:00", "2024/01/01  12:00:00", "2023/02/29 00:00:00", "2024/01/01"}},
        {"year month",
         [](std::string_view t) { return parseYearMonth(t).has_value(); },
         {"202413", "202400", "000001", "2024/02", "20242", "2024021", " 202402"}},
        {"month day",
         [](std::string_view t) { return parseMonthDay(t).has_value(); },
         {"02/30", "04/31", "13/01", "00/10", "01/00", "2/29", "02-29", "02/29 "}},
        {"hour minute",
         [](std::string_view t) { return parseHourMinute(t).has_value(); },
         {"24:00", "12:60", "1:00", "12:00:00", "12-00", " 12:00", "-1:00", "+1:00"}},
        {"time",
         [](std::string_view t) { return parseTime(t).has_value(); },
         {"24:00:00", "23:60:00", "23:59:60", "12:00", "12:00:00.5", "12:0:00"}},
    };
    for (const Form& form : forms) {
        for (const std::string_view text : form.rejected) {
            EXPECT_FALSE(form.accepts(text)) << form.name << " took '" << text << "'";
        }
    }
}

// Zero padding makes text order the same as date order, so every formatted
// day must sort after the one before it and parse back to itself.
TEST(DateText, EveryDayRoundTripsThroughText) {
    const int first = DateValue::fromDate(1800, 1, 1)->dayNumber();
    const int last = DateValue::fromDate(2200, 12, 31)->dayNumber();
    std::string previous;
    for (int n = first; n <= last; ++n) {
        const DateValue d = DateValue::fromDayNumber(n);
        const std::string text = formatDate(d);
        ASSERT_LT(previous, text) << n;
        if (n == first) {
            EXPECT_EQ(text, "1800/01/01");
        }
        ASSERT_EQ(parseDate(text), d) << text;
        // A time that differs from day to day, on both sides of day 0.
        const int s = static_cast<int>((static_cast<long long>(n) * 7919 % 86400 + 86400) % 86400);
        const DateValue withTime =
            *DateValue::fromDateTime(d.year(), d.month(), d.day(), s / 3600, s / 60 % 60, s % 60);
        ASSERT_EQ(parseDateTime(formatDateTime(withTime)), withTime) << formatDateTime(withTime);
        previous = text;
    }
    EXPECT_EQ(previous, "2200/12/31");
}

} // namespace
} // namespace velmora
