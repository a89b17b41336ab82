#pragma once

#include "editor/ScheduleListModel.h"

#include <QDialog>

#include <memory>

class QAction;
class QCheckBox;
class QDateEdit;
class QLabel;
class QLineEdit;
class QMenu;
class QPushButton;
class QSplitter;
class QStackedWidget;
class QToolBar;
class QToolButton;
class QTreeView;
class QTreeWidget;
class QTreeWidgetItem;

namespace velmora {

class ScheduleTreeItemModel;
class TFindForm;

// The schedule list window: the tree of everything stored beside the list of
// one node's rows, with the date picker, the toolbar and the menus. Its
// rules live in ScheduleListModel; the window shows the model's state and
// passes the user's commands to it. Modal; it never saves: the opener holds
// the lock, and saves and redraws when changed() is set.
class TScheduleForm : public QDialog {
public:
    TScheduleForm(ScheduleListContext context, QWidget* parent = nullptr);
    ~TScheduleForm() override;

    // Shows the window on `date` until it is closed; true when the schedule changed.
    bool run(DateValue date);

    ScheduleListModel& model() { return m_model; }

    // Commands of the toolbar and the menus, for the keys and the tests.
    void addEntry();
    void editEntry(int row);
    void deleteSelected(bool deleted);
    void moveSelected(bool up);
    void editSelectedText();
    // The clipboard commands on the selected rows.
    void cutSelected();
    void copySelected();
    void pasteRows();
    void copyToFollowingDays(int days);
    // "全データを検索" (all) and "ここから検索": set the position and open the find dialog.
    void openSearch(bool fromHere);
    // One "次を検索" of the find dialog.
    void findNext();
    // "ツリー下のデータを全て削除" and "ここ以前のデータを全て削除" on the selected node.
    void deleteUnderSelectedNode(bool upTo);
    TFindForm* findForm() const { return m_findForm; }
    QMenu* listMenu() const { return m_listMenu; }
    QMenu* treeMenu() const { return m_treeMenu; }

protected:
    void done(int result) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildControls();
    void connectControls();
    void placeWindow();
    // Shows the model's view: the tree's selection, the rows, the date display.
    void showView();
    void showRows();
    void showDate();
    void syncTreeSelection();
    void treeSelectionChanged();
    void rowDoubleClicked(QTreeWidgetItem* item);
    void stepDate(bool upper);
    void dateTyped();
    // Ends the in-place text edit, keeping the text when `apply`.
    void finishTextEdit(bool apply);
    std::vector<int> selectedRows() const;
    int entryRowOf(const QTreeWidgetItem* item) const;
    QFont fontOf(const std::string& face) const;

    ScheduleListContext m_context;
    ScheduleListModel m_model;
    std::unique_ptr<ScheduleTreeItemModel> m_treeModel;
    bool m_syncing = false;
    QLineEdit* m_textEdit = nullptr; // the in-place text edit, while it is open
    int m_textEditRow = -1;

    QSplitter* m_splitter = nullptr;
    QTreeView* m_tree = nullptr;
    QTreeWidget* m_list = nullptr;
    QStackedWidget* m_dateStack = nullptr;
    QDateEdit* m_dateInput = nullptr;
    QLabel* m_dateLabel = nullptr;
    QLabel* m_dayLabel = nullptr;
    QWidget* m_upDown = nullptr;
    QToolButton* m_upButton = nullptr;
    QToolButton* m_downButton = nullptr;
    QPushButton* m_okBtn = nullptr;
    QCheckBox* m_hideTree = nullptr;
    QToolButton* m_ascend = nullptr;
    QToolButton* m_descend = nullptr;
    QToolButton* m_search = nullptr;
    QToolBar* m_toolBar = nullptr;
    QAction* m_cut = nullptr;
    QAction* m_copy = nullptr;
    QAction* m_paste = nullptr;
    QAction* m_add = nullptr;
    QAction* m_delete = nullptr;
    QAction* m_revive = nullptr;
    QAction* m_up = nullptr;
    QAction* m_down = nullptr;
    QAction* m_retitle = nullptr;
    QMenu* m_listMenu = nullptr;
    QMenu* m_treeMenu = nullptr;
    QMenu* m_copiesMenu = nullptr;
    // The list menu's own items: its enabling rules leave the toolbar's alone.
    QAction* m_menuCut = nullptr;
    QAction* m_menuCopy = nullptr;
    QAction* m_menuPaste = nullptr;
    QAction* m_menuAdd = nullptr;
    QAction* m_menuDelete = nullptr;
    QAction* m_menuRevive = nullptr;
    QAction* m_menuRetitle = nullptr;
    QAction* m_treeUpTo = nullptr;
    TFindForm* m_findForm = nullptr;
};

} // namespace velmora
