#pragma once

#include "core/DateValue.h"

#include <QLineEdit>

#include <optional>

namespace velmora {

// A date typed over the mask "____/__/__": its text is "yyyy/mm/dd", and the
// bare mask when no date is given. A text that is not a real date (one left
// half typed, or 2026/02/30) is shown in red until it is put right.
class MaskedDateEdit : public QLineEdit {
public:
    static inline const QString kEmptyText = QStringLiteral("____/__/__");

    explicit MaskedDateEdit(QWidget* parent = nullptr);

    // The text as the data files keep it: "yyyy/mm/dd", "____/__/__" when
    // empty, and what was typed (blanks as "_") while it is incomplete.
    QString dateText() const { return displayText(); }
    // Shows a text of the mask's shape (digits or "_", and the two "/"); true
    // when it is empty or a real date. Any other text empties the box and
    // returns false (an empty text is taken as the empty mask).
    bool setDateText(const QString& text);

    // The date shown, or nullopt when the box is empty or holds no real date.
    std::optional<DateValue> date() const;
    // Shows the date, or empties the box for nullopt.
    void setDate(std::optional<DateValue> date);

    bool isEmpty() const { return displayText() == kEmptyText; }
    // Empty or a real date: what may be taken from the box.
    bool isAcceptable() const { return isEmpty() || date().has_value(); }

private:
    void showValidity();
};

} // namespace velmora
