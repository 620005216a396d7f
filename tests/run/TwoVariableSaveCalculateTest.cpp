// "Save-Calculate" with two independent columns analysed together: weight factors replicate data
// sets before the run, and the report, its data table and the ANOVA table count the copies.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "run/SaveCalculate.h"
#include "support/TestSupport.h"

namespace vornax {
namespace {

TEST(TwoVariableSaveCalculate, WeightFactorsReplicateDataSets) {
  test::TempDir dir;
  Session session;
  test::RecordingDialogs dialogs;
  session.Options.WeightsUsed = true;
  GridInput g;
  g.Title1 = "Weighted trial";
  g.Title2 = "Y, X, Z and weights";
  g.NrOfVarInData = 2;
  g.Option = VarChoice::Both;
  for (int i = 0; i < 12; ++i) {
    const double x = i, z = (i * 5) % 12;
    const double y = 2 * x + 0.5 * z + 0.1 * ((i * 7) % 3);
    g.Rows.push_back({std::to_string(i + 1), std::to_string(y), std::to_string(x),
                      std::to_string(z), i == 0 ? "3" : "1"});
  }
  g.NrOfData = g.GridRowCount = 12;
  const auto r = SaveCalculate(session, g, dir / "weighted.inp", dialogs);
  ASSERT_EQ(r.Outcome, SaveCalculateOutcome::Done) << dialogs.Messages().front();

  const auto out = test::ReadLines(dir / "weighted.out");
  ASSERT_GT(out.size(), 14u);
  // Fourteen data sets: the twelve as entered, then the two copies of the first.
  EXPECT_EQ(out[out.size() - 14].substr(0, 4), "   1");
  EXPECT_EQ(out.back().substr(0, 4), "  14");
  EXPECT_EQ(out.back().substr(4), out[out.size() - 14].substr(4));
  EXPECT_EQ(out[out.size() - 2].substr(4), out[out.size() - 14].substr(4));
  const auto table = test::ReadLines(dir / "weighted.var");
  ASSERT_GT(table.size(), 6u);
  EXPECT_EQ(table[0].rfind(" Variance Analysis, ANOVA table, Regression Types:", 0), 0u);
  EXPECT_EQ(table[5], " Total nr. of data  =      14");
  // The input file keeps the twelve data sets with their weights.
  const auto inp = test::ReadLines(dir / "weighted.inp");
  EXPECT_EQ(inp[4], " Number of data sets:  14");
}

}  // namespace
}  // namespace vornax
