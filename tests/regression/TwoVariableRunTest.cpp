// The two-variable analysis with its files: literal report lines of an exact plane, the variance
// file's sums of squares against hand-computed values, the refusals that leave no files, the
// options the run changes, and odd data that must give a clear message or a sound report.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "data/DataSet.h"
#include "data/RunOptions.h"
#include "data/TextFile.h"
#include "regression/TwoVariable.h"
#include "support/TestSupport.h"

namespace vornax {
namespace {

using test::RecordingDialogs;
using test::TempDir;

struct TwoVariableRun {
  TempDir dir;
  TDMVornax data;
  RunOptions options;
  RecordingDialogs dialogs;

  TwoVariableRun() {
    data.FileName = (dir / "plane.inp").string();
    data.Title1 = "Plane";
    data.Title2 = "Y, X and Z without units";
    data.NrOfVarInData = 2;
    data.NrOfVar = 2;
  }
  void Load(const std::vector<double>& y, const std::vector<double>& x,
            const std::vector<double>& z) {
    data.Resize(static_cast<int32_t>(y.size()));
    data.GridRowCount = static_cast<int32_t>(y.size());
    for (size_t i = 0; i < y.size(); ++i) {
      data.YData[i] = y[i];
      data.XData[i] = x[i];
      data.ZData[i] = z[i];
    }
  }
  // Every X of 0, 10, ..., 100 with every Z of 0, 5, ..., 50: type 3 on X with its kink at 40,
  // type 4 on Z with its kink at 30.
  void LoadPlane() {
    std::vector<double> y, x, z;
    for (int i = 0; i <= 10; ++i) {
      for (int j = 0; j <= 10; ++j) {
        const double xv = 10.0 * i, zv = 5.0 * j;
        x.push_back(xv);
        z.push_back(zv);
        y.push_back((xv < 40 ? 10 : 10 + 0.5 * (xv - 40)) + (zv < 30 ? zv / 5 : 6));
      }
    }
    Load(y, x, z);
  }
  void Go() { RunTwoVariableRegression(data, options, dialogs); }
  std::vector<std::string> Out() const { return test::ReadLines(dir / "plane.out"); }
  std::vector<std::string> Var() const { return test::ReadLines(dir / "plane.var"); }
  bool HasFiles() const {
    return std::filesystem::exists(dir / "plane.out") || std::filesystem::exists(dir / "plane.var");
  }
};

// The lines from the first that equals `start`, `count` of them.
std::vector<std::string> Block(const std::vector<std::string>& lines, const std::string& start,
                               size_t count) {
  const auto at = std::find(lines.begin(), lines.end(), start);
  if (at == lines.end()) return {"<no line \"" + start + "\">"};
  const size_t from = static_cast<size_t>(at - lines.begin());
  return std::vector<std::string>(at, lines.begin() + static_cast<long>(std::min(from + count, lines.size())));
}

double Number(const std::string& line) {
  double v = 0;
  const auto tokens = SplitTokens(line);
  EXPECT_TRUE(!tokens.empty() && ParseFiniteNumber(tokens[0], v)) << line;
  return v;
}

void ExpectNoOddNumbers(const std::vector<std::string>& lines) {
  for (const std::string& line : lines) {
    std::string lower = line;
    std::transform(lower.begin(), lower.end(), lower.begin(), ::tolower);
    EXPECT_EQ(lower.find("nan"), std::string::npos) << line;
    EXPECT_EQ(lower.find("inf"), std::string::npos) << line;
  }
}

TEST(TwoVariableRun, ExactPlaneSummaryAndDataTable) {
  TwoVariableRun run;
  run.LoadPlane();
  run.Go();
  ASSERT_FALSE(run.options.AnalysisFailed) << run.dialogs.Messages().front();
  const auto out = run.Out();
  const std::vector<std::string> summary = {
      " SUMMARY OF THE Y-X-Z REGRESSION.",
      " Y-X  Function type : 3  - first a horizontal segment, then sloping.",
      " YXr-Z Function type: 4  - first a sloping segment, then horizontal.",
      " Y-X   Calc. method : 1",
      " YXr-Z Calc. method : 1",
      " (See help functions on Intro tabsheet)",
      "",
      " The optimal breakpoint of X (BPx) is : 4.000E+001",
      " The optimal breakpoint of Z (BPz) is : 3.000E+001",
      "",
      " There are four regression equations:",
      "",
      " when  X<BPx  and  Z<BPz :    Y = As.X + Bs.Z + Css",
      " when  X<BPx  and  Z>BPz :    Y = As.X + Bg.Z + Csg",
      " when  X>BPx  and  Z<BPz :    Y = Ag.X + Bs.Z + Cgs",
      " when  X>BPx  and  Z>BPz :    Y = Ag.X + Bg.Z + Cgg",
      "      As =  0.00E+000        Bs =  2.00E-001",
      "      Ag =  5.00E-001        Bg =  0.00E+000",
      "     Css =  1.00E+001       Csg =  1.60E+001",
      "     Cgs = -1.00E+001       Cgg = -4.00E+000",
      "",
      " The overall coefficient of explanation is: 1.00E+000",
      "",
      " Serial        Yobs         X          YXr          Z          Ycalc",
      " -------------------------------------------------------------------",
      // X = 0, Z = 0: Y = 10; the first residual is 0 less the Z part's average, 45/11.
      "   1        1.00E+001   0.00E+000  -4.09E+000   0.00E+000   1.00E+001",
      "   2        1.10E+001   0.00E+000  -3.09E+000   5.00E+000   1.10E+001",
  };
  EXPECT_EQ(Block(out, summary.front(), summary.size()), summary);
  // The last data set: X = 100, Z = 50, Y = 40 + 6.
  EXPECT_EQ(out.back(), " 121        4.60E+001   1.00E+002   1.91E+000   5.00E+001   4.60E+001");
  ExpectNoOddNumbers(out);
  // The order of the blocks.
  std::vector<std::string> titles;
  for (const std::string& line : out) {
    if (line.rfind(" Regression of", 0) == 0) titles.push_back(line);
  }
  EXPECT_EQ(titles, (std::vector<std::string>{
                        " Regression of Y upon X without breakpoint (BPx=Xmin).",
                        " Regression of Y on X with optimal breakpoint (BPx).",
                        " Regression of X upon Z without breakpoint (BPz=Zmin).",
                        " Regression of Y residuals (Yr) on Z without breakpoint (BPz=Zmin).",
                        " Regression of Y residuals (Yr) on Z with optimal breakpoint (BPz).",
                    }));
}

TEST(TwoVariableRun, VarianceFileHoldsTheHandComputedSums) {
  TwoVariableRun run;
  run.LoadPlane();
  run.Go();
  ASSERT_FALSE(run.options.AnalysisFailed);
  const auto var = run.Var();
  // SST = 14560, SSlin1 = 2310 (the straight line on X), the first residuals are the Z part
  // about its average (560), their straight line on Z leaves 70, and the type-4 lines nothing.
  ASSERT_EQ(var.size(), 10u);
  EXPECT_EQ(var[0], "    2");
  EXPECT_EQ(var[1], "  121");
  EXPECT_NEAR(Number(var[2]), 14560, 1e-9);
  EXPECT_NEAR(Number(var[3]), 2310, 1e-9);
  EXPECT_EQ(var[4], "    1");
  EXPECT_EQ(var[5], " 4.00000000000000E+001");
  EXPECT_NEAR(Number(var[6]), 560, 1e-9);
  EXPECT_NEAR(Number(var[7]), 70, 1e-9);
  EXPECT_EQ(var[8], " 3.00000000000000E+001");
  EXPECT_NEAR(Number(var[9]), 0, 1e-9);
  for (const std::string& line : var) EXPECT_EQ(line.size() == 22 || line.size() == 5, true) << line;
  // The variance analysis reads the stages' types, and the data set names the variance file.
  EXPECT_EQ(run.options.FirstStageType, 3);
  EXPECT_EQ(run.options.SecondStageType, 4);
  EXPECT_TRUE(run.options.FirstStagePresent && run.options.SecondStagePresent);
  EXPECT_EQ(run.data.FileName, (run.dir / "plane.var").string());
}

TEST(TwoVariableRun, EachStageIsReportedWithItsOwnVariablesSpread) {
  // The first stage's St.Dev.Ybp = sqrt((XavAll - BP)^2 k + SSDt / ((N - 4) N)) with
  // k = SSDt / ((N - 4) Sxx), Sxx that of X (121000), SSDt = 560, XavAll = 50, BP = 40, N = 121:
  // 2.09E-001. With the spread of Z (30250) it would read 2.35E-001.
  TwoVariableRun run;
  run.LoadPlane();
  run.Go();
  const auto out = run.Out();
  const std::vector<std::string> table = {
      " Parameters for function type 3 and method  1",
      // Ybp = 10 + 45/11. The level lies below the sloping segment's average, so the increase
      // is measured from the far end of the line (Yx = Ybp + 60 * 0.5) with the share N</Nt =
      // 44/121: Yi = 30 * 4/11 + 15 * 7/11 = 20.45.
      "   Slope > BPx              Ybp             N</Nt       Increase Yi",
      "    5.00E-001            1.41E+001        3.64E-001     2.05E+001",
  };
  EXPECT_EQ(Block(out, table.front(), table.size()), table);
  const auto sd = Block(out, "   St.Dev.Yr < BPx       St.Dev.Ybp", 2);
  ASSERT_EQ(sd.size(), 2u);
  EXPECT_EQ(sd[1].substr(21), "    2.09E-001");
}

TEST(TwoVariableRun, RefusalsLeaveNoFilesBehind) {
  auto stale = [](TwoVariableRun& run) {
    test::WriteFileBytes(run.dir / "plane.out", test::kStaleReport);
    test::WriteFileBytes(run.dir / "plane.var", test::kStaleAnova);
  };
  {
    // Fewer than three data sets.
    TwoVariableRun run;
    run.Load({1, 2}, {1, 2}, {2, 1});
    stale(run);
    run.Go();
    EXPECT_TRUE(run.options.AnalysisFailed);
    EXPECT_EQ(run.dialogs.Messages(),
              (std::vector<std::string>{"The database is not fit for regression analysis. There "
                                        "are fewer than three data sets. Please correct the input "
                                        "file."}));
    EXPECT_FALSE(run.HasFiles());
  }
  {
    // A preferred type that is not found: the message and no header-only report.
    TwoVariableRun run;
    run.LoadPlane();
    run.options.PreferredTypeX = 4;
    stale(run);
    run.Go();
    EXPECT_TRUE(run.options.AnalysisFailed);
    EXPECT_EQ(run.dialogs.Messages(),
              (std::vector<std::string>{
                  " The preferred X-type could not be found. Try another preference."}));
    EXPECT_FALSE(run.HasFiles());
  }
  {
    TwoVariableRun run;
    run.LoadPlane();
    run.options.PreferredTypeZ = 2;
    run.Go();
    EXPECT_EQ(run.dialogs.Messages(),
              (std::vector<std::string>{
                  " The preferred Z-type could not be found. Try another preference."}));
    EXPECT_FALSE(run.HasFiles());
  }
  {
    // All X on one value, and Z constant.
    const std::string message =
        "The database is not fit for regression analysis. There is no variation in X or "
        "Z-values. Please correct the input file.";
    TwoVariableRun a;
    a.Load({1, 2, 3, 4, 5}, {7, 7, 7, 7, 7}, {1, 2, 3, 4, 5});
    a.Go();
    EXPECT_EQ(a.dialogs.Messages(), std::vector<std::string>{message});
    EXPECT_FALSE(a.HasFiles());
    TwoVariableRun b;
    b.Load({1, 2, 3, 4, 5}, {1, 2, 3, 4, 5}, {3, 3, 3, 3, 3});
    b.Go();
    EXPECT_EQ(b.dialogs.Messages(), std::vector<std::string>{message});
  }
  {
    // A value no analysis can square.
    TwoVariableRun run;
    run.Load({1, 2, 3, 4}, {1, 2, 3, 4}, {1, 2e101, 3, 4});
    run.Go();
    EXPECT_TRUE(run.options.AnalysisFailed);
    EXPECT_FALSE(run.HasFiles());
  }
  {
    // Fewer Z values than data sets.
    TwoVariableRun run;
    run.Load({1, 2, 3, 4}, {1, 2, 3, 4}, {1, 2, 3, 4});
    run.data.ZData.resize(2);
    run.Go();
    EXPECT_TRUE(run.options.AnalysisFailed);
  }
}

TEST(TwoVariableRun, Sequence1LeavesTheZSelectionsOnX) {
  TwoVariableRun run;
  run.LoadPlane();
  run.options.ExcludedTypeX = 5;
  run.options.ExcludedTypeZ = 6;
  run.Go();
  ASSERT_FALSE(run.options.AnalysisFailed);
  EXPECT_EQ(run.options.ExcludedTypeX, 6);
  EXPECT_EQ(run.options.ExcludedTypeZ, 6);
  // The header shows the selections as they were chosen.
  const auto out = run.Out();
  EXPECT_EQ(out[16], " Minimum confidence % : 90");
  EXPECT_EQ(out[17], " X-type excluded: 5  Z-type excluded: 6 ");
  EXPECT_EQ(out[18], "");
  EXPECT_EQ(out[19], " Regression of Y upon X without breakpoint (BPx=Xmin).");
}

TEST(TwoVariableRun, OddDataGiveASoundReport) {
  auto check = [](TwoVariableRun& run) {
    run.Go();
    ASSERT_FALSE(run.options.AnalysisFailed) << run.dialogs.Messages().front();
    const auto out = run.Out();
    ASSERT_GT(out.size(), 40u);
    ExpectNoOddNumbers(out);
    ExpectNoOddNumbers(run.Var());
  };
  std::vector<double> y, x, z;
  for (int i = 0; i < 20; ++i) {
    x.push_back(i);
    z.push_back((i * 7) % 20);
    y.push_back(i < 8 ? 3 : 3 + 0.4 * (i - 8) + 0.05 * ((i * 3) % 5));
  }
  {
    // Z identical to X: equal explanation, sequence 2, and a perfect relation between them.
    TwoVariableRun run;
    run.Load(y, x, x);
    check(run);
    EXPECT_EQ(run.Out()[18], " Regression of Y upon Z without breakpoint (BPz=Zmin).");
  }
  {
    // Constant Y: nothing to explain; both stages are horizontal lines at its level.
    TwoVariableRun run;
    run.Load(std::vector<double>(20, 4.5), x, z);
    check(run);
    EXPECT_EQ(run.options.FirstStageType, 0);
    EXPECT_EQ(run.options.SecondStageType, 0);
    const auto out = run.Out();
    const auto summary = Block(out, " SUMMARY OF THE Y-Z-X REGRESSION.", 3);
    EXPECT_EQ(summary, (std::vector<std::string>{
                           " SUMMARY OF THE Y-Z-X REGRESSION.",
                           " Y-Z  Function type : 0  - a horizontal regression line, no breakpoint found.",
                           " YZr-X Function type: 0  - a horizontal regression line, no breakpoint found.",
                       }));
    EXPECT_EQ(Block(out, " The overall coefficient of explanation is: 0.00E+000", 1).size(), 1u);
    EXPECT_EQ(out.back().substr(57), "   4.50E+000");
  }
  {
    // Data far from zero keep their digits.
    TwoVariableRun run;
    std::vector<double> far = y;
    for (double& v : far) v += 1e7;
    run.Load(far, x, z);
    check(run);
  }
}

TEST(TwoVariableRun, OddShapesNeverGiveNaNOrInf) {
  // Few distinct values, repeated points, steps, tiny spreads far from zero, a range just above
  // the refusal limit: every report and variance file holds finite numbers only.
  std::mt19937 rng(7);
  for (int trial = 0; trial < 40; ++trial) {
    const int n = 3 + static_cast<int>(rng() % 40);
    const double offset = trial % 4 == 0 ? 1e6 : 0;
    const double spread = trial % 5 == 0 ? 0.0011 : 1 + static_cast<double>(rng() % 100);
    const int distinct = 2 + static_cast<int>(rng() % 6);
    std::vector<double> y, x, z;
    for (int i = 0; i < n; ++i) {
      const double u = spread * static_cast<double>(rng() % static_cast<unsigned>(distinct)) /
                       (distinct - 1);
      const double v = spread * static_cast<double>(i % distinct) / (distinct - 1);
      x.push_back(offset + u);
      z.push_back(offset + (trial % 3 == 0 ? u : v));
      const double noise = static_cast<double>(rng() % 1000) / 1000;
      y.push_back(trial % 7 == 0 ? 5 : (u > spread / 2 ? 3 : 0) + v * 0.1 + noise);
    }
    TwoVariableRun run;
    run.Load(y, x, z);
    run.Go();
    if (run.options.AnalysisFailed) {
      EXPECT_FALSE(run.HasFiles());
      continue;
    }
    ExpectNoOddNumbers(run.Out());
    ExpectNoOddNumbers(run.Var());
  }
}

}  // namespace
}  // namespace vornax
