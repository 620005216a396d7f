// The quick upper bound of a two-variable shuffle's break statistic.
//
// The two stages put two lines on each variable, split at one of its candidate breakpoints, so
// their sum lies in the space of the least-squares plane of Y on X and Z widened by a second
// line on each variable: (1, X) and (1, Z) below the breakpoints. What a break explains beyond
// the plane is therefore at most what those four vectors explain of the plane's residuals, and
// that is at most (G_X + G_Z) / (1 - c): G the share of each variable's pair alone, c the
// largest cosine between the two pairs (which depends on X and Z alone and is taken once).
// The statistic is the share of the plane's residual sum that the stages explain, so a shuffle
// whose bound lies clearly below the observed value falls short of it.
#pragma once

#include <array>
#include <vector>

#include "regression/TwoVariable.h"
#include "run/BreakBound.h"

namespace vornax {

class TwoVariableBound {
 public:
  // X and Z as entered, with their sorted copies as the analysis takes them; `rounding` as for
  // BreakBound, of the least-squares plane whose residuals are shuffled.
  TwoVariableBound(const long double* x, const long double* z, int n, const SortedVariable& sx,
                   const SortedVariable& sz, const ShuffleRounding& rounding);

  // Whether the statistic of the plane's residuals r (in the order entered, shuffled) is sure
  // to stay below `observed`.
  bool Below(const double* r, double observed);

 private:
  // One variable's candidate splits: segment 1 is the first k data sets in its sorted order.
  // Its pair is taken as 1 / sqrt(k) and (w - centre) * scale on segment 1 (w the variable about
  // its average): the same space as (1, w) there, but far better conditioned.
  struct Split {
    int k = 0;
    double root = 0, centre = 0, scale = 0;
    std::array<long double, 6> products{};  // the pair's products with the plane's (1, X, Z)
    std::array<double, 6> along{};          // products times the plane's inverse Gram matrix
    std::array<double, 3> inverse{};        // of the pair's Gram matrix off the plane (xx, xy, yy)
    double error = 0;                       // the rounding of its gain, per unit of r's squares
    std::array<long double, 3> gram{};      // of the pair off the plane (xx, xy, yy)
    double offBy = 0;                       // how far its products with r can be off, per |r|
  };
  struct Side {
    std::vector<size_t> order;   // data sets in ascending order of the variable
    std::vector<double> values;  // the variable about its average, in that order
    std::vector<Split> splits;
    std::vector<double> gain;    // per shuffle
    std::vector<std::array<double, 2>> products;  // per shuffle: the pair's with r off the plane
  };
  using Matrix3 = std::array<long double, 9>;
  void MakeSide(Side& side, bool isX, const std::vector<long double>& centred,
                const long double* other, const SortedVariable& sorted, const Matrix3& inverse);
  void Gains(Side& side, const double* r, const std::array<double, 3>& plane, double units);

  int n_ = 0;
  bool usable_ = false;
  std::vector<double> u_, v_;  // X and Z about their averages, in the order entered
  std::array<double, 9> planeInverse_{};  // of the Gram matrix of (1, X, Z)
  double planeFactor_ = 0, planeTrace_ = 0;
  Side x_, z_;
  std::vector<double> pairFactor_;  // 1 / (1 - c) per pair of splits (X split major)
  // Per pair of splits: the inverse Gram matrix of both pairs off the plane (the upper
  // triangle of a 4 x 4 matrix), which gives what the two together explain exactly, and its
  // rounding per unit of r's squares. Read where the quick sum above cannot settle a shuffle.
  std::vector<std::array<double, 10>> joint_;
  std::vector<double> jointError_;
  ShuffleRounding rounding_;
};

}  // namespace vornax
