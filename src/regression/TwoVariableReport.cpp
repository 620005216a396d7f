// The two-variable report and variance file, line by line.
#include "regression/TwoVariableReport.h"

#include <initializer_list>
#include <vector>

#include "data/OutputFile.h"
#include "data/NumberFormat.h"
#include "data/RunOptions.h"

namespace vornax {
namespace {

using Lines = std::vector<const char*>;

// The heading of each block, by block and sequence ([0] sequence 1, [1] sequence 2). The
// wording differs between the sequences in more than the variable names, so each is kept whole.
const Lines kFirstWithout[2] = {
    {" Regression of Y upon X without breakpoint (BPx=Xmin).",
     " The first (X) of two independent variables is used firstly.",
     " The table below gives the following series of values respectively:",
     "    Breakpoint(BPx)    number of data        Av.Y          Av.X",
     "    Regr.Coeff.(RC)    Corr.Coeff.Sq.      St.Dev.RC       Y(X=0)",
     "      St.Dev.Y           St.Dev.Yr         St.Dev.X", ""},
    {" Regression of Y upon Z without breakpoint (BPz=Zmin).",
     " The second (Z) of two independent variables is used firstly.",
     " The table below gives the following series of values respectively:",
     "    Breakpoint(BPz)    number of data        Av.Y          Av.Z",
     "    Regr.Coeff.(RC)    Corr.Coeff.Sq.      St.Dev.RC       Y(Z=0)",
     "      St.Dev.Y           St.Dev.Yr         St.Dev.Z", ""}};

const Lines kFirstWith[2] = {
    {"", " Regression of Y on X with optimal breakpoint (BPx).",
     " The first (X) of two independent variables is used firstly.",
     " The table below gives the following series of values respectively:",
     "    Breakpoint(BPx)    number of data        Av.Y          Av.X",
     "    Regr.Coeff.(RC)    Corr.Coeff.Sq.      St.Dev.RC       Y(X=0)",
     "      St.Dev.Y           St.Dev.Yr         St.Dev.X",
     " for the data with X-values smaller and greater than BPx followed",
     " by the function parameters.", ""},
    {"", " The second (Z) of two independent variables is used firstly.",
     " The table below gives the following series of values respectively:",
     "    Breakpoint(BPz)    number of data        Av.Y          Av.Z",
     "    Regr.Coeff.(RC)    Corr.Coeff.Sq.      St.Dev.RC       Y(Z=0)",
     "      St.Dev.Y           St.Dev.Yr         St.Dev.Z",
     " for the data with Z-values smaller and greater than BPz followed",
     " by the function parameters.", ""}};

const Lines kRelation[2] = {
    {"", " Regression of X upon Z without breakpoint (BPz=Zmin).",
     " This analyzes the relation between the independent variables.",
     " The table below gives the following series of values respectively:",
     "    Breakpoint(BPz)    number of data        Av.X          Av.Z",
     "    Regr.Coeff.(RC)    Corr.Coeff.Sq.      St.Dev.RC       X(Z=0)",
     "      St.Dev.X           St.Dev.Zr         St.Dev.Z", ""},
    {"", " Regression of Z upon X without breakpoint (BPx=Xmin).",
     " This analyzes the relation between the independent variables.",
     " The table below gives the following series of values respectively:",
     "    Breakpoint(BPx)    number of data        Av.Z          Av.X",
     "    Regr.Coeff.(RC)    Corr.Coeff.Sq.      St.Dev.RC       Z(X=0)",
     "      St.Dev.Z           St.Dev.Xr         St.Dev.X", ""}};

const Lines kSecondWithout[2] = {
    {"", " Regression of Y residuals (Yr) on Z without breakpoint (BPz=Zmin).",
     " The second (Z) of two independent variables is used secondly.",
     " The table below gives the following series of values respectively:",
     "    Breakpoint(BPz)    number of data        Av.Yr         Av.Z",
     "    Regr.Coeff.(RC)    Corr.Coeff.Sq.      St.Dev.RC       Yr(Z=0)",
     "      St.Dev.Yr          St.Dev.Yrr         St.Dev.Z", ""},
    {"", " Regression of Y residuals (Yr) upon X without breakpoint (BPx=Xmin).",
     " The first (X) of two independent variables is used secondly.",
     " The table below gives the following series of values respectively:",
     "    Breakpoint(BPx)    number of data        Av.Yr         Av.X",
     "    Regr.Coeff.(RC)    Corr.Coeff.Sq.      St.Dev.RC       Yr(X=0)",
     "      St.Dev.Yr          St.Dev.Yrr         St.Dev.X", ""}};

const Lines kSecondWith[2] = {
    {"", " Regression of Y residuals (Yr) on Z with optimal breakpoint (BPz).",
     " The second (Z) of two independent variables is used secondly.",
     " The table below gives the following series of values respectively:",
     "    Breakpoint(BPz)    number of data        Av.Yr         Av.Z",
     "    Regr.Coeff.(RC)    Corr.Coeff.Sq.      St.Dev.RC       Yr(Z=0)",
     "      St.Dev.Yr          St.Dev.Yrr         St.Dev.Z",
     " for the data with Z-values smaller and greater than BPz followed",
     " by the function parameters.", ""},
    {"", " Regression of Y residuals (Yr) on X with optimal breakpoint (BPx)",
     " The first (X) of two independent variables is used secondly.",
     " The table below gives the following series of values respectively:",
     "    Breakpoint(BPx)    number of data        Av.Yr         Av.X",
     "    Regr.Coeff.(RC)    Corr.Coeff.Sq.      St.Dev.RC       Yr(X=0)",
     "      St.Dev.Yr          St.Dev.Yrr         St.Dev.X",
     " for the data with X-values smaller and greater than BPx followed",
     " by the function parameters.", ""}};

// The texts after the stage name of a summary type line, by type. The first stage of sequence 1
// has its own spelling of type 2.
const char* TypeText(int type, bool firstStageOfSequence1) {
  switch (type) {
    case 0:
      return "0  - a horizontal regression line, no breakpoint found.";
    case 1:
      return "1  - a single regression line, no breakpoint found.";
    case 2:
      return firstStageOfSequence1 ? "2  - two connected segements with lines of different slope."
                                   : "2  - two connected segments with lines of different slope.";
    case 3:
      return "3  - first a horizontal segment, then sloping.";
    case 4:
      return "4  - first a sloping segment, then horizontal.";
    case 5:
      return "5  - two segments with horiz. lines at diff. levels.";
    default:
      return "6  - two disconnected, sloping segments.";
  }
}

// The value columns of the parameter tables.
std::string ValueLine(std::initializer_list<double> values) {
  static constexpr int kWidths[4] = {13, 21, 17, 14};
  std::string line;
  int k = 0;
  for (double v : values) line += FormatExp(v, kWidths[k++], 3);
  return line;
}

// " 2 " ... " 6 " for a chosen type, else the text for none.
std::string ChoiceText(int type, int lowest, const char* none) {
  if (type >= lowest && type <= 6) return " " + FormatInt(type) + " ";
  return none;
}

class ReportWriter {
 public:
  ReportWriter(const TwoVariableResult& result, const TwoVariableReportContext& context,
               TextFileWriter& out)
      : r_(result), c_(context), out_(out), seq_(result.SequenceNr == 1 ? 0 : 1) {}

