#include "core/DateText.h"

#include <cstdint>

namespace velmora {

namespace {

// Appends the number with at least `width` digits, zero padded.
void appendPadded(std::string& out, int value, int width) {
    if (value < 0) {
        out += '-';
    }
    char digits[16];
    int count = 0;
    // Unsigned so that the most negative int still has a magnitude.
    unsigned magnitude = value < 0 ? 0u - static_cast<unsigned>(value) : static_cast<unsigned>(value);
    do {
        digits[count++] = static_cast<char>('0' + magnitude % 10);
        magnitude /= 10;
    } while (magnitude != 0);
    for (int i = count; i < width; ++i) {
        out += '0';
    }
    while (count > 0) {
        out += digits[--count];
    }
}

void appendDate(std::string& out, const CivilDate& c) {
    appendPadded(out, c.year, 4);
    out += '/';
    appendPadded(out, c.month, 2);
    out += '/';
    appendPadded(out, c.day, 2);
}

// Seconds are shown truncated, as a clock shows them.
void appendTime(std::string& out, const TimeOfDay& t, bool withSeconds) {
    appendPadded(out, t.hour, 2);
    out += ':';
    appendPadded(out, t.minute, 2);
    if (withSeconds) {
        out += ':';
        appendPadded(out, t.second, 2);
    }
}

// The value of a digit field that matchesLayout has already checked.
int number(std::string_view text, std::size_t pos, std::size_t count) {
    int value = 0;
    for (std::size_t i = pos; i < pos + count; ++i) {
        value = value * 10 + (text[i] - '0');
    }
    return value;
}

// Checks the fixed layout: every 'd' of the pattern is a digit, every other
// character must match literally, and the lengths must be equal.
bool matchesLayout(std::string_view text, std::string_view layout) {
    if (text.size() != layout.size()) {
        return false;
    }
    for (std::size_t i = 0; i < layout.size(); ++i) {
        if (layout[i] == 'd' ? (text[i] < '0' || text[i] > '9') : text[i] != layout[i]) {
            return false;
        }
    }
    return true;
}

struct Clock {
    int hour = 0;
    int minute = 0;
    int second = 0;
};

std::optional<Clock> parseClock(std::string_view text, bool withSeconds) {
    if (!matchesLayout(text, withSeconds ? "dd:dd:dd" : "dd:dd")) {
        return std::nullopt;
    }
    Clock c;
    c.hour = number(text, 0, 2);
    c.minute = number(text, 3, 2);
    c.second = withSeconds ? number(text, 6, 2) : 0;
    if (c.hour > 23 || c.minute > 59 || c.second > 59) {
        return std::nullopt;
    }
    return c;
}

// The same fraction that DateValue::fromDateTime adds to a date, so a parsed
// time combined with a date equals the value built from the parts.
double dayFraction(const Clock& c) {
    const std::int64_t ms = ((static_cast<std::int64_t>(c.hour) * 60 + c.minute) * 60 + c.second) * 1000;
    return static_cast<double>(ms) / 86'400'000.0;
}

} // namespace

std::string formatDate(DateValue d) {
    std::string out;
    appendDate(out, d.date());
    return out;
}

std::string formatMonthDay(DateValue d) {
    const CivilDate c = d.date();
    std::string out;
    appendPadded(out, c.month, 2);
    out += '/';
    appendPadded(out, c.day, 2);
    return out;
}

std::string formatYearMonth(DateValue d) {
    const CivilDate c = d.date();
    std::string out;
    appendPadded(out, c.year, 4);
    appendPadded(out, c.month, 2);
    return out;
}

std::string formatDateTime(DateValue d) {
    std::string out;
    appendDate(out, d.date());
    out += ' ';
    appendTime(out, d.time(), true);
    return out;
}

std::string formatHourMinute(DateValue d) {
    std::string out;
    appendTime(out, d.time(), false);
    return out;
}

std::string formatTime(DateValue d) {
    std::string out;
    appendTime(out, d.time(), true);
    return out;
}

std::optional<DateValue> parseDate(std::string_view text) {
    if (!matchesLayout(text, "dddd/dd/dd")) {
        return std::nullopt;
    }
    return DateValue::fromDate(number(text, 0, 4), number(text, 5, 2), number(text, 8, 2));
}

std::optional<DateValue> parseDateTime(std::string_view text) {
    if (!matchesLayout(text, "dddd/dd/dd dd:dd:dd")) {
        return std::nullopt;
    }
    return DateValue::fromDateTime(number(text, 0, 4), number(text, 5, 2), number(text, 8, 2), number(text, 11, 2),
                                   number(text, 14, 2), number(text, 17, 2));
}

std::optional<DateValue> parseYearMonth(std::string_view text) {
    if (!matchesLayout(text, "dddddd")) {
        return std::nullopt;
    }
    return DateValue::fromDate(number(text, 0, 4), number(text, 4, 2), 1);
}

std::optional<MonthDay> parseMonthDay(std::string_view text) {
    if (!matchesLayout(text, "dd/dd")) {
        return std::nullopt;
    }
    const MonthDay md{number(text, 0, 2), number(text, 3, 2)};
    // A leap year has every month/day that any year has.
    if (md.day < 1 || md.day > daysInMonth(2000, md.month)) {
        return std::nullopt;
    }
    return md;
}

std::optional<double> parseHourMinute(std::string_view text) {
    const auto clock = parseClock(text, false);
    if (!clock) {
        return std::nullopt;
    }
    return dayFraction(*clock);
}

std::optional<double> parseTime(std::string_view text) {
    const auto clock = parseClock(text, true);
    if (!clock) {
        return std::nullopt;
    }
    return dayFraction(*clock);
}

} // namespace velmora
