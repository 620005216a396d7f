// The summary of a run in plain words: the function found, its breakpoint with error and
// confidence limits, how well it explains Y, what the ANOVA says of the break, how close the
// other types came, and the break test. vornax-batch prints it; the window shows it too.
#pragma once

#include <string>
#include <vector>

#include "data/RunResult.h"

namespace vornax {

// The lines of the summary (without line ends); empty when the result holds nothing.
std::vector<std::string> SummaryLines(const RunResult& result);

// The warnings the summary adds to the run's own messages (its "Warning: " lines, without
// that word): a breakpoint held back by the end of a searched range, and the break test's
// verdict of no break beyond chance. The JSON and the results table list them after the
// run's messages.
std::vector<std::string> SummaryWarnings(const RunResult& result);

// A number with `digits` significant digits, in fixed point for ordinary magnitudes and in the
// report's exponent form otherwise; always with a point, whatever the locale.
std::string FormatSignificant(double value, int digits);

// The p value of a permutation test with as many decimals as the number of permutations can
// resolve (999 permutations: three), trailing zeros dropped.
std::string FormatP(double p, int permutations);

}  // namespace vornax
