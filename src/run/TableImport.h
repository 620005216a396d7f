// Importing a table of columns Y, X[, Z][, weight] (comma, semicolon, tab or blank separated,
// with an optional header row) as the rows of the input grid.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "run/SaveCalculate.h"

namespace vornax {

// A table may hold no more data rows than an analysis takes data sets; a longer one is refused
// as soon as its rows are counted, before they are read.
constexpr size_t kMaxTableRows = static_cast<size_t>(kMaxExpandedDataSets);

// Whether the first row is a header row: guessed from its cells, or said by the user.
enum class HeaderRow { Guess, Yes, No };

// How the columns are chosen and how strictly missing values are taken.
struct ImportChoices {
  // Columns by header name or 1-based number; empty: not given. Y and X name the columns
  // together; without them the columns are taken by position.
  std::string Y, X, Z, Weight;
  bool LastColumnIsWeight = false;  // by position: a third column is the weight factor
  bool Strict = false;              // refuse missing values instead of leaving rows out
  HeaderRow Header = HeaderRow::Guess;
  // The rows are kept as numbers in ImportedTable::Values instead of as text in Cells (and
  // LineNumbers): a long table then takes little memory.
  bool AsValues = false;
  // The most data rows taken; a longer table is refused as soon as its rows are counted.
  size_t MaxRows = kMaxTableRows;
  // The column whose values split the table into groups (by header name or number); empty: none.
  std::string By{};
};

struct ImportedTable {
  std::vector<std::string> Header;                // names of the columns used, Y, X[, Z][, weight]
  std::vector<std::vector<std::string>> Cells;    // data rows: the used cells as written
  std::vector<size_t> LineNumbers;                // file line of each data row
  std::vector<size_t> LeftOut;                    // file lines of rows left out for missing values
  std::vector<std::string> LeftOutReasons;        // why each of them was: "missing value in ..."
  GridValues Values;                              // the data rows as numbers, with AsValues
  std::vector<std::string> UsedNames;             // "yield", or "column 2" without a header row
  int NrOfVarInData = 1;
  bool HasWeights = false;
  bool SingleIsZ = false;        // one independent column whose header names it Z
  bool RowNamesSkipped = false;  // a leading column of row names or numbers was left aside
  bool WasUtf16 = false;         // the file was UTF-16 text
  bool WasWindows1252 = false;   // the file was not UTF-8 and was read as Windows-1252 (Latin-1)
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

// Reads `path`. By position, two columns are Y, X and three are Y, X, Z, unless the last one is
// headed as a weight ("weight", "weights", "weight factor") or `choices.LastColumnIsWeight` is
// set; then it holds the weight factors. Weight factors never come from a column's place alone:
// four columns without a weight header are refused with a list of the columns to choose from.
// Quoted fields follow the usual CSV rules (separators, doubled quotes and line breaks inside).
// A row with a missing value in a used column is left out (listed in LeftOut), or refused with
// `choices.Strict`. Every other used cell must be a finite decimal, a weight a whole number.
// On failure returns false with a message that names the line and the column.
bool ImportTable(const std::filesystem::path& path, const ImportChoices& choices,
                 ImportedTable& table, std::string& error);
bool ImportTable(const std::filesystem::path& path, bool lastColumnIsWeight, ImportedTable& table,
                 std::string& error);

// The roles of the columns used, in the order of UsedNames: Y, X (or Z)[, Z][, weight].
std::vector<std::string> ColumnRoles(const ImportedTable& table);

// 10000000 as "10,000,000", for messages.
std::string Thousands(uint64_t n);

// "Y = yield, X = depth": the columns used, for the person running the command.
std::string ColumnsUsedLine(const ImportedTable& table);

// "2 rows with a missing value left out (lines 4, 9)"; empty when none was.
std::string LeftOutLine(const ImportedTable& table);

// The first rows of a table as a person choosing its columns sees them: every column with its
// name (from the header row, or "column 3"), the cells as written, and the columns suggested
// for Y, X, Z and the weight (by number; Z and the weight may be empty).
struct TablePreview {
  std::vector<std::string> Names;
  std::vector<std::vector<std::string>> Rows;
  bool Header = false;
  char Delimiter = ',';
  ImportChoices Suggested;
};

// Reads the header and the first `rows` data rows of `path` as ImportTable reads them; false
// with a message when the file cannot be read or holds nothing.
bool PreviewTable(const std::filesystem::path& path, size_t rows, TablePreview& preview,
                  std::string& error);

// The grid rows of an imported table: serial numbers 1, 2, ... and the cells with a decimal
// point.
GridInput GridFromTable(const ImportedTable& table, const std::string& fileName);
// The same without its rows: the titles and the layout of the variables.
GridInput GridHeading(const ImportedTable& table, const std::string& fileName);

// The grid rows of a data set read from an input file, each value written so that it converts
// back to exactly the same number.
GridInput GridFromDataSet(const TDMVornax& data, bool weightsUsed);

}  // namespace vornax
