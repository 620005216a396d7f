// The "Save-Calculate" sequence.
//
// Everything the grid holds is checked before the data set, the input file or the analysis is
// touched: a cell that is not a number, a weight factor out of range or an expansion too large
// stops the run with its message and leaves the data set as it was.
#include "run/SaveCalculate.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <utility>

#include "data/InputFile.h"
#include "data/OutputFile.h"
#include "data/TextFile.h"

namespace vornax {
namespace {

std::string_view Trimmed(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t' || text.back() == '\r')) {
    text.remove_suffix(1);
  }
  return text;
}

bool ConvertWith(std::string_view text, char separator, double& value) {
  std::string s(Trimmed(text));
  if (separator != '.') {
    if (s.find('.') != std::string::npos) return false;
    const size_t at = s.find(separator);
    if (at != std::string::npos) s[at] = '.';
  }
  return ParseFiniteNumber(s, value);
}

std::string_view Cell(const std::vector<std::string>& row, size_t column) {
  return column < row.size() ? Trimmed(row[column]) : std::string_view();
}


// The name of a GridInput column in messages: Y, X (Z when the one variable is titled so), Z,
// weight.
std::string ColumnName(size_t column, bool two, bool singleIsZ, size_t weightColumn) {
  if (column == 1) return "Y";
  if (column == weightColumn) return "weight";
  if (column == 2) return !two && singleIsZ ? "Z" : "X";
  return "Z";
}

double ConfidenceFactor(int percent) {
  return percent == 95 || percent == 98 ? ConfidenceFactorForPercent(percent) : 1.75;
}

bool TransformableCurve(CurveChoice c) {
  return c == CurveChoice::SCurve || c == CurveChoice::Quadratic || c == CurveChoice::Cubic;
}

}  // namespace

bool StringToFloat(std::string_view text, long double& value, char& decimalSeparator) {
  double v = 0;
  if (ConvertWith(text, decimalSeparator, v)) {
    value = v;
    return true;
  }
  if (decimalSeparator != ',') return false;
  decimalSeparator = '.';
  if (!ConvertWith(text, decimalSeparator, v)) return false;
  value = v;
  return true;
}

