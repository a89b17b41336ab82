// The resident program: one copy per user and desktop, living behind its
// tray icon; "/0" draws the calendar wallpaper once and ends. Without a
// display there is no desktop to stay on: the one pass writes calendar.bmp
// and says where it is.
#include "app/TMainForm.h"
#include "platform/QuitSignals.h"
#include "platform/SingleInstance.h"
#include "platform/StartupEnvironment.h"
#include "render/FontMapping.h"
#include "widgets/Translations.h"

#include <QApplication>
#include <QSessionManager>

#include <cstdlib>
#include <cstring>
#include <iostream>

namespace {

velmora::TMainForm* g_running = nullptr;

// Qt ends the process with exit() when the display connection breaks (an X
// log-out, a crashed session): the close query's saves still run then, so
// the navigated month and the day's changes are not lost.
void saveAtAbruptEnd() {
    if (g_running && !g_running->terminated()) {
        velmora::DialogFeedback::setDisplayGone();
        g_running->hub().closeQuery();
    }
}

} // namespace

int main(int argc, char** argv) {
    using namespace velmora;
    prepareGuiEnvironment();
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Velmora"));
    QApplication::setQuitOnLastWindowClosed(false);
    installJapaneseTranslations(app);
    installFontSubstitutions();

    auto platform = createPlatform();
    // "/0" is the only argument: one pass, then end. Without a desktop every run is one pass.
    const bool once = (argc > 1 && std::strcmp(argv[1], "/0") == 0) || platform->wallpaperBackend() == "none";

    // A second start ends both copies; the user starts the program again.
    std::unique_ptr<TMainForm> form;
    SingleInstance instance([&] {
        if (form) {
            form->terminate();
        }
    });
    if (!instance.claim()) {
        DialogFeedback().showMessage(kSecondStartMessage);
        return 0;
    }

    auto clock = platform->createClock();
    form = std::make_unique<TMainForm>(*platform, *clock, once);
    // A session manager asks before a log-out (which may still be cancelled).
    QObject::connect(&app, &QGuiApplication::commitDataRequest, [&](QSessionManager&) { form->hub().saveAll(); });
    onQuitSignals([&] { form->terminate(); });
    form->FormCreate(makeStartupEnvironment(*platform, *clock));
    // Registered after the start-up, whose objects the saves use: an exit
    // handler runs before the destructors of what was made before it.
    g_running = form.get();
    std::atexit(saveAtAbruptEnd);
    // A second start or a signal may have ended the program during its start-up.
    int status = form->terminated() ? 0 : app.exec();

    const StartupState& state = form->hub().state();
    const DataLocations& loc = state.locations;
    if (once) {
        if (!form->hub().calendarWritten()) {
            std::cerr << "カレンダーは描かれませんでした（AutoPaint が 0 か、描画に失敗しました）。\n";
            status = 1;
        }
        std::cout << "Velmora Ver.6.82 (/0)\n"
                  << "ProgramDir\t" << loc.programDir << "\n"
                  << "ScheduleFilePath\t" << loc.scheduleFilePath << "\n"
                  << "MemoFilePath\t" << loc.memoFilePath << "\n"
                  << "Today\t" << state.todayText << "\n"
                  << "calendar.bmp\t" << loc.calendarBitmapPath << "\n"
                  << "Wallpaper\t" << platform->wallpaperBackend() << "\n";
    }
    g_running = nullptr;
    form.reset();
    return status;
}
