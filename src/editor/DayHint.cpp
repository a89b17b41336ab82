#include "editor/DayHint.h"

#include "calendar/Holidays.h"
#include "core/DateText.h"
#include "settings/Settings.h"

#include <array>
#include <cstdlib>

namespace velmora {

std::vector<std::string> dayHintLines(DateValue date, const EntryContext& context) {
    static constexpr std::array<const char*, 7> kWeekdays = {"日", "月", "火", "水", "木", "金", "土"};
    // Marks say little in a balloon that has room for the words.
    Settings words = context.settings;
    words.schDisp = 0;
    const EntryContext c{context.store, words, context.holidays, context.moved};
    std::vector<std::string> entries;
    for (const EntryHit& hit : cellEntries(date, c)) {
        // The blank that ends every stored text is no part of what the user wrote.
        const std::size_t end = hit.text.find_last_not_of(' ');
        entries.push_back(end == std::string::npos ? std::string() : hit.text.substr(0, end + 1));
    }
    const std::string day = formatDate(date) + "（" + kWeekdays[static_cast<std::size_t>(date.weekday() - 1)] + "）";
    std::vector<std::string> lines{day + (entries.empty() ? "には" : "の予定")};
    if (std::string holiday = context.holidays.lookup(date); !holiday.empty()) {
        lines.push_back(std::move(holiday));
    }
    if (entries.empty()) {
        lines.emplace_back("予定はありません");
    }
    lines.insert(lines.end(), entries.begin(), entries.end());
    return lines;
}

bool PointerRest::moveTo(int x, int y) {
    if (m_known && std::abs(x - m_x) <= kTolerance && std::abs(y - m_y) <= kTolerance) {
        return false;
    }
    m_known = true;
    m_x = x;
    m_y = y;
    return true;
}

} // namespace velmora
