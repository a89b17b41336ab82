#pragma once

#include "core/Clock.h"
#include "core/UserFeedback.h"
#include "editor/EditFormModel.h"
#include "editor/EntryRow.h"
#include "editor/OpenReminders.h"
#include "editor/ScheduleClipboard.h"
#include "editor/ScheduleSearch.h"
#include "editor/ScheduleTree.h"

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace velmora {

class ScheduleStore;
struct Settings;

// The width in pixels of a text in a face, measured by the window layer.
using TextMeasure = std::function<int(const std::string& text, const std::string& face)>;

// What the schedule list works on. The opener has taken the store's user
// lock and saves the store after the window closes when changed() is set.
struct ScheduleListContext {
    ScheduleStore& store;
    Settings& settings; // ASND is written; fonts, colours, holidays and pattern names are read
    const Clock& clock;
    OpenReminders& reminders;
    UserFeedback& feedback;
    TextMeasure measure{}; // none: the first column's width stays 0
    // The hub's entry clipboard, which outlives the window; none: the window's own.
    ScheduleClipboard* clipboard = nullptr;
};

// Which items of the list menu (LVPopup) are enabled, worked out when it opens.
struct ListMenuState {
    bool add = false;
    bool cut = false;
    bool copy = false;
    bool paste = false;
    bool remove = false;
    bool revive = false;
    bool retitle = false;
    bool copyToDays = false; // "ｽｹｼﾞｭｰﾙの複製"
    friend bool operator==(const ListMenuState&, const ListMenuState&) = default;
};

// One row of a folder view: a child node of the selected node, or "..".
struct FolderRow {
    std::string caption; // "2026/12/08(火):", "3:火曜日:", a category's or month's text, ".."
    std::string second;  // column "1": the entry list of that day (dated: with a blank after it)
    int icon = 8;
    bool parent = false;            // the ".." row (overlay 3)
    const TreeNode* node = nullptr; // where a double-click goes
};

// One entry of a folder row's second column, as custom drawing shows it.
struct FolderRowEntry {
    std::string text;
    std::string face;
    Colour colour = 0;
};

// The schedule list window (TScheduleForm) without its widgets: the tree,
// ViewDate, the rows of the current view with the holding lists, date
// navigation, the row operations and CommitEntries.
class ScheduleListModel {
public:
    explicit ScheduleListModel(ScheduleListContext context);

    // Opening on `startDate` (held to 1900-01-01 .. 2100-12-31): builds the
    // tree from the store, ensures the weekly, monthly and yearly children of
    // the date, ensures and selects its day node and loads its rows.
    void open(DateValue startDate);
    // Closing: commits an entry view, deletes the queued reminder window
    // files, and sorts the store's DAY, WEEK, MONTH and YEAR lists by name.
    void close();

    ScheduleTree& tree() { return m_tree; }
    const ScheduleTree& tree() const { return m_tree; }
    // The tree's selection as the model holds it; the window follows it.
    const TreeNode* selectedNode() const { return m_selected; }
    // The user selected a node: an entry view is committed first, then the
    // node is shown (rows of an entry node, child rows of a folder node).
    void selectNode(const TreeNode* node);

    bool isEntryView() const { return m_entryView; }
    // A dated entry view: dated, weekly, monthly and yearly rows of one date.
    bool isDayView() const { return m_entryView && m_viewKind == EntryKind::Dated; }
    // The category of the view (dated for the root).
    EntryKind viewKind() const { return m_viewKind; }
    DateValue viewDate() const { return m_viewDate; }

    // Entry view: the rows, ".." last.
    const std::vector<EntryRow>& rows() const { return m_rows; }
    // Weekly and monthly rows of the shown date held back by their month filter.
    const std::vector<EntryRow>& heldWeekly() const { return m_heldWeekly; }
    const std::vector<EntryRow>& heldMonthly() const { return m_heldMonthly; }
    // Folder view: the child rows, ".." last unless the root is shown.
    const std::vector<FolderRow>& folderRows() const { return m_folderRows; }
    // Folder view: the row of the node just left, to be selected; -1 for none.
    int rowToSelect() const { return m_rowToSelect; }
    // Entry view: where ".." leads.
    const TreeNode* parentNode() const { return m_parentNode; }
    // The texts, faces and colours of a folder row's second column.
    std::vector<FolderRowEntry> folderRowEntries(int row) const;

    // The date display: the picker with DayLabel in a dated entry view, else DateLabel.
    bool pickerVisible() const { return isDayView(); }
    std::string dateLabelText() const; // "毎週火曜日", "毎月08日", "毎年12/08日", or the node's text
    std::string dayLabelText() const;  // "( 火 )"
    Colour dayLabelColour() const;

    // Date navigation. A new picker date (held to the range) commits an entry
    // view and reloads the view's category for it; the tree node follows at
    // once when the date has entries of that kind, else at resolvePendingReselect().
    // In a folder view only ViewDate changes.
    void setViewDate(DateValue date);
    // The arrows: one day, the upper one back, except in a dated view with
    // ASND = 1 (newest first above), where it goes forward. A step out of the
    // range does nothing.
    void stepDate(bool upper);
    int upperArrowStep() const;
    bool reselectPending() const { return m_pendingReselect; }
    // The mouse moved over the list: the node of ViewDate is ensured and selected.
    void resolvePendingReselect();
    // Folder view of the dated category: the first of a month row's month
    // (the picker shows it, nothing reloads); nullopt for other rows.
    std::optional<DateValue> pickerDateForRow(int row) const;

    // ASND: dated nodes newest first; re-sorts the tree.
    bool newestFirst() const;
    void setNewestFirst(bool newestFirst);

    // The editor for a new entry of this view (pattern fixed under the
    // weekly, monthly and yearly categories).
    EditFormModel editorForNew() const;
    // The editor filled from a row. Opening it frees the entry's reminder
    // (releaseReminderForEditing), as the dialog's opening does.
    EditFormModel editorForRow(int row);
    // OK of the editor on a new entry: the row goes just before "..", keyed
    // by its kind's row count; returns its position. Sets the changed flag.
    int addRow(const EditFormModel& editor);
    // OK of the editor on an existing row. Sets the changed flag.
    void updateRow(int row, const EditFormModel& editor);
    // "予定のみ編集": an empty text is refused ("空白は入力出来ません"), and so is a
    // character the file cannot hold; the message goes to the feedback and
    // the old text stays. True when the caption changed.
    bool retitleRow(int row, std::string_view text);
    // "上へ" / "下へ": only a single entry row of a dated entry view, never
    // past the first row or the ".." row. The row's new position, or nullopt.
    std::optional<int> moveRow(int row, bool up);
    bool canMove(int row, bool up) const;
    // "削除" (deleted) and "復活" (revived) for the given entry rows; ".." is skipped.
    void setDeleted(const std::vector<int>& rows, bool deleted);

    // The clipboard commands. Cut and Copy put copies of the given entry rows
    // (".." skipped) on the clipboard; Cut then marks them deleted.
    void copyRows(const std::vector<int>& rows);
    void cutRows(const std::vector<int>& rows);
    // Inserts the clipboard rows before ".." in an entry view, fitted to the
    // view's kind (a dated view keeps each row's kind), keyed at the end of
    // their kind's list, each with a copy of its reminder window file (none
    // when that cannot be copied). The positions of the new rows; none
    // outside an entry view or with an empty clipboard.
    std::vector<int> paste();
    const ScheduleClipboard& clipboard() const { return *m_clipboard; }
    // "＋N日分の複製" (N = 1..6): the dated rows go on the clipboard and are
    // appended straight into the store to each of the next N days, never past
    // 2100-12-31; their tree nodes are ensured. The number of days written.
    int copyToFollowingDays(const std::vector<int>& rows, int days);
    // The list menu for the selected rows of the shown view.
    ListMenuState listMenuState(const std::vector<int>& selectedRows) const;
    // "ここ以前のデータを全て削除" applies to the dated category's nodes only.
    static bool canDeleteUpTo(const TreeNode* node);

    // "ツリー下のデータを全て削除" and "ここ以前のデータを全て削除": after the
    // user confirms, every entry of each node's own kind is marked deleted
    // node by node and committed; the node selected before is shown again.
    // The number of entries deleted.
    int deleteUnderNode(const TreeNode* node);
    int deleteUpTo(const TreeNode* node);

    // The search: startSearchAll for "全データを検索", startSearchHere for
    // "ここから検索" (from the selected node); findNext commits the shown list, searches
    // on and shows the hit's node, returning the hit's row in rows(), or -1
    // after "データの最後です" (also for a text the code page cannot hold).
    void startSearchAll();
    void startSearchHere();
    int findNext(std::string_view text, bool matchCase);
    ScheduleSearch& search() { return m_search; }

    // CommitEntries: writes the rows of an entry view (with the held ones)
    // into the store under renumbered keys: entry lists, "OPT"/"OPT2" rules,
    // the nine option sections, the supplement files and the reminder state;
    // deleted rows' reminders are closed and their window files queued.
    // Nothing happens in a folder view. The rows are cleared.
    void commitEntries();

    // Something was altered: the opener saves and redraws.
    bool changed() const { return m_changed; }
    // Reminder window files of deleted entries, deleted at close().
    const std::vector<std::string>& deletionQueue() const { return m_deletionQueue; }
    // The first column's width: the widest caption + 34 (dated rows × 1.1), a running maximum.
    int firstColumnWidth() const { return m_columnWidth; }

private:
    void showNode(const TreeNode* node);
    void loadEntryRows();
    void loadFolderRows(const TreeNode* node);
    void widenFor(const EntryRow& row);
    void ensureRepeatingNodes();
    void selectViewDateNode();
    DateValue viewDateOf(const TreeNode& node) const;
    std::string supplementFolder() const;
    int parentPosition() const;
    std::vector<EntryRow> copiesOf(const std::vector<int>& rows) const;
    int markNodesDeleted(const std::vector<const TreeNode*>& nodes);

    ScheduleListContext m_c;
    ScheduleClipboard m_ownClipboard;
    ScheduleClipboard* m_clipboard;
    ScheduleSearch m_search;
    ScheduleTree m_tree;
    const TreeNode* m_selected = nullptr;
    const TreeNode* m_parentNode = nullptr;
    const TreeNode* m_leftNode = nullptr; // the node shown last
    bool m_entryView = false;
    EntryKind m_viewKind = EntryKind::Dated;
    DateValue m_viewDate;
    std::vector<EntryRow> m_rows;
    std::vector<EntryRow> m_heldWeekly;
    std::vector<EntryRow> m_heldMonthly;
    std::vector<FolderRow> m_folderRows;
    int m_rowToSelect = -1;
    std::vector<std::string> m_deletionQueue;
    int m_columnWidth = 0;
    bool m_changed = false;
    bool m_pendingReselect = false;
    bool m_loaded = false; // the rows of an entry view are loaded and not yet committed
};

} // namespace velmora
