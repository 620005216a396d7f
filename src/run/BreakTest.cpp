// The permutation test of the break: shuffles of Y over X, each searched as the run was.
#include "run/BreakTest.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <chrono>
#include <cmath>
#include <condition_variable>
#include <limits>
#include <mutex>
#include <numeric>
#include <optional>
#include <thread>

#include "partial/PartialScan.h"
#include "run/BreakBound.h"
#include "run/TwoVariableBound.h"
#include "regression/LeastSquaresFit.h"
#include "regression/SegmentEngine.h"
#include "regression/TwoVariable.h"

namespace vornax {
namespace {

// The generator of shuffle i: its own stream, so shuffles can be made in any order.
SplitMix64 StreamFor(uint64_t seed, int i) {
  SplitMix64 mix(seed ^ (0xD1B54A32D192ED03ULL * (static_cast<uint64_t>(i) + 1)));
  return SplitMix64(mix.Next());
}

// The Fisher-Yates shuffle of the test: position k (from the last down) swaps with the one
// drawn from k + 1. The draws do not depend on the values, so they are made a few steps ahead
// and their places fetched while the swaps before them run: on a million values the swaps wait
// on memory, not on the generator.
template <class T>
void Shuffle(std::vector<T>& values, SplitMix64 rng) {
  const size_t n = values.size();
  if (n < 2) return;
  constexpr size_t kAhead = 16;
  std::array<size_t, kAhead> drawn{};
  size_t ahead = n - 1;  // the next position whose partner is still to be drawn
  auto draw = [&](size_t slot) {
    drawn[slot] = static_cast<size_t>(rng.Below(ahead + 1));
    __builtin_prefetch(&values[drawn[slot]], 1);
    --ahead;
  };
  for (size_t a = 0; a < kAhead && ahead > 0; ++a) draw(a);
  for (size_t k = n - 1, step = 0; k > 0; --k, ++step) {
    const size_t slot = step % kAhead;
    std::swap(values[k], values[drawn[slot]]);
    if (ahead > 0) draw(slot);
  }
}

// The options of the search a setup describes.
BreakpointSearchOptions SearchOptionsOf(const BreakSearchSetup& setup) {
  BreakpointSearchOptions options;
  options.PreferredType = setup.PreferredType;
  options.ExcludedType = setup.ExcludedType;
  if (setup.SearchLow) options.RangeLow = *setup.SearchLow;
  if (setup.SearchHigh) options.RangeHigh = *setup.SearchHigh;
  return options;
}

}  // namespace

double ExtraExplanationOfBreak(SegmentEngine& engine, const long double* y, const long double* x,
                               int n, const BreakSearchSetup& setup) {
  // Attached afresh, the engine starts from the same carried values as a new one; only the
  // memory of its tables is kept.
  engine.Attach(y, x, n);
  engine.ConfidenceT = setup.ConfidenceT;
  engine.Restore(RegressionCarryOver{setup.StartSERC1, setup.StartSERC2, setup.StartOptMethod});
  engine.FindExtremes();
  BreakpointSearchOptions options = SearchOptionsOf(setup);
  options.StatisticOnly = !setup.FullSearch;
  const BreakpointSearchResult r = SearchBreakpoint(engine, options);
  if (!r.PreferredFound || r.FoundType < kType2) return 0;
  // The share of what the straight line leaves unexplained that the break explains.
  const double room = 1 - r.CE1;
  return room > 0 ? (r.CEopt - r.CE1) / room : 0;
}

double ExtraExplanationOfBreak(const std::vector<long double>& y, const std::vector<long double>& x,
                               const BreakSearchSetup& setup) {
  SegmentEngine engine;
  return ExtraExplanationOfBreak(engine, y.data(), x.data(), static_cast<int>(std::min(y.size(), x.size())),
                        setup);
}

namespace {

// The statistic of a two-variable run on X and Z sorted before.
double ExtraExplanationOfBreaks(const std::vector<long double>& y,
                                const std::vector<long double>& x,
                                const std::vector<long double>& z, const SortedVariable& sortedX,
                                const SortedVariable& sortedZ, const TwoVariableChoices& choices,
                                const RegressionCarryOver& start) {
  const int n = static_cast<int>(std::min({y.size(), x.size(), z.size()}));
  RegressionCarryOver carry = start;
  TwoVariableResult r;
  if (AnalyseTwoVariables(y.data(), x.data(), z.data(), sortedX, sortedZ, n, choices, carry, r))
    return 0;
  if (r.First.Type < kType2 && r.Second.Type < kType2) return 0;
  // Against the least-squares plane of Y on X and Z: the share of what it leaves that the stages
  // with their breakpoints explain.
  const double room = 1 - r.PlaneCE;
  return room > 0 ? (r.OverallCE - r.PlaneCE) / room : 0;
}

}  // namespace

double ExtraExplanationOfBreaks(const std::vector<long double>& y,
                                const std::vector<long double>& x,
                                const std::vector<long double>& z,
                                const TwoVariableChoices& choices,
                                const RegressionCarryOver& start) {
  const int n = static_cast<int>(std::min({y.size(), x.size(), z.size()}));
  return ExtraExplanationOfBreaks(y, x, z, SortVariable(x.data(), n), SortVariable(z.data(), n),
                                  choices, start);
}

double ExtraExplanationOfLevelStretch(const std::vector<long double>& y,
                                      const std::vector<long double>& x, double confidenceT) {
  const int n = static_cast<int>(std::min(y.size(), x.size()));
  SegmentEngine engine;
  engine.Attach(y.data(), x.data(), n);
  engine.ConfidenceT = confidenceT;
  engine.FindExtremes();
  if (n < 3 || engine.Xmax - engine.Xmin < 0.001) return 0;
  const PartialResult r = RunPartialScan(engine, y.data(), x.data(), n);
  if (!r.HorizontalFound() || !(r.SRYsqT > 0)) return 0;
  const double line = 1 - r.SSDSingle / r.SRYsqT;
  const double room = 1 - line;
  return room > 0 ? (r.Final.CE - line) / room : 0;
}

bool BreakTestApplies(const RunResult& result) {
  if (!result.Valid || !result.HasBreakpoint || result.X.size() < 3) return false;
  // A breakpoint given by the user was not searched for: the ANOVA's F test judges it.
  if (result.FixedBreakpoint) return false;
  return result.Analysis == "one-variable" || result.Analysis == "partial" ||
         (result.Analysis == "two-variable" && result.Z.size() == result.X.size());
}

BreakTestResult RunBreakTest(const RunResult& result, const BreakTestOptions& options) {
  BreakTestResult test;
  test.Seed = options.Seed;
  if (!BreakTestApplies(result) || options.Permutations < 1) return test;

  const bool twoVariables = result.Analysis == "two-variable";
  const size_t n = std::min(result.X.size(), result.Y.size());
  // A one-variable table is in ascending order of the analysed variable, as the search needs;
  // a two-variable table is in the order entered and the analysis sorts its own copies.
  const std::vector<long double> x(result.X.begin(), result.X.begin() + static_cast<long>(n));
  const std::vector<long double> y(result.Y.begin(), result.Y.begin() + static_cast<long>(n));
  std::vector<long double> z;
  if (twoVariables) z.assign(result.Z.begin(), result.Z.begin() + static_cast<long>(n));

  BreakSearchSetup setup;
  setup.ConfidenceT = result.ConfidenceT;
  setup.PreferredType = result.PreferredType;
  setup.ExcludedType = result.ExcludedType;
  setup.StartSERC1 = result.StartSERC1;
  setup.StartSERC2 = result.StartSERC2;
  setup.StartOptMethod = result.StartOptMethod;
  setup.SearchLow = result.SearchLow;
  setup.SearchHigh = result.SearchHigh;
  TwoVariableChoices choices;
  choices.ConfidenceT = result.ConfidenceT;
  choices.PreferredTypeX = result.PreferredType;
  choices.PreferredTypeZ = result.PreferredTypeZ;
  choices.ExcludedTypeX = result.ExcludedType;
  choices.ExcludedTypeZ = result.ExcludedTypeZ;
  const RegressionCarryOver carried{result.StartSERC1, result.StartSERC2, result.StartOptMethod};
  const bool partial = result.Analysis == "partial";
  // X and Z stay where they are in every shuffle: sorted once.
  SortedVariable sortedX, sortedZ;
  if (twoVariables) {
    sortedX = SortVariable(x.data(), static_cast<int>(n));
    sortedZ = SortVariable(z.data(), static_cast<int>(n));
  }
  auto statistic = [&](SegmentEngine& engine, const std::vector<long double>& values) {
    if (twoVariables)
      return ExtraExplanationOfBreaks(values, x, z, sortedX, sortedZ, choices, carried);
    if (partial) return ExtraExplanationOfLevelStretch(values, x, result.ConfidenceT);
    return ExtraExplanationOfBreak(engine, values.data(), x.data(), static_cast<int>(n), setup);
  };
  // The observed value is taken by the same code from the same 64-bit table as the shuffles,
  // so that the unshuffled order counts exactly as one of them would.
  SegmentEngine observing;
  const double observed = statistic(observing, y);

  // What is shuffled is what the fit without breaks leaves (the straight line, or the plane of
  // X and Z): a break is judged against that fit, not against no relation at all. Shuffling Y
  // itself would destroy the slope too, and a strong trend with a clear break would then look
  // like chance, because the little the line leaves over is small beside what a break gains on
  // shuffled data.
  const std::vector<long double> fitted =
      twoVariables ? LeastSquaresFit(y.data(), static_cast<int>(n), {x.data(), z.data()})
                   : LeastSquaresFit(y.data(), static_cast<int>(n), {x.data()});
  std::vector<long double> residual(n);
  for (size_t i = 0; i < n; ++i) residual[i] = y[i] - fitted[i];

  // The bounds settle the shuffles that clearly fall short of the observed value. Their
  // statistic is that of the shuffled residuals alone, the fitted values being a straight line
  // in X (one variable and partial runs, X ascending) or a plane in X and Z.
  std::optional<BreakBound> bound;
  std::optional<TwoVariableBound> planeBound;
  std::vector<float> residualF;
  std::vector<double> residualD;
  if (options.Bound && n >= 7) {
    const int count = static_cast<int>(n);
    if (twoVariables) {
      planeBound.emplace(x.data(), z.data(), count, sortedX, sortedZ,
                         RoundingOf(fitted, residual, {x.data(), z.data()}));
      residualD.assign(residual.begin(), residual.end());
    } else if (std::is_sorted(x.begin(), x.end())) {
      bound.emplace(x.data(), count,
                    partial ? PlacesWhereXChanges(x.data(), count)
                            : CandidateSplits(x.data(), count, SearchOptionsOf(setup)),
                    RoundingOf(fitted, residual, {x.data()}));
      residualF.assign(residual.begin(), residual.end());
    }
  }

  const int total = options.Permutations;
  const int stopAfter = std::max(options.StopAfter, 0);
  std::atomic<int> next{0}, done{0}, reached{0}, bounded{0};
  std::atomic<bool> cancelled{false};
  std::mutex mutex;
  std::condition_variable finished;
  // The sequential rule reads the shuffles in their order, whichever thread made them: what
  // each gave (0 not yet known, 1 below the observed value, 2 reached it), how many lead the
  // list known, how many of those reached it, and where the shuffles stop.
  std::vector<unsigned char> outcome(stopAfter > 0 ? static_cast<size_t>(total) : 0);
  int known = 0, reachedInOrder = 0;
  std::atomic<int> limit{total};
  auto record = [&](int i, bool reachedIt) {
    std::lock_guard<std::mutex> lock(mutex);
    outcome[static_cast<size_t>(i)] = reachedIt ? 2 : 1;
    while (known < limit.load() && outcome[static_cast<size_t>(known)] != 0) {
      if (outcome[static_cast<size_t>(known++)] == 2 && ++reachedInOrder == stopAfter) {
        limit = known;
        finished.notify_all();
        break;
      }
    }
    if (known == total) finished.notify_all();
  };
  auto work = [&]() {
    std::vector<long double> shuffled(n);
    std::vector<size_t> order(n);
    SegmentEngine engine;
    std::optional<BreakBound> myBound = bound;
    std::optional<TwoVariableBound> myPlaneBound = planeBound;
    std::vector<float> shuffledF(myBound ? n : 0);
    std::vector<double> shuffledD(myPlaneBound ? n : 0);
    int mine = 0;
    for (int i = next++; i < limit.load(); i = next++) {
      if (cancelled.load() || (options.Cancelled && options.Cancelled())) {
        // Wake the watcher: the shuffles left will never be counted as done.
        cancelled = true;
        std::lock_guard<std::mutex> lock(mutex);
        finished.notify_all();
        break;
      }
      // The shuffle of the residuals as the bound reads them, judged by it.
      auto judge = [&](auto& judging, const auto& source, auto& shuffledCopy) {
        std::copy(source.begin(), source.end(), shuffledCopy.begin());
        Shuffle(shuffledCopy, StreamFor(options.Seed, i));
        return judging.Below(shuffledCopy.data(), observed);
      };
      const bool settled = myBound        ? judge(*myBound, residualF, shuffledF)
                           : myPlaneBound ? judge(*myPlaneBound, residualD, shuffledD)
                                          : false;
      if (settled) ++bounded;
      bool reachedIt = false;
      if (!settled) {
        std::iota(order.begin(), order.end(), size_t{0});
        Shuffle(order, StreamFor(options.Seed, i));
        for (size_t k = 0; k < n; ++k) shuffled[k] = fitted[k] + residual[order[k]];
        reachedIt = statistic(engine, shuffled) >= observed;
      }
      if (reachedIt) ++mine;
      if (stopAfter > 0) {
        ++done;
        record(i, reachedIt);
      } else if (++done == total) {
        std::lock_guard<std::mutex> lock(mutex);
        finished.notify_all();
      }
    }
    reached += mine;
  };
  // All shuffles made, or the sequential rule has its count among the first ones.
  auto over = [&] {
    if (stopAfter > 0) return known >= limit.load();
    return done.load() >= total;
  };

  const auto start = std::chrono::steady_clock::now();
  const int threads = std::clamp(options.Threads, 1, 64);
  if (threads == 1) {
    work();
  } else {
    // The workers share the shuffles; this thread only watches them and reports progress.
    std::vector<std::thread> pool;
    for (int t = 0; t < threads; ++t) pool.emplace_back(work);
    {
      std::unique_lock<std::mutex> lock(mutex);
      while (!finished.wait_for(lock, std::chrono::milliseconds(500),
                                [&] { return over() || cancelled.load(); })) {
        if (!options.Progress) continue;
        const double seconds =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        options.Progress(done.load(), total, seconds);
      }
    }
    for (std::thread& t : pool) t.join();
  }

  if (cancelled.load()) {
    test.Cancelled = true;
    return test;
  }
  test.Done = true;
  test.Observed = observed;
  test.StopAfter = stopAfter;
  test.SettledByBound = bounded.load();
  const int made = limit.load();
  if (stopAfter > 0 && made < total) {
    // Stopped at the shuffle that brought the count: p = h / l.
    test.StoppedEarly = true;
    test.Permutations = made;
    test.AtLeastAsLarge = stopAfter;
    test.P = static_cast<double>(stopAfter) / made;
    return test;
  }
  test.Permutations = total;
  // Shuffles made past the stopping point by another thread were not counted in order; the
  // count in order holds every shuffle when none was stopped.
  test.AtLeastAsLarge = stopAfter > 0 ? reachedInOrder : reached.load();
  test.P = (1.0 + test.AtLeastAsLarge) / (total + 1.0);
  return test;
}

}  // namespace vornax
