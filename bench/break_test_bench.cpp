// Speed of the permutation test of the break (999 permutations, both cores), and of the default
// run it belongs to. Each benchmark's label states its goal; "CPU" is the whole process's CPU
// time, so on a busy machine it shows what the wall time would be on idle cores.
//
// Goals (this machine: 2 cores):
//   BM_BreakTest/100            one variable, N = 100: at most 5 ms wall
//   BM_BreakTest/2000           one variable, N = 2,000: at most 25 ms wall
//   BM_BreakTest/1000000        one variable, N = 1,000,000: at most 4 s wall
//   BM_TwoVariableBreakTest/2000  at most 50 ms wall
//   BM_PartialBreakTest/2000    at most 50 ms wall
//   BM_DefaultRun/2000          fit, report, variance file, ANOVA, summary and break test: at
//                               most 32 ms (2.5 times faster than the peers' fit plus their
//                               test for a break, about 80 ms here)
//   BM_FitOnly/2000             the same without the break test: heading for 1.44 ms (50 times
//                               faster than the peers' fit alone, 72 ms here)
#include <benchmark/benchmark.h>

#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "BenchSupport.h"
#include "anova/Anova.h"
#include "data/RunOptions.h"
#include "regression/OneVariable.h"
#include "regression/TwoVariable.h"
#include "run/BreakTest.h"
#include "run/ResultSummary.h"

