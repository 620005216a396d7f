// The Fisk grid search: the literal loop and the fast search that chooses the same point.
#include "curves/FiskSearch.h"

#include <cpuid.h>

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <limits>
#include <thread>
#include <vector>

namespace vornax {

double FiskA(int i) { return 0.05 * i; }
double FiskB(int t) { return 0.05 * t; }
double FiskC(double ymax, int r) { return ymax * (0.5 + 0.05 * r); }

long double FiskPointSSD(const long double* x, const long double* y, int n, double a, double b,
                         double c, bool increasing) {
  long double ssd = 0;
  for (int k = 0; k < n; ++k) {
    long double yc = c / (1 + std::pow(x[k] / a, static_cast<long double>(b)));
    if (increasing) yc = c - yc;
    const long double d = y[k] - yc;
    ssd += d * d;
  }
  return ssd;
}

FiskPoint FiskLiteralSearch(const long double* x, const long double* y, int n, double ymax,
                            bool increasing, const FiskGrid& grid) {
  long double best = std::numeric_limits<long double>::infinity();
  FiskPoint point;
  for (int r = 1; r <= grid.R; ++r) {
    for (int t = 1; t <= grid.T; ++t) {
      for (int i = 1; i <= grid.I; ++i) {
        const long double ssd =
            FiskPointSSD(x, y, n, FiskA(i), FiskB(t), FiskC(ymax, r), increasing);
        if (ssd < best) {
          best = ssd;
          point = {r, t, i};
        }
      }
    }
  }
  return point;
}

namespace {

typedef double Vec4 __attribute__((vector_size(32)));

// The share of C that a data set gets, f = 1/(1 + z) with z = u s, u = X^B and s = A^-B; for
// the rising curve the complement 1 - f = z/(1 + z), formed without the subtraction. The sums
// of f^2 and of y f over the data sets, for two A at once (s1, s2): one division serves both,
// f1 = d2/(d1 d2) and f2 = d1/(d1 d2), with the numerators z1, z2 for the rising curve. The
// caller makes sure that d1 d2 stays finite. Four lanes of independent sums; AVX2 where the
// processor has it (ShareSumsPair below chooses).
inline __attribute__((always_inline)) void ShareSumsPairBody(const double* u, const double* y,
                                                             int n, double s1, double s2,
                                                             bool rising, double* out) {
  Vec4 ff1 = {0, 0, 0, 0}, yf1 = ff1, ff2 = ff1, yf2 = ff1;
  const Vec4 one = {1, 1, 1, 1};
  const Vec4 v1 = {s1, s1, s1, s1}, v2 = {s2, s2, s2, s2};
  int k = 0;
  for (; k + 4 <= n; k += 4) {
    Vec4 uv, yv;
    __builtin_memcpy(&uv, u + k, sizeof uv);
    __builtin_memcpy(&yv, y + k, sizeof yv);
    const Vec4 z1 = uv * v1, z2 = uv * v2;
    const Vec4 d1 = one + z1, d2 = one + z2;
    const Vec4 g = one / (d1 * d2);
    const Vec4 f1 = (rising ? z1 * d2 : d2) * g;
    const Vec4 f2 = (rising ? z2 * d1 : d1) * g;
    ff1 += f1 * f1;
    yf1 += yv * f1;
    ff2 += f2 * f2;
    yf2 += yv * f2;
  }
  double a1 = (ff1[0] + ff1[1]) + (ff1[2] + ff1[3]);
  double b1 = (yf1[0] + yf1[1]) + (yf1[2] + yf1[3]);
  double a2 = (ff2[0] + ff2[1]) + (ff2[2] + ff2[3]);
  double b2 = (yf2[0] + yf2[1]) + (yf2[2] + yf2[3]);
  for (; k < n; ++k) {
    const double z1 = u[k] * s1, z2 = u[k] * s2;
    const double f1 = (rising ? z1 : 1) / (1 + z1), f2 = (rising ? z2 : 1) / (1 + z2);
    a1 += f1 * f1;
    b1 += y[k] * f1;
    a2 += f2 * f2;
    b2 += y[k] * f2;
  }
  out[0] = a1;
  out[1] = b1;
  out[2] = a2;
  out[3] = b2;
}

__attribute__((target("avx2"))) void ShareSumsPairAvx2(const double* u, const double* y, int n,
                                                      double s1, double s2, bool rising,
                                                      double* out) {
  ShareSumsPairBody(u, y, n, s1, s2, rising, out);
}

void ShareSumsPairPlain(const double* u, const double* y, int n, double s1, double s2,
                        bool rising, double* out) {
  ShareSumsPairBody(u, y, n, s1, s2, rising, out);
}

// Whether the processor and the system offer AVX2, asked the first time a curve needs it. (A
// version chosen by the loader would ask at every start of the program, and asking the
// processor is slow in a virtual machine.)
bool HasAvx2() {
  static const bool has = [] {
    unsigned a = 0, b = 0, c = 0, d = 0;
    if (!__get_cpuid(1, &a, &b, &c, &d)) return false;
    const bool osSaves = (c & bit_OSXSAVE) != 0, avx = (c & bit_AVX) != 0;
    if (!osSaves || !avx) return false;
    unsigned lo = 0, hi = 0;
    __asm__("xgetbv" : "=a"(lo), "=d"(hi) : "c"(0));
    if ((lo & 6) != 6) return false;  // the system keeps the XMM and YMM registers
    if (!__get_cpuid_count(7, 0, &a, &b, &c, &d)) return false;
    return (b & bit_AVX2) != 0;
  }();
  return has;
}

void ShareSumsPair(const double* u, const double* y, int n, double s1, double s2, bool rising,
                   double* out) {
  if (HasAvx2())
    ShareSumsPairAvx2(u, y, n, s1, s2, rising, out);
  else
    ShareSumsPairPlain(u, y, n, s1, s2, rising, out);
}

// The same sums for one A, each share with its own division: for X so large that the product
// of two denominators would overflow.
void ShareSumsSingle(const double* u, const double* y, int n, double s, bool rising,
                     double* out) {
  double a = 0, b = 0;
  for (int k = 0; k < n; ++k) {
    const double z = u[k] * s;
    const double f = std::isinf(z) ? (rising ? 1.0 : 0.0) : (rising ? z : 1) / (1 + z);
    a += f * f;
    b += y[k] * f;
  }
  out[0] = a;
  out[1] = b;
}

// The screening sums of the grid rows t = tFrom .. tTo - 1.
void ScreenRows(const long double* x, const std::vector<double>& yd, int n, bool rising,
                const FiskGrid& grid, int tFrom, int tTo, std::vector<double>& sff,
                std::vector<double>& syf) {
  const size_t un = yd.size();
  std::vector<double> u(un);
  double xmax = 0;
  for (size_t k = 0; k < un; ++k) xmax = std::max(xmax, static_cast<double>(x[k]));
  for (int t = tFrom; t < tTo; ++t) {
    const double b = FiskB(t);
    for (size_t k = 0; k < un; ++k) u[k] = std::pow(static_cast<double>(x[k]), b);
    // The largest z of the row (at the smallest A) decides whether pairs are safe.
    const double zmax = std::pow(xmax, b) * std::pow(FiskA(1), -b);
    const bool pairs = std::isfinite(zmax) && zmax < 1e150;
    const size_t row = static_cast<size_t>(t - 1) * static_cast<size_t>(grid.I);
    double sums[4];
    int i = 1;
    for (; pairs && i + 1 <= grid.I; i += 2) {
      ShareSumsPair(u.data(), yd.data(), n, std::pow(FiskA(i), -b), std::pow(FiskA(i + 1), -b),
                    rising, sums);
      sff[row + static_cast<size_t>(i - 1)] = sums[0];
      syf[row + static_cast<size_t>(i - 1)] = sums[1];
      sff[row + static_cast<size_t>(i)] = sums[2];
      syf[row + static_cast<size_t>(i)] = sums[3];
    }
    for (; i <= grid.I; ++i) {
      ShareSumsSingle(u.data(), yd.data(), n, std::pow(FiskA(i), -b), rising, sums);
      sff[row + static_cast<size_t>(i - 1)] = sums[0];
      syf[row + static_cast<size_t>(i - 1)] = sums[1];
    }
  }
}

}  // namespace

FiskPoint FiskSearch(const long double* x, const long double* y, int n, double ymax,
                     bool increasing, const FiskGrid& grid,
                     const std::function<void(int)>& progress) {
  const size_t un = static_cast<size_t>(std::max(n, 0));
  std::vector<double> yd(un);
  double syy = 0;
  for (size_t k = 0; k < un; ++k) {
    yd[k] = static_cast<double>(y[k]);
    syy += yd[k] * yd[k];
  }
  // Screen: for each (B, A) the sums Sff and Syf, so that SSD(C) = Syy - 2 C Syf + C^2 Sff.
  // The rows of B are shared between two threads; each writes only its own rows.
  const size_t cells = static_cast<size_t>(grid.T) * static_cast<size_t>(grid.I);
  std::vector<double> sff(cells), syf(cells);
  const int half = 1 + grid.T / 2;
  std::thread helper;
  const bool split = grid.T >= 8 && n >= 64;
  if (split) {
    helper = std::thread([&] {
      ScreenRows(x, yd, n, increasing, grid, half, grid.T + 1, sff, syf);
    });
  }
  ScreenRows(x, yd, n, increasing, grid, 1, split ? half : grid.T + 1, sff, syf);
  if (split) helper.join();
  if (progress) progress(90);

  // Error bound of a screened SSD against the exact one. Every share f is within a few units
  // in the last place of its exact value (powers within one unit, a product, a division), and
  // a sum of n terms loses at most n units of its absolute sum; with |y| f summed bounded by
  // sqrt(Syy Sff) (Cauchy-Schwarz) the error of Syy - 2 C Syf + C^2 Sff stays below
  // kappa (sqrt(Syy) + |C| sqrt(Sff))^2. kappa holds a margin of eight over that count, and the
  // 80-bit loop's own rounding is far below it.
  const double kappa = 8.0 * (static_cast<double>(n) + 64.0) * DBL_EPSILON;
  auto screened = [&](size_t cell, double c) {
    return syy - 2 * c * syf[cell] + c * c * sff[cell];
  };
  auto bound = [&](size_t cell, double c) {
    const double root = std::sqrt(syy) + std::fabs(c) * std::sqrt(std::max(sff[cell], 0.0));
    return kappa * root * root;
  };
  double bestUpper = std::numeric_limits<double>::infinity();
  for (int r = 1; r <= grid.R; ++r) {
    const double c = FiskC(ymax, r);
    for (size_t cell = 0; cell < cells; ++cell) {
      const double v = screened(cell, c);
      if (std::isfinite(v)) bestUpper = std::min(bestUpper, v + bound(cell, c));
    }
  }

  // Every point whose screened SSD may lie at or below the best exact one is computed exactly,
  // in loop order, with the loop's strict comparison.
  long double best = std::numeric_limits<long double>::infinity();
  FiskPoint point;
  for (int r = 1; r <= grid.R; ++r) {
    const double c = FiskC(ymax, r);
    for (size_t cell = 0; cell < cells; ++cell) {
      const double v = screened(cell, c);
      if (std::isfinite(v) && !(v - bound(cell, c) <= bestUpper)) continue;
      const int t = static_cast<int>(cell / static_cast<size_t>(grid.I)) + 1;
      const int i = static_cast<int>(cell % static_cast<size_t>(grid.I)) + 1;
      const long double ssd = FiskPointSSD(x, y, n, FiskA(i), FiskB(t), c, increasing);
      if (ssd < best) {
        best = ssd;
        point = {r, t, i};
      }
    }
  }
  if (progress) progress(100);
  return point;
}

}  // namespace vornax
