#include "editor/THintForm.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QToolTip>

namespace velmora {

namespace {

constexpr int kRightOf = 15;
constexpr int kBelow = 5;
constexpr int kBorder = 3; // the frame and the room around the text, each side

} // namespace

THintForm::THintForm(QWidget* parent)
    : QWidget(parent, Qt::ToolTip | Qt::FramelessWindowHint | Qt::WindowDoesNotAcceptFocus), m_label(new QLabel(this)) {
    setAttribute(Qt::WA_ShowWithoutActivating);
    setFocusPolicy(Qt::NoFocus);
    setPalette(QToolTip::palette());
    setBackgroundRole(QPalette::ToolTipBase);
    setAutoFillBackground(true);
    m_label->setTextFormat(Qt::PlainText);
    m_label->setForegroundRole(QPalette::ToolTipText);
    m_label->setFrameStyle(QFrame::Box | QFrame::Plain);
    m_label->setMargin(kBorder - 1);
    m_label->setFocusPolicy(Qt::NoFocus);
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_label);
}

void THintForm::showLines(const QStringList& lines, const QFont& font, const QPoint& at, const QRect& area) {
    m_label->setFont(font);
    m_label->setText(lines.join(QLatin1Char('\n')));
    adjustSize();
    resize(sizeHint());
    move(placeBeside(size(), at, area));
    show();
}

QString THintForm::text() const {
    return m_label->text();
}

QPoint THintForm::placeBeside(const QSize& size, const QPoint& at, const QRect& area) {
    QPoint place(at.x() + kRightOf, at.y() + kBelow);
    if (place.y() + size.height() > area.bottom() + 1) {
        place.setY(at.y() - kBelow - size.height()); // its bottom edge above the pointer
    }
    if (place.x() + size.width() > area.right() + 1) {
        place.setX(at.x() - kRightOf - size.width()); // its right edge left of the pointer
    }
    return place;
}

} // namespace velmora
