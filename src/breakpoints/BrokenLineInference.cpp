// Standard errors, likelihood intervals and tests of a fitted broken line (see
// BrokenLineInference.h).
//
// The standard errors come from the linearised model at the least-squares solution: the
// derivative of the line by a breakpoint is minus its change of slope to the right of it, by a
// change of slope the hinge itself, and the covariance is the residual variance times the
// inverse of J'J. The likelihood interval follows the residual sum instead of that linear
// picture, so it is as asymmetric as the data make it.
#include "breakpoints/BrokenLineInference.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>

namespace vornax {

namespace {

// The continued fraction of the regularised incomplete beta function (modified Lentz).
double BetaFraction(double a, double b, double x) {
  constexpr double kTiny = 1e-300;
  double c = 1, d = 1 - (a + b) * x / (a + 1);
  if (std::fabs(d) < kTiny) d = kTiny;
  d = 1 / d;
  double h = d;
  for (int m = 1; m <= 10000; ++m) {
    const double m2 = 2.0 * m;
    double aa = m * (b - m) * x / ((a - 1 + m2) * (a + m2));
    d = 1 + aa * d;
    if (std::fabs(d) < kTiny) d = kTiny;
    c = 1 + aa / c;
    if (std::fabs(c) < kTiny) c = kTiny;
    d = 1 / d;
    h *= d * c;
    aa = -(a + m) * (a + b + m) * x / ((a + m2) * (a + 1 + m2));
    d = 1 + aa * d;
    if (std::fabs(d) < kTiny) d = kTiny;
    c = 1 + aa / c;
    if (std::fabs(c) < kTiny) c = kTiny;
    d = 1 / d;
    const double del = d * c;
    h *= del;
    if (std::fabs(del - 1) < 1e-15) break;
  }
  return h;
}

// I_x(a, b).
double IncompleteBeta(double a, double b, double x) {
  if (x <= 0) return 0;
  if (x >= 1) return 1;
  const double lead = std::exp(std::lgamma(a + b) - std::lgamma(a) - std::lgamma(b) +
                               a * std::log(x) + b * std::log1p(-x));
  if (x < (a + 1) / (a + b + 2)) return lead * BetaFraction(a, b, x) / a;
  return 1 - lead * BetaFraction(b, a, 1 - x) / b;
}

// Inverts a symmetric positive definite matrix of order n ≤ 8 through its Cholesky factor;
// false when it is singular.
bool InvertSymmetric(int n, std::array<std::array<long double, 8>, 8>& a) {
  std::array<std::array<long double, 8>, 8> l{};
  for (int j = 0; j < n; ++j) {
    long double diag = a[j][j];
    for (int k = 0; k < j; ++k) diag -= l[j][k] * l[j][k];
    if (!(diag > 1e-17L * std::fabs(a[j][j])) || !(diag > 0)) return false;
    l[j][j] = std::sqrt(diag);
    for (int i = j + 1; i < n; ++i) {
      long double v = a[i][j];
      for (int k = 0; k < j; ++k) v -= l[i][k] * l[j][k];
      l[i][j] = v / l[j][j];
    }
  }
  std::array<std::array<long double, 8>, 8> inv{};
  for (int col = 0; col < n; ++col) {
    std::array<long double, 8> z{};
    for (int i = 0; i < n; ++i) {
      long double v = i == col ? 1 : 0;
      for (int k = 0; k < i; ++k) v -= l[i][k] * z[k];
      z[i] = v / l[i][i];
    }
    for (int i = n - 1; i >= 0; --i) {
      long double v = z[i];
      for (int k = i + 1; k < n; ++k) v -= l[k][i] * z[k];
      z[i] = v / l[i][i];
    }
    for (int i = 0; i < n; ++i) inv[i][col] = z[i];
  }
  a = inv;
  return true;
}

}  // namespace

double StudentTTwoSided(double t, double df) {
  if (!(df > 0)) return 1;
  return IncompleteBeta(df / 2, 0.5, df / (df + t * t));
}

double FUpperTail(double f, double df1, double df2) {
  if (!(f > 0)) return 1;
  return IncompleteBeta(df2 / 2, df1 / 2, df2 / (df2 + df1 * f));
}

double StudentTQuantile(double confidence, double df) {
  const double tail = 1 - confidence;
  double lo = 0, hi = 1;
  while (StudentTTwoSided(hi, df) > tail && hi < 1e12) hi *= 2;
  for (int i = 0; i < 200 && hi - lo > 1e-14 * hi; ++i) {
    const double mid = (lo + hi) / 2;
    (StudentTTwoSided(mid, df) > tail ? lo : hi) = mid;
  }
  return (lo + hi) / 2;
}

AddedBreakpointTest TestAddedBreakpoints(double rssFewer, int breakpointsFewer, double rssMore,
                                         int breakpointsMore, long long n) {
  AddedBreakpointTest t;
  t.Df1 = 2 * (breakpointsMore - breakpointsFewer);
  t.Df2 = static_cast<int>(n) - (2 * breakpointsMore + 2);
  if (t.Df1 <= 0 || t.Df2 <= 0) return t;
  const double gain = std::max(0.0, rssFewer - rssMore);
  if (!(rssMore > 0)) {
    t.F = gain > 0 ? kExactFitF : 0;
    t.Probability = gain > 0 ? 0 : 1;
    return t;
  }
  t.F = (gain / t.Df1) / (rssMore / t.Df2);
  t.Probability = FUpperTail(t.F, t.Df1, t.Df2);
  return t;
}

bool ExactFit(double residualSumOfSquares, int residualDf, double totalSumOfSquares, long long n) {
  if (residualDf <= 0 || n < 2) return true;
  return residualSumOfSquares / residualDf <= 1e-12 * totalSumOfSquares / static_cast<double>(n - 1);
}

BrokenLineInference InferBrokenLine(const BrokenLineData& data, const BrokenLine& line,
                                    double confidence, double confidenceT, int minPerSegment) {
  BrokenLineInference inf;
  const int k = static_cast<int>(line.Breakpoints.size());
  const int p = 2 * k + 2;
  const long long n = data.Count();
  inf.Parameters = p;
  inf.ResidualDf = static_cast<int>(n - p);
  if (inf.ResidualDf <= 0 || !line.Valid) return inf;
  inf.ResidualVariance = line.ResidualSumOfSquares / inf.ResidualDf;
  const bool exact = ExactFit(line.ResidualSumOfSquares, inf.ResidualDf,
                              static_cast<double>(data.TotalSumOfSquares()), n);
  if (exact) inf.ResidualVariance = 0;

  // J'J in scaled X (u = (x − centre)/half): columns 1, u, the hinges, then the breakpoints.
  const long double centre = data.FromU(0), half = data.FromU(1) - data.FromU(0);
  std::vector<long double> b(k), delta(k);
  for (int j = 0; j < k; ++j) {
    b[j] = data.ToU(line.Breakpoints[j]);
    delta[j] = static_cast<long double>(line.SlopeChanges[j]) * half;
  }
  std::array<std::array<long double, 8>, 8> m{};
  std::array<long double, 8> phi{};
  for (int g = 0; g < data.Groups(); ++g) {
    const long double u = data.U(g);
    phi[0] = 1;
    phi[1] = u;
    for (int j = 0; j < k; ++j) {
      phi[2 + j] = u > b[j] ? u - b[j] : 0;
      phi[2 + k + j] = u > b[j] ? -delta[j] : 0;
    }
    const long double w = static_cast<long double>(data.CountAt(g));
    for (int i = 0; i < p; ++i)
      for (int j = 0; j <= i; ++j) m[i][j] += w * phi[i] * phi[j];
  }
  for (int i = 0; i < p; ++i)
    for (int j = 0; j < i; ++j) m[j][i] = m[i][j];
  if (!InvertSymmetric(p, m)) return inf;
  const long double s2 = inf.ResidualVariance;
  auto cov = [&](int i, int j) { return s2 * m[i][j]; };
  auto sqrtPos = [](long double v) { return static_cast<double>(std::sqrt(std::max<long double>(v, 0))); };

  {
    const long double r = centre / half;
    inf.InterceptStandardError =
        sqrtPos(cov(0, 0) - 2 * r * cov(0, 1) + r * r * cov(1, 1));
  }
  // Segments: slope A + D1 + … + D(m−1); in scaled units the slope is c1 + Σ δ, divided by half.
  const auto slopes = line.SegmentSlopes();
  for (int seg = 0; seg <= k; ++seg) {
    SegmentInference s;
    s.Slope = slopes[seg];
    long double var = 0;
    std::vector<int> idx{1};
    for (int j = 0; j < seg; ++j) idx.push_back(2 + j);
    for (int a : idx)
      for (int c : idx) var += cov(a, c);
    s.SlopeStandardError = sqrtPos(var) / static_cast<double>(half);
    s.From = seg == 0 ? data.X(0) : line.Breakpoints[seg - 1];
    s.To = seg == k ? data.X(data.Groups() - 1) : line.Breakpoints[seg];
    const long long upTo =
        seg == k ? n : [&] {
          const int i = data.FirstAbove(b[seg]);
          return i > 0 ? data.CountUpTo(i - 1) : 0LL;
        }();
    const long long below = seg == 0 ? 0 : [&] {
      const int i = data.FirstAbove(b[seg - 1]);
      return i > 0 ? data.CountUpTo(i - 1) : 0LL;
    }();
    s.Count = upTo - below;
    inf.Segments.push_back(s);
  }
  for (int j = 0; j < k; ++j) {
    SlopeChangeInference c;
    c.Change = line.SlopeChanges[j];
    c.StandardError = sqrtPos(cov(2 + j, 2 + j)) / static_cast<double>(half);
    c.T = c.StandardError > 0 ? c.Change / c.StandardError : 0;
    c.Probability = c.StandardError > 0 ? StudentTTwoSided(c.T, inf.ResidualDf)
                                        : c.Change != 0 ? 0 : 1;
    inf.Changes.push_back(c);
  }

  // The likelihood interval of each breakpoint: walk outward over the grid of X values with the
  // other breakpoints moved to their best places at each step, until the residual sum passes
  // the limit, then narrow the crossing by halving.
  const double tq = StudentTQuantile(confidence, inf.ResidualDf);
  const long double limit =
      static_cast<long double>(line.ResidualSumOfSquares) * (1 + tq * tq / inf.ResidualDf);
  const long double inftyL = std::numeric_limits<long double>::infinity();
  for (int j = 0; j < k; ++j) {
    BreakpointInference bi;
    bi.Value = line.Breakpoints[j];
    bi.StandardError = sqrtPos(cov(2 + k + j, 2 + k + j)) * static_cast<double>(half);
    bi.LowerLimit = bi.Value - confidenceT * bi.StandardError;
    bi.UpperLimit = bi.Value + confidenceT * bi.StandardError;
    double ends[2] = {bi.Value, bi.Value};
    for (int dir = -1; dir <= 1 && !exact; dir += 2) {
      std::vector<long double> state = b;
      auto profile = [&](long double at, std::vector<long double>& st) {
        st[j] = at;
        return RefineBreakpoints(data, st, minPerSegment, -inftyL, inftyL, j);
      };
      long double inside = b[j];
      long double outside = std::numeric_limits<long double>::quiet_NaN();
      // The grid values beyond the breakpoint in this direction, nearest first.
      int g = dir > 0 ? data.FirstAbove(b[j]) : data.FirstAtOrAbove(b[j]) - 1;
      for (; g >= 0 && g < data.Groups(); g += dir) {
        std::vector<long double> st = state;
        const long double v = profile(data.U(g), st);
        if (v > limit) {
          outside = data.U(g);
          break;
        }
        inside = data.U(g);
        state = st;
      }
      if (std::isnan(static_cast<double>(outside))) {
        ends[(dir + 1) / 2] = static_cast<double>(data.FromU(inside));
        continue;
      }
      for (int it = 0; it < 60; ++it) {
        const long double mid = (inside + outside) / 2;
        std::vector<long double> st = state;
        if (profile(mid, st) > limit) {
          outside = mid;
        } else {
          inside = mid;
          state = st;
        }
      }
      ends[(dir + 1) / 2] = static_cast<double>(data.FromU(inside));
    }
    bi.LikelihoodLower = ends[0];
    bi.LikelihoodUpper = ends[1];
    inf.Breakpoints.push_back(bi);
  }
  return inf;
}

}  // namespace vornax
