#include "editor/EntryRowStore.h"

#include "core/AtomicFile.h"
#include "core/Cp932.h"
#include "core/DateText.h"
#include "core/UserFeedback.h"
#include "editor/OpenReminders.h"
#include "schedule/EntryList.h"
#include "schedule/EntryRules.h"
#include "schedule/ScheduleStore.h"

#include <algorithm>
#include <array>
#include <filesystem>
#include <map>
#include <set>
#include <unordered_map>
#include <unordered_set>

namespace velmora {

namespace fs = std::filesystem;

namespace {

// The option sections of fields 4..13 (the supplement, field 7, is a file).
struct OptionField {
    RowField field;
    ScheduleSection section;
};
constexpr std::array<OptionField, 9> kOptionFields = {{
    {RowField::Popup, ScheduleSection::Popup},
    {RowField::PopupFile, ScheduleSection::PopupFile},
    {RowField::Color, ScheduleSection::ColorOpt},
    {RowField::Holiday, ScheduleSection::HolidayOpt},
    {RowField::FromTo, ScheduleSection::FromTo},
    {RowField::FontName, ScheduleSection::FontName},
    {RowField::PtnOpt, ScheduleSection::PtnOpt},
    {RowField::PopupOpt, ScheduleSection::PopupOpt},
    {RowField::IntOpt, ScheduleSection::IntOpt},
}};

constexpr std::array<EntryKind, 4> kViewOrder = {EntryKind::Dated, EntryKind::Weekly, EntryKind::Monthly,
                                                 EntryKind::Yearly};

// Names are compared without regard to letter case, as the store looks them up.
std::string folded(std::string_view name) {
    std::string out(name);
    for (char& c : out) {
        if (c >= 'a' && c <= 'z') {
            c = static_cast<char>(c - 'a' + 'A');
        }
    }
    return out;
}

std::string_view nameOf(const std::string& line) {
    const auto eq = line.find('=');
    return eq == std::string::npos ? std::string_view() : std::string_view(line).substr(0, eq);
}

bool startsWithFolded(std::string_view name, std::string_view foldedPrefix) {
    if (name.size() < foldedPrefix.size()) {
        return false;
    }
    for (std::size_t i = 0; i < foldedPrefix.size(); ++i) {
        char c = name[i];
        if (c >= 'a' && c <= 'z') {
            c = static_cast<char>(c - 'a' + 'A');
        }
        if (c != foldedPrefix[i]) {
            return false;
        }
    }
    return true;
}

// The key prefix of one list: "2026/12/08-", "WEEK3-", "MONTH08-", "YEAR12/08-".
std::string keyPrefix(EntryKind kind, DateValue viewDate) {
    const std::string key = ScheduleKey::make(kind, "", 0, viewDate).text();
    return folded(key.substr(0, key.rfind('-') + 1));
}

// Every value of a section whose name starts with one of the prefixes, by
// folded name; the first of duplicate names wins, as a lookup would find it.
std::unordered_map<std::string, std::string> valuesByPrefix(const NameValueList& list,
                                                            const std::vector<std::string>& prefixes) {
    std::unordered_map<std::string, std::string> out;
    for (const std::string& line : list.lines()) {
        const std::string_view name = nameOf(line);
        for (const std::string& prefix : prefixes) {
            if (startsWithFolded(name, prefix)) {
                out.emplace(folded(name), line.substr(name.size() + 1));
                break;
            }
        }
    }
    return out;
}

std::string withLf(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r') {
            out += '\n';
            if (i + 1 < text.size() && text[i + 1] == '\n') {
                ++i;
            }
        } else {
            out += text[i];
        }
    }
    return out;
}

std::string withCrLf(std::string_view lfText) {
    std::string out;
    out.reserve(lfText.size() + lfText.size() / 16);
    for (char c : withLf(lfText)) {
        if (c == '\n') {
            out += '\r';
        }
        out += c;
    }
    return out;
}

std::string supplementOf(const std::string& folder, const std::string& key) {
    const auto name = supplementFileName(key);
    if (!name) {
        return {};
    }
    const FileRead read = readFile(folder + *name);
    return read.outcome == ReadOutcome::Read ? withLf(cp932::toUtf8(read.bytes)) : std::string();
}

