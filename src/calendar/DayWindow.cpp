#include "calendar/DayWindow.h"

#include "settings/DrawingSettings.h"

#include "settings/Settings.h"

namespace velmora {

DaySpan multiMonthSpan(const Settings& s, DateValue displayMonth) {
    const int cols = s.yDrawCol > 0 ? s.yDrawCol : 1;
    const int rows = s.yDrawRow > 0 ? s.yDrawRow : 1;
    const DateValue month = displayMonth.startOfMonth();
    DateValue first;
    if (s.yDrawPos == -1) {
        first = *DateValue::fromDate(month.year(), 1, 1);
    } else {
        // The blocks are numbered in drawing order; a position counts down the
        // columns when the blocks fill row by row.
        const int pos = s.yDrawTate != 0 ? s.yDrawPos : (s.yDrawPos % rows) * cols + (s.yDrawPos / rows) % cols;
        first = month.addMonths(-pos);
    }
    return DaySpan{first, first.addMonths(cols * rows).addDays(-1)};
}

DaySpan dayWindow(const Settings& s, DateValue displayMonth) {
    const DateValue month = displayMonth.startOfMonth();
    if (s.calenFlag != 1) {
        return DaySpan{month.addDays(-10), month.addDays(80)};
    }
    // Callers outside the drawing hand the settings as the file held them.
    const DaySpan span = multiMonthSpan(drawingSettings(s), month);
    const int length = span.last.dayNumber() - span.first.dayNumber() + 10;
    return DaySpan{span.first.addDays(-10), span.first.addDays(length)};
}

} // namespace velmora
