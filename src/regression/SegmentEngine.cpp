// The segment statistics, the final lines and their residuals, the error routine, and the
// evaluation of one candidate breakpoint with the acceptance tests of the function types.
#include "regression/SegmentEngine.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace vornax {

namespace {

// The substitute for a quotient whose divisor is zero or whose count is too small.
constexpr long double kBig = 1000000.0L;

long double Sq(long double v) { return v * v; }

// A sum of squares about the average below this fraction of the raw sum of squares has lost
// more than three of its digits to cancellation (2^-10).
constexpr long double kCancelled = 1.0L / 1024;

// Square root of a value that only rounding can push below zero.
long double SafeSqrt(long double v) { return v > 0 ? std::sqrt(v) : 0.0L; }

}  // namespace

void SegmentEngine::Add(RunningSums& sums, int i) const {
  sums.SumY += y_[i];
  sums.SumX += x_[i];
  sums.SumYY += y_[i] * y_[i];
  sums.SumXX += x_[i] * x_[i];
  sums.SumXY += x_[i] * y_[i];
}

void SegmentEngine::Attach(const long double* y, const long double* x, int n) {
  y_ = y;
  x_ = x;
  n_ = std::max(n, 0);
  sorted_ = true;
  for (int i = 1; i < n_ && sorted_; ++i) sorted_ = !(x_[i] < x_[i - 1]);
  prefix_.clear();
  suffix_.clear();
  if (!sorted_) return;

  prefix_.assign(static_cast<std::size_t>(n_ / kBlock) + 1, RunningSums{});
  RunningSums sums;
  for (int i = 0; i < n_; ++i) {
    if (i % kBlock == 0) prefix_[i / kBlock] = sums;
    Add(sums, i);
  }
  if (n_ % kBlock == 0) prefix_[n_ / kBlock] = sums;

  const int blocks = (n_ + kBlock - 1) / kBlock;
  suffix_.assign(static_cast<std::size_t>(blocks) + 1, RunningSums{});
  sums = RunningSums{};
  for (int i = n_ - 1; i >= 0; --i) {
    Add(sums, i);
    if (i % kBlock == 0) suffix_[i / kBlock] = sums;
  }
}

int SegmentEngine::SplitIndex(double bp) const {
  const long double limit = bp;
  return static_cast<int>(std::lower_bound(x_, x_ + n_, limit) - x_);
}

void SegmentEngine::AccumulateSegments(double bp) {
  Sums = {};
  Stats = {};
  SSDFinal = {};
  splitLimit_ = bp;
  if (sorted_) {
    const int k = SplitIndex(bp);
    split_ = k;
    // Segment 1 upwards from the block start below k, segment 2 downwards from the one above.
    RunningSums a = prefix_[k / kBlock];
    for (int i = k / kBlock * kBlock; i < k; ++i) Add(a, i);
    const int upper = (k + kBlock - 1) / kBlock;
    RunningSums b = suffix_[upper];
    for (int i = std::min(upper * kBlock, n_) - 1; i >= k; --i) Add(b, i);
    Sums[1] = {static_cast<long double>(k), a.SumY, a.SumX, a.SumYY, a.SumXX, a.SumXY};
    Sums[2] = {static_cast<long double>(n_ - k), b.SumY, b.SumX, b.SumYY, b.SumXX, b.SumXY};
    return;
  }
  const long double limit = bp;
  for (int i = 0; i < n_; ++i) {
    SegmentSums& s = Sums[x_[i] < limit ? 1 : 2];
    s.N += 1;
    s.SumY += y_[i];
    s.SumX += x_[i];
    s.SumYY += y_[i] * y_[i];
    s.SumXX += x_[i] * x_[i];
    s.SumXY += x_[i] * y_[i];
  }
}

