#include "calendar/OldCalendar.h"

#include "calendar/LunarTable.h"

#include <algorithm>
#include <cstdio>

namespace velmora {

std::string LunarMonthStart::text() const {
    char buffer[48];
    std::snprintf(buffer, sizeof buffer, "%.4d,%.4d,%.4d,%d", start.year(), start.month() * 100 + start.day(),
                  lunarYear, code);
    return buffer;
}

std::vector<LunarMonthStart> buildLunarMonthList() {
    std::vector<LunarMonthStart> list;
    const auto& table = lunarTable();
    for (int r = 0; r < kLunarYears; ++r) {
        const int lunarYear = kLunarFirstYear + r;
        for (int i = 1; i <= 13; ++i) {
            const int v = table[static_cast<std::size_t>(r)][static_cast<std::size_t>(i - 1)];
            if (v == 0) {
                continue;
            }
            const int civilYear = (i == 12 && v / 100 == 1) ? lunarYear + 1 : lunarYear;
            const auto start = DateValue::fromDate(civilYear, v / 100, v % 100);
            if (start) {
                list.push_back(LunarMonthStart{*start, lunarYear, i * 100 + 1});
            }
        }
    }
    // Sorted by their texts, which is date order; one month a day.
    std::sort(list.begin(), list.end(),
              [](const LunarMonthStart& a, const LunarMonthStart& b) { return a.text() < b.text(); });
    list.erase(std::unique(list.begin(), list.end(),
                           [](const LunarMonthStart& a, const LunarMonthStart& b) { return a.text() == b.text(); }),
               list.end());
    // The leap month (13) takes the number of the month before it.
    for (std::size_t i = 1; i < list.size(); ++i) {
        if (list[i].code / 100 == 13) {
            list[i].code = (list[i - 1].code / 100) * 100 + 2;
        }
    }
    return list;
}

std::string OldCalendarDay::dateText() const {
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "%.2d/%.2d", month, day);
    return buffer;
}

std::string OldCalendarDay::text() const {
    return dateText() + "," + std::string(kRokuyouNames[static_cast<std::size_t>(rokuyou)]) + "," + (leap ? "1" : "0");
}

void OldCalendarDays::build(const std::vector<LunarMonthStart>& months, DateValue displayMonth) {
    m_days.clear();
    if (months.size() <= 2) {
        return;
    }
    const int bound = displayMonth.dayNumber() - 7;
    const int end = displayMonth.dayNumber() + 80;
    std::size_t found = 0;
    bool any = false;
    for (std::size_t i = months.size() - 1; i-- > 0;) {
        if (months[i].start.dayNumber() < bound) {
            found = i;
            any = true;
            break;
        }
    }
    // Before the second month of the table nothing is known well enough.
    if (!any || found == 0) {
        return;
    }
    std::size_t current = found;
    int p = months[current].start.dayNumber();
    while (current + 1 < months.size()) {
        const int m = months[current].code / 100;
        const bool leap = months[current].code % 100 == 2;
        const int next = months[current + 1].start.dayNumber();
        for (int d = 1; p != next; ++p, ++d) {
            if (p > end) {
                return;
            }
            m_days[p] = OldCalendarDay{m, d, (m + d) % 6, leap};
        }
        ++current;
    }
}

std::optional<OldCalendarDay> OldCalendarDays::find(DateValue date) const {
    const auto it = m_days.find(date.dayNumber());
    if (it == m_days.end()) {
        return std::nullopt;
    }
    return it->second;
}

} // namespace velmora
