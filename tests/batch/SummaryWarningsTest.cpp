// The summary's own warnings (a breakpoint held back by the end of a searched range, the break
// test's verdict of no break beyond chance) stand in the summary, the JSON and the results table
// alike, word for word.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include <algorithm>
#include <optional>
#include <string>
#include <vector>

#include "batch/BatchCommand.h"
#include "batch/CommandRun.h"
#include "batch/GroupResults.h"
#include "run/ResultJson.h"
#include "run/ResultSummary.h"
#include "support/TestSupport.h"

namespace vornax::batch {
namespace {

// A type-3 fit on X = 0, 0.1, ..., 10: the search's candidates are 0, 0.1, ..., 9.9.
RunResult Searched(double bp, std::optional<double> low, std::optional<double> high) {
  RunResult r;
  r.Valid = true;
  r.Analysis = "one-variable";
  r.Variable = "X";
  r.Type = 3;
  r.TypeText = "first a horizontal segment, then sloping.";
  r.HasBreakpoint = true;
  r.Breakpoint = bp;
  r.ConfidencePercent = 90;
  r.SearchLow = low;
  r.SearchHigh = high;
  for (int i = 0; i <= 100; ++i) {
    r.X.push_back(i / 10.0);
    r.Y.push_back(i < 50 ? 1.0 : 1.0 + (i - 50) / 10.0);
    r.YCalc.push_back(r.Y.back());
    r.Added.push_back(false);
  }
  r.Warnings = {" A message of the run."};
  return r;
}

TEST(SummaryWarnings, StandInTheSummaryTheJsonAndTheResults) {
  const std::string lowEnd =
      "the breakpoint %s lies at the lower end of the searched range (6.000 to 9.000): the data "
      "may break below it; search a wider range.";
  auto edge = [](const std::string& text, const std::string& bp, const char* end = nullptr) {
    std::string t = text;
    t.replace(t.find("%s"), 2, bp);
    if (end != nullptr) {
      t.replace(t.find("lower"), 5, end);
      t.replace(t.find("below"), 5, "above");
    }
    return t;
  };
  const std::string noBreak =
      "the data show no break beyond what chance gives: shuffled residuals found as large a gain "
      "from a break in 9 of 19 permutations.";
  struct Case {
    const char* name;
    RunResult result;
    std::vector<std::string> warnings;  // the summary's own, in order
  };
  RunResult tested = Searched(5.03, std::nullopt, std::nullopt);
  tested.BreakTest.Done = true;
  tested.BreakTest.Permutations = 19;
  tested.BreakTest.AtLeastAsLarge = 9;
  tested.BreakTest.P = 0.5;
  RunResult significant = tested;
  significant.BreakTest.P = 0.1;  // at the level of 90 %: a break
  RunResult fixed = Searched(6.0, 6.0, 9.0);
  fixed.FixedBreakpoint = 6.0;
  RunResult both = Searched(9.0, 6.0, 9.0);
  both.BreakTest = tested.BreakTest;
  const Case cases[] = {
      {"at the first candidate", Searched(6.0, 6.0, 9.0), {edge(lowEnd, "6.000")}},
      {"beside it, refined", Searched(6.094, 6.0, 9.0), {edge(lowEnd, "6.094")}},
      {"inside", Searched(6.25, 6.0, 9.0), {}},
      {"at the last candidate", Searched(8.9, 6.0, 9.0), {edge(lowEnd, "8.900", "upper")}},
      // A range beyond the data at one end restricts the search at the other only.
      {"low end beyond the data", Searched(0.3, -5.0, 9.0), {}},
      {"high end beyond the data", Searched(9.8, 6.0, 20.0), {}},
      {"not searched", fixed, {}},
      {"no range", Searched(0.1, std::nullopt, std::nullopt), {}},
      {"no break beyond chance", tested, {noBreak}},
      {"a break beyond chance", significant, {}},
      {"both", both, {edge(lowEnd, "9.000", "upper"), noBreak}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(SummaryWarnings(c.result), c.warnings);

    const auto lines = SummaryLines(c.result);
    for (const std::string& w : c.warnings) {
      EXPECT_EQ(std::count(lines.begin(), lines.end(), "Warning: " + w), 1);
    }
    EXPECT_EQ(std::count_if(lines.begin(), lines.end(),
                            [](const std::string& l) { return l.rfind("Warning: ", 0) == 0; }),
              static_cast<long>(c.warnings.size()) + 1);

    std::vector<std::string> all = c.result.Warnings;
    all.insert(all.end(), c.warnings.begin(), c.warnings.end());
    const auto j = nlohmann::json::parse(ResultJsonText(c.result, RunOptions{}, ResultFiles{}));
    EXPECT_EQ(j["warnings"], all);

    GroupOutcome g;
    g.Group = "A";
    g.Analysed = true;
    g.Result = c.result;
    std::string expected = "A message of the run.";
    for (const std::string& w : c.warnings) expected += " | " + w;
    EXPECT_NE(ResultsTableRow(g).find("," + CsvField(expected) + ","), std::string::npos)
        << ResultsTableRow(g);
  }
}

}  // namespace
}  // namespace vornax::batch

namespace vornax::batch {
namespace {

// The case of the report: data that break at 5.03, searched from 6 to 9 only.
TEST(SummaryWarnings, ARealRunHeldBackByItsRangeSaysSo) {
  test::TempDir dir;
  std::string table = "y,x\n";
  for (int i = 0; i <= 100; ++i) {
    const double x = i / 10.0;
    const double y = (x < 5.03 ? 2.0 : 2.0 + 1.5 * (x - 5.03)) + 0.05 * ((i * 7) % 5 - 2);
    table += std::to_string(y) + "," + std::to_string(x) + "\n";
  }
  test::WriteFileBytes(dir / "t.csv", table);
  std::string out, err;
  ASSERT_EQ(test::RunBatchCommand({(dir / "t.csv").string(), "--search-range", "6", "9",
                                   "--permutations", "0", "--json", (dir / "t.json").string()},
                                  out, err),
            kExitDone)
      << err;
  const std::string start = "Warning: the breakpoint ";
  const size_t at = out.find(start);
  ASSERT_NE(at, std::string::npos) << out;
  const std::string line = out.substr(at, out.find('\n', at) - at);
  EXPECT_NE(line.find(" lies at the lower end of the searched range (6.000 to 9.000)"),
            std::string::npos)
      << line;
  const auto j = nlohmann::json::parse(test::ReadFileBytes(dir / "t.json"));
  ASSERT_FALSE(j["warnings"].empty());
  EXPECT_EQ("Warning: " + j["warnings"].back().get<std::string>(), line);
}

}  // namespace
}  // namespace vornax::batch