GridRowsTaken TakeGridRows(const GridInput& grid, bool weights, char& decimalSeparator) {
  GridRowsTaken taken;
  const bool two = grid.NrOfVarInData == 2;
  // Rows 1 to R: R is the larger of the data count and the rows entered before; with weights the
  // data count is the number of rows the grid holds.
  const int64_t count = weights ? static_cast<int64_t>(grid.Rows.size()) : grid.NrOfData;
  const int64_t rowsToRead = std::max<int64_t>(count, grid.GridRowCount);
  const size_t weightColumn = two ? 4 : 3;
  std::vector<size_t> needed = {1, 2};
  if (two) needed.push_back(3);
  if (weights) needed.push_back(weightColumn);
  for (int64_t r = 0; r < rowsToRead; ++r) {
    static const std::vector<std::string> kEmptyRow;
    const auto& row = static_cast<size_t>(r) < grid.Rows.size() ? grid.Rows[static_cast<size_t>(r)]
                                                                : kEmptyRow;
    const int32_t gridRow = static_cast<int32_t>(r + 1);
    auto refuse = [&](size_t column, std::string message) {
      taken.Refusal = std::move(message);
      taken.BadRow = gridRow;
      taken.BadColumn = static_cast<int32_t>(column);
      return taken;
    };
    auto where = [&](size_t column) {
      return "Row " + std::to_string(gridRow) + ", " +
             ColumnName(column, two, grid.SingleIsZ, weightColumn);
    };
    // Blank cells count as empty. A row without any value is a blank row; a weight of 1 alone
    // (what every new row holds) is no value either.
    size_t filled = 0;
    bool valueGiven = false;
    for (size_t column : needed) {
      const std::string_view cell = Cell(row, column);
      if (cell.empty()) continue;
      ++filled;
      if (column != weightColumn || !weights || cell != "1") valueGiven = true;
    }
    if (filled < needed.size()) {
      taken.Skipped = true;
      if (valueGiven) taken.IncompleteRows.push_back(gridRow);
      continue;
    }
    // A value that is not a number stops the run: analysing a value the user never entered
    // would give a report that looks right and is not.
    long double values[4] = {0, 0, 0, 0};
    for (size_t column = 1; column <= (two ? 3u : 2u); ++column) {
      if (!StringToFloat(Cell(row, column), values[column], decimalSeparator)) {
        return refuse(column, where(column) + ": \"" + std::string(Cell(row, column)) +
                                  "\" is not a number");
      }
    }
    int weight = 1;
    if (weights) {
      const std::string_view cell = Cell(row, weightColumn);
      double real = 0;
      if (!ParseInt32(cell, weight)) {
        // "2.0" is the whole number it says; "1.5" is no count of data sets.
        if (!ParseFiniteNumber(cell, real)) {
          return refuse(weightColumn, where(weightColumn) + ": \"" + std::string(cell) +
                                          "\" is not a number");
        }
        if (real != std::floor(real) || std::fabs(real) > 2e9) {
          return refuse(weightColumn, where(weightColumn) + " " + std::string(cell) +
                                          ": weight factors are whole numbers");
        }
        weight = static_cast<int>(real);
      }
      const std::string says = "The weight factor in row " + std::to_string(gridRow) + " is " +
                               std::to_string(weight) + ": ";
      if (weight < 1) {
        return refuse(weightColumn, says + "a data set cannot count zero or negative times. "
                                           "Use weight factors of 1 or more.");
      }
      if (weight > kMaxWeightFactor) {
        return refuse(weightColumn, says + "weight factors above " +
                                        std::to_string(kMaxWeightFactor) + " are not accepted.");
      }
      taken.ExtraCopies += weight - 1;
    }
    taken.Y.push_back(values[1]);
    taken.X.push_back(values[2]);
    taken.Z.push_back(values[3]);
    taken.Weight.push_back(weight);
  }
  return taken;
}

std::string RowList(const std::vector<int32_t>& rows, size_t maxGroups) {
  std::vector<std::string> groups;
  size_t i = 0, counted = 0;
  while (i < rows.size()) {
    size_t j = i;
    while (j + 1 < rows.size() && rows[j + 1] == rows[j] + 1) ++j;
    if (groups.size() == maxGroups) break;
    if (j - i >= 2) {
      groups.push_back(std::to_string(rows[i]) + "-" + std::to_string(rows[j]));
    } else {
      j = i;
      groups.push_back(std::to_string(rows[i]));
    }
    counted += j - i + 1;
    i = j + 1;
  }
  std::string text = rows.size() == 1 ? "Row " : "Rows ";
  const size_t rest = rows.size() - counted;
  for (size_t g = 0; g < groups.size(); ++g) {
    if (g > 0) text += g + 1 == groups.size() && rest == 0 ? " and " : ", ";
    text += groups[g];
  }
  if (rest > 0) text += " and " + std::to_string(rest) + " more";
  return text;
}

std::string IncompleteRowsMessage(const std::vector<int32_t>& rows) {
  const bool one = rows.size() == 1;
  return RowList(rows) + (one ? " is incomplete and is" : " are incomplete and are") +
         " left out of the analysis.";
}

