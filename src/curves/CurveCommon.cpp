// Preparation, line fit, confidence table and variance file shared by the curved regressions.
#include "curves/CurveCommon.h"

#include <algorithm>
#include <cmath>
#include <numeric>
#include <system_error>

#include "data/NumberFormat.h"
#include "data/OwnFiles.h"

namespace vornax {
namespace {

// As in the segmented analysis: beyond this the squares and products of the fits leave the
// 64-bit range in which results are reported.
constexpr long double kMaxDataMagnitude = 1e100L;

void SortDataSetsByX(TDMVornax& data, size_t n) {
  std::vector<size_t> order(n);
  std::iota(order.begin(), order.end(), size_t{0});
  const auto& x = data.XData;
  std::stable_sort(order.begin(), order.end(), [&](size_t a, size_t b) { return x[a] < x[b]; });
  auto permute = [&](auto& values) {
    if (values.size() < n) return;
    auto sorted = values;
    for (size_t i = 0; i < n; ++i) sorted[i] = values[order[i]];
    values.swap(sorted);
  };
  permute(data.YData);
  permute(data.XData);
  permute(data.ZData);
  permute(data.ZSaved);
  permute(data.WeightFactor);
  permute(data.SerialNr);
}

}  // namespace

CurveLine CurveLinearFit(SegmentEngine& engine, const long double* y, const long double* x,
                         int n) {
  engine.Attach(y, x, n);
  // A breakpoint at the smallest X puts every data set in segment 2: the plain line.
  engine.FindExtremes();
  const double bp = engine.Xmin;
  engine.AccumulateSegments(bp);
  engine.ComputeSegmentStats();
  engine.LoadFinalLines();
  engine.ComputeFinalSSD(bp);
  const SegmentStats& s = engine.Stats[2];
  CurveLine line;
  line.A = engine.Slope[2];
  line.B = static_cast<double>(s.C);
  line.AvX = static_cast<double>(s.AvX);
  line.AvY = static_cast<double>(s.AvY);
  line.Sxx = static_cast<double>(s.Sxx);
  line.SSD = engine.SSDFinal[2];
  line.StDevRC = static_cast<double>(s.StDevRC);
  line.StDevY = static_cast<double>(s.StDevY);
  line.StDevX = static_cast<double>(s.StDevX);
  line.StDevYr = static_cast<double>(s.StDevYr);
  return line;
}

CurvePreparation PrepareCurveData(TDMVornax& data, CurveKind kind, CurveData& out) {
  auto refuse = [](const std::string& why) {
    return CurvePreparation{false, "The database is not fit for curve fitting. " + why +
                                       " Please correct the input file."};
  };
  out = CurveData{};
  out.IsZ = data.SingleIsZ;
  const size_t n = data.NrOfData > 0 ? static_cast<size_t>(data.NrOfData) : 0;
  if (data.YData.size() < n || data.XData.size() < n) return refuse("The data set is incomplete.");
  if (n < 3) return refuse("There are fewer than three data sets.");
  for (size_t i = 0; i < n; ++i) {
    if (!(std::fabs(data.YData[i]) <= kMaxDataMagnitude) ||
        !(std::fabs(data.XData[i]) <= kMaxDataMagnitude)) {
      return refuse("Data values must lie between -1E+100 and 1E+100.");
    }
  }

  // 1-2. Sorted data, the kept copies and the graph arrays.
  SortDataSetsByX(data, n);
  out.N = static_cast<int>(n);
  out.Y.assign(data.YData.begin(), data.YData.begin() + static_cast<long>(n));
  out.X.assign(data.XData.begin(), data.XData.begin() + static_cast<long>(n));
  out.GraphX.resize(n);
  out.GraphY.resize(n);
  for (size_t i = 0; i < n; ++i) {
    out.GraphX[i] = static_cast<double>(out.X[i]);
    out.GraphY[i] = static_cast<double>(out.Y[i]);
  }
  const char* var = out.IsZ ? "Z" : "X";
  if (out.X.front() == out.X.back()) {
    return refuse(std::string("There is no variation in ") + var + "-values.");
  }
  if (std::all_of(out.Y.begin(), out.Y.end(), [&](long double v) { return v == out.Y[0]; })) {
    return refuse("There is no variation in Y-values.");
  }

  // 3. The reference straight line on the untransformed X.
  SegmentEngine engine;
  const CurveLine line = CurveLinearFit(engine, out.Y.data(), out.X.data(), out.N);
  out.LinAvX = line.AvX;
  out.LinAvY = line.AvY;
  out.LinStDevYr = line.StDevYr;
  out.LinStDevX = line.StDevX;
  out.LinStDevY = line.StDevY;
  out.CurveSyy = static_cast<double>(engine.Stats[2].Syy);
  out.LinSlope = line.A;
  out.LinIntercept = line.B;
  long double ssd = 0;
  for (size_t i = 0; i < n; ++i) {
    const long double d = out.Y[i] - (out.LinSlope * out.X[i] + out.LinIntercept);
    ssd += d * d;
  }
  out.LinSSD = static_cast<double>(ssd);
  out.LinCorrCoeffSq = out.CurveSyy > 0 ? 1 - out.LinSSD / out.CurveSyy : 0;

  // 4. The plot ranges, always without label factors: the fit must not depend on whether some
  // output was shown before.
  out.Scale = ScaleGraphData(out.GraphX, out.GraphY, n, false);
  out.RawXmin = out.Scale.Horizontal.RawMin;
  out.Xmin = out.Scale.Horizontal.Min;
  out.Xmax = out.Scale.Horizontal.Max;

  // 5. The shift: X far from zero, or negative, is moved to start near zero.
  out.Base = out.X;
  if (out.RawXmin > 0.1 * (out.Xmax - out.RawXmin) || out.RawXmin < 0) {
    out.XShifted = true;
    const bool polynomial = kind == CurveKind::Quadratic || kind == CurveKind::Cubic;
    for (auto& b : out.Base) {
      b = polynomial ? b - out.Xmin : b - out.RawXmin + 0.001L;
    }
  }

  // 6-7. Too few distinct X, or a gap wider than a tenth of the range.
  int distinct = 1;
  long double widestGap = 0;
  for (size_t i = 1; i < n; ++i) {
    if (out.X[i] != out.X[i - 1]) ++distinct;
    widestGap = std::max(widestGap, out.X[i] - out.X[i - 1]);
  }
  const long double range = out.X.back() - out.X.front();
  out.IrregularX = distinct < 10 || widestGap > 0.1L * range ||
                   widestGap > 0.1L * (out.Xmax - out.Xmin);
  return CurvePreparation{true, {}};
}

void FillConfidenceRows(CurveResult& result, const CurveData& data, const long double* xv,
                        const std::vector<double>& ycalc, const CurveLine& line) {
  const int n = data.N;
  const double s2 = n > 1 ? result.CurveSSD / (n - 1) : 0;
  const double k = (line.Sxx > 0 && n > 2) ? line.SSD / ((n - 2) * line.Sxx) : 0;
  const long long middle = std::min<long long>(RoundHalfEven(n * 0.5), n - 1);
  result.Rows.resize(static_cast<size_t>(n));
  double vMiddle = 0;
  for (int i = 0; i < n; ++i) {
    const double dx = static_cast<double>(xv[i] - line.AvX);
    const double v = dx * dx * k + s2 / n;
    const double sd = v > 0 ? std::sqrt(v) : 0;
    CurveRow& row = result.Rows[static_cast<size_t>(i)];
    row.Serial = i + 1;
    row.X = static_cast<double>(data.X[static_cast<size_t>(i)]);
    row.Y = static_cast<double>(data.Y[static_cast<size_t>(i)]);
    row.Ycalc = ycalc[static_cast<size_t>(i)];
    row.Lower = row.Ycalc - 1.75 * sd;
    row.Upper = row.Ycalc + 1.75 * sd;
    if (i == middle) vMiddle = v;
  }
  result.AvXv = line.AvX;
  result.SystemVariables = {s2 / n, line.StDevRC, line.AvX, vMiddle};
}

std::string ConfidenceColumnLine(bool isZ) {
  return std::string("Serial Nr.") + (isZ ? "    Zvalue  " : "    Xvalue  ") +
         "  Yvalue  " + "  Ycalc   " + "  Lower   " + "  Upper";
}

void WriteConfidenceTable(TextFileWriter& out, const CurveResult& result,
                          const std::string& columnLine) {
  out.WriteLine("                              " "           " "90% Confidence limits");
  out.WriteLine(columnLine);
  out.WriteLine("- - - - - - - - - - - - - - - - - - - - - - - - - - - - - -");
  // A value that fills its ten places gets a blank before it, so that the table can be read
  // back by blanks whatever the size of its values.
  auto field = [](double v) {
    std::string text = FormatFixed(v, 10, 3);
    if (!text.empty() && text.front() != ' ') text.insert(text.begin(), ' ');
    return text;
  };
  for (const CurveRow& row : result.Rows) {
    out.WriteLine(FormatInt(row.Serial, 9) + field(row.X) + field(row.Y) + field(row.Ycalc) +
                  field(row.Lower) + field(row.Upper));
  }
  out.WriteLine(" #");
}

void WriteCurveVarFile(TextFileWriter& var, const CurveResult& result) {
  // Fifteen significant digits: the variance analysis subtracts these sums from each other.
  auto value = [&](double v) { var.WriteLine(FormatExp(v, 22, 15)); };
  var.WriteLine(" 1");
  var.WriteLine(FormatInt(result.NrOfData, 5));
  value(result.CurveSyy);
  value(std::max(result.LinSSD, 0.0));
  value(result.LowerY + 1);
  value(std::max(result.CurveSSD, 0.0));
}

CurveFiles::CurveFiles(const std::string& inputPath, MemoryFiles* memory)
    : Input(inputPath),
      OutPath(WithExtension(inputPath, ".out")),
      VarPath(WithExtension(inputPath, ".var")),
      Memory(memory) {}

void CurveFiles::RemoveStale() const {
  RemoveOwnFile(OutPath, Memory);
  RemoveOwnFile(VarPath, Memory);
}

bool CommitCurveFiles(const CurveFiles& files, TextFileWriter& out, TextFileWriter& var,
                      UserDialogs& dialogs) {
  if (out.Commit() && var.Commit()) return true;
  const bool outFailed = !out.Error().empty();
  dialogs.ShowMessage("The file \"" + PathText(outFailed ? out.Target() : var.Target()) +
                      "\" could not be written: " + (outFailed ? out.Error() : var.Error()));
  // Where the run keeps its reports: the variance writer's own place may be the hold for the
  // ANOVA table, which a refused run never writes, while an earlier run's file would stay.
  files.RemoveStale();
  return false;
}

void TakeLineReference(const CurveData& data, CurveResult& r) {
  r.CurveSyy = data.CurveSyy;
  r.LinSSD = data.LinSSD;
  r.LinCorrCoeffSq = data.LinCorrCoeffSq;
  r.CurveExplCoeff = 1 - r.CurveSSD / data.CurveSyy;
  r.AvX = data.LinAvX;
  r.AvY = data.LinAvY;
  r.IrregularX = data.IrregularX;
}

void KeepCurveResult(TDMVornax& data, const RunOptions& options, const CurveResult& result) {
  RunResult& r = data.Result;
  r.Analysis = CurveKindName(result.Kind);
  r.Variable = result.IsZ ? "Z" : "X";
  r.ConfidenceT = options.ConfidenceT;
  r.ConfidencePercent = ConfidencePercent(options.ConfidenceT);
  r.CE = result.CurveExplCoeff;
  r.CEStraight = result.LinCorrCoeffSq;
  r.X.clear();
  r.Y.clear();
  r.YCalc.clear();
  r.Added.clear();
  for (const CurveRow& row : result.Rows) {
    r.X.push_back(row.X);
    r.Y.push_back(row.Y);
    r.YCalc.push_back(row.Ycalc);
    const size_t i = static_cast<size_t>(row.Serial - 1);
    r.Added.push_back(i < data.SerialNr.size() && data.SerialNr[i] == 0);
  }
  r.Curve = result;
  r.Valid = true;
}

void RefuseCurve(const CurveFiles& files, RunOptions& options, UserDialogs& dialogs,
                 const std::string& message) {
  dialogs.ShowMessage(message);
  options.CurveAbort = true;
  files.RemoveStale();
}

long double CurvePower(long double base, double exponent) {
  if (exponent == 1) return base;
  return std::exp2(static_cast<long double>(exponent) * std::log2(base));
}

long long RoundHalfEven(double value) { return static_cast<long long>(std::nearbyint(value)); }

std::string TitleOrDefault(const std::string& title, const char* fallback) {
  return title.empty() ? std::string(fallback) : title;
}

}  // namespace vornax
