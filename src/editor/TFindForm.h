#pragma once

#include <QDialog>

#include <functional>

class QCheckBox;
class QLineEdit;
class QPushButton;

namespace velmora {

// The modeless find dialog of the schedule list (FindDialog1): the text,
// match case, "次を検索" and "キャンセル". It searches downward only, so the
// direction and whole-word choices of a general find dialog are not offered.
class TFindForm : public QDialog {
public:
    explicit TFindForm(QWidget* parent = nullptr);

    QString findText() const;
    void setFindText(const QString& text);
    bool matchCase() const;

    // Called for "次を検索" (and Enter in the text box).
    std::function<void()> onFindNext;
    // Called whenever the dialog closes (キャンセル, the close box, Esc).
    std::function<void()> onClosed;

protected:
    void done(int result) override;

private:
    QLineEdit* m_text = nullptr;
    QCheckBox* m_matchCase = nullptr;
    QPushButton* m_findNext = nullptr;
};

} // namespace velmora
