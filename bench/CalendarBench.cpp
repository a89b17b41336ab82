// The first steps of every drawing pass must stay far below what a user
// notices: holidays, moved entries, old-calendar days and the cell lists.
#include "calendar/CalendarState.h"
#include "core/DateText.h"
#include "schedule/EntriesForDate.h"
#include "schedule/EntryList.h"
#include "schedule/ScheduleStore.h"
#include "settings/Settings.h"

#include <benchmark/benchmark.h>

using namespace velmora;

namespace {

struct Data {
    explicit Data(bool shifting) : clock(*parseDate("2026/12/08")), store("/nowhere/", "BENCH", clock, feedback) {
        settings.rikuyou = 1;
        settings.kyureki = 1;
        for (const char* md : {"01/01", "02/11", "02/23", "04/29", "05/03", "05/04", "05/05", "11/03", "11/23"}) {
            settings.holidayList.set(md, "祝日");
        }
        // 200 repeating entries: weekly, monthly and yearly, some flagged as holidays.
        for (int i = 0; i < 200; ++i) {
            const int kind = i % 3;
            std::string name;
            EntryKind k = EntryKind::Weekly;
            if (kind == 0) {
                name = std::to_string(1 + i % 7);
            } else if (kind == 1) {
                k = EntryKind::Monthly;
                name = (i % 28 < 9 ? "0" : "") + std::to_string(1 + i % 28);
            } else {
                k = EntryKind::Yearly;
                name = formatMonthDay(parseDate("2026/01/01")->addDays(i));
            }
            std::vector<std::string> texts = parseEntryList(store.entryLists(k).value(name));
            texts.push_back("予定 " + std::to_string(i) + " ");
            store.entryLists(k).set(name, formatEntryList(texts));
            const std::string key = ScheduleKey{k, name, static_cast<int>(texts.size()) - 1}.text();
            if (shifting && k == EntryKind::Monthly) {
                store.section(ScheduleSection::Month).set(key + "OPT", "1,1,1,1,0");
            } else if (shifting && k == EntryKind::Weekly) {
                store.section(ScheduleSection::Week).set(key + "OPT2", "0,0,1,0,0");
            }
            if (i % 25 == 0) {
                store.section(ScheduleSection::HolidayOpt).set(key, "記念日");
            }
        }
        calendar = CalendarState(settings.holidayList);
    }
    FixedClock clock;
    SilentFeedback feedback;
    ScheduleStore store;
    Settings settings;
    CalendarState calendar;
};

void BM_HolidayPassOneMonth(benchmark::State& state) {
    Data data(false);
    const DateValue month = *parseDate("2026/09/01");
    for (auto _ : state) {
        data.calendar.holidays.computeHolidays(data.settings, month, holidaySourcesOf(data.store));
        data.calendar.oldDays.build(data.calendar.lunarMonths, month);
        benchmark::DoNotOptimize(data.calendar.oldDays.size());
    }
}
BENCHMARK(BM_HolidayPassOneMonth)->Unit(benchmark::kMicrosecond);

void BM_MovedPass91Days(benchmark::State& state) {
    Data data(true);
    const DateValue month = *parseDate("2026/09/01");
    data.calendar.holidays.computeHolidays(data.settings, month, holidaySourcesOf(data.store));
    for (auto _ : state) {
        buildMovedEntries(data.calendar.moved, data.store, data.calendar.holidays, dayWindow(data.settings, month),
                          data.clock.today());
        benchmark::DoNotOptimize(data.calendar.moved.monthlyByDate.size());
    }
}
BENCHMARK(BM_MovedPass91Days)->Unit(benchmark::kMicrosecond);

void BM_RepeatingEntries42Cells(benchmark::State& state) {
    Data data(true);
    const DateValue month = *parseDate("2026/09/01");
    data.calendar.holidayPass(data.settings, month, data.store, data.clock.today());
    const EntryContext context = data.calendar.entryContext(data.store, data.settings);
    const DateValue gridStart = month.addDays(-month.weekday() + 1);
    for (auto _ : state) {
        std::size_t n = 0;
        for (int cell = 0; cell < 42; ++cell) {
            std::vector<EntryHit> hits;
            repeatingEntriesFor(gridStart.addDays(cell), context, hits);
            n += hits.size();
        }
        benchmark::DoNotOptimize(n);
    }
}
BENCHMARK(BM_RepeatingEntries42Cells)->Unit(benchmark::kMicrosecond);

} // namespace
