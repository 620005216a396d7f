// A partial regression through the dispatch with the analyses this build contains: its ANOVA
// table, and the stops that must not reach the variance analysis.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "data/DataSet.h"
#include "data/RunOptions.h"
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
