// The exact search for a continuous broken line with one, two or three breakpoints.
//
// The model is Y = C + A·X + D1·max(X − BP1, 0) + … + Dk·max(X − BPk, 0): k + 1 straight segments
// joined at the breakpoints, fitted by least squares. For breakpoints fixed, the fit is linear,
// and its normal equations are built from running sums over the data sorted by X in a time that
// does not depend on the number of data sets. The search evaluates every admissible combination
// of breakpoints at the distinct X values (with at least a given number of data sets in every
// segment) in that way, and then every combination of intervals between them (see
// BrokenLineCellSearch). So the result is the global minimum of the residual sum over all
// admissible breakpoints, never a local minimum that some starting values happened to lead to.
//
// For three breakpoints the combinations grow with the cube of the number of distinct X values;
// a combination is skipped when a proven lower bound of its residual sum (the sum over its
// segments of the residual sums of each segment's own least-squares line, which no joined line
// can beat) already reaches the best sum found. The answer stays exact.
//
// Weights are copies of data sets, as everywhere in the program: a data set given twice counts
// twice.
#pragma once

#include <array>
#include <cstdint>
#include <limits>
#include <vector>

namespace vornax {

// The data as the search reads them: the distinct X values in ascending order, the number of
// data sets at each, their average Y and the sum of squares of Y about that average, plus
// running sums from the top. X is taken relative to the middle of its range and divided by half
// the range, Y relative to its average, so the sums keep their digits whatever the units.
class BrokenLineData {
 public:
  // x and y of equal length, in any order.
  BrokenLineData(const std::vector<long double>& x, const std::vector<long double>& y);

  int Groups() const { return static_cast<int>(x_.size()); }
  long long Count() const { return count_; }
  double X(int g) const { return static_cast<double>(x_[g]); }
  long long CountAt(int g) const { return w_[g]; }
  // Data sets with X at or below the g-th distinct value.
  long long CountUpTo(int g) const { return upTo_[g]; }
  // The total sum of squares of Y about its average.
  long double TotalSumOfSquares() const { return syyTotal_; }
  long double MeanY() const { return meanY_; }

  // Scaled X and back.
  long double ToU(long double x) const { return (x - centre_) / half_; }
  long double FromU(long double u) const { return centre_ + u * half_; }
  long double U(int g) const { return u_[g]; }
  long double AverageY(int g) const { return yAvg_[g]; }  // about MeanY()
  long double WithinSumOfSquares(int g) const { return ss_[g]; }

  // Running sums over the groups from i to the top (i = Groups() gives zeros): count, U, U², Y,
  // U·Y with Y about its average.
  struct Tail {
    long double W = 0, U = 0, UU = 0, Y = 0, UY = 0;
  };
  const Tail& From(int i) const { return tail_[i]; }
  // The first group whose X lies above u (scaled).
  int FirstAbove(long double u) const;
  int FirstAtOrAbove(long double u) const;

  // The residual sum of squares of the least-squares straight line through the groups from a to
  // b (inclusive), from running sums: a lower bound for any line on those data sets, less a
  // margin that covers its rounding.
  long double SegmentLineBound(int a, int b) const;

 private:
  std::vector<long double> x_, u_, yAvg_, ss_;
  std::vector<long long> w_, upTo_;
  std::vector<Tail> tail_;
  // Running sums from the bottom (index i: groups 0 to i − 1), for the segments' lower bounds.
  std::vector<Tail> head_;
  std::vector<long double> headYY_;
  long long count_ = 0;
  long double centre_ = 0, half_ = 1, meanY_ = 0, syyTotal_ = 0;
};

// A fitted broken line, in data units.
struct BrokenLine {
  std::vector<double> Breakpoints;   // ascending
  double Intercept = 0;              // C
  double Slope = 0;                  // A, the slope of the first segment
  std::vector<double> SlopeChanges;  // D1 … Dk
  double ResidualSumOfSquares = 0;
  bool Valid = false;  // false when the breakpoints leave the normal equations singular

