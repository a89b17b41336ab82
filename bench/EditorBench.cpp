// The schedule list on a large shared file: opening it (the tree of every
// month and day, the rows of today) and writing a day's list back.
#include "core/AtomicFile.h"
#include "core/Cp932.h"
#include "core/DateText.h"
#include "editor/EntryRowStore.h"
#include "editor/FoldForSearch.h"
#include "editor/ScheduleListModel.h"
#include "schedule/ScheduleStore.h"
#include "settings/Settings.h"

#include <benchmark/benchmark.h>

#include <filesystem>
#include <unistd.h>

using namespace velmora;

namespace {

// bench/startup.sh's file: 15 000 dated days of two entries each, plus one
// day of 20 entries with options and supplements.
std::string scheduleFile(const std::string& folder) {
    std::string utf8 = "[DAY]\r\n";
    const DateValue first = *parseDate("1990/01/01");
    for (int i = 0; i < 15000; ++i) {
        const std::string day = formatDate(first.addDays(i));
        if (day == "2026/12/08") {
            utf8 += day + "=";
            for (int j = 0; j < 20; ++j) {
                utf8 += (j ? ",\"" : "\"") + std::string("打ち合わせ ") + std::to_string(j) + " \"";
            }
            utf8 += "\r\n";
            continue;
        }
        utf8 += day + "=\"定例打ち合わせ（営業部・開発部合同） " + std::to_string(i) +
                " \",\"第二会議室で来期の予算資料を確認、議事録を共有する \"\r\n";
    }
    utf8 += "[COLOROPT]\r\n";
    for (int i = 0; i < 15000; i += 10) {
        utf8 += formatDate(first.addDays(i)) + "-00=255\r\n";
    }
    utf8 += "[POPUP]\r\n";
    for (int j = 0; j < 20; j += 2) {
        utf8 += "2026/12/08-" + std::string(j < 10 ? "0" : "") + std::to_string(j) + "=1,1,09,30,0\r\n";
    }
    utf8 += "[COMPUTER]\r\nCOMPUTER=BENCH\r\n";
    for (int j = 0; j < 20; j += 4) {
        writeFileAtomically(folder + "20261208" + (j < 10 ? "0" : "") + std::to_string(j) + ".hsk",
                            *cp932::fromUtf8("資料を持参すること\r\n"));
    }
    return *cp932::fromUtf8(utf8);
}

struct Loaded {
    Loaded() : store(folder(), "BENCH", clock, feedback) {
        writeFileAtomically(m_dir + "Schedule.dat", scheduleFile(m_dir));
        store.setPath(m_dir + "Schedule.dat");
        store.load();
    }
    ~Loaded() { std::filesystem::remove_all(m_dir); }
    const std::string& folder() {
        if (m_dir.empty()) {
            std::string pattern = (std::filesystem::temp_directory_path() / "velmora-bench-XXXXXX").string();
            m_dir = std::string(mkdtemp(pattern.data())) + "/";
        }
        return m_dir;
    }
    ScheduleListContext context() { return ScheduleListContext{store, settings, clock, reminders, feedback}; }

    std::string m_dir;
    FixedClock clock{*parseDateTime("2026/12/08 10:00:00")};
    SilentFeedback feedback;
    NoOpenReminders reminders;
    Settings settings;
    ScheduleStore store;
};

void BM_OpenScheduleList(benchmark::State& state) {
    Loaded data;
    for (auto _ : state) {
        ScheduleListModel model(data.context());
        model.open(data.clock.today());
        benchmark::DoNotOptimize(model.rows().size());
        state.counters["nodes"] = static_cast<double>(model.tree().nodeCount());
    }
}
BENCHMARK(BM_OpenScheduleList)->Unit(benchmark::kMillisecond);

// A day view of 20 entries written back as loaded: every option and
// supplement stays under its key.
void BM_CommitDayView(benchmark::State& state) {
    Loaded data;
    const EntryView view{EntryKind::Dated, data.clock.today()};
    std::vector<std::string> queue;
    for (auto _ : state) {
        state.PauseTiming();
        LoadedRows rows = loadEntryRows(data.store, view, data.folder());
        state.ResumeTiming();
        commitEntryRows(data.store, view, rows.rows, data.reminders, data.feedback, data.folder(), queue);
    }
}
BENCHMARK(BM_CommitDayView)->Unit(benchmark::kMillisecond);

// The same after the first two entries changed places: their options and
// supplement files move to each other's keys.
void BM_CommitDayViewAfterAMove(benchmark::State& state) {
    Loaded data;
    const EntryView view{EntryKind::Dated, data.clock.today()};
    std::vector<std::string> queue;
    for (auto _ : state) {
        state.PauseTiming();
        LoadedRows rows = loadEntryRows(data.store, view, data.folder());
        std::swap(rows.rows[0], rows.rows[1]);
        state.ResumeTiming();
        commitEntryRows(data.store, view, rows.rows, data.reminders, data.feedback, data.folder(), queue);
    }
}
BENCHMARK(BM_CommitDayViewAfterAMove)->Unit(benchmark::kMillisecond);

// A search without match case that finds nothing: every node of the tree
// walked, every entry folded and compared, the view shown again at the end.
void BM_SearchFindsNothing(benchmark::State& state) {
    Loaded data;
    ScheduleListModel model(data.context());
    model.open(data.clock.today());
    for (auto _ : state) {
        model.startSearchAll();
        benchmark::DoNotOptimize(model.findNext("存在しない予定", false));
    }
    state.counters["nodes"] = static_cast<double>(model.tree().nodeCount());
}
BENCHMARK(BM_SearchFindsNothing)->Unit(benchmark::kMillisecond);

void BM_FoldForSearch(benchmark::State& state) {
    const std::string text = "定例打ち合わせ（営業部・開発部合同） 12345 Meeting ﾐｰﾃｨﾝｸﾞ ＡＢＣ abc ";
    std::string out;
    for (auto _ : state) {
        foldForSearchInto(text, out);
        benchmark::DoNotOptimize(out.data());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text.size()));
}
BENCHMARK(BM_FoldForSearch);

} // namespace
