// The uncertainty of a breakpoint: the standard error of type 2 in the units of X, the
// likelihood interval, and how often both cover a known breakpoint on simulated broken lines.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>
#include <random>
#include <vector>

#include "regression/LikelihoodInterval.h"
#include "regression/ReportedLines.h"
#include "regression/SegmentEngine.h"

namespace vornax {
namespace {

// A one-variable search as a run makes it, followed by the reported lines and errors.
struct Fit {
  BreakpointSearchResult search;
  double sebp = 0;
  LikelihoodInterval interval;
};

Fit FitData(std::vector<long double>& x, std::vector<long double>& y, int preferred,
            double confidenceT = 1.75, int percent = 90) {
  SegmentEngine e;
  e.Attach(y.data(), x.data(), static_cast<int>(x.size()));
  e.ConfidenceT = confidenceT;
  e.FindExtremes();
  BreakpointSearchOptions options;
  options.PreferredType = preferred;
  Fit f;
  f.search = SearchBreakpoint(e, options);
  if (f.search.FoundType < kType2 || f.search.FoundType > kType4) return f;
  BuildReportedLines(e, f.search.BPopt, f.search.FoundType, f.search.OptMethod);
  e.ComputeBreakpointErrors(f.search.FoundType, f.search.OptMethod, f.search.BPopt);
  f.sebp = e.SEBP;
  f.interval = BreakpointLikelihoodInterval(y.data(), x.data(), static_cast<int>(x.size()),
                                            f.search.FoundType, f.search.BPopt, e.Xmin, e.Xmax,
                                            percent);
  return f;
}

// Broken line with slopes 0.2 and 0.8 meeting at X = 40, X evenly over 0 .. 100.
void BrokenLine(std::mt19937_64& random, int n, double sd, std::vector<long double>& x,
                std::vector<long double>& y) {
  std::normal_distribution<double> noise(0, sd);
  x.resize(static_cast<size_t>(n));
  y.resize(static_cast<size_t>(n));
  for (int i = 0; i < n; ++i) {
    const double xi = 100.0 * i / (n - 1);
    x[static_cast<size_t>(i)] = xi;
    y[static_cast<size_t>(i)] = (xi < 40 ? 0.2 * xi : 8 + 0.8 * (xi - 40)) + noise(random);
  }
}

TEST(BreakpointUncertainty, TypeTwoErrorIsInTheUnitsOfX) {
  // Scaling X by 60 scales the breakpoint, its standard error and the likelihood interval by 60;
  // scaling Y by 1000 leaves them as they are.
  std::mt19937_64 random(7);
  std::vector<long double> x, y;
  BrokenLine(random, 60, 3, x, y);
  const Fit base = FitData(x, y, 2);
  ASSERT_EQ(base.search.FoundType, 2);
  ASSERT_GT(base.sebp, 0);
  ASSERT_TRUE(base.interval.Valid);
  struct Case {
    const char* name;
    double xFactor, yFactor;
  };
  for (const Case& c : {Case{"X in seconds", 60, 1}, Case{"Y / 1000", 1, 0.001},
                        Case{"Y * 1000", 1, 1000}}) {
    SCOPED_TRACE(c.name);
    std::vector<long double> xs = x, ys = y;
    for (auto& v : xs) v *= c.xFactor;
    for (auto& v : ys) v *= c.yFactor;
    const Fit scaled = FitData(xs, ys, 2);
    ASSERT_EQ(scaled.search.FoundType, 2);
    EXPECT_NEAR(scaled.search.BPopt, base.search.BPopt * c.xFactor, 1e-9 * c.xFactor);
    EXPECT_NEAR(scaled.sebp, base.sebp * c.xFactor, 1e-9 * base.sebp * c.xFactor);
    EXPECT_NEAR(scaled.interval.Lower, base.interval.Lower * c.xFactor, 1e-7 * c.xFactor * base.interval.Upper);
    EXPECT_NEAR(scaled.interval.Upper, base.interval.Upper * c.xFactor, 1e-7 * c.xFactor * base.interval.Upper);
  }
}

TEST(BreakpointUncertainty, NinetyPercentLimitsCoverTheTrueBreakpoint) {
  // 1,000 broken lines (N = 60, noise sd 3, type 2 preferred): both the limits BP -/+ 1.75 SEBP
  // and the likelihood interval must hold the true breakpoint 40 in 85 to 95 % of the runs.
  std::mt19937_64 random(20261207);
  std::vector<long double> x, y;
  int runs = 0, coveredLimits = 0, coveredInterval = 0;
  for (int k = 0; k < 1000; ++k) {
    BrokenLine(random, 60, 3, x, y);
    const Fit f = FitData(x, y, 2);
    if (f.search.FoundType != 2 || !f.interval.Valid) continue;
    ++runs;
    const double bp = f.search.BPopt;
    if (bp - 1.75 * f.sebp <= 40 && 40 <= bp + 1.75 * f.sebp) ++coveredLimits;
    if (f.interval.Lower <= 40 && 40 <= f.interval.Upper) ++coveredInterval;
    EXPECT_LE(f.interval.Lower, bp);
    EXPECT_GE(f.interval.Upper, bp);
  }
  ASSERT_GE(runs, 900);
  const double limits = 100.0 * coveredLimits / runs;
  const double interval = 100.0 * coveredInterval / runs;
  RecordProperty("limits_coverage_percent", std::to_string(limits));
  RecordProperty("likelihood_coverage_percent", std::to_string(interval));
  std::printf("%d runs: limits cover %.1f %%, likelihood interval %.1f %%\n", runs, limits,
              interval);
  EXPECT_GE(limits, 85);
  EXPECT_LE(limits, 95);
  EXPECT_GE(interval, 85);
  EXPECT_LE(interval, 95);
}

TEST(BreakpointUncertainty, JoinedLinesResidualOfEachType) {
  // Y = 1 2 1 2 1 3 5 7 9 11 at X = 0 .. 9; the residual sums solved in exact fractions from
  // the normal equations of the columns (1, X - bp, (X - bp)+), (1, (X - bp)+), (1, (X - bp)-).
  std::vector<long double> x, y;
  for (int i = 0; i < 10; ++i) x.push_back(i);
  for (int v : {1, 2, 1, 2, 1, 3, 5, 7, 9, 11}) y.push_back(v);
  struct Case {
    int type;
    double bp, rss;
  };
  for (const Case& c : {Case{2, 4.5, 78.0 / 55}, Case{2, 3, 1364.0 / 235}, Case{3, 4, 86.0 / 65},
                        Case{3, 4.5, 318.0 / 205}, Case{4, 5, 4246.0 / 65}}) {
    SCOPED_TRACE(testing::Message() << "type " << c.type << " at " << c.bp);
    EXPECT_NEAR(JoinedLinesResidual(y.data(), x.data(), 10, c.type, c.bp), c.rss, 1e-13 * c.rss);
  }
  // Fewer than three data sets below the breakpoint: no fit.
  EXPECT_TRUE(std::isnan(JoinedLinesResidual(y.data(), x.data(), 10, 3, 2)));
  EXPECT_FALSE(BreakpointLikelihoodInterval(y.data(), x.data(), 10, 5, 4, 0, 9, 90).Valid);
}

TEST(BreakpointUncertainty, SortedDataGiveTheIntervalOfAPassPerCandidate) {
  // Data in ascending order of X are swept once for all candidates; the same data in another
  // order take a pass per candidate. Both must find the same interval, with ties in X and with X
  // far from zero, for each type.
  std::mt19937_64 random(77);
  std::normal_distribution<double> noise(0, 1.5);
  for (const double offset : {0.0, 1e6}) {
    std::vector<long double> x, y;
    for (int i = 0; i < 120; ++i) {
      const double xi = offset + 0.5 * (i / 2);  // every X twice
      x.push_back(xi);
      y.push_back((xi - offset < 18 ? 5 : 5 + 0.7 * (xi - offset - 18)) + noise(random));
    }
    std::vector<long double> xs = x, ys = y;
    std::reverse(xs.begin(), xs.end());
    std::reverse(ys.begin(), ys.end());
    for (const int type : {2, 3, 4}) {
      SCOPED_TRACE(testing::Message() << "type " << type << ", X from " << offset);
      const double lo = static_cast<double>(x.front()), hi = static_cast<double>(x.back());
      const LikelihoodInterval swept =
          BreakpointLikelihoodInterval(y.data(), x.data(), 120, type, offset + 18, lo, hi, 90);
      const LikelihoodInterval passed =
          BreakpointLikelihoodInterval(ys.data(), xs.data(), 120, type, offset + 18, lo, hi, 90);
      ASSERT_TRUE(swept.Valid && passed.Valid);
      EXPECT_NEAR(swept.Lower, passed.Lower, 1e-9 * (hi - lo));
      EXPECT_NEAR(swept.Upper, passed.Upper, 1e-9 * (hi - lo));
      EXPECT_LT(swept.Lower, swept.Upper);
    }
  }
}

TEST(BreakpointUncertainty, FQuantileOfOneDegreeOfFreedom) {
  // F(1, df2) quantiles (30-digit values of the inverse regularized incomplete beta).
  struct Case {
    int df2;
    double p, f;
  };
  const std::vector<Case> cases = {
      Case{10, 0.95, 4.964602743},      Case{10, 0.90, 3.285015322},
      Case{56, 0.98, 5.735072880},      Case{1, 0.90, 39.86345819},
      Case{1000000, 0.95, 3.841468120}, Case{1000000, 0.90, 2.705548467},
      Case{20, 0.90, 2.974653017},      Case{20, 0.95, 4.351243503},
      Case{20, 0.98, 6.390667726},      Case{16, 0.90, 3.048109811},
      Case{17, 0.90, 3.026231561},      Case{56, 0.95, 4.012973378}};
  // Asked again in turn, more sizes and levels than are kept: each answer stays its own.
  for (int round = 0; round < 3; ++round) {
    for (const Case& c : cases) {
      SCOPED_TRACE(std::to_string(c.df2) + " at " + std::to_string(c.p));
      EXPECT_NEAR(FOneQuantile(c.df2, c.p), c.f, 2e-6 * c.f);
    }
  }
  EXPECT_EQ(FOneQuantile(0, 0.9), 0);
  EXPECT_EQ(FOneQuantile(10, 1.0), 0);
}

}  // namespace
}  // namespace vornax
