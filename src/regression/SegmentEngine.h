// The segmented-regression engine: the statistics of two segments split at a breakpoint, the
// evaluation of one candidate breakpoint for one function type and method, the acceptance tests
// of the types, and the one-variable breakpoint search.
//
// The engine reads Y and X through pointers set by Attach(), so the one-variable analysis, the
// two-variable stages (residuals on the other variable) and the partial regression all use the
// same code on their own arrays. Segment 1 holds the data sets with X < BP, segment 2 those with
// X >= BP; arrays indexed [1] and [2] follow that numbering ([0] is unused).
//
// Nothing in an evaluation allocates: the working values are members, sized once.
//
// The searches evaluate their candidates in constant time: the residual sums about the final
// lines come from the segment statistics instead of a pass over the data, together with a bound
// on how far they can lie from what the pass gives. Every decision of the search (the acceptance
// tests of types 2 and 6, the slope margins that read the standard errors of the preceding
// evaluation, the comparisons of coefficients of explanation) is taken at both ends of that bound;
// where the two ends disagree, the pass decides. So a search chooses exactly as one passing over
// the data for every candidate, and every number it hands on is the pass's own.
#pragma once

#include <array>
#include <cstddef>
#include <limits>
#include <optional>
#include <span>
#include <utility>
#include <vector>

namespace vornax {

// Type codes handed to and returned by an evaluation.
enum TypeCode : int {
  kTypeHorizontal = 0,  // single horizontal line
  kTypeSingle = 1,      // single sloping line (also the fall-back)
  kType2 = 2,           // returned in place of kSearchType2 when accepted
  kType3 = 3,
  kType4 = 4,
  kType5 = 5,
  kType6 = 6,  // returned in place of kSearchType6 when accepted
  kSearchType2 = 20,
  kSearchType6 = 60,
};

struct SegmentSums {
  long double N = 0, SumY = 0, SumX = 0, SumYY = 0, SumXX = 0, SumXY = 0;
  bool operator==(const SegmentSums&) const = default;
};

// All zero unless the segment holds at least three data sets; only N always holds the count, since
// the error routine's small-count substitutes depend on it.
struct SegmentStats {
  long double N = 0, AvY = 0, AvX = 0, Syy = 0, Sxx = 0, Sxy = 0;
  long double RC = 0, CC = 0, CCsq = 0, C = 0;
  long double StDevY = 0, SSD = 0, StDevYr = 0, StDevX = 0, StDevRC = 0;
};

// Values that carry over from one evaluation to the next and from one run to the next: the
// slope standard errors that the margins of types 3, 4 and 5 read before an evaluation refreshes
// them, and the optimal method. Kept outside the engine so that a new engine continues where the
// previous run left off.
struct RegressionCarryOver {
  double SERC1 = 0, SERC2 = 0;
  int OptMethod = 1;
};

class SegmentEngine {
 public:
  // ---- inputs ----
  // Points the engine at n data sets (not copied; the arrays must outlive the engine's use).
  // When X is ascending, Attach also keeps running sums so that a split costs a binary search
  // and a few additions; call Attach again after changing the contents of the arrays.
  void Attach(const long double* y, const long double* x, int n);
  double ConfidenceT = 1.75;
  double Xmin = 0, Xmax = 0;  // of the attached X, set by the driver (FindExtremes)
  int OptMethod = 1;          // the optimal method of the last search (carries over)
  // false makes the searches pass over the data for every candidate (the slow way, kept to check
  // that both decide alike).
  bool ClosedFormSearch = true;
  // true while a search only has to decide (the break test's shuffles): the error routine then
  // stops after the slope errors, which are all that the decisions read, and leaves the
  // breakpoint's error terms of the report as they were.
  bool DecisionsOnly = false;

  // ---- segment statistics ----
  std::array<SegmentSums, 3> Sums{};
  std::array<SegmentStats, 3> Stats{};

  // ---- final lines: Yc = (X - AnchorX[s]) * Slope[s] + AnchorY[s] ----
  std::array<double, 3> Slope{}, AnchorX{}, AnchorY{}, SSDFinal{};

