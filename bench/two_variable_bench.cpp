// Speed of the two-variable segmented regression against the one-variable run on the same data.
//
// Goals (this machine: 2 cores): a whole two-variable run (three searches, five report blocks,
// the combination and both files) takes at most 4 times the one-variable run of Y upon X on the
// same data sets:
//   BM_TwoVariableRun/2000    <= 4 x BM_OneVariableRun/2000
//   BM_TwoVariableRun/100000  <= 4 x BM_OneVariableRun/100000
#include <benchmark/benchmark.h>

#include "BenchSupport.h"

#include <filesystem>
#include <random>
#include <string>
#include <unistd.h>

#include "data/DataSet.h"
#include "data/RunOptions.h"
#include "data/UserDialogs.h"
#include "regression/OneVariable.h"
#include "regression/TwoVariable.h"

namespace {

using vornax::bench::SilentDialogs;

// Yield against depth (flat up to 60, then falling) and salinity (falling from 4 on), with
// noise; both variables in random order.
void FillTrial(vornax::TDMVornax& data, int n) {
  std::mt19937 rng(4242);
  std::uniform_real_distribution<double> depth(0.0, 150.0);
  std::uniform_real_distribution<double> salinity(0.0, 12.0);
  std::normal_distribution<double> noise(0.0, 0.3);
  data.Resize(n);
  data.GridRowCount = n;
  data.NrOfVarInData = 2;
  data.Title1 = "Benchmark";
  data.Title2 = "Yield against depth and salinity";
  for (int i = 0; i < n; ++i) {
    const size_t k = static_cast<size_t>(i);
    const double x = depth(rng), z = salinity(rng);
    data.XData[k] = x;
    data.ZData[k] = z;
    data.YData[k] = (x < 60 ? 8.0 : 8.0 - 0.04 * (x - 60)) - (z < 4 ? 0 : 0.3 * (z - 4)) + noise(rng);
  }
}

template <bool kTwo>
void Run(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  const vornax::bench::ScratchDir dir("vornax-bench2");
  vornax::TDMVornax base;
  FillTrial(base, n);
  SilentDialogs dialogs;
  for (auto _ : state) {
    state.PauseTiming();
    vornax::TDMVornax data = base;
    data.FileName = dir.Input();
    data.NrOfVar = kTwo ? 2 : 1;
    vornax::RunOptions options;
    state.ResumeTiming();
    if constexpr (kTwo) {
      vornax::RunTwoVariableRegression(data, options, dialogs);
    } else {
      vornax::RunOneVariable(data, options, dialogs);
    }
    if (options.AnalysisFailed) state.SkipWithError("analysis refused the data");
  }
}

void BM_OneVariableRun(benchmark::State& state) { Run<false>(state); }
void BM_TwoVariableRun(benchmark::State& state) { Run<true>(state); }
BENCHMARK(BM_OneVariableRun)->Arg(2000)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_TwoVariableRun)->Arg(2000)->Arg(100000)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
