// Arrangement, ticks, captions and pixel mapping of the graph axes.
#include "graphs/scaling/GraphAxes.h"

#include <vector>

#include <cmath>
#include <cstdio>
#include <utility>

namespace vornax {

long long RoundHalfEvenToInteger(double value) {
  if (!std::isfinite(value)) return 0;
  // Far beyond any pixel: keep within the integer range.
  if (value > 9.0e18) return 9000000000000000000LL;
  if (value < -9.0e18) return -9000000000000000000LL;
  return static_cast<long long>(std::nearbyint(value));  // the default mode rounds halves to even
}

namespace {

double Rnd(double v) { return static_cast<double>(RoundHalfEvenToInteger(v)); }

// Integer division truncating toward zero, on 64-bit reals.
double Div(double a, double b) { return std::trunc(a / b); }

}  // namespace

AxisTicks ComputeTicks(const AxisScale& scale, GraphAxis axis) {
  const double M = scale.Max, m = scale.Min;
  AxisTicks t;
  double step = 1;
  if (M < 10) {
    t.Low = Rnd(m - 0.5);
    t.High = Rnd(M + 0.5);
    t.Count = static_cast<int>(std::min(t.High - t.Low, 1.0e9));
    if (axis == GraphAxis::Vertical && t.Count > 10) t.Count /= 2;
    t.Decimals = 1;
  } else {
    if (M < 25) {
      step = 4;
      t.Low = 4 * Rnd((m - 2) / 4);
      t.High = 4 * Rnd((M + 2) / 4);
    } else if (M < 50) {
      step = 5;
      t.Low = 5 * Rnd((m - 2.5) / 5);
      t.High = 5 * Rnd((M + 2.5) / 5);
    } else if (M < 100) {
      step = 10;
      t.Low = 10 * Rnd((m - 5) / 10);
      t.High = 10 * Rnd((M + 5) / 10);
    } else if (M < 250) {
      step = 25;
      t.Low = 25 * Rnd((2 * m - 25) / 50);
      t.High = 25 * Rnd((2 * M + 25) / 50);
    } else if (M < 500) {
      step = 50;
      t.Low = 50 * Rnd((m - 25) / 50);
      t.High = 50 * Rnd((M + 25) / 50);
    } else {
      step = M < 1000     ? 100
             : M < 2500   ? 250
             : M < 5000   ? 500
             : M < 10000  ? 1000
             : M < 25000  ? 2500
             : M < 50000  ? 5000
                          : 10000;
      t.Low = Rnd(m);
      t.High = Rnd(M);
    }
    t.Count = static_cast<int>(std::min(Div(t.High - t.Low, step), 1.0e9));
    t.Decimals = 0;
  }
  if (t.Count > 10) {
    t.Count = 10;
    ++t.Decimals;
  }
  if (t.Count < 4) {
    t.Count = 4;
    if (t.High < 100) ++t.Decimals;
  }
  return t;
}

std::string TickLabel(double value, int decimals) {
  char buffer[64];
  const int width = decimals + 2;
  if (std::fabs(value) >= 1e30) {
    std::snprintf(buffer, sizeof buffer, "%.3e", value);
  } else {
    std::snprintf(buffer, sizeof buffer, "%*.*f", width, decimals, value);
  }
  return buffer;
}

double HorizontalTickValue(const AxisTicks& t, int i) {
  return t.Low + i * (t.High - t.Low) / t.Count;
}

double VerticalTickValue(const AxisTicks& t, int i) {
  return t.High - i * (t.High - t.Low) / t.Count;
}

namespace {

int ToPixel(double v) {
  const long long p = RoundHalfEvenToInteger(v);
  // Far outside the bitmap a point is not drawn anyway; keep it representable.
  return static_cast<int>(std::max(-1000000LL, std::min(1000000LL, p)));
}

}  // namespace

int MapHorizontal(double u, const AxisTicks& t) {
  const double span = t.High - t.Low;
  const double d = span != 0 ? (u - t.Low) * kPlotWidth / span : u - t.Low;
  return ToPixel(kPlotLeft + Rnd(d));
}

int MapVertical(double v, const AxisTicks& t) {
  const double span = t.High - t.Low;
  const double d = span != 0 ? (v - t.Low) * kPlotHeight / span : v - t.Low;
  return ToPixel(kPlotBottom - Rnd(d));
}

GraphArrangement ArrangeGraphArrays(GraphData& g, GraphKind kind) {
  GraphArrangement a;
  a.Kind = kind;
  a.Regression = &g.First;
  const bool yx = g.OutputTag == " Y-X";
  const bool yz = g.OutputTag == " Y-Z";
  if (!yx && !yz && (kind == GraphKind::Residuals || kind == GraphKind::YZ ||
                     kind == GraphKind::XZ)) {
    kind = GraphKind::YX;  // a one-variable output has no second variable to plot
    a.Kind = kind;
  }
  const size_t n = static_cast<size_t>(g.NrOfRows);
  auto swap = [n](std::vector<double>& p, std::vector<double>& q) {
    for (size_t i = 0; i < n && i < p.size() && i < q.size(); ++i) std::swap(p[i], q[i]);
  };
  switch (kind) {
    case GraphKind::YX:
      a.GraphType = g.First.Type;
      if (yx) {
        a.LabelCode = g.First.Type >= 2 ? 10 : 11;
      } else if (yz) {
        a.LabelCode = g.First.Type >= 2 ? 12 : 13;
        swap(g.GraphX, g.GraphZ);
      }
      break;
    case GraphKind::Residuals:
      a.GraphType = g.Second.Type;
      a.Regression = &g.Second;
      if (yx) {
        a.LabelCode = g.Second.Type >= 2 ? 14 : 15;
        swap(g.GraphX, g.GraphZ);
        swap(g.GraphY, g.GraphResidual);
      } else {
        a.LabelCode = g.Second.Type >= 2 ? 16 : 17;
        swap(g.GraphY, g.GraphResidual);
      }
      break;
    case GraphKind::CalcObs:
      a.LabelCode = 18;
      a.GraphType = 1;
      g.GraphX = g.GraphYcalc;
      break;
    case GraphKind::YZ:
      a.GraphType = 1;
      if (yx) {
        a.LabelCode = 19;
        swap(g.GraphX, g.GraphZ);
      } else {
        a.LabelCode = 20;
      }
      break;
    case GraphKind::XZ:
      a.GraphType = 1;
      if (yx) {
        a.LabelCode = 21;
        g.GraphY = g.GraphX;
        g.GraphX = g.GraphZ;
      } else {
        a.LabelCode = 22;
        swap(g.GraphY, g.GraphZ);
      }
      break;
  }
  return a;
}

namespace {

std::string WithFactor(const std::string& base, int factor) {
  return factor == 1 ? base : base + " * " + std::to_string(factor);
}

std::string XCaption(int f) { return f == 1 ? "X-Data" : WithFactor("X-data", f); }
std::string ZCaption(int f) { return f == 1 ? "Z-Data" : WithFactor("Z-data", f); }

}  // namespace

AxisCaptions SetAxisCaptions(int labelCode, bool horizontalIsZ, int fx, int fy) {
  AxisCaptions c;
  c.Horizontal = XCaption(fx);
  if (horizontalIsZ) c.Horizontal = ZCaption(fx);
  if ((labelCode >= 12 && labelCode <= 15) || labelCode == 19 || labelCode == 21) {
    c.Horizontal = ZCaption(fx);
  }
  if (labelCode == 16 || labelCode == 17) c.Horizontal = XCaption(fx);
  c.Vertical = fy == 1 ? " Y-Data" : WithFactor(" Y-data", fy);
  if (labelCode == 14 || labelCode == 15) c.Vertical = WithFactor(" YXr residuals", fy);
  if (labelCode == 16 || labelCode == 17) c.Vertical = WithFactor(" YZr residuals", fy);
  if (labelCode == 18) {
    c.Horizontal = WithFactor("Ycalc", fx);
    c.Vertical = WithFactor(" Yobs", fy);
  }
  if (labelCode == 20) c.Horizontal = XCaption(fx);
  if (labelCode == 21) c.Vertical = fy == 1 ? " X-Data" : WithFactor(" X-data", fy);
  if (labelCode == 22) {
    c.Horizontal = fx == 1 ? " X-Data" : WithFactor("X-data", fx);
    c.Vertical = fy == 1 ? " Z-Data" : WithFactor(" Z-data", fy);
  }
  return c;
}

ColumnNames ColumnNamesOf(const std::string& title) {
  // Where each "Y =", "X:", "weight =" ... starts (at the start or after a comma or semicolon)
  // and where its name begins.
  struct Marker {
    char role;
    size_t start, nameStart;
  };
  std::vector<Marker> markers;
  for (size_t i = 0; i < title.size(); ++i) {
    size_t k = i;
    if (k > 0) {
      if (title[k - 1] != ' ' && title[k - 1] != ',' && title[k - 1] != ';') continue;
      size_t back = k;
      while (back > 0 && title[back - 1] == ' ') --back;
      if (back > 0 && title[back - 1] != ',' && title[back - 1] != ';') continue;
    }
    char role = 0;
    if (title.compare(k, 6, "weight") == 0) {
      role = 'w';
      k += 6;
    } else if (title[k] == 'Y' || title[k] == 'X' || title[k] == 'Z') {
      role = title[k];
      k += 1;
    } else {
      continue;
    }
    while (k < title.size() && title[k] == ' ') ++k;
    if (k >= title.size() || (title[k] != '=' && title[k] != ':')) continue;
    markers.push_back({role, i, k + 1});
  }
  ColumnNames names;
  for (size_t m = 0; m < markers.size(); ++m) {
    size_t end = m + 1 < markers.size() ? markers[m + 1].start : title.size();
    size_t begin = markers[m].nameStart;
    while (begin < end && title[begin] == ' ') ++begin;
    while (end > begin && (title[end - 1] == ' ' || title[end - 1] == ',' || title[end - 1] == ';')) --end;
    const std::string name = title.substr(begin, end - begin);
    if (markers[m].role == 'Y' && names.Y.empty()) names.Y = name;
    if (markers[m].role == 'X' && names.X.empty()) names.X = name;
    if (markers[m].role == 'Z' && names.Z.empty()) names.Z = name;
  }
  return names;
}

void NameAxisCaptions(AxisCaptions& captions, const ColumnNames& names) {
  auto rename = [&](std::string& caption) {
    const bool blank = !caption.empty() && caption[0] == ' ';
    std::string base = blank ? caption.substr(1) : caption;
    std::string suffix;
    if (const size_t star = base.find(" * "); star != std::string::npos) {
      suffix = base.substr(star);
      base.resize(star);
    }
    const std::string* name = nullptr;
    if (base == "X-Data" || base == "X-data") name = &names.X;
    if (base == "Y-Data" || base == "Y-data") name = &names.Y;
    if (base == "Z-Data" || base == "Z-data") name = &names.Z;
    if (name == nullptr || name->empty()) return;
    caption = (blank ? " " : "") + *name + suffix;
  };
  rename(captions.Horizontal);
  rename(captions.Vertical);
}

}  // namespace vornax
