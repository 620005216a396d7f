// The one-variable report and variance file, line by line.
#include "regression/OneVariableReport.h"

#include <algorithm>
#include <cmath>

#include "data/OutputFile.h"
#include "data/NumberFormat.h"
#include "data/RunOptions.h"
#include "regression/ReportedLines.h"

namespace vornax {
namespace {

// The four value columns of the parameter tables.
std::string ValueLine(double a, double b) { return FormatExp(a, 13, 3) + FormatExp(b, 21, 3); }
std::string ValueLine(double a, double b, double c) { return ValueLine(a, b) + FormatExp(c, 17, 3); }
std::string ValueLine(double a, double b, double c, double d) {
  return ValueLine(a, b, c) + FormatExp(d, 14, 3);
}

// A sum of squares for the variance file. The single line's residual sum comes from
// (1 - r^2) * Syy, which an exact fit leaves a hair below zero (-1E-18 for a plain straight
// line); the variance analysis rightly takes a negative sum of squares for damage, so rounding
// residue goes in as the zero it stands for.
double SumOfSquares(double v) { return v > 0 ? v : 0.0; }

}  // namespace

OneVariableReport::OneVariableReport(SegmentEngine& engine, const OneVariableReportContext& context,
                                     TextFileWriter& output, TextFileWriter& variance,
                                     UserDialogs& dialogs)
    : engine_(engine), context_(context), out_(output), var_(variance), dialogs_(dialogs) {}

void OneVariableReport::WriteVarianceValue(double value) {
  // Fifteen significant digits: the variance analysis subtracts these sums from each other.
  var_.WriteLine(FormatExp(value, 22, 15));
}

void OneVariableReport::WriteReportHeader(int section) {
  if (out_.Discards()) return;
  const bool z = context_.IsZ;
  const std::string v = Var();
  if (section == 1) {
    if (!context_.TwoColumnsInData) {
      out_.WriteLine(" Results of program Vornax for the segmented linear regression of Y upon " + v +
                     ".");
      out_.WriteLine(" Y is the dependent variable.");
    } else if (!z) {
      out_.WriteLine(" Results of program Vornax for the segmented linear regression of Y upon X.");
      out_.WriteLine(" X is the first of two independent variables.");
    } else {
      out_.WriteLine(" Results of program Vornax for the segmented linear regression of Y upon Z.");
      out_.WriteLine(" Z is the second of two independent variables.");
    }
    out_.WriteLine(" There can be different types of functions ranging from type 0 to type 6");
    out_.WriteLine(" and (for types 2, 3 and 4) two methods of calculation.");
    out_.WriteLine(" The types and methods are determined with the procedure of best fit.");
    out_.WriteLine(" For explanations, use the symbols function in the output scroll menu.");
    WriteReportNames(out_, context_.OutputPath, context_.InputPath, context_.Title1, context_.Title2, ConfidencePercent(context_.ConfidenceT));
    if (context_.ExcludedType >= 2 && context_.ExcludedType <= 6) {
      out_.WriteLine(" " + v + "-type excluded:" + " " + FormatInt(context_.ExcludedType) + " ");
    }
    if (context_.PreferredType >= 1 && context_.PreferredType <= 6) {
      out_.WriteLine(" " + v + "-type preferred:" + " " + FormatInt(context_.PreferredType) + " ");
    }
    if (context_.FixedBreakpoint) {
      std::string value = FormatFixed(*context_.FixedBreakpoint, 7, 2);
      value.erase(0, value.find_first_not_of(' '));
      out_.WriteLine(" Breakpoint fixed at " + value + " by the user; it was not searched.");
    }
    out_.WriteLine();
    return;
  }

  auto variableLine = [&]() {
    if (!context_.TwoColumnsInData) {
      out_.WriteLine(" " + v + " is the independent variable.");
    } else if (!z) {
      out_.WriteLine(" The first (X) of two independent variables is used.");
    } else {
      out_.WriteLine(" The second (Z) of two independent variables is used.");
    }
  };
  if (section == 2) {
    out_.WriteLine(z ? " Regression of Y upon Z without breakpoint (BPz=Zmin)."
                     : " Regression of Y upon X without breakpoint (BPx=Xmin).");
    variableLine();
    out_.WriteLine(" The table below gives the following series of values respectively:");
    out_.WriteLine("    Breakpoint(" + BPv() + ")    number of data        Av.Y          Av." + v);
    out_.WriteLine("    Regr.Coeff.(RC)    Corr.Coeff.Sq.      St.Dev.RC      Y(" + v + "=0)");
    out_.WriteLine("      St.Dev.Y           St.Dev.Yr         St.Dev." + v);
    return;
  }
  // Section 3: before the report at the optimal breakpoint.
  out_.WriteLine();
  out_.WriteLine(" Results of regression of Y upon " + v + " with optimal breakpoint (" + BPv() + ")");
  variableLine();
  out_.WriteLine(" The table below gives the following series of values respectively:");
  out_.WriteLine("    Breakpoint(" + BPv() + ")    number of data        Av.Y          Av." + v);
  out_.WriteLine("    Regr.Coeff.(RC)    Corr.Coeff.Sq.      St.Dev.RC       Y(" + v + "=0)");
  out_.WriteLine("      St.Dev.Y           St.Dev.Yr         St.Dev." + v);
  out_.WriteLine(z ? " for the data with Z-values smaller and greater than BPz followed"
                   : " for the data with X-values smaller and greater  than BPx followed");
  out_.WriteLine(" by the function parameters.");
}

void OneVariableReport::WriteSegmentBlock(int s, double bp) {
  if (out_.Discards()) return;
  const SegmentStats& st = engine_.Stats[static_cast<size_t>(s)];
  out_.WriteLine(" " + BPv() + "=" + FormatFixed(bp, 7, 2) + FormatExp(st.N, 22, 3) +
                 FormatExp(st.AvY, 17, 3) + FormatExp(st.AvX, 14, 4));
  out_.WriteLine(FormatExp(st.RC, 13, 3) + FormatExp(st.CCsq, 21, 3) + FormatExp(st.StDevRC, 17, 3) +
                 FormatExp(st.C, 14, 3));
  out_.WriteLine(FormatExp(st.StDevY, 13, 3) + FormatExp(st.StDevYr, 21, 3) +
                 FormatExp(st.StDevX, 17, 3));
}

void OneVariableReport::WriteRegressionReport(double bp, int type) {
  SegmentEngine& e = engine_;
  const bool broken = bp > e.Xmin;

  // 1. The segments at this breakpoint and the lines of the type.
  const ReportedLines lines = BuildReportedLines(e, bp, type, search_.OptMethod);
  singleSlopeSignificant_ = lines.SingleSlopeSignificant;
  stDevDiffYav_ = lines.StDevDiffYav;
  if (type == kType6) type6Variant_ = lines.Type6Variant;
  ce_ = lines.CE;

  // 2. The single line's X summary for the graphs.
  if (type == kTypeSingle) {
    singleAvX_ = static_cast<double>(e.Stats[2].AvX);
    singleNSxx_ = static_cast<double>(e.Stats[2].N * e.Stats[2].StDevX * e.Stats[2].StDevX);
    singleCE_ = ce_;
  }

  // 3. Variance file: the breakpoint and the residual sum of squares of the segmented fit.
  if (broken) {
    WriteVarianceValue(bp);
    WriteVarianceValue(SumOfSquares(e.SSDFinal[1] + e.SSDFinal[2]));
  }

  // 4-5. Segment blocks.
  const std::string v = Var();
  if (broken || type == kType3) {
    out_.WriteLine();
    out_.WriteLine(" Data with " + v + " < " + BPv() + " :");
    WriteSegmentBlock(1, bp);
    out_.WriteLine(" Data with " + v + " > " + BPv() + " :");
  } else {
    out_.WriteLine();
  }
  WriteSegmentBlock(2, bp);

  // 6. Variance file: the counts and the single line.
  if (!broken) {
    var_.WriteLine(" 1");
    var_.WriteLine(FormatInt(context_.NrOfData, 5));
    WriteVarianceValue(SumOfSquares(static_cast<double>(e.SRYsqT)));
    WriteVarianceValue(SumOfSquares(static_cast<double>(e.Stats[2].SSD)));
    if (search_.FoundType < 2) var_.WriteLine(" -99999");
  }

  // 7. Standard errors of the reported type.
  e.ComputeBreakpointErrors(type, search_.OptMethod, bp);

  // 8-9. Parameter table.
  // The parameter table computes nothing the summary or the result takes from it.
  if (type != kTypeSingle && type != kTypeHorizontal && !out_.Discards()) {
    WriteParameterTable(bp, type);
  }
  if (broken || type == kType3) out_.WriteLine();
  reportedType_ = type;
}

void OneVariableReport::WriteParameterTable(double bp, int type) {
  SegmentEngine& e = engine_;
  const std::string b = BPv();
  const bool z = context_.IsZ;
  const int method = search_.OptMethod;
  out_.WriteLine();

  if (type == kType2) {
    out_.WriteLine(" Parameters for function type 2 and method");
    double ybp = 0;
    if (method == 1) {
      out_.WriteLine("     Slope > " + b + "        St.Err.Slope        method");
      out_.WriteLine(ValueLine(e.Slope[2], e.SERC[2]) + FormatInt(method, 13));
      ybp = (bp - e.AnchorX[1]) * e.Slope[1] + e.AnchorY[1];
    } else {
      out_.WriteLine("     Slope < " + b + "        St.Err.Slope        method");
      out_.WriteLine(ValueLine(e.Slope[1], e.SERC[1]) + FormatInt(method, 13));
      ybp = (bp - e.AnchorX[2]) * e.Slope[2] + e.AnchorY[2];
    }
    out_.WriteLine("     Y at " + b + "            St.Err." + b + "       Expl.Coeff.");
    out_.WriteLine(ValueLine(ybp, e.SEBP, ce_));
    out_.WriteLine("    St.Err.Ybp");
    out_.WriteLine(FormatExp(e.SDYbp, 13, 3));
    return;
  }

  if (type == kType3 || type == kType4) {
    // Types 3 and 4 are mirror images: one segment slopes, the other is level.
    const size_t sl = type == kType3 ? 2 : 1;
    const size_t h = 3 - sl;
    const std::string slopeSide = sl == 2 ? ">" : "<";
    const std::string levelSide = sl == 2 ? "<" : ">";
    const LevelShift shift = ComputeLevelShift(e, type, bp, context_.NrOfData);
    const bool variant = shift.Variant;
    const std::string frac = std::string("N") + (variant ? levelSide : slopeSide) + "/Nt";
    // The Z form of the ordinary type-4 heading has one blank less before "Ybp".
    const std::string gap = (z && type == kType4 && !variant) ? "             " : "              ";

    out_.WriteLine(" Parameters for function type " + FormatInt(type) + " and method" +
                   FormatInt(method, 3));
    out_.WriteLine("   Slope " + slopeSide + " " + b + gap + "Ybp" + "              " + frac +
                   "      increase Yi");
    out_.WriteLine(ValueLine(e.Slope[sl], e.AnchorY[h], shift.Fraction, shift.Yi));
    out_.WriteLine("  St.Err.Slope" + slopeSide + b + "       St.Err." + b + "      St.Err." + frac +
                   "    St.Err.Yi");
    out_.WriteLine(ValueLine(e.SESlope, e.SEBP, shift.SEFrac, shift.SEYi));
    if (method == (type == kType3 ? 1 : 2)) {
      out_.WriteLine("   St.Dev.Yr < " + b + "     St.Dev.Yr > " + b + "    St.Dev.Ybp");
      out_.WriteLine(ValueLine(shift.SDYr1, shift.SDYr2, e.SDYbp));
    } else {
      out_.WriteLine("   St.Dev.Yr > " + b + "     St.Dev.Yr < " + b + "    St.Dev.Ybp");
      out_.WriteLine(ValueLine(shift.SDYr2, shift.SDYr1, e.SDYbp));
    }
    out_.WriteLine("   Slope " + levelSide + " " + b + "         St.Err.Slope" + levelSide + b +
                   "   Expl.Coeff.");
    out_.WriteLine(ValueLine(e.Slope[h], e.SERC[h], ce_));
    return;
  }

  if (type == kType5) {
    out_.WriteLine(" Parameters for function type 5 :");
    out_.WriteLine(z ? "    Slope < BPz       St.Err.Slope<BPz   StDevDiffYav."
                     : "    Slope < BPx       St.Err.Slope<BPx   StDevDiffYav.      St.Err.BP");
    out_.WriteLine(ValueLine(e.Slope[1], e.SERC[1], stDevDiffYav_));
    out_.WriteLine("    Slope > " + b + "       St.Err.Slope>" + b + "    Expl.Coeff.");
    out_.WriteLine(ValueLine(e.Slope[2], e.SERC[2], ce_));
    return;
  }

  if (type == kType6) WriteType6Lines(bp);
}

void OneVariableReport::WriteType6Lines(double bp) {
  const Type6Levels levels = ComputeType6Levels(engine_, bp, context_.NrOfData);
  out_.WriteLine(" Parameters for function type 6 :");
  out_.WriteLine("       Y1bp              St.Err.Y1bp      St.Err.BP");
  out_.WriteLine(ValueLine(levels.Y1bp, levels.SEY1bp, engine_.SEBP));
  out_.WriteLine("       Y2bp              St.Err.Y2bp      Expl.Coeff.");
  out_.WriteLine(ValueLine(levels.Y2bp, levels.SEY2bp, ce_));
}

void OneVariableReport::WriteSummary() {
  SegmentEngine& e = engine_;
  const double t = context_.ConfidenceT;
  const bool z = context_.IsZ;
  const std::string v = Var();
  int found = search_.FoundType;
  // A single line whose slope is not significant is reported as no relation at all.
  if (found == kTypeSingle && !singleSlopeSignificant_) found = kTypeHorizontal;
  reportedType_ = found;

  // 1. Confidence limits of the breakpoint.
  if (found == kType2 || found == kType3 || found == kType4) {
    bpLow_ = search_.BPopt - t * e.SEBP;
    bpHigh_ = search_.BPopt + t * e.SEBP;
    if (bpLow_ < e.Xmin) {
      dialogs_.ShowMessage(
          "The left limit of the confidence interval of the breakpoint is very low. The "
          "breakpoint may be insignificant.");
    }
    if (bpHigh_ > e.Xmax) {
      dialogs_.ShowMessage(
          "The upper limit of the confidence interval of the breakpoint is very high. Th "
          "breakpoint may be insignificant.");
    }
  }

  // 2-4. Heading and type.
  out_.WriteLine();
  out_.WriteLine(z ? " SUMMARY OF THE Y-Z REGRESSION." : " SUMMARY OF THE Y-X REGRESSION.");
  switch (found) {
    case 0:
      typeText_ = "a horizontal regression line, no breakpoint found.";
      break;
    case 1:
      typeText_ = "a single regression line, no breakpoint found.";
      break;
    case 2:
      typeText_ = "two connected segments with sloping lines.";
      break;
    case 3:
      typeText_ = "first a horizontal segment, then sloping.";
      break;
    case 4:
      typeText_ = "first a sloping segment, then horizontal.";
      break;
    case 5:
      typeText_ = "two segments with horiz. lines at diff. levels.";
      break;
    default:
      printedCode_ = type6Variant_ == 1 ? 8 : type6Variant_ == 2 ? 6 : 7;
      typeText_ = type6Variant_ == 1   ? "two disconnected, sloping segments."
                  : type6Variant_ == 2 ? "two disconnected, segments, one horizontal."
                                       : "two disconnected, parallel segments.";
      break;
  }
  if (found <= 5) printedCode_ = found;
  out_.WriteLine(" Function type : " + FormatInt(printedCode_) + "  - " + typeText_);
  if (found == kType2 || found == kType3 || found == kType4) {
    out_.WriteLine(" Calc. method  :" + FormatInt(search_.OptMethod, 2));
  }
  out_.WriteLine(" See help functions on Intro tabsheet");
  out_.WriteLine();

  // 5. The printed equations. The report's lines already hold the constrained slopes and
  // levels of the type; only the horizontal single line and type 6 change them here.
  const double bp = search_.BPopt;
  double as = e.Slope[1], ag = e.Slope[2];
  if (found == kTypeHorizontal) ag = 0;
  if (found == kType6) {
    e.ComputeBreakpointErrors(kType6, 0, bp);
    if (std::fabs(e.Slope[1]) - t * e.SERC[1] < 0) as = 0;
    if (std::fabs(e.Slope[2]) - t * e.SERC[2] < 0) ag = 0;
  }
  const double cs = e.AnchorY[1] - as * e.AnchorX[1];
  const double cg = e.AnchorY[2] - ag * e.AnchorX[2];
  as_ = as;
  cs_ = cs;
  ag_ = ag;
  cg_ = cg;
  sebp_ = e.SEBP;
  likelihood_ = {};
  if (found == kType2 || found == kType3 || found == kType4) {
    likelihood_ = BreakpointLikelihoodInterval(context_.Y, context_.X, context_.NrOfData, found,
                                               bp, e.Xmin, e.Xmax, ConfidencePercent(t));
  }

  // What remains is text, but for the fitted values of the data table.
  const bool text = !out_.Discards();

  // 6. Equations.
  if (text && found < 2) {
    out_.WriteLine(" The regression equation is:  Y = A." + v + " + C");
    out_.WriteLine();
    out_.WriteLine("      A = " + FormatExp(ag, 10, 4) + "     C = " + FormatExp(cg, 10, 4));
  } else if (text) {
    out_.WriteLine(z ? " Optimal breakpoint of Z (BPz) :" + FormatExp(bp, 11, 5)
                     : " Optimal breakpoint of X (BPx) :" + FormatExp(bp, 11, 4));
    out_.WriteLine();
    out_.WriteLine(" There are two regression equations:");
    out_.WriteLine();
    out_.WriteLine(" when " + v + " is smaller than " + BPv() + ":  Y = As" + v + " + Cs");
    out_.WriteLine(" when " + v + " is greater than " + BPv() + ":  Y = Ag" + v + " + Cg");
    out_.WriteLine();
    out_.WriteLine("     As = " + FormatExp(as, 10, 4) + "       Ag = " + FormatExp(ag, 10, 4));
    out_.WriteLine("     Cs = " + FormatExp(cs, 10, 4) + "       Cg = " + FormatExp(cg, 10, 4));
  }

  // 7-8. The data table with the fitted values of the printed equations.
  out_.WriteLine();
  out_.WriteLine(" Serial        Yobs          " + v + "         Ycalc");
  out_.WriteLine(" ----------------------------------------------");
  ycalc_.assign(static_cast<size_t>(std::max(context_.NrOfData, 0)), 0.0);
  for (int i = 0; i < context_.NrOfData; ++i) {
    const double x = static_cast<double>(context_.X[i]);
    const double ycalc = x >= bp ? ag * x + cg : as * x + cs;
    ycalc_[static_cast<size_t>(i)] = ycalc;
    if (!text) continue;
    std::string line = FormatInt(i + 1, 4) + "      " + FormatExp(context_.Y[i], 12, 3) +
                       FormatExp(context_.X[i], 12, 4) + FormatExp(ycalc, 12, 3);
    if (context_.Added != nullptr && (*context_.Added)[static_cast<size_t>(i)]) line += "  Added";
    out_.WriteLine(line);
  }
}

}  // namespace vornax