// A supplement file nobody but its owner may read holds a secret moved out
// of the secret store; its text stays private under the entry's new key.
bool isPrivateFile(const std::string& path) {
    std::error_code ec;
    const fs::file_status status = fs::status(path, ec);
    if (ec || !fs::exists(status)) {
        return false;
    }
    return (status.permissions() & (fs::perms::group_all | fs::perms::others_all)) == fs::perms::none;
}

// Writes a row's supplement text as the file `path` (CP932, CRLF); a file
// that already holds it is left alone. A `secret` text gets a file only its
// owner may read. Failures are reported with the entry's text.
void writeSupplementFile(const std::string& path, const EntryRow& row, bool secret, UserFeedback& feedback) {
    const auto bytes = cp932::fromUtf8(withCrLf(row.field(RowField::Supplement)));
    if (!bytes) {
        feedback.showMessage("補足説明に保存できない文字があるため、「" + row.caption +
                             "」の補足説明を保存できませんでした");
        return;
    }
    if (const auto current = readWholeFile(path); current && *current == *bytes && (!secret || isPrivateFile(path))) {
        return;
    }
    std::error_code ec;
    if (secret) {
        // An existing file keeps its mode when rewritten: a secret gets a new, private one.
        fs::remove(path, ec);
    }
    std::string error;
    if (!writeFileAtomically(path, *bytes, &error, AtomicWriteOptions{.ownerOnly = secret})) {
        feedback.showMessage("「" + row.caption + "」の補足説明を保存できませんでした\n" + error);
    }
}

// Sets `name` where it stands, or removes it for a blank value. Duplicates
// behind the first, which no lookup reads, go too.
void putValue(NameValueList& list, const std::string& name, std::string_view value) {
    if (isBlankField(value)) {
        while (list.remove(name)) {
        }
        return;
    }
    list.set(name, value);
    const std::size_t first = list.indexOfName(name).value_or(0);
    for (std::size_t i = list.size(); i-- > first + 1;) {
        if (equalsIgnoreCase(list.name(i), name)) {
            list.removeAt(i);
        }
    }
}

ScheduleSection scheduleSectionOf(EntryKind kind) {
    switch (kind) {
    case EntryKind::Dated:
        return ScheduleSection::Day;
    case EntryKind::Yearly:
        return ScheduleSection::Year;
    case EntryKind::Monthly:
        return ScheduleSection::Month;
    case EntryKind::Weekly:
        return ScheduleSection::Week;
    }
    return ScheduleSection::Day;
}

void appendRows(LoadedRows& out, const ScheduleStore& store, const EntryView& view, EntryKind kind,
                const std::unordered_map<std::string, std::string>& rules) {
    const std::string listName = entryListName(kind, view.viewDate);
    const std::vector<std::string> texts = parseEntryList(store.section(scheduleSectionOf(kind)).value(listName));
    const int month = view.viewDate.month();
    for (std::size_t i = 0; i < texts.size(); ++i) {
        EntryRow row;
        row.caption = trimmed(texts[i]);
        row.kind = kind;
        const std::string key = ScheduleKey::make(kind, listName, static_cast<int>(i)).text();
        row.setField(RowField::Index, std::to_string(i));
        row.setField(RowField::Key, key);
        bool held = false;
        if (kind == EntryKind::Weekly || kind == EntryKind::Monthly) {
            const auto opt = rules.find(folded(key + "OPT"));
            if (opt != rules.end()) {
                row.setField(RowField::Opt, opt->second);
                const std::vector<std::string> items = ruleFields(opt->second);
                held = view.dayView() && items.size() > 5 && !monthFilterPasses(items[5], month);
            }
        }
        if (kind == EntryKind::Weekly) {
            if (const auto opt2 = rules.find(folded(key + "OPT2")); opt2 != rules.end()) {
                row.setField(RowField::Opt2, opt2->second);
            }
        }
        if (!held) {
            out.rows.push_back(std::move(row));
        } else if (kind == EntryKind::Weekly) {
            out.heldWeekly.push_back(std::move(row));
        } else {
            out.heldMonthly.push_back(std::move(row));
        }
    }
}

