#pragma once

#include "render/DrawState.h"

namespace velmora {

// The frame of every pass: the tint of the calendar area, the title line
// with its arrows and the year/month text, and the click areas over it.
// Sets the margins, the title geometry and TitleHeight in `state`.
void drawFrame(Canvas& canvas, const RenderInputs& in, DrawState& state);

// The one-month grid: GridStart (with the shift that brings today's week to
// row ADJST when asked), 5 or 6 rows, the cell size, the lines and the
// weekday header.
void drawGrid(Canvas& canvas, const RenderInputs& in, DrawState& state);

// The cells: day numbers, today mark, holiday names and the old-calendar
// line; then the entries in plain, wrapped or mark mode.
void drawDateStep(Canvas& canvas, const RenderInputs& in, DrawState& state);
void drawEntryStep(Canvas& canvas, const RenderInputs& in, DrawState& state);

// The year/month text of the title line: "  2026/12  " (one month) or "  2026  ".
std::string yearMonthText(const Settings& settings, DateValue displayMonth);

} // namespace velmora