  void Write() {
    WriteHeader();
    for (const TwoVariableSection& s : r_.Sections) WriteSection(s);
    WriteSummary();
  }

 private:
  void WriteLines(const Lines& lines) {
    for (const char* line : lines) out_.WriteLine(line);
  }

  void WriteHeader() {
    out_.WriteLine(" Results of program VORNAX2 for the segmented linear regression of");
    out_.WriteLine(" Y upon X and Z with X-breakpoint BP1 and Z-breakpoint BPz.");
    out_.WriteLine(" The regression sequences are either:");
    out_.WriteLine(" - Y upon X followed by the residuals YXr upon Z, or");
    out_.WriteLine(" - Y upon Z followed by the residuals YXr upon X,");
    out_.WriteLine(" whichever gives the best statistical explanation.");
    out_.WriteLine(" There can be different types of functions ranging from type 0 to type 6");
    out_.WriteLine(" and (for types 2, 3 and 4) two methods of calculation.");
    out_.WriteLine(" The types and methods are determined with the procedure of best fit.");
    out_.WriteLine(" For explanations, use the symbols function in the output scroll menu.");
    WriteReportNames(out_, c_.OutputPath, c_.InputPath, c_.Title1, c_.Title2, ConfidencePercent(c_.ConfidenceT));
    const bool preferred = (c_.PreferredTypeX >= 1 && c_.PreferredTypeX <= 6) ||
                           (c_.PreferredTypeZ >= 1 && c_.PreferredTypeZ <= 6);
    if (preferred) {
      out_.WriteLine(" X-type preferred:" + ChoiceText(c_.PreferredTypeX, 1, " Best of all") +
                     " Z-type preferred:" + ChoiceText(c_.PreferredTypeZ, 1, " Best of all"));
    }
    if (c_.ExcludedTypeX != 0 || c_.ExcludedTypeZ != 0) {
      out_.WriteLine(" X-type excluded:" + ChoiceText(c_.ExcludedTypeX, 2, " None") +
                     " Z-type excluded:" + ChoiceText(c_.ExcludedTypeZ, 2, " None"));
    }
    out_.WriteLine();
  }