// Drops every line whose folded name is in `names`; one pass, the list is
// copied only when something goes.
void removeNames(NameValueList& list, const std::unordered_set<std::string>& names,
                 const std::vector<std::string>& prefixes) {
    const auto doomed = [&](const std::string& line) {
        const std::string_view name = nameOf(line);
        for (const std::string& prefix : prefixes) {
            if (startsWithFolded(name, prefix)) {
                return names.contains(folded(name));
            }
        }
        return false;
    };
    bool any = false;
    for (const std::string& line : list.lines()) {
        if (doomed(line)) {
            any = true;
            break;
        }
    }
    if (!any) {
        return;
    }
    std::vector<std::string> kept;
    kept.reserve(list.size());
    for (const std::string& line : list.lines()) {
        if (!doomed(line)) {
            kept.push_back(line);
        }
    }
    list = NameValueList(std::move(kept));
}

std::string baseNameOf(std::string_view path) {
    const auto slash = path.find_last_of("\\/");
    return std::string(slash == std::string_view::npos ? path : path.substr(slash + 1));
}

struct Renumbered {
    const EntryRow* row;
    std::string newKey;
};

} // namespace

LoadedRows loadEntryRows(const ScheduleStore& store, const EntryView& view, const std::string& folder) {
    LoadedRows out;
    std::vector<EntryKind> kinds;
    if (view.dayView()) {
        kinds.assign(kViewOrder.begin(), kViewOrder.end());
    } else {
        kinds.push_back(view.kind);
    }
    std::vector<std::string> prefixes;
    for (EntryKind kind : kinds) {
        prefixes.push_back(keyPrefix(kind, view.viewDate));
    }
    const auto weekRules = valuesByPrefix(store.section(ScheduleSection::Week), prefixes);
    const auto monthRules = valuesByPrefix(store.section(ScheduleSection::Month), prefixes);
    for (EntryKind kind : kinds) {
        appendRows(out, store, view, kind, kind == EntryKind::Weekly ? weekRules : monthRules);
    }
    for (const OptionField& option : kOptionFields) {
        const auto values = valuesByPrefix(store.section(option.section), prefixes);
        if (values.empty()) {
            continue;
        }
        for (auto* list : {&out.rows, &out.heldWeekly, &out.heldMonthly}) {
            for (EntryRow& row : *list) {
                if (const auto it = values.find(folded(row.field(RowField::Key))); it != values.end()) {
                    row.setField(option.field, it->second);
                }
            }
        }
    }
    for (auto* list : {&out.rows, &out.heldWeekly, &out.heldMonthly}) {
        for (EntryRow& row : *list) {
            row.setField(RowField::Supplement, supplementOf(folder, row.field(RowField::Key)));
        }
    }
    return out;
}

std::optional<EntryRow> loadEntryRow(const ScheduleStore& store, std::string_view keyText, const std::string& folder) {
    const auto key = ScheduleKey::parse(keyText);
    if (!key) {
        return std::nullopt;
    }
    const NameValueList& lists = store.section(scheduleSectionOf(key->kind));
    const std::vector<std::string> texts = parseEntryList(lists.value(key->day));
    if (key->index < 0 || static_cast<std::size_t>(key->index) >= texts.size()) {
        return std::nullopt;
    }
    const std::string name = key->text();
    EntryRow row;
    row.caption = trimmed(texts[static_cast<std::size_t>(key->index)]);
    row.kind = key->kind;
    row.setField(RowField::Index, std::to_string(key->index));
    row.setField(RowField::Key, name);
    if (key->kind == EntryKind::Weekly || key->kind == EntryKind::Monthly) {
        row.setField(RowField::Opt, lists.value(name + "OPT"));
    }
    if (key->kind == EntryKind::Weekly) {
        row.setField(RowField::Opt2, lists.value(name + "OPT2"));
    }
    for (const OptionField& option : kOptionFields) {
        row.setField(option.field, store.section(option.section).value(name));
    }
    row.setField(RowField::Supplement, supplementOf(folder, name));
    return row;
}

