#pragma once

#include "render/Canvas.h"

#include <QFont>
#include <QFontMetrics>
#include <QImage>
#include <QPainter>

#include <optional>

namespace velmora {

// The canvas over a picture in memory, drawn with Qt.
class QtCanvas : public Canvas {
public:
    // Draws into `image` (converted to 32-bit RGB when it is not).
    QtCanvas(QImage& image, int dpi = 96);
    ~QtCanvas() override;

    int width() const override { return m_image.width(); }
    int height() const override { return m_image.height(); }
    int dpi() const override { return m_dpi; }
    int textWidth(std::string_view text) override;
    int textHeight(std::string_view text) override;
    void textOut(int x, int y, std::string_view text) override;
    void textRect(const Rect& clip, int x, int y, std::string_view text) override;
    void line(int x1, int y1, int x2, int y2) override;
    void rectangle(const Rect& r) override;
    void ellipse(const Rect& r) override;
    void polygon(const std::vector<Point>& points) override;
    void tint(const Rect& area, std::uint32_t colour, int transparencyPercent) override;

    // The Qt font the current font state stands for. A bold of a family
    // without a bold face comes back regular: the canvas emboldens it itself.
    QFont qtFont() const;

private:
    void applyFont();
    void applyPenAndBrush(bool fill);
    void drawText(int x, int y, std::string_view text);
    void drawEmboldened(int x, int baseline, const QString& text);

    // The Qt font and metrics of the last font state: building them is the
    // dearest part of measuring text, and a pass measures a lot.
    const QFont& cachedFont() const;
    const QFontMetrics& metrics() const;

    QImage& m_image;
    int m_dpi;
    QPainter m_painter;
    mutable FontSetting m_cachedSetting;
    mutable int m_cachedPixelHeight = -1;
    mutable QFont m_font;
    mutable std::optional<QFontMetrics> m_metrics;
    // Outline width that thickens the strokes of a bold drawn from a regular face.
    mutable qreal m_emboldenWidth = 0;
    // The painter's font, which every text call checks; only this class sets it.
    QFont m_painterFont;
    bool m_painterFontSet = false;
};

QColor toQColor(std::uint32_t bgr);
// A colour as the program keeps it (0x00BBGGRR).
std::uint32_t colourOf(const QColor& colour);

} // namespace velmora
