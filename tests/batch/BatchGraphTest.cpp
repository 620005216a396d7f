// vornax-batch --graph: the graph of the run's report drawn and saved, with the real analyses
// on the shipped examples.
#include <gtest/gtest.h>

#include <QImage>
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

struct GraphRun {
  test::TempDir dir;
  std::string out, err;
  fs::path Example(const std::string& name) {
    const fs::path target = dir / name;
    fs::copy_file(fs::path(VORNAX_EXAMPLES_DIR) / name, target);
    return target;
  }
  int Run(std::vector<std::string> args) {
    args.push_back("--permutations");
    args.push_back("0");
    args.push_back("--quiet");
    return test::RunBatchCommand(args, out, err);
  }
};

TEST(BatchGraph, PngOnRequestBmpForAnyOtherName) {
  GraphRun r;
  const fs::path inp = r.Example("01-yield-watertable.inp");
  ASSERT_EQ(r.Run({inp.string(), "--graph", (r.dir / "g.png").string()}), kExitDone) << r.err;
  EXPECT_NE(r.out.find((r.dir / "g.png").string()), std::string::npos);
  QImage png((r.dir / "g.png").string().c_str(), "PNG");
  ASSERT_FALSE(png.isNull());
  EXPECT_EQ(png.width(), 623);
  EXPECT_EQ(png.height(), 425);
  EXPECT_EQ(png.pixelColor(0, 0), QColor(192, 192, 192));
  EXPECT_EQ(png.pixelColor(600, 395), QColor(0, 0, 139));

  ASSERT_EQ(r.Run({inp.string(), "--graph", (r.dir / "g.jpg").string(), "--black-white",
                   "--no-belt", "--no-block"}),
            kExitDone)
      << r.err;
  EXPECT_FALSE(fs::exists(r.dir / "g.jpg"));
  const std::string bmp = test::ReadFileBytes(r.dir / "g.bmp");
  ASSERT_GT(bmp.size(), 2u);
  EXPECT_EQ(bmp.substr(0, 2), "BM");
  QImage bw((r.dir / "g.bmp").string().c_str(), "BMP");
  ASSERT_FALSE(bw.isNull());
  EXPECT_EQ(bw.pixelColor(600, 395), QColor(Qt::white));
}

TEST(BatchGraph, KindsOfATwoVariableRunAndRefusals) {
  GraphRun r;
  const fs::path two = r.Example("02-yield-depth-salinity.inp");
  for (const char* kind : {"y-x", "residuals", "calc-obs", "y-z", "x-z"}) {
    const fs::path target = r.dir / (std::string(kind) + ".png");
    EXPECT_EQ(r.Run({two.string(), "--graph", target.string(), "--graph-kind", kind}), kExitDone)
        << kind << r.err;
    EXPECT_TRUE(fs::exists(target)) << kind;
  }
  // A one-variable run has no residuals on a second variable.
  const fs::path one = r.Example("01-yield-watertable.inp");
  EXPECT_EQ(r.Run({one.string(), "--graph", (r.dir / "r.png").string(), "--graph-kind",
                   "residuals"}),
            kExitUsage);
  EXPECT_NE(r.err.find("needs a run on two variables"), std::string::npos);
  EXPECT_EQ(r.Run({one.string(), "--graph", (r.dir / "r.png").string(), "--graph-kind", "z-y"}),
            kExitUsage);
  // A folder that does not exist: the graph is not written and the command says so.
  EXPECT_EQ(r.Run({one.string(), "--graph", (r.dir / "none" / "g.png").string()}), kExitUsage);
  EXPECT_NE(r.err.find("could not be written"), std::string::npos);
}

TEST(BatchGraph, CurveAndPartialRuns) {
  GraphRun r;
  const fs::path curved = r.Example("04-grass-nitrogen-curved.inp");
  ASSERT_EQ(r.Run({curved.string(), "--curve", "quadratic", "--graph", (r.dir / "q.png").string()}),
            kExitDone)
      << r.err;
  EXPECT_TRUE(fs::exists(r.dir / "q.png"));
  const fs::path one = r.Example("01-yield-watertable.inp");
  ASSERT_EQ(r.Run({one.string(), "--prefer", "partial", "--graph", (r.dir / "p.png").string()}),
            kExitDone)
      << r.err;
  QImage p((r.dir / "p.png").string().c_str(), "PNG");
  ASSERT_FALSE(p.isNull());
  // The partial-regression panel is silver in the colour graph.
  EXPECT_EQ(p.pixelColor(600, 395), QColor(192, 192, 192));
}

}  // namespace
}  // namespace vornax::batch
