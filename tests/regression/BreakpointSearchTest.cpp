// The one-variable breakpoint search: which type, breakpoint and method win, the thresholds
// between the types, preferences and exclusions. Expected values come from an independent
// calculation of the same rules in a short script, not from the engine.
#include <gtest/gtest.h>

#include <functional>
#include <utility>
#include <vector>

#include "regression/SegmentEngine.h"

namespace vornax {
namespace {

double Noise(int i) { return ((i * 7919) % 101) / 100.0 - 0.5; }

struct SearchRun {
  std::vector<long double> x, y;
  SegmentEngine engine;

  // x = 0 .. 100 (so the candidates are 0, 1, ..., 99) plus `shift`, y from the shape.
  SearchRun(const std::function<double(double)>& shape, double shift = 0) {
    for (int i = 0; i <= 100; ++i) {
      x.push_back(i + shift);
      y.push_back(shape(i) + Noise(i));
    }
  }
  SearchRun(std::vector<long double> xs, std::vector<long double> ys) : x(xs), y(ys) {}

  BreakpointSearchResult Search(int preferred = -1, int excluded = 0,
                                RegressionCarryOver carry = {}) {
    engine.Restore(carry);
    engine.Attach(y.data(), x.data(), static_cast<int>(x.size()));
    engine.ConfidenceT = 1.75;
    engine.FindExtremes();
    BreakpointSearchOptions options;
    options.PreferredType = preferred;
    options.ExcludedType = excluded;
    return SearchBreakpoint(engine, options);
  }
};

double Type3(double x) { return x < 40 ? 5 : 5 + 0.5 * (x - 40); }
double Type4(double x) { return x < 60 ? 2 + 0.5 * x : 32; }
double Type2(double x) { return x < 50 ? 10 + x : 60 + 3 * (x - 50); }
double Type5(double x) { return x < 30 ? 2 : 8; }
double Type6(double x) { return x < 50 ? 10 + 0.5 * x : 55 + 0.5 * (x - 50); }

TEST(BreakpointSearch, ClearTypeThree) {
  SearchRun run(Type3);
  const BreakpointSearchResult r = run.Search();
  EXPECT_NEAR(r.CE1, 0.8832111680325423, 1e-12);
  EXPECT_EQ(r.FoundType, 3);
  EXPECT_EQ(r.BPopt, 40);
  EXPECT_EQ(r.OptMethod, 2);
  EXPECT_EQ(run.engine.OptMethod, 2);
  EXPECT_EQ(run.engine.CarryOver().OptMethod, 2);
  EXPECT_NEAR(r.CE3M, 0.9991590763580928, 1e-12);
  EXPECT_EQ(r.CE4M, r.CE3M);  // nothing later beat it
  EXPECT_EQ(r.CE2M, r.CE3M);
  EXPECT_NEAR(r.CE6M, 1.1 * r.CE3M, 1e-15);
  EXPECT_TRUE(r.PreferredFound);

  // The lines of the winner: level of segment 1 up to 40, then through segment 2's centre.
  SegmentEngine& e = run.engine;
  double bp = r.BPopt, ce = 0;
  int code = kType3;
  e.EvaluateBreakpoint(bp, ce, code, r.OptMethod);
  EXPECT_NEAR(ce, r.CE3M, 1e-15);
  EXPECT_EQ(e.Slope[1], 0);
  EXPECT_NEAR(e.AnchorY[1], 5, 0.1);
  EXPECT_NEAR(e.Slope[2], 0.5, 0.01);
}

TEST(BreakpointSearch, ClearTypeFour) {
  SearchRun run(Type4);
  const BreakpointSearchResult r = run.Search();
  EXPECT_NEAR(r.CE1, 0.8821842827757761, 1e-12);
  EXPECT_EQ(r.FoundType, 4);
  EXPECT_EQ(r.BPopt, 60);
  EXPECT_EQ(r.OptMethod, 2);
  EXPECT_EQ(r.CE3M, r.CE1);  // no type 3 beat the single line
  EXPECT_NEAR(r.CE4M, 0.9991607139153058, 1e-12);
}

TEST(BreakpointSearch, TypeTwoWithTwoSlopes) {
  SearchRun run(Type2);
  const BreakpointSearchResult r = run.Search();
  EXPECT_EQ(r.FoundType, 2);
  EXPECT_EQ(r.BPopt, 50);
  EXPECT_EQ(r.OptMethod, 2);
  EXPECT_NEAR(r.CE1, 0.941233585451817, 1e-12);
  EXPECT_NEAR(r.CE3M, 0.9839789288855044, 1e-12);
  EXPECT_NEAR(r.CE2M, 0.9999765294320986, 1e-12);
}

TEST(BreakpointSearch, TypeFiveStep) {
  SearchRun run(Type5);
  const BreakpointSearchResult r = run.Search();
  EXPECT_EQ(r.FoundType, 5);
  EXPECT_EQ(r.BPopt, 30);
  EXPECT_NEAR(r.CE1, 0.6268478630393566, 1e-12);
  EXPECT_NEAR(r.CE4M, 0.8422158997277965, 1e-12);
  EXPECT_NEAR(r.CE5M, 0.9888700689581181, 1e-12);
}

TEST(BreakpointSearch, NoisyLineStaysTypeOne) {
  SearchRun run([](double x) { return 3 + 0.2 * x + 4 * Noise(static_cast<int>(x)); });
  // The carried method survives a search that replaces nothing.
  const BreakpointSearchResult r = run.Search(-1, 0, {0, 0, 2});
  EXPECT_EQ(r.FoundType, 1);
  EXPECT_EQ(r.BPopt, 0);
  EXPECT_NEAR(r.CE1, 0.9429977116704805, 1e-12);
  EXPECT_EQ(r.CE5M, r.CE1);
  EXPECT_EQ(r.OptMethod, 2);
  EXPECT_TRUE(r.PreferredFound);
}

TEST(BreakpointSearch, TypeSixMustBeatTheRestByTenPercent) {
  SearchRun run(Type6);
  BreakpointSearchResult r = run.Search();
  // The jump is fitted best by type 6 (CE 0.99985), but not by 10 % more than type 2.
  EXPECT_EQ(r.FoundType, 2);
  EXPECT_EQ(r.BPopt, 74);
  EXPECT_EQ(r.OptMethod, 1);
  EXPECT_NEAR(r.CE2M, 0.9611249406592023, 1e-12);

  // Preferred, type 6 only has to beat the single line.
  SearchRun preferred(Type6);
  r = preferred.Search(6);
  EXPECT_EQ(r.FoundType, 6);
  EXPECT_EQ(r.BPopt, 50);
  EXPECT_NEAR(r.CE6M, 0.9998506535789106, 1e-12);
  EXPECT_TRUE(r.PreferredFound);
}

TEST(BreakpointSearch, NineDataSetsAreTooFewForABreakpoint) {
  std::vector<long double> xs, ys;
  for (int i = 0; i < 9; ++i) {
    xs.push_back(i);
    ys.push_back(i < 4 ? 5 : 5 + 2 * (i - 4));
  }
  SearchRun run(xs, ys);
  const BreakpointSearchResult r = run.Search();
  EXPECT_EQ(r.FoundType, 1);
  EXPECT_EQ(r.BPopt, 0);
}

TEST(BreakpointSearch, PreferredTypeNotFound) {
  SearchRun run(Type3);
  const BreakpointSearchResult r = run.Search(4);
  EXPECT_EQ(r.FoundType, 3);
  EXPECT_FALSE(r.PreferredFound);

  SearchRun three(Type3);
  EXPECT_TRUE(three.Search(3).PreferredFound);

  // Preferring the single line skips the search.
  SearchRun single(Type3);
  const BreakpointSearchResult s = single.Search(1);
  EXPECT_EQ(s.FoundType, 1);
  EXPECT_TRUE(s.PreferredFound);
  EXPECT_EQ(s.CE3M, 0);
  EXPECT_EQ(s.CE6M, 0);
}

TEST(BreakpointSearch, ExcludedTypes) {
  SearchRun run(Type3);
  BreakpointSearchResult r = run.Search(-1, 3);
  EXPECT_EQ(r.CE3M, r.CE1);
  EXPECT_EQ(r.FoundType, 2);
  EXPECT_EQ(r.BPopt, 41);
  EXPECT_NEAR(r.CE2M, 0.9989244621040, 1e-12);

  SearchRun step(Type5);
  r = step.Search(-1, 5);
  EXPECT_EQ(r.CE5M, r.CE4M);
  EXPECT_EQ(r.FoundType, 6);
  EXPECT_EQ(r.BPopt, 31);
  EXPECT_NEAR(r.CE6M, 0.954138811847, 1e-11);
}

TEST(BreakpointSearch, ExcludingALaterTypeKeepsThePreferenceBar) {
  // Type 3 preferred: types after it need 1.5 times its CE, also when type 4 is excluded.
  SearchRun run(Type3);
  const BreakpointSearchResult r = run.Search(3, 4);
  EXPECT_EQ(r.FoundType, 3);
  EXPECT_TRUE(r.PreferredFound);
  EXPECT_EQ(r.CE4M, r.CE3M);
  EXPECT_NEAR(r.CE5M, 1.5 * r.CE3M, 1e-15);
}

TEST(BreakpointSearch, TiesKeepTheSmallerBreakpoint) {
  // A gap from 19 to 30: every candidate in it splits the data the same way and two horizontal
  // lines do not depend on BP, so all of them reach the same CE. The first one (19.11) wins.
  std::vector<long double> xs, ys;
  for (int i = 0; i < 40; ++i) {
    xs.push_back(i < 20 ? i : i + 10);
    ys.push_back((i < 20 ? 1 : 5) + Noise(i));
  }
  SearchRun run(xs, ys);
  const BreakpointSearchResult r = run.Search();
  EXPECT_EQ(r.FoundType, 5);
  EXPECT_GT(r.BPopt, 19);
  EXPECT_LT(r.BPopt, 19.5);
  EXPECT_NEAR(r.CE5M, 0.979469578459, 1e-11);
}

TEST(BreakpointSearch, ConstantYFindsNoBreakpoint) {
  // Y does not vary at all, so nothing can be explained: every coefficient of explanation is 0
  // and the single line stays. The sums of this level carried enough rounding to make a
  // "type 2" with CE 0.99999999999 out of it.
  std::vector<long double> xs, ys;
  for (const auto& [value, count] : {std::pair{828.6050605491826, 36},
                                     std::pair{828.7163958292113, 29},
                                     std::pair{829.1406001636768, 34}}) {
    for (int i = 0; i < count; ++i) {
      xs.push_back(value);
      ys.push_back(-7.873651252005352);
    }
  }
  SearchRun run(xs, ys);
  const BreakpointSearchResult r = run.Search();
  EXPECT_EQ(r.FoundType, 1);
  EXPECT_EQ(r.BPopt, run.engine.Xmin);
  EXPECT_EQ(r.CE1, 0);
  EXPECT_EQ(r.CE3M, 0);
  EXPECT_EQ(r.CE2M, 0);
}

TEST(BreakpointSearch, DataBeyondAMillion) {
  SearchRun high(Type3, 5e6);
  BreakpointSearchResult r = high.Search();
  EXPECT_EQ(high.engine.Xmin, 5e6);
  EXPECT_EQ(r.FoundType, 3);
  EXPECT_EQ(r.BPopt, 5e6 + 40);
  EXPECT_NEAR(r.CE3M, 0.9991590763580928, 1e-6);

  SearchRun low(Type3, -3e6);
  r = low.Search();
  EXPECT_EQ(low.engine.Xmax, -3e6 + 100);
  EXPECT_EQ(r.FoundType, 3);
  EXPECT_EQ(r.BPopt, -3e6 + 40);
}

}  // namespace
}  // namespace vornax

