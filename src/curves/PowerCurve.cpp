// The power curve: grid search over the shift C and the power P, the final fit and its report.
#include "curves/PowerCurve.h"

#include <cmath>
#include <limits>
#include <vector>

#include "data/NumberFormat.h"

namespace vornax {
namespace {

constexpr int kShiftSteps = 9;
constexpr int kPowerSteps = 295;
constexpr long double kSmallestXt = 0.001L;

// Xt = X - C, kept positive for the power (every Xt is 0.001 when the smallest X is 0).
void ShiftedX(const CurveData& data, double shift, std::vector<long double>& xt) {
  xt.resize(data.X.size());
  for (size_t i = 0; i < xt.size(); ++i) {
    const long double v = data.X[i] - shift;
    xt[i] = (data.RawXmin == 0 || !(v > 0)) ? kSmallestXt : v;
  }
}

}  // namespace

double PowerShift(double smallestX, int i) {
  const double shift = smallestX - i * smallestX / 100;
  if (smallestX >= 0 && !(shift > 0)) return smallestX;
  return shift;
}

double PowerExponent(int j) { return (5 + j) / 100.0; }

CurveResult FitPowerCurve(const CurveData& data) {
  const int n = data.N;
  const size_t un = static_cast<size_t>(n);
  // The shift is taken from the untransformed X: C is derived from the raw smallest X, so an
  // X already moved towards zero would collapse to the 0.001 floor.
  std::vector<long double> xt, w(un);
  long double avY = 0;
  for (size_t i = 0; i < un; ++i) avY += data.Y[i];
  avY /= n;
  std::vector<double> yc(un), wd(un), step(un), logXt(un);
  long double syy = 0;
  for (size_t i = 0; i < un; ++i) {
    yc[i] = static_cast<double>(data.Y[i] - avY);
    syy += (data.Y[i] - avY) * (data.Y[i] - avY);
  }

  // The SSD of the least-squares line for each grid point, Syy - Sxy^2/Sxx, from deviations of
  // Xv from its first value (no cancellation when Xv varies little) against the centred Y. Xv
  // for the next power is the last one times Xt^0.01; it is formed afresh every few steps so
  // that the rounding of the products never adds up to more than a few units in the last place.
  long double best = std::numeric_limits<long double>::infinity();
  int bestI = 1, bestJ = 1;
  constexpr int kRefresh = 32;
  for (int i = 1; i <= kShiftSteps; ++i) {
    ShiftedX(data, PowerShift(data.RawXmin, i), xt);
    for (size_t k = 0; k < un; ++k) {
      logXt[k] = static_cast<double>(std::log2(xt[k]));
      step[k] = std::exp2(0.01 * logXt[k]);
    }
    for (int j = 1; j <= kPowerSteps; ++j) {
      if ((j - 1) % kRefresh == 0) {
        const double p = PowerExponent(j);
        for (size_t k = 0; k < un; ++k) wd[k] = std::exp2(p * logXt[k]);
      } else {
        for (size_t k = 0; k < un; ++k) wd[k] *= step[k];
      }
      const double w0 = wd[0];
      // Two interleaved sets of sums keep the additions from waiting on each other.
      double sd[2] = {0, 0}, sdd[2] = {0, 0}, sdy[2] = {0, 0};
      size_t k = 0;
      for (; k + 1 < un; k += 2) {
        const double d0 = wd[k] - w0, d1 = wd[k + 1] - w0;
        sd[0] += d0;
        sd[1] += d1;
        sdd[0] += d0 * d0;
        sdd[1] += d1 * d1;
        sdy[0] += d0 * yc[k];
        sdy[1] += d1 * yc[k + 1];
      }
      if (k < un) {
        const double d0 = wd[k] - w0;
        sd[0] += d0;
        sdd[0] += d0 * d0;
        sdy[0] += d0 * yc[k];
      }
      const long double sumD = static_cast<long double>(sd[0]) + sd[1];
      const long double sumDD = static_cast<long double>(sdd[0]) + sdd[1];
      const long double sumDY = static_cast<long double>(sdy[0]) + sdy[1];
      const long double sxx = sumDD - sumD * sumD / n;
      long double ssd = sxx > 0 ? syy - sumDY * sumDY / sxx : syy;
      if (ssd < 0) ssd = 0;
      if (ssd < best) {
        best = ssd;
        bestI = i;
        bestJ = j;
      }
    }
  }

  // The final fit with the kept C and P.
  CurveResult r;
  r.Kind = CurveKind::Power;
  r.IsZ = data.IsZ;
  r.NrOfData = n;
  r.XShifted = data.XShifted;
  r.Shift = PowerShift(data.RawXmin, bestI);
  r.Exponent = PowerExponent(bestJ);
  r.ExponentSearched = true;
  ShiftedX(data, r.Shift, xt);
  for (size_t k = 0; k < un; ++k) w[k] = CurvePower(xt[k], r.Exponent);
  SegmentEngine engine;
  const CurveLine line = CurveLinearFit(engine, data.Y.data(), w.data(), n);
  r.Coeff = {line.A, line.B, 0, 0};
  std::vector<double> ycalc(un);
  long double ssd = 0;
  for (size_t k = 0; k < un; ++k) {
    const long double c = line.A * w[k] + line.B;
    ycalc[k] = static_cast<double>(c);
    ssd += (data.Y[k] - c) * (data.Y[k] - c);
  }
  r.CurveSSD = static_cast<double>(ssd);
  TakeLineReference(data, r);
  r.StDevX = data.LinStDevX;
  r.StDevY = data.LinStDevYr;
  r.StErr = line.StDevYr;
  // The plot range of Y is the raw one here: the lower Y value is the smallest observed Y.
  r.LowerY = data.Scale.Vertical.RawMin;
  FillConfidenceRows(r, data, w.data(), ycalc, line);
  return r;
}

void WritePowerReport(TextFileWriter& out, const CurveResult& r, const std::string& outputPath,
                      const std::string& title1, const std::string& title2) {
  const bool z = r.IsZ;
  const std::string v = z ? "Z" : "X";
  out.WriteLine(" Results of program VornaxA for the power curve regression of Y upon " + v + ".");
  out.WriteLine(" Output filename: " + outputPath);
  out.WriteLine();
  out.WriteLine(" " + TitleOrDefault(title1, "No title given"));
  out.WriteLine(" " + TitleOrDefault(title2, "No subtitle given"));
  out.WriteLine();
  out.WriteLine(" 1st Transformation  : " + v + "t = " + v + " - C        C = " +
                FormatFixed(r.Shift, 6, 3));
  out.WriteLine(" 2nd Transformation  : " + v + "v = " + v + "t ^ P");
  out.WriteLine(" Linearization       : Y  = A * " + v + "v + B");
  out.WriteLine(" Regression result   : Power P =" + FormatFixed(r.Exponent, 6, 3) + "   A = " +
                FormatExp(r.Coeff[0], 11, 3) + "   B = " + FormatExp(r.Coeff[1], 11, 3));
  out.WriteLine(" Ycalculated according to power curve :");
  out.WriteLine(z ? "                        Yc = B + A * Zt ^ P"
                  : "                       Yc = B + A * Xt ^ P");
  out.WriteLine(" Parameters:");
  out.WriteLine(" NrOfData = " + FormatInt(r.NrOfData, 6) + "         Av" + v + "v  = " +
                FormatExp(r.AvXv, 6, 3) + "        AvY = " + FormatFixed(r.AvY, 6, 3));
  out.WriteLine("  StDev" + v + "v =  " + FormatFixed(r.StDevX, 6, 3) + "      StDevY  = " +
                FormatFixed(r.StDevY, 6, 3) + "   StErr(Y-Yc) = " + FormatFixed(r.StErr, 6, 3));
  out.WriteLine(" Explanations by regression:");
  out.WriteLine("   CorrCoeffSq(Y," + v + ") = " + FormatFixed(r.LinCorrCoeffSq, 6, 3) +
                "     ExplCoeff(Yc," + v + ") = " + FormatFixed(r.CurveExplCoeff, 6, 3));
  out.WriteLine();
  WriteConfidenceTable(out, r, ConfidenceColumnLine(z));
  const auto& s = r.SystemVariables;
  out.WriteLine(" System variables: " + FormatExp(s[0], 11, 3) + FormatExp(s[1], 11, 3) +
                FormatExp(s[2], 11, 3) + FormatExp(s[3], 11, 3));
}

void RunPowerCurve(TDMVornax& data, RunOptions& options, UserDialogs& dialogs) {
  const CurveFiles files(data.FileName, data.Memory);
  CurveData prepared;
  const CurvePreparation prep = PrepareCurveData(data, CurveKind::Power, prepared);
  if (!prep.Ok) return RefuseCurve(files, options, dialogs, prep.Message);

  const CurveResult result = FitPowerCurve(prepared);
  options.CurveExplCoeff = result.CurveExplCoeff;
  options.CurveExponent = result.Exponent;
  // A curve that only equals the straight line (P = 1) counts as at least as good, also when
  // rounding leaves its coefficient a few units in the last place below the line's.
  if (!(result.CurveExplCoeff >= result.LinCorrCoeffSq - 1e-12)) {
    return RefuseCurve(files, options, dialogs,
                       "The power curve could not be made. Try another option.");
  }
  TextFileWriter out(files.OutPath, files.Memory);
  TextFileWriter var(files.VarPath, data.VarianceFiles());
  WritePowerReport(out, result, PathText(files.OutPath), data.Title1, data.Title2);
  WriteCurveVarFile(var, result);
  options.SingleSlopeSignificant = true;
  if (!CommitCurveFiles(files, out, var, dialogs)) {
    options.CurveAbort = true;
    return;
  }
  data.FileName = PathText(files.VarPath);
  KeepCurveResult(data, options, result);
}

}  // namespace vornax
