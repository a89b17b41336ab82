#include "render/DrawWallPaper.h"

#include "calendar/CalendarState.h"
#include "render/MonthView.h"
#include "render/YearView.h"
#include "settings/DrawingSettings.h"

namespace velmora {

void drawCalendar(Canvas& canvas, const RenderInputs& raw, DrawState& state) {
    // A hand-edited number (ShadowWidth=2147483647) must not make the pass run
    // for ever or overflow; the user's own settings stay as they are.
    const Settings settings = drawingSettings(raw.settings);
    const RenderInputs in{settings, raw.store, raw.calendar, raw.now, raw.displayMonth, raw.adjust, raw.printMode};
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
