#include "editor/TFindForm.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace velmora {

TFindForm::TFindForm(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("FindDialog1"));
    setWindowTitle(QStringLiteral("検索"));
    setModal(false);
    auto* label = new QLabel(QStringLiteral("検索する文字列(&N):"), this);
    m_text = new QLineEdit(this);
    m_text->setObjectName(QStringLiteral("FindText"));
    m_text->setMinimumWidth(220);
    label->setBuddy(m_text);
    m_matchCase = new QCheckBox(QStringLiteral("大文字と小文字を区別する(&C)"), this);
    m_matchCase->setObjectName(QStringLiteral("MatchCase"));
    m_findNext = new QPushButton(QStringLiteral("次を検索(&F)"), this);
    m_findNext->setObjectName(QStringLiteral("FindNext"));
    m_findNext->setDefault(true);
    auto* cancel = new QPushButton(QStringLiteral("キャンセル"), this);
    cancel->setObjectName(QStringLiteral("CancelBtn"));

    auto* grid = new QGridLayout(this);
    grid->addWidget(label, 0, 0);
    grid->addWidget(m_text, 0, 1);
    grid->addWidget(m_findNext, 0, 2);
    grid->addWidget(m_matchCase, 1, 0, 1, 2);
    grid->addWidget(cancel, 1, 2);

    // Nothing to find in an empty text.
    const auto enable = [this] { m_findNext->setEnabled(!m_text->text().isEmpty()); };
    connect(m_text, &QLineEdit::textChanged, this, enable);
    enable();
    connect(m_findNext, &QPushButton::clicked, this, [this] {
        if (onFindNext) {
            onFindNext();
        }
    });
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
}

QString TFindForm::findText() const {
    return m_text->text();
}

void TFindForm::setFindText(const QString& text) {
    m_text->setText(text);
    m_text->selectAll();
}

bool TFindForm::matchCase() const {
    return m_matchCase->isChecked();
}

void TFindForm::done(int result) {
    QDialog::done(result);
    if (onClosed) {
        onClosed();
    }
}

} // namespace velmora
