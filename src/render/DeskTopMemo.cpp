#include "render/DeskTopMemo.h"

#include "render/NoteFrame.h"

#include <QPainter>

#include <algorithm>

namespace velmora {

namespace {

// Copies `picture` onto the calendar at `at`, replacing what is there; the
// painter clips whatever falls outside.
void place(QImage& calendar, const QImage& picture, QPoint at) {
    QPainter painter(&calendar);
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    painter.drawImage(at, picture);
}

// The calendar under the client with the client's non-key pixels over it.
QImage seeThrough(const QImage& calendar, const WallpaperMemo& memo) {
    const QRgb key = (resolveColour(memo.textColour) & 0xFFFFFFu) == 0xFFFFFFu ? 0x000000u : 0xFFFFFFu;
    QImage work = calendar.copy(QRect(memo.clientPos, memo.client.size())).convertToFormat(QImage::Format_RGB32);
    const QImage client = memo.client.convertToFormat(QImage::Format_RGB32);
    for (int y = 0; y < client.height(); ++y) {
        const auto* from = reinterpret_cast<const QRgb*>(client.constScanLine(y));
        auto* to = reinterpret_cast<QRgb*>(work.scanLine(y));
        for (int x = 0; x < client.width(); ++x) {
            if ((from[x] & 0xFFFFFFu) != key) {
                to[x] = from[x];
            }
        }
    }
    return work;
}

} // namespace

void drawDeskTopMemo(QImage& calendar, const std::vector<WallpaperMemo>& memos, int fx, int fy) {
    if (calendar.isNull()) {
        return;
    }
    if (calendar.format() != QImage::Format_RGB32) {
        calendar = calendar.convertToFormat(QImage::Format_RGB32);
    }
    fx = std::max(fx, 0);
    fy = std::max(fy, 0);
    for (const WallpaperMemo& memo : memos) {
        if (memo.client.isNull()) {
            continue;
        }
        const bool transparent = memo.look.trans != 0;
        const QImage face = transparent ? seeThrough(calendar, memo) : memo.client;
        if (transparent && memo.look.frame == 1) {
            // No frame: only the letters land on the calendar.
            place(calendar, face, memo.clientPos);
            continue;
        }
        const QRect framedArea(memo.clientPos - QPoint(fx, fy), face.size() + QSize(2 * fx, 2 * fy));
        // Starting from the calendar leaves it as it was wherever a look paints no frame.
        QImage framed = calendar.copy(framedArea);
        const QImage behind = framed; // shared until the painter below detaches `framed`
        {
            QPainter painter(&framed);
            painter.setCompositionMode(QPainter::CompositionMode_Source);
            painter.drawImage(QPoint(fx, fy), face);
            paintNoteFrame(painter, framedArea.size(), fx, fy, memo.look, memo.frameColour,
                           transparent ? &behind : nullptr);
        }
        place(calendar, framed, framedArea.topLeft());
    }
}

} // namespace velmora
