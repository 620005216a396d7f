// Temporary: replaced by the real variance analysis.
#include "anova/Anova.h"

namespace vornax {

void MakeSegmentedAnova(TDMVornax&, RunOptions&, UserDialogs& dialogs) {
  dialogs.ShowMessage("The variance analysis is not available in this version.");
}
void MakeCurveAnova(TDMVornax&, RunOptions&, UserDialogs& dialogs) {
  dialogs.ShowMessage("The variance analysis is not available in this version.");
}
double FProbability(int, int, double) { return 0; }

}  // namespace vornax
