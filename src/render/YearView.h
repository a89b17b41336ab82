#pragma once

#include "render/DrawState.h"

namespace velmora {

// The several-months view: YDrawCol x YDrawRow month blocks, each a header
// line, a weekday line and six week lines, drawn after the frame in place of
// the one-month grid and cells. Reads the margins and TitleHeight the frame
// left in `state`; sets the day width, the line height and the block table
// the clicks use.
void drawYearStep(Canvas& canvas, const RenderInputs& in, DrawState& state);

} // namespace velmora
