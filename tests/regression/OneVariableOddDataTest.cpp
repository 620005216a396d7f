// Odd data met by the one-variable fuzz target: values so large that the statistics would
// overflow (turned away before a report full of Inf and NaN is written), exact fits, whose
// residual sum of squares must reach the variance file as zero, not as a rounding residue
// below it, and a segment so steep that the square of its slope error leaves the 64-bit range.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "data/DataSet.h"
#include "data/RunOptions.h"
#include "data/TextFile.h"
#include "regression/OneVariable.h"
#include "support/TestSupport.h"

namespace vornax {
namespace {

constexpr const char* kOutOfRange =
    "The database is not fit for regression analysis. Data values must lie between -1E+100 and "
    "1E+100. Please correct the input file.";

struct RangeRun {
  test::TempDir dir;
  TDMVornax data;
  RunOptions options;
  test::RecordingDialogs dialogs;

  RangeRun(const std::vector<long double>& y, const std::vector<long double>& x) {
    data.FileName = (dir / "range.inp").string();
    data.Resize(static_cast<int32_t>(y.size()));
    data.GridRowCount = data.NrOfData;
    for (size_t i = 0; i < y.size(); ++i) {
      data.YData[i] = y[i];
      data.XData[i] = x[i];
    }
  }
  void Go() { RunOneVariable(data, options, dialogs); }
  bool HasFiles() const {
    return std::filesystem::exists(dir / "range.out") || std::filesystem::exists(dir / "range.var");
  }
};

// X = 0..10 with a bend at 5, Y scaled by `scale`.
std::vector<long double> BentY(long double scale) {
  std::vector<long double> y;
  for (int i = 0; i <= 10; ++i) y.push_back(scale * (i <= 5 ? i : 10 - i) + (i % 2) * scale / 10);
  return y;
}
std::vector<long double> ZeroToTen() {
  std::vector<long double> x;
  for (int i = 0; i <= 10; ++i) x.push_back(i);
  return x;
}

void ExpectRefused(RangeRun& run) {
  EXPECT_TRUE(run.options.AnalysisFailed);
  EXPECT_EQ(run.dialogs.Messages(), std::vector<std::string>{kOutOfRange});
  EXPECT_FALSE(run.HasFiles());
}

// The fuzzer's case: ten Y values of 1E+308 and one of -1E+308. The run used to succeed with a
// report whose standard errors, intercepts and residuals read Inf and NaN.
TEST(OneVariableRange, HugeYIsRefusedWithoutReport) {
  std::vector<long double> y(10, 1e308L);
  y.push_back(-1e308L);
  std::vector<long double> x;
  for (int i = 0; i < 10; ++i) x.push_back(i);
  x.push_back(11);
  RangeRun run(y, x);
  // A report of earlier data of the same name would now describe other data.
  test::WriteFileBytes(run.dir / "range.out", test::kStaleReport);
  run.Go();
  ExpectRefused(run);
  // Refused before sorting: the data set is as it was given.
  EXPECT_EQ(run.data.XData, x);
  EXPECT_EQ(run.data.YData, y);
}

TEST(OneVariableRange, XJustBeyondTheBoundIsRefusedEitherSide) {
  for (long double far : {1.000001e100L, -1.000001e100L}) {
    std::vector<long double> x = ZeroToTen();
    x[10] = far;
    RangeRun run(BentY(1), x);
    run.Go();
    ExpectRefused(run);
  }
}

// With two independent columns and Z analysed, Z is the value checked, and the columns are
// back in their places after the refusal.
TEST(OneVariableRange, HugeZAnalysedIsRefusedAndTheColumnsRestored) {
  RangeRun run(BentY(1), ZeroToTen());
  run.data.NrOfVarInData = 2;
  run.data.SingleIsZ = true;
  run.data.SingleIsX = false;
  for (size_t i = 0; i < run.data.ZData.size(); ++i) run.data.ZData[i] = 1e200L * (i + 1);
  const auto x = run.data.XData;
  const auto z = run.data.ZData;
  run.Go();
  ExpectRefused(run);
  EXPECT_EQ(run.data.XData, x);
  EXPECT_EQ(run.data.ZData, z);
}

// Up to the bound itself the analysis runs, and nothing in its report overflows.
TEST(OneVariableRange, ValuesAtTheBoundGiveAFiniteReport) {
  std::vector<long double> y = BentY(1.9e99L);  // largest: 5 * 1.9E+99 + 1.9E+98 < 1E+100
  std::vector<long double> x = ZeroToTen();
  x[0] = -1e100L;  // the bound itself is still taken
  RangeRun run(y, x);
  run.Go();
  ASSERT_FALSE(run.options.AnalysisFailed) << (run.dialogs.Messages().empty() ? "" : run.dialogs.Messages()[0]);
  const std::vector<std::string> report = test::ReadLines(run.dir / "range.out");
  ASSERT_FALSE(report.empty());
  for (const std::string& line : report) {
    for (std::string_view token : SplitTokens(line)) {
      EXPECT_TRUE(token != "Inf" && token != "-Inf" && token != "NaN") << line;
    }
  }
}

// ---- exact fits ----

// The variance file of a run without breakpoint: " 1", N, SST, the line's residual SS, -99999.
std::vector<std::string> VarianceFileOf(const std::vector<long double>& y,
                                        const std::vector<long double>& x) {
  RangeRun run(y, x);
  run.Go();
  EXPECT_FALSE(run.options.AnalysisFailed);
  EXPECT_EQ(run.options.FoundType, 1);
  return test::ReadLines(run.dir / "range.var");
}

// Y = 0.1 + 0.7 X rounded to two decimals lies exactly on a line; (1 - r^2) * Syy came out as
// -8.9E-18, and the variance analysis refused the file as damaged. SST = 0.49 * 28 = 13.72.
TEST(OneVariableExactFit, StraightLineWritesAResidualOfZero) {
  const std::vector<std::string> var = VarianceFileOf(
      {0.8L, 1.5L, 2.2L, 2.9L, 3.6L, 4.3L, 5.0L}, {1, 2, 3, 4, 5, 6, 7});
  EXPECT_EQ(var, (std::vector<std::string>{" 1", "    7", " 1.37200000000000E+001",
                                            " 0.00000000000000E+000", " -99999"}));
}

// The fuzzer's file: two equal data sets and a third, so the line runs through both points.
// SST = 2 * (2.46 - 3.08667)^2 + (4.34 - 3.08667)^2 = 2.35626666666667.
TEST(OneVariableExactFit, TwoDistinctPointsWriteAResidualOfZero) {
  const std::vector<std::string> var = VarianceFileOf({2.46L, 4.34L, 2.46L}, {35, 60, 35});
  EXPECT_EQ(var, (std::vector<std::string>{" 1", "    3", " 2.35626666666667E+000",
                                            " 0.00000000000000E+000", " -99999"}));
}

// ---- a steep segment over a tiny spread of X ----

// The fuzzer's file: X = 0 seven times with Y = 200, and X = 1.789E-200 and 1.028E-200 with
// Y = 8 and 10, make a first segment with a slope of -1.24E+202 and a slope error of
// 1.41E+201. The type-6 table squared that error in 64 bits and printed St.Err.Y1bp as Inf.
// Expected values computed exactly with rational arithmetic at the reported breakpoint 1.1:
// Y1bp = -1.3662E+202, St.Err.Y1bp = 3.9832E+202, Y2bp = -0.15304, St.Err.Y2bp = 1.4017.
TEST(OneVariableSteepSegment, TypeSixErrorsStayFinite) {
  const std::vector<long double> y = {
      5.49L, 200, 1.764e-200L, 1.495e-200L, 1.652e-200L, 1.094e-200L, 1.836e-200L, 5.59L, 5.59L,
      5.61L, 5.49L, 200, 1.764e-200L, 1.495e-200L, 1.652e-200L, 1.094e-200L, 1.836e-200L, 5.49L,
      200, 1.764e-200L, 1.495e-200L, 1.652e-200L, 1.094e-200L, 1.836e-200L, 5.59L, 5.59L, 5.61L,
      5.49L, 200, 1.764e-200L, 1.495e-200L, 1.652e-200L, 1.094e-200L, 1.836e-200L, 5.49L, 200, 8,
      1.094e-200L, 1.836e-200L, 5.49L, 200, 1.764e-200L, 1.495e-200L, 1.652e-200L, 1.0094e-200L,
      1.836e-200L, 5.49L, 200, 10, 1.836e-200L};
  const std::vector<long double> x = {
      110, 0, 2, 4, 6, 8, 10, 49, 103, 109, 110, 0, 2, 4, 6, 8, 10, 110, 0, 2, 4, 6, 8, 10, 49,
      103, 109, 110, 0, 2, 4, 6, 8, 10, 110, 0, 1.789e-200L, 8, 10, 110, 0, 2, 4, 6, 8, 10, 110,
      0, 1.028e-200L, 10};
  // The values as the input file gave them: 64-bit numbers, widened.
  std::vector<long double> y64, x64;
  for (long double v : y) y64.push_back(static_cast<double>(v));
  for (long double v : x) x64.push_back(static_cast<double>(v));
  RangeRun run(y64, x64);
  run.options.ConfidenceT = 2.5;
  run.Go();
  ASSERT_FALSE(run.options.AnalysisFailed);
  ASSERT_EQ(run.options.FoundType, 6);
  const std::vector<std::string> report = test::ReadLines(run.dir / "range.out");
  const auto at = std::find(report.begin(), report.end(), " Parameters for function type 6 :");
  ASSERT_TRUE(at != report.end() && report.end() - at >= 5);
  EXPECT_EQ(at[1], "       Y1bp              St.Err.Y1bp      St.Err.BP");
  EXPECT_EQ(at[2].substr(0, 39), "   -1.37E+202            3.98E+202     ");
  EXPECT_EQ(at[4].substr(0, 39), "   -1.53E-001            1.40E+000     ");
}

}  // namespace
}  // namespace vornax
