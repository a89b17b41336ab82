#pragma once

#include "core/DateValue.h"
#include "core/NameValueList.h"
#include "editor/EntryRow.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace velmora {

class OpenReminders;
class ScheduleStore;
class UserFeedback;

// The lists an entry view shows: a dated view (kind dated) shows the four
// lists of one date, a weekly, monthly or yearly view only its own list.
struct EntryView {
    EntryKind kind = EntryKind::Dated;
    DateValue viewDate;
    bool dayView() const { return kind == EntryKind::Dated; }
};

// The rows of an entry view: the shown ones in the order dated, weekly,
// monthly, yearly, and, in a dated view, the weekly and monthly rows whose
// month filter keeps them off the shown month.
struct LoadedRows {
    std::vector<EntryRow> rows;
    std::vector<EntryRow> heldWeekly;  // SaveLVW
    std::vector<EntryRow> heldMonthly; // SaveLVM
};

// Loads the rows of a view from the store and the supplement files in
// `folder` (with its trailing separator). Missing options and files are no value.
LoadedRows loadEntryRows(const ScheduleStore& store, const EntryView& view, const std::string& folder);

// CommitEntries over rows without "..": deleted rows go (their open reminder
// windows closed, their reminder state and timed pairs dropped, their window
// files added to `deletionQueue`), the others are renumbered per kind in row
// order and written under their new keys: the entry lists of the view (a
// name whose list becomes empty is removed), the "OPT"/"OPT2" rules, the nine
// option sections, the supplement files, and the reminder state and timed
// pairs moved to the new keys. Rows whose kind lies outside a weekly, monthly
// or yearly view are written as the view's kind, never dropped. A supplement
// file that cannot be written is reported through `feedback`.
void commitEntryRows(ScheduleStore& store, const EntryView& view, const std::vector<EntryRow>& rows,
                     OpenReminders& reminders, UserFeedback& feedback, const std::string& folder,
                     std::vector<std::string>& deletionQueue);

// One stored entry as the editing windows hold it: its text, its "OPT" and
// "OPT2" rules, the nine option values and the supplement file's text in
// `folder`. nullopt when `key` is not a key or its list has no such element.
std::optional<EntryRow> loadEntryRow(const ScheduleStore& store, std::string_view key, const std::string& folder);

// Writes an edited row over the stored entry `key`, in place: the text into
// its element of the list, the rules (weekly and monthly kinds), the options
// the editor sets (POPUP, COLOROPT, HOLIDAYOPT, FROMTO, FONTNAME, PTNOPT,
// INTOPT; a blank field removes its name) and the supplement file (deleted
// when blank). The reminder window's own options stay. False, with nothing
// written, when the key names no entry; a supplement file that cannot be
// written is reported through `feedback` and the rest is still written.
bool writeEntryRow(ScheduleStore& store, std::string_view key, const EntryRow& row, const std::string& folder,
                   UserFeedback& feedback);

// "ｽｹｼﾞｭｰﾙの複製" for one day: each row's text is appended to the DAY list
// of `day`, and its colour, reminder, holiday, period, font, patterns,
// reminder options and interval go under the new key (a blank field leaves
// no name). The reminder window file and the supplement are not copied; a
// stale supplement file under a new key is removed so it never becomes the copy's.
void appendRowsToDay(ScheduleStore& store, DateValue day, const std::vector<EntryRow>& rows, const std::string& folder);

// The bytes of the reminder window file `name` (a stored name; a folder
// in it is ignored) in `folder`; nullopt when missing, unreadable or not a plain name.
std::optional<std::string> readReminderWindowFile(const std::string& folder, const std::string& name);
// Writes a reminder window file's bytes to the first free "POP" + four
// digits + ".dfm" in `folder` (free: no such file and no POPUPFILE record
// naming it). The new name, or nullopt when it cannot be written.
std::optional<std::string> writeReminderWindowFile(const ScheduleStore& store, const std::string& folder,
                                                   std::string_view bytes);

// Takes the pair of `key` out of the POPUPTIME record `timeKey`; a record
// left empty is removed.
void removeTimedPair(NameValueList& queue, std::string_view timeKey, std::string_view key);

} // namespace velmora
