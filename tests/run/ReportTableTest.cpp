// The data table of a report as CSV: the columns of each kind of report, values that read back
// exactly.
#include <gtest/gtest.h>

#include <tuple>

#include "run/ReportTable.h"

namespace vornax {
namespace {

// A run that held exactly what its report prints.
const RunResult& Held(const GraphData& g) {
  static RunResult run;
  run = RunResult{};
  run.X = g.GraphX;
  run.Y = g.GraphY;
  run.YCalc = g.GraphYcalc;
  run.Z = g.GraphZ;
  run.FirstResiduals = g.GraphResidual;
  if (g.Curve) {
    run.Curve = CurveResult{};
    for (size_t i = 0; i < g.GraphX.size(); ++i) {
      run.Curve->Rows.push_back({static_cast<int>(i + 1), g.GraphX[i], g.GraphY[i], g.GraphYcalc[i],
                                 g.GraphLower[i], g.GraphUpper[i]});
    }
  }
  return run;
}

TEST(ReportTable, ColumnsOfEachKindOfReport) {
  GraphData one;
  one.OutputTag = " Fun";
  one.NrOfRows = 2;
  one.GraphX = {1.5, 2};
  one.GraphY = {0.1, 3};
  one.GraphYcalc = {0.30000000000000004, 2.75};

  GraphData z = one;
  z.TableVariable = "Z";
  z.Added = {false, true};

  GraphData two = one;
  two.OutputTag = " Y-Z";
  two.GraphZ = {7, 8};
  two.GraphResidual = {-0.25, 1e-20};

  GraphData curve = one;
  curve.Curve = GraphCurve{};
  curve.GraphLower = {0, 2};
  curve.GraphUpper = {0.5, 3.5};

  const std::pair<const GraphData*, const char*> cases[] = {
      {&one, "X,Y,Y calculated\n1.5,0.1,0.30000000000000004\n2,3,2.75\n"},
      {&z, "Z,Y,Y calculated,added\n1.5,0.1,0.30000000000000004,0\n2,3,2.75,1\n"},
      {&two, "X,Y,Z,residual of first stage,Y calculated\n1.5,0.1,7,-0.25,0.30000000000000004\n"
             "2,3,8,1e-20,2.75\n"},
      {&curve, "X,Y,Y calculated,lower limit,upper limit\n1.5,0.1,0.30000000000000004,0,0.5\n"
               "2,3,2.75,2,3.5\n"},
  };
  for (const auto& [graph, expected] : cases) EXPECT_EQ(ReportTableCsv(*graph, &Held(*graph)), expected);
}

// The report prints Y 12410.123 as 1.24E+004 and Y calculated 11907.6 as 1.19E+004: the run's
// own values go out whole, and what only the report gives is marked as its rounding.
TEST(ReportTable, TheRunsValuesGoOutWholeAndTheReportsAreMarked) {
  GraphData printed;
  printed.OutputTag = " Fun";
  printed.NrOfRows = 2;
  printed.GraphX = {22, 28};
  printed.GraphY = {12400, 2.41};
  printed.GraphYcalc = {11900, 2.47};
  RunResult run;
  run.X = {22, 28};
  run.Y = {12410.123, 2.41};
  run.YCalc = {11907.6, 2.4712345678901233};
  RunResult otherRows = run;
  otherRows.Y = {2.41, 12410.123};  // another order: not the report's rows
  RunResult curve = run;
  curve.Curve = CurveResult{};
  curve.Curve->Rows = {{1, 22, 12410.123, 11907.6, 11000.25, 12800.5},
                       {2, 28, 2.41, 2.4712345678901233, 2.0, 2.9}};
  GraphData printedCurve = printed;
  printedCurve.Curve = GraphCurve{};
  printedCurve.GraphLower = {11000, 2.0};
  printedCurve.GraphUpper = {12800, 2.9};
  const std::string marked = " (as the report prints it)";
  const std::tuple<const GraphData*, const RunResult*, std::string> cases[] = {
      {&printed, &run, "X,Y,Y calculated\n22,12410.123,11907.6\n28,2.41,2.4712345678901233\n"},
      {&printed, nullptr, "X" + marked + ",Y" + marked + ",Y calculated" + marked +
                              "\n22,12400,11900\n28,2.41,2.47\n"},
      {&printed, &otherRows, "X,Y" + marked + ",Y calculated\n22,12400,11907.6\n"
                             "28,2.41,2.4712345678901233\n"},
      {&printedCurve, &curve, "X,Y,Y calculated,lower limit,upper limit\n"
                              "22,12410.123,11907.6,11000.25,12800.5\n"
                              "28,2.41,2.4712345678901233,2,2.9\n"},
  };
  for (const auto& [graph, held, expected] : cases) EXPECT_EQ(ReportTableCsv(*graph, held), expected);
}

TEST(ReportTable, ShortColumnsLeaveCellsEmpty) {
  GraphData g;
  g.NrOfRows = 2;
  g.GraphX = {1, 2};
  g.GraphY = {3};
  g.GraphYcalc = {};
  const std::string marked = " (as the report prints it)";
  EXPECT_EQ(ReportTableCsv(g), "X" + marked + ",Y" + marked + ",Y calculated" + marked + "\n1,3,\n2,,\n");
}

}  // namespace
}  // namespace vornax