SegmentEngine::Deviations SegmentEngine::SegmentDeviations(int s) const {
  Deviations d;
  auto add = [&](int i) {
    const long double dy = y_[i] - d.y0, dx = x_[i] - d.x0;
    d.dy += dy;
    d.dx += dx;
    d.dyy += dy * dy;
    d.dxx += dx * dx;
    d.dxy += dx * dy;
  };
  if (sorted_) {
    const int from = s == 1 ? 0 : split_, to = s == 1 ? split_ : n_;
    if (from >= to) return d;
    d.y0 = y_[from];
    d.x0 = x_[from];
    for (int i = from + 1; i < to; ++i) add(i);
    return d;
  }
  bool first = true;
  for (int i = 0; i < n_; ++i) {
    if ((x_[i] < splitLimit_) != (s == 1)) continue;
    if (first) {
      d.y0 = y_[i];
      d.x0 = x_[i];
      first = false;
    } else {
      add(i);
    }
  }
  return d;
}

void SegmentEngine::ComputeSegmentStats() {
  for (int s = 1; s <= 2; ++s) {
    const SegmentSums& u = Sums[s];
    SegmentStats t;
    t.N = u.N;
    if (u.N >= 3) {
      const long double n = u.N;
      t.AvY = u.SumY / n;
      t.AvX = u.SumX / n;
      long double syy = u.SumYY - n * t.AvY * t.AvY;
      long double sxx = u.SumXX - n * t.AvX * t.AvX;
      t.Sxy = u.SumXY - n * t.AvY * t.AvX;
      // SumYY - N*AvY^2 loses one digit for every factor 10 by which SumYY exceeds the result.
      // When Y (or X) varies little against its size, or not at all, what is left would be
      // rounding noise that the slope, the correlation and the coefficient of explanation then
      // divide by (constant Y would show a slope and a fit). Such a segment is taken again as
      // deviations from its first data set: equal values give exactly zero, and an offset
      // costs no digits. Data whose spread is not small against their size skip this pass.
      if (syy < kCancelled * u.SumYY || sxx < kCancelled * u.SumXX) {
        const Deviations d = SegmentDeviations(s);
        t.AvY = d.y0 + d.dy / n;
        t.AvX = d.x0 + d.dx / n;
        syy = d.dyy - d.dy * d.dy / n;
        sxx = d.dxx - d.dx * d.dx / n;
        t.Sxy = d.dxy - d.dx * d.dy / n;
      }
      t.Syy = std::max(syy, 0.0L);
      t.Sxx = std::max(sxx, 0.0L);
      t.RC = t.Sxx > 0 ? t.Sxy / t.Sxx : 0;
      t.CC = (t.Syy > 0 && t.Sxx > 0) ? t.Sxy / std::sqrt(t.Syy * t.Sxx) : 0;
      t.CCsq = t.CC * t.CC;
      t.C = t.AvY - t.RC * t.AvX;
      t.StDevY = std::sqrt(t.Syy / (n - 1));
      t.SSD = (1 - t.CCsq) * t.Syy;
      // A correlation a hair above 1 by rounding makes SSD negative: mark it, do not fail.
      t.StDevYr = t.SSD < 0 ? kBig : std::sqrt(t.SSD / (n - 1));
      t.StDevX = std::sqrt(t.Sxx / (n - 1));
      t.StDevRC = (t.SSD >= 0 && t.Sxx != 0) ? std::sqrt(t.SSD / ((n - 2) * t.Sxx)) : 0;
    }
    Stats[s] = t;
  }
}

void SegmentEngine::LoadFinalLines() {
  for (int s = 1; s <= 2; ++s) {
    AnchorY[s] = static_cast<double>(Stats[s].AvY);
    AnchorX[s] = static_cast<double>(Stats[s].AvX);
    Slope[s] = static_cast<double>(Stats[s].RC);
  }
}

