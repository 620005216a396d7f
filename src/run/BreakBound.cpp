// The upper bound of a shuffle's break statistic from the least-squares lines of each side of
// every split, with the margins that make it safe to answer from.
#include "run/BreakBound.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "regression/LeastSquaresFit.h"

namespace vornax {

namespace {

constexpr double kEps = std::numeric_limits<double>::epsilon();
// What rounding Y's parts to single precision can move a residual sum by, per unit of their
// sum of squares (each value moves by at most 2^-24 of its parts; four times that).
constexpr double kSingle = 4.0 * std::numeric_limits<float>::epsilon() / 2;

// How far a residual sum of one side, taken from running sums in double, can lie from the
// exact one, per unit of Y's sum of squares: the sums themselves (n roundings of terms bounded
// by it), the average taken off (worse for a short side) and the slope taken off (worse where
// X hardly varies on that side). Four times what the analysis gives.
double SideFactor(int n, int m, double sxx, double xxTotal) {
  const double shortSide = std::sqrt(static_cast<double>(n) / m);
  double f = 1 + 2 * shortSide;
  if (sxx > 0) f += 2 * std::sqrt(xxTotal / sxx) * (1 + shortSide);
  return f;
}

}  // namespace

ShuffleRounding RoundingOf(const std::vector<long double>& fitted,
                           const std::vector<long double>& residual,
                           std::initializer_list<const long double*> regressors) {
  const size_t n = std::min(fitted.size(), residual.size());
  ShuffleRounding r;
  if (n == 0) return r;
  // The fitted values' own fit on the same regressors: what it leaves is how far they lie from
  // an exact line or plane, give or take the rounding of taking it.
  const std::vector<long double> again = LeastSquaresFit(fitted.data(), static_cast<int>(n), regressors);
  long double fbar = 0;
  for (size_t i = 0; i < n; ++i) fbar += fitted[i];
  fbar /= static_cast<long double>(n);
  long double squares = 0, total = 0, off = 0, size = 0, largest = 0;
  for (size_t i = 0; i < n; ++i) {
    squares += residual[i] * residual[i];
    total += (fitted[i] - fbar) * (fitted[i] - fbar) + residual[i] * residual[i];
    const long double e = fitted[i] - again[i];
    const long double m = std::fabs(fitted[i]) + std::fabs(again[i]);
    off += e * e;
    size += m * m;
    largest = std::max(largest, std::fabs(fitted[i]) + std::fabs(residual[i]));
  }
  // The analyses' own lines are evaluated on Y of that size, each value rounded a few times.
  constexpr long double u = std::numeric_limits<long double>::epsilon();
  const long double evaluation = 256 * u * std::sqrt(static_cast<long double>(n)) * largest;
  r.Spread = static_cast<double>(squares);
  r.FitError = static_cast<double>(std::sqrt(off) + 64 * u * std::sqrt(size) + evaluation);
  // (a + b)^2 <= 2 (a^2 + b^2), whatever the order of the residuals.
  r.YTotal = static_cast<double>(2 * total);
  return r;
}

std::vector<int> CandidateSplits(const long double* x, int n,
                                 const BreakpointSearchOptions& options) {
  const auto [xmin, xmax] = SegmentEngine::ExtremesOf(x, n);
  std::vector<int> splits;
  for (const double bp : SearchCandidates(xmin, xmax, options)) {
    const int k = static_cast<int>(std::lower_bound(x, x + n, static_cast<long double>(bp)) - x);
    if (bp > xmin && k >= 3 && n - k >= 3 && (splits.empty() || splits.back() != k))
      splits.push_back(k);
  }
  return splits;
}

std::vector<int> PlacesWhereXChanges(const long double* x, int n) {
  std::vector<int> splits;
  for (int k = 1; k < n; ++k)
    if (x[k - 1] < x[k]) splits.push_back(k);
  return splits;
}

BreakBound::BreakBound(const long double* x, int n, const std::vector<int>& splits,
                       const ShuffleRounding& rounding)
    : n_(std::max(n, 0)), rounding_(rounding) {
  if (n_ < 2) return;
  long double mean = 0;
  for (int i = 0; i < n_; ++i) mean += x[i];
  mean /= n_;
  xc_.resize(static_cast<size_t>(n_));
  for (int i = 0; i < n_; ++i) xc_[static_cast<size_t>(i)] = static_cast<double>(x[i] - mean);

  // Sums of the doubles the shuffles will read, upwards and downwards, so that neither side is
  // a difference of two sums.
  std::vector<long double> up(static_cast<size_t>(n_) + 1), upSq(up.size());
  std::vector<long double> down(up.size()), downSq(up.size());
  for (int i = 0; i < n_; ++i) {
    const long double v = xc_[static_cast<size_t>(i)];
    up[static_cast<size_t>(i) + 1] = up[static_cast<size_t>(i)] + v;
    upSq[static_cast<size_t>(i) + 1] = upSq[static_cast<size_t>(i)] + v * v;
  }
  for (int i = n_ - 1; i >= 0; --i) {
    const long double v = xc_[static_cast<size_t>(i)];
    down[static_cast<size_t>(i)] = down[static_cast<size_t>(i) + 1] + v;
    downSq[static_cast<size_t>(i)] = downSq[static_cast<size_t>(i) + 1] + v * v;
  }
  const long double sxTotal = up.back(), xxTotal = upSq.back();
  sxTotal_ = static_cast<double>(sxTotal);
  sxxTotal_ = static_cast<double>(std::max(xxTotal - sxTotal * sxTotal / n_, 0.0L));
  if (!(sxxTotal_ > 0)) return;  // X constant: no split exists
  const double scale = 8.0 * (n_ + 4) * kEps;
  xFactorTotal_ = scale * 7 + 16 * kEps + kSingle;

  for (const int k : splits) {
    if (k <= 0 || k >= n_) continue;
    Split s;
    s.k = k;
    const long double sx1 = up[static_cast<size_t>(k)], sx2 = down[static_cast<size_t>(k)];
    s.sx1 = static_cast<double>(sx1);
    s.sx2 = static_cast<double>(sx2);
    // A side whose X are all equal has no slope: its best line is its average.
    const bool flat1 = x[0] == x[k - 1], flat2 = x[k] == x[n_ - 1];
    const long double sxx1 = upSq[static_cast<size_t>(k)] - sx1 * sx1 / k;
    const long double sxx2 = downSq[static_cast<size_t>(k)] - sx2 * sx2 / (n_ - k);
    s.sxx1 = flat1 ? 0 : static_cast<double>(sxx1);
    s.sxx2 = flat2 ? 0 : static_cast<double>(sxx2);
    // Varying X whose spread rounding has eaten: no bound here (a split the bound cannot
    // judge makes every shuffle go to the search).
    if ((!flat1 && !(s.sxx1 > 0)) || (!flat2 && !(s.sxx2 > 0))) {
      s.margin = std::numeric_limits<double>::infinity();
    } else {
      const double xx = static_cast<double>(xxTotal);
      s.margin = scale * (SideFactor(n_, k, s.sxx1, xx) + SideFactor(n_, n_ - k, s.sxx2, xx)) +
                 16 * kEps + 2 * kSingle;
    }
    splits_.push_back(s);
  }
  sy_.resize(splits_.size());
  syy_.resize(splits_.size());
  sxy_.resize(splits_.size());
}

bool BreakBound::Below(const float* y, double observed) {
  if (n_ < 2 || !(sxxTotal_ > 0)) return false;
  // One pass: the running sums at every split, and the totals.
  double sy = 0, syy = 0, sxy = 0;
  size_t next = 0;
  const size_t count = splits_.size();
  int nextK = count > 0 ? splits_[0].k : -1;
  for (int i = 0; i < n_; ++i) {
    if (i == nextK) {
      sy_[next] = sy;
      syy_[next] = syy;
      sxy_[next] = sxy;
      ++next;
      nextK = next < count ? splits_[next].k : -1;
    }
    const double v = y[i];
    sy += v;
    syy += v * v;
    sxy += xc_[static_cast<size_t>(i)] * v;
  }
  const double n = n_;
  const double units = syy + rounding_.Spread;  // the size every rounding below is measured against
  if (!std::isfinite(units)) return false;
  // What the straight line that Y was taken from can move each residual sum by, being a line
  // only up to its rounding.
  const double error = rounding_.FitError;
  const double shift = 2 * std::sqrt(units) * error + error * error;
  const double yy = syy - sy * sy / n;
  const double sxyAll = sxy - sy * sxTotal_ / n;
  const double line = yy - sxyAll * sxyAll / sxxTotal_;  // what the straight line leaves
  const double errLine = xFactorTotal_ * units + shift;
  const double lineHi = line + errLine, lineLo = line - errLine;
  if (!(lineLo > 0)) return false;

  // The least either side's lines can leave at any split, less the margin.
  double least = std::numeric_limits<double>::infinity();
  for (size_t j = 0; j < count; ++j) {
    const Split& s = splits_[j];
    const double m1 = s.k, m2 = n - s.k;
    const double y1 = sy_[j], y2 = sy - y1;
    const double yy1 = syy_[j] - y1 * y1 / m1, yy2 = (syy - syy_[j]) - y2 * y2 / m2;
    double left = yy1, right = yy2;
    if (s.sxx1 > 0) {
      const double c = sxy_[j] - s.sx1 * y1 / m1;
      left -= c * c / s.sxx1;
    }
    if (s.sxx2 > 0) {
      const double c = (sxy - sxy_[j]) - s.sx2 * y2 / m2;
      right -= c * c / s.sxx2;
    }
    const double lo = left + right - s.margin * units;
    if (std::isnan(lo)) return false;  // a figure that is not a number answers nothing
    least = std::min(least, lo);
  }
  // The statistic is 1 - (what the chosen lines leave) / (what the straight line leaves), so at
  // most 1 - least / line, and never below zero.
  const double upper = std::max(1 - std::max(least - shift, 0.0) / lineHi, 0.0);
  // It is taken from coefficients of explanation of all of Y in double, whose rounding grows as
  // the straight line leaves little of Y's spread to explain.
  const double slack = 1e-12 + 1e-14 * rounding_.YTotal / lineLo;
  return std::isfinite(upper) && upper + slack < observed;
}

}  // namespace vornax
