// Speed of the partial regression.
//
// Goals (this machine: 2 cores):
//   BM_PartialRun/2000     whole run: sort, both scans, the decision, the final functions and
//                          the output, variance and scan table files: at most 20 ms
//   BM_PartialRun/100000   at most 1 s
#include <benchmark/benchmark.h>

#include <filesystem>
#include <random>
#include <string>
#include <unistd.h>

#include "data/DataSet.h"
#include "data/RunOptions.h"
#include "data/UserDialogs.h"
#include "partial/PartialRegression.h"

namespace {

class SilentDialogs : public vornax::UserDialogs {
 public:
  void ShowMessage(const std::string&) override {}
  bool AskYesNo(const std::string&) override { return true; }
  void ShowProgress() override {}
  void AddProgress(const std::string&) override {}
  void HideProgress() override {}
  void Pause(int) override {}
};

// Yield against depth: rising up to 80, level beyond, with noise; X in random order.
void FillPlateauData(vornax::TDMVornax& data, int n) {
  std::mt19937 rng(4711);
  std::uniform_real_distribution<double> depth(20.0, 160.0);
  std::normal_distribution<double> noise(0.0, 0.2);
  data.Resize(n);
  data.GridRowCount = n;
  for (int i = 0; i < n; ++i) {
    const double x = depth(rng);
    const double y = (x < 80 ? 2.0 + 0.06 * (x - 20) : 5.6) + noise(rng);
    data.XData[static_cast<size_t>(i)] = x;
    data.YData[static_cast<size_t>(i)] = y;
  }
}

void BM_PartialRun(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  const auto dir = std::filesystem::temp_directory_path() /
                   ("vornax-partial-bench-" + std::to_string(::getpid()));
  std::filesystem::create_directories(dir);
  vornax::TDMVornax base;
  FillPlateauData(base, n);
  base.Title1 = "Benchmark";
  base.Title2 = "Yield against depth of the water table";
  SilentDialogs dialogs;
  for (auto _ : state) {
    state.PauseTiming();
    vornax::TDMVornax data = base;  // unsorted, as entered
    data.FileName = (dir / "bench.inp").string();
    vornax::RunOptions options;
    state.ResumeTiming();
    vornax::RunPartialRegression(data, options, dialogs);
    if (options.AnalysisFailed || options.IrregularX) state.SkipWithError("refused the data");
    state.counters["type"] = options.FoundType;  // 4: the level top was found
  }
  std::filesystem::remove_all(dir);
}
BENCHMARK(BM_PartialRun)->Arg(2000)->Arg(100000)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
