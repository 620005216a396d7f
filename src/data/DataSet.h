// The data set: the one body of observations that the program analyses at a time.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "data/GraphData.h"
#include "data/RunResult.h"

namespace vornax {

class MemoryFiles;

// The data module. Arrays are indexed from 0; element i belongs to the data set with serial
// number i + 1. Copies appended by weight expansion carry serial number 0, and every reordering
// moves whole data sets, so a zero serial number marks an added copy wherever it ends up.
struct TDMVornax {
  std::string FileName;  // current file: the input path, after a run the output path
  // Where a run's report and variance file go: the disk (null), or memory for a run whose
  // numbers alone are wanted (see MemoryFiles).
  MemoryFiles* Memory = nullptr;
  // During a run on disk: the variance file between the analysis that writes it and the ANOVA
  // table that replaces it straight after, so that only the table reaches the disk (see
  // RunAnalysis). Null outside a run and when Memory keeps every file.
  MemoryFiles* VarianceHold = nullptr;
  // Where the analysis writes its variance file and the ANOVA table reads it.
  MemoryFiles* VarianceFiles() const { return Memory != nullptr ? Memory : VarianceHold; }
  std::string Title1;    // "General information"
  std::string Title2;    // "Details about the variables and units"

  int32_t NrOfVar = 1;        // independent variables analysed: 1 or 2
  int32_t NrOfVarInData = 1;  // independent-variable columns in the data: 1 or 2
  int32_t NrOfData = 15;      // number of data sets

  std::vector<int32_t> SerialNr;
  std::vector<long double> YData;
  std::vector<long double> XData;  // the analysed variable when only one is analysed
  std::vector<long double> ZData;
  std::vector<long double> ZSaved;  // copy of ZData while only the second variable is analysed
  std::vector<int32_t> WeightFactor;

  std::array<std::string, 6> HeaderLines;  // the six column-header lines of the input file
  uint8_t VarOption = 0;                   // 0 one variable; 1 use 1st; 2 use 2nd; 3 use both

  // Which variable a single independent column is; exactly one is set.
  bool SingleIsX = true;
  bool SingleIsZ = false;

  // Data rows entered before the last "Save-Calculate" expanded weight factors.
  int32_t GridRowCount = 15;

  // The lines of the output or ANOVA file last read for display, and its kind code.
  std::vector<std::string> OutputLines;
  std::string OutputKind;
  int32_t OutputLineCount() const { return static_cast<int32_t>(OutputLines.size()); }

  // The values of the last graph read from an output file, with their own row count: reading
  // them never changes the data set above. OlderFileShown: the older-layout message has been
  // shown for the output file opened last (cleared when another output is opened).
  GraphData Graph;
  bool OlderFileShown = false;

  // The numbers of the last run (Valid is false until an analysis has reported).
  RunResult Result;

  // Sizes every per-data-set array to n elements; new elements are empty data sets with weight 1.
  void Resize(int32_t n);

  // The start-up state: 15 empty data sets with one independent variable, no titles.
  void ResetToStartup();

  // Puts the first NrOfData data sets in ascending order of X, moving whole data sets (Y, X, Z,
  // weight factor, serial number) with a stable sort, so equal X keep their order.
  void SortDataSetsByX();
};

}  // namespace vornax
