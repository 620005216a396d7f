// Drawing a graph of an output's graph data on a 623 × 425 bitmap, and keeping it in a file.
//
// QtGui only (QImage, QPainter, QImageWriter/QImageReader): the window's Graphics tab, the
// command-line front end and the tests all draw without a display. Text needs a
// QGuiApplication; EnsureGraphApplication() makes one (on the offscreen platform unless another
// is chosen) when the program has none.
#pragma once

#include <QImage>
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
};

// What a drawing left behind.
struct GraphPicture {
  bool Drawn = false;
  std::string Message;       // why nothing was drawn, or a note on what was drawn instead
  QImage Image;              // 623 × 425, RGB32; null when nothing was drawn
  bool BeltAvailable = false;  // a belt belongs on this graph (the belt button is enabled)
  GraphArrangement Arrangement;
  GraphScale Scale;          // the ranges in plot units, with their label factors
  AxisTicks HorizontalTicks, VerticalTicks;
  AxisCaptions Captions;
  std::vector<std::string> Texts;  // every text written on the graph, in order
};

// Draws the graph of `data` as `options` ask: the segmented function of types 0 to 8 with its
// belt and breakpoint interval, the calculated-observed plot, the data plots, a curve or a
// partial regression. `data` itself is not changed.
GraphPicture DrawGraph(const GraphData& data, const GraphOptions& options);

// The percentage a confidence factor stands for in the captions: 90, 95 or 98.
int ConfidencePercentOf(double confidenceT);

// The value of the fitted curve at x (data units); NaN where the curve is not defined.
double CurveValue(const GraphCurve& curve, double x);

// The file a graph is written to for `requested`: ".bmp" stays; ".png" stays when `allowPng`;
// any other extension is replaced by ".bmp" (and a name without one gets ".bmp"), so that the
// program's own "Open graph" reads the file back.
std::string GraphFileName(const std::string& requested, bool allowPng);

// Writes the image (BMP, or PNG for a ".png" name when allowed) through a temporary file in the
// same folder renamed over the target. `written` receives the name actually used.
bool SaveGraphImage(const QImage& image, const std::string& requested, bool allowPng,
                    std::string& written, std::string& error);

// Reads a picture file (BMP, PNG or JPEG, told by its content) for display.
bool OpenGraphImage(const std::string& path, QImage& image, std::string& error);

// Makes sure a QGuiApplication exists for drawing text.
void EnsureGraphApplication();

}  // namespace vornax
