// The one-variable analysis end to end: the report and variance file against independently
// computed golden files, the Z cases, the refusals, and the marks of the data table.
#include "regression/OneVariable.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <string>
#include <tuple>
#include <vector>

#include "data/DataSet.h"
#include "data/RunOptions.h"
#include "data/TextFile.h"
#include "support/TestSupport.h"

namespace vornax {
namespace {

using test::RecordingDialogs;
using test::TempDir;

void Load(TDMVornax& data, const std::vector<double>& y, const std::vector<double>& x) {
  data.Resize(static_cast<int32_t>(y.size()));
  data.GridRowCount = static_cast<int32_t>(y.size());
  for (size_t i = 0; i < y.size(); ++i) {
    data.YData[i] = y[i];
    data.XData[i] = x[i];
  }
}

// The data of the golden files (see tests/golden/one_variable_reference.py).
void LoadSingleLine(TDMVornax& data) {
  const double noise[] = {0.3, -0.2, 0.1, -0.4, 0.25, 0.0, -0.15, 0.35, -0.3, 0.2, -0.1, 0.05};
  std::vector<double> y, x;
  for (int i = 1; i <= 12; ++i) {
    x.push_back(i);
    y.push_back(2 + 0.5 * i + noise[i - 1]);
  }
  Load(data, y, x);
}

struct AnalysisRun {
  TempDir dir;
  TDMVornax data;
  RunOptions options;
  RecordingDialogs dialogs;

