// vornax-batch with the real analyses on the shipped two-variable example: the default runs both
// variables, the Z options reach the Z search, and a preference that is not found stops the run
// without leaving a report.
#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "batch/BatchCommand.h"
#include "batch/CommandRun.h"
#include "support/TestSupport.h"

namespace vornax::batch {
namespace {

namespace fs = std::filesystem;

struct RealBatch {
  test::TempDir dir;
  std::string out, err;
  fs::path input;

  RealBatch() {
    input = dir / "trial.inp";
    fs::copy_file(fs::path(VORNAX_EXAMPLES_DIR) / "02-yield-depth-salinity.inp", input);
  }
  int Run(std::vector<std::string> args) {
    args.insert(args.begin(), input.string());
    return test::RunBatchCommand(args, out, err);
  }
  std::vector<std::string> Lines(const char* ext) const {
    return test::ReadLines(dir / (std::string("trial") + ext));
  }
  bool Has(const char* line) const {
    for (const std::string& l : Lines(".out")) {
      if (l == line) return true;
    }
    return false;
  }
};

TEST(TwoVariableBatch, BothVariablesByDefault) {
  RealBatch b;
  ASSERT_EQ(b.Run({}), kExitDone) << b.err;
  // The report's path, then the summary of both stages.
  EXPECT_EQ(b.out.substr(0, b.out.find('\n') + 1), (b.dir / "trial.out").string() + "\n");
  EXPECT_NE(b.out.find("\nSequence 1: Y upon X first, then the residuals upon Z\n"),
            std::string::npos);
  const auto out = b.Lines(".out");
  ASSERT_FALSE(out.empty());
  EXPECT_EQ(out[0], " Results of program VORNAX2 for the segmented linear regression of");
  EXPECT_TRUE(b.Has(" SUMMARY OF THE Y-X-Z REGRESSION."));
  EXPECT_TRUE(b.Has(" Y-X  Function type : 4  - first a sloping segment, then horizontal."));
  EXPECT_TRUE(b.Has(" YXr-Z Function type: 3  - first a horizontal segment, then sloping."));
  const auto table = b.Lines(".var");
  ASSERT_FALSE(table.empty());
  EXPECT_EQ(table[0],
            " Variance Analysis, ANOVA table, Regression Types: 1st Type: 4, 2nd Type: 3");
}

TEST(TwoVariableBatch, ZOptionsActOnZ) {
  RealBatch b;
  // Type 3 is what Z's own search finds; excluding it for Z changes the Z stage only.
  ASSERT_EQ(b.Run({"--exclude-z", "3"}), kExitDone) << b.err;
  EXPECT_TRUE(b.Has(" Y-X  Function type : 4  - first a sloping segment, then horizontal."));
  EXPECT_FALSE(b.Has(" YXr-Z Function type: 3  - first a horizontal segment, then sloping."));
  EXPECT_TRUE(b.Has(" X-type excluded: None Z-type excluded: 3 "));
}

TEST(TwoVariableBatch, APreferenceNotFoundLeavesNoReport) {
  RealBatch b;
  ASSERT_EQ(b.Run({}), kExitDone) << b.err;
  ASSERT_TRUE(fs::exists(b.dir / "trial.out"));
  EXPECT_EQ(b.Run({"--prefer-z", "6"}), kExitRefused);
  EXPECT_NE(b.err.find(" The preferred Z-type could not be found. Try another preference."),
            std::string::npos)
      << b.err;
  EXPECT_EQ(b.out, "");
  EXPECT_FALSE(fs::exists(b.dir / "trial.out"));
  EXPECT_FALSE(fs::exists(b.dir / "trial.var"));
}

}  // namespace
}  // namespace vornax::batch
