// The two scans of the partial regression, the choice of the threshold, its companions and the
// final functions. Every evaluation goes through the segment engine.
#include "partial/PartialScan.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "regression/ReportedLines.h"

namespace vornax {

namespace {

// The substitute for a deviation that cannot be computed.
constexpr double kBig = 1000000.0;

// Factors of the slope deviation in the marks and the companions.
constexpr double kMarkFactor3 = 1.25;
constexpr double kInnerFactor3 = 0.75, kOuterFactor3 = 1.75;
constexpr double kLowFactor4 = 1.5, kHighFactor4 = 0.5;

// The grid entries between which a threshold lies well inside the X range (9.5 % and 89.5 %).
constexpr int kWindowLow = 19, kWindowHigh = 179;

// The segments at bp and the final lines of the type, as EvaluatePartialBreakpoint places them
// before it takes their residuals.
void PlacePartialLines(SegmentEngine& e, double bp, int type, int method) {
  e.AccumulateSegments(bp);
  e.ComputeSegmentStats();
  e.LoadFinalLines();
  if (type == kTypeHorizontal) e.Slope[2] = 0;
  if (type == kTypeHorizontal || type == kTypeSingle) {
    e.SRYsqT = e.Stats[2].Syy;
    e.TotalSxx = e.Stats[2].Sxx;
  } else {
    int code = type;
    e.BuildConstrainedLines(code, method, bp);
  }
}

PartialScanLine MakeLine(const SegmentEngine& e, double bp, double stDev, bool mark) {
  PartialScanLine line;
  const SegmentStats& a = e.Stats[1];
  const SegmentStats& b = e.Stats[2];
  line.BP = bp;
  line.N1 = static_cast<int>(a.N);
  line.AvY1 = a.AvY;
  line.AvX1 = a.AvX;
  line.AvY2 = b.AvY;
  line.AvX2 = b.AvX;
  line.Slope1 = a.RC;
  line.Slope2 = b.RC;
  line.StDevSlope = stDev;
  line.Mark = mark;
  return line;
}

PartialFunction BuildFunction(SegmentEngine& e, int type, double bp, int nrOfData) {
  PartialFunction f;
  f.Built = true;
  f.Type = type;
  f.Threshold = bp;
  f.CE = EvaluatePartialBreakpoint(e, bp, type, 2);
  f.Stats = e.Stats;
  f.Slope = e.Slope;
  f.AnchorX = e.AnchorX;
  f.AnchorY = e.AnchorY;
  f.SSDFinal = e.SSDFinal;
  f.SERC = e.SERC;
  f.SESlope = e.SESlope;
  f.SDYbp = e.SDYbp;
  const LevelShift shift = ComputeLevelShift(e, type, bp, nrOfData);
  f.IncreaseVariant = shift.Variant;
  f.Fraction = shift.Fraction;
  f.IncreaseYi = shift.Yi;
  f.SEFraction = shift.SEFrac;
  f.SEIncreaseYi = shift.SEYi;
  return f;
}

class Scan {
 public:
  Scan(SegmentEngine& engine, const long double* y, const long double* x, int n)
      : e_(engine), y_(y), x_(x), n_(n) {}

  PartialResult Run() {
    PartialResult& r = r_;
    r.XMin = e_.Xmin;
    r.XMax = e_.Xmax;
    const double step = (r.XMax - r.XMin) / kPartialGridSize;
    r.Grid[0] = r.XMin;
    for (int j = 1; j < kPartialGridSize; ++j) r.Grid[static_cast<size_t>(j)] = r.XMin + j * step;
    grid_ = r.Grid;

    // The single line through all data: the totals, the overall slope.
    EvaluatePartialBreakpoint(e_, r.XMin, kTypeSingle, 2);
    r.Single = e_.Stats[2];
    r.SRYsqT = static_cast<double>(e_.SRYsqT);
    r.SSDSingle = std::max(static_cast<double>(e_.Stats[2].SSD), 0.0);
    r.OverallSlope = static_cast<double>(e_.Stats[2].RC);
    r.SingleIntercept = static_cast<double>(e_.Stats[2].C);
    if (PartialSlopeDeviation(e_.Stats[1]) >= kBig || PartialSlopeDeviation(e_.Stats[2]) >= kBig) {
      r.NoSlopeDeviation = true;
      FinishSingle();
      return r;
    }

    ScanType3();
    ScanType4();
    Decide();
    return r;
  }

