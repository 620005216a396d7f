// The table import of vornax-batch on arbitrary bytes. The first byte's bits are command-line
// choices: "the last column is the weight", --strict, and columns chosen by number or by name;
// the rest is the table. An accepted table must turn into grid rows of a consistent shape.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "FuzzSupport.h"
#include "run/TableImport.h"

using namespace vornax;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size) {
  if (size < 1) return 0;
  ImportChoices choices;
  choices.Strict = (bytes[0] & 2) != 0;
  if ((bytes[0] & 4) != 0) {
    choices.Y = "2";
    choices.X = "1";
    if ((bytes[0] & 8) != 0) choices.Weight = "3";
  } else if ((bytes[0] & 16) != 0) {
    choices.Y = "y";
    choices.X = "X";
    if ((bytes[0] & 8) != 0) choices.Z = "z";
  } else {
    choices.LastColumnIsWeight = (bytes[0] & 1) != 0;
  }
  const auto path = fuzz::WriteScratchFile("table.csv", bytes + 1, size - 1);
  ImportedTable table;
  std::string error;
  if (!ImportTable(path, choices, table, error)) {
    if (error.empty()) std::abort();  // every refusal says why
    return 0;
  }
  if (table.Cells.empty() || table.Cells.size() != table.LineNumbers.size() ||
      table.NrOfVarInData < 1 || table.NrOfVarInData > 2) {
    std::abort();
  }
  // Every row holds one cell per column used, none of them missing.
  const size_t used = 1 + static_cast<size_t>(table.NrOfVarInData) + (table.HasWeights ? 1 : 0);
  for (const auto& row : table.Cells) {
    if (row.size() != used) std::abort();
    for (const std::string& cell : row) {
      if (IsMissingValue(cell)) std::abort();
    }
  }
  const GridInput grid = GridFromTable(table, path.filename().string());
  if (grid.Rows.size() != table.Cells.size() ||
      grid.NrOfData != static_cast<int32_t>(grid.Rows.size())) {
    std::abort();
  }
  return 0;
}
