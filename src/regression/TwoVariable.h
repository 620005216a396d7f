// The two-variable segmented regression: Y is fitted on one independent variable, and what that
// leaves (the residuals) on the other, in the order that explains Y best: sequence 1 takes X
// first and then Z, sequence 2 Z first and then X. The two stages combine into four plane
// equations, one for each pair of sides of the two breakpoints.
//
// The analysis ends in a TwoVariableResult made of numbers only; the report, the variance file
// and whoever else shows the run (summary, window, graphs) read that result.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <vector>

#include "data/DataSet.h"
#include "data/RunOptions.h"
#include "data/UserDialogs.h"
#include "regression/ReportedLines.h"
#include "regression/SegmentEngine.h"

namespace vornax {

// What the search found for one variable (on Y, or on the residuals for the second stage).
struct VariableSearchResult {
  int Type = 1;    // 1 to 6
  int Method = 0;  // 1 or 2 for types 2, 3 and 4; the last such method otherwise
  double BP = 0;   // the variable's minimum for type 1
  double CE = 0;
};

// One regression block of the report: a stage without or with its breakpoint, or the relation
// between the two independent variables. Everything the report prints of it.
struct TwoVariableSection {
  enum Kind { FirstWithout = 0, FirstWith = 1, SecondWithout = 2, SecondWith = 3, Relation = 4 };
  Kind Section = FirstWithout;
  bool VariableIsZ = false;  // the regressor of the block is Z (labels "Z", "BPz")
  int Type = 1;
  int Method = 0;
  double BP = 0;
  std::array<SegmentStats, 3> Stats{};  // [1] below, [2] at or above the breakpoint
  std::array<double, 3> Slope{}, AnchorX{}, AnchorY{}, SSDFinal{}, SERC{};
  double SEBP = 0, SDYbp = 0, SESlope = 0, CE = 0, StDevDiffYav = 0;
  LevelShift Shift;    // types 3 and 4
  Type6Levels Levels;  // type 6
};

// One stage of the chosen sequence.
struct TwoVariableStage {
  bool VariableIsZ = false;  // the stage's independent variable is Z
  int Type = 1;              // 0 to 6 (a single line with an insignificant slope is type 0)
  int Method = 0;
  double BP = 0;             // the variable's minimum for types 0 and 1
  double Min = 0, Max = 0;   // of the stage's variable
  double SearchCE = 0;       // the best coefficient of explanation of its search
  // The stage's line on each side of its breakpoint (index 1 below, 2 at or above) as it enters
  // the combined equations: Yc = (v - AnchorX) * Slope + AnchorY.
  std::array<double, 3> Slope{}, AnchorX{}, AnchorY{};
};

struct TwoVariableResult {
  VariableSearchResult SearchX, SearchZ;  // Y on X and Y on Z, before the choice
  int SequenceNr = 0;                     // 1: X first, 2: Z first
  TwoVariableStage First, Second;
  std::vector<TwoVariableSection> Sections;  // in the order of the report
  std::vector<double> FirstResiduals;   // Y minus the first stage, per data set as entered
  std::vector<double> LatestResiduals;  // the first residuals minus the second stage
  std::vector<double> YCalc;
  double As = 0, Ag = 0, Bs = 0, Bg = 0, Css = 0, Csg = 0, Cgs = 0, Cgg = 0;
  double OverallCE = 0;
  // The coefficient of explanation of the least-squares plane of Y on X and Z: what the run's
  // breaks are judged against (the two stages as straight lines are no fit of their own, and a
  // break in the first variable would already show in the second stage's residuals).
  double PlaneCE = 0;
  bool SingleSlopeSignificant = false;  // of Y on the first variable
  // The sums of squares of the variance file.
  int NrOfData = 0;
  double SST = 0;      // of Y about its average
  double SSLine1 = 0;  // about the single line of Y on the first variable
  double SSRes1 = 0;   // of the first residuals about their average
  double SSLine2 = 0;  // about the single line of the first residuals on the second variable
  double SSSeg2 = 0;   // about the second stage's segmented lines (types 2 to 6)
};

struct TwoVariableChoices {
  double ConfidenceT = 1.75;
  int PreferredTypeX = -1, PreferredTypeZ = -1;  // -1 none, else 1 to 6
  int ExcludedTypeX = 0, ExcludedTypeZ = 0;      // 0 none, else 2 to 6
};

// The search of one variable on the engine as attached (Xmin and Xmax set): the single line,
// then types 3, 4, 5, 2 and 6, each of the last three having to beat the best so far by 10 %
// (the factors compound). A preferred type 1 keeps the single line.
VariableSearchResult SearchBestType(SegmentEngine& engine, int preferredType, int excludedType);

// The whole calculation on n data sets, without files. Returns the refusal message when the data
// cannot be analysed (then `result` is incomplete). `carry` holds the values that one run hands
// to the next (slope standard errors, method) and is updated.
std::optional<std::string> AnalyseTwoVariables(const long double* y, const long double* x,
                                               const long double* z, int n,
                                               const TwoVariableChoices& choices,
                                               RegressionCarryOver& carry,
                                               TwoVariableResult& result);

// A regressor in ascending order, with the order of the data sets that puts it there (equal
// values keep their order) and its extremes.
struct SortedVariable {
  std::vector<size_t> Order;
  std::vector<long double> Values;
  double Min = 0, Max = 0;
};
SortedVariable SortVariable(const long double* v, int n);

// The same analysis on X and Z sorted before (SortVariable of the same x and z): runs that
// change only Y, as the break test's shuffles do, sort them once.
std::optional<std::string> AnalyseTwoVariables(const long double* y, const long double* x,
                                               const long double* z, const SortedVariable& sortedX,
                                               const SortedVariable& sortedZ, int n,
                                               const TwoVariableChoices& choices,
                                               RegressionCarryOver& carry,
                                               TwoVariableResult& result);

// The run's numbers for the summary, the JSON file and the window, from the result of a run on
// `data` (the data sets as entered) that started from `start`.
void FillRunResult(const TwoVariableResult& result, const TwoVariableChoices& choices,
                   const RegressionCarryOver& start, const TDMVornax& data, RunResult& out);

// The analysis entry: reads the data set and the options, writes the report (".out") and the
// variance file (".var") beside data.FileName, which ends as the ".var" path. On a refusal it
// shows the reason, sets options.AnalysisFailed and leaves neither file of this name behind. In
// sequence 1 the Z preference and exclusion are copied onto X and stay so.
void RunTwoVariableRegression(TDMVornax& data, RunOptions& options, UserDialogs& dialogs);

}  // namespace vornax
