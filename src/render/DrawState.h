#pragma once

#include "core/DateValue.h"
#include "render/Canvas.h"

#include <string>
#include <vector>

namespace velmora {

struct CalendarState;
class ScheduleStore;
struct Settings;

// The margins in force: the several-months set when that view is shown, each
// held within the picture's width or height (either way).
struct Margins {
    int top = 0;
    int bottom = 0;
    int left = 0;
    int right = 0;
};
Margins marginsFor(const Settings& settings, int width, int height);

// One month block of the several-months view, for the clicks on it.
struct MonthBlock {
    Rect rect;
    std::string month; // "yyyymm"
};

// The invisible click areas over the title line.
struct ClickAreas {
    Rect previous;  // left of the title
    Rect title;     // over the title
    Rect next;      // right of the title
    Rect main;      // the calendar body
    Rect yearMonth; // over the year/month text
};

// What one drawing pass leaves for the later steps and for the clicks.
struct DrawState {
    Margins margins;
    int titleHeight = 0;
    int titleX = 0;     // the title's left x
    int titleRight = 0; // and right x
    int titleY = 0;
    Rect yearMonthText; // where the year/month text lies
    ClickAreas areas;

    // One-month view
    DateValue gridStart;
    int rows = 0;
    int columns = 7;
    int cellWidth = 0;
    int cellHeight = 0;
    int adjustShift = 0; // days the grid was shifted to bring today's week to its row
    int lineOffset = 0;  // below the day number, for the entries

    // Several-months view
    std::vector<MonthBlock> blocks;
    int dayWidth = 0;   // DW
    int lineHeight = 0; // DH

    int year = 0;
    int month = 0;
    bool printMode = false;
};

// Everything a pass reads.
struct RenderInputs {
    const Settings& settings;
    const ScheduleStore& store;
    CalendarState& calendar;
    DateValue now;          // the clock; its date is today
    DateValue displayMonth; // first day of the month shown
    bool adjust = false;    // bring today's week to row ADJST (current month only)
    bool printMode = false;
};

// A day of the month right-aligned in two characters (" 7"), as the calendars write it.
std::string dayNumberText(int day);

// Text with the settings' shadow: ShadowWidth + 1 copies in the shadow
// colour at (x + i, y + i), then the text itself; no shadow when printing.
void shadowTextOut(Canvas& canvas, const Settings& settings, bool printMode, int x, int y, std::string_view text);
void shadowTextRect(Canvas& canvas, const Settings& settings, bool printMode, const Rect& clip, int x, int y,
                    std::string_view text);

} // namespace velmora
