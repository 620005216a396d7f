// The three ANOVA tables: one variable (also the partial regression), two variables, and curves.
// Each reads the whole variance file first, so a damaged file is reported and left in place
// before any line of a table exists.
#include "anova/Anova.h"

#include <cmath>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "anova/AnovaTable.h"
#include "data/NumberFormat.h"
#include "data/TextFile.h"

namespace vornax {

namespace {

// The value that stands for "no breakpoint" in the variance files.
constexpr double kNoBreakpoint = -99999;

// Reads a variance file line by line; each value is the first number of its line (a line may
// carry more, like the two thresholds of a partial regression). Every failure is shown once,
// naming the file, and makes the reader refuse further values.
class VarFileReader {
 public:
  VarFileReader(std::filesystem::path path, UserDialogs& dialogs, const MemoryFiles* memory)
      : path_(std::move(path)), dialogs_(dialogs), memory_(memory) {}

  bool Open() {
    auto lines = ReadTextLines(path_, memory_);
    if (!lines) {
      Fail("The variance file \"" + PathText(path_) +
           "\" could not be read. Variance analysis is not done.");
      return false;
    }
    lines_ = std::move(*lines);
    return true;
  }

  bool Read(double& value) {
    if (failed_) return false;
    if (next_ >= lines_.size()) {
      Fail("The variance file \"" + PathText(path_) +
           "\" is incomplete. Variance analysis is not done.");
      return false;
    }
    const std::string& line = lines_[next_++];
    const auto tokens = SplitTokens(line);
    if (!tokens.empty() && ParseFiniteNumber(tokens.front(), value)) return true;
    // Files written before the fields were kept apart may hold two values of 22 places each
    // without a blank between them (a negative value fills its field): read the first by
    // position.
    const auto first = SplitTokens(std::string_view(line).substr(0, kFieldWidth));
    if (line.size() > kFieldWidth && first.size() == 1 && ParseFiniteNumber(first.front(), value)) {
      return true;
    }
    return Invalid();
  }

  // A sum of squares: never negative.
  bool ReadSumOfSquares(double& value) { return Read(value) && (value >= 0 || Invalid()); }

  // A whole number within [low, high].
  bool ReadCount(int& count, int low, int high) {
    double value = 0;
    if (!Read(value)) return false;
    if (value != std::floor(value) || value < low || value > high) return Invalid();
    count = static_cast<int>(value);
    return true;
  }

  // A line whose content the table does not use; it must still be there.
  bool Skip() {
    if (failed_) return false;
    if (next_ >= lines_.size()) {
      Fail("The variance file \"" + PathText(path_) +
           "\" is incomplete. Variance analysis is not done.");
      return false;
    }
    ++next_;
    return true;
  }

 private:
  bool Invalid() {
    Fail("The variance file \"" + PathText(path_) + "\" holds no valid value in line " +
         FormatInt(static_cast<long long>(next_)) + ". Variance analysis is not done.");
    return false;
  }
  void Fail(const std::string& message) {
    if (!failed_) dialogs_.ShowMessage(message);
    failed_ = true;
  }

  // The width of a value in the variance files ("%22.15e").
  static constexpr size_t kFieldWidth = 22;

