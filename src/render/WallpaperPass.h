#pragma once

#include "render/DrawState.h"

#include <QImage>

#include <string>

namespace velmora {

// The base picture of a pass at the screen's size: the file (a capture of the
// desktop, laid out to cover the screen when its size differs), or a neutral
// grey when there is none or it cannot be read.
QImage basePicture(const std::string& path, int width, int height);

// The adjust flag a pass starts with before any click: on when ADJST names a
// row and `month` is the month of `now`.
bool adjustsAtStart(const Settings& settings, DateValue month, DateValue now);

// One drawing pass over `base`, drawn in place so that a pass holds one
// screen-sized picture; the finished calendar picture.
QImage renderCalendar(QImage base, const RenderInputs& in, DrawState& state, int dpi = 96);

} // namespace velmora
