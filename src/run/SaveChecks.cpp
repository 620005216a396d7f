#include "run/SaveChecks.h"

#include <vector>

#include "data/RunOptions.h"
#include "regression/OneVariable.h"

namespace vornax {

SaveRefusal RefusalBeforeSaving(const Session& session, const GridInput& grid) {
  SaveRefusal refusal;
  const RunOptions& options = session.Options;
  // A trial reading: the decimal separator the session keeps is settled by the run itself.
  char separator = session.DecimalSeparator;
  const GridRowsTaken taken = TakeGridRows(grid, options.WeightsUsed, separator);
  if (!taken.Refusal.empty()) {
    refusal.Message = taken.Refusal;
    refusal.BadRow = taken.BadRow;
    refusal.BadColumn = taken.BadColumn;
    return refusal;
  }
  if (!options.FixedBreakpoint && !options.SearchLow && !options.SearchHigh) return refusal;
  // The same rules, in the same order, as the run's dispatch.
  if (options.SeveralBreakpoints != 0) {
    refusal.Message = kBreakpointChoiceNotForBrokenLines;
    return refusal;
  }
  const bool two = grid.NrOfVarInData == 2;
  const bool curve = options.CurveX != CurveChoice::None || options.CurveZ != CurveChoice::None;
  if ((two && grid.Option == VarChoice::Both) || curve || options.PartialX || options.PartialZ) {
    refusal.Message = kBreakpointChoiceScope;
    return refusal;
  }
  // Too many copies: the run refuses the expansion itself.
  if (static_cast<int64_t>(taken.Y.size()) + taken.ExtraCopies > kMaxExpandedDataSets) return refusal;
  const bool z = two ? grid.Option == VarChoice::SecondOnly : grid.SingleIsZ;
  const std::vector<long double>& column = two && z ? taken.Z : taken.X;
  std::vector<long double> x;
  for (size_t i = 0; i < column.size(); ++i) {
    // Every weight copy is a data set on its side of the breakpoint.
    const int32_t copies = options.WeightsUsed && i < taken.Weight.size() ? taken.Weight[i] : 1;
    x.insert(x.end(), static_cast<size_t>(copies), column[i]);
  }
  refusal.Message = BreakpointChoiceProblem(std::move(x), options, z ? "Z" : "X");
  return refusal;
}

}  // namespace vornax
