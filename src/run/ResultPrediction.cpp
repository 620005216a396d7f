// The fitted function of a run at new values.
#include "run/ResultPrediction.h"

#include <cmath>

#include "breakpoints/BrokenLineSearch.h"
#include "data/GraphData.h"

namespace vornax {

bool FittedValueNeedsZ(const RunResult& r) { return r.Analysis == "two-variable"; }

double FittedValue(const RunResult& r, double x, double z) {
  if (r.Curve) {
    // The same function the graph draws the curve with.
    const CurveResult& c = *r.Curve;
    GraphCurve k;
    k.Kind = c.Kind;
    k.IsZ = c.IsZ;
    k.Shifted = c.XShifted;
    k.Shift = c.Shift;
    k.Exponent = c.Exponent;
    k.A = c.Coeff[0];
    k.B = c.Coeff[1];
    k.C = c.Coeff[2];
    k.D = c.Coeff[3];
    k.Ymax = c.Ymax;
    k.Ymin = c.Ymin;
    return CurveValue(k, x);
  }
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
