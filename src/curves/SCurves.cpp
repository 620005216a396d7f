// The four S-shaped curves: fits, reports and the two run modes.
#include "curves/SCurves.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <vector>

#include "data/NumberFormat.h"

namespace vornax {
namespace {

constexpr int kExponentSteps = 280;

double GridExponent(int k) { return (19 + k) / 100.0; }

double Clamp(double v, double lo, double hi) { return std::min(std::max(v, lo), hi); }

// The link value of a scaled Y.
long double Link(CurveKind kind, long double yt) {
  switch (kind) {
    case CurveKind::Logistic:
      return std::log(1 / yt - 1);
    case CurveKind::Gumbel:
      return std::log(-std::log(yt));
    default:
      return std::log(-std::log(1 - yt));
  }
}

// Yc of a curve for the line value v = A Xv + B.
double CurveValue(CurveKind kind, const Asymptotes& as, double v) {
  const double span = as.Ymax - as.Ymin;
  switch (kind) {
    case CurveKind::Logistic:
      return as.Ymin + span / (1 + std::exp(v));
    case CurveKind::Gumbel:
      return as.Ymin + span * std::exp(-std::exp(Clamp(v, -8, 8)));
    default:
      return as.Ymin + span * (1 - std::exp(-std::exp(Clamp(v, -8, 8))));
  }
}

// The least-squares line of `f` on `w` from deviations of w from its first value.
void QuickLine(const std::vector<long double>& w, const std::vector<long double>& f,
               long double& a, long double& b) {
  const size_t n = w.size();
  const long double w0 = w[0];
  long double sd = 0, sdd = 0, sf = 0, sdf = 0;
  for (size_t i = 0; i < n; ++i) {
    const long double d = w[i] - w0;
    sd += d;
    sdd += d * d;
    sf += f[i];
    sdf += d * f[i];
  }
  const long double nn = static_cast<long double>(n);
  const long double sxx = sdd - sd * sd / nn;
  const long double sxy = sdf - sd * sf / nn;
  a = sxx > 0 ? sxy / sxx : 0;
  b = sf / nn - a * (w0 + sd / nn);
}

}  // namespace

double SnapSCurveExponent(CurveKind kind, double e) {
  if (e < 0.21 || e > 2.98) return 1;
  if (kind != CurveKind::Logistic && 0.95 < e && e < 1.05) return 1;
  return e;
}

Asymptotes SCurveAsymptotes(const CurveData& data) {
  const double hi = data.Scale.Vertical.RawMax, lo = data.Scale.Vertical.RawMin;
  const double n = data.N;
  return {hi + std::fabs(hi) / (n - 1), lo - std::fabs(lo) / (n + 1)};
}

CurveResult FitLinkedSCurve(const CurveData& data, CurveKind kind, bool transformAccepted) {
  const int n = data.N;
  const size_t un = static_cast<size_t>(n);
  const Asymptotes as = SCurveAsymptotes(data);
  const long double span = static_cast<long double>(as.Ymax) - as.Ymin;
  // Yt, unclamped (the logistic search compares with it) and the link of the clamped value.
  std::vector<long double> yt(un), link(un);
  for (size_t i = 0; i < un; ++i) {
    yt[i] = (data.Y[i] - as.Ymin) / span;
    link[i] = Link(kind, std::min(std::max(yt[i], 0.001L), 0.999L));
  }
  // A base X of 0 (logistic), or not positive (Gumbel curves), cannot be raised to a power.
  const bool logistic = kind == CurveKind::Logistic;
  std::vector<long double> base(data.Base);
  for (auto& b : base) {
    if (logistic ? b == 0 : !(b > 0)) b = 0.000001L;
  }

  double e = 1;
  const bool search = logistic ? transformAccepted : true;
  if (search) {
    std::vector<long double> w(un), step(un);
    for (size_t i = 0; i < un; ++i) {
      w[i] = CurvePower(base[i], GridExponent(1));
      step[i] = CurvePower(base[i], 0.01);
    }
    double best = std::numeric_limits<double>::infinity();
    int bestK = 1;
    for (int k = 1; k <= kExponentSteps; ++k) {
      if (k > 1) {
        for (size_t i = 0; i < un; ++i) w[i] *= step[i];
      }
      long double a = 0, b = 0;
      QuickLine(w, link, a, b);
      const double ad = static_cast<double>(a), bd = static_cast<double>(b);
      double ssd = 0;
      for (size_t i = 0; i < un; ++i) {
        const double v = ad * static_cast<double>(w[i]) + bd;
        const double d = logistic ? static_cast<double>(yt[i]) - 1 / (1 + std::exp(v))
                                  : static_cast<double>(data.Y[i]) - CurveValue(kind, as, v);
        ssd += d * d;
      }
      if (ssd < best) {
        best = ssd;
        bestK = k;
      }
    }
    e = GridExponent(bestK);
  }
  e = SnapSCurveExponent(kind, e);

  // The final fit; the logistic moves its own copy of the base up by 0.001 first.
  std::vector<long double> xv(un);
  for (size_t i = 0; i < un; ++i) {
    xv[i] = CurvePower(logistic ? data.Base[i] + 0.001L : base[i], e);
  }
  SegmentEngine engine;
  const CurveLine line = CurveLinearFit(engine, link.data(), xv.data(), n);

  CurveResult r;
  r.Kind = kind;
  r.IsZ = data.IsZ;
  r.NrOfData = n;
  r.XShifted = data.XShifted;
  r.Shift = data.RawXmin - 0.001;
  r.Exponent = e;
  r.ExponentSearched = search;
  r.Coeff = {line.A, line.B, 0, 0};
  r.Ymax = as.Ymax;
  r.Ymin = as.Ymin;
  std::vector<double> ycalc(un);
  long double ssd = 0;
  for (size_t i = 0; i < un; ++i) {
    ycalc[i] = CurveValue(kind, as, line.A * static_cast<double>(xv[i]) + line.B);
    ssd += (data.Y[i] - ycalc[i]) * (data.Y[i] - ycalc[i]);
  }
  r.CurveSSD = static_cast<double>(ssd);
  TakeLineReference(data, r);
  r.StDevX = line.StDevX;
  // The X form labels the observed Y's spread, the Z form that of the link value.
  r.StDevY = data.IsZ ? line.StDevY : data.LinStDevY;
  r.StErr = std::sqrt(r.CurveSSD / (n - 1));
  r.LowerY = as.Ymin;
  FillConfidenceRows(r, data, xv.data(), ycalc, line);
  return r;
}

uint64_t FiskDataFingerprint(const CurveData& data) {
  // FNV-1a over each value as two doubles (its nearest double and the remainder), which
  // together hold every bit of the 64-bit mantissa.
  uint64_t h = 1469598103934665603ULL;
  auto mix = [&h](double v) {
    uint64_t bits = 0;
    std::memcpy(&bits, &v, sizeof bits);
    for (int k = 0; k < 8; ++k) {
      h ^= (bits >> (8 * k)) & 0xFF;
      h *= 1099511628211ULL;
    }
  };
  mix(static_cast<double>(data.N));
  for (const auto* values : {&data.Base, &data.Y}) {
    for (long double v : *values) {
      const double head = static_cast<double>(v);
      mix(head);
      mix(static_cast<double>(v - head));
    }
  }
  return h;
}

CurveResult FitFiskCurve(const CurveData& data, const std::function<void(int)>& progress,
                         const FiskPoint* known, FiskPoint* chosen) {
  const int n = data.N;
  const size_t un = static_cast<size_t>(n);
  const Asymptotes as = SCurveAsymptotes(data);
  const bool increasing = data.Y.back() > data.Y.front();
  const FiskPoint p = known != nullptr ? *known
                                       : FiskSearch(data.Base.data(), data.Y.data(), n, as.Ymax,
                                                    increasing, FiskGrid{}, progress);
  if (chosen != nullptr) *chosen = p;
  const double a = FiskA(p.i), c = FiskC(as.Ymax, p.r);
  // C/[1+(X/A)^B] falls for B > 0; the rising curve the search fitted for rising data,
  // C - C/[1+(X/A)^b], is the same form with B = -b. The report, the table, the JSON file and
  // the graph all take this one signed B.
  const double b = increasing ? -FiskB(p.t) : FiskB(p.t);

  CurveResult r;
  r.Kind = CurveKind::Fisk;
  r.IsZ = data.IsZ;
  r.NrOfData = n;
  r.XShifted = data.XShifted;
  r.Shift = data.RawXmin - 0.001;
  r.Exponent = b;
  r.ExponentSearched = true;
  r.Coeff = {a, b, c, 0};
  r.Ymax = as.Ymax;
  r.Ymin = as.Ymin;
  r.Increasing = increasing;
  std::vector<double> ycalc(un);
  long double ssd = 0;
  for (size_t k = 0; k < un; ++k) {
    const long double yc = c / (1 + std::pow(data.Base[k] / a, static_cast<long double>(b)));
    ycalc[k] = static_cast<double>(yc);
    ssd += (data.Y[k] - yc) * (data.Y[k] - yc);
  }
  r.CurveSSD = static_cast<double>(ssd);
  TakeLineReference(data, r);
  r.StErr = std::sqrt(r.CurveSSD / (n - 1));
  r.LowerY = as.Ymin;
  // The belt comes from the straight line of Y on the base X.
  SegmentEngine engine;
  const CurveLine line = CurveLinearFit(engine, data.Y.data(), data.Base.data(), n);
  FillConfidenceRows(r, data, data.Base.data(), ycalc, line);
  return r;
}

namespace {

void WriteTitles(TextFileWriter& out, const std::string& title1, const std::string& title2) {
  out.WriteLine(" " + TitleOrDefault(title1, "No title given"));
  out.WriteLine(" " + TitleOrDefault(title2, "No subtitle given"));
  out.WriteLine();
}

void WriteScaling(TextFileWriter& out, const CurveResult& r) {
  out.WriteLine(" 1st Transformation  : Yt  = (Y-Ymin)/(Ymax-Ymin)");
  out.WriteLine("     where : Ymax = " + FormatFixed(r.Ymax, 6, 3) + "    Ymin = " +
                FormatFixed(r.Ymin, 6, 3));
}

void WriteThirdTransformation(TextFileWriter& out, const CurveResult& r, const std::string& v) {
  if (!r.XShifted) {
    out.WriteLine(" 3rd Transformation  : Xv = " + v + "^E");
  } else {
    out.WriteLine(" 3rd Transformation  : Xv = (" + v + "-C)^E");
    out.WriteLine(" Reduction term      : C = " + FormatFixed(r.Shift, 10, 3));
  }
}

void WriteRegressionResult(TextFileWriter& out, const CurveResult& r) {
  out.WriteLine(" Regression result   : A = " + FormatFixed(r.Coeff[0], 11, 8) + "    B = " +
                FormatFixed(r.Coeff[1], 6, 3));
}

void WriteSystemVariables(TextFileWriter& out, const CurveResult& r, int precision) {
  const auto& s = r.SystemVariables;
  out.WriteLine(" System variables: " + FormatExp(s[0], 11, precision) +
                FormatExp(s[1], 11, precision) + FormatExp(s[2], 11, precision) +
                FormatExp(s[3], 11, precision));
}

}  // namespace

void WriteLogisticReport(TextFileWriter& out, const CurveResult& r, const std::string& outputPath,
                         const std::string& title1, const std::string& title2) {
  const bool z = r.IsZ;
  const std::string v = z ? "Z" : "X";
  out.WriteLine(z ? " Results of program VORNAXA for the logistic S-curve regression of Y upon A."
                  : " Results of program VORNAXA for the logistic S-curve regression of Y upon X.");
  out.WriteLine(" Filename: " + outputPath);
  out.WriteLine();
  WriteTitles(out, title1, title2);
  WriteScaling(out, r);
  out.WriteLine(" 2nd Transformation  : Yf = ln(1/Yt-1)");
  WriteThirdTransformation(out, r, v);
  if (r.ExponentSearched) {
    out.WriteLine(" Value of exponent   : E = " + FormatFixed(r.Exponent, 6, 3));
  } else {
    out.WriteLine(" No exponent allowed : E = " + FormatFixed(r.Exponent, 5, 2));
  }
  out.WriteLine(" Linearization       : Yf = A*Xv + B");
  WriteRegressionResult(out, r);
  out.WriteLine(" Ycalculated according to logistic S-curve :");
  if (!r.XShifted) {
    out.WriteLine("       Yc = Ymin + (Ymax-Ymin)/{1+exp(A*" + v + "^E+B)}");
  } else {
    out.WriteLine("       Yc = Ymin + (Ymax-Ymin)/[1+exp{A*(" + v + "-C)^E+B}]");
  }
  out.WriteLine(" Parameters:");
  out.WriteLine(" NrOfData = " + FormatInt(r.NrOfData, 6) + "          Av" + v + "v = " +
                FormatFixed(r.AvXv, 6, 3) + "           AvY = " + FormatFixed(r.AvY, 6, 3));
  out.WriteLine("  StDev" + v + "v =  " + FormatFixed(r.StDevX, 6, 3) +
                (z ? "      StDevYf  = " : "      StDevY  = ") + FormatFixed(r.StDevY, 6, 3) +
                "   StErr(Y-Yc) = " + FormatFixed(r.StErr, 6, 3));
  out.WriteLine(" Explanations by regression:");
  out.WriteLine((z ? "   CorrCoeffSq(Yf,Z) = " : "   CorrCoeffSq(Y,X) = ") +
                FormatFixed(r.LinCorrCoeffSq, 6, 3) + "   ExplCoeff(Yc," + v + ") = " +
                FormatFixed(r.CurveExplCoeff, 6, 3));
  out.WriteLine();
  WriteConfidenceTable(out, r, ConfidenceColumnLine(z));
  WriteSystemVariables(out, r, 3);
}

void WriteGumbelReport(TextFileWriter& out, const CurveResult& r, const std::string& outputPath,
                       const std::string& title1, const std::string& title2) {
  const bool inverted = r.Kind == CurveKind::InvertedGumbel;
  const bool z = r.IsZ;
  const std::string v = z ? "Z" : "X";
  out.WriteLine(inverted ? " Results of program Ondulex for the Gumbel inverted regression."
                         : " Results of program Ondulex for the Gumbel regression.");
  out.WriteLine((inverted ? " Inverted Gumbel file name: " : " Gumbel file name: ") + outputPath);
  out.WriteLine();
  WriteTitles(out, title1, title2);
  WriteScaling(out, r);
  out.WriteLine(inverted ? " 2nd Transformation  : Yv  = ln[-ln(1-Yt)]"
                         : " 2nd Transformation  : Yv  = ln[-ln(Yt)]");
  if (!z) WriteThirdTransformation(out, r, v);
  out.WriteLine(" Value of exponent   : E = " + FormatFixed(r.Exponent, 6, 3));
  out.WriteLine(" Linearization       : Yv = A*Xv + B");
  WriteRegressionResult(out, r);
  out.WriteLine(inverted ? " Ycalculated according to Gumbel inverted S-curve :"
                         : " Ycalculated according to Gumbel S-curve :");
  const std::string inner = inverted ? "exp[1-exp" : "exp[-exp";
  if (!r.XShifted) {
    out.WriteLine("       Yc = (Ymax-Ymin)*" + inner + "(A*" + v + "^E+B)]+Ymin");
  } else {
    out.WriteLine(std::string(z ? "       " : "      ") + "Yc = (Ymax-Ymin)*" + inner + "{A*(" + v +
                  "-C)^E+B}]+Ymin");
  }
  out.WriteLine(" Explanations by regression:");
  out.WriteLine("   CorrCoeffSq(Y,X) = " + FormatFixed(r.LinCorrCoeffSq, 6, 3) +
                "   ExplCoeff(Yc,X) = " + FormatFixed(r.CurveExplCoeff, 6, 3));
  out.WriteLine();
  WriteConfidenceTable(out, r, ConfidenceColumnLine(false));
  WriteSystemVariables(out, r, 3);
}

void WriteFiskReport(TextFileWriter& out, const CurveResult& r, const std::string& outputPath,
                     const std::string& title1, const std::string& title2) {
  out.WriteLine(" Results of program Ondulex for the Fisk regression.");
  out.WriteLine(" Fisk S-curve file name: " + outputPath);
  out.WriteLine();
  out.WriteLine(" *");
  out.WriteLine(" " + title1);
  out.WriteLine(" " + title2);
  out.WriteLine();
  out.WriteLine(" *");
  out.WriteLine(" Ycalculated according to the Fisk S-curve :");
  if (!r.XShifted) {
    out.WriteLine("       Yc = C/[1+(X/A)^B] where C = " + FormatFixed(r.Coeff[2], 8, 3));
  } else {
    out.WriteLine("       Yc = C/[1+{(X-D)/A}^B] where C = " + FormatFixed(r.Coeff[2], 8, 3) +
                  " and D =" + FormatFixed(r.Shift, 6, 3));
  }
  out.WriteLine("       A = " + FormatFixed(r.Coeff[0], 6, 3) + "   B = " +
                FormatFixed(r.Coeff[1], 6, 3));
  out.WriteLine("   CorrCoeffSq(Y,X) = " + FormatFixed(r.LinCorrCoeffSq, 6, 3) +
                "   ExplCoeff(Yc,X) = " + FormatFixed(r.CurveExplCoeff, 6, 3));
  out.WriteLine();
  WriteConfidenceTable(out, r, ConfidenceColumnLine(r.IsZ));
  WriteSystemVariables(out, r, 4);
}

namespace {

// One S-curve run: prepare, fit, store the fit value; in the final run also the files.
void RunSCurve(TDMVornax& data, RunOptions& options, UserDialogs& dialogs, CurveKind kind) {
  const CurveFiles files(data.FileName, data.Memory);
  CurveData prepared;
  const CurvePreparation prep = PrepareCurveData(data, kind, prepared);
  if (!prep.Ok) return RefuseCurve(files, options, dialogs, prep.Message);

  CurveResult result;
  if (kind == CurveKind::Fisk) {
    std::function<void(int)> progress;
    // Many data make the Fisk search take a while: the wait panel shows that it advances.
    if (prepared.N > 2000) {
      progress = [&](int percent) {
        dialogs.AddProgress(" Fisk curve " + FormatInt(percent) + "% ..");
      };
    }
    // The final run of the data the comparison searched takes the point it found.
    const uint64_t print = FiskDataFingerprint(prepared);
    const FiskPoint known{options.FiskR, options.FiskT, options.FiskI};
    const bool reuse = options.SCurveFinalRun && options.FiskR > 0 && options.FiskDataPrint == print;
    FiskPoint chosen;
    result = FitFiskCurve(prepared, progress, reuse ? &known : nullptr, &chosen);
    options.FiskR = chosen.r;
    options.FiskT = chosen.t;
    options.FiskI = chosen.i;
    options.FiskDataPrint = print;
  } else {
    result = FitLinkedSCurve(prepared, kind, options.TransformAccepted);
  }
  const double fit = result.CurveExplCoeff;
  switch (kind) {
    case CurveKind::Logistic: options.FitLogistic = fit; break;
    case CurveKind::Gumbel: options.FitGumbel = fit; break;
    case CurveKind::InvertedGumbel: options.FitInvGumbel = fit; break;
    default: options.FitFisk = fit; break;
  }
  options.CurveExplCoeff = fit;
  if (!options.SCurveFinalRun) return;

  options.CurveExponent = result.Exponent;
  TextFileWriter out(files.OutPath, files.Memory);
  TextFileWriter var(files.VarPath, data.VarianceFiles());
  const std::string outputPath = PathText(files.OutPath);
  switch (kind) {
    case CurveKind::Logistic:
      WriteLogisticReport(out, result, outputPath, data.Title1, data.Title2);
      break;
    case CurveKind::Fisk:
      WriteFiskReport(out, result, outputPath, data.Title1, data.Title2);
      break;
    default:
      WriteGumbelReport(out, result, outputPath, data.Title1, data.Title2);
      break;
  }
  WriteCurveVarFile(var, result);
  options.SingleSlopeSignificant = true;
  if (!CommitCurveFiles(files, out, var, dialogs)) {
    options.CurveAbort = true;
    return;
  }
  data.FileName = PathText(files.VarPath);
  KeepCurveResult(data, options, result);
}

}  // namespace

void RunLogisticCurve(TDMVornax& data, RunOptions& options, UserDialogs& dialogs) {
  RunSCurve(data, options, dialogs, CurveKind::Logistic);
}
void RunGumbelCurve(TDMVornax& data, RunOptions& options, UserDialogs& dialogs) {
  RunSCurve(data, options, dialogs, CurveKind::Gumbel);
}
void RunInvertedGumbelCurve(TDMVornax& data, RunOptions& options, UserDialogs& dialogs) {
  RunSCurve(data, options, dialogs, CurveKind::InvertedGumbel);
}
void RunFiskCurve(TDMVornax& data, RunOptions& options, UserDialogs& dialogs) {
  RunSCurve(data, options, dialogs, CurveKind::Fisk);
}

}  // namespace vornax
