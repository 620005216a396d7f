// The drawing of every graph kind: frame, axes, points, fitted lines, belts, breakpoint interval
// and captions, in colour or black and white.
#include "graphs/drawing/GraphDrawing.h"

#include "data/GraphDataReader.h"

#include <QFont>
#include <QFontMetrics>
#include <QPainter>
#include <QPen>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <set>
#include <vector>

namespace vornax {
namespace {

// The credit line under the plot panel.
constexpr const char* kCredit = "Program VornaxA";

const QColor kSilver(192, 192, 192);
const QColor kDarkBlue(0, 0, 139);
const QColor kCyan(0, 255, 255);
const QColor kYellow(255, 255, 0);
const QColor kMagenta(255, 0, 255);
const QColor kPaleGreen(192, 220, 192);
const QColor kGreen(0, 255, 0);

std::string Format(const char* format, double value) {
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, format, value);
  return buffer;
}

struct Point {
  double x = 0, y = 0;
};

// One drawing: the painter, the colour scheme, the ticks and the clipping range. Coordinates are
// those of the 623 × 425 frame; the painter's transform takes them to the device.
class Canvas {
 public:
  Canvas(QPainter& painter, bool colour) : p_(painter), colour_(colour) {
    // A bitmap at the frame's own size is drawn pixel for pixel as it always was; a larger one,
    // or a vector drawing, gets smooth lines and letters.
    const bool exact = p_.device()->devType() == QInternal::Image &&
                       p_.worldTransform().isIdentity() && p_.device()->devicePixelRatio() == 1;
    p_.setRenderHint(QPainter::Antialiasing, !exact);
    p_.setRenderHint(QPainter::TextAntialiasing, !exact);
    smooth_ = !exact;
  }

  bool Colour() const { return colour_; }
  QColor Scheme(const QColor& colour) const { return colour_ ? colour : QColor(Qt::black); }
  QColor Text() const { return colour_ ? QColor(Qt::white) : QColor(Qt::black); }
  QColor Panel() const { return colour_ ? kDarkBlue : QColor(Qt::white); }

  void Font(int points) {
    QFont f(QStringLiteral("Arial"));
    f.setStyleHint(QFont::SansSerif);
    if (!smooth_) f.setStyleStrategy(QFont::NoAntialias);
    f.setPixelSize(static_cast<int>(std::lround(points * 96.0 / 72.0)));
    p_.setFont(f);
  }
  // Text with its top-left corner at (x, y). A text that starts on the panel stays on it: moved
  // left as far as it must, and shortened with an ellipsis when it is wider than the panel.
  void Text(int x, int y, std::string text, const QColor& colour) {
    const QFontMetrics m(p_.font());
    if (kGraphPanel.contains(x, y)) {
      const int room = kGraphPanel.right() - kTextMargin;
      if (TextWidth(text) > room - kGraphPanel.left() - kTextMargin) {
        text = Elided(text, room - kGraphPanel.left() - kTextMargin);
      }
      x = std::max(kGraphPanel.left() + kTextMargin, std::min(x, room - TextWidth(text)));
    }
    if (texts != nullptr) texts->push_back(text);
    if (boxes != nullptr) boxes->push_back(QRect(x, y, TextWidth(text), m.height()));
    // Captions stand outside the plot area: not clipped.
    const bool clipped = p_.hasClipping();
    ClipToPlot(false);
    p_.setPen(QPen(colour));
    p_.drawText(x, y + m.ascent(), QString::fromStdString(text));
    ClipToPlot(clipped);
  }
  // Text cut with an ellipsis to `width` pixels, so a long title leaves the captions readable.
  std::string Elided(const std::string& text, int width) const {
    return QFontMetrics(p_.font())
        .elidedText(QString::fromStdString(text), Qt::ElideRight, width)
        .toStdString();
  }
  int TextWidth(const std::string& text) const {
    return QFontMetrics(p_.font()).horizontalAdvance(QString::fromStdString(text));
  }
  int TextHeight() const { return QFontMetrics(p_.font()).height(); }

  void Fill(int x1, int y1, int x2, int y2, const QColor& colour) {
    p_.fillRect(QRect(QPoint(x1, y1), QPoint(x2 - 1, y2 - 1)), colour);
  }
  void Pen(const QColor& colour, int width = 1, Qt::PenStyle style = Qt::SolidLine) {
    QPen pen(colour);
    pen.setWidth(width);
    pen.setStyle(style);
    pen.setCapStyle(Qt::FlatCap);
    p_.setPen(pen);
  }
  // Lines of the fitted function, its belt and the breakpoint interval end at the axes.
  void ClipToPlot(bool on) {
    if (on) p_.setClipRect(kPlotArea);
    p_.setClipping(on);
  }
  void PixelLine(int x1, int y1, int x2, int y2) { p_.drawLine(x1, y1, x2, y2); }
  void Circle(int x, int y, const QColor& outline, const QColor& fill) {
    p_.setPen(QPen(outline));
    p_.setBrush(fill);
    p_.drawEllipse(QRect(x - 2, y - 2, 4, 4));
    p_.setBrush(Qt::NoBrush);
  }

  std::vector<std::string>* texts = nullptr;
  std::vector<QRect>* boxes = nullptr;

