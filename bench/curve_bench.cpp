// Speed of the curved regressions on 2,000 data sets (whole runs: preparation, search, final
// fit, report and variance file).
//
// Goals (this machine: 2 cores):
//   BM_PowerCurve/2000       9 x 295 grid of shift and power: at most 30 ms
//   BM_QuadraticCurve/2000   with the exponent search (280 exponents): at most 10 ms
//   BM_CubicCurve/2000       with the exponent search (280 exponents): at most 10 ms
//   BM_SCurveGroup/2000      the four S-curves in fit-value mode plus the final run of the
//                            best, through the dispatcher with its ANOVA table: at most 0.2 s
//   BM_FiskSearch/2000       the 20 x 100 x 1000 Fisk grid alone (the literal loop takes
//                            minutes at this size)
#include <benchmark/benchmark.h>

#include "BenchSupport.h"

#include <cmath>
#include <filesystem>
#include <random>
#include <string>
#include <unistd.h>

#include "curves/PolynomialCurves.h"
#include "curves/PowerCurve.h"
#include "curves/FiskSearch.h"
#include "curves/SCurves.h"
#include "run/RunAnalysis.h"
#include "data/DataSet.h"
#include "data/RunOptions.h"
#include "data/UserDialogs.h"

namespace {

using vornax::bench::SilentDialogs;

// Dry matter against nitrogen dose: a saturating rise with noise, X in random order.
void FillGrowthData(vornax::TDMVornax& data, int n) {
  vornax::bench::FillRandomData(data, n, 4711, 5.0, 300.0, 0.3,
                                [](double x) { return 3 + 0.9 * std::pow(x, 0.45); });
}

template <void (*Run)(vornax::TDMVornax&, vornax::RunOptions&, vornax::UserDialogs&)>
void BM_Curve(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  const vornax::bench::ScratchDir dir("vornax-curve-bench");
  vornax::TDMVornax base;
  FillGrowthData(base, n);
  base.Title1 = "Benchmark";
  base.Title2 = "Dry matter against nitrogen dose";
  SilentDialogs dialogs;
  for (auto _ : state) {
    state.PauseTiming();
    vornax::TDMVornax data = base;
    data.FileName = dir.Input();
    vornax::RunOptions options;
    options.TransformAccepted = true;
    state.ResumeTiming();
    Run(data, options, dialogs);
    if (options.CurveAbort) state.SkipWithError("the curve was refused");
  }
}

void BM_PowerCurve(benchmark::State& state) { BM_Curve<vornax::RunPowerCurve>(state); }
void BM_QuadraticCurve(benchmark::State& state) { BM_Curve<vornax::RunQuadraticCurve>(state); }
void BM_CubicCurve(benchmark::State& state) { BM_Curve<vornax::RunCubicCurve>(state); }

// The fits alone, without the files, to see what the search costs.
void BM_FitOnly(benchmark::State& state) {
  vornax::TDMVornax data;
  FillGrowthData(data, 2000);
  const int which = static_cast<int>(state.range(0));
  vornax::CurveData prepared;
  vornax::PrepareCurveData(data, which == 0 ? vornax::CurveKind::Power : vornax::CurveKind::Cubic,
                           prepared);
  std::string failure;
  for (auto _ : state) {
    if (which == 0) {
      benchmark::DoNotOptimize(vornax::FitPowerCurve(prepared));
    } else {
      benchmark::DoNotOptimize(vornax::FitPolynomialCurve(prepared, which == 2, true, failure));
    }
  }
}
BENCHMARK(BM_FitOnly)->Arg(0)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond);

// Germination against temperature: a falling S with noise.
void FillSCurveData(vornax::TDMVornax& data, int n) {
  vornax::bench::FillRandomData(data, n, 99, 2.0, 40.0, 2.0,
                                [](double x) { return 5 + 90 / (1 + std::pow(x / 20, 4)); });
}

// One S-curve fit alone (3 logistic, 4 Gumbel, 5 inverted Gumbel, 6 Fisk), without files.
void BM_SCurveFit(benchmark::State& state) {
  vornax::TDMVornax data;
  FillSCurveData(data, 2000);
  const vornax::CurveKind kinds[] = {vornax::CurveKind::Logistic, vornax::CurveKind::Gumbel,
                                     vornax::CurveKind::InvertedGumbel, vornax::CurveKind::Fisk};
  const vornax::CurveKind kind = kinds[state.range(0) - 3];
  vornax::CurveData prepared;
  vornax::PrepareCurveData(data, kind, prepared);
  for (auto _ : state) {
    if (kind == vornax::CurveKind::Fisk) {
      benchmark::DoNotOptimize(vornax::FitFiskCurve(prepared));
    } else {
      benchmark::DoNotOptimize(vornax::FitLinkedSCurve(prepared, kind, true));
    }
  }
}
BENCHMARK(BM_SCurveFit)->DenseRange(3, 6)->Unit(benchmark::kMillisecond);

void BM_SCurveGroup(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  const vornax::bench::ScratchDir dir("vornax-scurve-bench");
  vornax::TDMVornax base;
  FillSCurveData(base, n);
  base.Title1 = "Benchmark";
  base.Title2 = "Germination against temperature";
  SilentDialogs dialogs;
  const vornax::AnalysisTable table = vornax::DefaultAnalysisTable();
  for (auto _ : state) {
    state.PauseTiming();
    vornax::TDMVornax data = base;
    data.FileName = dir.Input();
    vornax::RunOptions options;
    options.TransformAccepted = true;
    options.CurveX = vornax::CurveChoice::SCurve;
    char separator = '.';
    state.ResumeTiming();
    vornax::RunAnalysis(data, options, dialogs, separator, table);
    if (options.CurveAbort || options.AnalysisFailed) state.SkipWithError("refused");
  }
}
BENCHMARK(BM_SCurveGroup)->Arg(2000)->Unit(benchmark::kMillisecond);

void BM_FiskSearch(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  vornax::TDMVornax data;
  FillSCurveData(data, n);
  for (auto _ : state) {
    benchmark::DoNotOptimize(vornax::FiskSearch(data.XData.data(), data.YData.data(), n, 100,
                                                false));
  }
}
BENCHMARK(BM_FiskSearch)->Arg(2000)->Unit(benchmark::kMillisecond);

BENCHMARK(BM_PowerCurve)->Arg(2000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_QuadraticCurve)->Arg(2000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CubicCurve)->Arg(2000)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
