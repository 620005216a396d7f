// The building blocks of the ANOVA tables: row F-tests, heading, row blocks, closing lines and
// the replacement of the variance file.
#include "anova/AnovaTable.h"

#include <algorithm>
#include <cctype>

#include "anova/Anova.h"
#include "data/NumberFormat.h"
#include "data/TextFile.h"

namespace vornax {

namespace {

const std::string kRule(68, '-');

// A column that has no value because the row has no residual degrees of freedom.
const std::string kNotAvailable = "n.a.";

// A row label without its padding.
std::string Trimmed(const std::string& text) {
  size_t from = 0, to = text.size();
  while (from < to && std::isspace(static_cast<unsigned char>(text[from]))) ++from;
  while (to > from && std::isspace(static_cast<unsigned char>(text[to - 1]))) --to;
  return text.substr(from, to - from);
}

AnovaRowResult Row(const char* kind, const std::string& source, double ss, int nu1, int nu2,
                   std::optional<FTest> test, double residualSS) {
  AnovaRowResult row;
  row.Kind = kind;
  row.Source = source;
  row.SumOfSquares = ss;
  row.Df1 = nu1;
  row.Df2 = std::max(nu2, 0);
  if (test) {
    row.F = test->F;
    row.Significance = std::min(test->Significance, 99.9);
  }
  row.ResidualSumOfSquares = residualSS;
  return row;
}

}  // namespace

int AnovaDfWidth(int n) { return n > 100 ? 3 : n > 10 ? 2 : 1; }

AnovaTableWriter::AnovaTableWriter(int n, double sst, ExtraSource source, RunOptions& options,
                                   UserDialogs& dialogs)
    : AnovaN(n),
      AnovaSST(sst),
      DfWidth(AnovaDfWidth(n)),
      source_(source),
      options_(options),
      dialogs_(dialogs) {}

std::optional<double> AnovaTableWriter::ResidualVariance(double residualSS, int residualDf) {
  if (residualDf < 1) return std::nullopt;
  return residualSS / residualDf;
}

std::optional<FTest> AnovaTableWriter::Test(double ss, int nu1, int nu2,
                                            std::optional<double> residualVariance,
                                            double substitute) const {
  if (!residualVariance || nu1 < 1 || nu2 < 1) return std::nullopt;
  // Rounding leaves residues like 1e-28 behind an exact fit; divided into, they would give an F
  // of dozens of digits. Measured against the variance of Y they are plainly zero.
  const double totalVariance = AnovaSST / std::max(AnovaN - 1, 1);
  double f = (ss / nu1) / *residualVariance;
  if (*residualVariance <= 1e-12 * totalVariance) {
    f = ss / nu1 <= 1e-12 * totalVariance ? 0 : substitute;
  }
  return FTest{f, FProbability(nu1, nu2, f)};
}

void AnovaTableWriter::WriteAnovaHeader(const std::string& titleLine,
                                        const std::filesystem::path& varPath) {
  if (!Text) return;
  if (!titleLine.empty()) lines_.push_back(titleLine);
  lines_.push_back(" File Name : " + PathText(varPath));
  lines_.emplace_back();
  lines_.push_back(" Sum[(Y-Av.Y)sq.] =" + FormatFixed(AnovaSST, 12, 3) +
                   "  (total sum of squares of deviations)");
  lines_.emplace_back();
  lines_.push_back(" Total nr. of data  =" + FormatInt(AnovaN, 8));
  lines_.push_back(" Degrees of freedom =" + FormatInt(AnovaN - 1, 8));
  lines_.emplace_back();
  lines_.push_back(" Sum of squares      Degrees of                          Probability/");
  lines_.push_back(" of deviations        freedom     Variance     F-Test    Significance");
  lines_.push_back(" " + kRule);
}

std::string AnovaTableWriter::Caption(const std::string& label, int blanks, int nu1,
                                      int nu2) const {
  // A row without residual degrees of freedom shows 0 rather than a negative count.
  return label + std::string(static_cast<size_t>(blanks), ' ') + " F(" + FormatInt(nu1, 1) + "," +
         FormatInt(std::max(nu2, 0), DfWidth) + ")=";
}

std::string AnovaTableWriter::TestColumns(double ss, int nu1, std::optional<FTest> test) const {
  std::string text = FormatFixed(ss, 12, 3) + std::string(14, ' ') + FormatInt(nu1, 1) +
                     FormatFixed(ss / nu1, 15, 3);
  if (!test) return text + PadLeft(kNotAvailable, 12) + PadLeft(kNotAvailable, 13);
  // The clamp leaves 99.99 at most; one decimal must not round that up to 100.0.
  return text + FormatFixed(test->F, 12, 3) + FormatFixed(std::min(test->Significance, 99.9), 13, 1) +
         " %";
}

void AnovaTableWriter::WriteExplainedRows(int nu1, int nu2, const std::string& label,
                                          const std::string& secondLabel, double ssExplained,
                                          double ssUnexplained,
                                          std::optional<double> varianceUnexplained,
                                          std::optional<FTest> test) {
  if (Text) {
    lines_.push_back(" explained by");
    if (secondLabel.empty()) {
      lines_.push_back(Caption(label, 33, nu1, nu2));
    } else {
      lines_.push_back(label);
      lines_.push_back(Caption(secondLabel, 31, nu1, nu2));
    }
    lines_.push_back(TestColumns(ssExplained, nu1, test));
  }
  const std::string source =
      secondLabel.empty() ? Trimmed(label) : Trimmed(label) + " " + Trimmed(secondLabel);
  rows_.push_back(Row("explained", source, ssExplained, nu1, nu2, test, ssUnexplained));
  WriteRemaining(nu2, ssUnexplained, varianceUnexplained);
}

void AnovaTableWriter::WriteRemaining(int nu2, double ss, std::optional<double> variance) {
  if (!Text) return;
  lines_.emplace_back();
  lines_.push_back(" remaining");
  lines_.push_back(" unexplained");
  lines_.push_back(FormatFixed(ss, 12, 3) + std::string(8, ' ') + FormatInt(std::max(nu2, 0), 7) +
                   (variance ? FormatFixed(*variance, 15, 3) : PadLeft(kNotAvailable, 15)));
}

void AnovaTableWriter::WriteExtraRows(int nu1, int nu2, const std::string& label,
                                      double ssResidual, double ssExtra,
                                      std::optional<double> varianceResidual,
                                      std::optional<FTest> test) {
  if (Text) {
    lines_.emplace_back();
    lines_.push_back(TotalRow ? " total expl. by" : " extra expl. by");
    lines_.push_back(Caption(label, 32, nu1, nu2));
    lines_.push_back(TestColumns(ssExtra, nu1, test));
  }
  rows_.push_back(Row(TotalRow ? "total" : "extra", Trimmed(label), ssExtra, nu1, nu2, test,
                      ssResidual));
  if (TotalRow) return;
  if (test) WarnIfWeak(*test);
  WriteRemaining(nu2, ssResidual, varianceResidual);
}

void AnovaTableWriter::WarnIfWeak(const FTest& test) {
  if (options_.AnovaWarned) return;
  const int level = ConfidencePercent(options_.ConfidenceT);
  if (!(test.Significance < level - 1)) return;
  if (source_ == ExtraSource::Breakpoint) {
    dialogs_.ShowMessage(
        "Please check the Anova table: the significance of the extra explanation by the "
        "breakpoint is less than that given in the input tabsheet. Although the regression type "
        "obeys the specified significance, the effect of the introduction of the breakpoint is "
        "not overwhelming.");
  } else {
    dialogs_.ShowMessage(
        "Please check the Anova table: the significance of the extra explanation by the curve "
        "is less than that given in the input tabsheet. Although the regression type obeys the "
        "specified significance, the effect of the introduction of the curve is not "
        "overwhelming.");
  }
  options_.AnovaWarned = true;
}

void AnovaTableWriter::WriteClosing(bool seeAlso) {
  if (!Text) return;
  lines_.emplace_back();
  lines_.push_back(" " + kRule);
  lines_.push_back("#");
  if (seeAlso) lines_.push_back(" See also the help functions on the Intro tabsheet");
}

bool ReplaceVarianceFile(const std::filesystem::path& varPath,
                         const std::vector<std::string>& lines, UserDialogs& dialogs,
                         MemoryFiles* memory, MemoryFiles* held) {
  if (!WantsReportText(memory)) return true;
  TextFileWriter out(varPath, memory);
  for (const std::string& line : lines) out.WriteLine(line);
  if (out.Commit()) {
    if (held != nullptr) held->Remove(varPath);
    return true;
  }
  // The table is complete in a temporary file by the time only the rename can fail; any other
  // failure happened while making that file. Either way the variance file is untouched.
  if (out.Error().rfind("cannot replace", 0) == 0) {
    dialogs.ShowMessage("A file could not be renamed");
  } else {
    dialogs.ShowMessage("The Anova table could not be written beside \"" + PathText(varPath) +
                        "\": " + out.Error());
  }
  return false;
}

}  // namespace vornax
