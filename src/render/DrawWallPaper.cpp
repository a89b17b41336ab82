#include "render/DrawWallPaper.h"

#include "calendar/CalendarState.h"
#include "render/MonthView.h"
#include "render/YearView.h"
#include "settings/Settings.h"

namespace velmora {

void drawCalendar(Canvas& canvas, const RenderInputs& in, DrawState& state) {
    in.calendar.holidayPass(in.settings, in.displayMonth, in.store, in.now.datePart());
    drawFrame(canvas, in, state);
    if (in.settings.calenFlag == 1) {
        drawYearStep(canvas, in, state);
        return;
    }
    drawGrid(canvas, in, state);
    drawDateStep(canvas, in, state);
    drawEntryStep(canvas, in, state);
}

} // namespace velmora
