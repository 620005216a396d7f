// The report of a one-variable segmented regression: the output file (".out") with its header,
// the regression blocks and the summary, and the variance file (".var") with the sums of squares
// that the variance analysis turns into its table.
//
// The writer recomputes the reported type's lines and error terms on the engine it is given, so
// after WriteRegressionReport the engine holds the final lines of the reported type; the summary
// and whoever reads the engine afterwards (graphs, the two-variable analysis) see those values.
#pragma once

#include <string>
#include <vector>

#include "data/RunResult.h"
#include "data/TextFile.h"
#include "data/UserDialogs.h"
#include "regression/LikelihoodInterval.h"
#include "regression/SegmentEngine.h"

namespace vornax {

struct OneVariableReportContext {
  bool IsZ = false;            // report variable Z (BPz, "Y upon Z") instead of X
  bool TwoColumnsInData = false;  // the data hold X and Z; one of them is analysed
  std::string OutputPath, InputPath;
  std::string Title1, Title2;
  double ConfidenceT = 1.75;
  int ExcludedType = 0;    // 0 none, else 2 to 6
  int PreferredType = -1;  // -1 none, else 1 to 6
  // The data in report order (sorted by the analysed variable): Y, the variable, and whether
  // each data set is a copy added by weight expansion.
  const long double* Y = nullptr;
  const long double* X = nullptr;
  const std::vector<bool>* Added = nullptr;
  int NrOfData = 0;
};

class OneVariableReport {
 public:
  OneVariableReport(SegmentEngine& engine, const OneVariableReportContext& context,
                    TextFileWriter& output, TextFileWriter& variance, UserDialogs& dialogs);

  // The search's outcome, needed by the header and the summary.
  void SetSearchResult(const BreakpointSearchResult& result) { search_ = result; }

  void WriteReportHeader(int section);
  void WriteRegressionReport(double bp, int type);
  void WriteSummary();

  // Values left for the variance analysis and the graphs.
  int ReportedType() const { return reportedType_; }  // 0 when the single slope is insignificant
  bool SingleSlopeSignificant() const { return singleSlopeSignificant_; }
  int Type6Variant() const { return type6Variant_; }
  double CE() const { return ce_; }
  double BPLow() const { return bpLow_; }
  double BPHigh() const { return bpHigh_; }
  double SingleAvX() const { return singleAvX_; }
  double SingleNSxx() const { return singleNSxx_; }

  // The reported function in numbers (after WriteSummary): type, method, breakpoint with its
  // error and limits, the printed equations, the coefficients of explanation, the data table.
  void FillResult(RunResult& result) const;

 private:
  // "BPx" or "BPz", "X" or "Z".
  std::string Var() const { return context_.IsZ ? "Z" : "X"; }
  std::string BPv() const { return context_.IsZ ? "BPz" : "BPx"; }
  void WriteSegmentBlock(int s, double bp);
  void WriteVarianceValue(double value);
  void WriteType6Lines(double bp);
  void WriteParameterTable(double bp, int type);

  SegmentEngine& engine_;
  OneVariableReportContext context_;
  TextFileWriter& out_;
  TextFileWriter& var_;
  UserDialogs& dialogs_;
  BreakpointSearchResult search_;

  int reportedType_ = 1;
  bool singleSlopeSignificant_ = true;
  int type6Variant_ = 1;
  double ce_ = 0;
  double stDevDiffYav_ = 0;
  double bpLow_ = 0, bpHigh_ = 0;
  double singleAvX_ = 0, singleNSxx_ = 0;
  double singleCE_ = 0;
  // The printed summary.
  int printedCode_ = 1;
  std::string typeText_;
  double as_ = 0, cs_ = 0, ag_ = 0, cg_ = 0;
  double sebp_ = 0;
  LikelihoodInterval likelihood_;
  std::vector<double> ycalc_;
};

}  // namespace vornax
