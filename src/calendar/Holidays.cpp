#include "calendar/Holidays.h"

#include "core/DateText.h"
#include "schedule/EntryRules.h"
#include "settings/Settings.h"

#include <charconv>
#include <cmath>

namespace velmora {

namespace {

constexpr int kSunday = 1;
constexpr int kMonday = 2;

int toInt(std::string_view s, int fallback = -1) {
    int v = 0;
    const auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), v);
    return ec == std::errc() && end == s.data() + s.size() ? v : fallback;
}

struct EquinoxCoefficients {
    double spring;
    double autumn;
    int baseYear;
};

std::optional<EquinoxCoefficients> equinoxCoefficients(int year) {
    if (year >= 1900 && year <= 1979) {
        return EquinoxCoefficients{20.8357, 23.2588, 1983};
    }
    if (year >= 1980 && year <= 2099) {
        return EquinoxCoefficients{20.8431, 23.2488, 1980};
    }
    return std::nullopt;
}

int equinoxDay(int year, double coefficient, int baseYear) {
    const double v = (year - 1980) * 0.242194 + coefficient - std::trunc((year - baseYear) / 4.0);
    return static_cast<int>(std::trunc(v));
}

void addIfExists(std::vector<DateValue>& out, int year, int month, int day) {
    // Days a year or month lacks (02/29, 04/31) name no date.
    if (year >= kMinYear && year <= kMaxYear) {
        if (auto d = DateValue::fromDate(year, month, day)) {
            out.push_back(*d);
        }
    }
}

// The dates a holiday-flagged entry key names around the displayed year.
std::vector<DateValue> candidateDates(const std::string& key, int year, const NameValueList& weekly) {
    std::vector<DateValue> dates;
    const std::string_view k = key;
    if (k.size() == 13 && k.substr(0, 5) != "MONTH") {
        addIfExists(dates, toInt(k.substr(0, 4)), toInt(k.substr(5, 2)), toInt(k.substr(8, 2)));
    } else if (k.substr(0, 4) == "YEAR") {
        if (k.size() >= 9) {
            for (int y = year - 1; y <= year + 1; ++y) {
                addIfExists(dates, y, toInt(k.substr(4, 2)), toInt(k.substr(7, 2)));
            }
        }
    } else if (k.substr(0, 5) == "MONTH" && k.size() == 10) {
        for (int y = year - 1; y <= year + 1; ++y) {
            for (int m = 1; m <= 12; ++m) {
                addIfExists(dates, y, m, toInt(k.substr(5, 2)));
            }
        }
    } else if (k.substr(0, 4) == "WEEK" && k.size() == 8) {
        const int weekday = toInt(k.substr(4, 1));
        if (weekday < 1 || weekday > 7) {
            return dates;
        }
        const std::vector<std::string> rule = ruleFields(weekly.value(key + "OPT"));
        const std::string filter = rule.size() > 5 ? rule[5] : std::string();
        for (int y = std::max(year - 1, kMinYear); y <= std::min(year + 1, kMaxYear); ++y) {
            for (int m = 1; m <= 12; ++m) {
                if (!filter.empty() && !monthFilterPasses(filter, m)) {
                    continue;
                }
                const DateValue first = *DateValue::fromDate(y, m, 1);
                const int w = first.weekday();
                for (int occurrence = 0; occurrence < 5; ++occurrence) {
                    if (static_cast<std::size_t>(occurrence) >= rule.size() ||
                        rule[static_cast<std::size_t>(occurrence)] == "0" ||
                        rule[static_cast<std::size_t>(occurrence)].empty()) {
                        continue;
                    }
                    DateValue d = first.addDays(weekday - w + 7 * occurrence + (weekday < w ? 7 : 0));
                    // A month has a fifth such weekday only when it falls on the 29th or later.
                    if (occurrence == 4 && (d.month() != m || d.day() < 8)) {
                        continue;
                    }
                    if (d.month() == m) {
                        dates.push_back(d);
                    }
                }
            }
        }
    }
    return dates;
}

} // namespace

DateValue substituteHolidaysSince() {
    return *DateValue::fromDate(1973, 4, 12);
}

