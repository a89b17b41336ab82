#include "widgets/TClabel.h"

namespace velmora {

TClabel::TClabel(const QString& text, QWidget* parent) : QLabel(text, parent) {
    setAutoFillBackground(true);
    setColor(palette().color(QPalette::Window));
}

void TClabel::setColor(const QColor& color) {
    m_color = color;
    QPalette p = palette();
    p.setColor(QPalette::Window, color);
    p.setColor(QPalette::WindowText, textColorFor(color));
    setPalette(p);
}

QColor TClabel::textColorFor(const QColor& background) {
    const int light = (background.red() >= 176) + (background.green() >= 176) + (background.blue() >= 176);
    return light >= 2 ? QColor(Qt::black) : QColor(Qt::white);
}

} // namespace velmora
