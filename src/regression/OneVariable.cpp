// Temporary: replaced by the real analysis.
#include "regression/OneVariable.h"

namespace vornax {

void RunOneVariable(TDMVornax&, RunOptions& options, UserDialogs& dialogs) {
  dialogs.ShowMessage("The one-variable segmented regression is not available in this version.");
  options.AnalysisFailed = true;
}

}  // namespace vornax
