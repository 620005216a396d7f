// The permutation test of the break: calibration on pure noise, clear breaks, repeatability.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdio>
#include <cstdint>
#include <vector>

#include "data/DataSet.h"
#include "regression/LeastSquaresFit.h"
#include "regression/SegmentEngine.h"
#include "regression/TwoVariable.h"
#include "run/BreakTest.h"

namespace vornax {
namespace {

// A fixed normal noise source (Box-Muller on SplitMix64), the same on every machine.
class Noise {
 public:
  explicit Noise(uint64_t seed) : rng_(seed) {}
  double Normal() {
    const double u = rng_.Unit(), v = rng_.Unit();
    return std::sqrt(-2 * std::log(u)) * std::cos(6.283185307179586 * v);
  }
  double Unit() { return rng_.Unit(); }

 private:
  SplitMix64 rng_;
};

// A run's numbers as the one-variable analysis leaves them: X ascending, the break found or not.
RunResult Result(const std::vector<double>& x, const std::vector<double>& y) {
  RunResult r;
  r.Valid = true;
  r.Analysis = "one-variable";
  r.X = x;
  r.Y = y;
  const std::vector<long double> lx(x.begin(), x.end()), ly(y.begin(), y.end());
  r.HasBreakpoint = ExtraExplanationOfBreak(ly, lx, BreakSearchSetup{}) > 0;
  return r;
}

TEST(BreakTest, RejectsPureNoiseAtAboutTheNominalRate) {
  // 200 data sets of 40 points of pure noise. The search itself finds a "break" in most of them;
  // the test at 90 % must reject in 10 % of them, give or take 5 points.
  Noise noise(2026);
  BreakTestOptions options;
  options.Permutations = 99;
  int breaks = 0, rejected = 0;
  for (int set = 0; set < 200; ++set) {
    std::vector<double> x(40), y(40);
    for (int i = 0; i < 40; ++i) {
      x[i] = i + 1;
      y[i] = 10 + noise.Normal();
    }
    const RunResult r = Result(x, y);
    if (!r.HasBreakpoint) continue;
    ++breaks;
    options.Seed = static_cast<uint64_t>(set) + 1;
    if (RunBreakTest(r, options).P <= 0.10) ++rejected;
  }
  RecordProperty("breaks_found", breaks);
  RecordProperty("rejected", rejected);
  std::printf("noise: %d of 200 with a break, %d rejected at 90 %%\n", breaks, rejected);
  EXPECT_GT(breaks, 100) << "the search should find a break in most noise, which is the point";
  EXPECT_GE(rejected, 10);
  EXPECT_LE(rejected, 30);
}

TEST(BreakTest, ClearBreaksOnATrendGiveSmallP) {
  // A steep rise to a plateau at X = 25 with a little noise: the straight line already explains
  // much, and the break must still stand far beyond chance.
  Noise noise(7);
  std::vector<double> x(40), y(40);
  for (int i = 0; i < 40; ++i) {
    x[i] = i + 1;
    y[i] = (x[i] < 25 ? 2 + 0.5 * x[i] : 14.5) + 0.3 * noise.Normal();
  }
  const RunResult r = Result(x, y);
  ASSERT_TRUE(r.HasBreakpoint);
  BreakTestOptions options;
  const BreakTestResult t = RunBreakTest(r, options);
  ASSERT_TRUE(t.Done);
  EXPECT_EQ(t.Permutations, 999);
  EXPECT_EQ(t.AtLeastAsLarge, 0);
  EXPECT_DOUBLE_EQ(t.P, 0.001);
  EXPECT_GT(t.Observed, 0.5);
}

TEST(BreakTest, SameSeedSameAnswerWhateverTheThreads) {
  Noise noise(11);
  std::vector<double> x(30), y(30);
  for (int i = 0; i < 30; ++i) {
    x[i] = i;
    y[i] = noise.Normal();
  }
  RunResult r = Result(x, y);
  r.HasBreakpoint = true;  // judge whatever the search makes of it
  BreakTestOptions one, two, other;
  one.Permutations = two.Permutations = other.Permutations = 99;
  one.Threads = 1;
  two.Threads = 2;
  other.Seed = 99;
  const BreakTestResult a = RunBreakTest(r, one), b = RunBreakTest(r, two),
                        c = RunBreakTest(r, other);
  EXPECT_EQ(a.AtLeastAsLarge, b.AtLeastAsLarge);
  EXPECT_EQ(a.P, b.P);
  EXPECT_EQ(a.Observed, c.Observed);
  EXPECT_EQ(c.Seed, 99u);
  // p is (1 + count) / (N + 1) and never 0.
  EXPECT_DOUBLE_EQ(a.P, (1.0 + a.AtLeastAsLarge) / 100.0);
}

TEST(BreakTest, StoppingEarlyCountsTheShufflesInTheirOrder) {
  // Noise, where shuffles reach the observed gain often, and a clear break, where none does.
  // Stopped after h reached it at shuffle l, the same seed run with l shuffles in full must count
  // exactly h, and with l - 1 shuffles h - 1; p = h / l, on one thread as on two.
  Noise noise(31);
  std::vector<double> x(40), y(40), yBreak(40);
  for (int i = 0; i < 40; ++i) {
    x[i] = i + 1;
    y[i] = noise.Normal();
    yBreak[i] = (x[i] < 25 ? 2 + 0.5 * x[i] : 14.5) + 0.3 * noise.Normal();
  }
  RunResult flat = Result(x, y);
  flat.HasBreakpoint = true;
  const RunResult clear = Result(x, yBreak);
  for (const int h : {1, 10}) {
    BreakTestOptions early;
    early.StopAfter = h;
    early.Seed = 5;
    early.Threads = 1;
    const BreakTestResult one = RunBreakTest(flat, early);
    early.Threads = 2;
    const BreakTestResult two = RunBreakTest(flat, early);
    ASSERT_TRUE(one.StoppedEarly) << h;
    EXPECT_EQ(one.AtLeastAsLarge, h);
    EXPECT_LT(one.Permutations, 999);
    EXPECT_EQ(two.Permutations, one.Permutations) << h;
    EXPECT_DOUBLE_EQ(one.P, static_cast<double>(h) / one.Permutations);
    BreakTestOptions full;
    full.Seed = 5;
    full.Permutations = one.Permutations;
    EXPECT_EQ(RunBreakTest(flat, full).AtLeastAsLarge, h) << h;
    full.Permutations = one.Permutations - 1;
    if (full.Permutations > 0) {
      EXPECT_EQ(RunBreakTest(flat, full).AtLeastAsLarge, h - 1) << h;
    }

    const BreakTestResult significant = RunBreakTest(clear, early);
    EXPECT_FALSE(significant.StoppedEarly);
    EXPECT_EQ(significant.Permutations, 999);
    EXPECT_DOUBLE_EQ(significant.P, 0.001);
  }
}

TEST(BreakTest, TheShufflesSearchDecidesAsTheReportsSearch) {
  // Hard data for a search that takes its decisions from the segment statistics: X with many
  // ties, steps of Y, a large offset with little spread, a clean break and plain noise, with and
  // without a preferred or excluded type. 1,400 shuffles of their residuals in all, searched on
  // one engine kept from shuffle to shuffle, must give exactly the full search's statistic.
  struct Case {
    const char* name;
    int n;
    double (*x)(int i, Noise&);
    double (*y)(double x, Noise&);
    int preferred, excluded;
  };
  const Case cases[] = {
      {"ties and noise", 60, [](int i, Noise&) { return static_cast<double>(i / 6); },
       [](double, Noise& e) { return e.Normal(); }, -1, 0},
      {"steps", 80, [](int i, Noise&) { return static_cast<double>(i); },
       [](double x, Noise&) { return std::floor(x / 20); }, -1, 0},
      {"offset and ties", 50, [](int i, Noise&) { return 1000.0 + (i / 5); },
       [](double x, Noise& e) { return 1e6 + (x < 1005 ? 0 : 0.01 * (x - 1005)) + 0.01 * e.Normal(); },
       -1, 0},
      {"break, type 3 preferred", 100, [](int i, Noise&) { return i * 0.1; },
       [](double x, Noise& e) { return (x < 4 ? 2.0 : 2.0 + 0.8 * (x - 4)) + 0.5 * e.Normal(); },
       3, 0},
      {"noise, type 2 excluded", 40, [](int i, Noise& e) { return i + 0.5 * e.Unit(); },
       [](double, Noise& e) { return 10 + e.Normal(); }, -1, 2},
      {"noise about a slope, type 6 preferred", 70, [](int i, Noise&) { return i * 1.0; },
       [](double x, Noise& e) { return 0.05 * x + e.Normal(); }, 6, 0},
      {"a step, type 5 preferred", 50, [](int i, Noise&) { return (i / 2) * 1.0; },
       [](double x, Noise& e) { return (x < 10 ? 3 : 4) + 0.6 * e.Normal(); }, 5, 0},
  };
  int compared = 0, withBreak = 0;
  SegmentEngine kept;
  for (const Case& c : cases) {
    Noise noise(77);
    std::vector<long double> x(static_cast<size_t>(c.n)), y(x.size());
    for (int i = 0; i < c.n; ++i) x[static_cast<size_t>(i)] = c.x(i, noise);
    std::sort(x.begin(), x.end());
    for (size_t i = 0; i < x.size(); ++i) y[i] = c.y(static_cast<double>(x[i]), noise);
    const std::vector<long double> fitted = LeastSquaresFit(y.data(), c.n, {x.data()});
    BreakSearchSetup setup;
    setup.PreferredType = c.preferred;
    setup.ExcludedType = c.excluded;
    SplitMix64 rng(static_cast<uint64_t>(c.n));
    std::vector<long double> shuffled(y.size());
    std::vector<size_t> order(y.size());
    for (int k = 0; k < 200; ++k) {
      for (size_t i = 0; i < order.size(); ++i) order[i] = i;
      for (size_t i = order.size() - 1; i > 0; --i) std::swap(order[i], order[rng.Below(i + 1)]);
      for (size_t i = 0; i < y.size(); ++i) shuffled[i] = fitted[i] + (y[order[i]] - fitted[order[i]]);
      // The report's search on a new engine, the shuffles' search on the engine kept.
      BreakSearchSetup report = setup;
      report.FullSearch = true;
      SegmentEngine fresh;
      const double full = ExtraExplanationOfBreak(fresh, shuffled.data(), x.data(), c.n, report);
      const double fast = ExtraExplanationOfBreak(kept, shuffled.data(), x.data(), c.n, setup);
      ASSERT_EQ(fast, full) << c.name << ", shuffle " << k;
      ++compared;
      withBreak += full > 0;
    }
  }
  EXPECT_EQ(compared, 1400);
  EXPECT_GT(withBreak, 200) << "most shuffles should make the search find some break";
}

TEST(BreakTest, ACancelledTestIsNotDone) {
  std::vector<double> x(40), y(40);
  for (int i = 0; i < 40; ++i) {
    x[i] = i;
    y[i] = i < 20 ? 1.0 : 1.0 + 0.5 * (i - 20);
  }
  RunResult r = Result(x, y);
  ASSERT_TRUE(BreakTestApplies(r));
  for (int threads : {1, 2}) {
    std::atomic<int> asked{0};
    BreakTestOptions options;
    options.Threads = threads;
    options.Cancelled = [&] { return ++asked > 5; };
    const BreakTestResult t = RunBreakTest(r, options);
    EXPECT_TRUE(t.Cancelled) << threads;
    EXPECT_FALSE(t.Done) << threads;
    EXPECT_EQ(t.Permutations, 0) << threads;
    EXPECT_LT(asked.load(), 999) << threads;
  }
}

TEST(BreakTest, NotRunWithoutABreakOrForOtherAnalyses) {
  RunResult r = Result({1, 2, 3, 4, 5, 6}, {1, 2, 3, 4, 5, 6});
  r.HasBreakpoint = false;
  EXPECT_FALSE(BreakTestApplies(r));
  EXPECT_FALSE(RunBreakTest(r, BreakTestOptions{}).Done);
  r.HasBreakpoint = true;
  r.Analysis = "quadratic";
  EXPECT_FALSE(BreakTestApplies(r));
  r.Analysis = "one-variable";
  BreakTestOptions none;
  none.Permutations = 0;
  EXPECT_FALSE(RunBreakTest(r, none).Done);
}


// A two-variable run's numbers, as the analysis leaves them, on 100 data sets with X and Z spread
// over 0 .. 10 and Y = shape(X) + 0.3 Z + normal noise of the given size.
template <class Shape>
RunResult TwoVariableRun(Noise& noise, double noiseSd, Shape shape) {
  TDMVornax data;
  data.Resize(100);
  data.NrOfData = 100;
  for (size_t i = 0; i < 100; ++i) {
    data.XData[i] = 10 * noise.Unit();
    data.ZData[i] = 10 * noise.Unit();
    data.YData[i] = shape(static_cast<double>(data.XData[i])) +
                    0.3 * static_cast<double>(data.ZData[i]) + noiseSd * noise.Normal();
  }
  TwoVariableChoices choices;
  RegressionCarryOver carry;
  TwoVariableResult result;
  RunResult r;
  if (AnalyseTwoVariables(data.YData.data(), data.XData.data(), data.ZData.data(), 100, choices,
                          carry, result)) {
    return r;
  }
  FillRunResult(result, choices, RegressionCarryOver{}, data, r);
  return r;
}

TEST(BreakTest, TwoVariableBreaksAreJudgedAgainstThePlane) {
  // A clear break in X (level 5, then rising by 2 from X = 5) beside a slope on Z: the first
  // stage takes it, and only a comparison with the plane of X and Z sees it. Pure noise must
  // give p below 0.1 in about one run in ten.
  struct Case {
    const char* name;
    double noiseSd;
    double (*shape)(double);
    int minBelow05, maxBelow05, minBelow10, maxBelow10;
  };
  const Case cases[] = {
      {"break in X", 0.7, [](double x) { return x < 5 ? 5.0 : 5.0 + 2 * (x - 5); }, 20, 20, 20, 20},
      {"pure noise", 1.0, [](double) { return 0.0; }, 0, 4, 0, 6},
  };
  for (const Case& c : cases) {
    Noise noise(30);
    BreakTestOptions options;
    options.Permutations = 199;
    int below05 = 0, below10 = 0;
    for (int set = 0; set < 20; ++set) {
      RunResult r = TwoVariableRun(noise, c.noiseSd, c.shape);
      ASSERT_TRUE(r.Valid) << c.name;
      // The plane's share is what the summary shows beside the overall one.
      if (c.minBelow05 > 0) {
        EXPECT_GT(r.CE, r.CEWithoutBreaks) << c.name;
      }
      if (!BreakTestApplies(r)) continue;
      options.Seed = static_cast<uint64_t>(set) + 1;
      const BreakTestResult t = RunBreakTest(r, options);
      below05 += t.P < 0.05;
      below10 += t.P < 0.10;
    }
    std::printf("%s: %d of 20 below 0.05, %d below 0.1\n", c.name, below05, below10);
    EXPECT_GE(below05, c.minBelow05) << c.name;
    EXPECT_LE(below05, c.maxBelow05) << c.name;
    EXPECT_GE(below10, c.minBelow10) << c.name;
    EXPECT_LE(below10, c.maxBelow10) << c.name;
  }
}

TEST(BreakTest, ALevelStretchOfAPartialRegression) {
  // Rising by 0.4 up to X = 30, level beyond, a little noise: the range of no effect is real.
  Noise noise(3);
  RunResult r;
  r.Valid = true;
  r.Analysis = "partial";
  r.HasBreakpoint = true;
  for (int i = 0; i < 50; ++i) {
    const double x = i + 1;
    r.X.push_back(x);
    r.Y.push_back((x < 30 ? 0.4 * x : 12) + 0.3 * noise.Normal());
  }
  ASSERT_TRUE(BreakTestApplies(r));
  const std::vector<long double> lx(r.X.begin(), r.X.end()), ly(r.Y.begin(), r.Y.end());
  EXPECT_GT(ExtraExplanationOfLevelStretch(ly, lx, 1.75), 0.5);
  BreakTestOptions options;
  options.Permutations = 99;
  const BreakTestResult t = RunBreakTest(r, options);
  ASSERT_TRUE(t.Done);
  EXPECT_EQ(t.AtLeastAsLarge, 0);
  // A straight line has no level stretch to find.
  std::vector<long double> line(50);
  for (size_t i = 0; i < 50; ++i) line[i] = 2 * lx[i] + 1;
  EXPECT_EQ(ExtraExplanationOfLevelStretch(line, lx, 1.75), 0);
}

}  // namespace
}  // namespace vornax
