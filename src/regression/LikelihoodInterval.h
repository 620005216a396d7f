// The likelihood interval of a breakpoint: the range of candidate breakpoints whose residual sum
// of squares is not significantly larger than that of the chosen one. Unlike the limits
// BP -/+ t*SEBP it follows the data, and is asymmetric where they are.
#pragma once

#include "regression/SegmentEngine.h"

namespace vornax {

// The value f with P(F <= f) = probability for an F distribution with 1 and df2 degrees of
// freedom (the square of Student's t at (1 + probability)/2). 0 when df2 < 1 or the probability
// lies outside (0, 1).
double FOneQuantile(int df2, double probability);

// The number of parameters a fit of the type estimates: the breakpoint included for types 2
// (level, two slopes, breakpoint), 3 and 4 (level, slope, breakpoint).
int FittedParameters(int type);

struct LikelihoodInterval {
  bool Valid = false;
  double Lower = 0, Upper = 0;
};

// For types 2, 3 and 4 fitted with `method` at `bp` on the engine's attached data: every
// candidate breakpoint (those of the search, with bp among them) is fitted with the same type and
// method, and the interval runs from the lowest to the highest candidate whose residual sum of
// squares S satisfies S <= S(bp) * (1 + F / (N - p)), F the F(1, N - p) quantile at the
// confidence level, p = FittedParameters(type). Each end lies where the residual sums of that
// candidate and its outer neighbour, joined by a straight line, cross the bound; an end that
// reaches the outermost candidate that leaves three data sets on each side stops there.
// The engine is not changed (the candidates are fitted on a copy). Not valid for other types,
// with N - p < 1, or when Xmin and Xmax of the engine are not set.
LikelihoodInterval BreakpointLikelihoodInterval(const SegmentEngine& engine, int type, int method,
                                                double bp, int confidencePercent);

}  // namespace vornax
