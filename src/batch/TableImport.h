// Importing a table of columns Y, X[, Z][, weight] (comma, semicolon, tab or blank separated,
// with an optional header row) as the rows of the input grid.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "run/SaveCalculate.h"

namespace vornax::batch {

struct ImportedTable {
  std::vector<std::string> Header;                // column names; empty without a header row
  std::vector<std::vector<std::string>> Cells;    // data rows, cells as written
  std::vector<size_t> LineNumbers;                // file line of each data row
  int NrOfVarInData = 1;
  bool HasWeights = false;
  bool SingleIsZ = false;   // one independent column whose header names it Z
  char Delimiter = ',';     // ' ' for blanks and tabs
  bool DecimalComma = false;  // numbers written with a decimal comma (not with ',' as delimiter)
};

// Reads `path`. Three columns are Y, X, Z unless the last one is headed as a weight ("weight",
// "w", "wt") or `lastColumnIsWeight` is set; four are always Y, X, Z, weight. Every non-empty
// value cell must be a finite decimal; empty cells are kept (the run drops such rows).
// On failure returns false with a message that names the line.
bool ImportTable(const std::filesystem::path& path, bool lastColumnIsWeight, ImportedTable& table,
                 std::string& error);

// The grid rows of an imported table: serial numbers 1, 2, ... and the cells as written.
GridInput GridFromTable(const ImportedTable& table, const std::string& fileName);

// The grid rows of a data set read from an input file, each value written so that it converts
// back to exactly the same number.
GridInput GridFromDataSet(const TDMVornax& data, bool weightsUsed);

}  // namespace vornax::batch
