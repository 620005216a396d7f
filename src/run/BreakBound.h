// A quick upper bound of a shuffle's break statistic, so that the permutation test can count
// the shuffles that clearly fall short of the observed value without searching them.
//
// Whatever lines the search puts on the two sides of a breakpoint, the two least-squares lines
// of those sides leave no more unexplained; so no type found at a split explains more than they
// do at the best split. The sums behind that bound are taken in double precision from X and Y
// about fixed centres, and every figure carries a margin well above its rounding: the bound
// answers only when it lies clearly below the observed value, and any shuffle it cannot settle
// is searched as before. So the test counts exactly the shuffles the search alone would count.
#pragma once

#include <initializer_list>
#include <vector>

#include "regression/SegmentEngine.h"

namespace vornax {

// What the bounds' margins read of a fit whose residuals are shuffled: the residuals' sum of
// squares, how far the fitted values lie from an exact line or plane in the regressors (with
// the rounding of the analyses' own lines on Y of that size), and a bound of Y's sum of squares
// about its average in any order of the residuals.
struct ShuffleRounding {
  double Spread = 0, FitError = 0, YTotal = 0;
};
ShuffleRounding RoundingOf(const std::vector<long double>& fitted,
                           const std::vector<long double>& residual,
                           std::initializer_list<const long double*> regressors);

// The places where the search's candidate breakpoints (those within the options' range) split
// X, in ascending order: segment 1 holding data sets 0 .. k-1, at least three data sets on each
// side (a candidate with fewer falls back to the straight line), each place once.
std::vector<int> CandidateSplits(const long double* x, int n,
                                 const BreakpointSearchOptions& options = {});
// Every place where X (ascending) changes, in order: where a breakpoint between data sets can
// fall (a partial regression's level stretch ends at one of them).
std::vector<int> PlacesWhereXChanges(const long double* x, int n);

class BreakBound {
 public:
  // X in ascending order; `splits` the places a breakpoint can fall (ascending, each once).
  // The statistic does not change when a straight line in X is added to Y, so the shuffles are
  // judged from what the straight-line fit leaves (the shuffled residuals) alone; `rounding`
  // describes that fit (its FitError: how far the fitted values taken off lie from an exact
  // line).
  BreakBound(const long double* x, int n, const std::vector<int>& splits,
             const ShuffleRounding& rounding);

  // Whether the statistic (the share of what the straight line leaves that the best split's
  // lines explain) of the residuals y, rounded to single precision (half the memory to shuffle
  // and read on large data), is sure to stay below `observed`.
  bool Below(const float* y, double observed);

 private:
  int n_ = 0;
  std::vector<double> xc_;  // X about its average
  double sxTotal_ = 0, sxxTotal_ = 0, xFactorTotal_ = 0;
  ShuffleRounding rounding_;
  struct Split {
    int k = 0;
    double sx1 = 0, sx2 = 0;    // sums of xc on each side
    double sxx1 = 0, sxx2 = 0;  // sums of squares about each side's average (0: X constant)
    double margin = 0;          // the rounding bound of the two residual sums, per unit of spread
  };
  std::vector<Split> splits_;
  // The running sums of Y at each split (reused from shuffle to shuffle).
  std::vector<double> sy_, syy_, sxy_;
};

}  // namespace vornax
