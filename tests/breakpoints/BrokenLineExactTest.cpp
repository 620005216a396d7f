// The search's residual sum against a reference computed another way: every combination of
// places for the breakpoints (at a data value, inside the interval between two, or at the upper
// end of that interval with the data set there counted above) fitted over the data themselves
// by Householder QR in extended precision, without running sums and without any bound. Inside
// an interval the hinge is I·X − b·I, so the fit there is linear and b = −d/c; a place whose b
// falls outside its interval is not taken (an end of the interval is its own place).
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "breakpoints/BrokenLineInference.h"
#include "breakpoints/BrokenLineSearch.h"

namespace vornax {
namespace {

using LD = long double;

// The residual sum of least squares over p columns of a (n rows, row-major, destroyed), by
// Householder QR; false when a column is (nearly) explained by the others.
bool QrResidual(std::vector<LD>& a, size_t n, size_t p, std::vector<LD> y, LD& rss,
                std::vector<LD>& coef) {
  if (n <= p) return false;
  auto at = [&](size_t i, size_t j) -> LD& { return a[i * p + j]; };
  std::vector<LD> v(n);
  for (size_t j = 0; j < p; ++j) {
    LD norm = 0;
    for (size_t i = j; i < n; ++i) norm += at(i, j) * at(i, j);
    norm = std::sqrt(norm);
    if (!(norm > 1e-14L)) return false;
    const LD alpha = at(j, j) > 0 ? -norm : norm;
    for (size_t i = j; i < n; ++i) v[i] = at(i, j);
    v[j] -= alpha;
    LD vv = 0;
    for (size_t i = j; i < n; ++i) vv += v[i] * v[i];
    if (!(vv > 0)) return false;
    for (size_t c = j; c < p; ++c) {
      LD s = 0;
      for (size_t i = j; i < n; ++i) s += v[i] * at(i, c);
      for (size_t i = j; i < n; ++i) at(i, c) -= 2 * s / vv * v[i];
    }
    LD s = 0;
    for (size_t i = j; i < n; ++i) s += v[i] * y[i];
    for (size_t i = j; i < n; ++i) y[i] -= 2 * s / vv * v[i];
  }
  for (size_t j = 0; j < p; ++j)
    if (std::fabs(at(j, j)) < 1e-11L) return false;
  coef.assign(p, 0);
  for (size_t j = p; j-- > 0;) {
    LD s = y[j];
    for (size_t c = j + 1; c < p; ++c) s -= at(j, c) * coef[c];
    coef[j] = s / at(j, j);
  }
  rss = 0;
  for (size_t i = p; i < n; ++i) rss += y[i] * y[i];
  return true;
}

struct Sample {
  std::vector<LD> x, y;
};

// A breakpoint's place: kind 0 at the distinct value v[i], 1 inside (v[i], v[i+1]), 2 at v[i+1]
// approached from below (the data sets there count above it).
struct Place {
  int kind, i;
};

// Whether breakpoints (values, with `below[j]` the data sets at or below each) leave at least
// three data sets and two distinct X values in every segment, as the program requires.
bool Admissible(const Sample& s, const std::vector<LD>& v, const std::vector<LD>& b,
                const std::vector<bool>& upperEnd) {
  const int k = static_cast<int>(b.size());
  for (int j = 0; j <= k; ++j) {
    const LD lo = j == 0 ? -INFINITY : b[j - 1], hi = j == k ? INFINITY : b[j];
    const bool loOpen = j > 0 && upperEnd[j - 1];  // a data value there counts above: inside
    const bool hiOpen = j < k && upperEnd[j];
    int count = 0, distinct = 0;
    for (LD x : s.x) count += (j == 0 || x > lo || (loOpen && x == lo)) && (j == k || x < hi || (!hiOpen && x == hi));
    for (LD x : v) distinct += x >= lo && (x < hi || (!hiOpen && x == hi));
    if (count < 3 || distinct < 2) return false;
  }
  return true;
}

LD ReferenceMinimum(const Sample& s, int k) {
  std::vector<LD> v = s.x;
  std::sort(v.begin(), v.end());
  v.erase(std::unique(v.begin(), v.end()), v.end());
  const int g = static_cast<int>(v.size());
  std::vector<Place> places;
  for (int i = 0; i < g; ++i) {
    places.push_back({0, i});
    if (i + 1 < g) places.push_back({1, i}), places.push_back({2, i});
  }
  // The data sets at or below each place's lower end: at least three in every segment.
  auto below = [&](const Place& p) {
    return static_cast<int>(std::count_if(s.x.begin(), s.x.end(), [&](LD x) { return x <= v[p.i]; }));
  };
  std::vector<int> counts;
  for (const Place& p : places) counts.push_back(below(p));
  const int n = static_cast<int>(s.x.size());
  LD best = INFINITY;
  std::vector<int> pick(k);
  std::vector<LD> a, coef;
  std::function<void(int, int)> rec = [&](int level, int from) {
    if (level == k) {
      if (n - counts[pick[k - 1]] < 3) return;
      size_t p = 2;
      for (int j = 0; j < k; ++j) p += places[pick[j]].kind == 1 ? 2 : 1;
      a.assign(s.x.size() * p, 0);
      for (size_t r = 0; r < s.x.size(); ++r) {
        const LD x = s.x[r];
        LD* row = &a[r * p];
        size_t c = 0;
        row[c++] = 1;
        row[c++] = x;
        for (int j = 0; j < k; ++j) {
          const Place& pl = places[pick[j]];
          const LD end = pl.kind == 2 ? v[pl.i + 1] : v[pl.i];
          if (pl.kind == 1) {
            row[c++] = x > end ? x : 0;
            row[c++] = x > end ? 1 : 0;
          } else {
            row[c++] = x > end ? x - end : 0;
          }
        }
      }
      LD rss;
      if (!QrResidual(a, s.x.size(), p, s.y, rss, coef)) return;
      if (!(rss < best)) return;
      std::vector<LD> b;
      std::vector<bool> upperEnd;
      size_t c = 2;
      for (int j = 0; j < k; ++j) {
        const Place& pl = places[pick[j]];
        if (pl.kind == 1) {
          const LD at = -coef[c + 1] / coef[c];
          if (!(at >= v[pl.i] && at < v[pl.i + 1])) return;
          b.push_back(at);
          c += 2;
        } else {
          b.push_back(pl.kind == 2 ? v[pl.i + 1] : v[pl.i]);
          c += 1;
        }
        upperEnd.push_back(pl.kind == 2);
      }
      for (int j = 1; j < k; ++j)
        if (!(b[j - 1] < b[j])) return;
      if (Admissible(s, v, b, upperEnd)) best = rss;
      return;
    }
    for (int q = from; q < static_cast<int>(places.size()); ++q) {
      const int prev = level == 0 ? 0 : counts[pick[level - 1]];
      if (counts[q] - prev < 3) continue;
      pick[level] = q;
      rec(level + 1, q + 1);
    }
  };
  rec(0, 0);
  return best;
}

// The program's line refitted by the test: the residual sum over the data, and whether its
// breakpoints are admissible.
LD RefitResidual(const Sample& s, const BrokenLine& line) {
  const size_t p = 2 + line.Breakpoints.size();
  std::vector<LD> a;
  for (LD x : s.x) {
    a.push_back(1);
    a.push_back(x);
    for (double b : line.Breakpoints) a.push_back(x > b ? x - b : 0);
  }
  LD rss = INFINITY;
  std::vector<LD> coef;
  QrResidual(a, s.x.size(), p, s.y, rss, coef);
  return rss;
}

double Kinked(double x, const std::vector<double>& bp, const std::vector<double>& slopes) {
  double v = 2 + slopes[0] * x;
  for (size_t j = 0; j < bp.size(); ++j)
    if (x > bp[j]) v += (slopes[j + 1] - slopes[j]) * (x - bp[j]);
  return v;
}

// False when the reference finds no admissible place at all.
bool ExpectAtReference(const Sample& s, int k, const std::string& label) {
  const BrokenLineData data(s.x, s.y);
  BrokenLineSearchOptions o;
  o.Breakpoints = k;
  const auto r = FindBestBrokenLine(data, o);
  const LD reference = ReferenceMinimum(s, k);
  if (!std::isfinite(static_cast<double>(reference))) return false;
  EXPECT_TRUE(r.Found) << label;
  if (!r.Found) return true;
  const LD program = r.Line.ResidualSumOfSquares;
  const LD scale = std::max<LD>(reference, 1e-12L * data.TotalSumOfSquares());
  EXPECT_LE(program, reference + 1e-9L * scale) << label << " reference " << (double)reference;
  // And it is a real line of admissible breakpoints, not a figure below the true minimum.
  EXPECT_GE(program, reference - 1e-9L * scale) << label;
  EXPECT_NEAR(static_cast<double>(RefitResidual(s, r.Line)), static_cast<double>(program),
              1e-9 * static_cast<double>(scale))
      << label;
  std::vector<LD> u;
  for (double b : r.Line.Breakpoints) u.push_back(data.ToU(b));
  EXPECT_TRUE(BrokenLineAdmissible(data, u, 3)) << label;
  return true;
}

TEST(BrokenLineExact, ResidualSumEqualsAnIndependentContinuousSearch) {
  std::mt19937_64 rng(3620261208ULL);
  std::uniform_real_distribution<double> unit(0, 1);
  int sets = 0;
  for (int trial = 0; trial < 540; ++trial) {
    const int k = 1 + trial % 3;
    // The reference tries every triple of places for three breakpoints: fewer data there.
    const int n = k == 3 ? 10 + static_cast<int>(unit(rng) * 9) : 10 + static_cast<int>(unit(rng) * 51);
    const int shape = trial % 5;
    std::normal_distribution<double> noise(0, 0.2 + 2 * unit(rng));
    // Breakpoints: anywhere; close together (shape 1); the last near the top, leaving a short
    // end segment (shape 2).
    std::vector<double> bp;
    double at = 10 + 30 * unit(rng);
    for (int j = 0; j < k; ++j) {
      bp.push_back(at);
      at += shape == 1 ? 3 + 4 * unit(rng) : 10 + 25 * unit(rng);
    }
    if (shape == 2) bp.back() = 92 + 5 * unit(rng);
    std::vector<double> slopes;
    for (int j = 0; j <= k; ++j) slopes.push_back(4 * unit(rng) - 2);
    Sample s;
    for (int i = 0; i < n; ++i) {
      double x = 100 * unit(rng);
      if (shape == 3) x = 10 * std::round(x / 10);  // ties
      if (shape == 4) x = std::round(x);
      const double y = Kinked(x, bp, slopes) + noise(rng);
      const int copies = (shape == 4 && i % 6 == 0) ? 2 : 1;  // weight factors are copies
      for (int c = 0; c < copies; ++c) {
        s.x.push_back(x);
        s.y.push_back(y);
      }
    }
    sets += ExpectAtReference(s, k, "trial " + std::to_string(trial) + " k " + std::to_string(k));
  }
  EXPECT_GE(sets, 500);
}

// R's `down` data (segmented package): mothers' age and Down's syndrome cases per 1000 births.
// The true optimum for two breakpoints lies near 39.07 and just below 44.5 (the segment above
// keeps 44.5, 45.5 and 47), with residual sum 215.82; breakpoints at data values alone, refined
// locally, stopped at 263.78.
TEST(BrokenLineExact, DownSyndromeDataReachTheTrueOptimum) {
  const double age[] = {17,   18.5, 19.5, 20.5, 21.5, 22.5, 23.5, 24.5, 25.5, 26.5,
                        27.5, 28.5, 29.5, 30.5, 31.5, 32.5, 33.5, 34.5, 35.5, 36.5,
                        37.5, 38.5, 39.5, 40.5, 41.5, 42.5, 43.5, 44.5, 45.5, 47};
  const double births[] = {13555, 13675, 18752, 22005, 23896, 24667, 24807, 23986, 22860, 21450,
                           19202, 17450, 15685, 13954, 11987, 10983, 9825,  8483,  7448,  6628,
                           5780,  4834,  3961,  2952,  2276,  1589,  1018,  596,   327,   249};
  const double cases[] = {16, 15, 16, 22, 16, 12, 17, 22, 15, 14, 27, 14, 9,  12, 12,
                          18, 13, 11, 23, 13, 17, 15, 30, 31, 33, 20, 16, 22, 11, 7};
  Sample s;
  for (int i = 0; i < 30; ++i) {
    s.x.push_back(age[i]);
    s.y.push_back(1000.0L * cases[i] / births[i]);
  }
  for (int k = 1; k <= 3; ++k) EXPECT_TRUE(ExpectAtReference(s, k, "down k " + std::to_string(k)));
  const BrokenLineData data(s.x, s.y);
  BrokenLineSearchOptions o;
  o.Breakpoints = 2;
  const auto r = FindBestBrokenLine(data, o);
  ASSERT_TRUE(r.Found);
  // 215.8186 and 39.0699 by tests/golden/broken_lines_reference.py's search in 30 digits.
  EXPECT_NEAR(r.Line.ResidualSumOfSquares, 215.8186, 1e-3);
  EXPECT_NEAR(r.Line.Breakpoints[0], 39.0699, 1e-3);
  EXPECT_LT(r.Line.Breakpoints[1], 44.5);
  EXPECT_GT(r.Line.Breakpoints[1], 44.4999);
  // The likelihood intervals follow the exact fit: the same reference's profile (the other
  // breakpoint searched exactly at every place) crosses F(1, 24) at 90 % at 37.8153 and 41.3797
  // for breakpoint 1, at 44.1855 for breakpoint 2, whose upper end is the last place it can take.
  const BrokenLineInference inf = InferBrokenLine(data, r.Line, 0.90, 1.75);
  ASSERT_EQ(inf.Breakpoints.size(), 2u);
  EXPECT_NEAR(inf.Breakpoints[0].LikelihoodLower, 37.8153, 1e-3);
  EXPECT_NEAR(inf.Breakpoints[0].LikelihoodUpper, 41.3797, 1e-3);
  EXPECT_NEAR(inf.Breakpoints[1].LikelihoodLower, 44.1855, 1e-3);
  EXPECT_NEAR(inf.Breakpoints[1].LikelihoodUpper, 44.5, 1e-3);
  EXPECT_TRUE(inf.Breakpoints[1].LikelihoodUpperAtEnd);
  EXPECT_FALSE(inf.Breakpoints[0].LikelihoodLowerAtEnd || inf.Breakpoints[0].LikelihoodUpperAtEnd);
}

}  // namespace
}  // namespace vornax