  AnalysisRun() {
    data.FileName = (dir / "run.inp").string();
    data.Title1 = "Golden test";
    data.Title2 = "X and Y without units";
  }
  void Go() { RunOneVariable(data, options, dialogs); }
  std::vector<std::string> Out() const { return test::ReadLines(dir / "run.out"); }
  std::vector<std::string> Var() const { return test::ReadLines(dir / "run.var"); }
  bool HasFiles() const {
    return std::filesystem::exists(dir / "run.out") || std::filesystem::exists(dir / "run.var");
  }
};

std::vector<std::string> Golden(const std::string& name, const std::filesystem::path& dir) {
  std::vector<std::string> lines = test::GoldenLines(name);
  for (std::string& line : lines) {
    const auto at = line.find("@DIR@");
    if (at != std::string::npos) line.replace(at, 5, dir.string());
  }
  return lines;
}

void ExpectSameLines(const std::vector<std::string>& actual,
                     const std::vector<std::string>& expected) {
  ASSERT_FALSE(expected.empty());
  for (size_t i = 0; i < std::max(actual.size(), expected.size()); ++i) {
    const std::string a = i < actual.size() ? actual[i] : "<missing>";
    const std::string e = i < expected.size() ? expected[i] : "<missing>";
    EXPECT_EQ(a, e) << "line " << i + 1;
  }
}

double Number(const std::string& line) {
  double value = 0;
  auto tokens = SplitTokens(line);
  EXPECT_FALSE(tokens.empty());
  EXPECT_TRUE(!tokens.empty() && ParseFiniteNumber(tokens[0], value)) << line;
  return value;
}

bool Contains(const std::vector<std::string>& lines, const std::string& text) {
  return std::find(lines.begin(), lines.end(), text) != lines.end();
}

TEST(OneVariableReport, SingleLineMatchesGoldenFile) {
  AnalysisRun run;
  LoadSingleLine(run.data);
  run.Go();
  ASSERT_FALSE(run.options.AnalysisFailed);
  ExpectSameLines(run.Out(), Golden("one_variable_type1.out", run.dir.path()));
  EXPECT_EQ(run.options.FoundType, 1);
  EXPECT_TRUE(run.options.SingleSlopeSignificant);
  EXPECT_EQ(run.data.FileName, (run.dir / "run.var").string());

  // " 1", N, SRYsqT, the residual sum of squares of the line, no breakpoint.
  const auto var = run.Var();
  ASSERT_EQ(var.size(), 5u);
  EXPECT_EQ(var[0], " 1");
  EXPECT_EQ(var[1], "   12");
  EXPECT_NEAR(Number(var[2]), 36.1491666666666735, 1e-12);
  EXPECT_NEAR(Number(var[3]), 0.648729603729603479, 1e-14);
  EXPECT_EQ(var[4], " -99999");
  EXPECT_EQ(var[2].size(), 22u);  // fifteen significant digits in "%22.15e"
}

TEST(OneVariableReport, ThresholdMatchesGoldenFile) {
  AnalysisRun run;
  test::LoadGoldenThreshold(run.data);
  run.Go();
  ASSERT_FALSE(run.options.AnalysisFailed);
  ExpectSameLines(run.Out(), Golden("one_variable_type3.out", run.dir.path()));
  EXPECT_EQ(run.options.FoundType, 3);
  EXPECT_TRUE(run.dialogs.Messages().empty());  // the breakpoint interval lies inside the data

  const auto var = run.Var();
  ASSERT_EQ(var.size(), 6u);
  EXPECT_EQ(var[0], " 1");
  EXPECT_EQ(var[1], "   30");
  EXPECT_NEAR(Number(var[2]), 415.275416666666722, 1e-11);
  EXPECT_NEAR(Number(var[3]), 89.8047489803485418, 1e-11);
  EXPECT_NEAR(Number(var[4]), 15.08, 1e-12);
  EXPECT_NEAR(Number(var[5]), 0.513917427194949519, 1e-13);
}

TEST(OneVariableReport, FlatNoiseIsReportedAsTypeZeroWithTheMean) {
  AnalysisRun run;
  Load(run.data, {5.1, 4.8, 5.3, 4.9, 5.2, 4.7, 5.0, 5.3, 4.8, 5.1, 4.9, 5.0},
       {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12});
  run.Go();
  ASSERT_FALSE(run.options.AnalysisFailed);
  const auto out = run.Out();
  EXPECT_TRUE(Contains(out, " Function type : 0  - a horizontal regression line, no breakpoint found."));
  // A = 0 and C = the mean 60.1 / 12 = 5.00833...
  EXPECT_TRUE(Contains(out, "      A = 0.000E+000     C = 5.008E+000"));
  EXPECT_EQ(out.back().substr(34), "   5.01E+000");
  EXPECT_EQ(run.options.FoundType, 0);
  EXPECT_FALSE(run.options.SingleSlopeSignificant);
  EXPECT_EQ(run.Var().back(), " -99999");
}

TEST(OneVariableReport, ConstantYIsNoRelation) {
  // A slope of exactly 0 with a standard error of 0 is no relation: type 0, not "a single
  // regression line".
  AnalysisRun run;
  Load(run.data, std::vector<double>(12, 5.0), {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12});
  run.Go();
  ASSERT_FALSE(run.options.AnalysisFailed);
  const auto out = run.Out();
  EXPECT_TRUE(Contains(out, " Function type : 0  - a horizontal regression line, no breakpoint found."));
  EXPECT_TRUE(Contains(out, "      A = 0.000E+000     C = 5.000E+000"));
  EXPECT_EQ(run.options.FoundType, 0);
  EXPECT_FALSE(run.options.SingleSlopeSignificant);
}

TEST(OneVariableRefusals, NoVariationInXLeavesNoFiles) {
  AnalysisRun run;
  Load(run.data, {1, 2, 3, 4, 5}, {7, 7, 7, 7, 7.0005});
  test::WriteFileBytes(run.dir / "run.out", test::kStaleReport);
  run.Go();
  EXPECT_TRUE(run.options.AnalysisFailed);
  ASSERT_EQ(run.dialogs.Messages().size(), 1u);
  EXPECT_EQ(run.dialogs.Messages()[0],
            "The database is not fit for regression analysis. There is no variation in X-values. "
            "Please correct the input file.");
  EXPECT_FALSE(run.HasFiles());
}

TEST(OneVariableRefusals, TwoDataSetsAreRefusedThreeAreAnalysed) {
  AnalysisRun two;
  Load(two.data, {1, 2}, {1, 2});
  two.Go();
  EXPECT_TRUE(two.options.AnalysisFailed);
  ASSERT_EQ(two.dialogs.Messages().size(), 1u);
  EXPECT_EQ(two.dialogs.Messages()[0],
            "The database is not fit for regression analysis. There are fewer than three data "
            "sets. Please correct the input file.");
  EXPECT_FALSE(two.HasFiles());

  AnalysisRun three;
  Load(three.data, {1, 2.1, 2.9}, {1, 2, 3});
  three.Go();
  ASSERT_FALSE(three.options.AnalysisFailed);
  EXPECT_LE(three.options.FoundType, 1);
  EXPECT_EQ(three.Var().size(), 5u);
}

TEST(OneVariableRefusals, PreferredTypeNotFoundWritesNothing) {
  AnalysisRun run;
  LoadSingleLine(run.data);
  run.options.PreferredTypeX = 5;
  run.Go();
  EXPECT_TRUE(run.options.AnalysisFailed);
  ASSERT_EQ(run.dialogs.Messages().size(), 1u);
  EXPECT_EQ(run.dialogs.Messages()[0],
            " The preferred type could not be found. Calculations are interrupted.");
  EXPECT_FALSE(run.HasFiles());
}

TEST(OneVariableData, SortMovesWholeDataSetsAndMarksAddedCopies) {
  AnalysisRun run;
  run.data.NrOfVarInData = 1;
  // Entered as X = 5, 3, 1, 4, 2 (+ noise) and a weight-expansion copy of the first, serial 0.
  Load(run.data, {5.2, 2.9, 1.1, 4.0, 2.1, 5.2}, {5, 3, 1, 4, 2, 5});
  run.data.SerialNr = {1, 2, 3, 4, 5, 0};
  run.data.WeightFactor = {2, 1, 1, 1, 1, 2};
  run.data.ZData = {50, 30, 10, 40, 20, 50};
  run.data.GridRowCount = 5;
  run.Go();
  ASSERT_FALSE(run.options.AnalysisFailed);
  // Sorted by X; equal X keep their order, so the copy follows its original.
  const std::vector<long double> x(run.data.XData.begin(), run.data.XData.end());
  EXPECT_EQ(x, (std::vector<long double>{1, 2, 3, 4, 5, 5}));
  EXPECT_EQ(run.data.SerialNr, (std::vector<int32_t>{3, 5, 2, 4, 1, 0}));
  EXPECT_EQ(run.data.WeightFactor, (std::vector<int32_t>{1, 1, 1, 1, 2, 2}));
  for (size_t i = 0; i < 6; ++i) {
    EXPECT_EQ(run.data.ZData[i], 10 * run.data.XData[i]);
  }
  const auto out = run.Out();
  // The last table line is the copy, marked; the one before it, its original, is not.
  ASSERT_GE(out.size(), 2u);
  EXPECT_EQ(out.back().substr(out.back().size() - 7), "  Added");
  EXPECT_EQ(out[out.size() - 2].find("Added"), std::string::npos);
}

TEST(OneVariableData, SecondOfTwoVariablesLeavesXAndZAsTheyWere) {
  AnalysisRun run;
  // Y depends on Z (threshold data); X is noise-free bookkeeping: X = 100 + Z.
  test::LoadGoldenThreshold(run.data);
  run.data.NrOfVarInData = 2;
  run.data.SingleIsX = false;
  run.data.SingleIsZ = true;
  std::vector<std::tuple<long double, long double, long double>> before;
  for (size_t i = 0; i < 30; ++i) {
    run.data.ZData[i] = run.data.XData[i];
    run.data.XData[i] = 100 + 29 - run.data.ZData[i];  // descending, so the sort by Z matters
    before.emplace_back(run.data.YData[i], run.data.XData[i], run.data.ZData[i]);
  }
  run.options.PreferredTypeZ = 3;
  run.Go();
  ASSERT_FALSE(run.options.AnalysisFailed);
  EXPECT_EQ(run.options.FoundType, 3);
  EXPECT_EQ(run.options.PreferredTypeX, 3);  // the Z preference was copied onto X
  std::vector<std::tuple<long double, long double, long double>> after;
  for (size_t i = 0; i < 30; ++i) {
    after.emplace_back(run.data.YData[i], run.data.XData[i], run.data.ZData[i]);
  }
  std::sort(before.begin(), before.end());
  std::sort(after.begin(), after.end());
  EXPECT_EQ(before, after);
  const auto out = run.Out();
  EXPECT_EQ(out[0], " Results of program Vornax for the segmented linear regression of Y upon Z.");
  EXPECT_EQ(out[1], " Z is the second of two independent variables.");
  EXPECT_TRUE(Contains(out, " Z-type preferred: 3 "));
  EXPECT_TRUE(Contains(out, " Optimal breakpoint of Z (BPz) :1.5080E+001"));
  EXPECT_TRUE(Contains(out, " when Z is smaller than BPz:  Y = AsZ + Cs"));
}

TEST(OneVariableData, SingleColumnTitledZIsAnalysedInPlace) {
  AnalysisRun run;
  LoadSingleLine(run.data);
  run.data.NrOfVarInData = 1;
  run.data.SingleIsX = false;
  run.data.SingleIsZ = true;
  run.Go();
  ASSERT_FALSE(run.options.AnalysisFailed) << run.dialogs.Messages()[0];
  const auto out = run.Out();
  EXPECT_EQ(out[0], " Results of program Vornax for the segmented linear regression of Y upon Z.");
  EXPECT_EQ(out[1], " Y is the dependent variable.");
  EXPECT_TRUE(Contains(out, " Z is the independent variable."));
  EXPECT_TRUE(Contains(out, " The regression equation is:  Y = A.Z + C"));
  EXPECT_TRUE(Contains(out, "      A = 4.983E-001     C = 2.020E+000"));
}

TEST(OneVariableData, ExtremeMagnitudesGiveNoNonFiniteNumbers) {
  for (double scale : {1e-8, 1e12}) {
    AnalysisRun run;
    std::vector<double> y, x;
    for (int i = 0; i < 40; ++i) {
      x.push_back(scale * (1000 + (i % 4)));  // many equal X values
      y.push_back(scale * (i % 4 < 2 ? 3.0 : 3.0 + 0.5 * (i % 4)) + scale * 0.01 * (i % 3));
    }
    Load(run.data, y, x);
    run.Go();
    if (run.options.AnalysisFailed) {
      // 4e-8 of X range is "no variation": the refusal is the right answer there.
      EXPECT_LT(scale * 3, 0.001);
      continue;
    }
    for (const std::string& line : run.Out()) {
      EXPECT_EQ(line.find("NaN"), std::string::npos) << line;
      EXPECT_EQ(line.find("Inf"), std::string::npos) << line;
    }
  }
}

TEST(OneVariableReport, ExcludedTypeIsNamedAndNotFound) {
  AnalysisRun run;
  test::LoadGoldenThreshold(run.data);
  run.options.ExcludedTypeX = 3;
  run.Go();
  ASSERT_FALSE(run.options.AnalysisFailed);
  EXPECT_NE(run.options.FoundType, 3);
  EXPECT_TRUE(Contains(run.Out(), " X-type excluded: 3 "));
}

}  // namespace
}  // namespace vornax

