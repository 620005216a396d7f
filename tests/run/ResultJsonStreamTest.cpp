// The JSON of a run written as a stream: the text is, byte for byte, the JSON library's own dump
// of the same content with "program" first, while no piece handed on holds more than a row of
// the data table.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "data/RunOptions.h"
#include "data/TextFile.h"
#include "run/ResultJson.h"
#include "support/TestSupport.h"

namespace vornax {
namespace {

using nlohmann::json;

// What the library writes for the parsed text: "program" first, the other keys in its order.
std::string LibraryDump(const std::string& text, int indent) {
  json j = json::parse(text);
  const json program = j["program"];
  j.erase("program");
  const std::string rest = j.dump(indent);
  if (indent < 0) return "{\"program\":" + program.dump() + "," + rest.substr(1) + "\n";
  return "{\n" + std::string(static_cast<size_t>(indent), ' ') + "\"program\": " +
         program.dump() + "," + rest.substr(1) + "\n";
}

RunResult WithRows(const char* analysis, const char* variable, size_t n) {
  RunResult r;
  r.Valid = true;
  r.Analysis = analysis;
  r.Variable = variable;
  r.Type = 1;
  r.Anova.push_back({"explained", "lin. regr.", 1.5, 1, static_cast<int>(n) - 2, 2.0, 80.0, 3});
  const double awkward[] = {0.1, -0.0, 1e-300, 1e21, 123456789.125, -7, 1.0 / 3,
                            std::numeric_limits<double>::quiet_NaN()};
  for (size_t i = 0; i < n; ++i) {
    const double v = awkward[i % std::size(awkward)] * static_cast<double>(i + 1);
    r.X.push_back(v);
    r.Y.push_back(-v / 7);
    r.YCalc.push_back(v + 0.5);
    r.Added.push_back(i % 3 == 1);
    if (std::string(analysis) == "two-variable") {
      r.Z.push_back(v * 2);
      r.FirstResiduals.push_back(v / 9);
    }
  }
  r.Warnings = {"a \"quoted\" word\nand a line"};
  return r;
}

TEST(ResultJsonStream, TheLibrarysOwnLayoutInPiecesOfARowAtMost) {
  struct Case {
    const char* name;
    RunResult result;
  };
  const Case cases[] = {
      {"one variable, X", WithRows("one-variable", "X", 20)},
      {"one variable, Z", WithRows("one-variable", "Z", 9)},
      {"two variables", WithRows("two-variable", "X", 11)},
      {"no data rows", WithRows("curve", "X", 0)},
      {"one row", WithRows("one-variable", "X", 1)},
  };
  ResultFiles files;
  files.Input = "a.inp";
  files.Arguments = {"a.csv", "--json", "a.json"};
  files.LeftOut = {{4, "missing Y"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::string text;
    size_t largest = 0;
    WriteResultJsonText(c.result, RunOptions{}, files, [&](std::string_view piece) {
      text += piece;
      largest = std::max(largest, piece.size());
    });
    EXPECT_EQ(text, LibraryDump(text, 2));
    EXPECT_EQ(text, ResultJsonText(c.result, RunOptions{}, files));
    EXPECT_EQ(json::parse(text)["data"].size(), c.result.X.size());
    GroupHead head;
    head.Group = "g";
    const std::string line = ResultJsonLine(&c.result, RunOptions{}, files, head);
    EXPECT_EQ(line, LibraryDump(line, -1));
    EXPECT_EQ(line.find('\n'), line.size() - 1);
    EXPECT_LT(largest, 2000u);
  }

  // A large table goes to the file as it is made: the file holds the same text.
  test::TempDir dir;
  const RunResult large = WithRows("one-variable", "X", 30000);
  std::string error;
  ASSERT_TRUE(WriteResultJson(dir / "large.json", large, RunOptions{}, files, error)) << error;
  const std::string written = test::ReadFileBytes(dir / "large.json");
  EXPECT_GT(written.size(), TextFileWriter::kSpillBytes);
  EXPECT_EQ(written, ResultJsonText(large, RunOptions{}, files));
  EXPECT_EQ(written, LibraryDump(written, 2));
}

}  // namespace
}  // namespace vornax