bool writeEntryRow(ScheduleStore& store, std::string_view keyText, const EntryRow& row, const std::string& folder,
                   UserFeedback& feedback) {
    const auto key = ScheduleKey::parse(keyText);
    if (!key) {
        return false;
    }
    NameValueList& lists = store.section(scheduleSectionOf(key->kind));
    std::vector<std::string> texts = parseEntryList(lists.value(key->day));
    if (key->index < 0 || static_cast<std::size_t>(key->index) >= texts.size()) {
        return false;
    }
    const std::string name = key->text();
    texts[static_cast<std::size_t>(key->index)] = storedEntryText(row.caption);
    lists.set(key->day, formatEntryList(texts));
    if (key->kind == EntryKind::Weekly || key->kind == EntryKind::Monthly) {
        putValue(lists, name + "OPT", row.field(RowField::Opt));
    }
    if (key->kind == EntryKind::Weekly) {
        putValue(lists, name + "OPT2", row.field(RowField::Opt2));
    }
    for (const OptionField& option : kOptionFields) {
        // The reminder window's file and look are its own; the editor never sets them.
        if (option.field != RowField::PopupFile && option.field != RowField::PopupOpt) {
            putValue(store.section(option.section), name, row.field(option.field));
        }
    }
    if (const auto file = supplementFileName(name)) {
        const std::string path = folder + *file;
        if (row.hasValue(RowField::Supplement)) {
            writeSupplementFile(path, row, isPrivateFile(path), feedback);
        } else {
            std::error_code ec;
            fs::remove(path, ec);
        }
    }
    return true;
}

void removeTimedPair(NameValueList& queue, std::string_view timeKey, std::string_view key) {
    const auto index = queue.indexOfName(timeKey);
    if (!index) {
        return;
    }
    std::vector<std::string> items = fromCommaText(queue.valueAt(*index));
    bool found = false;
    for (std::size_t i = 0; i < items.size(); i += 2) {
        if (items[i] == key) {
            items.erase(items.begin() + static_cast<long>(i),
                        items.begin() + static_cast<long>(std::min(i + 2, items.size())));
            found = true;
            break;
        }
    }
    if (!found) {
        return;
    }
    if (items.empty()) {
        queue.removeAt(*index);
    } else {
        queue.set(timeKey, toCommaText(items));
    }
}

