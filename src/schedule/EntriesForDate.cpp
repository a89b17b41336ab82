#include "schedule/EntriesForDate.h"

#include "calendar/Holidays.h"
#include "core/DateText.h"
#include "schedule/EntryList.h"
#include "schedule/EntryRules.h"
#include "schedule/ScheduleStore.h"
#include "settings/Settings.h"

#include <cstdio>

namespace velmora {

namespace {

constexpr int kSaturday = 7;
constexpr int kSunday = 1;
// No run of weekends and holidays is this long; a rule that finds no day gives up.
constexpr int kLongestWalk = 400;

std::string twoDigits(std::size_t i) {
    char buffer[24];
    std::snprintf(buffer, sizeof buffer, "%.2zu", i);
    return buffer;
}

const NameValueList& sec(const ScheduleStore& store, ScheduleSection s) {
    return store.section(s);
}

std::optional<std::string> valueOf(const NameValueList& list, const std::string& key) {
    return list.find(key);
}

// The common drop tests after the rule tests: holidays, reminder-only entries, patterns.
bool passesDisplayTests(const std::string& key, const EntryContext& c) {
    if (sec(c.store, ScheduleSection::HolidayOpt).contains(key)) {
        return false;
    }
    const std::string colour = sec(c.store, ScheduleSection::ColorOpt).value(key);
    if (!colour.empty() && colour.front() == '-') {
        return false;
    }
    return patternFilter(c.settings.ptnStr, sec(c.store, ScheduleSection::PtnOpt).value(key), false);
}

bool passesPeriod(const std::string& key, DateValue date, const EntryContext& c) {
    const auto period = valueOf(sec(c.store, ScheduleSection::FromTo), key);
    return !period || periodAdmits(*period, date);
}

bool passesInterval(const std::string& key, DateValue date, const ScheduleStore& store) {
    const auto interval = valueOf(sec(store, ScheduleSection::IntOpt), key);
    return !interval || intervalHolds(*interval, date);
}

void append(std::vector<EntryHit>& out, EntryKind kind, const std::string& key, const std::string& text,
            const EntryContext& c) {
    const FontSetting& font = c.settings.font(FontPart::Schedule);
    const auto colour = valueOf(sec(c.store, ScheduleSection::ColorOpt), key);
    const auto face = valueOf(sec(c.store, ScheduleSection::FontName), key);
    out.push_back(EntryHit{kind, key, text, colour ? *colour : std::to_string(font.colour), face ? *face : font.face});
}

bool acceptable(DateValue z, const ShiftRule& rule, const HolidayCalendar& holidays) {
    const int w = z.weekday();
    if (rule.saturday && w == kSaturday) {
        return false;
    }
    if (rule.sunday && w == kSunday) {
        return false;
    }
    return !(rule.holiday && !holidays.lookup(z).empty());
}

// The day a shifting entry of day `v` lands on, or nullopt when it is cancelled.
std::optional<DateValue> landingDay(DateValue v, const ShiftRule& rule, const HolidayCalendar& holidays) {
    const int direction = (rule.mode == 0 || rule.mode == 2) ? -1 : 1;
    const bool unconditional = rule.mode == 2 || rule.mode == 3;
    DateValue z = v.addDays(rule.offset - direction);
    for (int step = 0; step < kLongestWalk; ++step) {
        z = z.addDays(direction);
        const bool ok = unconditional ? z.dayNumber() != v.dayNumber() : acceptable(z, rule, holidays);
        if (ok) {
            if (rule.mode == 4 && z.dayNumber() != v.addDays(rule.offset).dayNumber()) {
                return std::nullopt;
            }
            return z;
        }
    }
    return std::nullopt;
}

} // namespace

void MovedEntries::clear() {
    monthlyByDate.clear();
    weeklyByDate.clear();
    monthlyMovedToday.clear();
    weeklyMovedToday.clear();
}

std::string MovedEntries::movedEntryKey(DateValue landing, std::size_t i, bool monthly) const {
    return formatDate(landing) + "-" + std::to_string(i) + (monthly ? "M" : "W");
}

void buildMovedEntries(MovedEntries& moved, const ScheduleStore& store, const HolidayCalendar& holidays,
                       const DaySpan& window, DateValue today) {
    moved.clear();
    const NameValueList& month = sec(store, ScheduleSection::Month);
    const NameValueList& week = sec(store, ScheduleSection::Week);
    const NameValueList& holidayOptions = sec(store, ScheduleSection::HolidayOpt);
    for (int n = window.first.dayNumber(); n <= window.last.dayNumber(); ++n) {
        const DateValue v = DateValue::fromDayNumber(n);
        const std::string dd = entryListName(EntryKind::Monthly, v);
        const std::vector<std::string> monthly = parseEntryList(month.value(dd));
        for (std::size_t i = 0; i < monthly.size(); ++i) {
            const std::string key = ScheduleKey{EntryKind::Monthly, dd, static_cast<int>(i)}.text();
            if (holidayOptions.contains(key)) {
                continue;
            }
            const ShiftRule rule = ShiftRule::parse(month.find(key + "OPT").value_or(std::string(kDefaultShiftRule)));
            if ((rule.monthFilter && !monthFilterPasses(*rule.monthFilter, v.month())) ||
                !passesInterval(key, v, store) || !rule.moves()) {
                continue;
            }
            if (const auto z = landingDay(v, rule, holidays)) {
                moved.monthlyByDate[z->dayNumber()].push_back({monthly[i], key});
                if (z->dayNumber() == today.dayNumber()) {
                    moved.monthlyMovedToday.set(dd + "-" + twoDigits(i), formatDate(*z));
                }
            }
        }

        const std::string d = entryListName(EntryKind::Weekly, v);
        const std::vector<std::string> weekly = parseEntryList(week.value(d));
        for (std::size_t i = 0; i < weekly.size(); ++i) {
            const std::string key = ScheduleKey{EntryKind::Weekly, d, static_cast<int>(i)}.text();
            if (holidayOptions.contains(key)) {
                continue;
            }
            const WeekRule weekRule = WeekRule::parse(week.find(key + "OPT").value_or("1,1,1,1,1"));
            if (weekRule.weekFlag(v.day()) == "0" ||
                (weekRule.hasMonthFilter() && !monthFilterPasses(weekRule.monthFilter(), v.month())) ||
                !passesInterval(key, v, store)) {
                continue;
            }
            const ShiftRule rule = ShiftRule::parse(week.find(key + "OPT2").value_or(std::string(kDefaultShiftRule)));
            if (!rule.moves()) {
                continue;
            }
            if (const auto z = landingDay(v, rule, holidays)) {
                moved.weeklyByDate[z->dayNumber()].push_back({weekly[i], key});
                if (z->dayNumber() == today.dayNumber()) {
                    moved.weeklyMovedToday.set(d + "-" + twoDigits(i), formatDate(*z));
                }
            }
        }
    }
}

bool repeatingEntriesFor(DateValue x, const EntryContext& c, std::vector<EntryHit>& out) {
    bool seen = false;
    const NameValueList& week = sec(c.store, ScheduleSection::Week);
    const NameValueList& month = sec(c.store, ScheduleSection::Month);

    // 1. Weekly entries on their own day.
    const std::string d = entryListName(EntryKind::Weekly, x);
    const std::vector<std::string> weekly = parseEntryList(week.value(d));
    seen = seen || !weekly.empty();
    for (std::size_t i = 0; i < weekly.size(); ++i) {
        const std::string key = ScheduleKey{EntryKind::Weekly, d, static_cast<int>(i)}.text();
        if (!passesPeriod(key, x, c) || !passesInterval(key, x, c.store)) {
            continue;
        }
        if (ShiftRule::parse(week.find(key + "OPT2").value_or(std::string(kDefaultShiftRule))).moves()) {
            continue;
        }
        const WeekRule rule = WeekRule::parse(week.find(key + "OPT").value_or(std::string(kDefaultWeekRule)));
        if (rule.weekFlag(x.day()) != "1" ||
            (rule.hasMonthFilter() && !monthFilterPasses(rule.monthFilter(), x.month()))) {
            continue;
        }
        if (passesDisplayTests(key, c)) {
            append(out, EntryKind::Weekly, key, weekly[i], c);
        }
    }

    // 2. and 4. Entries moved onto this day.
    const auto movedHere = [&](const std::map<int, std::vector<MovedEntries::Moved>>& byDate, EntryKind kind) {
        const auto it = byDate.find(x.dayNumber());
        if (it == byDate.end()) {
            return;
        }
        seen = seen || !it->second.empty();
        for (const MovedEntries::Moved& m : it->second) {
            if (passesPeriod(m.key, x, c) && passesDisplayTests(m.key, c)) {
                append(out, kind, m.key, m.text, c);
            }
        }
    };
    movedHere(c.moved.weeklyByDate, EntryKind::Weekly);

    // 3. Monthly entries on their own day.
    const std::string dd = entryListName(EntryKind::Monthly, x);
    const std::vector<std::string> monthly = parseEntryList(month.value(dd));
    seen = seen || !monthly.empty();
    for (std::size_t i = 0; i < monthly.size(); ++i) {
        const std::string key = ScheduleKey{EntryKind::Monthly, dd, static_cast<int>(i)}.text();
        if (!passesPeriod(key, x, c) || !passesInterval(key, x, c.store)) {
            continue;
        }
        const ShiftRule rule =
            ShiftRule::parse(month.find(key + "OPT").value_or(std::string(kDefaultMonthlyShiftRule)));
        if (rule.moves() || !passesDisplayTests(key, c)) {
            continue;
        }
        if (rule.monthFilter && !monthFilterPasses(*rule.monthFilter, x.month())) {
            continue;
        }
        append(out, EntryKind::Monthly, key, monthly[i], c);
    }
    movedHere(c.moved.monthlyByDate, EntryKind::Monthly);

    // 5. Yearly entries.
    const std::string md = entryListName(EntryKind::Yearly, x);
    const std::vector<std::string> yearly = parseEntryList(sec(c.store, ScheduleSection::Year).value(md));
    seen = seen || !yearly.empty();
    for (std::size_t i = 0; i < yearly.size(); ++i) {
        const std::string key = ScheduleKey{EntryKind::Yearly, md, static_cast<int>(i)}.text();
        if (passesPeriod(key, x, c) && passesInterval(key, x, c.store) && passesDisplayTests(key, c)) {
            append(out, EntryKind::Yearly, key, yearly[i], c);
        }
    }
    return seen;
}

std::vector<EntryHit> cellEntries(DateValue date, const EntryContext& c, bool* hasEntries) {
    std::vector<EntryHit> out;
    const std::string name = entryListName(EntryKind::Dated, date);
    const std::string value = sec(c.store, ScheduleSection::Day).value(name);
    const std::vector<std::string> dated = parseEntryList(value);
    const std::vector<std::string> marks = fromCommaText(c.settings.outPtnChr);
    for (std::size_t i = 0; i < dated.size(); ++i) {
        const std::string key = ScheduleKey{EntryKind::Dated, name, static_cast<int>(i)}.text();
        if (!passesDisplayTests(key, c)) {
            continue;
        }
        std::string text = dated[i];
        if (c.settings.schDisp == 1) {
            // Drawn as marks: the mark of the entry's lowest pattern, or of "no pattern".
            const auto patterns = valueOf(sec(c.store, ScheduleSection::PtnOpt), key);
            std::size_t mark = 6;
            if (patterns) {
                const auto first = patterns->find('1');
                mark = first == std::string::npos ? SIZE_MAX : first;
            }
            if (mark != SIZE_MAX) {
                text = mark < marks.size() ? marks[mark] : std::string();
            }
        }
        append(out, EntryKind::Dated, key, text, c);
    }
    const bool repeating = repeatingEntriesFor(date, c, out);
    if (hasEntries) {
        *hasEntries = !value.empty() || repeating;
    }
    return out;
}

} // namespace velmora
