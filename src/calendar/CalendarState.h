#pragma once

#include "calendar/Holidays.h"
#include "calendar/OldCalendar.h"

#include <vector>

namespace velmora {

// The holiday and old-calendar lists of the main window: the fixed holiday
// list and the lunar month list live for the run, the computed holidays and
// the old-calendar days are rebuilt by every drawing pass.
struct CalendarState {
    explicit CalendarState(const NameValueList& holidayList = {})
        : holidays(holidayList), lunarMonths(buildLunarMonthList()) {}

    // The holiday and old-calendar steps of a drawing pass. The old-calendar
    // days are built only when they are shown (rokuyou or old dates on; in the
    // several-months view only with the quick view as well).
    void holidayPass(const Settings& settings, DateValue displayMonth, const HolidaySources& sources);

    HolidayCalendar holidays;
    std::vector<LunarMonthStart> lunarMonths;
    OldCalendarDays oldDays;
};

} // namespace velmora
