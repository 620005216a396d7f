// Speed of the partial regression.
//
// Goals (this machine: 2 cores):
//   BM_PartialRun/2000     whole run: sort, both scans, the decision, the final functions and
//                          the output, variance and scan table files: at most 20 ms
//   BM_PartialRun/100000   at most 1 s
#include <benchmark/benchmark.h>

#include "BenchSupport.h"

#include <filesystem>
#include <random>
#include <string>
#include <unistd.h>

#include "data/DataSet.h"
#include "data/RunOptions.h"
#include "data/UserDialogs.h"
#include "partial/PartialRegression.h"

namespace {

using vornax::bench::SilentDialogs;

// Yield against depth: rising up to 80, level beyond, with noise; X in random order.
void FillPlateauData(vornax::TDMVornax& data, int n) {
  vornax::bench::FillRandomData(data, n, 4711, 20.0, 160.0, 0.2,
                                [](double x) { return x < 80 ? 2.0 + 0.06 * (x - 20) : 5.6; });
}

void BM_PartialRun(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  const vornax::bench::ScratchDir dir("vornax-partial-bench");
  vornax::TDMVornax base;
  FillPlateauData(base, n);
  base.Title1 = "Benchmark";
  base.Title2 = "Yield against depth of the water table";
  SilentDialogs dialogs;
  for (auto _ : state) {
    state.PauseTiming();
    vornax::TDMVornax data = base;  // unsorted, as entered
    data.FileName = dir.Input();
    vornax::RunOptions options;
    state.ResumeTiming();
    vornax::RunPartialRegression(data, options, dialogs);
    if (options.AnalysisFailed || options.IrregularX) state.SkipWithError("refused the data");
    state.counters["type"] = options.FoundType;  // 4: the level top was found
  }
}
BENCHMARK(BM_PartialRun)->Arg(2000)->Arg(100000)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
