// The partial regression's output file, variance file and scan table, line by line.
#include "partial/PartialReport.h"

#include <algorithm>

#include "data/OutputFile.h"
#include "data/NumberFormat.h"
#include "data/RunOptions.h"

namespace vornax {
namespace {

// A deviation that could not be computed is reported as 0.
constexpr long double kBig = 1000000.0L;
long double Known(long double v) { return v >= kBig ? 0.0L : v; }

std::string ValueLine(double a, double b) { return FormatExp(a, 13, 3) + FormatExp(b, 21, 3); }
std::string ValueLine(double a, double b, double c) { return ValueLine(a, b) + FormatExp(c, 17, 3); }
std::string ValueLine(double a, double b, double c, double d) {
  return ValueLine(a, b, c) + FormatExp(d, 14, 3);
}

}  // namespace

PartialReport::PartialReport(const PartialResult& result, const PartialReportContext& context,
                             TextFileWriter& output, TextFileWriter& variance,
                             UserDialogs& dialogs)
    : r_(result), context_(context), out_(output), var_(variance), dialogs_(dialogs) {}

void PartialReport::WriteVarianceValue(double value) {
  // Fifteen significant digits: the variance analysis subtracts these sums from each other.
  var_.Write(FormatExp(value, 22, 15));
}

void PartialReport::WritePartialHeader(int section) {
  if (section == 1) {
    out_.WriteLine(" Results of program Lumitor for partial linear regression of Y upon X.");
    out_.WriteLine(" The dependent variable is Y.");
    if (r_.HorizontalFound()) {
      out_.WriteLine(" THIS LUMITOR PROGRAM DETECTS OVER WHICH PART OF THE DATA RANGE THE SLOPE ");
      out_.WriteLine(" CAN BE TAKEN ZERO LIKE IN TYPE 3 or 4.");
    } else {
      out_.WriteLine(" The types and methods are determined with the procedure of best fit.");
      out_.WriteLine(" For explanations, use the symbols function in the output scroll menu.");
    }
    WriteReportNames(out_, context_.OutputName, context_.InputName, context_.Title1, context_.Title2, ConfidencePercent(context_.ConfidenceT));
    out_.WriteLine();
    return;
  }
  if (section == 2) {
    out_.WriteLine(" Regression of Y upon X without breakpoint (BPx=Xmin).");
    out_.WriteLine(" X is the independent variable.");
    out_.WriteLine(" The table below gives the following series of values respectively:");
    out_.WriteLine("    Breakpoint(BPx)    number of data        Av.Y          Av.X");
    out_.WriteLine("    Regr.Coeff.(RC)    Corr.Coeff.Sq.      St.Dev.RC      Y(X=0)");
    out_.WriteLine("      St.Dev.Y           St.Dev.Yr         St.Dev.X");
    return;
  }
  if (!(r_.Breakpoint > r_.XMin)) return;
  out_.WriteLine();
  out_.WriteLine(" Results of regression of Y upon X with optimal breakpoint (BPx)");
  out_.WriteLine(" X is the independent variable.");
  out_.WriteLine(" The table below gives the following series of values respectively:");
  out_.WriteLine("    Breakpoint(BPx)    number of data        Av.Y          Av.X");
  out_.WriteLine("    Regr.Coeff.(RC)    Corr.Coeff.Sq.      St.Dev.RC       Y(X=0)");
  out_.WriteLine("      St.Dev.Y           St.Dev.Yr         St.Dev.X");
  out_.WriteLine(" for the data with X-values smaller and greater  than BPx followed");
  out_.WriteLine(" by the function parameters.");
}

void PartialReport::WriteSegmentBlock(const SegmentStats& st, double bp) {
  out_.WriteLine(" BPx=" + FormatFixed(bp, 7, 2) + FormatExp(st.N, 22, 3) + FormatExp(st.AvY, 17, 3) +
                 FormatExp(st.AvX, 14, 3));
  out_.WriteLine(FormatExp(st.RC, 13, 3) + FormatExp(st.CCsq, 21, 3) +
                 FormatExp(Known(st.StDevRC), 17, 3) + FormatExp(st.C, 14, 3));
  out_.WriteLine(FormatExp(st.StDevY, 13, 3) + FormatExp(Known(st.StDevYr), 21, 3) +
                 FormatExp(st.StDevX, 17, 3));
}

void PartialReport::WritePartialResults(bool atThreshold) {
  if (!atThreshold) {
    WriteSegmentBlock(r_.Single, r_.XMin);
    var_.WriteLine(" 1");
    var_.WriteLine(FormatInt(context_.NrOfData, 5));
    WriteVarianceValue(std::max(r_.SRYsqT, 0.0));
    var_.WriteLine();
    WriteVarianceValue(r_.SSDSingle);
    var_.WriteLine();
    if (!r_.HorizontalFound()) var_.WriteLine(" -99999");
    return;
  }
  const PartialFunction& f = r_.Final;
  // The variance file: the threshold(s) and the residual sum of squares of the fit, which is
  // the three-piece function's when both ends are level.
  if (r_.BothHorizontal) {
    // A negative threshold fills all 22 places of its field: the blank keeps the two apart.
    WriteVarianceValue(r_.ThresholdBP3);
    var_.Write(" ");
    WriteVarianceValue(r_.ThresholdBP4);
    var_.WriteLine();
    WriteVarianceValue(r_.ThreePiece.SSD);
  } else {
    WriteVarianceValue(f.Threshold);
    var_.WriteLine();
    WriteVarianceValue(std::max(f.SSDFinal[1] + f.SSDFinal[2], 0.0));
  }
  var_.WriteLine();

  out_.WriteLine(" Data with X < BPx :");
  WriteSegmentBlock(f.Stats[1], f.Threshold);
  out_.WriteLine(" Data with X > BPx :");
  WriteSegmentBlock(f.Stats[2], f.Threshold);
  out_.WriteLine();
  WriteParameterTable();
}

void PartialReport::WriteParameterTable() {
  const PartialFunction& f = r_.Final;
  const bool three = f.Type == kType3;
  const size_t sl = three ? 2 : 1;  // the sloping segment
  const size_t h = 3 - sl;          // the level one
  const std::string slopeSide = three ? ">" : "<";
  const std::string levelSide = three ? "<" : ">";
  const std::string frac =
      std::string("N") + (f.IncreaseVariant ? levelSide : slopeSide) + "/Nt";
  // The level of the other type's function and its threshold; 0 when none was built, and a
  // level of exactly 0 as 0.0001 so that it is not taken for a missing one.
  double otherLevel = 0;
  if (r_.BothHorizontal && r_.Other.Built) {
    otherLevel = r_.Other.Level();
    if (otherLevel == 0) otherLevel = 0.0001;
  }
  const double central = r_.BothHorizontal ? r_.ThreePiece.CentralCE : 0;

  out_.WriteLine(" Parameters for function type " + FormatInt(f.Type) + " and method" +
                 FormatInt(r_.Method, 3));
  out_.WriteLine("   Slope " + slopeSide + " BPx              Ybp" + "              " + frac +
                 "      increase Yi");
  out_.WriteLine(ValueLine(f.Slope[sl], f.AnchorY[h], f.Fraction, f.IncreaseYi));
  out_.WriteLine("  St.Err.Slope" + slopeSide + "BPx       St.Err.BPx" + "      St.Err." + frac +
                 "    St.Err.Yi");
  out_.WriteLine(ValueLine(f.SESlope, r_.StErrBreakpoint, f.SEFraction, f.SEIncreaseYi));
  out_.WriteLine("   St.Dev.Yr < BPx     St.Dev.Yr > BPx    St.Dev.Ybp");
  out_.WriteLine(ValueLine(static_cast<double>(Known(f.Stats[1].StDevYr)),
                           static_cast<double>(Known(f.Stats[2].StDevYr)), f.SDYbp));
  out_.WriteLine("   Slope " + levelSide + " BPx         St.Err.Slope" + levelSide + "BPx" +
                 "   Expl. Coeff.  Central expl.");
  out_.WriteLine(ValueLine(f.Slope[h], f.SERC[h], f.CE, central));
  if (three) {
    out_.WriteLine(std::string("   Conf. BP left       Conf. BP right  ") + "   Av. Y end     BP end");
    out_.WriteLine(ValueLine(r_.BP3Inner, r_.BP3Outer, otherLevel, r_.ThresholdBP4));
    out_.WriteLine("   Conf. BP end low    Conf. BP end high  ");
    out_.WriteLine(ValueLine(r_.BP4Low, r_.BP4High));
  } else {
    out_.WriteLine(std::string("   Conf. BP left       Conf. BP right  ") + "   Av. Y top     BP top");
    out_.WriteLine(ValueLine(r_.BP4Low, r_.BP4High, otherLevel, r_.ThresholdBP3));
    out_.WriteLine("   Conf. BP top low    Conf. BP top high  ");
    out_.WriteLine(ValueLine(r_.BP3Inner, r_.BP3Outer));
  }
}

void PartialReport::WritePartialSummary() {
  out_.WriteLine();
  out_.WriteLine(" SUMMARY OF THE Y-X REGRESSION.");
  switch (r_.ResultType) {
    case kType3:
      out_.WriteLine(" Function type : 3  - first a horizontal segment, then sloping.");
      out_.WriteLine(" Calc. method  :" + FormatInt(r_.Method, 2));
      break;
    case kType4:
      out_.WriteLine(" Function type : 4  - first a sloping segment, then horizontal.");
      out_.WriteLine(" Calc. method  :" + FormatInt(r_.Method, 2));
      break;
    default:
      out_.WriteLine(" Function type : 1  - a single regression line, no breakpoint found.");
      dialogs_.ShowMessage("Horizontal segment not found");
      break;
  }
  out_.WriteLine(" See help functions on Intro tabsheet");
  out_.WriteLine();
  if (r_.HorizontalFound()) {
    out_.WriteLine(" Optimal breakpoint of X (BPx) :" + FormatExp(r_.Breakpoint, 11, 4));
    out_.WriteLine();
    out_.WriteLine(" There are two regression equations:");
    out_.WriteLine();
    out_.WriteLine(" when X is smaller than BPx:  Y = AsX + Cs");
    out_.WriteLine(" when X is greater than BPx:  Y = AgX + Cg");
    out_.WriteLine();
    out_.WriteLine("     As = " + FormatExp(r_.As, 10, 3) + "       Ag = " + FormatExp(r_.Ag, 10, 3));
    out_.WriteLine("     Cs = " + FormatExp(r_.Cs, 10, 3) + "       Cg = " + FormatExp(r_.Cg, 10, 3));
  } else {
    out_.WriteLine(" The regression equation is:  Y = A.X + C");
    out_.WriteLine();
    out_.WriteLine("      A = " + FormatExp(r_.Ag, 10, 3) + "     C = " + FormatExp(r_.Cg, 10, 3));
  }
  out_.WriteLine();
  out_.WriteLine(" Serial        Yobs          X         Ycalc");
  out_.WriteLine(" ----------------------------------------------");
  for (int i = 0; i < context_.NrOfData; ++i) {
    const double x = static_cast<double>(context_.X[i]);
    std::string line = FormatInt(i + 1, 4) + "      " + FormatExp(context_.Y[i], 12, 3) +
                       FormatExp(context_.X[i], 12, 4) + FormatExp(r_.Ycalc(x), 12, 3);
    if (context_.Added != nullptr && (*context_.Added)[static_cast<size_t>(i)]) line += "  Added";
    out_.WriteLine(line);
  }
}

void PartialReport::WriteAll() {
  WritePartialHeader(1);
  WritePartialHeader(2);
  WritePartialResults(false);
  WritePartialHeader(3);
  if (r_.HorizontalFound()) WritePartialResults(true);
  WritePartialSummary();
}

void WriteScanTable(const PartialResult& result, int type, const std::string& ownPath,
                    TextFileWriter& table) {
  const bool three = type == kType3;
  table.WriteLine(ownPath);
  table.WriteLine();
  table.WriteLine(three ? " BP=breakpoint, Nr1 = number of data below BP, AvY1 = average Y below BP"
                        : " BP=breakpoint, Number1 = number of data below BP, AvY1 = average Y below BP");
  table.WriteLine(" AvX1 = average X below BP, AvY2 = average Y above BP, AvX2 = average X above BP");
  table.WriteLine(" Slope1 = regr. coeff. for all points below BP");
  table.WriteLine(" Slope2 = regr. coeff. for all points above BP");
  if (three) {
    table.WriteLine(" Slope3 = slope of line connecting point (BP,Ybp) with point (AvX2, AvY2)");
    table.WriteLine(" Ybp = Y at BP, StDevSlope1 = 1,25*standard deviation of Slope1");
    if (result.OverallSlope > 0) {
      table.WriteLine(" Check # = condition Slope1 < StDevSlope1 is met, Slope1 may be taken zero");
      table.WriteLine(" Check o = condition Slope1 < StDevSlope1 is not met, Slope1 is definitely positive");
    } else {
      table.WriteLine(" Check # = condition Slope1 > - StDevSlope1 is met, Slope1 may be taken zero");
      table.WriteLine(" Check o = condition Slope1 > - StDevSlope1 is not met, Slope1 is definitely negative");
    }
    table.WriteLine(" For relations of Type 3, the BP value at the last # sign is selected as threshold.");
  } else {
    table.WriteLine(" Slope3 = slope of line connecting point (BP,Ybp) with point (AvX1, AvY1)");
    table.WriteLine(" Ybp = Y at BP, StDevSlope2= standard deviation of Slope2");
    if (result.OverallSlope >= 0) {
      table.WriteLine(" Check # = condition Slope2 < StDevSlope2 is met, Slope2 may be taken zero");
      table.WriteLine(" Check o = condition Slope2 < StDevSlope2 is not met, Slope2 is definitely postive");
    } else {
      table.WriteLine(" Check # = condition Slope2 > - StDevSlope2 is met, Slope2 may be taken zero");
      table.WriteLine(" Check o = condition Slope2 > - StDevSlope2 is not met, Slope2 is definitely negative");
    }
    table.WriteLine(" For relations of Type 4, the BP at the first # sign is selected as threshold.");
  }
  table.WriteLine();
  table.WriteLine(std::string("    BP    Nr1   AvY1    AvX1   Slope1  Slope2") +
                  (three ? "  Slope3   AvY2    AvX2  StDevSlope1  Check"
                         : "  Slope3   AvY2    AvX2  StDevSlope2  Check"));
  table.WriteLine();
  for (const PartialScanLine& l : three ? result.Scan3 : result.Scan4) {
    table.WriteLine(FormatFixed(l.BP, 8, 2) + FormatInt(l.N1, 4) + FormatFixed(l.AvY1, 8, 2) +
                    FormatFixed(l.AvX1, 8, 2) + FormatFixed(l.Slope1, 8, 3) +
                    FormatFixed(l.Slope2, 8, 2) + FormatFixed(l.Slope3, 8, 2) +
                    FormatFixed(l.AvY2, 8, 2) + FormatFixed(l.AvX2, 8, 2) +
                    (l.StDevKnown ? FormatFixed(l.StDevSlope, 11, 3) : std::string("       n.a.")) +
                    (l.Mark ? "      #" : "      o"));
  }
}

}  // namespace vornax
