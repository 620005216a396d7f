// The data table of a report as CSV, for spreadsheets: one row per data set with the value
// entered and the value the reported function gives, and the columns the report's kind adds.
#pragma once

#include <string>

#include "data/GraphData.h"
#include "data/RunResult.h"

namespace vornax {

// A header row and the rows of `graph`'s data table, comma separated with decimal points; each
// number written so that it reads back to exactly the same value. Columns: X (or Z, as the table
// heads it), Y, then for two-variable reports Z and the first stage's residual, then
// "Y calculated", then for curves the lower and upper confidence limits, then "added" (1 for a
// copy added by a weight factor) when the table has such copies.
//
// The report prints its table with a few digits only. `run`, the result of the run that wrote
// the report, gives each column whose rows it holds (every value within the report's rounding of
// the printed one) as the run held it; a column taken from the report says so in its heading
// ("Y calculated (as the report prints it)").
std::string ReportTableCsv(const GraphData& graph, const RunResult* run = nullptr);

}  // namespace vornax
