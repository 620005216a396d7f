// The numbers a run leaves behind (type, breakpoint, lines, coefficients, ANOVA rows, data
// table), the summary made of them and the JSON file: each against the report's own figures.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include <string>
#include <vector>

#include "anova/Anova.h"
#include "data/DataSet.h"
#include "data/NumberFormat.h"
#include "data/RunOptions.h"
#include "regression/OneVariable.h"
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
  EXPECT_EQ(lines[1].substr(0, 49), "Breakpoint of X: 15.08, standard error 1.58; 90% ");
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
  ResultFiles files{"a.inp", "a.out", "a.var"};
  const auto j = nlohmann::json::parse(ResultJsonText(r, run.options, files));
  EXPECT_EQ(j["program"], "vornax");
  EXPECT_EQ(j["format"], 1);
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

}  // namespace
}  // namespace vornax