void SegmentEngine::ComputeFinalSSD(double bp) {
  // Each segment's residuals run in data order into their own accumulator, exactly as one loop
  // over all data sets adding to the segment's sum would.
  auto residuals = [this](int s, int from, int to) {
    const long double ax = AnchorX[s], slope = Slope[s], ay = AnchorY[s];
    long double sum = 0;
    for (int i = from; i < to; ++i) {
      const long double d = (y_[i] - ay) - (x_[i] - ax) * slope;
      sum += d * d;
    }
    return sum;
  };
  long double ssd1 = 0, ssd2 = 0;
  if (sorted_) {
    const int k = SplitIndex(bp);
    ssd1 = residuals(1, 0, k);
    ssd2 = residuals(2, k, n_);
  } else {
    const long double limit = bp;
    const long double ax1 = AnchorX[1], s1 = Slope[1], ay1 = AnchorY[1];
    const long double ax2 = AnchorX[2], s2 = Slope[2], ay2 = AnchorY[2];
    for (int i = 0; i < n_; ++i) {
      if (x_[i] < limit) {
        const long double d = (y_[i] - ay1) - (x_[i] - ax1) * s1;
        ssd1 += d * d;
      } else {
        const long double d = (y_[i] - ay2) - (x_[i] - ax2) * s2;
        ssd2 += d * d;
      }
    }
  }
  SSDFinal[1] = static_cast<double>(ssd1);
  SSDFinal[2] = static_cast<double>(ssd2);
}

double SegmentEngine::ExplanationCoefficient() const {
  if (!(SRYsqT > 0)) return 0;
  const long double ssd = static_cast<long double>(SSDFinal[1]) + SSDFinal[2];
  return static_cast<double>(1 - ssd / SRYsqT);
}

double SegmentEngine::SlopeMargin(int s) const {
  return std::fabs(Slope[s]) - ConfidenceT * SERC[s];
}

double SegmentEngine::StDevDiffYav() const {
  const SegmentStats& a = Stats[1];
  const SegmentStats& b = Stats[2];
  if (!(a.N > 0 && b.N > 0)) return 0;
  return static_cast<double>(std::sqrt(a.StDevY * a.StDevY / a.N + b.StDevY * b.StDevY / b.N));
}

double SegmentEngine::MinSegmentCount() const {
  const long double count = 0.1L * (Stats[1].N + Stats[2].N);
  return static_cast<double>(std::max(count, 5.0L));
}

