// The report writer on results made by hand: the parameter tables of types 2, 5 and 6 in their
// X and Z wording, the summary's type lines of both sequences, and the header's choices. The
// numbers are placed so that each value lands in its own column.
#include "regression/TwoVariableReport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "data/TextFile.h"
#include "support/TestSupport.h"

namespace vornax {
namespace {

TwoVariableSection Section(TwoVariableSection::Kind kind, bool isZ, int type, int method) {
  TwoVariableSection s;
  s.Section = kind;
  s.VariableIsZ = isZ;
  s.Type = type;
  s.Method = method;
  s.BP = 5;
  s.Slope = {0, 1, 2};
  s.AnchorX = {0, 3, 7};
  s.AnchorY = {0, 10, 20};
  s.SERC = {0, 0.1, 0.2};
  s.SEBP = 0.5;
  s.SDYbp = 0.25;
  s.CE = 0.75;
  s.StDevDiffYav = 0.125;
  s.Levels.Y1bp = 12;
  s.Levels.SEY1bp = 0.3;
  s.Levels.Y2bp = 16;
  s.Levels.SEY2bp = 0.4;
  return s;
}

std::vector<std::string> Write(const TwoVariableResult& r, const TwoVariableReportContext& c) {
  test::TempDir dir;
  TextFileWriter out(dir / "r.out");
  WriteTwoVariableReport(r, c, out);
  EXPECT_TRUE(out.Commit());
  return test::ReadLines(dir / "r.out");
}

TwoVariableResult Result(int sequence, int type1, int method1, int type2, int method2) {
  TwoVariableResult r;
  r.SequenceNr = sequence;
  r.First.Type = type1;
  r.First.Method = method1;
  r.Second.Type = type2;
  r.Second.Method = method2;
  const bool zFirst = sequence == 2;
  r.Sections.push_back(Section(TwoVariableSection::FirstWithout, zFirst, 1, 0));
  if (type1 >= 2) r.Sections.push_back(Section(TwoVariableSection::FirstWith, zFirst, type1, method1));
  r.Sections.push_back(Section(TwoVariableSection::Relation, !zFirst, 1, 0));
  r.Sections.push_back(Section(TwoVariableSection::SecondWithout, !zFirst, 1, 0));
  if (type2 >= 2) r.Sections.push_back(Section(TwoVariableSection::SecondWith, !zFirst, type2, method2));
  return r;
}

// The lines after the first that equals `start`.
std::vector<std::string> After(const std::vector<std::string>& lines, const std::string& start,
                               size_t count) {
  const auto at = std::find(lines.begin(), lines.end(), start);
  if (at == lines.end()) return {"<no line \"" + start + "\">"};
  const auto end = std::min(lines.end(), at + static_cast<long>(count) + 1);
  return std::vector<std::string>(at, end);
}

TEST(TwoVariableReport, TypeTwoFiveAndSixTablesInBothWordings) {
  // Sequence 1: the first stage (X) of type 2 method 1, the second (Z) of type 6.
  const auto a = Write(Result(1, 2, 1, 6, 0), {});
  EXPECT_EQ(After(a, " Parameters for function type 2 and method", 6),
            (std::vector<std::string>{
                " Parameters for function type 2 and method",
                "     Slope > BPx        St.Err.slope        Method",
                // Slope and error of the turned line 2, then Y at BP on line 1: (5 - 3) + 10.
                "    2.00E+000            2.00E-001            1",
                "     Y at BPx            St.Err.BPx       Expl.Coeff.",
                "    1.20E+001            5.00E-001        7.50E-001",
                "    St.Err.Ybp",
                "    2.50E-001",
            }));
  EXPECT_EQ(After(a, " Parameters for function type 6 :", 4),
            (std::vector<std::string>{
                " Parameters for function type 6 :",
                "       Y1bp              St.Err.Y1bp",
                "    1.20E+001            3.00E-001",
                "       Y2bp              St.Err.Y2bp       Expl.Coeff.",
                "    1.60E+001            4.00E-001        7.50E-001",
            }));
  EXPECT_EQ(After(a, " SUMMARY OF THE Y-X-Z REGRESSION.", 3),
            (std::vector<std::string>{
                " SUMMARY OF THE Y-X-Z REGRESSION.",
                " Y-X  Function type : 2  - two connected segements with lines of different slope.",
                " YXr-Z Function type: 6  - two disconnected, sloping segments.",
                " (See help functions on Intro tabsheet)",
            }));

  // Sequence 2: the first stage (Z) of type 2 method 2, the second (X) of type 5.
  const auto b = Write(Result(2, 2, 2, 5, 0), {});
  EXPECT_EQ(After(b, " Parameters for function type 2 and method", 4),
            (std::vector<std::string>{
                " Parameters for function type 2 and method",
                "     Slope < BPz        St.Err.Slope        Method",
                "    1.00E+000            1.00E-001            2",
                "     Y at BPz            St.Err.BPz       Expl.Coeff.",
                // Y at BP on line 2: (5 - 7) * 2 + 20.
                "    1.60E+001            5.00E-001        7.50E-001",
            }));
  EXPECT_EQ(After(b, " Parameters for function type 5 :", 4),
            (std::vector<std::string>{
                " Parameters for function type 5 :",
                "    Slope < BPx       St.Err.Slope<BPx   StDevDiffYav.",
                "    1.00E+000            1.00E-001        1.25E-001",
                "    Slope > BPx       St.Err.Slope>BPx    Expl.Coeff.",
                "    2.00E+000            2.00E-001        7.50E-001",
            }));
  EXPECT_EQ(After(b, " SUMMARY OF THE Y-Z-X REGRESSION.", 3),
            (std::vector<std::string>{
                " SUMMARY OF THE Y-Z-X REGRESSION.",
                " Y-Z  Function type : 2  - two connected segments with lines of different slope.",
                " YZr-X Function type: 5  - two segments with horiz. lines at diff. levels.",
                " (See help functions on Intro tabsheet)",
            }));
  // Sequence 2 has no title line for the first stage with its breakpoint.
  EXPECT_EQ(After(b, " Data with Z < BPz :", 0).size(), 1u);
  EXPECT_EQ(std::count(b.begin(), b.end(),
                       " The second (Z) of two independent variables is used firstly."),
            2);
}

TEST(TwoVariableReport, CalcMethodLinesOnlyForTypesThreeAndFour) {
  const auto a = Write(Result(2, 4, 1, 3, 2), {});
  EXPECT_EQ(After(a, " SUMMARY OF THE Y-Z-X REGRESSION.", 5),
            (std::vector<std::string>{
                " SUMMARY OF THE Y-Z-X REGRESSION.",
                " Y-Z  Function type : 4  - first a sloping segment, then horizontal.",
                " YZr-X Function type: 3  - first a horizontal segment, then sloping.",
                " Y-Z   Calc. method : 1",
                " YZr-X Calc. method : 2",
                " (See help functions on Intro tabsheet)",
            }));
  const auto b = Write(Result(1, 0, 0, 1, 0), {});
  EXPECT_EQ(After(b, " SUMMARY OF THE Y-X-Z REGRESSION.", 3),
            (std::vector<std::string>{
                " SUMMARY OF THE Y-X-Z REGRESSION.",
                " Y-X  Function type : 0  - a horizontal regression line, no breakpoint found.",
                " YXr-Z Function type: 1  - a single regression line, no breakpoint found.",
                " (See help functions on Intro tabsheet)",
            }));
  // A first stage without breakpoint: the relation follows the single line directly.
  const auto titles = After(b, " Regression of Y upon X without breakpoint (BPx=Xmin).", 11);
  EXPECT_EQ(titles.back(), " Regression of X upon Z without breakpoint (BPz=Zmin).");
}

TEST(TwoVariableReport, HeaderShowsConfidenceAndChoices) {
  TwoVariableReportContext c;
  c.OutputPath = "/data/trial.out";
  c.InputPath = "/data/trial.inp";
  c.Title1 = "Trial";
  c.Title2 = "Units";
  c.ConfidenceT = 2.1;
  c.PreferredTypeZ = 4;
  const auto a = Write(Result(1, 1, 0, 1, 0), c);
  ASSERT_GT(a.size(), 20u);
  EXPECT_EQ(a[11], " Name of this output file:  /data/trial.out");
  EXPECT_EQ(a[12], " Name of input file used :  /data/trial.inp");
  EXPECT_EQ(a[14], " Trial");
  EXPECT_EQ(a[15], " Units");
  EXPECT_EQ(a[16], " Minimum confidence % : 95");
  EXPECT_EQ(a[17], " X-type preferred: Best of all Z-type preferred: 4 ");
  EXPECT_EQ(a[18], "");
  c.ConfidenceT = 2.5;
  c.PreferredTypeZ = -1;
  const auto b = Write(Result(1, 1, 0, 1, 0), c);
  EXPECT_EQ(b[16], " Minimum confidence % : 98");
  EXPECT_EQ(b[17], "");
  EXPECT_EQ(b[18], " Regression of Y upon X without breakpoint (BPx=Xmin).");
}

}  // namespace
}  // namespace vornax
