// The partial regression run: from the data set to the output file, the variance file and the
// scan table beside the input. Chosen instead of the one-variable segmented regression when the
// range of no effect is asked for.
#pragma once

#include "data/DataSet.h"
#include "data/RunOptions.h"
#include "data/UserDialogs.h"
#include "partial/PartialScan.h"

namespace vornax {

// Runs the analysis on `data` (FileName is the input path; it ends as the ".var" path, where the
// variance analysis finds its numbers). The data sets are left sorted by X. A refusal shows its
// reason and sets options.IrregularX (fewer than ten distinct X values) or
// options.AnalysisFailed, and leaves no output, variance file or scan table of this name behind.
// On success options.FoundType holds the reported type (1, 3 or 4).
void RunPartialRegression(TDMVornax& data, RunOptions& options, UserDialogs& dialogs);

// The same, also handing back the numbers of the result (empty when the run was refused).
bool RunPartialAnalysis(TDMVornax& data, RunOptions& options, UserDialogs& dialogs,
                        PartialResult& result);

}  // namespace vornax
