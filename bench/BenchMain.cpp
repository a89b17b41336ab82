// The benchmarks run in one widget application, offscreen without a display:
// the window benchmarks need one, the drawing ones find it running.
#include "render/FontMapping.h"

#include <QApplication>

#include <benchmark/benchmark.h>

int main(int argc, char** argv) {
    velmora::prepareGuiEnvironment();
    QApplication app(argc, argv);
    velmora::installFontSubstitutions();
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
        return 1;
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
