#pragma once

#include "schedule/ScheduleKey.h"
#include "settings/ColorText.h"

#include <array>
#include <cstddef>
#include <string>
#include <string_view>

namespace velmora {

// The fourteen text fields of a schedule list row, in column order. Fields
// 2..13 hold the option values exactly as the schedule file stores them.
enum class RowField {
    Index = 0,      // position of the entry in its list value, decimal
    Key = 1,        // the ScheduleKey as loaded (a new row: as built for it)
    Opt = 2,        // "OPT": WeekRule of a weekly entry, ShiftRule of a monthly one
    Opt2 = 3,       // "OPT2": ShiftRule of a weekly entry
    Popup = 4,      // POPUP: day flag, timing flag, hh, nn, sound flag
    PopupFile = 5,  // POPUPFILE: the reminder window's state file
    Color = 6,      // COLOROPT: decimal colour, "-" first for reminder-only entries
    Supplement = 7, // the SupplementFile's text (lines end in "\n")
    Holiday = 8,    // HOLIDAYOPT: the holiday name
    FromTo = 9,     // FROMTO: "yyyy/mm/dd-yyyy/mm/dd", "____/__/__" for an open end
    FontName = 10,  // FONTNAME
    PtnOpt = 11,    // PTNOPT: six "0"/"1"
    PopupOpt = 12,  // POPUPOPT
    IntOpt = 13,    // INTOPT: weeks, months, years, yyyymmdd
};
inline constexpr std::size_t kRowFieldCount = 14;

// What a field holds when it has no value.
inline constexpr std::string_view kBlankField = " ";
// True for the blank field (and for an empty text, which is stored as blank).
bool isBlankField(std::string_view value);

// The caption of the row that leads back to the parent tree node.
inline constexpr std::string_view kParentCaption = "..";

// One row of the schedule list as the list and the entry editor hold it:
// an entry with its options, or the ".." row that ends every list.
struct EntryRow {
    EntryRow();
    // The ".." row: icon 8, overlay 3, never committed, never moved.
    static EntryRow parentRow();

    std::string caption;               // the entry text, trimmed; ".." for the parent row
    EntryKind kind = EntryKind::Dated; // also the row's icon
    bool deleted = false;              // marked for deletion: shown ghosted until the commit
    bool parent = false;               // the ".." row
    // Made in this window (editor, paste): field 1 names no stored entry yet,
    // so the commit clears nothing under it but what its new key inherits.
    bool added = false;
    std::array<std::string, kRowFieldCount> fields; // all " " when made

    const std::string& field(RowField f) const { return fields[static_cast<std::size_t>(f)]; }
    // Stores the value; "" is stored as the blank " ".
    void setField(RowField f, std::string_view value);
    // False for a blank field.
    bool hasValue(RowField f) const { return !isBlankField(field(f)); }

    bool hasReminder() const { return hasValue(RowField::Popup); }
    // The image-list index of the row: the kind (0..3), 8 for "..".
    int icon() const;
    // 0 no reminder, 1 a reminder set, 3 the ".." row.
    int overlay() const;

    friend bool operator==(const EntryRow&, const EntryRow&) = default;
};

// The colour the row is drawn in: field 6 without its "-" mark, or `fallback`
// (the schedule font's colour) when blank or not a number.
Colour rowColour(const EntryRow& row, Colour fallback);
// The face the row is drawn in: field 10, or `fallback` (the schedule font's face).
std::string rowFontName(const EntryRow& row, std::string_view fallback);

// A text as an entry caption: control characters (a pasted line break or
// tab, which would split the data file's line) become blanks, then trimmed.
std::string entryCaption(std::string_view typed);

} // namespace velmora