namespace vornax {
namespace {

// Sloping, then level at 10 from X = 15 on; `rising` picks the sign of the slope.
void LoadSlopeThenLevel(TDMVornax& data, bool rising) {
  std::vector<double> y, x;
  for (int i = 0; i < 30; ++i) {
    const double wobble = (i % 3 - 1) * 0.1;
    x.push_back(i);
    y.push_back((i >= 15 ? 10 : 10 + (rising ? -0.8 : 0.8) * (15 - i)) + wobble);
  }
  Load(data, y, x);
}

TEST(OneVariableReport, TypeFourHeadingsInBothVariantsAndForms) {
  // Rising to a plateau: the increase points up, so the table takes its "N>/Nt" variant.
  AnalysisRun rising;
  LoadSlopeThenLevel(rising.data, true);
  rising.Go();
  ASSERT_EQ(rising.options.FoundType, 4);
  auto out = rising.Out();
  EXPECT_TRUE(Contains(out, "   Slope < BPx              Ybp              N>/Nt      increase Yi"));
  EXPECT_TRUE(Contains(out, "  St.Err.Slope<BPx       St.Err.BPx      St.Err.N>/Nt    St.Err.Yi"));
  EXPECT_TRUE(Contains(out, "   Slope > BPx         St.Err.Slope>BPx   Expl.Coeff."));

  // Falling to a floor, analysed as a single column titled Z: the ordinary table, whose Z
  // heading has one blank less before "Ybp".
  AnalysisRun falling;
  LoadSlopeThenLevel(falling.data, false);
  falling.data.SingleIsX = false;
  falling.data.SingleIsZ = true;
  falling.Go();
  ASSERT_EQ(falling.options.FoundType, 4);
  out = falling.Out();
  EXPECT_TRUE(Contains(out, "   Slope < BPz             Ybp              N</Nt      increase Yi"));
  EXPECT_TRUE(Contains(out, "  St.Err.Slope<BPz       St.Err.BPz      St.Err.N</Nt    St.Err.Yi"));
  EXPECT_TRUE(Contains(out, " Function type : 4  - first a sloping segment, then horizontal."));
  // The level above the breakpoint: Ag = 0.
  bool found = false;
  for (const auto& line : out) {
    if (line.rfind("     As = ", 0) == 0) {
      found = true;
      EXPECT_EQ(line.substr(line.size() - 10), "0.000E+000");
    }
  }
  EXPECT_TRUE(found);
}

}  // namespace
}  // namespace vornax
