#include "reminders/Reminders.h"

#include "core/DateText.h"
#include "core/NameValueList.h"
#include "core/PathText.h"
#include "core/ProfileFile.h"
#include "reminders/SupplementCommands.h"
#include "schedule/EntryList.h"
#include "schedule/EntryRules.h"
#include "schedule/ScheduleStore.h"
#include "settings/Startup.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <chrono>
#include <cmath>
#include <ctime>
#include <filesystem>
#include <set>

namespace velmora {

namespace {

namespace fs = std::filesystem;

// The verdicts of the evaluation.
constexpr int kQuiet = 0;
constexpr int kAtOnce = 1;
constexpr int kTimed = 2;

constexpr int kWeeksPerMonth = 5;

std::string field(const std::vector<std::string>& fields, std::size_t i) {
    return i < fields.size() ? fields[i] : std::string();
}

// "yyyymmddhhnn": a saved window's file and the clock compared to the minute.
std::string minuteStamp(DateValue d) {
    const std::string date = formatDate(d);
    const std::string time = formatHourMinute(d);
    return date.substr(0, 4) + date.substr(5, 2) + date.substr(8, 2) + time.substr(0, 2) + time.substr(3, 2);
}

std::optional<int> colourOf(const std::string& value) {
    std::string_view v = value;
    if (!v.empty() && v.front() == '-') {
        v.remove_prefix(1); // "-" only keeps the entry off the calendar
    }
    int colour = 0;
    const auto [end, ec] = std::from_chars(v.data(), v.data() + v.size(), colour);
    if (v.empty() || ec != std::errc() || end != v.data() + v.size()) {
        return std::nullopt;
    }
    return colour;
}

bool isRegularFile(const std::string& path) {
    std::error_code ec;
    return fs::is_regular_file(path, ec);
}

// "POP" + four digits + ".dfm", the only names reminder windows give their
// saved states; any other file of the folder (a user's "POPUPMenu.dfm") is
// none of ours.
bool isStateFileName(std::string_view name) {
    constexpr std::string_view prefix = "POP";
    constexpr std::string_view suffix = ".dfm";
    constexpr std::size_t digits = 4;
    return name.size() == prefix.size() + digits + suffix.size() && name.starts_with(prefix) &&
           name.ends_with(suffix) &&
           std::all_of(name.begin() + prefix.size(), name.begin() + prefix.size() + digits,
                       [](char c) { return std::isdigit(static_cast<unsigned char>(c)) != 0; });
}

// The state files the other schedule files ("*.dat") of `folder` name in
// their POPUPFILE sections, read from disk and never written. Nullopt when one
// of them cannot be read: its names are unknown, so none may be swept.
std::optional<std::set<std::string>> namedByOtherScheduleFiles(const std::string& folder, const std::string& ownName) {
    std::set<std::string> named;
    std::error_code ec;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        const std::string name = it->path().filename().string();
        if (name == ownName || !lowerAscii(name).ends_with(".dat")) {
            continue;
        }
        std::error_code statEc;
        const fs::file_status status = fs::status(it->path(), statEc);
        if (status.type() == fs::file_type::none || status.type() == fs::file_type::unknown) {
            return std::nullopt; // there, but what it is cannot be told (a loop of links)
        }
        if (!fs::is_regular_file(status)) {
            continue; // a folder, a dangling link, a pipe: no schedule file
        }
        ProfileFile other(folder + name);
        if (other.load() == ReadOutcome::Failed) {
            return std::nullopt;
        }
        const NameValueList files = other.readSection("POPUPFILE");
        for (std::size_t i = 0; i < files.size(); ++i) {
            named.insert(files.valueAt(i));
        }
    }
    if (ec) {
        return std::nullopt; // the folder could not be listed to its end
    }
    return named;
}

struct Evaluation {
    bool stale = false;
    int verdict = kQuiet;
    bool entryDay = false; // yearly and dated: today is the entry's own day
    std::string text;
};

} // namespace

std::optional<DateValue> fileModifiedAt(const std::string& path) {
    std::error_code ec;
    const auto written = fs::last_write_time(path, ec);
    if (ec) {
        return std::nullopt;
    }
    const std::time_t t = std::chrono::system_clock::to_time_t(
        std::chrono::time_point_cast<std::chrono::system_clock::duration>(std::chrono::file_clock::to_sys(written)));
    std::tm tm{};
    if (!localtime_r(&t, &tm)) {
        return std::nullopt;
    }
    return DateValue::fromDateTime(tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min,
                                   std::min(tm.tm_sec, 59));
}

