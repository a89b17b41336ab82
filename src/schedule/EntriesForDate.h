#pragma once

#include "calendar/DayWindow.h"
#include "core/DateValue.h"
#include "core/NameValueList.h"
#include "schedule/ScheduleKey.h"

#include <map>
#include <string>
#include <vector>

namespace velmora {

class HolidayCalendar;
class ScheduleStore;
struct Settings;

// One entry as a calendar cell lists it.
struct EntryHit {
    EntryKind kind = EntryKind::Dated;
    std::string key;    // its ScheduleKey
    std::string text;   // as stored (or its pattern mark, dated entries with marks on)
    std::string colour; // COLOROPT, or the schedule font's colour, as decimal text
    std::string face;   // FONTNAME, or the schedule font's face
};

// The repeating entries a drawing pass has moved by their shift rules: per
// landing day, the moved monthly and weekly entries in order with their keys;
// and the entries that land on today by the day they belong to ("dd-NN" for
// monthly, "d-NN" for weekly) = landing date.
struct MovedEntries {
    struct Moved {
        std::string text;
        std::string key;
    };
    std::map<int, std::vector<Moved>> monthlyByDate; // day number of the landing day
    std::map<int, std::vector<Moved>> weeklyByDate;
    NameValueList monthlyMovedToday;
    NameValueList weeklyMovedToday;

    void clear();
    // "yyyy/mm/dd-iM" / "yyyy/mm/dd-iW" = key, as the derived key list holds them.
    std::string movedEntryKey(DateValue landing, std::size_t i, bool monthly) const;
};

// What the rules read: the schedule data, the settings (the pattern
// selection, the schedule font) and the holidays of the current pass.
struct EntryContext {
    const ScheduleStore& store;
    const Settings& settings;
    const HolidayCalendar& holidays;
    const MovedEntries& moved;
};

// Rebuilds the moved entries for every day of `window`, walking each shifting
// monthly and weekly entry to the day its rule puts it on. `today` marks the
// entries moved onto today (the reminders ask for them).
void buildMovedEntries(MovedEntries& moved, const ScheduleStore& store, const HolidayCalendar& holidays,
                       const DaySpan& window, DateValue today);

// Appends the weekly, monthly and yearly entries that fall on `date`, in the
// calendar's order: weekly on their day, weekly moved here, monthly on their
// day, monthly moved here, yearly. True when one of the lists it consulted
// held anything (the day then counts as a day with entries).
bool repeatingEntriesFor(DateValue date, const EntryContext& context, std::vector<EntryHit>& out);

// Everything one month-calendar cell lists for `date`: the dated entries that
// are drawn (not holidays, not reminder-only, passing the pattern selection;
// as pattern marks when entries are drawn as marks), then the repeating ones.
// `hasEntries` tells whether the day has entries at all.
std::vector<EntryHit> cellEntries(DateValue date, const EntryContext& context, bool* hasEntries = nullptr);

} // namespace velmora
