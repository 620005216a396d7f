// The ANOVA tables, from variance files written by hand in the layouts the analyses write.
// Whole tables are compared with tests/golden/anova_*.txt, whose numbers were worked out apart
// from this program (SS / df, F = variance ratio, significance from the F distribution).
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "anova/Anova.h"
#include "anova/AnovaTable.h"
#include "data/TextFile.h"
#include "support/TestSupport.h"

namespace vornax {
namespace {

using test::RecordingDialogs;

// One run of the variance analysis in a fresh folder.
class AnovaRun : public ::testing::Test {
 protected:
  std::filesystem::path VarPath() const { return dir_ / "sample.var"; }

  void WriteVar(const std::vector<std::string>& lines, const std::string& end = "\r\n") {
    std::string bytes;
    for (const std::string& line : lines) bytes += line + end;
    test::WriteFileBytes(VarPath(), bytes);
  }

  std::vector<std::string> Segmented() {
    data_.FileName = (dir_ / "sample.out").string();
    MakeSegmentedAnova(data_, options_, dialogs_);
    return test::ReadLines(VarPath());
  }
  std::vector<std::string> Curve() {
    data_.FileName = (dir_ / "sample.out").string();
    MakeCurveAnova(data_, options_, dialogs_);
    return test::ReadLines(VarPath());
  }

  // The golden table with the file name of this run.
  std::vector<std::string> Golden(const std::string& name) const {
    std::vector<std::string> lines = test::GoldenLines(name);
    for (std::string& line : lines) {
      if (line == " File Name : <VARFILE>") line = " File Name : " + PathText(VarPath());
    }
    return lines;
  }

  static int Count(const std::vector<std::string>& lines, const std::string& text) {
    return static_cast<int>(std::count(lines.begin(), lines.end(), text));
  }

  // A variance file that must stay exactly as it was, with one message naming it.
  void ExpectRefused(const std::string& before, const std::string& messagePart) {
    EXPECT_EQ(test::ReadFileBytes(VarPath()), before);
    ASSERT_EQ(dialogs_.Messages().size(), 1u);
    EXPECT_NE(dialogs_.Messages()[0].find(messagePart), std::string::npos)
        << dialogs_.Messages()[0];
    EXPECT_NE(dialogs_.Messages()[0].find("\"" + PathText(VarPath()) + "\""), std::string::npos)
        << dialogs_.Messages()[0];
  }