Reminders::Reminders(ReminderContext context) : m_c(std::move(context)), m_calendar(m_c.settings.holidayList) {}

std::string Reminders::folder() const {
    return folderOf(m_c.store.path());
}

void Reminders::refreshMovedEntries(DateValue today) {
    // The one-month pass of the current month, whatever the main window shows:
    // its moved entries are the ones that land on today.
    Settings settings = m_c.settings;
    settings.calenFlag = 0;
    settings.rikuyou = 0;
    settings.kyureki = 0;
    m_calendar.holidays = HolidayCalendar(settings.holidayList);
    m_calendar.holidayPass(settings, today.startOfMonth(), m_c.store, today);
}

void Reminders::popupProc(bool recompute) {
    const DateValue today = m_c.clock.today();
    if (recompute) {
        refreshMovedEntries(today);
    }
    const std::string todayText = formatDate(today);
    NameValueList& popup = m_c.store.section(ScheduleSection::Popup);
    const NameValueList& week = m_c.store.section(ScheduleSection::Week);
    const NameValueList& month = m_c.store.section(ScheduleSection::Month);
    const MovedEntries& moved = m_calendar.moved;

    std::size_t i = 0;
    while (i < popup.size()) {
        const std::string key = popup.name(i);
        const std::vector<std::string> flags = ruleFields(popup.valueAt(i));
        if (!m_c.store.section(ScheduleSection::PopupStat).value(key).empty()) {
            ++i;
            continue;
        }
        const auto parsed = ScheduleKey::parse(key);
        if (!parsed) {
            ++i;
            continue;
        }
        const std::string number = key.substr(key.rfind('-') + 1);
        Evaluation e;
        switch (parsed->kind) {
        case EntryKind::Weekly:
            if (moved.weeklyMovedToday.value(parsed->day + "-" + number) == todayText) {
                e.verdict = kAtOnce;
            }
            if (parsed->day == std::to_string(today.weekday())) {
                const ShiftRule shift =
                    ShiftRule::parse(week.find(key + "OPT2").value_or(std::string(kDefaultShiftRule)));
                if (!shift.saturday && !shift.sunday && !shift.holiday && shift.mode != 2 && shift.mode != 3) {
                    e.verdict = kAtOnce;
                }
                const WeekRule weeks = WeekRule::parse(week.find(key + "OPT").value_or(std::string(kDefaultWeekRule)));
                const int w = (today.day() - 1) / 7;
                for (int k = 0; k < kWeeksPerMonth; ++k) {
                    if (field(weeks.fields, static_cast<std::size_t>(k)) == "0" && w == k) {
                        e.verdict = kQuiet;
                    }
                }
            }
            break;
        case EntryKind::Monthly:
            if (moved.monthlyMovedToday.value(parsed->day + "-" + number) == todayText) {
                e.verdict = kAtOnce;
            }
            if (parsed->day == entryListName(EntryKind::Monthly, today)) {
                const ShiftRule shift =
                    ShiftRule::parse(month.find(key + "OPT").value_or(std::string(kDefaultMonthlyShiftRule)));
                if (!shift.saturday && !shift.sunday && !shift.holiday && shift.mode != 2 && shift.mode != 3) {
                    e.verdict = kAtOnce;
                }
            }
            break;
        case EntryKind::Yearly:
            e.entryDay = parsed->day == formatMonthDay(today);
            break;
        case EntryKind::Dated:
            e.entryDay = parsed->day == todayText;
            break;
        }
        const std::vector<std::string> texts = parseEntryList(m_c.store.entryLists(parsed->kind).value(parsed->day));
        if (static_cast<std::size_t>(parsed->index) >= texts.size()) {
            // The entry is gone (deleted or renumbered by an edit): so is its reminder.
            popup.removeAt(i);
            continue;
        }
        e.text = texts[static_cast<std::size_t>(parsed->index)];

        const bool repeating = parsed->kind == EntryKind::Weekly || parsed->kind == EntryKind::Monthly;
        const std::string onDay = field(flags, 0);
        const std::string atTime = field(flags, 1);
        if (onDay == "0" && atTime == "0") {
            e.verdict = kAtOnce;
        } else if (onDay == "1" && atTime == "0") {
            if (!repeating) {
                e.verdict = e.entryDay ? kAtOnce : kQuiet;
            }
        } else if (onDay == "0" && atTime == "1") {
            e.verdict = kTimed;
        } else if (onDay == "1" && atTime == "1") {
            if (repeating) {
                e.verdict = e.verdict == kAtOnce ? kTimed : kQuiet;
            } else {
                e.verdict = e.entryDay ? kTimed : kQuiet;
            }
        } else {
            e.verdict = kQuiet; // no combination the editor writes
        }

        if (e.verdict == kAtOnce) {
            showReminder(e.text, key);
        } else if (e.verdict == kTimed) {
            addTimedReminder(todayText + "-" + field(flags, 2) + ":" + field(flags, 3), e.text, key);
        }
        ++i;
    }
}

