// The two-variable bound: the plane, each variable's second line per split, and the cosines
// between the two variables' pairs, taken once; per shuffle a few running sums.
#include "run/TwoVariableBound.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "regression/SegmentEngine.h"

namespace vornax {

namespace {

constexpr double kEps = std::numeric_limits<double>::epsilon();
constexpr double kInf = std::numeric_limits<double>::infinity();
// Beyond this the figures lose too many digits to bound anything: such a split answers nothing.
constexpr long double kWorstFactor = 1e6L;

bool Invert3(const std::array<long double, 9>& a, std::array<long double, 9>& inv) {
  inv[0] = a[4] * a[8] - a[5] * a[7];
  inv[1] = a[2] * a[7] - a[1] * a[8];
  inv[2] = a[1] * a[5] - a[2] * a[4];
  inv[3] = a[5] * a[6] - a[3] * a[8];
  inv[4] = a[0] * a[8] - a[2] * a[6];
  inv[5] = a[2] * a[3] - a[0] * a[5];
  inv[6] = a[3] * a[7] - a[4] * a[6];
  inv[7] = a[1] * a[6] - a[0] * a[7];
  inv[8] = a[0] * a[4] - a[1] * a[3];
  const long double det = a[0] * inv[0] + a[1] * inv[3] + a[2] * inv[6];
  if (!(std::fabs(det) > 0)) return false;
  for (long double& v : inv) v /= det;
  return true;
}

// The inverse of a symmetric positive definite 4 x 4 matrix by its Cholesky factor, as the
// upper triangle row by row, with its trace; false when the matrix is not positive definite.
bool InvertSymmetric4(const long double (&a)[4][4], std::array<double, 10>& inverse,
                      long double& trace) {
  long double l[4][4] = {};
  for (int i = 0; i < 4; ++i) {
    for (int j = 0; j <= i; ++j) {
      long double sum = a[i][j];
      for (int k = 0; k < j; ++k) sum -= l[i][k] * l[j][k];
      if (i == j) {
        if (!(sum > 0)) return false;
        l[i][i] = std::sqrt(sum);
      } else {
        l[i][j] = sum / l[j][j];
      }
    }
  }
  // L^-1, then (L^-1)^T L^-1.
  long double w[4][4] = {};
  for (int i = 0; i < 4; ++i) {
    w[i][i] = 1 / l[i][i];
    for (int j = 0; j < i; ++j) {
      long double sum = 0;
      for (int k = j; k < i; ++k) sum -= l[i][k] * w[k][j];
      w[i][j] = sum / l[i][i];
    }
  }
  size_t at = 0;
  trace = 0;
  for (int i = 0; i < 4; ++i) {
    for (int j = i; j < 4; ++j) {
      long double sum = 0;
      for (int k = j; k < 4; ++k) sum += w[k][i] * w[k][j];
      inverse[at++] = static_cast<double>(sum);
      if (i == j) trace += sum;
    }
  }
  return true;
}

}  // namespace

TwoVariableBound::TwoVariableBound(const long double* x, const long double* z, int n,
                                   const SortedVariable& sx, const SortedVariable& sz,
                                   const ShuffleRounding& rounding)
    : n_(std::max(n, 0)), rounding_(rounding) {
  if (n_ < 7 || sx.Order.size() != static_cast<size_t>(n_) ||
      sz.Order.size() != static_cast<size_t>(n_))
    return;
  long double xbar = 0, zbar = 0;
  for (int i = 0; i < n_; ++i) {
    xbar += x[i];
    zbar += z[i];
  }
  xbar /= n_;
  zbar /= n_;
  std::vector<long double> u(static_cast<size_t>(n_)), v(u.size());
  Matrix3 g{};  // the Gram matrix of (1, X, Z)
  g[0] = n_;
  for (size_t i = 0; i < u.size(); ++i) {
    u[i] = x[i] - xbar;
    v[i] = z[i] - zbar;
    g[1] += u[i];
    g[2] += v[i];
    g[4] += u[i] * u[i];
    g[5] += u[i] * v[i];
    g[8] += v[i] * v[i];
  }
  g[3] = g[1];
  g[6] = g[2];
  g[7] = g[5];
  Matrix3 inv{};
  if (!Invert3(g, inv)) return;
  const long double trace = g[0] + g[4] + g[8];
  const long double factor = std::sqrt((inv[0] + inv[4] + inv[8]) * trace);
  if (!(factor < kWorstFactor)) return;
  planeFactor_ = static_cast<double>(factor);
  planeTrace_ = static_cast<double>(trace);
  for (size_t i = 0; i < 9; ++i) planeInverse_[i] = static_cast<double>(inv[i]);
  u_.assign(u.begin(), u.end());
  v_.assign(v.begin(), v.end());
  MakeSide(x_, true, u, v.data(), sx, inv);
  MakeSide(z_, false, v, u.data(), sz, inv);

  // The sums over both variables' segments 1 at once: each data set counted in the cell of the
  // first X split and the first Z split whose segment 1 holds it, then summed over the cells.
  const size_t nx = x_.splits.size(), nz = z_.splits.size();
  const size_t cz = nz + 1;
  std::vector<std::array<long double, 4>> cells((nx + 1) * cz);
  std::vector<size_t> rankX(u.size()), rankZ(u.size());
  for (size_t r = 0; r < u.size(); ++r) {
    rankX[sx.Order[r]] = r;
    rankZ[sz.Order[r]] = r;
  }
  auto cell = [](const std::vector<Split>& splits, size_t rank) {
    size_t b = 0;
    while (b < splits.size() && static_cast<size_t>(splits[b].k) <= rank) ++b;
    return b;
  };
  for (size_t i = 0; i < u.size(); ++i) {
    std::array<long double, 4>& c = cells[cell(x_.splits, rankX[i]) * cz + cell(z_.splits, rankZ[i])];
    c[0] += 1;
    c[1] += u[i];
    c[2] += v[i];
    c[3] += u[i] * v[i];
  }
  for (size_t a = 0; a <= nx; ++a) {
    for (size_t b = 0; b < cz; ++b) {
      std::array<long double, 4>& c = cells[a * cz + b];
      for (size_t q = 0; q < 4; ++q) {
        if (a > 0) c[q] += cells[(a - 1) * cz + b][q];
        if (b > 0) c[q] += cells[a * cz + b - 1][q];
        if (a > 0 && b > 0) c[q] -= cells[(a - 1) * cz + b - 1][q];
      }
    }
  }

  // The largest cosine between the pairs of each two splits: the largest singular value of
  // Ma^-1/2 K Mc^-1/2, K the pairs' products with the plane taken off.
  pairFactor_.assign(nx * nz, kInf);
  joint_.assign(nx * nz, std::array<double, 10>{});
  jointError_.assign(nx * nz, kInf);
  for (size_t j = 0; j < nx; ++j) {
    const Split& a = x_.splits[j];
    if (!std::isfinite(a.error)) continue;
    for (size_t l = 0; l < nz; ++l) {
      const Split& c = z_.splits[l];
      if (!std::isfinite(c.error)) continue;
      // Segment 1 of split j holds the data sets of cells 0 .. j, so cell (j, l) sums both.
      const std::array<long double, 4>& q = cells[j * cz + l];
      const long double ra = a.root, rc = c.root, ca = a.centre, cc = c.centre;
      const long double sa = a.scale, sc = c.scale;
      long double k[4] = {
          q[0] / (ra * rc), sc * (q[2] - cc * q[0]) / ra, sa * (q[1] - ca * q[0]) / rc,
          sa * sc * (q[3] - cc * q[1] - ca * q[2] + ca * cc * q[0])};
      for (size_t m = 0; m < 2; ++m)
        for (size_t o = 0; o < 2; ++o)
          for (size_t r = 0; r < 3; ++r) k[m * 2 + o] -= a.along[m * 3 + r] * c.products[o * 3 + r];
      const std::array<double, 3>& ia = a.inverse;
      const std::array<double, 3>& ic = c.inverse;
      // t = K Mc^-1, then S = K Mc^-1 K^T and B = Ma^-1 S, whose largest eigenvalue is the
      // cosine squared.
      const long double t[4] = {k[0] * ic[0] + k[1] * ic[1], k[0] * ic[1] + k[1] * ic[2],
                                k[2] * ic[0] + k[3] * ic[1], k[2] * ic[1] + k[3] * ic[2]};
      const long double s00 = t[0] * k[0] + t[1] * k[1], s01 = t[0] * k[2] + t[1] * k[3];
      const long double s11 = t[2] * k[2] + t[3] * k[3];
      const long double b00 = ia[0] * s00 + ia[1] * s01, b01 = ia[0] * s01 + ia[1] * s11;
      const long double b10 = ia[1] * s00 + ia[2] * s01, b11 = ia[1] * s01 + ia[2] * s11;
      const long double half = (b00 + b11) / 2, det = b00 * b11 - b01 * b10;
      const long double largest = half + std::sqrt(std::max(half * half - det, 0.0L));
      const long double cosine = std::sqrt(std::max(largest, 0.0L)) + 1e-9L;
      if (cosine < 1 - 1e-6L) pairFactor_[j * nz + l] = static_cast<double>(1 / (1 - cosine));
      // Both pairs together: a pair that is one vector gets a unit in place of its empty
      // second row, which its zero products then leave out.
      const long double m[4][4] = {
          {a.gram[0], a.gram[1], k[0], k[1]},
          {a.gram[1], a.scale == 0 ? 1.0L : a.gram[2], k[2], k[3]},
          {k[0], k[2], c.gram[0], c.gram[1]},
          {k[1], k[3], c.gram[1], c.scale == 0 ? 1.0L : c.gram[2]}};
      std::array<double, 10> inverse{};
      long double trace = 0;
      if (InvertSymmetric4(m, inverse, trace) && trace < kWorstFactor * kWorstFactor) {
        const long double e = a.offBy + c.offBy;
        joint_[j * nz + l] = inverse;
        jointError_[j * nz + l] = static_cast<double>(2 * std::sqrt(trace) * e + trace * e * e);
      }
    }
  }
  usable_ = true;
}

void TwoVariableBound::MakeSide(Side& side, bool isX, const std::vector<long double>& centred,
                                const long double* other, const SortedVariable& sorted,
                                const Matrix3& inv) {
  side.order = sorted.Order;
  side.values.resize(side.order.size());
  for (size_t r = 0; r < side.order.size(); ++r)
    side.values[r] = static_cast<double>(centred[side.order[r]]);
  const double bound = 8.0 * (n_ + 10) * kEps;

  // Sums over segment 1, running up with the splits (X and Z do not change).
  long double n1 = 0, sw = 0, sww = 0, so = 0, swo = 0;
  size_t below = 0;
  for (const int k : CandidateSplits(sorted.Values.data(), n_)) {
    for (; below < static_cast<size_t>(k); ++below) {
      const size_t i = side.order[below];
      const long double w = centred[i], o = other[i];
      n1 += 1;
      sw += w;
      sww += w * w;
      so += o;
      swo += w * o;
    }
    Split s;
    s.k = k;
    s.root = static_cast<double>(std::sqrt(n1));
    s.centre = static_cast<double>(sw / n1);
    // The spread about this side's own average is summed directly: the difference of the
    // running sums would cancel where the variable hardly varies below the split.
    long double spreadW = 0;
    for (size_t r = 0; r < static_cast<size_t>(k); ++r) {
      const long double d = centred[side.order[r]] - s.centre;
      spreadW += d * d;
    }
    const long double root = s.root, c = s.centre;
    // Where the variable is constant on either side of the split its pair adds one vector to
    // the plane (below: the line there is a level; above: a line below the split and the
    // plane's line give all there is): the second is taken as zero (scale 0).
    const bool levelAbove = sorted.Values[static_cast<size_t>(k)] == sorted.Values.back();
    s.scale = spreadW > 0 && !levelAbove ? static_cast<double>(1 / std::sqrt(spreadW)) : 0.0;
    const long double sc = s.scale;
    // Products of (a1, a2) with (1, X, Z).
    const long double a1[3] = {n1 / root, (isX ? sw : so) / root, (isX ? so : sw) / root};
    const long double ww = sc * (sww - c * sw), wo = sc * (swo - c * so);
    const long double a2[3] = {sc * (sw - c * n1), isX ? ww : wo, isX ? wo : ww};
    for (size_t q = 0; q < 3; ++q) {
      s.products[q] = a1[q];
      s.products[3 + q] = a2[q];
    }
    long double p[6], pp = 0;
    for (size_t m = 0; m < 2; ++m) {
      for (size_t q = 0; q < 3; ++q) {
        const long double* row = &s.products[m * 3];
        p[m * 3 + q] = row[0] * inv[q] + row[1] * inv[3 + q] + row[2] * inv[6 + q];
        s.along[m * 3 + q] = static_cast<double>(p[m * 3 + q]);
        pp += p[m * 3 + q] * p[m * 3 + q];
      }
    }
    // The pair's own products, then with the plane taken off.
    const long double g01 = sc * (sw - c * n1) / root;
    const long double g11 = sc * sc * (sww - 2 * c * sw + c * c * n1);
    const long double m00 = 1 - (p[0] * a1[0] + p[1] * a1[1] + p[2] * a1[2]);
    const long double m01 = g01 - (p[0] * a2[0] + p[1] * a2[1] + p[2] * a2[2]);
    const long double m11 = g11 - (p[3] * a2[0] + p[4] * a2[1] + p[5] * a2[2]);
    const long double det = m00 * m11 - m01 * m01;
    s.error = kInf;
    const bool single = s.scale == 0;
    if (single ? m00 > 0 : det > 0 && m00 > 0) {
      const long double i00 = single ? 1 / m00 : m11 / det, i01 = single ? 0 : -m01 / det;
      const long double i11 = single ? 0 : m00 / det;
      s.inverse = {static_cast<double>(i00), static_cast<double>(i01), static_cast<double>(i11)};
      // How far the shuffle's products with the pair can be off (the second one subtracts the
      // centre times the first), and how much the inverse magnifies that.
      const long double along = (std::sqrt(sww) + std::fabs(c) * root) * sc;
      const long double e = bound * (1 + along + std::sqrt(pp * planeTrace_));
      const long double largest = i00 + i11;
      if (largest < kWorstFactor * kWorstFactor)
        s.error = static_cast<double>(2 * std::sqrt(largest) * e + largest * e * e);
      s.gram = {m00, m01, m11};
      s.offBy = static_cast<double>(e);
    }
    side.splits.push_back(s);
  }
  side.gain.resize(side.splits.size());
  side.products.resize(side.splits.size());
}

void TwoVariableBound::Gains(Side& side, const double* r, const std::array<double, 3>& plane,
                             double units) {
  double s1 = 0, s2 = 0;
  size_t at = 0;
  for (size_t j = 0; j < side.splits.size(); ++j) {
    const Split& sp = side.splits[j];
    for (; at < static_cast<size_t>(sp.k); ++at) {
      const double v = r[side.order[at]];
      s1 += v;
      s2 += side.values[at] * v;
    }
    if (!std::isfinite(sp.error)) {
      side.gain[j] = kInf;
      continue;
    }
    const std::array<double, 6>& p = sp.along;
    const double t0 = s1 / sp.root - (p[0] * plane[0] + p[1] * plane[1] + p[2] * plane[2]);
    const double t1 = (s2 - sp.centre * s1) * sp.scale -
                      (p[3] * plane[0] + p[4] * plane[1] + p[5] * plane[2]);
    side.products[j] = {t0, t1};
    const std::array<double, 3>& m = sp.inverse;
    side.gain[j] = m[0] * t0 * t0 + 2 * m[1] * t0 * t1 + m[2] * t1 * t1 + sp.error * units;
  }
}

bool TwoVariableBound::Below(const double* r, double observed) {
  if (!usable_) return false;
  std::array<double, 3> plane{};
  double rr = 0;
  for (int i = 0; i < n_; ++i) {
    const double v = r[i];
    plane[0] += v;
    plane[1] += u_[static_cast<size_t>(i)] * v;
    plane[2] += v_[static_cast<size_t>(i)] * v;
    rr += v * v;
  }
  const double units = rr + rounding_.Spread;
  if (!std::isfinite(units)) return false;
  const std::array<double, 9>& q = planeInverse_;
  double along = 0;
  for (size_t a = 0; a < 3; ++a)
    for (size_t b = 0; b < 3; ++b) along += plane[a] * q[a * 3 + b] * plane[b];
  const double f = planeFactor_;
  const double err = 8.0 * (n_ + 10) * kEps * units * (1 + 2 * f + f * f);
  const double fit = rounding_.FitError;
  const double shift = 2 * std::sqrt(units) * fit + fit * fit;
  const double left = rr - along;  // what the plane leaves
  const double leftLo = left - err - shift, leftHi = left + err + shift;
  if (!(leftLo > 0)) return false;

  Gains(x_, r, plane, units);
  Gains(z_, r, plane, units);
  // The shuffle falls short when what the pairs explain stays below this.
  const double slack = 1e-12 + 1e-14 * rounding_.YTotal / leftLo;
  const double target = leftLo - shift - (1 - observed + slack) * leftHi;
  if (!(target > 0)) return false;
  const size_t nx = x_.splits.size(), nz = z_.splits.size();
  if (nx == 0 || nz == 0) {
    for (const double g : x_.gain)
      if (!(g < target)) return false;
    for (const double g : z_.gain)
      if (!(g < target)) return false;
    return true;
  }
  for (size_t j = 0; j < nx; ++j) {
    const double gx = x_.gain[j];
    const double* factors = &pairFactor_[j * nz];
    for (size_t l = 0; l < nz; ++l) {
      // The quick sum settles most pairs; the rest take both pairs together.
      if ((gx + z_.gain[l]) * factors[l] < target) continue;
      const std::array<double, 10>& m = joint_[j * nz + l];
      const double t[4] = {x_.products[j][0], x_.products[j][1], z_.products[l][0],
                           z_.products[l][1]};
      const double both = m[0] * t[0] * t[0] + m[4] * t[1] * t[1] + m[7] * t[2] * t[2] +
                          m[9] * t[3] * t[3] +
                          2 * (m[1] * t[0] * t[1] + m[2] * t[0] * t[2] + m[3] * t[0] * t[3] +
                               m[5] * t[1] * t[2] + m[6] * t[1] * t[3] + m[8] * t[2] * t[3]);
      if (!(both + jointError_[j * nz + l] * units < target)) return false;
    }
  }
  return true;
}

}  // namespace vornax
