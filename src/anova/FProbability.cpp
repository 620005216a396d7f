// The significance of an F value: 100 times the cumulative F distribution, by the closed series
// that hold for an even degree of freedom, and by the incomplete beta function when both are
// odd (the even series do not hold there; a mix of the even neighbours is off by up to a quarter of a
// percent, which shows in the printed figure).
#include <algorithm>
#include <cmath>

#include "anova/Anova.h"
#include "data/IncompleteBeta.h"

namespace vornax {

namespace {

// Powers go through the logarithm, as everywhere in the table; a base of zero gives zero.
double Power(double base, double exponent) {
  if (base <= 0) return 0;
  return std::exp(exponent * std::log(base));
}

// 1 + (p/2)u + p(p+2)/8 u^2 + ... : the finite sum that, with an even degree of freedom `even`,
// makes the F distribution exact. The terms run while even - 3 > k and while they can still
// change the sum, so large numbers of data (a degree of freedom of 1998 needs about a thousand
// terms) get the whole series instead of one cut off at 300 terms. The bound on the count only
// keeps absurd degrees of freedom (beyond ten million) from taking seconds.
double Series(double p, int even, double u) {
  if (even == 2) return 1;
  const double c1 = p * (p + 2) / 8;
  double s = 1 + (p / 2) * u;
  if (even == 4) return s;
  s += c1 * Power(u, 2);
  double c = c1;
  int i = 2;
  constexpr int kMaxTerms = 5000000;
  for (int k = 4; even - 3 > k && i < kMaxTerms; k += 2, ++i) {
    c = c * (p + k) / (k + 2);
    const double term = c * Power(u, i + 1);
    s += term;
    // Later ratios of neighbouring terms stay below max(ratio now, u); once the geometric bound
    // of the rest is far below the last bit of the sum, the rest cannot matter.
    const double ratio = std::max(u * (p + k + 2) / (k + 4), u);
    if (ratio < 1 && term * ratio / (1 - ratio) <= 1e-17 * s) break;
  }
  return s;
}

// Exact when nu2 is even: (1 - x)^(nu1/2) times the series in x.
double EvenNu2(int nu1, int nu2, double x) {
  if (x >= 1) return 0;
  return 100 * Power(1 - x, nu1 / 2.0) * Series(nu1, nu2, x);
}

// Exact when nu1 is even: 1 - x^(nu2/2) times the series in 1 - x.
double EvenNu1(int nu1, int nu2, double x) {
  const double xPower = (x <= 0 || x >= 1) ? 0 : Power(x, nu2 / 2.0);
  return 100 * (1 - xPower * Series(nu2, nu1, 1 - x));
}

// Both degrees of freedom odd: P = I_w(nu1/2, nu2/2) with w = nu1 F / (nu1 F + nu2).
double BothOdd(int nu1, int nu2, double f) {
  const long double d = static_cast<long double>(nu1) * f + nu2;
  const long double w = nu1 * static_cast<long double>(f) / d;
  const long double oneMinusW = nu2 / d;
  return static_cast<double>(100 * RegularizedBeta(nu1 / 2.0L, nu2 / 2.0L, w, oneMinusW));
}

double XOf(int nu1, int nu2, double f) {
  const double d = nu1 * f + nu2;
  return d == 0 ? 1 : nu2 / d;
}

double Unclamped(int nu1, int nu2, double f) {
  // No explained variance at all is no significance; the even-nu1 series alone would turn F = 0
  // into certainty.
  if (!(f > 0)) return 0;
  const bool even1 = nu1 % 2 == 0;
  const bool even2 = nu2 % 2 == 0;
  if (even1 && even2) {
    return nu2 < nu1 ? EvenNu2(nu1, nu2, XOf(nu1, nu2, f)) : EvenNu1(nu1, nu2, XOf(nu1, nu2, f));
  }
  if (even1) return EvenNu1(nu1, nu2, XOf(nu1, nu2, f));
  if (even2) return EvenNu2(nu1, nu2, XOf(nu1, nu2, f));
  return BothOdd(nu1, nu2, f);
}

}  // namespace

double FProbability(int nu1, int nu2, double f) {
  // Without degrees of freedom nothing can be shown: the lowest significance.
  double p = (nu1 < 1 || nu2 < 1) ? 0 : Unclamped(nu1, nu2, f);
  if (std::isnan(p)) p = 0;
  return std::clamp(p, 0.1, 99.99);
}

}  // namespace vornax
