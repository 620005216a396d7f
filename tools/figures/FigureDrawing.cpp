#include "FigureDrawing.h"

#include <QPainter>
#include <QPainterPath>
#include <QPen>

#include <array>
#include <cmath>
#include <functional>
#include <vector>

namespace vornax::figures {
namespace {

const QColor kSilver(192, 192, 192);
const QColor kDarkBlue(0, 0, 139);
const QColor kCyan(0, 255, 255);
const QColor kYellow(255, 255, 0);
const QColor kMagenta(255, 0, 255);
const QColor kWhite(255, 255, 255);
const QColor kPaleRed(255, 150, 150);

// Pixel sizes of the graph fonts: 12, 10 and 8 points on a 96-dpi bitmap.
constexpr int kTitlePx = 16;
constexpr int kTextPx = 13;
constexpr int kTickPx = 11;

// A plot area in pixels with the data range it shows.
struct Plot {
  QRectF area;  // left = the vertical axis, bottom = the horizontal axis
  double x0, x1, y0, y1;
  QPointF Map(double x, double y) const {
    return {area.left() + (x - x0) * area.width() / (x1 - x0),
            area.bottom() - (y - y0) * area.height() / (y1 - y0)};
  }
};

// Scattered offsets for made-up data: fixed, so that every build draws the same pictures.
constexpr std::array<double, 24> kNoise = {0.62,  -0.85, 0.31,  1.05,  -0.44, -1.10, 0.78,  0.12,
                                           -0.66, 0.95,  -0.21, -0.93, 0.47,  0.88,  -0.57, 0.05,
                                           -1.02, 0.71,  0.26,  -0.35, 0.99,  -0.74, 0.40,  -0.12};

QFont Font(int pixels, bool bold = false) {
  QFont f("Arial");
  f.setStyleHint(QFont::SansSerif);
  f.setPixelSize(pixels);
  f.setBold(bold);
  return f;
}

// Text with its top-left corner at (x, y), as the graphs place their captions.
void Text(QPainter& p, double x, double y, const QString& text, int pixels, const QColor& colour,
          bool bold = false) {
  p.setFont(Font(pixels, bold));
  p.setPen(colour);
  p.drawText(QRectF(x, y, 600, pixels * 1.6), Qt::AlignLeft | Qt::AlignTop, text);
}

void TextRight(QPainter& p, double right, double centreY, const QString& text, int pixels,
               const QColor& colour) {
  p.setFont(Font(pixels));
  p.setPen(colour);
  p.drawText(QRectF(right - 200, centreY - pixels, 200, pixels * 2), Qt::AlignRight | Qt::AlignVCenter,
             text);
}

void TextCentred(QPainter& p, double centreX, double top, const QString& text, int pixels,
                 const QColor& colour, bool bold = false) {
  p.setFont(Font(pixels, bold));
  p.setPen(colour);
  p.drawText(QRectF(centreX - 150, top, 300, pixels * 1.6), Qt::AlignHCenter | Qt::AlignTop, text);
}

QPen Pen(const QColor& colour, double width, Qt::PenStyle style = Qt::SolidLine) {
  QPen pen(colour, width, style);
  pen.setCapStyle(Qt::FlatCap);
  return pen;
}

void Line(QPainter& p, const Plot& plot, double xa, double ya, double xb, double yb, const QPen& pen) {
  p.setPen(pen);
  p.drawLine(plot.Map(xa, ya), plot.Map(xb, yb));
}

void Polyline(QPainter& p, const Plot& plot, const std::vector<QPointF>& points, const QPen& pen) {
  QPainterPath path;
  for (size_t i = 0; i < points.size(); ++i) {
    const QPointF at = plot.Map(points[i].x(), points[i].y());
    if (i == 0) path.moveTo(at);
    else path.lineTo(at);
  }
  p.setPen(pen);
  p.setBrush(Qt::NoBrush);
  p.drawPath(path);
}

// A data point: a small dark-blue circle with a coloured rim.
void Dot(QPainter& p, QPointF at, const QColor& rim, double radius = 2.6) {
  p.setPen(QPen(rim, 1.2));
  p.setBrush(kDarkBlue);
  p.drawEllipse(at, radius, radius);
  p.setBrush(Qt::NoBrush);
}

// A central point (X average, Y average) of a line: a small open square.
void Square(QPainter& p, QPointF at, const QColor& colour) {
  p.setPen(QPen(colour, 1.5));
  p.setBrush(Qt::NoBrush);
  p.drawRect(QRectF(at.x() - 4, at.y() - 4, 8, 8));
}

// The background, the title line above the panel, the credit line below it and the panel.
void Frame(QPainter& p, const QString& title, const QString& subtitle) {
  p.fillRect(QRect(0, 0, kFigureWidth, kFigureHeight), kSilver);
  Text(p, 45, 2, title, kTitlePx, Qt::black, true);
  Text(p, 20, 408, "Program VornaxA", kTextPx, Qt::black);
  p.fillRect(QRectF(20, 22, 585, 383), kDarkBlue);
  if (!subtitle.isEmpty()) Text(p, 45, 26, subtitle, kTextPx, kWhite);
}

// Axes with evenly spaced ticks, labelled as the graphs label them: the vertical values right-
// aligned left of the axis, the horizontal ones under their ticks.
void Axes(QPainter& p, const Plot& plot, int xTicks, int yTicks, int decimals, const QString& hCaption,
          const QString& vCaption, int tickPx = kTickPx) {
  const QRectF& a = plot.area;
  p.setPen(Pen(kWhite, 1));
  p.drawLine(QPointF(a.left(), a.bottom()), QPointF(a.left(), a.top()));
  p.drawLine(QPointF(a.left(), a.bottom()), QPointF(a.right(), a.bottom()));
  for (int i = 0; i <= yTicks; ++i) {
    const double y = a.top() + i * a.height() / yTicks;
    p.setPen(Pen(kWhite, 1));
    p.drawLine(QPointF(a.left(), y), QPointF(a.left() - 4, y));
    const double value = plot.y1 - i * (plot.y1 - plot.y0) / yTicks;
    TextRight(p, a.left() - 6, y, QString::number(value, 'f', decimals), tickPx, kWhite);
  }
  for (int i = 0; i <= xTicks; ++i) {
    const double x = a.left() + i * a.width() / xTicks;
    p.setPen(Pen(kWhite, 1));
    p.drawLine(QPointF(x, a.bottom()), QPointF(x, a.bottom() + 4));
    const double value = plot.x0 + i * (plot.x1 - plot.x0) / xTicks;
    TextCentred(p, x, a.bottom() + 7, QString::number(value, 'f', decimals), tickPx, kWhite);
  }
  if (!hCaption.isEmpty()) Text(p, a.right() - 55, a.bottom() + 22, hCaption, kTextPx, kWhite);
  if (!vCaption.isEmpty()) Text(p, a.left(), a.top() - 14, vCaption, kTextPx, kWhite);
}

// Axes without numbers, for the small plots of the types figure.
void BareAxes(QPainter& p, const Plot& plot) {
  const QRectF& a = plot.area;
  p.setPen(Pen(kWhite, 1));
  p.drawLine(QPointF(a.left(), a.bottom()), QPointF(a.left(), a.top() - 6));
  p.drawLine(QPointF(a.left(), a.bottom()), QPointF(a.right() + 6, a.bottom()));
  Text(p, a.left() - 11, a.top() - 12, "Y", kTickPx, kWhite);
  Text(p, a.right() + 1, a.bottom() + 2, "X", kTickPx, kWhite);
}

// The breakpoint: a dashed drop from the line to the axis, named below the axis (below its
// numbers, `drop` pixels down, when the axis has them).
void Breakpoint(QPainter& p, const Plot& plot, double bp, double yAtBp, double drop = 2) {
  const QPointF top = plot.Map(bp, yAtBp);
  const QPointF foot(top.x(), plot.area.bottom());
  p.setPen(Pen(kMagenta, 1, Qt::DashLine));
  p.drawLine(top, foot + QPointF(0, drop > 2 ? drop - 2 : 0));
  TextCentred(p, foot.x(), foot.y() + drop, "BP", kTickPx, kMagenta, true);
}

// Least squares of y on x: slope, averages, sum of squares of x, residual standard deviation.
struct Fit {
  double slope = 0, xav = 0, yav = 0, sxx = 0, sdResidual = 0;
  int n = 0;
  double At(double x) const { return yav + slope * (x - xav); }
};

Fit LeastSquares(const std::vector<double>& x, const std::vector<double>& y) {
  Fit f;
  f.n = static_cast<int>(x.size());
  for (int i = 0; i < f.n; ++i) {
    f.xav += x[i];
    f.yav += y[i];
  }
  f.xav /= f.n;
  f.yav /= f.n;
  double sxy = 0;
  for (int i = 0; i < f.n; ++i) {
    f.sxx += (x[i] - f.xav) * (x[i] - f.xav);
    sxy += (x[i] - f.xav) * (y[i] - f.yav);
  }
  f.slope = f.sxx > 0 ? sxy / f.sxx : 0;
  double ssr = 0;
  for (int i = 0; i < f.n; ++i) ssr += (y[i] - f.At(x[i])) * (y[i] - f.At(x[i]));
  f.sdResidual = f.n > 2 ? std::sqrt(ssr / (f.n - 2)) : 0;
  return f;
}

}  // namespace

// ---------------------------------------------------------------------------------------------

QImage DrawTypesFigure() {
  QImage image(kFigureWidth, kFigureHeight, QImage::Format_RGB32);
  QPainter p(&image);
  p.setRenderHint(QPainter::Antialiasing);
  p.setRenderHint(QPainter::TextAntialiasing);
  Frame(p, "The function types of segmented linear regression", QString());

  struct Type {
    QString caption, line1, line2;
    std::function<double(double)> f;  // on 0..1, breakpoint at 0.5
    bool connected;
  };
  const double bp = 0.5;
  const std::vector<Type> types = {
      {"Type 0", "a horizontal line:", "no relation", [](double) { return 0.5; }, true},
      {"Type 1", "a single sloping line,", "no breakpoint", [](double u) { return 0.18 + 0.62 * u; }, true},
      {"Type 2", "two connected", "sloping segments",
       [](double u) { return u < 0.5 ? 0.12 + 1.2 * u : 0.72 - 0.55 * (u - 0.5); }, true},
      {"Type 3", "horizontal, then", "a sloping segment",
       [](double u) { return u < 0.5 ? 0.24 : 0.24 + 1.2 * (u - 0.5); }, true},
      {"Type 4", "sloping, then", "a horizontal segment",
       [](double u) { return u < 0.5 ? 0.18 + 1.2 * u : 0.78; }, true},
      {"Type 5", "two horizontal", "segments at two levels",
       [](double u) { return u < 0.5 ? 0.3 : 0.74; }, true},
      {"Type 6", "disconnected segments,", "at least one sloping",
       [](double u) { return u < 0.5 ? 0.14 + 0.7 * u : 0.86 - 0.5 * (u - 0.5); }, false},
  };

  const double cellW = 146, cellH = 190;
  for (size_t t = 0; t <= types.size(); ++t) {
    const int column = static_cast<int>(t % 4), row = static_cast<int>(t / 4);
    const double x0 = 20 + 2 + column * cellW, y0 = 22 + 4 + row * cellH;
    if (column > 0) {
      p.setPen(Pen(QColor(40, 40, 170), 1));
      p.drawLine(QPointF(x0, y0 + 6), QPointF(x0, y0 + cellH - 10));
    }
    if (t == types.size()) {
      // The key to the small plots.
      Text(p, x0 + 14, y0 + 4, "Key", 14, kWhite, true);
      double y = y0 + 34;
      Dot(p, QPointF(x0 + 24, y + 7), kCyan);
      Dot(p, QPointF(x0 + 34, y + 4), kWhite);
      Text(p, x0 + 46, y, "observed data", kTickPx, kWhite);
      y += 24;
      p.setPen(Pen(kWhite, 2));
      p.drawLine(QPointF(x0 + 16, y + 7), QPointF(x0 + 40, y + 7));
      Text(p, x0 + 46, y, "types 0 and 1", kTickPx, kWhite);
      y += 24;
      p.setPen(Pen(kCyan, 2));
      p.drawLine(QPointF(x0 + 16, y + 7), QPointF(x0 + 40, y + 7));
      Text(p, x0 + 46, y, "types 2 to 6", kTickPx, kWhite);
      y += 24;
      p.setPen(Pen(kMagenta, 1, Qt::DashLine));
      p.drawLine(QPointF(x0 + 28, y), QPointF(x0 + 28, y + 16));
      Text(p, x0 + 46, y + 2, "breakpoint BP", kTickPx, kWhite);
      Text(p, x0 + 14, y0 + cellH - 56, "Y  dependent variable", kTickPx, kWhite);
      Text(p, x0 + 14, y0 + cellH - 42, "X  independent", kTickPx, kWhite);
      Text(p, x0 + 14, y0 + cellH - 28, "    variable", kTickPx, kWhite);
      break;
    }
    const Type& type = types[t];
    const bool single = t <= 1;
    Text(p, x0 + 12, y0 + 2, type.caption, 14, kCyan, true);
    Text(p, x0 + 12, y0 + 21, type.line1, kTickPx, kWhite);
    Text(p, x0 + 12, y0 + 34, type.line2, kTickPx, kWhite);
    const Plot plot{QRectF(x0 + 20, y0 + 66, 112, 94), 0, 1, 0, 1};
    BareAxes(p, plot);
    for (int i = 0; i < 14; ++i) {
      const double u = 0.05 + i * 0.069;
      const double v = type.f(u) + 0.055 * kNoise[(static_cast<size_t>(i) + t * 5) % kNoise.size()];
      Dot(p, plot.Map(u, v), single ? kCyan : kWhite, 2.3);
    }
    const QPen pen = Pen(single ? kWhite : kCyan, 2);
    if (single) {
      Line(p, plot, 0.02, type.f(0.02), 1.0, type.f(1.0), pen);
      continue;
    }
    const double left = type.f(bp - 1e-9), right = type.f(bp);
    Breakpoint(p, plot, bp, std::max(left, right));
    Line(p, plot, 0.02, type.f(0.02), bp, left, pen);
    if (type.connected) Line(p, plot, bp, left, bp, right, pen);  // type 5 steps at BP
    Line(p, plot, bp, right, 1.0, type.f(1.0), pen);
  }
  return image;
}

// ---------------------------------------------------------------------------------------------

QImage DrawBeltFigure() {
  QImage image(kFigureWidth, kFigureHeight, QImage::Format_RGB32);
  QPainter p(&image);
  p.setRenderHint(QPainter::Antialiasing);
  p.setRenderHint(QPainter::TextAntialiasing);
  Frame(p, "The confidence belt of a regression line", "Y = a + b.X  with a 90% confidence belt");

  std::vector<double> xs, ys;
  // Few data and much scatter: a wide belt, where the curves and the straight lines part visibly.
  for (size_t i = 0; i < 14; ++i) {
    const double x = 1.0 + 0.8 * static_cast<double>(i);
    xs.push_back(x);
    ys.push_back(1.6 + 0.55 * x + 1.7 * kNoise[i * 3 % kNoise.size()]);
  }
  const Fit fit = LeastSquares(xs, ys);
  const double xmin = 0.5, xmax = 12, ymin = 0, ymax = 12;
  const Plot plot{QRectF(70, 60, 500, 300), 0, 12, 0, 12};
  Axes(p, plot, 6, 6, 0, "X-Data", " Y-Data");

  for (size_t i = 0; i < xs.size(); ++i) Dot(p, plot.Map(xs[i], ys[i]), kCyan);

  // The exact limits: the line plus or minus 1.75 standard errors of its value at x, curves
  // that are narrowest at the central point.
  const double t = 1.75;
  const int n = fit.n;
  auto se = [&](double x) { return fit.sdResidual * std::sqrt(1.0 / n + (x - fit.xav) * (x - fit.xav) / fit.sxx); };
  for (int side : {-1, 1}) {
    std::vector<QPointF> curve;
    for (int k = 0; k <= 100; ++k) {
      const double x = xmin + k * (xmax - xmin) / 100;
      curve.emplace_back(x, fit.At(x) + side * t * se(x));
    }
    Polyline(p, plot, curve, Pen(kPaleRed, 2));
  }

  // The straight-line belt the graphs draw: the lines with the slopes b -/+ 1.75 s pivoting
  // about points above and below the central point, joined by pieces parallel to the line.
  const double S = fit.sdResidual, b = fit.slope, xav = fit.xav, yav = fit.yav;
  const double s = S / std::sqrt(fit.sxx);
  const double bL = b - t * s, bU = b + t * s;
  const double u = t * 1.4 * S / std::sqrt(n), o = t * S / std::sqrt(n);
  const double dL = xav - 1.4 * S / (std::sqrt(n) * s), dR = xav + 1.4 * S / (std::sqrt(n) * s);
  auto at = [&](double slope, double x) { return QPointF(x, yav + slope * (x - xav)); };
  QPointF p1 = at(bL, xmin), p2 = at(bL, dL), p3 = at(bU, dR), p4 = at(bU, xmax);
  QPointF p5 = at(bU, xmin), p6 = at(bU, dL), p7 = at(bL, dR), p8 = at(bL, xmax);
  if (p4.y() > ymax) p4 = QPointF(xav + (ymax - yav) / bU, ymax);
  if (p5.y() < ymin) p5 = QPointF(xav + (ymin - yav) / bU, ymin);
  if (p2.x() < xmin) p2 = p1;
  if (p6.x() < xmin) p6 = p5;
  if (p3.x() > xmax) p3 = p4;
  if (p7.x() > xmax) p7 = p8;
  double xl = xav - 0.2 * (xmax - xmin), xr = xav + 0.2 * (xmax - xmin);
  if (xl < p2.x()) xl = (xav + p2.x()) / 2;
  if (xr > p3.x()) xr = (xav + p3.x()) / 2;
  const QPointF p9(xl, fit.At(xl) + o), p10(xr, fit.At(xr) + o);
  const QPointF p11(xl, fit.At(xl) - o), p12(xr, fit.At(xr) - o);
  (void)u;
  const QPen belt = Pen(kYellow, 2, Qt::DashLine);
  Polyline(p, plot, {p1, p2, p9, p10, p3, p4}, belt);
  Polyline(p, plot, {p5, p6, p11, p12, p7, p8}, belt);

  // The regression line RL and its central point.
  double xEnd = xmax, yEnd = fit.At(xmax);
  if (yEnd > ymax) {
    yEnd = ymax;
    xEnd = xav + (ymax - yav) / b;
  }
  Line(p, plot, xmin, fit.At(xmin), xEnd, yEnd, Pen(kWhite, 2));
  const QPointF end = plot.Map(xEnd, yEnd);
  Text(p, end.x() + 6, end.y() - 8, "RL", kTextPx, kWhite, true);
  Square(p, plot.Map(xav, yav), kWhite);
  const QPointF centre = plot.Map(xav, yav);
  Text(p, centre.x() + 8, centre.y() + 10, "(Xav, Yav)", kTickPx, kWhite);

  Text(p, 400, 37, "Type 1, breakpoint absent", kTextPx, kCyan);
  Text(p, 400, 52, "90% confidence belt is shown", kTextPx, kYellow);

  // Key, in the empty corner under the line.
  double y = 292;
  auto key = [&](const QPen& pen, const QString& text) {
    p.setPen(pen);
    p.drawLine(QPointF(372, y + 7), QPointF(402, y + 7));
    Text(p, 410, y, text, kTickPx, kWhite);
    y += 16;
  };
  key(Pen(kWhite, 2), "regression line RL");
  key(Pen(kPaleRed, 1.4), "exact confidence limits (curves)");
  key(Pen(kYellow, 2, Qt::DashLine), "straight-line belt drawn by Vornax");
  Square(p, QPointF(387, y + 7), kWhite);
  Text(p, 410, y, "central point (Xav, Yav)", kTickPx, kWhite);
  return image;
}

// ---------------------------------------------------------------------------------------------

QImage DrawMethodsFigure() {
  QImage image(kFigureWidth, kFigureHeight, QImage::Format_RGB32);
  QPainter p(&image);
  p.setRenderHint(QPainter::Antialiasing);
  p.setRenderHint(QPainter::TextAntialiasing);
  Frame(p, "The two calculation methods, shown for type 3", QString());

  // Level up to the breakpoint, rising beyond it.
  const double bp = 7.0;
  std::vector<double> x1, y1, x2, y2;
  for (size_t i = 0; i < 21; ++i) {
    const double x = 1.0 + 0.75 * static_cast<double>(i);
    // The horizontal segment lies a little below where the rising one would meet it.
    const double y = (x < bp ? 2.45 : 3.2 + 0.5 * (x - bp)) + 0.5 * kNoise[(i * 7 + 3) % kNoise.size()];
    if (x < bp) {
      x1.push_back(x);
      y1.push_back(y);
    } else {
      x2.push_back(x);
      y2.push_back(y);
    }
  }
  const Fit left = LeastSquares(x1, y1), right = LeastSquares(x2, y2);
  const double xmin = 0.2, xmax = 17.5;
  // Where the regression line of the sloping segment meets the average level of the horizontal
  // one: it need not be the breakpoint.
  const double xcross = right.xav + (left.yav - right.yav) / right.slope;

  for (int method = 1; method <= 2; ++method) {
    const double ox = method == 1 ? 62 : 345;
    const Plot plot{QRectF(ox, 92, 228, 214), 0, 18, 0, 10};
    Text(p, ox - 30, 30, QString("Method %1").arg(method), 15, kCyan, true);
    Axes(p, plot, 6, 5, 0, "", "", 10);
    for (size_t i = 0; i < x1.size(); ++i) Dot(p, plot.Map(x1[i], y1[i]), kWhite);
    for (size_t i = 0; i < x2.size(); ++i) Dot(p, plot.Map(x2[i], y2[i]), kWhite);

    // The regression line of the sloping segment and the average level of the horizontal one,
    // thin and dotted, to show where they cross.
    const QPen guide = Pen(QColor(200, 200, 255), 1, Qt::DotLine);
    Line(p, plot, std::min(xcross, bp) - 1.2, right.At(std::min(xcross, bp) - 1.2), right.xav, right.yav, guide);
    Line(p, plot, left.xav, left.yav, std::max(xcross, bp) + 1.2, left.yav, guide);
    const QPointF cross = plot.Map(xcross, left.yav);
    p.setPen(Pen(kYellow, 1.5));
    p.drawLine(cross + QPointF(-4, -4), cross + QPointF(4, 4));
    p.drawLine(cross + QPointF(-4, 4), cross + QPointF(4, -4));
    Text(p, cross.x() - 44, cross.y() - 22, "Xcross", kTickPx, kYellow, true);

    const QPen fitted = Pen(kCyan, 2);
    double level, yEnd;
    if (method == 1) {
      level = right.At(bp);
      yEnd = right.At(xmax);
      Square(p, plot.Map(right.xav, right.yav), kWhite);
    } else {
      level = left.yav;
      yEnd = level + (right.yav - level) / (right.xav - bp) * (xmax - bp);
      Square(p, plot.Map(left.xav, left.yav), kWhite);
      Square(p, plot.Map(right.xav, right.yav), kWhite);
    }
    Breakpoint(p, plot, bp, level, 19);
    Line(p, plot, xmin, level, bp, level, fitted);
    Line(p, plot, bp, level, xmax, yEnd, fitted);

    const QStringList lines =
        method == 1 ? QStringList{"The regression line of the sloping", "segment is cut at BP; a horizontal",
                                  "line continues to the left."}
                    : QStringList{"A horizontal line at the average Y", "of the left segment up to BP, then",
                                  "a line through the right central point."};
    for (int i = 0; i < lines.size(); ++i) Text(p, ox - 30, 344 + i * 15, lines[i], 12, kWhite);
  }
  // The symbols shared by both panels.
  Square(p, QPointF(146, 67), kWhite);
  Text(p, 156, 60, "central point of a segment", kTickPx, kWhite);
  Text(p, 336, 60, "BP  breakpoint", kTickPx, kMagenta, true);
  Text(p, 446, 60, "x  Xcross", kTickPx, kYellow, true);
  return image;
}

}  // namespace vornax::figures
