// The numbers a run leaves behind (type, breakpoint, lines, coefficients, ANOVA rows, data
// table), the summary made of them and the JSON file: each against the report's own figures.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include <string>
#include <vector>

#include "anova/Anova.h"
#include "data/DataSet.h"
#include "data/NumberFormat.h"
#include "data/OwnFiles.h"
#include "data/RunOptions.h"
#include "regression/OneVariable.h"
#include "regression/TwoVariable.h"
#include "run/BreakTest.h"
#include "run/ResultJson.h"
#include "run/RunAnalysis.h"
#include "run/ResultSummary.h"
#include "support/TestSupport.h"

namespace vornax {
namespace {

// The golden threshold run (tests/golden/one_variable_type3.out) with its ANOVA table.
struct ThresholdRun {
  ThresholdRun() {
    data.FileName = (dir / "yield.inp").string();
    test::LoadGoldenThreshold(data);
    RunOneVariable(data, options, dialogs);
    MakeSegmentedAnova(data, options, dialogs);
  }
  test::TempDir dir;
  TDMVornax data;
  RunOptions options;
  test::RecordingDialogs dialogs;
};

TEST(RunResult, HoldsTheNumbersOfTheReport) {
  ThresholdRun run;
  const RunResult& r = run.data.Result;
  ASSERT_TRUE(r.Valid);
  EXPECT_EQ(r.Analysis, "one-variable");
  EXPECT_EQ(r.Variable, "X");
  EXPECT_EQ(r.Type, 3);
  EXPECT_EQ(r.PrintedTypeCode, 3);
  EXPECT_EQ(r.TypeText, "first a horizontal segment, then sloping.");
  EXPECT_EQ(r.Method, 2);
  ASSERT_TRUE(r.HasBreakpoint);
  // The figures of the golden report, to its printed precision.
  EXPECT_EQ(FormatExp(r.Breakpoint, 11, 4), " 1.508E+001");
  ASSERT_TRUE(r.BreakpointSE && r.LowerLimit && r.UpperLimit);
  EXPECT_EQ(FormatExp(*r.BreakpointSE, 13, 3), "    1.58E+000");
  EXPECT_DOUBLE_EQ(*r.LowerLimit, r.Breakpoint - 1.75 * *r.BreakpointSE);
  EXPECT_DOUBLE_EQ(*r.UpperLimit, r.Breakpoint + 1.75 * *r.BreakpointSE);
  EXPECT_EQ(FormatExp(r.SlopeBelow, 10, 4), "0.000E+000");
  EXPECT_EQ(FormatExp(r.InterceptBelow, 10, 4), "1.000E+001");
  EXPECT_EQ(FormatExp(r.SlopeAbove, 10, 4), "-8.071E-001");
  EXPECT_EQ(FormatExp(r.InterceptAbove, 10, 4), "2.217E+001");
  EXPECT_EQ(FormatExp(r.CE, 13, 3), "    9.99E-001");
  // The data table: 30 rows, X ascending, Ycalc as printed.
  ASSERT_EQ(r.X.size(), 30u);
  ASSERT_EQ(r.YCalc.size(), 30u);
  EXPECT_EQ(FormatExp(r.YCalc[16], 12, 3), "   9.26E+000");
  EXPECT_EQ(FormatExp(r.YCalc[29], 12, 3), "  -1.23E+000");
  EXPECT_EQ(FormatExp(r.Y[28], 12, 3), "  -3.00E-001");
  // The candidates: type 3 reported and accepted, its CE the chosen one of the search.
  ASSERT_EQ(r.Candidates.size(), 6u);
  EXPECT_EQ(r.Candidates[2].Type, 3);
  EXPECT_TRUE(r.Candidates[2].Accepted);
  EXPECT_DOUBLE_EQ(r.Candidates[2].CE, r.CEChosen);
  EXPECT_DOUBLE_EQ(r.Candidates[0].CE, r.CEStraight);
  EXPECT_GT(r.CEChosen, r.CEStraight);

  // The ANOVA rows as the table prints them (tests/run/OneVariableAnovaTest.cpp has the lines).
  ASSERT_EQ(r.Anova.size(), 3u);
  EXPECT_EQ(r.Anova[0].Kind, "explained");
  EXPECT_EQ(r.Anova[0].Source, "lin. regr.");
  EXPECT_EQ(FormatFixed(r.Anova[0].SumOfSquares, 12, 3), "     325.471");
  EXPECT_EQ(r.Anova[0].Df1, 1);
  EXPECT_EQ(r.Anova[0].Df2, 28);
  EXPECT_EQ(FormatFixed(r.Anova[0].ResidualSumOfSquares, 12, 3), "      89.805");
  EXPECT_EQ(r.Anova[1].Kind, "extra");
  EXPECT_EQ(r.Anova[1].Source, "break-point");
  EXPECT_EQ(FormatFixed(r.Anova[1].SumOfSquares, 12, 3), "      89.291");
  EXPECT_EQ(r.Anova[1].Df1, 2);
  EXPECT_EQ(r.Anova[1].Df2, 26);
  ASSERT_TRUE(r.Anova[1].Significance.has_value());
  EXPECT_DOUBLE_EQ(*r.Anova[1].Significance, 99.9);
  EXPECT_EQ(r.Anova[2].Kind, "total");
  EXPECT_EQ(FormatFixed(r.Anova[2].SumOfSquares, 12, 3), "     414.761");
}

TEST(RunResult, SummaryInPlainWords) {
  ThresholdRun run;
  RunResult r = run.data.Result;
  r.BreakTest.Done = true;
  r.BreakTest.Permutations = 999;
  r.BreakTest.AtLeastAsLarge = 0;
  r.BreakTest.P = 0.001;
  const auto lines = SummaryLines(r);
  ASSERT_EQ(lines.size(), 8u);
  EXPECT_EQ(lines[0], "Function type 3: first a horizontal segment, then sloping (method 2)");
  EXPECT_EQ(lines[1].substr(0, 50), "Breakpoint of X: 15.080, standard error 1.58; 90% ");
  EXPECT_EQ(lines[2], "Y = 0*X + 10.00 when X < breakpoint; Y = -0.8071*X + 22.17 from there on");
  EXPECT_EQ(lines[3].substr(0, 35), "Coefficient of explanation: 0.9988 ");
  EXPECT_EQ(lines[4].substr(0, 69),
            "ANOVA: the extra explanation by the breakpoint is significant at 99.9");
  EXPECT_NE(lines[5].find(" 3: 0.9988*"), std::string::npos) << lines[5];
  EXPECT_EQ(lines[7],
            "Break test: p = 0.001 (999 permutations; the search over breakpoints and types "
            "included)");

  // A p above 1 - confidence warns in plain words.
  r.BreakTest.AtLeastAsLarge = 409;
  r.BreakTest.P = 0.41;
  const auto weak = SummaryLines(r);
  ASSERT_EQ(weak.size(), 9u);
  EXPECT_EQ(weak[7], "Break test: p = 0.41 (999 permutations; the search over breakpoints and "
                     "types included)");
  EXPECT_EQ(weak[8].substr(0, 58), "Warning: the data show no break beyond what chance gives: ");

  // Stopped by the sequential rule: the shuffles made and why, and the warning counts them.
  r.BreakTest.StoppedEarly = true;
  r.BreakTest.Permutations = 23;
  r.BreakTest.AtLeastAsLarge = 10;
  r.BreakTest.P = 10.0 / 23;
  const auto early = SummaryLines(r);
  ASSERT_EQ(early.size(), 9u);
  EXPECT_EQ(early[7], "Break test: p = 0.43 (23 permutations, stopped early when 10 had reached "
                      "the observed gain; the search over breakpoints and types included)");
  EXPECT_NE(early[8].find(" in 10 of 23 permutations."), std::string::npos) << early[8];

  EXPECT_TRUE(SummaryLines(RunResult{}).empty());
}

TEST(RunResult, NumbersForTheSummary) {
  EXPECT_EQ(FormatSignificant(15.08, 5), "15.080");
  EXPECT_EQ(FormatSignificant(-0.000123456, 3), "-0.000123");
  EXPECT_EQ(FormatSignificant(123456789.0, 4), "1.235E+008");
  EXPECT_EQ(FormatSignificant(0, 4), "0");
  EXPECT_EQ(FormatP(0.001, 999), "0.001");
  EXPECT_EQ(FormatP(0.41, 999), "0.41");
  EXPECT_EQ(FormatP(0.5, 99), "0.5");
  EXPECT_EQ(FormatP(0.0001, 9999), "0.0001");
}

TEST(RunResult, JsonHoldsTheReportNumbers) {
  ThresholdRun run;
  const RunResult& r = run.data.Result;
  ResultFiles files;
  files.Input = "a.inp";
  files.Output = "a.out";
  files.Anova = "a.var";
  const auto j = nlohmann::json::parse(ResultJsonText(r, run.options, files));
  EXPECT_EQ(j["program"], "vornax");
  EXPECT_EQ(j["format"], 2);
  EXPECT_EQ(j["files"]["report"], "a.out");
  EXPECT_EQ(j["analysis"], "one-variable");
  EXPECT_EQ(j["type"], 3);
  EXPECT_EQ(j["method"], 2);
  EXPECT_EQ(j["options"]["confidence_percent"], 90);
  EXPECT_TRUE(j["options"]["preferred_type"].is_null());
  EXPECT_EQ(FormatExp(j["breakpoint"]["value"].get<double>(), 11, 4), " 1.508E+001");
  EXPECT_EQ(FormatExp(j["breakpoint"]["standard_error"].get<double>(), 13, 3), "    1.58E+000");
  EXPECT_EQ(FormatExp(j["lines"]["above"]["slope"].get<double>(), 10, 4), "-8.071E-001");
  EXPECT_EQ(FormatExp(j["lines"]["above"]["intercept"].get<double>(), 10, 4), "2.217E+001");
  EXPECT_EQ(FormatExp(j["explanation"]["ce"].get<double>(), 13, 3), "    9.99E-001");
  ASSERT_EQ(j["explanation"]["candidates"].size(), 6u);
  ASSERT_EQ(j["anova"].size(), 3u);
  EXPECT_EQ(j["anova"][1]["source"], "break-point");
  EXPECT_EQ(FormatFixed(j["anova"][1]["sum_of_squares"].get<double>(), 12, 3), "      89.291");
  EXPECT_EQ(j["anova"][1]["df2"], 26);
  EXPECT_TRUE(j["break_test"].is_null());
  ASSERT_EQ(j["data"].size(), 30u);
  EXPECT_EQ(j["data"][16]["serial"], 17);
  EXPECT_EQ(FormatExp(j["data"][16]["ycalc"].get<double>(), 12, 3), "   9.26E+000");
  EXPECT_EQ(j["data"][16]["x"].get<double>(), 16.0);
  // Full precision: the JSON numbers read back as the very doubles of the result.
  EXPECT_EQ(j["breakpoint"]["value"].get<double>(), r.Breakpoint);
  EXPECT_EQ(j["explanation"]["ce"].get<double>(), r.CE);
  // The likelihood interval beside the limits; it holds the breakpoint.
  ASSERT_TRUE(r.LikelihoodLower && r.LikelihoodUpper);
  EXPECT_EQ(j["breakpoint"]["likelihood_lower"].get<double>(), *r.LikelihoodLower);
  EXPECT_EQ(j["breakpoint"]["likelihood_upper"].get<double>(), *r.LikelihoodUpper);
  EXPECT_LE(*r.LikelihoodLower, r.Breakpoint);
  EXPECT_GE(*r.LikelihoodUpper, r.Breakpoint);
  EXPECT_TRUE(j["warnings"].empty());
}

// A later run removes or replaces an old JSON file only when its first few kilobytes show it is
// this program's: "program" leads the file, however much comes after it in alphabetical order.
TEST(RunResult, LongJsonIsRecognisedAsThisProgramsFile) {
  ThresholdRun run;
  ResultFiles files;
  files.Input = "a.inp";
  files.Arguments.assign(80, std::string(100, 'a'));  // 8 KB of arguments ahead of "program"
  GroupHead group;
  group.Group = std::string(6000, 'g');
  struct Case {
    const char* name;
    std::string text, opening;
  };
  const std::vector<Case> cases = {
      {"results file", ResultJsonText(run.data.Result, run.options, files),
       "{\n  \"program\": \"vornax\",\n  \"analysis\": \"one-variable\",\n"},
      {"line of a group's run", ResultJsonLine(&run.data.Result, run.options, files, group),
       "{\"program\":\"vornax\",\"analysis\":\"one-variable\","},
      {"line of a group not run", ResultJsonLine(nullptr, run.options, files, group),
       "{\"program\":\"vornax\",\"format\":2,\"group\":\"ggg"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(c.text.substr(0, c.opening.size()), c.opening);
    EXPECT_GT(c.text.size(), 6000u);
    const auto j = nlohmann::json::parse(c.text);
    EXPECT_EQ(j["program"], "vornax");
    EXPECT_EQ(j["format"], 2);
    const auto path = run.dir.path() / "old.json";
    test::WriteFileBytes(path, c.text);
    EXPECT_TRUE(WrittenByThisProgram(path));
  }
}

TEST(RunResult, ARefusedRunLeavesNoNumbers) {
  // Numbers of an earlier run must not stand for a run that was refused.
  ThresholdRun run;
  ASSERT_TRUE(run.data.Result.Valid);
  run.data.NrOfData = 2;
  char separator = '.';
  RunAnalysis(run.data, run.options, run.dialogs, separator, DefaultAnalysisTable());
  EXPECT_TRUE(run.options.AnalysisFailed);
  EXPECT_FALSE(run.data.Result.Valid);
  EXPECT_TRUE(run.data.Result.Anova.empty());
}


// Every X of 0, 10, ..., 100 with every Z of 0, 5, ..., 50: level up to X = 40, then rising by
// 0.5; rising by 0.2 per unit of Z up to Z = 30, then level. The planes follow by hand:
// X < 40: 10 + 0.2 Z (Z < 30) or 16; X >= 40: 0.5 X - 10 + 0.2 Z or 0.5 X - 4.
struct PlaneRun {
  PlaneRun() {
    data.FileName = (dir / "plane.inp").string();
    data.NrOfVarInData = data.NrOfVar = 2;
    data.Resize(121);
    data.GridRowCount = 121;
    size_t k = 0;
    for (int i = 0; i <= 10; ++i) {
      for (int j = 0; j <= 10; ++j, ++k) {
        const double x = 10.0 * i, z = 5.0 * j;
        data.XData[k] = x;
        data.ZData[k] = z;
        data.YData[k] = (x < 40 ? 10 : 10 + 0.5 * (x - 40)) + (z < 30 ? z / 5 : 6);
      }
    }
    RunTwoVariableRegression(data, options, dialogs);
    MakeSegmentedAnova(data, options, dialogs);
  }
  test::TempDir dir;
  TDMVornax data;
  RunOptions options;
  test::RecordingDialogs dialogs;
};

TEST(RunResult, TwoVariableRunInNumbersAndWords) {
  PlaneRun run;
  const RunResult& r = run.data.Result;
  ASSERT_TRUE(r.Valid);
  EXPECT_EQ(r.Analysis, "two-variable");
  EXPECT_EQ(r.Sequence, 1);
  ASSERT_EQ(r.Stages.size(), 2u);
  EXPECT_EQ(r.Stages[0].Variable, "X");
  EXPECT_EQ(r.Stages[0].Type, 3);
  EXPECT_NEAR(r.Stages[0].Breakpoint, 40, 1e-9);
  EXPECT_EQ(r.Stages[1].Variable, "Z");
  EXPECT_EQ(r.Stages[1].Type, 4);
  EXPECT_NEAR(r.Stages[1].Breakpoint, 30, 1e-9);
  EXPECT_NEAR(r.Plane.Bs, 0.2, 1e-12);
  EXPECT_NEAR(r.Plane.Ag, 0.5, 1e-12);
  EXPECT_NEAR(r.Plane.Csg, 16, 1e-9);
  EXPECT_NEAR(r.Plane.Cgs, -10, 1e-9);
  EXPECT_NEAR(r.CE, 1, 1e-12);
  EXPECT_LT(r.CEWithoutBreaks, 0.999);
  ASSERT_EQ(r.Z.size(), 121u);
  EXPECT_EQ(r.Z[1], 5.0);  // the order entered
  EXPECT_NEAR(r.YCalc[1], 11, 1e-9);
  // Both breakpoint rows of the ANOVA table.
  int extra = 0;
  for (const AnovaRowResult& row : r.Anova) extra += row.Kind == "extra";
  EXPECT_EQ(extra, 2);

  const auto lines = SummaryLines(r);
  ASSERT_GE(lines.size(), 11u);
  EXPECT_EQ(lines[0], "Sequence 1: Y upon X first, then the residuals upon Z");
  EXPECT_EQ(lines[1], "First stage (X): type 3, first a horizontal segment, then sloping (method 1)");
  EXPECT_EQ(lines[2].substr(0, 28), "  Breakpoint of X: 40.00, st");
  // The likelihood intervals of the stages: the first (Z acting as noise on X's data at 10
  // apart) holds 40 between its neighbours; the second fits its residuals exactly, so its
  // interval shrinks to 30.
  ASSERT_TRUE(r.Stages[0].LikelihoodLower && r.Stages[0].LikelihoodUpper);
  EXPECT_GT(*r.Stages[0].LikelihoodLower, 30);
  EXPECT_LE(*r.Stages[0].LikelihoodLower, 40);
  EXPECT_GE(*r.Stages[0].LikelihoodUpper, 40);
  EXPECT_LT(*r.Stages[0].LikelihoodUpper, 50);
  EXPECT_EQ(r.LikelihoodLower, r.Stages[0].LikelihoodLower);
  ASSERT_TRUE(r.Stages[1].LikelihoodLower && r.Stages[1].LikelihoodUpper);
  EXPECT_NEAR(*r.Stages[1].LikelihoodLower, 30, 1e-6);
  EXPECT_NEAR(*r.Stages[1].LikelihoodUpper, 30, 1e-6);
  EXPECT_EQ(lines[3], "Second stage (Z): type 4, first a sloping segment, then horizontal (method 1)");
  EXPECT_EQ(lines[5], "Planes (below / at or above each breakpoint):");
  EXPECT_EQ(lines[6], "  X below, Z below: Y = 0*X + 0.2000*Z + 10.00");
  EXPECT_EQ(lines[7], "  X below, Z above: Y = 0*X + 0*Z + 16.00");
  EXPECT_EQ(lines[8], "  X above, Z below: Y = 0.5000*X + 0.2000*Z - 10.00");
  EXPECT_EQ(lines[9], "  X above, Z above: Y = 0.5000*X + 0*Z - 4.000");
  EXPECT_EQ(lines[10].substr(0, 43), "Overall coefficient of explanation: 1.0000 ");

  const auto j = nlohmann::json::parse(ResultJsonText(r, run.options, ResultFiles{}));
  EXPECT_EQ(j["analysis"], "two-variable");
  EXPECT_EQ(j["two_variable"]["sequence"], 1);
  EXPECT_EQ(j["two_variable"]["stages"][1]["variable"], "Z");
  EXPECT_EQ(j["two_variable"]["stages"][1]["type"], 4);
  EXPECT_NEAR(j["two_variable"]["planes"]["Cgg"].get<double>(), -4, 1e-9);
  EXPECT_EQ(j["data"][1]["z"], 5.0);
  EXPECT_TRUE(j["data"][1].contains("first_residual"));
}

TEST(RunResult, BreakTestOfATwoVariablePlane) {
  PlaneRun run;
  BreakTestOptions options;
  options.Permutations = 99;
  ASSERT_TRUE(BreakTestApplies(run.data.Result));
  const BreakTestResult t = RunBreakTest(run.data.Result, options);
  ASSERT_TRUE(t.Done);
  EXPECT_NEAR(t.Observed, 1, 1e-9);  // the breaks explain all that the straight stages leave
  EXPECT_EQ(t.AtLeastAsLarge, 0);
  EXPECT_DOUBLE_EQ(t.P, 0.01);
}


TEST(RunResult, CurveRunInNumbersAndWords) {
  // Y = 2X^2 + 3X + 1 on X = 0 .. 10 without transformation: the fit on W = X + 0.001 gives
  // A = 2, B = 2.996, C = 0.997002, every point on the curve.
  test::TempDir dir;
  TDMVornax data;
  RunOptions options;
  test::RecordingDialogs dialogs;
  data.FileName = (dir / "curve.inp").string();
  data.Resize(11);
  data.GridRowCount = 11;
  for (size_t i = 0; i <= 10; ++i) {
    const double x = static_cast<double>(i);
    data.XData[i] = x;
    data.YData[i] = 2 * x * x + 3 * x + 1;
  }
  options.CurveX = CurveChoice::Quadratic;
  options.TransformAccepted = false;
  char separator = '.';
  RunAnalysis(data, options, dialogs, separator, DefaultAnalysisTable());
  ASSERT_FALSE(options.CurveAbort);
  const RunResult& r = data.Result;
  ASSERT_TRUE(r.Valid);
  ASSERT_TRUE(r.Curve.has_value());
  EXPECT_EQ(r.Analysis, "quadratic");
  EXPECT_FALSE(BreakTestApplies(r));
  const auto lines = SummaryLines(r);
  ASSERT_EQ(lines.size(), 4u);
  EXPECT_EQ(lines[0], "Curve: quadratic curve of Y upon X");
  EXPECT_EQ(lines[1], "Parameters as the report names them: A = 2.000, B = 2.996, C = 0.9970");
  EXPECT_EQ(lines[2].substr(0, 43), "Coefficient of explanation: 1.0000 (straigh");
  EXPECT_EQ(lines[3].substr(0, 50), "ANOVA: the extra explanation by the curve is signi");

  const auto j = nlohmann::json::parse(ResultJsonText(r, options, ResultFiles{}));
  EXPECT_EQ(j["analysis"], "quadratic");
  EXPECT_EQ(j["curve"]["kind"], "quadratic");
  EXPECT_NEAR(j["curve"]["coefficients"]["B"].get<double>(), 2.996, 1e-11);
  EXPECT_FALSE(j["curve"]["coefficients"].contains("D"));
  EXPECT_EQ(j["curve"]["confidence_limits"].size(), 11u);
  EXPECT_EQ(j["data"].size(), 11u);
}


TEST(RunResult, TheGoldenThresholdIsNoChanceBreak) {
  // The threshold data of the golden report: a level at 10 up to X = 15, then a fall.
  ThresholdRun run;
  BreakTestOptions options;
  options.Permutations = 199;
  const BreakTestResult t = RunBreakTest(run.data.Result, options);
  ASSERT_TRUE(t.Done);
  EXPECT_LT(t.P, 0.01);
  EXPECT_GT(t.Observed, 0.9);  // the break explains nearly all the straight line leaves
}

}  // namespace
}  // namespace vornax
