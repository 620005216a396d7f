// vornax-batch --by: every group's results against a run on a table of that group alone, the
// results table's layout, reports on request only, safe file names, bad input, and the order in
// which results come back from several threads.
#include "batch/GroupRun.h"

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include <algorithm>
#include <charconv>
#include <chrono>
#include <filesystem>
#include <map>
#include <random>
#include <sstream>
#include <thread>

#include "batch/BatchCommand.h"
#include "batch/CommandRun.h"
#include "batch/GroupResults.h"
#include "support/TestSupport.h"

namespace vornax::batch {
namespace {

namespace fs = std::filesystem;
using nlohmann::json;
using test::ReadFileBytes;
using test::TempDir;
using test::WriteFileBytes;

struct Command {
  std::string out, err;
  int Run(const std::vector<std::string>& args) { return test::RunBatchCommand(args, out, err); }
};

// The fields of a CSV text (RFC 4180), row by row.
std::vector<std::vector<std::string>> ParseCsv(const std::string& text) {
  std::vector<std::vector<std::string>> rows(1);
  std::string field;
  bool quoted = false;
  for (size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (quoted) {
      if (c == '"' && i + 1 < text.size() && text[i + 1] == '"') {
        field += '"';
        ++i;
      } else if (c == '"') {
        quoted = false;
      } else {
        field += c;
      }
    } else if (c == '"') {
      quoted = true;
    } else if (c == ',') {
      rows.back().push_back(field);
      field.clear();
    } else if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
      rows.back().push_back(field);
      field.clear();
      rows.emplace_back();
      ++i;
    } else {
      field += c;
    }
  }
  rows.pop_back();  // after the last line end
  return rows;
}

// A long table: groups of different shapes in an order that is neither sorted nor contiguous,
// numbers and text as group values, an empty value, a value with a comma, two values that make
// the same file name, a group too small, one whose X hardly varies, and missing values.
struct LongTable {
  std::string text;
  std::vector<std::string> order;                         // groups as first seen
  std::map<std::string, std::vector<std::string>> lines;  // each group's data lines
};

LongTable MakeLongTable(bool withZ) {
  LongTable t;
  t.text = withZ ? "site,yield,depth,salt\n" : "site,yield,depth\n";
  std::mt19937 rng(7);
  std::normal_distribution<double> noise(0, 0.4);
  std::uniform_real_distribution<double> spread(0, 100);
  struct Group {
    std::string name;
    int rows;
    int shape;  // 0 level then rising, 1 straight, 2 noise, 3 falling then level, 4 tiny X span
  };
  const std::vector<Group> groups = {{"north", 40, 0}, {"7", 30, 1},      {"", 25, 2},
                                     {"a/b", 35, 3},   {"a_b", 30, 0},    {"Sand, coarse", 45, 3},
                                     {"two", 2, 1},    {"tiny", 12, 4},   {"12.5", 50, 2}};
  auto add = [&](const Group& g, int count) {
    for (int i = 0; i < count; ++i) {
      double x = spread(rng);
      double y = g.shape == 0   ? (x < 40 ? 10 : 10 + 0.2 * (x - 40))
                 : g.shape == 1 ? 3 + 0.05 * x
                 : g.shape == 3 ? (x < 60 ? 20 - 0.25 * x : 5)
                                : 8;
      if (g.shape == 4) x = 5 + 0.00001 * i;
      y += noise(rng);
      const double z = spread(rng) / 10;
      if (withZ) y += 0.3 * z;
      std::ostringstream line;
      line.precision(17);
      line << (g.name.find(',') != std::string::npos ? "\"" + g.name + "\"" : g.name) << ',' << y
           << ',' << x;
      if (withZ) line << ',' << z;
      // Now and then a missing value, which leaves the row out of its group.
      std::string data = line.str();
      if (g.rows > 20 && i % 11 == 5) data = data.substr(0, data.rfind(',')) + ",NA";
      t.text += data + "\n";
      t.lines[g.name].push_back(data);
      if (std::find(t.order.begin(), t.order.end(), g.name) == t.order.end()) {
        t.order.push_back(g.name);
      }
    }
  };
  // Two rounds, so that every group's rows are spread over the table.
  for (const Group& g : groups) add(g, g.rows / 2);
  for (const Group& g : groups) add(g, g.rows - g.rows / 2);
  return t;
}

std::string NumberText(const json& value) {
  if (value.is_null()) return "";
  char buffer[64];
  const auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, value.get<double>());
  return std::string(buffer, end);
}

