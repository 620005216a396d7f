// The report (".out") and the variance file (".var") of a two-variable segmented regression,
// written from the numbers of a TwoVariableResult.
#pragma once

#include <string>

#include "data/TextFile.h"
#include "regression/TwoVariable.h"

namespace vornax {

struct TwoVariableReportContext {
  std::string OutputPath, InputPath;
  std::string Title1, Title2;
  double ConfidenceT = 1.75;
  int PreferredTypeX = -1, PreferredTypeZ = -1;  // as chosen before the run
  int ExcludedTypeX = 0, ExcludedTypeZ = 0;
  // The data sets as entered (the data table lists them in this order).
  const long double* Y = nullptr;
  const long double* X = nullptr;
  const long double* Z = nullptr;
};

// The whole output file: the general header, the stage and relation blocks, the summary with
// the four plane equations, and the data table.
void WriteTwoVariableReport(const TwoVariableResult& result, const TwoVariableReportContext& context,
                            TextFileWriter& out);

// The variance file: the counts, the sequence, both breakpoints (" -99999" for none) and the
// sums of squares of both stages, every real with fifteen significant digits.
void WriteTwoVariableVarianceFile(const TwoVariableResult& result, TextFileWriter& var);

}  // namespace vornax
