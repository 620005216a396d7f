// Ticks, captions, the pixel mapping and the arrangement of the graph arrays, with hand-worked
// cases.
#include "graphs/scaling/GraphAxes.h"

#include <gtest/gtest.h>

#include <vector>

namespace vornax {
namespace {

AxisScale Range(double min, double max) {
  AxisScale s;
  s.Min = min;
  s.Max = max;
  return s;
}

TEST(GraphTicks, TheTickTableRowByRow) {
  // 3 .. 8 extended to 2.725 .. 8.5: rnd(2.225) = 2, rnd(9.0) = 9, 7 intervals, 1 decimal.
  AxisTicks t = ComputeTicks(Range(2.725, 8.5), GraphAxis::Horizontal);
  EXPECT_EQ(t.Low, 2);
  EXPECT_EQ(t.High, 9);
  EXPECT_EQ(t.Count, 7);
  EXPECT_EQ(t.Decimals, 1);
  EXPECT_EQ(TickLabel(HorizontalTickValue(t, 1), t.Decimals), "3.0");
  // 0.1 .. 0.5 times 10: 0.8 .. 5.5 -> rnd(0.3) = 0, rnd(6.0) = 6.
  t = ComputeTicks(Range(0.8, 5.5), GraphAxis::Horizontal);
  EXPECT_EQ(t.Low, 0);
  EXPECT_EQ(t.High, 6);
  EXPECT_EQ(t.Count, 6);
  // 0 .. 31.9: step 5, 5 * rnd(-0.5) = 0 (half to even), 5 * rnd(6.88) = 35, 7 intervals.
  t = ComputeTicks(Range(0, 31.9), GraphAxis::Horizontal);
  EXPECT_EQ(t.Low, 0);
  EXPECT_EQ(t.High, 35);
  EXPECT_EQ(t.Count, 7);
  EXPECT_EQ(t.Decimals, 0);
  // 100 .. 240: step 25, 25 * rnd(175 / 50 = 3.5) = 100, 25 * rnd(505 / 50 = 10.1) = 250.
  t = ComputeTicks(Range(100, 240), GraphAxis::Vertical);
  EXPECT_EQ(t.Low, 100);
  EXPECT_EQ(t.High, 250);
  EXPECT_EQ(t.Count, 6);
  // 0 .. 9.6 on the vertical axis: 10 intervals stay (halved only above 10).
  t = ComputeTicks(Range(0, 9.4), GraphAxis::Vertical);
  EXPECT_EQ(t.Count, 10);
  // Beyond 50 000 and beyond 2^31: the range is kept as it is.
  t = ComputeTicks(Range(3.0e9, 9.0e9), GraphAxis::Horizontal);
  EXPECT_EQ(t.Low, 3.0e9);
  EXPECT_EQ(t.High, 9.0e9);
  EXPECT_EQ(t.Count, 10);
  EXPECT_EQ(t.Decimals, 1);
}

TEST(GraphTicks, TooManyAndTooFewIntervals) {
  // -0.4 .. 14.9: step 4 from 10 on, 4 * rnd(-0.6) = -4, 4 * rnd(4.225) = 16, 5 intervals.
  AxisTicks t = ComputeTicks(Range(-0.4, 14.9), GraphAxis::Horizontal);
  EXPECT_EQ(t.Low, -4);
  EXPECT_EQ(t.High, 16);
  EXPECT_EQ(t.Count, 5);
  // 0 .. 2000 falls in the 250 row: 8 intervals. -1000 .. 999 by 100 would be 19 intervals:
  // cut to 10, one decimal more.
  t = ComputeTicks(Range(0, 2000), GraphAxis::Horizontal);
  EXPECT_EQ(t.Count, 8);
  t = ComputeTicks(Range(-1000, 999), GraphAxis::Horizontal);
  EXPECT_EQ(t.Count, 10);
  EXPECT_EQ(t.Decimals, 1);
  // 2 intervals (4 * rnd(2) = 8 .. 4 * rnd(4.5) = 16): widened to 4, one decimal since the end
  // is below 100.
  t = ComputeTicks(Range(10, 16), GraphAxis::Horizontal);
  EXPECT_EQ(t.Low, 8);
  EXPECT_EQ(t.High, 16);
  EXPECT_EQ(t.Count, 4);
  EXPECT_EQ(t.Decimals, 1);
  // 5 * rnd(7.5) = 40 .. 5 * rnd(10.1) = 50.
  t = ComputeTicks(Range(40, 48), GraphAxis::Horizontal);
  EXPECT_EQ(t.High, 50);
  EXPECT_EQ(t.Count, 4);
  EXPECT_EQ(t.Decimals, 1);
  // From 100 on no decimal is added.
  t = ComputeTicks(Range(400, 450), GraphAxis::Horizontal);
  EXPECT_EQ(t.Count, 4);
  EXPECT_EQ(t.Decimals, 0);
}

TEST(GraphMapping, PixelsWithHalvesToEven) {
  AxisTicks t;
  t.Low = 0;
  t.High = 1000;
  t.Count = 4;
  EXPECT_EQ(MapHorizontal(0, t), 70);
  EXPECT_EQ(MapHorizontal(1000, t), 570);
  EXPECT_EQ(MapHorizontal(1, t), 70);   // 0.5 -> 0
  EXPECT_EQ(MapHorizontal(3, t), 72);   // 1.5 -> 2
  EXPECT_EQ(MapVertical(0, t), 360);
  EXPECT_EQ(MapVertical(1000, t), 60);
  EXPECT_EQ(MapVertical(5, t), 358);    // 1.5 -> 2
  // Equal ends: the value minus the low end, unscaled.
  t.High = 0;
  EXPECT_EQ(MapHorizontal(7, t), 77);
  EXPECT_EQ(RoundHalfEvenToInteger(2.5), 2);
  EXPECT_EQ(RoundHalfEvenToInteger(-2.5), -2);
  EXPECT_EQ(RoundHalfEvenToInteger(3.5), 4);
}

TEST(GraphCaptions, EveryFactorHasItsCaption) {
  EXPECT_EQ(SetAxisCaptions(0, false, 1, 1).Horizontal, "X-Data");
  EXPECT_EQ(SetAxisCaptions(0, false, 10, 1).Horizontal, "X-data * 10");
  EXPECT_EQ(SetAxisCaptions(0, false, 1000, 1).Horizontal, "X-data * 1000");
  EXPECT_EQ(SetAxisCaptions(0, false, 1, 1000).Vertical, " Y-data * 1000");
  EXPECT_EQ(SetAxisCaptions(0, true, 100, 1).Horizontal, "Z-data * 100");
  EXPECT_EQ(SetAxisCaptions(12, false, 1, 1).Horizontal, "Z-Data");
  EXPECT_EQ(SetAxisCaptions(14, false, 1, 10).Vertical, " YXr residuals * 10");
  EXPECT_EQ(SetAxisCaptions(16, false, 1, 1).Vertical, " YZr residuals");
  EXPECT_EQ(SetAxisCaptions(16, false, 1, 1).Horizontal, "X-Data");
  const AxisCaptions calcObs = SetAxisCaptions(18, false, 10, 1);
  EXPECT_EQ(calcObs.Horizontal, "Ycalc * 10");
  EXPECT_EQ(calcObs.Vertical, " Yobs");
  EXPECT_EQ(SetAxisCaptions(21, false, 1, 1).Horizontal, "Z-Data");
  EXPECT_EQ(SetAxisCaptions(21, false, 1, 1).Vertical, " X-Data");
  const AxisCaptions xz = SetAxisCaptions(22, false, 1, 1);
  EXPECT_EQ(xz.Horizontal, " X-Data");
  EXPECT_EQ(xz.Vertical, " Z-Data");
}

GraphData TwoVariableData(const char* tag) {
  GraphData g;
  g.OutputTag = tag;
  g.NrOfRows = 2;
  g.GraphX = {1, 2};
  g.GraphY = {10, 20};
  g.GraphZ = {100, 200};
  g.GraphResidual = {-1, 1};
  g.GraphYcalc = {11, 19};
  g.First.Type = 3;
  g.Second.Type = 1;
  return g;
}

TEST(GraphArrangement, ColumnsForEveryKind) {
  GraphData g = TwoVariableData(" Y-X");
  GraphArrangement a = ArrangeGraphArrays(g, GraphKind::YX);
  EXPECT_EQ(a.LabelCode, 10);
  EXPECT_EQ(a.GraphType, 3);
  EXPECT_EQ(g.GraphX, (std::vector<double>{1, 2}));

  g = TwoVariableData(" Y-X");
  a = ArrangeGraphArrays(g, GraphKind::Residuals);
  EXPECT_EQ(a.LabelCode, 15);
  EXPECT_EQ(a.Regression, &g.Second);
  EXPECT_EQ(g.GraphX, (std::vector<double>{100, 200}));
  EXPECT_EQ(g.GraphY, (std::vector<double>{-1, 1}));

  g = TwoVariableData(" Y-Z");
  a = ArrangeGraphArrays(g, GraphKind::YX);
  EXPECT_EQ(a.LabelCode, 12);
  EXPECT_EQ(g.GraphX, (std::vector<double>{100, 200}));

  g = TwoVariableData(" Y-X");
  a = ArrangeGraphArrays(g, GraphKind::CalcObs);
  EXPECT_EQ(a.LabelCode, 18);
  EXPECT_EQ(a.GraphType, 1);
  EXPECT_EQ(g.GraphX, (std::vector<double>{11, 19}));

  g = TwoVariableData(" Y-X");
  a = ArrangeGraphArrays(g, GraphKind::XZ);
  EXPECT_EQ(a.LabelCode, 21);
  EXPECT_EQ(g.GraphX, (std::vector<double>{100, 200}));
  EXPECT_EQ(g.GraphY, (std::vector<double>{1, 2}));

  g = TwoVariableData(" Y-Z");
  a = ArrangeGraphArrays(g, GraphKind::XZ);
  EXPECT_EQ(a.LabelCode, 22);
  EXPECT_EQ(g.GraphY, (std::vector<double>{100, 200}));

  // A one-variable output has no Z to plot: the Y-X graph.
  g = TwoVariableData(" Fun");
  a = ArrangeGraphArrays(g, GraphKind::XZ);
  EXPECT_EQ(a.Kind, GraphKind::YX);
  EXPECT_EQ(a.LabelCode, 0);
}

TEST(GraphCaptions, ColumnNamesFromTheSecondTitle) {
  struct Case {
    std::string title, y, x, z;
  };
  const std::vector<Case> cases = {
      // As input files are titled, and as an imported table's title lists its header.
      {" Y = grain yield (t/ha), X = average depth of the water table (cm)", "grain yield (t/ha)",
       "average depth of the water table (cm)", ""},
      {"Y: Yield, t/ha, X: depth, Z: salinity, weight: plots", "Yield, t/ha", "depth", "salinity"},
      {"Y=yield;X=depth", "yield", "depth", ""},
      {"Z: salinity (dS/m), Y: cane", "cane", "", "salinity (dS/m)"},
      // No names: the captions stay.
      {"Wheat trial 1998", "", "", ""},
      {"XY = 3, max Y", "", "", ""},
      {"", "", "", ""},
  };
  for (const Case& c : cases) {
    const ColumnNames n = ColumnNamesOf(c.title);
    EXPECT_EQ(n.Y, c.y) << c.title;
    EXPECT_EQ(n.X, c.x) << c.title;
    EXPECT_EQ(n.Z, c.z) << c.title;
  }
  const ColumnNames names{"yield", "Depth (cm)", "salinity"};
  struct Named {
    int labelCode, fx, fy;
    std::string horizontal, vertical;
  };
  for (const Named& c : std::vector<Named>{
           {0, 1, 1, "Depth (cm)", " yield"},
           {0, 10, 100, "Depth (cm) * 10", " yield * 100"},
           {0, 1000, 1, "Depth (cm) * 1000", " yield"},
           {14, 1, 1, "salinity", " YXr residuals"},
           {18, 1, 1, "Ycalc", " Yobs"},
           {22, 1, 1, " Depth (cm)", " salinity"}}) {
    AxisCaptions captions = SetAxisCaptions(c.labelCode, false, c.fx, c.fy);
    NameAxisCaptions(captions, names);
    EXPECT_EQ(captions.Horizontal, c.horizontal) << c.labelCode;
    EXPECT_EQ(captions.Vertical, c.vertical) << c.labelCode;
  }
  // Without names the captions are left as they are.
  AxisCaptions plain = SetAxisCaptions(0, false, 10, 1);
  NameAxisCaptions(plain, ColumnNames{});
  EXPECT_EQ(plain.Horizontal, "X-data * 10");
  EXPECT_EQ(plain.Vertical, " Y-Data");
}

}  // namespace
}  // namespace vornax
