// The axes of a graph: which columns of the graph data become the horizontal and vertical
// values for the chosen graph, the tick table, the captions and the mapping of values to pixels
// on the fixed plot frame. Plain C++: the drawing builds on it, and tests check it without Qt.
#pragma once

#include <string>

#include "data/GraphData.h"
#include "graphs/scaling/GraphScaling.h"

namespace vornax {

// The fixed plot frame of every graph: a 623 × 425 bitmap, the origin at (70, 360), a plot of
// 500 × 300 pixels.
inline constexpr int kGraphWidth = 623;
inline constexpr int kGraphHeight = 425;
inline constexpr int kPlotLeft = 70;
inline constexpr int kPlotBottom = 360;
inline constexpr int kPlotWidth = 500;
inline constexpr int kPlotHeight = 300;

// The graphs a user can ask for.
enum class GraphKind {
  YX = 1,          // Y against the first variable with the fitted function (one variable: 0)
  Residuals = 2,   // the first stage's residuals against the second variable
  CalcObs = 3,     // observed against calculated
  YZ = 4,          // data plot of Y against Z
  XZ = 5,          // data plot of X against Z
};

// The rounding of pixel positions and ticks: to the nearest integer, halves to even.
long long RoundHalfEvenToInteger(double value);

// The ticks of one axis, as 64-bit reals so that any magnitude keeps its range.
struct AxisTicks {
  double Low = 0, High = 0;
  int Count = 4;
  int Decimals = 0;
};

// The tick table on an extended (and multiplied) range.
AxisTicks ComputeTicks(const AxisScale& scale, GraphAxis axis);
// The label of a tick: fixed-point with `decimals` decimals in a field of decimals + 2.
std::string TickLabel(double value, int decimals);
// The value of tick i (0 .. Count) counted from the start of the horizontal axis (left) or from
// the top of the vertical axis.
double HorizontalTickValue(const AxisTicks& t, int i);
double VerticalTickValue(const AxisTicks& t, int i);

// Pixel positions of a value on the plot frame (not clipped).
int MapHorizontal(double u, const AxisTicks& t);
int MapVertical(double v, const AxisTicks& t);

// What the arrangement decided for one graph.
struct GraphArrangement {
  GraphKind Kind = GraphKind::YX;
  int LabelCode = 0;             // 0 or 10 .. 22: selects captions; below 18 a function is drawn
  int GraphType = 1;             // the function type drawn (1 for the plots)
  const GraphRegression* Regression = nullptr;  // the regression drawn (first or second)
  bool DrawFunction() const { return LabelCode < 18; }
};

// Rearranges the graph arrays of `g` so that GraphX holds the horizontal and GraphY the vertical
// values of the graph of `kind`. Kinds 2, 4 and 5 need a two-variable output; on any other
// output they fall back to the Y-X graph.
GraphArrangement ArrangeGraphArrays(GraphData& g, GraphKind kind);

struct AxisCaptions {
  std::string Horizontal, Vertical;
};

// The captions from the label code, the variable option of the output (0 one variable as in the
// table, 1 first only, 2 second only) and the two label factors; every factor has its suffix.
AxisCaptions SetAxisCaptions(int labelCode, bool horizontalIsZ, int horizontalFactor,
                             int verticalFactor);

// The names of the data's columns as a second title gives them: "Y = grain yield (t/ha), X =
// depth of the water table (cm)" as input files are commonly titled, or "Y: yield, X: depth" as
// an imported table's title lists its header. Empty where the title names none.
struct ColumnNames {
  std::string Y, X, Z;
};
ColumnNames ColumnNamesOf(const std::string& title);

// Puts the columns' names in place of the captions "X-Data", "Y-Data" and "Z-Data" (keeping
// a factor's suffix); residual and calculated-observed captions stay as they are.
void NameAxisCaptions(AxisCaptions& captions, const ColumnNames& names);

}  // namespace vornax
