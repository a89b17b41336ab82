#include "HolidayRules.h"

#include "core/DateText.h"
#include "core/ProfileFile.h"
#include "schedule/EntryList.h"
#include "schedule/ScheduleKey.h"

#include <array>
#include <charconv>
#include <stdexcept>

namespace velmora::holidaygen {

namespace {

constexpr std::string_view kOpenEnd = "____/__/__";

std::vector<std::string> tokens(std::string_view line) {
    std::vector<std::string> out;
    std::size_t i = 0;
    while (i < line.size()) {
        while (i < line.size() && (line[i] == ' ' || line[i] == '\t')) {
            ++i;
        }
        const std::size_t start = i;
        while (i < line.size() && line[i] != ' ' && line[i] != '\t') {
            ++i;
        }
        if (i > start) {
            out.emplace_back(line.substr(start, i - start));
        }
    }
    return out;
}

class LineError {
public:
    explicit LineError(int line) : m_line(line) {}
    [[noreturn]] void fail(const std::string& what) const {
        throw std::runtime_error("holidays.rules line " + std::to_string(m_line) + ": " + what);
    }

private:
    int m_line;
};

int number(std::string_view s, const LineError& at) {
    int v = 0;
    const auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), v);
    if (s.empty() || ec != std::errc() || end != s.data() + s.size()) {
        at.fail("not a number: " + std::string(s));
    }
    return v;
}

MonthDay monthDay(std::string_view s, const LineError& at) {
    const auto md = parseMonthDay(s);
    if (!md) {
        at.fail("not a day mm/dd: " + std::string(s));
    }
    return *md;
}

// "yyyy" or "yyyy/mm/dd" as the first or last day it stands for.
std::string periodEnd(std::string_view s, bool first, const LineError& at) {
    if (s.empty()) {
        return {};
    }
    if (s.size() == 4) {
        const int year = number(s, at);
        return formatDate(*DateValue::fromDate(year, first ? 1 : 12, first ? 1 : 31));
    }
    if (!parseDate(s)) {
        at.fail("not a year or a date yyyy/mm/dd: " + std::string(s));
    }
    return std::string(s);
}

Period period(std::string_view s, const LineError& at) {
    const auto dash = s.find('-');
    if (dash == std::string_view::npos) {
        // One year (or day) on its own.
        return Period{periodEnd(s, true, at), periodEnd(s, false, at)};
    }
    Period p{periodEnd(s.substr(0, dash), true, at), periodEnd(s.substr(dash + 1), false, at)};
    if (!p.from.empty() && !p.to.empty() && p.to < p.from) {
        at.fail("the period ends before it starts: " + std::string(s));
    }
    return p;
}

std::vector<Period> periods(const std::vector<std::string>& t, std::size_t from, const LineError& at) {
    std::vector<Period> out;
    for (std::size_t i = from; i < t.size(); ++i) {
        out.push_back(period(t[i], at));
    }
    if (out.empty()) {
        at.fail("a period is needed (\"1967-\" for one that is still open)");
    }
    return out;
}

int nthOf(std::string_view s, const LineError& at) {
    static constexpr std::array<std::string_view, 5> kNth = {"1st", "2nd", "3rd", "4th", "5th"};
    for (std::size_t i = 0; i < kNth.size(); ++i) {
        if (s == kNth[i]) {
            return static_cast<int>(i) + 1;
        }
    }
    at.fail("not 1st..5th: " + std::string(s));
}

int weekdayOf(std::string_view s, const LineError& at) {
    static constexpr std::array<std::string_view, 7> kDays = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
    for (std::size_t i = 0; i < kDays.size(); ++i) {
        if (s == kDays[i]) {
            return static_cast<int>(i) + 1;
        }
    }
    at.fail("not Sun..Sat: " + std::string(s));
}

std::string fromToValue(const Period& p) {
    return (p.from.empty() ? std::string(kOpenEnd) : p.from) + "-" + (p.to.empty() ? std::string(kOpenEnd) : p.to);
}

// Adds one holiday-flagged entry to the list `listName` of an entry-list
// section and returns its key.
std::string addEntry(NameValueList& lists, EntryKind kind, const std::string& listName, const std::string& name,
                     NameValueList& options) {
    std::vector<std::string> texts = parseEntryList(lists.value(listName));
    texts.push_back(storedEntryText(name));
    lists.set(listName, formatEntryList(texts));
    const std::string key = ScheduleKey::make(kind, listName, static_cast<int>(texts.size()) - 1).text();
    options.append(key, name);
    return key;
}

} // namespace