  std::filesystem::path path_;
  UserDialogs& dialogs_;
  const MemoryFiles* memory_;
  std::vector<std::string> lines_;
  size_t next_ = 0;
  bool failed_ = false;
};

// Positions 1 to 3, common to every layout. False when the file is damaged or Y does not vary
// (both with their message shown).
struct CommonValues {
  int NrOfVar = 1;
  int N = 0;
  double SST = 0;
};

// Counts beyond this are not data sets but damage (the program is meant for a few thousand);
// within it the F probabilities are exact where their series is.
constexpr int kMaxData = 10000000;

bool ReadCommon(VarFileReader& in, int highestNrOfVar, TDMVornax& data, UserDialogs& dialogs,
                CommonValues& values) {
  if (!in.Open() || !in.ReadCount(values.NrOfVar, 1, highestNrOfVar)) return false;
  data.NrOfVar = values.NrOfVar;
  if (!in.ReadCount(values.N, 1, kMaxData) || !in.ReadSumOfSquares(values.SST)) return false;
  if (values.SST == 0) {
    dialogs.ShowMessage("There is no variation. Variance analysis is not done.");
    return false;
  }
  return true;
}

// The extra degrees of freedom of a breakpoint and the divisor of its residual variance.
struct BreakpointDf {
  int Nu1 = 0;
  int Divisor = 0;
};

// One variable: the extra row of a type against the straight line. The total row has one more
// degree of freedom in the numerator; it is judged against the same residual variance, so its
// second degree of freedom is the fit's residual one, as in the extra row.
std::optional<BreakpointDf> OneVariableDf(int type, int n) {
  switch (type) {
    case 3:
    case 4:
      return BreakpointDf{2, n - 4};
    case 5:
      return BreakpointDf{1, n - 3};
    case 2:
    case 6:
      return BreakpointDf{3, n - 5};
    default:
      return std::nullopt;
  }
}

// Two variables: the breakpoint of a stage, which also carries the other variable's line.
std::optional<BreakpointDf> TwoVariableDf(int type, int n) {
  switch (type) {
    case 3:
    case 4:
      return BreakpointDf{3, n - 5};
    case 5:
      return BreakpointDf{2, n - 4};
    case 2:
    case 6:
      return BreakpointDf{4, n - 6};
    default:
      return std::nullopt;
  }
}

void OneVariableTable(const std::filesystem::path& varPath, VarFileReader& in,
                      const CommonValues& common, RunOptions& options, UserDialogs& dialogs,
                      TDMVornax& data) {
  double ssLin = 0, breakpoint = 0, ssSeg = 0;
  if (!in.ReadSumOfSquares(ssLin) || !in.Read(breakpoint)) return;
  const bool broken = breakpoint != kNoBreakpoint;
  if (broken && !in.ReadSumOfSquares(ssSeg)) return;

  const int n = common.N;
  AnovaTableWriter table(n, common.SST, ExtraSource::Breakpoint, options, dialogs);
  table.Text = WantsReportText(data.Memory);
  table.WriteAnovaHeader(options.FoundType < 7 ? " Variance Analysis, ANOVA table, Regression Type:" +
                                                     FormatInt(options.FoundType, 2)
                                               : std::string(),
                         varPath);

  const auto lineVariance = AnovaTableWriter::ResidualVariance(ssLin, n - 2);
  table.WriteExplainedRows(
      1, n - 2, "  lin. regr. ", "", common.SST - ssLin, ssLin, lineVariance,
      table.Test(common.SST - ssLin, 1, n - 2, lineVariance, kExactFitF));

  // A breakpoint of a type without a breakpoint table (a stale type) gets no rows rather than
  // rows with made-up degrees of freedom.
  const auto df = broken ? OneVariableDf(options.FoundType, n) : std::nullopt;
  if (df) {
    const auto variance = AnovaTableWriter::ResidualVariance(ssSeg, df->Divisor);
    const double ssExtra = ssLin - ssSeg;
    table.WriteExtraRows(df->Nu1, df->Divisor, "  break-point", ssSeg, ssExtra, variance,
                         table.Test(ssExtra, df->Nu1, df->Divisor, variance,
                                    kExactFitF));
    table.TotalRow = true;
    const double ssTotal = common.SST - ssSeg;
    const int nu1 = df->Nu1 + 1;
    const int nu2 = df->Divisor;
    table.WriteExtraRows(nu1, nu2, "  break-point", ssSeg, ssTotal, variance,
                         table.Test(ssTotal, nu1, nu2, variance, kExactFitF));
  }
  table.WriteClosing(true);
  if (ReplaceVarianceFile(varPath, table.Lines(), dialogs, data.Memory, data.VarianceHold)) {
    data.Result.Anova = table.Rows();
  }
}

// Two variables. Which blocks appear: each stage's straight line when the stage is marked
// present, and its breakpoint block only when that stage found a breakpoint. So a table holds
// line 1 [+ breakpoint 1] + line 2 [+ breakpoint 2]: both broken, first only, second only, or
// neither.
void TwoVariableTable(const std::filesystem::path& varPath, VarFileReader& in,
                      const CommonValues& common, RunOptions& options, UserDialogs& dialogs,
                      TDMVornax& data) {
  double ssLin1 = 0, bp1 = 0, ssRes1 = 0, ssLin2 = 0, bp2 = 0, ssSeg2 = 0;
  int sequence = 1;
  if (!in.ReadSumOfSquares(ssLin1) || !in.ReadCount(sequence, 1, 2) || !in.Read(bp1) ||
      !in.ReadSumOfSquares(ssRes1) || !in.ReadSumOfSquares(ssLin2) || !in.Read(bp2)) {
    return;
  }
  if (bp2 != kNoBreakpoint && !in.ReadSumOfSquares(ssSeg2)) return;

  const bool xFirst = sequence == 1;
  const int n = common.N;
  AnovaTableWriter table(n, common.SST, ExtraSource::Breakpoint, options, dialogs);
  table.Text = WantsReportText(data.Memory);
  table.WriteAnovaHeader(" Variance Analysis, ANOVA table, Regression Types: 1st Type:" +
                             FormatInt(options.FirstStageType, 2) +
                             ", 2nd Type:" + FormatInt(options.SecondStageType, 2),
                         varPath);

  if (options.FirstStagePresent) {
    const auto variance = AnovaTableWriter::ResidualVariance(ssLin1, n - 2);
    table.WriteExplainedRows(
        1, n - 2, xFirst ? " lin. regr. X" : " lin. regr. Z", "", common.SST - ssLin1, ssLin1,
        variance, table.Test(common.SST - ssLin1, 1, n - 2, variance, kExactFitF));
    const auto df = bp1 != kNoBreakpoint ? TwoVariableDf(options.FirstStageType, n) : std::nullopt;
    if (df) {
      const auto bpVariance = AnovaTableWriter::ResidualVariance(ssRes1, df->Divisor);
      const double ss = ssLin1 - ssRes1;
      table.WriteExtraRows(df->Nu1, df->Divisor, xFirst ? " X-breakpoint" : " Z-break-point",
                           ssRes1, ss, bpVariance,
                           table.Test(ss, df->Nu1, df->Divisor, bpVariance,
                                      kExactFitF));
    }
  }
  if (options.SecondStagePresent) {
    const auto variance = AnovaTableWriter::ResidualVariance(ssLin2, n - 2);
    table.WriteExplainedRows(1, n - 2, " lin. reg. of", xFirst ? " residuals on Z" : " residuals on X",
                             ssRes1 - ssLin2, ssLin2, variance,
                             table.Test(ssRes1 - ssLin2, 1, n - 2, variance, kExactFitF));
    const auto df =
        bp2 != kNoBreakpoint ? TwoVariableDf(options.SecondStageType, n) : std::nullopt;
    if (df) {
      const auto bpVariance = AnovaTableWriter::ResidualVariance(ssSeg2, df->Divisor);
      const double ss = ssLin2 - ssSeg2;
      table.WriteExtraRows(df->Nu1, df->Divisor, xFirst ? " Z-breakpoint" : " X-breakpoint",
                           ssSeg2, ss, bpVariance,
                           table.Test(ss, df->Nu1, df->Divisor, bpVariance,
                                      kExactFitF));
    }
  }
  table.WriteClosing(true);
  if (ReplaceVarianceFile(varPath, table.Lines(), dialogs, data.Memory, data.VarianceHold)) {
    data.Result.Anova = table.Rows();
  }
}

}  // namespace

void MakeSegmentedAnova(TDMVornax& data, RunOptions& options, UserDialogs& dialogs) {
  const auto varPath = WithExtension(data.FileName, ".var");
  VarFileReader in(varPath, dialogs, data.VarianceFiles());
  CommonValues common;
  if (!ReadCommon(in, 2, data, dialogs, common)) return;
  if (common.NrOfVar == 2) {
    TwoVariableTable(varPath, in, common, options, dialogs, data);
  } else {
    OneVariableTable(varPath, in, common, options, dialogs, data);
  }
}

void MakeCurveAnova(TDMVornax& data, RunOptions& options, UserDialogs& dialogs) {
  struct Curve {
    const char* Title;
    const char* Label;
    int Nu1;
  };
  const bool transformed = options.CurveExponent != 1;
  std::optional<Curve> curve;
  if (options.CurveQuadratic) {
    curve = Curve{" Variance Analysis, ANOVA table, quadratic Regression", "  quadr. regr.",
                  transformed ? 3 : 2};
  } else if (options.CurveCubic) {
    curve = Curve{" Variance Analysis, ANOVA table, cubic Regression", "  cubic regr.",
                  transformed ? 4 : 3};
  } else if (options.CurvePower) {
    curve = Curve{" Variance Analysis, ANOVA table, power Regression", "  power regr.",
                  transformed ? 2 : 1};
  } else if (options.CurveSCurve) {
    curve = Curve{" Variance Analysis, ANOVA table, S-curve Regression", "  S-curve regr.", 2};
  }
  if (!curve) {
    ShowProgramError(dialogs, " No curve was fitted, so there is no curve to analyse.");
    return;
  }

  const auto varPath = WithExtension(data.FileName, ".var");
  VarFileReader in(varPath, dialogs, data.VarianceFiles());
  CommonValues common;
  if (!ReadCommon(in, 1, data, dialogs, common)) return;
  double ssLin = 0, ssCurve = 0;
  // Line 5 holds the curve's lower Y value plus 1, which the table does not use.
  if (!in.ReadSumOfSquares(ssLin) || !in.Skip() || !in.ReadSumOfSquares(ssCurve)) return;

  const int n = common.N;
  AnovaTableWriter table(n, common.SST, ExtraSource::Curve, options, dialogs);
  table.Text = WantsReportText(data.Memory);
  table.WriteAnovaHeader(curve->Title, varPath);

  const auto lineVariance = AnovaTableWriter::ResidualVariance(ssLin, n - 2);
  table.WriteExplainedRows(1, n - 2, "  lin. regr. ", "", common.SST - ssLin, ssLin,
                           lineVariance,
                           table.Test(common.SST - ssLin, 1, n - 2, lineVariance,
                                      kCurveFSubstitute));

  // A curve that explains less than the line, or nothing at all, gets the marker F of -0.001
  // and the lowest significance.
  auto curveTest = [&](double ss, int nu1, int nu2, std::optional<double> variance,
                       bool worse) -> std::optional<FTest> {
    if (!variance || nu2 < 1) return std::nullopt;
    if (worse) return FTest{kNegativeCurveF, FProbability(nu1, nu2, kNegativeCurveF)};
    return table.Test(ss, nu1, nu2, variance, kCurveFSubstitute);
  };

  const int nu1 = curve->Nu1;
  const int nu2 = n - nu1 - 1;
  const double ssExtra = ssLin - ssCurve;
  const auto variance = AnovaTableWriter::ResidualVariance(ssCurve, nu2);
  table.WriteExtraRows(nu1, nu2, curve->Label, ssCurve, ssExtra, variance,
                       curveTest(ssExtra, nu1, nu2, variance, ssExtra < 0));

  table.TotalRow = true;
  const int nu1Total = nu1 + 1;
  const int nu2Total = n - nu1Total - 1;
  const double ssTotal = common.SST - ssCurve;
  const auto totalVariance = AnovaTableWriter::ResidualVariance(ssCurve, nu2Total);
  table.WriteExtraRows(nu1Total, nu2Total, curve->Label, ssCurve, ssTotal, totalVariance,
                       curveTest(ssTotal, nu1Total, nu2Total, totalVariance, ssTotal <= 0));

  table.WriteClosing(false);
  if (ReplaceVarianceFile(varPath, table.Lines(), dialogs, data.Memory, data.VarianceHold)) {
    data.Result.Anova = table.Rows();
  }
}

}  // namespace vornax
