// The resident program. Until the windows and the desktop exist it runs the
// start-up steps that locate and load the data, draws this month's calendar
// into calendar.bmp, says where everything lives, and ends with the saves of
// a normal shutdown.
#include "calendar/CalendarState.h"
#include "core/PathText.h"
#include "memos/MemoStore.h"
#include "platform/StartupEnvironment.h"
#include "render/BmpFile.h"
#include "render/FontMapping.h"
#include "render/WallpaperPass.h"
#include "schedule/Backup.h"
#include "schedule/FileSwitch.h"
#include "schedule/ScheduleStore.h"

#include <QGuiApplication>

#include <cstring>
#include <filesystem>
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

bool samePicture(const QImage& a, const QImage& b) {
    if (a.size() != b.size()) {
        return false;
    }
    const QImage x = a.convertToFormat(QImage::Format_RGB32);
    const QImage y = b.convertToFormat(QImage::Format_RGB32);
    for (int row = 0; row < x.height(); ++row) {
        const auto* p = reinterpret_cast<const QRgb*>(x.constScanLine(row));
        const auto* q = reinterpret_cast<const QRgb*>(y.constScanLine(row));
        for (int col = 0; col < x.width(); ++col) {
            if ((p[col] & 0xFFFFFF) != (q[col] & 0xFFFFFF)) {
                return false;
            }
        }
    }
    return true;
}

// The desktop's own background becomes blank.bmp, unless what the desktop
// shows is our calendar of the last run: a calendar is never drawn over a calendar.
void captureBareDesktop(velmora::Platform& platform, const velmora::DataLocations& loc) {
    QImage desktop;
    if (!platform.captureDesktop(&desktop)) {
        return;
    }
    const QImage last(QString::fromStdString(loc.calendarBitmapPath));
    if (!last.isNull() && samePicture(desktop, last)) {
        return;
    }
    velmora::saveBmp(desktop, loc.blankBitmapPath);
}

} // namespace

int main(int argc, char** argv) {
    using namespace velmora;
    // The application ends before the process does, so that Qt frees its
    // fonts and display connections in order.
    prepareGuiEnvironment();
    QGuiApplication app(argc, argv);
    installFontSubstitutions();
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

    // One drawing pass over the bare desktop (or a plain picture when none
    // was captured yet), written as the wallpaper file.
    captureBareDesktop(*platform, loc);
    CalendarState calendar(state.settings.holidayList);
    const DateValue now = clock->now();
    const bool adjust =
        state.settings.adjst != 99 && state.displayMonth.dayNumber() == state.thisMonthStart.dayNumber();
    RenderInputs in{state.settings, schedule, calendar, now, state.displayMonth, adjust, false};
    DrawState drawState;
    std::string base;
    if (std::filesystem::exists(loc.blankBitmapPath)) {
        base = loc.blankBitmapPath;
    } else if (state.settings.samplefile != kNoneMarker) {
        base = absolutePath(loc.programDir, state.settings.samplefile);
    }
    const QImage picture =
        renderCalendar(basePicture(base, platform->screenWidth(), platform->screenHeight()), in, drawState);
    std::string error;
    const bool drawn = saveBmp(picture, loc.calendarBitmapPath, &error);
    if (!drawn) {
        feedback.showMessage("カレンダーを保存できませんでした。\n" + loc.calendarBitmapPath + "\n" + error);
    }

    std::cout << "Velmora Ver.6.82" << (once ? " (/0)" : "") << "\n"
              << "ProgramDir\t" << loc.programDir << "\n"
              << "SettingsPath\t" << loc.settingsPath << "\n"
              << "ScheduleFilePath\t" << loc.scheduleFilePath << "\n"
              << "MemoFilePath\t" << loc.memoFilePath << "\n"
              << "CalendarBitmapPath\t" << loc.calendarBitmapPath << "\n"
              << "BlankBitmapPath\t" << loc.blankBitmapPath << "\n"
              << "ComputerName\t" << loc.computerName << "\n"
              << "Today\t" << state.todayText << "\n";
    if (drawn) {
        std::cout << "calendar.bmp\t" << loc.calendarBitmapPath << "\n";
        // Without a desktop the file is the wallpaper; on one, it is installed.
        if (platform->wallpaperBackend() != "none") {
            if (platform->installWallpaper(loc.calendarBitmapPath, &error)) {
                std::cout << "Wallpaper\t" << platform->wallpaperBackend() << "\n";
            } else {
                feedback.showMessage("壁紙を設定できませんでした（" + error + "）。カレンダーは " +
                                     loc.calendarBitmapPath + " に保存されています。");
            }
        }
    }

    // Shutdown: settings, then both data files, releasing their locks.
    if (!saveSettings(state, &error)) {
        feedback.showMessage("設定ファイルを保存できませんでした。\n" + loc.settingsPath + "\n" + error);
    }
    schedule.save(true);
    memos.save(true);
    return drawn ? 0 : 1;
}