HolidayRules parseRules(std::string_view text) {
    HolidayRules rules;
    std::string section;
    int lineNumber = 0;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string_view::npos) {
            end = text.size();
        }
        std::string_view line = text.substr(start, end - start);
        start = end + 1;
        ++lineNumber;
        const LineError at(lineNumber);
        if (const auto hash = line.find('#'); hash != std::string_view::npos) {
            line = line.substr(0, hash);
        }
        if (!line.empty() && line.back() == '\r') {
            line.remove_suffix(1);
        }
        const std::vector<std::string> t = tokens(line);
        if (t.empty()) {
            continue;
        }
        if (t.size() == 1 && t[0].size() > 2 && t[0].front() == '[' && t[0].back() == ']') {
            section = t[0].substr(1, t[0].size() - 2);
            if (section != "fixed" && section != "yearly" && section != "weekly" && section != "dated" &&
                section != "law") {
                at.fail("unknown section " + t[0]);
            }
            continue;
        }
        if (section == "fixed") {
            if (t.size() != 2) {
                at.fail("expected: mm/dd NAME");
            }
            const MonthDay md = monthDay(t[0], at);
            rules.fixed.push_back({md.month, md.day, t[1]});
        } else if (section == "yearly") {
            if (t.size() < 3) {
                at.fail("expected: mm/dd NAME PERIOD...");
            }
            const MonthDay md = monthDay(t[0], at);
            rules.yearly.push_back({md.month, md.day, t[1], periods(t, 2, at)});
        } else if (section == "weekly") {
            if (t.size() < 5) {
                at.fail("expected: MM NTH WEEKDAY NAME PERIOD...");
            }
            const int month = number(t[0], at);
            if (month < 1 || month > 12) {
                at.fail("not a month: " + t[0]);
            }
            rules.weekly.push_back({month, nthOf(t[1], at), weekdayOf(t[2], at), t[3], periods(t, 4, at)});
        } else if (section == "dated") {
            const auto date = t.size() == 2 ? parseDate(t[0]) : std::nullopt;
            if (!date) {
                at.fail("expected: yyyy/mm/dd NAME");
            }
            rules.dated.push_back({*date, t[1]});
        } else if (section == "law") {
            if (t.size() != 2) {
                at.fail("expected: NAME FIRSTYEAR-LASTYEAR");
            }
            const Period p = period(t[1], at);
            if (p.from.empty() || p.to.empty()) {
                at.fail("the years of a law fill are closed: " + t[1]);
            }
            rules.fromLaw.push_back({t[0], parseDate(p.from)->year(), parseDate(p.to)->year()});
        } else {
            at.fail("a line before the first section");
        }
    }
    return rules;
}

void Templates::addDated(DateValue date, const std::string& name) {
    addEntry(day, EntryKind::Dated, entryListName(EntryKind::Dated, date), name, holidayOptions);
}

std::string Templates::scheduleFileBytes() const {
    ProfileFile file;
    const auto put = [&](std::string_view section, NameValueList lines, bool sort) {
        if (sort) {
            lines.sortIgnoreCase();
        }
        if (!lines.empty() && !file.writeSection(section, lines)) {
            throw std::runtime_error("a holiday name code page 932 cannot hold, in " + std::string(section));
        }
    };
    // The order of the program's save; it sorts every section it writes.
    put("DAY", day, true);
    put("YEAR", year, true);
    put("WEEK", week, true);
    put("FROMTO", fromTo, true);
    put("HOLIDAYOPT", holidayOptions, false);
    return file.bytes();
}

Templates buildTemplates(const HolidayRules& rules) {
    Templates t;
    for (const FixedHoliday& f : rules.fixed) {
        t.holidayList.append(formatMonthDay(*DateValue::fromDate(2000, f.month, f.day)), f.name);
    }
    for (const YearlyHoliday& y : rules.yearly) {
        const std::string listName = formatMonthDay(*DateValue::fromDate(2000, y.month, y.day));
        for (const Period& p : y.periods) {
            t.fromTo.append(addEntry(t.year, EntryKind::Yearly, listName, y.name, t.holidayOptions), fromToValue(p));
        }
    }
    for (const WeeklyHoliday& w : rules.weekly) {
        // Five occurrence flags, then the twelve-month filter.
        std::string rule;
        for (int n = 1; n <= 5; ++n) {
            rule += n == w.nth ? "1," : "0,";
        }
        for (int m = 1; m <= 12; ++m) {
            rule += m == w.month ? '1' : '0';
        }
        for (const Period& p : w.periods) {
            const std::string key =
                addEntry(t.week, EntryKind::Weekly, std::to_string(w.weekday), w.name, t.holidayOptions);
            t.week.append(key + "OPT", rule);
            t.fromTo.append(key, fromToValue(p));
        }
    }
    for (const DatedHoliday& d : rules.dated) {
        t.addDated(d.date, d.name);
    }
    return t;
}

} // namespace velmora::holidaygen