  void WriteSection(const TwoVariableSection& s) {
    switch (s.Section) {
      case TwoVariableSection::FirstWithout:
        WriteLines(kFirstWithout[seq_]);
        break;
      case TwoVariableSection::FirstWith:
        WriteLines(kFirstWith[seq_]);
        break;
      case TwoVariableSection::Relation:
        WriteLines(kRelation[seq_]);
        break;
      case TwoVariableSection::SecondWithout:
        WriteLines(kSecondWithout[seq_]);
        break;
      case TwoVariableSection::SecondWith:
        WriteLines(kSecondWith[seq_]);
        break;
    }
    const std::string v = s.VariableIsZ ? "Z" : "X";
    const std::string b = s.VariableIsZ ? "BPz" : "BPx";
    const bool broken = s.Section == TwoVariableSection::FirstWith ||
                        s.Section == TwoVariableSection::SecondWith;
    if (broken) {
      out_.WriteLine(" Data with " + v + " < " + b + " :");
      WriteSegmentBlock(s, 1, b);
      out_.WriteLine(" Data with " + v + " > " + b + " :");
    }
    WriteSegmentBlock(s, 2, b);
    if (broken) WriteParameterTable(s, b);
  }

  void WriteSegmentBlock(const TwoVariableSection& s, int segment, const std::string& b) {
    const SegmentStats& st = s.Stats[static_cast<size_t>(segment)];
    out_.WriteLine(" " + b + "=" + FormatFixed(s.BP, 7, 2) + FormatExp(st.N, 22, 3) +
                   FormatExp(st.AvY, 17, 3) + FormatExp(st.AvX, 14, 4));
    out_.WriteLine(FormatExp(st.RC, 13, 3) + FormatExp(st.CCsq, 21, 3) +
                   FormatExp(st.StDevRC, 17, 3) + FormatExp(st.C, 14, 3));
    out_.WriteLine(FormatExp(st.StDevY, 13, 3) + FormatExp(st.StDevYr, 21, 3) +
                   FormatExp(st.StDevX, 17, 3));
  }

