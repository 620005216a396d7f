// What a graph looks like wherever it is drawn: lines inside the plot area, texts on the panel,
// the partial-regression graph in the colours of the others, captions named after the data, any
// bitmap size, and the SVG, PDF, PNG and BMP files.
#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>
#include <QSvgRenderer>
#include <QXmlStreamReader>
#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "GoldenGraph.h"
#include "data/OwnFiles.h"
#include "graphs/drawing/GraphDrawing.h"
#include "support/TestSupport.h"

namespace vornax {
namespace {

GraphData Read(const std::string& name) { return test::ReadGoldenGraph(name); }

const QColor kSilver(192, 192, 192);
const QColor kDarkBlue(0, 0, 139);
const QColor kCyan(0, 255, 255);
const QColor kYellow(255, 255, 0);
const QColor kMagenta(255, 0, 255);

// Every graph the golden reports give, with belts widened by a poor fit where they have one.
struct Drawn {
  std::string name;
  GraphData data;
  GraphKind kind;
};
std::vector<Drawn> EveryGraph() {
  std::vector<Drawn> all;
  for (const char* name :
       {"one_variable_type1.out", "one_variable_type3.out", "partial_rising.out",
        "partial_falling.out", "curve_quadratic_x.out", "curve_cubic_z.out", "curve_power_x.out",
        "scurve_logistic_x.out", "scurve_fisk_x.out", "scurve_gumbel_x.out"}) {
    GraphData g = Read(name);
    g.First.CE = std::min(g.First.CE, 0.3);
    g.StoredCE = std::min(g.StoredCE, 0.3);
    all.push_back({name, g, GraphKind::YX});
  }
  for (const char* name : {"two_variable_seq1.out", "two_variable_seq2.out"}) {
    GraphData g = Read(name);
    g.First.CE = std::min(g.First.CE, 0.3);
    g.Second.CE = std::min(g.Second.CE, 0.3);
    for (GraphKind k : {GraphKind::YX, GraphKind::Residuals, GraphKind::CalcObs, GraphKind::YZ,
                        GraphKind::XZ}) {
      all.push_back({std::string(name) + " kind " + std::to_string(static_cast<int>(k)), g, k});
    }
  }
  return all;
}

bool InAnyBox(const GraphPicture& p, int x, int y) {
  return std::any_of(p.TextBoxes.begin(), p.TextBoxes.end(),
                     [&](const QRect& r) { return r.adjusted(-1, -1, 1, 1).contains(x, y); });
}

TEST(GraphClipping, BeltsLinesAndIntervalsStayInThePlotArea) {
  for (const Drawn& d : EveryGraph()) {
    GraphOptions o;
    o.Kind = d.kind;
    const GraphPicture p = DrawGraph(d.data, o);
    ASSERT_TRUE(p.Drawn) << d.name << p.Message;
    // The belt's yellow and the interval's magenta: only in the plot area or in their captions.
    // The fitted lines' cyan likewise, where the points are not drawn in it.
    std::vector<QColor> colours = {kYellow, kMagenta};
    if (d.data.Curve || d.data.Partial || (p.Arrangement.GraphType >= 2 && p.Arrangement.DrawFunction())) {
      colours.push_back(kCyan);
    }
    int outside = 0;
    for (int y = 0; y < p.Image.height(); ++y) {
      for (int x = 0; x < p.Image.width(); ++x) {
        const QColor c = p.Image.pixelColor(x, y);
        if (std::find(colours.begin(), colours.end(), c) == colours.end()) continue;
        if (kPlotArea.contains(x, y) || InAnyBox(p, x, y)) continue;
        ++outside;
      }
    }
    EXPECT_EQ(outside, 0) << d.name;
  }
}

TEST(GraphTexts, EveryTextStaysOnThePanelAndLongOnesAreShortened) {
  std::vector<Drawn> all = EveryGraph();
  // Long titles and long column names.
  GraphData longer = Read("one_variable_type3.out");
  longer.Title1 = std::string(200, 'T');
  longer.Title2 = "Y = the yield of winter wheat in tonnes per hectare at 15 % moisture, X = "
                  "the average depth of the water table below the surface during the season (cm)";
  all.push_back({"long titles", longer, GraphKind::YX});
  for (const Drawn& d : all) {
    GraphOptions o;
    o.Kind = d.kind;
    const GraphPicture p = DrawGraph(d.data, o);
    ASSERT_TRUE(p.Drawn) << d.name;
    ASSERT_EQ(p.Texts.size(), p.TextBoxes.size());
    for (size_t i = 0; i < p.Texts.size(); ++i) {
      const QRect& box = p.TextBoxes[i];
      // The first title and the credit line stand on the frame above and below the panel.
      const bool onFrame = box.top() < kGraphPanel.top() || box.top() > kGraphPanel.bottom();
      const QRect room = onFrame ? QRect(0, 0, kGraphWidth, kGraphHeight) : kGraphPanel;
      EXPECT_TRUE(room.contains(box)) << d.name << ": \"" << p.Texts[i] << "\" at " << box.x()
                                      << "," << box.y() << " " << box.width() << "x" << box.height();
    }
  }
  const GraphPicture p = DrawGraph(longer, GraphOptions{});
  EXPECT_EQ(p.Texts[0].substr(0, 5), "TTTTT");
  EXPECT_NE(p.Texts[0].find("\u2026"), std::string::npos);  // ends in an ellipsis
  EXPECT_NE(p.Captions.Horizontal.find("the average depth"), std::string::npos);
  EXPECT_EQ(p.Captions.Vertical, " the yield of winter wheat in tonnes per hectare at 15 % moisture");
}

TEST(GraphTexts, CaptionsNameTheColumnsWhereTheTitleNamesThem) {
  GraphData g = Read("one_variable_type3.out");
  g.Title2 = "Y: yield, X: Depth (cm)";  // as an imported table is titled
  GraphPicture p = DrawGraph(g, GraphOptions{});
  EXPECT_EQ(p.Captions.Horizontal, "Depth (cm)");
  EXPECT_EQ(p.Captions.Vertical, " yield");
  EXPECT_NE(std::find(p.Texts.begin(), p.Texts.end(), "Depth (cm)"), p.Texts.end());
  g.Title2 = "Drainage trial, 36 fields";  // no names: the usual captions
  p = DrawGraph(g, GraphOptions{});
  EXPECT_EQ(p.Captions.Horizontal, "X-Data");
  EXPECT_EQ(p.Captions.Vertical, " Y-Data");
}

TEST(PartialGraph, ColoursOfTheOtherGraphsAndCaptionsOfWhatIsDrawn) {
  for (const char* name : {"partial_rising.out", "partial_falling.out"}) {
    GraphData g = Read(name);
    for (bool both : {false, true}) {
      g.Partial->OtherFound = both;
      g.Partial->CentralCE = 0.5689;
      g.StoredCE = 0.4651;
      if (both) {
        g.Partial->OtherLevel = g.First.Below.AvY;
        g.Partial->OtherThreshold = g.Partial->Threshold / 2;
      }
      const GraphPicture p = DrawGraph(g, GraphOptions{});
      ASSERT_TRUE(p.Drawn) << name;
      EXPECT_EQ(p.Image.pixelColor(600, 395), kDarkBlue) << name;
      // One level stretch: the report's type-3 or type-4 line is drawn and named. Both ends
      // level: the three pieces are drawn, named and given their own coefficient.
      const std::string type =
          both ? "Combined Type 3 and 4" : "Relation of Type " + std::to_string(g.Partial->Type);
      EXPECT_NE(std::find(p.Texts.begin(), p.Texts.end(), type), p.Texts.end()) << name;
      const std::string ce = both ? "Expl. coeff.0.569" : "Expl. coeff.0.465";
      EXPECT_NE(std::find(p.Texts.begin(), p.Texts.end(), ce), p.Texts.end()) << name;
      // The lines in cyan, the texts white: nothing white-on-silver any more.
      int cyan = 0;
      for (int y = kPlotArea.top(); y <= kPlotArea.bottom(); ++y) {
        for (int x = kPlotArea.left(); x <= kPlotArea.right(); ++x) {
          cyan += p.Image.pixelColor(x, y) == kCyan ? 1 : 0;
        }
      }
      EXPECT_GT(cyan, 300) << name;
    }
  }
}

// The box of the dark blue panel in an image.
QRect PanelIn(const QImage& image) {
  QRect box;
  for (int y = 0; y < image.height(); ++y) {
    for (int x = 0; x < image.width(); ++x) {
      if (image.pixelColor(x, y) == kDarkBlue) box = box.united(QRect(x, y, 1, 1));
    }
  }
  return box;
}

TEST(GraphSize, AnySizeKeepsTheFramesProportions) {
  const GraphData g = Read("one_variable_type3.out");
  const QRect atDefault = PanelIn(DrawGraph(g, GraphOptions{}).Image);
  struct Case {
    QSize size;
    double ratio;
    double scale;
    QPoint offset;
  };
  for (const Case& c : std::vector<Case>{
           {QSize(934, 637), 1, 934.0 / 623, {0, 0}},  // one and a half times
           {QSize(623, 425), 2, 1, {0, 0}},            // a screen of two pixels per unit
           {QSize(1246, 425), 1, 1, {311, 0}},         // wider: centred, silver beside
       }) {
    GraphOptions o;
    o.Size = c.size;
    o.DevicePixelRatio = c.ratio;
    const GraphPicture p = DrawGraph(g, o);
    ASSERT_TRUE(p.Drawn);
    EXPECT_EQ(p.Image.size(), c.size * c.ratio);
    EXPECT_EQ(p.Image.devicePixelRatio(), c.ratio);
    const QRect panel = PanelIn(p.Image);
    const double s = c.scale * c.ratio;
    EXPECT_NEAR(panel.left(), c.offset.x() + atDefault.left() * s, 2.5);
    EXPECT_NEAR(panel.top(), c.offset.y() + atDefault.top() * s, 2.5);
    EXPECT_NEAR(panel.width(), atDefault.width() * s, 3);
    EXPECT_NEAR(panel.height(), atDefault.height() * s, 3);
    EXPECT_EQ(p.Image.pixelColor(1, 1), kSilver);
  }
  EXPECT_EQ(FittedGraphSize(QSize(1000, 1000)), QSize(1000, 682));
  EXPECT_EQ(FittedGraphSize(QSize(934, 638)), QSize(934, 637));
}

TEST(GraphFiles, SvgPdfPngAndBmpByTheirExtension) {
  test::TempDir dir;
  GraphData g = Read("one_variable_type3.out");
  g.Title1 = "Yield & depth <trial>";
  GraphOptions o;
  o.Size = QSize(800, 600);
  struct Case {
    std::string name, written;
    QByteArray start;
  };
  for (const Case& c : std::vector<Case>{{"g.svg", "g.svg", "<?xml"},
                                         {"g.PDF", "g.PDF", "%PDF-"},
                                         {"g.png", "g.png", "\x89PNG"},
                                         {"g.bmp", "g.bmp", "BM"},
                                         {"g.jpeg", "g.bmp", "BM"}}) {
    std::string written, error;
    GraphPicture p;
    // A file of the user's whose name a temporary file might take is left as it is.
    const std::filesystem::path users = dir / (c.written + ".tmp");
    test::WriteFileBytes(users, "mine");
    ASSERT_TRUE(ExportGraph(g, o, (dir / c.name).string(), written, error, p)) << c.name << error;
    EXPECT_EQ(written, (dir / c.written).string());
    EXPECT_TRUE(p.Drawn);
    const std::string bytes = test::ReadFileBytes(written);
    EXPECT_EQ(QByteArray::fromStdString(bytes).left(c.start.size()), c.start) << c.name;
    // Every graph names its maker, so a later run may replace it.
    EXPECT_TRUE(WrittenByThisProgram(written)) << c.name;
    EXPECT_EQ(test::ReadFileBytes(users), "mine") << c.name;
    for (const auto& entry : std::filesystem::directory_iterator(dir.path())) {
      EXPECT_NE(entry.path().filename().string().front(), '.') << "left behind: " << entry.path();
    }
  }
  // Bitmaps have the size asked for, the BMP's mark notwithstanding.
  EXPECT_EQ(QImage(QString::fromStdString((dir / "g.png").string())).size(), QSize(800, 600));
  EXPECT_EQ(QImage(QString::fromStdString((dir / "g.bmp").string())).size(), QSize(800, 600));

  // The SVG is well-formed XML holding the title and the captions as text.
  const std::string svg = test::ReadFileBytes(dir / "g.svg");
  QXmlStreamReader xml(QByteArray::fromStdString(svg));
  std::string text;
  while (!xml.atEnd()) {
    if (xml.readNext() == QXmlStreamReader::Characters) text += xml.text().toString().toStdString();
  }
  EXPECT_FALSE(xml.hasError()) << xml.errorString().toStdString();
  EXPECT_NE(text.find("Yield & depth <trial>"), std::string::npos);
  EXPECT_NE(text.find("X-Data"), std::string::npos);
  // Rendered back it shows the graph: the dark blue panel and the silver frame.
  QSvgRenderer renderer(QByteArray::fromStdString(svg));
  ASSERT_TRUE(renderer.isValid());
  EXPECT_EQ(renderer.viewBox(), QRect(0, 0, 623, 425));
  QImage back(623, 425, QImage::Format_RGB32);
  back.fill(Qt::black);
  {
    QPainter painter(&back);
    renderer.render(&painter);
  }
  EXPECT_EQ(back.pixelColor(600, 395), kDarkBlue);
  EXPECT_EQ(back.pixelColor(5, 415), kSilver);

  // The PDF holds one page of the frame's size in points.
  const std::string pdf = test::ReadFileBytes(dir / "g.PDF");
  EXPECT_NE(pdf.find("/MediaBox [0 0 467"), std::string::npos);

  // Nothing to draw, or nowhere to write: refused with the reason, nothing left behind.
  GraphData flat = g;
  std::fill(flat.GraphY.begin(), flat.GraphY.end(), 1.0);
  for (const char* name : {"flat.svg", "flat.pdf", "flat.png"}) {
    std::string written, error;
    GraphPicture p;
    EXPECT_FALSE(ExportGraph(flat, o, (dir / name).string(), written, error, p)) << name;
    EXPECT_FALSE(p.Drawn);
    EXPECT_FALSE(error.empty());
    EXPECT_FALSE(std::filesystem::exists(dir / name)) << name;
  }
  std::string written, error;
  GraphPicture p;
  EXPECT_FALSE(ExportGraph(g, o, (dir / "none" / "g.svg").string(), written, error, p));
  EXPECT_FALSE(error.empty());
}

}  // namespace
}  // namespace vornax
