// One partial evaluation and the slope deviation that the scans read, on numbers small enough to
// check by hand.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "partial/PartialScan.h"
#include "regression/SegmentEngine.h"

namespace vornax {
namespace {

// X = 0..5, Y = 1, 1, 1, 2, 3, 4: mean Y 2, Syy 8; mean X 2.5, Sxx 17.5.
struct SixPoints {
  std::vector<long double> y{1, 1, 1, 2, 3, 4};
  std::vector<long double> x{0, 1, 2, 3, 4, 5};
  SegmentEngine engine;
  SixPoints() {
    engine.Attach(y.data(), x.data(), 6);
    engine.FindExtremes();
  }
};

TEST(PartialEvaluation, TheSingleLineSetsTheTotals) {
  SixPoints p;
  const double ce = EvaluatePartialBreakpoint(p.engine, 0, kTypeSingle, 2);
  EXPECT_DOUBLE_EQ(static_cast<double>(p.engine.SRYsqT), 8.0);
  EXPECT_DOUBLE_EQ(static_cast<double>(p.engine.TotalSxx), 17.5);
  // Sxy = 2.5 + 1.5 + 0.5 + 0 + 1.5 + 5 = 11: slope 11 / 17.5, explained 11^2 / (17.5 * 8).
  EXPECT_NEAR(p.engine.Slope[2], 11 / 17.5, 1e-15);
  EXPECT_NEAR(ce, 121 / 140.0, 1e-15);
  // The horizontal single line explains nothing.
  EXPECT_NEAR(EvaluatePartialBreakpoint(p.engine, 0, kTypeHorizontal, 2), 0.0, 1e-15);
}

TEST(PartialEvaluation, LevelThenSlopingAtThree) {
  SixPoints p;
  EvaluatePartialBreakpoint(p.engine, 0, kTypeSingle, 2);
  // Level at 1 below 3; from (3, 1) through the centre (4, 3) of X = 3, 4, 5: slope 2, which
  // misses Y = 2 and 4 by 1 each.
  const double ce = EvaluatePartialBreakpoint(p.engine, 3, kType3, 2);
  EXPECT_EQ(p.engine.Slope[1], 0.0);
  EXPECT_DOUBLE_EQ(p.engine.Slope[2], 2.0);
  EXPECT_DOUBLE_EQ(p.engine.SSDFinal[1], 0.0);
  EXPECT_DOUBLE_EQ(p.engine.SSDFinal[2], 2.0);
  EXPECT_DOUBLE_EQ(ce, 0.75);
  // Slope errors sqrt(SSD / ((3 - 2) * Sxx)) with Sxx = 2 on each side.
  EXPECT_DOUBLE_EQ(p.engine.SERC[1], 0.0);
  EXPECT_DOUBLE_EQ(p.engine.SERC[2], 1.0);
  EXPECT_DOUBLE_EQ(p.engine.SESlope, 1.0);
  // Y at the breakpoint: sqrt((2.5 - 3)^2 * 2 / (2 * 17.5) + 2 / (2 * 6)).
  EXPECT_NEAR(p.engine.SDYbp, std::sqrt(0.25 / 17.5 + 1.0 / 6), 1e-15);
}

TEST(PartialEvaluation, SlopingThenLevelAtThree) {
  SixPoints p;
  EvaluatePartialBreakpoint(p.engine, 0, kTypeSingle, 2);
  // From the centre (1, 1) of X = 0, 1, 2 up to (3, 3): slope 1, missing Y = 1 at X = 0 and 2
  // by 1 each; level at 3 above, missing 2 and 4 by 1 each.
  const double ce = EvaluatePartialBreakpoint(p.engine, 3, kType4, 2);
  EXPECT_DOUBLE_EQ(p.engine.Slope[1], 1.0);
  EXPECT_EQ(p.engine.Slope[2], 0.0);
  EXPECT_DOUBLE_EQ(p.engine.SSDFinal[1], 2.0);
  EXPECT_DOUBLE_EQ(p.engine.SSDFinal[2], 2.0);
  EXPECT_DOUBLE_EQ(ce, 0.5);
  EXPECT_DOUBLE_EQ(p.engine.SESlope, 1.0);
}

TEST(PartialEvaluation, TheSlopeDeviationMarksWhatCannotBeComputed) {
  SegmentStats st;
  st.N = 2;
  EXPECT_EQ(PartialSlopeDeviation(st), 0.0);  // too few for statistics
  st.N = 5;
  st.Sxx = 4;
  st.SSD = 0.75;
  st.StDevRC = 0.25;
  EXPECT_EQ(PartialSlopeDeviation(st), 0.25);
  st.SSD = -1e-18;  // a correlation a hair above 1
  EXPECT_EQ(PartialSlopeDeviation(st), 1000000.0);
  st.SSD = 0.75;
  st.Sxx = 0;  // all X equal
  EXPECT_EQ(PartialSlopeDeviation(st), 1000000.0);
}

}  // namespace
}  // namespace vornax