  // The slope of each of the k + 1 segments.
  std::vector<double> SegmentSlopes() const;
  double operator()(double x) const;
};

struct BrokenLineSearchOptions {
  int Breakpoints = 2;    // 1, 2 or 3
  int MinPerSegment = 3;  // data sets in every segment
  // Breakpoints are kept within [Low, High] (data units).
  double Low = -std::numeric_limits<double>::infinity();
  double High = std::numeric_limits<double>::infinity();
  bool UseBound = true;   // skip combinations by the proven lower bound (three breakpoints)
  int Keep = 8;           // combinations of the grid kept in the screening
  // The admissible combinations when the caller has counted them already (-1: count them).
  long long Combinations = -1;
};

struct BrokenLineSearchResult {
  bool Found = false;  // false: no admissible combination
  BrokenLine Line;
  std::vector<int> GridKnots;           // the best combination on the grid (group indices)
  double GridResidualSumOfSquares = 0;  // its residual sum (breakpoints at data values only)
  long long Combinations = 0;           // admissible combinations on the grid
  long long Evaluated = 0;              // of which evaluated (the rest skipped by the bound)
  long long CellsSolved = 0;            // combinations of intervals solved (the rest bounded)
};

// The number of admissible combinations of k breakpoints on the grid (to refuse a search that
// would take too long before it starts).
long long CountBrokenLineCombinations(const BrokenLineData& data,
                                      const BrokenLineSearchOptions& options);

BrokenLineSearchResult FindBestBrokenLine(const BrokenLineData& data,
                                          const BrokenLineSearchOptions& options);

// The least-squares broken line with the given breakpoints (data units, ascending), with its
// residual sum taken over the data themselves.
BrokenLine FitBrokenLine(const BrokenLineData& data, const std::vector<double>& breakpoints);

// Its residual sum alone, from the running sums (scaled breakpoints, ascending); infinity when
// the normal equations are singular.
long double BrokenLineResidualSum(const BrokenLineData& data, const std::vector<long double>& u);

// Whether breakpoints (scaled) are ascending and leave at least `minPerSegment` data sets in every
// segment (a data set at a breakpoint belongs to the segment below it) and two different X values
// between each segment's ends.
bool BrokenLineAdmissible(const BrokenLineData& data, const std::vector<long double>& u,
                          int minPerSegment);

// Scaled breakpoints in data units, each the double that leaves the same data sets on either side
// of it (the nearest double may fall on a data value the breakpoint only approached).
std::vector<double> BreakpointsInDataUnits(const BrokenLineData& data,
                                           const std::vector<long double>& u);

// Solves the symmetric positive definite system M·s = r of order n ≤ 8 by Cholesky, leaving s
// in `rhs`; false when a pivot is not clearly positive. M is overwritten.
bool CholeskySolve(int n, std::array<std::array<long double, 8>, 8>& m,
                   std::array<long double, 8>& rhs);

// The exact search over continuous breakpoints. Between two neighbouring distinct X values,
// x_g and x_g+1, the hinge max(X − b, 0) equals I·X − b·I with I the indicator of X > x_g; so
// with every breakpoint inside a given interval ("cell") the broken line is a linear model in
// the columns I·X and I, whose least-squares solution gives each breakpoint as b = −d/c. When
// every such b lies in its cell, that solution is the best line for the combination of cells
// (no joined line can do better than the model that contains it); otherwise the best one lies
// on the cell's boundary, with some breakpoints at an end of their cells and the others again
// free, and each such lower-dimensional case is solved the same way. Every sum involved is a
// running sum from the top, so each case costs a small solve in extended precision, whatever
// the number of data sets. A combination of cells is skipped when the residual sums of its
// segments' own least-squares lines, a proven lower bound for every case in it, already reach
// the best residual sum found.
class BrokenLineCellSearch {
 public:
  // Breakpoints within [low, high] (scaled).
  BrokenLineCellSearch(const BrokenLineData& data, int breakpoints, int minPerSegment,
                       long double low, long double high);
  // Lowers `best` and sets `u` (scaled breakpoints) where a place beats it; with `fixedIndex` ≥ 0
  // that breakpoint stays at `fixedU`. Returns whether it found a better place.
  bool Improve(long double& best, std::vector<long double>& u, int fixedIndex = -1,
               long double fixedU = 0);
  // Cell combinations solved (the rest skipped by the bound), over every call.
  long long Solved() const { return solved_; }

 private:
  struct Place;
  void Enumerate(int level, int prev, long double partial);
  void SolveCells();
  bool SolveFace(const Place* places, long double& rss, std::vector<long double>& u) const;

  const BrokenLineData& data_;
  int k_, m_;
  long double low_, high_;
  int first_ = 1, last_ = -1;    // cells first_..last_
  std::vector<int> nextFirst_;   // for a breakpoint in cell g: the first cell of the next one
  std::vector<long double> head_;               // bound of the segment below cell g
  std::vector<std::vector<long double>> tail_;  // [r][g]: r more breakpoints above cell g
  // The state of one call.
  long double* best_ = nullptr;
  std::vector<long double>* bestU_ = nullptr;
  int fixedIndex_ = -1, fixedCell_ = -1;
  long double fixedU_ = 0;
  int cells_[3] = {0, 0, 0};
  long long solved_ = 0;
};

// Moves each breakpoint (scaled, ascending) continuously within its neighbouring intervals while
// the residual sum falls, keeping at least `minPerSegment` data sets per segment and the
// breakpoints within [low, high] (scaled); the breakpoint at `fixedIndex` (if any) stays.
// Returns the residual sum reached (infinity when the starting place is not admissible).
long double RefineBreakpoints(const BrokenLineData& data, std::vector<long double>& u,
                              int minPerSegment, long double low, long double high,
                              int fixedIndex = -1);

}  // namespace vornax
