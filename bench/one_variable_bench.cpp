// Speed of the one-variable segmented regression.
//
// Goals (this machine: 2 cores):
//   BM_OneVariableRun/2000     whole run, search over all types and methods plus both files:
//                              at most 20 ms
//   BM_OneVariableRun/100000   at most 1 s, and at most 50 MB peak memory (measure with
//                              /usr/bin/time -v build/one_variable_bench
//                                --benchmark_filter='BM_OneVariableRun/100000')
//   BM_EvaluateBreakpoint/N    one evaluation, to compare with a single pass over the data
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <random>
#include <string>
#include <unistd.h>

#include "data/DataSet.h"
#include "data/RunOptions.h"
#include "data/UserDialogs.h"
#include "regression/OneVariable.h"
#include "regression/SegmentEngine.h"

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

// Yield against depth: flat up to 60, then falling, with noise; X in random order.
void FillThresholdData(vornax::TDMVornax& data, int n) {
  std::mt19937 rng(12345);
  std::uniform_real_distribution<double> depth(0.0, 150.0);
  std::normal_distribution<double> noise(0.0, 0.3);
  data.Resize(n);
  data.GridRowCount = n;
  for (int i = 0; i < n; ++i) {
    const double x = depth(rng);
    const double y = (x < 60 ? 8.0 : 8.0 - 0.04 * (x - 60)) + noise(rng);
    data.XData[static_cast<size_t>(i)] = x;
    data.YData[static_cast<size_t>(i)] = y;
  }
}

void BM_OneVariableRun(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  const auto dir = std::filesystem::temp_directory_path() /
                   ("vornax-bench-" + std::to_string(::getpid()));
  std::filesystem::create_directories(dir);
  vornax::TDMVornax base;
  FillThresholdData(base, n);
  base.Title1 = "Benchmark";
  base.Title2 = "Yield against depth of the water table";
  SilentDialogs dialogs;
  for (auto _ : state) {
    state.PauseTiming();
    vornax::TDMVornax data = base;  // unsorted, as entered
    data.FileName = (dir / "bench.inp").string();
    vornax::RunOptions options;
    state.ResumeTiming();
    vornax::RunOneVariable(data, options, dialogs);
    if (options.AnalysisFailed) state.SkipWithError("analysis refused the data");
  }
  std::filesystem::remove_all(dir);
}
BENCHMARK(BM_OneVariableRun)->Arg(2000)->Arg(100000)->Unit(benchmark::kMillisecond);

void BM_EvaluateBreakpoint(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  vornax::TDMVornax data;
  FillThresholdData(data, n);
  std::sort(data.XData.begin(), data.XData.end());
  vornax::SegmentEngine engine;
  engine.Attach(data.YData.data(), data.XData.data(), n);
  engine.FindExtremes();
  double bp = engine.Xmin;
  double ce = 0;
  int code = vornax::kTypeSingle;
  engine.EvaluateBreakpoint(bp, ce, code, 1);
  for (auto _ : state) {
    double candidate = 60.0;
    int type = vornax::kType3;
    engine.EvaluateBreakpoint(candidate, ce, type, 1);
    benchmark::DoNotOptimize(ce);
  }
}
BENCHMARK(BM_EvaluateBreakpoint)->Arg(2000)->Arg(100000)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
