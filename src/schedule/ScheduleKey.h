#pragma once

#include "core/DateValue.h"

#include <optional>
#include <string>
#include <string_view>

namespace velmora {

enum class EntryKind {
    Dated = 0,
    Yearly = 1,
    Monthly = 2,
    Weekly = 3,
};

// The section of a kind's entry lists: "DAY", "YEAR", "MONTH", "WEEK".
std::string_view entryListSection(EntryKind kind);

// The key of one entry: its kind, the day it is listed under, and its position
// in that day's list.
//   dated   "yyyy/mm/dd-NN"   2024/05/01-00
//   yearly  "YEARmm/dd-NN"    YEAR05/01-01
//   monthly "MONTHdd-NN"      MONTH15-00
//   weekly  "WEEKd-NN"        WEEK2-03   (1 = Sunday .. 7 = Saturday)
// NN has at least two digits ("00", "99", "100").
struct ScheduleKey {
    EntryKind kind = EntryKind::Dated;
    std::string day; // the list name: "2024/05/01", "05/01", "15", "2"
    int index = 0;

    std::string text() const;
    // Builds a key from the kind and a date (the date's parts as the kind
    // needs them), or, when `date` is not given, from the list name `day` as it stands.
    static ScheduleKey make(EntryKind kind, std::string_view day, int index, std::optional<DateValue> date = {});
    // nullopt for any text that is not one of the four forms exactly: only
    // such keys are ever turned into file names.
    static std::optional<ScheduleKey> parse(std::string_view text);

    friend bool operator==(const ScheduleKey&, const ScheduleKey&) = default;
};

// The list name a date has in a kind's section: "2024/05/01", "05/01", "01", "4".
std::string entryListName(EntryKind kind, DateValue date);

// "2024/05/01-00" -> "2024050100.hsk": the entry's supplementary description
// beside the data file. nullopt for a key that is not one of the four forms.
std::optional<std::string> supplementFileName(std::string_view key);

// True for a plain file name that stays in its folder: no folder separators,
// no "." or "..", no control characters. Names read from data files (reminder
// and memo window files) must pass before the program opens or deletes them.
bool isPlainFileName(std::string_view name);

} // namespace velmora
