// The benchmark program's entry: Google Benchmark's usual run, then the frame suites' engine
// and scene are taken down while the process is still whole (not by static destructors, whose
// order against the engine's own statics is not ours to choose).
#include <benchmark/benchmark.h>

namespace orix::bench {
void ReleaseFrameHarness();
}

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    orix::bench::ReleaseFrameHarness();
    benchmark::Shutdown();
    return 0;
}
