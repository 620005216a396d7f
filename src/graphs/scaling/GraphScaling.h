// The scaling of graph data: the raw and the extended range of each axis and the label factor
// by which a small range is multiplied so that its tick labels stay readable.
//
// Plain C++ without any window or drawing code: the curve fits use the same ranges to decide
// whether X is shifted, and the graph drawing builds its ticks and captions on these records.
#pragma once

#include <cstddef>
#include <vector>

namespace vornax {

enum class GraphAxis { Horizontal, Vertical };

// The range of one axis.
struct AxisScale {
  double RawMin = 0, RawMax = 0;  // smallest and largest value of the axis array
  double Min = 0, Max = 0;        // the extended range (multiplied by LabelFactor)
  int LabelFactor = 1;            // 1, 10, 100 or 1000
  bool Negative = false;          // the range is dominated by negative values
};

// The raw and extended range of `n` values. The horizontal maximum is widened by 10 % of the
// range, the vertical one by 15 %; the minimum is lowered by 5 % of the widened range, but an
// axis whose values are all zero or more never starts below zero. The extremes start from the
// first value, so any magnitude is found; n == 0 gives an all-zero range.
AxisScale ExtendRange(const double* values, size_t n, GraphAxis axis);

// The factor (1, 10, 100 or 1000) for the extended range of `scale`, by the rules of the axis;
// the last rule that holds decides.
int ChooseLabelFactor(const AxisScale& scale, GraphAxis axis);

struct GraphScale {
  AxisScale Horizontal, Vertical;
};

// Computes both axes from the first `n` values of graphX (horizontal) and graphY (vertical).
// With `outputAvailable` small ranges get their label factor, and the arrays and the extended
// ranges are multiplied by it in place; without, both factors are 1 and nothing is multiplied.
// An analysis always scales without: its fit must not depend on what was shown before.
GraphScale ScaleGraphData(std::vector<double>& graphX, std::vector<double>& graphY, size_t n,
                          bool outputAvailable);

// Divides the arrays by the factors of `scale` and sets the factors back to 1 (the end of every
// drawing).
void UnscaleGraphData(std::vector<double>& graphX, std::vector<double>& graphY, size_t n,
                      GraphScale& scale);

}  // namespace vornax
