#pragma once

#include "settings/FontSetting.h"

#include <QFont>

#include <string>

namespace velmora {

// The settings name Windows Japanese faces ("HG丸ｺﾞｼｯｸM-PRO", "ＭＳ Ｐゴシック",
// ...). They are mapped once, at start, to installed Japanese fonts, so that
// a line never comes out in a Latin face borrowing glyphs from others.
void installFontSubstitutions();

// The family a face is drawn in: the face itself when installed or mapped,
// otherwise a Japanese gothic.
std::string mappedFamily(const std::string& face);

// The font a window shows a font setting in (its colour aside); a size of 0
// takes `automaticSize` points.
QFont qtFontOf(const FontSetting& setting, int automaticSize = 9);
// A font chosen in the font dialog as a setting, with the given colour.
FontSetting fontSettingOf(const QFont& font, Colour colour);

// Whether an installed family has a face of its own for bold; without one
// Qt's emboldening stands in, which it gives up from 64 pixels on.
bool hasBoldFace(const std::string& family);

// Starts the GUI application that drawing with Qt needs, offscreen when no
// display is named, and maps the fonts. Does nothing when one runs already.
// It lives until the process ends; a program that owns its application
// calls prepareGuiEnvironment() and installFontSubstitutions() instead.
void ensureGuiApplication();

// Ends the application ensureGuiApplication() started, before the process
// ends, so that Qt frees its fonts and connections in order.
void endGuiApplication();

// What the GUI application needs before it starts: the offscreen platform
// when no display is named, a private runtime folder when none is set.
void prepareGuiEnvironment();

} // namespace velmora
