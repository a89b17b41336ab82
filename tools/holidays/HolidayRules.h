#pragma once

#include "core/DateValue.h"
#include "core/NameValueList.h"

#include <string>
#include <string_view>
#include <vector>

// The rules file of the holiday templates (its format is described at the top
// of holidays.rules) and the template sections made from it.
namespace velmora::holidaygen {

// A FROMTO period: "yyyy/mm/dd" texts, "" for an open end.
struct Period {
    std::string from;
    std::string to;
};

struct FixedHoliday {
    int month = 0;
    int day = 0;
    std::string name;
};

struct YearlyHoliday {
    int month = 0;
    int day = 0;
    std::string name;
    std::vector<Period> periods; // one entry each
};

struct WeeklyHoliday {
    int month = 0;
    int nth = 0;     // 1..5
    int weekday = 0; // 1 = Sunday .. 7 = Saturday
    std::string name;
    std::vector<Period> periods;
};

struct DatedHoliday {
    DateValue date;
    std::string name;
};

// Days of this name the generator fills in from the law where the engine
// misses them, over these years.
struct LawFill {
    std::string name;
    int firstYear = 0;
    int lastYear = 0;
};

struct HolidayRules {
    std::vector<FixedHoliday> fixed;
    std::vector<YearlyHoliday> yearly;
    std::vector<WeeklyHoliday> weekly;
    std::vector<DatedHoliday> dated;
    std::vector<LawFill> fromLaw;
};

// Throws std::runtime_error naming the line for anything it does not understand.
HolidayRules parseRules(std::string_view text);

// The HOLIDAY section of the settings template and the sections of the
// schedule data template, as the program holds them in memory.
struct Templates {
    NameValueList holidayList;
    NameValueList day;
    NameValueList year;
    NameValueList week;
    NameValueList fromTo;
    NameValueList holidayOptions;

    // Appends a holiday-flagged entry to the dated list of `date`.
    void addDated(DateValue date, const std::string& name);
    // The schedule data template as CP932 bytes: the entry-list sections
    // sorted as the program's save sorts them, HOLIDAYOPT in rules order.
    std::string scheduleFileBytes() const;
};

// Everything but the days filled in from the law.
Templates buildTemplates(const HolidayRules& rules);

} // namespace velmora::holidaygen
