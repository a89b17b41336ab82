#pragma once

#include "core/DateValue.h"

#include <optional>
#include <string>
#include <string_view>

namespace velmora {

// The fixed date and time texts of the data files. "/" is always the date
// separator, whatever the locale. Parsing is strict: the exact digit counts of
// the form, and a date that does not exist is an error, never a wrap.

std::string formatDate(DateValue d);       // "yyyy/mm/dd"
std::string formatMonthDay(DateValue d);   // "mm/dd"
std::string formatYearMonth(DateValue d);  // "yyyymm"
std::string formatDateTime(DateValue d);   // "yyyy/mm/dd hh:nn:ss"
std::string formatHourMinute(DateValue d); // "hh:nn"
std::string formatTime(DateValue d);       // "hh:nn:ss"

std::optional<DateValue> parseDate(std::string_view text);      // "yyyy/mm/dd"
std::optional<DateValue> parseDateTime(std::string_view text);  // "yyyy/mm/dd hh:nn:ss"
std::optional<DateValue> parseYearMonth(std::string_view text); // "yyyymm": the first of that month

struct MonthDay {
    int month = 0;
    int day = 0;
};
// "mm/dd" as a yearly key: any day that some year has (02/29 included).
std::optional<MonthDay> parseMonthDay(std::string_view text);

// "hh:nn" and "hh:nn:ss": the time as a fraction of a day (0 <= t < 1).
std::optional<double> parseHourMinute(std::string_view text);
std::optional<double> parseTime(std::string_view text);

} // namespace velmora
