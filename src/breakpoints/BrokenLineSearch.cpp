// The exact search for a continuous broken line (see BrokenLineSearch.h).
//
// With the straight line's two columns (1 and X) projected out, the residual sum of a broken
// line with breakpoints b1 < … < bk is the straight line's residual sum less r'·M⁻¹·r, where for
// each breakpoint the hinge column h_j = max(X − b_j, 0) gives
//   M_jj = Σ h_j² − (what the line explains of h_j),  r_j = Σ h_j·Y − (the same for Y),
//   M_ij = Σ h_i·h_j − …,
// and every one of these sums is a running sum from the top at the breakpoint (the hinge is zero
// below it). So a combination costs a few multiplications and a 1×1, 2×2 or 3×3 solve. The grid
// is screened in double precision on data scaled to [−1, 1]; its best combination then starts the
// exact search over the intervals between the data values (BrokenLineCellSearch), in extended
// precision, and the final residual sum is taken over the data themselves.
#include "breakpoints/BrokenLineSearch.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <numeric>
#include <stdexcept>

namespace vornax {

namespace {

constexpr long double kInf = std::numeric_limits<long double>::infinity();

// What the straight line leaves of the hinge at scaled breakpoint b, from the running sums of
// the first group above it.
struct HingeTerms {
  long double B = 0, H0 = 0, H1 = 0, HH = 0, HY = 0;  // Σh, Σh·U, Σh², Σh·Y
  long double V0 = 0, V1 = 0;                         // the line's coefficients for h
  long double D = 0, R = 0;                           // M_jj and r_j
};

class LineProjection {
 public:
  explicit LineProjection(const BrokenLineData& data) {
    const auto& all = data.From(0);
    w_ = all.W;
    u_ = all.U;
    uu_ = all.UU;
    y_ = all.Y;
    uy_ = all.UY;
    det_ = w_ * uu_ - u_ * u_;
    // The straight line's residual sum.
    const long double c0 = (uu_ * y_ - u_ * uy_) / det_;
    const long double c1 = (w_ * uy_ - u_ * y_) / det_;
    lineRss_ = data.TotalSumOfSquares() - (c0 * y_ + c1 * uy_);
  }
  long double LineRss() const { return lineRss_; }

  HingeTerms Terms(const BrokenLineData& data, long double b) const {
    HingeTerms t;
    const auto& tail = data.From(data.FirstAbove(b));
    t.B = b;
    t.H0 = tail.U - b * tail.W;
    t.H1 = tail.UU - b * tail.U;
    t.HH = tail.UU - 2 * b * tail.U + b * b * tail.W;
    t.HY = tail.UY - b * tail.Y;
    t.V0 = (uu_ * t.H0 - u_ * t.H1) / det_;
    t.V1 = (w_ * t.H1 - u_ * t.H0) / det_;
    t.D = t.HH - (t.H0 * t.V0 + t.H1 * t.V1);
    t.R = t.HY - (y_ * t.V0 + uy_ * t.V1);
    return t;
  }

