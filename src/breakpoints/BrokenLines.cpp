// The broken-line regression with several breakpoints (see BrokenLines.h).
//
// How many breakpoints: each added breakpoint brings two parameters (its place and its change of
// slope), and its gain in explanation is judged against the line with one breakpoint fewer,
// fitted by the same least squares. The numbers are tried upward, one breakpoint at a time, and
// the first whose gain is not significant ends the climb: the number reported is the last one
// before it. Taking the largest significant number instead would give noise three chances and
// keep any success. Because the place of a breakpoint is searched, the F test finds breaks in
// noise more often than its level says; with permutations, a gain that passes it must also pass
// the permutation test (what the same searches gain on shuffles of what the line with one
// breakpoint fewer leaves over, the break test's way), which knows the search.
#include "breakpoints/BrokenLines.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <numeric>
#include <thread>

#include "anova/AnovaTable.h"
#include "breakpoints/BrokenLineInference.h"
#include "breakpoints/BrokenLinesReport.h"
#include "data/NumberFormat.h"
#include "data/SplitMix64.h"
#include "data/TextFile.h"
#include "regression/AnalysisGuards.h"

namespace vornax {

namespace {

// Sequential stopping of a clearly insignificant permutation test: after this many shuffles
// that reach the observed gain, the p-value is that number over the shuffles made.
constexpr int kExceedancesToStop = 10;

std::string Count(long long v) { return FormatInt(v); }

std::string BreakpointWords(int k) {
  return k == 1 ? "one breakpoint" : k == 2 ? "two breakpoints" : "three breakpoints";
}

// The best line with k breakpoints (0: the straight line) on data already grouped.
struct StepFit {
  bool Fitted = false;
  BrokenLine Line;
  long long Combinations = 0, Evaluated = 0;
  std::string Refusal;
};

StepFit FitStep(const BrokenLineData& data, int k, const BrokenLinesSetup& setup) {
  StepFit s;
  if (k == 0) {
    s.Line = FitBrokenLine(data, {});
    s.Fitted = s.Line.Valid;
    return s;
  }
  const long long needData = 3LL * (k + 1);
  if (data.Count() < needData) {
    s.Refusal = "A broken line with " + BreakpointWords(k) + " needs at least " + Count(needData) +
                " data sets; there are " + Count(data.Count()) + ".";
    return s;
  }
  if (data.Groups() < k + 2) {
    s.Refusal = "A broken line with " + BreakpointWords(k) + " needs at least " + Count(k + 2) +
                " different X values; there are " + Count(data.Groups()) + ".";
    return s;
  }
  BrokenLineSearchOptions o;
  o.Breakpoints = k;
  o.Low = setup.Low;
  o.High = setup.High;
  s.Combinations = CountBrokenLineCombinations(data, o);
  if (s.Combinations == 0) {
    s.Refusal = "No place for " + BreakpointWords(k) +
                " leaves at least three data sets and two different X values in every segment.";
    return s;
  }
  if (s.Combinations > kMaxBrokenLineCombinations) {
    s.Refusal = "The search for " + BreakpointWords(k) + " over " + Count(data.Groups()) +
                " different X values would try " + Count(s.Combinations) +
                " combinations, which takes too long. Choose fewer breakpoints or a search range.";
    return s;
  }
  o.Combinations = s.Combinations;
  const BrokenLineSearchResult r = FindBestBrokenLine(data, o);
  s.Evaluated = r.Evaluated;
  s.Line = r.Line;
  s.Fitted = r.Found;
  if (!s.Fitted) s.Refusal = "No broken line with " + BreakpointWords(k) + " could be fitted.";
  return s;
}

// The permutation test of the gain from k − 1 to k breakpoints.
struct PermutationOutcome {
  double P = 1;
  int Made = 0;
  bool StoppedEarly = false;
};

PermutationOutcome PermuteGain(const std::vector<long double>& x, const BrokenLine& fewer,
                               int k, double observed, const std::vector<long double>& y,
                               const BrokenLinesSetup& setup) {
  const size_t n = x.size();
  std::vector<long double> fitted(n), residual(n);
  for (size_t i = 0; i < n; ++i) {
    fitted[i] = fewer(static_cast<double>(x[i]));
    residual[i] = y[i] - fitted[i];
  }
  auto statistic = [&](uint64_t index) {
    SplitMix64 rng(setup.Seed * 0x9E3779B97F4A7C15ULL + index * 0xD1B54A32D192ED03ULL + k);
    std::vector<long double> e = residual;
    for (size_t i = n; i > 1; --i) std::swap(e[i - 1], e[rng.Below(i)]);
    std::vector<long double> ys(n);
    for (size_t i = 0; i < n; ++i) ys[i] = fitted[i] + e[i];
    const BrokenLineData d(x, ys);
    const StepFit a = FitStep(d, k - 1, setup), b = FitStep(d, k, setup);
    if (!a.Fitted || !b.Fitted || !(a.Line.ResidualSumOfSquares > 0)) return 0.0;
    return (a.Line.ResidualSumOfSquares - b.Line.ResidualSumOfSquares) /
           a.Line.ResidualSumOfSquares;
  };
  PermutationOutcome out;
  const int total = setup.Permutations;
  const int threads = std::max(1, setup.Threads);
  const int block = 8 * threads;
  int reached = 0;
  std::vector<double> values(block);
  for (int start = 0; start < total && !out.StoppedEarly; start += block) {
    const int count = std::min(block, total - start);
    std::vector<std::thread> pool;
    for (int t = 1; t < threads; ++t)
      pool.emplace_back([&, t] {
        for (int i = t; i < count; i += threads) values[i] = statistic(start + i);
      });
    for (int i = 0; i < count; i += threads) values[i] = statistic(start + i);
    for (auto& th : pool) th.join();
    // Counted in the order of the shuffles, so the stop falls at the same shuffle whatever the
    // number of threads.
    for (int i = 0; i < count; ++i) {
      ++out.Made;
      if (values[i] >= observed * (1 - 1e-12)) ++reached;
      if (reached == kExceedancesToStop && out.Made < total) {
        out.StoppedEarly = true;
        break;
      }
    }
  }
  out.P = out.StoppedEarly ? static_cast<double>(reached) / out.Made
                           : (1.0 + reached) / (out.Made + 1.0);
  return out;
}

}  // namespace

BrokenLinesOutcome AnalyseBrokenLines(const std::vector<long double>& x,
                                      const std::vector<long double>& y,
                                      const BrokenLinesSetup& setup) {
  BrokenLinesOutcome out;
  const double confidence = ConfidencePercent(setup.ConfidenceT) / 100.0;
  const BrokenLineData data(x, y);
  if (data.Groups() < 2 || data.X(data.Groups() - 1) - data.X(0) < 0.001) {
    out.Refusal =
        "The database is not fit for regression analysis. There is no variation in X-values. "
        "Please correct the input file.";
    return out;
  }
  if (!(data.TotalSumOfSquares() > 0)) {
    out.Refusal =
        "The database is not fit for regression analysis. There is no variation in Y-values. "
        "Please correct the input file.";
    return out;
  }
  const bool automatic = setup.Choice < 0;
  const int maxK = automatic ? 3 : setup.Choice;
  BrokenLinesResult& r = out.Result;
  r.Choice = automatic ? "auto" : std::to_string(setup.Choice);
  r.TotalSumOfSquares = static_cast<double>(data.TotalSumOfSquares());

  std::vector<StepFit> fits;
  for (int k = 0; k <= maxK; ++k) {
    StepFit f = FitStep(data, k, setup);
    if (f.Fitted && ExactFit(f.Line.ResidualSumOfSquares, static_cast<int>(data.Count()) - 2 * k - 2,
                             r.TotalSumOfSquares, data.Count())) {
      f.Line.ResidualSumOfSquares = 0;
    }
    if (!f.Fitted) {
      // A fixed number must be fitted; the automatic choice needs at least one breakpoint.
      if (!automatic || k == 1) {
        out.Refusal = "The database is not fit for this regression. " + f.Refusal;
        return out;
      }
      break;
    }
    fits.push_back(std::move(f));
  }

  int chosen = automatic ? 0 : maxK;
  bool climbing = automatic;
  for (size_t k = 0; k < fits.size(); ++k) {
    BrokenLineStepResult step;
    step.Breakpoints = static_cast<int>(k);
    step.Fitted = true;
    step.ResidualSumOfSquares = fits[k].Line.ResidualSumOfSquares;
    step.CE = 1 - step.ResidualSumOfSquares / r.TotalSumOfSquares;
    step.BreakpointValues = fits[k].Line.Breakpoints;
    if (k > 0) {
      const AddedBreakpointTest t =
          TestAddedBreakpoints(fits[k - 1].Line.ResidualSumOfSquares, static_cast<int>(k) - 1,
                               step.ResidualSumOfSquares, static_cast<int>(k), data.Count());
      step.F = t.F;
      step.Df1 = t.Df1;
      step.Df2 = t.Df2;
      step.Probability = t.Probability;
      step.Significant = t.Probability <= 1 - confidence;
      // Beyond the end of the climb the permutation test is not run: no gain there counts.
      if (automatic && !climbing && setup.Permutations > 0) step.Significant = false;
      if (climbing && step.Significant && setup.Permutations > 0 &&
          fits[k - 1].Line.ResidualSumOfSquares > 0) {
        const double observed =
            (fits[k - 1].Line.ResidualSumOfSquares - step.ResidualSumOfSquares) /
            fits[k - 1].Line.ResidualSumOfSquares;
        const PermutationOutcome p =
            PermuteGain(x, fits[k - 1].Line, static_cast<int>(k), observed, y, setup);
        step.PermutationP = p.P;
        step.Permutations = p.Made;
        step.StoppedEarly = p.StoppedEarly;
        step.Significant = p.P <= 1 - confidence;
      }
      if (climbing) {
        if (step.Significant)
          chosen = static_cast<int>(k);
        else
          climbing = false;
      }
    }
    r.Steps.push_back(step);
  }

  // Tied X values can leave a line with more parameters than its data determine (a segment
  // whose data all stand at one X value beside a breakpoint): its residual sum is fine, but its
  // breakpoints have no standard errors or intervals. The automatic choice then takes one
  // breakpoint fewer; a number asked for is refused.
  BrokenLineInference inf;
  for (;;) {
    inf = InferBrokenLine(data, fits[static_cast<size_t>(chosen)].Line, confidence,
                          setup.ConfidenceT);
    if (static_cast<int>(inf.Breakpoints.size()) == chosen &&
        static_cast<int>(inf.Segments.size()) == chosen + 1) {
      break;
    }
    if (!automatic || chosen == 0) {
      out.Refusal = "The database is not fit for this regression. The best broken line with " +
                    (chosen == 0 ? std::string("no breakpoint") : BreakpointWords(chosen)) +
                    " has more parameters than its data can determine (a segment holds data at "
                    "one X value only), so its breakpoints have no standard errors. Choose "
                    "fewer breakpoints.";
      return out;
    }
    --chosen;
  }
  const BrokenLine& line = fits[static_cast<size_t>(chosen)].Line;
  out.Line = line;
  r.Breakpoints = chosen;
  r.Combinations = fits[static_cast<size_t>(chosen)].Combinations;
  r.Evaluated = fits[static_cast<size_t>(chosen)].Evaluated;
  r.ResidualSumOfSquares = line.ResidualSumOfSquares;
  r.Intercept = line.Intercept;
  r.ResidualDf = inf.ResidualDf;
  r.InterceptStandardError = inf.InterceptStandardError;
  for (const auto& b : inf.Breakpoints)
    r.Points.push_back({b.Value, b.StandardError, b.LowerLimit, b.UpperLimit, b.LikelihoodLower,
                        b.LikelihoodUpper, b.LikelihoodLowerAtEnd, b.LikelihoodUpperAtEnd});
  double intercept = line.Intercept;
  for (size_t s = 0; s < inf.Segments.size(); ++s) {
    const auto& seg = inf.Segments[s];
    if (s > 0) intercept -= line.SlopeChanges[s - 1] * line.Breakpoints[s - 1];
    r.Segments.push_back({seg.From, seg.To, seg.Count, seg.Slope, seg.SlopeStandardError, intercept});
  }
  for (const auto& c : inf.Changes)
    r.Changes.push_back({c.Change, c.StandardError, c.T, c.Probability});
  out.Done = true;
  return out;
}

void RunBrokenLines(TDMVornax& data, RunOptions& options, UserDialogs& dialogs) {
  const std::filesystem::path input = data.FileName;
  auto refuse = [&](const std::string& message) {
    dialogs.ShowMessage(message);
    options.AnalysisFailed = true;
    RemoveStaleReports(input, data.Memory);
  };
  if (data.NrOfVar != 1) {
    refuse(kBrokenLinesOneVariable);
    return;
  }
  const bool isZ = data.SingleIsZ;
  const bool fromZ = isZ && data.NrOfVarInData == 2;
  const size_t n = data.NrOfData > 0 ? static_cast<size_t>(data.NrOfData) : 0;
  const std::vector<long double>& source = fromZ ? data.ZData : data.XData;
  if (data.YData.size() < n || source.size() < n) {
    refuse("The database is not fit for regression analysis. The data set is incomplete.");
    return;
  }
  if (!WithinAnalysableRange(data.YData, n) || !WithinAnalysableRange(source, n)) {
    refuse("The database is not fit for regression analysis. Data values must lie between "
           "-1E+100 and 1E+100. Please correct the input file.");
    return;
  }
  // The data in ascending order of the variable (equal values keep their order); the data set
  // itself stays as entered.
  std::vector<size_t> order(n);
  std::iota(order.begin(), order.end(), size_t{0});
  std::stable_sort(order.begin(), order.end(),
                   [&](size_t a, size_t b) { return source[a] < source[b]; });
  std::vector<long double> x(n), y(n);
  std::vector<bool> added(n);
  for (size_t i = 0; i < n; ++i) {
    x[i] = source[order[i]];
    y[i] = data.YData[order[i]];
    added[i] = order[i] < data.SerialNr.size() && data.SerialNr[order[i]] == 0;
  }

  BrokenLinesSetup setup;
  setup.Choice = options.SeveralBreakpoints;
  setup.ConfidenceT = options.ConfidenceT;
  setup.Permutations = options.BreakpointPermutations;
  setup.Seed = options.BreakpointSeed;
  const BrokenLinesOutcome outcome = AnalyseBrokenLines(x, y, setup);
  if (!outcome.Done) {
    refuse(outcome.Refusal);
    return;
  }

  const std::filesystem::path outPath = WithExtension(input, ".out");
  const std::filesystem::path varPath = WithExtension(input, ".var");
  BrokenLinesReportContext context;
  context.IsZ = isZ;
  context.TwoColumnsInData = data.NrOfVarInData == 2;
  context.OutputPath = PathText(outPath);
  context.InputPath = PathText(WithExtension(input, ".inp"));
  context.VariancePath = PathText(varPath);
  context.Title1 = data.Title1;
  context.Title2 = data.Title2;
  context.ConfidenceT = options.ConfidenceT;
  context.X = &x;
  context.Y = &y;
  context.Added = &added;

  RunResult numbers;
  TextFileWriter out = TextFileWriter::ForReport(outPath, data.Memory);
  WriteBrokenLinesReport(context, outcome, out, numbers);
  const std::vector<std::string> table =
      BrokenLinesAnovaTable(context, outcome.Result, static_cast<int>(n), options, dialogs,
                            numbers);
  if (!out.Commit()) {
    refuse("The file \"" + PathText(outPath) + "\" could not be written: " + out.Error());
    return;
  }
  // The ANOVA tables' own writer: through a temporary file, with its message on failure.
  if (!ReplaceVarianceFile(varPath, table, dialogs, data.Memory)) {
    options.AnalysisFailed = true;
    RemoveStaleReports(input, data.Memory);
    return;
  }
  options.FoundType = outcome.Result.Breakpoints > 0 ? 2 : 1;
  data.FileName = PathText(varPath);
  data.Result = std::move(numbers);
}

}  // namespace vornax
