#include "editor/ScheduleSearch.h"

#include "core/Cp932.h"
#include "core/NameValueList.h"
#include "editor/FoldForSearch.h"
#include "editor/ScheduleTree.h"
#include "schedule/EntryList.h"
#include "schedule/ScheduleStore.h"

#include <unordered_map>

namespace velmora {

namespace {

// A kind's list values by name, first of duplicate names winning as a lookup
// would: one pass over the section instead of one scan per visited node.
std::unordered_map<std::string_view, std::string_view> listIndex(const NameValueList& lists) {
    std::unordered_map<std::string_view, std::string_view> index;
    index.reserve(lists.size());
    for (const std::string& line : lists.lines()) {
        const auto eq = line.find('=');
        if (eq != std::string::npos) {
            index.emplace(std::string_view(line).substr(0, eq), std::string_view(line).substr(eq + 1));
        }
    }
    return index;
}

const NameValueList& listsOf(const ScheduleStore& store, EntryKind kind) {
    switch (kind) {
    case EntryKind::Weekly:
        return store.section(ScheduleSection::Week);
    case EntryKind::Monthly:
        return store.section(ScheduleSection::Month);
    case EntryKind::Yearly:
        return store.section(ScheduleSection::Year);
    case EntryKind::Dated:
        break;
    }
    return store.section(ScheduleSection::Day);
}

// The list name of an entry node: "2026/12/08", "3" (of "3:火曜日"), "08", "12/08".
std::string_view listNameOf(const TreeNode& node) {
    const std::string_view text = node.text;
    return node.kind == EntryKind::Weekly ? text.substr(0, 1) : text;
}

class Matcher {
public:
    Matcher(std::string_view text, bool matchCase) : m_matchCase(matchCase) {
        m_needle = matchCase ? std::string(text) : foldForSearch(text);
    }
    bool matches(std::string_view caption) {
        if (m_matchCase) {
            return caption.find(m_needle) != std::string_view::npos;
        }
        foldForSearchInto(caption, m_buffer);
        return m_buffer.find(m_needle) != std::string::npos;
    }

private:
    bool m_matchCase;
    std::string m_needle;
    std::string m_buffer;
};

} // namespace

void ScheduleSearch::startAll() {
    m_position = {};
    m_stopped = false;
    m_hit = false;
}

void ScheduleSearch::startFrom(const TreeNode& node) {
    startAll();
    switch (node.type) {
    case TreeNodeType::Root:
        break;
    case TreeNodeType::Category:
        m_position.category = node.row();
        break;
    case TreeNodeType::Month:
    case TreeNodeType::Child:
        m_position.category = node.parent->row();
        m_position.child = node.row();
        break;
    case TreeNodeType::Day:
        m_position.category = 0;
        m_position.child = node.parent->row();
        m_position.day = node.row();
        break;
    }
}

SearchStep ScheduleSearch::findNext(const ScheduleTree& tree, const ScheduleStore& store, std::string_view text,
                                    bool matchCase) {
    if (m_stopped) {
        return {SearchStep::Stopped};
    }
    m_hit = false;
    if (text.empty() || !cp932::canEncode(text)) {
        // No stored text can hold it: nothing to walk.
        startAll();
        return {};
    }
    Matcher matcher(text, matchCase);
    // Examines one node's list from the saved row; true on a hit.
    const auto searchNode = [&](const TreeNode& node,
                                const std::unordered_map<std::string_view, std::string_view>& index) {
        if (m_position.row == 0) {
            node.searchHit = false;
        }
        const auto it = index.find(listNameOf(node));
        if (it == index.end()) {
            return false;
        }
        const std::vector<std::string> texts = parseEntryList(it->second);
        for (int row = m_position.row; row < static_cast<int>(texts.size()); ++row) {
            if (matcher.matches(trimmed(texts[static_cast<std::size_t>(row)]))) {
                node.searchHit = true;
                m_hit = true;
                m_position.row = row + 1;
                return true;
            }
        }
        m_position.row = 0;
        return false;
    };

    const TreeNode& root = tree.root();
    for (; m_position.category < static_cast<int>(root.children.size()); ++m_position.category) {
        const TreeNode& category = *root.children[static_cast<std::size_t>(m_position.category)];
        const auto index = listIndex(listsOf(store, category.kind));
        for (; m_position.child < static_cast<int>(category.children.size()); ++m_position.child) {
            const TreeNode& child = *category.children[static_cast<std::size_t>(m_position.child)];
            if (child.type == TreeNodeType::Month) {
                for (; m_position.day < static_cast<int>(child.children.size()); ++m_position.day) {
                    const TreeNode& day = *child.children[static_cast<std::size_t>(m_position.day)];
                    if (searchNode(day, index)) {
                        return {SearchStep::Hit, &day, m_position.row - 1};
                    }
                }
                m_position.day = 0;
            } else if (searchNode(child, index)) {
                return {SearchStep::Hit, &child, m_position.row - 1};
            }
        }
        m_position.child = 0;
        m_position.day = 0;
    }
    startAll();
    return {};
}

} // namespace velmora
