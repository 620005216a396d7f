// Checks and clean-up shared by the segmented analyses.
#include "regression/AnalysisGuards.h"

#include <algorithm>
#include <cmath>
#include <system_error>

#include "data/OwnFiles.h"
#include "data/TextFile.h"

namespace vornax {

bool WithinAnalysableRange(const std::vector<long double>& values, size_t n) {
  if (values.size() < n) return false;
  return std::all_of(values.begin(), values.begin() + static_cast<long>(n),
                     [](long double v) { return std::fabs(v) <= kMaxDataMagnitude; });
}

void RemoveStaleReports(const std::filesystem::path& input, MemoryFiles* memory) {
  RemoveOwnFile(WithExtension(input, ".out"), memory);
  RemoveOwnFile(WithExtension(input, ".var"), memory);
}

}  // namespace vornax
