// What a run found, as numbers: the function chosen, its breakpoint with errors and limits, the
// coefficients of the printed equations, the coefficients of explanation, the ANOVA rows and the
// data table with calculated values. The analysis fills it while it writes its report, the ANOVA
// adds its rows, and the summary, the JSON file and the window read it; none of them takes a
// number back out of a report's text.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "data/BrokenLinesResult.h"
#include "data/CurveResult.h"

namespace vornax {

// One row of an ANOVA table: what a source explains and the F-test against what remains.
struct AnovaRowResult {
  std::string Kind;    // "explained", "extra" or "total"
  std::string Source;  // the row's label without padding: "lin. regr.", "break-point", ...
  double SumOfSquares = 0;
  int Df1 = 0;
  int Df2 = 0;  // residual degrees of freedom of the test (0 or below: no test)
  std::optional<double> F;
  std::optional<double> Significance;  // percent, as the table prints it
  double ResidualSumOfSquares = 0;     // the "remaining unexplained" lines (not for "total")
};

// How far a type came in the search: the best coefficient of explanation of a candidate of the
// type that passed the type's tests, and the search's threshold after the type (CE1, CE3M,
// CE4M, ...): the coefficient of the type's candidate that beat the threshold the type was
// given, or else that threshold itself, which carries the margins a later type must beat the
// best by (x 1.1 for type 6, x 1.5 or x 1.2 after a preferred type). So it is no coefficient
// of explanation and may exceed 1.
struct CandidateResult {
  int Type = 0;
  bool Accepted = false;  // some candidate passed the type's tests
  double CE = 0;          // the best such candidate (0 when none)
  double SearchMaximum = 0;
};

// The permutation test for the existence of a break.
struct BreakTestResult {
  bool Done = false;
  bool Cancelled = false;   // stopped on request before its shuffles were done
  int Permutations = 0;     // the shuffles made
  int AtLeastAsLarge = 0;   // permutations whose extra explanation reached the observed one
  int SettledByBound = 0;   // of the shuffles made, those a quick bound judged without a search
  // Stopped by the sequential rule once StopAfter shuffles had reached the observed value:
  // P = AtLeastAsLarge / Permutations.
  bool StoppedEarly = false;
  int StopAfter = 0;        // the rule's count; 0 when every shuffle was to be made
  // The share of what the straight line leaves unexplained that the break explains:
  // (CE of the chosen type - CE of the line) / (1 - CE of the line); 0 without a break.
  double Observed = 0;
  double P = 1;             // (1 + AtLeastAsLarge) / (Permutations + 1), unless stopped early
  unsigned long long Seed = 0;
};

// One stage of a two-variable run: the variable it fits (Y on the first variable, then what
// that leaves on the second) and what its search found.
struct StageResult {
  std::string Variable = "X";  // "X" or "Z"
  int Type = 1;                // 0 to 6
  int Method = 0;              // 1 or 2 for types 2, 3 and 4, else 0
  bool HasBreakpoint = false;
  double Breakpoint = 0;
  std::optional<double> BreakpointSE;  // types 2, 3 and 4
  std::optional<double> LowerLimit, UpperLimit;
  std::optional<double> LikelihoodLower, LikelihoodUpper;  // types 2, 3 and 4
  double SearchCE = 0;  // the best coefficient of explanation of the stage's search
};

// The four plane equations of a two-variable run, Y = A·v1 + B·v2 + C, with v1 the first
// stage's variable: s/g for the first variable below/at or above its breakpoint, then for the
// second.
struct PlaneResult {
  double As = 0, Ag = 0, Bs = 0, Bg = 0, Css = 0, Csg = 0, Cgs = 0, Cgg = 0;
};

// The level stretches of a partial regression: at the low end up to ThresholdLow (type 3), at
// the high end from ThresholdHigh on (type 4), with the confidence companions of each threshold.
// When both ends are level, the three-piece function joins the two levels by a line.
struct LevelStretchResult {
  bool LowFound = false, HighFound = false;
  double ThresholdLow = 0, ThresholdHigh = 0;
  double LowInner = 0, LowOuter = 0;    // companions of the low-end threshold
  double HighLow = 0, HighHigh = 0;     // companions of the high-end threshold
  bool ThreePiece = false;
  double LevelLow = 0, LevelHigh = 0;   // the two levels of the three-piece function
  double MiddleSlope = 0;
  double CentralCE = 0;                 // coefficient of explanation of the three-piece function
  bool ScanTableKept = false;
};

struct RunResult {
  bool Valid = false;
  std::string Analysis;  // "one-variable", "two-variable", "partial", "quadratic", ...
  std::string Variable = "X";  // the analysed variable of a one-variable run: "X" or "Z"
  double ConfidenceT = 1.75;
  int ConfidencePercent = 90;

