#include "editor/ScheduleTree.h"

#include "core/DateText.h"
#include "schedule/ScheduleStore.h"

#include <algorithm>
#include <array>
#include <set>

namespace velmora {

namespace {

constexpr std::array<std::string_view, 7> kLongDayNames = {"日曜日", "月曜日", "火曜日", "水曜日",
                                                           "木曜日", "金曜日", "土曜日"};
constexpr std::array<std::string_view, 7> kShortDayNames = {"日", "月", "火", "水", "木", "金", "土"};
constexpr std::array<std::string_view, 4> kCategoryTexts = {"0:基本ｽｹｼﾞｭｰﾙ", "1:毎週", "2:毎月", "3:毎年"};

std::unique_ptr<TreeNode> makeNode(TreeNodeType type, EntryKind kind, std::string text, TreeNode* parent) {
    auto node = std::make_unique<TreeNode>();
    node->type = type;
    node->kind = kind;
    node->text = std::move(text);
    node->parent = parent;
    return node;
}

bool isChildName(EntryKind kind, const std::string& name) {
    switch (kind) {
    case EntryKind::Weekly:
        return name.size() == 1 && name[0] >= '1' && name[0] <= '7';
    case EntryKind::Monthly:
        return name.size() == 2 && name >= "01" && name <= "31" && name[0] >= '0' && name[0] <= '3' && name[1] >= '0' &&
               name[1] <= '9';
    case EntryKind::Yearly:
        return name.size() == 5 && parseMonthDay(name).has_value();
    case EntryKind::Dated:
        break;
    }
    return false;
}

std::string childTextOfName(EntryKind kind, const std::string& name) {
    if (kind == EntryKind::Weekly) {
        return name + ":" + std::string(longDayName(name[0] - '0'));
    }
    return name;
}

void sortChildren(TreeNode& node, bool descending) {
    std::stable_sort(node.children.begin(), node.children.end(),
                     [descending](const std::unique_ptr<TreeNode>& a, const std::unique_ptr<TreeNode>& b) {
                         return descending ? a->text > b->text : a->text < b->text;
                     });
}

std::size_t countBelow(const TreeNode& node) {
    std::size_t n = node.children.size();
    for (const auto& child : node.children) {
        n += countBelow(*child);
    }
    return n;
}

} // namespace

std::string_view longDayName(int weekday) {
    return weekday >= 1 && weekday <= 7 ? kLongDayNames[static_cast<std::size_t>(weekday - 1)] : std::string_view();
}

std::string_view shortDayName(int weekday) {
    return weekday >= 1 && weekday <= 7 ? kShortDayNames[static_cast<std::size_t>(weekday - 1)] : std::string_view();
}

int TreeNode::row() const {
    if (!parent) {
        return 0;
    }
    const auto& siblings = parent->children;
    for (std::size_t i = 0; i < siblings.size(); ++i) {
        if (siblings[i].get() == this) {
            return static_cast<int>(i);
        }
    }
    return 0;
}

ScheduleTree::ScheduleTree() {
    m_root = makeNode(TreeNodeType::Root, EntryKind::Dated, "Velmora", nullptr);
    for (int position = 0; position < 4; ++position) {
        m_root->children.push_back(makeNode(TreeNodeType::Category, kindAtPosition(position),
                                            std::string(kCategoryTexts[static_cast<std::size_t>(position)]),
                                            m_root.get()));
    }
}

EntryKind ScheduleTree::kindAtPosition(int position) {
    return position == 0 ? EntryKind::Dated : static_cast<EntryKind>(4 - position);
}

int ScheduleTree::positionOfKind(EntryKind kind) {
    return kind == EntryKind::Dated ? 0 : 4 - static_cast<int>(kind);
}

const TreeNode& ScheduleTree::category(EntryKind kind) const {
    return *m_root->children[static_cast<std::size_t>(positionOfKind(kind))];
}

TreeNode& ScheduleTree::categoryNode(EntryKind kind) {
    return *m_root->children[static_cast<std::size_t>(positionOfKind(kind))];
}

std::string ScheduleTree::childText(EntryKind kind, DateValue date) {
    switch (kind) {
    case EntryKind::Dated:
        return formatDate(date).substr(0, 7);
    case EntryKind::Weekly:
        return childTextOfName(kind, entryListName(kind, date));
    case EntryKind::Monthly:
    case EntryKind::Yearly:
        return entryListName(kind, date);
    }
    return {};
}

void ScheduleTree::build(const ScheduleStore& store, bool newestFirst, std::optional<DateValue> highlight) {
    if (m_listener) {
        m_listener->beginReset();
    }
    m_newestFirst = newestFirst;
    for (auto& category : m_root->children) {
        category->children.clear();
    }

    // Dated: whatever order the store holds its names in, one month node per
    // month (the store is sorted only when saved or when the window closes).
    std::set<std::string> days;
    const NameValueList& dayList = store.section(ScheduleSection::Day);
    for (std::size_t i = 0; i < dayList.size(); ++i) {
        std::string name = dayList.name(i);
        if (name.size() == 10 && parseDate(name)) {
            days.insert(std::move(name));
        }
    }
    const std::string highlightDay = highlight ? formatDate(*highlight) : std::string();
    TreeNode& dated = categoryNode(EntryKind::Dated);
    dated.children.reserve(days.size() / 20 + 1);
    TreeNode* month = nullptr;
    for (const std::string& day : days) {
        const std::string monthText = day.substr(0, 7);
        if (!month || month->text != monthText) {
            dated.children.push_back(makeNode(TreeNodeType::Month, EntryKind::Dated, monthText, &dated));
            month = dated.children.back().get();
        }
        month->children.push_back(makeNode(TreeNodeType::Day, EntryKind::Dated, day, month));
        if (day == highlightDay) {
            month->highlighted = true;
            month->children.back()->highlighted = true;
        }
    }
    if (newestFirst) {
        std::reverse(dated.children.begin(), dated.children.end());
        for (auto& m : dated.children) {
            std::reverse(m->children.begin(), m->children.end());
        }
    }

    // The repeating kinds in the store's order; option names are longer.
    for (EntryKind kind : {EntryKind::Weekly, EntryKind::Monthly, EntryKind::Yearly}) {
        TreeNode& category = categoryNode(kind);
        const NameValueList& lists = store.section(kind == EntryKind::Weekly    ? ScheduleSection::Week
                                                   : kind == EntryKind::Monthly ? ScheduleSection::Month
                                                                                : ScheduleSection::Year);
        std::set<std::string> seen;
        for (std::size_t i = 0; i < lists.size(); ++i) {
            const std::string name = lists.name(i);
            if (isChildName(kind, name) && seen.insert(name).second) {
                category.children.push_back(
                    makeNode(TreeNodeType::Child, kind, childTextOfName(kind, name), &category));
            }
        }
    }
    if (m_listener) {
        m_listener->endReset();
    }
}

TreeNode& ScheduleTree::ensureChild(TreeNode& parent, const std::string& text, TreeNodeType type, bool descending) {
    auto& children = parent.children;
    for (auto& child : children) {
        if (child->text == text) {
            return *child;
        }
    }
    std::size_t at = 0;
    while (at < children.size() && (descending ? children[at]->text >= text : children[at]->text <= text)) {
        ++at;
    }
    if (m_listener) {
        m_listener->beginInsert(parent, static_cast<int>(at));
    }
    children.insert(children.begin() + static_cast<long>(at), makeNode(type, parent.kind, text, &parent));
    if (m_listener) {
        m_listener->endInsert();
    }
    return *children[at];
}

const TreeNode& ScheduleTree::ensureDateNode(EntryKind kind, DateValue date, bool highlight) {
    TreeNode& category = categoryNode(kind);
    if (kind != EntryKind::Dated) {
        return ensureChild(category, childText(kind, date), TreeNodeType::Child, false);
    }
    TreeNode& month = ensureChild(category, childText(kind, date), TreeNodeType::Month, m_newestFirst);
    TreeNode& day = ensureChild(month, formatDate(date), TreeNodeType::Day, m_newestFirst);
    if (highlight) {
        month.highlighted = true;
        day.highlighted = true;
    }
    return day;
}

const TreeNode* ScheduleTree::findDateNode(EntryKind kind, DateValue date) const {
    const TreeNode& category = this->category(kind);
    const std::string text = childText(kind, date);
    for (const auto& child : category.children) {
        if (child->text != text) {
            continue;
        }
        if (kind != EntryKind::Dated) {
            return child.get();
        }
        const std::string day = formatDate(date);
        for (const auto& d : child->children) {
            if (d->text == day) {
                return d.get();
            }
        }
    }
    return nullptr;
}

void ScheduleTree::sort(bool newestFirst) {
    if (m_listener) {
        m_listener->beginReset();
    }
    m_newestFirst = newestFirst;
    TreeNode& dated = categoryNode(EntryKind::Dated);
    sortChildren(dated, newestFirst);
    for (auto& month : dated.children) {
        sortChildren(*month, newestFirst);
    }
    for (EntryKind kind : {EntryKind::Weekly, EntryKind::Monthly, EntryKind::Yearly}) {
        sortChildren(categoryNode(kind), false);
    }
    if (m_listener) {
        m_listener->endReset();
    }
}

std::size_t ScheduleTree::nodeCount() const {
    return countBelow(*m_root);
}

namespace {

void preorder(const TreeNode& node, std::vector<const TreeNode*>& out) {
    out.push_back(&node);
    for (const auto& child : node.children) {
        preorder(*child, out);
    }
}

} // namespace

std::vector<const TreeNode*> entryNodesUnder(const TreeNode& node) {
    std::vector<const TreeNode*> all;
    preorder(node, all);
    std::erase_if(all, [](const TreeNode* n) { return !n->isEntryNode(); });
    return all;
}

std::vector<const TreeNode*> dayNodesUpTo(const ScheduleTree& tree, const TreeNode& selected) {
    const TreeNode& dated = tree.category(EntryKind::Dated);
    std::vector<const TreeNode*> all;
    preorder(dated, all);
    const auto at = std::find(all.begin(), all.end(), &selected);
    if (at == all.end()) {
        return {};
    }
    std::vector<const TreeNode*> out;
    if (tree.newestFirst()) {
        out.assign(at, all.end());
    } else {
        out.assign(all.begin(), at + 1);
    }
    std::erase_if(out, [](const TreeNode* n) { return n->type != TreeNodeType::Day; });
    return out;
}

} // namespace velmora
