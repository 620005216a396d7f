// The segment statistics, the final lines and their residuals, the error routine, and the
// evaluation of one candidate breakpoint with the acceptance tests of the function types.
#include "regression/SegmentEngine.h"
#include "regression/SegmentArithmetic.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>

namespace vornax {

namespace {

// The substitute for a quotient whose divisor is zero or whose count is too small.
constexpr long double kBig = 1000000.0L;

long double Sq(long double v) { return v * v; }

// A sum of squares about the average below this fraction of the raw sum of squares has lost
// more than three of its digits to cancellation (2^-10).
constexpr long double kCancelled = 1.0L / 1024;

}  // namespace

using segment::ExplainedShare;
using segment::SafeSqrt;

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
  // Whatever the previous data left is settled (searches settle before they return).
  pending_ = Pending{};
  carried_ = type2Run_ = type34Run_ = ErrorRun{};
  carried_.serc = SERC;
  visits_ = 0;
  ++generation_;
  splitsUsed_ = 0;
  splitSlot_ = nullptr;
  splitKnown_ = false;
  sorted_ = true;
  for (int i = 1; i < n_ && sorted_; ++i) sorted_ = !(x_[i] < x_[i - 1]);
  prefix_.clear();
  suffix_.clear();
  if (!sorted_) return;

  block_ = 1;
  const std::size_t perEntry = 2 * sizeof(RunningSums);
  while ((static_cast<std::size_t>(n_ / block_) + 2) * perEntry > kSumsBudget) block_ *= 2;
  prefix_.assign(static_cast<std::size_t>(n_ / block_) + 1, RunningSums{});
  RunningSums sums;
  for (int i = 0; i < n_; ++i) {
    if (i % block_ == 0) prefix_[static_cast<std::size_t>(i / block_)] = sums;
    Add(sums, i);
  }
  if (n_ % block_ == 0) prefix_[static_cast<std::size_t>(n_ / block_)] = sums;

  const int blocks = (n_ + block_ - 1) / block_;
  suffix_.assign(static_cast<std::size_t>(blocks) + 1, RunningSums{});
  sums = RunningSums{};
  for (int i = n_ - 1; i >= 0; --i) {
    Add(sums, i);
    if (i % block_ == 0) suffix_[static_cast<std::size_t>(i / block_)] = sums;
  }
}

int SegmentEngine::SplitIndex(double bp) const {
  const long double limit = bp;
  return static_cast<int>(std::lower_bound(x_, x_ + n_, limit) - x_);
}

SegmentEngine::SplitRecord* SegmentEngine::FindSplit(double bp) {
  if (slots_.empty()) {
    slots_.resize(kSplitSlots);
    splits_.reserve(kSplitSlots / 2);
  }
  uint64_t bits = 0;
  std::memcpy(&bits, &bp, sizeof bits);
  bits *= 0x9E3779B97F4A7C15ULL;
  std::size_t slot = static_cast<std::size_t>(bits >> 56) & (kSplitSlots - 1);
  for (std::size_t probe = 0; probe < kSplitSlots; ++probe, slot = (slot + 1) & (kSplitSlots - 1)) {
    SplitSlot& s = slots_[slot];
    if (s.generation != generation_) {
      // A free slot: taken while the table stays at most half full.
      if (2 * (splitsUsed_ + 1) > kSplitSlots) return nullptr;
      s.generation = generation_;
      s.bp = bp;
      s.record = splitsUsed_++;
      if (s.record == splits_.size()) splits_.emplace_back();
      SplitRecord& r = splits_[s.record];
      r.split = -1;
      r.hasStats = false;
      return &r;
    }
    // Compared as bits, so that -0 and +0 (which split alike) still find their own slots.
    if (std::memcmp(&s.bp, &bp, sizeof bp) == 0) return &splits_[s.record];
  }
  return nullptr;
}

