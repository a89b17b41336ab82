#pragma once

#include "calendar/Holidays.h"
#include "calendar/OldCalendar.h"
#include "schedule/EntriesForDate.h"

#include <vector>

namespace velmora {

// The holiday and old-calendar lists of the main window: the fixed holiday
// list and the lunar month list live for the run, the computed holidays and
// the old-calendar days are rebuilt by every drawing pass.
struct CalendarState {
    explicit CalendarState(const NameValueList& holidayList = {})
        : holidays(holidayList), lunarMonths(buildLunarMonthList()) {}

    // The first steps of a drawing pass: the holidays, the moved entries and
    // the old-calendar days of the window around the displayed month. In the
    // several-months view the last two run only with the quick view on; the
    // old-calendar days only when they are shown (rokuyou or old dates on).
    void holidayPass(const Settings& settings, DateValue displayMonth, const ScheduleStore& store, DateValue today);

    EntryContext entryContext(const ScheduleStore& store, const Settings& settings) const {
        return EntryContext{store, settings, holidays, moved};
    }

    HolidayCalendar holidays;
    std::vector<LunarMonthStart> lunarMonths;
    OldCalendarDays oldDays;
    MovedEntries moved;
};

// The schedule data a holiday pass reads.
HolidaySources holidaySourcesOf(const ScheduleStore& store);

} // namespace velmora
