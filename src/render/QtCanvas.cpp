#include "render/QtCanvas.h"

#include "render/FontMapping.h"
#include "settings/ColorText.h"

#include <QFontMetrics>
#include <QHash>
#include <QPainterPath>
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

namespace {

// Qt thickens the outline of a regular face by a 24th of its size for bold;
// we stroke it by as much, at every size.
constexpr qreal kEmboldenShare = 1.0 / 24.0;

bool emboldens(const FontSetting& font) {
    return font.bold && !hasBoldFace(mappedFamily(font.face));
}

// The colour is no part of the Qt font: the shadow copies of a text change
// only the colour and must not rebuild it.
bool sameShape(const FontSetting& a, const FontSetting& b) {
    return a.size == b.size && a.bold == b.bold && a.italic == b.italic && a.underline == b.underline &&
           a.strikeOut == b.strikeOut && a.face == b.face;
}

// An emboldened text as coverage, and where its top-left lies from the
// text's origin on the baseline.
struct BoldMask {
    QImage coverage;
    QPoint offset;
};

// Emboldened texts drawn before: outlining and stroking is slow, and every
// pass draws the day numbers of the last one again. Held to a few megabytes,
// which also bounds what a month of huge FullFont numbers keeps.
const BoldMask& boldMask(const QFont& font, qreal width, const QString& text) {
    static constexpr qsizetype kBudget = 8 * 1024 * 1024;
    static QHash<QString, BoldMask> masks;
    static qsizetype bytes = 0;
    const QString key = font.key() + QChar(0x1F) + QString::number(width) + QChar(0x1F) + text;
    const auto found = masks.constFind(key);
    if (found != masks.constEnd()) {
        return *found;
    }
    QPainterPath path;
    path.addText(0, 0, font, text);
    const qreal margin = width / 2 + 1;
    const QRect area = path.boundingRect().adjusted(-margin, -margin, margin, margin).toAlignedRect();
    BoldMask mask;
    if (!path.isEmpty() && !area.isEmpty()) {
        mask.coverage = QImage(area.size(), QImage::Format_Alpha8);
        mask.coverage.fill(0);
        mask.offset = area.topLeft();
        QPainter painter(&mask.coverage);
        painter.setRenderHint(QPainter::Antialiasing, true);
        painter.translate(-area.topLeft());
        QPen pen(Qt::black, width);
        pen.setJoinStyle(Qt::RoundJoin);
        painter.setPen(pen);
        painter.setBrush(Qt::black);
        painter.drawPath(path);
    }
    if (bytes + mask.coverage.sizeInBytes() > kBudget) {
        masks.clear();
        bytes = 0;
    }
    bytes += mask.coverage.sizeInBytes();
    return *masks.insert(key, std::move(mask));
}

} // namespace

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
    f.setBold(font.bold && !emboldens(font));
    f.setItalic(font.italic);
    f.setUnderline(font.underline);
    f.setStrikeOut(font.strikeOut);
    return f;
}

const QFont& QtCanvas::cachedFont() const {
    if (m_cachedPixelHeight != fontPixelHeight || !sameShape(m_cachedSetting, font)) {
        m_cachedSetting = font;
        m_cachedPixelHeight = fontPixelHeight;
        m_font = qtFont();
        m_metrics.emplace(m_font);
        m_emboldenWidth = emboldens(font) ? m_font.pixelSize() * kEmboldenShare : 0;
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
    if (m_emboldenWidth > 0) {
        drawEmboldened(x, y + m.ascent(), s);
        return;
    }
    m_painter.setPen(toQColor(resolveColour(font.colour)));
    m_painter.drawText(QPoint(x, y + m.ascent()), s);
}

// The regular outline filled and stroked: from 64 pixels on Qt stops
// emboldening, and a bold day number would come out regular on 4K screens.
void QtCanvas::drawEmboldened(int x, int baseline, const QString& text) {
    const BoldMask& mask = boldMask(m_font, m_emboldenWidth, text);
    if (mask.coverage.isNull()) {
        return;
    }
    const QRgb colour = toQColor(resolveColour(font.colour)).rgb();
    QImage tinted(mask.coverage.size(), QImage::Format_ARGB32_Premultiplied);
    for (int row = 0; row < tinted.height(); ++row) {
        const uchar* alpha = mask.coverage.constScanLine(row);
        auto* out = reinterpret_cast<QRgb*>(tinted.scanLine(row));
        for (int column = 0; column < tinted.width(); ++column) {
            const int a = alpha[column];
            out[column] = qRgba(qRed(colour) * a / 255, qGreen(colour) * a / 255, qBlue(colour) * a / 255, a);
        }
    }
    m_painter.drawImage(x + mask.offset.x(), baseline + mask.offset.y(), tinted);
}

void QtCanvas::textOut(int x, int y, std::string_view text) {
    drawText(x, y, text);
}

void QtCanvas::textRect(const Rect& clip, int x, int y, std::string_view text) {
    // No save()/restore() around the clip: restore() would also put back the
    // painter's font behind applyFont()'s back, and the next text would be
    // drawn in whatever font was set before.
    m_painter.setClipRect(QRect(clip.left, clip.top, clip.right - clip.left, clip.bottom - clip.top));
    drawText(x, y, text);
    m_painter.setClipping(false);
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

std::uint32_t colourOf(const QColor& c) {
    return static_cast<std::uint32_t>(c.red()) | static_cast<std::uint32_t>(c.green()) << 8 |
           static_cast<std::uint32_t>(c.blue()) << 16;
}

} // namespace velmora
