// The analyst's controls of vornax-batch on real runs: a breakpoint fixed by the user, a search
// kept to a range, the version, and the JSON's account of where its data came from.
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <algorithm>
#include <filesystem>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "batch/BatchCommand.h"
#include "data/Version.h"
#include "support/TestSupport.h"

namespace vornax::batch {
namespace {

namespace fs = std::filesystem;
using nlohmann::json;
using test::ReadFileBytes;
using test::ReadLines;
using test::TempDir;
using test::WriteFileBytes;

struct Outcome {
  int code = 0;
  std::string out, err;
};

Outcome Batch(std::vector<std::string> args) {
  args.insert(args.begin(), "vornax-batch");
  std::vector<const char*> argv;
  for (const std::string& a : args) argv.push_back(a.c_str());
  std::ostringstream o, e;
  Outcome r;
  r.code = RunBatch(static_cast<int>(argv.size()), argv.data(), o, e);
  r.out = o.str();
  r.err = e.str();
  return r;
}

// A report or ANOVA table without the lines that name its own files (they differ between
// folders).
std::vector<std::string> ReportBody(const fs::path& out) {
  std::vector<std::string> lines;
  for (const std::string& line : ReadLines(out)) {
    if (line.rfind(" Name of this output file", 0) == 0) continue;
    if (line.rfind(" Name of input file used", 0) == 0) continue;
    if (line.rfind(" File Name :", 0) == 0) continue;
    lines.push_back(line);
  }
  return lines;
}

fs::path Example01(const TempDir& dir) {
  fs::copy_file(fs::path(VORNAX_EXAMPLES_DIR) / "01-yield-watertable.inp", dir / "yield.inp");
  return dir / "yield.inp";
}

// Fixing the breakpoint a search found gives that search's report, ANOVA table and numbers, with
// one line more under the header and no break test; with or without a preferred type.
TEST(AnalystControls, AFixedBreakpointRepeatsTheSearchedReport) {
  TempDir dir;
  const fs::path input = Example01(dir);
  for (const std::vector<std::string>& prefer :
       std::vector<std::vector<std::string>>{{}, {"--prefer", "4"}}) {
    SCOPED_TRACE(prefer.empty() ? "no preference" : "type 4 preferred");
    std::vector<std::string> searched = {input.string(), "-o", (dir / "searched").string(),
                                         "--json", (dir / "searched.json").string(),
                                         "--permutations", "19"};
    searched.insert(searched.end(), prefer.begin(), prefer.end());
    const Outcome s = Batch(searched);
    ASSERT_EQ(s.code, kExitDone) << s.err;
    const json found = json::parse(ReadFileBytes(dir / "searched.json"));
    ASSERT_EQ(found["type"], 4);
    const double bp = found["breakpoint"]["value"];
    EXPECT_FALSE(found["breakpoint_fixed"].get<bool>());
    EXPECT_FALSE(found["break_test"].is_null());

    std::ostringstream exact;
    exact.precision(17);
    exact << bp;
    std::vector<std::string> fixed = {input.string(), "-o", (dir / "fixed").string(), "--json",
                                      (dir / "fixed.json").string(), "--breakpoint", exact.str()};
    fixed.insert(fixed.end(), prefer.begin(), prefer.end());
    const Outcome f = Batch(fixed);
    ASSERT_EQ(f.code, kExitDone) << f.err;

    std::vector<std::string> expected = ReportBody(dir / "searched" / "yield.out");
    // Under the header: after the confidence (and preference) lines, before the blank line.
    const auto confidence =
        std::find(expected.begin(), expected.end(), " Minimum confidence % : 90");
    ASSERT_NE(confidence, expected.end());
    const auto header = std::find(confidence, expected.end(), std::string());
    expected.insert(header, " Breakpoint fixed at 80.48 by the user; it was not searched.");
    EXPECT_EQ(ReportBody(dir / "fixed" / "yield.out"), expected);
    EXPECT_EQ(ReportBody(dir / "fixed" / "yield.var"), ReportBody(dir / "searched" / "yield.var"));

    json same = json::parse(ReadFileBytes(dir / "fixed.json"));
    EXPECT_TRUE(same["breakpoint_fixed"].get<bool>());
    EXPECT_TRUE(same["break_test"].is_null());
    EXPECT_EQ(same["options"]["fixed_breakpoint"], bp);
    for (const char* key : {"breakpoint", "lines", "anova", "data", "type", "method"}) {
      EXPECT_EQ(same[key], found[key]) << key;
    }
    // The best of each type is now that of the one breakpoint tried.
    for (const char* key : {"ce", "ce_straight_line", "ce_chosen_in_search"}) {
      EXPECT_EQ(same["explanation"][key], found["explanation"][key]) << key;
    }
    EXPECT_EQ(f.out.find("Break test"), std::string::npos) << f.out;
    EXPECT_NE(f.out.find("\nThe breakpoint was fixed at 80.48 by the user, not searched: the "
                         "break test does not apply, and the F test of the ANOVA table is the "
                         "test of the break\n"),
              std::string::npos)
        << f.out;
  }
}

// The search range keeps the candidates: a range around the breakpoint found finds it again, a
// range beside it finds another one within the range.
TEST(AnalystControls, TheSearchKeepsToItsRange) {
  TempDir dir;
  const fs::path input = Example01(dir);
  struct Case {
    std::string low, high;
    double bpLow, bpHigh;  // where the breakpoint found must lie
  };
  for (const Case& c : std::vector<Case>{{"70", "90", 80.48, 80.49}, {"40", "60", 40, 60},
                                         {"60", "40", 40, 60}}) {
    SCOPED_TRACE(c.low + " " + c.high);
    const Outcome r = Batch({input.string(), "--json", (dir / "r.json").string(), "--search-range",
                         c.low, c.high, "--permutations", "0"});
    ASSERT_EQ(r.code, kExitDone) << r.err;
    const json j = json::parse(ReadFileBytes(dir / "r.json"));
    ASSERT_FALSE(j["breakpoint"].is_null()) << r.out;
    const double bp = j["breakpoint"]["value"];
    EXPECT_GE(bp, c.bpLow);
    EXPECT_LE(bp, c.bpHigh);
    EXPECT_FALSE(j["breakpoint_fixed"].get<bool>());
    const double low = std::stod(c.low), high = std::stod(c.high);
    EXPECT_EQ(j["options"]["search_range"], json({std::min(low, high), std::max(low, high)}));
    EXPECT_NE(r.out.find("\nThe breakpoint was searched from "), std::string::npos) << r.out;
  }
}

// What cannot be fixed or searched is refused with a message that says why.
TEST(AnalystControls, BreakpointChoicesThatCannotBeUsedAreRefused) {
  TempDir dir;
  const fs::path input = Example01(dir);
  fs::copy_file(fs::path(VORNAX_EXAMPLES_DIR) / "02-yield-depth-salinity.inp", dir / "two.inp");
  const std::string one = input.string(), two = (dir / "two.inp").string();
  struct Case {
    std::vector<std::string> args;
    int code;
    std::string message;
  };
  const std::string range = "The X-values of the data range from 22.00 to 158.00.";
  const std::vector<Case> cases = {
      {{one, "--breakpoint", "200"}, kExitRefused,
       "The fixed breakpoint 200.00 lies outside the data. " + range},
      {{one, "--breakpoint", "22"}, kExitRefused,
       "The fixed breakpoint 22.00 lies outside the data. " + range},
      {{one, "--breakpoint", "30"}, kExitRefused,
       "The fixed breakpoint 30.00 leaves 2 data sets on one side; each side needs at least "
       "three. " + range},
      {{one, "--breakpoint", "157"}, kExitRefused, "leaves 1 data sets on one side"},
      {{one, "--search-range", "158.5", "300"}, kExitRefused,
       "The search range 158.50 to 300.00 holds no candidate breakpoint. " + range},
      {{one, "--search-range", "22.1", "22.2"}, kExitRefused, "holds no candidate breakpoint"},
      {{one, "--breakpoint", "50", "--curve", "quadratic"}, kExitUsage,
       "apply to the segmented regression of one variable only"},
      {{one, "--search-range", "30", "50", "--prefer", "partial"}, kExitUsage,
       "apply to the segmented regression of one variable only"},
      {{two, "--breakpoint", "50"}, kExitUsage, "only with --use x or --use z"},
      {{one, "--breakpoint", "50", "--search-range", "30", "60"}, kExitUsage,
       "give either --breakpoint or --search-range, not both"},
      {{one, "--breakpoint", "fifty"}, kExitUsage, "--breakpoint"},
      {{one, "--search-range", "30"}, kExitUsage, "--search-range"},
  };
  for (const Case& c : cases) {
    std::string joined;
    for (const std::string& a : c.args) joined += a + " ";
    SCOPED_TRACE(joined);
    const Outcome r = Batch(c.args);
    EXPECT_EQ(r.code, c.code) << r.err;
    EXPECT_NE(r.err.find(c.message), std::string::npos) << r.err;
    EXPECT_FALSE(fs::exists(dir / "yield.out"));
  }
}

// "MAJOR.MINOR.PATCH", optionally followed by " (commit HASH)" with at least 7 hex digits.
// Checked by hand: <regex> at -O1 under the sanitizers draws a false -Wmaybe-uninitialized from
// GCC 12 inside its std::function.
bool IsVersionText(const std::string& v) {
  std::size_t i = 0;
  const auto run = [&](auto allowed) {
    const std::size_t from = i;
    while (i < v.size() && allowed(v[i])) ++i;
    return i - from;
  };
  const auto digit = [](char c) { return c >= '0' && c <= '9'; };
  const auto hex = [&](char c) { return digit(c) || (c >= 'a' && c <= 'f'); };
  const auto literal = [&](const std::string& s) {
    if (v.compare(i, s.size(), s) != 0) return false;
    i += s.size();
    return true;
  };
  if (run(digit) == 0 || !literal(".") || run(digit) == 0 || !literal(".") || run(digit) == 0)
    return false;
  if (i == v.size()) return true;
  return literal(" (commit ") && run(hex) >= 7 && literal(")") && i == v.size();
}

TEST(AnalystControls, VersionTextIsRecognised) {
  const std::vector<std::pair<std::string, bool>> cases = {
      {"1.2.3", true},         {"10.0.12 (commit 0123abc)", true},
      {"1.2", false},          {"1.2.3 (commit 0123ab)", false},
      {"1.2.3 (commit ABCDEF0)", false}, {"1.2.3 (commit 0123abc", false},
      {"1.2.3x", false},       {"v1.2.3", false},
  };
  for (const auto& [text, ok] : cases) EXPECT_EQ(IsVersionText(text), ok) << text;
}

TEST(AnalystControls, VersionIsPrintedAndRecorded) {
  EXPECT_TRUE(IsVersionText(ProgramVersion())) << ProgramVersion();
  const Outcome v = Batch({"--version"});
  EXPECT_EQ(v.code, kExitDone);
  EXPECT_EQ(v.out, "vornax-batch " + ProgramVersion() + "\n");

  TempDir dir;
  const Outcome r = Batch({Example01(dir).string(), "--json", (dir / "v.json").string(),
                       "--permutations", "0"});
  ASSERT_EQ(r.code, kExitDone) << r.err;
  EXPECT_EQ(json::parse(ReadFileBytes(dir / "v.json"))["version"], ProgramVersion());
}

// The JSON names the table as given, its columns by their header names, the rows left out with
// their lines and reasons, and the arguments; an input file names its columns by their roles.
TEST(AnalystControls, TheJsonSaysWhereItsDataCameFrom) {
  TempDir dir;
  std::string table = "plot,depth (cm),yield\n";
  const double depth[] = {20, 30, 40, 50, 60, 70, 80, 90, 100, 110};
  for (int i = 0; i < 10; ++i) {
    table += std::to_string(i + 1) + "," + std::to_string(static_cast<int>(depth[i])) + "," +
             (i == 3 ? "NA" : std::to_string(2 + 0.03 * std::min(depth[i], 70.0))) + "\n";
  }
  table += "11,,4.1\n";
  WriteFileBytes(dir / "field.csv", table);
  const std::string source = (dir / "field.csv").string();
  const Outcome r = Batch({source, "--y", "yield", "--x", "depth (cm)", "--json",
                       (dir / "field.json").string(), "--permutations", "0"});
  ASSERT_EQ(r.code, kExitDone) << r.err;
  const json j = json::parse(ReadFileBytes(dir / "field.json"));
  EXPECT_EQ(j["source"]["file"], source);
  EXPECT_EQ(j["source"]["kind"], "table");
  EXPECT_EQ(j["files"]["input"], (dir / "field.inp").string());
  EXPECT_EQ(j["source"]["columns"],
            json::parse(R"j([{"role":"Y","name":"yield"},{"role":"X","name":"depth (cm)"}])j"));
  EXPECT_EQ(j["source"]["rows_left_out"],
            json::parse(R"j([{"line":5,"reason":"missing value in column 3 (yield) (\"NA\")"},
                            {"line":12,"reason":"missing value in column 2 (depth (cm)) (empty)"}])j"));
  EXPECT_EQ(j["arguments"], json({source, "--y", "yield", "--x", "depth (cm)", "--json",
                                  (dir / "field.json").string(), "--permutations", "0"}));

  const fs::path input = Example01(dir);
  const Outcome i = Batch({input.string(), "--json", (dir / "i.json").string(), "--permutations",
                       "0"});
  ASSERT_EQ(i.code, kExitDone) << i.err;
  const json k = json::parse(ReadFileBytes(dir / "i.json"));
  EXPECT_EQ(k["source"]["file"], input.string());
  EXPECT_EQ(k["source"]["kind"], "input file");
  EXPECT_EQ(k["source"]["columns"],
            json::parse(R"j([{"role":"Y","name":"Y"},{"role":"X","name":"X"}])j"));
  EXPECT_EQ(k["source"]["rows_left_out"], json::array());
}

}  // namespace
}  // namespace vornax::batch
