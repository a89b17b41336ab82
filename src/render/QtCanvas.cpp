#include "render/QtCanvas.h"

#include "render/FontMapping.h"
#include "settings/ColorText.h"

#include <QFontMetrics>
#include <QPolygon>

#include <array>

namespace velmora {

QColor toQColor(std::uint32_t bgr) {
    return QColor(static_cast<int>(bgr & 0xFF), static_cast<int>((bgr >> 8) & 0xFF),
                  static_cast<int>((bgr >> 16) & 0xFF));
}

QtCanvas::QtCanvas(QImage& image, int dpi) : m_image(image), m_dpi(dpi) {
    if (m_image.format() != QImage::Format_RGB32) {
        m_image = m_image.convertToFormat(QImage::Format_RGB32);
    }
    m_painter.begin(&m_image);
    m_painter.setRenderHint(QPainter::TextAntialiasing, true);
}

QtCanvas::~QtCanvas() {
    m_painter.end();
}

QFont QtCanvas::qtFont() const {
    QFont f(QString::fromStdString(mappedFamily(font.face)));
    const int px = fontPixelHeight > 0 ? fontPixelHeight : pointsToPixels(font.size > 0 ? font.size : 9, m_dpi);
    f.setPixelSize(std::max(1, px));
    if (fontPixelHeight > 0) {
        // A height in pixels is the whole line (ascent and descent), as the
        // calendar's layout counts it, not the size of the glyphs.
        const int line = QFontMetrics(f).height();
        if (line > px) {
            f.setPixelSize(std::max(1, px * px / line));
        }
    }
    f.setBold(font.bold);
    f.setItalic(font.italic);
    f.setUnderline(font.underline);
    f.setStrikeOut(font.strikeOut);
    return f;
}

const QFont& QtCanvas::cachedFont() const {
    if (m_cachedPixelHeight != fontPixelHeight || !(m_cachedSetting == font)) {
        m_cachedSetting = font;
        m_cachedPixelHeight = fontPixelHeight;
        m_font = qtFont();
        m_metrics.emplace(m_font);
    }
    return m_font;
}

const QFontMetrics& QtCanvas::metrics() const {
    cachedFont();
    return *m_metrics;
}

void QtCanvas::applyFont() {
    const QFont& f = cachedFont();
    if (!m_painterFontSet || !(m_painterFont == f)) {
        m_painter.setFont(f);
        m_painterFont = f;
        m_painterFontSet = true;
    }
}

int QtCanvas::textWidth(std::string_view text) {
    return metrics().horizontalAdvance(QString::fromUtf8(text.data(), static_cast<int>(text.size())));
}

int QtCanvas::textHeight(std::string_view) {
    return metrics().height();
}

void QtCanvas::drawText(int x, int y, std::string_view text) {
    applyFont();
    const QString s = QString::fromUtf8(text.data(), static_cast<int>(text.size()));
    const QFontMetrics& m = metrics();
    if (brushStyle == BrushStyle::Solid) {
        m_painter.fillRect(QRect(x, y, m.horizontalAdvance(s), m.height()), toQColor(brushColour));
    }
    m_painter.setPen(toQColor(resolveColour(font.colour)));
    m_painter.drawText(QPoint(x, y + m.ascent()), s);
}

void QtCanvas::textOut(int x, int y, std::string_view text) {
    drawText(x, y, text);
}

void QtCanvas::textRect(const Rect& clip, int x, int y, std::string_view text) {
    m_painter.save();
    m_painter.setClipRect(QRect(clip.left, clip.top, clip.right - clip.left, clip.bottom - clip.top));
    drawText(x, y, text);
    m_painter.restore();
}

void QtCanvas::applyPenAndBrush(bool fill) {
    if (penMode == PenMode::NoOp) {
        m_painter.setPen(Qt::NoPen);
    } else {
        QPen pen(toQColor(penColour));
        pen.setWidth(penWidth);
        m_painter.setPen(pen);
    }
    m_painter.setBrush(fill && brushStyle == BrushStyle::Solid ? QBrush(toQColor(brushColour)) : QBrush(Qt::NoBrush));
}

void QtCanvas::line(int x1, int y1, int x2, int y2) {
    if (penMode == PenMode::NoOp) {
        return;
    }
    applyPenAndBrush(false);
    m_painter.drawLine(x1, y1, x2, y2);
}

void QtCanvas::rectangle(const Rect& r) {
    applyPenAndBrush(true);
    m_painter.drawRect(r.left, r.top, r.right - r.left - 1, r.bottom - r.top - 1);
}

void QtCanvas::ellipse(const Rect& r) {
    applyPenAndBrush(true);
    m_painter.drawEllipse(r.left, r.top, r.right - r.left - 1, r.bottom - r.top - 1);
}

void QtCanvas::polygon(const std::vector<Point>& points) {
    applyPenAndBrush(true);
    QPolygon p;
    for (const Point& pt : points) {
        p << QPoint(pt.x, pt.y);
    }
    m_painter.drawPolygon(p);
}

void QtCanvas::tint(const Rect& area, std::uint32_t colour, int transparency) {
    const int t = std::clamp(transparency, 0, 100);
    if (t == 100) {
        return; // every channel mixes back to its old value
    }
    m_painter.end();
    // One table per channel: the mix is the same for every pixel of a value.
    std::array<std::array<std::uint8_t, 256>, 3> mix{};
    for (int ch = 0; ch < 3; ++ch) {
        const int c = static_cast<int>((colour >> (8 * ch)) & 0xFF);
        for (int old = 0; old < 256; ++old) {
            mix[static_cast<std::size_t>(ch)][static_cast<std::size_t>(old)] =
                static_cast<std::uint8_t>(c * (100 - t) / 100 + old * t / 100);
        }
    }
    const int left = std::max(0, area.left);
    const int right = std::min(m_image.width(), area.right);
    const int top = std::max(0, area.top);
    const int bottom = std::min(m_image.height(), area.bottom);
    for (int y = top; y < bottom; ++y) {
        auto* row = reinterpret_cast<QRgb*>(m_image.scanLine(y));
        for (int x = left; x < right; ++x) {
            const QRgb p = row[x];
            row[x] = qRgb(mix[0][static_cast<std::size_t>(qRed(p))], mix[1][static_cast<std::size_t>(qGreen(p))],
                          mix[2][static_cast<std::size_t>(qBlue(p))]);
        }
    }
    m_painter.begin(&m_image);
    m_painter.setRenderHint(QPainter::TextAntialiasing, true);
    m_painterFontSet = false;
}

} // namespace velmora
