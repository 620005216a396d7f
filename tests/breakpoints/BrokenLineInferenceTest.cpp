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


// Example 01 (wheat yield upon the depth of the water table, 36 fields): its best lines put a
// breakpoint just below a data value that the segment above needs for its third data set.
const std::vector<long double> kYieldX = {22, 28, 31, 32, 33, 40, 41, 48, 49, 53, 55, 59,
                                          61, 63, 65, 76, 81, 88, 95, 103, 109, 109, 110, 110,
                                          111, 111, 121, 130, 131, 132, 137, 141, 150, 153, 154, 158};
const std::vector<long double> kYieldY = {
    2.00, 2.41, 2.70, 2.81, 2.76, 3.21, 3.22, 3.35, 3.89, 3.72, 4.04, 4.24,
    4.77, 4.79, 4.82, 5.06, 5.67, 5.28, 5.59, 5.59, 5.38, 5.61, 5.66, 5.49,
    5.67, 5.57, 5.59, 5.88, 5.61, 5.91, 5.45, 5.23, 5.62, 5.47, 5.78, 5.54};

// Every segment of the reported line holds at least three data sets, counted from the reported
// (double) breakpoints the way a reader counts them (a data set at a breakpoint belongs below),
// and the report's own counts agree with that.
TEST(BrokenLineInference, ReportedSegmentsKeepThreeDataSets) {
  struct Case {
    int k;
    std::vector<long long> counts;  // data sets per segment, counted by hand from the breakpoints
  } cases[] = {{2, {14, 3, 19}}, {3, {15, 14, 3, 4}}};
  const BrokenLineData data(kYieldX, kYieldY);
  for (const Case& c : cases) {
    BrokenLineSearchOptions o;
    o.Breakpoints = c.k;
    const auto r = FindBestBrokenLine(data, o);
    ASSERT_TRUE(r.Found) << c.k;
    const auto inf = InferBrokenLine(data, r.Line, 0.9, 1.75);
    ASSERT_EQ(inf.Segments.size(), c.counts.size()) << c.k;
    for (size_t s = 0; s < c.counts.size(); ++s) {
      const double lo = s == 0 ? -INFINITY : r.Line.Breakpoints[s - 1];
      const double hi = s + 1 == c.counts.size() ? INFINITY : r.Line.Breakpoints[s];
      long long byHand = 0;
      for (long double x : kYieldX) byHand += lo < x && x <= hi;
      EXPECT_EQ(byHand, c.counts[s]) << "k " << c.k << " segment " << s + 1;
      EXPECT_EQ(inf.Segments[s].Count, c.counts[s]) << "k " << c.k << " segment " << s + 1;
    }
  }
  // A scaled breakpoint a hair below a data value stays below it in data units.
  struct Near {
    long double below;  // how far below X = 132 in scaled units
  } nears[] = {{1e-18L}, {1e-17L}, {0}};
  for (const Near& n : nears) {
    const long double u = data.ToU(132) - n.below;
    const double b = BreakpointsInDataUnits(data, {u})[0];
    EXPECT_EQ(data.FirstAbove(data.ToU(b)), data.FirstAbove(u)) << static_cast<double>(n.below);
    EXPECT_NEAR(b, 132, 1e-9);
  }
}

// The likelihood intervals of example 01 against an independent profile scan
// (tools/reference/broken_lines_profile.py: every combination of the other breakpoints at each
// of 100 places plus halving, in double precision): where the profile dips below the limit again
// further out, the interval reaches it; an end at the last admissible place is marked.
TEST(BrokenLineInference, LikelihoodIntervalsFollowTheWholeProfile) {
  struct Case {
    int k, j;
    double lower, upper;
    bool lowerAtEnd, upperAtEnd;
  } cases[] = {
      {2, 0, 31, 81.7793, true, false},          {2, 1, 66.8929, 153, false, true},
      {3, 0, 52.5762, 80.7636, false, false},    {3, 1, 60.6544, 132, false, false},
      {3, 2, 80.2778, 145.316, false, false},
  };
  const BrokenLineData data(kYieldX, kYieldY);
  for (const Case& c : cases) {
    BrokenLineSearchOptions o;
    o.Breakpoints = c.k;
    const auto r = FindBestBrokenLine(data, o);
    ASSERT_TRUE(r.Found);
    const auto inf = InferBrokenLine(data, r.Line, 0.9, 1.75);
    const BreakpointInference& b = inf.Breakpoints[static_cast<size_t>(c.j)];
    EXPECT_NEAR(b.LikelihoodLower, c.lower, 6e-3) << "k " << c.k << " breakpoint " << c.j + 1;
    EXPECT_NEAR(b.LikelihoodUpper, c.upper, 6e-3) << "k " << c.k << " breakpoint " << c.j + 1;
    EXPECT_EQ(b.LikelihoodLowerAtEnd, c.lowerAtEnd) << "k " << c.k << " breakpoint " << c.j + 1;
    EXPECT_EQ(b.LikelihoodUpperAtEnd, c.upperAtEnd) << "k " << c.k << " breakpoint " << c.j + 1;
    EXPECT_LT(b.LikelihoodLower, b.LikelihoodUpper);
  }
}

}  // namespace
}  // namespace vornax
