#include "core/DateValue.h"

#include <cmath>
#include <cstdint>
#include <limits>

namespace velmora {

namespace {

constexpr std::int64_t kMsPerDay = 86'400'000;

// Day number of 1970-01-01, the epoch of the civil algorithms below.
constexpr std::int64_t kUnixEpochDay = 25'569;

constexpr std::int64_t floorDiv(std::int64_t a, std::int64_t b) {
    const std::int64_t q = a / b;
    return (a % b != 0 && ((a < 0) != (b < 0))) ? q - 1 : q;
}

// Days since 1970-01-01 of a proleptic Gregorian date (Hinnant's algorithm:
// years start in March so the leap day is the last day of the year).
constexpr std::int64_t daysFromCivil(std::int64_t y, int m, int d) {
    y -= m <= 2 ? 1 : 0;
    const std::int64_t era = floorDiv(y, 400);
    const std::int64_t yoe = y - era * 400;                                   // [0, 399]
    const std::int64_t doy = (153 * (m > 2 ? m - 3 : m + 9) + 2) / 5 + d - 1; // [0, 365]
    const std::int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;           // [0, 146096]
    return era * 146'097 + doe - 719'468;
}

constexpr CivilDate civilFromDays(std::int64_t z) {
    z += 719'468;
    const std::int64_t era = floorDiv(z, 146'097);
    const std::int64_t doe = z - era * 146'097;                                       // [0, 146096]
    const std::int64_t yoe = (doe - doe / 1460 + doe / 36'524 - doe / 146'096) / 365; // [0, 399]
    const std::int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);                 // [0, 365]
    const std::int64_t mp = (5 * doy + 2) / 153;                                      // [0, 11]
    const int d = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    const int m = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    const std::int64_t y = yoe + era * 400 + (m <= 2 ? 1 : 0);
    return CivilDate{static_cast<int>(y), m, d};
}

constexpr std::int64_t dayNumberOf(std::int64_t y, int m, int d) {
    return daysFromCivil(y, m, d) + kUnixEpochDay;
}

constexpr CivilDate civilOfDayNumber(std::int64_t dayNumber) {
    return civilFromDays(dayNumber - kUnixEpochDay);
}

static_assert(dayNumberOf(1899, 12, 30) == 0);
static_assert(dayNumberOf(1, 1, 1) == -693'593);
static_assert(dayNumberOf(9999, 12, 31) == 2'958'465);

struct Split {
    std::int64_t day = 0;
    std::int64_t msOfDay = 0; // [0, kMsPerDay)
};

// The fraction is rounded to the millisecond before the split, so a value
// written from whole seconds reads back exactly and 23:59:59.9996 becomes the
// next day's midnight rather than a day with a 24:00 time.
Split split(double value) {
    if (std::isnan(value)) {
        return {};
    }
    // Keeps the integer conversions defined for any double.
    constexpr double kLimit = static_cast<double>(std::numeric_limits<int>::max() - 1);
    if (value > kLimit) {
        value = kLimit;
    } else if (value < -kLimit) {
        value = -kLimit;
    }
    const double whole = std::trunc(value);
    Split s;
    s.day = static_cast<std::int64_t>(whole);
    s.msOfDay = std::llround(std::fabs(value - whole) * static_cast<double>(kMsPerDay));
    if (s.msOfDay >= kMsPerDay) {
        // The time of day counts forward from the date whatever the sign.
        s.msOfDay -= kMsPerDay;
        s.day += 1;
    }
    return s;
}

// Negative day numbers carry the time as a subtracted fraction, so the
// magnitude of the fraction is always the time after the date's midnight.
double encode(std::int64_t day, std::int64_t msOfDay) {
    const double fraction = static_cast<double>(msOfDay) / static_cast<double>(kMsPerDay);
    const double whole = static_cast<double>(day);
    return day < 0 ? whole - fraction : whole + fraction;
}

constexpr bool isLeap(std::int64_t year) {
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

constexpr int monthLength(std::int64_t year, int month) {
    constexpr int kLengths[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (month < 1 || month > 12) {
        return 0;
    }
    return month == 2 && isLeap(year) ? 29 : kLengths[month - 1];
}

bool isValidDate(int year, int month, int day) {
    return year >= kMinYear && year <= kMaxYear && day >= 1 && day <= daysInMonth(year, month);
}

} // namespace

bool isLeapYear(int year) {
    return isLeap(year);
}

int daysInMonth(int year, int month) {
    return monthLength(year, month);
}

std::optional<DateValue> DateValue::fromDate(int year, int month, int day) {
    if (!isValidDate(year, month, day)) {
        return std::nullopt;
    }
    return DateValue(static_cast<double>(dayNumberOf(year, month, day)));
}

std::optional<DateValue> DateValue::fromDateTime(int year, int month, int day, int hour, int minute, int second,
                                                 int millisecond) {
    if (!isValidDate(year, month, day) || hour < 0 || hour > 23 || minute < 0 || minute > 59 || second < 0 ||
        second > 59 || millisecond < 0 || millisecond > 999) {
        return std::nullopt;
    }
    const std::int64_t ms = ((static_cast<std::int64_t>(hour) * 60 + minute) * 60 + second) * 1000 + millisecond;
    return DateValue(encode(dayNumberOf(year, month, day), ms));
}

int DateValue::dayNumber() const {
    return static_cast<int>(split(m_value).day);
}

CivilDate DateValue::date() const {
    return civilOfDayNumber(split(m_value).day);
}

TimeOfDay DateValue::time() const {
    const std::int64_t ms = split(m_value).msOfDay;
    TimeOfDay t;
    t.hour = static_cast<int>(ms / 3'600'000);
    t.minute = static_cast<int>(ms / 60'000 % 60);
    t.second = static_cast<int>(ms / 1000 % 60);
    t.millisecond = static_cast<int>(ms % 1000);
    return t;
}

int DateValue::weekday() const {
    // Day 0 was a Saturday; the floor modulo keeps earlier days on the cycle.
    const std::int64_t day = split(m_value).day;
    return static_cast<int>(((day + 6) % 7 + 7) % 7) + 1;
}

DateValue DateValue::addMonths(int months) const {
    const Split s = split(m_value);
    const CivilDate c = civilOfDayNumber(s.day);
    const std::int64_t index = static_cast<std::int64_t>(c.year) * 12 + (c.month - 1) + months;
    const std::int64_t year = floorDiv(index, 12);
    const int month = static_cast<int>(index - year * 12) + 1;
    const int length = monthLength(year, month);
    const int day = c.day < length ? c.day : length;
    return DateValue(encode(dayNumberOf(year, month, day), s.msOfDay));
}

DateValue DateValue::startOfMonth() const {
    const CivilDate c = date();
    return fromDayNumber(static_cast<int>(dayNumberOf(c.year, c.month, 1)));
}

DateRange absoluteDateRange() {
    return {DateValue::fromDayNumber(static_cast<int>(dayNumberOf(kMinYear, 1, 1))),
            DateValue::fromDayNumber(static_cast<int>(dayNumberOf(kMaxYear, 12, 31)))};
}

DateRange navigableDateRange() {
    return {DateValue::fromDayNumber(static_cast<int>(dayNumberOf(1900, 1, 1))),
            DateValue::fromDayNumber(static_cast<int>(dayNumberOf(2100, 12, 31)))};
}

} // namespace velmora
