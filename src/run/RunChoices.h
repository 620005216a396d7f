// The choices of a run as a caller without a window names them (vornax-batch's options, the
// Python module's keywords), checked against the data and put into the run's options the way the
// window's boxes would put them. One rule for every such caller, so that the same combination is
// refused with the same words wherever it is given.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "data/RunOptions.h"
#include "run/SaveCalculate.h"

namespace vornax {

struct RunChoices {
  std::string Use = "both";  // "both", "x" or "z"
  bool UseGiven = false;     // Use was named, not taken by default
  std::string Prefer = "best", PreferZ = "best";  // "best", "1" to "6", "partial" (Prefer only)
  int Exclude = 0, ExcludeZ = 0;                  // 2 to 6; 0 none
  std::string Curve;        // "", "power", "s-curve", "quadratic" or "cubic"
  std::string Breakpoints;  // "", "2", "3" or "auto"
  std::optional<double> Breakpoint;
  std::vector<double> SearchRange;  // empty or LO, HI
  int Permutations = 999;
  uint64_t Seed = 1;
};

// Checks the choices against data with `nrOfVarInData` independent columns and puts them into
// `options` and `varChoice`. Returns an error text for a combination the window does not offer
// (named by the batch's option names), empty when they fit.
std::string ApplyChoices(const RunChoices& c, int nrOfVarInData, RunOptions& options,
                         VarChoice& varChoice);

}  // namespace vornax