void commitEntryRows(ScheduleStore& store, const EntryView& view, const std::vector<EntryRow>& rows,
                     OpenReminders& reminders, UserFeedback& feedback, const std::string& folder,
                     std::vector<std::string>& deletionQueue) {
    std::vector<EntryKind> kinds;
    if (view.dayView()) {
        kinds.assign(kViewOrder.begin(), kViewOrder.end());
    } else {
        kinds.push_back(view.kind);
    }
    const auto inView = [&](EntryKind kind) { return std::find(kinds.begin(), kinds.end(), kind) != kinds.end(); };
    std::vector<std::string> prefixes;
    for (EntryKind kind : kinds) {
        prefixes.push_back(keyPrefix(kind, view.viewDate));
    }

    NameValueList& states = store.section(ScheduleSection::PopupStat);
    std::unordered_set<std::string> cleared; // folded: every name whose options are rewritten
    std::unordered_set<std::string> gone;    // folded old keys of deleted rows
    std::set<std::string> oldFiles;
    std::map<std::string, bool> privateOld; // old key -> its supplement was private

    // The old keys: their options go, deleted entries' reminders end.
    for (const EntryRow& row : rows) {
        if (row.parent || row.added) {
            continue;
        }
        const std::string& oldKey = row.field(RowField::Key);
        if (!ScheduleKey::parse(oldKey)) {
            continue;
        }
        cleared.insert(folded(oldKey));
        if (const auto file = supplementFileName(oldKey)) {
            oldFiles.insert(*file);
            privateOld[oldKey] = isPrivateFile(folder + *file);
        }
        const std::string state = states.value(oldKey);
        if (row.deleted) {
            gone.insert(folded(oldKey));
            if (state == "1") {
                reminders.closeWindow(oldKey);
            }
            if (row.hasValue(RowField::PopupFile) && isPlainFileName(row.field(RowField::PopupFile))) {
                deletionQueue.push_back(row.field(RowField::PopupFile));
            }
        } else if (state == "1") {
            reminders.retitleWindow(oldKey, row.caption);
        }
    }

    // Renumbering: one counter per kind, in row order.
    std::vector<Renumbered> kept;
    std::array<int, 4> counters{};
    for (const EntryRow& row : rows) {
        if (row.parent || row.deleted) {
            continue;
        }
        const EntryKind kind = inView(row.kind) ? row.kind : view.kind;
        const int n = counters[static_cast<std::size_t>(kind)]++;
        kept.push_back({&row, ScheduleKey::make(kind, "", n, view.viewDate).text()});
        cleared.insert(folded(kept.back().newKey));
    }
    const auto kindOf = [&](const Renumbered& r) { return inView(r.row->kind) ? r.row->kind : view.kind; };

    // Reminder state and timed pairs follow their entries to the new keys,
    // all at once, since two entries may swap keys.
    std::unordered_map<std::string, const Renumbered*> byOldKey; // folded old key
    for (const Renumbered& r : kept) {
        if (!r.row->added) {
            byOldKey.emplace(folded(r.row->field(RowField::Key)), &r);
        }
    }
    {
        std::vector<std::pair<std::string, std::string>> windowMoves;
        std::vector<std::string> lines;
        bool touched = false;
        for (std::size_t i = 0; i < states.size(); ++i) {
            const std::string name = states.name(i);
            const std::string f = folded(name);
            if (const auto it = byOldKey.find(f); it != byOldKey.end()) {
                const std::string& newKey = it->second->newKey;
                if (newKey != name) {
                    touched = true;
                    if (states.valueAt(i) == "1") {
                        windowMoves.emplace_back(name, newKey);
                    }
                }
                lines.push_back(newKey + "=" + states.valueAt(i));
            } else if (cleared.contains(f)) {
                touched = true; // a deleted entry's, or a stale one under a key now taken
            } else {
                lines.push_back(states.line(i));
            }
        }
        if (touched) {
            states = NameValueList(std::move(lines));
        }
        if (!windowMoves.empty()) {
            reminders.rekeyWindows(windowMoves);
        }
    }
    {
        NameValueList& queue = store.section(ScheduleSection::PopupTime);
        std::vector<std::string> lines;
        for (std::size_t i = 0; i < queue.size(); ++i) {
            const std::vector<std::string> items = fromCommaText(queue.valueAt(i));
            std::vector<std::string> out;
            bool touched = false;
            for (std::size_t j = 0; j < items.size(); j += 2) {
                const std::string f = folded(items[j]);
                const auto it = byOldKey.find(f);
                if (it != byOldKey.end() && it->second->row->hasReminder()) {
                    out.push_back(it->second->newKey);
                    out.push_back(it->second->row->caption);
                    touched = true;
                } else if (it != byOldKey.end() || cleared.contains(f)) {
                    touched = true;
                } else {
                    out.push_back(items[j]);
                    if (j + 1 < items.size()) {
                        out.push_back(items[j + 1]);
                    }
                }
            }
            if (!touched) {
                lines.push_back(queue.line(i));
            } else if (!out.empty()) {
                lines.push_back(queue.name(i) + "=" + toCommaText(out));
            }
        }
        queue = NameValueList(std::move(lines));
    }

    // The options under every old and new key go, then the rows' own are written.
    for (const OptionField& option : kOptionFields) {
        removeNames(store.section(option.section), cleared, prefixes);
    }
    std::unordered_set<std::string> ruleNames;
    for (const std::string& key : cleared) {
        ruleNames.insert(key + "OPT");
        ruleNames.insert(key + "OPT2");
    }
    removeNames(store.section(ScheduleSection::Week), ruleNames, prefixes);
    removeNames(store.section(ScheduleSection::Month), ruleNames, prefixes);
    for (const Renumbered& r : kept) {
        for (const OptionField& option : kOptionFields) {
            if (r.row->hasValue(option.field)) {
                store.section(option.section).append(r.newKey, r.row->field(option.field));
            }
        }
    }

    // Entry lists and their rules.
    for (EntryKind kind : kinds) {
        NameValueList& lists = store.entryLists(kind);
        std::vector<std::string> texts;
        for (const Renumbered& r : kept) {
            if (kindOf(r) != kind) {
                continue;
            }
            texts.push_back(storedEntryText(r.row->caption));
            if ((kind == EntryKind::Weekly || kind == EntryKind::Monthly) && r.row->hasValue(RowField::Opt)) {
                lists.append(r.newKey + "OPT", r.row->field(RowField::Opt));
            }
            if (kind == EntryKind::Weekly && r.row->hasValue(RowField::Opt2)) {
                lists.append(r.newKey + "OPT2", r.row->field(RowField::Opt2));
            }
        }
        const std::string name = entryListName(kind, view.viewDate);
        if (texts.empty()) {
            while (lists.remove(name)) {
            }
        } else {
            lists.set(name, formatEntryList(texts));
        }
    }

    // Supplement files: written under the new keys, the rest of the old and
    // new keys' files removed (a stale file would become a new entry's).
    std::set<std::string> wanted;
    for (const Renumbered& r : kept) {
        const auto file = supplementFileName(r.newKey);
        if (!file) {
            continue;
        }
        oldFiles.insert(*file);
        if (!r.row->hasValue(RowField::Supplement)) {
            continue;
        }
        wanted.insert(*file);
        const bool secret = !r.row->added && privateOld[r.row->field(RowField::Key)];
        writeSupplementFile(folder + *file, *r.row, secret, feedback);
    }
    for (const std::string& file : oldFiles) {
        if (!wanted.contains(file)) {
            std::error_code ec;
            fs::remove(folder + file, ec);
        }
    }
}

