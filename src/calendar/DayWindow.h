#pragma once

#include "core/DateValue.h"

namespace velmora {

struct Settings;

// The first and last day a view shows or a pass examines (both included).
struct DaySpan {
    DateValue first;
    DateValue last;
    bool contains(DateValue d) const { return d.dayNumber() >= first.dayNumber() && d.dayNumber() <= last.dayNumber(); }
};

// The months of the several-months view: S, the first day of the first block,
// and E, the last day of the last block.
DaySpan multiMonthSpan(const Settings& settings, DateValue displayMonth);

// The days one drawing pass examines: in the one-month view the displayed
// month's first day - 10 .. + 80; in the several-months view S - 10 ..
// S + trunc(E - S + 10).
DaySpan dayWindow(const Settings& settings, DateValue displayMonth);

} // namespace velmora
