// The fitted function of a run at new values.
#include "run/ResultPrediction.h"

#include <algorithm>
#include <cmath>

#include "breakpoints/BrokenLineSearch.h"
#include "curves/CurveCommon.h"
#include "data/GraphData.h"

namespace vornax {
namespace {

// A curve at x as its fit computed the calculated values: the polynomials on X - Xmin + 0.001
// (at least 0.001) raised to E, the power curve on X - C (0.001 where that is not above zero,
// or where C is 0), the S-curves as the graph draws them.
double CurveAt(const CurveResult& c, double x) {
  const auto& k = c.Coeff;
  switch (c.Kind) {
    case CurveKind::Quadratic:
    case CurveKind::Cubic: {
      long double base = c.XShifted ? x - static_cast<long double>(c.Shift) : x;
      base = std::max(base + 0.001L, 0.001L);
      const long double w = CurvePower(base, c.Exponent);
      if (c.Kind == CurveKind::Cubic) {
        return static_cast<double>(((k[0] * w + k[1]) * w + k[2]) * w + k[3]);
      }
      return static_cast<double>((k[0] * w + k[1]) * w + k[2]);
    }
    case CurveKind::Power: {
      const long double v = x - static_cast<long double>(c.Shift);
      const long double xt = (c.Shift == 0 || !(v > 0)) ? 0.001L : v;
      return static_cast<double>(k[0] * CurvePower(xt, c.Exponent) + k[1]);
    }
    default:
      break;
  }
  GraphCurve g;
  g.Kind = c.Kind;
  g.IsZ = c.IsZ;
  g.Shifted = c.XShifted;
  g.Shift = c.Shift;
  g.Exponent = c.Exponent;
  g.A = k[0];
  g.B = k[1];
  g.C = k[2];
  g.D = k[3];
  g.Ymax = c.Ymax;
  g.Ymin = c.Ymin;
  return CurveValue(g, x);
}

}  // namespace

bool FittedValueNeedsZ(const RunResult& r) { return r.Analysis == "two-variable"; }

double FittedValue(const RunResult& r, double x, double z) {
  if (r.Curve) return CurveAt(*r.Curve, x);
  if (r.BrokenLines) {
    const BrokenLinesResult& b = *r.BrokenLines;
    BrokenLine line;
    line.Intercept = b.Intercept;
    line.Slope = b.Segments.empty() ? 0 : b.Segments.front().Slope;
    for (const BrokenLinePoint& p : b.Points) line.Breakpoints.push_back(p.Value);
    for (const BrokenLineChangeResult& c : b.Changes) line.SlopeChanges.push_back(c.Change);
    line.SlopeChanges.resize(line.Breakpoints.size(), 0);
    return line(x);
  }
  if (FittedValueNeedsZ(r) && r.Stages.size() == 2) {
    // Y = A·v1 + B·v2 + C with v1 the first stage's variable, each side at or above its
    // breakpoint the "g" side.
    const StageResult& first = r.Stages[0];
    const StageResult& second = r.Stages[1];
    const double v1 = first.Variable == "Z" ? z : x;
    const double v2 = first.Variable == "Z" ? x : z;
    const bool g1 = first.HasBreakpoint && v1 >= first.Breakpoint;
    const bool g2 = second.HasBreakpoint && v2 >= second.Breakpoint;
    const PlaneResult& p = r.Plane;
    const double a = g1 ? p.Ag : p.As;
    const double b = g2 ? p.Bg : p.Bs;
    const double c = g1 ? (g2 ? p.Cgg : p.Cgs) : (g2 ? p.Csg : p.Css);
    return a * v1 + b * v2 + c;
  }
  // One line, or two meeting (or not) at the breakpoint: "at or above" takes the upper line.
  if (!r.HasBreakpoint || x >= r.Breakpoint) return r.SlopeAbove * x + r.InterceptAbove;
  return r.SlopeBelow * x + r.InterceptBelow;
}

}  // namespace vornax
