// The preparation shared by the curves: sorting, the reference line, the shift of X, the spread
// check, refusals of unfit data, the confidence rows and the variance file.
#include "curves/CurveCommon.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "curves/CurveTestSupport.h"
#include "data/NumberFormat.h"

namespace vornax {
namespace {

using test::LoadXY;

std::vector<double> Range(double from, double to, double step = 1) {
  std::vector<double> v;
  for (double x = from; x <= to + 1e-9; x += step) v.push_back(x);
  return v;
}

std::vector<double> Wavy(size_t n) {
  std::vector<double> y;
  for (size_t i = 0; i < n; ++i) y.push_back(5 + 0.3 * static_cast<double>(i) + test::Wobble()[i % 30]);
  return y;
}

TEST(CurvePreparation, SortsWholeDataSetsAndComputesTheReferenceLine) {
  TDMVornax data;
  // Y = 1, 3, 2, 5, 4 at X = 1..5, given out of order: AvX = AvY = 3, Sxx = Syy = 10, Sxy = 8,
  // slope 0.8, intercept 0.6, LinSSD = 10 - 64/10 = 3.6, r^2 = 0.64.
  LoadXY(data, {5, 1, 2, 3, 4}, {4, 1, 3, 2, 5});
  CurveData d;
  ASSERT_TRUE(PrepareCurveData(data, CurveKind::Power, d).Ok);
  EXPECT_EQ(data.SerialNr, (std::vector<int32_t>{2, 4, 3, 1, 5}));
  EXPECT_EQ(d.X, (std::vector<long double>{1, 2, 3, 4, 5}));
  EXPECT_EQ(d.Y, (std::vector<long double>{1, 3, 2, 5, 4}));
  EXPECT_DOUBLE_EQ(d.LinAvX, 3);
  EXPECT_DOUBLE_EQ(d.LinAvY, 3);
  EXPECT_NEAR(d.LinSlope, 0.8, 1e-15);
  EXPECT_NEAR(d.LinIntercept, 0.6, 1e-15);
  EXPECT_NEAR(d.CurveSyy, 10, 1e-14);
  EXPECT_NEAR(d.LinSSD, 3.6, 1e-14);
  EXPECT_NEAR(d.LinCorrCoeffSq, 0.64, 1e-15);
  EXPECT_NEAR(d.LinStDevX, std::sqrt(10.0 / 4), 1e-15);
  EXPECT_NEAR(d.LinStDevYr, std::sqrt(3.6 / 4), 1e-15);
}

TEST(CurvePreparation, XFarFromZeroOrNegativeIsShifted) {
  // 100 .. 110: extended range 99.45 .. 111; 100 > 0.1 * (111 - 100), so X is shifted: to
  // 0.001 for the power and S-curves, to X - 99.45 for the polynomials.
  const auto x = Range(100, 110);
  TDMVornax data;
  LoadXY(data, Wavy(x.size()), x);
  CurveData d;
  ASSERT_TRUE(PrepareCurveData(data, CurveKind::Power, d).Ok);
  EXPECT_TRUE(d.XShifted);
  EXPECT_DOUBLE_EQ(d.RawXmin, 100);
  EXPECT_DOUBLE_EQ(d.Xmax, 111);
  EXPECT_DOUBLE_EQ(d.Xmin, 99.45);
  EXPECT_NEAR(static_cast<double>(d.Base.front()), 0.001, 1e-15);
  EXPECT_NEAR(static_cast<double>(d.Base.back()), 10.001, 1e-13);
  EXPECT_EQ(d.X.front(), 100);  // the untransformed X are kept for the report
  ASSERT_TRUE(PrepareCurveData(data, CurveKind::Quadratic, d).Ok);
  EXPECT_NEAR(static_cast<double>(d.Base.front()), 0.55, 1e-13);

  // 0 .. 10 stays; -5 .. 5 is shifted to start at 0.001.
  const auto low = Range(0, 10);
  LoadXY(data, Wavy(low.size()), low);
  ASSERT_TRUE(PrepareCurveData(data, CurveKind::Power, d).Ok);
  EXPECT_FALSE(d.XShifted);
  EXPECT_EQ(d.Base, d.X);
  const auto negative = Range(-5, 5);
  LoadXY(data, Wavy(negative.size()), negative);
  ASSERT_TRUE(PrepareCurveData(data, CurveKind::Logistic, d).Ok);
  EXPECT_TRUE(d.XShifted);
  EXPECT_NEAR(static_cast<double>(d.Base.front()), 0.001, 1e-15);
}

TEST(CurvePreparation, ScalingCarriesNoLabelFactor) {
  // X between 0.1 and 0.5 would be drawn ten times larger; the fit sees the values themselves.
  const std::vector<double> x = {0.1, 0.2, 0.3, 0.4, 0.5};
  TDMVornax data;
  LoadXY(data, {1, 2, 4, 3, 5}, x);
  CurveData d;
  ASSERT_TRUE(PrepareCurveData(data, CurveKind::Quadratic, d).Ok);
  EXPECT_EQ(d.Scale.Horizontal.LabelFactor, 1);
  EXPECT_NEAR(d.Xmax, 0.54, 1e-15);
  EXPECT_DOUBLE_EQ(d.GraphX.back(), 0.5);
}

TEST(CurvePreparation, FewOrUnevenlySpreadXAreIrregular) {
  TDMVornax data;
  CurveData d;
  const auto eight = Range(1, 8);
  LoadXY(data, Wavy(8), eight);
  ASSERT_TRUE(PrepareCurveData(data, CurveKind::Power, d).Ok);
  EXPECT_TRUE(d.IrregularX);
  auto even = Range(0, 19);
  LoadXY(data, Wavy(even.size()), even);
  ASSERT_TRUE(PrepareCurveData(data, CurveKind::Power, d).Ok);
  EXPECT_FALSE(d.IrregularX);
  even = Range(0, 9);
  even.push_back(20);  // one gap of 11 in a range of 20
  LoadXY(data, Wavy(even.size()), even);
  ASSERT_TRUE(PrepareCurveData(data, CurveKind::Power, d).Ok);
  EXPECT_TRUE(d.IrregularX);
}

TEST(CurvePreparation, UnfitDataAreRefusedWithAClearMessage) {
  struct Case {
    std::vector<double> y, x;
    std::string message;
  };
  const std::string head = "The database is not fit for curve fitting. ";
  const std::string tail = " Please correct the input file.";
  const std::vector<Case> cases = {
      {{1, 2, 3}, {4, 4, 4}, head + "There is no variation in X-values." + tail},
      {{0, 0, 0}, {0, 0, 0}, head + "There is no variation in X-values." + tail},
      {{7, 7, 7, 7}, {1, 2, 3, 4}, head + "There is no variation in Y-values." + tail},
      {{1, 2}, {1, 2}, head + "There are fewer than three data sets." + tail},
      {{1, 2, 1e300}, {1, 2, 3}, head + "Data values must lie between -1E+100 and 1E+100." + tail},
  };
  for (const Case& c : cases) {
    TDMVornax data;
    LoadXY(data, c.y, c.x);
    CurveData d;
    const CurvePreparation p = PrepareCurveData(data, CurveKind::Quadratic, d);
    EXPECT_FALSE(p.Ok);
    EXPECT_EQ(p.Message, c.message);
  }
  TDMVornax z;
  z.SingleIsZ = true;
  LoadXY(z, {1, 2, 3}, {4, 4, 4});
  CurveData d;
  EXPECT_EQ(PrepareCurveData(z, CurveKind::Cubic, d).Message,
            head + "There is no variation in Z-values." + tail);
}

TEST(CurveVarFile, SumsOfSquaresCarryFifteenDigits) {
  CurveResult r;
  r.NrOfData = 12;
  r.CurveSyy = 80;
  r.LinSSD = 30;
  r.LowerY = 1.5;
  r.CurveSSD = 1.0 / 3;
  test::TempDir dir;
  TextFileWriter var(dir / "a.var");
  WriteCurveVarFile(var, r);
  ASSERT_TRUE(var.Commit());
  EXPECT_EQ(test::ReadLines(dir / "a.var"),
            (std::vector<std::string>{" 1", "   12", " 8.00000000000000E+001",
                                      " 3.00000000000000E+001", " 2.50000000000000E+000",
                                      " 3.33333333333333E-001"}));
}

TEST(CurveConfidence, RowsUseTheFixedFactorAndTheMiddleDataSet) {
  // Five data sets on the line Y = 2X: the line fit on Xv = X leaves no residual, so K = 0 and
  // V = s^2/N everywhere with s^2 = CurveSSD/(N - 1) = 4/4 = 1: limits Ycalc -+ 1.75 sqrt(0.2).
  CurveData d;
  d.N = 5;
  d.X = {1, 2, 3, 4, 5};
  d.Y = {2, 4, 6, 8, 10};
  CurveResult r;
  r.CurveSSD = 4;
  const std::vector<double> ycalc = {2.5, 4, 6, 8, 10};
  SegmentEngine engine;
  const CurveLine line = CurveLinearFit(engine, d.Y.data(), d.X.data(), 5);
  EXPECT_NEAR(line.A, 2, 1e-15);
  EXPECT_NEAR(line.B, 0, 1e-14);
  FillConfidenceRows(r, d, d.X.data(), ycalc, line);
  ASSERT_EQ(r.Rows.size(), 5u);
  EXPECT_EQ(r.Rows[0].Serial, 1);
  EXPECT_DOUBLE_EQ(r.Rows[0].Ycalc, 2.5);
  EXPECT_NEAR(r.Rows[0].Lower, 2.5 - 1.75 * std::sqrt(0.2), 1e-12);
  EXPECT_NEAR(r.Rows[4].Upper, 10 + 1.75 * std::sqrt(0.2), 1e-12);
  EXPECT_NEAR(r.SystemVariables[0], 0.2, 1e-15);
  EXPECT_NEAR(r.SystemVariables[2], 3, 1e-15);
  EXPECT_NEAR(r.SystemVariables[3], 0.2, 1e-15);  // data set 2 (0-based) of five
  EXPECT_EQ(RoundHalfEven(2.5), 2);
  EXPECT_EQ(RoundHalfEven(3.5), 4);
}

}  // namespace
}  // namespace vornax