 private:
  long double w_, u_, uu_, y_, uy_, det_, lineRss_;
};

// M_ij for breakpoints b_i < b_j: Σ h_i·h_j over the data above b_j, less the line's part.
inline long double Cross(const HingeTerms& lo, const HingeTerms& hi) {
  return hi.HH + (hi.B - lo.B) * hi.H0 - (lo.H0 * hi.V0 + lo.H1 * hi.V1);
}

long double ResidualSumFromTerms(const LineProjection& line, const std::vector<HingeTerms>& t) {
  const int k = static_cast<int>(t.size());
  std::array<std::array<long double, 8>, 8> m{};
  std::array<long double, 8> r{};
  for (int i = 0; i < k; ++i) {
    m[i][i] = t[i].D;
    r[i] = t[i].R;
    for (int j = 0; j < i; ++j) m[i][j] = m[j][i] = Cross(t[j], t[i]);
  }
  std::array<long double, 8> s = r;
  if (!CholeskySolve(k, m, s)) return kInf;
  long double explained = 0;
  for (int i = 0; i < k; ++i) explained += r[i] * s[i];  // r'·M⁻¹·r
  return std::max<long double>(0, line.LineRss() - explained);
}

// The per-candidate values of the screening, in double precision.
struct Screen {
  std::vector<double> b, hh, h0, h1, v0, v1, d, r;
  void Resize(size_t n) {
    for (auto* v : {&b, &hh, &h0, &h1, &v0, &v1, &d, &r}) v->assign(n, 0.0);
  }
};

// Which groups may carry a breakpoint, and from which group on the next one may stand.
struct Admissible {
  int first = 0, last = -1;      // candidate groups first..last
  std::vector<int> nextFirst;    // for a breakpoint at g: the first group of the next one
};

Admissible AdmissibleKnots(const BrokenLineData& data, const BrokenLineSearchOptions& o) {
  Admissible a;
  const int groups = data.Groups();
  const long long n = data.Count();
  const long long m = std::max(1, o.MinPerSegment);
  // A breakpoint needs a distinct X value on each side, m data sets at or below it and m above.
  int first = 1, last = groups - 2;
  while (first <= last && (data.CountUpTo(first) < m || data.X(first) < o.Low)) ++first;
  while (last >= first && (n - data.CountUpTo(last) < m || data.X(last) > o.High)) --last;
  a.first = first;
  a.last = last;
  a.nextFirst.assign(std::max(groups, 0), groups);
  int next = first;
  for (int g = first; g <= last; ++g) {
    if (next <= g) next = g + 1;
    while (next <= last && data.CountUpTo(next) - data.CountUpTo(g) < m) ++next;
    a.nextFirst[g] = next;
  }
  return a;
}

// The best few combinations of the grid, best first.
class TopList {
 public:
  explicit TopList(int keep) : keep_(std::max(1, keep)) {}
  // The residual sum a combination must beat to enter.
  double Threshold() const {
    return static_cast<int>(items_.size()) < keep_ ? std::numeric_limits<double>::infinity()
                                                   : items_.back().rss;
  }
  double Best() const {
    return items_.empty() ? std::numeric_limits<double>::infinity() : items_.front().rss;
  }
  void Offer(double rss, std::array<int, 3> knots) {
    if (!(rss < Threshold())) return;
    for (const auto& it : items_)
      if (it.knots == knots) return;
    Item item{rss, knots};
    auto pos = std::upper_bound(items_.begin(), items_.end(), item,
                                [](const Item& a, const Item& b) { return a.rss < b.rss; });
    items_.insert(pos, item);
    if (static_cast<int>(items_.size()) > keep_) items_.pop_back();
  }
  struct Item {
    double rss;
    std::array<int, 3> knots;
  };
  const std::vector<Item>& Items() const { return items_; }

