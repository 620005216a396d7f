// The input file (".inp"): two titles, the counts, six column-header lines and one fixed-width
// record per data set. Written at every "Save-Calculate", read by "Open input" and vornax-batch.
#pragma once

#include <array>
#include <string>

#include "data/DataSet.h"
#include "data/RunOptions.h"
#include "data/UserDialogs.h"

namespace vornax {

// The six column-header lines for a layout: one or two independent variables, with or without a
// weight column, and (one variable only) whether the column is titled Z.
std::array<std::string, 6> InputHeaderLines(int nrOfVarInData, bool weightsUsed, bool singleIsZ);

// One record line: serial, Y, X[, Z][, weight]. Reals keep two decimals unless more are needed to
// read the value back unchanged; a value too wide for its field widens the field.
std::string InputRecordLine(int serial, double y, double x, const double* z, const int* weight);

// Reads the input file named by data.FileName into `data`. The whole file is checked before
// anything is taken over: on any fault the reason is shown and `data` and `options` stay exactly
// as they were. A weight column switches options.WeightsUsed on; without one every weight factor
// is 1 and options.WeightsUsed keeps its value. Returns true when the data set was replaced.
bool ReadInputFile(TDMVornax& data, RunOptions& options, UserDialogs& dialogs);

// Writes the first GridRowCount data sets of `data` (the data sets as entered) to data.FileName;
// line 5 carries NrOfData, which after weight expansion is the expanded count. The file is
// replaced only when it has been written completely. Sets data.HeaderLines to the header used.
bool WriteInputFile(TDMVornax& data, const RunOptions& options, UserDialogs& dialogs);

// The message for an input file that cannot be opened or created.
std::string InputFileOpenMessage(const std::string& path);

}  // namespace vornax