SaveCalculateResult SaveCalculate(Session& session, const GridInput& grid,
                                  const std::filesystem::path& inputPath, UserDialogs& dialogs,
                                  bool writeInputFile) {
  SaveCalculateResult result;
  if (inputPath.empty()) {
    dialogs.ShowMessage("The input data were not saved");
    return result;
  }
  char separator = session.DecimalSeparator;
  GridRowsTaken taken = TakeGridRows(grid, session.Options.WeightsUsed, separator);
  session.DecimalSeparator = separator;
  result.BadRow = taken.BadRow;
  result.BadColumn = taken.BadColumn;
  if (!taken.Refusal.empty()) {
    dialogs.ShowMessage(taken.Refusal);
    result.Outcome = SaveCalculateOutcome::DataRefused;
    return result;
  }
  GridValues values;
  values.Y = std::move(taken.Y);
  values.X = std::move(taken.X);
  values.Z = std::move(taken.Z);
  values.Weight = std::move(taken.Weight);
  const int64_t count = session.Options.WeightsUsed ? static_cast<int64_t>(grid.Rows.size())
                                                    : grid.NrOfData;
  values.Dropped = taken.Skipped || static_cast<int64_t>(grid.Rows.size()) > count;
  values.IncompleteRows = std::move(taken.IncompleteRows);
  return SaveCalculate(session, grid, std::move(values), inputPath, dialogs, writeInputFile);
}

