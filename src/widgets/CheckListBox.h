#pragma once

#include <QTreeWidget>

#include <functional>

namespace velmora {

// A list of check boxes under a header line. A click anywhere on an item (its
// text or its box) toggles it exactly once; Space toggles the current item.
class CheckListBox : public QTreeWidget {
public:
    explicit CheckListBox(const QString& headerText = {}, QWidget* parent = nullptr);

    void setHeaderText(const QString& text);
    // Appends an item; returns its row.
    int addItem(const QString& text, bool checked = false);
    void clearItems() { clear(); }
    int count() const { return topLevelItemCount(); }
    QString text(int row) const;
    bool isChecked(int row) const;
    void setChecked(int row, bool checked);

    // Called after the user toggled an item (not after setChecked).
    std::function<void(int row, bool checked)> onToggled;

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    void toggle(QTreeWidgetItem* item);
};

} // namespace velmora
