// One "Save-Calculate" without a window: the grid's rows become the data set, weight factors are
// expanded, the input file is written, the options are encoded, one analysis runs, and its
// report is read back for display. The desktop window and vornax-batch both call this.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "data/DataSet.h"
#include "data/RunOptions.h"
#include "data/UserDialogs.h"
#include "run/RunAnalysis.h"

namespace vornax {

// Which of two independent columns are analysed ("Use both", "Use 1st only", "Use 2nd only").
enum class VarChoice { Both, FirstOnly, SecondOnly };

// What the Input tab holds when "Save-Calculate" is pressed: the cells as text, as typed.
struct GridInput {
  std::string Title1, Title2;
  int32_t NrOfVarInData = 1;
  bool SingleIsZ = false;             // one independent column, titled Z
  VarChoice Option = VarChoice::Both;  // two independent columns: which are analysed
  int ConfidencePercent = 0;          // 90, 95 or 98; 0 when nothing is chosen (90 %)
  int32_t NrOfData = 0;               // the data-count box
  int32_t GridRowCount = 0;           // rows entered before the last run
  // Grid rows 1, 2, ... by grid column: 0 serial, 1 Y, 2 X, then Z with two independent
  // columns, then the weight factor. Missing cells count as empty.
  std::vector<std::vector<std::string>> Rows;
};

// The data sets of a grid as numbers, in grid order, before weight expansion. Z holds zeros
// when there is one independent column.
struct GridValues {
  std::vector<long double> Y, X, Z;
  std::vector<int32_t> Weight;
  bool Dropped = false;  // rows without their values were left out
  // Rows (from 1) with some but not all of their values, left out and named to the user.
  std::vector<int32_t> IncompleteRows;
  size_t size() const { return Y.size(); }
};

// Everything that lives from one run to the next: the data set, the options and flags, the
// decimal separator that grid cells are converted with, and the analyses of this build.
struct Session {
  TDMVornax Data;
  RunOptions Options;
  char DecimalSeparator = '.';
  AnalysisTable Analyses = DefaultAnalysisTable();
};

enum class SaveCalculateOutcome {
  NotSaved,         // no input file name: nothing written, nothing run
  DataRefused,      // a cell or weight factor refused: nothing written, nothing run
  InputNotWritten,  // the input file could not be written: nothing run
  AnalysisStopped,  // the analysis refused the data (its message was shown)
  OutputInvalid,    // the report could not be read back, or was empty
  Done              // the report is in data.OutputLines
};

struct SaveCalculateResult {
  SaveCalculateOutcome Outcome = SaveCalculateOutcome::NotSaved;
  bool RowsPacked = false;  // rows were left out, or the grid held more rows than the data count
  std::vector<int32_t> IncompleteRows;  // grid rows (from 1) left out for an empty value
  // The cell that stopped the run (grid row from 1, column of GridInput::Rows); 0 when none.
  int32_t BadRow = 0;
  int32_t BadColumn = 0;
  std::string InputPath;
  std::string OutputPath;
};

// The grid's rows as "Save-Calculate" takes them, before anything is committed.
struct GridRowsTaken {
  std::vector<long double> Y, X, Z;
  std::vector<int32_t> Weight;
  // Rows with some but not all of their values (Y, X, Z with two variables, the weight when
  // weights are used). Rows without any value are blank and left out without a word.
  std::vector<int32_t> IncompleteRows;
  bool Skipped = false;  // a row was left out, blank or incomplete
  int64_t ExtraCopies = 0;  // the sum of weight factor - 1
  // A refusal: the message, and the cell it names (grid row from 1, GridInput column).
  std::string Refusal;
  int32_t BadRow = 0;
  int32_t BadColumn = 0;
};

// Takes rows 1 to R of the grid (R the larger of the data count, or with weights the rows
// held, and the rows entered before). A value that is not a number, or a weight factor that is
// not a whole number from 1 to kMaxWeightFactor, stops the reading at that cell.
GridRowsTaken TakeGridRows(const GridInput& grid, bool weights, char& decimalSeparator);

// Row numbers in words: "Row 12", "Rows 12 and 40", "Rows 3, 7-9 and 12". Three or more
// consecutive rows make a range; beyond `maxGroups` groups the rest is counted ("and 95 more").
std::string RowList(const std::vector<int32_t>& rows, size_t maxGroups = 12);

// "Rows 12 and 40 are incomplete and are left out of the analysis."
std::string IncompleteRowsMessage(const std::vector<int32_t>& rows);

// The question asked before a curve that may transform the X-data; the answer is
// RunOptions::TransformAccepted.
inline constexpr const char kTransformQuestion[] =
    "Standard, the X-data may undergo a transformation obtaining a generalization to increase "
    "the goodness of fit. Is this OK?";

// The largest weight factor and the largest number of data sets after expansion.
constexpr int32_t kMaxWeightFactor = 1000000;
constexpr int64_t kMaxExpandedDataSets = 10000000;

// Converts a grid cell with the current decimal separator. When that fails and the separator is
// ',', the separator becomes '.' for good and the cell is converted once more. The value is the
// nearest 64-bit number, widened. Only finite decimals count.
bool StringToFloat(std::string_view text, long double& value, char& decimalSeparator);

// The whole sequence. An empty `inputPath` stands for a cancelled save dialog. With
// `writeInputFile` false the caller vouches that `inputPath` already holds these data sets
// (vornax-batch never rewrites the file it was given); the reports still go beside it.
SaveCalculateResult SaveCalculate(Session& session, const GridInput& grid,
                                  const std::filesystem::path& inputPath, UserDialogs& dialogs,
                                  bool writeInputFile = true);

// The same from data sets already read as numbers (a long table is never held as text cells);
// `grid` gives the titles and choices, its Rows are not read. The values are taken over by the
// data set. `loadReport` false: the report is checked but not kept in data.OutputLines, for a
// caller that does not show it.
SaveCalculateResult SaveCalculate(Session& session, const GridInput& grid, GridValues&& values,
                                  const std::filesystem::path& inputPath, UserDialogs& dialogs,
                                  bool writeInputFile = true, bool loadReport = true);

}  // namespace vornax