  // Plot-unit mapping.
  AxisTicks h, v;
  double xmin = 0, xmax = 0, ymin = 0, ymax = 0;
  int X(double u) const { return MapHorizontal(u, h); }
  int Y(double w) const { return MapVertical(w, v); }
  void Line(const Point& a, const Point& b) { p_.drawLine(X(a.x), Y(a.y), X(b.x), Y(b.y)); }
  void Polyline(const std::vector<Point>& points) {
    for (size_t i = 1; i < points.size(); ++i) Line(points[i - 1], points[i]);
  }

 private:
  static constexpr int kTextMargin = 3;
  QPainter& p_;
  bool colour_;
  bool smooth_ = false;
};

// The frame: background, titles, credit, panel, axes, captions and ticks.
void DrawFrame(Canvas& c, const GraphData& g, const AxisCaptions& captions, int titleFont,
               const QColor& panel) {
  c.Fill(0, 0, kGraphWidth, kGraphHeight, kSilver);
  c.Font(titleFont);
  c.Text(45, 4, c.Elided(g.Title1, 560), Qt::black);
  c.Font(10);
  c.Text(20, 408, kCredit, Qt::black);
  c.Fill(20, 22, 605, 405, panel);
  const QColor text = c.Text();
  c.Font(titleFont == 12 ? 12 : 10);
  c.Text(45, 22, c.Elided(g.Title2, 330), text);
  c.Pen(text);
  c.PixelLine(kPlotLeft, kPlotBottom, kPlotLeft, kPlotBottom - kPlotHeight);
  c.PixelLine(kPlotLeft, kPlotBottom, kPlotLeft + kPlotWidth, kPlotBottom);
  c.Font(10);
  // Captions named after the data's columns may be long: the horizontal one ends at the panel's
  // edge, the vertical one leaves room for the captions at the top right.
  c.Text(515, 385, c.Elided(captions.Horizontal, 420), text);
  c.Text(70, 50 - c.TextHeight() / 2, c.Elided(captions.Vertical, 320), text);
  c.Font(8);
  for (int i = 0; i <= c.v.Count; ++i) {
    const int y = 60 + static_cast<int>(RoundHalfEvenToInteger(1.0 * i * kPlotHeight / c.v.Count));
    c.Pen(text);
    c.PixelLine(kPlotLeft, y, kPlotLeft - 4, y);
    const std::string label = TickLabel(VerticalTickValue(c.v, i), c.v.Decimals);
    c.Text(64 - c.TextWidth(label), y - static_cast<int>(RoundHalfEvenToInteger(c.TextHeight() / 2.0)),
           label, text);
  }
  for (int i = 0; i <= c.h.Count; ++i) {
    const int x = kPlotLeft + static_cast<int>(RoundHalfEvenToInteger(1.0 * i * kPlotWidth / c.h.Count));
    c.Pen(text);
    c.PixelLine(x, kPlotBottom, x, kPlotBottom + 4);
    c.Text(x - 8, 372 - c.TextHeight() / 2, TickLabel(HorizontalTickValue(c.h, i), c.h.Decimals),
           text);
  }
  c.Font(10);
}

int PenWidthFor(int n, int above1000, int above2000) {
  return n > 2000 ? above2000 : (n > 1000 ? above1000 : 1);
}

// The parameters of the drawn regression in plot units.
struct Segments {
  double bp = 0, sebp = 0, ybp = 0;
  double slope1 = 0, slope2 = 0;
  double ax1 = 0, ay1 = 0, ax2 = 0, ay2 = 0;
  double n1 = 0, n2 = 0;
  double sdY1 = 0, sdY2 = 0, sdYr1 = 0, sdYr2 = 0;  // data units (the error formulas scale them)
  double sdX = 0, xc = 0;
  double ec = 0;
  int method = 0;
  double Line1(double x) const { return ay1 + slope1 * (x - ax1); }
  double Line2(double x) const { return ay2 + slope2 * (x - ax2); }
};

Segments SegmentsOf(const GraphData& g, const GraphRegression& r, double fx, double fy) {
  Segments s;
  const double fs = fy / fx;
  s.bp = r.Breakpoint * fx;
  s.sebp = r.SEBP;
  s.ybp = r.Ybp * fy;
  s.slope1 = r.As * fs;
  s.slope2 = r.Ag * fs;
  s.ax1 = r.Below.AvX * fx;
  s.ax2 = r.Above.AvX * fx;
  if (g.TwoVariable()) {
    // The stages of a two-variable output print only their slopes: each line runs through the
    // mean point of its segment.
    s.ay1 = r.Below.AvY * fy;
    s.ay2 = r.Above.AvY * fy;
  } else {
    s.ay1 = (r.As * r.Below.AvX + r.Cs) * fy;
    s.ay2 = (r.Ag * r.Above.AvX + r.Cg) * fy;
  }
  s.n1 = r.Below.N;
  s.n2 = r.Above.N;
  s.sdY1 = r.Below.StDevY;
  s.sdY2 = r.Above.StDevY;
  s.sdYr1 = r.Below.StDevYr;
  s.sdYr2 = r.Above.StDevYr;
  s.sdX = r.All.StDevX * fx;
  s.xc = r.All.AvX * fx;
  s.ec = r.CE;
  s.method = r.Method;
  return s;
}

// Moves the end of a line with slope b through `through` into [ymin, ymax].
Point ClipEnd(Point p, const Point& through, double b, double ymin, double ymax) {
  if (b == 0) return p;
  if (p.y > ymax) p = {through.x + (ymax - through.y) / b, ymax};
  if (p.y < ymin) p = {through.x + (ymin - through.y) / b, ymin};
  return p;
}

void DrawPoints(Canvas& c, const GraphData& g, const QColor& outline, const QColor& fill) {
  for (int i = 0; i < g.NrOfRows; ++i) {
    c.Circle(c.X(g.GraphX[static_cast<size_t>(i)]), c.Y(g.GraphY[static_cast<size_t>(i)]), outline,
             fill);
  }
}

std::string BeltCaption(double t, bool plural = false) {
  return std::to_string(ConfidencePercentOf(t)) +
         (plural ? "% confidence belts are shown" : "% confidence belt is shown");
}

// The belt is drawn only where it says something: a fit that explains 95 % or more of Y leaves
// a belt that hugs the line, and among more than 1000 data sets it is lost under the points.
// `maxRows` 0: no limit of data sets.
void DecideBelt(double ce, int n, int maxRows, GraphPicture& out) {
  out.BeltAvailable = ce < 0.95 && (maxRows == 0 || n <= maxRows);
  if (out.BeltAvailable) {
    out.NoBeltReason.clear();
  } else if (!(ce < 0.95)) {
    out.NoBeltReason = "No confidence belt: it is drawn only below a coefficient of explanation "
                       "of 0.95, and this fit explains " + Format("%5.3f", ce);
  } else {
    out.NoBeltReason = "No confidence belt: it is drawn for at most " + std::to_string(maxRows) +
                       " data sets, and this graph has " + std::to_string(n);
  }
}

// Types 0 and 1, the calculated-observed plot and the data plots.
void DrawLinearGraph(Canvas& c, const GraphData& g, const GraphArrangement& a,
                     const GraphOptions& o, double fx, double fy, GraphPicture& out) {
  const int n = g.NrOfRows;
  const QColor fill = c.Colour() ? kDarkBlue : QColor(Qt::white);
  DrawPoints(c, g, c.Scheme(kCyan), fill);
  c.ClipToPlot(true);
  const QColor text = c.Text();
  if (a.LabelCode == 18) {
    double x0 = c.xmin, x1 = c.xmax;
    double y0 = x0 * fy / fx, y1 = x1 * fy / fx;
    if (y0 < c.ymin) {
      y0 = c.ymin;
      x0 = c.ymin * fx / fy;
    }
    if (y1 > c.ymax) {
      y1 = c.ymax;
      x1 = c.ymax * fx / fy;
    }
    c.Pen(text, PenWidthFor(n, 2, 3));
    c.Line({x0, y0}, {x1, y1});
    c.Text(440, 37, "Yobs versus Ycalc", c.Scheme(kCyan));
    c.Text(420, 50, "The line Yobs=Ycalc is shown", text);
    c.Text(440, 65, "Expl. coeff " + Format("%8.3f", g.StoredCE), c.Scheme(kPaleGreen));
    return;
  }
  if (a.LabelCode >= 19) {
    if (a.LabelCode == 21 || a.LabelCode == 22) {
      // The squared correlation of the pairs on show.
      double sx = 0, sy = 0;
      for (int i = 0; i < n; ++i) {
        sx += g.GraphX[static_cast<size_t>(i)];
        sy += g.GraphY[static_cast<size_t>(i)];
      }
      const double mx = sx / n, my = sy / n;
      double sxx = 0, syy = 0, sxy = 0;
      for (int i = 0; i < n; ++i) {
        const double dx = g.GraphX[static_cast<size_t>(i)] - mx;
        const double dy = g.GraphY[static_cast<size_t>(i)] - my;
        sxx += dx * dx;
        syy += dy * dy;
        sxy += dx * dy;
      }
      const double r2 = sxx > 0 && syy > 0 ? sxy * sxy / (sxx * syy) : 0;
      c.Text(440, 32, "Corr. Coeff. sq.", text);
      c.Text(460, 46, Format("%6.3f", r2), text);
    }
    return;
  }
  // Types 0 and 1: the single line through the mean point.
  const GraphRegression& r = *a.Regression;
  const double t = g.ConfidenceT;
  const double b = a.GraphType == 0 ? 0 : r.Ag * fy / fx;
  const double xav = r.All.AvX * fx;
  const double yav = (g.TwoVariable() ? r.All.AvY : r.Ag * r.All.AvX + r.Cg) * fy;
  const double s = r.All.StDevRC * fy / fx;
  const double sd = r.All.StDevYr * fy;
  auto line = [&](double x, double slope) { return yav + slope * (x - xav); };
  const Point mean{xav, yav};
  DecideBelt(r.CE, n, 1000, out);
  if (o.ShowBelt && out.BeltAvailable && n > 0) {
    const double rootN = std::sqrt(static_cast<double>(n));
    const double bl = b - t * s, bu = b + t * s;
    const double u = t * 1.4 * sd / rootN, ov = t * sd / rootN;
    const double dl = s > 0 ? xav - 1.4 * sd / (rootN * s) : xav;
    const double dr = s > 0 ? xav + 1.4 * sd / (rootN * s) : xav;
    Point p1{c.xmin, line(c.xmin, bl)};
    if (p1.y > c.ymax && bl != 0) p1 = {xav + (c.ymax - yav) / bl, c.ymax};
    Point p2{dl, line(dl, bl)};
    if (p2.x < c.xmin) p2 = p1;
    Point p3{dr, line(dr, bu)};
    Point p4{c.xmax, line(c.xmax, bu)};
    if (p4.y > c.ymax && bu != 0) p4 = {xav + (c.ymax - yav) / bu, c.ymax};
    if (p3.x > c.xmax) p3 = p4;
    Point p5{c.xmin, line(c.xmin, bu)};
    if (p5.y < c.ymin && bu != 0) p5 = {xav + (c.ymin - yav) / bu, c.ymin};
    Point p6{dl, line(dl, bu)};
    if (p6.x < c.xmin) p6 = p5;
    Point p7{dr, line(dr, bl)};
    if (p7.x < xav) p7 = {xav, yav - u};
    Point p8{c.xmax, line(c.xmax, bl)};
    if (p8.y < c.ymin && bl != 0) p8 = {xav + (c.ymin - yav) / bl, c.ymin};
    if (p7.x > c.xmax) p7 = p8;
    const double w = 0.2 * (c.xmax - c.xmin);
    double x9 = xav - w, x10 = xav + w;
    if (x9 < p2.x) x9 = (xav + p2.x) / 2;
    if (x10 > p3.x) x10 = (xav + p3.x) / 2;
    double x11 = x9, x12 = x10;
    if (x11 < p6.x) x11 = (xav + p6.x) / 2;
    if (x12 > p7.x) x12 = (xav + p7.x) / 2;
    const Point p9{x9, line(x9, b) + ov}, p10{x10, line(x10, b) + ov};
    const Point p11{x11, line(x11, b) - ov}, p12{x12, line(x12, b) - ov};
    c.Pen(c.Scheme(kYellow), 1, Qt::DashLine);
    c.Polyline({p1, p2, p9, p10, p3, p4});
    c.Polyline({p5, p6, p11, p12});
    if (c.Y(p7.y) < kPlotBottom) c.Polyline({p12, p7, p8});
    c.Text(400, 52, BeltCaption(t), c.Scheme(kYellow));
  }
  Point start{c.xmin, line(c.xmin, b)}, end{c.xmax, line(c.xmax, b)};
  start = ClipEnd(start, mean, b, c.ymin, c.ymax);
  end = ClipEnd(end, mean, b, c.ymin, c.ymax);
  c.Pen(text, PenWidthFor(n, 2, 3));
  c.Line(start, end);
  c.Text(400, 37, a.GraphType == 0 ? "Type 0, no relation detected" : "Type 1, breakpoint absent",
         c.Scheme(kCyan));
}

// Types 2 to 4: connected segments, belt and breakpoint interval.
void DrawConnectedSegments(Canvas& c, const GraphData& g, int type, Segments s,
                           const GraphOptions& o, double fx, double fy, GraphPicture& out) {
  const int n = g.NrOfRows;
  const double t = g.ConfidenceT;
  // Join the two lines at the breakpoint by the drawn regression's own method; nothing to do
  // when the breakpoint is the anchor itself.
  const bool m1 = s.method == 1;
  if (type == 3) {
    if (m1) {
      s.ay1 = s.ay2 + (s.bp - s.ax2) * s.slope2;
    } else if (s.ax2 != s.bp) {
      s.slope2 = (s.ay2 - s.ay1) / (s.ax2 - s.bp);
    }
  } else if (type == 4) {
    if (m1) {
      s.ay2 = s.ay1 + (s.bp - s.ax1) * s.slope1;
    } else if (s.bp != s.ax1) {
      s.slope1 = (s.ay2 - s.ay1) / (s.bp - s.ax1);
    }
  } else {
    if (m1 && s.bp != s.ax2) {
      s.slope2 = (s.ybp - s.ay2) / (s.bp - s.ax2);
    } else if (!m1 && s.bp != s.ax1) {
      s.slope1 = (s.ybp - s.ay1) / (s.bp - s.ax1);
    }
  }
  const Point a1{s.ax1, s.ay1}, a2{s.ax2, s.ay2};
  Point start{c.xmin, s.Line1(c.xmin)}, mid{s.bp, s.Line1(s.bp)}, end{c.xmax, s.Line2(c.xmax)};
  start = ClipEnd(start, a1, s.slope1, c.ymin, c.ymax);
  end = ClipEnd(end, a2, s.slope2, c.ymin, c.ymax);

  // Standard error of the line at x.
  const double nn = s.n1 + s.n2;
  const double rss = (1 - s.ec) * (s.sdY1 * s.sdY1 * (s.n1 - 1) + s.sdY2 * s.sdY2 * (s.n2 - 1));
  const double v0 = nn > 2 ? rss / (nn * (nn - 2)) : 0;
  const double bb = nn > 1 && s.sdX != 0 ? rss / ((nn - 1) * (nn - 1) * s.sdX * s.sdX) : 0;
  auto se = [&](double x) {
    const double r = v0 + bb * (x - s.xc) * (x - s.xc);
    return r > 0 ? fy * std::sqrt(r) : 0.0;
  };
  DrawPoints(c, g, c.Scheme(Qt::white), c.Colour() ? kDarkBlue : QColor(Qt::white));
  c.ClipToPlot(true);
  DecideBelt(s.ec, n, 1000, out);
  if (o.ShowBelt && out.BeltAvailable) {
    for (int sign : {1, -1}) {
      auto onLine = [&](double x, bool second) {
        return Point{x, (second ? s.Line2(x) : s.Line1(x)) + sign * t * se(x)};
      };
      const bool xcRight = s.xc > s.bp;
      Point p[6];
      p[0] = onLine(c.xmin, false);
      p[1] = onLine(s.ax1, false);
      const double lo = std::min(s.xc, s.bp), hi = std::max(s.xc, s.bp);
      p[2] = onLine(lo, false);
      p[3] = onLine(hi, xcRight);
      p[4] = onLine(s.ax2, true);
      p[5] = onLine(c.xmax, true);
      // Outer points: along their line to the limit, or the inner neighbour for a level line.
      const double top5 = sign > 0 ? 1.05 * c.ymax : c.ymax;
      auto clipOuter = [&](Point& q, const Point& inner, double slope, double top) {
        if (q.y <= top && q.y >= c.ymin) return;
        if (slope == 0) {
          q = inner;
          return;
        }
        const double limit = q.y > top ? top : c.ymin;
        const double base = q.y;
        q = {q.x + (limit - base) / slope, limit};
      };
      clipOuter(p[0], p[1], s.slope1, c.ymax);
      clipOuter(p[5], p[4], s.slope2, top5);
      if (p[1].y > c.ymax || p[1].y < c.ymin || p[1].x < p[0].x) p[1] = p[0];
      if (p[4].y > c.ymax || p[4].y < c.ymin || p[4].x > p[5].x) p[4] = p[5];
      c.Pen(c.Scheme(kYellow), PenWidthFor(n, 2, 4), Qt::DashLine);
      c.Polyline({p[0], p[1], p[2], p[3], p[4], p[5]});
    }
    c.Text(425, 37, BeltCaption(t), c.Scheme(kYellow));
  }
  c.Pen(c.Scheme(kCyan), n > 150 ? 2 : 1);
  c.Polyline({start, mid, end});
  c.Text(450, 22, "Relation of Type " + std::to_string(type), c.Scheme(kCyan));
  if (o.ShowBlock) {
    // The interval widens with the run's own confidence.
    const double k = t / 1.75;
    const double cl = (type == 2 ? 1.8 : type == 3 ? 2.0 : 1.75) * k;
    const double cu = (type == 2 ? 1.8 : type == 3 ? 1.75 : 2.0) * k;
    const double lower = std::max(c.xmin, s.bp - cl * fx * s.sebp);
    const double upper = std::min(c.xmax, s.bp + cu * fx * s.sebp);
    c.Pen(c.Scheme(kMagenta), 2);
    c.PixelLine(c.X(lower), 355, c.X(upper), 355);
    c.Pen(c.Scheme(kMagenta), 1, Qt::DashLine);
    c.PixelLine(c.X(s.bp), c.Y(s.Line1(s.bp)), c.X(s.bp), 355);
    c.Text(450, 50, std::to_string(ConfidencePercentOf(t)) + "% confidence interval",
           c.Scheme(kMagenta));
    c.Text(450, 65, "of break-point is shown", c.Scheme(kMagenta));
  }
}

// Types 5 to 8: two separate segments (type 5 joined by a step), one belt per segment and side.
void DrawSeparateSegments(Canvas& c, const GraphData& g, int type, const Segments& s,
                          const GraphOptions& o, double fy, GraphPicture& out) {
  const int n = g.NrOfRows;
  const double t = g.ConfidenceT;
  const bool level = type == 5;
  auto l1 = [&](double x) { return level ? s.ay1 : s.Line1(x); };
  auto l2 = [&](double x) { return level ? s.ay2 : s.Line2(x); };
  const double b1 = level ? 0 : s.slope1, b2 = level ? 0 : s.slope2;
  Point s1{c.xmin, l1(c.xmin)}, e1{s.bp, l1(s.bp)}, s2{s.bp, l2(s.bp)}, e2{c.xmax, l2(c.xmax)};
  const Point a1{s.ax1, s.ay1}, a2{s.ax2, s.ay2};
  s1 = ClipEnd(s1, a1, b1, c.ymin, c.ymax);
  e1 = ClipEnd(e1, a1, b1, c.ymin, c.ymax);
  s2 = ClipEnd(s2, a2, b2, c.ymin, c.ymax);
  e2 = ClipEnd(e2, a2, b2, c.ymin, c.ymax);

  const double nn = s.n1 + s.n2;
  const double rss = s.sdYr1 * s.sdYr1 * (s.n1 - 2) + s.sdYr2 * s.sdYr2 * (s.n2 - 2);
  const double o0 = nn > 2 ? rss / (nn * (nn - 2)) : 0;
  const double m = nn > 2 && s.n1 > 0 && s.sdX != 0 ? rss / ((nn - 2) * s.n1 * s.sdX * s.sdX) : 0;
  auto se = [&](double x) {
    const double r = o0 + m * (x - s.xc) * (x - s.xc);
    return r > 0 ? fy * std::sqrt(r) : 0.0;
  };
  DrawPoints(c, g, c.Scheme(Qt::white), c.Colour() ? kDarkBlue : QColor(Qt::white));
  c.ClipToPlot(true);
  c.Pen(c.Scheme(kCyan), n > 150 ? 2 : 1);
  c.Line(s1, e1);
  if (level) c.Line(e1, s2);
  c.Line(s2, e2);
  c.Text(465, 35, "Relation of Type " + std::to_string(type), c.Scheme(kCyan));
  DecideBelt(s.ec, n, 1000, out);
  if (!o.ShowBelt || !out.BeltAvailable) return;
  auto inRange = [&](double y) { return y >= c.ymin && y <= c.ymax; };
  c.Pen(c.Scheme(kYellow), 1, Qt::DashLine);
  for (int seg = 1; seg <= 2; ++seg) {
    const double x1 = seg == 1 ? c.xmin : s.bp, x2 = seg == 1 ? s.bp : c.xmax;
    const double ax = seg == 1 ? s.ax1 : s.ax2;
    auto lineAt = [&](double x) { return seg == 1 ? l1(x) : l2(x); };
    for (int sign : {1, -1}) {
      auto at = [&](double x) { return Point{x, lineAt(x) + sign * t * se(x)}; };
      Point first = at(x1), middle = at(ax), last = at(x2);
      if (seg == 1 && sign > 0) {
        if (middle.y < c.ymin) middle = at(ax + (ax - x1) / 2);
        else if (middle.y > c.ymax) middle = at(middle.x - (middle.x - x1) / 2);
        if (middle.x < x1 || !inRange(middle.y)) middle = first;
      } else if (seg == 1) {
        if (first.y < c.ymin) {
          const double x = (first.x + ax) / 2;
          first = {x, lineAt(x) - t * se(ax)};
        }
      } else if (sign > 0) {
        if (middle.y < c.ymin) middle = at(ax - (x2 - ax) / 2);
        else if (middle.y > c.ymax) middle = at(middle.x - (x2 - middle.x) / 2);
        if (middle.x > x2 || !inRange(middle.y)) middle = last;
      } else {
        if (middle.y < c.ymin) middle = at(middle.x - (x2 - middle.x) / 2);
        else if (middle.y > c.ymax) middle = at(ax - (x2 - ax) / 2);
        if (middle.x > x2 || !inRange(middle.y)) middle = last;
      }
      c.Polyline({first, middle, last});
    }
  }
  c.Text(400, 50, BeltCaption(t, true), c.Scheme(kYellow));
}

// The partial regression: the level stretches and the sloping part between them, in the colours
// of the other graphs. The caption names what is drawn: with both ends level the three pieces
// (types 3 and 4 combined) and their own coefficient of explanation, not the report's single
// type-3 or type-4 line, which is not drawn.
void DrawPartialLines(Canvas& c, const GraphData& g, const Segments& s, double fx, double fy) {
  const int n = g.NrOfRows;
  const GraphPartial& p = *g.Partial;
  const QColor line = c.Scheme(kCyan);
  c.ClipToPlot(true);
  c.Pen(line, n > 150 ? 2 : 1);
  if (p.OtherFound) {
    // The low-end threshold and level first, whichever end the report leads with.
    double bp1 = p.Threshold * fx, bp2 = p.OtherThreshold * fx;
    double y1 = (p.Type == 3 ? s.ay1 : p.OtherLevel * fy);
    double y2 = (p.Type == 3 ? p.OtherLevel * fy : s.ay2);
    if (p.Type == 4) std::swap(bp1, bp2);
    c.Polyline({{c.xmin, y1}, {bp1, y1}, {bp2, y2}, {c.xmax, y2}});
    c.Text(450, 42, "Break-point 1 at X = " + Format("%5.2f", bp1 / fx), c.Text());
    c.Text(450, 57, "Break-point 2 at X = " + Format("%5.2f", bp2 / fx), c.Text());
  } else {
    const Point a1{s.ax1, s.ay1}, a2{s.ax2, s.ay2};
    Point start{c.xmin, s.Line1(c.xmin)}, mid{s.bp, s.Line1(s.bp)}, end{c.xmax, s.Line2(c.xmax)};
    start = ClipEnd(start, a1, s.slope1, c.ymin, c.ymax);
    end = ClipEnd(end, a2, s.slope2, c.ymin, c.ymax);
    c.Polyline({start, mid, end});
    c.Text(450, 42, "Break-point at X = " + Format("%5.2f", s.bp / fx), c.Text());
  }
  c.Text(450, 22, p.OtherFound ? std::string("Combined Type 3 and 4")
                                : "Relation of Type " + std::to_string(p.Type),
         line);
  c.Text(310, 42, "Partial regression", line);
  c.Text(310, 57, "Expl. coeff." + Format("%5.3f", p.OtherFound ? p.CentralCE : g.StoredCE),
         c.Scheme(kPaleGreen));
}

// Whether the data are too sparse to draw the curve through the data points alone.
bool SparseX(const std::vector<double>& x, int n) {
  std::set<double> distinct(x.begin(), x.begin() + n);
  if (distinct.size() < 10) return true;
  const double range = *distinct.rbegin() - *distinct.begin();
  double previous = *distinct.begin();
  for (double v : distinct) {
    if (v - previous > range / 10) return true;
    previous = v;
  }
  return false;
}

void DrawCurve(Canvas& c, const GraphData& g, const GraphOptions& o, double fx, double fy,
               GraphPicture& out) {
  const GraphCurve& curve = *g.Curve;
  const int n = g.NrOfRows;
  DrawPoints(c, g, c.Scheme(Qt::white), c.Colour() ? kDarkBlue : QColor(Qt::white));
  c.ClipToPlot(true);
  // The curve and its belt in the same plot units as the points.
  std::vector<Point> fit, upper, lower;
  const std::vector<double>& rawX = g.GraphX;  // already multiplied by fx
  if (!SparseX(rawX, n)) {
    for (int i = 0; i < n; ++i) {
      const size_t k = static_cast<size_t>(i);
      fit.push_back({rawX[k], g.GraphYcalc[k] * fy});
      upper.push_back({rawX[k], g.GraphUpper[k] * fy});
      lower.push_back({rawX[k], g.GraphLower[k] * fy});
    }
  } else {
    // Twenty-two points across the drawn range; the belt takes the spread of the calculated
    // value at the nearest data point and widens away from the centre of X.
    const double x0 = c.xmin / fx, x1 = c.xmax / fx;
    double avx = 0;
    for (int i = 0; i < n; ++i) avx += rawX[static_cast<size_t>(i)] / fx;
    avx /= n;
    std::vector<double> xs;
    for (int i = 0; i <= 21; ++i) xs.push_back(x0 + (x1 - x0) * i / 21.0);
    int centre = 0;
    for (size_t i = 0; i < xs.size(); ++i) {
      if (xs[i] <= avx) centre = static_cast<int>(i);
    }
    bool beltOk = !(curve.A < -100 || curve.B < -100 || curve.C < -100);
    for (size_t i = 0; i < xs.size(); ++i) {
      const double y = CurveValue(curve, xs[i]);
      if (!std::isfinite(y)) continue;
      size_t nearest = 0;
      for (size_t k = 1; k < static_cast<size_t>(n); ++k) {
        if (std::fabs(rawX[k] / fx - xs[i]) < std::fabs(rawX[nearest] / fx - xs[i])) nearest = k;
      }
      const double sdCalc = (g.GraphUpper[nearest] - g.GraphLower[nearest]) / (2 * 1.75);
      const double w = (1.75 + 0.1 * std::abs(static_cast<int>(i) - centre)) * sdCalc;
      fit.push_back({xs[i] * fx, y * fy});
      if (beltOk) {
        upper.push_back({xs[i] * fx, (y + w) * fy});
        lower.push_back({xs[i] * fx, (y - w) * fy});
      }
    }
  }
  DecideBelt(g.StoredCE, n, 0, out);
  if (o.ShowBelt && out.BeltAvailable) {
    c.Pen(c.Scheme(kYellow), 1, Qt::DashLine);
    c.Polyline(upper);
    c.Polyline(lower);
    c.Text(380, 75, "90% confidence belt is shown", c.Scheme(kYellow));
  }
  c.Pen(c.Scheme(kCyan), PenWidthFor(n, 2, 3));
  c.Polyline(fit);
  const char* name = "";
  int y = 35;
  switch (curve.Kind) {
    case CurveKind::Logistic: name = "Generalized logistic S-curve"; y = 37; break;
    case CurveKind::Gumbel: name = "Generalized Gumbel S-curve"; y = 37; break;
    case CurveKind::InvertedGumbel: name = "Inverted Gumbel S-curve"; y = 37; break;
    case CurveKind::Fisk: name = "Adjusted Fisk S-curve"; y = 37; break;
    case CurveKind::Quadratic: name = "Generalized quadratic regression"; break;
    case CurveKind::Cubic: name = "Generalized cubic regression"; break;
    case CurveKind::Power: name = "Generalized power curve"; break;
  }
  c.Text(380, y, name, c.Scheme(kCyan));
  c.Text(380, 55, "Coefficient of explanation = " + Format("%5.3f", g.StoredCE), c.Scheme(kGreen));
}

// A broken line with several breakpoints: the data, the line through its breakpoints, and each
// breakpoint's confidence interval as a bar above the axis.
void DrawBrokenLine(Canvas& c, const GraphData& g, const GraphOptions& o, double fx, double fy,
                    GraphPicture& out) {
  const GraphBrokenLine& b = *g.BrokenLine;
  const int n = g.NrOfRows;
  DrawPoints(c, g, c.Scheme(Qt::white), c.Colour() ? kDarkBlue : QColor(Qt::white));
  c.ClipToPlot(true);
  // Over the data's range, through every breakpoint within it.
  const auto [lo, hi] = std::minmax_element(g.GraphX.begin(), g.GraphX.begin() + n);
  const double x0 = *lo / fx, x1 = *hi / fx;
  std::vector<Point> line{{*lo, b(x0) * fy}};
  for (double bp : b.Breakpoints)
    if (bp > x0 && bp < x1) line.push_back({bp * fx, b(bp) * fy});
  line.push_back({*hi, b(x1) * fy});
  c.Pen(c.Scheme(kCyan), PenWidthFor(n, 2, 3));
  c.Polyline(line);
  out.BeltAvailable = false;
  if (o.ShowBlock && !b.Breakpoints.empty()) {
    for (size_t j = 0; j < b.Breakpoints.size(); ++j) {
      const double lower = std::max(c.xmin, b.LowerLimits[j] * fx);
      const double upper = std::min(c.xmax, b.UpperLimits[j] * fx);
      const int y = 355 - 6 * static_cast<int>(j);
      c.Pen(c.Scheme(kMagenta), 2);
      c.PixelLine(c.X(lower), y, c.X(upper), y);
      c.Pen(c.Scheme(kMagenta), 1, Qt::DashLine);
      c.PixelLine(c.X(b.Breakpoints[j] * fx), c.Y(b(b.Breakpoints[j]) * fy),
                  c.X(b.Breakpoints[j] * fx), y);
    }
  }
  const size_t k = b.Breakpoints.size();
  if (o.ShowBlock && k > 0) {
    c.Text(380, 37 + 13 * static_cast<int>(k + 1),
           std::to_string(ConfidencePercentOf(g.ConfidenceT)) +
               "% confidence intervals of the break-points are shown",
           c.Scheme(kMagenta));
  }
  c.Text(380, 22, k == 0 ? std::string("Straight line, no break-point")
                         : "Broken line with " + std::to_string(k) +
                               (k == 1 ? " break-point" : " break-points"),
         c.Scheme(kCyan));
  for (size_t j = 0; j < k; ++j) {
    c.Text(380, 37 + 13 * static_cast<int>(j),
           "Break-point " + std::to_string(j + 1) + " at X = " + Format("%.4g", b.Breakpoints[j]),
           c.Text());
  }
  c.Text(380, 37 + 13 * static_cast<int>(k),
         "Coefficient of explanation = " + Format("%5.3f", g.StoredCE), c.Scheme(kGreen));
}

}  // namespace