  // Totals of the evaluation without breakpoint (set by type codes 0 and 1).
  long double SRYsqT = 0, TotalSxx = 0;

  // ---- results of the error routine ----
  std::array<double, 3> VarRC{}, SERC{};
  double SEBP = 0, SDYbp = 0, SESlope = 0, SSDt = 0, XavAll = 0;
  double VarRatioTerm = 0, InterceptDiff = 0, InvSlopeDiffSq = 0, VarC1 = 0, VarC2 = 0;
  double SEDiffSlopes = 0;

  // Margins and bounds of the last evaluation (step 7, refreshed for the type 2 and 6 tests).
  double M1 = 0, M2 = 0, U1 = 0, U2 = 0;

  // ---- primitives ----
  void AccumulateSegments(double bp);
  void ComputeSegmentStats();
  void LoadFinalLines();
  void ComputeFinalSSD(double bp);  // sets SSDFinal (does not add to earlier values)
  double ExplanationCoefficient() const;  // 0 when Y does not vary (nothing to explain)
  double SlopeMargin(int s) const;  // |Slope[s]| - ConfidenceT * SERC[s]
  double StDevDiffYav() const;
  double MinSegmentCount() const;  // 0.1 * (N1 + N2), at least 5
  void ComputeBreakpointErrors(int typeCode, int method, double bp);

  // The constrained lines of type codes 20 (or 2), 3, 4 and 5 for a method, with their guards
  // (a type-2 guard changes typeCode to 1). Used by the evaluation and by the report.
  void BuildConstrainedLines(int& typeCode, int method, double bp);

  // One candidate breakpoint for one type code and method. May move bp to Xmin (fall-back to
  // the single line, typeCode 1) and may turn 20 into 2 or 60 into 6 when the type is accepted.
  void EvaluateBreakpoint(double& bp, double& ce, int& typeCode, int method);

  // A coefficient of explanation found by a search candidate. While it comes from the closed
  // form, the pass over the data would give some value in [Lo, Hi]; the record of the candidate's
  // lines lets the pass give it exactly when a comparison cannot be decided otherwise.
  struct CandidateCE {
    double Value = 0, Lo = 0, Hi = 0;
    bool Exact = true;
    bool Recorded = false;  // the fields below describe the candidate
    // The lines and split of the candidate, and its residual sums (exact where Known).
    int Split = 0;
    long double Limit = 0, SRYsqT = 0;
    std::array<double, 3> Slope{}, AnchorX{}, AnchorY{}, SSD{};
    std::array<bool, 3> Known{};
    // Factors applied to the value in this order (thresholds such as 1.5 times a maximum).
    std::array<double, 4> Factors{};
    int FactorCount = 0;
    static CandidateCE Of(double value) {
      CandidateCE c;
      c.Value = c.Lo = c.Hi = value;
      return c;
    }
    // This value times f, as the double product of the exact value with f will be.
    CandidateCE Times(double f) const;
  };

  // One candidate of a search: as EvaluateBreakpoint decides, from the segment statistics in
  // constant time. The engine is left unsettled: Settle() before reading its members directly.
  void EvaluateCandidate(double& bp, CandidateCE& ce, int& typeCode, int method);
  // Whether a > b as the pass over the data would decide; may make either exact.
  bool Exceeds(CandidateCE& a, CandidateCE& b) const;
  // The value the pass over the data gives.
  double ExactValue(CandidateCE& a) const;
  // The residual sum of segment s about its current final line from the segment statistics
  // (after ComputeSegmentStats), in constant time, with an interval [lo, hi] that holds what
  // ComputeFinalSSD gives. False where the segment is too small for the closed form to pay (the
  // pass then costs as little).
  bool ClosedFormResidual(int s, long double& value, long double& lo, long double& hi) const;
  // The coefficient of explanation of the final lines now in place (after the split, the
  // statistics and the lines), from the closed form in constant time: a recorded candidate whose
  // exact value is what ComputeFinalSSD and ExplanationCoefficient would give. Changes no member,
  // so evaluations of one's own (without acceptance tests) can run a scan on it.
  void ClosedFormCandidate(CandidateCE& ce) const;
  // Makes every member what the pass over the data would have left after the last evaluation.
  void Settle();
  // How many data sets the residual sums have visited since Attach (a measure of the work).
  long long ResidualVisits() const { return visits_; }

