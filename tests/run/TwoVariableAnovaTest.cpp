// Two-variable runs through the dispatcher and on into their ANOVA table: which blocks the table
// holds when both stages, one of them or neither has a breakpoint, and the sums of squares it
// shows against values computed from the data.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "data/DataSet.h"
#include "data/NumberFormat.h"
#include "data/RunOptions.h"
#include "run/RunAnalysis.h"
#include "support/TestSupport.h"

namespace vornax {
namespace {

struct Outcome {
  std::vector<std::string> table;
  std::vector<std::string> labels;  // the lines naming a block, in order
  RunOptions options;
  double sst = 0;
};

// Every X of 0, 10, ..., 100 with every Z of 0, 5, ..., 50, Y = f(X) + g(Z) + a fixed wobble.
Outcome RunTrial(const std::function<double(double)>& f, const std::function<double(double)>& g) {
  test::TempDir dir;
  TDMVornax data;
  data.FileName = (dir / "trial.inp").string();
  data.NrOfVarInData = data.NrOfVar = 2;
  data.Resize(121);
  data.GridRowCount = 121;
  size_t k = 0;
  long double sum = 0;
  for (int i = 0; i <= 10; ++i) {
    for (int j = 0; j <= 10; ++j, ++k) {
      const double x = 10.0 * i, z = 5.0 * j;
      data.XData[k] = x;
      data.ZData[k] = z;
      data.YData[k] = f(x) + g(z) + 0.05 * (static_cast<double>((k * 7) % 11) - 5);
      sum += data.YData[k];
    }
  }
  Outcome o;
  for (long double y : data.YData) o.sst += static_cast<double>((y - sum / 121) * (y - sum / 121));
  test::RecordingDialogs dialogs;
  char separator = '.';
  RunAnalysis(data, o.options, dialogs, separator, DefaultAnalysisTable());
  EXPECT_FALSE(o.options.AnalysisFailed);
  o.table = test::ReadLines(dir / "trial.var");
  for (const std::string& line : o.table) {
    if (line.rfind(" lin. r", 0) == 0 || line.find("breakpoint ") != std::string::npos ||
        line.find("break-point ") != std::string::npos || line.rfind(" residuals on", 0) == 0) {
      o.labels.push_back(line.substr(0, line.find("  ")));
    }
  }
  return o;
}

double Type3(double x) { return x < 40 ? 10 : 10 + 0.5 * (x - 40); }
double Type4(double z) { return z < 30 ? z / 5 : 6; }

TEST(TwoVariableAnova, BothStagesBroken) {
  const Outcome o = RunTrial(Type3, Type4);
  ASSERT_FALSE(o.table.empty());
  EXPECT_EQ(o.table[0], " Variance Analysis, ANOVA table, Regression Types: 1st Type: 3, 2nd Type: 4");
  EXPECT_EQ(o.table[3], " Sum[(Y-Av.Y)sq.] =" + FormatFixed(o.sst, 12, 3) +
                            "  (total sum of squares of deviations)");
  EXPECT_EQ(o.table[5], " Total nr. of data  =     121");
  EXPECT_EQ(o.labels, (std::vector<std::string>{" lin. regr. X", " X-breakpoint", " lin. reg. of",
                                                " residuals on Z", " Z-breakpoint"}));
  // The breakpoint rows of types 3 and 4 carry 3 and N - 5 degrees of freedom.
  int bpRows = 0;
  for (const std::string& line : o.table) {
    if (line.find("breakpoint") != std::string::npos) {
      EXPECT_NE(line.find("F(3,116)="), std::string::npos) << line;
      ++bpRows;
    }
  }
  EXPECT_EQ(bpRows, 2);
}

TEST(TwoVariableAnova, OnlyTheFirstStageBroken) {
  const Outcome o = RunTrial(Type3, [](double z) { return 0.2 * z; });
  ASSERT_FALSE(o.table.empty());
  EXPECT_EQ(o.options.FirstStageType, 3);
  EXPECT_EQ(o.options.SecondStageType, 1);
  EXPECT_EQ(o.labels, (std::vector<std::string>{" lin. regr. X", " X-breakpoint", " lin. reg. of",
                                                " residuals on Z"}));
}

TEST(TwoVariableAnova, OnlyTheSecondStageBroken) {
  // Z carries most of Y on a straight line and comes first; X adds a level step (type 5).
  const Outcome o = RunTrial([](double x) { return x < 50 ? 0 : 3; }, [](double z) { return 0.8 * z; });
  ASSERT_FALSE(o.table.empty());
  EXPECT_EQ(o.options.FirstStageType, 1);
  EXPECT_EQ(o.options.SecondStageType, 5);
  EXPECT_EQ(o.table[0], " Variance Analysis, ANOVA table, Regression Types: 1st Type: 1, 2nd Type: 5");
  EXPECT_EQ(o.labels, (std::vector<std::string>{" lin. regr. Z", " lin. reg. of",
                                                " residuals on X", " X-breakpoint"}));
  // Type 5 adds 2 degrees of freedom against N - 4 in the two-variable table.
  bool found = false;
  for (const std::string& line : o.table) found = found || line.find("F(2,117)=") != std::string::npos;
  EXPECT_TRUE(found);
}

TEST(TwoVariableAnova, NeitherStageBroken) {
  const Outcome o = RunTrial([](double x) { return 0.3 * x; }, [](double z) { return -0.2 * z; });
  ASSERT_FALSE(o.table.empty());
  EXPECT_EQ(o.options.FirstStageType, 1);
  EXPECT_EQ(o.options.SecondStageType, 1);
  EXPECT_EQ(o.labels, (std::vector<std::string>{" lin. regr. X", " lin. reg. of",
                                                " residuals on Z"}));
  EXPECT_EQ(o.table.back().rfind(" See also ", 0), 0u);
}

}  // namespace
}  // namespace vornax
