#include "calendar/CalendarState.h"

#include "settings/Settings.h"

namespace velmora {

void CalendarState::holidayPass(const Settings& settings, DateValue displayMonth, const HolidaySources& sources) {
    holidays.computeHolidays(settings, displayMonth, sources);
    const bool shown = settings.rikuyou == 1 || settings.kyureki == 1;
    if (shown && (settings.calenFlag != 1 || settings.qv == 1)) {
        oldDays.build(lunarMonths, displayMonth.startOfMonth());
    }
}

} // namespace velmora