  // Smallest and largest attached X (starting from the first value, so any magnitude works).
  // Xmin is rounded down and Xmax up to the nearest double, so that BP = Xmin puts every data
  // set in segment 2 even when X holds values that no double represents exactly.
  void FindExtremes();
  // The same extremes of any n values, without an engine attached to them.
  static std::pair<double, double> ExtremesOf(const long double* x, int n);

  // What the lines of each type and method can explain at most at each of the candidates
  // (sorted data only): the closed form of the lines each builds, from running sums about the
  // averages, raised by a margin well above the rounding of those sums and of the lines the
  // engine holds in doubles; never below 0, which a rejected candidate counts; +Inf where
  // nothing can be said. Type 6 takes each side's least-squares line, which its lines never
  // beat. Below and Above count the data sets on either side of the candidate.
  static constexpr int kCeilingSlots = 8;
  static constexpr int CeilingSlot(int type, int method) {
    return type == kType2 ? method - 1 : type == kType3 ? 1 + method : type == kType4 ? 3 + method
                                                                      : type == kType5 ? 6 : 7;
  }
  struct Ceiling {
    int Below = 0, Above = 0;
    std::array<double, kCeilingSlots> CE{};
  };
  // False (and nothing written) for data not in ascending order of X.
  bool TypeCeilings(std::span<const double> candidates, std::vector<Ceiling>& out) const;

  RegressionCarryOver CarryOver() const;
  void Restore(const RegressionCarryOver& carry);

 private:
  // Running sums of Y, X, Y*Y, X*X, X*Y (N is the index itself).
  struct RunningSums {
    long double SumY = 0, SumX = 0, SumYY = 0, SumXX = 0, SumXY = 0;
  };
  // Index of the first data set with X >= bp (sorted data only).
  int SplitIndex(double bp) const;
  void Add(RunningSums& sums, int i) const;
  // The sums of data sets 0 .. k-1 (a) and k .. n-1 (b) of sorted data, each as a direct loop
  // over it would give them.
  void SumsAround(int k, RunningSums& a, RunningSums& b) const;

  // Sum of squared deviations of segment s about the line (ax, slope, ay), for the segment of a
  // split: data sets split .. n-1 (or 0 .. split-1) for sorted data, else those X (not) below
  // the limit. The one pass that every residual sum of the engine goes through.
  long double ResidualSum(int s, int split, long double limit, double ax, double slope,
                          double ay) const;
  // VarRC of segment s for a residual sum (the substitute when the count or Sxx forbids it).
  static long double SlopeVariance(double ssd, const SegmentStats& stats);
  // Whether the tests of type code 20 or 60 accept, given the slope errors and residual sums.
  bool TypeHolds(int typeCode, double bp, double serc1, double serc2, double ssd1, double ssd2,
                 bool countsOk) const;
  // Steps 1 to 13 of an evaluation; with `found`, from the closed form. False when a decision
  // of types 2 or 6 could not be taken from the closed form (the lines are then in place and
  // FinishEvaluation can run again with the pass).
  void StartEvaluation(double& bp, int& typeCode, int method, bool closed);
  bool FinishEvaluation(double bp, double& ce, int& typeCode, int method, CandidateCE* found);
  // Makes the carried slope errors exact when they came from the closed form.
  void RefineCarriedErrors();
  bool CarriedErrorsExact() const;

  // The magnitudes that bound the rounding of each segment's statistics: the sums of squares
  // they were taken from (raw, or deviations from the first data set) and the offset added back.
  struct StatScale {
    long double yy = 0, xx = 0, offY = 0, offX = 0;
    // What the closed form's bound takes from these alone (set with the statistics, so that
    // every candidate on the same split reads them instead of taking their roots again).
    long double eyy = 0, exx = 0, exy = 0, eay = 0, eax = 0;
  };
  std::array<StatScale, 3> scale_{};
  // Where the scales of the split now in place are: scale_ (-1), or the record of a split met
  // before (its slot), which saves copying them.
  std::ptrdiff_t scaleSlot_ = -1;

