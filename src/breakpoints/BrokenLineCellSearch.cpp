// The exact search within combinations of the cells between neighbouring X values (see
// BrokenLineCellSearch in BrokenLineSearch.h).
#include <algorithm>
#include <array>
#include <cmath>
#include <limits>

#include "breakpoints/BrokenLineSearch.h"

namespace vornax {
namespace {

constexpr long double kInf = std::numeric_limits<long double>::infinity();

}  // namespace

namespace {

// A column of the linear model within a combination of cells: I(group > a)·(α·U + β), with
// a = −1 for the columns of the straight line.
struct Column {
  int a;
  long double alpha, beta;
};

// The least-squares fit over the given columns from the running sums: its residual sum and
// coefficients; false when the normal equations are singular.
bool SolveColumns(const BrokenLineData& data, const Column* cols, int p, long double& rss,
                  std::array<long double, 8>& coef) {
  std::array<std::array<long double, 8>, 8> m{};
  std::array<long double, 8> r{};
  for (int i = 0; i < p; ++i) {
    const Column& ci = cols[i];
    const auto& ti = data.From(ci.a + 1);
    r[i] = ci.alpha * ti.UY + ci.beta * ti.Y;
    for (int j = 0; j <= i; ++j) {
      const Column& cj = cols[j];
      const auto& t = data.From(std::max(ci.a, cj.a) + 1);
      m[i][j] = m[j][i] = ci.alpha * cj.alpha * t.UU +
                          (ci.alpha * cj.beta + cj.alpha * ci.beta) * t.U +
                          ci.beta * cj.beta * t.W;
    }
  }
  coef = r;
  if (!CholeskySolve(p, m, coef)) return false;
  long double explained = 0;
  for (int i = 0; i < p; ++i) explained += coef[i] * r[i];
  rss = std::max<long double>(0, data.TotalSumOfSquares() - explained);
  return true;
}

}  // namespace

// Where a breakpoint stands within its cell: free inside it, at one of its ends, or fixed by the
// caller.
struct BrokenLineCellSearch::Place {
  enum Kind { Free, Lower, Upper, Fixed } kind = Free;
  int cell = 0;
  long double at = 0;  // Lower, Upper, Fixed: the place
};

BrokenLineCellSearch::BrokenLineCellSearch(const BrokenLineData& data, int breakpoints,
                                           int minPerSegment, long double low, long double high)
    : data_(data), k_(breakpoints), m_(std::max(1, minPerSegment)), low_(low), high_(high) {
  const int groups = data.Groups();
  const long long n = data.Count();
  // Cell g holds the breakpoints in [x_g, x_g+1): the data sets up to x_g lie below them. The
  // first segment needs two distinct X values (g ≥ 1), the last at least one above the cell.
  first_ = 1;
  last_ = groups - 2;
  auto within = [&](int g) {
    return std::max(data.U(g), low_) <= std::min(data.U(g + 1), high_);
  };
  while (first_ <= last_ && (data.CountUpTo(first_) < m_ || !within(first_))) ++first_;
  while (last_ >= first_ && (n - data.CountUpTo(last_) < m_ || !within(last_))) --last_;
  nextFirst_.assign(std::max(groups, 1), groups);
  int next = first_;
  for (int g = first_; g <= last_; ++g) {
    if (next <= g) next = g + 1;
    while (next <= last_ && data.CountUpTo(next) - data.CountUpTo(g) < m_) ++next;
    nextFirst_[g] = next;
  }
  if (first_ > last_ || k_ < 1) return;
  head_.assign(groups, kInf);
  tail_.assign(k_, std::vector<long double>(groups, kInf));
  for (int g = first_; g <= last_; ++g) {
    head_[g] = data.SegmentLineBound(0, g);
    tail_[0][g] = data.SegmentLineBound(g + 1, groups - 1);
  }
  for (int r = 1; r < k_; ++r)
    for (int g = first_; g <= last_; ++g) {
      long double best = kInf;
      for (int h = nextFirst_[g]; h <= last_; ++h)
        best = std::min(best, data.SegmentLineBound(g + 1, h) + tail_[r - 1][h]);
      tail_[r][g] = best;
    }
}

bool BrokenLineCellSearch::Improve(long double& best, std::vector<long double>& u,
                                   int fixedIndex, long double fixedU) {
  if (first_ > last_ || k_ < 1 || k_ > 3) return false;
  const long double before = best;
  best_ = &best;
  bestU_ = &u;
  fixedIndex_ = fixedIndex;
  fixedU_ = fixedU;
  fixedCell_ = fixedIndex >= 0 ? data_.FirstAbove(fixedU) - 1 : -1;
  Enumerate(0, -1, 0);
  best_ = nullptr;
  bestU_ = nullptr;
  return best < before;
}

void BrokenLineCellSearch::Enumerate(int level, int prev, long double partial) {
  if (level == k_) {
    SolveCells();
    return;
  }
  int from = level == 0 ? first_ : nextFirst_[prev];
  int to = last_;
  if (level == fixedIndex_) {
    if (fixedCell_ < from || fixedCell_ > to) return;
    from = to = fixedCell_;
  }
  for (int g = from; g <= to; ++g) {
    // What the segments up to this breakpoint leave at least, and the rest at least.
    const long double sum =
        level == 0 ? head_[g] : partial + data_.SegmentLineBound(prev + 1, g);
    if (sum + tail_[k_ - 1 - level][g] >= *best_) continue;
    cells_[level] = g;
    Enumerate(level + 1, g, sum);
  }
}

void BrokenLineCellSearch::SolveCells() {
  ++solved_;
  Place places[3];
  // The kinds each breakpoint may take: free, the lower end, and the upper end where no other
  // combination of cells reaches it (the cell above is not admissible, or the range ends within
  // the cell).
  int kinds[3][3], counts[3];
  for (int j = 0; j < k_; ++j) {
    const int g = cells_[j];
    places[j].cell = g;
    if (j == fixedIndex_) {
      kinds[j][0] = Place::Fixed;
      counts[j] = 1;
      continue;
    }
    counts[j] = 0;
    kinds[j][counts[j]++] = Place::Free;
    kinds[j][counts[j]++] = Place::Lower;
    const bool rangeEnds = high_ < data_.U(g + 1);
    const bool aboveBarred = g + 1 > last_ || (j + 1 < k_ && cells_[j + 1] < nextFirst_[g + 1]);
    if (rangeEnds || aboveBarred) kinds[j][counts[j]++] = Place::Upper;
  }
  std::vector<long double> u;
  long double rss = 0;
  // All free first: when it is admissible, no case on the boundary can beat it.
  for (int j = 0; j < k_; ++j) places[j].kind = static_cast<Place::Kind>(kinds[j][0]);
  if (SolveFace(places, rss, u) && BrokenLineAdmissible(data_, u, m_)) {
    if (rss < *best_) {
      *best_ = rss;
      *bestU_ = u;
    }
    return;
  }
  // A breakpoint at an end of its cell also stands at an end of the neighbouring cell, and the
  // segments' own lines for that neighbouring combination bound the case as well (the data at
  // the shared end lie on both segments' lines): most cases are skipped by one of the two.
  const int groups = data_.Groups();
  auto segmentBound = [&](const int* cells) {
    long double sum = data_.SegmentLineBound(0, cells[0]);
    for (int j = 1; j < k_; ++j) sum += data_.SegmentLineBound(cells[j - 1] + 1, cells[j]);
    return sum + data_.SegmentLineBound(cells[k_ - 1] + 1, groups - 1);
  };
  long double lowerBound[3], upperBound[3];
  for (int j = 0; j < k_; ++j) {
    int shifted[3] = {cells_[0], cells_[1], cells_[2]};
    lowerBound[j] = upperBound[j] = 0;
    if (cells_[j] - 1 >= (j == 0 ? 0 : cells_[j - 1] + 1)) {
      shifted[j] = cells_[j] - 1;
      lowerBound[j] = segmentBound(shifted);
    }
    if (cells_[j] + 1 <= (j + 1 == k_ ? groups - 2 : cells_[j + 1] - 1)) {
      shifted[j] = cells_[j] + 1;
      upperBound[j] = segmentBound(shifted);
    }
  }
  int choice[3] = {0, 0, 0};
  for (;;) {
    int j = 0;
    while (j < k_ && ++choice[j] == counts[j]) choice[j++] = 0;
    if (j == k_) break;
    bool allAtData = fixedIndex_ < 0, skip = false;
    for (int i = 0; i < k_; ++i) {
      places[i].kind = static_cast<Place::Kind>(kinds[i][choice[i]]);
      if (places[i].kind == Place::Lower) skip |= lowerBound[i] >= *best_;
      if (places[i].kind == Place::Upper) skip |= upperBound[i] >= *best_;
      allAtData &= places[i].kind == Place::Lower && !(low_ > data_.U(places[i].cell));
    }
    // Every breakpoint at a data value: the grid's screening has seen it.
    if (skip || allAtData) continue;
    if (SolveFace(places, rss, u) && rss < *best_ && BrokenLineAdmissible(data_, u, m_)) {
      *best_ = rss;
      *bestU_ = u;
    }
  }
}

// Solves one case; false when it is singular or a free breakpoint falls outside its cell.
bool BrokenLineCellSearch::SolveFace(const Place* places, long double& rss,
                                     std::vector<long double>& u) const {
  Column cols[8];
  int p = 0;
  cols[p++] = {-1, 0, 1};
  cols[p++] = {-1, 1, 0};
  long double at[3];
  int freeColumn[3];
  for (int j = 0; j < k_; ++j) {
    const Place& pl = places[j];
    const int g = pl.cell;
    const long double lo = std::max(data_.U(g), low_), hi = std::min(data_.U(g + 1), high_);
    freeColumn[j] = -1;
    switch (pl.kind) {
      case Place::Free:
        freeColumn[j] = p;
        cols[p++] = {g, 1, 0};
        cols[p++] = {g, 0, 1};
        at[j] = 0;
        break;
      case Place::Lower: at[j] = lo; break;
      case Place::Upper: at[j] = hi; break;
      case Place::Fixed: at[j] = fixedU_; break;
    }
    if (pl.kind != Place::Free) cols[p++] = {g, 1, -at[j]};
  }
  std::array<long double, 8> coef{};
  if (!SolveColumns(data_, cols, p, rss, coef)) return false;
  u.assign(static_cast<size_t>(k_), 0);
  for (int j = 0; j < k_; ++j) {
    const int g = places[j].cell;
    const long double lo = std::max(data_.U(g), low_), hi = std::min(data_.U(g + 1), high_);
    if (freeColumn[j] >= 0) {
      const long double c = coef[freeColumn[j]], d = coef[freeColumn[j] + 1];
      if (!(c != 0)) return false;
      const long double b = -d / c;
      if (!(b >= lo && b < hi)) return false;
      u[j] = b;
    } else if (places[j].kind == Place::Upper && at[j] == data_.U(g + 1)) {
      // The end of the cell approached from below: the data sets at x_g+1 stay above.
      u[j] = std::nextafter(at[j], -kInf);
    } else {
      u[j] = at[j];
    }
  }
  for (int j = 1; j < k_; ++j)
    if (!(u[j - 1] < u[j])) return false;
  return true;
}

}  // namespace vornax
