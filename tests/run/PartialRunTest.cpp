// A partial regression through the dispatch with the analyses this build contains: its ANOVA
// table, and the stops that must not reach the variance analysis.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "data/DataSet.h"
#include "data/RunOptions.h"
#include "run/ResultJson.h"
#include "run/ResultSummary.h"
#include "run/RunAnalysis.h"
#include "support/TestSupport.h"

namespace vornax {
namespace {

using test::RecordingDialogs;
using test::TempDir;

struct PartialDispatch {
  TempDir dir;
  TDMVornax data;
  RunOptions options;
  RecordingDialogs dialogs;
  char separator = ',';

  PartialDispatch() {
    data.FileName = (dir / "run.inp").string();
    data.Title1 = "Dispatch";
    data.Title2 = "Partial regression";
    options.PartialX = true;
  }
  void Load(const std::vector<double>& y, const std::vector<double>& x) {
    data.Resize(static_cast<int32_t>(y.size()));
    data.GridRowCount = static_cast<int32_t>(y.size());
    for (size_t i = 0; i < y.size(); ++i) {
      data.YData[i] = y[i];
      data.XData[i] = x[i];
    }
  }
  void Run() { RunAnalysis(data, options, dialogs, separator, DefaultAnalysisTable()); }
  bool Progressed(const std::string& line) const {
    const auto lines = dialogs.ProgressLines();
    return std::find(lines.begin(), lines.end(), line) != lines.end();
  }
};

// Level at 2 up to X = 10, then rising by 1 per unit, X = 0..19 (exact): the single line leaves
// residuals, the level-then-rising function fits exactly.
TEST(PartialRun, TheVarianceFileBecomesTheSegmentedAnovaTable) {
  PartialDispatch d;
  std::vector<double> y, x;
  for (int i = 0; i < 20; ++i) {
    x.push_back(i);
    y.push_back(i <= 10 ? 2 : 2 + (i - 10));
  }
  d.Load(y, x);
  d.Run();
  ASSERT_FALSE(d.options.AnalysisFailed);
  EXPECT_TRUE(d.options.PartialRun);
  EXPECT_EQ(d.options.FoundType, 3);
  EXPECT_TRUE(d.Progressed(" Anova table ...."));
  const std::vector<std::string> table = test::ReadLines(d.dir / "run.var");
  ASSERT_FALSE(table.empty());
  EXPECT_EQ(table[0], " Variance Analysis, ANOVA table, Regression Type: 3");
  // Sum Y = 11 * 2 + (3 + ... + 11) = 85, sum Y^2 = 11 * 4 + (9 + ... + 121) = 545, so the
  // total sum of squares is 545 - 85^2 / 20 = 183.75.
  EXPECT_EQ(table[3], " Sum[(Y-Av.Y)sq.] =     183.750  (total sum of squares of deviations)");
  // The breakpoint rows: two extra degrees of freedom against the line, 20 - 4 remaining.
  EXPECT_NE(std::find(table.begin(), table.end(),
                      "  break-point                                 F(2,16)="),
            table.end());
  EXPECT_TRUE(std::filesystem::exists(d.dir / "run.out"));

  // The numbers for the summary and the JSON file. The lower segment is exactly level while it
  // holds no X above 10: up to the candidate 115 * 0.095 = 10.925; the next one, 11.02, takes in
  // Y = 3 at X = 11, a slope of sqrt(3) of its deviation, more than 1.25 of it.
  const RunResult& r = d.data.Result;
  ASSERT_TRUE(r.Valid);
  EXPECT_EQ(r.Analysis, "partial");
  EXPECT_EQ(r.Type, 3);
  EXPECT_NEAR(r.Breakpoint, 10.925, 1e-12);
  ASSERT_TRUE(r.LevelStretch.has_value());
  EXPECT_TRUE(r.LevelStretch->LowFound);
  EXPECT_FALSE(r.LevelStretch->HighFound);
  EXPECT_EQ(r.SlopeBelow, 0.0);
  EXPECT_DOUBLE_EQ(r.InterceptBelow, 2.0);
  // The calculated values follow the printed equations: level 2, then the line from
  // (10.925, 2) through the centre (15, 7) of X = 11..19.
  ASSERT_EQ(r.YCalc.size(), 20u);
  EXPECT_DOUBLE_EQ(r.YCalc[0], 2.0);
  EXPECT_NEAR(r.YCalc[15], 7.0, 1e-12);
  EXPECT_FALSE(r.Anova.empty());
  const std::vector<std::string> summary = SummaryLines(r);
  ASSERT_GE(summary.size(), 3u);
  // The answer in words first (level 2 up to the threshold, then the line through (15, 7):
  // 5 / 4.075 = 1.227 per unit), then the report's type-3 line as such.
  EXPECT_EQ(summary[0].rfind("Partial regression: no response to X up to 10.9", 0), 0u) << summary[0];
  EXPECT_NE(summary[0].find(", on a level of 2.000; from there on Y rises by 1.227 per unit of X"),
            std::string::npos)
      << summary[0];
  EXPECT_EQ(summary[1], "Function type 3: first a horizontal segment, then sloping (method 2)");
  const std::string json = ResultJsonText(r, d.options, ResultFiles{});
  EXPECT_NE(json.find("\"analysis\": \"partial\""), std::string::npos);
  EXPECT_NE(json.find("\"level_stretch\""), std::string::npos);
  EXPECT_NE(json.find("\"three_piece\": null"), std::string::npos);
}

TEST(PartialRun, NegativeThresholdsOfBothEndsReachTheAnovaTable) {
  // Level at 5 up to X = -85, rising to 15 at X = -65, level beyond: both thresholds are
  // negative and fill all places of their fields in the variance file, which its own ANOVA
  // must still read.
  PartialDispatch d;
  std::vector<double> y, x;
  const double wobble[] = {0.03, -0.02, 0.01, -0.04, 0.025, 0.0, -0.015};
  for (int i = 0; i < 50; ++i) {
    x.push_back(i - 100.0);
    const double base = i <= 15 ? 5 : i <= 35 ? 5 + 0.5 * (i - 15) : 15;
    y.push_back(base + wobble[i % 7]);
  }
  d.Load(y, x);
  d.Run();
  ASSERT_FALSE(d.options.AnalysisFailed);
  EXPECT_TRUE(d.dialogs.Messages().empty()) << d.dialogs.Messages().front();
  EXPECT_TRUE(d.Progressed(" Anova table ...."));
  const RunResult& r = d.data.Result;
  ASSERT_TRUE(r.LevelStretch.has_value());
  ASSERT_TRUE(r.LevelStretch->ThreePiece);
  EXPECT_LT(r.LevelStretch->ThresholdLow, -80);
  EXPECT_LT(r.LevelStretch->ThresholdHigh, -60);
  const std::vector<std::string> table = test::ReadLines(d.dir / "run.var");
  ASSERT_FALSE(table.empty());
  EXPECT_EQ(table[0].substr(0, 44), " Variance Analysis, ANOVA table, Regression ");
  EXPECT_FALSE(r.Anova.empty());
}

TEST(PartialRun, NoVariationInXStopsBeforeTheAnova) {
  PartialDispatch d;
  std::vector<double> y, x;
  for (int i = 0; i < 20; ++i) {
    x.push_back(5 + i * 1e-5);
    y.push_back(i);
  }
  d.Load(y, x);
  d.Run();
  EXPECT_TRUE(d.options.AnalysisFailed);
  EXPECT_FALSE(d.options.CurveAbort);
  EXPECT_FALSE(d.Progressed(" Anova table ...."));
  // One message only: the analysis's own, not a complaint about a missing variance file.
  EXPECT_EQ(d.dialogs.Messages(),
            std::vector<std::string>{"The database is not fit for regression analysis. There is no "
                                     "variation in X-values. Please correct the input file."});
  EXPECT_FALSE(std::filesystem::exists(d.dir / "run.var"));
}

TEST(PartialRun, ScarceXValuesSendTheUserBack) {
  PartialDispatch d;
  std::vector<double> y, x;
  for (int i = 0; i < 30; ++i) {
    x.push_back(i % 9);
    y.push_back(i);
  }
  d.Load(y, x);
  d.Run();
  EXPECT_TRUE(d.options.PartialFailed);
  EXPECT_TRUE(d.options.CurveAbort);
  EXPECT_FALSE(d.options.IrregularX);
  EXPECT_FALSE(d.Progressed(" Anova table ...."));
  EXPECT_FALSE(std::filesystem::exists(d.dir / "run.out"));
}

}  // namespace
}  // namespace vornax
