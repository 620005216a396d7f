// The lines of a reported type and the quantities of its parameter table.
#include "regression/ReportedLines.h"

#include <array>
#include <cmath>

namespace vornax {
namespace {

// Square root of a quantity that rounding may have pushed just below zero.
double SafeSqrt(double v) { return v > 0 ? std::sqrt(v) : 0.0; }

}  // namespace

ReportedLines BuildReportedLines(SegmentEngine& e, double bp, int type, int method,
                                 bool equalizeType6) {
  ReportedLines r;
  const double t = e.ConfidenceT;
  e.AccumulateSegments(bp);
  e.ComputeSegmentStats();
  e.LoadFinalLines();
  auto statMargin = [&](int s) {
    const SegmentStats& st = e.Stats[static_cast<size_t>(s)];
    return static_cast<double>(std::fabs(st.RC) - t * st.StDevRC);
  };
  if (type == kTypeSingle) {
    e.SRYsqT = e.Stats[2].Syy;
    e.TotalSxx = e.Stats[2].Sxx;
    // A slope of exactly zero is no relation, whatever its standard error (which is zero too
    // when Y does not vary at all).
    r.SingleSlopeSignificant = !(statMargin(2) < 0 || e.Stats[2].RC == 0);
  }
  r.StDevDiffYav = e.StDevDiffYav();
  if (type == kType2 || type == kType3 || type == kType4 || type == kType5) {
    int code = type == kType2 ? static_cast<int>(kSearchType2) : type;
    e.BuildConstrainedLines(code, method, bp);
  } else if (type == kType6) {
    for (int s = 1; s <= 2; ++s) {
      const SegmentStats& st = e.Stats[static_cast<size_t>(s)];
      if (statMargin(s) < 0 && std::fabs(st.RC) + t * st.StDevRC > 0) e.Slope[static_cast<size_t>(s)] = 0;
    }
    r.Type6Variant = (e.Slope[1] == 0 || e.Slope[2] == 0) ? 2 : 1;
    // The standard errors of the lines as they now stand (insignificant slopes at zero).
    e.SSDFinal[1] = e.SSDFinal[2] = 0;
    e.ComputeFinalSSD(bp);
    for (int s = 1; s <= 2; ++s) {
      const size_t i = static_cast<size_t>(s);
      const SegmentStats& st = e.Stats[i];
      if (st.N > 2 && st.Sxx != 0) {
        e.VarRC[i] = static_cast<double>(e.SSDFinal[i] / ((st.N - 2) * st.Sxx));
        e.SERC[i] = SafeSqrt(e.VarRC[i]);
      }
    }
    const bool sameSign = (e.Slope[1] > 0 && e.Slope[2] > 0) || (e.Slope[1] < 0 && e.Slope[2] < 0);
    if (sameSign && equalizeType6) {
      const double m = SafeSqrt(e.SERC[1] + e.SERC[2]);
      if (std::fabs(e.Slope[1] - e.Slope[2]) < t * m) {
        const double common = e.SERC[1] >= e.SERC[2] ? e.Slope[1] : e.Slope[2];
        e.Slope[1] = e.Slope[2] = common;
        r.Type6Variant = 3;
      }
    }
  }
  e.SSDFinal[1] = e.SSDFinal[2] = 0;
  e.ComputeFinalSSD(bp);
  r.CE = e.ExplanationCoefficient();
  return r;
}

LevelShift ComputeLevelShift(const SegmentEngine& e, int type, double bp, int nrOfData) {
  // Types 3 and 4 are mirror images: one segment slopes (sl), the other is level (h).
  const size_t sl = type == kType3 ? 2 : 1;
  const size_t h = 3 - sl;
  const double n = nrOfData;
  const std::array<double, 3> p = {0, n > 0 ? static_cast<double>(e.Stats[1].N) / n : 0,
                                   n > 0 ? static_cast<double>(e.Stats[2].N) / n : 0};
  auto sdYr = [&](size_t s) {
    const double ssd = e.SSDFinal[s];
    const double ns = static_cast<double>(e.Stats[s].N);
    return (ssd > 0 && ns > 1) ? std::sqrt(ssd / (ns - 1)) : ssd;
  };
  auto varTerm = [&](size_t s) {
    const SegmentStats& st = e.Stats[s];
    return st.N > 0 ? static_cast<double>(st.StDevY * st.StDevY / st.N) : 0.0;
  };
  LevelShift r;
  // The increase of Y over the level, weighted by the share of the sloping segment; when it
  // points the other way (the variant), it is measured from the far end of the sloping line.
  r.Fraction = p[sl];
  r.Yi = (e.AnchorY[h] - e.AnchorY[sl]) * p[sl];
  double q = p[sl];
  double vsum = varTerm(1) + varTerm(2);
  r.Variant = type == kType3 ? r.Yi < 0 : r.Yi > 0;
  if (r.Variant) {
    const double reach = type == kType3 ? e.Xmax - bp : bp - e.Xmin;
    const double yx = e.Slope[sl] > 0 ? reach * e.Slope[sl] + e.AnchorY[h] : 0;
    r.Fraction = p[h];
    r.Yi = (yx - e.AnchorY[h]) * p[h] + (1 - p[h]) * (yx - e.AnchorY[sl]);
    q = p[h];
    vsum = 2 * varTerm(h);
  }
  const double dAnchor = e.AnchorY[2] - e.AnchorY[1];
  r.SEFrac = n > 0 ? SafeSqrt(p[1] * p[2] / n) : 0;
  r.SEYi = n > 0 ? SafeSqrt(dAnchor * dAnchor * p[1] * p[2] / n + q * q * vsum) : 0;
  r.SDYr1 = sdYr(1);
  r.SDYr2 = sdYr(2);
  return r;
}

Type6Levels ComputeType6Levels(const SegmentEngine& e, double bp, int nrOfData) {
  const double n = nrOfData;
  const double n1 = static_cast<double>(e.Stats[1].N), n2 = static_cast<double>(e.Stats[2].N);
  Type6Levels r;
  r.Y1bp = (bp - e.AnchorX[1]) * e.Slope[1] + e.AnchorY[1];
  r.Y2bp = (bp - e.AnchorX[2]) * e.Slope[2] + e.AnchorY[2];
  const double xw = n1 + n2 > 0 ? (n1 * e.AnchorX[1] + n2 * e.AnchorX[2]) / (n1 + n2) : 0;
  const double s2 = n > 2 ? e.SSDt / ((n - 2) * n) : 0;
  const double d = bp - xw;
  // Squared in extended precision: a steep segment over a tiny X spread has a slope error near
  // 1E+201, whose square no 64-bit real holds, while the error at the breakpoint itself does.
  auto levelError = [&](double serc) {
    const long double v = static_cast<long double>(serc) * serc * d * d + s2;
    return static_cast<double>(v > 0 ? std::sqrt(v) : 0.0L);
  };
  r.SEY1bp = levelError(e.SERC[1]);
  r.SEY2bp = levelError(e.SERC[2]);
  return r;
}

}  // namespace vornax
