#pragma once

#include "render/DrawState.h"

#include <string>

namespace velmora {

// One drawing pass over a canvas that already holds the base picture: the
// holiday pass (holidays, moved entries, old-calendar days), the frame, and
// the grid and cells or the month blocks. Fills `state` for the clicks.
void drawCalendar(Canvas& canvas, const RenderInputs& in, DrawState& state);

} // namespace velmora