SaveCalculateResult SaveCalculate(Session& session, const GridInput& grid, GridValues&& rows,
                                  const std::filesystem::path& inputPath, UserDialogs& dialogs,
                                  bool writeInputFile, bool loadReport) {
  TDMVornax& data = session.Data;
  RunOptions& options = session.Options;
  SaveCalculateResult result;
  if (inputPath.empty()) {
    dialogs.ShowMessage("The input data were not saved");
    return result;
  }
  const bool two = grid.NrOfVarInData == 2;
  int64_t extra = 0;
  for (size_t i = 0; i < rows.Weight.size(); ++i) {
    // The grid's rows are checked one by one above; values read elsewhere get the same limits.
    const int32_t weight = rows.Weight[i];
    if (weight < 1 || weight > kMaxWeightFactor) {
      dialogs.ShowMessage("The weight factor of data set " + std::to_string(i + 1) + " is " +
                          std::to_string(weight) + ": weight factors from 1 to " +
                          std::to_string(kMaxWeightFactor) + " are accepted.");
      result.Outcome = SaveCalculateOutcome::DataRefused;
      return result;
    }
    extra += weight - 1;
  }
  rows.Weight.resize(rows.Y.size(), 1);
  rows.Z.resize(rows.Y.size(), 0);

  const int64_t n = static_cast<int64_t>(rows.Y.size());
  if (n == 0) {
    dialogs.ShowMessage(two ? "There are no complete data sets: each needs a Y, an X and a Z value."
                            : "There are no complete data sets: each needs a Y and an X value.");
    result.Outcome = SaveCalculateOutcome::DataRefused;
    return result;
  }
  // Checked before a single copy is made, so a mistyped weight cannot exhaust the memory.
  if (n + extra > kMaxExpandedDataSets) {
    dialogs.ShowMessage("The weight factors would expand the data to " + std::to_string(n + extra) +
                        " data sets; at most " + std::to_string(kMaxExpandedDataSets) +
                        " can be analysed.");
    result.Outcome = SaveCalculateOutcome::DataRefused;
    return result;
  }
  // What is analysed must be what the user sees: every row left out for a missing value is
  // named, and the analysis goes on with the complete ones.
  result.IncompleteRows = rows.IncompleteRows;
  if (!rows.IncompleteRows.empty()) dialogs.ShowMessage(IncompleteRowsMessage(rows.IncompleteRows));

  // The grid is good: it becomes the data set, numbered 1 to n in grid order.
  result.RowsPacked = rows.Dropped;
  data.FileName = PathText(inputPath);
  data.Title1 = grid.Title1.empty() ? " No first title given" : grid.Title1;
  data.Title2 = grid.Title2.empty() ? " No second title given" : grid.Title2;
  data.NrOfVarInData = two ? 2 : 1;
  data.SingleIsZ = two ? grid.Option == VarChoice::SecondOnly : grid.SingleIsZ;
  data.SingleIsX = !data.SingleIsZ;
  const size_t total = static_cast<size_t>(n + extra);
  data.SerialNr.assign(total, 0);
  for (size_t i = 0; i < static_cast<size_t>(n); ++i) data.SerialNr[i] = static_cast<int32_t>(i + 1);
  data.YData = std::move(rows.Y);
  data.XData = std::move(rows.X);
  data.ZData = std::move(rows.Z);
  data.WeightFactor = std::move(rows.Weight);
  data.ZSaved.clear();
  data.NrOfData = static_cast<int32_t>(n);
  data.GridRowCount = static_cast<int32_t>(n);

  // Weight expansion: data set j with weight w gets w - 1 copies after the n data sets, in the
  // order of j. The copies keep serial number 0 and weight 1, so they count once each.
  if (extra > 0) {
    data.YData.reserve(total);
    data.XData.reserve(total);
    data.ZData.reserve(total);
    data.WeightFactor.reserve(total);
    for (size_t j = 0; j < static_cast<size_t>(n); ++j) {
      for (int32_t c = 1; c < data.WeightFactor[j]; ++c) {
        data.YData.push_back(data.YData[j]);
        data.XData.push_back(data.XData[j]);
        data.ZData.push_back(data.ZData[j]);
        data.WeightFactor.push_back(1);
      }
    }
    data.NrOfData = static_cast<int32_t>(total);
  }

  result.InputPath = data.FileName;
  if (writeInputFile && !WriteInputFile(data, options, dialogs)) {
    result.Outcome = SaveCalculateOutcome::InputNotWritten;
    return result;
  }

  options.ConfidenceT = ConfidenceFactor(grid.ConfidencePercent);
  if (!two) {
    data.VarOption = 0;
    data.NrOfVar = 1;
  } else {
    data.VarOption = grid.Option == VarChoice::Both ? 3 : grid.Option == VarChoice::FirstOnly ? 1 : 2;
    data.NrOfVar = grid.Option == VarChoice::Both ? 2 : 1;
  }
  if (TransformableCurve(options.CurveX) || TransformableCurve(options.CurveZ)) {
    options.TransformAccepted = dialogs.AskYesNo(kTransformQuestion);
  }

  RunAnalysis(data, options, dialogs, session.DecimalSeparator, session.Analyses);

  if (options.CurveAbort) {
    dialogs.HideProgress();
    result.Outcome = SaveCalculateOutcome::AnalysisStopped;
    return result;
  }
  options.PartialFailed = false;
  if (options.CurveCubic && options.CurveExplCoeff < 0.02) {
    dialogs.ShowMessage("The cubic function could not be found.");
    options.AnalysisFailed = true;
  }
  data.NrOfVar = data.NrOfVarInData;
  if (options.AnalysisFailed) {
    options.AnalysisFailed = false;
    dialogs.HideProgress();
    result.Outcome = SaveCalculateOutcome::AnalysisStopped;
    return result;
  }

  const std::filesystem::path outputPath = WithExtension(inputPath, ".out");
  data.FileName = PathText(outputPath);
  result.OutputPath = data.FileName;
  const bool reportGood = loadReport ? ReadTextFile(data, outputPath, ".out", dialogs)
                                    : CheckReportFile(outputPath, dialogs, data.Memory);
  if (!reportGood) {
    // This run's own output proved empty: its trace goes (a file opened by the user never does).
    if (FileExists(outputPath, data.Memory)) RemoveInvalidRunOutput(data, outputPath);
    dialogs.HideProgress();
    result.Outcome = SaveCalculateOutcome::OutputInvalid;
    return result;
  }
  dialogs.AddProgress(" Filing results ..");
  dialogs.Pause(500);
  dialogs.HideProgress();
  dialogs.ShowMessage("The input is saved in " + result.InputPath +
                      "   Calculations were done and the output is saved in  " + result.OutputPath);
  result.Outcome = SaveCalculateOutcome::Done;
  return result;
}

}  // namespace vornax
