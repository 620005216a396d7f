// The quadratic and cubic regressions with their exponent search and reports.
#include "curves/PolynomialCurves.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <utility>
#include <vector>

#include "data/NumberFormat.h"

namespace vornax {
namespace {

constexpr int kExponentSteps = 280;  // E = 0.20 .. 2.99

// E = 0.19 + 0.01 k, as the nearest double of the decimal value, so that the snap limits
// (0.94, 1.06, ...) compare with the grid values as the decimals read.
double GridExponent(int k) { return (19 + k) / 100.0; }

double SnapExponent(double e) {
  if (e < 0.21 || e > 2.98 || (0.94 < e && e < 1.06)) return 1;
  return e;
}

long double Evaluate(const std::array<double, 4>& c, bool cubic, long double w) {
  if (cubic) return ((c[0] * w + c[1]) * w + c[2]) * w + c[3];
  return (c[0] * w + c[1]) * w + c[2];
}

long double ResidualSum(const std::array<double, 4>& c, bool cubic, const long double* w,
                        const long double* y, int n) {
  long double ssd = 0;
  for (int i = 0; i < n; ++i) {
    const long double d = y[i] - Evaluate(c, cubic, w[i]);
    ssd += d * d;
  }
  return ssd;
}

int DistinctValues(const std::vector<long double>& sorted) {
  int distinct = sorted.empty() ? 0 : 1;
  for (size_t i = 1; i < sorted.size(); ++i) distinct += sorted[i] != sorted[i - 1];
  return distinct;
}

bool Finite(const std::array<double, 4>& c) {
  return std::all_of(c.begin(), c.end(), [](double v) { return std::isfinite(v); });
}

long double Det3(long double a, long double b, long double c, long double d, long double e,
                 long double f, long double g, long double h, long double i) {
  return a * (e * i - f * h) - b * (d * i - f * g) + c * (d * h - e * g);
}


// The residual sum of squares of the least-squares polynomial of `degree` through (u, y), with
// y centred on its mean and u spread over [-1, 1]. The polynomials of a degree are the same
// functions in u as in W, so this is the SSD of the fit in W, but its normal equations are
// well conditioned, which lets the sums run in 64-bit reals.
long double CentredPolynomialSSD(const std::vector<double>& u, const std::vector<double>& y,
                                 long double syy, int degree) {
  double s[7] = {0, 0, 0, 0, 0, 0, 0}, t[4] = {0, 0, 0, 0};
  const size_t n = u.size();
  for (size_t i = 0; i < n; ++i) {
    const double a = u[i], a2 = a * a, a3 = a2 * a, yi = y[i];
    s[1] += a;
    s[2] += a2;
    s[3] += a3;
    s[4] += a2 * a2;
    t[0] += yi;
    t[1] += a * yi;
    t[2] += a2 * yi;
    if (degree == 3) {
      s[5] += a2 * a3;
      s[6] += a3 * a3;
      t[3] += a3 * yi;
    }
  }
  s[0] = static_cast<double>(n);
  const int k = degree + 1;
  long double m[4][5];
  for (int r = 0; r < k; ++r) {
    for (int c = 0; c < k; ++c) m[r][c] = s[r + c];
    m[r][k] = t[r];
  }
  for (int c = 0; c < k; ++c) {
    int pivot = c;
    for (int r = c + 1; r < k; ++r) {
      if (std::fabs(m[r][c]) > std::fabs(m[pivot][c])) pivot = r;
    }
    if (m[pivot][c] == 0) return std::numeric_limits<long double>::infinity();
    for (int j = 0; j <= k; ++j) std::swap(m[c][j], m[pivot][j]);
    for (int r = c + 1; r < k; ++r) {
      const long double f = m[r][c] / m[c][c];
      for (int j = c; j <= k; ++j) m[r][j] -= f * m[c][j];
    }
  }
  long double coeff[4];
  long double explained = 0;
  for (int r = k - 1; r >= 0; --r) {
    long double v = m[r][k];
    for (int j = r + 1; j < k; ++j) v -= m[r][j] * coeff[j];
    coeff[r] = v / m[r][r];
  }
  for (int r = 0; r < k; ++r) explained += coeff[r] * t[r];
  const long double ssd = syy - explained;
  // A sum of squares below zero beyond rounding means the equations broke down (X values so
  // clustered against an outlier that no digits are left); such a point must not win.
  if (ssd < -1e-9L * syy) return std::numeric_limits<long double>::infinity();
  return std::max(ssd, 0.0L);
}

// The grid index k (E = 0.19 + 0.01 k) of the smallest SSD, the first one on equal SSD, over
// W = base^E. Each step multiplies W by base^0.01.
int SearchExponent(const std::vector<long double>& base, const std::vector<long double>& yData,
                   int degree) {
  const size_t n = base.size();
  long double avY = 0;
  for (long double v : yData) avY += v;
  avY /= static_cast<long double>(n);
  std::vector<double> y(n), u(n);
  long double syy = 0;
  for (size_t i = 0; i < n; ++i) {
    y[i] = static_cast<double>(yData[i] - avY);
    syy += (yData[i] - avY) * (yData[i] - avY);
  }
  std::vector<long double> w(n), step(n);
  for (size_t i = 0; i < n; ++i) {
    w[i] = CurvePower(base[i], GridExponent(1));
    step[i] = CurvePower(base[i], 0.01);
  }
  long double best = std::numeric_limits<long double>::infinity();
  int bestK = 1;
  for (int k = 1; k <= kExponentSteps; ++k) {
    if (k > 1) {
      for (size_t i = 0; i < n; ++i) w[i] *= step[i];
    }
    // W rises with the sorted base: its ends give the centre and the half-width.
    const long double centre = (w[0] + w[n - 1]) / 2, half = (w[n - 1] - w[0]) / 2;
    if (!(half > 0)) continue;
    const long double scale = 1 / half;
    for (size_t i = 0; i < n; ++i) u[i] = static_cast<double>((w[i] - centre) * scale);
    const long double ssd = CentredPolynomialSSD(u, y, syy, degree);
    if (ssd < best) {
      best = ssd;
      bestK = k;
    }
  }
  return bestK;
}

}  // namespace

PolynomialSums SumPolynomial(const long double* w, const long double* y, int n, bool cubic) {
  PolynomialSums s;
  s.N = n;
  for (int i = 0; i < n; ++i) {
    const long double v = w[i], v2 = v * v, v3 = v2 * v, yv = y[i];
    s.W += v;
    s.Y += yv;
    s.W2 += v2;
    s.W3 += v3;
    s.W4 += v2 * v2;
    s.WY += v * yv;
    s.W2Y += v2 * yv;
    if (cubic) {
      s.W5 += v2 * v3;
      s.W6 += v3 * v3;
      s.W3Y += v3 * yv;
    }
  }
  return s;
}

bool QuadraticCoefficients(const PolynomialSums& s, std::array<double, 4>& coeff) {
  const long double n = s.N;
  const long double sww = s.W2 - s.W * s.W / n;
  const long double swy = s.WY - s.W * s.Y / n;
  const long double sw3 = s.W3 - s.W * s.W2 / n;
  const long double sw2y = s.W2Y - s.W2 * s.Y / n;
  const long double sw4 = s.W4 - s.W2 * s.W2 / n;
  const long double t = sww * sw4 - sw3 * sw3;
  if (t == 0) return false;
  const long double a = (sww * sw2y - swy * sw3) / t;
  const long double b = (swy * sw4 - sw3 * sw2y) / t;
  const long double c = s.Y / n - b * s.W / n - a * s.W2 / n;
  coeff = {static_cast<double>(a), static_cast<double>(b), static_cast<double>(c), 0};
  return Finite(coeff);
}

bool CubicCoefficients(const PolynomialSums& s, std::array<double, 4>& coeff) {
  // Normal equations for (D, C, B, A), the coefficients of W^0 .. W^3.
  const long double m[4][4] = {{s.N, s.W, s.W2, s.W3},
                               {s.W, s.W2, s.W3, s.W4},
                               {s.W2, s.W3, s.W4, s.W5},
                               {s.W3, s.W4, s.W5, s.W6}};
  const long double rhs[4] = {s.Y, s.WY, s.W2Y, s.W3Y};
  // Cofactors from the 3 x 3 minors.
  long double cof[4][4];
  for (int r = 0; r < 4; ++r) {
    for (int c = 0; c < 4; ++c) {
      long double minor[9];
      int k = 0;
      for (int i = 0; i < 4; ++i) {
        if (i == r) continue;
        for (int j = 0; j < 4; ++j) {
          if (j != c) minor[k++] = m[i][j];
        }
      }
      const long double d = Det3(minor[0], minor[1], minor[2], minor[3], minor[4], minor[5],
                                 minor[6], minor[7], minor[8]);
      cof[r][c] = ((r + c) % 2 == 0) ? d : -d;
    }
  }
  long double det = 0;
  for (int c = 0; c < 4; ++c) det += m[0][c] * cof[0][c];
  if (det == 0) return false;
  long double x[4];
  for (int j = 0; j < 4; ++j) {
    long double sum = 0;
    for (int i = 0; i < 4; ++i) sum += cof[i][j] * rhs[i];
    x[j] = sum / det;
  }
  coeff = {static_cast<double>(x[3]), static_cast<double>(x[2]), static_cast<double>(x[1]),
           static_cast<double>(x[0])};
  return Finite(coeff);
}

std::optional<CurveResult> FitPolynomialCurve(const CurveData& data, bool cubic,
                                              bool transformAccepted, std::string& failure) {
  const int n = data.N;
  const std::string notFound =
      cubic ? "The cubic function could not be found." : "The quadratic function could not be found.";
  auto solve = [cubic](const PolynomialSums& s, std::array<double, 4>& c) {
    return cubic ? CubicCoefficients(s, c) : QuadraticCoefficients(s, c);
  };

  // The base of both the search and the final fit: the (shifted) X plus 0.001. Searching on the
  // base of the final fit makes the reported E the one that was optimised.
  std::vector<long double> base(data.Base.size());
  for (size_t i = 0; i < base.size(); ++i) base[i] = std::max(data.Base[i] + 0.001L, 0.001L);
  // The normal equations have a unique solution only with as many distinct W as coefficients;
  // W = base^E keeps the base values distinct.
  if (DistinctValues(base) < (cubic ? 4 : 3)) {
    failure = notFound;
    return std::nullopt;
  }

  double e = 1;
  bool searched = false;
  std::vector<long double> w(base.size());
  if (transformAccepted) {
    searched = true;
    e = SnapExponent(GridExponent(SearchExponent(base, data.Y, cubic ? 3 : 2)));
  }

  // The final fit.
  for (size_t i = 0; i < base.size(); ++i) w[i] = CurvePower(base[i], e);
  CurveResult r;
  if (!solve(SumPolynomial(w.data(), data.Y.data(), n, cubic), r.Coeff)) {
    failure = notFound;
    return std::nullopt;
  }
  r.Kind = cubic ? CurveKind::Cubic : CurveKind::Quadratic;
  r.IsZ = data.IsZ;
  r.NrOfData = n;
  r.XShifted = data.XShifted;
  r.Shift = data.Xmin;
  r.Exponent = e;
  r.ExponentSearched = searched;
  r.CurveSSD = static_cast<double>(ResidualSum(r.Coeff, cubic, w.data(), data.Y.data(), n));
  // E = 1 is on the grid and every snap leads to it, so the polynomial always contains the
  // straight line: a fit worse than the line means its equations lost every digit (as one X
  // a hundred million times the others can make them). That is not a result to report.
  if (!(r.CurveSSD <= data.LinSSD + 1e-9 * data.CurveSyy)) {
    failure = notFound;
    return std::nullopt;
  }
  TakeLineReference(data, r);
  r.StDevX = data.LinStDevX;
  r.StDevY = data.LinStDevY;
  r.StErr = std::sqrt(r.CurveSSD / (n - 1));
  r.LowerY = data.Scale.Vertical.Min;

  std::vector<double> ycalc(static_cast<size_t>(n));
  for (size_t i = 0; i < ycalc.size(); ++i) {
    ycalc[i] = static_cast<double>(Evaluate(r.Coeff, cubic, w[i]));
  }
  SegmentEngine engine;
  const CurveLine line = CurveLinearFit(engine, data.Y.data(), w.data(), n);
  FillConfidenceRows(r, data, w.data(), ycalc, line);
  return r;
}

namespace {

void WriteParameterLines(TextFileWriter& out, const CurveResult& r, const std::string& avxLabel,
                         const std::string& avyLabel) {
  const std::string v = r.IsZ ? "Z" : "X";
  out.WriteLine(" Parameters:");
  out.WriteLine(" NrOfData = " + FormatInt(r.NrOfData, 6) + avxLabel + FormatFixed(r.AvX, 6, 3) +
                avyLabel + FormatFixed(r.AvY, 6, 3));
  out.WriteLine("   StDev" + v + " =  " + FormatFixed(r.StDevX, 6, 3) + "      StDevY = " +
                FormatFixed(r.StDevY, 6, 3) + "   StErr(Y-Yc) = " + FormatFixed(r.StErr, 6, 3));
  out.WriteLine(" Explanations by regression:");
  out.WriteLine("   CorrCoeffSq(Y," + v + ") = " + FormatFixed(r.LinCorrCoeffSq, 6, 3) +
                "     ExplCoeff(Yc," + v + ") = " + FormatFixed(r.CurveExplCoeff, 6, 3));
  out.WriteLine();
}

}  // namespace

void WriteQuadraticReport(TextFileWriter& out, const CurveResult& r, const std::string& outputPath,
                          const std::string& title1, const std::string& title2) {
  const bool z = r.IsZ;
  const std::string v = z ? "Z" : "X";
  out.WriteLine(" Results of program VornaxA for the quadratic regression of Y upon " + v + ".");
  out.WriteLine(" Name of file: " + outputPath);
  out.WriteLine();
  out.WriteLine(" " + title1);
  out.WriteLine(" " + title2);
  out.WriteLine();
  out.WriteLine(" Ycalculated according to qauadratic function :");
  const bool e1 = r.Exponent == 1;
  const std::string e = "    E = " + FormatFixed(r.Exponent, 5, 2);
  const std::string xmin = "    " + v + "min = " + FormatFixed(r.Shift, 8, 3);
  if (!r.XShifted && !e1) {
    out.WriteLine("       Yc = A*W^2 + B*W + C" + std::string("     W = ") + v + "^E" + e);
  } else if (!r.XShifted) {
    out.WriteLine(z ? "       Yc = A*Z^2 + B*Z + C" : "       Yc = A*^2 + B*X + C");
  } else if (!e1) {
    out.WriteLine("       Yc = A*W^2 + B*W + C" + std::string("     W = (") + v + " - " + v +
                  "min)^E" + xmin + e);
  } else {
    out.WriteLine("       Yc = A*W^2 + B*W + C" + std::string("     W = ") + v + "-" + v + "min" +
                  xmin);
  }
  out.WriteLine("       A = " + FormatExp(r.Coeff[0], 10, 3) + "    B = " +
                FormatExp(r.Coeff[1], 10, 3) + "    C = " + FormatExp(r.Coeff[2], 10, 3));
  WriteParameterLines(out, r, z ? "          AvZ = " : "          AvX = ", "         AvY = ");
  WriteConfidenceTable(out, r, ConfidenceColumnLine(z));
  const auto& s = r.SystemVariables;
  out.WriteLine(" System variables: " + FormatExp(s[0], 12, 3) + FormatExp(s[1], 12, 3) +
                FormatExp(s[2], 12, 3) + FormatExp(s[3], 11, 3));
}

void WriteCubicReport(TextFileWriter& out, const CurveResult& r, const std::string& outputPath,
                      const std::string& title1, const std::string& title2) {
  const bool z = r.IsZ;
  const std::string v = z ? "Z" : "X";
  out.WriteLine(" Results of program VornaxA for the cubic regression of Y upon " + v + ".");
  out.WriteLine(" This file: " + outputPath);
  out.WriteLine();
  out.WriteLine(" " + title1);
  out.WriteLine(" " + title2);
  out.WriteLine();
  out.WriteLine(" Ycalculated according to generalized cubic regression :");
  const bool e1 = r.Exponent == 1;
  const std::string coeffLine = "       A = " + FormatExp(r.Coeff[0], 8, 3) + "    B = " +
                                FormatExp(r.Coeff[1], 8, 3) + "    C = " +
                                FormatExp(r.Coeff[2], 8, 3) + "    D = " +
                                FormatExp(r.Coeff[3], 8, 3);
  const std::string e = "    E = " + FormatFixed(r.Exponent, 5, 2);
  if (!r.XShifted && !e1) {
    out.WriteLine("       Yc = A*W^3 + B*W^2 + C*W + D");
    out.WriteLine(coeffLine);
    out.WriteLine("       W = " + v + "^E" + e);
  } else if (!r.XShifted) {
    out.WriteLine(z ? "       Yc = A*Z^3 + B*Z^2 + C*Z + D" : "       Yc = A*X^3 + B*X^2 + C*X + D");
    out.WriteLine(coeffLine);
  } else {
    out.WriteLine();
    out.WriteLine("       Yc = A*W^3 + B*W^2 + C*W + D");
    out.WriteLine(coeffLine);
    const std::string xmin = "    " + v + "min = " + FormatFixed(r.Shift, 8, 3);
    if (!e1) {
      out.WriteLine("       W = (" + v + " - " + v + "min)^E" + xmin + e);
    } else {
      out.WriteLine("       W = " + v + "-" + v + "min" + xmin);
    }
  }
  WriteParameterLines(out, r, z ? "           AvZ = " : "          AvX = ",
                      z ? "            AvY = " : "           AvY = ");
  WriteConfidenceTable(out, r, ConfidenceColumnLine(z) + (z ? "" : "   Ycalc (%)"));
  const auto& s = r.SystemVariables;
  out.WriteLine(" System variables: " + FormatExp(s[0], 11, 3) + FormatExp(s[1], 11, 3) +
                FormatExp(s[2], 11, 3) + FormatExp(s[3], 11, 3));
}

namespace {

void RunPolynomial(TDMVornax& data, RunOptions& options, UserDialogs& dialogs, bool cubic) {
  const CurveFiles files(data.FileName, data.Memory);
  CurveData prepared;
  const CurvePreparation prep =
      PrepareCurveData(data, cubic ? CurveKind::Cubic : CurveKind::Quadratic, prepared);
  if (!prep.Ok) return RefuseCurve(files, options, dialogs, prep.Message);

  std::string failure;
  const auto result = FitPolynomialCurve(prepared, cubic, options.TransformAccepted, failure);
  if (!result) return RefuseCurve(files, options, dialogs, failure);
  options.CurveExplCoeff = result->CurveExplCoeff;
  options.CurveExponent = result->Exponent;
  // Too poor a cubic leaves no files; the caller tells the user.
  if (cubic && result->CurveExplCoeff < 0.02) return files.RemoveStale();

  TextFileWriter out(files.OutPath, files.Memory);
  TextFileWriter var(files.VarPath, data.VarianceFiles());
  const std::string outputPath = PathText(files.OutPath);
  if (cubic) {
    WriteCubicReport(out, *result, outputPath, data.Title1, data.Title2);
  } else {
    WriteQuadraticReport(out, *result, outputPath, data.Title1, data.Title2);
  }
  WriteCurveVarFile(var, *result);
  options.SingleSlopeSignificant = true;
  if (!CommitCurveFiles(files, out, var, dialogs)) {
    options.CurveAbort = true;
    return;
  }
  data.FileName = PathText(files.VarPath);
  KeepCurveResult(data, options, *result);
}

}  // namespace

void RunQuadraticCurve(TDMVornax& data, RunOptions& options, UserDialogs& dialogs) {
  RunPolynomial(data, options, dialogs, false);
}

void RunCubicCurve(TDMVornax& data, RunOptions& options, UserDialogs& dialogs) {
  RunPolynomial(data, options, dialogs, true);
}

}  // namespace vornax
