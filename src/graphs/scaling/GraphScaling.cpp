// Range extension and label factors of the graph axes.
#include "graphs/scaling/GraphScaling.h"

#include <algorithm>
#include <cmath>

namespace vornax {

AxisScale ExtendRange(const double* values, size_t n, GraphAxis axis) {
  AxisScale s;
  if (n == 0) return s;
  double lo = values[0], hi = values[0];
  for (size_t i = 1; i < n; ++i) {
    lo = std::min(lo, values[i]);
    hi = std::max(hi, values[i]);
  }
  s.RawMin = lo;
  s.RawMax = hi;
  const double widen = axis == GraphAxis::Horizontal ? 0.1 : 0.15;
  s.Max = hi + widen * (hi - lo);
  s.Min = lo - 0.05 * (s.Max - lo);
  if (lo >= 0 && s.Min < 0) s.Min = lo;
  s.Negative = s.Min < 0 && std::fabs(s.Max) < std::fabs(s.Min);
  return s;
}

int ChooseLabelFactor(const AxisScale& scale, GraphAxis axis) {
  const double M = scale.Max, m = scale.Min;
  int factor = 1;
  if (!scale.Negative) {
    if (axis == GraphAxis::Horizontal) {
      if (M < 0.01) factor = 1000;
      if (0.01 < M && M < 0.1) factor = 100;
      if (0.1 < M && M < 2.0) factor = 10;
    } else {
      if (m < -0.01 && M < 0.1) factor = 10;
      if (m < -0.001 && M < 0.01) factor = 100;
      if (m > 0 && M < 0.01) factor = 1000;
      if (m > 0 && 0.01 < M && M < 0.1) factor = 100;
      if (0.1 < M && M < 2.0) factor = 10;
    }
  } else {
    if (M < 0 && m > -0.01) factor = 1000;
    if (M < 0 && -0.1 < m && m < -0.01) factor = 100;
    if (M < 0 && -1.0 < m && m < -0.1) factor = 10;
  }
  return factor;
}

namespace {

void ApplyFactor(std::vector<double>& values, size_t n, AxisScale& scale, GraphAxis axis) {
  scale.LabelFactor = ChooseLabelFactor(scale, axis);
  if (scale.LabelFactor == 1) return;
  const double f = scale.LabelFactor;
  scale.Min *= f;
  scale.Max *= f;
  for (size_t i = 0; i < n && i < values.size(); ++i) values[i] *= f;
}

void RemoveFactor(std::vector<double>& values, size_t n, AxisScale& scale) {
  if (scale.LabelFactor != 1) {
    const double f = scale.LabelFactor;
    for (size_t i = 0; i < n && i < values.size(); ++i) values[i] /= f;
    scale.Min /= f;
    scale.Max /= f;
  }
  scale.LabelFactor = 1;
}

}  // namespace

GraphScale ScaleGraphData(std::vector<double>& graphX, std::vector<double>& graphY, size_t n,
                          bool outputAvailable) {
  GraphScale g;
  g.Horizontal = ExtendRange(graphX.data(), std::min(n, graphX.size()), GraphAxis::Horizontal);
  g.Vertical = ExtendRange(graphY.data(), std::min(n, graphY.size()), GraphAxis::Vertical);
  if (outputAvailable) {
    ApplyFactor(graphX, n, g.Horizontal, GraphAxis::Horizontal);
    ApplyFactor(graphY, n, g.Vertical, GraphAxis::Vertical);
  }
  return g;
}

void UnscaleGraphData(std::vector<double>& graphX, std::vector<double>& graphY, size_t n,
                      GraphScale& scale) {
  RemoveFactor(graphX, n, scale.Horizontal);
  RemoveFactor(graphY, n, scale.Vertical);
}

}  // namespace vornax