// Every group's row and JSON line equal what a run on a table of that group alone gives, to the
// last digit, for each kind of analysis; groups that cannot be analysed are rows with the
// reason the lone run gives, and the command goes on.
TEST(GroupRun, EveryGroupAsARunOnThatGroupAlone) {
  struct Case {
    const char* name;
    bool withZ;
    std::vector<std::string> options;
    bool breaks = true;  // the runs find breaks and test them
    size_t refused = 2;  // groups the analysis cannot take
  };
  const std::vector<Case> cases = {
      {"one variable", false, {"--permutations", "19", "--seed", "3"}},
      {"two variables", true, {"--z", "salt", "--permutations", "19"}},
      {"partial", false, {"--prefer", "partial", "--confidence", "95", "--permutations", "9"}},
      {"quadratic", false, {"--curve", "quadratic", "--no-transform"}, false, 1},
      {"broken line", false, {"--breakpoints", "2", "--permutations", "0"}, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TempDir dir;
    const LongTable table = MakeLongTable(c.withZ);
    WriteFileBytes(dir / "long.csv", table.text);
    std::vector<std::string> args = {(dir / "long.csv").string(), "--by",  "site",   "--y",
                                     "yield",  "--x", "depth", "--results", (dir / "res.csv").string(),
                                     "--json-lines", (dir / "res.jsonl").string()};
    args.insert(args.end(), c.options.begin(), c.options.end());
    Command all;
    ASSERT_EQ(all.Run(args), kExitDone) << all.err;
    const auto rows = ParseCsv(ReadFileBytes(dir / "res.csv"));
    std::vector<json> lines;
    std::istringstream jsonl(ReadFileBytes(dir / "res.jsonl"));
    for (std::string line; std::getline(jsonl, line);) lines.push_back(json::parse(line));
    ASSERT_EQ(rows.size(), table.order.size() + 1);
    ASSERT_EQ(lines.size(), table.order.size());
    const std::vector<std::string>& header = rows.front();
    auto cell = [&](size_t row, const std::string& column) {
      const size_t at = static_cast<size_t>(
          std::find(header.begin(), header.end(), column) - header.begin());
      return at < rows[row].size() ? rows[row][at] : std::string("<no column>");
    };

    size_t analysed = 0, tested = 0, broken = 0;
    for (size_t g = 0; g < table.order.size(); ++g) {
      const std::string& name = table.order[g];
      SCOPED_TRACE("group \"" + name + "\"");
      const fs::path alone = dir / ("alone" + std::to_string(g) + ".csv");
      std::string text = c.withZ ? "site,yield,depth,salt\n" : "site,yield,depth\n";
      for (const std::string& line : table.lines.at(name)) text += line + "\n";
      WriteFileBytes(alone, text);
      std::vector<std::string> single = {alone.string(), "--y", "yield", "--x", "depth",
                                         "--json", (dir / "alone.json").string(), "--quiet",
                                         "--output-dir", (dir / "single").string()};
      single.insert(single.end(), c.options.begin(), c.options.end());
      Command one;
      const int status = one.Run(single);
      const json& line = lines[g];
      EXPECT_EQ(cell(g + 1, "group"), name);
      EXPECT_EQ(line["group"], name);
      size_t missing = 0;
      for (const std::string& l : table.lines.at(name)) missing += l.find("NA") != std::string::npos;
      EXPECT_EQ(cell(g + 1, "rows_left_out"), std::to_string(missing));
      EXPECT_EQ(cell(g + 1, "rows_used"), std::to_string(table.lines.at(name).size() - missing));
      if (status != kExitDone) {
        // The lone run's message is the group's reason.
        // Data unfit for any analysis are bad input (2); an analysis without a result is 1.
        EXPECT_TRUE(status == kExitRefused || status == kExitUsage) << status << one.err;
        const std::string reason = cell(g + 1, "reason");
        ASSERT_FALSE(reason.empty());
        EXPECT_NE(one.err.find(reason.substr(0, reason.find(" | "))), std::string::npos)
            << reason << "\n" << one.err;
        EXPECT_EQ(line["reason"], reason);
        EXPECT_EQ(cell(g + 1, "analysis"), "");
        continue;
      }
      json expected = json::parse(ReadFileBytes(dir / "alone.json"));
      json got = line;
      for (const char* key : {"group", "rows_used", "rows_left_out"}) got.erase(key);
      // Where the numbers came from differs by nature: the group's table and command line.
      for (const char* key : {"files", "source", "arguments"}) {
        expected.erase(key);
        got.erase(key);
      }
      EXPECT_EQ(got, expected) << got.dump() << "\n" << expected.dump();
      EXPECT_EQ(cell(g + 1, "reason"), "");
      // A broken line is named as one rather than by its JSON's short name.
      const bool brokenLine = expected.contains("number_of_breakpoints");
      EXPECT_EQ(cell(g + 1, "analysis"),
                brokenLine ? "broken line" : expected["analysis"].get<std::string>());
      EXPECT_EQ(cell(g + 1, "ce"), NumberText(expected["explanation"]["ce"]));
      EXPECT_EQ(cell(g + 1, "ce_straight_line"),
                NumberText(expected["explanation"]["ce_straight_line"]));
      const json& bp = expected["breakpoint"];
      const bool firstStage = !expected.contains("two_variable") ||
                              !expected["two_variable"]["stages"][0]["breakpoint"].is_null();
      EXPECT_EQ(cell(g + 1, "breakpoint"), bp.is_null() || !firstStage ? "" : NumberText(bp["value"]));
      EXPECT_EQ(cell(g + 1, "standard_error"), bp.is_null() ? "" : NumberText(bp["standard_error"]));
      EXPECT_EQ(cell(g + 1, "lower_limit"), bp.is_null() ? "" : NumberText(bp["lower_limit"]));
      const json& first = brokenLine && !expected["breakpoints"].empty()
                              ? expected["breakpoints"][0]
                              : bp;
      EXPECT_EQ(cell(g + 1, "likelihood_upper"),
                first.is_null() ? "" : NumberText(first["likelihood_upper"]));
      std::string f, significance;
      for (const json& row : expected["anova"]) {
        if (row["kind"] == "extra") {
          f = NumberText(row["f"]);
          significance = NumberText(row["significance_percent"]);
          break;
        }
      }
      EXPECT_EQ(cell(g + 1, "anova_f"), f);
      EXPECT_EQ(cell(g + 1, "anova_significance_percent"), significance);
      EXPECT_EQ(cell(g + 1, "break_test_p"),
                expected["break_test"].is_null() ? "" : NumberText(expected["break_test"]["p"]));
      ++analysed;
      tested += !expected["break_test"].is_null();
      broken += !bp.is_null();
    }
    // The table holds what the comparison is meant for: groups with breaks and break tests, and
    // the groups that cannot be analysed (too few rows; X hardly varying, but for a curve).
    EXPECT_EQ(analysed, table.order.size() - c.refused);
    if (c.breaks) {
      EXPECT_GE(broken, 3u);
      EXPECT_GE(tested, 3u);
    }
    // Without --reports nothing but the two results files is written.
    std::vector<std::string> written;
    for (const auto& entry : fs::directory_iterator(dir.path())) {
      const std::string file = entry.path().filename().string();
      if (file.rfind("alone", 0) != 0 && file != "single" && file != "long.csv") {
        written.push_back(file);
      }
    }
    std::sort(written.begin(), written.end());
    EXPECT_EQ(written, (std::vector<std::string>{"res.csv", "res.jsonl"}));
  }
}

// Without --reports a group's run puts no report text together: its row and JSON line are those
// of the same run with its reports written, byte for byte, for every kind of analysis, and
// nothing is written anywhere but the results.
TEST(GroupRun, NumbersAloneAsWithReports) {
  const std::vector<std::vector<std::string>> cases = {
      {"--permutations", "19", "--seed", "5"},
      {"--weight", "load", "--confidence", "95", "--permutations", "0"},
      {"--prefer", "3", "--permutations", "0"},
      {"--breakpoint", "45", "--permutations", "0"},
      {"--search-range", "30", "70", "--permutations", "0"},
      {"--z", "salt", "--permutations", "0"},
      {"--z", "salt", "--use", "z", "--exclude", "5", "--permutations", "0"},
      {"--prefer", "partial", "--permutations", "0"},
      {"--curve", "power", "--no-transform"},
      {"--breakpoints", "2", "--permutations", "0"},
  };
  LongTable table = MakeLongTable(/*withZ=*/true);
  // A weight column: whole numbers 1 to 3, the header row's last name.
  std::istringstream in(table.text);
  std::string text;
  int row = 0;
  for (std::string line; std::getline(in, line); ++row) {
    text += line + (row == 0 ? ",load" : "," + std::to_string(1 + row % 3)) + "\n";
  }
  for (const std::vector<std::string>& options : cases) {
    std::string name;
    for (const std::string& o : options) name += o + " ";
    SCOPED_TRACE(name);
    TempDir dir;
    // Named so that files a group's run might leave in the working folder would be seen.
    const fs::path input = dir / "numbers-alone.csv";
    WriteFileBytes(input, text);
    auto run = [&](const std::string& stem, bool reports) {
      std::vector<std::string> args = {input.string(), "--by", "site", "--y", "yield", "--x",
                                       "depth", "--results", (dir / (stem + ".csv")).string(),
                                       "--json-lines", (dir / (stem + ".jsonl")).string()};
      if (reports) {
        args.insert(args.end(), {"--reports", "-o", (dir / "reports").string()});
      }
      args.insert(args.end(), options.begin(), options.end());
      Command c;
      EXPECT_EQ(c.Run(args), kExitDone) << c.err;
      return c.err;
    };
    const std::string alone = run("alone", false);
    const std::string reported = run("reported", true);
    EXPECT_EQ(alone, reported);
    const std::string rows = ReadFileBytes(dir / "alone.csv");
    EXPECT_EQ(rows, ReadFileBytes(dir / "reported.csv"));
    // The groups were analysed, not all refused alike.
    EXPECT_GE(std::count(rows.begin(), rows.end(), '\n'), 8) << rows;
    EXPECT_NE(alone.find(" of 9 groups analysed"), std::string::npos) << alone;
    EXPECT_EQ(alone.find("0 of 9 groups analysed"), std::string::npos) << alone;
    std::istringstream a(ReadFileBytes(dir / "alone.jsonl")), r(ReadFileBytes(dir / "reported.jsonl"));
    size_t lines = 0;
    for (std::string la, lr; std::getline(a, la) && std::getline(r, lr); ++lines) {
      json got = json::parse(la), expected = json::parse(lr);
      // Where the reports went differs by nature.
      if (got.contains("files")) {
        EXPECT_TRUE(got["files"]["report"].is_null()) << la;
      }
      got.erase("files");
      expected.erase("files");
      EXPECT_EQ(got, expected);
    }
    EXPECT_EQ(lines, table.order.size());
    for (const char* group : {"north", "7", "tiny"}) {
      EXPECT_FALSE(fs::exists(fs::path("numbers-alone-" + std::string(group) + ".out"))) << group;
      EXPECT_FALSE(fs::exists(fs::path("numbers-alone-" + std::string(group) + ".var"))) << group;
    }
  }
}

// The literal rows of a small table: the layout, the quoting, an empty group, reasons and
// warnings.
TEST(GroupRun, ResultsTableRows) {
  TempDir dir;
  WriteFileBytes(dir / "t.csv",
                 "y,x,plot\n1,1,A\n2,2,A\n3,3,A\n4,4,A\n5,5.0,\"B, east\"\n6,6,\"B, east\"\n"
                 "2,1,\n1,2,\n1,3,\n2,4,\n");
  Command c;
  ASSERT_EQ(c.Run({(dir / "t.csv").string(), "--by", "3", "--results", (dir / "r.csv").string(),
                   "--permutations", "0"}),
            kExitDone)
      << c.err;
  EXPECT_EQ(c.out, (dir / "r.csv").string() + "\n");
  EXPECT_NE(c.err.find("Y = y, X = x, groups = plot\n"), std::string::npos) << c.err;
  EXPECT_NE(c.err.find("2 of 3 groups analysed; the column reason says why the others could not "
                       "be\n"),
            std::string::npos)
      << c.err;
  EXPECT_EQ(ReadFileBytes(dir / "r.csv"),
            "group,rows_used,rows_left_out,analysis,type,type_text,method,breakpoint,"
            "standard_error,lower_limit,upper_limit,likelihood_lower,likelihood_upper,ce,"
            "ce_straight_line,anova_f,anova_significance_percent,break_test_p,warnings,reason,"
            "number_of_breakpoints,breakpoint_2,standard_error_2,lower_limit_2,upper_limit_2,"
            "likelihood_lower_2,likelihood_upper_2,breakpoint_3,standard_error_3,lower_limit_3,"
            "upper_limit_3,likelihood_lower_3,likelihood_upper_3\r\n"
            "A,4,0,one-variable,1,\"a single regression line, no breakpoint found.\",,,,,,,,1,1,"
            ",,,,,0,,,,,,,,,,,,\r\n"
            "\"B, east\",2,0,,,,,,,,,,,,,,,,,The database is not fit for regression analysis. "
            "There are fewer than three data sets. Please correct the input file.,,,,,,,,,,,,,\r\n"
            ",4,0,one-variable,0,\"a horizontal regression line, no breakpoint found.\","
            ",,,,,,,0,0,,,,,,0,,,,,,,,,,,,\r\n");
  EXPECT_EQ(CsvField("plain"), "plain");
  EXPECT_EQ(CsvField("say \"hi\""), "\"say \"\"hi\"\"\"");
  EXPECT_EQ(CsvField(" lead"), "\" lead\"");
  EXPECT_EQ(CsvField("two\nlines"), "\"two\nlines\"");
}

// A broken line in the results table: every breakpoint with its error and intervals, their
// number, the analysis by name rather than a type 2 of the segmented types, and the broken
// line's break test; the numbers are those of the group's JSON line.
TEST(GroupRun, BrokenLinesFillTheirColumns) {
  TempDir dir;
  std::string text = "g,y,x\n";
  std::mt19937 rng(3);
  std::normal_distribution<double> noise(0, 0.3);
  for (int i = 0; i < 60; ++i) {
    const double x = i * 100.0 / 59;
    const double y = 5 + 0.1 * x - 0.3 * std::max(x - 30, 0.0) + 0.4 * std::max(x - 70, 0.0);
    std::ostringstream line;
    line.precision(17);
    line << "bends," << y + noise(rng) << ',' << x << "\n";
    line << "flat," << 2 + noise(rng) << ',' << x << "\n";
    text += line.str();
  }
  WriteFileBytes(dir / "t.csv", text);
  for (const char* choice : {"2", "3", "auto"}) {
    SCOPED_TRACE(choice);
    Command c;
    ASSERT_EQ(c.Run({(dir / "t.csv").string(), "--by", "g", "--breakpoints", choice,
                     "--permutations", "19", "--results", (dir / "r.csv").string(),
                     "--json-lines", (dir / "r.jsonl").string()}),
              kExitDone)
        << c.err;
    const auto rows = ParseCsv(ReadFileBytes(dir / "r.csv"));
    ASSERT_EQ(rows.size(), 3u);
    auto cell = [&](size_t row, const std::string& column) {
      const auto at = std::find(rows[0].begin(), rows[0].end(), column);
      EXPECT_NE(at, rows[0].end()) << column;
      return at == rows[0].end() ? std::string("?") : rows[row][static_cast<size_t>(at - rows[0].begin())];
    };
    // The old columns keep their places.
    EXPECT_EQ(rows[0][19], "reason");
    std::istringstream lines(ReadFileBytes(dir / "r.jsonl"));
    for (size_t g = 1; g <= 2; ++g) {
      std::string line;
      ASSERT_TRUE(std::getline(lines, line));
      const json j = json::parse(line);
      SCOPED_TRACE(j["group"].get<std::string>());
      EXPECT_EQ(cell(g, "analysis"), "broken line");
      EXPECT_EQ(cell(g, "type"), "");
      const int k = j["number_of_breakpoints"]["reported"];
      EXPECT_EQ(cell(g, "number_of_breakpoints"), std::to_string(k));
      const std::string fields[] = {"value", "standard_error", "lower_limit", "upper_limit",
                                    "likelihood_lower", "likelihood_upper"};
      const std::string columns[] = {"breakpoint", "standard_error", "lower_limit", "upper_limit",
                                     "likelihood_lower", "likelihood_upper"};
      for (int p = 0; p < 3; ++p) {
        const std::string suffix = p == 0 ? "" : "_" + std::to_string(p + 1);
        for (size_t f = 0; f < 6; ++f) {
          EXPECT_EQ(cell(g, columns[f] + suffix),
                    p < k ? NumberText(j["breakpoints"][static_cast<size_t>(p)][fields[f]]) : "")
              << columns[f] + suffix;
        }
      }
      const json& compared = j["number_of_breakpoints"]["compared"];
      const json p = compared.size() > 1 ? compared[1]["permutation_p"] : json(nullptr);
      EXPECT_EQ(cell(g, "break_test_p"), NumberText(p));
    }
    if (std::string(choice) == "2") {
      EXPECT_EQ(cell(1, "number_of_breakpoints"), "2");
      EXPECT_NE(cell(1, "breakpoint_2"), "");
    }
    if (std::string(choice) == "auto") {
      EXPECT_NE(cell(1, "break_test_p"), "");  // the test ran, and its p is there
    }
  }
}

// An empty group value and the text "(empty)" are two groups, apart in every file: the empty one
// is an empty field (in the JSON an empty text), with its rows counted like any other's.
TEST(GroupRun, AnEmptyGroupIsNotTheTextEmpty) {
  TempDir dir;
  std::string text = "g,y,x\n";
  for (int i = 0; i < 5; ++i) text += "," + std::to_string(i) + "," + std::to_string(i) + "\n";
  for (int i = 0; i < 4; ++i) text += "(empty),1," + std::to_string(i) + "\n";
  text += ",NA,9\n";
  WriteFileBytes(dir / "t.csv", text);
  Command c;
  ASSERT_EQ(c.Run({(dir / "t.csv").string(), "--by", "g", "--results", (dir / "r.csv").string(),
                   "--json-lines", (dir / "r.jsonl").string(), "--reports", "--permutations",
                   "0", "-o", (dir / "out").string()}),
            kExitDone)
      << c.err;
  const auto rows = ParseCsv(ReadFileBytes(dir / "r.csv"));
  std::istringstream lines(ReadFileBytes(dir / "r.jsonl"));
  struct Expected {
    std::string group, rowsUsed, rowsLeftOut, report;
  };
  const Expected expected[] = {{"", "5", "1", "t-_empty_.out"},
                               {"(empty)", "4", "0", "t-_empty_-2.out"}};
  ASSERT_EQ(rows.size(), 3u);
  for (size_t g = 0; g < 2; ++g) {
    const Expected& e = expected[g];
    SCOPED_TRACE(e.group);
    EXPECT_EQ((std::vector<std::string>(rows[g + 1].begin(), rows[g + 1].begin() + 3)),
              (std::vector<std::string>{e.group, e.rowsUsed, e.rowsLeftOut}));
    std::string line;
    ASSERT_TRUE(std::getline(lines, line));
    const json j = json::parse(line);
    EXPECT_EQ(j["group"], e.group);
    EXPECT_EQ(j["rows_used"], std::stoi(e.rowsUsed));
    EXPECT_TRUE(fs::exists(dir / "out" / e.report));
  }
  // The report of the empty group still names it in its title.
  EXPECT_NE(ReadFileBytes(dir / "out" / "t-_empty_.out").find("g (empty)"), std::string::npos);
}

// Reports only when asked for, under safe names; a file on disk that a group's name would give is
// never read, replaced or removed by a run that keeps its reports in memory.
TEST(GroupRun, ReportsOnRequestUnderSafeNames) {
  TempDir dir;
  std::string text = "g,y,x\n";
  for (int i = 0; i < 12; ++i) {
    text += "a/b," + std::to_string(i % 3) + "," + std::to_string(i) + "\n";
    text += "a_b," + std::to_string(i) + "," + std::to_string(i) + "\n";
  }
  text += "few,1,1\n";
  WriteFileBytes(dir / "t.csv", text);
  WriteFileBytes(dir / "t-few.out", "precious\n");
  WriteFileBytes(dir / "t-a_b.out", "precious too\n");
  Command c;
  ASSERT_EQ(c.Run({(dir / "t.csv").string(), "--by", "g", "--results", (dir / "r.csv").string(),
                   "--permutations", "0"}),
            kExitDone)
      << c.err;
  EXPECT_EQ(ReadFileBytes(dir / "t-few.out"), "precious\n");
  EXPECT_EQ(ReadFileBytes(dir / "t-a_b.out"), "precious too\n");
  EXPECT_FALSE(fs::exists(dir / "t-a_b.var"));

  ASSERT_EQ(c.Run({(dir / "t.csv").string(), "--by", "g", "--reports", "--permutations", "0",
                   "-o", (dir / "reports").string()}),
            kExitDone)
      << c.err;
  std::vector<std::string> files;
  for (const auto& entry : fs::directory_iterator(dir / "reports")) {
    files.push_back(entry.path().filename().string());
  }
  std::sort(files.begin(), files.end());
  EXPECT_EQ(files, (std::vector<std::string>{"t-a_b-2.out", "t-a_b-2.var", "t-a_b.out",
                                             "t-a_b.var"}));
  EXPECT_NE(ReadFileBytes(dir / "reports" / "t-a_b.out").find("t-a_b.out"), std::string::npos);

  struct NameCase {
    std::vector<std::string> values;
    std::vector<std::string> names;
  };
  const std::vector<NameCase> names = {
      {{"north", "North", "NORTH"}, {"north", "North-2", "NORTH-3"}},
      {{"", "../etc", ".hidden", "a b"}, {"_empty_", "_._etc", "_hidden", "a_b"}},
      {{"Z\xC3\xBCrich", "bad\xFF", "12.5"}, {"Z\xC3\xBCrich", "bad_", "12.5"}},
      {{std::string(150, 'x')}, {std::string(100, 'x')}},
  };
  for (const NameCase& n : names) EXPECT_EQ(SafeGroupFileNames(n.values), n.names);
}

TEST(GroupRun, BadInputIsRefusedWithAMessage) {
  TempDir dir;
  WriteFileBytes(dir / "t.csv", "well,level,rain\nA,1,2\nA,2,3\nA,3,5\n");
  fs::copy_file(fs::path(VORNAX_EXAMPLES_DIR) / "01-yield-watertable.inp", dir / "e.inp");
  const std::string table = (dir / "t.csv").string();
  const std::string results = (dir / "r.csv").string();
  struct Case {
    std::vector<std::string> args;
    std::string message;
  };
  const std::vector<Case> cases = {
      {{table, "--by", "site", "--results", results},
       "--by site: \"" + table + "\" has no column of that name; its columns are 1 \"well\", "
       "2 \"level\", 3 \"rain\""},
      {{table, "--by", "4", "--results", results}, "has the columns 1 to 3"},
      {{(dir / "e.inp").string(), "--by", "1", "--results", results},
       "--by splits a table into groups; \"" + (dir / "e.inp").string() +
           "\" is an input file of one data set"},
      {{table, "--results", results}, "--results, --json-lines and --reports go with --by"},
      {{table, "--by", "well"}, "--by needs somewhere to put the results"},
      {{table, "--by", "well", "--results", results, "--json", (dir / "j.json").string()},
       "--json and --graph describe a single run"},
      {{table, "--by", "well", "--results", table}, "is the input; choose another name"},
      {{table, "--by", "well", "--results", results, "--json-lines", results},
       "--results and --json-lines name the same file"},
      {{table, "--by", "well", "--y", "well", "--x", "rain", "--results", results},
       "the column \"well\" is already used"},
  };
  for (const Case& c : cases) {
    Command run;
    EXPECT_EQ(run.Run(c.args), kExitUsage) << c.message;
    EXPECT_NE(run.err.find(c.message), std::string::npos) << run.err;
    EXPECT_FALSE(fs::exists(results));
  }
}

// Results come back in job order whatever order the threads finish in; a refusal to take one
// stops the rest; the progress callback sees the count grow.
TEST(GroupRun, ResultsInOrderFromSeveralThreads) {
  std::vector<std::string> taken;
  std::vector<size_t> progress;
  const auto job = [](size_t i) {
    std::this_thread::sleep_for(std::chrono::microseconds((i * 7919) % 13 * 200));
    FinishedGroup f;
    f.Row = std::to_string(i);
    return f;
  };
  ASSERT_TRUE(RunInOrder(
      60, 3, job,
      [&](FinishedGroup&& f) {
        taken.push_back(f.Row);
        return true;
      },
      [&](size_t done, double) { progress.push_back(done); }, 0.0));
  ASSERT_EQ(taken.size(), 60u);
  for (size_t i = 0; i < taken.size(); ++i) EXPECT_EQ(taken[i], std::to_string(i));
  EXPECT_FALSE(progress.empty());
  EXPECT_TRUE(std::is_sorted(progress.begin(), progress.end()));

  taken.clear();
  EXPECT_FALSE(RunInOrder(
      1000, 2, job,
      [&](FinishedGroup&& f) {
        taken.push_back(f.Row);
        return taken.size() < 5;
      },
      {}, 1.0));
  EXPECT_EQ(taken.size(), 5u);
}

}  // namespace
}  // namespace vornax::batch
