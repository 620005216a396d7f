// The one-variable segmented regression: prepares the data set, searches the breakpoint and the
// function type, and writes the report (".out") and the variance file (".var") beside the input.
#pragma once

#include "data/DataSet.h"
#include "data/RunOptions.h"
#include "data/UserDialogs.h"

namespace vornax {

// Runs the analysis on `data` (FileName is the input path; it ends as the ".var" path, as the
// analysis names its files in turn). On a refusal it shows the reason, sets
// options.AnalysisFailed and leaves no output or variance file of this name behind.
void RunOneVariable(TDMVornax& data, RunOptions& options, UserDialogs& dialogs);

}  // namespace vornax
