#pragma once

#include "core/DateValue.h"

#include <array>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace velmora {

// Index 0..5, by (lunar month + lunar day) mod 6.
inline constexpr std::array<std::string_view, 6> kRokuyouNames = {"大安", "赤口", "先勝", "友引", "先負", "仏滅"};

// One lunar month start: "yyyy,MMDD,yyyy,code" with the civil year, the civil
// month and day, the lunar year, and month * 100 + 1 (+ 2 for a leap month).
struct LunarMonthStart {
    DateValue start;
    int lunarYear = 0;
    int code = 0;
    std::string text() const;
};

// Every lunar month start of the table in date order, leap months numbered
// after the month before them.
std::vector<LunarMonthStart> buildLunarMonthList();

// The old-calendar date and rokuyou of one civil day.
struct OldCalendarDay {
    int month = 0;
    int day = 0;
    int rokuyou = 0; // index into kRokuyouNames
    bool leap = false;
    // "mm/dd,rokuyou,leap", e.g. "02/15,先勝,0".
    std::string text() const;
    std::string dateText() const; // "mm/dd"
};

// The days around one displayed month: from the start of the lunar month
// that holds DisplayMonth - 8 days through DisplayMonth + 80 days, as far as
// the table reaches.
class OldCalendarDays {
public:
    void build(const std::vector<LunarMonthStart>& months, DateValue displayMonth);
    std::optional<OldCalendarDay> find(DateValue date) const;
    std::size_t size() const { return m_days.size(); }

private:
    std::map<int, OldCalendarDay> m_days; // day number -> day
};

} // namespace velmora