void SegmentEngine::ComputeBreakpointErrors(int typeCode, int method, double bp) {
  const SegmentStats& s1 = Stats[1];
  const SegmentStats& s2 = Stats[2];
  const long double n1 = s1.N, n2 = s2.N, x = bp;
  const long double rc1 = Slope[1], rc2 = Slope[2];

  // 1. Variances of the averages.
  long double vY1 = n1 > 1 ? s1.Syy / (n1 * (n1 - 1)) : kBig;
  long double vY2 = n2 > 1 ? s2.Syy / (n2 * (n2 - 1)) : kBig;
  const long double vX1 = n1 > 2 ? s1.Sxx / (n1 * (n1 - 1)) : kBig;
  const long double vX2 = n2 > 2 ? s2.Sxx / (n2 * (n2 - 1)) : kBig;
  // 2.
  const long double dY2 = Sq(s2.AvY - s1.AvY);
  // 3. Standard errors of the final slopes.
  const long double varRC1 = (n1 > 2 && s1.Sxx != 0) ? SSDFinal[1] / (s1.Sxx * (n1 - 2)) : kBig;
  const long double varRC2 = (n2 > 2 && s2.Sxx != 0) ? SSDFinal[2] / (s2.Sxx * (n2 - 2)) : kBig;
  // A segment whose X hardly varies can give a variance beyond the 64-bit range while its square
  // root still fits: keep the largest double rather than Inf.
  auto narrow = [](long double v) {
    return static_cast<double>(std::min<long double>(v, std::numeric_limits<double>::max()));
  };
  VarRC[1] = narrow(varRC1);
  VarRC[2] = narrow(varRC2);
  SERC[1] = static_cast<double>(SafeSqrt(varRC1));
  SERC[2] = static_cast<double>(SafeSqrt(varRC2));
  SEDiffSlopes = std::hypot(SERC[1], SERC[2]);
  const long double se1 = SERC[1], se2 = SERC[2];
  // 4.
  const long double ssdt = static_cast<long double>(SSDFinal[1]) + SSDFinal[2];
  const long double nt = n1 + n2;
  SSDt = static_cast<double>(ssdt);
  const long double xavAll = nt > 0 ? (s2.AvX * n2 + s1.AvX * n1) / nt : 0;
  XavAll = static_cast<double>(xavAll);
  // 5. With fewer than four data sets the denominators turn negative; they count as zero.
  const long double kDen = (nt - 4) * TotalSxx;
  const long double k = kDen > 0 ? ssdt / kDen : 0;
  const long double sDen = (nt - 4) * nt;
  const long double spread = sDen > 0 ? ssdt / sDen : 0;
  SDYbp = static_cast<double>(SafeSqrt(Sq(xavAll - x) * k + spread));
  // 6. Errors of the two lines at the breakpoint.
  SEBP = 0;
  long double e2 = 0, e1 = 0;
  if ((typeCode == kType2 || typeCode == kType3) && n2 > 2)
    e2 = SafeSqrt(se2 * se2 * Sq(s2.AvX - x) + ssdt / (n2 * (n2 - 1)));
  if ((typeCode == kType2 || typeCode == kType4) && n1 > 2)
    e1 = SafeSqrt(se1 * se1 * Sq(s1.AvX - x) + ssdt / (n1 * (n1 - 1)));
  // 7. Method 1 carries the level of the horizontal segment from the sloping line.
  if (method == 1 && typeCode == kType3) vY1 = e2 * e2;
  if (method == 1 && typeCode == kType4) vY2 = e1 * e1;

  long double sebp = 0;
  if (typeCode == kType2) {
    // 8. Delta method for Xcross = (C2 - C1) / (RC1 - RC2): the intercept difference enters
    // squared, as every term of a variance must.
    const long double d = Sq(rc1 - rc2);
    const long double varRatio = d != 0 ? (varRC1 + varRC2) / (d * d) : kBig;
    const long double interceptDiff = s2.AvY - s1.AvY + s1.AvX * rc1 - s2.AvX * rc2;
    const long double invSlopeDiffSq = d != 0 ? 1 / d : kBig;
    const long double varC1 = rc1 * rc1 * vX1 + s1.AvX * s1.AvX * varRC1 + vY1;
    const long double varC2 = rc2 * rc2 * vX2 + s2.AvX * s2.AvX * varRC2 + vY2;
    VarRatioTerm = static_cast<double>(varRatio);
    InterceptDiff = static_cast<double>(interceptDiff);
    InvSlopeDiffSq = static_cast<double>(invSlopeDiffSq);
    VarC1 = static_cast<double>(varC1);
    VarC2 = static_cast<double>(varC2);
    const long double v = (varC1 + varC2) * invSlopeDiffSq + varRatio * Sq(interceptDiff);
    if (v > 0) {
      sebp = std::sqrt(v);
      if (e2 > 0 && e2 < sebp) sebp = e2;
    }
  } else if (typeCode == kType3 || typeCode == kType4) {
    // 9-10. One level segment (h) and one sloping segment (s): type 3 levels off to the left,
    // type 4 to the right, and the two are mirror images of each other.
    const bool three = typeCode == kType3;
    const SegmentStats& ss = three ? s2 : s1;
    const SegmentStats& sh = three ? s1 : s2;
    const long double rc = three ? rc2 : rc1;
    const long double se = three ? se2 : se1;
    const long double vX = three ? vX2 : vX1;
    const long double div = ss.RC - se;
    const long double xc = div != 0 ? ss.AvX + (sh.AvY - ss.AvY) / div : kBig;
    long double& e = three ? e2 : e1;
    e = three ? x - xc : xc - x;
    const long double a = (rc + se) != 0 ? 1 / (rc + se) : kBig;
    const long double b = (rc - se) != 0 ? 1 / (rc - se) : -kBig;
    const long double h = std::fabs(a - b) / 2;
    if (rc * rc > 0) sebp = SafeSqrt(vX + dY2 * h * h + (vY1 + vY2) / (rc * rc));
    if (e > 0 && e < sebp) sebp = e;
    SESlope = three ? SERC[2] : SERC[1];
  }
  // 11. Types 5 and 6 and the search codes have no standard error of the breakpoint.
  SEBP = static_cast<double>(sebp);
}

