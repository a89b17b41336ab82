// A large shared schedule file: loading it and saving one changed day must
// stay quick, and grow no faster than the data.
#include "core/AtomicFile.h"
#include "core/Cp932.h"
#include "core/DateText.h"
#include "schedule/ScheduleStore.h"

#include <benchmark/benchmark.h>

#include <filesystem>
#include <unistd.h>

using namespace velmora;

namespace {

// `days` dated days of two entries each, with some options, as CP932.
std::string scheduleFile(int days) {
    std::string utf8 = "[DAY]\r\n";
    const DateValue first = *parseDate("1990/01/01");
    for (int i = 0; i < days; ++i) {
        utf8 += formatDate(first.addDays(i)) + "=\"定例打ち合わせ（営業部・開発部合同） " + std::to_string(i) +
                " \",\"第二会議室で来期の予算資料を確認、議事録を共有する \"\r\n";
    }
    utf8 += "[COLOROPT]\r\n";
    for (int i = 0; i < days; i += 10) {
        utf8 += formatDate(first.addDays(i)) + "-00=255\r\n";
    }
    utf8 += "[COMPUTER]\r\nCOMPUTER=BENCH\r\n";
    return *cp932::fromUtf8(utf8);
}

struct Folder {
    Folder() {
        std::string pattern = (std::filesystem::temp_directory_path() / "velmora-bench-XXXXXX").string();
        dir = mkdtemp(pattern.data());
        dir += "/";
    }
    ~Folder() { std::filesystem::remove_all(dir); }
    std::string dir;
};

void BM_LoadSchedule(benchmark::State& state) {
    Folder folder;
    const std::string bytes = scheduleFile(static_cast<int>(state.range(0)));
    writeFileAtomically(folder.dir + "Schedule.dat", bytes);
    FixedClock clock(*parseDate("2026/12/08"));
    SilentFeedback feedback;
    ScheduleStore store(folder.dir, "BENCH", clock, feedback);
    store.setPath(folder.dir + "Schedule.dat");
    for (auto _ : state) {
        store.load();
    }
    state.counters["bytes"] = static_cast<double>(bytes.size());
    state.SetComplexityN(state.range(0));
}
BENCHMARK(BM_LoadSchedule)->Arg(15000)->Arg(60000)->Unit(benchmark::kMillisecond)->Complexity(benchmark::oN);

void BM_SaveOneChangedDay(benchmark::State& state) {
    Folder folder;
    writeFileAtomically(folder.dir + "Schedule.dat", scheduleFile(static_cast<int>(state.range(0))));
    FixedClock clock(*parseDate("2026/12/08"));
    SilentFeedback feedback;
    ScheduleStore store(folder.dir, "BENCH", clock, feedback);
    store.setPath(folder.dir + "Schedule.dat");
    store.load();
    int n = 0;
    for (auto _ : state) {
        store.section(ScheduleSection::Day).set("1990/01/01", "\"変更 " + std::to_string(n++) + " \"");
        if (store.save(false) != SaveResult::Saved) {
            state.SkipWithError("save failed");
        }
    }
    state.SetComplexityN(state.range(0));
}
BENCHMARK(BM_SaveOneChangedDay)->Arg(15000)->Arg(60000)->Unit(benchmark::kMillisecond)->Complexity(benchmark::oN);

} // namespace
