#pragma once

#include "core/DateValue.h"

#include <map>
#include <optional>
#include <string>
#include <vector>

// The Japanese public-holiday law with its history, computed from the law's
// own terms rather than from the calendar engine, so that the holiday
// templates can be checked against it for the years no official list covers.
namespace velmora::holidaylaw {

// The kinds the official list tells apart.
enum class DayKind {
    Named,      // 祝日: a holiday the law names
    Substitute, // 振替休日: the day off for a named holiday on a Sunday
    Between,    // 国民の休日: a day between two named holidays
    Special,    // 特別: a one-off day set by a law of its own
};

struct LawDay {
    DateValue date;
    // The holiday's name; substitutes and days between holidays carry the
    // names the calendar gives them ("振替休日", "国民の休日").
    std::string name;
    DayKind kind = DayKind::Named;
};

// The years the law below is written for: from its first full year to the
// end of the equinox coefficients.
inline constexpr int kFirstLawYear = 1949;
inline constexpr int kLastLawYear = 2150;

// Every day off of the year by the law then in force, in date order. Empty
// outside kFirstLawYear..kLastLawYear.
std::vector<LawDay> daysOffByLaw(int year);

// The day in March and in September of the equinox days by the observatory's
// formula; nullopt outside 1900..2150.
std::optional<int> springEquinoxDay(int year);
std::optional<int> autumnEquinoxDay(int year);

// Holiday names by day number, as the checks compare them.
using DayNames = std::map<int, std::string>;
// Every day off by the law in the years.
DayNames lawDays(int firstYear, int lastYear);
// The days of `days` that lie in the years.
DayNames inYears(const DayNames& days, int firstYear, int lastYear);

} // namespace velmora::holidaylaw
