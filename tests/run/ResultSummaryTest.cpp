// The summary's wording of numbers set by hand: enough digits for the limits of a breakpoint to
// differ, the likelihood interval, the warnings of the run, the type-0 mark, and the planes of
// a two-variable run that exist.
#include "run/ResultSummary.h"

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include <algorithm>
#include <optional>
#include <string>
#include <vector>

#include "data/RunOptions.h"
#include "run/ResultJson.h"

namespace vornax {
namespace {

RunResult BrokenLine(double bp, double se) {
  RunResult r;
  r.Valid = true;
  r.Analysis = "one-variable";
  r.Type = 2;
  r.PrintedTypeCode = 2;
  r.TypeText = "two connected segments with sloping lines.";
  r.Method = 1;
  r.HasBreakpoint = true;
  r.Breakpoint = bp;
  r.BreakpointSE = se;
  r.LowerLimit = bp - 1.75 * se;
  r.UpperLimit = bp + 1.75 * se;
  return r;
}

TEST(ResultSummary, TheBreakpointLineShowsWhereItsLimitsDiffer) {
  struct Case {
    const char* name;
    double bp, se;
    std::optional<double> likelihoodLow, likelihoodHigh;
    std::string line;
  };
  const Case cases[] = {
      {"ordinary", 40.2, 2.61, 35.2, 47.9,
       "Breakpoint of X: 40.20, standard error 2.61; 90% confidence limits 35.63 to 44.77; "
       "likelihood interval 35.20 to 47.90"},
      // Unix time: width 1.75E+5 * 2, the breakpoint 1.688E+9: 9 - 5 + 3 = 7 digits.
      {"large X, narrow interval", 1688123456.0, 100000.0, std::nullopt, std::nullopt,
       "Breakpoint of X: 1.688123E+009, standard error 100000; 90% confidence limits "
       "1.687948E+009 to 1.688298E+009"},
      // The narrower likelihood interval (width 2.0) asks for more digits than the limits.
      {"narrow likelihood interval", 1000.5, 10.0, 999.0, 1001.0,
       "Breakpoint of X: 1000.50, standard error 10.0; 90% confidence limits 983.00 to "
       "1018.00; likelihood interval 999.00 to 1001.00"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    RunResult r = BrokenLine(c.bp, c.se);
    r.LikelihoodLower = c.likelihoodLow;
    r.LikelihoodUpper = c.likelihoodHigh;
    const auto lines = SummaryLines(r);
    ASSERT_GE(lines.size(), 2u);
    EXPECT_EQ(lines[1], c.line);

    const auto j = nlohmann::json::parse(ResultJsonText(r, RunOptions{}, ResultFiles{}));
    if (c.likelihoodLow) {
      EXPECT_EQ(j["breakpoint"]["likelihood_lower"].get<double>(), *c.likelihoodLow);
      EXPECT_EQ(j["breakpoint"]["likelihood_upper"].get<double>(), *c.likelihoodHigh);
    } else {
      EXPECT_TRUE(j["breakpoint"]["likelihood_lower"].is_null());
      EXPECT_TRUE(j["breakpoint"]["likelihood_upper"].is_null());
    }
  }
}

TEST(ResultSummary, TheWarningsOfTheRunAreListed) {
  RunResult r = BrokenLine(10, 4);
  r.Warnings = {"The left limit of the confidence interval of the breakpoint is very low. The "
                "breakpoint may be insignificant.",
                " No horizontal segment found."};
  const auto lines = SummaryLines(r);
  ASSERT_GE(lines.size(), 2u);
  EXPECT_EQ(lines[lines.size() - 2],
            "Warning: The left limit of the confidence interval of the breakpoint is very low. "
            "The breakpoint may be insignificant.");
  EXPECT_EQ(lines.back(), "Warning: No horizontal segment found.");
  const auto j = nlohmann::json::parse(ResultJsonText(r, RunOptions{}, ResultFiles{}));
  EXPECT_EQ(j["warnings"], nlohmann::json(r.Warnings));
  r.Warnings.clear();
  const auto clean = nlohmann::json::parse(ResultJsonText(r, RunOptions{}, ResultFiles{}));
  EXPECT_TRUE(clean["warnings"].is_array());
  EXPECT_TRUE(clean["warnings"].empty());
}

TEST(ResultSummary, TheReportedTypeIsMarked) {
  struct Case {
    int type;
    std::string line;
  };
  for (const Case& c :
       {Case{0, "Best accepted coefficient of explanation per type: 0: 0.0000*, 1: 0.0100, 2: -, "
                "3: -, 4: -, 5: -, 6: -"},
        Case{1, "Best accepted coefficient of explanation per type: 1: 0.0100*, 2: -, 3: -, "
                "4: -, 5: -, 6: -"}}) {
    SCOPED_TRACE(c.type);
    RunResult r;
    r.Valid = true;
    r.Type = c.type;
    r.TypeText = "a line.";
    r.Candidates.push_back({1, true, 0.01, 0.01});
    for (int t = 2; t <= 6; ++t) r.Candidates.push_back({t, false, 0, 0.01});
    const auto lines = SummaryLines(r);
    ASSERT_GE(lines.size(), 4u);
    EXPECT_EQ(lines[3], c.line);
  }
}

TEST(ResultSummary, OnlyThePlanesOfRegionsThatExist) {
  struct Case {
    const char* name;
    bool firstBroken, secondBroken;
    std::vector<std::string> planes;
  };
  const Case cases[] = {
      {"both stages broken", true, true,
       {"Planes (below / at or above each breakpoint):", "  X below, Z below: Y = 1.000*X + 3.000*Z + 5.000",
        "  X below, Z above: Y = 1.000*X + 4.000*Z + 6.000",
        "  X above, Z below: Y = 2.000*X + 3.000*Z + 7.000",
        "  X above, Z above: Y = 2.000*X + 4.000*Z + 8.000"}},
      {"first stage a single line", false, true,
       {"Planes (below / at or above each breakpoint):", "  Z below: Y = 2.000*X + 3.000*Z + 7.000",
        "  Z above: Y = 2.000*X + 4.000*Z + 8.000"}},
      {"second stage a single line", true, false,
       {"Planes (below / at or above each breakpoint):", "  X below: Y = 1.000*X + 4.000*Z + 6.000",
        "  X above: Y = 2.000*X + 4.000*Z + 8.000"}},
      {"no breakpoints", false, false,
       {"Plane (no breakpoints):", "  all data: Y = 2.000*X + 4.000*Z + 8.000"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    RunResult r;
    r.Valid = true;
    r.Analysis = "two-variable";
    r.Sequence = 1;
    StageResult first, second;
    first.Variable = "X";
    second.Variable = "Z";
    first.Type = c.firstBroken ? 5 : 1;
    second.Type = c.secondBroken ? 5 : 1;
    first.HasBreakpoint = c.firstBroken;
    second.HasBreakpoint = c.secondBroken;
    r.Stages = {first, second};
    r.Plane = {1, 2, 3, 4, 5, 6, 7, 8};
    const auto lines = SummaryLines(r);
    auto at = std::find(lines.begin(), lines.end(), c.planes.front());
    ASSERT_NE(at, lines.end());
    const std::vector<std::string> planes(at, at + static_cast<long>(c.planes.size()));
    EXPECT_EQ(planes, c.planes);
    EXPECT_EQ(at[static_cast<long>(c.planes.size())].rfind("Overall coefficient", 0), 0u);
  }
}


// A broken line whose ± limits reach past a neighbouring breakpoint: the summary says so and
// points to the likelihood interval; limits within the neighbours add nothing.
TEST(ResultSummary, LimitsPastANeighbouringBreakpointSendTheReaderToTheLikelihoodInterval) {
  struct Case {
    const char* name;
    double se1, se2;
    std::string tail1, tail2;
  };
  const std::string read = ", so read the likelihood interval";
  const Case cases[] = {
      {"within", 1, 2, "", ""},
      {"first past second", 12, 2, "; the confidence limits reach past breakpoint 2" + read, ""},
      {"both past", 12, 12, "; the confidence limits reach past breakpoint 2" + read,
       "; the confidence limits reach past breakpoint 1" + read},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    RunResult r;
    r.Valid = true;
    BrokenLinesResult b;
    b.Choice = "2";
    b.Breakpoints = 2;
    for (auto [v, se] : {std::pair{30.0, c.se1}, std::pair{50.0, c.se2}})
      b.Points.push_back({v, se, v - 1.75 * se, v + 1.75 * se, v - 2, v + 2, false, false});
    r.BrokenLines = b;
    const auto lines = SummaryLines(r);
    ASSERT_GE(lines.size(), 3u);
    const std::string first = "Breakpoint 1 of X: 30.00, standard error ";
    EXPECT_EQ(lines[1].substr(0, first.size()), first);
    auto tail = [](const std::string& line) {
      const auto at = line.find(" to 32.00");
      return at == std::string::npos ? line : line.substr(at + 9);
    };
    EXPECT_EQ(tail(lines[1]), c.tail1);
    const auto at2 = lines[2].find(" to 52.00");
    ASSERT_NE(at2, std::string::npos);
    EXPECT_EQ(lines[2].substr(at2 + 9), c.tail2);
  }
}

}  // namespace
}  // namespace vornax