void Reminders::addTimedReminder(const std::string& timeKey, const std::string& text, const std::string& key) {
    NameValueList& queue = m_c.store.section(ScheduleSection::PopupTime);
    std::vector<std::string> items = fromCommaText(queue.value(timeKey));
    for (std::size_t i = 0; i < items.size(); ++i) {
        if (items[i] == key) {
            items.erase(items.begin() + static_cast<long>(i),
                        items.begin() + static_cast<long>(std::min(i + 2, items.size())));
            break;
        }
    }
    items.push_back(key);
    items.push_back(text);
    queue.set(timeKey, toCommaText(items));
}

void Reminders::timedCheck() {
    const DateValue now = m_c.clock.now();
    const std::string everyDay = formatHourMinute(now);
    const std::string thisDay = formatDate(now) + "-" + everyDay;
    // A copy: opening a window may run code that touches the queue.
    const NameValueList queue = m_c.store.section(ScheduleSection::PopupTime);
    for (std::size_t i = 0; i < queue.size(); ++i) {
        const std::string timeKey = queue.name(i);
        if (timeKey != thisDay && timeKey != everyDay) {
            continue;
        }
        const std::vector<std::string> items = fromCommaText(queue.valueAt(i));
        for (std::size_t j = 0; j + 1 < items.size(); j += 2) {
            const std::string& key = items[j];
            if (!m_c.store.section(ScheduleSection::PopupStat).value(key).empty()) {
                continue;
            }
            if (showReminder(items[j + 1], key)) {
                soundFor(key);
            }
        }
    }
}

void Reminders::soundFor(const std::string& key) {
    const std::vector<std::string> flags = ruleFields(m_c.store.section(ScheduleSection::Popup).value(key));
    if (flags.size() <= 4 || flags[4] != "1") {
        return;
    }
    const std::string& wave = m_c.settings.popupWaveFile;
    if (wave.empty() || wave == kNoneMarker) {
        m_c.windows.playSound({});
    } else {
        m_c.windows.playSound(m_c.programDir.empty() ? wave : absolutePath(m_c.programDir, wave));
    }
}

bool Reminders::showReminder(const std::string& text, const std::string& key) {
    const DateValue now = m_c.clock.now();
    const DateValue today = now.datePart();
    ScheduleStore& store = m_c.store;
    if (const auto period = store.section(ScheduleSection::FromTo).find(key); period && !periodAdmits(*period, today)) {
        return false;
    }
    if (const auto interval = store.section(ScheduleSection::IntOpt).find(key);
        interval && !intervalHolds(*interval, today)) {
        return false;
    }
    if (m_c.settings.popupWithPtn == 1 &&
        !patternFilter(m_c.settings.ptnStr, store.section(ScheduleSection::PtnOpt).value(key), false)) {
        return false;
    }

    // The supplement's programs start before any window, AutoClose or not.
    const SupplementCommands commands = SupplementCommands::parse(supplementText(key, folder(), m_c.secrets));
    for (const SupplementCommands::Exec& exec : commands.execs) {
        m_c.windows.launch(exec.program, exec.parameters, folderOf(exec.program));
    }
    if (commands.autoClose) {
        return false;
    }

    NameValueList& stateFiles = store.section(ScheduleSection::PopupFile);
    const std::string stateFile = stateFiles.value(key);
    // A name that leaves the folder is never opened: it counts as missing.
    if (isPlainFileName(stateFile) && isRegularFile(folder() + stateFile)) {
        const std::string path = folder() + stateFile;
        // Closing a saved window writes its file: one closed in this minute
        // must not come back at the next tick.
        if (const auto written = fileModifiedAt(path); written && minuteStamp(*written) == minuteStamp(now)) {
            return false;
        }
        m_c.windows.openSaved(path, trimmed(text), key, colourOf(store.section(ScheduleSection::ColorOpt).value(key)));
        store.section(ScheduleSection::PopupStat).set(key, "1");
        ++m_cascade;
        return true;
    }
    if (!stateFile.empty()) {
        stateFiles.remove(key);
    }

    const FontSetting& font = m_c.settings.font(FontPart::Fusen);
    const ReminderGeometry geometry = freshGeometry(text, font);
    m_c.windows.openFresh(geometry, trimmed(text), key, font);
    store.section(ScheduleSection::PopupStat).set(key, "1");
    return true;
}