QColor GraphFrameColour() { return kSilver; }

int ConfidencePercentOf(double t) { return t < 1.8 ? 90 : (t < 2.2 ? 95 : 98); }

bool PaintGraph(QPainter& painter, const GraphData& source, const GraphOptions& options,
                GraphPicture& out) {
  EnsureGraphApplication();
  GraphData g = source;
  const bool curve = g.Curve.has_value();
  const bool partial = g.Partial.has_value() && (g.Partial->Type == 3 || g.Partial->Type == 4);
  const GraphKind kind = curve || g.Partial || g.BrokenLine ? GraphKind::YX : options.Kind;
  out.Arrangement = ArrangeGraphArrays(g, kind);
  GraphArrangement& a = out.Arrangement;
  const bool segmented = !curve && a.DrawFunction() && a.GraphType >= 2;
  const char* absence = segmented || partial ? "Graph could not be made due to absence of data variation"
                                             : kNoGraphDataMessage;
  const size_t n = static_cast<size_t>(std::max(g.NrOfRows, 0));
  if (n < 3) {
    out.Message = kNoGraphDataMessage;
    return false;
  }
  out.Scale = ScaleGraphData(g.GraphX, g.GraphY, n, true);
  GraphScale& sc = out.Scale;
  if (curve) {
    // The curve may rise above every observation: the range takes in its largest value.
    const double fy = sc.Vertical.LabelFactor;
    for (size_t i = 0; i < n; ++i) sc.Vertical.Max = std::max(sc.Vertical.Max, g.GraphYcalc[i] * fy);
  }
  if (sc.Horizontal.Max == sc.Horizontal.Min || sc.Vertical.Max == sc.Vertical.Min) {
    out.Message = absence;
    return false;
  }
  const double fx = sc.Horizontal.LabelFactor, fy = sc.Vertical.LabelFactor;
  out.HorizontalTicks = ComputeTicks(sc.Horizontal, GraphAxis::Horizontal);
  out.VerticalTicks = ComputeTicks(sc.Vertical, GraphAxis::Vertical);
  const bool horizontalIsZ = !g.TwoVariable() && g.TableVariable == "Z";
  out.Captions = SetAxisCaptions(a.LabelCode, horizontalIsZ, sc.Horizontal.LabelFactor,
                                 sc.Vertical.LabelFactor);
  NameAxisCaptions(out.Captions, ColumnNamesOf(g.Title2));

  painter.save();
  Canvas c(painter, options.Colour);
  c.texts = &out.Texts;
  c.boxes = &out.TextBoxes;
  c.h = out.HorizontalTicks;
  c.v = out.VerticalTicks;
  c.xmin = sc.Horizontal.Min;
  c.xmax = sc.Horizontal.Max;
  c.ymin = sc.Vertical.Min;
  c.ymax = sc.Vertical.Max;
  DrawFrame(c, g, out.Captions, curve ? 10 : 12, c.Panel());

  if (g.BrokenLine) {
    DrawBrokenLine(c, g, options, fx, fy, out);
  } else if (curve) {
    DrawCurve(c, g, options, fx, fy, out);
  } else if (partial) {
    const Segments s = SegmentsOf(g, g.First, fx, fy);
    DrawPoints(c, g, c.Scheme(Qt::white), c.Panel());
    DrawPartialLines(c, g, s, fx, fy);
  } else if (!segmented) {
    if (g.Partial) out.Message = "No breakpoint found. The ralation is linear.";
    DrawLinearGraph(c, g, a, options, fx, fy, out);
  } else {
    const Segments s = SegmentsOf(g, *a.Regression, fx, fy);
    if (a.GraphType <= 4) {
      DrawConnectedSegments(c, g, a.GraphType, s, options, fx, fy, out);
    } else {
      DrawSeparateSegments(c, g, a.GraphType, s, options, fy, out);
    }
  }
  c.ClipToPlot(false);
  painter.restore();
  out.Drawn = true;
  // The values go back to data units; the picture keeps the ranges it was drawn with.
  GraphScale drawn = sc;
  UnscaleGraphData(g.GraphX, g.GraphY, n, drawn);
  return true;
}

}  // namespace vornax
