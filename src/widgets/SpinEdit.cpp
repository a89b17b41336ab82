#include "widgets/SpinEdit.h"

#include <QLineEdit>
#include <QSignalBlocker>

#include <algorithm>

namespace velmora {

SpinEdit::SpinEdit(int minimum, int maximum, int value, QWidget* parent) : QSpinBox(parent) {
    setRange(minimum, maximum);
    setValue(value);
    setAttribute(Qt::WA_InputMethodEnabled, false);
    lineEdit()->setAttribute(Qt::WA_InputMethodEnabled, false);
    setInputMethodHints(Qt::ImhDigitsOnly);
}

void SpinEdit::setDigits(int digits) {
    m_digits = std::max(0, digits);
    // The box re-writes its text only when the value changes: change it there
    // and back without telling anyone.
    const QSignalBlocker quiet(this);
    const int v = value();
    setValue(v == maximum() ? minimum() : maximum());
    setValue(v);
}

QString SpinEdit::textFromValue(int value) const {
    if (m_digits <= 0 || value < 0) {
        return QSpinBox::textFromValue(value);
    }
    return QStringLiteral("%1").arg(value, m_digits, 10, QLatin1Char('0'));
}

void SpinEdit::fixup(QString& input) const {
    if (input.trimmed().isEmpty()) {
        input = textFromValue(std::clamp(0, minimum(), maximum()));
        return;
    }
    QSpinBox::fixup(input);
}

} // namespace velmora