 private:
  // Type 3: is the lower segment level? The threshold is the last candidate marked "#".
  void ScanType3() {
    PartialResult& r = r_;
    const double s0 = r.OverallSlope;
    const bool falling = s0 <= 0;
    bool inner = false, outer = false;
    // The best coefficient as the closed form finds it, made exact once the scan is done.
    SegmentEngine::CandidateCE best = SegmentEngine::CandidateCE::Of(r.BestCE3);
    for (int j = 0; j + 1 < kPartialGridSize; ++j) {
      double& candidate = grid_[static_cast<size_t>(j)];
      SegmentEngine::CandidateCE ce;
      int code = kType3;
      // The search's own evaluation with the type-3 acceptance tests; a candidate with fewer
      // than three data sets on a side falls back to Xmin here, also for the type-4 scan.
      e_.EvaluateCandidate(candidate, ce, code, 2);
      const SegmentStats& a = e_.Stats[1];
      const SegmentStats& b = e_.Stats[2];
      if (!(a.N > 2 && b.N > 2)) continue;
      const double bp = candidate;
      const double s1 = static_cast<double>(a.RC), s2 = static_cast<double>(b.RC);
      const double sd1 = PartialSlopeDeviation(a);
      const double sd = kMarkFactor3 * sd1;
      const bool counts = a.N > 4 && b.N > 4;
      const bool mark =
          counts && (falling ? s1 > -sd && std::fabs(s1) < std::fabs(s2) &&
                                   (std::fabs(s1) < std::fabs(s0) || s1 >= 0)
                             : s1 <= sd && s1 < s2 && (s1 < s0 || s1 <= 0));
      PartialScanLine line = MakeLine(e_, bp, sd, mark);
      line.Slope3 = e_.Slope[2];
      line.StDevKnown = sd1 < kBig;
      r.Scan3.push_back(line);

      if (mark) {
        // Presence, not a positive value, says that a threshold was found: X may lie at or
        // below zero.
        if (!r.Found3 || bp > r.ThresholdBP3) r.ThresholdBP3 = bp;
        r.Found3 = true;
        if (e_.Exceeds(ce, best)) best = ce;
      }
      auto companion = [&](double factor) {
        if (!(counts && std::fabs(s1) < std::fabs(s2))) return false;
        return falling ? -factor * sd1 < s1 && s1 < factor * sd1 : s1 < factor * sd1;
      };
      if (companion(kInnerFactor3)) {
        r.BP3Inner = bp;
        inner = true;
      }
      if (companion(kOuterFactor3)) {
        r.BP3Outer = bp;
        outer = true;
      }
    }
    r.BestCE3 = e_.ExactValue(best);
    e_.Settle();
    // A companion that no candidate passed stands at the threshold itself, so that the standard
    // error of the threshold does not grow out of a missing value.
    if (!inner) r.BP3Inner = r.Found3 ? r.ThresholdBP3 : 0;
    if (!outer) r.BP3Outer = r.Found3 ? r.ThresholdBP3 : 0;
  }