 private:
  int keep_;
  std::vector<Item> items_;
};

}  // namespace

bool CholeskySolve(int n, std::array<std::array<long double, 8>, 8>& m,
                   std::array<long double, 8>& rhs) {
  for (int j = 0; j < n; ++j) {
    long double diag = m[j][j];
    for (int k = 0; k < j; ++k) diag -= m[j][k] * m[j][k];
    if (!(diag > 1e-15L * std::fabs(m[j][j])) || !(diag > 0)) return false;
    const long double l = std::sqrt(diag);
    m[j][j] = l;
    for (int i = j + 1; i < n; ++i) {
      long double v = m[i][j];
      for (int k = 0; k < j; ++k) v -= m[i][k] * m[j][k];
      m[i][j] = v / l;
    }
  }
  for (int i = 0; i < n; ++i) {
    long double v = rhs[i];
    for (int k = 0; k < i; ++k) v -= m[i][k] * rhs[k];
    rhs[i] = v / m[i][i];
  }
  for (int i = n - 1; i >= 0; --i) {
    long double v = rhs[i];
    for (int k = i + 1; k < n; ++k) v -= m[k][i] * rhs[k];
    rhs[i] = v / m[i][i];
  }
  return true;
}

BrokenLineData::BrokenLineData(const std::vector<long double>& x,
                               const std::vector<long double>& y) {
  if (x.size() != y.size()) throw std::invalid_argument("x and y differ in length");
  const size_t n = x.size();
  count_ = static_cast<long long>(n);
  std::vector<size_t> order(n);
  std::iota(order.begin(), order.end(), size_t{0});
  std::stable_sort(order.begin(), order.end(), [&](size_t a, size_t b) { return x[a] < x[b]; });

  long double sum = 0;
  for (long double v : y) sum += v;
  meanY_ = n ? sum / static_cast<long double>(n) : 0;
  // A second pass takes up what the first left of the average.
  long double rest = 0;
  for (long double v : y) rest += v - meanY_;
  if (n) meanY_ += rest / static_cast<long double>(n);

  for (size_t i = 0; i < n;) {
    size_t j = i;
    long double s = 0;
    while (j < n && x[order[j]] == x[order[i]]) s += y[order[j++]] - meanY_;
    const long double w = static_cast<long double>(j - i);
    const long double avg = s / w;
    long double ss = 0;
    for (size_t k = i; k < j; ++k) {
      const long double d = y[order[k]] - meanY_ - avg;
      ss += d * d;
    }
    x_.push_back(x[order[i]]);
    w_.push_back(static_cast<long long>(j - i));
    yAvg_.push_back(avg);
    ss_.push_back(ss);
    i = j;
  }
  const int groups = Groups();
  if (groups > 0) {
    centre_ = (x_.front() + x_.back()) / 2;
    half_ = (x_.back() - x_.front()) / 2;
    if (!(half_ > 0)) half_ = 1;
  }
  u_.resize(groups);
  upTo_.resize(groups);
  long long running = 0;
  for (int g = 0; g < groups; ++g) {
    u_[g] = ToU(x_[g]);
    running += w_[g];
    upTo_[g] = running;
  }
  tail_.assign(groups + 1, Tail{});
  for (int g = groups - 1; g >= 0; --g) {
    const long double w = static_cast<long double>(w_[g]), u = u_[g], v = yAvg_[g];
    Tail t = tail_[g + 1];
    t.W += w;
    t.U += w * u;
    t.UU += w * u * u;
    t.Y += w * v;
    t.UY += w * u * v;
    tail_[g] = t;
  }
  head_.assign(groups + 1, Tail{});
  headYY_.assign(groups + 1, 0);
  for (int g = 0; g < groups; ++g) {
    const long double w = static_cast<long double>(w_[g]), u = u_[g], v = yAvg_[g];
    Tail t = head_[g];
    t.W += w;
    t.U += w * u;
    t.UU += w * u * u;
    t.Y += w * v;
    t.UY += w * u * v;
    head_[g + 1] = t;
    headYY_[g + 1] = headYY_[g] + w * v * v + ss_[g];
  }
  syyTotal_ = headYY_[groups];
}

int BrokenLineData::FirstAbove(long double u) const {
  return static_cast<int>(std::upper_bound(u_.begin(), u_.end(), u) - u_.begin());
}

int BrokenLineData::FirstAtOrAbove(long double u) const {
  return static_cast<int>(std::lower_bound(u_.begin(), u_.end(), u) - u_.begin());
}

long double BrokenLineData::SegmentLineBound(int a, int b) const {
  if (a > b) return 0;
  const Tail& hi = head_[b + 1];
  const Tail& lo = head_[a];
  const long double w = hi.W - lo.W, u = hi.U - lo.U, uu = hi.UU - lo.UU, yv = hi.Y - lo.Y,
                    uy = hi.UY - lo.UY, yy = headYY_[b + 1] - headYY_[a];
  long double rss = yy - yv * yv / w;
  const long double sxx = uu - u * u / w;
  if (sxx > 1e-12L * (uu + 1e-300L)) {
    const long double sxy = uy - u * yv / w;
    rss -= sxy * sxy / sxx;
  }
  // The differences of running sums lose a little; the bound gives that up and more.
  const long double margin = 1e-11L * headYY_.back() + 1e-300L;
  return std::max<long double>(0, rss - margin);
}

std::vector<double> BrokenLine::SegmentSlopes() const {
  std::vector<double> s{Slope};
  for (double d : SlopeChanges) s.push_back(s.back() + d);
  return s;
}

double BrokenLine::operator()(double x) const {
  long double v = Intercept + static_cast<long double>(Slope) * x;
  for (size_t j = 0; j < Breakpoints.size(); ++j)
    if (x > Breakpoints[j]) v += static_cast<long double>(SlopeChanges[j]) * (x - Breakpoints[j]);
  return static_cast<double>(v);
}

long double BrokenLineResidualSum(const BrokenLineData& data, const std::vector<long double>& u) {
  for (size_t j = 1; j < u.size(); ++j)
    if (!(u[j - 1] < u[j])) return kInf;
  const LineProjection line(data);
  std::vector<HingeTerms> terms;
  terms.reserve(u.size());
  for (long double b : u) terms.push_back(line.Terms(data, b));
  return ResidualSumFromTerms(line, terms);
}

BrokenLine FitBrokenLine(const BrokenLineData& data, const std::vector<double>& breakpoints) {
  BrokenLine fit;
  fit.Breakpoints = breakpoints;
  const int k = static_cast<int>(breakpoints.size());
  const int p = k + 2;
  std::vector<long double> b(k);
  for (int j = 0; j < k; ++j) b[j] = data.ToU(breakpoints[j]);
  std::array<std::array<long double, 8>, 8> m{};
  std::array<long double, 8> r{};
  std::array<long double, 8> phi{};
  auto basis = [&](long double u) {
    phi[0] = 1;
    phi[1] = u;
    for (int j = 0; j < k; ++j) phi[2 + j] = u > b[j] ? u - b[j] : 0;
  };
  for (int g = 0; g < data.Groups(); ++g) {
    basis(data.U(g));
    const long double w = static_cast<long double>(data.CountAt(g));
    for (int i = 0; i < p; ++i) {
      r[i] += w * phi[i] * data.AverageY(g);
      for (int j = 0; j <= i; ++j) m[i][j] += w * phi[i] * phi[j];
    }
  }
  for (int i = 0; i < p; ++i)
    for (int j = 0; j < i; ++j) m[j][i] = m[i][j];
  std::array<long double, 8> c = r;
  if (!CholeskySolve(p, m, c)) return fit;
  long double rss = 0;
  for (int g = 0; g < data.Groups(); ++g) {
    basis(data.U(g));
    long double f = 0;
    for (int i = 0; i < p; ++i) f += c[i] * phi[i];
    const long double e = data.AverageY(g) - f;
    rss += data.WithinSumOfSquares(g) + static_cast<long double>(data.CountAt(g)) * e * e;
  }
  // Back to data units: u = (x − centre)/half.
  const long double half = data.FromU(1) - data.FromU(0);
  const long double centre = data.FromU(0);
  fit.Slope = static_cast<double>(c[1] / half);
  fit.Intercept = static_cast<double>(c[0] + data.MeanY() - c[1] * centre / half);
  for (int j = 0; j < k; ++j) {
    fit.SlopeChanges.push_back(static_cast<double>(c[2 + j] / half));
    // The intercept collects what each hinge adds below zero: none, since the hinge is zero
    // below its breakpoint in both units.
  }
  fit.ResidualSumOfSquares = static_cast<double>(rss);
  fit.Valid = true;
  return fit;
}

namespace {

// Gauss-Newton steps on the breakpoints (the other coefficients follow by least squares), each
// step halved until the residual sum falls: near a minimum this converges where moving one
// breakpoint at a time creeps along a narrow valley. `rss` judges a place (infinity when it is
// not admissible).
template <class Rss>
long double GaussNewtonBreakpoints(const BrokenLineData& data, std::vector<long double>& u,
                                   int fixedIndex, long double best, const Rss& rss) {
  const int k = static_cast<int>(u.size());
  const int p = 2 + 2 * k;
  for (int iteration = 0; iteration < 50; ++iteration) {
    // The least-squares line at the current breakpoints.
    std::array<std::array<long double, 8>, 8> m{};
    std::array<long double, 8> r{}, phi{};
    const int q = 2 + k;
    for (int g = 0; g < data.Groups(); ++g) {
      const long double x = data.U(g), w = static_cast<long double>(data.CountAt(g));
      phi[0] = 1;
      phi[1] = x;
      for (int j = 0; j < k; ++j) phi[2 + j] = x > u[j] ? x - u[j] : 0;
      for (int a = 0; a < q; ++a) {
        r[a] += w * phi[a] * data.AverageY(g);
        for (int b = 0; b <= a; ++b) m[a][b] += w * phi[a] * phi[b];
      }
    }
    for (int a = 0; a < q; ++a)
      for (int b = 0; b < a; ++b) m[b][a] = m[a][b];
    std::array<long double, 8> c = r;
    if (!CholeskySolve(q, m, c)) return best;
    // The full Jacobian: the line's columns and, per breakpoint, minus its change of slope
    // above it.
    std::array<std::array<long double, 8>, 8> jj{};
    std::array<long double, 8> jr{};
    for (int g = 0; g < data.Groups(); ++g) {
      const long double x = data.U(g), w = static_cast<long double>(data.CountAt(g));
      phi[0] = 1;
      phi[1] = x;
      long double f = c[0] + c[1] * x;
      for (int j = 0; j < k; ++j) {
        phi[2 + j] = x > u[j] ? x - u[j] : 0;
        phi[2 + k + j] = j == fixedIndex ? 0 : (x > u[j] ? -c[2 + j] : 0);
        f += c[2 + j] * phi[2 + j];
      }
      const long double e = data.AverageY(g) - f;
      for (int a = 0; a < p; ++a) {
        jr[a] += w * phi[a] * e;
        for (int b = 0; b <= a; ++b) jj[a][b] += w * phi[a] * phi[b];
      }
    }
    if (fixedIndex >= 0) jj[2 + k + fixedIndex][2 + k + fixedIndex] = 1;
    for (int a = 0; a < p; ++a)
      for (int b = 0; b < a; ++b) jj[b][a] = jj[a][b];
    std::array<long double, 8> step = jr;
    if (!CholeskySolve(p, jj, step)) return best;
    bool moved = false;
    for (long double lambda = 1; lambda > 1e-6L; lambda /= 2) {
      std::vector<long double> v = u;
      for (int j = 0; j < k; ++j) v[j] += lambda * step[2 + k + j];
      const long double val = rss(v);
      if (val < best) {
        moved = best - val > 1e-15L * best;
        best = val;
        u = v;
        break;
      }
    }
    if (!moved) break;
  }
  return best;
}

}  // namespace

bool BrokenLineAdmissible(const BrokenLineData& data, const std::vector<long double>& u,
                          int minPerSegment) {
  const int k = static_cast<int>(u.size());
  const int groups = data.Groups();
  const long long n = data.Count();
  auto countUpTo = [&](long double b) -> long long {
    const int i = data.FirstAbove(b);
    return i > 0 ? data.CountUpTo(i - 1) : 0;
  };
  // Every segment keeps its data sets, and two distinct X values between its ends (breakpoints
  // included): a segment whose data all stand at one X value next to a breakpoint leaves the
  // normal equations close to singular, and its residual sum means nothing.
  auto distinctWithin = [&](long double a, long double b) {
    const int from = a == -kInf ? 0 : data.FirstAtOrAbove(a);
    const int to = b == kInf ? groups : data.FirstAbove(b);
    return to - from;
  };
  if (k == 0) return n >= minPerSegment && groups >= 2;
  long long prev = 0;
  for (int j = 0; j < k; ++j) {
    if (j > 0 && !(u[j - 1] < u[j])) return false;
    const long long c = countUpTo(u[j]);
    if (c - prev < minPerSegment) return false;
    if (distinctWithin(j > 0 ? u[j - 1] : -kInf, u[j]) < 2) return false;
    prev = c;
  }
  return n - prev >= minPerSegment && distinctWithin(u[k - 1], kInf) >= 2;
}

std::vector<double> BreakpointsInDataUnits(const BrokenLineData& data,
                                           const std::vector<long double>& u) {
  std::vector<double> bp;
  for (long double v : u) {
    // A breakpoint refined up to a data value from below stays below it: rounded to the
    // nearest double it could land on that value, and the data set there would change
    // segments (leaving one with fewer data sets than the search allowed). So the double is
    // stepped back until the data on each side are those of the search.
    const int side = data.FirstAbove(v);
    double b = static_cast<double>(data.FromU(v));
    for (int step = 0; step < 64 && data.FirstAbove(data.ToU(b)) > side; ++step)
      b = std::nextafter(b, -std::numeric_limits<double>::infinity());
    for (int step = 0; step < 64 && data.FirstAbove(data.ToU(b)) < side; ++step)
      b = std::nextafter(b, std::numeric_limits<double>::infinity());
    bp.push_back(b);
  }
  return bp;
}

long double RefineBreakpoints(const BrokenLineData& data, std::vector<long double>& u,
                              int minPerSegment, long double low, long double high,
                              int fixedIndex) {
  const int k = static_cast<int>(u.size());
  const int groups = data.Groups();
  const LineProjection line(data);
  // Each breakpoint moves within the intervals beside the data value at or below it; as it
  // moves, the intervals move with it, so it can travel as far as the residual sum falls.
  std::vector<long double> lo(k), hi(k);
  auto centre = [&](int j) {
    const int g = std::max(0, data.FirstAbove(u[j]) - 1);  // the group at or just below
    lo[j] = std::max(low, g > 0 ? data.U(g - 1) : data.U(0));
    hi[j] = std::min(high, g + 2 < groups ? data.U(g + 2) : data.U(groups - 1));
  };
  auto admissible = [&](const std::vector<long double>& v) {
    return BrokenLineAdmissible(data, v, minPerSegment);
  };
  auto rss = [&](const std::vector<long double>& v) -> long double {
    if (!admissible(v)) return kInf;
    std::vector<HingeTerms> t;
    t.reserve(k);
    for (long double b : v) t.push_back(line.Terms(data, b));
    return ResidualSumFromTerms(line, t);
  };

  long double best = rss(u);
  if (best == kInf) return best;
  for (int round = 0; round < 400; ++round) {
    const long double before = best;
    for (int j = 0; j < k; ++j) {
      if (j == fixedIndex) continue;
      centre(j);
      std::vector<long double> v = u;
      auto at = [&](long double b) {
        v[j] = b;
        return rss(v);
      };
      // The residual sum is smooth between data values: search each piece on its own.
      std::vector<long double> edges{lo[j]};
      for (int g = data.FirstAbove(lo[j]); g < groups && data.U(g) < hi[j]; ++g)
        edges.push_back(data.U(g));
      edges.push_back(hi[j]);
      for (size_t e = 0; e + 1 < edges.size(); ++e) {
        long double a = edges[e], c = edges[e + 1];
        if (!(a < c)) continue;
        // A coarse look first, then golden sections about the best point of it.
        constexpr int kSamples = 8;
        long double bestB = u[j], bestV = best;
        int bestI = -1;
        for (int i = 0; i <= kSamples; ++i) {
          const long double b = a + (c - a) * i / kSamples;
          const long double val = at(b);
          if (val < bestV) bestV = val, bestB = b, bestI = i;
        }
        if (bestI >= 0) {
          long double l = a + (c - a) * std::max(0, bestI - 1) / kSamples;
          long double r = a + (c - a) * std::min(kSamples, bestI + 1) / kSamples;
          constexpr long double kPhi = 0.6180339887498948482L;
          long double x1 = r - kPhi * (r - l), x2 = l + kPhi * (r - l);
          long double f1 = at(x1), f2 = at(x2);
          for (int it = 0; it < 200 && (r - l) > 1e-17L * (1 + std::fabs(l)); ++it) {
            if (f1 <= f2) {
              r = x2, x2 = x1, f2 = f1;
              x1 = r - kPhi * (r - l);
              f1 = at(x1);
            } else {
              l = x1, x1 = x2, f1 = f2;
              x2 = l + kPhi * (r - l);
              f2 = at(x2);
            }
          }
          if (f1 < bestV) bestV = f1, bestB = x1;
          if (f2 < bestV) bestV = f2, bestB = x2;
        }
        if (bestV < best) {
          best = bestV;
          u[j] = bestB;
        }
        v[j] = u[j];
      }
    }
    best = GaussNewtonBreakpoints(data, u, fixedIndex, best, rss);
    if (!(best < before * (1 - 1e-15L))) break;
  }
  return best;
}

long long CountBrokenLineCombinations(const BrokenLineData& data,
                                      const BrokenLineSearchOptions& options) {
  const int k = options.Breakpoints;
  const Admissible a = AdmissibleKnots(data, options);
  if (a.first > a.last) return 0;
  // ways[g]: combinations of the remaining breakpoints when one stands at g.
  std::vector<long long> ways(data.Groups() + 1, 1);
  for (int level = 1; level < k; ++level) {
    std::vector<long long> next(data.Groups() + 1, 0);
    std::vector<long long> suffix(data.Groups() + 2, 0);
    for (int g = a.last; g >= a.first; --g) suffix[g] = suffix[g + 1] + ways[g];
    for (int g = a.first; g <= a.last; ++g) {
      const int f = a.nextFirst[g];
      next[g] = f <= a.last ? suffix[f] : 0;
    }
    ways = next;
  }
  long long total = 0;
  for (int g = a.first; g <= a.last; ++g) total += ways[g];
  return total;
}

BrokenLineSearchResult FindBestBrokenLine(const BrokenLineData& data,
                                          const BrokenLineSearchOptions& options) {
  BrokenLineSearchResult result;
  const int k = options.Breakpoints;
  if (k < 1 || k > 3 || data.Groups() < k + 2) return result;
  const Admissible adm = AdmissibleKnots(data, options);
  if (adm.first > adm.last) return result;
  result.Combinations = options.Combinations >= 0 ? options.Combinations
                                                  : CountBrokenLineCombinations(data, options);
  if (result.Combinations == 0) return result;

  const LineProjection line(data);
  const double lineRss = static_cast<double>(line.LineRss());
  const int groups = data.Groups();
  Screen s;
  s.Resize(groups);
  for (int g = adm.first; g <= adm.last; ++g) {
    const HingeTerms t = line.Terms(data, data.U(g));
    s.b[g] = static_cast<double>(t.B);
    s.hh[g] = static_cast<double>(t.HH);
    s.h0[g] = static_cast<double>(t.H0);
    s.h1[g] = static_cast<double>(t.H1);
    s.v0[g] = static_cast<double>(t.V0);
    s.v1[g] = static_cast<double>(t.V1);
    s.d[g] = static_cast<double>(t.D);
    s.r[g] = static_cast<double>(t.R);
  }
  constexpr double kTol = 1e-12;
  auto cross = [&](int i, int j) {
    return s.hh[j] + (s.b[j] - s.b[i]) * s.h0[j] - (s.h0[i] * s.v0[j] + s.h1[i] * s.v1[j]);
  };
  auto explained1 = [&](int i) {
    return s.d[i] > kTol * s.hh[i] ? s.r[i] * s.r[i] / s.d[i] : -1.0;
  };
  auto explained2 = [&](int i, int j) {
    const double c = cross(i, j);
    const double det = s.d[i] * s.d[j] - c * c;
    if (!(det > kTol * s.d[i] * s.d[j])) return -1.0;
    return (s.r[i] * s.r[i] * s.d[j] - 2 * s.r[i] * s.r[j] * c + s.r[j] * s.r[j] * s.d[i]) / det;
  };

  TopList top(options.Keep);
  long long evaluated = 0;

  if (k == 1) {
    for (int g = adm.first; g <= adm.last; ++g) {
      ++evaluated;
      const double e = explained1(g);
      if (e >= 0) top.Offer(lineRss - e, {g, -1, -1});
    }
  } else if (k == 2) {
    for (int g1 = adm.first; g1 <= adm.last; ++g1) {
      for (int g2 = adm.nextFirst[g1]; g2 <= adm.last; ++g2) {
        ++evaluated;
        const double e = explained2(g1, g2);
        if (e >= 0 && lineRss - e < top.Threshold()) top.Offer(lineRss - e, {g1, g2, -1});
      }
    }
  } else {
    // Lower bounds of what the segments from a group on can leave: tail2[g] for the two
    // segments after a breakpoint at g (over the place of the next breakpoint), tail3[g] for
    // the three after it.
    const bool bound = options.UseBound;
    std::vector<double> tail2(groups + 1, std::numeric_limits<double>::infinity());
    std::vector<double> tail3(groups + 1, std::numeric_limits<double>::infinity());
    std::vector<double> head(groups, 0);
    if (bound) {
      for (int g = adm.first; g <= adm.last; ++g)
        head[g] = static_cast<double>(data.SegmentLineBound(0, g));
      for (int g2 = adm.first; g2 <= adm.last; ++g2) {
        long double m = kInf;
        for (int g3 = adm.nextFirst[g2]; g3 <= adm.last; ++g3)
          m = std::min(m, data.SegmentLineBound(g2 + 1, g3) +
                              data.SegmentLineBound(g3 + 1, groups - 1));
        tail2[g2] = static_cast<double>(m);
      }
      for (int g1 = adm.first; g1 <= adm.last; ++g1) {
        double m = std::numeric_limits<double>::infinity();
        for (int g2 = adm.nextFirst[g1]; g2 <= adm.last; ++g2)
          m = std::min(m, static_cast<double>(data.SegmentLineBound(g1 + 1, g2)) + tail2[g2]);
        tail3[g1] = m;
      }
      // A good combination first, so that the bound has something to beat: the best pair,
      // then each breakpoint in turn moved to its best place while the others stay.
      int b1 = -1, b2 = -1;
      double bestPair = -1;
      for (int g1 = adm.first; g1 <= adm.last; ++g1)
        for (int g2 = adm.nextFirst[g1]; g2 <= adm.last; ++g2) {
          const double e = explained2(g1, g2);
          if (e > bestPair) bestPair = e, b1 = g1, b2 = g2;
        }
      if (b1 >= 0) {
        std::vector<long double> probe(3);
        auto rss3 = [&](int a, int b, int c) {
          probe = {data.U(a), data.U(b), data.U(c)};
          return static_cast<double>(BrokenLineResidualSum(data, probe));
        };
        std::array<int, 3> kn{-1, -1, -1};
        double best = std::numeric_limits<double>::infinity();
        // The third breakpoint anywhere around the pair.
        for (int g = adm.first; g <= adm.last; ++g) {
          std::array<int, 3> c{g, b1, b2};
          std::sort(c.begin(), c.end());
          if (c[1] < adm.nextFirst[c[0]] || c[2] < adm.nextFirst[c[1]]) continue;
          const double v = rss3(c[0], c[1], c[2]);
          if (v < best) best = v, kn = c;
        }
        for (int round = 0; kn[0] >= 0 && round < 20; ++round) {
          bool moved = false;
          for (int j = 0; j < 3; ++j)
            for (int g = adm.first; g <= adm.last; ++g) {
              std::array<int, 3> c = kn;
              c[j] = g;
              if (!(c[0] < c[1] && c[1] < c[2])) continue;
              if (c[1] < adm.nextFirst[c[0]] || c[2] < adm.nextFirst[c[1]]) continue;
              const double v = rss3(c[0], c[1], c[2]);
              if (v < best) best = v, kn = c, moved = true;
            }
          if (!moved) break;
        }
        if (kn[0] >= 0) top.Offer(best, kn);
      }
    }
    std::vector<double> buffer(groups);
    for (int g1 = adm.first; g1 <= adm.last; ++g1) {
      if (bound && head[g1] + tail3[g1] >= top.Threshold()) continue;
      for (int g2 = adm.nextFirst[g1]; g2 <= adm.last; ++g2) {
        const int from = adm.nextFirst[g2];
        if (from > adm.last) break;
        if (bound && head[g1] + static_cast<double>(data.SegmentLineBound(g1 + 1, g2)) +
                             tail2[g2] >=
                         top.Threshold())
          continue;
        const double c12 = cross(g1, g2);
        const double det = s.d[g1] * s.d[g2] - c12 * c12;
        if (!(det > kTol * s.d[g1] * s.d[g2])) continue;
        const double e11 = s.d[g2] / det, e22 = s.d[g1] / det, e12 = -c12 / det;
        const double r1 = s.r[g1], r2 = s.r[g2];
        const double explainedPair = r1 * (e11 * r1 + e12 * r2) + r2 * (e12 * r1 + e22 * r2);
        const double b1 = s.b[g1], b2 = s.b[g2];
        const double p01 = s.h0[g1], p11 = s.h1[g1], p02 = s.h0[g2], p12 = s.h1[g2];
        const int to = adm.last;
        // The third breakpoint's loop: plain arithmetic on arrays, which the compiler vectorises.
        for (int l = from; l <= to; ++l) {
          const double base = s.hh[l];
          const double c1 = base + (s.b[l] - b1) * s.h0[l] - (p01 * s.v0[l] + p11 * s.v1[l]);
          const double c2 = base + (s.b[l] - b2) * s.h0[l] - (p02 * s.v0[l] + p12 * s.v1[l]);
          const double q1 = e11 * c1 + e12 * c2, q2 = e12 * c1 + e22 * c2;
          const double piv = s.d[l] - (q1 * c1 + q2 * c2);
          const double t = s.r[l] - (q1 * r1 + q2 * r2);
          buffer[l] = piv > kTol * s.d[l] ? t * t / piv : -1.0;
        }
        evaluated += to - from + 1;
        const double need = lineRss - explainedPair - top.Threshold();
        for (int l = from; l <= to; ++l)
          if (buffer[l] >= 0 && buffer[l] > need) top.Offer(lineRss - explainedPair - buffer[l], {g1, g2, l});
      }
    }
  }
  result.Evaluated = evaluated;
  if (top.Items().empty()) return result;

  // The grid's best starts the exact search over the intervals between the data values, which
  // can only lower it.
  const long double low = std::isfinite(options.Low) ? data.ToU(options.Low) : -kInf;
  const long double high = std::isfinite(options.High) ? data.ToU(options.High) : kInf;
  const auto& grid = top.Items().front();
  std::vector<long double> u;
  for (int j = 0; j < k; ++j) u.push_back(data.U(grid.knots[j]));
  result.GridKnots.assign(grid.knots.begin(), grid.knots.begin() + k);
  result.Line = FitBrokenLine(data, BreakpointsInDataUnits(data, u));
  result.GridResidualSumOfSquares = result.Line.ResidualSumOfSquares;
  long double best = BrokenLineResidualSum(data, u);
  BrokenLineCellSearch cells(data, k, std::max(1, options.MinPerSegment), low, high);
  if (cells.Improve(best, u)) {
    const BrokenLine exact = FitBrokenLine(data, BreakpointsInDataUnits(data, u));
    if (exact.Valid &&
        (!result.Line.Valid || exact.ResidualSumOfSquares <= result.Line.ResidualSumOfSquares))
      result.Line = exact;
  }
  result.CellsSolved = cells.Solved();
  result.Found = result.Line.Valid;
  return result;
}

}  // namespace vornax