namespace {

// Yield against depth: flat up to 60, then falling, with noise; X ascending as after a run.
vornax::RunResult ThresholdResult(int n, const char* analysis) {
  std::mt19937 rng(12345);
  std::normal_distribution<double> noise(0.0, 0.3);
  vornax::RunResult r;
  r.Valid = true;
  r.Analysis = analysis;
  r.HasBreakpoint = true;
  r.X.reserve(static_cast<size_t>(n));
  r.Y.reserve(static_cast<size_t>(n));
  for (int i = 0; i < n; ++i) {
    const double x = 150.0 * i / n;
    r.X.push_back(x);
    r.Y.push_back((x < 60 ? 8.0 : 8.0 - 0.04 * (x - 60)) + noise(rng));
  }
  return r;
}

// The same threshold in X beside a slope on Z, as a two-variable run leaves it.
vornax::RunResult TwoVariableResult(int n) {
  std::mt19937 rng(12345);
  std::uniform_real_distribution<double> spread(0.0, 150.0);
  std::normal_distribution<double> noise(0.0, 0.3);
  vornax::TDMVornax data;
  data.Resize(n);
  data.NrOfData = n;
  for (size_t i = 0; i < static_cast<size_t>(n); ++i) {
    const double x = spread(rng), z = spread(rng);
    data.XData[i] = x;
    data.ZData[i] = z;
    data.YData[i] = (x < 60 ? 8.0 : 8.0 - 0.04 * (x - 60)) + 0.01 * z + noise(rng);
  }
  vornax::TwoVariableChoices choices;
  vornax::RegressionCarryOver carry;
  vornax::TwoVariableResult result;
  vornax::RunResult r;
  if (!vornax::AnalyseTwoVariables(data.YData.data(), data.XData.data(), data.ZData.data(), n,
                                   choices, carry, result)) {
    vornax::FillRunResult(result, choices, vornax::RegressionCarryOver{}, data, r);
  }
  return r;
}

void RunTest(benchmark::State& state, const vornax::RunResult& r, const char* goal) {
  if (!vornax::BreakTestApplies(r)) {
    state.SkipWithError("the data show no break to test");
    return;
  }
  vornax::BreakTestOptions options;
  options.Permutations = 999;
  for (auto _ : state) {
    const vornax::BreakTestResult t = vornax::RunBreakTest(r, options);
    benchmark::DoNotOptimize(t.P);
  }
  state.SetLabel(goal);
}

void BM_BreakTest(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  const char* goal = n <= 100 ? "goal: at most 5 ms wall"
                     : n <= 2000 ? "goal: at most 25 ms wall"
                                 : "goal: at most 4 s wall";
  RunTest(state, ThresholdResult(n, "one-variable"), goal);
}
BENCHMARK(BM_BreakTest)
    ->Arg(100)
    ->Arg(2000)
    ->Arg(1000000)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->MeasureProcessCPUTime();

// Noise about a straight line: the search still finds a "break", but a shuffle often explains
// as much, so the bound settles fewer of them and the rest are searched.
vornax::RunResult NoiseResult(int n) {
  std::mt19937 rng(2026);
  std::normal_distribution<double> noise(0.0, 1.0);
  vornax::RunResult r;
  r.Valid = true;
  r.Analysis = "one-variable";
  r.HasBreakpoint = true;
  for (int i = 0; i < n; ++i) {
    r.X.push_back(150.0 * i / n);
    r.Y.push_back(0.02 * r.X.back() + noise(rng));
  }
  return r;
}

void NoiseTest(benchmark::State& state, int stopAfter, const char* label) {
  const vornax::RunResult r = NoiseResult(static_cast<int>(state.range(0)));
  vornax::BreakTestOptions options;
  options.StopAfter = stopAfter;
  vornax::BreakTestResult t;
  for (auto _ : state) {
    t = vornax::RunBreakTest(r, options);
    // An int: the library's DoNotOptimize on a double in a struct was seen to change its value.
    benchmark::DoNotOptimize(t.AtLeastAsLarge);
  }
  char figures[96];
  std::snprintf(figures, sizeof figures, "; %d shuffles, %d settled by the bound, p = %.3f",
                t.Permutations, t.SettledByBound, t.P);
  state.SetLabel(std::string(label) + figures);
}

// The whole test on such data (no goal: the goals are for data with a break to judge).
void BM_BreakTestNoise(benchmark::State& state) {
  NoiseTest(state, 0, "noise, every shuffle (no goal; compare BM_BreakTest)");
}
// The same under the sequential rule with H = 10: the shuffles stop after a few dozen.
void BM_BreakTestStopEarly(benchmark::State& state) {
  NoiseTest(state, 10, "noise, stopped early, H = 10 (no goal; compare BM_BreakTest)");
}
BENCHMARK(BM_BreakTestNoise)
    ->Arg(100)
    ->Arg(2000)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->MeasureProcessCPUTime();
BENCHMARK(BM_BreakTestStopEarly)
    ->Arg(100)
    ->Arg(2000)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->MeasureProcessCPUTime();

void BM_TwoVariableBreakTest(benchmark::State& state) {
  RunTest(state, TwoVariableResult(static_cast<int>(state.range(0))), "goal: at most 50 ms wall");
}
BENCHMARK(BM_TwoVariableBreakTest)
    ->Arg(2000)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->MeasureProcessCPUTime();

void BM_PartialBreakTest(benchmark::State& state) {
  RunTest(state, ThresholdResult(static_cast<int>(state.range(0)), "partial"),
          "goal: at most 50 ms wall");
}
BENCHMARK(BM_PartialBreakTest)
    ->Arg(2000)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->MeasureProcessCPUTime();

// The batch's default run on data as entered: the fit with its report and variance file, the
// ANOVA, the break test when asked for, and the summary.
void DefaultRun(benchmark::State& state, int permutations, const char* goal) {
  const int n = static_cast<int>(state.range(0));
  const vornax::bench::ScratchDir dir("vornax-bench-default");
  vornax::TDMVornax base;
  vornax::bench::FillRandomData(base, n, 12345, 0.0, 150.0, 0.3,
                                [](double x) { return x < 60 ? 8.0 : 8.0 - 0.04 * (x - 60); });
  vornax::bench::SilentDialogs dialogs;
  for (auto _ : state) {
    state.PauseTiming();
    vornax::TDMVornax data = base;
    data.FileName = dir.Input();
    vornax::RunOptions options;
    state.ResumeTiming();
    vornax::RunOneVariable(data, options, dialogs);
    vornax::MakeSegmentedAnova(data, options, dialogs);
    vornax::RunResult& r = data.Result;
    if (permutations > 0 && vornax::BreakTestApplies(r)) {
      vornax::BreakTestOptions test;
      test.Permutations = permutations;
      r.BreakTest = vornax::RunBreakTest(r, test);
    }
    benchmark::DoNotOptimize(vornax::SummaryLines(r));
  }
  state.SetLabel(goal);
}
void BM_DefaultRun(benchmark::State& state) {
  DefaultRun(state, 999, "goal: at most 32 ms wall (peers: about 80 ms)");
}
void BM_FitOnly(benchmark::State& state) {
  DefaultRun(state, 0, "goal: heading for 1.44 ms wall (peers: 72 ms)");
}
BENCHMARK(BM_DefaultRun)
    ->Arg(2000)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->MeasureProcessCPUTime();
BENCHMARK(BM_FitOnly)
    ->Arg(2000)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->MeasureProcessCPUTime();

}  // namespace

BENCHMARK_MAIN();
