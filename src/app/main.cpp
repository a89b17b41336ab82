// The resident program. Until the drawing pass exists it runs the data-location
// steps of start-up, loads the settings and says where everything lives.
#include "platform/StartupEnvironment.h"

#include <cstring>
#include <iostream>

int main(int argc, char** argv) {
    using namespace velmora;
    // "/0" is the only argument: one pass, then end.
    const bool once = argc > 1 && std::strcmp(argv[1], "/0") == 0;
    auto platform = createPlatform();
    auto clock = platform->createClock();
    StartupState state = runStartup(makeStartupEnvironment(*platform, *clock));
    loadSettings(state);

    const DataLocations& loc = state.locations;
    std::cout << "Velmora Ver.6.82" << (once ? " (/0)" : "") << "\n"
              << "ProgramDir\t" << loc.programDir << "\n"
              << "SettingsPath\t" << loc.settingsPath << "\n"
              << "ScheduleFilePath\t" << loc.scheduleFilePath << "\n"
              << "MemoFilePath\t" << loc.memoFilePath << "\n"
              << "CalendarBitmapPath\t" << loc.calendarBitmapPath << "\n"
              << "BlankBitmapPath\t" << loc.blankBitmapPath << "\n"
              << "ComputerName\t" << loc.computerName << "\n"
              << "Today\t" << state.todayText << "\n";
    return 0;
}
