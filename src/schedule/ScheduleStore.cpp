#include "schedule/ScheduleStore.h"

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

void moveToFront(std::vector<std::string>& recent, const std::string& path) {
    std::erase_if(recent, [&](const std::string& p) { return equalsIgnoreCase(p, path); });
    recent.insert(recent.begin(), path);
}

ScheduleStore::ScheduleStore(std::string programDir, std::string computerName, const Clock& clock,
                             UserFeedback& feedback)
    : m_programDir(std::move(programDir)), m_computerName(std::move(computerName)), m_clock(clock),
      m_feedback(feedback) {
    m_watch.setOnChange([this] { load(); });
}

void ScheduleStore::setPath(std::string path) {
    m_path = std::move(path);
    m_watch.setPath(m_path);
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
    std::error_code ec;
    if (!fs::exists(m_path, ec)) {
        const std::string templ = m_programDir + "Yasumi.dat";
        if (fs::is_regular_file(templ, ec)) {
            fs::copy_file(templ, m_path, fs::copy_options::skip_existing, ec);
        }
        ProfileFile created(m_path);
        created.load();
        created.writeString("COMPUTER", "COMPUTER", m_computerName);
        // A file that cannot be made shows up at the first save, which reports it.
        created.save();
    }
    m_watch.stop();

    ProfileFile file(m_path);
    file.load();
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
    m_ownership = FileOwnership::from(file.readString("COMPUTER", "COMPUTER", m_computerName), m_computerName);
    m_watch.refreshKnownAge();
    m_watch.start();
    if (m_recent) {
        moveToFront(*m_recent, m_path);
    }
}

SaveResult ScheduleStore::save(bool release) {
    if (m_recent) {
        moveToFront(*m_recent, m_path);
    }
    SilentFeedback quiet;
    UserFeedback& lockFeedback = fs::exists(m_path) ? static_cast<UserFeedback&>(quiet) : m_feedback;
    if (!acquireLock(m_ownership.ownsFile, m_computerName, m_path, LockMode::Quiet, false, m_watch, lockFeedback)) {
        m_watch.start();
        if (hasUnsavedEdits() && fs::exists(m_path)) {
            m_feedback.showMessage("スケジュールデータを保存できませんでした。\n他のユーザーが更新中か、"
                                   "このコンピュータのデータではありません。変更は保存されていません。");
        }
        return SaveResult::Refused;
    }
    m_watch.stop();

    ProfileFile file(m_path);
    file.load();
    std::vector<std::size_t> rewritten;
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
    if (m_ownership.ownsFile && !m_ownership.forAllUsers) {
        file.writeString("COMPUTER", "COMPUTER", m_computerName);
    }
    if (release) {
        file.writeString("COMPUTER", "UPDATEUSER", "");
        file.writeString("COMPUTER", "LASTUPDATEUSER", m_computerName);
        file.writeString("COMPUTER", "LASTUPDATE", formatDateTime(m_clock.now()));
    }

    std::string error;
    if (!encodable) {
        error = "保存できない文字を含む予定があります";
    }
    if (!encodable || !file.save(&error)) {
        m_feedback.showMessage("スケジュールデータを保存できませんでした。\n" + m_path + "\n" + error);
        m_watch.start();
        return SaveResult::Failed;
    }
    for (std::size_t i : rewritten) {
        if (isCompared(static_cast<ScheduleSection>(i))) {
            m_snapshots[i] = textOf(m_sections[i]);
        }
    }
    m_watch.refreshKnownAge();
    m_watch.start();
    return SaveResult::Saved;
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
    return acquireLock(m_ownership.ownsFile, m_computerName, m_path, LockMode::Interactive, true, m_watch, m_feedback);
}

} // namespace velmora