  void WriteParameterTable(const TwoVariableSection& s, const std::string& b) {
    out_.WriteLine();
    const int method = s.Method;
    switch (s.Type) {
      case kType2: {
        out_.WriteLine(" Parameters for function type 2 and method");
        const std::string err = s.VariableIsZ ? "St.Err.Slope" : "St.Err.slope";
        // Method 1 keeps line 1 and turns line 2 to meet it; method 2 the other way round.
        const size_t turned = method == 1 ? 2 : 1;
        const size_t kept = 3 - turned;
        out_.WriteLine(std::string("     Slope ") + (turned == 2 ? ">" : "<") + " " + b +
                       "        " + err + "        Method");
        out_.WriteLine(ValueLine({s.Slope[turned], s.SERC[turned]}) + FormatInt(method, 13));
        const double ybp = (s.BP - s.AnchorX[kept]) * s.Slope[kept] + s.AnchorY[kept];
        out_.WriteLine("     Y at " + b + "            St.Err." + b + "       Expl.Coeff.");
        out_.WriteLine(ValueLine({ybp, s.SEBP, s.CE}));
        out_.WriteLine("    St.Err.Ybp");
        out_.WriteLine(FormatExp(s.SDYbp, 13, 3));
        break;
      }
      case kType3:
      case kType4: {
        // Mirror images: type 3 slopes above the breakpoint, type 4 below it.
        const bool three = s.Type == kType3;
        const size_t sl = three ? 2 : 1;
        const size_t h = 3 - sl;
        const std::string slopeSide = three ? ">" : "<";
        const std::string levelSide = three ? "<" : ">";
        const std::string frac =
            std::string("N") + (s.Shift.Variant ? levelSide : slopeSide) + "/Nt";
        out_.WriteLine(" Parameters for function type " + FormatInt(s.Type) + " and method" +
                       FormatInt(method, 3));
        out_.WriteLine("   Slope " + slopeSide + " " + b + "              Ybp" + "             " +
                       frac + "       Increase Yi");
        out_.WriteLine(ValueLine({s.Slope[sl], s.AnchorY[h], s.Shift.Fraction, s.Shift.Yi}));
        out_.WriteLine("  St.Err.Slope" + slopeSide + b + "       St.Err." + b + "      St.Err." +
                       frac + "    St.Err.Yi");
        out_.WriteLine(ValueLine({s.SESlope, s.SEBP, s.Shift.SEFrac, s.Shift.SEYi}));
        out_.WriteLine("   St.Dev.Yr " + levelSide + " " + b + "       St.Dev.Ybp");
        out_.WriteLine(ValueLine({three ? s.Shift.SDYr1 : s.Shift.SDYr2, s.SDYbp}));
        out_.WriteLine("   Slope " + levelSide + " " + b + "        St.Err.Slope" + levelSide + b +
                       "   Expl.Coeff.");
        out_.WriteLine(ValueLine({s.Slope[h], s.SERC[h], s.CE}));
        break;
      }
      case kType5:
        out_.WriteLine(" Parameters for function type 5 :");
        out_.WriteLine("    Slope < " + b + "       St.Err.Slope<" + b + "   StDevDiffYav.");
        out_.WriteLine(ValueLine({s.Slope[1], s.SERC[1], s.StDevDiffYav}));
        out_.WriteLine("    Slope > " + b + "       St.Err.Slope>" + b + "    Expl.Coeff.");
        out_.WriteLine(ValueLine({s.Slope[2], s.SERC[2], s.CE}));
        break;
      case kType6:
        out_.WriteLine(" Parameters for function type 6 :");
        out_.WriteLine("       Y1bp              St.Err.Y1bp");
        out_.WriteLine(ValueLine({s.Levels.Y1bp, s.Levels.SEY1bp}));
        out_.WriteLine("       Y2bp              St.Err.Y2bp       Expl.Coeff.");
        out_.WriteLine(ValueLine({s.Levels.Y2bp, s.Levels.SEY2bp, s.CE}));
        break;
      default:
        break;
    }
  }