  // Type 4: is the upper segment level? The threshold is the first candidate marked "#".
  void ScanType4() {
    PartialResult& r = r_;
    const double s0 = r.OverallSlope;
    const bool rising = s0 > 0, falling = s0 < 0;
    bool low = false, high = false;
    double bpLow = 0, bpHigh = 0;
    // Of the residual sums only the best coefficient depends on them (the marks and companions
    // read the segment statistics, the lines of method 2 no slope errors): each candidate takes
    // them from the closed form, the comparisons decide as the pass would, and the best is made
    // exact once the scan is done.
    const bool closed = e_.ClosedFormSearch;
    SegmentEngine::CandidateCE best = SegmentEngine::CandidateCE::Of(r.BestCE4);
    for (int j = 0; j + 1 < kPartialGridSize; ++j) {
      const double bp = grid_[static_cast<size_t>(j)];
      SegmentEngine::CandidateCE ce;
      if (closed) {
        PlacePartialLines(e_, bp, kType4, 2);
        e_.ClosedFormCandidate(ce);
      } else {
        ce = SegmentEngine::CandidateCE::Of(EvaluatePartialBreakpoint(e_, bp, kType4, 2));
      }
      const SegmentStats& a = e_.Stats[1];
      const SegmentStats& b = e_.Stats[2];
      const double s1 = static_cast<double>(a.RC), s2 = static_cast<double>(b.RC);
      const double sd2 = PartialSlopeDeviation(b);
      auto level = [&](double sd) {
        if (rising) return s2 < sd && s2 < s1 && (s2 < s0 || s2 <= 0);
        if (falling) {
          return s2 > -sd && std::fabs(s2) < std::fabs(s1) && (std::fabs(s2) < std::fabs(s0) || s2 >= 0);
        }
        return false;
      };
      const bool mark = a.N > 5 && level(sd2);
      if (a.N > 2 && b.N > 2 && s0 != 0) {
        PartialScanLine line = MakeLine(e_, bp, sd2, mark);
        line.Slope3 = e_.Slope[1];
        line.StDevKnown = sd2 < kBig;
        r.Scan4.push_back(line);
      }
      if (mark) {
        if (!r.Found4) r.ThresholdBP4 = bp;
        r.Found4 = true;
        if (e_.Exceeds(ce, best)) best = ce;
      }
      if (a.N > 5 && b.N > 5) {
        if (!low && level(kLowFactor4 * sd2)) {
          bpLow = bp;
          low = true;
        }
        if (!high && level(kHighFactor4 * sd2)) {
          bpHigh = bp;
          high = true;
        }
      }
    }
    r.BestCE4 = e_.ExactValue(best);
    // The residual sums and error terms of the last candidate as the pass leaves them (each
    // evaluation writes all of them afresh, so this one pass gives what 199 would).
    if (closed) EvaluatePartialBreakpoint(e_, grid_[kPartialGridSize - 2], kType4, 2);
    if (r.Found4 && r.ThresholdBP4 >= r.XMax) {
      r.Found4 = false;
      r.ThresholdBP4 = 0;
    }
    if (!r.Found4) {
      r.BP4Low = r.BP4High = 0;
      return;
    }

    // The companions are kept near the threshold, measured as fractions of its distance from
    // the smallest X, so that data far from zero or below it get sensible intervals. A
    // companion that no candidate passed takes the lower end of its interval.
    double b4 = r.ThresholdBP4;
    const double d = b4 - r.XMin;
    const double lowest = -std::numeric_limits<double>::infinity();
    bpLow = std::clamp(low ? bpLow : lowest, r.XMin + 0.85 * d, r.XMin + 0.95 * d);
    bpHigh = std::clamp(high ? bpHigh : lowest, r.XMin + 0.95 * d, r.XMin + 1.05 * d);
    const double dLow = b4 - bpLow, dHigh = bpHigh - b4;

    // Walk the threshold up past the data sets that still lie off the level.
    EvaluatePartialBreakpoint(e_, b4, kType4, 2);
    const long double avY1 = e_.Stats[1].AvY, avY2 = e_.Stats[2].AvY;
    const long double sd1 = PartialSlopeDeviation(e_.Stats[1]);
    const long double sd2 = PartialSlopeDeviation(e_.Stats[2]);
    const long double xLast = x_[n_ - 1];
    int k = static_cast<int>(std::upper_bound(x_, x_ + n_, static_cast<long double>(b4)) - x_) - 1;
    k = std::max(k, 0);
    auto off = [&](int i, double bp) {
      if (falling) return y_[i] > avY2 + sd2 * (xLast - bp);
      if (rising) return y_[i] < avY1 - sd1 * (xLast - bp);
      return false;
    };
    while (k + 1 < n_ && off(k, b4)) {
      b4 = static_cast<double>(x_[k + 1]);
      ++k;
    }
    r.ThresholdBP4 = b4;
    r.BP4Low = b4 - dLow;
    r.BP4High = b4 + dHigh;
  }

  void Decide() {
    PartialResult& r = r_;
    // A level stretch is there when some candidate marked level also passed the type's tests,
    // that is when its best coefficient of explanation is above zero; the found flags alone say
    // only that a mark was seen (which a threshold at X <= 0 needs to be told from none). The
    // type with the larger best coefficient wins.
    r.Found3 = r.Found3 && r.BestCE3 > 0;
    r.Found4 = r.Found4 && r.BestCE4 > 0;
    r.BothHorizontal = r.Found3 && r.Found4;
    if (r.Found3 && r.BestCE3 > r.BestCE4) {
      r.ResultType = kType3;
    } else if (r.Found4) {
      r.ResultType = kType4;
    } else {
      FinishSingle();
      return;
    }
    r.Method = 2;
    const bool three = r.ResultType == kType3;
    const double winner = three ? r.ThresholdBP3 : r.ThresholdBP4;
    // Judged on the grid as made: a fall-back may have moved these entries to Xmin.
    r.KeepScanTable = winner >= r.Grid[kWindowLow] && winner <= r.Grid[kWindowHigh];
    r.Breakpoint = winner;
    if (r.BothHorizontal && r.ThresholdBP4 < r.ThresholdBP3) {
      if (three) {
        r.ThresholdBP4 = winner;
      } else {
        r.ThresholdBP3 = winner;
      }
    }
    // A standard error is a distance: the companions of a threshold can lie either way round.
    r.StErrBreakpoint = three ? 0.7 * std::fabs(r.BP3Outer - r.BP3Inner)
                              : 0.7 * std::fabs(r.BP4High - r.BP4Low);

    r.Final = BuildFunction(e_, r.ResultType, winner, n_);
    if (r.BothHorizontal) {
      r.Other = BuildFunction(e_, three ? kType4 : kType3, three ? r.ThresholdBP4 : r.ThresholdBP3,
                              n_);
      BuildThreePiece();
    }

    const PartialFunction& f = r.Final;
    if (three) {
      r.As = 0;
      r.Ag = f.Slope[2];
    } else {
      r.Ag = 0;
      r.As = f.Slope[1];
    }
    // A slope against the direction of the whole relation is not reported.
    auto against = [&](double slope) {
      return (slope > 0 && r.OverallSlope < 0) || (slope < 0 && r.OverallSlope > 0);
    };
    if (against(r.As)) r.As = 0;
    if (against(r.Ag)) r.Ag = 0;
    r.Cs = f.AnchorY[1] - r.As * f.AnchorX[1];
    r.Cg = f.AnchorY[2] - r.Ag * f.AnchorX[2];
  }

