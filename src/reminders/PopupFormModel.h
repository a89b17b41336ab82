#pragma once

#include "core/NameValueList.h"
#include "memos/MemoFiles.h"
#include "settings/ColorText.h"

#include <optional>
#include <string>

namespace velmora {

// The rules of a reminder window, kept apart from the window.

// The look of an entry's reminder window from its POPUPOPT value (three
// digits); without one it is top-most when MostTopFirst is 1, else normal.
MemoLook reminderLook(const std::optional<std::string>& popupOpt, int mostTopFirst);
// The three digits POPUPOPT keeps.
std::string formatReminderLook(const MemoLook& look);

// The window's colour from the entry's COLOROPT value: a leading "-" (an entry
// not drawn on the calendar) is dropped. nullopt when there is no number.
std::optional<Colour> reminderColour(const std::string& colorOpt);
// The COLOROPT value of a colour chosen in the window: the old value's "-" stays.
std::string colorOptFor(Colour chosen, const std::string& oldValue);

// A reminder of one date (a dated key) on its day only (POPUP day flag "1"):
// it cannot be closed to come back, and its window keeps nothing.
bool oneDayReminder(const std::string& key, const std::string& popupValue);

// "閉じる" and "閉じる（再表示）": the entry's reminder state. Re-show clears
// it (the entry reminds again at the next evaluation); a plain close sets the
// close value ("9": quiet for the rest of the run; "" after the entry was
// edited from the window: it reminds at its new time).
void closeReminderState(NameValueList& popupStat, const std::string& key, bool reshow, const std::string& closeValue);

} // namespace velmora
