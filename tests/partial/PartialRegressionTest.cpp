// The partial regression end to end: the report and scan table against independently computed
// golden files, thresholds checked by hand on noise-free data, both ends level, shifted and
// offset X, the refusals, and data sets that must move whole through the sort.
#include "partial/PartialRegression.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "data/DataSet.h"
#include "data/NumberFormat.h"
#include "data/RunOptions.h"
#include "data/TextFile.h"
#include "partial/PartialReport.h"
#include "support/TestSupport.h"

namespace vornax {
namespace {

using test::RecordingDialogs;
using test::TempDir;

struct PartialRun {
  TempDir dir;
  TDMVornax data;
  RunOptions options;
  RecordingDialogs dialogs;
  PartialResult result;
  bool done = false;

  PartialRun() {
    data.FileName = (dir / "run.inp").string();
    data.Title1 = "Partial golden test";
    data.Title2 = "Y against X";
  }
  void Load(const std::vector<double>& y, const std::vector<double>& x) {
    data.Resize(static_cast<int32_t>(y.size()));
    data.GridRowCount = static_cast<int32_t>(y.size());
    for (size_t i = 0; i < y.size(); ++i) {
      data.YData[i] = y[i];
      data.XData[i] = x[i];
    }
  }
  void Go() { done = RunPartialAnalysis(data, options, dialogs, result); }
  std::vector<std::string> Out() const { return test::ReadLines(dir / "run.out"); }
  std::vector<std::string> Var() const { return test::ReadLines(dir / "run.var"); }
  std::vector<std::string> Txt() const { return test::ReadLines(dir / "run.txt"); }
  bool Exists(const char* name) const { return std::filesystem::exists(dir / name); }
};

// The wobble of the golden data (tests/golden/partial_reference.py).
const double kWobble[] = {0.3, -0.2, 0.1, -0.4, 0.25, 0.0, -0.15, 0.35, -0.3, 0.2, -0.1, 0.05};

// X = 1..40: level at 10 up to X = 16, then rising by 0.5 per unit.
void LoadRising(PartialRun& run, double shift = 0) {
  std::vector<double> y, x;
  for (int i = 1; i <= 40; ++i) {
    x.push_back(i + shift);
    y.push_back(10 + (i > 16 ? 0.5 * (i - 16) : 0) + kWobble[i % 12] / 2);
  }
  run.Load(y, x);
}

// X = 0..39: falling by 0.4 per unit down to X = 24, then level at 4.
void LoadFalling(PartialRun& run, double shift = 0, double scale = 1) {
  std::vector<double> y, x;
  for (int i = 0; i < 40; ++i) {
    x.push_back(shift + scale * i);
    y.push_back((i < 24 ? 4 + 0.4 * (24 - i) : 4) + kWobble[(i * 5) % 12] / 2);
  }
  run.Load(y, x);
}

std::vector<std::string> Golden(const std::string& name, const std::filesystem::path& dir) {
  std::vector<std::string> lines = test::GoldenLines(name);
  for (std::string& line : lines) {
    const auto at = line.find("@DIR@");
    if (at != std::string::npos) line.replace(at, 5, dir.string());
  }
  return lines;
}

void ExpectSameLines(const std::vector<std::string>& actual,
                     const std::vector<std::string>& expected) {
  ASSERT_FALSE(expected.empty());
  for (size_t i = 0; i < std::max(actual.size(), expected.size()); ++i) {
    const std::string a = i < actual.size() ? actual[i] : "<missing>";
    const std::string e = i < expected.size() ? expected[i] : "<missing>";
    EXPECT_EQ(a, e) << "line " << i + 1;
  }
}

bool HasBadNumber(const std::vector<std::string>& lines) {
  for (const std::string& l : lines) {
    for (const char* bad : {"nan", "NaN", "inf", "Inf", "NAN", "INF"}) {
      if (l.find(bad) != std::string::npos) return true;
    }
  }
  return false;
}

TEST(PartialRegression, LevelThenRisingMatchesTheGoldenReportAndScanTable) {
  PartialRun run;
  LoadRising(run);
  run.Go();
  ASSERT_TRUE(run.done) << (run.dialogs.Messages().empty() ? "" : run.dialogs.Messages().front());
  EXPECT_EQ(run.result.ResultType, 3);
  EXPECT_TRUE(run.result.Found3);
  EXPECT_FALSE(run.result.Found4);
  EXPECT_NEAR(run.result.Breakpoint, 16.99, 1e-9);
  ExpectSameLines(run.Out(), Golden("partial_rising.out", run.dir.path()));
  ExpectSameLines(run.Txt(), Golden("partial_rising.txt", run.dir.path()));
  EXPECT_TRUE(run.dialogs.Messages().empty());
  EXPECT_EQ(run.options.FoundType, 3);
  EXPECT_EQ(run.data.FileName, (run.dir / "run.var").string());

  // The variance file: one variable, N, the totals, the threshold and the fit's residuals.
  const std::vector<std::string> var = run.Var();
  ASSERT_EQ(var.size(), 6u);
  EXPECT_EQ(var[0], " 1");
  EXPECT_EQ(var[1], "   40");
  double v = 0;
  ASSERT_TRUE(ParseFiniteNumber(SplitTokens(var[4]).front(), v));
  EXPECT_NEAR(v, 16.99, 1e-12);
  ASSERT_TRUE(ParseFiniteNumber(SplitTokens(var[5]).front(), v));
  EXPECT_NEAR(v, run.result.Final.SSDFinal[1] + run.result.Final.SSDFinal[2], 1e-9);
}

TEST(PartialRegression, SlopingThenLevelMatchesTheGoldenReportAndScanTable) {
  PartialRun run;
  LoadFalling(run);
  run.Go();
  ASSERT_TRUE(run.done);
  EXPECT_EQ(run.result.ResultType, 4);
  // The first "#" lies below X = 24; the walk carries the threshold past the data sets that
  // still lie above the level.
  EXPECT_EQ(run.result.Breakpoint, 25.0);
  ExpectSameLines(run.Out(), Golden("partial_falling.out", run.dir.path()));
  ExpectSameLines(run.Txt(), Golden("partial_falling.txt", run.dir.path()));
}

// Noise-free: Y = 5 up to X = 20, then rising by 0.5 per unit; X = 0..40. The grid steps by 0.2.
// A lower segment is exactly level while it holds no X above 20, that is up to the candidate
// 21.0 (X < BP), which is the threshold; the next candidate, 21.2, takes in Y = 5.5 at X = 21.
TEST(PartialRegression, NoiseFreeLevelThenRisingGivesTheHandCheckedThreshold) {
  PartialRun run;
  std::vector<double> y, x;
  for (int i = 0; i <= 40; ++i) {
    x.push_back(i);
    y.push_back(i <= 20 ? 5 : 5 + 0.5 * (i - 20));
  }
  run.Load(y, x);
  run.Go();
  ASSERT_TRUE(run.done);
  const PartialResult& r = run.result;
  EXPECT_EQ(r.ResultType, 3);
  EXPECT_EQ(r.ThresholdBP3, 21.0);
  // Exactly level data pass no inner companion test (it asks for a slope strictly inside a band
  // of zero width), so the inner companion stands at the threshold rather than at 0.
  EXPECT_EQ(r.BP3Inner, 21.0);
  // The lower segment X = 0..21 (candidates 21.2 to 22.0) has slope 0.5 * 10.5 * 21/22 / 885.5
  // and a slope deviation exactly 1/sqrt(3) of it: above 1.25 deviations ("o"), below 1.75
  // (the outer companion). With X = 22 included the ratio is 2.43.
  EXPECT_EQ(r.BP3Outer, 22.0);
  EXPECT_DOUBLE_EQ(r.StErrBreakpoint, 0.7);
  // The final function: level 5 below 21, then the line from (21, 5) through the average of
  // X = 21..40 (30.5, 10.25): slope 5.25 / 9.5.
  EXPECT_DOUBLE_EQ(r.As, 0.0);
  EXPECT_DOUBLE_EQ(r.Cs, 5.0);
  EXPECT_NEAR(r.Ag, 5.25 / 9.5, 1e-15);
  EXPECT_NEAR(r.Cg, 10.25 - 5.25 / 9.5 * 30.5, 1e-13);
  const std::vector<std::string> out = run.Out();
  const auto params = std::find(out.begin(), out.end(), " Parameters for function type 3 and method  2");
  ASSERT_NE(params, out.end());
  EXPECT_EQ(*(params + 3), "  St.Err.Slope>BPx       St.Err.BPx      St.Err.N</Nt    St.Err.Yi");
  EXPECT_EQ((params + 4)->substr(13, 21), "            7.00E-001");
  EXPECT_NE(std::find(out.begin(), out.end(), " Optimal breakpoint of X (BPx) : 2.100E+001"), out.end());
  EXPECT_NE(std::find(out.begin(), out.end(), "     As =  0.00E+000       Ag =  5.53E-001"), out.end());
  // Kept: 21 lies between the grid's 9.5 % (3.8) and 89.5 % (35.8) points.
  EXPECT_TRUE(run.Exists("run.txt"));
}

TEST(PartialRegression, ShiftedBelowZeroTheThresholdShiftsAlong) {
  PartialRun shifted;
  LoadRising(shifted, -50);
  shifted.Go();
  ASSERT_TRUE(shifted.done);
  // All X at or below zero: a threshold is known by being found, not by being positive.
  EXPECT_EQ(shifted.result.ResultType, 3);
  EXPECT_NEAR(shifted.result.Breakpoint, 16.99 - 50, 1e-9);
  EXPECT_NEAR(shifted.result.BP3Inner, 16.99 - 50, 1e-9);
  EXPECT_NEAR(shifted.result.BP3Outer, 17.965 - 50, 1e-9);
  EXPECT_NEAR(shifted.result.StErrBreakpoint, 0.7 * 0.975, 1e-9);
  const std::vector<std::string> out = shifted.Out();
  EXPECT_NE(std::find(out.begin(), out.end(), " Optimal breakpoint of X (BPx) :-3.301E+001"),
            out.end());

  PartialRun falling;
  LoadFalling(falling, -100);
  falling.Go();
  ASSERT_TRUE(falling.done);
  EXPECT_EQ(falling.result.ResultType, 4);
  EXPECT_NEAR(falling.result.Breakpoint, 25.0 - 100, 1e-9);
}

TEST(PartialRegression, CompanionsOfALevelTopStayNearItsThresholdFarFromZero) {
  // X from 1000 to 1009.75: the falling case squeezed to a quarter and moved up.
  PartialRun run;
  LoadFalling(run, 1000, 0.25);
  run.Go();
  ASSERT_TRUE(run.done);
  const PartialResult& r = run.result;
  ASSERT_EQ(r.ResultType, 4);
  EXPECT_NEAR(r.Breakpoint, 1000 + 0.25 * 25, 1e-9);
  // The golden falling case has BP4Low 23.8495 and BP4High 25; everything scales along.
  EXPECT_NEAR(r.BP4Low, 1000 + 0.25 * 23.8495, 1e-9);
  EXPECT_NEAR(r.BP4High, 1000 + 0.25 * 25, 1e-9);
  EXPECT_NEAR(r.StErrBreakpoint, 0.7 * 0.25 * (25 - 23.8495), 1e-9);
  EXPECT_FALSE(HasBadNumber(run.Out()));
}

// Level at 5 up to X = 15, rising by 0.5 per unit to X = 35, level at 15 beyond; X = 0..49.
TEST(PartialRegression, BothEndsLevelGiveTheThreePieceFunction) {
  PartialRun run;
  std::vector<double> y, x;
  for (int i = 0; i < 50; ++i) {
    x.push_back(i);
    const double base = i <= 15 ? 5 : i <= 35 ? 5 + 0.5 * (i - 15) : 15;
    y.push_back(base + kWobble[i % 12] / 10);
  }
  run.Load(y, x);
  run.Go();
  ASSERT_TRUE(run.done);
  const PartialResult& r = run.result;
  ASSERT_TRUE(r.Found3);
  ASSERT_TRUE(r.Found4);
  ASSERT_TRUE(r.BothHorizontal);
  EXPECT_LT(r.ThresholdBP3, r.ThresholdBP4);
  EXPECT_NEAR(r.ThresholdBP3, 16, 1.5);
  EXPECT_NEAR(r.ThresholdBP4, 35, 1.5);
  const ThreePieceFunction& t = r.ThreePiece;
  // The levels are the averages of the level stretches; the middle line follows the rise.
  EXPECT_NEAR(t.Level3, 5, 0.05);
  EXPECT_NEAR(t.Level4, 15, 0.05);
  EXPECT_NEAR(t.MiddleSlope, 0.5, 0.02);
  // Its residual sum of squares, worked out here from the pieces.
  double ssd = 0;
  for (size_t i = 0; i < x.size(); ++i) {
    double f = x[i] <= t.ThresholdBP3   ? t.Level3
               : x[i] > t.ThresholdBP4 ? t.Level4
                                        : t.MiddleAvY + t.MiddleSlope * (x[i] - t.MiddleAvX);
    ssd += (y[i] - f) * (y[i] - f);
  }
  EXPECT_NEAR(t.SSD, ssd, 1e-9);
  EXPECT_NEAR(t.CentralCE, 1 - ssd / r.SRYsqT, 1e-12);
  EXPECT_GT(t.CentralCE, r.Final.CE);

  // The variance file holds both thresholds on one line and the three-piece residuals.
  const std::vector<std::string> var = run.Var();
  ASSERT_EQ(var.size(), 6u);
  const auto tokens = SplitTokens(var[4]);
  ASSERT_EQ(tokens.size(), 2u);
  double b3 = 0, b4 = 0, s = 0;
  ASSERT_TRUE(ParseFiniteNumber(tokens[0], b3));
  ASSERT_TRUE(ParseFiniteNumber(tokens[1], b4));
  ASSERT_TRUE(ParseFiniteNumber(SplitTokens(var[5]).front(), s));
  EXPECT_NEAR(b3, r.ThresholdBP3, 1e-12);
  EXPECT_NEAR(b4, r.ThresholdBP4, 1e-12);
  EXPECT_NEAR(s, ssd, 1e-9);

  // The parameter table names the other type's level and threshold.
  const std::vector<std::string> out = run.Out();
  const std::string heading = r.ResultType == 3
                                  ? "   Conf. BP left       Conf. BP right     Av. Y end     BP end"
                                  : "   Conf. BP left       Conf. BP right     Av. Y top     BP top";
  const auto at = std::find(out.begin(), out.end(), heading);
  ASSERT_NE(at, out.end());
  const double otherLevel = r.Other.Level();
  const double otherThreshold = r.ResultType == 3 ? r.ThresholdBP4 : r.ThresholdBP3;
  EXPECT_EQ((at + 1)->substr(34), FormatExp(otherLevel, 17, 3) + FormatExp(otherThreshold, 14, 3));
}

TEST(PartialRegression, NegativeThresholdsStayApartInTheVarianceFile) {
  // Both ends level on X = -100 .. -51: each threshold fills all 22 places of its field.
  PartialRun run;
  std::vector<double> y, x;
  for (int i = 0; i < 50; ++i) {
    x.push_back(i - 100.0);
    y.push_back((i <= 15 ? 5 : i <= 35 ? 5 + 0.5 * (i - 15) : 15) + kWobble[i % 12] / 10);
  }
  run.Load(y, x);
  run.Go();
  ASSERT_TRUE(run.done);
  ASSERT_TRUE(run.result.BothHorizontal);
  const std::vector<std::string> var = run.Var();
  ASSERT_EQ(var.size(), 6u);
  const auto tokens = SplitTokens(var[4]);
  ASSERT_EQ(tokens.size(), 2u) << var[4];
  double b3 = 0, b4 = 0;
  ASSERT_TRUE(ParseFiniteNumber(tokens[0], b3));
  ASSERT_TRUE(ParseFiniteNumber(tokens[1], b4));
  EXPECT_NEAR(b3, run.result.ThresholdBP3, 1e-12);
  EXPECT_NEAR(b4, run.result.ThresholdBP4, 1e-12);
  EXPECT_LT(b4, -50);
}

TEST(PartialRegression, NineDistinctXValuesAreTooFew) {
  PartialRun run;
  std::vector<double> y, x;
  for (int i = 0; i < 45; ++i) {
    x.push_back(i % 9);
    y.push_back(i % 9 < 4 ? 3 : i % 9 + kWobble[i % 12]);
  }
  run.Load(y, x);
  // An older report of the same name describes other data and goes.
  test::WriteFileBytes(run.dir / "run.out", test::kStaleReport);
  test::WriteFileBytes(run.dir / "run.txt", test::kStaleScanTable);
  run.Go();
  EXPECT_FALSE(run.done);
  EXPECT_TRUE(run.options.IrregularX);
  EXPECT_FALSE(run.options.AnalysisFailed);
  EXPECT_EQ(run.dialogs.Messages(),
            std::vector<std::string>{"Due to scarcity of differing X-values the partial regression "
                                     "could not be done. Please make another selection."});
  EXPECT_FALSE(run.Exists("run.out"));
  EXPECT_FALSE(run.Exists("run.var"));
  EXPECT_FALSE(run.Exists("run.txt"));

  // Ten distinct values are enough.
  PartialRun ten;
  std::vector<double> y10, x10;
  for (int i = 0; i < 40; ++i) {
    x10.push_back(i % 10);
    y10.push_back(i % 10 < 4 ? 3 : i % 10 + kWobble[i % 12]);
  }
  ten.Load(y10, x10);
  ten.Go();
  EXPECT_TRUE(ten.done);
  EXPECT_FALSE(ten.options.IrregularX);
}

TEST(PartialRegression, XWithoutVariationIsRefused) {
  PartialRun run;
  std::vector<double> y, x;
  for (int i = 0; i < 20; ++i) {
    x.push_back(1 + i * 1e-5);  // twenty distinct values within 0.0002
    y.push_back(i);
  }
  run.Load(y, x);
  run.Go();
  EXPECT_FALSE(run.done);
  EXPECT_TRUE(run.options.AnalysisFailed);
  EXPECT_FALSE(run.options.IrregularX);
  EXPECT_EQ(run.dialogs.Messages(),
            std::vector<std::string>{"The database is not fit for regression analysis. There is no "
                                     "variation in X-values. Please correct the input file."});
  EXPECT_FALSE(run.Exists("run.out"));
  EXPECT_FALSE(run.Exists("run.var"));
}

TEST(PartialRegression, ConstantYGivesTheSingleLineWithoutNaN) {
  PartialRun run;
  run.Load(std::vector<double>(30, 7.25), [] {
    std::vector<double> x;
    for (int i = 0; i < 30; ++i) x.push_back(i * 1.5);
    return x;
  }());
  run.Go();
  ASSERT_TRUE(run.done);
  EXPECT_EQ(run.result.ResultType, 1);
  EXPECT_EQ(run.options.FoundType, 1);
  EXPECT_EQ(run.dialogs.Messages(), std::vector<std::string>{"Horizontal segment not found"});
  const std::vector<std::string> out = run.Out();
  EXPECT_FALSE(HasBadNumber(out));
  EXPECT_EQ(out[2], " The types and methods are determined with the procedure of best fit.");
  EXPECT_NE(std::find(out.begin(), out.end(),
                      " Function type : 1  - a single regression line, no breakpoint found."),
            out.end());
  EXPECT_NE(std::find(out.begin(), out.end(), "      A =  0.00E+000     C =  7.25E+000"),
            out.end());
  // No header section 3 and no parameter table.
  for (const std::string& l : out) EXPECT_EQ(l.find("optimal breakpoint"), std::string::npos);
  const std::vector<std::string> var = run.Var();
  ASSERT_EQ(var.size(), 5u);
  EXPECT_EQ(var[4], " -99999");
  EXPECT_FALSE(run.Exists("run.txt"));
}

TEST(PartialRegression, AStraightLineHasNoLevelStretch) {
  PartialRun run;
  std::vector<double> y, x;
  for (int i = 0; i < 30; ++i) {
    x.push_back(i);
    y.push_back(2 + 0.3 * i + kWobble[i % 12] / 10);
  }
  run.Load(y, x);
  run.Go();
  ASSERT_TRUE(run.done);
  EXPECT_EQ(run.result.ResultType, 1);
  EXPECT_FALSE(run.Exists("run.txt"));
  EXPECT_NEAR(run.result.Ag, run.result.OverallSlope, 0);
}

TEST(PartialRegression, TheBestCoefficientsDecideNotTheMarks) {
  // Weak straight lines in much noise at 98 %: a candidate may be marked level while every
  // marked candidate fails the type's tests (best coefficient 0). Such a stretch is no stretch:
  // the type with the larger best coefficient wins, and with both at 0 the single line is
  // reported.
  std::mt19937_64 random(98);
  std::normal_distribution<double> noise(0, 3);
  int markedButRejected = 0;
  for (int k = 0; k < 40; ++k) {
    SCOPED_TRACE(k);
    PartialRun run;
    run.options.ConfidenceT = 2.5;
    std::vector<double> y, x;
    for (int i = 0; i < 40; ++i) {
      x.push_back(i);
      y.push_back(3 + 0.05 * i + noise(random));
    }
    run.Load(y, x);
    run.Go();
    ASSERT_TRUE(run.done);
    const PartialResult& r = run.result;
    const bool marked3 = std::any_of(r.Scan3.begin(), r.Scan3.end(),
                                     [](const PartialScanLine& l) { return l.Mark; });
    if (marked3 && r.BestCE3 == 0) ++markedButRejected;
    switch (r.ResultType) {
      case 3:
        EXPECT_GT(r.BestCE3, r.BestCE4);
        break;
      case 4:
        EXPECT_GT(r.BestCE4, 0);
        EXPECT_GE(r.BestCE4, r.BestCE3);
        break;
      default:
        EXPECT_EQ(r.BestCE3, 0);
        EXPECT_EQ(r.BestCE4, 0);
        break;
    }
    // No level at the other end is reported (as "Av. Y top" or a central coefficient) when
    // its best coefficient is 0.
    if (r.BothHorizontal) {
      EXPECT_GT(r.BestCE3, 0);
      EXPECT_GT(r.BestCE4, 0);
    }
    EXPECT_EQ(r.Found3, r.BestCE3 > 0);
  }
  EXPECT_GT(markedButRejected, 0);
}

TEST(PartialRegression, DataSetsMoveWholeAndAddedCopiesKeepTheirMark) {
  PartialRun run;
  LoadRising(run);
  // Entered in reverse order with Z, weights and serial numbers; the last row is a copy that
  // weight expansion added for the data set at X = 30.
  TDMVornax& d = run.data;
  std::reverse(d.YData.begin(), d.YData.end());
  std::reverse(d.XData.begin(), d.XData.end());
  for (int32_t i = 0; i < d.NrOfData; ++i) {
    d.ZData[static_cast<size_t>(i)] = 1000 + static_cast<double>(d.XData[static_cast<size_t>(i)]);
    d.WeightFactor[static_cast<size_t>(i)] = 1;
  }
  const size_t at30 = 10;  // X = 30 after the reversal
  ASSERT_EQ(d.XData[at30], 30.0L);
  d.WeightFactor[at30] = 2;
  const long double y30 = d.YData[at30];
  d.Resize(d.NrOfData + 1);
  d.YData.back() = y30;
  d.XData.back() = 30;
  d.ZData.back() = 1030;
  d.SerialNr.back() = 0;
  run.Go();
  ASSERT_TRUE(run.done);
  ASSERT_EQ(d.NrOfData, 41);
  for (size_t i = 1; i < 41; ++i) EXPECT_LE(d.XData[i - 1], d.XData[i]);
  for (size_t i = 0; i < 41; ++i) {
    EXPECT_EQ(d.ZData[i], 1000 + d.XData[i]) << i;
    if (d.SerialNr[i] != 0) {
      EXPECT_EQ(d.SerialNr[i], 41 - static_cast<int32_t>(d.XData[i])) << i;
    }
  }
  // Equal X keep their order: the entered data set before its copy.
  EXPECT_EQ(d.SerialNr[29], 11);
  EXPECT_EQ(d.SerialNr[30], 0);
  EXPECT_EQ(d.WeightFactor[29], 2);
  const std::vector<std::string> out = run.Out();
  size_t added = 0;
  for (const std::string& l : out) {
    if (l.size() > 7 && l.substr(l.size() - 7) == "  Added") {
      ++added;
      EXPECT_EQ(l.substr(0, 4), "  31");
      EXPECT_EQ(l.substr(22, 12), "  3.000E+001");
    }
  }
  EXPECT_EQ(added, 1u);
}

// Data dense over X = 0..30 and sparse above (two data sets near 100): the top candidates hold
// fewer than three data sets above them and fall back, which moves grid entries 179 and up to
// the smallest X. The table window is judged on the grid as made.
TEST(PartialRegression, TheScanTableWindowIsJudgedOnTheGridAsMade) {
  PartialRun run;
  std::vector<double> y, x;
  for (int i = 0; i <= 30; ++i) {
    x.push_back(i);
    y.push_back((i <= 12 ? 4 : 4 + 0.5 * (i - 12)) + kWobble[i % 12] / 4);
  }
  x.push_back(99);
  y.push_back(4 + 0.5 * 87);
  x.push_back(100);
  y.push_back(4 + 0.5 * 88);
  run.Load(y, x);
  run.Go();
  ASSERT_TRUE(run.done);
  ASSERT_EQ(run.result.ResultType, 3);
  EXPECT_EQ(run.result.Grid[179], 89.5);
  // No candidate above X = 30 kept three data sets above it: they all fell back.
  ASSERT_FALSE(run.result.Scan3.empty());
  EXPECT_LT(run.result.Scan3.back().BP, 30.5);
  EXPECT_GT(run.result.Breakpoint, run.result.Grid[19]);
  EXPECT_TRUE(run.result.KeepScanTable);
  ASSERT_TRUE(run.Exists("run.txt"));
  EXPECT_EQ(run.Txt().front(), (run.dir / "run.txt").string());
}

TEST(PartialRegression, AThresholdNearTheEndDeletesTheScanTable) {
  // The level stretch ends at 8 % of the range: the report gives the threshold, the table goes.
  // The data lie dense along the stretch, so that it holds the tenth of the data the type-3
  // tests ask for.
  PartialRun run;
  std::vector<double> y, x;
  for (int i = 0; i <= 20; ++i) x.push_back(0.4 * i);
  for (int i = 9; i <= 100; ++i) x.push_back(i);
  for (size_t i = 0; i < x.size(); ++i) {
    y.push_back((x[i] <= 8 ? 3 : 3 + 0.2 * (x[i] - 8)) + kWobble[i % 12] / 20);
  }
  run.Load(y, x);
  test::WriteFileBytes(run.dir / "run.txt", test::kStaleScanTable);
  run.Go();
  ASSERT_TRUE(run.done);
  ASSERT_EQ(run.result.ResultType, 3);
  EXPECT_LT(run.result.Breakpoint, run.result.Grid[19]);
  EXPECT_FALSE(run.result.KeepScanTable);
  EXPECT_FALSE(run.Exists("run.txt"));
}

TEST(PartialRegression, AScanLineWithoutSlopeDeviationSaysNotAvailable) {
  PartialResult r;
  r.OverallSlope = 1;
  r.Found3 = true;
  PartialScanLine line;
  line.BP = 2.5;
  line.N1 = 5;
  line.AvY1 = 3;
  line.AvX1 = 1;
  line.Slope1 = 0;
  line.Slope2 = 0.5;
  line.Slope3 = 0.25;
  line.AvY2 = 6;
  line.AvX2 = 10;
  line.StDevKnown = false;
  line.Mark = true;
  r.Scan3.push_back(line);
  line.StDevKnown = true;
  line.StDevSlope = 0.0125;
  line.Slope1 = -0.0625;
  line.Mark = false;
  r.Scan3.push_back(line);
  TempDir dir;
  TextFileWriter table(dir / "t.txt");
  WriteScanTable(r, 3, "t.txt", table);
  const std::string& text = table.Content();
  EXPECT_NE(text.find("\r\n    2.50   5    3.00    1.00   0.000    0.50    0.25    6.00   10.00       n.a.      #\r\n"),
            std::string::npos);
  EXPECT_NE(text.find("\r\n    2.50   5    3.00    1.00  -0.063    0.50    0.25    6.00   10.00      0.013      o\r\n"),
            std::string::npos);
  EXPECT_NE(text.find(" Check # = condition Slope1 < StDevSlope1 is met, Slope1 may be taken zero\r\n"),
            std::string::npos);
}

}  // namespace
}  // namespace vornax
