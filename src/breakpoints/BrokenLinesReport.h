// The report of a broken-line regression with several breakpoints (".out") and its ANOVA table
// (".var"), whose rows are the straight line and each added breakpoint.
#pragma once

#include <string>
#include <vector>

#include "breakpoints/BrokenLines.h"
#include "data/RunOptions.h"
#include "data/RunResult.h"
#include "data/TextFile.h"
#include "data/UserDialogs.h"

namespace vornax {

struct BrokenLinesReportContext {
  bool IsZ = false;               // the variable is Z
  bool TwoColumnsInData = false;  // the data hold X and Z; one of them is analysed
  std::string OutputPath, InputPath, VariancePath;
  std::string Title1, Title2;
  double ConfidenceT = 1.75;
  // The data in ascending order of the variable, and which data sets are copies added by weight
  // factors.
  const std::vector<long double>* X = nullptr;
  const std::vector<long double>* Y = nullptr;
  const std::vector<bool>* Added = nullptr;
};

// Writes the report and fills `result` with its numbers and the data table.
void WriteBrokenLinesReport(const BrokenLinesReportContext& context,
                            const BrokenLinesOutcome& outcome, TextFileWriter& out,
                            RunResult& result);

// The lines of the ANOVA table; its rows go into result.Anova.
std::vector<std::string> BrokenLinesAnovaTable(const BrokenLinesReportContext& context,
                                               const BrokenLinesResult& numbers, int n,
                                               RunOptions& options, UserDialogs& dialogs,
                                               RunResult& result);

}  // namespace vornax
