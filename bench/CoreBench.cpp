// Reading and writing the data files: a large shared schedule file must load
// and save without the user noticing.
#include "core/Cp932.h"
#include "core/ProfileFile.h"
#include "settings/Settings.h"

#include <benchmark/benchmark.h>

#include <string>

using namespace velmora;

namespace {

// A schedule-like file: 20 000 dated entries in Japanese.
std::string largeFile() {
    std::string utf8 = "[DAY]\r\n";
    for (int i = 0; i < 20000; ++i) {
        utf8 += "2026/" + std::to_string(1 + i % 12) + "/" + std::to_string(i) + "=\"会議 " + std::to_string(i) +
                "\",\"打ち合わせ（第二会議室）\"\r\n";
    }
    return *cp932::fromUtf8(utf8);
}

void BM_DecodeCp932(benchmark::State& state) {
    const std::string bytes = largeFile();
    for (auto _ : state) {
        benchmark::DoNotOptimize(cp932::toUtf8(bytes));
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * bytes.size()));
}
BENCHMARK(BM_DecodeCp932)->Unit(benchmark::kMillisecond);

void BM_ParseAndReadSection(benchmark::State& state) {
    const std::string bytes = largeFile();
    for (auto _ : state) {
        ProfileFile f;
        f.parse(bytes);
        benchmark::DoNotOptimize(f.readSection("DAY"));
    }
}
BENCHMARK(BM_ParseAndReadSection)->Unit(benchmark::kMillisecond);

void BM_RewriteSectionAndSerialise(benchmark::State& state) {
    ProfileFile f;
    f.parse(largeFile());
    const NameValueList day = f.readSection("DAY");
    for (auto _ : state) {
        f.writeSection("DAY", day);
        benchmark::DoNotOptimize(f.bytes());
    }
}
BENCHMARK(BM_RewriteSectionAndSerialise)->Unit(benchmark::kMillisecond);

void BM_SettingsLoadAndValues(benchmark::State& state) {
    ProfileFile file;
    Settings defaults;
    for (const SettingValue& v : defaults.values(SaveContext{})) {
        file.writeString(v.section, v.key, v.value);
    }
    for (auto _ : state) {
        Settings s;
        s.load(file);
        benchmark::DoNotOptimize(s.values(SaveContext{}));
    }
}
BENCHMARK(BM_SettingsLoadAndValues)->Unit(benchmark::kMicrosecond);

} // namespace
