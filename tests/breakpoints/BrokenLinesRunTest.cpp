// The broken-line analysis as a run: its report against golden files computed independently
// (tests/golden/broken_lines_reference.py), its ANOVA rows, the choice of the number of
// breakpoints, and its refusals.
#include "breakpoints/BrokenLines.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>

#include "support/TestSupport.h"

namespace vornax {
namespace {

struct LineRun {
  test::TempDir dir;
  TDMVornax data;
  RunOptions options;
  test::RecordingDialogs dialogs;

  LineRun(const std::vector<double>& y, const std::vector<double>& x, const std::string& title2) {
    data.FileName = (dir / "run.inp").string();
    data.Title1 = "Golden test";
    data.Title2 = title2;
    data.Resize(static_cast<int32_t>(y.size()));
    data.NrOfData = static_cast<int32_t>(y.size());
    for (size_t i = 0; i < y.size(); ++i) {
      data.YData[i] = y[i];
      data.XData[i] = x[i];
      data.SerialNr[i] = static_cast<int32_t>(i + 1);
    }
  }
  void Go(int choice) {
    options.SeveralBreakpoints = choice;
    RunBrokenLines(data, options, dialogs);
  }
  std::vector<std::string> Out() const { return test::ReadLines(dir / "run.out"); }
  bool HasFiles() const {
    return std::filesystem::exists(dir / "run.out") || std::filesystem::exists(dir / "run.var");
  }
};

// The golden data: an exact three-segment line on X = 0..20, and a noisy one on X = 0, 2.5, ...
void ExactLine(std::vector<double>& y, std::vector<double>& x) {
  for (int i = 0; i <= 20; ++i) {
    x.push_back(i);
    y.push_back(i <= 6 ? 2 + 0.5 * i : i <= 13 ? 5 - 1.5 * (i - 6) : -5.5 + 2 * (i - 13));
  }
}
void NoisyLine(std::vector<double>& y, std::vector<double>& x) {
  y = {10.000, 11.345, 11.347, 11.695, 13.296, 14.229, 14.080, 14.879, 16.515, 16.988,
       16.923, 18.161, 19.600, 19.465, 16.947, 15.745, 14.058, 11.179, 9.093,  7.994,
       5.847,  2.984,  1.353,  0.121,  -2.446, -5.068, -6.340, -7.906, -7.625, -6.593,
       -4.448, -3.210, -2.853, -1.360, 0.720,  1.513,  2.051,  3.941,  5.738,  6.208};
  for (size_t i = 0; i < y.size(); ++i) x.push_back(2.5 * static_cast<double>(i));
}

TEST(BrokenLinesRun, ReportsMatchGoldenFiles) {
  struct Case {
    void (*load)(std::vector<double>&, std::vector<double>&);
    std::string title, golden;
  } cases[] = {{ExactLine, "Broken line, exact", "broken_lines_exact.out"},
               {NoisyLine, "Broken line, noisy", "broken_lines_noisy.out"}};
  for (const Case& c : cases) {
    std::vector<double> y, x;
    c.load(y, x);
    LineRun run(y, x, c.title);
    run.Go(2);
    ASSERT_FALSE(run.options.AnalysisFailed) << c.golden;
    std::vector<std::string> expected = test::GoldenLines(c.golden);
    for (std::string& line : expected) {
      const auto at = line.find("@DIR@");
      if (at != std::string::npos) line.replace(at, 5, run.dir.path().string());
    }
    const auto actual = run.Out();
    ASSERT_EQ(actual.size(), expected.size()) << c.golden;
    for (size_t i = 0; i < expected.size(); ++i) EXPECT_EQ(actual[i], expected[i]) << c.golden << " line " << i + 1;
    // The ANOVA rows: the line, each added breakpoint, the total; the extra sums add up.
    const auto& anova = run.data.Result.Anova;
    ASSERT_EQ(anova.size(), 4u);
    EXPECT_EQ(anova[1].Df2, static_cast<int>(y.size()) - 4);
    EXPECT_EQ(anova[2].Df2, static_cast<int>(y.size()) - 6);
    EXPECT_NEAR(anova[0].SumOfSquares + anova[1].SumOfSquares + anova[2].SumOfSquares,
                anova[3].SumOfSquares, 1e-9 * anova[3].SumOfSquares);
  }
}

TEST(BrokenLinesRun, AutomaticChoiceTakesTheSignificantBreakpoints) {
  std::vector<double> y, x;
  NoisyLine(y, x);
  LineRun run(y, x, "auto");
  run.Go(-1);
  ASSERT_FALSE(run.options.AnalysisFailed);
  const BrokenLinesResult& r = *run.data.Result.BrokenLines;
  EXPECT_EQ(r.Choice, "auto");
  EXPECT_EQ(r.Breakpoints, 2);
  ASSERT_EQ(r.Steps.size(), 4u);
  EXPECT_TRUE(r.Steps[1].Significant);
  EXPECT_TRUE(r.Steps[2].Significant);
  EXPECT_FALSE(r.Steps[3].Significant);

  // A straight line with a small wobble: no breakpoint is worth its parameters.
  std::vector<double> y2, x2;
  for (int i = 0; i < 30; ++i) {
    x2.push_back(i);
    y2.push_back(3 + 0.5 * i + 0.4 * std::sin(2.3 * i));
  }
  LineRun flat(y2, x2, "straight");
  flat.Go(-1);
  ASSERT_FALSE(flat.options.AnalysisFailed);
  EXPECT_EQ(flat.data.Result.BrokenLines->Breakpoints, 0);
  EXPECT_FALSE(flat.data.Result.HasBreakpoint);
  EXPECT_NEAR(flat.data.Result.SlopeAbove, 0.5, 0.05);
}

TEST(BrokenLinesRun, RefusalsNameWhatIsNeededAndWriteNothing) {
  struct Case {
    std::vector<double> y, x;
    int choice;
    int vars;
    std::string message;
  } cases[] = {
      {{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11}, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11}, 3, 1,
       "A broken line with three breakpoints needs at least 12 data sets; there are 11."},
      {{1, 2, 3, 4, 5, 6, 7, 8, 9}, {1, 1, 1, 2, 2, 2, 3, 3, 3}, 2, 1,
       "A broken line with two breakpoints needs at least 4 different X values; there are 3."},
      {{5, 5, 5, 5, 5, 5, 5, 5, 5}, {1, 2, 3, 4, 5, 6, 7, 8, 9}, 2, 1,
       "There is no variation in Y-values."},
      {{1, 2, 3, 4, 5, 6, 7, 8, 9}, {1, 2, 3, 4, 5, 6, 7, 8, 9}, 2, 2,
       "fitted to one independent variable only"},
  };
  for (const Case& c : cases) {
    LineRun run(c.y, c.x, "refused");
    run.data.NrOfVar = c.vars;
    run.data.NrOfVarInData = c.vars;
    run.Go(c.choice);
    EXPECT_TRUE(run.options.AnalysisFailed) << c.message;
    ASSERT_EQ(run.dialogs.Messages().size(), 1u) << c.message;
    EXPECT_NE(run.dialogs.Messages()[0].find(c.message), std::string::npos) << run.dialogs.Messages()[0];
    EXPECT_FALSE(run.HasFiles()) << c.message;
  }
}

}  // namespace
}  // namespace vornax
