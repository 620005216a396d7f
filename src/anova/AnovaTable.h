// The pieces the ANOVA tables are built from: the F-test of a row, the heading, the two kinds of
// row block, the closing lines, and the replacement of the variance file by the finished table.
// Anova.cpp strings them together for the segmented, two-variable and curve tables; the tests use
// them directly for the cases a variance file cannot easily provoke.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "data/RunOptions.h"
#include "data/RunResult.h"
#include "data/TextFile.h"
#include "data/UserDialogs.h"

namespace vornax {

// The outcome of one row's F-test.
struct FTest {
  double F = 0;
  double Significance = 0;  // percent, already clamped by FProbability
};

// Which low-significance text an "extra" row gives: the one about the breakpoint or the curve.
enum class ExtraSource { Breakpoint, Curve };

// One table under construction. Holds the working values of the table; the lines are handed to
// ReplaceVarianceFile when complete.
class AnovaTableWriter {
 public:
  AnovaTableWriter(int n, double sst, ExtraSource source, RunOptions& options,
                   UserDialogs& dialogs);

  // The residual variance residualSS / residualDf, or nothing when there are no residual degrees
  // of freedom left (then no F-test can be made).
  static std::optional<double> ResidualVariance(double residualSS, int residualDf);

  // The F-test of a source with sum of squares `ss` on nu1 degrees of freedom against
  // `residualVariance`, judged on (nu1, nu2). A residual variance that is not clearly above zero
  // (at most 1e-12 of the total variance SST / (N - 1)) is an exact fit: F takes `substitute`,
  // or 0 when the row's source explains no more than that.
  // Nothing when the residual variance is missing or nu2 is not positive.
  std::optional<FTest> Test(double ss, int nu1, int nu2, std::optional<double> residualVariance,
                            double substitute) const;

  void WriteAnovaHeader(const std::string& titleLine, const std::filesystem::path& varPath);
  // The straight-line block. `secondLabel` empty: the label carries the F caption; otherwise the
  // label stands on a line of its own and the second label carries the caption.
  void WriteExplainedRows(int nu1, int nu2, const std::string& label,
                          const std::string& secondLabel, double ssExplained,
                          double ssUnexplained, std::optional<double> varianceUnexplained,
                          std::optional<FTest> test);
  // The breakpoint or curve block: "extra" with its remaining lines, or "total" (TotalRow).
  void WriteExtraRows(int nu1, int nu2, const std::string& label, double ssResidual,
                      double ssExtra, std::optional<double> varianceResidual,
                      std::optional<FTest> test);
  // The closing rule and "#"; the segmented tables add the pointer to the help.
  void WriteClosing(bool seeAlso);

  const std::vector<std::string>& Lines() const { return lines_; }
  // The rows written so far, as numbers.
  const std::vector<AnovaRowResult>& Rows() const { return rows_; }

  int AnovaN;
  double AnovaSST;
  int DfWidth;  // characters of the second degree of freedom in "F(n1,n2)="
  bool TotalRow = false;
  // False for a run whose numbers alone are wanted: the rows are made, the lines are not.
  bool Text = true;

 private:
  std::string Caption(const std::string& label, int blanks, int nu1, int nu2) const;
  std::string TestColumns(double ss, int nu1, std::optional<FTest> test) const;
  // The "remaining / unexplained" lines under a row: residual SS, degrees of freedom, variance.
  void WriteRemaining(int nu2, double ss, std::optional<double> variance);
  void WarnIfWeak(const FTest& test);

  ExtraSource source_;
  RunOptions& options_;
  UserDialogs& dialogs_;
  std::vector<std::string> lines_;
  std::vector<AnovaRowResult> rows_;
};

// The width of the second degree of freedom: 1 up to 10 data, 2 up to 100, else 3.
int AnovaDfWidth(int n);

// Writes `lines` (CR LF) to a temporary file beside `varPath` and renames it over the variance
// file. On failure the variance file is left as it was and a message is shown; false then.
// With `memory`, the table replaces the variance file kept there (see MemoryFiles); with memory
// that wants no report text nothing is written. `held`: where the analysis's variance file waits
// for its table (TDMVornax::VarianceHold); the table replaces it there too.
bool ReplaceVarianceFile(const std::filesystem::path& varPath,
                         const std::vector<std::string>& lines, UserDialogs& dialogs,
                         MemoryFiles* memory = nullptr, MemoryFiles* held = nullptr);

// F when the residual variance of a row is zero (an exact fit) and its source explains
// something; a source that explains nothing then gets F = 0. (A tiny F for an exact straight
// line would call the best possible fit insignificant.)
inline constexpr double kExactFitF = 1000000;
inline constexpr double kCurveFSubstitute = 1000;
inline constexpr double kNegativeCurveF = -0.001;

}  // namespace vornax
