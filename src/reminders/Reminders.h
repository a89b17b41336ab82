#pragma once

#include "calendar/CalendarState.h"
#include "core/Clock.h"
#include "reminders/ReminderWindows.h"
#include "settings/Settings.h"

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace velmora {

class ScheduleStore;
struct StartupState;

// The width in pixels of a text drawn in a font, measured by the caller's
// toolkit (the model draws nothing).
using TextWidth = std::function<int(const std::string& text, const FontSetting& font)>;

// What the reminders read and whom they ask.
struct ReminderContext {
    ScheduleStore& store;
    const Settings& settings;
    const Clock& clock;
    ReminderWindows& windows;
    ReminderSecrets& secrets;
    ScreenSize screen;
    TextWidth textWidth;
    std::string programDir; // a relative PopupWaveFile lies in it
};

// The reminders of the schedule file in use: which entries remind today, the
// queue of timed reminders (POPUPTIME), the state of each entry's window in
// this run (POPUPSTAT: "1" open, "9" closed; any value keeps the entry
// quiet), and the decision to open a window. The windows themselves belong
// to the window layer.
class Reminders {
public:
    explicit Reminders(ReminderContext context);

    // Evaluates every POPUP record for today: shows the reminders due at
    // once and queues the timed ones. `recompute` first rebuilds the entries
    // that shift rules move onto today (for the current month).
    void popupProc(bool recompute);

    // Opens the entry's reminder window unless its period, interval or
    // pattern rules keep it shut today, or its supplement says AutoClose, or
    // its saved window was closed in this very minute. Runs the supplement's
    // programs first. True when a window was opened.
    bool showReminder(const std::string& text, const std::string& key);

    // Queues (key, text) under the time key ("yyyy/mm/dd-hh:nn" or "hh:nn"),
    // replacing an earlier pair of the same key.
    void addTimedReminder(const std::string& timeKey, const std::string& text, const std::string& key);

    // Every main-timer tick: opens the queued reminders of this very minute
    // and sounds them when their entry asks for it.
    void timedCheck();

    // The new day: drops the queue, closes the windows still open (the ones
    // closed by hand stay closed) and evaluates the new day, its moved
    // entries included.
    void changeOfDay();

    // At start-up: deletes the saved window states ("POP" + four digits +
    // ".dfm" beside the schedule file) that no POPUPFILE record names, neither
    // this file's nor that of another schedule file ("*.dat") of the folder.
    // Deletes nothing when one of those cannot be read. Returns the names.
    std::vector<std::string> sweepOrphanStateFiles();

    // Windows opened in this run and not closed by the editor or the list;
    // each fresh window is placed one step further along.
    int popupCascadeCount() const { return m_cascade; }
    // The window layer: the editor or the list closed a reminder window.
    void reminderWindowClosed() { --m_cascade; }

    // The entries moved onto today, as the last recompute left them.
    const MovedEntries& moved() const { return m_calendar.moved; }

private:
    std::string folder() const;
    void refreshMovedEntries(DateValue today);
    ReminderGeometry freshGeometry(const std::string& text, const FontSetting& font);
    void soundFor(const std::string& key);

    ReminderContext m_c;
    CalendarState m_calendar;
    int m_cascade = 0;
};

// The main timer's check for a new day: when today's "yyyy/mm/dd" differs
// from state.todayText, takes the new day (TodayText, the current and the
// displayed month, Today), runs the change of day and asks for a redraw.
// True when the day had changed.
bool checkDayChange(StartupState& state, Reminders& reminders, const Clock& clock, const std::function<void()>& redraw);

// One main-timer tick: the day-change check, then the timed check.
void mainTimerTick(StartupState& state, Reminders& reminders, const Clock& clock, const std::function<void()>& redraw);

// A file's modification time in local time; nullopt when it does not exist.
std::optional<DateValue> fileModifiedAt(const std::string& path);

} // namespace velmora