ReminderGeometry Reminders::freshGeometry(const std::string& text, const FontSetting& font) {
    ReminderGeometry g;
    g.height = static_cast<int>(std::trunc(font.size / 0.72 + 8));
    g.width = (m_c.textWidth ? m_c.textWidth(text, font) : 0) + 8;
    const double n = m_cascade;
    const int screenWidth = m_c.screen.width;
    const int screenHeight = m_c.screen.height;
    if (m_c.settings.center == 1) {
        g.left = static_cast<int>(std::trunc(screenWidth / 2.0 - 70 + 10 * n));
        g.top = static_cast<int>(std::trunc(screenHeight / 2.0 - 70 + 10 * n));
    } else {
        g.left = screenWidth - g.width - 10;
        g.top = static_cast<int>(std::trunc(g.height * 1.1 * n));
    }
    ++m_cascade;
    if (g.top > screenHeight - g.height) {
        g.top = screenHeight - g.height;
    }
    return g;
}

void Reminders::changeOfDay() {
    m_c.store.section(ScheduleSection::PopupTime).clear();
    NameValueList& states = m_c.store.section(ScheduleSection::PopupStat);
    std::size_t i = 0;
    while (i < states.size()) {
        if (states.valueAt(i) == "1") {
            const std::string key = states.name(i);
            states.removeAt(i);
            m_c.windows.close(key);
        } else {
            ++i;
        }
    }
    // The moved entries of the last evaluation land on yesterday; an entry a
    // shift rule puts on the new day must remind at once, not at the next start.
    popupProc(true);
}

std::vector<std::string> Reminders::sweepOrphanStateFiles() {
    std::vector<std::string> deleted;
    const std::string dir = folder();
    if (dir.empty()) {
        return deleted; // no schedule file yet: never sweep the working folder
    }
    // Several schedule files may share a folder, each with reminder windows
    // of its own; a file another one names is never an orphan.
    auto listed = namedByOtherScheduleFiles(dir, fileNameOf(m_c.store.path()));
    if (!listed) {
        return deleted;
    }
    const NameValueList& stateFiles = m_c.store.section(ScheduleSection::PopupFile);
    for (std::size_t i = 0; i < stateFiles.size(); ++i) {
        listed->insert(stateFiles.valueAt(i));
    }
    std::error_code ec;
    std::vector<std::string> candidates;
    for (fs::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) {
        const std::string name = it->path().filename().string();
        std::error_code typeEc;
        if (isStateFileName(name) && !listed->contains(name) && it->is_regular_file(typeEc)) {
            candidates.push_back(name);
        }
    }
    for (const std::string& name : candidates) {
        if (fs::remove(dir + name, ec)) {
            deleted.push_back(name);
        }
    }
    return deleted;
}

bool checkDayChange(StartupState& state, Reminders& reminders, const Clock& clock,
                    const std::function<void()>& redraw) {
    const DateValue today = clock.today();
    const std::string todayText = formatDate(today);
    if (todayText == state.todayText) {
        return false;
    }
    state.todayText = todayText;
    reminders.changeOfDay();
    state.thisMonthStart = today.startOfMonth();
    state.displayMonth = state.thisMonthStart;
    const int forth = state.settings.forth;
    if (forth != 0 && state.navigableRange.contains(DateValue::fromDayNumber(forth))) {
        state.displayMonth = DateValue::fromDayNumber(forth).startOfMonth();
    }
    state.today = today;
    if (redraw) {
        redraw();
    }
    return true;
}

void mainTimerTick(StartupState& state, Reminders& reminders, const Clock& clock, const std::function<void()>& redraw) {
    checkDayChange(state, reminders, clock, redraw);
    reminders.timedCheck();
}

} // namespace velmora
