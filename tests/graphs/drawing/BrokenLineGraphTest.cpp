// The graph of a broken line with several breakpoints, read back from its golden report: the
// values the reader takes, and the line, the breakpoint texts and the interval bars drawn.
#include <gtest/gtest.h>

#include <QColor>
#include <QImage>
#include <algorithm>
#include <filesystem>

#include "data/GraphDataReader.h"
#include "data/TextFile.h"
#include "graphs/drawing/GraphDrawing.h"

namespace vornax {
namespace {

GraphData ReadBrokenLine(const std::string& name) {
  const auto lines = ReadTextLines(std::filesystem::path(VORNAX_GOLDEN_DIR) / name);
  GraphData g;
  EXPECT_TRUE(lines.has_value());
  if (lines) {
    EXPECT_EQ(ParseBrokenLineGraphData(*lines, g), GraphReadStatus::Ok) << name;
  }
  return g;
}

TEST(BrokenLineGraph, ReadsTheReportAndDrawsTheLineThroughItsBreakpoints) {
  const GraphData g = ReadBrokenLine("broken_lines_exact.out");
  EXPECT_EQ(OutputFamilyOf(" Bro"), OutputFamily::BrokenLine);
  ASSERT_TRUE(g.BrokenLine.has_value());
  const GraphBrokenLine& b = *g.BrokenLine;
  EXPECT_EQ(b.Breakpoints, (std::vector<double>{6, 13}));
  EXPECT_EQ(b.Slopes, (std::vector<double>{0.5, -1.5, 2}));
  EXPECT_EQ(b.Intercepts, (std::vector<double>{2, 14, -31.5}));
  EXPECT_EQ(g.NrOfRows, 21);
  // The line's value is continuous at the breakpoints and passes every calculated value.
  for (int i = 0; i < g.NrOfRows; ++i) EXPECT_NEAR(b(g.GraphX[i]), g.GraphYcalc[i], 1e-9) << i;

  GraphOptions options;
  const GraphPicture p = DrawGraph(g, options);
  ASSERT_TRUE(p.Drawn) << p.Message;
  auto has = [&](const std::string& text) {
    return std::find(p.Texts.begin(), p.Texts.end(), text) != p.Texts.end();
  };
  EXPECT_TRUE(has("Broken line with 2 break-points"));
  EXPECT_TRUE(has("Break-point 1 at X = 6"));
  EXPECT_TRUE(has("Break-point 2 at X = 13"));
  EXPECT_TRUE(has("90% confidence intervals of the break-points are shown"));
  // A cyan line pixel near the drawn place of the first breakpoint, and the magenta bar's drop
  // line below it; no magenta without the block.
  const QColor cyan(0, 255, 255), magenta(255, 0, 255);
  const int x = MapHorizontal(6 * p.Scale.Horizontal.LabelFactor, p.HorizontalTicks);
  const int y = MapVertical(5 * p.Scale.Vertical.LabelFactor, p.VerticalTicks);
  bool line = false, drop = false;
  for (int dx = -2; dx <= 2; ++dx)
    for (int dy = -2; dy <= 2; ++dy) line = line || p.Image.pixelColor(x + dx, y + dy) == cyan;
  for (int yy = y + 3; yy < 356; ++yy) drop = drop || p.Image.pixelColor(x, yy) == magenta;
  EXPECT_TRUE(line);
  EXPECT_TRUE(drop);
  options.ShowBlock = false;
  const GraphPicture plain = DrawGraph(g, options);
  bool anyMagenta = false;
  for (int yy = 0; yy < plain.Image.height() && !anyMagenta; ++yy)
    for (int xx = 0; xx < plain.Image.width() && !anyMagenta; ++xx)
      anyMagenta = plain.Image.pixelColor(xx, yy) == magenta;
  EXPECT_FALSE(anyMagenta);
}


// The words after an interval that reaches the end of the range leave the numbers readable.
TEST(BrokenLineGraph, ReadsIntervalsFollowedByWords) {
  const auto lines = ReadTextLines(std::filesystem::path(VORNAX_GOLDEN_DIR) / "broken_lines_noisy.out");
  ASSERT_TRUE(lines.has_value());
  GraphData plain;
  ASSERT_EQ(ParseBrokenLineGraphData(*lines, plain), GraphReadStatus::Ok);
  ASSERT_EQ(plain.BrokenLine->LikelihoodLower.size(), 2u);
  const char* words[] = {"  (lower end)", "  (upper end)", "  (both ends)"};
  for (const char* w : words) {
    std::vector<std::string> marked = *lines;
    const auto row = std::find_if(marked.begin(), marked.end(), [](const std::string& l) {
      return l.rfind("    1  ", 0) == 0 && l.find(" to") != std::string::npos;
    });
    ASSERT_NE(row, marked.end());
    *row += w;
    GraphData g;
    ASSERT_EQ(ParseBrokenLineGraphData(marked, g), GraphReadStatus::Ok) << w;
    EXPECT_EQ(g.BrokenLine->LikelihoodLower, plain.BrokenLine->LikelihoodLower) << w;
    EXPECT_EQ(g.BrokenLine->LikelihoodUpper, plain.BrokenLine->LikelihoodUpper) << w;
  }
}

}  // namespace
}  // namespace vornax
