// The likelihood interval of a breakpoint, and the F quantile it is cut at.
#include "regression/LikelihoodInterval.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <optional>
#include <vector>

#include "data/IncompleteBeta.h"
#include "regression/SegmentEngine.h"

namespace vornax {
namespace {

// FOneQuantile without the answers kept.
double FOneQuantileBisected(int df2, double probability);

// JoinedLinesResidual at ascending breakpoints over data in ascending order of X, in one sweep:
// the sums of each side are kept as the breakpoint moves up, so that a breakpoint costs the data
// sets it passes and a few operations. X and Y are taken from a data set of their own (the
// first), so that the sums about the breakpoint keep their digits when X lies far from zero.
class JoinedLinesSweep {
 public:
  JoinedLinesSweep(const long double* y, const long double* x, int n)
      : y_(y), x_(x), n_(n), x0_(x[0]), y0_(y[0]) {
    for (int i = 0; i < n; ++i) Add(all_, i);
  }

  // Breakpoints must come in ascending order.
  double Residual(int type, double bp) {
    const long double b = static_cast<long double>(bp) - x0_;
    while (k_ < n_ && x_[k_] < static_cast<long double>(bp)) Add(low_, k_++);
    if (k_ < 3 || n_ - k_ < 3) return std::numeric_limits<double>::quiet_NaN();
    Sums high = all_;
    high.n -= low_.n;
    high.x -= low_.x;
    high.xx -= low_.xx;
    high.y -= low_.y;
    high.xy -= low_.xy;
    // The sums of d = X - bp over a side, of its square and of d*Y.
    struct Side {
      long double d, dd, dy;
    };
    auto about = [&](const Sums& s) {
      return Side{s.x - s.n * b, s.xx - 2 * b * s.x + s.n * b * b, s.xy - b * s.y};
    };
    const Side lo = about(low_), hi = about(high);
    // The columns besides the level: type 2 d and the rise beyond bp, type 3 the rise beyond bp,
    // type 4 the run up to bp; their sums, squares, product and products with Y.
    long double su = 0, sv = 0, suu = 0, suv = 0, svv = 0, suy = 0, svy = 0;
    if (type == kType2) {
      su = lo.d + hi.d;
      suu = lo.dd + hi.dd;
      suy = lo.dy + hi.dy;
      sv = hi.d;
      suv = svv = hi.dd;
      svy = hi.dy;
    } else {
      const Side& side = type == kType3 ? hi : lo;
      su = side.d;
      suu = side.dd;
      suy = side.dy;
    }
    const long double n = n_;
    const long double uu = suu - su * su / n, uv = suv - su * sv / n, vv = svv - sv * sv / n;
    const long double uy = suy - su * all_.y / n, vy = svy - sv * all_.y / n;
    const long double yy = all_.yy - all_.y * all_.y / n;
    long double explained = 0;
    if (type == kType2) {
      const long double det = uu * vv - uv * uv;
      if (!(det > 0)) return std::numeric_limits<double>::quiet_NaN();
      explained = (vv * uy * uy - 2 * uv * uy * vy + uu * vy * vy) / det;
    } else {
      if (!(uu > 0)) return std::numeric_limits<double>::quiet_NaN();
      explained = uy * uy / uu;
    }
    const long double residual = yy - explained;
    return static_cast<double>(residual > 0 ? residual : 0);
  }

