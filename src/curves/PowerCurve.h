// The power curve: Yc = B + A Xt^P with Xt = X - C, C and P chosen by a grid search for the
// smallest residual sum of squares, A and B by the least-squares line of Y on Xv = Xt^P.
#pragma once

#include <optional>
#include <string>

#include "curves/CurveCommon.h"
#include "data/DataSet.h"
#include "data/RunOptions.h"
#include "data/UserDialogs.h"

namespace vornax {

// The grid: C(i) = c - i c/100 for i = 1 .. 9 (c the smallest X; C = c when c is 0), and
// P(j) = 0.05 + 0.01 j for j = 1 .. 295.
double PowerShift(double smallestX, int i);
double PowerExponent(int j);

// The search and the final fit on prepared data. The result always holds the fit; whether it
// beats the straight line is for the caller to decide.
CurveResult FitPowerCurve(const CurveData& data);

void WritePowerReport(TextFileWriter& out, const CurveResult& result,
                      const std::string& outputPath, const std::string& title1,
                      const std::string& title2);

// The analysis: writes the report and the variance file when the curve explains at least as
// much as the straight line; otherwise says so and sets CurveAbort, writing nothing.
void RunPowerCurve(TDMVornax& data, RunOptions& options, UserDialogs& dialogs);

}  // namespace vornax