void SegmentEngine::BuildConstrainedLines(int& typeCode, int method, double bp) {
  switch (typeCode) {
    case kType2:  // the report rebuilds the lines of an accepted type 2
    case kSearchType2:
      if (method == 1) {
        // Line 1 stays the regression of segment 1; line 2 turns about its central point.
        if (bp == AnchorX[2]) {
          typeCode = kTypeSingle;
          return;
        }
        const double ybp = (bp - AnchorX[1]) * Slope[1] + AnchorY[1];
        Slope[2] = (ybp - AnchorY[2]) / (bp - AnchorX[2]);
      } else {
        if (bp == AnchorX[1]) {
          typeCode = kTypeSingle;
          return;
        }
        const double ybp = (bp - AnchorX[2]) * Slope[2] + AnchorY[2];
        Slope[1] = (ybp - AnchorY[1]) / (bp - AnchorX[1]);
      }
      break;
    case kType3:
      Slope[1] = 0;
      if (method == 1)
        AnchorY[1] = (bp - AnchorX[2]) * Slope[2] + AnchorY[2];
      else
        Slope[2] = AnchorX[2] != bp ? (AnchorY[2] - AnchorY[1]) / (AnchorX[2] - bp) : 0;
      break;
    case kType4:
      Slope[2] = 0;
      if (method == 1)
        AnchorY[2] = (bp - AnchorX[1]) * Slope[1] + AnchorY[1];
      else
        Slope[1] = AnchorX[1] != bp ? (AnchorY[2] - AnchorY[1]) / (bp - AnchorX[1]) : 0;
      break;
    case kType5:
      Slope[1] = 0;
      Slope[2] = 0;
      break;
    default:
      break;
  }
}

