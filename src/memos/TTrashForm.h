#pragma once

#include "memos/MemoDrawer.h"

#include <QDialog>

#include <functional>
#include <string>

class QAction;
class QMenu;
class QPlainTextEdit;
class QPushButton;
class QSplitter;
class QTreeWidget;

namespace velmora {

// The memo drawer window: the put-away memos on the left, the selected one's
// content on the right, and the menu that takes a memo out or marks it for
// deletion. The rules are MemoDrawer's; the window lists its rows and passes
// the commands on. Each show lists the folder afresh; closing the window
// (OK, Esc, the close box) trashes the marked memos.
class TTrashForm : public QDialog {
public:
    TTrashForm(MemoStore& store, UserFeedback& feedback, MemoDrawer::TrashFunction trash, QWidget* parent = nullptr);

    MemoDrawer& model() { return m_model; }

    // Called with the memo file name ("MEMO0003.dfm") of a memo taken out,
    // for the main program to open its window.
    std::function<void(const std::string& memoFileName)> onRevived;

    // The menu's commands on the selected row.
    void reviveSelected();
    void markSelected();
    void unmarkSelected();

protected:
    void showEvent(QShowEvent* event) override;
    void done(int result) override;

private:
    void fillList();
    void showRow(int row);
    void showSelected();
    void updateActions();
    int selectedRow() const;
    void selectRow(int row);

    MemoDrawer m_model;
    QFont m_memoFont;
    QTreeWidget* m_list = nullptr;
    QSplitter* m_splitter = nullptr;
    QPlainTextEdit* m_memo = nullptr;
    QPushButton* m_ok = nullptr;
    QMenu* m_menu = nullptr;
    QAction* m_revive = nullptr;
    QAction* m_delete = nullptr;
    QAction* m_cancel = nullptr;
};

} // namespace velmora
