// One full drawing pass with calendar.bmp written, as the day change and
// every edit run it: it must feel instant, also on a 4K screen.
#include "calendar/CalendarState.h"
#include "core/DateText.h"
#include "render/BmpFile.h"
#include "render/FontMapping.h"
#include "render/QtCanvas.h"
#include "render/WallpaperPass.h"
#include "schedule/EntryList.h"
#include "schedule/ScheduleStore.h"
#include "settings/Settings.h"
#include "settings/Templates.h"

#include <benchmark/benchmark.h>

#include <filesystem>
#include <unistd.h>

using namespace velmora;

namespace {

struct Home {
    Home() : clock(*parseDateTime("2026/12/08 10:00:00")), store("/nowhere/", "BENCH", clock, feedback) {
        ensureGuiApplication();
        std::string pattern = (std::filesystem::temp_directory_path() / "velmora-bench-XXXXXX").string();
        dir = std::string(mkdtemp(pattern.data())) + "/";
        ProfileFile first;
        first.parse(findTemplate("first.ini")->bytes());
        settings.readStartup(first, StartupReadContext{dir, {}, nullptr}, [](const std::string&) { return false; });
        settings.load(first);
        // 15 000 dated days of history, and 40 entries a week around the month shown.
        NameValueList& day = store.section(ScheduleSection::Day);
        const DateValue start = *parseDate("1985/01/01");
        for (int i = 0; i < 15000; ++i) {
            day.append(formatDate(start.addDays(i)), formatEntryList({"過去の予定 ", "記録 "}));
        }
        const DateValue grid = *parseDate("2026/11/30");
        for (int i = 0; i < 42; ++i) {
            std::vector<std::string> texts;
            for (int k = 0; k < 6; ++k) {
                texts.push_back("打ち合わせ " + std::to_string(k) + " 会議室Ｂ ");
            }
            day.set(formatDate(grid.addDays(i)), formatEntryList(texts));
        }
        calendar = CalendarState(settings.holidayList);
    }
    ~Home() { std::filesystem::remove_all(dir); }

    void pass(int width, int height, int view, bool save = true) {
        settings.calenFlag = view;
        RenderInputs in{settings, store, calendar, clock.now(), *parseDate("2026/12/01"), false, false};
        DrawState state;
        const QImage picture = renderCalendar(basePicture("", width, height), in, state);
        if (save) {
            saveBmp(picture, dir + "calendar.bmp");
        }
    }

    FixedClock clock;
    SilentFeedback feedback;
    ScheduleStore store;
    Settings settings;
    CalendarState calendar;
    std::string dir;
};

void BM_FullPass(benchmark::State& state) {
    Home home;
    const int width = static_cast<int>(state.range(0));
    const int height = static_cast<int>(state.range(1));
    for (auto _ : state) {
        home.pass(width, height, static_cast<int>(state.range(2)));
    }
}
BENCHMARK(BM_FullPass)
    ->ArgNames({"w", "h", "year"})
    ->Args({1920, 1080, 0})
    ->Args({3840, 2160, 0})
    ->Args({1920, 1080, 1})
    ->Args({3840, 2160, 1})
    ->Unit(benchmark::kMillisecond);

void BM_Tint4K(benchmark::State& state) {
    ensureGuiApplication();
    QImage image(3840, 2160, QImage::Format_RGB32);
    image.fill(Qt::darkCyan);
    for (auto _ : state) {
        QtCanvas canvas(image);
        canvas.tint(Rect{0, 0, 3840, 2160}, 0x203040, 60);
    }
}
BENCHMARK(BM_Tint4K)->Unit(benchmark::kMillisecond);

// The drawing alone, without the file.
void BM_DrawOnly(benchmark::State& state) {
    Home home;
    for (auto _ : state) {
        home.pass(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)), 0, false);
    }
}
BENCHMARK(BM_DrawOnly)->Args({1920, 1080})->Args({3840, 2160})->Unit(benchmark::kMillisecond);

// The whole holiday comparison span, month by month as the calendar does it.
void BM_Holidays1955To2100(benchmark::State& state) {
    ProfileFile first;
    first.parse(findTemplate("first.ini")->bytes());
    ProfileFile yasumi;
    yasumi.parse(findTemplate("Yasumi.dat")->bytes());
    Settings settings;
    const NameValueList options = yasumi.readSection("HOLIDAYOPT");
    const NameValueList periods = yasumi.readSection("FROMTO");
    const NameValueList week = yasumi.readSection("WEEK");
    HolidayCalendar holidays(first.readSection("HOLIDAY"));
    for (auto _ : state) {
        std::size_t n = 0;
        for (int year = 1955; year <= 2100; ++year) {
            for (int month = 1; month <= 12; ++month) {
                holidays.computeHolidays(settings, *DateValue::fromDate(year, month, 1),
                                         HolidaySources{options, periods, week});
                n += holidays.computed().size();
            }
        }
        benchmark::DoNotOptimize(n);
    }
}
BENCHMARK(BM_Holidays1955To2100)->Unit(benchmark::kMillisecond);

} // namespace

namespace {

void BM_BmpWrite4K(benchmark::State& state) {
    QImage image(3840, 2160, QImage::Format_RGB32);
    image.fill(Qt::darkCyan);
    const std::string path = (std::filesystem::temp_directory_path() / "velmora-bench.bmp").string();
    for (auto _ : state) {
        if (state.range(0) == 0) {
            benchmark::DoNotOptimize(bmpBytes(image));
        } else {
            saveBmp(image, path);
        }
    }
    std::filesystem::remove(path);
}
BENCHMARK(BM_BmpWrite4K)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

} // namespace
