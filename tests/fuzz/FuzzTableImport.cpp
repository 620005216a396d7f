// The table import of vornax-batch on arbitrary bytes. The first byte's low bit is the
// command-line choice "the last column is the weight"; the rest is the table. An accepted table
// must turn into grid rows of a consistent shape.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "FuzzSupport.h"
#include "batch/TableImport.h"

using namespace vornax;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size) {
  if (size < 1) return 0;
  const bool lastIsWeight = (bytes[0] & 1) != 0;
  const auto path = fuzz::WriteScratchFile("table.csv", bytes + 1, size - 1);
  batch::ImportedTable table;
  std::string error;
  if (!batch::ImportTable(path, lastIsWeight, table, error)) {
    if (error.empty()) std::abort();  // every refusal says why
    return 0;
  }
  if (table.Cells.empty() || table.Cells.size() != table.LineNumbers.size() ||
      table.NrOfVarInData < 1 || table.NrOfVarInData > 2) {
    std::abort();
  }
  const GridInput grid = batch::GridFromTable(table, path.filename().string());
  if (grid.Rows.size() != table.Cells.size() ||
      grid.NrOfData != static_cast<int32_t>(grid.Rows.size())) {
    std::abort();
  }
  return 0;
}
