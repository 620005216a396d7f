// The likelihood interval of a breakpoint: the range of breakpoints whose fit leaves a residual
// sum of squares not significantly larger than the best one's. Unlike the limits BP -/+ t*SEBP
// it follows the data, and is asymmetric where they are.
#pragma once

namespace vornax {

// The value f with P(F <= f) = probability for an F distribution with 1 and df2 degrees of
// freedom (the square of Student's t at (1 + probability)/2). 0 when df2 < 1 or the probability
// lies outside (0, 1).
double FOneQuantile(int df2, double probability);

// The number of parameters a fit of the type estimates, the breakpoint included: 4 for type 2
// (level, two slopes, breakpoint), 3 for types 3 and 4 (level, slope, breakpoint); 0 otherwise.
int FittedParameters(int type);

// The residual sum of squares of the least-squares fit of the type with its breakpoint held at
// bp, over n data sets (any order): type 2 two lines joined at bp, type 3 a level up to bp and
// a line from there, type 4 a line up to bp and a level from there. NaN when fewer than three
// data sets lie on a side of bp.
double JoinedLinesResidual(const long double* y, const long double* x, int n, int type, double bp);

struct LikelihoodInterval {
  bool Valid = false;
  double Lower = 0, Upper = 0;
};

// For types 2, 3 and 4: the fit of JoinedLinesResidual is made at the 100 candidate breakpoints
// of the search between xmin and xmax and at bp; with S the smallest residual sum of squares
// among them, the interval runs from the lowest to the highest whose residual sum does not
// exceed S * (1 + F / (N - p)), F the F(1, N - p) quantile at the confidence level and
// p = FittedParameters(type), and always holds bp. Each end lies where the residual sums of its
// candidate and the outer neighbour, joined by a straight line, cross that bound; an end at the
// outermost candidate that can be fitted stops there. Not valid for other types or N - p < 1.
LikelihoodInterval BreakpointLikelihoodInterval(const long double* y, const long double* x, int n,
                                                int type, double bp, double xmin, double xmax,
                                                int confidencePercent);

}  // namespace vornax
