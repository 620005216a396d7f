// The type-3 scan evaluates its candidates in constant time; everything it finds must be what
// the evaluation passing over the data for every candidate finds, to the last bit.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "partial/PartialScan.h"

namespace vornax {
namespace {

bool SameBits(double a, double b) { return std::memcmp(&a, &b, sizeof a) == 0; }

TEST(PartialClosedForm, ScansFindAsThePass) {
  struct Shape {
    const char* name;
    double (*f)(double);
    double noise, offset;
  };
  const Shape shapes[] = {
      {"level then rising", [](double x) { return x < 40 ? 5.0 : 5 + 0.5 * (x - 40); }, 0.5, 0},
      {"rising then level", [](double x) { return x < 60 ? 2 + 0.5 * x : 32.0; }, 1.0, 0},
      {"exact", [](double x) { return x < 40 ? 5.0 : 5 + 0.5 * (x - 40); }, 0, 0},
      {"far from zero", [](double x) { return x < 50 ? 0.0 : 1e-3 * (x - 50); }, 1e-4, 1e8},
      {"falling", [](double x) { return x < 30 ? 9.0 : 9 - 0.2 * (x - 30); }, 0.3, 0},
  };
  unsigned seed = 5;
  for (const Shape& shape : shapes) {
    for (int n : {25, 150, 600}) {
      std::mt19937 rng(seed++);
      std::uniform_real_distribution<double> u(0, 100);
      std::normal_distribution<double> g(0, 1);
      std::vector<double> xs;
      for (int i = 0; i < n; ++i) xs.push_back(u(rng));
      std::sort(xs.begin(), xs.end());
      std::vector<long double> x, y;
      for (double v : xs) {
        x.push_back(v);
        y.push_back(shape.offset + shape.f(v) + shape.noise * g(rng));
      }
      PartialResult r[2];
      for (int k = 0; k < 2; ++k) {
        SegmentEngine e;
        e.ClosedFormSearch = k == 0;
        e.Attach(y.data(), x.data(), n);
        e.FindExtremes();
        r[k] = RunPartialScan(e, y.data(), x.data(), n);
      }
      const std::string label = std::string(shape.name) + " n=" + std::to_string(n);
      EXPECT_EQ(r[0].ResultType, r[1].ResultType) << label;
      EXPECT_EQ(r[0].Found3, r[1].Found3) << label;
      EXPECT_TRUE(SameBits(r[0].ThresholdBP3, r[1].ThresholdBP3)) << label;
      EXPECT_TRUE(SameBits(r[0].BestCE3, r[1].BestCE3)) << label;
      EXPECT_TRUE(SameBits(r[0].BestCE4, r[1].BestCE4)) << label;
      EXPECT_TRUE(SameBits(r[0].Breakpoint, r[1].Breakpoint)) << label;
      EXPECT_TRUE(SameBits(r[0].Final.CE, r[1].Final.CE)) << label;
      EXPECT_TRUE(SameBits(r[0].Final.SERC[1], r[1].Final.SERC[1])) << label;
      EXPECT_TRUE(SameBits(r[0].Final.SERC[2], r[1].Final.SERC[2])) << label;
      EXPECT_TRUE(SameBits(r[0].BP3Inner, r[1].BP3Inner)) << label;
      EXPECT_TRUE(SameBits(r[0].BP3Outer, r[1].BP3Outer)) << label;
      ASSERT_EQ(r[0].Scan3.size(), r[1].Scan3.size()) << label;
      for (size_t i = 0; i < r[0].Scan3.size(); ++i) {
        EXPECT_EQ(r[0].Scan3[i].Mark, r[1].Scan3[i].Mark) << label;
        EXPECT_TRUE(SameBits(r[0].Scan3[i].Slope3, r[1].Scan3[i].Slope3)) << label;
      }
    }
  }
}

}  // namespace
}  // namespace vornax
