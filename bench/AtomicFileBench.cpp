// Saving a large shared file: every save syncs the file before the rename and
// the folder after it, so that a crash never leaves a half-written file. This
// is what that costs a save of a 2 MB schedule file on the local disk.
#include "core/AtomicFile.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <string>

using namespace velmora;

namespace {

void BM_SaveLargeFileAtomically(benchmark::State& state) {
    std::string folder = (std::filesystem::temp_directory_path() / "velmora-bench-XXXXXX").string();
    if (!mkdtemp(folder.data())) {
        state.SkipWithError("cannot create a temporary folder");
        return;
    }
    const std::string path = folder + "/schedule.dat";
    std::string bytes;
    while (bytes.size() < 2 * 1024 * 1024) {
        bytes += "2026/1/" + std::to_string(1 + bytes.size() % 28) + "=\"meeting\",\"room 2, bring the minutes\"\r\n";
    }
    std::string error;
    for (auto _ : state) {
        if (!writeFileAtomically(path, bytes, &error)) {
            state.SkipWithError(error.c_str());
            break;
        }
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * bytes.size()));
    std::error_code ec;
    std::filesystem::remove_all(folder, ec);
}
BENCHMARK(BM_SaveLargeFileAtomically)->Unit(benchmark::kMillisecond)->Iterations(100);

} // namespace
