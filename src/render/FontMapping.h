#pragma once

#include <string>

namespace velmora {

// The settings name Windows Japanese faces ("HG丸ｺﾞｼｯｸM-PRO", "ＭＳ Ｐゴシック",
// ...). They are mapped once, at start, to installed Japanese fonts, so that
// a line never comes out in a Latin face borrowing glyphs from others.
void installFontSubstitutions();

// The family a face is drawn in: the face itself when installed or mapped,
// otherwise a Japanese gothic.
std::string mappedFamily(const std::string& face);

// Starts the GUI application that drawing with Qt needs, offscreen when no
// display is named. Does nothing when one runs already.
void ensureGuiApplication();

} // namespace velmora
