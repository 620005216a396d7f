// The "Save-Calculate" sequence.
//
// Everything the grid holds is checked before the data set, the input file or the analysis is
// touched: a cell that is not a number, a weight factor out of range or an expansion too large
// stops the run with its message and leaves the data set as it was.
#include "run/SaveCalculate.h"

#include <algorithm>
#include <cstddef>
#include <utility>

#include "data/InputFile.h"
#include "data/OutputFile.h"
#include "data/TextFile.h"

namespace vornax {
namespace {

constexpr const char* kNotReal =
    "Not all data values in the inputfile are real, do not use letters or blanks.";
constexpr const char* kNotInteger =
    "Not all data values in the inputfile are integer, do not use reals, letters or blanks.";

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

// The data sets taken from the grid, before anything is committed.
struct Rows {
  std::vector<long double> y, x, z;
  std::vector<int32_t> weight;
  bool dropped = false;
};

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

SaveCalculateResult SaveCalculate(Session& session, const GridInput& grid,
                                  const std::filesystem::path& inputPath, UserDialogs& dialogs,
                                  bool writeInputFile) {
  TDMVornax& data = session.Data;
  RunOptions& options = session.Options;
  SaveCalculateResult result;
  if (inputPath.empty()) {
    dialogs.ShowMessage("The input data were not saved");
    return result;
  }
  const bool two = grid.NrOfVarInData == 2;
  const bool weights = options.WeightsUsed;

  // Rows 1 to R: R is the larger of the data count and the rows entered before; with weights the
  // data count is the number of rows the grid holds.
  const int64_t count = weights ? static_cast<int64_t>(grid.Rows.size()) : grid.NrOfData;
  const int64_t rowsToRead = std::max<int64_t>(count, grid.GridRowCount);
  const size_t weightColumn = two ? 4 : 3;
  Rows rows;
  char separator = session.DecimalSeparator;
  int64_t extra = 0;
  for (int64_t r = 0; r < rowsToRead; ++r) {
    static const std::vector<std::string> kEmptyRow;
    const auto& row = static_cast<size_t>(r) < grid.Rows.size() ? grid.Rows[static_cast<size_t>(r)]
                                                                : kEmptyRow;
    // Blank cells count as empty: a row without its values is dropped, not misread.
    if (Cell(row, 1).empty() || Cell(row, 2).empty() || (two && Cell(row, 3).empty())) {
      rows.dropped = true;
      continue;
    }
    long double y = 0, x = 0, z = 0;
    // A value that is not a number stops the run: analysing a value the user never entered
    // would give a report that looks right and is not.
    if (!StringToFloat(Cell(row, 1), y, separator) || !StringToFloat(Cell(row, 2), x, separator) ||
        (two && !StringToFloat(Cell(row, 3), z, separator))) {
      session.DecimalSeparator = separator;
      dialogs.ShowMessage(kNotReal);
      result.Outcome = SaveCalculateOutcome::DataRefused;
      return result;
    }
    int weight = 1;
    if (weights) {
      std::string_view cell = Cell(row, weightColumn);
      if (cell.empty()) cell = "1";
      if (!ParseInt32(cell, weight)) {
        session.DecimalSeparator = separator;
        dialogs.ShowMessage(kNotInteger);
        result.Outcome = SaveCalculateOutcome::DataRefused;
        return result;
      }
      const std::string where = "The weight factor in row " + std::to_string(r + 1) + " is " +
                                std::to_string(weight) + ": ";
      if (weight < 1) {
        dialogs.ShowMessage(where + "a data set cannot count zero or negative times. "
                                    "Use weight factors of 1 or more.");
        result.Outcome = SaveCalculateOutcome::DataRefused;
        return result;
      }
      if (weight > kMaxWeightFactor) {
        dialogs.ShowMessage(where + "weight factors above " + std::to_string(kMaxWeightFactor) +
                            " are not accepted.");
        result.Outcome = SaveCalculateOutcome::DataRefused;
        return result;
      }
      extra += weight - 1;
    }
    rows.y.push_back(y);
    rows.x.push_back(x);
    rows.z.push_back(z);
    rows.weight.push_back(weight);
  }
  session.DecimalSeparator = separator;
  const int64_t n = static_cast<int64_t>(rows.y.size());
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

  // The grid is good: it becomes the data set, numbered 1 to n in grid order.
  result.RowsPacked = rows.dropped || static_cast<int64_t>(grid.Rows.size()) > count;
  data.FileName = PathText(inputPath);
  data.Title1 = grid.Title1.empty() ? " No first title given" : grid.Title1;
  data.Title2 = grid.Title2.empty() ? " No second title given" : grid.Title2;
  data.NrOfVarInData = two ? 2 : 1;
  data.SingleIsZ = two ? grid.Option == VarChoice::SecondOnly : grid.SingleIsZ;
  data.SingleIsX = !data.SingleIsZ;
  const size_t total = static_cast<size_t>(n + extra);
  data.SerialNr.assign(total, 0);
  for (size_t i = 0; i < static_cast<size_t>(n); ++i) data.SerialNr[i] = static_cast<int32_t>(i + 1);
  data.YData = std::move(rows.y);
  data.XData = std::move(rows.x);
  data.ZData = std::move(rows.z);
  data.WeightFactor = std::move(rows.weight);
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
  if (!ReadTextFile(data, outputPath, ".out", dialogs)) {
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
