// Reminder windows: one opened from nothing to its first paint, and the
// twenty of a busy morning at start-up.
#include "core/AtomicFile.h"
#include "core/Cp932.h"
#include "core/DateText.h"
#include "core/UserFeedback.h"
#include "reminders/TPopupForm.h"
#include "schedule/ScheduleStore.h"
#include "settings/Settings.h"

#include <QApplication>

#include <benchmark/benchmark.h>

#include <filesystem>
#include <memory>
#include <unistd.h>

namespace {

using namespace velmora;

struct Host : PopupHost {
    Host() : store(folder(), "BENCH", clock, silent) {
        std::string file = "[COMPUTER]\r\nCOMPUTER=BENCH\r\n[COLOROPT]\r\n";
        for (int i = 0; i < 20; ++i) {
            file += "2026/12/08-" + std::string(i < 10 ? "0" : "") + std::to_string(i) + "=" +
                    std::to_string(i % 2 ? 255 : 0xFFCC88) + "\r\n";
        }
        writeFileAtomically(m_dir + "Schedule.dat", *cp932::fromUtf8(file));
        store.setPath(m_dir + "Schedule.dat");
        store.load();
    }
    ~Host() override { std::filesystem::remove_all(m_dir); }
    const std::string& folder() {
        if (m_dir.empty()) {
            std::string pattern = (std::filesystem::temp_directory_path() / "velmora-bench-XXXXXX").string();
            m_dir = std::string(mkdtemp(pattern.data())) + "/";
        }
        return m_dir;
    }
    ScheduleStore& scheduleStore() override { return store; }
    const Settings& settings() const override { return m_settings; }
    UserFeedback& feedback() override { return silent; }
    void reminderClosed(TPopupForm&, bool) override {}
    void editEntry(TPopupForm&) override {}
    std::string supplementText(const std::string&) override { return {}; }
    bool printerAvailable() const override { return false; }
    void printImage(const QImage&) override {}

    std::string m_dir;
    FixedClock clock{*parseDateTime("2026/12/08 09:30:00")};
    SilentFeedback silent;
    Settings m_settings;
    ScheduleStore store;
};

MemoState stateFor(int i, const Settings& settings) {
    MemoState s;
    s.left = 1500;
    s.top = 30 * i;
    s.width = 200;
    s.height = 30;
    s.text = "打ち合わせ " + std::to_string(i) + " 第二会議室で資料を確認";
    s.font = settings.font(FontPart::Fusen);
    s.entryKey = "2026/12/08-" + std::string(i < 10 ? "0" : "") + std::to_string(i);
    return s;
}

// Shows the window and paints it once, shape included for the see-through ones.
void openOnce(Host& host, std::vector<std::unique_ptr<TPopupForm>>& windows, int i) {
    auto w = std::make_unique<TPopupForm>(host, nullptr, stateFor(i, host.m_settings));
    w->show();
    w->initialise();
    if (i % 3 == 2) {
        w->choosePlacement(2);
        w->chooseTransparency(2);
    }
    benchmark::DoNotOptimize(w->grab());
    windows.push_back(std::move(w));
}

void BM_OpenReminderWindow(benchmark::State& state) {
    Host host;
    for (auto _ : state) {
        std::vector<std::unique_ptr<TPopupForm>> windows;
        openOnce(host, windows, 2); // a top-most letters-only one: the dearest
        QCoreApplication::processEvents();
    }
}
BENCHMARK(BM_OpenReminderWindow)->Unit(benchmark::kMillisecond);

void BM_TwentyRemindersAtStartUp(benchmark::State& state) {
    Host host;
    for (auto _ : state) {
        std::vector<std::unique_ptr<TPopupForm>> windows;
        for (int i = 0; i < 20; ++i) {
            openOnce(host, windows, i);
        }
        QCoreApplication::processEvents();
    }
}
BENCHMARK(BM_TwentyRemindersAtStartUp)->Unit(benchmark::kMillisecond);

} // namespace
