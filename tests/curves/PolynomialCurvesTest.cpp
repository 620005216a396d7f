// The quadratic and the cubic regression: hand-checked coefficients, the exponent search, the
// snaps, the failures, and whole reports against independently computed golden files.
#include "curves/PolynomialCurves.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "curves/CurveTestSupport.h"
#include "curves/PowerCurve.h"
#include "data/GraphDataReader.h"

namespace vornax {
namespace {

using test::CurveRun;

std::vector<double> Range(double from, double to, double step = 1) {
  std::vector<double> v;
  for (double x = from; x <= to + 1e-9; x += step) v.push_back(x);
  return v;
}

TEST(PolynomialSolvers, ClosedFormsAndCramerOnHandMadeSums) {
  // Y = 1 + 2W + 3W^2 at W = 0, 1, 2: the closed forms give A = 3, B = 2, C = 1.
  const long double w[] = {0, 1, 2}, y[] = {1, 6, 17};
  std::array<double, 4> c{};
  ASSERT_TRUE(QuadraticCoefficients(SumPolynomial(w, y, 3, false), c));
  EXPECT_NEAR(c[0], 3, 1e-15);
  EXPECT_NEAR(c[1], 2, 1e-15);
  EXPECT_NEAR(c[2], 1, 1e-15);
  // Y = W^3 - W + 4 at W = -1, 0, 1, 2.
  const long double w4[] = {-1, 0, 1, 2}, y4[] = {4, 4, 4, 10};
  ASSERT_TRUE(CubicCoefficients(SumPolynomial(w4, y4, 4, true), c));
  EXPECT_NEAR(c[0], 1, 1e-15);
  EXPECT_NEAR(c[1], 0, 1e-15);
  EXPECT_NEAR(c[2], -1, 1e-15);
  EXPECT_NEAR(c[3], 4, 1e-15);
  // Two distinct W: no quadratic; three: no cubic.
  const long double w2[] = {0, 0, 2, 2}, y2[] = {1, 2, 3, 4};
  EXPECT_FALSE(QuadraticCoefficients(SumPolynomial(w2, y2, 4, false), c));
  const long double w3[] = {0, 1, 2, 2}, y3[] = {1, 2, 3, 4};
  EXPECT_FALSE(CubicCoefficients(SumPolynomial(w3, y3, 4, true), c));
}

TEST(QuadraticCurve, ExactQuadraticIsFittedOnXPlusAThousandth) {
  // Y = 2X^2 + 3X + 1 on X = 0 .. 10, no transformation, no shift: the fit on W = X + 0.001
  // gives A = 2, B = 2.996, C = 0.997002 and an explanation of 1.
  CurveRun run;
  std::vector<double> x = Range(0, 10), y;
  for (double v : x) y.push_back(2 * v * v + 3 * v + 1);
  run.Load(y, x);
  run.options.TransformAccepted = false;
  RunQuadraticCurve(run.data, run.options, run.dialogs);
  EXPECT_TRUE(run.dialogs.Messages().empty());
  CurveData d;
  ASSERT_TRUE(PrepareCurveData(run.data, CurveKind::Quadratic, d).Ok);
  std::string failure;
  const auto r = FitPolynomialCurve(d, false, false, failure);
  ASSERT_TRUE(r.has_value());
  EXPECT_FALSE(r->XShifted);
  EXPECT_EQ(r->Exponent, 1);
  EXPECT_NEAR(r->Coeff[0], 2, 1e-12);
  EXPECT_NEAR(r->Coeff[1], 2.996, 1e-11);
  EXPECT_NEAR(r->Coeff[2], 0.997002, 1e-10);
  EXPECT_NEAR(r->CurveExplCoeff, 1, 1e-15);
  EXPECT_EQ(run.options.CurveExplCoeff, r->CurveExplCoeff);
  const auto out = run.Out();
  ASSERT_GE(out.size(), 9u);
  EXPECT_EQ(out[7], "       Yc = A*^2 + B*X + C");
  EXPECT_EQ(out[8], "       A =  2.00E+000    B =  3.00E+000    C =  9.97E-001");
}

TEST(CubicCurve, ExactCubicIsRecovered) {
  // Y = 0.5X^3 - 2X^2 + X + 4 on X = 0 .. 12: in W = X + 0.001 the leading coefficient stays
  // 0.5 and D = Y(X = -0.001) = 3.9989979995.
  std::vector<double> x = Range(0, 12), y;
  for (double v : x) y.push_back(0.5 * v * v * v - 2 * v * v + v + 4);
  TDMVornax data;
  test::LoadXY(data, y, x);
  CurveData d;
  ASSERT_TRUE(PrepareCurveData(data, CurveKind::Cubic, d).Ok);
  std::string failure;
  const auto r = FitPolynomialCurve(d, true, false, failure);
  ASSERT_TRUE(r.has_value());
  EXPECT_NEAR(r->Coeff[0], 0.5, 1e-12);
  EXPECT_NEAR(r->Coeff[1], -2.0015, 1e-10);
  EXPECT_NEAR(r->Coeff[3], 3.9989979995, 1e-9);
  EXPECT_NEAR(r->CurveExplCoeff, 1, 1e-14);
  for (const CurveRow& row : r->Rows) EXPECT_NEAR(row.Ycalc, row.Y, 1e-9);
}

// Y = 5 + 2W - 0.3W^2 (times `scale`) with W = (base + 0.001)^E on the prepared base.
std::vector<double> QuadraticInW(const std::vector<double>& x, double xmin, double e,
                                 double scale, bool wobble) {
  std::vector<double> y;
  for (size_t i = 0; i < x.size(); ++i) {
    const double w = std::pow(x[i] - xmin + 0.001, e);
    y.push_back(scale * (5 + 2 * w - 0.3 * w * w + (wobble ? 0.05 * test::Wobble()[i % 30] : 0)));
  }
  return y;
}

TEST(QuadraticCurve, TheSearchFindsTheExponentOfTheFinalBase) {
  // Unshifted data made with E = 0.5 give E = 0.50 back, with nothing left unexplained.
  const auto x = Range(0, 20);
  CurveRun plain;
  plain.Load(QuadraticInW(x, 0, 0.5, 1, false), x);
  plain.options.TransformAccepted = true;
  RunQuadraticCurve(plain.data, plain.options, plain.dialogs);
  EXPECT_DOUBLE_EQ(plain.options.CurveExponent, 0.5);
  EXPECT_NEAR(plain.options.CurveExplCoeff, 1, 1e-12);

  // Shifted X (100 .. 140, Xmin of the plot range 100 - 0.05 * 44 = 97.8): the exponent is
  // searched on the same
  // base X - Xmin + 0.001 as the final fit, so the E of the data comes back exactly.
  const auto far = Range(100, 140);
  CurveRun shifted;
  shifted.Load(QuadraticInW(far, 97.8, 0.6, 1, false), far);
  shifted.options.TransformAccepted = true;
  RunQuadraticCurve(shifted.data, shifted.options, shifted.dialogs);
  EXPECT_DOUBLE_EQ(shifted.options.CurveExponent, 0.6);
  EXPECT_NEAR(shifted.options.CurveExplCoeff, 1, 1e-12);
  const auto out = shifted.Out();
  ASSERT_GE(out.size(), 8u);
  EXPECT_EQ(out[7], "       Yc = A*W^2 + B*W + C     W = (X - Xmin)^E    Xmin =   97.800    E =  0.60");
}

TEST(QuadraticCurve, LargeYGiveTheSameExponentAsSmallY) {
  // Yields in kg/ha rather than t/ha: every SSD is above 1,000,000, which must not leave the
  // search at its first grid point.
  const auto x = Range(1, 30);
  std::string failure;
  double exponent[2] = {0, 0};
  std::array<double, 4> coeff[2];
  for (int k = 0; k < 2; ++k) {
    TDMVornax data;
    test::LoadXY(data, QuadraticInW(x, 0, 0.7, k == 0 ? 1 : 1000, true), x);
    CurveData d;
    ASSERT_TRUE(PrepareCurveData(data, CurveKind::Quadratic, d).Ok);
    const auto r = FitPolynomialCurve(d, false, true, failure);
    ASSERT_TRUE(r.has_value());
    exponent[k] = r->Exponent;
    coeff[k] = r->Coeff;
  }
  EXPECT_NE(exponent[0], 1);
  EXPECT_EQ(exponent[0], exponent[1]);
  for (int i = 0; i < 3; ++i) EXPECT_NEAR(coeff[1][i], 1000 * coeff[0][i], 1e-9 * std::fabs(coeff[1][i]));
}

TEST(QuadraticCurve, ExponentsNearOneOrAtTheEndsOfTheGridAreSnappedToOne) {
  const auto x = Range(0, 20);
  for (double e : {0.95, 1.05}) {
    CurveRun run;
    run.Load(QuadraticInW(x, 0, e, 1, false), x);
    run.options.TransformAccepted = true;
    RunQuadraticCurve(run.data, run.options, run.dialogs);
    EXPECT_EQ(run.options.CurveExponent, 1) << e;
    EXPECT_EQ(run.Out().at(7), "       Yc = A*^2 + B*X + C");
  }
  CurveRun kept;
  kept.Load(QuadraticInW(x, 0, 0.93, 1, false), x);
  kept.options.TransformAccepted = true;
  RunQuadraticCurve(kept.data, kept.options, kept.dialogs);
  EXPECT_DOUBLE_EQ(kept.options.CurveExponent, 0.93);
}

TEST(PolynomialCurves, TooFewDistinctXCannotBeFitted) {
  CurveRun quadratic;
  quadratic.Load({1, 2, 3, 4, 5}, {1, 1, 2, 2, 2});
  quadratic.PlantStaleFiles();
  RunQuadraticCurve(quadratic.data, quadratic.options, quadratic.dialogs);
  EXPECT_EQ(quadratic.dialogs.Messages(),
            std::vector<std::string>{"The quadratic function could not be found."});
  EXPECT_TRUE(quadratic.options.CurveAbort);
  EXPECT_FALSE(quadratic.HasFiles());

  CurveRun cubic;
  cubic.Load({1, 2, 3, 4, 5, 7}, {1, 1, 2, 2, 3, 3});
  cubic.options.TransformAccepted = true;
  RunCubicCurve(cubic.data, cubic.options, cubic.dialogs);
  EXPECT_EQ(cubic.dialogs.Messages(),
            std::vector<std::string>{"The cubic function could not be found."});
  EXPECT_TRUE(cubic.options.CurveAbort);
  EXPECT_FALSE(cubic.HasFiles());
}

TEST(PolynomialCurves, BadInputNeverLeavesNaNOrFiles) {
  CurveRun flat;
  flat.Load({3, 3, 3, 3, 3}, {1, 2, 3, 4, 5});
  flat.PlantStaleFiles();
  RunCubicCurve(flat.data, flat.options, flat.dialogs);
  EXPECT_TRUE(flat.options.CurveAbort);
  EXPECT_FALSE(flat.HasFiles());
  ASSERT_EQ(flat.dialogs.Messages().size(), 1u);
  EXPECT_NE(flat.dialogs.Messages()[0].find("no variation in Y-values"), std::string::npos);

  // All X negative, and one huge X: sound reports with finite numbers from every curve.
  using Runner = void (*)(TDMVornax&, RunOptions&, UserDialogs&);
  for (Runner runner : {Runner{RunQuadraticCurve}, Runner{RunCubicCurve}, Runner{RunPowerCurve}}) {
    for (const std::vector<double>& x :
         {std::vector<double>{-20, -18, -15, -11, -9, -8, -6, -4, -3, -1},
          std::vector<double>{1, 2, 3, 4, 5, 6, 7, 8, 9, 1e9}}) {
      CurveRun run;
      run.Load({1, 3, 2, 5, 4, 6, 8, 7, 9, 12}, x);
      run.options.TransformAccepted = true;
      runner(run.data, run.options, run.dialogs);
      if (run.options.CurveAbort) {
        // A refusal says which curve could not be made, and leaves no files.
        ASSERT_EQ(run.dialogs.Messages().size(), 1u);
        EXPECT_NE(run.dialogs.Messages()[0].find("could not be"), std::string::npos);
        EXPECT_FALSE(run.HasFiles());
        continue;
      }
      EXPECT_GE(run.options.CurveExplCoeff, 0.5);
      const std::string text = test::ReadFileBytes(run.OutPath()) + test::ReadFileBytes(run.VarPath());
      EXPECT_FALSE(text.empty()) << x.back() << " " << run.options.CurveExplCoeff;
      for (const char* bad : {"nan", "NaN", "inf", "Inf"}) {
        EXPECT_EQ(text.find(bad), std::string::npos) << text;
      }
    }
  }
}

TEST(CubicCurve, BelowTwoHundredthsNothingIsWritten) {
  // An alternating Y has almost nothing in common with any cubic.
  CurveRun run;
  std::vector<double> x = Range(1, 40), y;
  for (size_t i = 0; i < x.size(); ++i) y.push_back(i % 2 == 0 ? 1 : -1);
  run.Load(y, x);
  run.PlantStaleFiles();
  RunCubicCurve(run.data, run.options, run.dialogs);
  EXPECT_LT(run.options.CurveExplCoeff, 0.02);
  EXPECT_FALSE(run.options.CurveAbort);
  EXPECT_TRUE(run.dialogs.Messages().empty());  // the caller says it
  EXPECT_FALSE(run.HasFiles());
}

// Golden reports: tests/golden/curve_reference.py computes them from the formulas in 50-digit
// decimal arithmetic.
void ExpectGolden(const CurveRun& run, const std::string& name) {
  const auto expected = test::GoldenWithPath(name, run.OutPath());
  const auto actual = run.Out();
  ASSERT_FALSE(expected.empty());
  for (size_t i = 0; i < std::max(actual.size(), expected.size()); ++i) {
    EXPECT_EQ(i < actual.size() ? actual[i] : "<missing>",
              i < expected.size() ? expected[i] : "<missing>")
        << name << " line " << i + 1;
  }
}

// The golden data: a quadratic in X^0.6 plus wobble on X = 1 .. 25, and a cubic in
// (X - 49)^1.4 plus wobble on X = 50 .. 84.5 (shifted).
void LoadGoldenQuadratic(CurveRun& run) {
  std::vector<double> x, y;
  for (int i = 1; i <= 25; ++i) {
    x.push_back(i);
    const double w = std::pow(i, 0.6);
    y.push_back(6 + 2.5 * w - 0.1 * w * w + 0.5 * test::Wobble()[static_cast<size_t>(i - 1)]);
  }
  run.Load(y, x);
}

void LoadGoldenCubic(CurveRun& run) {
  std::vector<double> x, y;
  for (int i = 0; i < 24; ++i) {
    const double v = 50 + 1.5 * i;
    x.push_back(v);
    const double w = std::pow(v - 49, 1.4);
    y.push_back(40 + 0.5 * w - 0.002 * w * w + 0.000002 * w * w * w +
                test::Wobble()[static_cast<size_t>(i)]);
  }
  run.Load(y, x);
}

TEST(PolynomialCurves, LargeValuesKeepTheirFieldsApart) {
  // Y up to about 300,000: the confidence table's values fill their ten places, yet each row
  // still reads as six fields, and the program reads its own report back for the graph.
  struct Case {
    const char* name;
    void (*run)(TDMVornax&, RunOptions&, UserDialogs&);
  };
  for (const Case& c : {Case{"cubic", RunCubicCurve}, Case{"quadratic", RunQuadraticCurve}}) {
    SCOPED_TRACE(c.name);
    CurveRun run;
    std::vector<double> x = Range(0, 100, 5), y;
    for (size_t i = 0; i < x.size(); ++i) {
      y.push_back(30 * x[i] * x[i] + 500 * test::Wobble()[i] * x[i]);
    }
    run.Load(y, x);
    c.run(run.data, run.options, run.dialogs);
    const auto out = run.Out();
    size_t rows = 0;
    bool table = false;
    for (const std::string& line : out) {
      if (line == " #") table = false;
      if (table) {
        std::istringstream fields(line);
        std::vector<std::string> tokens;
        for (std::string t; fields >> t;) tokens.push_back(t);
        EXPECT_EQ(tokens.size(), 6u) << line;
        ++rows;
      }
      if (line.rfind("- - -", 0) == 0) {
        EXPECT_EQ(line, "- - - - - - - - - - - - - - - - - - - - - - - - - - - - - -");
        table = true;
      }
    }
    EXPECT_EQ(rows, x.size());
    GraphData graph;
    ASSERT_EQ(ParseCurveGraphData(out, graph), GraphReadStatus::Ok);
    EXPECT_EQ(graph.NrOfRows, static_cast<int32_t>(x.size()));
    EXPECT_GT(graph.GraphYcalc.back(), 250000);
  }
}

TEST(PolynomialGolden, QuadraticWithExponentSearch) {
  CurveRun run;
  LoadGoldenQuadratic(run);
  run.options.TransformAccepted = true;
  RunQuadraticCurve(run.data, run.options, run.dialogs);
  ExpectGolden(run, "curve_quadratic_x.out");
}

TEST(PolynomialGolden, CubicOnShiftedZ) {
  CurveRun run;
  LoadGoldenCubic(run);
  run.data.SingleIsZ = true;
  run.data.SingleIsX = false;
  run.options.TransformAccepted = false;
  RunCubicCurve(run.data, run.options, run.dialogs);
  ExpectGolden(run, "curve_cubic_z.out");
}

TEST(PolynomialGolden, QuadraticOnShiftedZ) {
  CurveRun run;
  LoadGoldenCubic(run);
  run.data.SingleIsZ = true;
  run.data.SingleIsX = false;
  run.options.TransformAccepted = false;
  RunQuadraticCurve(run.data, run.options, run.dialogs);
  ExpectGolden(run, "curve_quadratic_z.out");
}

TEST(PolynomialGolden, CubicWithExponentSearchOnShiftedX) {
  CurveRun run;
  LoadGoldenCubic(run);
  run.options.TransformAccepted = true;
  RunCubicCurve(run.data, run.options, run.dialogs);
  ExpectGolden(run, "curve_cubic_x.out");
}

}  // namespace
}  // namespace vornax
