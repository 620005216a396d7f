// The one-variable segmented regression from the data set to its report and variance file.
#include "regression/OneVariable.h"

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <system_error>
#include <utility>
#include <vector>

#include "data/TextFile.h"
#include "regression/AnalysisGuards.h"
#include "regression/OneVariableReport.h"
#include "regression/SegmentEngine.h"

namespace vornax {

void RunOneVariable(TDMVornax& data, RunOptions& options, UserDialogs& dialogs) {
  const std::filesystem::path input = data.FileName;
  auto refuse = [&](const std::string& message) {
    dialogs.ShowMessage(message);
    options.AnalysisFailed = true;
    // An older report of the same name would now describe other data.
    RemoveStaleReports(input, data.Memory);
  };

  // 1. The analysed variable. With two columns and the second analysed, Z is moved into XData
  // for the run; a single column titled Z already is in XData and only changes the wording.
  const bool isZ = data.SingleIsZ;
  const bool twoColumns = data.NrOfVarInData == 2;
  const bool exchange = isZ && twoColumns;
  data.VarOption = isZ ? 2 : 1;
  if (isZ) options.PreferredTypeX = options.PreferredTypeZ;
  const size_t n = data.NrOfData > 0 ? static_cast<size_t>(data.NrOfData) : 0;
  if (data.YData.size() < n || data.XData.size() < n || (exchange && data.ZData.size() < n)) {
    refuse("The database is not fit for regression analysis. The data set is incomplete.");
    return;
  }
  if (exchange) std::swap_ranges(data.XData.begin(), data.XData.begin() + static_cast<long>(n),
                                 data.ZData.begin());
  auto restore = [&]() {
    if (exchange) std::swap_ranges(data.XData.begin(), data.XData.begin() + static_cast<long>(n),
                                   data.ZData.begin());
  };

  if (n < 3) {
    restore();
    refuse("The database is not fit for regression analysis. There are fewer than three data "
           "sets. Please correct the input file.");
    return;
  }

  if (!WithinAnalysableRange(data.YData, n) || !WithinAnalysableRange(data.XData, n)) {
    restore();
    refuse("The database is not fit for regression analysis. Data values must lie between "
           "-1E+100 and 1E+100. Please correct the input file.");
    return;
  }

  // 2. Sort by the analysed variable.
  data.SortDataSetsByX();

  // 3. Range of X.
  SegmentEngine engine;
  engine.Attach(data.YData.data(), data.XData.data(), static_cast<int>(n));
  engine.ConfidenceT = options.ConfidenceT;
  const RegressionCarryOver start{options.CarriedSERC1, options.CarriedSERC2,
                                  options.CarriedOptMethod};
  engine.Restore(start);
  engine.FindExtremes();
  if (engine.Xmax - engine.Xmin < 0.001) {
    restore();
    refuse(
        "The database is not fit for regression analysis. There is no variation in X-values. "
        "Please correct the input file.");
    return;
  }

  // 4-6. Search.
  BreakpointSearchOptions searchOptions;
  searchOptions.PreferredType = options.PreferredTypeX;
  searchOptions.ExcludedType = options.ExcludedTypeX;
  const BreakpointSearchResult result = SearchBreakpoint(engine, searchOptions);
  auto keepCarryOver = [&]() {
    const RegressionCarryOver carry = engine.CarryOver();
    options.CarriedSERC1 = carry.SERC1;
    options.CarriedSERC2 = carry.SERC2;
    options.CarriedOptMethod = carry.OptMethod;
  };

  // 7. The report, or the stop when the preferred type was not found.
  if (!result.PreferredFound) {
    keepCarryOver();
    restore();
    refuse(" The preferred type could not be found. Calculations are interrupted.");
    return;
  }

  const std::filesystem::path outPath = WithExtension(input, ".out");
  const std::filesystem::path varPath = WithExtension(input, ".var");
  TextFileWriter out(outPath, data.Memory);
  TextFileWriter var(varPath, data.Memory);

  std::vector<bool> added(n);
  for (size_t i = 0; i < n; ++i) added[i] = i < data.SerialNr.size() && data.SerialNr[i] == 0;

  OneVariableReportContext context;
  context.IsZ = isZ;
  context.TwoColumnsInData = twoColumns;
  context.OutputPath = PathText(outPath);
  context.InputPath = PathText(WithExtension(input, ".inp"));
  context.Title1 = data.Title1;
  context.Title2 = data.Title2;
  context.ConfidenceT = options.ConfidenceT;
  context.ExcludedType = options.ExcludedTypeX;
  context.PreferredType = options.PreferredTypeX;
  context.Y = data.YData.data();
  context.X = data.XData.data();
  context.Added = &added;
  context.NrOfData = static_cast<int>(n);

  OneVariableReport report(engine, context, out, var, dialogs);
  report.SetSearchResult(result);
  report.WriteReportHeader(1);
  report.WriteReportHeader(2);
  report.WriteRegressionReport(engine.Xmin, kTypeSingle);
  if (result.FoundType > 1) {
    report.WriteReportHeader(3);
    report.WriteRegressionReport(result.BPopt, result.FoundType);
  }
  report.WriteSummary();
  keepCarryOver();
  RunResult numbers;
  report.FillResult(numbers);
  numbers.StartSERC1 = start.SERC1;
  numbers.StartSERC2 = start.SERC2;
  numbers.StartOptMethod = start.OptMethod;

  // 8. Back to the data as they were entered (sorted), and the files in place.
  restore();
  options.FoundType = report.ReportedType();
  options.SingleSlopeSignificant = report.SingleSlopeSignificant();
  if (!out.Commit() || !var.Commit()) {
    const std::string reason = out.Error().empty() ? var.Error() : out.Error();
    refuse("The file \"" + PathText(out.Error().empty() ? varPath : outPath) +
           "\" could not be written: " + reason);
    return;
  }
  data.FileName = PathText(varPath);
  data.Result = std::move(numbers);
}

}  // namespace vornax
