// vornax-batch --graph: the graph of the run's report drawn and saved, with the real analyses
// on the shipped examples.
#include <gtest/gtest.h>

#include <QImage>
#include <cstdlib>
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

TEST(BatchGraph, PngOnRequestAndNoNameOfAnotherKind) {
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

  // An extension that names no format of the graph's is refused before the run.
  fs::remove(r.dir / "01-yield-watertable.out");
  for (const char* name : {"g.jpg", "g.xyz", "g"}) {
    EXPECT_EQ(r.Run({inp.string(), "--graph", (r.dir / name).string()}), kExitUsage) << name;
    EXPECT_NE(r.err.find("the name's extension gives the format; use .svg, .pdf, .png or .bmp"),
              std::string::npos)
        << r.err;
    EXPECT_FALSE(fs::exists(r.dir / "g.bmp")) << name;
    EXPECT_FALSE(fs::exists(r.dir / "01-yield-watertable.out")) << name;
  }
  ASSERT_EQ(r.Run({inp.string(), "--graph", (r.dir / "g.bmp").string(), "--black-white",
                   "--no-belt", "--no-block"}),
            kExitDone)
      << r.err;
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
  // A folder that does not exist: said before the run, which writes nothing.
  EXPECT_EQ(r.Run({one.string(), "--graph", (r.dir / "none" / "g.png").string()}), kExitUsage);
  EXPECT_NE(r.err.find("\" does not exist\nNo such file or directory\n"), std::string::npos) << r.err;
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
  // The partial-regression graph has the dark blue panel of the others.
  EXPECT_EQ(p.pixelColor(600, 395), QColor(0, 0, 139));
}

TEST(BatchGraph, SvgPdfAndBitmapsOfAnySize) {
  GraphRun r;
  const fs::path inp = r.Example("01-yield-watertable.inp");
  struct Case {
    std::vector<std::string> extra;
    std::string name, start;
    QSize size;  // bitmaps
  };
  for (const Case& c : std::vector<Case>{
           {{}, "g.svg", "<?xml", {}},
           {{}, "g.pdf", "%PDF-", {}},
           {{"--graph-size", "1246x850"}, "big.png", "\x89PNG", {1246, 850}},
           {{"--graph-size", "300X200"}, "small.bmp", "BM", {300, 200}},
           {{}, "default.png", "\x89PNG", {623, 425}}}) {
    std::vector<std::string> args = {inp.string(), "--graph", (r.dir / c.name).string()};
    args.insert(args.end(), c.extra.begin(), c.extra.end());
    ASSERT_EQ(r.Run(args), kExitDone) << c.name << r.err;
    EXPECT_NE(r.out.find((r.dir / c.name).string()), std::string::npos) << c.name;
    const std::string bytes = test::ReadFileBytes(r.dir / c.name);
    EXPECT_EQ(bytes.substr(0, c.start.size()), c.start) << c.name;
    if (c.size.isValid()) {
      EXPECT_EQ(QImage(QString::fromStdString((r.dir / c.name).string())).size(), c.size);
    }
  }
  // A graph of this program's is replaced by the next run; a BMP of anyone else's (one without
  // the mark in its header) only with --overwrite.
  for (const char* name : {"g.svg", "g.pdf", "big.png", "small.bmp"}) {
    EXPECT_EQ(r.Run({inp.string(), "--graph", (r.dir / name).string()}), kExitDone) << name << r.err;
  }
  std::string foreignBmp = test::ReadFileBytes(r.dir / "small.bmp");
  foreignBmp.replace(6, 4, std::string(4, '\0'));
  test::WriteFileBytes(r.dir / "small.bmp", foreignBmp);
  EXPECT_EQ(r.Run({inp.string(), "--graph", (r.dir / "small.bmp").string()}), kExitUsage);
  EXPECT_NE(r.err.find("small.bmp\" already exists and is not a file this program wrote; it is "
                       "left as it is. Use --overwrite to replace it, or choose another name."),
            std::string::npos)
      << r.err;
  EXPECT_EQ(test::ReadFileBytes(r.dir / "small.bmp"), foreignBmp);
  EXPECT_EQ(r.Run({inp.string(), "--graph", (r.dir / "small.bmp").string(), "--overwrite"}),
            kExitDone);
  EXPECT_EQ(QImage(QString::fromStdString((r.dir / "small.bmp").string())).size(), QSize(623, 425));

  const std::string svg = test::ReadFileBytes(r.dir / "g.svg");
  EXPECT_NE(svg.find("Wheat yield and depth of the water table"), std::string::npos);
  // The title names the columns: the captions say them.
  EXPECT_NE(svg.find("grain yield (t/ha)"), std::string::npos);

  // A size that is none: refused before anything is run or written.
  for (const char* size : {"623", "0x425", "623x", "axb", "623x425x2", "99999x10"}) {
    const fs::path target = r.dir / "never.png";
    EXPECT_EQ(r.Run({inp.string(), "--output-dir", (r.dir / "never").string(), "--graph",
                     target.string(), "--graph-size", size}),
              kExitUsage)
        << size;
    EXPECT_NE(r.err.find("WxH"), std::string::npos) << size;
    EXPECT_FALSE(fs::exists(target));
    EXPECT_FALSE(fs::exists(r.dir / "never" / "01-yield-watertable.out")) << size;
  }
}

// The program itself: a run without --graph loads no Qt library; with it, the graph library.
TEST(BatchGraph, QtIsLoadedOnlyForAGraph) {
  GraphRun r;
  const fs::path inp = r.Example("01-yield-watertable.inp");
  auto loaded = [&](const std::string& extra) {
    const std::string command = std::string("LD_DEBUG=files \"") + VORNAX_BATCH_EXE + "\" \"" +
                                inp.string() + "\" --permutations 0 --quiet " + extra +
                                " >/dev/null 2>\"" + (r.dir / "loads").string() + "\"";
    EXPECT_EQ(std::system(command.c_str()), 0) << extra;
    return test::ReadFileBytes(r.dir / "loads");
  };
  const std::string without = loaded("");
  EXPECT_EQ(without.find("libQt6"), std::string::npos);
  EXPECT_EQ(without.find("libvornax-graph"), std::string::npos);
  const std::string with = loaded("--graph \"" + (r.dir / "g.png").string() + "\"");
  EXPECT_NE(with.find("libvornax-graph.so"), std::string::npos);
  EXPECT_NE(with.find("libQt6Gui"), std::string::npos);
  EXPECT_TRUE(fs::exists(r.dir / "g.png"));
}

}  // namespace
}  // namespace vornax::batch
