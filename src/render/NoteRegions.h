#pragma once

#include "memos/MemoFiles.h"

#include <QFont>
#include <QImage>
#include <QRegion>
#include <QSize>
#include <QString>

#include <vector>

namespace velmora {

// The shape of the pixels that are not the key colour (compared on RGB, alpha
// ignored), from the runs of each row. An empty bitmap gives an empty region.
QRegion regionFromBitmap(const QImage& bitmap, QRgb keyColour);

// One region covering the rectangles. Rows of non-touching runs in any order
// take the fast path; anything else is united; empty rectangles are ignored.
QRegion assembleRegion(const std::vector<QRect>& runs);

// The shape of the text's letters as a note window draws them: each line (at
// "\n" or "\r\n") in the font, without antialiasing, from the client area's
// top-left corner down by the font's line height. Empty for a blank text or
// an empty window.
QRegion buildTextRegion(QSize windowSize, QSize clientSize, const QFont& font, const QString& text);

// The frame ring of a note window, the window minus its client area centred
// in it; every other pixel only for a see-through top-most window framed in
// its inner colour. Empty for an empty window.
QRegion buildFrameRegion(QSize windowSize, QSize clientSize, const MemoLook& look);

} // namespace velmora
