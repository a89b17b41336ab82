#pragma once

#include "core/DateValue.h"
#include "editor/EditFormModel.h"
#include "editor/EntryRow.h"
#include "settings/ColorText.h"

#include <optional>
#include <string>
#include <string_view>

namespace velmora {

class ScheduleStore;
class UserFeedback;
struct Settings;

// What the reminder window says when its entry went away before "予定の編集".
inline constexpr std::string_view kReminderEntryGoneMessage = "この予定はすでに削除されています";

// The entry a reminder window shows, as the entry editor fills from it: its
// text, rules, colour (with the "描き込みなし" mark), holiday flag, period,
// font, output patterns, reminder and interval, and the supplement text from
// its file in `folder`. nullopt when `key` names no entry any more.
std::optional<EntryRow> reminderEntryRow(const ScheduleStore& store, const std::string& key, const std::string& folder);

// The editor's context for the entry of a reminder window: key "POPUP", the
// pattern locked, the captions of a day the entry falls on (the entry's own
// date, or the next such weekday, day of month or day of year from `now`),
// the schedule font and the settings' pattern names.
EditFormContext reminderEditorContext(const std::string& key, DateValue now, const Settings& settings);

// What the reminder window does after its entry was written back.
struct ReminderEditOutcome {
    // The reminder (POPUP) differs from the stored one: a later plain close
    // lets the entry remind again.
    bool popupChanged = false;
    // Where to queue (key, text) with Reminders::addTimedReminder: "hh:nn"
    // for a daily timed reminder, today's "yyyy/mm/dd-hh:nn" for one on the
    // entry's day, none otherwise.
    std::optional<std::string> timeKey;
    std::string text; // trimmed, for the window's label
    Colour colour = 0;
    std::string fontName;
};

// Writes the edited entry back under the same key, in the record layouts
// the entry editor writes; FONTNAME only when it differs from
// `scheduleFontName`. A changed reminder time takes the entry's pair out of
// the old time's queue records, so it no longer fires at the old time.
// Nothing is written, and `feedback` says why, when the key names no entry
// any more or the row is of another pattern than the key.
ReminderEditOutcome writeReminderEntry(ScheduleStore& store, const std::string& key, const EntryRow& edited,
                                       const std::string& folder, DateValue today, const std::string& scheduleFontName,
                                       UserFeedback& feedback);

} // namespace velmora
