#pragma once

#include <string>
#include <string_view>

namespace velmora {

class ScheduleStore;
class ScheduleTree;
struct TreeNode;

// Where the next find step starts: the category (tree order: 0 dated,
// 1 weekly, 2 monthly, 3 yearly), the child (a month node for dated), the
// day node within that month (dated only) and the row within the node's list.
struct SearchPosition {
    int category = 0;
    int child = 0;
    int day = 0;
    int row = 0;
    friend bool operator==(const SearchPosition&, const SearchPosition&) = default;
};

// The outcome of one find step.
struct SearchStep {
    enum Outcome { Hit, End, Stopped };
    Outcome outcome = End;
    const TreeNode* node = nullptr; // the hit's node
    int row = -1;                   // the hit's position in the node's own list
};

// The search over everything stored, walking the tree in its order: the
// dated days (their dated entries only), then the weekly, monthly and yearly
// children. It reads the entry texts from the store, so the caller commits
// the shown list first. A step resumes at the row after the last hit, so
// consecutive matching entries are each found.
class ScheduleSearch {
public:
    // "全データを検索": from the first stored entry, flags cleared.
    void startAll();
    // "ここから検索": from the node (the root: the start; a category: its first
    // child; a month, weekly, monthly or yearly child: that child; a day: that day).
    void startFrom(const TreeNode& node);
    // The find dialog was closed: steps do nothing until the next start.
    void stop() { m_stopped = true; }
    bool stopped() const { return m_stopped; }
    // The last step found something.
    bool hit() const { return m_hit; }
    const SearchPosition& position() const { return m_position; }

    // One find-next request. A match is `text` within the caption, or, without
    // `matchCase`, FoldForSearch of it within FoldForSearch of the caption.
    // Hit: the node gets the search overlay and the position moves past the
    // row. End (nothing more, or an empty text, or one the code page cannot
    // hold): the position returns to the start. Each node visited from its
    // first row loses an overlay of an earlier search.
    SearchStep findNext(const ScheduleTree& tree, const ScheduleStore& store, std::string_view text, bool matchCase);

private:
    SearchPosition m_position;
    bool m_stopped = false;
    bool m_hit = false;
};

} // namespace velmora