void SegmentEngine::EvaluateBreakpoint(double& bp, double& ce, int& typeCode, int method) {
  // 1-2. Fewer than three data sets on a side: fall back (once) to the single line, and let the
  // caller's candidate take Xmin for good.
  AccumulateSegments(bp);
  if (bp > Xmin && (Sums[1].N < 3 || Sums[2].N < 3)) {
    bp = Xmin;
    typeCode = kTypeSingle;
    AccumulateSegments(bp);
  }
  // 3-5.
  ComputeSegmentStats();
  LoadFinalLines();
  if (typeCode == kTypeHorizontal) Slope[2] = 0;
  if (typeCode == kTypeHorizontal || typeCode == kTypeSingle) {
    SRYsqT = Stats[2].Syy;
    TotalSxx = Stats[2].Sxx;
  }
  // 6.
  BuildConstrainedLines(typeCode, method, bp);
  // 7. The margins still hold the standard errors of the preceding evaluation.
  M1 = SlopeMargin(1);
  M2 = SlopeMargin(2);
  U1 = std::fabs(Slope[1]) + ConfidenceT * SERC[1];
  U2 = std::fabs(Slope[2]) + ConfidenceT * SERC[2];
  // 8.
  if (typeCode == kSearchType6) {
    if (M1 < 0 && U1 > 0) Slope[1] = 0;
    if (M2 < 0 && U2 > 0) Slope[2] = 0;
  }
  // 9-10.
  ComputeFinalSSD(bp);
  ce = ExplanationCoefficient();
  const bool noSxx1 = Stats[1].Sxx == 0, noSxx2 = Stats[2].Sxx == 0;
  if (noSxx1 && noSxx2) ce = 0;
  if ((typeCode == kSearchType2 || typeCode == kSearchType6) && (noSxx1 || noSxx2)) ce = 0;
  // 11-12.
  if (typeCode == kTypeHorizontal || typeCode == kTypeSingle) return;
  ComputeBreakpointErrors(typeCode, method, bp);

  // 13. Acceptance tests. A slope of exactly zero is insignificant whatever its standard error,
  // so that noise-free data still give a horizontal segment.
  const double minCount = MinSegmentCount();
  const bool countsOk = Stats[1].N >= minCount && Stats[2].N >= minCount;
  const bool flat1 = M1 < 0 || Slope[1] == 0;
  const bool flat2 = M2 < 0 || Slope[2] == 0;
  switch (typeCode) {
    case kType3:
      if (!(flat1 && M2 > 0 && countsOk)) ce = 0;
      break;
    case kType4:
      if (!(M1 > 0 && flat2 && countsOk)) ce = 0;
      break;
    case kType5:
      if (flat1 && flat2) {
        const double g = std::fabs(static_cast<double>(Stats[1].AvY - Stats[2].AvY)) -
                         ConfidenceT * StDevDiffYav();
        if (!(g > 0 && countsOk)) ce = 0;
      }
      break;
    default:
      break;
  }

  // Types 2 and 6 read the margins of this evaluation's own standard errors.
  M1 = SlopeMargin(1);
  M2 = SlopeMargin(2);
  U1 = std::fabs(Slope[1]) + ConfidenceT * SERC[1];
  U2 = std::fabs(Slope[2]) + ConfidenceT * SERC[2];

  if (typeCode == kSearchType2) {
    const double s1 = Slope[1], s2 = Slope[2];
    const double dr = std::fabs(s1 - s2) - ConfidenceT * SEDiffSlopes;
    const bool sameSign = (s1 > 0 && s2 > 0) || (s1 < 0 && s2 < 0);
    const bool shapeOk = (s1 > 0 && s2 < 0) || (s1 < 0 && s2 > 0) ||
                         (sameSign && !(1.2 * s2 >= s1 && 1.2 * s1 >= s2));
    if (M1 > 0 && M2 > 0 && dr > 0 && shapeOk && countsOk) typeCode = kType2;
  } else if (typeCode == kSearchType6) {
    const double t = ConfidenceT;
    const double y1bp = (bp - AnchorX[1]) * Slope[1] + AnchorY[1];
    const double y2bp = (bp - AnchorX[2]) * Slope[2] + AnchorY[2];
    // K1 scales the residuals of segment 1 by the Sxx of segment 2, and K2 the other way round.
    const long double kDen1 = (Stats[1].N - 2) * Stats[2].Sxx;
    const long double kDen2 = (Stats[2].N - 2) * Stats[1].Sxx;
    const long double k1 = kDen1 > 0 ? SSDFinal[1] / kDen1 : kBig;
    const long double k2 = kDen2 > 0 ? SSDFinal[2] / kDen2 : kBig;
    const double r1 = static_cast<double>(
        SafeSqrt(static_cast<long double>(SERC[1]) * SERC[1] * Sq(bp - AnchorX[1]) + k1));
    const double r2 = static_cast<double>(
        SafeSqrt(static_cast<long double>(SERC[2]) * SERC[2] * Sq(bp - AnchorX[2]) + k2));
    bool disconnected = y1bp - t * r1 > y2bp + t * r2 || y1bp + t * r1 < y2bp - t * r2;
    // A jump of 10 % of a level only means something between two positive levels.
    if (y1bp > 0 && y2bp > 0) {
      disconnected = disconnected || (y1bp > y2bp && y1bp - y2bp > 0.1 * y2bp) ||
                     (y1bp < y2bp && y2bp - y1bp > 0.1 * y1bp);
    }
    // Two horizontal segments are type 5's business: type 6 needs a sloping one.
    const bool sloping = M1 > 0 || M2 > 0;
    if (disconnected && countsOk && sloping) typeCode = kType6;
  }
}

void SegmentEngine::FindExtremes() {
  if (n_ == 0 || x_ == nullptr) {
    Xmin = Xmax = 0;
    return;
  }
  long double lo = x_[0], hi = x_[0];
  for (int i = 1; i < n_; ++i) {
    if (x_[i] < lo) lo = x_[i];
    if (x_[i] > hi) hi = x_[i];
  }
  double dlo = static_cast<double>(lo);
  if (static_cast<long double>(dlo) > lo)
    dlo = std::nextafter(dlo, -std::numeric_limits<double>::infinity());
  double dhi = static_cast<double>(hi);
  if (static_cast<long double>(dhi) < hi)
    dhi = std::nextafter(dhi, std::numeric_limits<double>::infinity());
  Xmin = dlo;
  Xmax = dhi;
}

RegressionCarryOver SegmentEngine::CarryOver() const {
  RegressionCarryOver carry;
  carry.SERC1 = SERC[1];
  carry.SERC2 = SERC[2];
  carry.OptMethod = OptMethod;
  return carry;
}

void SegmentEngine::Restore(const RegressionCarryOver& carry) {
  SERC[1] = carry.SERC1;
  SERC[2] = carry.SERC2;
  OptMethod = carry.OptMethod;
}

}  // namespace vornax
