#include "cli/CliCommands.h"

#include <ostream>

namespace velmora::cli {

int runSettings(CliContext& context, const std::vector<std::string>& args) {
    std::vector<std::string> rest = args;
    const bool save = takeFlag(rest, "--save");
    noArguments(rest);

    StartupState state = context.startUp();
    std::string readError;
    const bool read = loadSettings(state, &readError);
    if (!read) {
        // The dump then shows the defaults, not the file: say so, and fail.
        context.err << "velmora-cli: 設定ファイルを読み込めませんでした: " << state.locations.settingsPath << ": "
                    << readError << "\n";
    }
    for (const SettingValue& v : state.settings.values(state.saveContext())) {
        context.out << v.section << '\t' << v.key << '\t' << v.value << '\n';
    }
    if (save) {
        std::string error;
        if (!saveSettings(state, &error)) {
            context.err << "velmora-cli: 設定ファイルを保存できませんでした: " << state.locations.settingsPath << ": "
                        << error << "\n";
            return kFailure;
        }
    }
    return read ? kOk : kFailure;
}

int runPaths(CliContext& context, const std::vector<std::string>& args) {
    noArguments(args);
    const StartupState state = context.startUp();
    const DataLocations& loc = state.locations;
    const std::pair<const char*, const std::string*> rows[] = {
        {"ProgramDir", &loc.programDir},
        {"SettingsPath", &loc.settingsPath},
        {"ScheduleFilePath", &loc.scheduleFilePath},
        {"MemoFilePath", &loc.memoFilePath},
        {"CalendarBitmapPath", &loc.calendarBitmapPath},
        {"BlankBitmapPath", &loc.blankBitmapPath},
        {"ComputerName", &loc.computerName},
    };
    for (const auto& [name, value] : rows) {
        context.out << name << '\t' << *value << '\n';
    }
    return kOk;
}

} // namespace velmora::cli
