#pragma once

#include <QLabel>

namespace velmora {

// A label on a background colour of its own, whose text is black or white,
// whichever reads on that colour.
class TClabel : public QLabel {
public:
    explicit TClabel(const QString& text = {}, QWidget* parent = nullptr);

    QColor color() const { return m_color; }
    // Fills the label with the colour and sets the text colour to match.
    void setColor(const QColor& color);

    // Black when at least two of red, green and blue are 176 or more (a light
    // colour), otherwise white.
    static QColor textColorFor(const QColor& background);

private:
    QColor m_color;
};

} // namespace velmora
