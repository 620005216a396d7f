// Speed of the permutation test of the break (both cores).
//
// Goals (this machine: 2 cores):
//   BM_BreakTest/100    999 permutations on 100 data sets: at most 0.3 s
//   BM_BreakTest/2000   999 permutations on 2,000 data sets: at most 3 s
#include <benchmark/benchmark.h>

#include <random>
#include <vector>

#include "run/BreakTest.h"

namespace {

// Yield against depth: flat up to 60, then falling, with noise; X ascending as after a run.
vornax::RunResult ThresholdResult(int n) {
  std::mt19937 rng(12345);
  std::normal_distribution<double> noise(0.0, 0.3);
  vornax::RunResult r;
  r.Valid = true;
  r.Analysis = "one-variable";
  r.HasBreakpoint = true;
  for (int i = 0; i < n; ++i) {
    const double x = 150.0 * i / n;
    r.X.push_back(x);
    r.Y.push_back((x < 60 ? 8.0 : 8.0 - 0.04 * (x - 60)) + noise(rng));
  }
  return r;
}

void BM_BreakTest(benchmark::State& state) {
  const vornax::RunResult r = ThresholdResult(static_cast<int>(state.range(0)));
  vornax::BreakTestOptions options;
  options.Permutations = 999;
  for (auto _ : state) {
    const vornax::BreakTestResult t = vornax::RunBreakTest(r, options);
    benchmark::DoNotOptimize(t.P);
  }
}
BENCHMARK(BM_BreakTest)->Arg(100)->Arg(2000)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
