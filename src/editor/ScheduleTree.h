#pragma once

#include "core/DateValue.h"
#include "schedule/ScheduleKey.h"

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace velmora {

class ScheduleStore;

// "日曜日" .. "土曜日" and "日" .. "土" for weekday 1 = Sunday .. 7 = Saturday.
std::string_view longDayName(int weekday);
std::string_view shortDayName(int weekday);

enum class TreeNodeType {
    Root,     // "Velmora"
    Category, // "0:基本ｽｹｼﾞｭｰﾙ", "1:毎週", "2:毎月", "3:毎年"
    Month,    // a month of dated entries, "yyyy/mm"
    Day,      // a day of dated entries, "yyyy/mm/dd"
    Child,    // a weekday "d:曜日名", a day of the month "dd" or a month and day "mm/dd"
};

// One node of the schedule tree.
struct TreeNode {
    TreeNodeType type = TreeNodeType::Root;
    EntryKind kind = EntryKind::Dated; // the category the node lies in (the root: dated)
    std::string text;
    TreeNode* parent = nullptr;
    std::vector<std::unique_ptr<TreeNode>> children;
    bool highlighted = false; // the month and day of the window's start date
    // Found by the search: overlay 2. Display state the search sets on a tree it only reads.
    mutable bool searchHit = false;

    // Position among the parent's children (0 for the root).
    int row() const;
    // Image-list indexes: 8 closed and 7 selected folder, 10 and 9 when highlighted.
    int icon() const { return highlighted ? 10 : 8; }
    int selectedIcon() const { return highlighted ? 9 : 7; }
    // An entry view: a day node or a child of the weekly, monthly or yearly category.
    bool isEntryNode() const { return type == TreeNodeType::Day || type == TreeNodeType::Child; }
};

// The schedule tree (SchTree) as data: the root, the four categories in
// their fixed order, the month and day nodes of the dated entries and the
// children of the repeating ones. Nodes are created from the store's list
// names, or on demand for a date; they are never removed while the window is open.
class ScheduleTree {
public:
    // Told before and after the tree changes, so that an item model over the
    // nodes can follow.
    class Listener {
    public:
        virtual ~Listener() = default;
        virtual void beginInsert(const TreeNode& parent, int row) = 0;
        virtual void endInsert() = 0;
        virtual void beginReset() = 0;
        virtual void endReset() = 0;
    };

    ScheduleTree();
    ScheduleTree(const ScheduleTree&) = delete;
    ScheduleTree& operator=(const ScheduleTree&) = delete;

    void setListener(Listener* listener) { m_listener = listener; }

    // Rebuilds every node from the store's DAY, WEEK, MONTH and YEAR names
    // (option names skipped, as are DAY names that are no date). Dated months
    // and days come newest first when `newestFirst`, else oldest first,
    // whatever order the store holds them in; the others in list order.
    // The month and day of `highlight` get the highlighted icons.
    void build(const ScheduleStore& store, bool newestFirst, std::optional<DateValue> highlight = {});

    const TreeNode& root() const { return *m_root; }
    // The category node of a kind (positions 0..3 hold kinds 0, 3, 2, 1).
    const TreeNode& category(EntryKind kind) const;
    bool newestFirst() const { return m_newestFirst; }

    // SelectDateNode without the selection: the node of `date` in the kind's
    // category (dated: the day node under its month node), inserted at its
    // sorted place when missing. `highlight` gives a new or found dated day
    // and month the highlighted icons.
    const TreeNode& ensureDateNode(EntryKind kind, DateValue date, bool highlight = false);
    // The node of `date` in the kind's category, or nullptr.
    const TreeNode* findDateNode(EntryKind kind, DateValue date) const;

    // Re-sorts every level by ordinal text: dated months and days descending
    // when `newestFirst` (ASND = 1), all else ascending.
    void sort(bool newestFirst);

    // The node's text for a date: "2026/12" (the dated month), "3:火曜日", "08", "12/08".
    static std::string childText(EntryKind kind, DateValue date);
    // Category positions 0..3 <-> kinds: 0 -> dated, 1..3 -> 4 - position.
    static EntryKind kindAtPosition(int position);
    static int positionOfKind(EntryKind kind);

    // Every node below the root.
    std::size_t nodeCount() const;

private:
    TreeNode& categoryNode(EntryKind kind);
    TreeNode& ensureChild(TreeNode& parent, const std::string& text, TreeNodeType type, bool descending);

    std::unique_ptr<TreeNode> m_root;
    bool m_newestFirst = false;
    Listener* m_listener = nullptr;
};

// The entry nodes (day nodes, and the children of the weekly, monthly and
// yearly categories) at or below `node`, in tree order: "ツリー下のデータを全て削除".
std::vector<const TreeNode*> entryNodesUnder(const TreeNode& node);
// "ここ以前のデータを全て削除": the dated day nodes up to `selected` in the
// order the tree lists them. Newest first: from `selected` (with its days)
// to the end of the dated category; oldest first: from the category's start
// up to and including `selected` (a month's own days not included). Empty
// for a node outside the dated category.
std::vector<const TreeNode*> dayNodesUpTo(const ScheduleTree& tree, const TreeNode& selected);

} // namespace velmora