namespace vornax {
namespace {

TEST(BreakpointSearch, CandidatesOfAFixedBreakpointOrARange) {
  BreakpointSearchOptions fixed;
  fixed.FixedBreakpoint = 41.5;
  EXPECT_EQ(SearchCandidates(0, 100, fixed), std::vector<double>{41.5});
  struct Case {
    double low, high;
    std::vector<double> expected;
  };
  const std::vector<Case> cases = {
      {30, 33, {30, 31, 32, 33}},    // both ends included
      {97.5, 1000, {98, 99}},        // the maximum is never a candidate
      {-5, 1.5, {0, 1}},
      {40.2, 40.8, {}},              // between two candidates
      {150, 200, {}},
  };
  for (const Case& c : cases) {
    BreakpointSearchOptions range;
    range.RangeLow = c.low;
    range.RangeHigh = c.high;
    EXPECT_EQ(SearchCandidates(0, 100, range), c.expected) << c.low << " " << c.high;
  }
  EXPECT_EQ(SearchCandidates(0, 100, {}).size(), 100u);
}

// The search at one fixed breakpoint decides by the same rules: at the breakpoint the full search
// found, it finds the same type, method and fit; the range keeps the breakpoint within it.
TEST(BreakpointSearch, AFixedBreakpointOrARangeGoesThroughTheSameRules) {
  const std::vector<std::pair<int, std::function<double(double)>>> shapes = {
      {3, Type3}, {4, Type4}, {2, Type2}, {5, Type5}, {6, Type6}};
  for (const auto& [type, shape] : shapes) {
    SCOPED_TRACE(type);
    SearchRun full(shape);
    const BreakpointSearchResult searched = full.Search();
    // (The shape of type 6 is found as type 2 here: the rule asks 10 % more of type 6.)
    ASSERT_EQ(searched.FoundType, type == 6 ? 2 : type);
    for (int preferred : {-1, type}) {
      SearchRun one(shape);
      one.engine.Attach(one.y.data(), one.x.data(), static_cast<int>(one.x.size()));
      one.engine.FindExtremes();
      BreakpointSearchOptions options;
      options.PreferredType = preferred < 0 ? -1 : searched.FoundType;
      options.FixedBreakpoint = searched.BPopt;
      const BreakpointSearchResult fixed = SearchBreakpoint(one.engine, options);
      EXPECT_EQ(fixed.FoundType, searched.FoundType);
      EXPECT_EQ(fixed.BPopt, searched.BPopt);
      // Types 5 and 6 have no method: the one carried over stays.
      if (searched.FoundType <= 4) {
        EXPECT_EQ(fixed.OptMethod, searched.OptMethod);
      }
      EXPECT_EQ(fixed.CEopt, searched.CEopt);
      EXPECT_TRUE(fixed.PreferredFound);
    }
  }
  // Type 3 breaks at 40: a range around it finds it again; one beside it finds a breakpoint
  // within the range.
  for (const auto& [low, high] : std::vector<std::pair<double, double>>{{35, 45}, {50, 70}}) {
    SearchRun kept(Type3);
    kept.engine.Attach(kept.y.data(), kept.x.data(), static_cast<int>(kept.x.size()));
    kept.engine.FindExtremes();
    BreakpointSearchOptions range;
    range.RangeLow = low;
    range.RangeHigh = high;
    const BreakpointSearchResult r = SearchBreakpoint(kept.engine, range);
    EXPECT_GT(r.FoundType, 1) << low;
    EXPECT_GE(r.BPopt, low);
    EXPECT_LE(r.BPopt, high);
    if (low < 40) {
      EXPECT_EQ(r.BPopt, 40);
    }
  }
  // A fixed breakpoint where no type with a breakpoint holds gives the single line.
  SearchRun line([](double x) { return 3 + 0.2 * x; });
  line.engine.Attach(line.y.data(), line.x.data(), static_cast<int>(line.x.size()));
  line.engine.FindExtremes();
  BreakpointSearchOptions at50;
  at50.FixedBreakpoint = 50;
  EXPECT_EQ(SearchBreakpoint(line.engine, at50).FoundType, 1);
}

}  // namespace
}  // namespace vornax
