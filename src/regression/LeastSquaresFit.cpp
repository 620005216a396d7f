// The least-squares line or plane, solved from the centred normal equations.
#include "regression/LeastSquaresFit.h"

#include <cstddef>

namespace vornax {

std::vector<long double> LeastSquaresFit(const long double* y, int count,
                                         std::initializer_list<const long double*> regressors) {
  const size_t n = count > 0 ? static_cast<size_t>(count) : 0;
  if (n == 0) return {};
  long double ay = 0;
  for (size_t i = 0; i < n; ++i) ay += y[i];
  ay /= n;
  std::vector<std::vector<long double>> c;  // centred regressors
  for (const long double* x : regressors) {
    long double a = 0;
    for (size_t i = 0; i < n; ++i) a += x[i];
    a /= n;
    std::vector<long double> d(n);
    for (size_t i = 0; i < n; ++i) d[i] = x[i] - a;
    c.push_back(std::move(d));
  }
  auto dot = [&](const std::vector<long double>& a, const std::vector<long double>& b) {
    long double s = 0;
    for (size_t i = 0; i < n; ++i) s += a[i] * b[i];
    return s;
  };
  std::vector<long double> yc(n);
  for (size_t i = 0; i < n; ++i) yc[i] = y[i] - ay;
  std::vector<long double> coef(c.size(), 0);
  if (c.size() == 2) {
    const long double a11 = dot(c[0], c[0]), a12 = dot(c[0], c[1]), a22 = dot(c[1], c[1]);
    const long double b1 = dot(c[0], yc), b2 = dot(c[1], yc);
    const long double det = a11 * a22 - a12 * a12;
    if (det > 1e-12L * a11 * a22) {
      coef[0] = (b1 * a22 - b2 * a12) / det;
      coef[1] = (a11 * b2 - a12 * b1) / det;
    } else if (a11 > 0) {
      coef[0] = b1 / a11;
    } else if (a22 > 0) {
      coef[1] = b2 / a22;
    }
  } else if (c.size() == 1) {
    const long double a11 = dot(c[0], c[0]);
    if (a11 > 0) coef[0] = dot(c[0], yc) / a11;
  }
  std::vector<long double> fitted(n, ay);
  for (size_t k = 0; k < c.size(); ++k) {
    for (size_t i = 0; i < n; ++i) fitted[i] += coef[k] * c[k][i];
  }
  return fitted;
}

}  // namespace vornax