  void BuildThreePiece() {
    PartialResult& r = r_;
    ThreePieceFunction& t = r.ThreePiece;
    const PartialFunction& f3 = r.ResultType == kType3 ? r.Final : r.Other;
    const PartialFunction& f4 = r.ResultType == kType4 ? r.Final : r.Other;
    t.ThresholdBP3 = r.ThresholdBP3;
    t.ThresholdBP4 = r.ThresholdBP4;
    if (t.ThresholdBP3 > t.ThresholdBP4) {
      t.ThresholdBP3 = t.ThresholdBP4 = (t.ThresholdBP3 + t.ThresholdBP4) / 2;
    }
    t.Level3 = f3.Level();
    t.Level4 = f4.Level();

    const long double lo = t.ThresholdBP3, hi = t.ThresholdBP4;
    long double sumX = 0, sumY = 0;
    int m = 0;
    for (int i = 0; i < n_; ++i) {
      if (x_[i] > lo && x_[i] <= hi) {
        sumX += x_[i];
        sumY += y_[i];
        ++m;
      }
    }
    t.MiddleCount = m;
    if (m > 0) {
      const long double avX = sumX / m, avY = sumY / m;
      long double sxx = 0, sxy = 0;
      for (int i = 0; i < n_; ++i) {
        if (x_[i] > lo && x_[i] <= hi) {
          sxx += (x_[i] - avX) * (x_[i] - avX);
          sxy += (x_[i] - avX) * (y_[i] - avY);
        }
      }
      if (m > 1 && sxx == 0) {
        // Several middle points at one X: no line runs through them.
        r.BothHorizontal = false;
        return;
      }
      t.MiddleAvX = static_cast<double>(avX);
      t.MiddleAvY = static_cast<double>(avY);
      t.MiddleSlope = m > 1 ? static_cast<double>(sxy / sxx) : 0;
    }
    long double ssd = 0;
    for (int i = 0; i < n_; ++i) {
      const long double d = y_[i] - t.Value(static_cast<double>(x_[i]));
      ssd += d * d;
    }
    t.SSD = static_cast<double>(ssd);
    t.CentralCE = r.SRYsqT > 0 ? static_cast<double>(1 - ssd / r.SRYsqT) : 0;
  }

  // No horizontal stretch: the single line is the answer.
  void FinishSingle() {
    PartialResult& r = r_;
    r.ResultType = kTypeSingle;
    r.BothHorizontal = false;
    r.KeepScanTable = false;
    r.Breakpoint = r.XMin;
    r.Ag = r.As = r.OverallSlope;
    r.Cg = r.Cs = r.SingleIntercept;
  }

  SegmentEngine& e_;
  const long double* y_;
  const long double* x_;
  int n_;
  PartialResult r_;
  std::array<double, kPartialGridSize> grid_{};
};

}  // namespace

double ThreePieceFunction::Value(double x) const {
  if (x <= ThresholdBP3) return Level3;
  if (x > ThresholdBP4) return Level4;
  return MiddleAvY + MiddleSlope * (x - MiddleAvX);
}

double PartialSlopeDeviation(const SegmentStats& st) {
  if (st.N < 3) return 0;
  if (st.SSD < 0 || !(st.Sxx > 0)) return kBig;
  return static_cast<double>(st.StDevRC);
}

double EvaluatePartialBreakpoint(SegmentEngine& engine, double bp, int type, int method) {
  SegmentEngine& e = engine;
  PlacePartialLines(e, bp, type, method);
  e.ComputeFinalSSD(bp);
  const double ce = e.ExplanationCoefficient();
  if (type >= kType2) e.ComputeBreakpointErrors(type, method, bp);
  return ce;
}

PartialResult RunPartialScan(SegmentEngine& engine, const long double* y, const long double* x,
                             int n) {
  return Scan(engine, y, x, n).Run();
}

}  // namespace vornax
