// The curved regressions run through the dispatcher with the real analyses: the report, and the
// curve ANOVA table made from what the curve really wrote.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <string>
#include <vector>

#include "data/NumberFormat.h"
#include "run/RunAnalysis.h"
#include "support/TestSupport.h"

namespace vornax {
namespace {

using test::RecordingDialogs;
using test::TempDir;

struct CurveDispatch {
  TempDir dir;
  TDMVornax data;
  RunOptions options;
  RecordingDialogs dialogs;
  char separator = '.';

  explicit CurveDispatch(CurveChoice curve) {
    data.FileName = (dir / "run.inp").string();
    data.Title1 = "Dispatch";
    data.Title2 = "Curves";
    options.CurveX = curve;
  }
  void Load(const std::vector<double>& y, const std::vector<double>& x) {
    data.Resize(static_cast<int32_t>(y.size()));
    for (size_t i = 0; i < y.size(); ++i) {
      data.YData[i] = y[i];
      data.XData[i] = x[i];
    }
  }
  void Run() { RunAnalysis(data, options, dialogs, separator, DefaultAnalysisTable()); }
  std::vector<std::string> Var() const { return test::ReadLines(dir / "run.var"); }
  bool Has(const std::vector<std::string>& lines, const std::string& text) const {
    return std::find(lines.begin(), lines.end(), text) != lines.end();
  }
};

TEST(CurveRun, TheQuadraticAnovaTableComesFromTheRun) {
  // Y = 1 + X + 0.5 X^2 + wobble on X = 0 .. 11 without transformation: the plain quadratic,
  // two degrees of freedom for the curve.
  const double wobble[] = {0.2, -0.1, 0.15, -0.2, 0.05, 0.1, -0.15, 0.0, 0.2, -0.05, -0.1, 0.1};
  std::vector<double> x, y;
  for (int i = 0; i < 12; ++i) {
    x.push_back(i);
    y.push_back(1 + i + 0.5 * i * i + wobble[i]);
  }
  CurveDispatch d(CurveChoice::Quadratic);
  d.Load(y, x);
  d.options.TransformAccepted = false;
  d.Run();
  EXPECT_TRUE(d.dialogs.Messages().empty());
  EXPECT_TRUE(d.options.CurveQuadratic);
  const auto var = d.Var();
  ASSERT_FALSE(var.empty());
  EXPECT_EQ(var[0], " Variance Analysis, ANOVA table, quadratic Regression");
  EXPECT_TRUE(d.Has(var, "  quadr. regr.                                 F(2, 9)="));
  EXPECT_TRUE(d.Has(var, "  quadr. regr.                                 F(3, 8)="));
  const auto out = test::ReadLines(d.dir / "run.out");
  ASSERT_GE(out.size(), 8u);
  EXPECT_EQ(out[0], " Results of program VornaxA for the quadratic regression of Y upon X.");
  EXPECT_EQ(out[7], "       Yc = A*^2 + B*X + C");

  // The numbers stay with the data set: the curve, its table and the ANOVA rows.
  const RunResult& r = d.data.Result;
  ASSERT_TRUE(r.Curve.has_value());
  EXPECT_EQ(r.Analysis, "quadratic");
  EXPECT_EQ(r.Curve->Rows.size(), 12u);
  EXPECT_EQ(r.YCalc.size(), 12u);
  EXPECT_NEAR(r.Curve->Coeff[0], 0.5, 0.05);
  EXPECT_EQ(r.CE, d.options.CurveExplCoeff);
  ASSERT_EQ(r.Anova.size(), 3u);
  EXPECT_EQ(r.Anova[1].Df1, 2);
  EXPECT_NEAR(r.Anova[1].SumOfSquares, r.Curve->LinSSD - r.Curve->CurveSSD, 1e-9);
}

TEST(CurveRun, AReportedCubicBelowATenthGetsItsAnovaTable) {
  // An alternating Y on a slight trend: the cubic explains between 2 and 10 %.
  std::vector<double> x, y;
  for (int i = 0; i < 40; ++i) {
    x.push_back(i + 1);
    y.push_back((i % 2 == 0 ? 1 : -1) + 0.02 * (i + 1));
  }
  CurveDispatch d(CurveChoice::Cubic);
  d.Load(y, x);
  d.options.TransformAccepted = false;
  d.Run();
  EXPECT_GE(d.options.CurveExplCoeff, 0.02);
  EXPECT_LT(d.options.CurveExplCoeff, 0.1);
  const auto var = d.Var();
  ASSERT_FALSE(var.empty());
  EXPECT_EQ(var[0], " Variance Analysis, ANOVA table, cubic Regression");
}

TEST(CurveRun, ThePowerCurveOnTheSecondVariable) {
  // Two columns, the second analysed: the report speaks of Z.
  CurveDispatch d(CurveChoice::Power);
  d.data.NrOfVarInData = 2;
  d.data.SingleIsZ = true;
  d.data.SingleIsX = false;
  std::vector<double> z, y;
  for (int i = 0; i < 15; ++i) {
    z.push_back(1 + i);
    y.push_back(2 + 3 * std::sqrt(1.0 + i) + 0.05 * ((i % 3) - 1));
  }
  d.Load(y, std::vector<double>(15, 7.0));
  for (size_t i = 0; i < 15; ++i) d.data.ZData[i] = z[i];
  d.Run();
  EXPECT_TRUE(d.dialogs.Messages().empty()) << d.dialogs.Messages().front();
  const auto out = test::ReadLines(d.dir / "run.out");
  ASSERT_GE(out.size(), 12u);
  EXPECT_EQ(out[0], " Results of program VornaxA for the power curve regression of Y upon Z.");
  EXPECT_EQ(out[11], "                        Yc = B + A * Zt ^ P");
  EXPECT_EQ(d.Var().at(0), " Variance Analysis, ANOVA table, power Regression");
}

// A falling S: germination against temperature.
void LoadFalling(CurveDispatch& d) {
  const double wobble[] = {0.2, -0.1, 0.15, -0.2, 0.05, 0.1, -0.15, 0.0,
                           0.2, -0.05, -0.1, 0.1, -0.2, 0.15, 0.0};
  std::vector<double> x, y;
  for (int i = 0; i < 15; ++i) {
    const double v = 2.0 + 2.0 * i;
    x.push_back(v);
    y.push_back(5 + 85 / (1 + std::exp(0.4 * (v - 16))) + wobble[i]);
  }
  d.Load(y, x);
}

TEST(SCurveRun, TheDispatcherLeavesTheBestReportAndItsAnova) {
  CurveDispatch run(CurveChoice::SCurve);
  LoadFalling(run);
  run.options.TransformAccepted = true;
  run.Run();
  EXPECT_TRUE(run.dialogs.Messages().empty());
  const double fits[4] = {run.options.FitLogistic, run.options.FitGumbel, run.options.FitInvGumbel,
                          run.options.FitFisk};
  const char* firstLines[4] = {
      " Results of program VORNAXA for the logistic S-curve regression of Y upon X.",
      " Results of program Ondulex for the Gumbel regression.",
      " Results of program Ondulex for the Gumbel inverted regression.",
      " Results of program Ondulex for the Fisk regression."};
  int best = 3;
  for (int k = 0; k < 4; ++k) {
    bool strictly = true;
    for (int j = 0; j < 4; ++j) strictly = strictly && (j == k || fits[k] > fits[j]);
    if (strictly) best = k;
  }
  EXPECT_EQ(test::ReadLines(run.dir / "run.out").at(0), firstLines[best]);
  EXPECT_EQ(run.options.CurveExplCoeff, fits[best]);
  EXPECT_EQ(run.Var().at(0), " Variance Analysis, ANOVA table, S-curve Regression");
}

TEST(SCurveRun, YWithoutVariationIsRefusedOnceWithoutFiles) {
  CurveDispatch run(CurveChoice::SCurve);
  run.Load({5, 5, 5, 5, 5}, {1, 2, 3, 4, 5});
  // An earlier report of this program's goes; another program's file of that name stays.
  test::WriteFileBytes(run.dir / "run.out",
                       " Results of program VornaxA for the quadratic regression of Y upon X.\r\n"
                       " second line\r\n");
  test::WriteFileBytes(run.dir / "run.var", "precious results of another program\r\n");
  run.Run();
  EXPECT_EQ(run.dialogs.Messages(),
            std::vector<std::string>{"The database is not fit for curve fitting. There is no "
                                     "variation in Y-values. Please correct the input file."});
  EXPECT_TRUE(run.options.CurveAbort);
  EXPECT_FALSE(std::filesystem::exists(run.dir / "run.out"));
  EXPECT_EQ(test::ReadFileBytes(run.dir / "run.var"), "precious results of another program\r\n");
}

}  // namespace
}  // namespace vornax
