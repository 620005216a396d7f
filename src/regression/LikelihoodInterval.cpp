// The likelihood interval of a breakpoint, and the F quantile it is cut at.
#include "regression/LikelihoodInterval.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <vector>

namespace vornax {
namespace {

// The continued fraction of the regularized incomplete beta function (modified Lentz), which
// converges quickly for x < (a + 1)/(a + b + 2).
double BetaFraction(double a, double b, double x) {
  constexpr double kTiny = 1e-300;
  double c = 1, d = 1 - (a + b) * x / (a + 1);
  if (std::fabs(d) < kTiny) d = kTiny;
  d = 1 / d;
  double h = d;
  for (int m = 1; m <= 1000; ++m) {
    const double m2 = 2.0 * m;
    double aa = m * (b - m) * x / ((a + m2 - 1) * (a + m2));
    d = 1 + aa * d;
    if (std::fabs(d) < kTiny) d = kTiny;
    c = 1 + aa / c;
    if (std::fabs(c) < kTiny) c = kTiny;
    d = 1 / d;
    h *= d * c;
    aa = -(a + m) * (a + b + m) * x / ((a + m2) * (a + m2 + 1));
    d = 1 + aa * d;
    if (std::fabs(d) < kTiny) d = kTiny;
    c = 1 + aa / c;
    if (std::fabs(c) < kTiny) c = kTiny;
    d = 1 / d;
    const double step = d * c;
    h *= step;
    if (std::fabs(step - 1) < 1e-15) break;
  }
  return h;
}

// I_x(a, b), the regularized incomplete beta function.
double IncompleteBeta(double a, double b, double x) {
  if (x <= 0) return 0;
  if (x >= 1) return 1;
  const double front = std::exp(std::lgamma(a + b) - std::lgamma(a) - std::lgamma(b) +
                                a * std::log(x) + b * std::log1p(-x));
  if (x < (a + 1) / (a + b + 2)) return front * BetaFraction(a, b, x) / a;
  return 1 - front * BetaFraction(b, a, 1 - x) / b;
}

}  // namespace

double FOneQuantile(int df2, double probability) {
  if (df2 < 1 || !(probability > 0 && probability < 1)) return 0;
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

int FittedParameters(int type) {
  switch (type) {
    case kType2: return 4;
    case kType3:
    case kType4: return 3;
    default: return 0;
  }
}

LikelihoodInterval BreakpointLikelihoodInterval(const SegmentEngine& engine, int type, int method,
                                                double bp, int confidencePercent) {
  LikelihoodInterval result;
  const int parameters = FittedParameters(type);
  if (parameters == 0 || !(engine.Xmax > engine.Xmin)) return result;

  // The fits are made on a copy, so the engine keeps the reported lines and errors.
  SegmentEngine e = engine;
  const double nan = std::numeric_limits<double>::quiet_NaN();
  // The residual sum of squares of the type's lines at candidate c; NaN where the type cannot be
  // fitted there (fewer than three data sets on a side, or the lines degenerate to one).
  auto residual = [&](double c) {
    e.AccumulateSegments(c);
    if (e.Sums[1].N < 3 || e.Sums[2].N < 3) return nan;
    e.ComputeSegmentStats();
    e.LoadFinalLines();
    int code = type == kType2 ? static_cast<int>(kSearchType2) : type;
    e.BuildConstrainedLines(code, method, c);
    if (code == kTypeSingle) return nan;
    e.ComputeFinalSSD(c);
    return e.SSDFinal[1] + e.SSDFinal[2];
  };

  const BreakpointCandidates grid = MakeBreakpointCandidates(engine.Xmin, engine.Xmax);
  std::vector<double> at(grid.begin(), grid.end());
  at.push_back(bp);
  std::sort(at.begin(), at.end());
  at.erase(std::unique(at.begin(), at.end()), at.end());
  std::vector<double> rss(at.size());
  for (size_t i = 0; i < at.size(); ++i) rss[i] = residual(at[i]);

  const double best = residual(bp);
  const int n = static_cast<int>(e.Sums[1].N + e.Sums[2].N);
  const int df2 = n - parameters;
  if (std::isnan(best) || df2 < 1) return result;
  const double f = FOneQuantile(df2, confidencePercent / 100.0);
  const double bound = best * (1 + f / df2);

  auto inside = [&](size_t i) { return !std::isnan(rss[i]) && rss[i] <= bound; };
  size_t first = at.size(), last = 0;
  for (size_t i = 0; i < at.size(); ++i) {
    if (!inside(i)) continue;
    first = std::min(first, i);
    last = i;
  }
  if (first == at.size()) return result;
  // Between an inside candidate and its outer neighbour the bound is crossed where the straight
  // line through their residual sums reaches it.
  auto crossing = [&](size_t in, size_t out) {
    if (std::isnan(rss[out])) return at[in];
    const double share = (bound - rss[in]) / (rss[out] - rss[in]);
    return at[in] + share * (at[out] - at[in]);
  };
  result.Lower = first > 0 ? crossing(first, first - 1) : at[first];
  result.Upper = last + 1 < at.size() ? crossing(last, last + 1) : at[last];
  result.Valid = true;
  return result;
}

}  // namespace vornax
