#pragma once

#include <QSpinBox>

namespace velmora {

// An integer box with up/down arrows for counts, hours and minutes: digits
// only (no input method), optionally zero-padded ("09"), and a box left empty
// reads as 0 (held within the range) instead of snapping back.
class SpinEdit : public QSpinBox {
public:
    explicit SpinEdit(int minimum, int maximum, int value = 0, QWidget* parent = nullptr);

    // Shows at least this many digits, padded with zeros (0 = as the number is).
    void setDigits(int digits);

protected:
    QString textFromValue(int value) const override;
    void fixup(QString& input) const override;

private:
    int m_digits = 0;
};

} // namespace velmora
