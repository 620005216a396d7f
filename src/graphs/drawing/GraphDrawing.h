// Drawing a graph of an output's graph data, and keeping it in a file.
//
// Every graph is laid out on a frame of 623 × 425 units and painted by one routine onto any
// QPaintDevice: a bitmap of any size (fonts and lines grow with it), an SVG drawing, a PDF page
// or a printer. QtGui and QtSvg only, so the window's Graphics tab, the batch's graph library
// and the tests all draw without a display. Text needs a QGuiApplication;
// EnsureGraphApplication() makes one (on the offscreen platform unless another is chosen) when
// the program has none.
#pragma once

#include <QByteArray>
#include <QColor>
#include <QImage>
#include <QRect>
#include <QSize>

class QPainter;
#include <optional>
#include <string>
#include <vector>

#include "data/GraphData.h"
#include "graphs/scaling/GraphAxes.h"

namespace vornax {

struct GraphOptions {
  GraphKind Kind = GraphKind::YX;  // ignored for curve and partial-regression outputs
  bool Colour = true;              // false: the black-white graph
  bool ShowBelt = true;            // the confidence belt
  bool ShowBlock = true;           // the confidence interval of the breakpoint
  // The bitmap of DrawGraph: its size in device-independent pixels and the pixels per unit of
  // the screen it is shown on. The graph keeps its proportions and is centred.
  QSize Size{kGraphWidth, kGraphHeight};
  double DevicePixelRatio = 1;
};

// What a drawing left behind.
struct GraphPicture {
  bool Drawn = false;
  std::string Message;       // why nothing was drawn, or a note on what was drawn instead
  QImage Image;              // 623 × 425, RGB32; null when nothing was drawn
  bool BeltAvailable = false;  // a belt belongs on this graph (the belt button is enabled)
  std::string NoBeltReason;    // why a graph that could have a belt has none; empty otherwise
  GraphArrangement Arrangement;
  GraphScale Scale;          // the ranges in plot units, with their label factors
  AxisTicks HorizontalTicks, VerticalTicks;
  AxisCaptions Captions;
  std::vector<std::string> Texts;  // every text written on the graph, in order
  std::vector<QRect> TextBoxes;    // where each of them stands, in frame units
};

// The panel the plot and its captions stand on, and the plot area inside the axes, in frame
// units; the lines of a graph never leave the plot area.
inline const QRect kGraphPanel(QPoint(20, 22), QPoint(604, 404));
inline const QRect kPlotArea(QPoint(kPlotLeft, kPlotBottom - kPlotHeight),
                             QPoint(kPlotLeft + kPlotWidth, kPlotBottom));

// Draws the graph of `data` as `options` ask: the segmented function of types 0 to 8 with its
// belt and breakpoint interval, the calculated-observed plot, the data plots, a curve or a
// partial regression. `data` itself is not changed.
GraphPicture DrawGraph(const GraphData& data, const GraphOptions& options);

// The same drawing on any painter whose coordinates are the 623 × 425 frame (see FitGraphInto);
// `picture.Image` stays null. Returns picture.Drawn.
bool PaintGraph(QPainter& painter, const GraphData& data, const GraphOptions& options,
                GraphPicture& picture);

// Maps the 623 × 425 frame onto `target` (device units) at the largest scale that keeps its
// proportions, centred.
void FitGraphInto(QPainter& painter, const QRectF& target);

// The largest size with the frame's proportions that fits into `area`.
QSize FittedGraphSize(const QSize& area);

// The graph as an SVG drawing of the frame (texts as text); empty when it cannot be drawn (then
// picture.Message says why).
QByteArray GraphSvg(const GraphData& data, const GraphOptions& options, GraphPicture& picture);

// The kinds of graph file, by the name's extension.
enum class GraphFileFormat { Bmp, Png, Svg, Pdf };
std::optional<GraphFileFormat> GraphFormatOf(const std::string& name);
const char* GraphExtension(GraphFileFormat format);  // ".bmp", ".png", ".svg", ".pdf"

// Draws the graph and writes it to `requested` in the format its extension names (BMP, PNG,
// SVG or PDF; another extension, or none, gives a BMP under ".bmp"), through a temporary file
// in the same folder renamed over the target. A bitmap has `options.Size`; SVG and PDF are
// vector drawings of the frame. `written` receives the name used; `picture` what was drawn.
bool ExportGraph(const GraphData& data, const GraphOptions& options, const std::string& requested,
                 std::string& written, std::string& error, GraphPicture& picture);

// The colour of the frame around the plot panel.
QColor GraphFrameColour();

// The percentage a confidence factor stands for in the captions: 90, 95 or 98.
int ConfidencePercentOf(double confidenceT);

// The file a graph is written to for `requested`: ".bmp", ".png", ".svg" and ".pdf" stay; any
// other extension is replaced by ".bmp" (and a name without one gets ".bmp").
std::string GraphFileName(const std::string& requested);

// Writes a bitmap (PNG for a ".png" name, else BMP) through a temporary file in the same folder
// renamed over the target. `written` receives the name actually used.
bool SaveGraphImage(const QImage& image, const std::string& requested, std::string& written,
                    std::string& error);

// Reads a picture file (BMP, PNG or JPEG, told by its content) for display.
bool OpenGraphImage(const std::string& path, QImage& image, std::string& error);

// Makes sure a QGuiApplication exists for drawing text.
void EnsureGraphApplication();

}  // namespace vornax
