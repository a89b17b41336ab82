#include "widgets/MaskedDateEdit.h"

#include "core/DateText.h"

namespace velmora {

MaskedDateEdit::MaskedDateEdit(QWidget* parent) : QLineEdit(parent) {
    // "0" lets a digit be left out, so an empty or half-typed date can be held
    // and flagged instead of the box refusing to let the focus go.
    setInputMask(QStringLiteral("0000/00/00;_"));
    // Dates are digits: the input method would only get in the way.
    setAttribute(Qt::WA_InputMethodEnabled, false);
    setInputMethodHints(Qt::ImhDigitsOnly);
    // Room for the whole mask in the box's own font, whatever the dpi.
    setMinimumWidth(fontMetrics().horizontalAdvance(QStringLiteral("0000/00/00")) + 24);
    connect(this, &QLineEdit::textChanged, this, [this] { showValidity(); });
}

namespace {

// Digits or blanks where the mask has digits, "/" where it has its slashes.
bool fitsMask(const QString& text) {
    if (text.size() != 10) {
        return false;
    }
    for (int i = 0; i < 10; ++i) {
        const QChar c = text[i];
        const bool ok = (i == 4 || i == 7) ? c == u'/' : (c == u'_' || (c >= u'0' && c <= u'9'));
        if (!ok) {
            return false;
        }
    }
    return true;
}

} // namespace

bool MaskedDateEdit::setDateText(const QString& text) {
    if (!fitsMask(text)) {
        clear();
        return text.isEmpty();
    }
    // A stored impossible date is shown as it is (flagged), not dropped.
    setText(text);
    return isAcceptable();
}

std::optional<DateValue> MaskedDateEdit::date() const {
    return parseDate(displayText().toStdString());
}

void MaskedDateEdit::setDate(std::optional<DateValue> date) {
    if (date) {
        setText(QString::fromStdString(formatDate(*date)));
    } else {
        clear();
    }
}

void MaskedDateEdit::showValidity() {
    const bool bad = !isAcceptable();
    setProperty("invalidDate", bad);
    setToolTip(bad ? QStringLiteral("日付が正しくありません") : QString());
    if (bad) {
        QPalette p = palette();
        p.setColor(QPalette::Text, Qt::red);
        setPalette(p);
    } else {
        setPalette(QPalette());
    }
}

} // namespace velmora
