#include "settings/Startup.h"

#include "core/DateText.h"
#include "core/PathText.h"
#include "settings/Templates.h"

#include <filesystem>

namespace velmora {

namespace fs = std::filesystem;

namespace {

std::string withSeparator(std::string dir) {
    if (!dir.empty() && dir.back() != '/') {
        dir += '/';
    }
    return dir;
}

bool fileExists(const std::string& path) {
    std::error_code ec;
    return fs::is_regular_file(path, ec);
}

// Only a name that certainly names nothing: a settings file that is there but
// cannot be looked at (no permission, a loop of links) is the user's, never
// to be replaced by the template.
bool certainlyMissing(const std::string& path) {
    std::error_code ec;
    return fs::status(path, ec).type() == fs::file_type::not_found;
}

void ensureFolder(const std::string& folder) {
    std::error_code ec;
    // A folder that cannot be made shows up later as a file that cannot be saved.
    fs::create_directories(folder, ec);
}

} // namespace

std::string chooseProgramDir(const ProgramDirInputs& in, const std::function<bool(const std::string&)>& isWritable) {
    std::string dir;
    if (!in.commandLineHome.empty()) {
        dir = withSeparator(absolutePath(fs::current_path().string() + "/", in.commandLineHome));
    } else if (!in.environmentHome.empty()) {
        dir = withSeparator(absolutePath(fs::current_path().string() + "/", in.environmentHome));
    } else if (!in.executableDir.empty() && isWritable(in.executableDir)) {
        dir = withSeparator(in.executableDir);
    } else {
        const std::string base =
            !in.xdgDataHome.empty() ? withSeparator(in.xdgDataHome) : withSeparator(in.userHome) + ".local/share/";
        dir = base + "Velmora/";
    }
    // Whatever folder the program runs from becomes a complete installation:
    // the templates a new settings and schedule file start from are put in
    // where they are missing.
    seedProgramDir(dir);
    return dir;
}

bool seedProgramDir(const std::string& dir) {
    std::error_code ec;
    fs::create_directories(dir, ec);
    if (!fs::is_directory(dir, ec)) {
        return false;
    }
    for (const TemplateFile& t : templateFiles()) {
        const std::string target = withSeparator(dir) + t.name;
        if (!fs::exists(target, ec)) {
            writeFileAtomically(target, t.bytes());
        }
    }
    return true;
}

std::string expandDataPath(const std::string& programDir, const std::string& name,
                           const std::function<std::string(const std::string&)>& toUnc) {
    const std::string full = absolutePath(programDir, name);
    return toUnc ? toUnc(full) : full;
}

StartupState runStartup(const StartupEnvironment& env) {
    StartupState state{DataLocations{},     Settings(env.screen), {}, {}, {}, {},
                       absoluteDateRange(), navigableDateRange()};
    DataLocations& loc = state.locations;
    loc.programDir = withSeparator(env.programDir);
    loc.computerName = env.computerName;

    loc.settingsPath = loc.programDir + "calendar.ini";
    const std::string firstIni = loc.programDir + "first.ini";
    if (certainlyMissing(loc.settingsPath) && fileExists(firstIni)) {
        std::error_code ec;
        fs::copy_file(firstIni, loc.settingsPath, fs::copy_options::skip_existing, ec);
    }
    // A settings file that cannot be read gives the defaults here; the save
    // refuses to write over it.
    ProfileFile file(loc.settingsPath);
    file.load();

    loc.scheduleFilePath = expandDataPath(
        loc.programDir, pathFromSetting(file.readString("SYSTEM", "ScheduleFile", "Schedule.dat")), env.toUnc);
    if (!fileExists(loc.scheduleFilePath)) {
        loc.scheduleFilePath = loc.programDir + "Schedule/Schedule.dat";
        ensureFolder(loc.programDir + "Schedule");
    }
    loc.memoFilePath = expandDataPath(
        loc.programDir, pathFromSetting(file.readString("SYSTEM", "MemoDataFile", "Memo.dat")), env.toUnc);
    if (!fileExists(loc.memoFilePath)) {
        if (fileExists(loc.scheduleFilePath)) {
            loc.memoFilePath = folderOf(loc.scheduleFilePath) + "Memo.dat";
        } else {
            loc.memoFilePath = loc.programDir + "Memo/Memo.dat";
        }
        ensureFolder(folderOf(loc.memoFilePath));
    }

    StartupReadContext context{loc.programDir, env.screen, [&](const std::string& name) {
                                   return expandDataPath(loc.programDir, name, env.toUnc);
                               }};
    state.settings.readStartup(file, context, fileExists);

    loc.calendarBitmapPath = loc.programDir + "calendar.bmp";
    loc.blankBitmapPath = loc.programDir + "blank.bmp";

    state.today = env.now.datePart();
    state.todayText = formatDate(state.today);
    state.thisMonthStart = state.today.startOfMonth();
    state.displayMonth = state.thisMonthStart;
    const int forth = state.settings.forth;
    // A day number outside the navigable years (a damaged file) shows the current month.
    if (forth != 0 && state.navigableRange.contains(DateValue::fromDayNumber(forth))) {
        state.displayMonth = DateValue::fromDayNumber(forth).startOfMonth();
    }
    return state;
}

bool loadSettings(StartupState& state, std::string* error) {
    ProfileFile file(state.locations.settingsPath);
    if (file.load(error) == ReadOutcome::Failed) {
        return false;
    }
    state.settings.load(file);
    return true;
}

SaveContext StartupState::saveContext() const {
    return SaveContext{
        locations.programDir, locations.scheduleFilePath, locations.memoFilePath, displayMonth, thisMonthStart, today};
}

bool saveSettings(const StartupState& state, std::string* error) {
    ProfileFile file(state.locations.settingsPath);
    file.load();
    return state.settings.save(file, state.saveContext(), error);
}

} // namespace velmora
