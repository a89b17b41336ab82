#include "editor/TNenGetsuForm.h"

#include <QHBoxLayout>
#include <QPushButton>
#include <QSpinBox>

#include <algorithm>

namespace velmora {

TNenGetsuForm::TNenGetsuForm(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowStaysOnTopHint | Qt::CustomizeWindowHint | Qt::WindowTitleHint) {
    setWindowTitle(QStringLiteral("Velmora Ver.6.82"));
    NenSpinEdit = new QSpinBox(this);
    NenSpinEdit->setRange(0, 9999);
    NenSpinEdit->setValue(1996);
    TsukiSpinEdit = new QSpinBox(this);
    TsukiSpinEdit->setRange(1, 12);
    OkBtn = new QPushButton(QStringLiteral("OK"), this);
    OkBtn->setDefault(true);
    Button1 = new QPushButton(QStringLiteral("今月"), this);
    auto* layout = new QHBoxLayout(this);
    layout->addWidget(NenSpinEdit);
    layout->addWidget(TsukiSpinEdit);
    layout->addWidget(OkBtn);
    layout->addWidget(Button1);
    connect(OkBtn, &QPushButton::clicked, this, &QDialog::accept);
    connect(Button1, &QPushButton::clicked, this, [this] {
        NenSpinEdit->setValue(m_today.year());
        if (!TsukiSpinEdit->isHidden()) {
            TsukiSpinEdit->setValue(m_today.month());
        }
        accept();
    });
}

std::optional<DateValue> TNenGetsuForm::ask(int year, int month, bool yearOnly, const QRect& calendarArea,
                                            DateValue today) {
    m_today = today;
    NenSpinEdit->setValue(year);
    TsukiSpinEdit->setValue(month);
    TsukiSpinEdit->setHidden(yearOnly);
    Button1->setText(yearOnly ? QStringLiteral("今年") : QStringLiteral("今月"));
    adjustSize();
    move(calendarArea.left() + (calendarArea.width() - width()) / 2, calendarArea.top());
    raise();
    activateWindow();
    NenSpinEdit->setFocus();
    if (exec() != QDialog::Accepted) {
        return std::nullopt;
    }
    // The calendar pages only through the years it can draw.
    const int chosenYear = std::clamp(NenSpinEdit->value(), 1900, 2100);
    return DateValue::fromDate(chosenYear, TsukiSpinEdit->value(), 1);
}

} // namespace velmora
