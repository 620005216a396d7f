// The partial regression from the data set to its files.
#include "partial/PartialRegression.h"

#include <filesystem>
#include <system_error>
#include <vector>

#include "data/OwnFiles.h"
#include "data/TextFile.h"
#include "partial/PartialReport.h"
#include "regression/AnalysisGuards.h"
#include "regression/SegmentEngine.h"

namespace vornax {
namespace {

// The fewest distinct X values over which the scans mean something.
constexpr int kMinDistinctX = 10;

// The report, the variance file and the scan table of an input path.
void RemoveFiles(const std::filesystem::path& input, MemoryFiles* memory) {
  RemoveStaleReports(input, memory);
  RemoveOwnFile(WithExtension(input, ".txt"), memory);
}

// The run's numbers for the summary, the JSON file and the window.
RunResult Numbers(const PartialResult& r, const TDMVornax& data, const RunOptions& options,
                  const std::vector<bool>& added) {
  RunResult n;
  n.Analysis = "partial";
  n.Variable = data.SingleIsZ ? "Z" : "X";
  n.ConfidenceT = options.ConfidenceT;
  n.ConfidencePercent = ConfidencePercent(options.ConfidenceT);
  n.Type = n.PrintedTypeCode = r.ResultType;
  n.TypeText = r.ResultType == kType3   ? "first a horizontal segment, then sloping."
               : r.ResultType == kType4 ? "first a sloping segment, then horizontal."
                                        : "a single regression line, no breakpoint found.";
  n.Method = r.HorizontalFound() ? r.Method : 0;
  n.HasBreakpoint = r.HorizontalFound();
  n.Breakpoint = n.HasBreakpoint ? r.Breakpoint : 0;
  if (n.HasBreakpoint) n.BreakpointSE = r.StErrBreakpoint;
  n.SlopeBelow = r.As;
  n.InterceptBelow = r.Cs;
  n.SlopeAbove = r.Ag;
  n.InterceptAbove = r.Cg;
  n.CE = r.HorizontalFound() ? r.Final.CE
                             : (r.SRYsqT > 0 ? 1 - r.SSDSingle / r.SRYsqT : 0);
  n.CEStraight = r.SRYsqT > 0 ? 1 - r.SSDSingle / r.SRYsqT : 0;
  n.CEChosen = n.CE;
  LevelStretchResult s;
  s.LowFound = r.Found3;
  s.HighFound = r.Found4;
  s.ThresholdLow = r.ThresholdBP3;
  s.ThresholdHigh = r.ThresholdBP4;
  s.LowInner = r.BP3Inner;
  s.LowOuter = r.BP3Outer;
  s.HighLow = r.BP4Low;
  s.HighHigh = r.BP4High;
  s.ThreePiece = r.BothHorizontal;
  if (r.BothHorizontal) {
    s.LevelLow = r.ThreePiece.Level3;
    s.LevelHigh = r.ThreePiece.Level4;
    s.MiddleSlope = r.ThreePiece.MiddleSlope;
    s.CentralCE = r.ThreePiece.CentralCE;
  }
  s.ScanTableKept = r.KeepScanTable;
  n.LevelStretch = s;
  const size_t count = added.size();
  n.X.resize(count);
  n.Y.resize(count);
  n.YCalc.resize(count);
  n.Added = added;
  for (size_t i = 0; i < count; ++i) {
    n.X[i] = static_cast<double>(data.XData[i]);
    n.Y[i] = static_cast<double>(data.YData[i]);
    n.YCalc[i] = r.Ycalc(n.X[i]);
  }
  n.Valid = true;
  return n;
}

}  // namespace

void RunPartialRegression(TDMVornax& data, RunOptions& options, UserDialogs& dialogs) {
  PartialResult result;
  RunPartialAnalysis(data, options, dialogs, result);
}

bool RunPartialAnalysis(TDMVornax& data, RunOptions& options, UserDialogs& dialogs,
                        PartialResult& result) {
  result = PartialResult{};
  const std::filesystem::path input = data.FileName;
  // An older report of the same name would now describe other data.
  auto refuse = [&](const std::string& message, bool& flag) {
    dialogs.ShowMessage(message);
    flag = true;
    RemoveFiles(input, data.Memory);
    return false;
  };

  const size_t n = data.NrOfData > 0 ? static_cast<size_t>(data.NrOfData) : 0;
  if (data.YData.size() < n || data.XData.size() < n) {
    return refuse("The database is not fit for regression analysis. The data set is incomplete.",
                  options.AnalysisFailed);
  }
  if (!WithinAnalysableRange(data.YData, n) || !WithinAnalysableRange(data.XData, n)) {
    return refuse(
        "The database is not fit for regression analysis. Data values must lie between "
        "-1E+100 and 1E+100. Please correct the input file.",
        options.AnalysisFailed);
  }

  // 1-2. Whole data sets in X order; enough distinct X values.
  data.SortDataSetsByX();
  int distinct = n > 0 ? 1 : 0;
  for (size_t i = 1; i < n; ++i) {
    if (data.XData[i] != data.XData[i - 1]) ++distinct;
  }
  if (distinct < kMinDistinctX) {
    return refuse(
        "Due to scarcity of differing X-values the partial regression could not be done. Please "
        "make another selection.",
        options.IrregularX);
  }

  // 3. Range of X.
  SegmentEngine engine;
  engine.Attach(data.YData.data(), data.XData.data(), static_cast<int>(n));
  engine.ConfidenceT = options.ConfidenceT;
  engine.FindExtremes();
  if (engine.Xmax - engine.Xmin < 0.001) {
    return refuse(
        "The database is not fit for regression analysis. There is no variation in X-values. "
        "Please correct the input file.",
        options.AnalysisFailed);
  }

  // 4-... The scans and the decision.
  result = RunPartialScan(engine, data.YData.data(), data.XData.data(), static_cast<int>(n));
  if (result.NoSlopeDeviation) dialogs.ShowMessage(" No horizontal segment found.");

  const std::filesystem::path outPath = WithExtension(input, ".out");
  const std::filesystem::path varPath = WithExtension(input, ".var");
  const std::filesystem::path txtPath = WithExtension(input, ".txt");
  TextFileWriter out(outPath, data.Memory);
  TextFileWriter var(varPath, data.VarianceFiles());

  std::vector<bool> added(n);
  for (size_t i = 0; i < n; ++i) added[i] = i < data.SerialNr.size() && data.SerialNr[i] == 0;

  PartialReportContext context;
  context.OutputName = PathText(outPath.filename());
  context.InputName = PathText(WithExtension(input, ".inp").filename());
  context.Title1 = data.Title1;
  context.Title2 = data.Title2;
  context.ConfidenceT = options.ConfidenceT;
  context.Y = data.YData.data();
  context.X = data.XData.data();
  context.Added = &added;
  context.NrOfData = static_cast<int>(n);
  PartialReport report(result, context, out, var, dialogs);
  report.WriteAll();

  // The scan table of the winning type survives only when its threshold lies well inside the
  // X range; otherwise an older one of the same name goes too.
  bool written = out.Commit() && var.Commit();
  std::string error = out.Error().empty() ? var.Error() : out.Error();
  std::filesystem::path failed = out.Error().empty() ? varPath : outPath;
  if (written && result.KeepScanTable) {
    TextFileWriter table(txtPath, data.Memory);
    WriteScanTable(result, result.ResultType, PathText(txtPath), table);
    written = table.Commit();
    if (!written) {
      error = table.Error();
      failed = txtPath;
    }
  } else {
    RemoveOwnFile(txtPath, data.Memory);
  }
  if (!written) {
    result = PartialResult{};
    return refuse("The file \"" + PathText(failed) + "\" could not be written: " + error,
                  options.AnalysisFailed);
  }
  options.FoundType = result.ResultType;
  data.FileName = PathText(varPath);
  data.Result = Numbers(result, data, options, added);
  return true;
}

}  // namespace vornax
