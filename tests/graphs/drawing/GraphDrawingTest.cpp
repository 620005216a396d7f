// Graphs drawn from the golden reports: pixels at the places the frame, points, lines, belts and
// the breakpoint bar must be, the black-white scheme, and the graph files.
#include <gtest/gtest.h>

#include <QColor>
#include <QImage>
#include <QImageWriter>
#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "GoldenGraph.h"
#include "graphs/drawing/GraphDrawing.h"
#include "support/TestSupport.h"

namespace vornax {
namespace {

GraphData Read(const std::string& name) { return test::ReadGoldenGraph(name); }

QColor At(const QImage& image, int x, int y) { return image.pixelColor(x, y); }

bool HasText(const GraphPicture& p, const std::string& text) {
  return std::find(p.Texts.begin(), p.Texts.end(), text) != p.Texts.end();
}

const QColor kSilver(192, 192, 192);
const QColor kDarkBlue(0, 0, 139);
const QColor kCyan(0, 255, 255);
const QColor kYellow(255, 255, 0);
const QColor kMagenta(255, 0, 255);

bool AnyInColumn(const QImage& image, int x, int y0, int y1, const QColor& colour) {
  for (int y = std::min(y0, y1); y <= std::max(y0, y1); ++y) {
    if (At(image, x, y) == colour) return true;
  }
  return false;
}

int CountColour(const QImage& image, const QColor& colour) {
  int count = 0;
  for (int y = 0; y < image.height(); ++y) {
    for (int x = 0; x < image.width(); ++x) count += At(image, x, y) == colour ? 1 : 0;
  }
  return count;
}

TEST(GraphDrawing, TypeThreeFrameAxesPointsLineBeltAndBlock) {
  GraphData g = Read("one_variable_type3.out");
  // A modest fit, so that the belt belongs on the graph.
  g.First.CE = 0.9;
  const GraphPicture p = DrawGraph(g, GraphOptions{});
  ASSERT_TRUE(p.Drawn) << p.Message;
  const QImage& im = p.Image;
  ASSERT_EQ(im.width(), 623);
  ASSERT_EQ(im.height(), 425);
  // Silver corners, the dark blue panel, white axes.
  for (auto [x, y] : {std::pair{0, 0}, {622, 0}, {0, 424}, {622, 424}}) EXPECT_EQ(At(im, x, y), kSilver);
  EXPECT_EQ(At(im, 600, 395), kDarkBlue);
  EXPECT_EQ(At(im, 70, 200), QColor(Qt::white));
  EXPECT_EQ(At(im, 300, 360), QColor(Qt::white));
  // X from 0 to 29: range 0 .. 31.9, ticks 0 .. 35 by 5 (7 intervals, no decimals).
  EXPECT_EQ(p.HorizontalTicks.Low, 0);
  EXPECT_EQ(p.HorizontalTicks.High, 35);
  EXPECT_EQ(p.HorizontalTicks.Count, 7);
  EXPECT_EQ(p.Captions.Horizontal, "X-Data");
  EXPECT_EQ(p.Captions.Vertical, " Y-Data");
  // The first point (0, 10.2): its centre pixel filled dark blue, its outline white.
  const int x0 = MapHorizontal(0, p.HorizontalTicks), y0 = MapVertical(10.2, p.VerticalTicks);
  EXPECT_EQ(x0, 70);
  EXPECT_EQ(At(im, x0 + 1, y0), kDarkBlue);
  EXPECT_EQ(At(im, x0 + 1, y0 - 2), QColor(Qt::white));
  // The cyan line of type 3 passes the breakpoint's column at the level of 10.
  const int xb = MapHorizontal(15.08, p.HorizontalTicks);
  const int yb = MapVertical(10.0, p.VerticalTicks);
  // (The breakpoint's own column carries the dashed magenta drop line.)
  EXPECT_TRUE(AnyInColumn(im, xb - 1, yb - 2, yb + 2, kCyan));
  EXPECT_TRUE(AnyInColumn(im, xb + 1, yb - 2, yb + 2, kCyan));
  // The belt is dashed yellow; the block bar magenta along y = 355 around the breakpoint.
  EXPECT_GT(CountColour(im, kYellow), 100);
  EXPECT_EQ(At(im, xb, 355), kMagenta);
  EXPECT_EQ(At(im, xb, 354), kMagenta);
  EXPECT_NE(At(im, xb, 357), kMagenta);
  EXPECT_TRUE(p.BeltAvailable);
}

TEST(GraphDrawing, BlackWhiteHasNoColourAtAll) {
  GraphData g = Read("one_variable_type3.out");
  g.First.CE = 0.9;
  GraphOptions o;
  o.Colour = false;
  const GraphPicture p = DrawGraph(g, o);
  ASSERT_TRUE(p.Drawn);
  for (int y = 0; y < p.Image.height(); ++y) {
    for (int x = 0; x < p.Image.width(); ++x) {
      const QColor c = At(p.Image, x, y);
      ASSERT_TRUE(c.red() == c.green() && c.green() == c.blue()) << x << "," << y;
    }
  }
  EXPECT_EQ(At(p.Image, 600, 395), QColor(Qt::white));
  EXPECT_EQ(At(p.Image, 0, 0), kSilver);
}

TEST(GraphDrawing, NoBeltAndNoBlockWhenSwitchedOffOrTheFitIsClose) {
  GraphData g = Read("one_variable_type3.out");  // CE 0.999: no belt
  GraphOptions o;
  o.ShowBlock = false;
  const GraphPicture p = DrawGraph(g, o);
  ASSERT_TRUE(p.Drawn);
  EXPECT_FALSE(p.BeltAvailable);
  EXPECT_EQ(CountColour(p.Image, kYellow), 0);
  EXPECT_EQ(CountColour(p.Image, kMagenta), 0);
}

TEST(GraphDrawing, ValuesAreDividedBackAndTheSourceIsUntouched) {
  // X between 0.1 and 0.5: factor 10 with its caption; the data stay as read.
  GraphData g = Read("one_variable_type1.out");
  for (int i = 0; i < g.NrOfRows; ++i) g.GraphX[static_cast<size_t>(i)] = 0.1 + 0.4 * i / g.NrOfRows;
  const std::vector<double> before = g.GraphX;
  const GraphPicture p = DrawGraph(g, GraphOptions{});
  ASSERT_TRUE(p.Drawn);
  EXPECT_EQ(p.Scale.Horizontal.LabelFactor, 10) << p.Scale.Horizontal.Min << " " << p.Scale.Horizontal.Max << " " << g.NrOfRows << " " << g.GraphX[0];
  EXPECT_EQ(p.Captions.Horizontal, "X-data * 10");
  EXPECT_EQ(p.HorizontalTicks.Low, 0);
  EXPECT_EQ(p.HorizontalTicks.High, 6);
  EXPECT_EQ(g.GraphX, before);
}

TEST(GraphDrawing, EqualValuesOrTooFewRowsDrawNothing) {
  GraphData g = Read("one_variable_type3.out");
  for (double& y : g.GraphY) y = 4;
  GraphPicture p = DrawGraph(g, GraphOptions{});
  EXPECT_FALSE(p.Drawn);
  EXPECT_EQ(p.Message, "Graph could not be made due to absence of data variation");
  g.NrOfRows = 2;
  p = DrawGraph(g, GraphOptions{});
  EXPECT_FALSE(p.Drawn);
  EXPECT_EQ(p.Message, kNoGraphDataMessage);
}

TEST(GraphDrawing, EveryKindOfOutputDraws) {
  for (const char* name : {"one_variable_type1.out", "one_variable_type3.out", "two_variable_seq1.out", "two_variable_seq2.out",
                           "partial_rising.out", "partial_falling.out", "curve_quadratic_x.out",
                           "curve_cubic_z.out", "curve_power_x.out", "scurve_logistic_x.out",
                           "scurve_gumbel_x.out", "scurve_invgumbel_x.out", "scurve_fisk_x.out"}) {
    SCOPED_TRACE(name);
    const GraphData g = Read(name);
    for (GraphKind k : {GraphKind::YX, GraphKind::Residuals, GraphKind::CalcObs, GraphKind::YZ,
                        GraphKind::XZ}) {
      GraphOptions o;
      o.Kind = k;
      const GraphPicture p = DrawGraph(g, o);
      EXPECT_TRUE(p.Drawn) << p.Message;
      // Pictures for a person to look at, when asked for.
      if (const char* folder = std::getenv("VORNAX_GRAPH_SNAPSHOTS"); folder != nullptr && p.Drawn) {
        p.Image.save(QString::fromStdString(std::string(folder) + "/" + name + "-kind" +
                                            std::to_string(static_cast<int>(k)) + ".png"));
      }
    }
  }
}

TEST(GraphDrawing, DataPlotOfXAgainstZAfterASequenceOnXFirst) {
  const GraphData g = Read("two_variable_seq1.out");
  GraphOptions o;
  o.Kind = GraphKind::XZ;
  const GraphPicture p = DrawGraph(g, o);
  ASSERT_TRUE(p.Drawn);
  EXPECT_EQ(p.Arrangement.LabelCode, 21);
  EXPECT_EQ(p.Captions.Horizontal, "Z-Data");
  EXPECT_EQ(p.Captions.Vertical, " X-Data");
  EXPECT_TRUE(HasText(p, "Corr. Coeff. sq."));
}

TEST(GraphDrawing, CurveValuesMatchTheReportedTable) {
  struct Case {
    const char* name;
    double tolerance;
  };
  for (const Case& c : {Case{"curve_quadratic_x.out", 0.1}, Case{"curve_cubic_z.out", 0.1},
                        Case{"curve_power_x.out", 0.02}, Case{"scurve_logistic_x.out", 0.5},
                        Case{"scurve_gumbel_x.out", 0.5}, Case{"scurve_fisk_x.out", 0.05}}) {
    SCOPED_TRACE(c.name);
    const GraphData g = Read(c.name);
    for (int i = 0; i < g.NrOfRows; ++i) {
      const size_t k = static_cast<size_t>(i);
      EXPECT_NEAR(CurveValue(*g.Curve, g.GraphX[k]), g.GraphYcalc[k], c.tolerance) << "row " << i;
    }
  }
}

int MagentaOnRow(const QImage& image, int y) {
  int count = 0;
  for (int x = 0; x < image.width(); ++x) count += At(image, x, y) == kMagenta ? 1 : 0;
  return count;
}

TEST(GraphDrawing, TheRunsConfidenceDrawsTheBeltAndTheBar) {
  GraphData g = Read("one_variable_type3.out");
  g.First.CE = 0.9;
  g.ConfidenceT = 1.75;
  const GraphPicture p90 = DrawGraph(g, GraphOptions{});
  g.ConfidenceT = 2.1;
  const GraphPicture p95 = DrawGraph(g, GraphOptions{});
  g.ConfidenceT = 2.5;
  const GraphPicture p98 = DrawGraph(g, GraphOptions{});
  EXPECT_TRUE(HasText(p90, "90% confidence belt is shown"));
  EXPECT_TRUE(HasText(p95, "95% confidence belt is shown"));
  EXPECT_TRUE(HasText(p98, "98% confidence interval"));
  // SEBP 1.58 at 500 / 35 pixels per unit: 2 + 1.75 standard errors wide at 90 %, and 2.5 / 1.75
  // times that at 98 %.
  const double unit = 500.0 / 35;
  EXPECT_NEAR(MagentaOnRow(p90.Image, 355), 3.75 * 1.58 * unit, 3);
  EXPECT_NEAR(MagentaOnRow(p98.Image, 355), 3.75 * 1.58 * unit * 2.5 / 1.75, 3);
}

TEST(GraphDrawing, PartialBreakpointsArePrintedInDataUnits) {
  GraphData g = Read("partial_rising.out");
  // The same report with X a hundred times smaller: the axis gets factor 10, the caption says
  // so, and the breakpoint is printed as in the report.
  for (double& x : g.GraphX) x /= 100;
  g.First.Breakpoint /= 100;
  g.Partial->Threshold /= 100;
  g.First.Below.AvX /= 100;
  g.First.Above.AvX /= 100;
  g.First.Ag *= 100;
  const GraphPicture p = DrawGraph(g, GraphOptions{});
  ASSERT_TRUE(p.Drawn);
  EXPECT_EQ(p.Captions.Horizontal, "X-data * 10");
  EXPECT_TRUE(HasText(p, "Break-point at X =  0.17"));
  EXPECT_TRUE(HasText(p, "Expl. coeff.0.996"));
  EXPECT_TRUE(HasText(p, "Partial regression"));
  // The points are centred circles like on every other graph, in their colours.
  const int x = MapHorizontal(g.GraphX[0] * 10, p.HorizontalTicks);
  const int y = MapVertical(g.GraphY[0], p.VerticalTicks);
  EXPECT_EQ(At(p.Image, x + 1, y), kDarkBlue);
}

// Two levels, 2 below X = 10 and 6 from there on, twenty points.
GraphData TwoLevels(int type) {
  GraphData g;
  g.Family = OutputFamily::Segmented;
  g.OutputTag = " Fun";
  g.Title1 = "Two levels";
  g.NrOfRows = 20;
  for (int i = 0; i < 20; ++i) {
    g.GraphX.push_back(i);
    g.GraphY.push_back((i < 10 ? 2 : 6) + 0.1 * (i % 3 - 1));
    g.GraphYcalc.push_back(i < 10 ? 2 : 6);
  }
  g.GraphZ = g.GraphResidual = std::vector<double>(20, 0.0);
  g.Added.assign(20, false);
  GraphRegression& r = g.First;
  r.Type = type;
  r.Breakpoint = 9.5;
  r.As = type == 5 ? 0 : 0.05;
  r.Cs = 2 - 4.5 * r.As;
  r.Ag = 0;
  r.Cg = 6;
  r.Below = {10, 2, 4.5, 0, 0, 0.01, 2, 0.08, 0.08, 2.9};
  r.Above = {10, 6, 14.5, 0, 0, 0.01, 6, 0.08, 0.08, 2.9};
  r.All = {20, 4, 9.5, 0.3, 0.8, 0.03, 1, 2.05, 0.9, 5.9};
  r.CE = 0.9;
  return g;
}

TEST(GraphDrawing, TwoLevelsJoinedByAStepSeparatePiecesOtherwise) {
  const GraphPicture step = DrawGraph(TwoLevels(5), GraphOptions{});
  ASSERT_TRUE(step.Drawn) << step.Message;
  EXPECT_TRUE(HasText(step, "Relation of Type 5"));
  EXPECT_TRUE(HasText(step, "90% confidence belts are shown"));
  const int xb = MapHorizontal(9.5, step.HorizontalTicks);
  const int y4 = MapVertical(4.0, step.VerticalTicks);
  EXPECT_EQ(At(step.Image, xb, y4), kCyan);  // the step between the levels
  EXPECT_EQ(CountColour(step.Image, kMagenta), 0);  // no breakpoint interval for these types
  const GraphPicture apart = DrawGraph(TwoLevels(6), GraphOptions{});
  ASSERT_TRUE(apart.Drawn);
  EXPECT_TRUE(HasText(apart, "Relation of Type 6"));
  EXPECT_NE(At(apart.Image, xb, y4), kCyan);
  if (const char* folder = std::getenv("VORNAX_GRAPH_SNAPSHOTS"); folder != nullptr) {
    step.Image.save(QString::fromStdString(std::string(folder) + "/type5.png"));
    apart.Image.save(QString::fromStdString(std::string(folder) + "/type6.png"));
  }
}

TEST(GraphDrawing, TheXZPlotShowsTheSquaredCorrelationOfItsPairs) {
  // X = 2 Z + 1 exactly except one pair: r^2 of (Z, X) from the pairs on show.
  GraphData g = TwoLevels(1);
  g.OutputTag = " Y-X";
  for (int i = 0; i < 20; ++i) g.GraphZ[static_cast<size_t>(i)] = (g.GraphX[static_cast<size_t>(i)] - 1) / 2;
  GraphOptions o;
  o.Kind = GraphKind::XZ;
  GraphPicture p = DrawGraph(g, o);
  ASSERT_TRUE(p.Drawn);
  EXPECT_TRUE(HasText(p, " 1.000"));
  // Z = 0, 1, 0, 1, ... against X = 0 .. 19, nearly uncorrelated.
  for (int i = 0; i < 20; ++i) g.GraphZ[static_cast<size_t>(i)] = i % 2;
  p = DrawGraph(g, o);
  // Sxx = 665, Szz = 5, Sxz = sum(odd i) - 9.5 * 10 = 100 - 95 = 5: r^2 = 25 / 3325 = 0.0075.
  EXPECT_TRUE(HasText(p, " 0.008"));
}


TEST(GraphDrawing, ACurveIsScaledLikeItsPoints) {
  // The quadratic golden report with every Y a thousand times smaller: the vertical axis takes a
  // label factor, and the curve must be drawn with the same factor as the points, through the
  // calculated values of every row, from the first X to the last.
  GraphData g = Read("curve_quadratic_x.out");
  ASSERT_TRUE(g.Curve.has_value());
  for (size_t k = 0; k < g.GraphY.size(); ++k) {
    g.GraphY[k] /= 1000;
    g.GraphYcalc[k] /= 1000;
  }
  for (auto* v : {&g.GraphLower, &g.GraphUpper}) {
    for (double& y : *v) y /= 1000;
  }
  g.Curve->A /= 1000;
  g.Curve->B /= 1000;
  g.Curve->C /= 1000;
  const GraphPicture p = DrawGraph(g, GraphOptions{});
  ASSERT_TRUE(p.Drawn) << p.Message;
  const int factor = p.Scale.Vertical.LabelFactor;
  ASSERT_GT(factor, 1);
  EXPECT_NE(p.Captions.Vertical.find("* " + std::to_string(factor)), std::string::npos)
      << p.Captions.Vertical;
  const int hf = p.Scale.Horizontal.LabelFactor;
  for (int k = 0; k < g.NrOfRows; ++k) {
    const size_t i = static_cast<size_t>(k);
    const int x = MapHorizontal(g.GraphX[i] * hf, p.HorizontalTicks);
    const int y = MapVertical(g.GraphYcalc[i] * factor, p.VerticalTicks);
    bool near = false;
    for (int dx = -2; dx <= 2 && !near; ++dx) near = AnyInColumn(p.Image, x + dx, y - 3, y + 3, kCyan);
    EXPECT_TRUE(near) << "row " << k << " at (" << x << ", " << y << ")";
  }
}


TEST(GraphDrawing, TheReconnectionFollowsTheDrawnRegressionsOwnMethod) {
  // Sequence 1 of the two-variable golden report: type 3 with method 2 on X, a single line on
  // the residuals. A two-variable stage's lines run through their segment means and are joined at
  // the breakpoint by the method of the regression drawn; what the other regression used must not
  // change the picture.
  GraphData g = Read("two_variable_seq1.out");
  ASSERT_EQ(g.First.Type, 3);
  ASSERT_EQ(g.First.Method, 2);
  // Lift the sloping segment's mean point off the printed line, so that the two ways of joining
  // the lines at the breakpoint differ: method 2 turns the sloping line towards the level,
  // method 1 would carry a new level from the sloping line.
  g.First.Above.AvY += 0.2 * (g.First.Above.AvY - g.First.Below.AvY);
  GraphData other = g;
  other.Second.Method = 1;
  const GraphPicture own = DrawGraph(g, GraphOptions{});
  const GraphPicture mixed = DrawGraph(other, GraphOptions{});
  ASSERT_TRUE(own.Drawn && mixed.Drawn);
  EXPECT_TRUE(own.Image == mixed.Image);
  // The drawn regression's own method does change it.
  GraphData first = g;
  first.First.Method = 1;
  const GraphPicture byMethod1 = DrawGraph(first, GraphOptions{});
  ASSERT_TRUE(byMethod1.Drawn);
  EXPECT_FALSE(own.Image == byMethod1.Image);
}

TEST(GraphFiles, BmpWhateverTheExtensionPngWhenAllowedJpegOpens) {
  test::TempDir dir;
  const GraphData g = Read("one_variable_type3.out");
  const GraphPicture p = DrawGraph(g, GraphOptions{});
  ASSERT_TRUE(p.Drawn);
  for (auto [asked, given] : std::vector<std::pair<std::string, std::string>>{
           {"a.jpg", "a.bmp"}, {"a", "a.bmp"}, {"a.BMP", "a.BMP"}, {"a.png", "a.png"},
           {"a.svg", "a.svg"}, {"a.PDF", "a.PDF"}, {"a.svg.txt", "a.svg.bmp"}}) {
    EXPECT_EQ(GraphFileName((dir / asked).string()), (dir / given).string()) << asked;
  }

  std::string written, error;
  ASSERT_TRUE(SaveGraphImage(p.Image, (dir / "g.jpg").string(), written, error)) << error;
  EXPECT_EQ(written, (dir / "g.bmp").string());
  std::ifstream in(written, std::ios::binary);
  std::vector<unsigned char> header(26);
  in.read(reinterpret_cast<char*>(header.data()), 26);
  EXPECT_EQ(header[0], 'B');
  EXPECT_EQ(header[1], 'M');
  auto le32 = [&](int at) {
    return header[at] | header[at + 1] << 8 | header[at + 2] << 16 | header[at + 3] << 24;
  };
  EXPECT_EQ(le32(18), 623);
  EXPECT_EQ(le32(22), 425);
  QImage back;
  ASSERT_TRUE(OpenGraphImage(written, back, error)) << error;
  EXPECT_EQ(back.size(), p.Image.size());
  EXPECT_EQ(back.pixelColor(600, 395), kDarkBlue);

  ASSERT_TRUE(SaveGraphImage(p.Image, (dir / "g.png").string(), written, error));
  ASSERT_TRUE(OpenGraphImage(written, back, error)) << error;
  EXPECT_EQ(back.pixelColor(0, 0), kSilver);

  // A JPEG picture opens through the JPEG reader.
  const std::string jpeg = (dir / "photo.jpg").string();
  QImageWriter writer(QString::fromStdString(jpeg), "jpeg");
  ASSERT_TRUE(writer.write(p.Image)) << writer.errorString().toStdString();
  ASSERT_TRUE(OpenGraphImage(jpeg, back, error)) << error;
  EXPECT_EQ(back.width(), 623);

  EXPECT_FALSE(OpenGraphImage((dir / "missing.bmp").string(), back, error));
  EXPECT_FALSE(error.empty());
  // A folder that does not exist: nothing written, the reason given.
  EXPECT_FALSE(SaveGraphImage(p.Image, (dir / "no" / "g.bmp").string(), written, error));
  EXPECT_FALSE(std::filesystem::exists(dir / "no"));
}

}  // namespace
}  // namespace vornax
