// Reading a report or ANOVA table back for display, and the kind code the graph side reads,
// on arbitrary bytes. A report read back keeps every line; its kind code is at most four
// characters.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "FuzzSupport.h"
#include "data/OutputFile.h"

using namespace vornax;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size) {
  const auto path = fuzz::WriteScratchFile("report.out", bytes, size);
  TDMVornax data;
  data.FileName = path.string();
  fuzz::SilentDialogs dialogs;
  if (ReadOutputKind(data, dialogs) && data.OutputKind.size() > 4) std::abort();
  const bool anova = size > 0 && (bytes[0] & 1) != 0;
  if (ReadTextFile(data, path, anova ? ".var" : ".out", dialogs) && data.OutputLines.size() < 2) {
    std::abort();
  }
  return 0;
}
