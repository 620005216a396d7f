// Whole two-variable reports against golden files computed independently in 50-digit arithmetic
// (tests/golden/two_variable_reference.py), one for each calculation sequence.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "data/DataSet.h"
#include "data/RunOptions.h"
#include "data/TextFile.h"
#include "regression/TwoVariable.h"
#include "support/TestSupport.h"

namespace vornax {
namespace {

// The data of the reference script, built with the same double arithmetic.
void LoadSequence1(TDMVornax& data) {
  data.Resize(36);
  for (int i = 0; i < 36; ++i) {
    const double x = i;
    const double z = ((i * 11) % 36) / 4.0;
    const double w = static_cast<double>((i * 5) % 7 - 3) / 30;
    data.XData[static_cast<size_t>(i)] = x;
    data.ZData[static_cast<size_t>(i)] = z;
    data.YData[static_cast<size_t>(i)] = ((x < 15 ? 20 : 20 + 1.2 * (x - 15)) + 0.6 * z) + w;
  }
}

void LoadSequence2(TDMVornax& data) {
  data.Resize(36);
  for (int i = 0; i < 36; ++i) {
    const double z = i / 2.0;
    const double x = (i * 7) % 36;
    const double w = static_cast<double>((i * 3) % 5 - 2) / 25;
    data.XData[static_cast<size_t>(i)] = x;
    data.ZData[static_cast<size_t>(i)] = z;
    data.YData[static_cast<size_t>(i)] = ((z < 10 ? 5 + 2 * z : 25.0) + 0.1 * x) + w;
  }
}

// Lines must agree letter for letter, with one allowance: a number that is zero in exact
// arithmetic (the reference prints its 50-digit residue, like 2.78E-050) may be any rounding
// residue of the program's 64-bit arithmetic.
bool SameLine(const std::string& actual, const std::string& expected) {
  if (actual == expected) return true;
  const auto a = SplitTokens(actual), e = SplitTokens(expected);
  if (a.size() != e.size() || actual.size() != expected.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (a[i] == e[i]) continue;
    double av = 0, ev = 0;
    if (!ParseFiniteNumber(a[i], av) || !ParseFiniteNumber(e[i], ev)) return false;
    if (!(std::fabs(ev) < 1e-30 && std::fabs(av) < 1e-12)) return false;
  }
  return true;
}

void CompareWithGolden(void (*load)(TDMVornax&), const std::string& golden) {
  test::TempDir dir;
  TDMVornax data;
  RunOptions options;
  test::RecordingDialogs dialogs;
  load(data);
  data.GridRowCount = data.NrOfData;
  data.NrOfVarInData = data.NrOfVar = 2;
  data.FileName = (dir / "golden.inp").string();
  data.Title1 = "Golden test";
  data.Title2 = "Y, X and Z without units";
  RunTwoVariableRegression(data, options, dialogs);
  ASSERT_FALSE(options.AnalysisFailed);
  const auto actual = test::ReadLines(dir / "golden.out");
  std::vector<std::string> expected = test::GoldenLines(golden);
  ASSERT_FALSE(expected.empty());
  for (std::string& line : expected) {
    const auto at = line.find("@DIR@");
    if (at != std::string::npos) line.replace(at, 5, dir.path().string());
  }
  for (size_t i = 0; i < std::max(actual.size(), expected.size()); ++i) {
    const std::string a = i < actual.size() ? actual[i] : "<missing>";
    const std::string e = i < expected.size() ? expected[i] : "<missing>";
    EXPECT_TRUE(SameLine(a, e)) << "line " << i + 1 << "\n  actual:   " << a << "\n  expected: " << e;
  }
  // The run leaves the data sets where they were.
  TDMVornax fresh;
  load(fresh);
  EXPECT_EQ(data.XData, fresh.XData);
  EXPECT_EQ(data.ZData, fresh.ZData);
  EXPECT_EQ(data.YData, fresh.YData);
}

TEST(TwoVariableGolden, Sequence1XFirst) { CompareWithGolden(LoadSequence1, "two_variable_seq1.out"); }

TEST(TwoVariableGolden, Sequence2ZFirst) { CompareWithGolden(LoadSequence2, "two_variable_seq2.out"); }

}  // namespace
}  // namespace vornax
