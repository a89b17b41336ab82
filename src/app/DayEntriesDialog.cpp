#include "app/DayEntriesDialog.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

namespace velmora {

DayEntriesDialog::DayEntriesDialog(const DayContents& contents, QWidget* parent) : QDialog(parent) {
    setWindowTitle(QString::fromStdString(contents.heading + " の予定"));
    auto* layout = new QVBoxLayout(this);
    std::string title = contents.heading;
    if (!contents.holiday.empty()) {
        title += "　" + contents.holiday;
    }
    heading = new QLabel(QString::fromStdString(title), this);
    QFont bigger = heading->font();
    bigger.setPointSize(bigger.pointSize() + 3);
    bigger.setBold(true);
    heading->setFont(bigger);
    layout->addWidget(heading);
    if (!contents.oldDate.empty()) {
        layout->addWidget(new QLabel(QString::fromStdString(contents.oldDate), this));
    }
    entries = new QListWidget(this);
    for (const std::string& text : contents.entries) {
        entries->addItem(QString::fromStdString(text));
    }
    if (contents.entries.empty()) {
        entries->addItem(QStringLiteral("（予定はありません）"));
        entries->item(0)->setFlags(Qt::NoItemFlags);
    }
    layout->addWidget(entries);
    auto* buttons = new QDialogButtonBox(this);
    buttons->addButton(QStringLiteral("閉じる"), QDialogButtonBox::AcceptRole);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    layout->addWidget(buttons);
    resize(420, 320);
}

} // namespace velmora
