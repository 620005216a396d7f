// The quick bound of the break test: it never claims that a shuffle falls short of a value the
// search reaches, on data chosen to make its double sums suffer, and the test counts the same
// with it as without it.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <limits>
#include <string>
#include <vector>

#include "data/SplitMix64.h"
#include "run/BreakBound.h"
#include "regression/LeastSquaresFit.h"
#include "regression/TwoVariable.h"
#include "run/BreakTest.h"
#include "run/TwoVariableBound.h"

namespace vornax {
namespace {

double Normal(SplitMix64& rng) {
  const double u = rng.Unit(), v = rng.Unit();
  return std::sqrt(-2 * std::log(u)) * std::cos(6.283185307179586 * v);
}

struct HardData {
  std::string name;
  int n;
  std::function<double(int)> x;                      // ascending in i
  std::function<double(double, SplitMix64&)> y;      // at that x
};

const std::vector<HardData>& Cases() {
  static const std::vector<HardData> cases = {
      {"noise about a line", 60, [](int i) { return i; },
       [](double x, SplitMix64& r) { return 0.1 * x + Normal(r); }},
      {"a threshold", 80, [](int i) { return 150.0 * i / 80; },
       [](double x, SplitMix64& r) { return (x < 60 ? 8 : 8 - 0.04 * (x - 60)) + 0.3 * Normal(r); }},
      {"six levels with replicates and a step", 60, [](int i) { return i / 10; },
       [](double x, SplitMix64& r) { return (x < 3 ? 5 : 7) + 0.5 * Normal(r); }},
      {"large offsets, small spread", 50, [](int i) { return 1e7 + 0.01 * i; },
       [](double, SplitMix64& r) { return 1e6 + 1e-3 * Normal(r); }},
      {"nearly a perfect line", 40, [](int i) { return i; },
       [](double x, SplitMix64& r) { return 2 * x + 1e-9 * Normal(r); }},
      {"a side of equal X", 60, [](int i) { return i < 12 ? 0.0 : i - 11.0; },
       [](double x, SplitMix64& r) { return x + Normal(r); }},
      {"heavy tails", 70, [](int i) { return i; },
       [](double, SplitMix64& r) { return Normal(r) / std::max(std::fabs(Normal(r)), 0.05); }},
  };
  return cases;
}

TEST(BreakBound, SplitsWhereTheCandidatesFall) {
  // Ten distinct X 0 .. 9: a candidate needs three data sets on each side, so it splits after
  // 3 to 7 of them; within a range of 4.5 to 6.2 only after 5, 6 and 7. Four replicates each
  // of 0, 1 and 2: the candidates fall after 4 and 8 data sets, where X changes.
  struct Case {
    std::vector<long double> x;
    double low, high;
    std::vector<int> candidates, changes;
  };
  const double all = std::numeric_limits<double>::infinity();
  const std::vector<Case> cases = {
      {{0, 1, 2, 3, 4, 5, 6, 7, 8, 9}, -all, all, {3, 4, 5, 6, 7}, {1, 2, 3, 4, 5, 6, 7, 8, 9}},
      {{0, 1, 2, 3, 4, 5, 6, 7, 8, 9}, 4.5, 6.2, {5, 6, 7}, {1, 2, 3, 4, 5, 6, 7, 8, 9}},
      {{0, 0, 0, 0, 1, 1, 1, 1, 2, 2, 2, 2}, -all, all, {4, 8}, {4, 8}},
  };
  for (const Case& c : cases) {
    BreakpointSearchOptions options;
    options.RangeLow = c.low;
    options.RangeHigh = c.high;
    const int n = static_cast<int>(c.x.size());
    EXPECT_EQ(CandidateSplits(c.x.data(), n, options), c.candidates) << c.low;
    EXPECT_EQ(PlacesWhereXChanges(c.x.data(), n), c.changes);
  }
}

TEST(BreakBound, NeverClaimsAShuffleFallsShortOfWhatItsSearchReaches) {
  // The sharpest question: is the shuffle below its own statistic? The answer must be no, for
  // every shuffle, in one-variable and partial runs alike.
  for (const HardData& c : Cases()) {
    SplitMix64 rng(7);
    std::vector<long double> x(static_cast<size_t>(c.n)), y(x.size());
    for (int i = 0; i < c.n; ++i) x[static_cast<size_t>(i)] = c.x(i);
    for (size_t i = 0; i < y.size(); ++i) y[i] = c.y(static_cast<double>(x[i]), rng);
    const BreakSearchSetup setup;
    long double centre = 0;
    for (const long double v : y) centre += v;
    centre /= c.n;
    // Y about its average, in any order: no line taken off.
    double spread = 0;
    for (const long double v : y) spread += static_cast<double>((v - centre) * (v - centre));
    const ShuffleRounding rounding{spread, 0, spread};
    BreakBound oneVariable(x.data(), c.n, CandidateSplits(x.data(), c.n), rounding);
    BreakBound partial(x.data(), c.n, PlacesWhereXChanges(x.data(), c.n), rounding);
    int settled = 0;
    for (int shuffle = 0; shuffle < 150; ++shuffle) {
      for (size_t k = y.size() - 1; k > 0; --k) std::swap(y[k], y[rng.Below(k + 1)]);
      std::vector<float> about(y.size());
      for (size_t i = 0; i < y.size(); ++i) about[i] = static_cast<float>(y[i] - centre);
      const double s = ExtraExplanationOfBreak(y, x, setup);
      EXPECT_FALSE(oneVariable.Below(about.data(), s)) << c.name << ", shuffle " << shuffle;
      const double level = ExtraExplanationOfLevelStretch(y, x, setup.ConfidenceT);
      EXPECT_FALSE(partial.Below(about.data(), level)) << c.name << ", shuffle " << shuffle;
      // And it does settle clearly higher values, or it would be no use.
      if (oneVariable.Below(about.data(), 2 * s + 0.2)) ++settled;
    }
    if (c.name != "nearly a perfect line") {
      EXPECT_GT(settled, 100) << c.name;
    }
  }
}

TEST(BreakBound, TheTestCountsTheSameWithAndWithoutIt) {
  for (const HardData& c : Cases()) {
    for (const char* analysis : {"one-variable", "partial"}) {
      SplitMix64 rng(11);
      RunResult r;
      r.Valid = true;
      r.HasBreakpoint = true;
      r.Analysis = analysis;
      for (int i = 0; i < c.n; ++i) {
        r.X.push_back(c.x(i));
        r.Y.push_back(c.y(r.X.back(), rng));
      }
      BreakTestOptions options;
      options.Permutations = 99;
      const BreakTestResult fast = RunBreakTest(r, options);
      options.Bound = false;
      const BreakTestResult searched = RunBreakTest(r, options);
      EXPECT_EQ(fast.AtLeastAsLarge, searched.AtLeastAsLarge) << c.name << ", " << analysis;
      EXPECT_EQ(fast.Observed, searched.Observed) << c.name << ", " << analysis;
      EXPECT_EQ(searched.SettledByBound, 0);
      if (c.name == "a threshold") {
        EXPECT_GT(fast.SettledByBound, 90) << analysis;
      }
    }
  }
}

struct TwoVariableData {
  std::string name;
  int n;
  std::function<void(int, SplitMix64&, double&, double&, double&)> point;  // x, z, y of set i
};

const std::vector<TwoVariableData>& TwoVariableCases() {
  static const std::vector<TwoVariableData> cases = {
      {"a threshold in X, a slope in Z", 80,
       [](int, SplitMix64& r, double& x, double& z, double& y) {
         x = 150 * r.Unit();
         z = 150 * r.Unit();
         y = (x < 60 ? 8 : 8 - 0.04 * (x - 60)) + 0.01 * z + 0.3 * Normal(r);
       }},
      {"noise", 60,
       [](int, SplitMix64& r, double& x, double& z, double& y) {
         x = r.Unit();
         z = r.Unit();
         y = Normal(r);
       }},
      {"Z nearly X", 60,
       [](int, SplitMix64& r, double& x, double& z, double& y) {
         x = 10 * r.Unit();
         z = x + 0.01 * Normal(r);
         y = (x < 5 ? 0 : x - 5) + 0.2 * Normal(r);
       }},
      {"a factorial design with replicates", 72,
       [](int i, SplitMix64& r, double& x, double& z, double& y) {
         x = i % 6;
         z = (i / 6) % 4;
         y = (x < 3 ? 2 : 4) + 0.5 * z + 0.4 * Normal(r);
       }},
      {"large offsets", 50,
       [](int, SplitMix64& r, double& x, double& z, double& y) {
         x = 1e6 + r.Unit();
         z = -2e5 + 3 * r.Unit();
         y = 5e5 + 1e-3 * Normal(r);
       }},
  };
  return cases;
}

TEST(BreakBound, TwoVariablesNeverClaimsAShuffleFallsShortOfWhatItsStagesReach) {
  for (const TwoVariableData& c : TwoVariableCases()) {
    SplitMix64 rng(5);
    std::vector<long double> x(static_cast<size_t>(c.n)), z(x.size()), y(x.size());
    for (int i = 0; i < c.n; ++i) {
      double a = 0, b = 0, v = 0;
      c.point(i, rng, a, b, v);
      x[static_cast<size_t>(i)] = a;
      z[static_cast<size_t>(i)] = b;
      y[static_cast<size_t>(i)] = v;
    }
    const std::vector<long double> fitted = LeastSquaresFit(y.data(), c.n, {x.data(), z.data()});
    std::vector<long double> exact(x.size());
    for (size_t i = 0; i < x.size(); ++i) exact[i] = y[i] - fitted[i];
    std::vector<double> residual(exact.begin(), exact.end());
    TwoVariableBound bound(x.data(), z.data(), c.n, SortVariable(x.data(), c.n),
                           SortVariable(z.data(), c.n),
                           RoundingOf(fitted, exact, {x.data(), z.data()}));
    int settled = 0;
    for (int shuffle = 0; shuffle < 60; ++shuffle) {
      for (size_t k = residual.size() - 1; k > 0; --k)
        std::swap(residual[k], residual[rng.Below(k + 1)]);
      std::vector<long double> shuffled(x.size());
      for (size_t i = 0; i < x.size(); ++i) shuffled[i] = fitted[i] + residual[i];
      const double s = ExtraExplanationOfBreaks(shuffled, x, z, TwoVariableChoices{},
                                                RegressionCarryOver{});
      EXPECT_FALSE(bound.Below(residual.data(), s)) << c.name << ", shuffle " << shuffle;
      if (bound.Below(residual.data(), 2 * s + 0.5)) ++settled;
    }
    if (c.name != "Z nearly X" && c.name != "noise") {
      EXPECT_GT(settled, 40) << c.name;
    }
  }
}

TEST(BreakBound, TwoVariableTestCountsTheSameWithAndWithoutIt) {
  for (const TwoVariableData& c : TwoVariableCases()) {
    SplitMix64 rng(3);
    RunResult r;
    r.Valid = true;
    r.HasBreakpoint = true;
    r.Analysis = "two-variable";
    for (int i = 0; i < c.n; ++i) {
      double a = 0, b = 0, v = 0;
      c.point(i, rng, a, b, v);
      r.X.push_back(a);
      r.Z.push_back(b);
      r.Y.push_back(v);
    }
    BreakTestOptions options;
    options.Permutations = 49;
    const BreakTestResult fast = RunBreakTest(r, options);
    options.Bound = false;
    const BreakTestResult searched = RunBreakTest(r, options);
    EXPECT_EQ(fast.AtLeastAsLarge, searched.AtLeastAsLarge) << c.name;
    if (c.name == "a threshold in X, a slope in Z") {
      EXPECT_GT(fast.SettledByBound, 40);
    }
  }
}

}  // namespace
}  // namespace vornax
