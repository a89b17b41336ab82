#pragma once

#include "memos/MemoFiles.h"
#include "settings/ColorText.h"

#include <QImage>
#include <QPainter>
#include <QSize>

namespace velmora {

// Paints the frame ring (fx wide at the sides, fy at top and bottom) of a note
// window of windowSize at the painter's origin, in the look's style: a bevel
// of two tones of the colour, glass over `behind` (what lies behind the whole
// window), or nothing. Glass paints nothing when `behind` is null or not of
// the window's size.
void paintNoteFrame(QPainter& painter, QSize windowSize, int fx, int fy, const MemoLook& look, Colour colour,
                    const QImage* behind);

} // namespace velmora