namespace vornax {

void OneVariableReport::FillResult(RunResult& r) const {
  r.Analysis = "one-variable";
  r.Variable = Var();
  r.ConfidenceT = context_.ConfidenceT;
  r.ConfidencePercent = ConfidencePercent(context_.ConfidenceT);
  r.Type = reportedType_;
  r.PrintedTypeCode = printedCode_;
  r.TypeText = typeText_;
  const bool withError = reportedType_ == kType2 || reportedType_ == kType3 || reportedType_ == kType4;
  r.Method = withError ? search_.OptMethod : 0;
  r.HasBreakpoint = reportedType_ >= kType2;
  r.Breakpoint = r.HasBreakpoint ? search_.BPopt : 0;
  r.BreakpointSE.reset();
  r.LowerLimit.reset();
  r.UpperLimit.reset();
  if (withError) {
    r.BreakpointSE = sebp_;
    r.LowerLimit = bpLow_;
    r.UpperLimit = bpHigh_;
  }
  r.LikelihoodLower.reset();
  r.LikelihoodUpper.reset();
  if (withError && likelihood_.Valid) {
    r.LikelihoodLower = likelihood_.Lower;
    r.LikelihoodUpper = likelihood_.Upper;
  }
  r.SlopeBelow = as_;
  r.InterceptBelow = cs_;
  r.SlopeAbove = ag_;
  r.InterceptAbove = cg_;
  r.CE = ce_;
  r.CEStraight = singleCE_;
  const double maxima[7] = {0, search_.CE1, search_.CE2M, search_.CE3M,
                           search_.CE4M, search_.CE5M, search_.CE6M};
  r.Candidates.clear();
  for (int type = 1; type <= 6; ++type) {
    const double ce = search_.TypeCE[static_cast<size_t>(type)];
    r.Candidates.push_back({type, type == 1 || ce > 0, ce, maxima[type]});
  }
  r.CEChosen = search_.CEopt;
  r.PreferredType = context_.PreferredType;
  r.ExcludedType = context_.ExcludedType;
  const size_t n = static_cast<size_t>(std::max(context_.NrOfData, 0));
  r.X.resize(n);
  r.Y.resize(n);
  r.Added.assign(n, false);
  for (size_t i = 0; i < n; ++i) {
    r.X[i] = static_cast<double>(context_.X[i]);
    r.Y[i] = static_cast<double>(context_.Y[i]);
    if (context_.Added != nullptr) r.Added[i] = (*context_.Added)[i];
  }
  r.YCalc = ycalc_;
  r.Valid = true;
}

}  // namespace vornax
