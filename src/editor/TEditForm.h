#pragma once

#include "editor/ColourPalette.h"
#include "editor/EditFormModel.h"

#include <QDialog>

#include <array>

class QAction;
class QButtonGroup;
class QCheckBox;
class QDateEdit;
class QGroupBox;
class QLabel;
class QLineEdit;
class QMenu;
class QPlainTextEdit;
class QPushButton;
class QTabWidget;

namespace velmora {

class MaskedDateEdit;
class NameValueList;
class SpinEdit;
class TCPanel;

// The entry editor: one schedule entry's text, repetition, shift rules,
// colour, font, reminder, output patterns, description, period, holiday flag
// and interval, on two pages. Its rules live in EditFormModel; the dialog shows
// the model's values and passes every change to it.
class TEditForm : public QDialog {
public:
    // `defaultColours` is the settings' DefColor list: the swatches come from
    // it and go back into it whenever the dialog closes. With `editFont` the
    // text and description boxes use the entry's font.
    TEditForm(EditFormContext context, NameValueList& defaultColours, bool editFont, QWidget* parent = nullptr);

    // Sets every control from an existing entry's row.
    void fillFromRow(const EntryRow& row);

    // Shows the dialog modally. On OK the values are written into `row` and
    // true is returned; on cancel `row` is left as it was.
    bool run(EntryRow& row);

    // The values as the dialog closed, for an opener that builds the row itself.
    const EditFormModel& model() const { return m_model; }

protected:
    void done(int result) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    QWidget* buildBasicPage();
    QWidget* buildDetailPage();
    void connectControls();
    // Shows the model's values and which controls are enabled or shown.
    void showValues();
    void showFont();
    void chooseColour();
    void chooseSwatchColour(int index);
    void chooseFont();
    void chooseProgramFile();
    void appendExecLines(const QStringList& paths);
    void tryAccept();

    EditFormModel m_model;
    ColourPalette m_palette;
    NameValueList& m_defaultColours;
    bool m_editFont = false;
    // Set while the controls are being set from the model, so that their
    // change signals are not taken for the user's.
    bool m_showing = false;

    QTabWidget* m_pages = nullptr;
    QLineEdit* m_scheduleEdit = nullptr;
    QGroupBox* m_ptnGrp = nullptr;
    QButtonGroup* m_pattern = nullptr;
    QGroupBox* m_weekGroup = nullptr;
    std::array<QCheckBox*, 5> m_weeks{};
    QGroupBox* m_avoidGroup = nullptr;
    std::array<QCheckBox*, 3> m_avoid{};
    QGroupBox* m_chgGrp = nullptr;
    QButtonGroup* m_shift = nullptr;
    TCPanel* m_colorPanel = nullptr;
    std::array<TCPanel*, ColourPalette::kCount> m_swatches{};
    QPushButton* m_fontChange = nullptr;
    QLabel* m_fontName = nullptr;
    QButtonGroup* m_reminder = nullptr;
    QCheckBox* m_warningChk = nullptr;
    SpinEdit* m_hour = nullptr;
    SpinEdit* m_minute = nullptr;
    QLabel* m_hourLabel = nullptr;
    QLabel* m_minuteLabel = nullptr;
    std::array<QCheckBox*, 6> m_outPatterns{};

    QPlainTextEdit* m_secretEdit = nullptr;
    QMenu* m_secretMenu = nullptr;
    QCheckBox* m_fromChk = nullptr;
    QCheckBox* m_toChk = nullptr;
    MaskedDateEdit* m_fromDate = nullptr;
    MaskedDateEdit* m_toDate = nullptr;
    SpinEdit* m_hosei = nullptr;
    QCheckBox* m_holidayChk = nullptr;
    QCheckBox* m_popOnlyChk = nullptr;
    QGroupBox* m_monthGroup = nullptr;
    std::array<QCheckBox*, 12> m_months{};
    SpinEdit* m_intWeeks = nullptr;
    SpinEdit* m_intMonths = nullptr;
    SpinEdit* m_intYears = nullptr;
    QDateEdit* m_intBase = nullptr;

    QPushButton* m_okBtn = nullptr;
    QPushButton* m_cancelBtn = nullptr;
};

} // namespace velmora
