// Speed of the one-variable segmented regression.
//
// Goals (this machine: 2 cores):
//   BM_OneVariableRun/2000     whole run, search over all types and methods plus both files:
//                              at most 20 ms
//   BM_OneVariableRun/100000   at most 1 s, and at most 50 MB peak memory (measure with
//                              /usr/bin/time -v build/one_variable_bench
//                                --benchmark_filter='BM_OneVariableRun/100000')
//   BM_EvaluateBreakpoint/N    one evaluation, to compare with a single pass over the data
//   BM_Search/2000             the search alone (all types and methods, data already sorted):
//                              at most 0.5 ms
//   BM_Search/100000           at most 5 ms
//   BM_OneVariableRun/2000     (with the search in constant time per candidate) at most 3 ms
//   BM_OneVariableRun/100000   at most 3 x BM_ReportOnly/100000, and peak memory no higher than
//                              before (26 MB)
//   BM_ReportOnly/N            the files of a run whose search is done: sort, report, variance
//                              file (the yardstick of the run at 100,000)
//   BM_SearchSmall/N           the search on few data sets, as the permutation test runs it
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <random>
#include <string>
#include <vector>
#include <unistd.h>

#include "data/DataSet.h"
#include "data/RunOptions.h"
#include "data/UserDialogs.h"
#include "data/TextFile.h"
#include "regression/OneVariable.h"
#include "regression/OneVariableReport.h"
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

// The data of FillThresholdData in ascending order of X, Y moving along.
void SortedThresholdData(int n, std::vector<long double>& y, std::vector<long double>& x) {
  vornax::TDMVornax data;
  FillThresholdData(data, n);
  std::vector<size_t> order(static_cast<size_t>(n));
  for (size_t i = 0; i < order.size(); ++i) order[i] = i;
  std::stable_sort(order.begin(), order.end(),
                   [&](size_t a, size_t b) { return data.XData[a] < data.XData[b]; });
  y.clear();
  x.clear();
  for (size_t i : order) {
    y.push_back(data.YData[i]);
    x.push_back(data.XData[i]);
  }
}

void SearchOnly(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  std::vector<long double> y, x;
  SortedThresholdData(n, y, x);
  vornax::SegmentEngine engine;
  engine.Attach(y.data(), x.data(), n);
  engine.FindExtremes();
  const vornax::RegressionCarryOver start = engine.CarryOver();
  for (auto _ : state) {
    engine.Restore(start);
    const vornax::BreakpointSearchResult r = vornax::SearchBreakpoint(engine, {});
    benchmark::DoNotOptimize(r.BPopt);
  }
}

void BM_Search(benchmark::State& state) { SearchOnly(state); }
BENCHMARK(BM_Search)->Arg(2000)->Arg(100000)->Unit(benchmark::kMillisecond);

void BM_SearchSmall(benchmark::State& state) { SearchOnly(state); }
BENCHMARK(BM_SearchSmall)->Arg(40)->Arg(100)->Unit(benchmark::kMicrosecond);

// What a run costs besides its search: the sort, the report with its data table, and the
// variance file, from a search result found beforehand.
void BM_ReportOnly(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  const auto dir = std::filesystem::temp_directory_path() /
                   ("vornax-bench-report-" + std::to_string(::getpid()));
  std::filesystem::create_directories(dir);
  vornax::TDMVornax base;
  FillThresholdData(base, n);
  base.Title1 = "Benchmark";
  base.Title2 = "Yield against depth of the water table";
  std::vector<long double> sortedY, sortedX;
  SortedThresholdData(n, sortedY, sortedX);
  vornax::BreakpointSearchResult found;
  {
    vornax::SegmentEngine engine;
    engine.Attach(sortedY.data(), sortedX.data(), n);
    engine.FindExtremes();
    found = vornax::SearchBreakpoint(engine, {});
  }
  SilentDialogs dialogs;
  for (auto _ : state) {
    state.PauseTiming();
    vornax::TDMVornax data = base;
    state.ResumeTiming();
    std::vector<size_t> order(static_cast<size_t>(n));
    for (size_t i = 0; i < order.size(); ++i) order[i] = i;
    std::stable_sort(order.begin(), order.end(),
                     [&](size_t a, size_t b) { return data.XData[a] < data.XData[b]; });
    std::vector<long double> y, x;
    y.reserve(order.size());
    x.reserve(order.size());
    for (size_t i : order) {
      y.push_back(data.YData[i]);
      x.push_back(data.XData[i]);
    }
    vornax::SegmentEngine engine;
    engine.Attach(y.data(), x.data(), n);
    engine.FindExtremes();
    vornax::TextFileWriter out(dir / "bench.out");
    vornax::TextFileWriter var(dir / "bench.var");
    std::vector<bool> added(static_cast<size_t>(n), false);
    vornax::OneVariableReportContext context;
    context.OutputPath = (dir / "bench.out").string();
    context.InputPath = (dir / "bench.inp").string();
    context.Title1 = base.Title1;
    context.Title2 = base.Title2;
    context.Y = y.data();
    context.X = x.data();
    context.Added = &added;
    context.NrOfData = n;
    vornax::OneVariableReport report(engine, context, out, var, dialogs);
    report.SetSearchResult(found);
    report.WriteReportHeader(1);
    report.WriteReportHeader(2);
    report.WriteRegressionReport(engine.Xmin, vornax::kTypeSingle);
    if (found.FoundType > 1) {
      report.WriteReportHeader(3);
      report.WriteRegressionReport(found.BPopt, found.FoundType);
    }
    report.WriteSummary();
    vornax::RunResult numbers;
    report.FillResult(numbers);
    if (!out.Commit() || !var.Commit()) state.SkipWithError("files not written");
  }
  std::filesystem::remove_all(dir);
}
BENCHMARK(BM_ReportOnly)->Arg(2000)->Arg(100000)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
