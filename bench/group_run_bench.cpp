// vornax-batch --by on long tables, the whole command from reading the table to the results file,
// wall time on every core.
//
// Goals (each group about 100 times faster than a fit of the peers' per-group loops, which take
// about 30 ms per group on this machine):
//   2,000 groups of 60 rows, --permutations 0:    at most 0.6 s
//   100,000 groups of 20 rows, --permutations 0:  at most 20 s
//   2,000 groups of 60 rows, default break test:  at most 10 s
// The last is measured on fewer groups (the counter "s_per_2000_groups" scales it up) so that a
// run of the benchmarks stays short; give --benchmark_filter=.../2000/60/999 for the whole table.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "BenchSupport.h"
#include "batch/BatchCommand.h"

namespace {

// Groups of yield against depth, each with a level stretch up to a break of its own, in a
// table whose groups follow one another (as exports of field trials and monitoring networks do).
void WriteLongTable(const std::string& path, int groups, int rows) {
  std::mt19937 rng(2026);
  std::uniform_real_distribution<double> spread(0.0, 100.0), breaks(20.0, 80.0);
  std::normal_distribution<double> noise(0.0, 1.0);
  std::ofstream out(path, std::ios::binary);
  out << "well,level,rain\n";
  char line[96];
  for (int g = 0; g < groups; ++g) {
    const double at = breaks(rng);
    for (int i = 0; i < rows; ++i) {
      const double x = spread(rng);
      const double y = (x < at ? 10.0 : 10.0 + 0.3 * (x - at)) + noise(rng);
      std::snprintf(line, sizeof line, "W%d,%.4f,%.4f\n", g, y, x);
      out << line;
    }
  }
}

void BM_GroupsOfTable(benchmark::State& state) {
  const int groups = static_cast<int>(state.range(0));
  const int rows = static_cast<int>(state.range(1));
  const int permutations = static_cast<int>(state.range(2));
  const vornax::bench::ScratchDir dir("vornax-bench-groups");
  const std::string table = (dir / "wells.csv").string();
  WriteLongTable(table, groups, rows);
  const std::string results = (dir / "results.csv").string();
  const std::string count = std::to_string(permutations);
  const char* argv[] = {"vornax-batch", table.c_str(),   "--by",          "well",
                        "--results",    results.c_str(), "--permutations", count.c_str(),
                        "--quiet"};
  for (auto _ : state) {
    std::ostringstream out, err;
    if (vornax::batch::RunBatch(static_cast<int>(std::size(argv)), argv, out, err) != 0) {
      state.SkipWithError(err.str().c_str());
      break;
    }
  }
  state.counters["groups"] = groups;
  // Seconds per iteration scaled: per group in milliseconds, and for a table of 2,000 groups.
  state.counters["ms_per_group"] = benchmark::Counter(
      groups / 1000.0, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
  state.counters["s_per_2000_groups"] = benchmark::Counter(
      groups / 2000.0, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}
// Arguments: groups, rows per group, permutations of the break test.
BENCHMARK(BM_GroupsOfTable)
    ->Args({2000, 60, 0})
    ->Args({100000, 20, 0})
    ->Args({40, 60, 999})
    ->Unit(benchmark::kSecond)
    ->UseRealTime()
    ->Iterations(1);

}  // namespace

BENCHMARK_MAIN();
