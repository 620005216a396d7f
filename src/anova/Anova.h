// The variance analysis: turns the sums of squares that an analysis left in its variance file
// (".var") into an ANOVA table with degrees of freedom, F-tests and their significance, and puts
// the table in the variance file's place.
#pragma once

#include "data/DataSet.h"
#include "data/RunOptions.h"
#include "data/UserDialogs.h"

namespace vornax {

// Segmented fits (one or two variables) and the partial regression. Reads the variance file of
// data.FileName (extension changed to ".var"); data.NrOfVar takes the file's first value.
void MakeSegmentedAnova(TDMVornax& data, RunOptions& options, UserDialogs& dialogs);

// Curved fits (quadratic, cubic, power, S-curves), by the curve flags of `options`.
void MakeCurveAnova(TDMVornax& data, RunOptions& options, UserDialogs& dialogs);

// The significance in percent of an F value with (nu1, nu2) degrees of freedom, kept within
// 0.1 and 99.99. F of zero or below, and degrees of freedom below 1, give 0.1. Exact where a
// degree of freedom is even (up to ten million); both odd by the incomplete beta function.
double FProbability(int nu1, int nu2, double f);

}  // namespace vornax
