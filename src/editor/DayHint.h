#pragma once

#include "core/DateValue.h"
#include "schedule/EntriesForDate.h"

#include <string>
#include <vector>

namespace velmora {

// The lines of a day's quick view: the date with its weekday, the holiday's
// name when the day is one, then the entries as the day's cell lists them
// (in words even where the calendar draws them as marks), or a line saying
// there are none.
std::vector<std::string> dayHintLines(DateValue date, const EntryContext& context);

// Where the pointer rests. A hand on the mouse trembles: a move of up to
// kTolerance pixels either way from the resting point is no move, so it
// neither hides a hint nor restarts the wait for one.
class PointerRest {
public:
    static constexpr int kTolerance = 5;

    // True when (x, y) is away from the resting point (or the first point
    // seen); it then becomes the resting point.
    bool moveTo(int x, int y);
    // Forgets the point: the pointer left the places the hint watches.
    void forget() { m_known = false; }
    bool known() const { return m_known; }
    int x() const { return m_x; }
    int y() const { return m_y; }

private:
    bool m_known = false;
    int m_x = 0;
    int m_y = 0;
};

} // namespace velmora
