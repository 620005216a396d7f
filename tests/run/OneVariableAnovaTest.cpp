// A one-variable run followed by its variance analysis: the sums of squares travel through the
// variance file without losing digits, and the table shows them.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "anova/Anova.h"
#include "data/DataSet.h"
#include "data/RunOptions.h"
#include "data/TextFile.h"
#include "regression/OneVariable.h"
#include "support/TestSupport.h"

namespace vornax {
namespace {

double FirstNumber(const std::string& line) {
  double value = 0;
  auto tokens = SplitTokens(line);
  EXPECT_TRUE(!tokens.empty() && ParseFiniteNumber(tokens[0], value)) << line;
  return value;
}

TEST(OneVariableAnova, ExtraSumOfSquaresKeepsItsDigits) {
  test::TempDir dir;
  TDMVornax data;
  RunOptions options;
  test::RecordingDialogs dialogs;
  data.FileName = (dir / "yield.inp").string();
  test::LoadGoldenThreshold(data);
  RunOneVariable(data, options, dialogs);
  ASSERT_FALSE(options.AnalysisFailed);
  ASSERT_EQ(options.FoundType, 3);

  // SSlin and SSseg as the variance file carries them, against the values computed
  // independently in 50-digit arithmetic (tests/golden/one_variable_reference.py).
  const auto raw = test::ReadLines(dir / "yield.var");
  ASSERT_EQ(raw.size(), 6u);
  const double ssLin = FirstNumber(raw[3]);
  const double ssSeg = FirstNumber(raw[5]);
  const double expectedExtra = 89.8047489803485418 - 0.513917427194949519;
  EXPECT_NEAR((ssLin - ssSeg) / expectedExtra, 1.0, 1e-9);

  MakeSegmentedAnova(data, options, dialogs);
  const auto table = test::ReadLines(dir / "yield.var");
  ASSERT_GT(table.size(), 30u);
  EXPECT_EQ(table[0], " Variance Analysis, ANOVA table, Regression Type: 3");
  // SST, the straight line with F(1,28), the breakpoint's extra and total rows.
  EXPECT_EQ(table[3], " Sum[(Y-Av.Y)sq.] =     415.275  (total sum of squares of deviations)");
  EXPECT_EQ(table[12], "  lin. regr.                                   F(1,28)=");
  EXPECT_EQ(table[13].substr(0, 12), "     325.471");
  EXPECT_EQ(table[17].substr(0, 12), "      89.805");
  EXPECT_EQ(table[20], "  break-point                                 F(2,26)=");
  EXPECT_EQ(table[21].substr(0, 12), "      89.291");
  EXPECT_EQ(table[25].substr(0, 12), "       0.514");
  EXPECT_EQ(table[28], "  break-point                                 F(3,26)=");
  EXPECT_EQ(table[29].substr(0, 12), "     414.761");
  EXPECT_TRUE(dialogs.Messages().empty());
}

}  // namespace
}  // namespace vornax
