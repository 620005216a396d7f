// Standard errors, likelihood intervals and tests of a broken line, against distribution values
// from tables and against lines whose answer is known.
#include "breakpoints/BrokenLineInference.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>

namespace vornax {
namespace {

TEST(BrokenLineInference, DistributionsMatchTables) {
  // Two-sided Student t quantiles from printed tables.
  struct Case {
    double confidence, df, t;
  } cases[] = {{0.90, 10, 1.812461}, {0.95, 10, 2.228139}, {0.98, 10, 2.763769},
               {0.95, 1, 12.706205}, {0.90, 58, 1.671553}, {0.95, 1000, 1.962339}};
  for (const Case& c : cases) {
    EXPECT_NEAR(StudentTQuantile(c.confidence, c.df), c.t, 2e-6) << c.confidence << " " << c.df;
    EXPECT_NEAR(StudentTTwoSided(c.t, c.df), 1 - c.confidence, 1e-7);
  }
  // F(2, 20) at its 5 % point, and F(1, df) as t².
  EXPECT_NEAR(FUpperTail(3.492828, 2, 20), 0.05, 1e-7);
  EXPECT_NEAR(FUpperTail(2.228139 * 2.228139, 1, 10), 0.05, 1e-6);
}

TEST(BrokenLineInference, AddedBreakpointTestByHand) {
  // 40 data sets; two breakpoints bring the residual sum from 100 to 60: F = (40/2)/(60/34).
  const AddedBreakpointTest t = TestAddedBreakpoints(100, 1, 60, 2, 40);
  EXPECT_EQ(t.Df1, 2);
  EXPECT_EQ(t.Df2, 34);
  EXPECT_NEAR(t.F, 20.0 / (60.0 / 34.0), 1e-12);
  EXPECT_NEAR(t.Probability, std::pow(1 + 2 * t.F / 34, -17.0), 1e-12);  // closed form for df1 = 2
}

// One broken line, exact but for a small known disturbance of alternate points: the standard
// errors scale with X and do not change with Y's units.
TEST(BrokenLineInference, StandardErrorsFollowTheUnitsOfX) {
  auto infer = [](double xScale, double yScale) {
    std::vector<long double> x, y;
    for (int i = 0; i < 40; ++i) {
      const double v = i;
      const double shape = v < 12.5 ? 1 + 0.5 * v : v < 27 ? 7.25 - 0.3 * (v - 12.5) : 2.9 + (v - 27);
      x.push_back(v * xScale);
      y.push_back((shape + (i % 2 ? 0.2 : -0.2) * std::cos(v)) * yScale);
    }
    const BrokenLineData data(x, y);
    BrokenLineSearchOptions o;
    o.Breakpoints = 2;
    const auto r = FindBestBrokenLine(data, o);
    EXPECT_TRUE(r.Found);
    return InferBrokenLine(data, r.Line, 0.9, 1.75);
  };
  const auto base = infer(1, 1), wide = infer(60, 1), tall = infer(1, 1000);
  ASSERT_EQ(base.Breakpoints.size(), 2u);
  for (int j = 0; j < 2; ++j) {
    const auto& b = base.Breakpoints[j];
    EXPECT_GT(b.StandardError, 0);
    EXPECT_LE(b.LikelihoodLower, b.Value);
    EXPECT_GE(b.LikelihoodUpper, b.Value);
    EXPECT_NEAR(wide.Breakpoints[j].StandardError, 60 * b.StandardError, 1e-6 * 60 * b.StandardError);
    EXPECT_NEAR(wide.Breakpoints[j].LikelihoodUpper, 60 * b.LikelihoodUpper, 1e-6 * 60 * b.LikelihoodUpper);
    EXPECT_NEAR(tall.Breakpoints[j].StandardError, b.StandardError, 1e-6 * b.StandardError);
    EXPECT_NEAR(tall.Breakpoints[j].LikelihoodLower, b.LikelihoodLower, 1e-6 * std::fabs(b.LikelihoodLower));
  }
  EXPECT_NEAR(tall.Segments[1].SlopeStandardError, 1000 * base.Segments[1].SlopeStandardError,
              1e-6 * 1000 * base.Segments[1].SlopeStandardError);
}

// Simulated broken lines (N = 60, noise sd 3, slopes 0.2 and 0.8, break at 40 of 0..100): the
// 90 % intervals cover the true breakpoint in about 90 % of the runs.
TEST(BrokenLineInference, IntervalsCoverTheTrueBreakpoint) {
  std::mt19937_64 rng(11);
  std::normal_distribution<double> noise(0, 3);
  int bySe = 0, byLikelihood = 0;
  constexpr int kRuns = 300;
  for (int r = 0; r < kRuns; ++r) {
    std::vector<long double> x, y;
    for (int i = 0; i < 60; ++i) {
      const double v = 100.0 * i / 59;
      x.push_back(v);
      y.push_back((v < 40 ? 0.2 * v : 8 + 0.8 * (v - 40)) + noise(rng));
    }
    const BrokenLineData data(x, y);
    BrokenLineSearchOptions o;
    o.Breakpoints = 1;
    const auto fit = FindBestBrokenLine(data, o);
    const auto inf = InferBrokenLine(data, fit.Line, 0.9, 1.75);
    const auto& b = inf.Breakpoints.at(0);
    bySe += b.LowerLimit <= 40 && 40 <= b.UpperLimit;
    byLikelihood += b.LikelihoodLower <= 40 && 40 <= b.LikelihoodUpper;
  }
  EXPECT_GE(bySe, 0.85 * kRuns);
  EXPECT_LE(bySe, 0.95 * kRuns);
  EXPECT_GE(byLikelihood, 0.85 * kRuns);
  EXPECT_LE(byLikelihood, 0.95 * kRuns);
}

}  // namespace
}  // namespace vornax
