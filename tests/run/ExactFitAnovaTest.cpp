// An exact straight-line fit carried on to its ANOVA table. The one-variable fuzz target found
// that the variance analysis refused the run's own variance file as damaged, because the
// residual sum of squares arrived as -8.9E-18 instead of 0.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "anova/Anova.h"
#include "data/DataSet.h"
#include "data/RunOptions.h"
#include "regression/OneVariable.h"
#include "support/TestSupport.h"

namespace vornax {
namespace {

struct ExactRun {
  test::TempDir dir;
  TDMVornax data;
  RunOptions options;
  test::RecordingDialogs dialogs;

  explicit ExactRun(const std::vector<double>& y) {
    data.FileName = (dir / "exact.inp").string();
    data.Resize(static_cast<int32_t>(y.size()));
    data.GridRowCount = data.NrOfData;
    for (size_t i = 0; i < y.size(); ++i) {
      data.YData[i] = y[i];
      data.XData[i] = static_cast<double>(i + 1);
    }
  }
  std::vector<std::string> TableAfterRun() {
    RunOneVariable(data, options, dialogs);
    EXPECT_FALSE(options.AnalysisFailed);
    MakeSegmentedAnova(data, options, dialogs);
    return test::ReadLines(dir / "exact.var");
  }
};

bool Contains(const std::vector<std::string>& lines, const std::string& line) {
  for (const std::string& l : lines) {
    if (l == line) return true;
  }
  return false;
}

// Y = 0.1 + 0.7 X for X = 1..7 (values as typed, two decimals): SST = 0.49 * 28 = 13.72, all of
// it explained by the line, nothing left on 7 - 2 = 5 degrees of freedom.
TEST(ExactFitAnova, StraightLineGivesATableWithNothingUnexplained) {
  ExactRun run({0.80, 1.50, 2.20, 2.90, 3.60, 4.30, 5.00});
  const std::vector<std::string> table = run.TableAfterRun();
  EXPECT_TRUE(run.dialogs.Messages().empty())
      << (run.dialogs.Messages().empty() ? "" : run.dialogs.Messages()[0]);
  ASSERT_FALSE(table.empty());
  EXPECT_EQ(table[0], " Variance Analysis, ANOVA table, Regression Type: 1");
  EXPECT_TRUE(Contains(table, " Sum[(Y-Av.Y)sq.] =      13.720  (total sum of squares of deviations)"));
  EXPECT_TRUE(Contains(table, "       0.000              5          0.000"));
  EXPECT_EQ(table.back(), " See also the help functions on the Intro tabsheet");
}

// A Y without variation is told as such, not as a damaged file.
TEST(ExactFitAnova, ConstantYIsReportedAsNoVariation) {
  ExactRun run({2.46, 2.46, 2.46, 2.46, 2.46, 2.46, 2.46});
  run.TableAfterRun();
  EXPECT_EQ(run.dialogs.Messages(),
            std::vector<std::string>{"There is no variation. Variance analysis is not done."});
}

}  // namespace
}  // namespace vornax
