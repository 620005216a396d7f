// The permutation test for the existence of a break.
//
// The type choice tests each candidate type at the chosen confidence, but it tries a hundred
// breakpoints, two methods and five types, so on data without any break it still finds one far
// more often than the confidence level suggests. This test takes the whole search into account:
// Y is shuffled over the X values many times, the same search with the same options runs on each
// shuffle, and the extra explanation of a break (the coefficient of explanation of the chosen
// type minus that of the straight line; 0 when the search ends with type 0 or 1) is compared with
// the observed one. p = (1 + number of shuffles reaching the observed value) / (shuffles + 1).
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

#include "data/RunResult.h"
#include "data/SplitMix64.h"
#include "regression/SegmentEngine.h"
#include "regression/TwoVariable.h"

namespace vornax {

struct BreakTestOptions {
  int Permutations = 999;
  uint64_t Seed = 1;
  int Threads = 2;
  // Sequential stopping (Besag and Clifford): with StopAfter = h > 0 the shuffles stop as soon
  // as h of them, counted in their order, reached the observed value, and p = h / (shuffles
  // made). A test that is clearly not significant then ends after a few dozen shuffles; one that
  // is significant makes all of them and gives the usual p. 0: always make every shuffle.
  int StopAfter = 0;
  // Shuffles whose statistic clearly cannot reach the observed value are counted from a quick
  // bound instead of a search; the count is the same either way. false searches every shuffle
  // (kept to check exactly that).
  bool Bound = true;
  // Called now and then from the calling thread with the shuffles done so far and the seconds
  // spent; the caller decides whether it is worth a line.
  std::function<void(int done, int total, double seconds)> Progress;
  // Asked between shuffles, from the worker threads (so it must be safe to call from several
  // threads at once, as reading an atomic flag is); when it answers true the test stops and its
  // result says Cancelled, not Done.
  std::function<bool()> Cancelled;
};

// The search's statistic for one data set: Y and X in ascending order of X.
struct BreakSearchSetup {
  double ConfidenceT = 1.75;
  int PreferredType = -1;
  int ExcludedType = 0;
  double StartSERC1 = 0, StartSERC2 = 0;
  int StartOptMethod = 1;
  // The range the run's search kept to: each shuffle is searched over the same candidates.
  std::optional<double> SearchLow, SearchHigh;
  // The whole search as the report runs it (every coefficient made exact, the engine settled)
  // instead of the decision alone; the statistic is the same, which is what this is kept to check.
  bool FullSearch = false;
};
double ExtraExplanationOfBreak(const std::vector<long double>& y, const std::vector<long double>& x,
                               const BreakSearchSetup& setup);
// The same on an engine kept from one data set to the next, as each of the test's workers keeps
// one: it gives what a new engine gives, and saves the memory of its tables.
double ExtraExplanationOfBreak(SegmentEngine& engine, const long double* y, const long double* x,
                               int n, const BreakSearchSetup& setup);

// The same for a two-variable run on y, x and z in the order entered: the share of what the
// least-squares plane of Y on X and Z leaves that the two stages with their breakpoints explain;
// 0 when neither stage has a breakpoint.
double ExtraExplanationOfBreaks(const std::vector<long double>& y,
                                const std::vector<long double>& x,
                                const std::vector<long double>& z,
                                const TwoVariableChoices& choices,
                                const RegressionCarryOver& start);

// The same for a partial regression on y and x in ascending order of x: the share of what the
// straight line leaves that the function with its level stretch explains; 0 when no level
// stretch is found.
double ExtraExplanationOfLevelStretch(const std::vector<long double>& y,
                                      const std::vector<long double>& x, double confidenceT);

// True when the run found a break that the test can judge (segmented runs of one or two
// variables, and a partial regression that found a level stretch), by a search: never for a
// breakpoint the user fixed.
bool BreakTestApplies(const RunResult& result);

// Runs the test on the data table of `result`. The shuffles depend only on the seed and their
// number, not on the number of threads, so a run can be repeated exactly; a test stopped early
// stops after the same shuffle whatever the threads.
BreakTestResult RunBreakTest(const RunResult& result, const BreakTestOptions& options);

}  // namespace vornax
