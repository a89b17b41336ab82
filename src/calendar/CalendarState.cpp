#include "calendar/CalendarState.h"

#include "schedule/ScheduleStore.h"
#include "settings/Settings.h"

namespace velmora {

HolidaySources holidaySourcesOf(const ScheduleStore& store) {
    return HolidaySources{store.section(ScheduleSection::HolidayOpt), store.section(ScheduleSection::FromTo),
                          store.section(ScheduleSection::Week)};
}

void CalendarState::holidayPass(const Settings& settings, DateValue displayMonth, const ScheduleStore& store,
                                DateValue today) {
    holidays.computeHolidays(settings, displayMonth, holidaySourcesOf(store));
    const bool fullPass = settings.calenFlag != 1 || settings.qv == 1;
    if (!fullPass) {
        return;
    }
    buildMovedEntries(moved, store, holidays, dayWindow(settings, displayMonth), today);
    if (settings.rikuyou == 1 || settings.kyureki == 1) {
        oldDays.build(lunarMonths, displayMonth.startOfMonth());
    }
}

} // namespace velmora
