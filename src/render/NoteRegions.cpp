#include "render/NoteRegions.h"

#include <QFontMetrics>
#include <QGuiApplication>
#include <QPainter>
#include <QScreen>

#include <algorithm>

namespace velmora {

namespace {

bool yxLess(const QRect& a, const QRect& b) {
    return a.top() != b.top() ? a.top() < b.top() : a.left() < b.left();
}

// Rectangles that fit no band structure: united pairwise, so that the cost
// grows as n log n and not as n squared.
QRegion uniteBalanced(const std::vector<QRect>& rects) {
    std::vector<QRegion> regions(rects.begin(), rects.end());
    while (regions.size() > 1) {
        std::vector<QRegion> next;
        next.reserve(regions.size() / 2 + 1);
        for (std::size_t i = 0; i + 1 < regions.size(); i += 2) {
            next.push_back(regions[i].united(regions[i + 1]));
        }
        if (regions.size() % 2 == 1) {
            next.push_back(regions.back());
        }
        regions.swap(next);
    }
    return regions.front();
}

// The drawing has to match what the window shows, whose fonts are sized for
// the screen: give the picture the screen's logical resolution.
void matchScreenResolution(QImage& image) {
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        constexpr double kInchesPerMetre = 1 / 0.0254;
        image.setDotsPerMeterX(qRound(screen->logicalDotsPerInchX() * kInchesPerMetre));
        image.setDotsPerMeterY(qRound(screen->logicalDotsPerInchY() * kInchesPerMetre));
    }
}

} // namespace

QRegion regionFromBitmap(const QImage& bitmap, QRgb keyColour) {
    if (bitmap.isNull()) {
        return {};
    }
    const QImage image =
        bitmap.format() == QImage::Format_RGB32 ? bitmap : bitmap.convertToFormat(QImage::Format_RGB32);
    const QRgb key = keyColour & 0xFFFFFFu;
    const int width = image.width();
    std::vector<QRect> runs;
    for (int y = 0; y < image.height(); ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        int x = 0;
        while (x < width) {
            while (x < width && (line[x] & 0xFFFFFFu) == key) {
                ++x;
            }
            const int start = x;
            while (x < width && (line[x] & 0xFFFFFFu) != key) {
                ++x;
            }
            if (x > start) {
                runs.emplace_back(start, y, x - start, 1);
            }
        }
    }
    return assembleRegion(runs);
}

QRegion assembleRegion(const std::vector<QRect>& runs) {
    std::vector<QRect> sorted;
    sorted.reserve(runs.size());
    std::copy_if(runs.begin(), runs.end(), std::back_inserter(sorted), [](const QRect& r) { return !r.isEmpty(); });
    if (sorted.empty()) {
        return {};
    }
    if (!std::is_sorted(sorted.begin(), sorted.end(), yxLess)) {
        std::sort(sorted.begin(), sorted.end(), yxLess);
    }

    // QRegion::setRects takes rectangles only in its own banded form: bands of
    // equal height, no two rectangles touching sideways, bands not
    // overlapping, and (for equality with united regions) identical
    // neighbouring bands merged into one.
    std::vector<QRect> merged;
    merged.reserve(sorted.size());
    for (const QRect& r : sorted) {
        if (!merged.empty()) {
            QRect& last = merged.back();
            if (last.top() == r.top() && last.height() == r.height() && r.left() <= last.right() + 1) {
                last.setRight(std::max(last.right(), r.right()));
                continue;
            }
            if (last.top() == r.top() ? last.height() != r.height() : r.top() <= last.bottom()) {
                return uniteBalanced(sorted);
            }
        }
        merged.push_back(r);
    }

    std::vector<QRect> bands;
    bands.reserve(merged.size());
    std::size_t previous = 0; // start of the last band in `bands`
    for (std::size_t begin = 0; begin < merged.size();) {
        std::size_t end = begin + 1;
        while (end < merged.size() && merged[end].top() == merged[begin].top()) {
            ++end;
        }
        const std::size_t count = end - begin;
        const bool joins =
            !bands.empty() && bands.size() - previous == count && bands[previous].bottom() + 1 == merged[begin].top() &&
            std::equal(merged.begin() + static_cast<std::ptrdiff_t>(begin),
                       merged.begin() + static_cast<std::ptrdiff_t>(end),
                       bands.begin() + static_cast<std::ptrdiff_t>(previous),
                       [](const QRect& a, const QRect& b) { return a.left() == b.left() && a.right() == b.right(); });
        if (joins) {
            for (std::size_t i = previous; i < bands.size(); ++i) {
                bands[i].setBottom(merged[begin].bottom());
            }
        } else {
            previous = bands.size();
            bands.insert(bands.end(), merged.begin() + static_cast<std::ptrdiff_t>(begin),
                         merged.begin() + static_cast<std::ptrdiff_t>(end));
        }
        begin = end;
    }
    QRegion region;
    region.setRects(bands.data(), static_cast<int>(bands.size()));
    return region;
}

QRegion buildTextRegion(QSize windowSize, QSize clientSize, const QFont& font, const QString& text) {
    if (windowSize.isEmpty() || text.trimmed().isEmpty()) {
        return {};
    }
    QImage image(windowSize, QImage::Format_RGB32);
    image.fill(Qt::white);
    matchScreenResolution(image);

    // Antialiased edges would leave grey pixels that count as letter: the
    // shape must be exactly the pixels the window paints in the text colour.
    QFont crisp(font);
    crisp.setStyleStrategy(QFont::NoAntialias);
    const int lineHeight = QFontMetrics(font).height();
    const int x = (windowSize.width() - clientSize.width()) / 2;
    int y = (windowSize.height() - clientSize.height()) / 2;

    QString lines = text;
    lines.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    {
        QPainter painter(&image);
        painter.setRenderHint(QPainter::TextAntialiasing, false);
        painter.setFont(crisp);
        painter.setPen(Qt::black);
        const int ascent = QFontMetrics(crisp, &image).ascent();
        for (const QString& line : lines.split(QLatin1Char('\n'))) {
            if (y >= windowSize.height()) {
                break;
            }
            if (!line.isEmpty()) {
                painter.drawText(QPoint(x, y + ascent), line);
            }
            y += lineHeight;
        }
    }
    return regionFromBitmap(image, qRgb(255, 255, 255));
}

QRegion buildFrameRegion(QSize windowSize, QSize clientSize, const MemoLook& look) {
    if (windowSize.isEmpty()) {
        return {};
    }
    const int w = windowSize.width();
    const int h = windowSize.height();
    const int fx = std::max(0, (w - clientSize.width()) / 2);
    const int fy = std::max(0, (h - clientSize.height()) / 2);
    if (!(look.trans > 0 && look.frame == 0 && look.placement == 2)) {
        return QRegion(0, 0, w, h).subtracted(QRegion(fx, fy, w - 2 * fx, h - 2 * fy));
    }

    // Every pixel whose x + y is odd, band by band: single pixels never touch
    // sideways, so the runs go straight into the region.
    std::vector<QRect> runs;
    const auto addSpan = [&runs](int y, int from, int to) {
        for (int x = from + ((from + y + 1) & 1); x < to; x += 2) {
            runs.emplace_back(x, y, 1, 1);
        }
    };
    for (int y = 0; y < h; ++y) {
        if (y < fy || y >= h - fy || w - fx <= fx) {
            addSpan(y, 0, w);
        } else {
            addSpan(y, 0, fx);
            addSpan(y, w - fx, w);
        }
    }
    return assembleRegion(runs);
}

} // namespace velmora
