#pragma once

#include <compare>
#include <optional>

namespace velmora {

// A civil date of the proleptic Gregorian calendar.
struct CivilDate {
    int year = 1899;
    int month = 12;
    int day = 30;
    friend auto operator<=>(const CivilDate&, const CivilDate&) = default;
};

// Time of day; seconds are whole, milliseconds are kept for arithmetic only.
struct TimeOfDay {
    int hour = 0;
    int minute = 0;
    int second = 0;
    int millisecond = 0;
    friend auto operator<=>(const TimeOfDay&, const TimeOfDay&) = default;
};

// The program's date-time unit: days since 1899-12-30 00:00 as a double.
// The whole part (truncated toward zero) is the date, the magnitude of the
// fraction is the time of day, as the data files and other computers expect.
// Valid for 0001-01-01 .. 9999-12-31.
class DateValue {
public:
    constexpr DateValue() = default;
    constexpr explicit DateValue(double value) : m_value(value) {}

    // nullopt when the date does not exist (2023/02/29, month 13) or lies
    // outside 0001-01-01 .. 9999-12-31.
    static std::optional<DateValue> fromDate(int year, int month, int day);
    static std::optional<DateValue> fromDateTime(int year, int month, int day, int hour, int minute, int second,
                                                 int millisecond = 0);
    static std::optional<DateValue> fromDate(const CivilDate& date) {
        return fromDate(date.year, date.month, date.day);
    }
    static constexpr DateValue fromDayNumber(int dayNumber) { return DateValue(static_cast<double>(dayNumber)); }

    constexpr double value() const { return m_value; }
    // Whole part: the date as a day number (0 = 1899-12-30).
    int dayNumber() const;
    DateValue datePart() const { return fromDayNumber(dayNumber()); }

    CivilDate date() const;
    TimeOfDay time() const;
    int year() const { return date().year; }
    int month() const { return date().month; }
    int day() const { return date().day; }

    // 1 = Sunday .. 7 = Saturday.
    int weekday() const;

    DateValue addDays(int days) const { return DateValue(m_value + days); }
    // Month arithmetic that keeps the time of day and clamps the day to the
    // length of the target month (2024/01/31 + 1 month = 2024/02/29).
    DateValue addMonths(int months) const;
    DateValue addYears(int years) const { return addMonths(years * 12); }
    // First day of this date's month, time dropped.
    DateValue startOfMonth() const;

    friend constexpr auto operator<=>(const DateValue&, const DateValue&) = default;

private:
    double m_value = 0.0;
};

bool isLeapYear(int year);
// 28..31; 0 for a month outside 1..12.
int daysInMonth(int year, int month);

// The bounds of every date the program handles, and of navigation.
inline constexpr int kMinYear = 1;
inline constexpr int kMaxYear = 9999;

struct DateRange {
    DateValue first;
    DateValue last;
    bool contains(DateValue d) const { return d.dayNumber() >= first.dayNumber() && d.dayNumber() <= last.dayNumber(); }
};

// 0001-01-01 .. 9999-12-31: nothing outside is drawn or reminded.
DateRange absoluteDateRange();
// 1900-01-01 .. 2100-12-31: the bounds of pickers and desktop navigation.
DateRange navigableDateRange();

} // namespace velmora