HolidayCalendar::HolidayCalendar(const NameValueList& holidayList) {
    for (std::size_t i = 0; i < holidayList.size(); ++i) {
        const auto md = parseMonthDay(holidayList.name(i));
        if (md) {
            m_fixed.emplace(md->month * 100 + md->day, holidayList.valueAt(i));
        }
    }
}

std::string HolidayCalendar::fixedName(DateValue date) const {
    const auto it = m_fixed.find(date.month() * 100 + date.day());
    return it == m_fixed.end() ? std::string() : it->second;
}

std::string HolidayCalendar::fixedNameWithRule(DateValue date) const {
    std::string name = fixedName(date);
    // Both days moved to a Monday in 2000; the old fixed dates stop then.
    if (date.year() >= 2000 && (name == "成人の日" || name == "体育の日")) {
        name.clear();
    }
    return name;
}

std::string HolidayCalendar::lookup(DateValue date) const {
    std::string name = fixedNameWithRule(date);
    if (name.empty()) {
        const auto it = m_computed.find(date.dayNumber());
        if (it != m_computed.end()) {
            name = it->second;
        }
    }
    return name;
}

void HolidayCalendar::setComputed(DateValue date, const std::string& name) {
    m_computed[date.dayNumber()] = name;
}

void HolidayCalendar::substituteAfter(DateValue sunday, bool furikae) {
    // Before the law of 1973 a holiday on a Sunday was simply lost.
    if (furikae && sunday.weekday() == kSunday && sunday.addDays(1) >= substituteHolidaysSince()) {
        setComputed(sunday.addDays(1), kSubstituteHoliday);
    }
}

void HolidayCalendar::computeHolidays(const Settings& settings, DateValue displayMonth, const HolidaySources& sources) {
    m_computed.clear();
    const DateValue month = displayMonth.startOfMonth();
    const DaySpan window = dayWindow(settings, month);
    const bool furikae = settings.furikae;

    // 1. Substitutes for the fixed list, unless the Monday is fixed too.
    for (int n = window.first.dayNumber(); n <= window.last.dayNumber(); ++n) {
        const DateValue d = DateValue::fromDayNumber(n);
        if (d.weekday() != kSunday || !fixedNameWithRule(d.addDays(1)).empty()) {
            continue;
        }
        if (!fixedNameWithRule(d).empty()) {
            substituteAfter(d, furikae);
        }
    }

    // 2. Equinox days of the displayed year (and the next, several months shown).
    const bool multi = settings.calenFlag == 1;
    for (int k = 0; k <= (multi ? 1 : 0); ++k) {
        const int year = month.year() + k;
        const auto c = equinoxCoefficients(year);
        if (!c) {
            continue;
        }
        if (multi || month.month() == 2 || month.month() == 3) {
            const DateValue spring = *DateValue::fromDate(year, 3, equinoxDay(year, c->spring, c->baseYear));
            setComputed(spring, kSpringEquinoxDay);
            substituteAfter(spring, furikae);
        }
        if (multi || month.month() == 9 || month.month() == 10) {
            const int day = equinoxDay(year, c->autumn, c->baseYear);
            const DateValue autumn = *DateValue::fromDate(year, 9, day);
            setComputed(autumn, kAutumnEquinoxDay);
            substituteAfter(autumn, furikae);
            // The day between Respect-for-the-Aged Day (third Monday since
            // 2003) and the equinox; before 2003 that Monday was no holiday.
            if (year >= 2003 && (day - 3) / 7 == 2 && autumn.addDays(-2).weekday() == kMonday) {
                setComputed(autumn.addDays(-1), kNationalHoliday);
            }
        }
    }

    // 3. Holiday-flagged entries, in stored order.
    const NameValueList& options = sources.holidayOptions;
    for (std::size_t i = 0; i < options.size(); ++i) {
        const std::string key = options.name(i);
        const std::string name = options.valueAt(i);
        const std::string period = sources.periods.value(key);
        for (const DateValue d : candidateDates(key, month.year(), sources.weekly)) {
            if (!periodAdmits(period, d)) {
                continue;
            }
            setComputed(d, name);
            substituteAfter(d, furikae);
        }
    }
}

} // namespace velmora
