// FProbability against the F distribution, computed independently (regularized incomplete beta
// function in python/mpmath, or the closed forms for even degrees of freedom).
#include <gtest/gtest.h>

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

TEST(FProbability, BothOddWeighsTheEvenNeighbours) {
  // (P(nu1, nu2 - 1) + 3 P(nu1, nu2 + 1)) / 4 when nu1 < nu2, from exact even-df values.
  EXPECT_NEAR(FProbability(1, 13, 4.67), 95.07128482541388, 1e-9);  // N = 15, straight line
  EXPECT_NEAR(FProbability(3, 9, 2.5), 87.73491942508969, 1e-9);
  EXPECT_NEAR(FProbability(1, 9, 3), 88.41712111817814, 1e-9);
  // (P(nu1 - 1, nu2) + 3 P(nu1 + 1, nu2)) / 4 otherwise.
  EXPECT_NEAR(FProbability(5, 3, 4), 85.85347208284161, 1e-9);
}

TEST(FProbability, OneAndOneUsesTheCorrection) {
  // 100 (1 - 0.6375 sqrt(x)), x = 1 / (F + 1).
  EXPECT_NEAR(FProbability(1, 1, 1), 54.92194269935760, 1e-9);
  EXPECT_NEAR(FProbability(1, 1, 3), 68.125, 1e-9);
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
