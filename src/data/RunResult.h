// What a run found, as numbers: the function chosen, its breakpoint with errors and limits, the
// coefficients of the printed equations, the coefficients of explanation, the ANOVA rows and the
// data table with calculated values. The analysis fills it while it writes its report, the ANOVA
// adds its rows, and the summary, the JSON file and the window read it; none of them takes a
// number back out of a report's text.
#pragma once

#include <optional>
#include <string>
#include <vector>

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
// type that passed the type's tests, and the search's running maximum after the type (CE1,
// CE3M, CE4M, ...), which the next type had to beat.
struct CandidateResult {
  int Type = 0;
  bool Accepted = false;  // some candidate passed the type's tests
  double CE = 0;          // the best such candidate (0 when none)
  double SearchMaximum = 0;
};

// The permutation test for the existence of a break.
struct BreakTestResult {
  bool Done = false;
  int Permutations = 0;
  int AtLeastAsLarge = 0;   // permutations whose extra explanation reached the observed one
  // The share of what the straight line leaves unexplained that the break explains:
  // (CE of the chosen type - CE of the line) / (1 - CE of the line); 0 without a break.
  double Observed = 0;
  double P = 1;             // (1 + AtLeastAsLarge) / (Permutations + 1)
  unsigned long long Seed = 0;
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
  // Y = A·X + C below and at or above the breakpoint (one line: the "above" pair).
  double SlopeBelow = 0, InterceptBelow = 0, SlopeAbove = 0, InterceptAbove = 0;
  double CE = 0;          // of the reported function
  double CEStraight = 0;  // of the single straight line
  double CEChosen = 0;    // of the chosen type in the search (the break test's statistic uses it)
  std::vector<CandidateResult> Candidates;  // types 1 to 6 in this order

  // The data in report order with the calculated values of the printed equations.
  std::vector<double> X, Y, YCalc;
  std::vector<bool> Added;

  std::vector<AnovaRowResult> Anova;
  BreakTestResult BreakTest;

  // The numbers of a curved fit (Analysis names the curve; X, Y, YCalc, CE and CEStraight are
  // filled too). Valid stays false for curves until the summary and the JSON file read them.
  std::optional<CurveResult> Curve;

  // The values the permutation test needs to repeat the search on permuted Y: the preference
  // and exclusion of the run and the carried slope errors and method it started from.
  int PreferredType = -1;
  int ExcludedType = 0;
  double StartSERC1 = 0, StartSERC2 = 0;
  int StartOptMethod = 1;
};

}  // namespace vornax
