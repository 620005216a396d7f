// The partial regression scan: over which part of the X range may the slope of Y on X be taken
// as zero? Two scans over 199 candidate breakpoints look for a horizontal stretch at the low end
// (type 3: level, then sloping) and at the high end (type 4: sloping, then level); the threshold
// of the better one is the answer, with confidence companions, the final functions and, when
// both ends are level, a three-piece function.
//
// The scan works on a SegmentEngine attached to data sorted by X and leaves everything the
// reports, the variance analysis and the graphs need in a PartialResult made of numbers.
#pragma once

#include <array>
#include <vector>

#include "regression/SegmentEngine.h"

namespace vornax {

// Number of entries of the candidate grid; the scans use entries 0 to kPartialGridSize - 2.
constexpr int kPartialGridSize = 200;

// One candidate of a scan as the scan table shows it.
struct PartialScanLine {
  double BP = 0;
  int N1 = 0;
  // Segment statistics, kept in their own precision.
  long double AvY1 = 0, AvX1 = 0, AvY2 = 0, AvX2 = 0;
  long double Slope1 = 0, Slope2 = 0;  // unconstrained regression coefficients of the segments
  double Slope3 = 0;              // constrained slope of the sloping segment
  double StDevSlope = 0;          // 1.25 * SD1 (type 3) or SD2 (type 4)
  bool StDevKnown = true;         // false: the deviation could not be computed ("n.a.")
  bool Mark = false;              // "#": the slope of the level segment may be taken zero
};

// The final function of one type at its threshold: the segment statistics and the final lines
// as the engine left them, with the error terms of that evaluation.
struct PartialFunction {
  bool Built = false;
  int Type = 0;  // 3 or 4
  double Threshold = 0;
  std::array<SegmentStats, 3> Stats{};
  std::array<double, 3> Slope{}, AnchorX{}, AnchorY{}, SSDFinal{}, SERC{};
  double CE = 0, SESlope = 0, SDYbp = 0;
  // The fraction of the data beside the level segment and the increase of Y (as the one-variable
  // report gives them for types 3 and 4).
  bool IncreaseVariant = false;
  double Fraction = 0, IncreaseYi = 0, SEFraction = 0, SEIncreaseYi = 0;
  // The level of the horizontal segment: AvY1 for type 3, AvY2 for type 4.
  double Level() const { return Type == 3 ? AnchorY[1] : AnchorY[2]; }
};

// Level at the low end up to ThresholdBP3, a least-squares line between the thresholds, level at
// the high end beyond ThresholdBP4.
struct ThreePieceFunction {
  double ThresholdBP3 = 0, ThresholdBP4 = 0;
  double Level3 = 0, Level4 = 0;
  int MiddleCount = 0;
  double MiddleSlope = 0, MiddleAvX = 0, MiddleAvY = 0;
  double SSD = 0, CentralCE = 0;
  double Value(double x) const;
};

struct PartialResult {
  // 1: no horizontal stretch (the single line is reported); 3 or 4: the type found.
  int ResultType = 1;
  int Method = 2;
  // The deviation of the single line's slope could not be computed; no scan was made.
  bool NoSlopeDeviation = false;

  double XMin = 0, XMax = 0;
  double OverallSlope = 0;  // slope of the single line through all data
  double SRYsqT = 0;        // sum of squares of Y about its average
  double SSDSingle = 0;     // residual sum of squares of the single line
  SegmentStats Single{};    // statistics of all data
  double SingleIntercept = 0;

  // The candidate grid as made (entries never moved by a fall-back).
  std::array<double, kPartialGridSize> Grid{};

  // Thresholds and their companions. A missing threshold is held as absent and printed as 0.
  bool Found3 = false, Found4 = false;
  double ThresholdBP3 = 0, ThresholdBP4 = 0;
  double BestCE3 = 0, BestCE4 = 0;
  double BP3Inner = 0, BP3Outer = 0;
  double BP4Low = 0, BP4High = 0;
  bool BothHorizontal = false;

  // The answer: threshold of the winning type and its standard error.
  double Breakpoint = 0;
  double StErrBreakpoint = 0;

  PartialFunction Final;  // of the winning type
  PartialFunction Other;  // of the other type, built when BothHorizontal is on
  ThreePieceFunction ThreePiece;  // valid when BothHorizontal is on

  // The equations of the summary: Y = As.X + Cs below the breakpoint, Ag.X + Cg from it on
  // (type 1: A = Ag, C = Cg).
  double As = 0, Ag = 0, Cs = 0, Cg = 0;

  // Both scan tables; the one of the winning type is written when KeepScanTable is on.
  std::vector<PartialScanLine> Scan3, Scan4;
  bool KeepScanTable = false;

  bool HorizontalFound() const { return ResultType > 1; }
  double Ycalc(double x) const { return x < Breakpoint ? As * x + Cs : Ag * x + Cg; }
};

// The standard deviation of a segment's regression coefficient as the scans read it: 1,000,000
// when it cannot be computed (a segment of three or more data sets whose residual sum of squares
// is negative or whose X do not vary), 0 for a segment too small to have statistics.
double PartialSlopeDeviation(const SegmentStats& st);

// One evaluation for the partial regression: the segments at bp, the final lines of the type
// (0 horizontal single line, 1 single line, 3 or 4 with method 1 or 2), their residuals and the
// coefficient of explanation, which it returns; for types 3 and 4 also the error terms. Unlike
// the breakpoint search's evaluation it neither falls back nor applies acceptance tests. Types 0
// and 1 set the engine's totals (SRYsqT, TotalSxx).
double EvaluatePartialBreakpoint(SegmentEngine& engine, double bp, int type, int method);

// The whole scan on an engine attached to at least three data sets sorted by X, with Xmin and
// Xmax set (Xmax - Xmin >= 0.001). `y` and `x` are the attached arrays.
PartialResult RunPartialScan(SegmentEngine& engine, const long double* y, const long double* x,
                             int n);

}  // namespace vornax
