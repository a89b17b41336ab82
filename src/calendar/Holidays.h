#pragma once

#include "calendar/DayWindow.h"
#include "core/DateValue.h"
#include "core/NameValueList.h"

#include <map>
#include <string>

namespace velmora {

struct Settings;

// The names the program gives the holidays it makes itself.
inline constexpr const char* kSubstituteHoliday = "振替休日";
inline constexpr const char* kSpringEquinoxDay = "春分の日";
inline constexpr const char* kAutumnEquinoxDay = "秋分の日";
inline constexpr const char* kNationalHoliday = "国民の休日";

// What a holiday pass reads of the schedule data.
struct HolidaySources {
    const NameValueList& holidayOptions; // HOLIDAYOPT: entry key = holiday name
    const NameValueList& periods;        // FROMTO: entry key = "yyyy/mm/dd-yyyy/mm/dd"
    const NameValueList& weekly;         // WEEK: the WeekRule of entry key + "OPT"
};

// Which dates are holidays and under which name: the fixed-date list the user
// keeps (HOLIDAY in the settings), and the holidays one drawing pass computes
// for its day window (substitute holidays, equinox days, the national holiday
// of September, holiday-flagged entries).
class HolidayCalendar {
public:
    explicit HolidayCalendar(const NameValueList& holidayList = {});

    // The holiday steps of a drawing pass: rebuilds the computed holidays for
    // the window of the displayed month.
    void computeHolidays(const Settings& settings, DateValue displayMonth, const HolidaySources& sources);

    // The holiday name of a date, "" when it is none. The fixed list wins over
    // the computed holidays; "成人の日" and "体育の日" of the fixed list count
    // only up to 1999.
    std::string lookup(DateValue date) const;
    // The fixed list's name for "mm/dd" of the date, without the 1999 rule
    // and without the computed holidays (the schedule list's colouring).
    std::string fixedName(DateValue date) const;

    // Day number -> name, as the last pass left them.
    const std::map<int, std::string>& computed() const { return m_computed; }

private:
    std::string fixedNameWithRule(DateValue date) const;
    void setComputed(DateValue date, const std::string& name);
    void substituteAfter(DateValue date, bool furikae);

    std::map<int, std::string> m_fixed; // month * 100 + day -> name, first line wins
    std::map<int, std::string> m_computed;
};

// The substitute-holiday law came into force on this day; before it no
// holiday moved off a Sunday.
DateValue substituteHolidaysSince();

} // namespace velmora