  test::TempDir dir_;
  TDMVornax data_;
  RunOptions options_;
  RecordingDialogs dialogs_;
};

// ---- whole tables ----

TEST_F(AnovaRun, TypeOneGivesTheStraightLineBlockOnly) {
  WriteVar({" 1", "   15", " 1.200000000000000E+002", " 9.000000000000000E+001", " -99999"});
  options_.FoundType = 1;
  EXPECT_EQ(Segmented(), Golden("anova_type1.txt"));
  EXPECT_TRUE(dialogs_.Messages().empty());
  // Written with CR LF, every line.
  const std::string bytes = test::ReadFileBytes(VarPath());
  EXPECT_EQ(std::count(bytes.begin(), bytes.end(), '\n'),
            std::count(bytes.begin(), bytes.end(), '\r'));
  EXPECT_NE(bytes.find(")=\r\n"), std::string::npos);
}

TEST_F(AnovaRun, TypeThreeAddsTheExtraAndTotalBlocks) {
  WriteVar({" 1", "   20", " 5.000000000000000E+002", " 2.000000000000000E+002",
            "      12.500", " 1.200000000000000E+002"});
  options_.FoundType = 3;
  options_.ConfidenceT = 2.5;  // 98 %: the extra row's 98.3 % is within one point of it
  EXPECT_EQ(Segmented(), Golden("anova_type3.txt"));
  EXPECT_TRUE(dialogs_.Messages().empty());
  EXPECT_FALSE(options_.AnovaWarned);
}

TEST_F(AnovaRun, TwoVariablesWithBothStagesBroken) {
  WriteVar({"    2", "   30", " 1.000000000000000E+003", " 4.000000000000000E+002", "    1",
            "     5.500", " 3.000000000000000E+002", " 2.500000000000000E+002", "     7.250",
            " 2.000000000000000E+002"});
  options_.FirstStageType = 3;
  options_.SecondStageType = 5;
  options_.ConfidenceT = 1.75;
  EXPECT_EQ(Segmented(), Golden("anova_twovar.txt"));
  EXPECT_EQ(data_.NrOfVar, 2);
  EXPECT_TRUE(dialogs_.Messages().empty());
}

TEST_F(AnovaRun, QuadraticCurveWithoutTransformation) {
  WriteVar({" 1", "   12", " 8.000000000000000E+001", " 3.000000000000000E+001",
            " 2.50000000000000E+0000", "      20.000"});
  options_.CurveQuadratic = true;
  options_.CurveExponent = 1;
  options_.ConfidenceT = 1.75;
  EXPECT_EQ(Curve(), Golden("anova_quadratic.txt"));
  // 83.9 % is below 90 - 1: the curve's warning, once.
  ASSERT_EQ(dialogs_.Messages().size(), 1u);
  EXPECT_EQ(dialogs_.Messages()[0],
            "Please check the Anova table: the significance of the extra explanation by the curve "
            "is less than that given in the input tabsheet. Although the regression type obeys "
            "the specified significance, the effect of the introduction of the curve is not "
            "overwhelming.");
  EXPECT_TRUE(options_.AnovaWarned);
}

TEST_F(AnovaRun, QuadraticCurveWithTransformation) {
  WriteVar({" 1", "   12", " 8.000000000000000E+001", " 3.000000000000000E+001", "3.5E+0000",
            "      20.000"});
  options_.CurveQuadratic = true;
  options_.CurveExponent = 0.5;
  options_.AnovaWarned = true;  // already warned in this run: no second box
  EXPECT_EQ(Curve(), Golden("anova_quadratic_transformed.txt"));
  EXPECT_TRUE(dialogs_.Messages().empty());
}

// ---- captions and printed values ----

TEST_F(AnovaRun, SecondDegreeOfFreedomWidthFollowsN) {
  WriteVar({" 1", "    8", "   1.20E+002", "   9.00E+001", " -99999"}, "\n");  // LF, 3 digits
  const auto lines = Segmented();
  EXPECT_EQ(Count(lines, "  lin. regr.                                   F(1,6)="), 1);
  // 30 / (90 / 6) = 2, F(1,6) = 2 is 79.3 % (even nu2: exact).
  EXPECT_EQ(Count(lines, "      30.000              1         30.000       2.000         79.3 %"),
            1);
}

TEST_F(AnovaRun, SeveralValuesOnALineReadTheFirst) {
  // Both thresholds of a partial regression that found two horizontal stretches: apart by
  // blanks, or (as older files have them) a negative value filling its 22 places right after
  // the first, which is then read by position.
  for (const char* thresholds :
       {"      12.500      14.250", "-7.80550000000000E+001 -6.18300000000000E+001",
        "-7.80550000000000E+001-6.18300000000000E+001",
        " 7.80550000000000E+001-6.18300000000000E+001"}) {
    SCOPED_TRACE(thresholds);
    dialogs_.events.clear();
    WriteVar({" 1", "   20", " 5.000000000000000E+002", " 2.000000000000000E+002", thresholds,
              " 1.200000000000000E+002"});
    options_.FoundType = 3;
    options_.ConfidenceT = 2.5;
    EXPECT_EQ(Segmented(), Golden("anova_type3.txt"));
    EXPECT_TRUE(dialogs_.Messages().empty());
  }
}

TEST_F(AnovaRun, TotalRowIsJudgedOnTheFitsResidualDegreesOfFreedom) {
  // The "total" row's F divides by the fit's residual variance, so its caption and significance
  // carry the fit's residual degrees of freedom (N - 4, N - 3, N - 5 by type). Lines from
  // tests/golden/anova_reference.py totals (significance by the incomplete beta function).
  struct Case {
    int type, n;
    const char *sst, *ssLin, *ssSeg, *caption, *numbers;
  };
  const Case cases[] = {
      {3, 20, "500", "200", "120", "F(3,16)=",
       "     380.000              3        126.667      16.889         99.9 %"},
      {4, 26, "39364.972", "30000", "23763.652", "F(3,22)=",
       "   15601.320              3       5200.440       4.814         99.0 %"},
      {5, 26, "300", "250", "210", "F(2,23)=",
       "      90.000              2         45.000       4.929         98.3 %"},
      {2, 30, "1000", "700", "600", "F(4,25)=",
       "     400.000              4        100.000       4.167         99.0 %"},
      {6, 17, "90", "70", "55", "F(4,12)=",
       "      35.000              4          8.750       1.909         82.6 %"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.type);
    WriteVar({" 1", " " + std::to_string(c.n), c.sst, c.ssLin, "      12.500", c.ssSeg});
    options_.FoundType = c.type;
    options_.AnovaWarned = true;
    const auto lines = Segmented();
    const auto total = std::find(lines.begin(), lines.end(), " total expl. by");
    ASSERT_GE(lines.end() - total, 3);
    EXPECT_EQ(total[1], std::string("  break-point                                 ") + c.caption);
    EXPECT_EQ(total[2], c.numbers);
    const auto& rows = data_.Result.Anova;
    ASSERT_FALSE(rows.empty());
    EXPECT_EQ(rows.back().Df2, rows[rows.size() - 2].Df2);
  }
}

TEST(AnovaRows, SignificanceIsPrintedBetweenPointOneAndNinetyNinePointNine) {
  RunOptions options;
  RecordingDialogs dialogs;
  AnovaTableWriter table(13, 100, ExtraSource::Breakpoint, options, dialogs);
  options.AnovaWarned = true;
  table.TotalRow = true;
  // 99.995 % is kept as 99.99 and printed as 99.9; 0.02 % as 0.1.
  table.WriteExtraRows(2, 10, "  break-point", 1, 62.6, 0.2,
                       FTest{31.3, FProbability(2, 10, 31.3)});
  table.WriteExtraRows(2, 10, "  break-point", 1, 0.00004, 0.2,
                       FTest{0.0002, FProbability(2, 10, 0.0002)});
  const auto& lines = table.Lines();
  ASSERT_EQ(lines.size(), 8u);
  EXPECT_EQ(lines[3], "      62.600              2         31.300      31.300         99.9 %");
  EXPECT_EQ(lines[7], "       0.000              2          0.000       0.000          0.1 %");
}

// ---- sound results where the raw numbers would mislead ----

TEST_F(AnovaRun, ExactFitTakesTheFixedF) {
  // The segmented fit is exact but for a rounding residue; F would have 30-odd digits.
  WriteVar({" 1", "   20", " 5.000000000000000E+002", " 2.000000000000000E+002",
            "      12.500", " 1.000000000000000E-028"});
  options_.FoundType = 3;
  const auto lines = Segmented();
  EXPECT_EQ(Count(lines, "     200.000              2        100.000 1000000.000         99.9 %"),
            1);
  EXPECT_EQ(Count(lines, "     500.000              3        166.667 1000000.000         99.9 %"),
            1);
}

TEST_F(AnovaRun, AnExactFitIsAsSignificantAsCanBeWhereItsSourceExplainsSomething) {
  // Y = X exactly: the line explains everything, so its F is the exact fit's, not a tiny one;
  // a breakpoint added to such a line explains nothing and is not significant.
  struct Case {
    std::vector<std::string> var;
    int type;
    std::string row;
  };
  for (const Case& c : std::vector<Case>{
           {{" 1", "   15", " 1.200000000000000E+002", " 1.000000000000000E-027", " -99999"},
            1,
            "     120.000              1        120.000 1000000.000         99.9 %"},
           {{" 1", "   20", " 5.000000000000000E+002", " 1.000000000000000E-027", "      12.500",
             " 1.000000000000000E-028"},
            3,
            "       0.000              2          0.000       0.000          0.1 %"}}) {
    WriteVar(c.var);
    options_.FoundType = c.type;
    EXPECT_EQ(Count(Segmented(), c.row), 1) << c.row;
  }
}

TEST_F(AnovaRun, NoResidualDegreesOfFreedomGiveNoTest) {
  // Four data and a type-2 fit: N - 5 = -1 and N - 4 = 0 residual degrees of freedom.
  WriteVar({" 1", "    4", " 1.000000000000000E+001", " 4.000000000000000E+000",
            "       2.000", " 1.000000000000000E+000"});
  options_.FoundType = 2;
  options_.ConfidenceT = 2.5;
  const auto lines = Segmented();
  EXPECT_EQ(Count(lines, "  break-point                                 F(3,0)="), 1);
  EXPECT_EQ(Count(lines, "  break-point                                 F(4,0)="), 1);
  EXPECT_EQ(Count(lines, "       3.000              3          1.000        n.a.         n.a."), 1);
  EXPECT_EQ(Count(lines, "       9.000              4          2.250        n.a.         n.a."), 1);
  EXPECT_EQ(Count(lines, "       1.000              0           n.a."), 1);
  for (const std::string& line : lines) {
    EXPECT_EQ(line.find("nan"), std::string::npos) << line;
    EXPECT_EQ(line.find("inf"), std::string::npos) << line;
  }
  // The straight line still has its two degrees of freedom and test: 6 / (4 / 2) = 3.
  EXPECT_EQ(Count(lines, "       6.000              1          6.000       3.000         77.5 %"),
            1);
  EXPECT_TRUE(dialogs_.Messages().empty());  // no test, no warning
}

TEST_F(AnovaRun, TwoVariableRowsUseTheFullDispatch) {
  // N = 11: F(1, 9) has both degrees of freedom odd; 30 / (90 / 9) = 3 is 88.27 % (mpmath).
  WriteVar({"    2", "   11", " 1.200000000000000E+002", " 9.000000000000000E+001", "    1",
            " -99999", " 9.000000000000000E+001", " 4.500000000000000E+001", " -99999"});
  options_.FirstStageType = 1;
  options_.SecondStageType = 1;
  const auto lines = Segmented();
  EXPECT_EQ(Count(lines, " lin. regr. X                                  F(1, 9)="), 1);
  EXPECT_EQ(Count(lines, "      30.000              1         30.000       3.000         88.3 %"),
            1);
  // Second line: 45 / (45 / 9) = 9, F(1, 9) = 9 is 98.50 %.
  EXPECT_EQ(Count(lines, "      45.000              1         45.000       9.000         98.5 %"),
            1);
  EXPECT_EQ(Count(lines, " extra expl. by"), 0);
}

// ---- the two-variable combinations ----

TEST_F(AnovaRun, TwoVariablesZFirstWithOnlyTheFirstStageBroken) {
  WriteVar({"    2", "   30", " 1.000000000000000E+003", " 4.000000000000000E+002", "    2",
            "     5.500", " 3.000000000000000E+002", " 2.500000000000000E+002", " -99999"});
  options_.FirstStageType = 6;
  options_.SecondStageType = 1;
  options_.AnovaWarned = true;
  const auto lines = Segmented();
  EXPECT_EQ(lines[0],
            " Variance Analysis, ANOVA table, Regression Types: 1st Type: 6, 2nd Type: 1");
  EXPECT_EQ(Count(lines, " lin. regr. Z                                  F(1,28)="), 1);
  // Types 2 and 6: 4 and N - 6; 25 / (300 / 24) = 2.
  EXPECT_EQ(Count(lines, " Z-break-point                                 F(4,24)="), 1);
  EXPECT_EQ(Count(lines, "     100.000              4         25.000       2.000         87.3 %"),
            1);
  EXPECT_EQ(Count(lines, " residuals on X                                F(1,28)="), 1);
  EXPECT_EQ(Count(lines, " X-breakpoint                                 F(2,26)="), 0);
  EXPECT_EQ(Count(lines, " extra expl. by"), 1);
}

TEST_F(AnovaRun, TwoVariablesWithOnlyTheSecondStageBroken) {
  WriteVar({"    2", "   30", " 1.000000000000000E+003", " 4.000000000000000E+002", "    1",
            " -99999", " 4.000000000000000E+002", " 2.500000000000000E+002", "     7.250",
            " 2.000000000000000E+002"});
  options_.FirstStageType = 1;
  options_.SecondStageType = 4;
  options_.AnovaWarned = true;
  const auto lines = Segmented();
  EXPECT_EQ(Count(lines, " X-breakpoint                                 F(3,25)="), 0);
  // Types 3 and 4: 3 and N - 5; (50 / 3) / (200 / 25) = 2.083.
  EXPECT_EQ(Count(lines, " Z-breakpoint                                 F(3,25)="), 1);
  EXPECT_EQ(Count(lines, "      50.000              3         16.667       2.083         87.2 %"),
            1);
  EXPECT_EQ(Count(lines, " extra expl. by"), 1);
}

TEST_F(AnovaRun, UnmarkedStagesHaveNoRows) {
  WriteVar({"    2", "   30", " 1.000000000000000E+003", " 4.000000000000000E+002", "    1",
            " -99999", " 4.000000000000000E+002", " 2.500000000000000E+002", " -99999"});
  options_.SecondStagePresent = false;
  const auto lines = Segmented();
  EXPECT_EQ(Count(lines, " explained by"), 1);
  EXPECT_EQ(Count(lines, " lin. reg. of"), 0);
}

// ---- the low-significance message ----

TEST_F(AnovaRun, WeakBreakpointWarnsOncePerRun) {
  // Both breakpoints below 95 - 1 (93.8 % and 94.5 % in the golden table are not; these are).
  WriteVar({"    2", "   30", " 1.000000000000000E+003", " 4.000000000000000E+002", "    1",
            "     5.500", " 3.800000000000000E+002", " 2.500000000000000E+002", "     7.250",
            " 2.400000000000000E+002"});
  options_.FirstStageType = 3;
  options_.SecondStageType = 5;
  options_.ConfidenceT = 2.1;
  Segmented();
  const std::string warning =
      "Please check the Anova table: the significance of the extra explanation by the "
      "breakpoint is less than that given in the input tabsheet. Although the regression type "
      "obeys the specified significance, the effect of the introduction of the breakpoint is "
      "not overwhelming.";
  EXPECT_EQ(dialogs_.Messages(), std::vector<std::string>{warning});
}

// ---- curves ----

TEST_F(AnovaRun, CurveWorseThanTheLineHasTheNegativeF) {
  WriteVar({" 1", "   13", " 8.000000000000000E+001", " 3.000000000000000E+001", "1.0E+0000",
            "      32.000"});
  options_.CurveSCurve = true;
  options_.AnovaWarned = true;
  const auto lines = Curve();
  EXPECT_EQ(lines[0], " Variance Analysis, ANOVA table, S-curve Regression");
  EXPECT_EQ(Count(lines, "  S-curve regr.                                 F(2,10)="), 1);
  EXPECT_EQ(Count(lines, "      -2.000              2         -1.000      -0.001          0.1 %"),
            1);
  // Total: 48 over 3 and N - 4 = 9: 16 / (32 / 9) = 4.5, F(3,9) = 96.57 % (mpmath).
  EXPECT_EQ(Count(lines, "      48.000              3         16.000       4.500         96.6 %"),
            1);
  EXPECT_EQ(lines.back(), "#");
}

TEST_F(AnovaRun, ExactCurveTakesTheCurveF) {
  WriteVar({" 1", "   12", " 8.000000000000000E+001", " 3.000000000000000E+001", "1.0E+0000",
            "       0.000"});
  options_.CurvePower = true;
  options_.CurveExponent = 0.7;
  const auto lines = Curve();
  EXPECT_EQ(lines[0], " Variance Analysis, ANOVA table, power Regression");
  EXPECT_EQ(Count(lines, "  power regr.                                 F(2, 9)="), 1);
  EXPECT_EQ(Count(lines, "      30.000              2         15.000    1000.000         99.9 %"),
            1);
}

TEST_F(AnovaRun, CurveTableWithoutACurveIsRefused) {
  WriteVar({" 1", "   12", " 8.000000000000000E+001", " 3.000000000000000E+001", "1.0E+0000",
            "      20.000"});
  const std::string before = test::ReadFileBytes(VarPath());
  Curve();
  EXPECT_EQ(test::ReadFileBytes(VarPath()), before);
  ASSERT_EQ(dialogs_.Messages().size(), 1u);
  EXPECT_EQ(dialogs_.Messages()[0].rfind("A program error occurred.", 0), 0u);
}

// ---- bad input: nothing is replaced ----

TEST_F(AnovaRun, NoVariationKeepsTheRawNumbers) {
  WriteVar({" 1", "   15", " 0.000000000000000E+000", " 0.000000000000000E+000", " -99999"});
  const std::string before = test::ReadFileBytes(VarPath());
  Segmented();
  EXPECT_EQ(test::ReadFileBytes(VarPath()), before);
  EXPECT_EQ(dialogs_.Messages(),
            std::vector<std::string>{"There is no variation. Variance analysis is not done."});
}

TEST_F(AnovaRun, MissingFileIsNamed) {
  Segmented();
  EXPECT_FALSE(std::filesystem::exists(VarPath()));
  ASSERT_EQ(dialogs_.Messages().size(), 1u);
  EXPECT_NE(dialogs_.Messages()[0].find("\"" + PathText(VarPath()) + "\""), std::string::npos);
  EXPECT_TRUE(std::filesystem::is_empty(dir_.path()));
}

TEST_F(AnovaRun, TruncatedFileIsRefused) {
  // A breakpoint but no segmented sum of squares.
  WriteVar({" 1", "   20", " 5.000000000000000E+002", " 2.000000000000000E+002", "      12.500"});
  const std::string before = test::ReadFileBytes(VarPath());
  options_.FoundType = 3;
  Segmented();
  ExpectRefused(before, "incomplete");
}

TEST_F(AnovaRun, NonNumericValuesAreRefused) {
  const std::vector<std::pair<std::vector<std::string>, std::string>> cases = {
      {{" 1", "   15", " 1.2E+002", " abc", " -99999"}, "line 4"},
      {{" 1", "   15", " nan", " 9.0E+001", " -99999"}, "line 3"},
      {{" 1", "   15", " 1.2E+002", "", " -99999"}, "line 4"},
      {{" 1", "  1.5", " 1.2E+002", " 9.0E+001", " -99999"}, "line 2"},
      {{" 3", "   15", " 1.2E+002", " 9.0E+001", " -99999"}, "line 1"},
      {{" 1", "   15", " -1.2E+002", " 9.0E+001", " -99999"}, "line 3"},
      {{"    2", "   30", " 1.0E+003", " 4.0E+002", "    7"}, "line 5"},
  };
  for (const auto& [lines, where] : cases) {
    dialogs_.events.clear();
    WriteVar(lines);
    const std::string before = test::ReadFileBytes(VarPath());
    Segmented();
    ExpectRefused(before, where);
  }
}

TEST_F(AnovaRun, ATableIsNotMadeTwice) {
  WriteVar({" 1", "   15", " 1.200000000000000E+002", " 9.000000000000000E+001", " -99999"});
  Segmented();
  const std::string table = test::ReadFileBytes(VarPath());
  Segmented();
  ExpectRefused(table, "line 1");
}

TEST(AnovaFile, FailedRenameLeavesTheTargetAndNoTemporaryFile) {
  test::TempDir dir;
  // A folder with content cannot be replaced by a file.
  const auto target = dir / "blocked.var";
  std::filesystem::create_directory(target);
  test::WriteFileBytes(target / "keep.txt", "kept");
  RecordingDialogs dialogs;
  EXPECT_FALSE(ReplaceVarianceFile(target, {" table"}, dialogs));
  EXPECT_EQ(dialogs.Messages(), std::vector<std::string>{"A file could not be renamed"});
  EXPECT_EQ(test::ReadFileBytes(target / "keep.txt"), "kept");
  int entries = 0;
  for (const auto& entry : std::filesystem::directory_iterator(dir.path())) {
    (void)entry;
    ++entries;
  }
  EXPECT_EQ(entries, 1);
}

}  // namespace
}  // namespace vornax