void SegmentEngine::AccumulateSegments(double bp) {
  SSDFinal = {};
  splitLimit_ = bp;
  splitSlot_ = nullptr;
  scaleSlot_ = -1;
  splitKnown_ = false;
  if (sorted_) {
    splitSlot_ = FindSplit(bp);
    if (splitSlot_ != nullptr && splitSlot_->split >= 0 && splitSlot_->hasStats) {
      split_ = splitSlot_->split;
      // Segments 1 and 2 only: [0] is never written.
      for (std::size_t i = 1; i <= 2; ++i) {
        Sums[i] = splitSlot_->sums[i];
        Stats[i] = splitSlot_->stats[i];
      }
      scaleSlot_ = splitSlot_ - splits_.data();
      splitKnown_ = true;
      return;
    }
  }
  Sums = {};
  Stats = {};
  if (sorted_) {
    const int k = SplitIndex(bp);
    split_ = k;
    RunningSums a, b;
    SumsAround(k, a, b);
    Sums[1] = {static_cast<long double>(k), a.SumY, a.SumX, a.SumYY, a.SumXX, a.SumXY};
    Sums[2] = {static_cast<long double>(n_ - k), b.SumY, b.SumX, b.SumYY, b.SumXX, b.SumXY};
    if (splitSlot_ != nullptr) {
      splitSlot_->split = k;
      splitSlot_->sums = Sums;
    }
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

void SegmentEngine::SumsAround(int k, RunningSums& a, RunningSums& b) const {
  // Segment 1 upwards from the block start below k, segment 2 downwards from the one above.
  a = prefix_[static_cast<std::size_t>(k / block_)];
  for (int i = k / block_ * block_; i < k; ++i) Add(a, i);
  const int upper = (k + block_ - 1) / block_;
  b = suffix_[static_cast<std::size_t>(upper)];
  for (int i = std::min(upper * block_, n_) - 1; i >= k; --i) Add(b, i);
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
  // The split's statistics as taken before, unless the sums were changed since the split.
  SplitRecord* record = splitSlot_;
  splitSlot_ = nullptr;
  if (record != nullptr && record->sums != Sums) record = nullptr;
  // The statistics that belong to these sums are in place already.
  if (record != nullptr && splitKnown_) return;
  scaleSlot_ = -1;
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
      StatScale& scale = scale_[static_cast<std::size_t>(s)];
      scale = {u.SumYY, u.SumXX, 0, 0};
      if (syy < kCancelled * u.SumYY || sxx < kCancelled * u.SumXX) {
        const Deviations d = SegmentDeviations(s);
        t.AvY = d.y0 + d.dy / n;
        t.AvX = d.x0 + d.dx / n;
        syy = d.dyy - d.dy * d.dy / n;
        sxx = d.dxx - d.dx * d.dx / n;
        t.Sxy = d.dxy - d.dx * d.dy / n;
        scale = {d.dyy, d.dxx, std::fabs(t.AvY), std::fabs(t.AvX)};
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
      // The rounding of statistics that are sums over N terms of magnitudes bounded by the sums
      // of squares they came from, as the closed form's bound reads it.
      constexpr long double u = std::numeric_limits<long double>::epsilon() / 2;
      const long double depth = 4 * n + 16;
      scale.eyy = depth * u * scale.yy;
      scale.exx = depth * u * scale.xx;
      scale.exy = depth * u * std::sqrt(scale.yy * scale.xx);
      scale.eay = (n + 2) * u * std::sqrt(scale.yy / n) + 2 * u * scale.offY;
      scale.eax = (n + 2) * u * std::sqrt(scale.xx / n) + 2 * u * scale.offX;
    }
    Stats[s] = t;
  }
  if (record != nullptr) {
    record->stats = Stats;
    record->scale = scale_;
    record->hasStats = true;
  }
}

void SegmentEngine::LoadFinalLines() {
  for (int s = 1; s <= 2; ++s) {
    AnchorY[s] = static_cast<double>(Stats[s].AvY);
    AnchorX[s] = static_cast<double>(Stats[s].AvX);
    Slope[s] = static_cast<double>(Stats[s].RC);
  }
}

long double SegmentEngine::ResidualSum(int s, int split, long double limit, double ax,
                                       double slope, double ay) const {
  // Each segment's residuals run in data order into their own accumulator, exactly as one loop
  // over all data sets adding to the segment's sum would.
  const long double lax = ax, lslope = slope, lay = ay;
  long double sum = 0;
  if (sorted_) {
    const int from = s == 1 ? 0 : split, to = s == 1 ? split : n_;
    visits_ += std::max(to - from, 0);
    for (int i = from; i < to; ++i) {
      const long double d = (y_[i] - lay) - (x_[i] - lax) * lslope;
      sum += d * d;
    }
    return sum;
  }
  visits_ += n_;
  for (int i = 0; i < n_; ++i) {
    if ((x_[i] < limit) != (s == 1)) continue;
    const long double d = (y_[i] - lay) - (x_[i] - lax) * lslope;
    sum += d * d;
  }
  return sum;
}

void SegmentEngine::ComputeFinalSSD(double bp) {
  const int k = sorted_ ? SplitIndex(bp) : 0;
  const long double limit = bp;
  for (int s = 1; s <= 2; ++s) {
    SSDFinal[static_cast<std::size_t>(s)] = static_cast<double>(
        ResidualSum(s, k, limit, AnchorX[static_cast<std::size_t>(s)],
                    Slope[static_cast<std::size_t>(s)], AnchorY[static_cast<std::size_t>(s)]));
  }
}

double SegmentEngine::ExplanationCoefficient() const {
  return ExplainedShare(SSDFinal[1], SSDFinal[2], SRYsqT);
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

long double SegmentEngine::SlopeVariance(double ssd, const SegmentStats& stats) {
  return (stats.N > 2 && stats.Sxx != 0) ? ssd / (stats.Sxx * (stats.N - 2)) : kBig;
}

void SegmentEngine::ComputeBreakpointErrors(int typeCode, int method, double bp) {
  const SegmentStats& s1 = Stats[1];
  const SegmentStats& s2 = Stats[2];
  const long double n1 = s1.N, n2 = s2.N, x = bp;
  const long double rc1 = Slope[1], rc2 = Slope[2];

  // 3. Standard errors of the final slopes.
  const long double varRC1 = SlopeVariance(SSDFinal[1], s1);
  const long double varRC2 = SlopeVariance(SSDFinal[2], s2);
  // A segment whose X hardly varies can give a variance beyond the 64-bit range while its square
  // root still fits: keep the largest double rather than Inf.
  auto narrow = [](long double v) {
    return static_cast<double>(std::min<long double>(v, std::numeric_limits<double>::max()));
  };
  VarRC[1] = narrow(varRC1);
  VarRC[2] = narrow(varRC2);
  SERC[1] = static_cast<double>(SafeSqrt(varRC1));
  SERC[2] = static_cast<double>(SafeSqrt(varRC2));
  // What this run writes is exact unless the evaluation says otherwise after it.
  carried_.exact = carried_.sercExact = true;
  if (typeCode == kType2) type2Run_.exact = true;
  if (typeCode == kType3 || typeCode == kType4) type34Run_.exact = true;
  // The decisions read the slope errors alone; the rest is the report's.
  if (DecisionsOnly) return;
  SEDiffSlopes = std::hypot(SERC[1], SERC[2]);
  // 1. Variances of the averages.
  long double vY1 = n1 > 1 ? s1.Syy / (n1 * (n1 - 1)) : kBig;
  long double vY2 = n2 > 1 ? s2.Syy / (n2 * (n2 - 1)) : kBig;
  const long double vX1 = n1 > 2 ? s1.Sxx / (n1 * (n1 - 1)) : kBig;
  const long double vX2 = n2 > 2 ? s2.Sxx / (n2 * (n2 - 1)) : kBig;
  // 2.
  const long double dY2 = Sq(s2.AvY - s1.AvY);
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
  // 6. Errors of the sloping line at the breakpoint (types 3 and 4).
  SEBP = 0;
  long double e2 = 0, e1 = 0;
  if (typeCode == kType3 && n2 > 2)
    e2 = SafeSqrt(se2 * se2 * Sq(s2.AvX - x) + ssdt / (n2 * (n2 - 1)));
  if (typeCode == kType4 && n1 > 2)
    e1 = SafeSqrt(se1 * se1 * Sq(s1.AvX - x) + ssdt / (n1 * (n1 - 1)));
  // 7. Method 1 carries the level of the horizontal segment from the sloping line.
  if (method == 1 && typeCode == kType3) vY1 = e2 * e2;
  if (method == 1 && typeCode == kType4) vY2 = e1 * e1;

  long double sebp = 0;
  if (typeCode == kType2) {
    // 8. Delta method for the intersection Xcross = (C2 - C1)/(RC1 - RC2) of the two lines,
    // with the variances and covariances of each line's intercept and slope:
    //   Var(Xcross) = [Var C1 + Var C2 + 2 Xcross (Cov(C1,RC1) + Cov(C2,RC2))
    //                  + Xcross^2 (Var RC1 + Var RC2)] / (RC1 - RC2)^2,
    // Var Cs = s2s/Ns + AvXs^2 Var RCs, Cov(Cs,RCs) = -AvXs Var RCs, s2s = SSDFinal[s]/(Ns - 2).
    // The numerator is the variance of the two lines' difference at Xcross, so it is formed
    // about the central points, which keeps all its digits when X lies far from zero. Every term
    // is in Y units squared and the divisor in (Y/X) squared: SEBP is in X units, and changes
    // with X only (no quantity in Y units may be compared with it).
    const long double diff = rc1 - rc2;
    const long double d = diff * diff;
    const long double invSlopeDiffSq = d != 0 ? 1 / d : kBig;
    auto lineVariance = [](const SegmentStats& s, double ssd) {
      return s.N > 2 ? ssd / (s.N - 2) : kBig;
    };
    const long double s21 = lineVariance(s1, SSDFinal[1]);
    const long double s22 = lineVariance(s2, SSDFinal[2]);
    const long double interceptDiff = s2.AvY - s1.AvY + s1.AvX * rc1 - s2.AvX * rc2;
    // Where the lines cross, measured from the breakpoint (the lines of type 2 meet there).
    const long double y1 = (x - AnchorX[1]) * rc1 + AnchorY[1];
    const long double y2 = (x - AnchorX[2]) * rc2 + AnchorY[2];
    const long double xcross = diff != 0 ? x + (y2 - y1) / diff : x;
    const long double varC1 = (n1 > 0 ? s21 / n1 : kBig) + s1.AvX * s1.AvX * varRC1;
    const long double varC2 = (n2 > 0 ? s22 / n2 : kBig) + s2.AvX * s2.AvX * varRC2;
    VarRatioTerm = static_cast<double>((varRC1 + varRC2) * invSlopeDiffSq);
    InterceptDiff = static_cast<double>(interceptDiff);
    InvSlopeDiffSq = static_cast<double>(invSlopeDiffSq);
    VarC1 = static_cast<double>(varC1);
    VarC2 = static_cast<double>(varC2);
    const long double numerator = (n1 > 0 ? s21 / n1 : kBig) + varRC1 * Sq(xcross - s1.AvX) +
                                  (n2 > 0 ? s22 / n2 : kBig) + varRC2 * Sq(xcross - s2.AvX);
    const long double v = numerator * invSlopeDiffSq;
    if (v > 0 && d != 0) sebp = std::sqrt(v);
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

void SegmentEngine::StartEvaluation(double& bp, int& typeCode, int method, bool closed) {
  // 1-2. Fewer than three data sets on a side: fall back (once) to the single line, and let the
  // caller's candidate take Xmin for good.
  AccumulateSegments(bp);
  if (bp > Xmin && (Sums[1].N < 3 || Sums[2].N < 3)) {
    bp = Xmin;
    typeCode = kTypeSingle;
    AccumulateSegments(bp);
  }
  // 3-5. A split met before brought its statistics along with its sums.
  if (splitKnown_)
    splitSlot_ = nullptr;
  else
    ComputeSegmentStats();
  LoadFinalLines();
  if (typeCode == kTypeHorizontal) Slope[2] = 0;
  if (typeCode == kTypeHorizontal || typeCode == kTypeSingle) {
    SRYsqT = Stats[2].Syy;
    TotalSxx = Stats[2].Sxx;
  }
  // 6.
  BuildConstrainedLines(typeCode, method, bp);
  // 7. The margins still hold the standard errors of the preceding evaluation. Where those came
  // from the closed form, the margins that types 3 to 6 decide by must fall the same way at both
  // ends of their interval, or the pass gives them exactly.
  const bool decidesByCarried = typeCode == kType3 || typeCode == kType4 ||
                                typeCode == kType5 || typeCode == kSearchType6;
  if (closed && decidesByCarried && !CarriedErrorsExact()) {
    auto signs = [&](const std::array<double, 3>& serc) {
      unsigned bits = 0;
      for (std::size_t i = 1; i <= 2; ++i) {
        const double m = std::fabs(Slope[i]) - ConfidenceT * serc[i];
        const double u = std::fabs(Slope[i]) + ConfidenceT * serc[i];
        bits = bits << 3 | (m < 0 ? 1u : 0u) | (m > 0 ? 2u : 0u) | (u > 0 ? 4u : 0u);
      }
      return bits;
    };
    if (signs(carried_.lo) != signs(carried_.hi)) RefineCarriedErrors();
  }
  M1 = SlopeMargin(1);
  M2 = SlopeMargin(2);
  U1 = std::fabs(Slope[1]) + ConfidenceT * SERC[1];
  U2 = std::fabs(Slope[2]) + ConfidenceT * SERC[2];
  // 8.
  if (typeCode == kSearchType6) {
    if (M1 < 0 && U1 > 0) Slope[1] = 0;
    if (M2 < 0 && U2 > 0) Slope[2] = 0;
  }
}

bool SegmentEngine::FinishEvaluation(double bp, double& ce, int& typeCode, int method,
                                     CandidateCE* found) {
  // 9-10.
  std::array<long double, 3> lo{}, hi{};
  std::array<bool, 3> known{};
  if (found == nullptr) {
    ComputeFinalSSD(bp);
  } else {
    for (std::size_t s = 1; s <= 2; ++s) {
      long double value = 0;
      if (ClosedFormResidual(static_cast<int>(s), value, lo[s], hi[s])) {
        SSDFinal[s] = static_cast<double>(value);
      } else {
        value = ResidualSum(static_cast<int>(s), split_, splitLimit_, AnchorX[s], Slope[s],
                            AnchorY[s]);
        SSDFinal[s] = static_cast<double>(value);
        lo[s] = hi[s] = value;
        known[s] = true;
      }
    }
    pending_ = Pending{true, false, typeCode, method, bp, known};
  }
  ce = ExplanationCoefficient();
  // The interval of the pass's residual sums as the doubles the engine keeps.
  const double lo1 = static_cast<double>(lo[1]), lo2 = static_cast<double>(lo[2]);
  const double hi1 = static_cast<double>(hi[1]), hi2 = static_cast<double>(hi[2]);
  if (found != nullptr) {
    CandidateCE& f = *found;
    // Every field is written, so the caller's record needs no clearing first.
    f.Value = ce;
    f.Factors = {};
    f.FactorCount = 0;
    f.Exact = known[1] && known[2];
    f.Recorded = true;
    f.Lo = ExplainedShare(hi1, hi2, SRYsqT);
    f.Hi = ExplainedShare(lo1, lo2, SRYsqT);
    f.Split = split_;
    f.Limit = splitLimit_;
    f.SRYsqT = SRYsqT;
    f.Slope = Slope;
    f.AnchorX = AnchorX;
    f.AnchorY = AnchorY;
    f.SSD = SSDFinal;
    f.Known = known;
    if (!(SRYsqT > 0)) f = CandidateCE::Of(0);
  }
  auto zero = [&]() {
    ce = 0;
    if (found != nullptr) *found = CandidateCE::Of(0);
  };
  const bool noSxx1 = Stats[1].Sxx == 0, noSxx2 = Stats[2].Sxx == 0;
  if (noSxx1 && noSxx2) zero();
  if ((typeCode == kSearchType2 || typeCode == kSearchType6) && (noSxx1 || noSxx2)) zero();
  // 11-12.
  if (typeCode == kTypeHorizontal || typeCode == kTypeSingle) return true;
  if (found != nullptr) pending_.errorsRan = true;
  ComputeBreakpointErrors(typeCode, method, bp);

  // 13. Acceptance tests. A slope of exactly zero is insignificant whatever its standard error,
  // so that noise-free data still give a horizontal segment.
  const double minCount = MinSegmentCount();
  const bool countsOk = Stats[1].N >= minCount && Stats[2].N >= minCount;
  const bool flat1 = M1 < 0 || Slope[1] == 0;
  const bool flat2 = M2 < 0 || Slope[2] == 0;
  switch (typeCode) {
    case kType3:
      if (!(flat1 && M2 > 0 && countsOk)) zero();
      break;
    case kType4:
      if (!(M1 > 0 && flat2 && countsOk)) zero();
      break;
    case kType5:
      if (flat1 && flat2) {
        const double g = std::fabs(static_cast<double>(Stats[1].AvY - Stats[2].AvY)) -
                         ConfidenceT * StDevDiffYav();
        if (!(g > 0 && countsOk)) zero();
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

  if (found != nullptr) {
    // The slope errors carried into the next evaluation, with their intervals.
    ErrorRun& c = carried_;
    c.exact = c.sercExact = known[1] && known[2];
    c.serial = ++serial_;
    c.typeCode = typeCode;
    c.method = method;
    c.bp = bp;
    c.serc = SERC;
    c.lo = {0, static_cast<double>(SafeSqrt(SlopeVariance(lo1, Stats[1]))),
            static_cast<double>(SafeSqrt(SlopeVariance(lo2, Stats[2])))};
    c.hi = {0, static_cast<double>(SafeSqrt(SlopeVariance(hi1, Stats[1]))),
            static_cast<double>(SafeSqrt(SlopeVariance(hi2, Stats[2])))};
    c.split = split_;
    c.limit = splitLimit_;
    c.slope = Slope;
    c.anchorX = AnchorX;
    c.anchorY = AnchorY;
    c.ssd = SSDFinal;
    c.known = known;
    if (DecisionsOnly) {
      // Only the slope errors will be made exact again, and they read the count and Sxx; the
      // runs that wrote the report's terms are never rerun (the engine is attached anew).
      for (std::size_t s = 1; s <= 2; ++s) {
        c.stats[s].N = Stats[s].N;
        c.stats[s].Sxx = Stats[s].Sxx;
      }
    } else {
      c.stats = Stats;
      if (typeCode == kType2) type2Run_ = c;
      if (typeCode == kType3 || typeCode == kType4) type34Run_ = c;
    }
  }

  if (typeCode == kSearchType2 || typeCode == kSearchType6) {
    bool holds = false;
    if (found != nullptr && !(known[1] && known[2])) {
      // Larger residual sums only make the slopes and the jump less significant: the pass
      // decides as both ends do, or the pass must decide.
      const bool most = TypeHolds(typeCode, bp, carried_.lo[1], carried_.lo[2], lo1, lo2, countsOk);
      const bool least = TypeHolds(typeCode, bp, carried_.hi[1], carried_.hi[2], hi1, hi2, countsOk);
      if (most != least) return false;
      holds = most;
    } else {
      holds = TypeHolds(typeCode, bp, SERC[1], SERC[2], SSDFinal[1], SSDFinal[2], countsOk);
    }
    if (holds) typeCode = typeCode == kSearchType2 ? kType2 : kType6;
  }
  return true;
}

bool SegmentEngine::TypeHolds(int typeCode, double bp, double serc1, double serc2, double ssd1,
                              double ssd2, bool countsOk) const {
  const double m1 = std::fabs(Slope[1]) - ConfidenceT * serc1;
  const double m2 = std::fabs(Slope[2]) - ConfidenceT * serc2;
  if (typeCode == kSearchType2) {
    const double s1 = Slope[1], s2 = Slope[2];
    const double dr = std::fabs(s1 - s2) - ConfidenceT * std::hypot(serc1, serc2);
    const bool sameSign = (s1 > 0 && s2 > 0) || (s1 < 0 && s2 < 0);
    const bool shapeOk = (s1 > 0 && s2 < 0) || (s1 < 0 && s2 > 0) ||
                         (sameSign && !(1.2 * s2 >= s1 && 1.2 * s1 >= s2));
    return m1 > 0 && m2 > 0 && dr > 0 && shapeOk && countsOk;
  }
  const double t = ConfidenceT;
  const double y1bp = (bp - AnchorX[1]) * Slope[1] + AnchorY[1];
  const double y2bp = (bp - AnchorX[2]) * Slope[2] + AnchorY[2];
  // K1 scales the residuals of segment 1 by the Sxx of segment 2, and K2 the other way round.
  const long double kDen1 = (Stats[1].N - 2) * Stats[2].Sxx;
  const long double kDen2 = (Stats[2].N - 2) * Stats[1].Sxx;
  const long double k1 = kDen1 > 0 ? ssd1 / kDen1 : kBig;
  const long double k2 = kDen2 > 0 ? ssd2 / kDen2 : kBig;
  const double r1 = static_cast<double>(
      SafeSqrt(static_cast<long double>(serc1) * serc1 * Sq(bp - AnchorX[1]) + k1));
  const double r2 = static_cast<double>(
      SafeSqrt(static_cast<long double>(serc2) * serc2 * Sq(bp - AnchorX[2]) + k2));
  bool disconnected = y1bp - t * r1 > y2bp + t * r2 || y1bp + t * r1 < y2bp - t * r2;
  // A jump of 10 % of a level only means something between two positive levels.
  if (y1bp > 0 && y2bp > 0) {
    disconnected = disconnected || (y1bp > y2bp && y1bp - y2bp > 0.1 * y2bp) ||
                   (y1bp < y2bp && y2bp - y1bp > 0.1 * y1bp);
  }
  // Two horizontal segments are type 5's business: type 6 needs a sloping one.
  const bool sloping = m1 > 0 || m2 > 0;
  return disconnected && countsOk && sloping;
}

void SegmentEngine::EvaluateBreakpoint(double& bp, double& ce, int& typeCode, int method) {
  Settle();
  StartEvaluation(bp, typeCode, method, false);
  FinishEvaluation(bp, ce, typeCode, method, nullptr);
}

void SegmentEngine::EvaluateCandidate(double& bp, CandidateCE& ce, int& typeCode, int method) {
  if (!ClosedFormSearch) {
    double value = 0;
    EvaluateBreakpoint(bp, value, typeCode, method);
    ce = CandidateCE::Of(value);
    return;
  }
  // The previous candidate's sums stay as the closed form gave them; only what this one reads
  // (the carried slope errors) is made exact, and only where a margin needs it.
  StartEvaluation(bp, typeCode, method, true);
  double value = 0;
  if (FinishEvaluation(bp, value, typeCode, method, &ce)) return;
  // A decision too close to call from the closed form: the pass takes it.
  pending_ = Pending{};
  FinishEvaluation(bp, value, typeCode, method, nullptr);
  ce = CandidateCE::Of(value);
}

void SegmentEngine::FindExtremes() {
  const auto [lo, hi] = ExtremesOf(x_, x_ == nullptr ? 0 : n_);
  Xmin = lo;
  Xmax = hi;
}

std::pair<double, double> SegmentEngine::ExtremesOf(const long double* x, int n) {
  if (n <= 0 || x == nullptr) return {0, 0};
  long double lo = x[0], hi = x[0];
  for (int i = 1; i < n; ++i) {
    if (x[i] < lo) lo = x[i];
    if (x[i] > hi) hi = x[i];
  }
  double dlo = static_cast<double>(lo);
  if (static_cast<long double>(dlo) > lo)
    dlo = std::nextafter(dlo, -std::numeric_limits<double>::infinity());
  double dhi = static_cast<double>(hi);
  if (static_cast<long double>(dhi) < hi)
    dhi = std::nextafter(dhi, std::numeric_limits<double>::infinity());
  return {dlo, dhi};
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
  carried_.exact = carried_.sercExact = true;
  OptMethod = carry.OptMethod;
}

}  // namespace vornax
