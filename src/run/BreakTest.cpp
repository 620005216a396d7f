// The permutation test of the break: shuffles of Y over X, each searched as the run was.
#include "run/BreakTest.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <numeric>
#include <thread>

#include "regression/SegmentEngine.h"

namespace vornax {
namespace {

// The generator of shuffle i: its own stream, so shuffles can be made in any order.
SplitMix64 StreamFor(uint64_t seed, int i) {
  SplitMix64 mix(seed ^ (0xD1B54A32D192ED03ULL * (static_cast<uint64_t>(i) + 1)));
  return SplitMix64(mix.Next());
}

}  // namespace

double ExtraExplanationOfBreak(const std::vector<long double>& y, const std::vector<long double>& x,
                               const BreakSearchSetup& setup) {
  SegmentEngine engine;
  engine.Attach(y.data(), x.data(), static_cast<int>(std::min(y.size(), x.size())));
  engine.ConfidenceT = setup.ConfidenceT;
  engine.Restore(RegressionCarryOver{setup.StartSERC1, setup.StartSERC2, setup.StartOptMethod});
  engine.FindExtremes();
  BreakpointSearchOptions options;
  options.PreferredType = setup.PreferredType;
  options.ExcludedType = setup.ExcludedType;
  const BreakpointSearchResult r = SearchBreakpoint(engine, options);
  if (!r.PreferredFound || r.FoundType < kType2) return 0;
  // The share of what the straight line leaves unexplained that the break explains.
  const double room = 1 - r.CE1;
  return room > 0 ? (r.CEopt - r.CE1) / room : 0;
}

bool BreakTestApplies(const RunResult& result) {
  return result.Valid && result.Analysis == "one-variable" && result.HasBreakpoint &&
         result.X.size() >= 3;
}

BreakTestResult RunBreakTest(const RunResult& result, const BreakTestOptions& options) {
  BreakTestResult test;
  test.Seed = options.Seed;
  if (!BreakTestApplies(result) || options.Permutations < 1) return test;

  const size_t n = std::min(result.X.size(), result.Y.size());
  // The report's table is in ascending order of the analysed variable, as the search needs.
  const std::vector<long double> x(result.X.begin(), result.X.begin() + static_cast<long>(n));
  const std::vector<long double> y(result.Y.begin(), result.Y.begin() + static_cast<long>(n));
  BreakSearchSetup setup;
  setup.ConfidenceT = result.ConfidenceT;
  setup.PreferredType = result.PreferredType;
  setup.ExcludedType = result.ExcludedType;
  setup.StartSERC1 = result.StartSERC1;
  setup.StartSERC2 = result.StartSERC2;
  setup.StartOptMethod = result.StartOptMethod;
  // The observed value is taken by the same code from the same 64-bit table as the shuffles,
  // so that the unshuffled order counts exactly as one of them would.
  const double observed = ExtraExplanationOfBreak(y, x, setup);

  // What is shuffled is what the straight line leaves: a break is judged against a line with
  // its slope, not against no relation at all. Shuffling Y itself would destroy the slope too,
  // and a strong trend with a clear break would then look like chance, because the little the
  // line leaves over is small beside what a break gains on shuffled data.
  long double sy = 0, sx = 0;
  for (size_t i = 0; i < n; ++i) {
    sy += y[i];
    sx += x[i];
  }
  const long double ay = sy / n, ax = sx / n;
  long double sxx = 0, sxy = 0;
  for (size_t i = 0; i < n; ++i) {
    sxx += (x[i] - ax) * (x[i] - ax);
    sxy += (x[i] - ax) * (y[i] - ay);
  }
  const long double slope = sxx > 0 ? sxy / sxx : 0;
  std::vector<long double> fitted(n), residual(n);
  for (size_t i = 0; i < n; ++i) {
    fitted[i] = ay + slope * (x[i] - ax);
    residual[i] = y[i] - fitted[i];
  }

  const int total = options.Permutations;
  std::atomic<int> next{0}, done{0}, reached{0};
  std::mutex mutex;
  std::condition_variable finished;
  auto work = [&]() {
    std::vector<long double> shuffled(n);
    std::vector<size_t> order(n);
    int mine = 0;
    for (int i = next++; i < total; i = next++) {
      std::iota(order.begin(), order.end(), size_t{0});
      SplitMix64 rng = StreamFor(options.Seed, i);
      for (size_t k = n - 1; k > 0; --k) std::swap(order[k], order[rng.Below(k + 1)]);
      for (size_t k = 0; k < n; ++k) shuffled[k] = fitted[k] + residual[order[k]];
      if (ExtraExplanationOfBreak(shuffled, x, setup) >= observed) ++mine;
      if (++done == total) {
        std::lock_guard<std::mutex> lock(mutex);
        finished.notify_all();
      }
    }
    reached += mine;
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
                                [&] { return done.load() >= total; })) {
        if (!options.Progress) continue;
        const double seconds =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        options.Progress(done.load(), total, seconds);
      }
    }
    for (std::thread& t : pool) t.join();
  }

  test.Done = true;
  test.Permutations = total;
  test.AtLeastAsLarge = reached.load();
  test.Observed = observed;
  test.P = (1.0 + test.AtLeastAsLarge) / (total + 1.0);
  return test;
}

}  // namespace vornax
