#include "schedule/ScheduleKey.h"

#include "core/DateText.h"

#include <cstdio>

namespace velmora {

namespace {

bool allDigits(std::string_view s) {
    if (s.empty()) {
        return false;
    }
    for (char c : s) {
        if (c < '0' || c > '9') {
            return false;
        }
    }
    return true;
}

std::string twoDigits(int v) {
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "%.2d", v);
    return buffer;
}

} // namespace

std::string_view entryListSection(EntryKind kind) {
    switch (kind) {
    case EntryKind::Dated:
        return "DAY";
    case EntryKind::Yearly:
        return "YEAR";
    case EntryKind::Monthly:
        return "MONTH";
    case EntryKind::Weekly:
        return "WEEK";
    }
    return "DAY";
}

std::string entryListName(EntryKind kind, DateValue date) {
    switch (kind) {
    case EntryKind::Dated:
        return formatDate(date);
    case EntryKind::Yearly:
        return formatMonthDay(date);
    case EntryKind::Monthly:
        return twoDigits(date.day());
    case EntryKind::Weekly:
        return std::to_string(date.weekday());
    }
    return {};
}

ScheduleKey ScheduleKey::make(EntryKind kind, std::string_view day, int index, std::optional<DateValue> date) {
    return ScheduleKey{kind, date ? entryListName(kind, *date) : std::string(day), index};
}

std::string ScheduleKey::text() const {
    std::string prefix;
    switch (kind) {
    case EntryKind::Dated:
        break;
    case EntryKind::Yearly:
        prefix = "YEAR";
        break;
    case EntryKind::Monthly:
        prefix = "MONTH";
        break;
    case EntryKind::Weekly:
        prefix = "WEEK";
        break;
    }
    return prefix + day + "-" + twoDigits(index);
}

std::optional<ScheduleKey> ScheduleKey::parse(std::string_view text) {
    const auto dash = text.rfind('-');
    if (dash == std::string_view::npos) {
        return std::nullopt;
    }
    const std::string_view number = text.substr(dash + 1);
    if (!allDigits(number) || number.size() < 2 || number.size() > 9) {
        return std::nullopt;
    }
    const int index = std::stoi(std::string(number));
    if (number.size() > 2 && number.front() == '0') {
        return std::nullopt; // "007" is never written
    }
    std::string_view head = text.substr(0, dash);
    const auto starts = [&](std::string_view p) { return head.substr(0, p.size()) == p; };
    if (starts("YEAR")) {
        head.remove_prefix(4);
        if (head.size() == 5 && parseMonthDay(head)) {
            return ScheduleKey{EntryKind::Yearly, std::string(head), index};
        }
    } else if (starts("MONTH")) {
        head.remove_prefix(5);
        if (head.size() == 2 && allDigits(head) && head >= "01" && head <= "31") {
            return ScheduleKey{EntryKind::Monthly, std::string(head), index};
        }
    } else if (starts("WEEK")) {
        head.remove_prefix(4);
        if (head.size() == 1 && head[0] >= '1' && head[0] <= '7') {
            return ScheduleKey{EntryKind::Weekly, std::string(head), index};
        }
    } else if (head.size() == 10 && parseDate(head)) {
        return ScheduleKey{EntryKind::Dated, std::string(head), index};
    }
    return std::nullopt;
}

std::optional<std::string> supplementFileName(std::string_view key) {
    if (!ScheduleKey::parse(key)) {
        return std::nullopt;
    }
    std::string name;
    for (char c : key) {
        if (c != '/' && c != '-') {
            name += c;
        }
    }
    return name + ".hsk";
}

bool isPlainFileName(std::string_view name) {
    if (name.empty() || name == "." || name == "..") {
        return false;
    }
    for (char c : name) {
        if (c == '/' || c == '\\' || c == ':' || static_cast<unsigned char>(c) < 0x20) {
            return false;
        }
    }
    return true;
}

} // namespace velmora
