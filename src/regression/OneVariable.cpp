// The one-variable segmented regression from the data set to its report and variance file.
#include "regression/OneVariable.h"

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <system_error>
#include <utility>
#include <vector>

#include "data/NumberFormat.h"
#include "data/TextFile.h"
#include "regression/AnalysisGuards.h"
#include "regression/OneVariableReport.h"
#include "regression/SegmentEngine.h"

namespace vornax {

namespace {

// Why the breakpoint the user fixed, or the range given to the search, cannot be used on these
// data (sorted by X); "" when they can.
std::string CandidatesProblem(double xmin, double xmax, const long double* x, size_t n,
                              const BreakpointSearchOptions& search, const std::string& v) {
  const std::string range = "The " + v + "-values of the data range from " +
                            FormatRealLossless(xmin, 0) + " to " +
                            FormatRealLossless(xmax, 0) + ".";
  if (search.FixedBreakpoint) {
    const double bp = *search.FixedBreakpoint;
    const std::string given = "The fixed breakpoint " + FormatRealLossless(bp, 0);
    if (!(bp > xmin && bp < xmax)) {
      return given + " lies outside the data. " + range;
    }
    const size_t below = static_cast<size_t>(std::lower_bound(x, x + n, bp) - x);
    if (below < 3 || n - below < 3) {
      return given + " leaves " + FormatInt(static_cast<long long>(std::min(below, n - below))) +
             " data sets on one side; each side needs at least three. " + range;
    }
    return {};
  }
  if (SearchCandidates(xmin, xmax, search).empty()) {
    return "The search range " + FormatRealLossless(search.RangeLow, 0) + " to " +
           FormatRealLossless(search.RangeHigh, 0) + " holds no candidate breakpoint. " + range;
  }
  return {};
}

BreakpointSearchOptions SearchOptionsOf(const RunOptions& options) {
  BreakpointSearchOptions search;
  search.PreferredType = options.PreferredTypeX;
  search.ExcludedType = options.ExcludedTypeX;
  search.FixedBreakpoint = options.FixedBreakpoint;
  if (options.SearchLow) search.RangeLow = *options.SearchLow;
  if (options.SearchHigh) search.RangeHigh = *options.SearchHigh;
  return search;
}

}  // namespace

std::string BreakpointChoiceProblem(std::vector<long double> x, const RunOptions& options,
                                    const std::string& variable) {
  if (!options.FixedBreakpoint && !options.SearchLow && !options.SearchHigh) return {};
  const int n = static_cast<int>(x.size());
  const auto [xmin, xmax] = SegmentEngine::ExtremesOf(x.data(), n);
  // Too few data or no spread: the run refuses them with a message of its own.
  if (n < 3 || xmax - xmin < 0.001) return {};
  std::sort(x.begin(), x.end());
  return CandidatesProblem(xmin, xmax, x.data(), x.size(), SearchOptionsOf(options), variable);
}

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

  // 4-6. Search: over the candidates, those of a range, or a breakpoint the user fixed.
  const BreakpointSearchOptions searchOptions = SearchOptionsOf(options);
  const std::string problem = CandidatesProblem(engine.Xmin, engine.Xmax, data.XData.data(), n,
                                                searchOptions, isZ ? "Z" : "X");
  if (!problem.empty()) {
    restore();
    refuse(problem);
    return;
  }
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
  TextFileWriter out = TextFileWriter::ForReport(outPath, data.Memory);
  TextFileWriter var(varPath, data.VarianceFiles());

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
  context.FixedBreakpoint = options.FixedBreakpoint;
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
  numbers.FixedBreakpoint = options.FixedBreakpoint;
  numbers.SearchLow = options.SearchLow;
  numbers.SearchHigh = options.SearchHigh;

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
