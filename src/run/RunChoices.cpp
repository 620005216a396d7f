// The choices of a run put into its options.
#include "run/RunChoices.h"

#include <algorithm>

namespace vornax {
namespace {

int PreferredType(const std::string& value) {
  return value == "best" || value == "partial" ? -1 : std::stoi(value);
}

CurveChoice Curve(const std::string& value) {
  if (value == "power") return CurveChoice::Power;
  if (value == "s-curve") return CurveChoice::SCurve;
  if (value == "quadratic") return CurveChoice::Quadratic;
  if (value == "cubic") return CurveChoice::Cubic;
  return CurveChoice::None;
}

}  // namespace

std::string ApplyChoices(const RunChoices& c, int nrOfVarInData, RunOptions& options,
                         VarChoice& varChoice) {
  const bool useGiven = c.UseGiven;
  if (useGiven && nrOfVarInData != 2) {
    return "--use needs data with two independent variables (X and Z)";
  }
  varChoice = c.Use == "x" ? VarChoice::FirstOnly
              : c.Use == "z" ? VarChoice::SecondOnly
                             : VarChoice::Both;
  const bool both = nrOfVarInData == 2 && varChoice == VarChoice::Both;
  const bool preferGiven = c.Prefer != "best";
  const bool preferZGiven = c.PreferZ != "best";
  const bool curveGiven = !c.Curve.empty();
  if (curveGiven && preferGiven) return "choose either --prefer or --curve, not both";
  if ((c.Exclude != 0 || c.ExcludeZ != 0) && (preferGiven || preferZGiven || curveGiven)) {
    return "an exclusion applies to the best of the segmented types only; "
           "leave out --prefer, --prefer-z and --curve";
  }
  options.ResetPreferences();
  if (!c.Breakpoints.empty()) {
    if (both) {
      return "--breakpoints fits one independent variable only; use --use x or --use z";
    }
    if (curveGiven || preferGiven || preferZGiven || c.Exclude != 0 || c.ExcludeZ != 0) {
      return "--breakpoints is an analysis of its own; leave out --prefer, --prefer-z, "
             "--exclude, --exclude-z and --curve";
    }
    if (c.Breakpoint || !c.SearchRange.empty()) {
      return "--breakpoint and --search-range apply to the segmented types, not to --breakpoints";
    }
    options.SeveralBreakpoints = c.Breakpoints == "auto" ? -1 : std::stoi(c.Breakpoints);
    // The choice of how many breakpoints takes the break test's shuffles and seed.
    options.BreakpointPermutations = c.Permutations;
    options.BreakpointSeed = c.Seed;
    return {};
  }
  options.FixedBreakpoint = c.Breakpoint;
  options.SearchLow = options.SearchHigh = std::nullopt;
  if (c.SearchRange.size() == 2) {
    options.SearchLow = std::min(c.SearchRange[0], c.SearchRange[1]);
    options.SearchHigh = std::max(c.SearchRange[0], c.SearchRange[1]);
  }
  const bool breakpointGiven = c.Breakpoint || !c.SearchRange.empty();
  if (c.Breakpoint && !c.SearchRange.empty()) {
    return "give either --breakpoint or --search-range, not both";
  }
  if (breakpointGiven && (both || curveGiven || c.Prefer == "partial")) {
    return "--breakpoint and --search-range apply to the segmented regression of one variable "
           "only; not with --curve or --prefer partial, and with two independent variables "
           "only with --use x or --use z";
  }
  if (both) {
    if (curveGiven) {
      return "with two independent variables used together there are no curved functions; "
             "use --use x or --use z for a curve";
    }
    if (c.Prefer == "partial") {
      return "with two independent variables used together there is no partial regression; "
             "use --use x or --use z";
    }
    options.PreferredTypeX = PreferredType(c.Prefer);
    options.PreferredTypeZ = PreferredType(c.PreferZ);
    options.ExcludedTypeX = c.Exclude;
    options.ExcludedTypeZ = c.ExcludeZ;
    return {};
  }
  // One variable analysed. The window offers one group for it; both groups get the choice, so
  // whichever group the analysis reads for the variable holds it.
  const bool secondOnly = nrOfVarInData == 2 && varChoice == VarChoice::SecondOnly;
  if (!secondOnly && (preferZGiven || c.ExcludeZ != 0)) {
    return "--prefer-z and --exclude-z need two independent variables with --use both or --use z";
  }
  if (preferGiven && preferZGiven && c.Prefer != c.PreferZ) {
    return "with --use z, --prefer and --prefer-z name the same group; give one of them";
  }
  if (c.Exclude != 0 && c.ExcludeZ != 0 && c.Exclude != c.ExcludeZ) {
    return "with --use z, --exclude and --exclude-z name the same group; give one of them";
  }
  const std::string prefer = preferGiven ? c.Prefer : c.PreferZ;
  const int exclude = c.Exclude != 0 ? c.Exclude : c.ExcludeZ;
  options.PreferredTypeX = options.PreferredTypeZ = PreferredType(prefer);
  options.PartialX = options.PartialZ = prefer == "partial";
  options.ExcludedTypeX = options.ExcludedTypeZ = exclude;
  options.CurveX = options.CurveZ = Curve(c.Curve);
  return {};
}

}  // namespace vornax
