// The ceilings of the coefficient of explanation of each type at each candidate breakpoint:
// what lets the break test's shuffles pass over candidates that cannot beat the best so far.
#include <algorithm>
#include <cmath>
#include <limits>

#include "regression/SegmentEngine.h"

namespace vornax {

bool SegmentEngine::TypeCeilings(std::span<const double> candidates,
                                 std::vector<Ceiling>& out) const {
  constexpr double kOpen = std::numeric_limits<double>::infinity();
  if (!sorted_) return false;
  out.assign(candidates.size(), Ceiling{});
  for (size_t i = 0; i < candidates.size(); ++i) {
    out[i].CE.fill(kOpen);
    out[i].Below = SplitIndex(candidates[i]);
    out[i].Above = n_ - out[i].Below;
  }
  if (n_ < 2) return true;

  // The engine's own running sums of each side (raw, as the data stand), and the totals.
  RunningSums whole, none;
  SumsAround(0, none, whole);
  const long double n = n_, ybarL = whole.SumY / n, xbarL = whole.SumX / n;
  const double total = static_cast<double>(std::max(whole.SumYY - whole.SumY * ybarL, 0.0L));
  const double runYY = static_cast<double>(whole.SumYY), runXX = static_cast<double>(whole.SumXX);
  if (!(total > 0) || !(whole.SumXX - whole.SumX * xbarL > 0)) return true;
  // Sums over n terms lose at most about n roundings of their largest total, and the raw sums
  // lose what Y's and X's distance from zero costs when the averages are taken off; a side's
  // least-squares line divides by its own spread of X, which magnifies that.
  const double unit = 64.0 * (n_ + 8) * std::numeric_limits<long double>::epsilon();
  constexpr double kDouble = std::numeric_limits<double>::epsilon();
  for (size_t c = 0; c < candidates.size(); ++c) {
    const int k = out[c].Below;
    if (k < 1 || k > n_ - 1) continue;
    RunningSums a, b;
    SumsAround(k, a, b);
    // Each side's count, averages (about the overall ones), spreads and least-squares slope.
    struct Side {
      double m = 0, ay = 0, ax = 0, syy = 0, sxx = 0, sxy = 0, rc = 0, free = 0;
    } side[3];
    double error = 0;
    bool open = false;
    for (int s = 1; s <= 2; ++s) {
      const RunningSums& u = s == 1 ? a : b;
      Side& d = side[s];
      d.m = s == 1 ? k : n_ - k;
      // The side's figures are taken in the sums' precision, about the overall averages, then
      // kept in doubles.
      const long double m = d.m, ay = u.SumY / m, ax = u.SumX / m;
      d.ay = static_cast<double>(ay - ybarL);
      d.ax = static_cast<double>(ax - xbarL);
      d.syy = static_cast<double>(std::max(u.SumYY - u.SumY * ay, 0.0L));
      d.sxy = static_cast<double>(u.SumXY - u.SumX * ay);
      // Equal X on a side leave it no slope: its best line is its average.
      const bool flat = s == 1 ? x_[0] == x_[k - 1] : x_[k] == x_[n_ - 1];
      const double sxx = static_cast<double>(u.SumXX - u.SumX * ax);
      // The average taken off costs more digits on a short side.
      const double cost = unit * runYY * (1 + 2 * std::sqrt(n_ / d.m));
      error += cost;
      d.free = d.syy;
      if (!flat) {
        if (!(sxx > 0)) open = true;  // varying X whose spread rounding has eaten
        d.sxx = sxx;
        d.rc = sxx > 0 ? d.sxy / sxx : 0;
        d.free = std::max(d.syy - d.sxy * d.sxy / std::max(sxx, 1e-300), 0.0);
        error += cost * (1 + 2 * std::sqrt(runXX / std::max(sxx, 1e-300)));
      } else {
        d.sxy = 0;
      }
    }
    if (open) continue;
    const double bp = static_cast<double>(candidates[c] - xbarL);
    const double ym = static_cast<double>(ybarL), xm = static_cast<double>(xbarL);
    // What side s leaves about the line through (px, py) with slope q, adding to err how far
    // the line the engine holds can move that: its anchor and level rounded to doubles (far
    // from zero where X and Y are, or where the level was made of larger terms), and its slope
    // off by up to dq.
    auto about = [&](int s, double px, double py, double q, double dq,
                     double& err, double made = 0) {
      const Side& d = side[s];
      const double off = d.ay - py - q * (d.ax - px);
      const double terms = d.syy + 2 * std::fabs(q * d.sxy) + q * q * d.sxx + d.m * off * off;
      const double far = std::fabs(py + ym) + made +
                              std::fabs(q) * (std::fabs(px + xm) + std::fabs(d.ax + xm));
      const double shift = 8 * kDouble * far * std::sqrt(d.m);
      const double lever = std::fabs(d.ax - px);
      err += 1e-12 * terms + 2 * shift * std::sqrt(terms) + shift * shift +
             2 * dq * (std::fabs(q) * d.sxx + std::fabs(d.sxy) + d.m * std::fabs(off) * lever) +
             dq * dq * (d.sxx + d.m * lever * lever);
      return d.syy - 2 * q * d.sxy + q * q * d.sxx + d.m * off * off;
    };
    // A slope taken as (level - py) / (bp - ax) from doubles: how far it can be off.
    auto slopeError = [&](double q, double level, double py, double ax,
                          double made = 0) {
      const double den = std::fabs(bp - ax);
      const double size = std::fabs(level + ym) + std::fabs(py + ym) + made +
                               std::fabs(q) * (std::fabs(bp + xm) + std::fabs(ax + xm));
      return 16 * kDouble * (std::fabs(q) + size / den);
    };
    // The coefficient of explanation of residual sums r1 + r2, raised by the margins; a
    // candidate the type tests reject counts 0, so nothing below that.
    auto ceiling = [&](double r1, double r2, double err) {
      const double ce = 1 - (r1 + r2 - error - err) / (total * (1 + unit));
      return std::max(ce + 1e-12, 0.0);
    };
    const Side& s1 = side[1];
    const Side& s2 = side[2];
    // The sides' own least-squares lines (their slopes rounded once).
    double eOwn1 = 0, eOwn2 = 0;
    const double own1 = about(1, s1.ax, s1.ay, s1.rc, 4 * kDouble * std::fabs(s1.rc), eOwn1);
    const double own2 = about(2, s2.ax, s2.ay, s2.rc, 4 * kDouble * std::fabs(s2.rc), eOwn2);
    // Where a side's line meets BP, and how far that can be off in doubles.
    const double at1 = (bp - s1.ax) * s1.rc + s1.ay, at2 = (bp - s2.ax) * s2.rc + s2.ay;
    const double made1 = std::fabs((bp - s1.ax) * s1.rc) + std::fabs(s1.ay + ym);
    const double made2 = std::fabs((bp - s2.ax) * s2.rc) + std::fabs(s2.ay + ym);
    std::array<double, kCeilingSlots>& ce = out[c].CE;
    // Type 2: one side's own line, the other turned about its centre to meet it at BP.
    if (bp != s2.ax) {
      double e = eOwn1;
      const double q = (at1 - s2.ay) / (bp - s2.ax);
      const double r2 = about(2, s2.ax, s2.ay, q, slopeError(q, at1, s2.ay, s2.ax, made1), e);
      ce[CeilingSlot(kType2, 1)] = ceiling(own1, r2, e);
    }
    if (bp != s1.ax) {
      double e = eOwn2;
      const double q = (at2 - s1.ay) / (bp - s1.ax);
      const double r1 = about(1, s1.ax, s1.ay, q, slopeError(q, at2, s1.ay, s1.ax, made2), e);
      ce[CeilingSlot(kType2, 2)] = ceiling(r1, own2, e);
    }
    // Type 3: level on the left, at the right line's value at BP (method 1), or at its own
    // average with the right line through the right centre and that level at BP (method 2).
    {
      double e = eOwn2;
      const double r1 = about(1, s1.ax, at2, 0, 0, e, made2);
      ce[CeilingSlot(kType3, 1)] = ceiling(r1, own2, e);
      e = 0;
      const double q = s2.ax != bp ? (s2.ay - s1.ay) / (s2.ax - bp) : 0;
      const double level = about(1, s1.ax, s1.ay, 0, 0, e);
      const double r2 = about(2, s2.ax, s2.ay, q, slopeError(q, s2.ay, s1.ay, s2.ax), e);
      ce[CeilingSlot(kType3, 2)] = ceiling(level, r2, e);
    }
    // Type 4: the mirror image.
    {
      double e = eOwn1;
      const double r2 = about(2, s2.ax, at1, 0, 0, e, made1);
      ce[CeilingSlot(kType4, 1)] = ceiling(own1, r2, e);
      e = 0;
      const double q = s1.ax != bp ? (s2.ay - s1.ay) / (bp - s1.ax) : 0;
      const double r1 = about(1, s1.ax, s1.ay, q, slopeError(q, s2.ay, s1.ay, s1.ax), e);
      const double level = about(2, s2.ax, s2.ay, 0, 0, e);
      ce[CeilingSlot(kType4, 2)] = ceiling(r1, level, e);
    }
    {
      double e = 0;
      const double r1 = about(1, s1.ax, s1.ay, 0, 0, e);
      const double r2 = about(2, s2.ax, s2.ay, 0, 0, e);
      ce[CeilingSlot(kType5, 0)] = ceiling(r1, r2, e);
    }
    // Type 6 keeps each side's own line, or turns a slope to zero: never less than both lines.
    ce[CeilingSlot(kType6, 0)] = ceiling(s1.free, s2.free, 0);
  }
  return true;
}

}  // namespace vornax
