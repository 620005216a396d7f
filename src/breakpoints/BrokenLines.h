// The broken-line regression with two or three breakpoints (or as many, from none to three, as
// the tests find): the numbers without files, and the analysis entry of a run that writes the
// report (".out") and its ANOVA table (".var").
#pragma once

#include <cstdint>
#include <limits>
#include <string>
#include <vector>

#include "breakpoints/BrokenLineSearch.h"
#include "data/BrokenLinesResult.h"
#include "data/DataSet.h"
#include "data/RunOptions.h"
#include "data/UserDialogs.h"

namespace vornax {

struct BrokenLinesSetup {
  int Choice = 2;             // 2 or 3 breakpoints; -1: as many as the tests find (0 to 3)
  double ConfidenceT = 1.75;  // 1.75, 2.1 or 2.5: the ± limits, and the confidence of the tests
  int Permutations = 0;       // of the test that decides how many (0: the F test alone)
  uint64_t Seed = 1;
  int Threads = 2;
  // Breakpoints are kept within [Low, High].
  double Low = -std::numeric_limits<double>::infinity();
  double High = std::numeric_limits<double>::infinity();
};

struct BrokenLinesOutcome {
  bool Done = false;
  std::string Refusal;  // why not, in words for the user
  BrokenLinesResult Result;
  BrokenLine Line;  // the reported line (no breakpoints: the straight line)
};

// The most combinations a search may try before it is refused as too long.
inline constexpr long long kMaxBrokenLineCombinations = 20'000'000'000LL;

BrokenLinesOutcome AnalyseBrokenLines(const std::vector<long double>& x,
                                      const std::vector<long double>& y,
                                      const BrokenLinesSetup& setup);

// The analysis entry: the analysed variable of the data set (X, or Z for a single column titled
// Z or the second column chosen), the report beside the input file, the ANOVA table, and the
// numbers in data.Result. Refusals are messages, no files, and AnalysisFailed.
void RunBrokenLines(TDMVornax& data, RunOptions& options, UserDialogs& dialogs);

}  // namespace vornax
