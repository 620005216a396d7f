// The one-variable segmented regression: prepares the data set, searches the breakpoint and the
// function type, and writes the report (".out") and the variance file (".var") beside the input.
#pragma once

#include <string>
#include <vector>

#include "data/DataSet.h"
#include "data/RunOptions.h"
#include "data/UserDialogs.h"

namespace vornax {

// Runs the analysis on `data` (FileName is the input path; it ends as the ".var" path, as the
// analysis names its files in turn). On a refusal it shows the reason, sets
// options.AnalysisFailed and leaves no output or variance file of this name behind.
void RunOneVariable(TDMVornax& data, RunOptions& options, UserDialogs& dialogs);

// Why the analysis would refuse the fixed breakpoint or the search range of `options` for the
// analysed values `x` (weight copies included, in any order), in its own words; "" when it would
// take them, or would refuse the data themselves first (fewer than three, no spread).
std::string BreakpointChoiceProblem(std::vector<long double> x, const RunOptions& options,
                                    const std::string& variable);

}  // namespace vornax
