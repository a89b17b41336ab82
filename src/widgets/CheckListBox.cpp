#include "widgets/CheckListBox.h"

#include <QHeaderView>
#include <QKeyEvent>

namespace velmora {

CheckListBox::CheckListBox(const QString& headerText, QWidget* parent) : QTreeWidget(parent) {
    setColumnCount(1);
    setRootIsDecorated(false);
    setUniformRowHeights(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    header()->setStretchLastSection(true);
    header()->setSectionsClickable(false);
    setHeaderText(headerText);
    // The items are not user-checkable for the view: it would toggle a click on
    // the box itself and the click handler below once more.
    connect(this, &QTreeWidget::itemClicked, this, [this](QTreeWidgetItem* item, int) { toggle(item); });
}

void CheckListBox::setHeaderText(const QString& text) {
    setHeaderLabels({text});
}

int CheckListBox::addItem(const QString& text, bool checked) {
    auto* item = new QTreeWidgetItem(this, QStringList{text});
    item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
    item->setCheckState(0, checked ? Qt::Checked : Qt::Unchecked);
    return indexOfTopLevelItem(item);
}

QString CheckListBox::text(int row) const {
    const QTreeWidgetItem* item = topLevelItem(row);
    return item ? item->text(0) : QString();
}

bool CheckListBox::isChecked(int row) const {
    const QTreeWidgetItem* item = topLevelItem(row);
    return item && item->checkState(0) == Qt::Checked;
}

void CheckListBox::setChecked(int row, bool checked) {
    if (QTreeWidgetItem* item = topLevelItem(row)) {
        item->setCheckState(0, checked ? Qt::Checked : Qt::Unchecked);
    }
}

void CheckListBox::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Space && event->modifiers() == Qt::NoModifier && currentItem()) {
        toggle(currentItem());
        event->accept();
        return;
    }
    QTreeWidget::keyPressEvent(event);
}

void CheckListBox::toggle(QTreeWidgetItem* item) {
    if (!item || !(item->flags() & Qt::ItemIsEnabled)) {
        return;
    }
    const bool checked = item->checkState(0) != Qt::Checked;
    item->setCheckState(0, checked ? Qt::Checked : Qt::Unchecked);
    if (onToggled) {
        onToggled(indexOfTopLevelItem(item), checked);
    }
}

} // namespace velmora