  // A run of the error routine on residual sums from the closed form: what the pass needs to
  // run it again exactly. `exact` once everything it wrote is the pass's; `sercExact` once its
  // slope errors are (the margins of the next evaluation read those alone).
  struct ErrorRun {
    bool exact = true, sercExact = true;
    long long serial = 0;
    int typeCode = 0, method = 0;
    double bp = 0;
    std::array<double, 3> serc{}, lo{}, hi{};
    int split = 0;
    long double limit = 0;
    std::array<double, 3> slope{}, anchorX{}, anchorY{}, ssd{};
    std::array<bool, 3> known{};
    std::array<SegmentStats, 3> stats{};
  };
  // Runs the error routine again for `run` from the pass's sums, with its statistics and lines
  // in place, and puts the current ones back.
  void RerunErrors(ErrorRun& run);
  // The last run (whose slope errors carry into the next evaluation), and the last runs that
  // wrote the terms of type 2 and of types 3 and 4, which later runs of other types keep.
  ErrorRun carried_, type2Run_, type34Run_;
  long long serial_ = 0;
  mutable long long visits_ = 0;
  // The last evaluation when it took its residual sums from the closed form.
  struct Pending {
    bool active = false, errorsRan = false;
    int typeCode = 0, method = 0;
    double bp = 0;
    std::array<bool, 3> known{};
  };
  Pending pending_;

  // Deviations of one segment's data sets from the first of them: their sums, and that first
  // data set. The statistics are taken from these rather than from the raw sums, whose
  // SumYY - N*AvY^2 cancels away every digit when Y varies little against its size.
  struct Deviations {
    long double y0 = 0, x0 = 0;
    long double dy = 0, dx = 0, dyy = 0, dxx = 0, dxy = 0;
  };
  Deviations SegmentDeviations(int s) const;

  // Where the last AccumulateSegments split the data: the index for sorted data, the
  // breakpoint itself otherwise.
  int split_ = 0;
  long double splitLimit_ = 0;

  // The statistics of the splits met since Attach (sorted data only). A search tries the same
  // hundred breakpoints for every type and method, and a split's sums and statistics depend on
  // the data and the breakpoint alone, so each is taken once and copied after: the same values
  // as taking them again. Open addressing on the breakpoint, emptied by Attach (generation). The
  // records themselves are made as splits are met (a record is large, and an engine that fits
  // one small data set meets far fewer splits than there are slots) and reused after Attach.
  struct SplitRecord {
    int split = 0;       // -1 until the split is known
    bool hasStats = false;
    std::array<SegmentSums, 3> sums{};
    std::array<SegmentStats, 3> stats{};
    std::array<StatScale, 3> scale{};
  };
  struct SplitSlot {
    unsigned generation = 0;
    double bp = 0;
    std::size_t record = 0;  // in splits_
  };
  static constexpr std::size_t kSplitSlots = 256;  // a power of two, over twice the candidates
  std::vector<SplitSlot> slots_;
  std::vector<SplitRecord> splits_;  // never beyond kSplitSlots / 2, so records stay in place
  unsigned generation_ = 1;
  std::size_t splitsUsed_ = 0;
  SplitRecord* splitSlot_ = nullptr;  // where the statistics of the split now in place belong
  bool splitKnown_ = false;           // the slot already holds them
  SplitRecord* FindSplit(double bp);