  void WriteSummary() {
    const bool seq1 = seq_ == 0;
    const TwoVariableStage& s1 = r_.First;
    const TwoVariableStage& s2 = r_.Second;
    out_.WriteLine();
    out_.WriteLine(seq1 ? " SUMMARY OF THE Y-X-Z REGRESSION." : " SUMMARY OF THE Y-Z-X REGRESSION.");
    out_.WriteLine(std::string(seq1 ? " Y-X  Function type : " : " Y-Z  Function type : ") +
                   TypeText(s1.Type, seq1));
    out_.WriteLine(std::string(seq1 ? " YXr-Z Function type: " : " YZr-X Function type: ") +
                   TypeText(s2.Type, false));
    if (s1.Type == kType3 || s1.Type == kType4) {
      out_.WriteLine(std::string(seq1 ? " Y-X   Calc. method :" : " Y-Z   Calc. method :") +
                     FormatInt(s1.Method, 2));
    }
    if (s2.Type == kType3 || s2.Type == kType4) {
      out_.WriteLine(std::string(seq1 ? " YXr-Z Calc. method :" : " YZr-X Calc. method :") +
                     FormatInt(s2.Method, 2));
    }
    out_.WriteLine(" (See help functions on Intro tabsheet)");
    out_.WriteLine();
    if (seq1) {
      out_.WriteLine(" The optimal breakpoint of X (BPx) is :" + FormatExp(s1.BP, 11, 4));
      out_.WriteLine(" The optimal breakpoint of Z (BPz) is :" + FormatExp(s2.BP, 11, 4));
    } else {
      out_.WriteLine(" The optimal breakpoint of Z (BPz) is :" + FormatExp(s1.BP, 11, 4));
      out_.WriteLine(" The optimal breakpoint of X (BPx) is :" + FormatExp(s2.BP, 11, 4));
    }
    out_.WriteLine();
    out_.WriteLine(" There are four regression equations:");
    out_.WriteLine();
    if (seq1) {
      out_.WriteLine(" when  X<BPx  and  Z<BPz :    Y = As.X + Bs.Z + Css");
      out_.WriteLine(" when  X<BPx  and  Z>BPz :    Y = As.X + Bg.Z + Csg");
      out_.WriteLine(" when  X>BPx  and  Z<BPz :    Y = Ag.X + Bs.Z + Cgs");
      out_.WriteLine(" when  X>BPx  and  Z>BPz :    Y = Ag.X + Bg.Z + Cgg");
    } else {
      out_.WriteLine(" when  Z<BPz  and  X<BPx :    Y = As.Z + Bs.X + Css");
      out_.WriteLine(" when  Z<BPz  and  X>BPx :    Y = As.Z + Bg.X + Csg");
      out_.WriteLine(" when  Z>BPz  and  X<BPx :    Y = Ag.Z + Bs.X + Cgs");
      out_.WriteLine(" when  Z>BPz  and  X>BPx :    Y = Ag.z + Bg.X + Cgg");
    }
    auto pairLine = [&](const char* a, double av, const char* b, double bv) {
      out_.WriteLine(std::string(a) + FormatExp(av, 11, 3) + b + FormatExp(bv, 11, 3));
    };
    pairLine("      As =", r_.As, "        Bs =", r_.Bs);
    pairLine("      Ag =", r_.Ag, "        Bg =", r_.Bg);
    pairLine("     Css =", r_.Css, "       Csg =", r_.Csg);
    pairLine("     Cgs =", r_.Cgs, "       Cgg =", r_.Cgg);
    out_.WriteLine();
    out_.WriteLine(" The overall coefficient of explanation is:" + FormatExp(r_.OverallCE, 10, 3));
    out_.WriteLine();
    out_.WriteLine(seq1 ? " Serial        Yobs         X          YXr          Z          Ycalc"
                        : " Serial        Yobs         Z          YZr          X         Ycalc");
    out_.WriteLine(" -------------------------------------------------------------------");
    const long double* first = seq1 ? c_.X : c_.Z;
    const long double* second = seq1 ? c_.Z : c_.X;
    for (int i = 0; i < r_.NrOfData; ++i) {
      const size_t k = static_cast<size_t>(i);
      out_.WriteLine(FormatInt(i + 1, 4) + "     " + FormatExp(c_.Y[i], 12, 3) +
                     FormatExp(first[i], 12, 3) + FormatExp(r_.FirstResiduals[k], 12, 3) +
                     FormatExp(second[i], 12, 3) + FormatExp(r_.YCalc[k], 12, 3));
    }
  }

  const TwoVariableResult& r_;
  const TwoVariableReportContext& c_;
  TextFileWriter& out_;
  int seq_;
};

// A sum of squares for the variance file: rounding residue below zero goes in as the zero it
// stands for, since the variance analysis rightly takes a negative sum of squares for damage.
double SumOfSquares(double v) { return v > 0 ? v : 0.0; }

}  // namespace

void WriteTwoVariableReport(const TwoVariableResult& result, const TwoVariableReportContext& context,
                            TextFileWriter& out) {
  ReportWriter(result, context, out).Write();
}

void WriteTwoVariableVarianceFile(const TwoVariableResult& result, TextFileWriter& var) {
  // Fifteen significant digits: the variance analysis subtracts these sums from each other.
  auto real = [&](double v) { var.WriteLine(FormatExp(v, 22, 15)); };
  auto breakpoint = [&](const TwoVariableStage& stage) {
    if (stage.Type >= 2) {
      real(stage.BP);
    } else {
      var.WriteLine(" -99999");
    }
  };
  var.WriteLine(FormatInt(2, 5));
  var.WriteLine(FormatInt(result.NrOfData, 5));
  real(SumOfSquares(result.SST));
  real(SumOfSquares(result.SSLine1));
  var.WriteLine(FormatInt(result.SequenceNr, 5));
  breakpoint(result.First);
  real(SumOfSquares(result.SSRes1));
  real(SumOfSquares(result.SSLine2));
  breakpoint(result.Second);
  if (result.Second.Type >= 2) real(SumOfSquares(result.SSSeg2));
}

}  // namespace vornax
