// Range extension and label factors of the graph axes, with hand-computed ranges.
#include "graphs/scaling/GraphScaling.h"

#include <gtest/gtest.h>

#include <vector>

namespace vornax {
namespace {

TEST(GraphScaling, HorizontalAndVerticalRangesAreWidenedByTheirOwnMargins) {
  // 3 .. 8: max 8 + 0.1*5 = 8.5, min 3 - 0.05*(8.5 - 3) = 2.725.
  const std::vector<double> x = {5, 3, 8, 4};
  AxisScale h = ExtendRange(x.data(), x.size(), GraphAxis::Horizontal);
  EXPECT_DOUBLE_EQ(h.RawMin, 3);
  EXPECT_DOUBLE_EQ(h.RawMax, 8);
  EXPECT_DOUBLE_EQ(h.Max, 8.5);
  EXPECT_DOUBLE_EQ(h.Min, 2.725);
  EXPECT_FALSE(h.Negative);
  // Vertical: 8 + 0.15*5 = 8.75, 3 - 0.05*5.75 = 2.7125.
  AxisScale v = ExtendRange(x.data(), x.size(), GraphAxis::Vertical);
  EXPECT_DOUBLE_EQ(v.Max, 8.75);
  EXPECT_DOUBLE_EQ(v.Min, 2.7125);
}

TEST(GraphScaling, NonNegativeAxisNeverStartsBelowZeroButNegativeDataExtendDownwards) {
  const std::vector<double> fromZero = {0, 2, 10};
  AxisScale s = ExtendRange(fromZero.data(), fromZero.size(), GraphAxis::Vertical);
  EXPECT_DOUBLE_EQ(s.Min, 0);
  EXPECT_DOUBLE_EQ(s.Max, 11.5);
  const std::vector<double> negative = {-10, -2};
  s = ExtendRange(negative.data(), negative.size(), GraphAxis::Horizontal);
  EXPECT_DOUBLE_EQ(s.Max, -1.2);
  EXPECT_DOUBLE_EQ(s.Min, -10 - 0.05 * 8.8);
  EXPECT_TRUE(s.Negative);
}

TEST(GraphScaling, ExtremesStartFromTheFirstValueSoAnyMagnitudeIsFound) {
  // Start values like -1,000,000 / 10,000,000 would miss both extremes here.
  const std::vector<double> big = {3e7, 5e7, 4e7};
  AxisScale s = ExtendRange(big.data(), big.size(), GraphAxis::Horizontal);
  EXPECT_DOUBLE_EQ(s.RawMin, 3e7);
  EXPECT_DOUBLE_EQ(s.RawMax, 5e7);
  const std::vector<double> low = {-3e6, -5e6};
  s = ExtendRange(low.data(), low.size(), GraphAxis::Vertical);
  EXPECT_DOUBLE_EQ(s.RawMax, -3e6);
  EXPECT_DOUBLE_EQ(s.RawMin, -5e6);
  s = ExtendRange(nullptr, 0, GraphAxis::Vertical);
  EXPECT_EQ(s.Max, 0);
  EXPECT_EQ(s.Min, 0);
}

TEST(GraphScaling, LabelFactorsFollowTheLastRuleThatHolds) {
  auto factor = [](std::vector<double> v, GraphAxis axis) {
    return ChooseLabelFactor(ExtendRange(v.data(), v.size(), axis), axis);
  };
  EXPECT_EQ(factor({0.1, 0.5}, GraphAxis::Horizontal), 10);     // max 0.54
  EXPECT_EQ(factor({0.01, 0.05}, GraphAxis::Horizontal), 100);  // max 0.054
  EXPECT_EQ(factor({0.001, 0.005}, GraphAxis::Horizontal), 1000);
  EXPECT_EQ(factor({3, 8}, GraphAxis::Horizontal), 1);
  EXPECT_EQ(factor({0.001, 0.005}, GraphAxis::Vertical), 1000);  // min > 0, max < 0.01
  EXPECT_EQ(factor({0.02, 0.06}, GraphAxis::Vertical), 100);
  EXPECT_EQ(factor({-0.5, -0.2}, GraphAxis::Vertical), 10);      // negative, -1 < min < -0.1
  EXPECT_EQ(factor({-0.05, -0.02}, GraphAxis::Vertical), 100);
  EXPECT_EQ(factor({-0.005, -0.002}, GraphAxis::Vertical), 1000);
}

TEST(GraphScaling, FactorsApplyOnlyWithAnOutputAndAreUndoneAfterDrawing) {
  std::vector<double> x = {0.1, 0.3, 0.5}, y = {-0.5, -0.3, -0.2};
  GraphScale none = ScaleGraphData(x, y, 3, false);
  EXPECT_EQ(none.Horizontal.LabelFactor, 1);
  EXPECT_EQ(none.Vertical.LabelFactor, 1);
  EXPECT_DOUBLE_EQ(x[2], 0.5);

  GraphScale g = ScaleGraphData(x, y, 3, true);
  EXPECT_EQ(g.Horizontal.LabelFactor, 10);
  EXPECT_EQ(g.Vertical.LabelFactor, 10);
  EXPECT_TRUE(g.Vertical.Negative);
  EXPECT_DOUBLE_EQ(x[2], 5);
  EXPECT_DOUBLE_EQ(y[0], -5);
  EXPECT_NEAR(g.Horizontal.Max, 5.4, 1e-12);
  UnscaleGraphData(x, y, 3, g);
  EXPECT_EQ(g.Horizontal.LabelFactor, 1);
  EXPECT_DOUBLE_EQ(x[2], 0.5);
  EXPECT_DOUBLE_EQ(y[0], -0.5);
  EXPECT_NEAR(g.Horizontal.Max, 0.54, 1e-15);
}

}  // namespace
}  // namespace vornax
