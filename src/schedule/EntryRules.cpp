#include "schedule/EntryRules.h"

#include "core/DateText.h"

#include <charconv>

namespace velmora {

namespace {

std::optional<int> number(std::string_view s) {
    while (!s.empty() && s.front() == ' ') {
        s.remove_prefix(1);
    }
    while (!s.empty() && s.back() == ' ') {
        s.remove_suffix(1);
    }
    int v = 0;
    const char* begin = s.data();
    if (!s.empty() && s.front() == '+') {
        ++begin;
    }
    const auto [end, ec] = std::from_chars(begin, s.data() + s.size(), v);
    if (s.empty() || ec != std::errc() || end != s.data() + s.size()) {
        return std::nullopt;
    }
    return v;
}

bool multipleOf(long long distance, long long step) {
    return step != 0 && distance % step == 0;
}

} // namespace

std::vector<std::string> ruleFields(std::string_view value) {
    std::vector<std::string> fields;
    std::size_t start = 0;
    while (true) {
        const auto comma = value.find(',', start);
        fields.emplace_back(
            value.substr(start, comma == std::string_view::npos ? std::string_view::npos : comma - start));
        if (comma == std::string_view::npos) {
            return fields;
        }
        start = comma + 1;
    }
}

bool monthFilterPasses(std::string_view filter, int month) {
    if (filter.size() == 12) {
        return month >= 1 && month <= 12 && filter[static_cast<std::size_t>(month - 1)] == '1';
    }
    if (filter == "0") {
        return true;
    }
    return number(filter) == month;
}

bool intervalHolds(std::string_view value, DateValue date) {
    const std::vector<std::string> f = ruleFields(value);
    if (f.size() != 4) {
        return true;
    }
    const int weeks = number(f[0]).value_or(0);
    const int months = number(f[1]).value_or(0);
    const int years = number(f[2]).value_or(0);
    if (weeks == 0 && months == 0 && years == 0) {
        return true;
    }
    // A base date that does not read makes the rule undecidable: let it through.
    const std::string& b = f[3];
    if (b.size() != 8) {
        return true;
    }
    const auto base = DateValue::fromDate(number(b.substr(0, 4)).value_or(0), number(b.substr(4, 2)).value_or(0),
                                          number(b.substr(6, 2)).value_or(0));
    if (!base) {
        return true;
    }
    bool verdict = true;
    if (weeks != 0) {
        const long long days = date.dayNumber() - base->dayNumber();
        verdict = multipleOf(days / 7, weeks + 1LL);
    }
    if (months != 0) {
        const long long distance = (date.year() * 12LL + date.month()) - (base->year() * 12LL + base->month());
        verdict = multipleOf(distance, months + 1LL);
    }
    if (years != 0) {
        verdict = multipleOf(static_cast<long long>(date.year()) - base->year(), years + 1LL);
    }
    return verdict;
}

bool periodAdmits(std::string_view value, DateValue date) {
    if (value.empty()) {
        return true;
    }
    const std::string text = formatDate(date);
    if (value[0] != '_' && text < value.substr(0, 10)) {
        return false;
    }
    return !(value.size() >= 12 && value[11] != '_' && text > value.substr(11, 10));
}

bool patternFilter(std::string_view s, std::string_view p, bool force) {
    if (p.size() >= 6 && p[5] == '1') {
        return true;
    }
    if ((s.size() >= 7 && s[6] == '1') || force) {
        return true;
    }
    const std::string_view patterns = p.empty() ? std::string_view("000000") : p;
    if (s.size() != 7 || patterns.size() != 6) {
        return true;
    }
    bool r = false;
    for (std::size_t i = 0; i < 5; ++i) {
        r = r || (s[i] == '1' && patterns[i] == '1');
    }
    return s[5] == '1' ? !r : r;
}

ShiftRule ShiftRule::parse(std::string_view value) {
    const std::vector<std::string> f = ruleFields(value);
    ShiftRule r;
    r.saturday = !f.empty() && f[0] == "1";
    r.sunday = f.size() > 1 && f[1] == "1";
    r.holiday = f.size() > 2 && f[2] == "1";
    r.mode = f.size() > 3 ? number(f[3]).value_or(1) : 1;
    r.offset = f.size() > 4 ? number(f[4]).value_or(0) : 0;
    if (f.size() == 6) {
        r.monthFilter = f[5];
    }
    return r;
}

std::string WeekRule::weekFlag(int dayOfMonth) const {
    const std::size_t week = static_cast<std::size_t>((dayOfMonth - 1) / 7);
    return week < fields.size() && week < 5 ? fields[week] : std::string();
}

} // namespace velmora
