#pragma once

#include "core/DateValue.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace velmora {

// The comma-separated fields of a rule value, empty fields kept.
std::vector<std::string> ruleFields(std::string_view value);

// A month passes a MonthFilter of twelve "1"/"0" when its character is "1";
// "0" passes every month; any other value passes when it is the month's number.
bool monthFilterPasses(std::string_view filter, int month);

// IntervalRule "weeks,months,years,yyyymmdd": true when all counts are 0,
// otherwise the last non-zero count decides (weeks, then months, then years)
// whether the distance from the base date is a multiple of count + 1, also
// before the base date. A value without exactly four fields always holds.
bool intervalHolds(std::string_view value, DateValue date);

// FROMTO "yyyy/mm/dd-yyyy/mm/dd" ("_" in the first character of a part for an
// open end), compared as text: false when the date lies outside.
bool periodAdmits(std::string_view value, DateValue date);

// The output-pattern selection (seven characters: patterns 1-5, invert, show
// all) against an entry's six pattern characters (the sixth: always shown).
bool patternFilter(std::string_view selection, std::string_view patterns, bool force);

// Where a repeating entry moves when its day is not acceptable.
struct ShiftRule {
    bool saturday = false;
    bool sunday = false;
    bool holiday = false;
    int mode = 1; // 0 previous acceptable day, 1 next, 2 one day earlier, 3 one day later, 4 cancel
    int offset = 0;
    std::optional<std::string> monthFilter; // monthly rules only: a sixth field

    static ShiftRule parse(std::string_view value);
    // The entry is placed by the moved-entry pass rather than on its own day.
    bool moves() const { return saturday || sunday || holiday || mode == 2 || mode == 3 || offset != 0; }
};

// Which weeks of the month a weekly entry applies in (the week of day d is
// (d - 1) div 7), with an optional sixth-field MonthFilter.
struct WeekRule {
    std::vector<std::string> fields;

    static WeekRule parse(std::string_view value) { return WeekRule{ruleFields(value)}; }
    // The week's flag, "" when the value has no such field.
    std::string weekFlag(int dayOfMonth) const;
    bool hasMonthFilter() const { return fields.size() == 6; }
    const std::string& monthFilter() const { return fields[5]; }
};

inline constexpr std::string_view kDefaultShiftRule = "0,0,0,1";
inline constexpr std::string_view kDefaultMonthlyShiftRule = "0,0,0,1,0";
inline constexpr std::string_view kDefaultWeekRule = "1,1,1,1,1,0";

} // namespace velmora
