// The fitted function of a run at values of the caller's choosing: the function the report's
// data table gives its Ycalc from, for every analysis (segmented lines, planes of two
// variables, the partial regression's lines, broken lines, curves).
#pragma once

#include "data/RunResult.h"

namespace vornax {

// Whether the fitted function needs Z as well as X (a two-variable run).
bool FittedValueNeedsZ(const RunResult& result);

// The fitted value at x (and z for a two-variable run); NaN where the function is not defined
// (a curve outside the values its transformation takes).
double FittedValue(const RunResult& result, double x, double z = 0);

}  // namespace vornax
