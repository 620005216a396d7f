// Importing a table of columns Y, X[, Z][, weight] (comma, semicolon, tab or blank separated,
// with an optional header row) as the rows of the input grid.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "run/SaveCalculate.h"

namespace vornax::batch {

// How the columns are chosen and how strictly missing values are taken.
struct ImportChoices {
  // Columns by header name or 1-based number; empty: not given. Y and X name the columns
  // together; without them the columns are taken by position.
  std::string Y, X, Z, Weight;
  bool LastColumnIsWeight = false;  // by position: a third column is the weight factor
  bool Strict = false;              // refuse missing values instead of leaving rows out
  // The column whose values split the table into groups (by header name or number); empty: none.
  std::string By;
};

struct ImportedTable {
  std::vector<std::string> Header;                // names of the columns used, Y, X[, Z][, weight]
  std::vector<std::vector<std::string>> Cells;    // data rows: the used cells as written
  std::vector<size_t> LineNumbers;                // file line of each data row
  std::vector<size_t> LeftOut;                    // file lines of rows left out for missing values
  std::vector<std::string> UsedNames;             // "yield", or "column 2" without a header row
  int NrOfVarInData = 1;
  bool HasWeights = false;
  bool SingleIsZ = false;        // one independent column whose header names it Z
  bool RowNamesSkipped = false;  // a leading column of row names or numbers was left aside
  bool WasUtf16 = false;         // the file was UTF-16 text
  char Delimiter = ',';          // ' ' for blanks
  bool DecimalComma = false;     // numbers written with a decimal comma
  // With ImportChoices::By: the column's name, the groups (its values as written, without the
  // blanks around them) in the order they first appear, and the group of each data row and of
  // each row left out.
  std::string ByName;
  std::vector<std::string> Groups;
  std::vector<uint32_t> GroupOfRow, GroupOfLeftOut;
};

// Cells taken as missing: empty, NA, NaN, "." and "-" (letters in either case).
bool IsMissingValue(const std::string& cell);

// Reads `path`. By position, three columns are Y, X, Z unless the last one is headed as a weight
// ("weight", "w", "wt") or `choices.LastColumnIsWeight` is set; four are always Y, X, Z, weight.
// Quoted fields follow the usual CSV rules (separators, doubled quotes and line breaks inside).
// A row with a missing value in a used column is left out (listed in LeftOut), or refused with
// `choices.Strict`. Every other used cell must be a finite decimal, a weight a whole number.
// On failure returns false with a message that names the line and the column.
bool ImportTable(const std::filesystem::path& path, const ImportChoices& choices,
                 ImportedTable& table, std::string& error);
bool ImportTable(const std::filesystem::path& path, bool lastColumnIsWeight, ImportedTable& table,
                 std::string& error);

// "Y = yield, X = depth": the columns used, for the person running the command.
std::string ColumnsUsedLine(const ImportedTable& table);

// "2 rows with a missing value left out (lines 4, 9)"; empty when none was.
std::string LeftOutLine(const ImportedTable& table);

// The grid rows of an imported table: serial numbers 1, 2, ... and the cells with a decimal
// point.
GridInput GridFromTable(const ImportedTable& table, const std::string& fileName);
// The same for some of its rows (indexes into Cells), in the order given.
GridInput GridFromTable(const ImportedTable& table, const std::string& fileName,
                        const std::vector<size_t>& rows);

// The grid rows of a data set read from an input file, each value written so that it converts
// back to exactly the same number.
GridInput GridFromDataSet(const TDMVornax& data, bool weightsUsed);

}  // namespace vornax::batch