  // The segmented function as the report's summary gives it.
  int Type = 1;             // 0 to 6
  int PrintedTypeCode = 1;  // the code on the "Function type :" line (6, 7 or 8 for type 6)
  std::string TypeText;     // the words of that line
  int Method = 0;           // 1 or 2 for types 2, 3 and 4, else 0
  bool HasBreakpoint = false;
  double Breakpoint = 0;
  std::optional<double> BreakpointSE;  // types 2, 3 and 4
  std::optional<double> LowerLimit, UpperLimit;
  // The breakpoints whose residual sum of squares is not significantly larger than the chosen
  // one's (an F test at the run's confidence level); types 2, 3 and 4.
  std::optional<double> LikelihoodLower, LikelihoodUpper;
  // Y = A·X + C below and at or above the breakpoint (one line: the "above" pair).
  double SlopeBelow = 0, InterceptBelow = 0, SlopeAbove = 0, InterceptAbove = 0;
  double CE = 0;          // of the reported function
  double CEStraight = 0;  // of the single straight line
  double CEChosen = 0;    // of the chosen type in the search (the break test's statistic uses it)
  std::vector<CandidateResult> Candidates;  // types 1 to 6 in this order

  // The data in report order with the calculated values of the printed equations.
  std::vector<double> X, Y, YCalc;
  std::vector<bool> Added;

  // Two-variable runs: the sequence (1: X first, 2: Z first), its two stages, the planes, the
  // coefficient of explanation of the least-squares plane of Y on X and Z, and the data table's
  // other columns (Z as entered, the residuals of the first stage). X and Y are then in the order
  // entered, and the type, method and breakpoint above are those of the first stage.
  int Sequence = 0;
  std::vector<StageResult> Stages;
  PlaneResult Plane;
  double CEWithoutBreaks = 0;
  std::vector<double> Z, FirstResiduals;
  int PreferredTypeZ = -1;
  int ExcludedTypeZ = 0;

  // Partial regression runs only.
  std::optional<LevelStretchResult> LevelStretch;

  // Broken lines with several breakpoints only (Analysis "breakpoints").
  std::optional<BrokenLinesResult> BrokenLines;

  std::vector<AnovaRowResult> Anova;
  BreakTestResult BreakTest;

  // The information messages the run showed (a breakpoint interval beyond the data, a fit of
  // low significance, ...), in the order shown: a result is never presented as clean when its
  // run warned.
  std::vector<std::string> Warnings;

  // The numbers of a curved fit (Analysis names the curve; X, Y, YCalc, CE and CEStraight are
  // filled too). Valid stays false for curves until the summary and the JSON file read them.
  std::optional<CurveResult> Curve;

  // The values the permutation test needs to repeat the search on permuted Y: the preference
  // and exclusion of the run and the carried slope errors and method it started from.
  int PreferredType = -1;
  int ExcludedType = 0;
  // The breakpoint the user fixed (no search took place, so there is nothing for the break test
  // to account for), or the range the search kept to.
  std::optional<double> FixedBreakpoint;
  std::optional<double> SearchLow, SearchHigh;
  double StartSERC1 = 0, StartSERC2 = 0;
  int StartOptMethod = 1;
};

}  // namespace vornax
