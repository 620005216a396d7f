// The exact broken-line search against known lines and against a brute-force search that fits
// every combination of the grid over the data themselves.
#include "breakpoints/BrokenLineSearch.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>

namespace vornax {
namespace {

struct Data {
  std::vector<long double> x, y;
};

// A broken line through the given breakpoints and slopes, evaluated at x.
double Line(double x, double c, const std::vector<double>& bp, const std::vector<double>& slopes) {
  double v = c + slopes[0] * x;
  for (size_t j = 0; j < bp.size(); ++j)
    if (x > bp[j]) v += (slopes[j + 1] - slopes[j]) * (x - bp[j]);
  return v;
}

TEST(BrokenLineSearch, NoiseFreeLinesAreRecoveredExactly) {
  struct Case {
    std::vector<double> bp, slopes;
  };
  const Case cases[] = {
      {{10, 20}, {1, -2, 0.5}},          // breakpoints on data values
      {{10.5, 20.25}, {0, 3, -1}},       // between data values: found by the refinement
      {{7, 15.5, 24}, {2, 0, -1, 1.5}},  // three breakpoints
  };
  for (const Case& c : cases) {
    Data d;
    for (int i = 0; i <= 30; ++i) {
      d.x.push_back(i);
      d.y.push_back(Line(i, 5, c.bp, c.slopes));
    }
    const BrokenLineData data(d.x, d.y);
    BrokenLineSearchOptions o;
    o.Breakpoints = static_cast<int>(c.bp.size());
    const auto r = FindBestBrokenLine(data, o);
    ASSERT_TRUE(r.Found);
    EXPECT_LT(r.Line.ResidualSumOfSquares, 1e-18 * data.TotalSumOfSquares());
    for (size_t j = 0; j < c.bp.size(); ++j) EXPECT_NEAR(r.Line.Breakpoints[j], c.bp[j], 1e-7);
    const auto slopes = r.Line.SegmentSlopes();
    for (size_t j = 0; j < c.slopes.size(); ++j) EXPECT_NEAR(slopes[j], c.slopes[j], 1e-7);
    EXPECT_NEAR(r.Line(3), Line(3, 5, c.bp, c.slopes), 1e-9);
  }
}

// Every admissible combination of grid values fitted over the data.
struct Brute {
  double rss = INFINITY;
  long long combinations = 0;
};
Brute BruteForce(const BrokenLineData& data, int k, int m) {
  Brute b;
  const int groups = data.Groups();
  const long long n = data.Count();
  std::vector<int> g(k);
  std::function<void(int, int)> rec = [&](int level, int from) {
    if (level == k) {
      long long prev = 0;
      for (int j = 0; j < k; ++j) {
        if (data.CountUpTo(g[j]) - prev < m) return;
        prev = data.CountUpTo(g[j]);
      }
      if (n - prev < m || g[0] < 1 || g[k - 1] > groups - 2) return;
      ++b.combinations;
      std::vector<double> bp;
      for (int j : g) bp.push_back(data.X(j));
      const BrokenLine fit = FitBrokenLine(data, bp);
      if (fit.Valid) b.rss = std::min(b.rss, fit.ResidualSumOfSquares);
      return;
    }
    for (int i = from; i < groups; ++i) {
      g[level] = i;
      rec(level + 1, i + 1);
    }
  };
  rec(0, 0);
  return b;
}

TEST(BrokenLineSearch, GridMinimumEqualsBruteForceOnRandomData) {
  std::mt19937_64 rng(20261207);
  int checked = 0;
  for (int trial = 0; trial < 200; ++trial) {
    const int k = trial % 3 == 2 ? 3 : 2;
    const int n = k == 3 ? 20 + trial % 31 : 20 + (trial * 7) % 181;
    std::uniform_real_distribution<double> unit(0, 1);
    std::normal_distribution<double> noise(0, 1 + trial % 5);
    Data d;
    const double b1 = 20 + 20 * unit(rng), b2 = 60 + 20 * unit(rng);
    for (int i = 0; i < n; ++i) {
      // Ties in X, and a few data sets given twice (weight factors are copies).
      double x = std::round(100 * unit(rng) * (trial % 4 == 0 ? 0.2 : 1)) * (trial % 4 == 0 ? 5 : 1);
      double y = Line(x, 3, {b1, b2}, {0.5, -1, 2}) + noise(rng);
      const int copies = i % 7 == 0 ? 2 : 1;
      for (int c = 0; c < copies; ++c) {
        d.x.push_back(x);
        d.y.push_back(y);
      }
    }
    const BrokenLineData data(d.x, d.y);
    BrokenLineSearchOptions o;
    o.Breakpoints = k;
    const Brute brute = BruteForce(data, k, o.MinPerSegment);
    const auto r = FindBestBrokenLine(data, o);
    EXPECT_EQ(r.Combinations, brute.combinations) << "trial " << trial;
    if (brute.combinations == 0) continue;
    ASSERT_TRUE(r.Found) << "trial " << trial;
    EXPECT_NEAR(r.GridResidualSumOfSquares, brute.rss, 1e-9 * brute.rss) << "trial " << trial;
    EXPECT_LE(r.Line.ResidualSumOfSquares, brute.rss * (1 + 1e-12)) << "trial " << trial;
    if (k == 3) {
      o.UseBound = false;
      const auto plain = FindBestBrokenLine(data, o);
      EXPECT_NEAR(plain.GridResidualSumOfSquares, r.GridResidualSumOfSquares,
                  1e-12 * brute.rss);
      EXPECT_EQ(plain.Evaluated, plain.Combinations);
    }
    ++checked;
  }
  EXPECT_GT(checked, 180);
}

}  // namespace
}  // namespace vornax
