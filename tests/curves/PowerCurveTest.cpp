// The power curve: its grid, laws recovered exactly, the shift taken from the untransformed X,
// large Y, refusals and a golden report.
#include "curves/PowerCurve.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "curves/CurveTestSupport.h"

namespace vornax {
namespace {

using test::CurveRun;

std::vector<double> Range(double from, double to, double step = 1) {
  std::vector<double> v;
  for (double x = from; x <= to + 1e-9; x += step) v.push_back(x);
  return v;
}

TEST(PowerGrid, ShiftsAndPowersAsTheReportPrintsThem) {
  EXPECT_DOUBLE_EQ(PowerShift(1, 1), 0.99);
  EXPECT_DOUBLE_EQ(PowerShift(1, 9), 0.91);
  EXPECT_DOUBLE_EQ(PowerShift(100, 1), 99);
  EXPECT_EQ(PowerShift(0, 3), 0);
  EXPECT_DOUBLE_EQ(PowerShift(-10, 1), -9.9);
  EXPECT_DOUBLE_EQ(PowerExponent(1), 0.06);
  EXPECT_DOUBLE_EQ(PowerExponent(95), 1.0);
  EXPECT_DOUBLE_EQ(PowerExponent(295), 3.0);
}

// Y = b + a (X - c)^p.
std::vector<double> PowerLaw(const std::vector<double>& x, double a, double b, double c, double p,
                             double scale = 1) {
  std::vector<double> y;
  for (double v : x) y.push_back(scale * (b + a * std::pow(v - c, p)));
  return y;
}

TEST(PowerCurve, APowerLawIsRecovered) {
  // Y = 3 + 2 X^1.5 with the smallest X at 0.0001: C runs from 0.000099 down to 0.000091,
  // close enough to 0 that P = 1.50, A = 2 and B = 3 come back to printed precision.
  std::vector<double> x = {0.0001};
  for (double v = 1; v <= 12; ++v) x.push_back(v);
  TDMVornax data;
  test::LoadXY(data, PowerLaw(x, 2, 3, 0, 1.5), x);
  CurveData d;
  ASSERT_TRUE(PrepareCurveData(data, CurveKind::Power, d).Ok);
  const CurveResult r = FitPowerCurve(d);
  EXPECT_DOUBLE_EQ(r.Exponent, 1.5);
  EXPECT_NEAR(r.Coeff[0], 2, 0.005);
  EXPECT_NEAR(r.Coeff[1], 3, 0.005);

  // With the shift on the grid (C = 0.99 for X from 1) the law comes back exactly.
  const auto x1 = Range(1, 10);
  test::LoadXY(data, PowerLaw(x1, 2, 3, 0.99, 1.5), x1);
  ASSERT_TRUE(PrepareCurveData(data, CurveKind::Power, d).Ok);
  const CurveResult exact = FitPowerCurve(d);
  EXPECT_DOUBLE_EQ(exact.Exponent, 1.5);
  EXPECT_DOUBLE_EQ(exact.Shift, 0.99);
  EXPECT_NEAR(exact.Coeff[0], 2, 1e-10);
  EXPECT_NEAR(exact.Coeff[1], 3, 1e-10);
  EXPECT_NEAR(exact.CurveExplCoeff, 1, 1e-14);
}

TEST(PowerCurve, TheShiftIsTakenFromTheUntransformedX) {
  // X from 100 to 110 is shifted by the preparation; the power curve still forms X - C from
  // the raw X, so a law in X - 99 is found instead of collapsing onto the 0.001 floor.
  const auto x = Range(100, 110);
  CurveRun run;
  run.Load(PowerLaw(x, 2, 3, 99, 1.5), x);
  RunPowerCurve(run.data, run.options, run.dialogs);
  EXPECT_TRUE(run.dialogs.Messages().empty());
  EXPECT_FALSE(run.options.CurveAbort);
  EXPECT_DOUBLE_EQ(run.options.CurveExponent, 1.5);
  EXPECT_NEAR(run.options.CurveExplCoeff, 1, 1e-12);
  const auto out = run.Out();
  ASSERT_GE(out.size(), 10u);
  EXPECT_EQ(out[6], " 1st Transformation  : Xt = X - C        C = 99.000");
  EXPECT_EQ(out[9], " Regression result   : Power P = 1.500   A =   2.00E+000   B =   3.00E+000");
}

TEST(PowerCurve, LargeYGiveTheSameCurveAsSmallY) {
  const auto x = Range(2, 31);
  double p[2], c[2], a[2];
  for (int k = 0; k < 2; ++k) {
    std::vector<double> y = PowerLaw(x, 0.8, 4, 0, 0.6, k == 0 ? 1 : 1000);
    for (size_t i = 0; i < y.size(); ++i) y[i] += (k == 0 ? 0.1 : 100) * test::Wobble()[i];
    TDMVornax data;
    test::LoadXY(data, y, x);
    CurveData d;
    ASSERT_TRUE(PrepareCurveData(data, CurveKind::Power, d).Ok);
    const CurveResult r = FitPowerCurve(d);
    p[k] = r.Exponent;
    c[k] = r.Shift;
    a[k] = r.Coeff[0];
  }
  EXPECT_NE(p[0], 0.06);  // not the first grid point
  EXPECT_EQ(p[0], p[1]);
  EXPECT_EQ(c[0], c[1]);
  EXPECT_NEAR(a[1], 1000 * a[0], 1e-9 * std::fabs(a[1]));
}

TEST(PowerCurve, ACurveNoBetterThanTheLineIsRefused) {
  // Smallest X = 0: every Xt is 0.001, Xv is constant and the fit is the mean of Y.
  CurveRun run;
  const auto x = Range(0, 10);
  run.Load(PowerLaw(x, 1, 0, 0, 1), x);
  run.PlantStaleFiles();
  RunPowerCurve(run.data, run.options, run.dialogs);
  EXPECT_EQ(run.dialogs.Messages(),
            std::vector<std::string>{"The power curve could not be made. Try another option."});
  EXPECT_TRUE(run.options.CurveAbort);
  EXPECT_FALSE(run.HasFiles());

  CurveRun flat;
  flat.Load({2, 2, 2, 2}, {1, 2, 3, 4});
  RunPowerCurve(flat.data, flat.options, flat.dialogs);
  EXPECT_TRUE(flat.options.CurveAbort);
  EXPECT_FALSE(flat.HasFiles());
}

TEST(PowerCurve, AStraightLineIsAcceptedAsItsOwnPowerCurve) {
  // P = 1 reproduces the line; rounding must not turn that into a refusal.
  CurveRun run;
  const auto x = Range(1, 12);
  std::vector<double> y;
  for (size_t i = 0; i < x.size(); ++i) y.push_back(2 + 0.5 * x[i] + 0.1 * test::Wobble()[i]);
  run.Load(y, x);
  RunPowerCurve(run.data, run.options, run.dialogs);
  EXPECT_FALSE(run.options.CurveAbort);
  EXPECT_TRUE(run.HasFiles());
}

void ExpectPowerGolden(bool z, const std::string& name) {
  CurveRun run;
  std::vector<double> x, y;
  for (int i = 0; i < 20; ++i) {
    const double v = 2 + 1.5 * i;
    x.push_back(v);
    y.push_back(1.5 + 2.2 * std::pow(v, 0.45) + 0.2 * test::Wobble()[static_cast<size_t>(i)]);
  }
  run.Load(y, x);
  // An empty title is printed as "No title given" / "No subtitle given".
  (z ? run.data.Title2 : run.data.Title1) = "";
  run.data.SingleIsZ = z;
  run.data.SingleIsX = !z;
  RunPowerCurve(run.data, run.options, run.dialogs);
  const auto expected = test::GoldenWithPath(name, run.OutPath());
  const auto actual = run.Out();
  ASSERT_FALSE(expected.empty());
  for (size_t i = 0; i < std::max(actual.size(), expected.size()); ++i) {
    EXPECT_EQ(i < actual.size() ? actual[i] : "<missing>",
              i < expected.size() ? expected[i] : "<missing>")
        << name << " line " << i + 1;
  }
}

TEST(PowerGolden, ReportsOnXAndZ) {
  ExpectPowerGolden(false, "curve_power_x.out");
  ExpectPowerGolden(true, "curve_power_z.out");
}

}  // namespace
}  // namespace vornax
