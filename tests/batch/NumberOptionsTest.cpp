// The options that take a number: a finite decimal number or nothing at all. Every other text is
// refused by name before the table is read, so that no value the user did not type (an empty
// text read as 0, NaN, a hexadecimal 5) reaches the analysis.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "batch/BatchCommand.h"
#include "batch/FakeBatch.h"
#include "support/TestSupport.h"

namespace vornax::batch {
namespace {

namespace fs = std::filesystem;

TEST(NumberOptions, OnlyFiniteDecimalNumbersAreTaken) {
  struct Case {
    std::vector<std::string> option;
    std::string message;  // empty: taken
  };
  const Case cases[] = {
      {{"--breakpoint", ""}, "--breakpoint: \"\" is not a number"},
      {{"--breakpoint", "nan"}, "--breakpoint: \"nan\" is not a number"},
      {{"--breakpoint", "inf"}, "--breakpoint: \"inf\" is not a number"},
      {{"--breakpoint", "0x5"}, "--breakpoint: \"0x5\" is not a number"},
      {{"--breakpoint", "0x1p2"}, "--breakpoint: \"0x1p2\" is not a number"},
      {{"--breakpoint", "1e999"}, "--breakpoint: \"1e999\" is not a finite number"},
      {{"--breakpoint", " 4"}, "--breakpoint: \" 4\" is not a number"},
      {{"--breakpoint", "4."}, ""},
      {{"--breakpoint", "-.5e1"}, ""},
      {{"--search-range", "nan", "9"}, "--search-range: \"nan\" is not a number"},
      {{"--search-range", "1", "0x9"}, "--search-range: \"0x9\" is not a number"},
      {{"--search-range", "1.5", "2E+1"}, ""},
      {{"--confidence", "0x5a"}, "--confidence: \"0x5a\" is not a number"},
      {{"--confidence", "90.0"}, "--confidence: \"90.0\" is not a whole number"},
      {{"--exclude", "3e0"}, "--exclude: \"3e0\" is not a whole number"},
      {{"--exclude-z", ""}, "--exclude-z: \"\" is not a number"},
      {{"--permutations", "0x10"}, "--permutations: \"0x10\" is not a number"},
      {{"--permutations", "+19"}, ""},
      {{"--stop-early", "nan"}, "--stop-early: \"nan\" is not a number"},
  };
  for (const Case& c : cases) {
    test::TempDir dir;
    test::WriteFileBytes(dir / "field.csv", "y,x\n1,1\n2,2\n3,3\n5,4\n7,5\n9,6\n");
    std::vector<std::string> args{(dir / "field.csv").string()};
    args.insert(args.end(), c.option.begin(), c.option.end());
    SCOPED_TRACE(testing::PrintToString(args));
    test::Batch b;
    const int code = b.Run(args);
    if (c.message.empty()) {
      EXPECT_EQ(b.err.find("is not a"), std::string::npos) << b.err;
      continue;
    }
    EXPECT_EQ(code, kExitUsage);
    EXPECT_NE(b.err.find(c.message + "\n"), std::string::npos) << b.err;
    // Refused before any work: no input file written, no analysis run.
    EXPECT_FALSE(fs::exists(dir / "field.inp"));
    EXPECT_TRUE(b.fakes.calls.empty());
  }
}

}  // namespace
}  // namespace vornax::batch
