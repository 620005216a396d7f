// The grid search of the Fisk curve Yc = C/(1 + (X/A)^B) (mirrored to C - Yc for rising Y):
// C = Ymax (0.5 + 0.05 r), B = 0.05 t, A = 0.05 i over r = 1..20, t = 1..100, i = 1..1000, the
// best point being the first, in the loop order r, t, i, with the smallest sum of squares.
//
// FiskLiteralSearch is that triple loop as written, two million points each over every data
// set. FiskSearch chooses exactly the same point in a small fraction of the time: for fixed A
// and B the sum of squares is a quadratic in C, so two sums per (A, B) give all twenty C at
// once; X^B is formed once per B; these 64-bit sums are only a screen, and every point that
// the screen's proven error bound cannot rule out is computed again exactly as the loop does.
#pragma once

#include <functional>

namespace vornax {

struct FiskGrid {
  int R = 20, T = 100, I = 1000;
};

struct FiskPoint {
  int r = 1, t = 1, i = 1;
  bool operator==(const FiskPoint&) const = default;
};

double FiskA(int i);
double FiskB(int t);
double FiskC(double ymax, int r);

// The sum of squares of one grid point, as the literal loop forms it (80-bit).
long double FiskPointSSD(const long double* x, const long double* y, int n, double a, double b,
                         double c, bool increasing);

FiskPoint FiskLiteralSearch(const long double* x, const long double* y, int n, double ymax,
                            bool increasing, const FiskGrid& grid = {});

// `progress`, when given, is called with 0..100 as the search advances.
FiskPoint FiskSearch(const long double* x, const long double* y, int n, double ymax,
                     bool increasing, const FiskGrid& grid = {},
                     const std::function<void(int)>& progress = {});

}  // namespace vornax
