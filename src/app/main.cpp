// The resident program. Until the drawing pass and the windows exist it runs
// the start-up steps that locate and load the data, says where everything
// lives, and ends with the saves of a normal shutdown.
#include "memos/MemoStore.h"
#include "platform/StartupEnvironment.h"
#include "schedule/Backup.h"
#include "schedule/FileSwitch.h"
#include "schedule/ScheduleStore.h"

#include <cstring>
#include <iostream>

namespace {

class ConsoleFeedback : public velmora::UserFeedback {
public:
    void showMessage(std::string_view text) override { std::cerr << text << "\n"; }
    bool confirm(std::string_view text) override {
        std::cerr << text << " -> キャンセル\n";
        return false;
    }
};

} // namespace

int main(int argc, char** argv) {
    using namespace velmora;
    // "/0" is the only argument: one pass, then end.
    const bool once = argc > 1 && std::strcmp(argv[1], "/0") == 0;
    auto platform = createPlatform();
    auto clock = platform->createClock();
    ConsoleFeedback feedback;
    StartupState state = runStartup(makeStartupEnvironment(*platform, *clock));
    const DataLocations& loc = state.locations;

    ScheduleStore schedule(loc.programDir, loc.computerName, *clock, feedback);
    schedule.setPath(loc.scheduleFilePath);
    schedule.setRecentFiles(&state.settings.recentScheduleFiles);
    schedule.load();
    MemoStore memos(loc.computerName, *clock, feedback);
    memos.setPath(loc.memoFilePath);
    memos.setRecentFiles(&state.settings.recentMemoFiles);
    memos.load(loc.scheduleFilePath);
    if (state.settings.backUpCheck == 1) {
        const BackupPolicy policy{loc.programDir, state.settings.backUpCount, clock->now()};
        backUp(BackupKind::Schedule,
               BackupSource{loc.programDir, schedule.path(), schedule.section(ScheduleSection::PopupFile)},
               policy.backUpCount, policy.now);
        backUp(BackupKind::Memo, BackupSource{loc.programDir, memos.path(), memos.memoFiles()}, policy.backUpCount,
               policy.now);
    }
    loadSettings(state);

    std::cout << "Velmora Ver.6.82" << (once ? " (/0)" : "") << "\n"
              << "ProgramDir\t" << loc.programDir << "\n"
              << "SettingsPath\t" << loc.settingsPath << "\n"
              << "ScheduleFilePath\t" << loc.scheduleFilePath << "\n"
              << "MemoFilePath\t" << loc.memoFilePath << "\n"
              << "CalendarBitmapPath\t" << loc.calendarBitmapPath << "\n"
              << "BlankBitmapPath\t" << loc.blankBitmapPath << "\n"
              << "ComputerName\t" << loc.computerName << "\n"
              << "Today\t" << state.todayText << "\n";

    // Shutdown: settings, then both data files, releasing their locks.
    std::string error;
    if (!saveSettings(state, &error)) {
        feedback.showMessage("設定ファイルを保存できませんでした。\n" + loc.settingsPath + "\n" + error);
    }
    schedule.save(true);
    memos.save(true);
    return 0;
}
