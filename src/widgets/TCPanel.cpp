#include "widgets/TCPanel.h"

#include <QColorDialog>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QStyleOptionFocusRect>
#include <QStylePainter>

namespace velmora {

TCPanel::TCPanel(const QString& text, QWidget* parent) : TClabel(text, parent) {
    setFrameStyle(QFrame::Panel | QFrame::Sunken);
    setLineWidth(1);
    setAlignment(Qt::AlignCenter);
    setFocusPolicy(Qt::NoFocus);
    setCursor(Qt::PointingHandCursor);
}

bool TCPanel::chooseColor(const QString& title) {
    const QColor chosen = QColorDialog::getColor(color(), window(), title);
    if (!chosen.isValid()) {
        return false;
    }
    setColor(chosen);
    return true;
}

void TCPanel::mousePressEvent(QMouseEvent* event) {
    m_pressed = event->button();
    event->accept();
}

void TCPanel::mouseReleaseEvent(QMouseEvent* event) {
    const Qt::MouseButton pressed = m_pressed;
    m_pressed = Qt::NoButton;
    event->accept();
    // A press dragged off the panel before its release is no click.
    if (event->button() == pressed && rect().contains(event->position().toPoint()) && onClicked) {
        onClicked(pressed);
    }
}

void TCPanel::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Space && event->modifiers() == Qt::NoModifier) {
        event->accept();
        if (onClicked) {
            onClicked(Qt::LeftButton);
        }
        return;
    }
    TClabel::keyPressEvent(event);
}

void TCPanel::paintEvent(QPaintEvent* event) {
    TClabel::paintEvent(event);
    if (!hasFocus()) {
        return;
    }
    QStylePainter painter(this);
    QStyleOptionFocusRect option;
    option.initFrom(this);
    option.rect = contentsRect().adjusted(2, 2, -2, -2);
    option.backgroundColor = color();
    painter.drawPrimitive(QStyle::PE_FrameFocusRect, option);
}

} // namespace velmora
