// Speed of the exact search for a broken line with two or three breakpoints.
//
// Goals (this machine: 2 cores):
//   BM_BrokenLineSearch/2/2000   two breakpoints, 2,000 data sets:   <= 0.3 s
//   BM_BrokenLineSearch/3/500    three breakpoints, 500 data sets:   <= 1 s
//   BM_BrokenLineSearch/3/2000   three breakpoints, 2,000 data sets: <= 10 s (with the bound)
// The search includes the exact part: every combination of intervals between the X values that
// the bound leaves, solved with the breakpoints free inside them and at their ends.
// BM_BrokenLineInference shows what the run adds to the search (no goal of its own).
// The counters say how many combinations the grid holds, how many the bound left to evaluate,
// and how many combinations of intervals were solved.
#include <benchmark/benchmark.h>

#include <random>
#include <vector>

#include "breakpoints/BrokenLineInference.h"
#include "breakpoints/BrokenLineSearch.h"

namespace {

// Yield rising slowly, then fast, then falling, over X uniform in [0, 100), noise sd 3.
vornax::BrokenLineData ThreeSlopes(int n) {
  std::mt19937 rng(2027);
  std::uniform_real_distribution<double> spread(0.0, 100.0);
  std::normal_distribution<double> noise(0.0, 3.0);
  std::vector<long double> x, y;
  for (int i = 0; i < n; ++i) {
    const double v = spread(rng);
    const double shape = v < 30 ? 0.2 * v : v < 60 ? 6 + 0.8 * (v - 30) : 30 - 0.5 * (v - 60);
    x.push_back(v);
    y.push_back(shape + noise(rng));
  }
  return vornax::BrokenLineData(x, y);
}

void BM_BrokenLineSearch(benchmark::State& state) {
  const int k = static_cast<int>(state.range(0));
  const vornax::BrokenLineData data = ThreeSlopes(static_cast<int>(state.range(1)));
  vornax::BrokenLineSearchOptions options;
  options.Breakpoints = k;
  vornax::BrokenLineSearchResult result;
  for (auto _ : state) {
    result = vornax::FindBestBrokenLine(data, options);
    benchmark::DoNotOptimize(result);
  }
  state.counters["combinations"] = static_cast<double>(result.Combinations);
  state.counters["evaluated"] = static_cast<double>(result.Evaluated);
  state.counters["cells"] = static_cast<double>(result.CellsSolved);
}
BENCHMARK(BM_BrokenLineSearch)
    ->Args({2, 2000})
    ->Args({3, 500})
    ->Args({3, 2000})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

// What a run adds to the search: the standard errors, the tests of the slopes and each
// breakpoint's likelihood interval (its profile with the other breakpoints fitted again).
void BM_BrokenLineInference(benchmark::State& state) {
  const int k = static_cast<int>(state.range(0));
  const vornax::BrokenLineData data = ThreeSlopes(static_cast<int>(state.range(1)));
  vornax::BrokenLineSearchOptions options;
  options.Breakpoints = k;
  const vornax::BrokenLineSearchResult found = vornax::FindBestBrokenLine(data, options);
  for (auto _ : state) {
    benchmark::DoNotOptimize(vornax::InferBrokenLine(data, found.Line, 0.90, 1.75));
  }
}
BENCHMARK(BM_BrokenLineInference)
    ->Args({2, 2000})
    ->Args({3, 500})
    ->Args({3, 2000})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->MeasureProcessCPUTime();

}  // namespace

BENCHMARK_MAIN();
