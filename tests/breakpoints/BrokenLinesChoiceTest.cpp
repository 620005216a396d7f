// How many breakpoints `auto` reports, calibrated on generated series: a straight line plus noise
// must mostly give none, a line with two clear breaks must give two. The rule is the program's
// (one breakpoint at a time, the climb ends at the first gain the tests do not find
// significant); the permutation tests here make 19 shuffles instead of a run's usual 199 to keep
// the test short: their smallest p, 1/20, is still below the 10 % tested, and a p of at most
// 10 % keeps its chance of 10 % under no break.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <vector>

#include "breakpoints/BrokenLines.h"

namespace vornax {
namespace {

BrokenLinesSetup AutoAt90(uint64_t seed) {
  BrokenLinesSetup setup;
  setup.Choice = -1;
  setup.ConfidenceT = 1.75;  // 90 %
  setup.Permutations = 19;
  setup.Seed = seed;
  setup.Threads = 2;
  return setup;
}

TEST(BrokenLinesChoice, NoiseGivesNoBreakpointAndTwoClearBreaksGiveTwo) {
  std::mt19937_64 rng(20261236);
  std::uniform_real_distribution<double> unit(0, 1);
  std::normal_distribution<double> noise(0, 1);

  // 200 straight lines plus noise, 30 and 100 data sets.
  int none = 0, three = 0;
  for (int s = 0; s < 200; ++s) {
    const int n = s % 2 ? 30 : 100;
    std::vector<long double> x, y;
    for (int i = 0; i < n; ++i) {
      x.push_back(100 * unit(rng));
      y.push_back(5 + 0.2 * x.back() + noise(rng));
    }
    const BrokenLinesOutcome out = AnalyseBrokenLines(x, y, AutoAt90(1000 + s));
    ASSERT_TRUE(out.Done) << "series " << s;
    none += out.Result.Breakpoints == 0;
    three += out.Result.Breakpoints == 3;
  }
  EXPECT_GE(none, 176) << "a straight line plus noise gave breakpoints in " << 200 - none
                       << " of 200 series";
  EXPECT_LE(three, 4);

  // 100 series with two clear breaks, N = 100: the middle segment climbs (or falls) five to ten
  // noise standard deviations away from the first segment's line, and back: the changes of slope
  // times the X range are 20 and 40 noise standard deviations. (With 3 and 6, two breakpoints
  // are found in fewer than one series of ten: so small a break hides in the noise.) What keeps
  // two from 100 % is a third breakpoint found in noise, as often as the level allows.
  constexpr double kChange = 20;
  int found[4] = {0, 0, 0, 0};
  for (int s = 0; s < 100; ++s) {
    std::vector<long double> x, y;
    const double b1 = 25 + 15 * unit(rng), b2 = 60 + 15 * unit(rng);
    const double d = kChange / 100 * (unit(rng) < 0.5 ? 1 : -1);
    for (int i = 0; i < 100; ++i) {
      const double v = 100 * unit(rng);
      const double line = 2 + 0.01 * v + d * std::max(0.0, v - b1) - 2 * d * std::max(0.0, v - b2);
      x.push_back(v);
      y.push_back(line + noise(rng));
    }
    const BrokenLinesOutcome out = AnalyseBrokenLines(x, y, AutoAt90(5000 + s));
    ASSERT_TRUE(out.Done) << "series " << s;
    ++found[out.Result.Breakpoints];
  }
  EXPECT_GE(found[2], 95) << "two clear breaks gave 0, 1, 2, 3 breakpoints in " << found[0] << ", "
                          << found[1] << ", " << found[2] << ", " << found[3] << " of 100 series";
}

TEST(BrokenLinesChoice, TiedXThatLeaveBreakpointsUndeterminedAreRefusedOrStepDown) {
  // Four different X values: two breakpoints fit (the middle segment holds only X = 3), but six
  // parameters on four places leave the breakpoints without standard errors. A number asked for
  // is refused with a message; `auto` reports fewer breakpoints, each with its figures.
  const std::vector<long double> x = {1, 1, 2, 3, 3, 3, 4, 4, 4};
  const std::vector<long double> y = {0.37, -0.91, -0.91, -1.57, -0.03, 0.5, 1.02, -0.14, 1.05};
  BrokenLinesSetup two;
  two.Choice = 2;
  two.ConfidenceT = 1.75;
  const BrokenLinesOutcome fixed = AnalyseBrokenLines(x, y, two);
  EXPECT_FALSE(fixed.Done);
  EXPECT_NE(fixed.Refusal.find("has more parameters than its data can determine"),
            std::string::npos)
      << fixed.Refusal;
  BrokenLinesSetup automatic = AutoAt90(7);
  const BrokenLinesOutcome chosen = AnalyseBrokenLines(x, y, automatic);
  ASSERT_TRUE(chosen.Done) << chosen.Refusal;
  EXPECT_LT(chosen.Result.Breakpoints, 2);
  EXPECT_EQ(static_cast<int>(chosen.Result.Points.size()), chosen.Result.Breakpoints);
  EXPECT_EQ(static_cast<int>(chosen.Result.Segments.size()), chosen.Result.Breakpoints + 1);
}

}  // namespace
}  // namespace vornax
