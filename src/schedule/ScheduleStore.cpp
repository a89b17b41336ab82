#include "schedule/ScheduleStore.h"

#include "core/AtomicFile.h"
#include "core/DateText.h"
#include "core/PathText.h"
#include "core/ProfileFile.h"
#include "schedule/EntryList.h"

#include <filesystem>

namespace velmora {

namespace fs = std::filesystem;

namespace {

constexpr std::array<std::string_view, kScheduleSectionCount> kNames = {
    "DAY",    "YEAR",   "MONTH",      "WEEK",      "POPUP",    "COLOROPT",  "INTOPT",    "FONTNAME",
    "FROMTO", "PTNOPT", "HOLIDAYOPT", "POPUPFILE", "POPUPOPT", "POPUPSTAT", "POPUPTIME",
};

// The profile reader drops the outer quotes of an entry list; put them back
// so that the value in memory is the text on disk.
NameValueList readRequoted(const ProfileFile& file, std::string_view section, char skipPrefix) {
    NameValueList list = file.readSection(section);
    NameValueList out;
    for (std::size_t i = 0; i < list.size(); ++i) {
        const std::string name = list.name(i);
        if (list.line(i).find('=') == std::string::npos ||
            (skipPrefix && !name.empty() && name.front() == skipPrefix)) {
            out.appendLine(list.line(i));
        } else {
            out.append(name, "\"" + list.valueAt(i) + "\"");
        }
    }
    return out;
}

std::string fileNamePart(const std::string& value) {
    const auto cut = value.find_last_of("/\\");
    return cut == std::string::npos ? value : value.substr(cut + 1);
}

} // namespace

std::string_view scheduleSectionName(ScheduleSection section) {
    return kNames[static_cast<std::size_t>(section)];
}

ScheduleStore::ScheduleStore(std::string programDir, std::string computerName, const Clock& clock,
                             UserFeedback& feedback)
    : m_programDir(std::move(programDir)), m_clock(clock),
      m_file(std::move(computerName), feedback, {"スケジュールデータ", "保存できない文字を含む予定があります"}) {
    m_file.watch().setOnChange([this] { load(); });
}

void ScheduleStore::setPath(std::string path) {
    m_file.setPath(std::move(path));
}

NameValueList& ScheduleStore::entryLists(EntryKind kind) {
    switch (kind) {
    case EntryKind::Dated:
        return section(ScheduleSection::Day);
    case EntryKind::Yearly:
        return section(ScheduleSection::Year);
    case EntryKind::Monthly:
        return section(ScheduleSection::Month);
    case EntryKind::Weekly:
        return section(ScheduleSection::Week);
    }
    return section(ScheduleSection::Day);
}

bool ScheduleStore::isCompared(ScheduleSection s) {
    switch (s) {
    case ScheduleSection::Day:
    case ScheduleSection::Year:
    case ScheduleSection::Month:
    case ScheduleSection::Week:
    case ScheduleSection::ColorOpt:
    case ScheduleSection::IntOpt:
    case ScheduleSection::FontName:
    case ScheduleSection::FromTo:
    case ScheduleSection::PtnOpt:
    case ScheduleSection::HolidayOpt:
        return true;
    default:
        return false;
    }
}

std::string ScheduleStore::textOf(const NameValueList& list) {
    std::string text;
    for (const std::string& l : list.lines()) {
        text += l;
        text += '\n';
    }
    return text;
}

void ScheduleStore::takeSnapshots() {
    for (std::size_t i = 0; i < kScheduleSectionCount; ++i) {
        if (isCompared(static_cast<ScheduleSection>(i))) {
            m_snapshots[i] = textOf(m_sections[i]);
        }
    }
}

bool ScheduleStore::hasUnsavedEdits() const {
    for (std::size_t i = 0; i < kScheduleSectionCount; ++i) {
        if (isCompared(static_cast<ScheduleSection>(i)) && textOf(m_sections[i]) != m_snapshots[i]) {
            return true;
        }
    }
    return false;
}

void ScheduleStore::load() {
    auto file = m_file.readForLoad([this] {
        // A new file starts from the program folder's template, owned by this computer.
        NewDataFile made;
        ProfileFile created;
        const FileRead templ = readFile(m_programDir + "Yasumi.dat");
        if (templ.outcome == ReadOutcome::Read) {
            created.parse(templ.bytes);
        }
        created.writeString("COMPUTER", "COMPUTER", computerName());
        made.bytes = created.bytes();
        return made;
    });
    if (!file) {
        return;
    }
    loadFrom(*file);
    m_file.loaded(*file);
}

void ScheduleStore::loadFrom(const ProfileFile& file) {
    section(ScheduleSection::Day) = readRequoted(file, "DAY", 0);
    section(ScheduleSection::Year) = readRequoted(file, "YEAR", 0);
    // The rule values of WEEK and MONTH are no entry lists.
    section(ScheduleSection::Week) = readRequoted(file, "WEEK", 'W');
    section(ScheduleSection::Month) = readRequoted(file, "MONTH", 'M');
    for (ScheduleSection s : {ScheduleSection::Popup, ScheduleSection::ColorOpt, ScheduleSection::IntOpt,
                              ScheduleSection::FromTo, ScheduleSection::PtnOpt, ScheduleSection::FontName,
                              ScheduleSection::HolidayOpt, ScheduleSection::PopupFile, ScheduleSection::PopupOpt}) {
        section(s) = file.readSection(scheduleSectionName(s));
    }
    NameValueList& popupFiles = section(ScheduleSection::PopupFile);
    for (std::size_t i = 0; i < popupFiles.size(); ++i) {
        popupFiles.set(popupFiles.name(i), fileNamePart(popupFiles.valueAt(i)));
    }
    takeSnapshots();
}

bool ScheduleStore::applyTo(ProfileFile& file, std::vector<std::size_t>& rewritten) {
    rewritten.clear();
    bool encodable = true;
    for (std::size_t i = 0; i < kScheduleSectionCount; ++i) {
        const auto s = static_cast<ScheduleSection>(i);
        if (isCompared(s) && textOf(m_sections[i]) == m_snapshots[i]) {
            continue;
        }
        const std::string_view name = kNames[i];
        file.eraseSection(name);
        m_sections[i].sortIgnoreCase();
        if (!m_sections[i].empty()) {
            encodable = file.writeSection(name, m_sections[i]) && encodable;
        }
        rewritten.push_back(i);
        if (s == ScheduleSection::PopupFile) {
            // The memo sections belong to the memo data file now.
            file.eraseSection("MEMOFILE");
            file.eraseSection("MEMOOPT");
        }
    }
    return encodable;
}

SaveResult ScheduleStore::save(bool release) {
    std::vector<std::size_t> rewritten;
    const SaveResult result = m_file.save(
        release, m_clock.now(), hasUnsavedEdits(), [&](ProfileFile& file) { return applyTo(file, rewritten); },
        [&](const ProfileFile& file) { loadFrom(file); });
    if (result == SaveResult::Saved) {
        for (std::size_t i : rewritten) {
            if (isCompared(static_cast<ScheduleSection>(i))) {
                m_snapshots[i] = textOf(m_sections[i]);
            }
        }
    }
    return result;
}

ScheduleKey ScheduleStore::appendEntry(EntryKind kind, DateValue date, std::string_view typed) {
    NameValueList& lists = entryLists(kind);
    const std::string name = entryListName(kind, date);
    std::vector<std::string> texts = parseEntryList(lists.value(name));
    texts.push_back(storedEntryText(typed));
    lists.set(name, formatEntryList(texts));
    return ScheduleKey::make(kind, name, static_cast<int>(texts.size()) - 1);
}

bool ScheduleStore::lockForEditing() {
    return m_file.lockForEditing([this] { load(); });
}

} // namespace velmora
