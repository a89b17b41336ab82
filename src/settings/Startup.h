#pragma once

#include "core/DateValue.h"
#include "settings/Settings.h"

#include <functional>
#include <string>

namespace velmora {

// Where everything of one program folder lives.
struct DataLocations {
    std::string programDir; // with its trailing separator
    std::string settingsPath;
    std::string scheduleFilePath;
    std::string memoFilePath;
    std::string calendarBitmapPath;
    std::string blankBitmapPath;
    std::string computerName;
};

// The candidates for the program folder, in the order they win.
struct ProgramDirInputs {
    std::string commandLineHome; // --home DIR of the command-line tool
    std::string environmentHome; // VELMORA_HOME
    std::string executableDir;   // folder of the running program
    std::string xdgDataHome;     // $XDG_DATA_HOME
    std::string userHome;        // $HOME
};

// The program folder: --home, else VELMORA_HOME, else the executable's
// folder when it is writable, else the per-user folder
// ($XDG_DATA_HOME/Velmora/, by default ~/.local/share/Velmora/). The folder
// is created when missing and given the templates it lacks ("first.ini",
// "Yasumi.dat"), never replacing a file. Always ends with "/".
std::string chooseProgramDir(const ProgramDirInputs& inputs, const std::function<bool(const std::string&)>& isWritable);

// Creates `dir` when missing and copies every template it lacks into it
// (never overwriting). False when the folder cannot be made.
bool seedProgramDir(const std::string& dir);

// What the start-up sequence takes from the system.
struct StartupEnvironment {
    std::string programDir;
    std::string computerName; // at most 15 characters
    ScreenSize screen;
    DateValue now;
    // A mapped network-drive path in its UNC form; unchanged when empty.
    std::function<std::string(const std::string&)> toUnc;
};

// The program's state after the data-location steps of start-up.
struct StartupState {
    DataLocations locations;
    Settings settings;
    DateValue today;
    std::string todayText;
    DateValue thisMonthStart;
    DateValue displayMonth;
    DateRange absoluteRange;
    DateRange navigableRange;

    SaveContext saveContext() const;
};

// The data-location steps of start-up, in their order: the settings file
// (copied from "first.ini" when missing, never overwriting), the schedule and
// memo data files with their fall-back folders, the start-up settings read
// with the recent-file lists made full paths, the base-wallpaper check, the
// bitmap paths and the dates. Nothing is reported: missing or unreadable files
// give the defaults. A settings file that exists but cannot be read is never
// replaced by "first.ini".
StartupState runStartup(const StartupEnvironment& environment);

// The settings load (again after each use of the options dialog). When the
// file exists but cannot be read, the settings in memory stay as they were
// and false comes back with a Japanese reason in *error.
bool loadSettings(StartupState& state, std::string* error = nullptr);

// Saves the settings into the settings file as it stands on disk. False, with
// a Japanese reason in *error, when it cannot be written or cannot be read
// (what could not be read is never written over); the old file is intact.
bool saveSettings(const StartupState& state, std::string* error);

// The full path of a data-file name from the settings: relative names are
// relative to the program folder; network drives in their UNC form.
std::string expandDataPath(const std::string& programDir, const std::string& name,
                           const std::function<std::string(const std::string&)>& toUnc);

} // namespace velmora
