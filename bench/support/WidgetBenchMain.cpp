#include <QApplication>

#include <benchmark/benchmark.h>

#include <cstdlib>

// View benchmarks paint real widgets: a QApplication on the offscreen platform, so they run without a display and
// paint into a raster backing store as a desktop session does. QT_SCALE_FACTOR=2 runs them at device scale 2.
int main(int argc, char** argv)
{
    ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
        return 1;
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
