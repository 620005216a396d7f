// The fast Fisk search must choose exactly the grid point of the literal triple loop (strict
// comparison, loop order r, t, i), on the full grid and on reduced grids with ties.
#include "curves/FiskSearch.h"

#include <gtest/gtest.h>

#include <random>
#include <vector>

namespace vornax {
namespace {

struct Data {
  std::vector<long double> x, y;
};

void ExpectSameChoice(const Data& d, double ymax, bool increasing, const FiskGrid& grid) {
  const int n = static_cast<int>(d.x.size());
  const FiskPoint literal = FiskLiteralSearch(d.x.data(), d.y.data(), n, ymax, increasing, grid);
  const FiskPoint fast = FiskSearch(d.x.data(), d.y.data(), n, ymax, increasing, grid);
  EXPECT_EQ(fast.r, literal.r);
  EXPECT_EQ(fast.t, literal.t);
  EXPECT_EQ(fast.i, literal.i);
}

TEST(FiskSearch, FullGridChoosesTheLiteralPoint) {
  // A falling and a rising S on six data sets, over all two million points.
  const Data falling{{1, 2, 3, 4, 5, 6}, {9.6, 9.1, 7.0, 4.2, 2.0, 1.1}};
  ExpectSameChoice(falling, 10.67, false, FiskGrid{});
  const Data rising{{0.5, 1.5, 2.5, 3.5, 4.5, 5.5}, {0.4, 1.2, 3.9, 6.8, 8.7, 9.3}};
  ExpectSameChoice(rising, 11.16, true, FiskGrid{});
}

TEST(FiskSearch, RandomDataOnReducedGrids) {
  std::mt19937 rng(2024);
  std::uniform_real_distribution<double> unit(0.0, 1.0);
  for (int trial = 0; trial < 40; ++trial) {
    const int n = 4 + trial % 9;
    Data d;
    double ymax = 0;
    for (int k = 0; k < n; ++k) {
      d.x.push_back(static_cast<long double>(0.2 + 6 * unit(rng)));
      const double y = 10 / (1 + std::pow(static_cast<double>(d.x.back()) / 3, 2.5)) + unit(rng);
      d.y.push_back(y);
      ymax = std::max(ymax, y);
    }
    const bool increasing = trial % 2 == 1;
    if (increasing) {
      for (auto& v : d.y) v = ymax - v;
    }
    ExpectSameChoice(d, ymax * n / (n - 1), increasing, FiskGrid{6, 12, 120});
  }
}

TEST(FiskSearch, TiesGoToTheFirstPointInLoopOrder) {
  // X = 0 makes every A and B alike: only C matters, and the first t and i must be kept.
  const Data zeros{{0, 0, 0, 0}, {4, 5, 6, 5}};
  ExpectSameChoice(zeros, 7, false, FiskGrid{8, 10, 40});
  const FiskPoint p = FiskSearch(zeros.x.data(), zeros.y.data(), 4, 7, false, FiskGrid{8, 10, 40});
  EXPECT_EQ(p.t, 1);
  EXPECT_EQ(p.i, 1);
  // X = 1 and A = 1 (i = 20) give the same share 0.5 for every B: with C = 10 (r = 10 of
  // Ymax = 10) the fit is exact along the whole column t = 1 .. T, and t = 1 must win.
  const Data ones{{0, 1, 1, 0}, {10, 5, 5, 10}};
  const FiskPoint q = FiskSearch(ones.x.data(), ones.y.data(), 4, 10, false, FiskGrid{12, 20, 40});
  EXPECT_EQ(q, (FiskPoint{10, 1, 20}));
  ExpectSameChoice(ones, 10, false, FiskGrid{12, 20, 40});
  // Mirrored, the same tie.
  const Data mirrored{{0, 1, 1, 0}, {0, 5, 5, 0}};
  ExpectSameChoice(mirrored, 10, true, FiskGrid{12, 20, 40});
}

TEST(FiskSearch, LargeYAreFittedLikeSmallY) {
  // Every SSD of yields in the thousands is above 1,000,000: the search must still move.
  Data small{{1, 2, 3, 4, 5, 6, 7, 8}, {9.5, 9.2, 8.1, 6.0, 3.9, 2.2, 1.3, 0.8}};
  Data large = small;
  for (auto& v : large.y) v *= 1000;
  const FiskGrid grid{20, 40, 200};
  const FiskPoint a = FiskSearch(small.x.data(), small.y.data(), 8, 10.86, false, grid);
  const FiskPoint b = FiskSearch(large.x.data(), large.y.data(), 8, 10860, false, grid);
  EXPECT_EQ(a, b);
  EXPECT_NE(a, (FiskPoint{1, 1, 1}));
}

}  // namespace
}  // namespace vornax
