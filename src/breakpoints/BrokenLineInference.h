// What a fitted broken line is worth: the standard errors of its breakpoints and slopes, the
// likelihood interval of each breakpoint, the significance of each change of slope, and the F
// test of each added breakpoint against the line with one breakpoint fewer.
#pragma once

#include <vector>

#include "anova/AnovaTable.h"
#include "breakpoints/BrokenLineSearch.h"

namespace vornax {

// The two-sided quantile of Student's t with `df` degrees of freedom: the t that |T| exceeds with
// probability 1 − confidence (confidence as a fraction, e.g. 0.9). F(1, df) at the same confidence
// is its square.
double StudentTQuantile(double confidence, double df);
// The probability that |T| exceeds |t| with `df` degrees of freedom.
double StudentTTwoSided(double t, double df);
// The probability that F with (df1, df2) degrees of freedom exceeds f.
double FUpperTail(double f, double df1, double df2);

struct BreakpointInference {
  double Value = 0;
  double StandardError = 0;            // the delta method, in X units
  double LowerLimit = 0, UpperLimit = 0;  // Value ∓ ConfidenceT · StandardError
  // The breakpoints whose best residual sum (the other breakpoints moved to their best places)
  // is not significantly larger than the best one's: an F test with 1 and N − p degrees of
  // freedom at the run's confidence.
  double LikelihoodLower = 0, LikelihoodUpper = 0;
  // An end that stands at the last place the breakpoint can take (the segments beyond it keep
  // their data sets) with the residual sum still within the limit: the interval reaches the end
  // of the range rather than the limit.
  bool LikelihoodLowerAtEnd = false, LikelihoodUpperAtEnd = false;
};

struct SegmentInference {
  double Slope = 0, SlopeStandardError = 0;
  double From = 0, To = 0;  // the segment's X range (the data's extremes at the ends)
  long long Count = 0;      // data sets in it (at or below its upper breakpoint)
};

// The change of slope at a breakpoint, D_j, tested against zero.
struct SlopeChangeInference {
  double Change = 0, StandardError = 0;
  double T = 0;
  double Probability = 1;  // two-sided, of a change at least as large without any
};

struct BrokenLineInference {
  int Parameters = 0;          // 2k + 2
  int ResidualDf = 0;          // N − Parameters
  double ResidualVariance = 0;
  std::vector<BreakpointInference> Breakpoints;
  std::vector<SegmentInference> Segments;
  std::vector<SlopeChangeInference> Changes;
  double InterceptStandardError = 0;
};

// `confidence` as a fraction (0.90, 0.95, 0.98); `confidenceT` the program's factor for the ±
// limits (1.75, 2.1, 2.5). The line must be the least-squares one for its breakpoints.
BrokenLineInference InferBrokenLine(const BrokenLineData& data, const BrokenLine& line,
                                    double confidence, double confidenceT, int minPerSegment = 3);

// The F test of a line with k breakpoints against one with fewer (each breakpoint adds two
// parameters: its place and its change of slope).
struct AddedBreakpointTest {
  double F = 0;
  int Df1 = 2, Df2 = 0;
  double Probability = 1;  // of an F at least as large by chance
};
AddedBreakpointTest TestAddedBreakpoints(double rssFewer, int breakpointsFewer, double rssMore,
                                         int breakpointsMore, long long n);

// Whether a residual sum of squares leaves no variance worth the name: at most 1e-12 of the
// total variance, as the ANOVA tables judge an exact fit. Its rounding noise is then reported
// as 0, with zero standard errors and the ANOVA's substitute for an F without a residual.
bool ExactFit(double residualSumOfSquares, int residualDf, double totalSumOfSquares, long long n);

}  // namespace vornax
