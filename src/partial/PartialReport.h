// The files of a partial regression: the output file (".out") with its header, the regression
// blocks and the summary; the variance file (".var") for the ANOVA table; and the scan table
// (".txt") of the candidate breakpoints. Everything is written from a PartialResult.
#pragma once

#include <string>
#include <vector>

#include "data/TextFile.h"
#include "data/UserDialogs.h"
#include "partial/PartialScan.h"

namespace vornax {

struct PartialReportContext {
  std::string OutputName;  // the output file's name without its folder
  std::string InputName;   // the same name with the extension ".inp"
  std::string Title1, Title2;
  double ConfidenceT = 1.75;
  // The data in report order (sorted by X), and whether each is a copy added by weight
  // expansion.
  const long double* Y = nullptr;
  const long double* X = nullptr;
  const std::vector<bool>* Added = nullptr;
  int NrOfData = 0;
};

class PartialReport {
 public:
  PartialReport(const PartialResult& result, const PartialReportContext& context,
                TextFileWriter& output, TextFileWriter& variance, UserDialogs& dialogs);

  // Section 1 general header, 2 heading of the regression without breakpoint, 3 heading of the
  // regression with breakpoint (written only when the breakpoint lies above the smallest X).
  void WritePartialHeader(int section);
  // The single line (atThreshold false) or the final function at the threshold.
  void WritePartialResults(bool atThreshold);
  void WritePartialSummary();

  // The whole output and variance file in their order.
  void WriteAll();

 private:
  void WriteSegmentBlock(const SegmentStats& st, double bp);
  void WriteVarianceValue(double value);
  void WriteParameterTable();

  const PartialResult& r_;
  PartialReportContext context_;
  TextFileWriter& out_;
  TextFileWriter& var_;
  UserDialogs& dialogs_;
};

// The scan table of one type (3 or 4) as the file holds it; `ownPath` is its first line.
void WriteScanTable(const PartialResult& result, int type, const std::string& ownPath,
                    TextFileWriter& table);

}  // namespace vornax
