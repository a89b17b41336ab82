#pragma once

#include "core/UserFeedback.h"

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace velmora {

class MemoStore;

// One memo in the drawer, as the drawer window lists it.
struct DrawerItem {
    std::string fileName; // the drawer file as the folder holds it ("MEMO0003.$$$")
    std::string content;  // what the memo says, or its picture path
    std::string fontName; // the memo's font, to show the content in
    bool marked = false;  // to go to the trash when the drawer closes

    friend bool operator==(const DrawerItem&, const DrawerItem&) = default;
};

// The memo drawer: the memos put away from the desktop, which the user takes
// back out or marks for deletion. Nothing leaves the folder until close(), so
// a mark can be taken back while the drawer is open.
class MemoDrawer {
public:
    // Moves a file to the desktop's trash; false when it could not.
    using TrashFunction = std::function<bool(const std::string& path)>;

    MemoDrawer(MemoStore& store, UserFeedback& feedback, TrashFunction trash);

    // Lists the drawer files of the memo folder, by name. A file that cannot
    // be read is listed all the same, with what could be read of it.
    void load();

    int size() const { return static_cast<int>(m_items.size()); }
    bool empty() const { return m_items.empty(); }
    // Rows out of range are never passed: the callers ask size() first.
    const DrawerItem& item(int i) const { return m_items.at(static_cast<std::size_t>(i)); }
    // The caption as the list shows it: "x" in front of a marked file's name.
    std::string displayCaption(int i) const;

    // Each returns false, changing nothing, when the row does not exist or
    // is already in that state.
    bool mark(int i);
    bool unmark(int i);
    bool canRevive(int i) const;

    // Takes the memo out of the drawer, listed last in the memo data, and
    // drops its row; returns the memo file name ("MEMO0003.dfm"). nullopt
    // when it stays in the drawer: a marked row, or a failed rename (which
    // the store has reported).
    std::optional<std::string> revive(int i);

    // Trashes the marked files and forgets their looks, empties the list and,
    // when anything changed, saves the memo data with a stamp. A file that
    // cannot be trashed is reported and keeps its file and its look.
    void close();

private:
    bool validRow(int i) const { return i >= 0 && i < size(); }

    MemoStore& m_store;
    UserFeedback& m_feedback;
    TrashFunction m_trash;
    std::vector<DrawerItem> m_items;
    bool m_revived = false;
};

} // namespace velmora
