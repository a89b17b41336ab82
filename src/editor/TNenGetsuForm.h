#pragma once

#include "core/DateValue.h"

#include <QDialog>

#include <optional>

class QPushButton;
class QSpinBox;

namespace velmora {

// The year-month picker of the desktop calendar: a year and a month, or a
// year alone, with a button for the current month (or year).
class TNenGetsuForm : public QDialog {
public:
    explicit TNenGetsuForm(QWidget* parent = nullptr);

    // Shows the picker modally, preset to `year` and `month`, placed at the
    // top of the calendar area and centred in it. The first day of the chosen
    // month (the preset month when only a year is asked for), kept within
    // the years the calendar can show; nullopt when the picker was closed
    // otherwise.
    std::optional<DateValue> ask(int year, int month, bool yearOnly, const QRect& calendarArea, DateValue today);

    QSpinBox* NenSpinEdit;
    QSpinBox* TsukiSpinEdit;
    QPushButton* OkBtn;
    QPushButton* Button1;

private:
    DateValue m_today;
};

} // namespace velmora
