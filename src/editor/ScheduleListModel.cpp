#include "editor/ScheduleListModel.h"

#include "core/DateText.h"
#include "core/PathText.h"
#include "editor/EntryRowStore.h"
#include "schedule/EntryList.h"
#include "schedule/ScheduleStore.h"
#include "settings/Settings.h"

#include <algorithm>
#include <filesystem>

namespace velmora {

namespace {

DateValue clampToNavigable(DateValue date) {
    const DateRange range = navigableDateRange();
    if (date.dayNumber() < range.first.dayNumber()) {
        return range.first;
    }
    if (date.dayNumber() > range.last.dayNumber()) {
        return range.last;
    }
    return date.datePart();
}

// The dates weekly, monthly and yearly views work on: the week Sunday
// 1995-12-31 .. Saturday 1996-01-06, January 1996, and the leap year 1996
// (so 02/29 exists).
DateValue weeklyDate(int weekday) {
    return DateValue::fromDate(1995, 12, 31)->addDays(weekday - 1);
}

DateValue fixedDateFor(EntryKind kind, DateValue date) {
    switch (kind) {
    case EntryKind::Weekly:
        return weeklyDate(date.weekday());
    case EntryKind::Monthly:
        return *DateValue::fromDate(1996, 1, date.day());
    case EntryKind::Yearly:
        return *DateValue::fromDate(1996, date.month(), date.day());
    case EntryKind::Dated:
        break;
    }
    return date;
}

std::string twoDigits(int v) {
    return (v < 10 ? "0" : "") + std::to_string(v);
}

} // namespace

ScheduleListModel::ScheduleListModel(ScheduleListContext context)
    : m_c(std::move(context)), m_clipboard(m_c.clipboard ? m_c.clipboard : &m_ownClipboard) {}

void ScheduleListModel::open(DateValue startDate) {
    m_viewDate = clampToNavigable(startDate);
    m_tree.build(m_c.store, newestFirst(), m_viewDate);
    ensureRepeatingNodes();
    const TreeNode& day = m_tree.ensureDateNode(EntryKind::Dated, m_viewDate, true);
    m_selected = &day;
    showNode(&day);
}

void ScheduleListModel::close() {
    // The commit first: it may queue the window files of entries deleted last.
    commitEntries();
    const std::string folder = supplementFolder();
    for (const std::string& name : m_deletionQueue) {
        if (isPlainFileName(name)) {
            std::error_code ec;
            std::filesystem::remove(folder + name, ec);
        }
    }
    m_deletionQueue.clear();
    for (ScheduleSection s :
         {ScheduleSection::Day, ScheduleSection::Week, ScheduleSection::Month, ScheduleSection::Year}) {
        m_c.store.section(s).sortIgnoreCase();
    }
}

void ScheduleListModel::selectNode(const TreeNode* node) {
    if (!node) {
        return;
    }
    commitEntries();
    m_selected = node;
    showNode(node);
}

DateValue ScheduleListModel::viewDateOf(const TreeNode& node) const {
    if (node.type == TreeNodeType::Day) {
        if (const auto date = parseDate(node.text)) {
            return *date;
        }
    } else if (node.type == TreeNodeType::Child) {
        switch (node.kind) {
        case EntryKind::Weekly:
            return weeklyDate(node.text[0] - '0');
        case EntryKind::Monthly:
            return *DateValue::fromDate(1996, 1, std::stoi(node.text));
        case EntryKind::Yearly:
            if (const auto md = parseMonthDay(node.text)) {
                return *DateValue::fromDate(1996, md->month, md->day);
            }
            break;
        case EntryKind::Dated:
            break;
        }
    }
    return m_viewDate;
}

void ScheduleListModel::showNode(const TreeNode* node) {
    const TreeNode* left = m_leftNode;
    m_rows.clear();
    m_heldWeekly.clear();
    m_heldMonthly.clear();
    m_folderRows.clear();
    m_rowToSelect = -1;
    m_pendingReselect = false;
    m_viewDate = viewDateOf(*node);
    m_viewKind = node->kind;
    if (node->isEntryNode()) {
        m_entryView = true;
        m_parentNode = node->parent;
        loadEntryRows();
    } else {
        m_entryView = false;
        m_parentNode = node->parent;
        loadFolderRows(node);
        for (std::size_t i = 0; i < m_folderRows.size(); ++i) {
            if (left && m_folderRows[i].node == left && !m_folderRows[i].parent) {
                m_rowToSelect = static_cast<int>(i);
            }
        }
    }
    m_leftNode = node;
}

void ScheduleListModel::loadEntryRows() {
    LoadedRows loaded = velmora::loadEntryRows(m_c.store, EntryView{m_viewKind, m_viewDate}, supplementFolder());
    m_rows = std::move(loaded.rows);
    m_heldWeekly = std::move(loaded.heldWeekly);
    m_heldMonthly = std::move(loaded.heldMonthly);
    m_rows.push_back(EntryRow::parentRow());
    m_loaded = true;
    for (const EntryRow& row : m_rows) {
        widenFor(row);
    }
}

void ScheduleListModel::loadFolderRows(const TreeNode* node) {
    for (const auto& child : node->children) {
        FolderRow row;
        row.caption = child->text;
        row.icon = child->icon();
        row.node = child.get();
        if (node->type == TreeNodeType::Month) {
            if (const auto date = parseDate(child->text)) {
                row.caption += "(" + std::string(shortDayName(date->weekday())) + "):";
            }
            row.second = m_c.store.section(ScheduleSection::Day).value(child->text) + " ";
        } else if (node->type == TreeNodeType::Category && node->kind != EntryKind::Dated) {
            row.caption += ":";
            const std::string name = node->kind == EntryKind::Weekly ? child->text.substr(0, 1) : child->text;
            row.second = m_c.store.entryLists(node->kind).value(name);
        }
        m_folderRows.push_back(std::move(row));
    }
    if (node->type != TreeNodeType::Root) {
        FolderRow up;
        up.caption = std::string(kParentCaption);
        up.parent = true;
        up.node = node->parent;
        m_folderRows.push_back(std::move(up));
    }
}

std::vector<FolderRowEntry> ScheduleListModel::folderRowEntries(int row) const {
    std::vector<FolderRowEntry> out;
    if (m_entryView || row < 0 || row >= static_cast<int>(m_folderRows.size())) {
        return out;
    }
    const FolderRow& folderRow = m_folderRows[static_cast<std::size_t>(row)];
    if (folderRow.parent || !folderRow.node || !folderRow.node->isEntryNode()) {
        return out;
    }
    const TreeNode& node = *folderRow.node;
    std::string name = node.text;
    if (node.kind == EntryKind::Weekly) {
        name = name.substr(0, 1);
    }
    const FontSetting& font = m_c.settings.font(FontPart::Schedule);
    const std::vector<std::string> texts = parseEntryList(m_c.store.entryLists(node.kind).value(name));
    for (std::size_t i = 0; i < texts.size(); ++i) {
        const std::string key = ScheduleKey::make(node.kind, name, static_cast<int>(i)).text();
        EntryRow probe;
        probe.setField(RowField::Color, m_c.store.section(ScheduleSection::ColorOpt).value(key));
        probe.setField(RowField::FontName, m_c.store.section(ScheduleSection::FontName).value(key));
        out.push_back({trimmed(texts[i]), rowFontName(probe, font.face), rowColour(probe, font.colour)});
    }
    return out;
}

void ScheduleListModel::widenFor(const EntryRow& row) {
    if (!m_c.measure) {
        return;
    }
    const std::string face = row.hasValue(RowField::FontName) ? row.field(RowField::FontName) : std::string();
    int width = m_c.measure(row.caption, face);
    if (!row.parent && row.kind == EntryKind::Dated) {
        width = static_cast<int>(width * 1.1);
    }
    m_columnWidth = std::max(m_columnWidth, width + 34);
}

void ScheduleListModel::ensureRepeatingNodes() {
    for (EntryKind kind : {EntryKind::Yearly, EntryKind::Monthly, EntryKind::Weekly}) {
        m_tree.ensureDateNode(kind, m_viewDate);
    }
}

void ScheduleListModel::selectViewDateNode() {
    const TreeNode& node = m_tree.ensureDateNode(m_viewKind, m_viewDate);
    m_selected = &node;
    m_leftNode = &node;
    m_parentNode = node.parent;
    m_pendingReselect = false;
}

std::string ScheduleListModel::supplementFolder() const {
    return folderOf(m_c.store.path());
}

int ScheduleListModel::parentPosition() const {
    return static_cast<int>(m_rows.size()) - 1;
}

std::string ScheduleListModel::dateLabelText() const {
    if (!m_entryView) {
        return m_selected ? m_selected->text : std::string();
    }
    switch (m_viewKind) {
    case EntryKind::Weekly:
        return "毎週" + std::string(shortDayName(m_viewDate.weekday())) + "曜日";
    case EntryKind::Monthly:
        return "毎月" + twoDigits(m_viewDate.day()) + "日";
    case EntryKind::Yearly:
        return "毎年" + formatMonthDay(m_viewDate) + "日";
    case EntryKind::Dated:
        break;
    }
    return formatDate(m_viewDate);
}

std::string ScheduleListModel::dayLabelText() const {
    return "( " + std::string(shortDayName(m_viewDate.weekday())) + " )";
}

Colour ScheduleListModel::dayLabelColour() const {
    const Settings& s = m_c.settings;
    Colour colour = s.normal;
    if (m_viewKind == EntryKind::Dated || m_viewKind == EntryKind::Weekly) {
        if (m_viewDate.weekday() == 1) {
            colour = s.sun;
        } else if (m_viewDate.weekday() == 7) {
            colour = s.sat;
        }
    }
    if ((m_viewKind == EntryKind::Dated || m_viewKind == EntryKind::Yearly) &&
        s.holidayList.contains(formatMonthDay(m_viewDate))) {
        colour = s.font(FontPart::Holiday).colour;
    }
    return colour;
}

void ScheduleListModel::setViewDate(DateValue date) {
    date = clampToNavigable(date);
    if (!m_entryView) {
        m_viewDate = date;
        return;
    }
    commitEntries();
    m_viewDate = m_viewKind == EntryKind::Dated ? date : fixedDateFor(m_viewKind, date);
    m_rows.clear();
    m_heldWeekly.clear();
    m_heldMonthly.clear();
    loadEntryRows();
    const bool hasOwn =
        std::any_of(m_rows.begin(), m_rows.end(), [&](const EntryRow& r) { return !r.parent && r.kind == m_viewKind; });
    if (hasOwn) {
        selectViewDateNode();
    } else {
        m_pendingReselect = true;
        const TreeNode* node = m_tree.findDateNode(m_viewKind, m_viewDate);
        m_parentNode = node ? node->parent : &m_tree.category(m_viewKind);
    }
}

int ScheduleListModel::upperArrowStep() const {
    return isDayView() && newestFirst() ? 1 : -1;
}

void ScheduleListModel::stepDate(bool upper) {
    const int step = upper ? upperArrowStep() : -upperArrowStep();
    const DateValue next = m_viewDate.addDays(step);
    if (!navigableDateRange().contains(next)) {
        return;
    }
    setViewDate(next);
}

void ScheduleListModel::resolvePendingReselect() {
    if (!m_pendingReselect) {
        return;
    }
    const TreeNode& node = m_tree.ensureDateNode(m_viewKind, m_viewDate);
    selectNode(&node);
}

std::optional<DateValue> ScheduleListModel::pickerDateForRow(int row) const {
    if (m_entryView || !m_selected || m_selected->type != TreeNodeType::Category ||
        m_selected->kind != EntryKind::Dated || row < 0 || row >= static_cast<int>(m_folderRows.size())) {
        return std::nullopt;
    }
    const FolderRow& r = m_folderRows[static_cast<std::size_t>(row)];
    if (r.parent || !r.node || r.node->type != TreeNodeType::Month) {
        return std::nullopt;
    }
    return parseDate(r.node->text + "/01");
}

bool ScheduleListModel::newestFirst() const {
    return m_c.settings.asnd == 1;
}

void ScheduleListModel::setNewestFirst(bool newestFirst) {
    m_c.settings.asnd = newestFirst ? 1 : 0;
    m_tree.sort(newestFirst);
}

EditFormModel ScheduleListModel::editorForNew() const {
    const FontSetting& font = m_c.settings.font(FontPart::Schedule);
    EditFormContext context;
    context.viewDate = m_viewDate;
    context.now = m_c.clock.now();
    context.scheduleFontName = font.face;
    context.scheduleFontColour = font.colour;
    for (std::size_t i = 0; i < 5; ++i) {
        context.patternNames[i] = m_c.settings.outPtn[i];
    }
    if (m_entryView && m_viewKind != EntryKind::Dated) {
        // A weekly, monthly or yearly view writes back only its own list.
        context.fixedPattern = patternOfKind(m_viewKind);
    }
    return EditFormModel(std::move(context));
}

EditFormModel ScheduleListModel::editorForRow(int row) {
    EditFormModel editor = editorForNew();
    if (row < 0 || row >= parentPosition()) {
        return editor;
    }
    const EntryRow& r = m_rows[static_cast<std::size_t>(row)];
    EditFormContext context = editor.context();
    context.key = r.field(RowField::Key);
    editor = EditFormModel(std::move(context));
    editor.fillFromRow(r);
    if (!r.added) {
        // Keyed by the key it was loaded under: the row's kind may have
        // changed since, and an added row's key can be another entry's.
        releaseReminderForEditing(m_c.store, r.field(RowField::Key), m_c.reminders, m_c.clock.today());
    }
    return editor;
}

int ScheduleListModel::addRow(const EditFormModel& editor) {
    if (!m_entryView || !m_loaded) {
        return -1;
    }
    EntryRow row;
    editor.writeToRow(row);
    if (m_viewKind != EntryKind::Dated) {
        row.kind = m_viewKind;
    }
    const auto count =
        std::count_if(m_rows.begin(), m_rows.end(), [&](const EntryRow& r) { return !r.parent && r.kind == row.kind; });
    row.added = true;
    row.setField(RowField::Index, std::to_string(count));
    row.setField(RowField::Key, ScheduleKey::make(row.kind, "", static_cast<int>(count), m_viewDate).text());
    const int at = parentPosition();
    m_rows.insert(m_rows.begin() + at, std::move(row));
    widenFor(m_rows[static_cast<std::size_t>(at)]);
    if (m_rows[static_cast<std::size_t>(at)].kind != EntryKind::Dated) {
        m_tree.ensureDateNode(m_rows[static_cast<std::size_t>(at)].kind, m_viewDate);
    }
    m_changed = true;
    return at;
}

void ScheduleListModel::updateRow(int row, const EditFormModel& editor) {
    if (!m_entryView || row < 0 || row >= parentPosition()) {
        return;
    }
    EntryRow& r = m_rows[static_cast<std::size_t>(row)];
    editor.writeToRow(r);
    if (m_viewKind != EntryKind::Dated) {
        r.kind = m_viewKind;
    }
    widenFor(r);
    if (r.kind != EntryKind::Dated) {
        m_tree.ensureDateNode(r.kind, m_viewDate);
    }
    m_changed = true;
}

bool ScheduleListModel::retitleRow(int row, std::string_view text) {
    if (!m_entryView || row < 0 || row >= parentPosition()) {
        return false;
    }
    const std::string caption = entryCaption(text);
    if (caption.empty()) {
        m_c.feedback.showMessage("空白は入力出来ません");
        return false;
    }
    if (const auto message = unencodableTextMessage(caption, "予定")) {
        m_c.feedback.showMessage(*message);
        return false;
    }
    EntryRow& r = m_rows[static_cast<std::size_t>(row)];
    r.caption = caption;
    if (r.hasValue(RowField::Holiday)) {
        r.setField(RowField::Holiday, caption); // the holiday is named by the entry's text
    }
    widenFor(r);
    m_changed = true;
    return true;
}

bool ScheduleListModel::canMove(int row, bool up) const {
    if (!isDayView() || row < 0 || row >= parentPosition()) {
        return false;
    }
    return up ? row > 0 : row + 1 < parentPosition();
}

std::optional<int> ScheduleListModel::moveRow(int row, bool up) {
    if (!canMove(row, up)) {
        return std::nullopt;
    }
    const int other = up ? row - 1 : row + 1;
    std::swap(m_rows[static_cast<std::size_t>(row)], m_rows[static_cast<std::size_t>(other)]);
    m_changed = true;
    return other;
}

void ScheduleListModel::setDeleted(const std::vector<int>& rows, bool deleted) {
    if (!m_entryView) {
        return;
    }
    for (int row : rows) {
        if (row >= 0 && row < parentPosition() && m_rows[static_cast<std::size_t>(row)].deleted != deleted) {
            m_rows[static_cast<std::size_t>(row)].deleted = deleted;
            m_changed = true;
        }
    }
}

void ScheduleListModel::commitEntries() {
    if (!m_entryView || !m_loaded) {
        return;
    }
    std::vector<EntryRow> rows;
    rows.reserve(m_rows.size() + m_heldWeekly.size() + m_heldMonthly.size());
    for (EntryRow& row : m_rows) {
        if (!row.parent) {
            rows.push_back(std::move(row));
        }
    }
    for (auto* held : {&m_heldWeekly, &m_heldMonthly}) {
        std::move(held->begin(), held->end(), std::back_inserter(rows));
    }
    m_rows.clear();
    m_heldWeekly.clear();
    m_heldMonthly.clear();
    m_loaded = false;
    commitEntryRows(m_c.store, EntryView{m_viewKind, m_viewDate}, rows, m_c.reminders, m_c.feedback, supplementFolder(),
                    m_deletionQueue);
}

std::vector<EntryRow> ScheduleListModel::copiesOf(const std::vector<int>& rows) const {
    std::vector<EntryRow> out;
    if (!m_entryView) {
        return out;
    }
    for (int row : rows) {
        if (row >= 0 && row < parentPosition()) {
            out.push_back(m_rows[static_cast<std::size_t>(row)]);
        }
    }
    return out;
}

void ScheduleListModel::copyRows(const std::vector<int>& rows) {
    std::vector<EntryRow> copies = copiesOf(rows);
    if (copies.empty()) {
        return;
    }
    std::vector<std::optional<std::string>> files;
    for (const EntryRow& row : copies) {
        files.push_back(row.hasValue(RowField::PopupFile)
                            ? readReminderWindowFile(supplementFolder(), row.field(RowField::PopupFile))
                            : std::nullopt);
    }
    m_clipboard->set(std::move(copies), std::move(files));
}

void ScheduleListModel::cutRows(const std::vector<int>& rows) {
    copyRows(rows);
    setDeleted(rows, true);
}

std::vector<int> ScheduleListModel::paste() {
    std::vector<int> pasted;
    if (!m_entryView || !m_loaded || m_clipboard->empty()) {
        return pasted;
    }
    const std::string folder = supplementFolder();
    for (std::size_t i = 0; i < m_clipboard->rows().size(); ++i) {
        const EntryRow& source = m_clipboard->rows()[i];
        EntryRow row = source;
        row.deleted = false;
        row.added = true;
        const EntryKind from = source.kind;
        const EntryKind to = isDayView() ? from : m_viewKind;
        auto count =
            std::count_if(m_rows.begin(), m_rows.end(), [&](const EntryRow& r) { return !r.parent && r.kind == to; });
        if (to == EntryKind::Weekly) {
            count += static_cast<long>(m_heldWeekly.size());
        } else if (to == EntryKind::Monthly) {
            count += static_cast<long>(m_heldMonthly.size());
        }
        row.kind = to;
        row.setField(RowField::Index, std::to_string(count));
        row.setField(RowField::Key, ScheduleKey::make(to, "", static_cast<int>(count), m_viewDate).text());
        if (row.hasValue(RowField::PopupFile)) {
            // Never two entries on one window file: deleting either would take the other's.
            const auto& bytes = m_clipboard->windowFile(i);
            const auto copy = bytes ? writeReminderWindowFile(m_c.store, folder, *bytes) : std::nullopt;
            row.setField(RowField::PopupFile, copy.value_or(std::string()));
        }
        // The supplement text travels in field 7 and is written under the final key at the commit.
        const bool ruleLess = [](EntryKind k) { return k == EntryKind::Dated || k == EntryKind::Yearly; }(from);
        if (to == EntryKind::Dated || to == EntryKind::Yearly) {
            row.setField(RowField::Opt, "");
            row.setField(RowField::Opt2, "");
        } else if (to == EntryKind::Monthly && from != EntryKind::Monthly) {
            row.setField(RowField::Opt, ruleLess ? std::string("1,1,1,1") : source.field(RowField::Opt2));
            row.setField(RowField::Opt2, "");
        } else if (to == EntryKind::Weekly && from != EntryKind::Weekly) {
            row.setField(RowField::Opt2, ruleLess ? std::string("1,1,1,1") : source.field(RowField::Opt));
            row.setField(RowField::Opt, "1,1,1,1,1");
        }
        const int at = parentPosition();
        m_rows.insert(m_rows.begin() + at, std::move(row));
        widenFor(m_rows[static_cast<std::size_t>(at)]);
        if (to != EntryKind::Dated) {
            m_tree.ensureDateNode(to, m_viewDate);
        }
        pasted.push_back(at);
    }
    m_changed = true;
    return pasted;
}

int ScheduleListModel::copyToFollowingDays(const std::vector<int>& rows, int days) {
    if (!isDayView() || days < 1) {
        return 0;
    }
    std::vector<EntryRow> copies = copiesOf(rows);
    std::erase_if(copies, [](const EntryRow& r) { return r.kind != EntryKind::Dated; });
    if (copies.empty()) {
        return 0;
    }
    m_clipboard->set(copies);
    const DateValue last = navigableDateRange().last;
    int written = 0;
    for (int n = 1; n <= days; ++n) {
        const DateValue day = m_viewDate.addDays(n);
        if (day.dayNumber() > last.dayNumber()) {
            break;
        }
        appendRowsToDay(m_c.store, day, copies, supplementFolder());
        m_tree.ensureDateNode(EntryKind::Dated, day);
        ++written;
    }
    m_changed = true;
    return written;
}

ListMenuState ScheduleListModel::listMenuState(const std::vector<int>& selectedRows) const {
    ListMenuState state;
    if (!m_entryView) {
        return state;
    }
    for (int row : selectedRows) {
        if (row < 0 || row >= parentPosition()) {
            return state; // ".." among them: nothing applies
        }
    }
    state.add = selectedRows.empty();
    state.paste = selectedRows.empty() && !m_clipboard->empty();
    if (!selectedRows.empty()) {
        state.cut = state.copy = state.remove = state.revive = true;
    }
    if (selectedRows.size() == 1) {
        state.retitle = true;
        state.copyToDays = m_rows[static_cast<std::size_t>(selectedRows.front())].kind == EntryKind::Dated;
    }
    return state;
}

bool ScheduleListModel::canDeleteUpTo(const TreeNode* node) {
    return node && node->type != TreeNodeType::Root && node->kind == EntryKind::Dated;
}

int ScheduleListModel::markNodesDeleted(const std::vector<const TreeNode*>& nodes) {
    const TreeNode* before = m_selected;
    int marked = 0;
    for (const TreeNode* node : nodes) {
        selectNode(node);
        std::vector<int> own;
        for (int i = 0; i < parentPosition(); ++i) {
            if (m_rows[static_cast<std::size_t>(i)].kind == node->kind) {
                own.push_back(i);
            }
        }
        setDeleted(own, true);
        marked += static_cast<int>(own.size());
    }
    // Leaving the last node commits its marks; then the view the user was on returns.
    selectNode(&m_tree.category(EntryKind::Dated));
    selectNode(before);
    return marked;
}

int ScheduleListModel::deleteUnderNode(const TreeNode* node) {
    if (!node || !m_c.feedback.confirm("「" + node->text + "」の下のデータを全て削除します。よろしいですか？")) {
        return 0;
    }
    return markNodesDeleted(entryNodesUnder(*node));
}

int ScheduleListModel::deleteUpTo(const TreeNode* node) {
    if (!canDeleteUpTo(node) ||
        !m_c.feedback.confirm("「" + node->text + "」以前のデータを全て削除します。よろしいですか？")) {
        return 0;
    }
    return markNodesDeleted(dayNodesUpTo(m_tree, *node));
}

void ScheduleListModel::startSearchAll() {
    m_search.startAll();
}

void ScheduleListModel::startSearchHere() {
    if (m_selected) {
        m_search.startFrom(*m_selected);
    } else {
        m_search.startAll();
    }
}

int ScheduleListModel::findNext(std::string_view text, bool matchCase) {
    if (m_search.stopped()) {
        return -1;
    }
    // The search reads the store: the shown list goes there first.
    commitEntries();
    const SearchStep step = m_search.findNext(m_tree, m_c.store, text, matchCase);
    if (step.outcome == SearchStep::Hit) {
        m_selected = step.node;
        showNode(step.node);
        return step.row;
    }
    if (m_selected) {
        showNode(m_selected);
    }
    if (step.outcome == SearchStep::End) {
        m_c.feedback.showMessage("データの最後です");
    }
    return -1;
}

} // namespace velmora