void appendRowsToDay(ScheduleStore& store, DateValue day, const std::vector<EntryRow>& rows,
                     const std::string& folder) {
    static constexpr std::array<RowField, 8> copied = {RowField::Color,    RowField::Popup,    RowField::Holiday,
                                                       RowField::FromTo,   RowField::FontName, RowField::PtnOpt,
                                                       RowField::PopupOpt, RowField::IntOpt};
    NameValueList& days = store.section(ScheduleSection::Day);
    const std::string name = formatDate(day);
    std::vector<std::string> texts = parseEntryList(days.value(name));
    for (const EntryRow& row : rows) {
        texts.push_back(storedEntryText(row.caption));
        const std::string key = ScheduleKey::make(EntryKind::Dated, "", static_cast<int>(texts.size()) - 1, day).text();
        for (const OptionField& option : kOptionFields) {
            NameValueList& section = store.section(option.section);
            while (section.remove(key)) {
            }
            const bool wanted = std::find(copied.begin(), copied.end(), option.field) != copied.end();
            const std::string value = trimmed(row.field(option.field));
            if (wanted && !value.empty()) {
                section.append(key, value);
            }
        }
        if (const auto file = supplementFileName(key)) {
            std::error_code ec;
            fs::remove(folder + *file, ec);
        }
    }
    days.set(name, formatEntryList(texts));
}

std::optional<std::string> readReminderWindowFile(const std::string& folder, const std::string& stored) {
    // Files from another computer may still carry that computer's folder; the file lies beside the data.
    const std::string name = baseNameOf(stored);
    if (!isPlainFileName(name)) {
        return std::nullopt;
    }
    FileRead source = readFile(folder + name);
    if (source.outcome != ReadOutcome::Read) {
        return std::nullopt;
    }
    return std::move(source.bytes);
}

std::optional<std::string> writeReminderWindowFile(const ScheduleStore& store, const std::string& folder,
                                                   std::string_view bytes) {
    std::unordered_set<std::string> named;
    for (const std::string& line : store.section(ScheduleSection::PopupFile).lines()) {
        if (const auto eq = line.find('='); eq != std::string::npos) {
            named.insert(folded(baseNameOf(trimmed(std::string_view(line).substr(eq + 1)))));
        }
    }
    for (int n = 0; n <= 9999; ++n) {
        std::string candidate = std::to_string(n);
        candidate = "POP" + std::string(4 - candidate.size(), '0') + candidate + ".dfm";
        std::error_code ec;
        if (named.contains(folded(candidate)) || fs::exists(folder + candidate, ec) || ec) {
            continue;
        }
        if (!writeFileAtomically(folder + candidate, bytes)) {
            return std::nullopt;
        }
        return candidate;
    }
    return std::nullopt;
}

} // namespace velmora
