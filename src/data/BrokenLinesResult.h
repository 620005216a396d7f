// The numbers of a broken-line regression with several breakpoints: the breakpoints with their
// errors and intervals, the segments with their slopes, the changes of slope with their tests,
// and the comparison of the numbers of breakpoints.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace vornax {

struct BrokenLinePoint {
  double Value = 0;
  double StandardError = 0;
  double LowerLimit = 0, UpperLimit = 0;           // Value ∓ ConfidenceT · StandardError
  double LikelihoodLower = 0, LikelihoodUpper = 0;  // the likelihood interval
  // An end at the last place the breakpoint can take, the residual sum still within the limit.
  bool LikelihoodLowerAtEnd = false, LikelihoodUpperAtEnd = false;
};

struct BrokenLineSegmentResult {
  double From = 0, To = 0;  // X range: data extremes at the ends, breakpoints between
  long long Count = 0;
  double Slope = 0, SlopeStandardError = 0;
  double Intercept = 0;  // Y = Slope·X + Intercept on this segment
};

struct BrokenLineChangeResult {
  double Change = 0, StandardError = 0, T = 0;
  double Probability = 1;  // two-sided, of a change at least as large without any
};

// One number of breakpoints as the choice saw it: its best line and the test of its gain over
// the line with one breakpoint fewer.
struct BrokenLineStepResult {
  int Breakpoints = 0;
  bool Fitted = false;  // false: too few data for this many breakpoints
  double ResidualSumOfSquares = 0;
  double CE = 0;
  std::vector<double> BreakpointValues;
  // The test against one breakpoint fewer (not for 0).
  double F = 0;
  int Df1 = 0, Df2 = 0;
  double Probability = 1;  // of an F at least as large by chance
  // The permutation test of the same gain, the search included (when permutations were asked).
  std::optional<double> PermutationP;
  int Permutations = 0;       // shuffles made
  bool StoppedEarly = false;  // sequential stopping: clearly not significant
  bool Significant = false;   // both tests at the run's confidence
};

struct BrokenLinesResult {
  std::string Choice;  // "2", "3" or "auto"
  int Breakpoints = 0;
  std::vector<BrokenLinePoint> Points;
  std::vector<BrokenLineSegmentResult> Segments;
  std::vector<BrokenLineChangeResult> Changes;
  double Intercept = 0, InterceptStandardError = 0;  // C of Y = C + A·X + Σ D·max(X − BP, 0)
  double ResidualSumOfSquares = 0, TotalSumOfSquares = 0;
  int ResidualDf = 0;
  std::vector<BrokenLineStepResult> Steps;  // 0 to 3 breakpoints as far as they were fitted
  long long Combinations = 0;  // combinations of the grid for the reported number
  long long Evaluated = 0;     // of which evaluated (the rest excluded by the bound)
};

}  // namespace vornax
