// Checks and clean-up shared by the segmented analyses before and after a refusal.
#pragma once

#include <filesystem>
#include <vector>

namespace vornax {

class MemoryFiles;

// The largest magnitude of a data value that the segmented analyses take. The statistics square
// and multiply the values and hand them on as 64-bit reals; beyond about 1E+154 those overflow,
// and a report would fill with Inf and NaN while looking like a result. No measured quantity
// comes near this bound, so it only turns away mistyped or corrupt values.
constexpr long double kMaxDataMagnitude = 1e100L;

// True when the first n values lie within the bound.
bool WithinAnalysableRange(const std::vector<long double>& values, size_t n);

// Removes the report (".out") and variance file (".var") of an input path when they are this
// program's: after a refusal an older report of the same name would describe other data, while
// a file of that name from elsewhere is not ours to delete. With `memory`, from there.
void RemoveStaleReports(const std::filesystem::path& input, MemoryFiles* memory = nullptr);

}  // namespace vornax
