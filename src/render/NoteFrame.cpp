#include "render/NoteFrame.h"

#include "memos/NoteTones.h"
#include "render/QtCanvas.h"

#include <QPolygon>
#include <QRegion>

#include <algorithm>
#include <array>

namespace velmora {

namespace {

struct FrameParts {
    QRegion lit;    // top and left bands, mitred at the two far corners
    QRegion shaded; // the rest of the ring: right and bottom bands
};

// The lit part is the six-point polygon over the top and left bands; the
// shaded part is the ring without it, so every ring pixel belongs to exactly
// one part whichever way the diagonal's edge pixels fall.
FrameParts frameParts(QSize size, int fx, int fy) {
    const int w = size.width();
    const int h = size.height();
    const QRegion ring = QRegion(0, 0, w, h).subtracted(QRegion(fx, fy, w - 2 * fx, h - 2 * fy));
    const QPolygon polygon(
        {QPoint(0, 0), QPoint(w, 0), QPoint(w - fx, fy), QPoint(fx, fy), QPoint(fx, h - fy), QPoint(0, h)});
    const QRegion lit = ring.intersected(QRegion(polygon));
    return FrameParts{lit, ring.subtracted(lit)};
}

using ToneTable = std::array<std::uint8_t, 256>;

ToneTable makeTable(std::uint8_t (*tone)(std::uint8_t)) {
    ToneTable table{};
    for (std::size_t i = 0; i < table.size(); ++i) {
        table[i] = tone(static_cast<std::uint8_t>(i));
    }
    return table;
}

// `behind` under the area with every colour byte mapped through the table.
QImage toned(const QImage& behind, const QRect& area, const ToneTable& table) {
    QImage part = behind.copy(area).convertToFormat(QImage::Format_RGB32);
    for (int y = 0; y < part.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(part.scanLine(y));
        for (int x = 0; x < part.width(); ++x) {
            const QRgb p = line[x];
            line[x] = qRgb(table[qRed(p)], table[qGreen(p)], table[qBlue(p)]);
        }
    }
    return part;
}

// Rectangle by rectangle, so that glass tones only the pixels of the ring.
void paintPart(QPainter& painter, const QRegion& part, Colour tone, const QImage* behind, const ToneTable& table) {
    for (const QRect& r : part) {
        if (behind) {
            painter.drawImage(r.topLeft(), toned(*behind, r, table));
        } else {
            painter.fillRect(r, toQColor(static_cast<std::uint32_t>(tone)));
        }
    }
}

} // namespace

void paintNoteFrame(QPainter& painter, QSize windowSize, int fx, int fy, const MemoLook& look, Colour colour,
                    const QImage* behind) {
    const FrameTones tones = frameTones(look, colour);
    if (windowSize.isEmpty() || tones.style == FrameStyle::None) {
        return;
    }
    if (tones.style == FrameStyle::Glass && (!behind || behind->size() != windowSize)) {
        return;
    }
    const FrameParts parts = frameParts(windowSize, std::max(fx, 0), std::max(fy, 0));
    static const ToneTable darken = makeTable(glassDarken);
    static const ToneTable lighten = makeTable(glassLighten);
    const QImage* glass = tones.style == FrameStyle::Glass ? behind : nullptr;

    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, false);
    paintPart(painter, parts.shaded, tones.dark, glass, darken);
    paintPart(painter, parts.lit, tones.light, glass, lighten);
    painter.restore();
}

} // namespace velmora