  const long double* y_ = nullptr;
  const long double* x_ = nullptr;
  int n_ = 0;
  bool sorted_ = false;
  // Kept at every kBlock-th data set: prefix_[b] holds data sets 0 .. b*kBlock-1 summed
  // upwards, suffix_[b] data sets b*kBlock .. n-1 summed downwards. A segment continues from
  // the nearest entry, so it carries exactly the rounding of a direct loop over it and is never
  // a difference of two sums (which would cancel).
  // The entries are kept at every block_-th data set, block_ being the smallest power of two
  // that keeps both lists within kSumsBudget bytes: every data set for small N, so that a split
  // costs no additions at all, and at most a few dozen for the largest.
  static constexpr std::size_t kSumsBudget = 256 * 1024;
  int block_ = 1;
  std::vector<RunningSums> prefix_, suffix_;
};

// What the one-variable search decides.
struct BreakpointSearchResult {
  double CE1 = 0;
  double CE3M = 0, CE4M = 0, CE5M = 0, CE2M = 0, CE6M = 0;
  double BPopt = 0;
  double CEopt = 0;  // the coefficient of explanation of the found type at BPopt
  // The highest coefficient of explanation an accepted candidate of each type reached, whatever
  // the threshold it had to beat (index = type; 0 where no candidate was accepted; [1] = CE1).
  std::array<double, 7> TypeCE{};
  int FoundType = 1;
  int OptMethod = 1;
  // false when a type was preferred and the search found another one.
  bool PreferredFound = true;
};

struct BreakpointSearchOptions {
  int PreferredType = -1;  // -1 none, else 1 to 6
  int ExcludedType = 0;    // 0 none, else 2 to 6
  // A breakpoint given by the user: the search tries it alone, under the same rules.
  std::optional<double> FixedBreakpoint;
  // Otherwise only the candidates within [RangeLow, RangeHigh] are tried.
  double RangeLow = -std::numeric_limits<double>::infinity();
  double RangeHigh = std::numeric_limits<double>::infinity();
  // Only the decision and what the break test's statistic reads (CE1, CEopt, the found type
  // and whether it was the preferred one): the same candidates and tests, but the error routine
  // stops after the slope errors, the other coefficients of the result stay 0, and the engine is
  // left unsettled (Attach it again before any other use).
  bool StatisticOnly = false;
};

// The candidate breakpoints of a variable: its minimum and then 99 more, a hundredth of the range
// apart (the maximum is never a candidate). An evaluation that falls back to the single line
// moves its entry to the minimum for good.
constexpr int kBreakpointCandidates = 100;
using BreakpointCandidates = std::array<double, kBreakpointCandidates>;
BreakpointCandidates MakeBreakpointCandidates(double xmin, double xmax);
// The candidates a search with these options tries: the fixed breakpoint alone, or those of
// MakeBreakpointCandidates within the range (none when the range holds none).
std::vector<double> SearchCandidates(double xmin, double xmax,
                                     const BreakpointSearchOptions& options);

// One pass of a type (3, 4, 5, 2 or 6) and a method over the candidates, in order. A candidate
// replaces the best when its coefficient of explanation beats `best` strictly and the type holds
// there (types 3 to 5: the candidate lies above the minimum; types 2 and 6: the evaluation
// accepted the type). Ties keep the earlier candidate. True when some candidate replaced the
// best; `best` and `bestBP` then hold the last replacement. `typeBest`, when given, is raised to
// the highest coefficient of any candidate for which the type holds, whatever the threshold.
// The engine is left as the pass over the data would leave it after the last candidate.
bool SearchPass(SegmentEngine& engine, std::span<double> candidates, int type, int method,
                double& best, double& bestBP, double* typeBest = nullptr);

// SearchPass for a search of several passes: `best` and `typeBest` may stay as the closed form
// found them, and the engine unsettled, until the search ends (ExactValue, Settle).
bool ScanCandidates(SegmentEngine& engine, std::span<double> candidates, int type, int method,
                    SegmentEngine::CandidateCE& best, double& bestBP,
                    SegmentEngine::CandidateCE* typeBest = nullptr);

// The search over types 3, 4, 5, 2 and 6 with methods and 100 candidates, on an engine attached
// to data sorted by X whose Xmin and Xmax are set. The optimal method is also left in the
// engine's carry-over.
BreakpointSearchResult SearchBreakpoint(SegmentEngine& engine,
                                        const BreakpointSearchOptions& options);

}  // namespace vornax
