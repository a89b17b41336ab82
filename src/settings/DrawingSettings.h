#pragma once

#include "settings/Settings.h"

namespace velmora {

// The settings as a drawing pass (and the day window it examines) reads them:
// every number it computes geometry, loops or dates with is held to a range
// in which no sum overflows and no loop runs for long. Ordinary values pass
// unchanged; the settings themselves keep the user's values, so a save still
// writes back what the file held.
//
// Held are the shadow width (0..20), the font sizes and MiniSize (0..999, the
// largest the font dialog offers), the background transparency (0..100), the
// months per row and the rows of the several-months view (1..12), the
// position of the displayed month among them (-1..143) and ADJST (99 stays
// "off", anything else -10..10). The margins depend on the picture and are
// held by `marginsFor` of the drawing.
Settings drawingSettings(const Settings& settings);

} // namespace velmora
