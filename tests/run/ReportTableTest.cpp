// The data table of a report as CSV: the columns of each kind of report, values that read back
// exactly.
#include <gtest/gtest.h>

#include "run/ReportTable.h"

namespace vornax {
namespace {

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
  for (const auto& [graph, expected] : cases) EXPECT_EQ(ReportTableCsv(*graph), expected);
}

TEST(ReportTable, ShortColumnsLeaveCellsEmpty) {
  GraphData g;
  g.NrOfRows = 2;
  g.GraphX = {1, 2};
  g.GraphY = {3};
  g.GraphYcalc = {};
  EXPECT_EQ(ReportTableCsv(g), "X,Y,Y calculated\n1,3,\n2,,\n");
}

}  // namespace
}  // namespace vornax