 private:
  struct Sums {
    long double n = 0, x = 0, xx = 0, y = 0, xy = 0, yy = 0;
  };
  void Add(Sums& s, int i) const {
    const long double dx = x_[i] - x0_, dy = y_[i] - y0_;
    s.n += 1;
    s.x += dx;
    s.xx += dx * dx;
    s.y += dy;
    s.xy += dx * dy;
    s.yy += dy * dy;
  }
  const long double* y_;
  const long double* x_;
  int n_;
  long double x0_, y0_;
  Sums all_, low_;
  int k_ = 0;
};

}  // namespace

double FOneQuantile(int df2, double probability) {
  if (df2 < 1 || !(probability > 0 && probability < 1)) return 0;
  // Data sets of one size at one confidence level ask for the same quantile, and its bisection
  // costs more than the rest of the interval: each thread keeps its last answers (the groups of
  // a long table are mostly of a few sizes).
  struct Known {
    int df2 = 0;
    double probability = 0, quantile = 0;
  };
  thread_local std::array<Known, 8> known{};
  thread_local size_t nextKnown = 0;
  for (const Known& k : known) {
    if (k.df2 == df2 && k.probability == probability) return k.quantile;
  }
  const double quantile = FOneQuantileBisected(df2, probability);
  known[nextKnown] = {df2, probability, quantile};
  nextKnown = (nextKnown + 1) % known.size();
  return quantile;
}

namespace {

double FOneQuantileBisected(int df2, double probability) {
  // P(F <= f) = I_u(1/2, df2/2) with u = f/(f + df2), which rises with u: bisect on u.
  const double half = df2 / 2.0;
  double lo = 0, hi = 1;
  for (int i = 0; i < 200 && hi - lo > 1e-17; ++i) {
    const double mid = (lo + hi) / 2;
    if (IncompleteBeta(0.5, half, mid) < probability) lo = mid;
    else hi = mid;
  }
  const double u = (lo + hi) / 2;
  return df2 * u / (1 - u);
}

}  // namespace

int FittedParameters(int type) {
  switch (type) {
    case kType2: return 4;
    case kType3:
    case kType4: return 3;
    default: return 0;
  }
}

double JoinedLinesResidual(const long double* y, const long double* x, int n, int type,
                           double bp) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const long double b = bp;
  // The columns besides the level: type 2 X and the rise beyond bp, type 3 the rise beyond bp,
  // type 4 the run up to bp. Measured from bp, so that X far from zero keeps its digits.
  auto columns = [&](int i, long double& u, long double& v) {
    const long double d = x[i] - b;
    if (type == kType2) {
      u = d;
      v = d > 0 ? d : 0;
    } else {
      u = type == kType3 ? (d > 0 ? d : 0) : (d < 0 ? d : 0);
      v = 0;
    }
  };
  int below = 0;
  long double su = 0, sv = 0, sy = 0;
  for (int i = 0; i < n; ++i) {
    if (x[i] < b) ++below;
    long double u = 0, v = 0;
    columns(i, u, v);
    su += u;
    sv += v;
    sy += y[i];
  }
  if (below < 3 || n - below < 3) return nan;
  const long double mu = su / n, mv = sv / n, my = sy / n;
  long double uu = 0, uv = 0, vv = 0, uy = 0, vy = 0, yy = 0;
  for (int i = 0; i < n; ++i) {
    long double u = 0, v = 0;
    columns(i, u, v);
    u -= mu;
    v -= mv;
    const long double w = y[i] - my;
    uu += u * u;
    uv += u * v;
    vv += v * v;
    uy += u * w;
    vy += v * w;
    yy += w * w;
  }
  long double explained = 0;
  if (type == kType2) {
    const long double det = uu * vv - uv * uv;
    if (!(det > 0)) return nan;
    explained = (vv * uy * uy - 2 * uv * uy * vy + uu * vy * vy) / det;
  } else {
    if (!(uu > 0)) return nan;
    explained = uy * uy / uu;
  }
  const long double residual = yy - explained;
  return static_cast<double>(residual > 0 ? residual : 0);
}

LikelihoodInterval BreakpointLikelihoodInterval(const long double* y, const long double* x, int n,
                                                int type, double bp, double xmin, double xmax,
                                                int confidencePercent) {
  LikelihoodInterval result;
  const int parameters = FittedParameters(type);
  const int df2 = n - parameters;
  if (parameters == 0 || df2 < 1 || !(xmax > xmin)) return result;

  const BreakpointCandidates grid = MakeBreakpointCandidates(xmin, xmax);
  std::vector<double> at(grid.begin(), grid.end());
  at.push_back(bp);
  std::sort(at.begin(), at.end());
  at.erase(std::unique(at.begin(), at.end()), at.end());
  std::vector<double> rss(at.size());
  double best = std::numeric_limits<double>::infinity();
  // Data in ascending order of X (as the analyses leave them) are swept once for every
  // candidate; others take a pass per candidate.
  const bool ascending = n > 0 && std::is_sorted(x, x + n);
  std::optional<JoinedLinesSweep> sweep;
  if (ascending) sweep.emplace(y, x, n);
  for (size_t i = 0; i < at.size(); ++i) {
    rss[i] = ascending ? sweep->Residual(type, at[i]) : JoinedLinesResidual(y, x, n, type, at[i]);
    if (rss[i] < best) best = rss[i];
  }
  if (!std::isfinite(best)) return result;
  const double bound = best * (1 + FOneQuantile(df2, confidencePercent / 100.0) / df2);

  const size_t chosen = static_cast<size_t>(std::find(at.begin(), at.end(), bp) - at.begin());
  auto inside = [&](size_t i) { return i == chosen || (!std::isnan(rss[i]) && rss[i] <= bound); };
  size_t first = at.size(), last = 0;
  for (size_t i = 0; i < at.size(); ++i) {
    if (!inside(i)) continue;
    first = std::min(first, i);
    last = i;
  }
  // Between an inside candidate and its outer neighbour the bound is crossed where the straight
  // line through their residual sums reaches it.
  auto crossing = [&](size_t in, size_t out) {
    if (std::isnan(rss[out]) || std::isnan(rss[in]) || !(rss[out] > rss[in]) || rss[in] > bound)
      return at[in];
    const double share = (bound - rss[in]) / (rss[out] - rss[in]);
    return at[in] + share * (at[out] - at[in]);
  };
  result.Lower = first > 0 ? crossing(first, first - 1) : at[first];
  result.Upper = last + 1 < at.size() ? crossing(last, last + 1) : at[last];
  result.Valid = true;
  return result;
}

}  // namespace vornax
