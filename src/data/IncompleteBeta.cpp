// The regularized incomplete beta function by its continued fraction.
#include "data/IncompleteBeta.h"

#include <cmath>

namespace vornax {
namespace {

// The continued fraction of the regularized incomplete beta function I_w(a, b) (modified Lentz),
// for w below its mean, where it converges in about sqrt(max(a, b)) steps.
long double BetaFraction(long double a, long double b, long double w) {
  constexpr long double kTiny = 1e-300L;
  constexpr long double kEps = 1e-19L;
  long double c = 1, d = 1 - (a + b) * w / (a + 1);
  if (std::fabs(d) < kTiny) d = kTiny;
  d = 1 / d;
  long double h = d;
  for (int m = 1; m < 1000000; ++m) {
    const long double m2 = 2.0L * m;
    long double aa = m * (b - m) * w / ((a + m2 - 1) * (a + m2));
    d = 1 + aa * d;
    if (std::fabs(d) < kTiny) d = kTiny;
    c = 1 + aa / c;
    if (std::fabs(c) < kTiny) c = kTiny;
    d = 1 / d;
    h *= d * c;
    aa = -(a + m) * (a + b + m) * w / ((a + m2) * (a + m2 + 1));
    d = 1 + aa * d;
    if (std::fabs(d) < kTiny) d = kTiny;
    c = 1 + aa / c;
    if (std::fabs(c) < kTiny) c = kTiny;
    d = 1 / d;
    const long double step = d * c;
    h *= step;
    if (std::fabs(step - 1) < kEps) break;
  }
  return h;
}

}  // namespace

long double RegularizedBeta(long double a, long double b, long double w, long double oneMinusW) {
  if (w <= 0) return 0;
  if (oneMinusW <= 0) return 1;
  const long double front = std::exp(std::lgamma(a + b) - std::lgamma(a) - std::lgamma(b) +
                                     a * std::log(w) + b * std::log(oneMinusW));
  if (w < (a + 1) / (a + b + 2)) return front * BetaFraction(a, b, w) / a;
  return 1 - front * BetaFraction(b, a, oneMinusW) / b;
}

double IncompleteBeta(double a, double b, double x) {
  if (x <= 0) return 0;
  if (x >= 1) return 1;
  return static_cast<double>(RegularizedBeta(a, b, x, 1.0L - static_cast<long double>(x)));
}

}  // namespace vornax
