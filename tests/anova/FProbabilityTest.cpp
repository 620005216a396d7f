// FProbability against the F distribution, computed independently (regularized incomplete beta
// function in python/mpmath, or the closed forms for even degrees of freedom).
#include <gtest/gtest.h>

#include <vector>

#include "anova/Anova.h"

namespace vornax {
namespace {

TEST(FProbability, EvenDegreesOfFreedomAreExact) {
  EXPECT_NEAR(FProbability(2, 10, 3), 90.4632568359375, 1e-9);  // 1 - (10/16)^5
  EXPECT_NEAR(FProbability(4, 20, 2), 86.66523497275129, 1e-9);
  EXPECT_NEAR(FProbability(2, 2, 1), 50.0, 1e-9);
  EXPECT_NEAR(FProbability(2, 2, 3), 75.0, 1e-9);
  EXPECT_NEAR(FProbability(6, 8, 1.7), 76.17254332512606, 1e-9);
  // nu2 < nu1, both even: the even-nu2 series.
  EXPECT_NEAR(FProbability(8, 4, 2.5), 80.37551440329219, 1e-9);
  // nu1 odd, nu2 even: the even-nu2 series, e.g. the straight line of N = 8.
  EXPECT_NEAR(FProbability(1, 6, 3), 86.60254037844386, 1e-9);
}

TEST(FProbability, LargeNumbersOfDataGetTheWholeSeries) {
  // 2000 data sets need about a thousand terms; stopping at 300 would give 72 % for the first.
  EXPECT_NEAR(FProbability(1, 1998, 3.85), 95.01153898735863, 1e-7);
  EXPECT_NEAR(FProbability(3, 1996, 2.6), 94.93691656045502, 1e-7);
  EXPECT_NEAR(FProbability(2, 1998, 3), 94.99886096881221, 1e-7);
}

TEST(FProbability, BothOddIsTheIncompleteBetaFunction) {
  // mpmath's betainc at 30 digits; a mix of the even neighbours was off by up to 0.3 points.
  struct Case {
    int nu1, nu2;
    double f, percent;
  };
  for (const Case& c : std::vector<Case>{{1, 13, 4.67, 95.005935349922148},  // N = 15, line
                                         {3, 9, 2.5, 87.448233880377888},
                                         {1, 9, 3, 88.269319698576184},
                                         {5, 3, 4, 85.838666234514696},
                                         {1, 3, 0.294, 37.464708633845857},
                                         {1, 5, 0.475, 47.863277688528312},
                                         {3, 21, 2.9, 94.098717317643376},
                                         {1, 1999, 3.85, 95.011545923137379},
                                         {3, 1997, 2.6, 94.936931573833783},
                                         // 2/pi atan(sqrt(F)) for one and one
                                         {1, 1, 1, 50.0},
                                         {1, 1, 3, 66.666666666666667}}) {
    EXPECT_NEAR(FProbability(c.nu1, c.nu2, c.f), c.percent, 1e-9) << c.nu1 << "," << c.nu2;
  }
}

TEST(FProbability, ClampsToTheTableRange) {
  // F(2,10) = 31.3 is 99.995 %; F(2,10) = 0.0002 is 0.02 %.
  EXPECT_DOUBLE_EQ(FProbability(2, 10, 31.3), 99.99);
  EXPECT_DOUBLE_EQ(FProbability(2, 10, 0.0002), 0.1);
  EXPECT_DOUBLE_EQ(FProbability(1, 13, 1e300), 99.99);
}

TEST(FProbability, NoExplainedVarianceIsNoSignificance) {
  EXPECT_DOUBLE_EQ(FProbability(2, 10, 0), 0.1);  // the even-nu1 series alone says 99.99
  EXPECT_DOUBLE_EQ(FProbability(4, 20, 0), 0.1);
  EXPECT_DOUBLE_EQ(FProbability(1, 13, 0), 0.1);
  EXPECT_DOUBLE_EQ(FProbability(2, 2, -1), 0.1);
  EXPECT_DOUBLE_EQ(FProbability(1, 1, -0.001), 0.1);
}

TEST(FProbability, WithoutDegreesOfFreedomNothingIsShown) {
  EXPECT_DOUBLE_EQ(FProbability(1, 0, 5), 0.1);
  EXPECT_DOUBLE_EQ(FProbability(3, -1, 5), 0.1);
  EXPECT_DOUBLE_EQ(FProbability(0, 10, 5), 0.1);
}

TEST(FProbability, GrowsWithF) {
  for (int nu1 : {1, 2, 3, 4, 5}) {
    for (int nu2 : {1, 2, 5, 9, 13, 28, 201}) {
      double previous = 0;
      for (double f = 0.05; f < 60; f *= 1.3) {
        const double p = FProbability(nu1, nu2, f);
        EXPECT_GE(p, previous) << nu1 << "," << nu2 << " F=" << f;
        previous = p;
      }
    }
  }
}

}  // namespace
}  // namespace vornax
