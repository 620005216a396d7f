// Standard errors, likelihood intervals and tests of a fitted broken line (see
// BrokenLineInference.h).
//
// The standard errors come from the linearised model at the least-squares solution: the
// derivative of the line by a breakpoint is minus its change of slope to the right of it, by a
// change of slope the hinge itself, and the covariance is the residual variance times the
// inverse of J'J. The likelihood interval follows the residual sum instead of that linear
// picture, so it is as asymmetric as the data make it.
#include "breakpoints/BrokenLineInference.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <optional>

#include "breakpoints/BrokenLineSearch.h"
#include "data/IncompleteBeta.h"
#include "regression/LikelihoodInterval.h"

namespace vornax {

namespace {

// Inverts a symmetric positive definite matrix of order n ≤ 8 through its Cholesky factor;
// false when it is singular.
bool InvertSymmetric(int n, std::array<std::array<long double, 8>, 8>& a) {
  std::array<std::array<long double, 8>, 8> l{};
  for (int j = 0; j < n; ++j) {
    long double diag = a[j][j];
    for (int k = 0; k < j; ++k) diag -= l[j][k] * l[j][k];
    if (!(diag > 1e-17L * std::fabs(a[j][j])) || !(diag > 0)) return false;
    l[j][j] = std::sqrt(diag);
    for (int i = j + 1; i < n; ++i) {
      long double v = a[i][j];
      for (int k = 0; k < j; ++k) v -= l[i][k] * l[j][k];
      l[i][j] = v / l[j][j];
    }
  }
  std::array<std::array<long double, 8>, 8> inv{};
  for (int col = 0; col < n; ++col) {
    std::array<long double, 8> z{};
    for (int i = 0; i < n; ++i) {
      long double v = i == col ? 1 : 0;
      for (int k = 0; k < i; ++k) v -= l[i][k] * z[k];
      z[i] = v / l[i][i];
    }
    for (int i = n - 1; i >= 0; --i) {
      long double v = z[i];
      for (int k = i + 1; k < n; ++k) v -= l[k][i] * z[k];
      z[i] = v / l[i][i];
    }
    for (int i = 0; i < n; ++i) inv[i][col] = z[i];
  }
  a = inv;
  return true;
}

constexpr long double kInfL = std::numeric_limits<long double>::infinity();

// Whether the segment from a to b (scaled; a = −∞ for the first) holds enough data sets and two
// different X values, as the search requires.
bool SegmentHolds(const BrokenLineData& data, long double a, long double b, int minPerSegment) {
  const int from = a == -kInfL ? 0 : data.FirstAbove(a);
  const int to = b == kInfL ? data.Groups() : data.FirstAbove(b);
  const long long count = (to > 0 ? data.CountUpTo(to - 1) : 0) -
                          (from > 0 ? data.CountUpTo(from - 1) : 0);
  const int distinct = to - (a == -kInfL ? 0 : data.FirstAtOrAbove(a));
  return count >= minPerSegment && distinct >= 2;
}

// Moves the breakpoints beside breakpoint j, outward from it, each to the nearest data value that
// leaves its segment enough data sets, where they crowd it. False when no such place is left.
bool MakeRoom(const BrokenLineData& data, int j, std::vector<long double>& u, int minPerSegment) {
  const int k = static_cast<int>(u.size());
  const int groups = data.Groups();
  for (int i = j + 1; i < k; ++i) {
    if (u[i] > u[i - 1] && SegmentHolds(data, u[i - 1], u[i], minPerSegment)) continue;
    int g = data.FirstAbove(u[i - 1]);
    while (g < groups && !SegmentHolds(data, u[i - 1], data.U(g), minPerSegment)) ++g;
    if (g >= groups) return false;
    u[i] = data.U(g);
  }
  for (int i = j - 1; i >= 0; --i) {
    if (u[i] < u[i + 1] && SegmentHolds(data, u[i], u[i + 1], minPerSegment)) continue;
    int g = data.FirstAtOrAbove(u[i + 1]) - 1;
    while (g >= 0 && !SegmentHolds(data, data.U(g), u[i + 1], minPerSegment)) --g;
    if (g < 0) return false;
    u[i] = data.U(g);
  }
  return BrokenLineAdmissible(data, u, minPerSegment);
}

// The profile of the residual sum over breakpoint j: the least residual sum with breakpoint j at
// t (scaled) and the others at their best admissible places, which `u` brings in as a starting
// place and takes back. Each other breakpoint is tried at every data value (near its place
// when there are many) with the rest held, until none moves, and then refined continuously:
// so the others can leave a local valley for a better one as breakpoint j moves. Infinity when
// no admissible place is left for the others.
long double ProfileResidualSum(const BrokenLineData& data, int j, long double t,
                               std::vector<long double>& u, int minPerSegment,
                               BrokenLineCellSearch* exact) {
  const int k = static_cast<int>(u.size());
  const int groups = data.Groups();
  u[static_cast<size_t>(j)] = t;
  if (!MakeRoom(data, j, u, minPerSegment)) {
    long double profile = kInfL;
    if (exact) exact->Improve(profile, u, j, t);
    return profile;
  }
  long double best = BrokenLineResidualSum(data, u);
  // With three breakpoints and few data values, the other two are also tried at every pair of
  // data values together: they may have to move at once (both to the other side of breakpoint
  // j), which one at a time cannot do.
  constexpr int kPairsUpTo = 64;
  if (k == 3 && groups <= kPairsUpTo) {
    const int a = j == 0 ? 1 : 0, c = j == 2 ? 1 : 2;
    std::vector<long double> v = u;
    for (int ga = 0; ga < groups; ++ga)
      for (int gc = ga + 1; gc < groups; ++gc) {
        v[static_cast<size_t>(a)] = data.U(ga);
        v[static_cast<size_t>(c)] = data.U(gc);
        if (!BrokenLineAdmissible(data, v, minPerSegment)) continue;
        const long double val = BrokenLineResidualSum(data, v);
        if (val < best) best = val, u = v;
      }
  }
  // Every data value for a few hundred of them; beyond, a window about the current place (the
  // walk moves breakpoint j one data value at a time, and the others follow).
  constexpr int kEverywhere = 400, kWindow = 24;
  for (int round = 0; round < 8; ++round) {
    bool moved = false;
    for (int i = 0; i < k; ++i) {
      if (i == j) continue;
      const int at = data.FirstAbove(u[static_cast<size_t>(i)]);
      const int from = groups <= kEverywhere ? 0 : std::max(0, at - kWindow);
      const int to = groups <= kEverywhere ? groups - 1 : std::min(groups - 1, at + kWindow);
      std::vector<long double> v = u;
      for (int g = from; g <= to; ++g) {
        v[static_cast<size_t>(i)] = data.U(g);
        if (!BrokenLineAdmissible(data, v, minPerSegment)) continue;
        const long double val = BrokenLineResidualSum(data, v);
        if (val < best * (1 - 1e-15L)) {
          best = val;
          u = v;
          moved = true;
        }
      }
    }
    if (!moved) break;
  }
  const long double refined =
      RefineBreakpoints(data, u, minPerSegment, -kInfL, kInfL, j);
  long double profile = std::min(best, refined);
  // The walk gives a good place quickly; the exact search over the other breakpoints' intervals
  // (pruned by it) makes sure no better one is left.
  if (exact) exact->Improve(profile, u, j, t);
  return profile;
}

}  // namespace

double StudentTTwoSided(double t, double df) {
  if (!(df > 0)) return 1;
  return IncompleteBeta(df / 2, 0.5, df / (df + t * t));
}

double FUpperTail(double f, double df1, double df2) {
  if (!(f > 0)) return 1;
  return IncompleteBeta(df2 / 2, df1 / 2, df2 / (df2 + df1 * f));
}

double StudentTQuantile(double confidence, double df) {
  const double tail = 1 - confidence;
  double lo = 0, hi = 1;
  while (StudentTTwoSided(hi, df) > tail && hi < 1e12) hi *= 2;
  for (int i = 0; i < 200 && hi - lo > 1e-14 * hi; ++i) {
    const double mid = (lo + hi) / 2;
    (StudentTTwoSided(mid, df) > tail ? lo : hi) = mid;
  }
  return (lo + hi) / 2;
}

AddedBreakpointTest TestAddedBreakpoints(double rssFewer, int breakpointsFewer, double rssMore,
                                         int breakpointsMore, long long n) {
  AddedBreakpointTest t;
  t.Df1 = 2 * (breakpointsMore - breakpointsFewer);
  t.Df2 = static_cast<int>(n) - (2 * breakpointsMore + 2);
  if (t.Df1 <= 0 || t.Df2 <= 0) return t;
  const double gain = std::max(0.0, rssFewer - rssMore);
  if (!(rssMore > 0)) {
    t.F = gain > 0 ? kExactFitF : 0;
    t.Probability = gain > 0 ? 0 : 1;
    return t;
  }
  t.F = (gain / t.Df1) / (rssMore / t.Df2);
  t.Probability = FUpperTail(t.F, t.Df1, t.Df2);
  return t;
}

bool ExactFit(double residualSumOfSquares, int residualDf, double totalSumOfSquares, long long n) {
  if (residualDf <= 0 || n < 2) return true;
  return residualSumOfSquares / residualDf <= 1e-12 * totalSumOfSquares / static_cast<double>(n - 1);
}

BrokenLineInference InferBrokenLine(const BrokenLineData& data, const BrokenLine& line,
                                    double confidence, double confidenceT, int minPerSegment) {
  BrokenLineInference inf;
  const int k = static_cast<int>(line.Breakpoints.size());
  const int p = 2 * k + 2;
  const long long n = data.Count();
  inf.Parameters = p;
  inf.ResidualDf = static_cast<int>(n - p);
  if (inf.ResidualDf <= 0 || !line.Valid) return inf;
  inf.ResidualVariance = line.ResidualSumOfSquares / inf.ResidualDf;
  const bool exact = ExactFit(line.ResidualSumOfSquares, inf.ResidualDf,
                              static_cast<double>(data.TotalSumOfSquares()), n);
  if (exact) inf.ResidualVariance = 0;

  // J'J in scaled X (u = (x − centre)/half): columns 1, u, the hinges, then the breakpoints.
  const long double centre = data.FromU(0), half = data.FromU(1) - data.FromU(0);
  std::vector<long double> b(k), delta(k);
  for (int j = 0; j < k; ++j) {
    b[j] = data.ToU(line.Breakpoints[j]);
    delta[j] = static_cast<long double>(line.SlopeChanges[j]) * half;
  }
  std::array<std::array<long double, 8>, 8> m{};
  std::array<long double, 8> phi{};
  for (int g = 0; g < data.Groups(); ++g) {
    const long double u = data.U(g);
    phi[0] = 1;
    phi[1] = u;
    for (int j = 0; j < k; ++j) {
      phi[2 + j] = u > b[j] ? u - b[j] : 0;
      phi[2 + k + j] = u > b[j] ? -delta[j] : 0;
    }
    const long double w = static_cast<long double>(data.CountAt(g));
    for (int i = 0; i < p; ++i)
      for (int j = 0; j <= i; ++j) m[i][j] += w * phi[i] * phi[j];
  }
  for (int i = 0; i < p; ++i)
    for (int j = 0; j < i; ++j) m[j][i] = m[i][j];
  if (!InvertSymmetric(p, m)) return inf;
  const long double s2 = inf.ResidualVariance;
  auto cov = [&](int i, int j) { return s2 * m[i][j]; };
  auto sqrtPos = [](long double v) { return static_cast<double>(std::sqrt(std::max<long double>(v, 0))); };

  {
    const long double r = centre / half;
    inf.InterceptStandardError =
        sqrtPos(cov(0, 0) - 2 * r * cov(0, 1) + r * r * cov(1, 1));
  }
  // Segments: slope A + D1 + … + D(m−1); in scaled units the slope is c1 + Σ δ, divided by half.
  const auto slopes = line.SegmentSlopes();
  for (int seg = 0; seg <= k; ++seg) {
    SegmentInference s;
    s.Slope = slopes[seg];
    long double var = 0;
    std::vector<int> idx{1};
    for (int j = 0; j < seg; ++j) idx.push_back(2 + j);
    for (int a : idx)
      for (int c : idx) var += cov(a, c);
    s.SlopeStandardError = sqrtPos(var) / static_cast<double>(half);
    s.From = seg == 0 ? data.X(0) : line.Breakpoints[seg - 1];
    s.To = seg == k ? data.X(data.Groups() - 1) : line.Breakpoints[seg];
    const long long upTo =
        seg == k ? n : [&] {
          const int i = data.FirstAbove(b[seg]);
          return i > 0 ? data.CountUpTo(i - 1) : 0LL;
        }();
    const long long below = seg == 0 ? 0 : [&] {
      const int i = data.FirstAbove(b[seg - 1]);
      return i > 0 ? data.CountUpTo(i - 1) : 0LL;
    }();
    s.Count = upTo - below;
    inf.Segments.push_back(s);
  }
  for (int j = 0; j < k; ++j) {
    SlopeChangeInference c;
    c.Change = line.SlopeChanges[j];
    c.StandardError = sqrtPos(cov(2 + j, 2 + j)) / static_cast<double>(half);
    c.T = c.StandardError > 0 ? c.Change / c.StandardError : 0;
    c.Probability = c.StandardError > 0 ? StudentTTwoSided(c.T, inf.ResidualDf)
                                        : c.Change != 0 ? 0 : 1;
    inf.Changes.push_back(c);
  }

  // The likelihood interval of each breakpoint: the places where the profile of the residual
  // sum (that breakpoint held, the others at their best admissible places) stays within the
  // F(1, N − p) limit. Walk outward over the grid of X values, following the others from step
  // to step, until the profile passes the limit, then narrow the crossing by halving. Where no
  // admissible place is left before the limit is passed, the interval ends at the last one: it
  // reaches the end of the range the breakpoint can take, and is marked so.
  // The profile is exact wherever the search over the other breakpoints' intervals is quick
  // enough to repeat at every place walked: always for two breakpoints (one other), for three
  // up to a few hundred distinct X values.
  constexpr int kExactProfileGroups = 400;
  std::optional<BrokenLineCellSearch> cells;
  if (k <= 2 || data.Groups() <= kExactProfileGroups)
    cells.emplace(data, k, minPerSegment, -kInfL, kInfL);
  BrokenLineCellSearch* exactSearch = cells ? &*cells : nullptr;
  const double tq = StudentTQuantile(confidence, inf.ResidualDf);
  const long double limit =
      static_cast<long double>(line.ResidualSumOfSquares) * (1 + tq * tq / inf.ResidualDf);
  for (int j = 0; j < k; ++j) {
    BreakpointInference bi;
    bi.Value = line.Breakpoints[j];
    bi.StandardError = sqrtPos(cov(2 + k + j, 2 + k + j)) * static_cast<double>(half);
    bi.LowerLimit = bi.Value - confidenceT * bi.StandardError;
    bi.UpperLimit = bi.Value + confidenceT * bi.StandardError;
    double ends[2] = {bi.Value, bi.Value};
    bool atEnd[2] = {false, false};
    for (int dir = -1; dir <= 1 && !exact; dir += 2) {
      // Outward over the data values, nearest first, with a few places inside each gap between
      // them: the profile can pass the limit and fall back below it further on (also between
      // two data values, where the others find a better place), and the interval runs to the
      // outermost place within it. The places a breakpoint can take form one range, so the
      // walk ends at the first without an admissible place for the others.
      // At most about kPlaces places per direction: every data value and up to eight places in
      // each gap when there are few, every so many data values when there are many (then the
      // gaps are narrow, and the halving finds the crossing between two places).
      constexpr int kPlaces = 192;
      const int groups = data.Groups();
      const int kPerGap = std::clamp(kPlaces / std::max(1, groups), 1, 8);
      const int stride = std::max(1, (groups + kPlaces - 1) / kPlaces);
      std::vector<long double> state = b, insideState = b;
      long double inside = b[j], from = b[j];
      long double next = inside;  // the place walked after the outermost one within the limit
      bool nextWalked = false, nextAdmissible = false;
      bool stopped = false;
      const int start = dir > 0 ? data.FirstAbove(b[j]) : data.FirstAtOrAbove(b[j]) - 1;
      for (int g = start; !stopped && g >= 0 && g < groups;
           g = (g + dir * stride < 0 || g + dir * stride >= groups) && g != (dir > 0 ? groups - 1 : 0)
                   ? (dir > 0 ? groups - 1 : 0)
                   : g + dir * stride) {
        const long double to = data.U(g);
        for (int i = 1; i <= kPerGap; ++i) {
          const long double at = i == kPerGap ? to : from + (to - from) * i / kPerGap;
          std::vector<long double> st = state;
          const long double v = ProfileResidualSum(data, j, at, st, minPerSegment, exactSearch);
          const bool first = !nextWalked;
          if (first) next = at, nextWalked = true;
          if (v == kInfL) {
            stopped = true;
            break;
          }
          state = st;
          if (v <= limit) {
            inside = at;
            insideState = st;
            nextWalked = false;
          } else if (first) {
            nextAdmissible = true;
          }
        }
        from = to;
      }
      const size_t side = static_cast<size_t>((dir + 1) / 2);
      // Between the outermost place within the limit and the next one walked: the crossing of
      // the limit, or, where the next has no admissible place, the end of the range the
      // breakpoint can take.
      // The end is the range's only where the place just beyond it has no admissible line: a
      // crossing found next to an admissible place beyond the limit is the limit's, even when
      // the range ends a little further on.
      long double outside = next;
      bool outsideAdmissible = nextAdmissible;
      for (int it = 0; it < 48 && nextWalked; ++it) {
        const long double mid = (inside + outside) / 2;
        if (mid == inside || mid == outside) break;
        std::vector<long double> st = insideState;
        const long double v = ProfileResidualSum(data, j, mid, st, minPerSegment, exactSearch);
        if (v > limit) {
          outside = mid;
          outsideAdmissible = v != kInfL;
        } else {
          inside = mid;
          insideState = st;
        }
      }
      insideState[static_cast<size_t>(j)] = inside;
      ends[side] = BreakpointsInDataUnits(data, insideState)[static_cast<size_t>(j)];
      atEnd[side] = !nextWalked || !outsideAdmissible;
    }
    bi.LikelihoodLower = ends[0];
    bi.LikelihoodUpper = ends[1];
    bi.LikelihoodLowerAtEnd = atEnd[0];
    bi.LikelihoodUpperAtEnd = atEnd[1];
    inf.Breakpoints.push_back(bi);
  }
  return inf;
}

}  // namespace vornax
