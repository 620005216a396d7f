// Importing tables for vornax-batch: delimiters, header rows, weight and Z columns, decimal
// commas, and the lines named in refusals.
#include "batch/TableImport.h"

#include <gtest/gtest.h>

#include "support/TestSupport.h"

namespace vornax::batch {
namespace {

using test::TempDir;
using test::WriteFileBytes;

ImportedTable Import(const std::string& text, bool weights = false) {
  TempDir dir;
  WriteFileBytes(dir / "t.csv", text);
  ImportedTable table;
  std::string error;
  EXPECT_TRUE(ImportTable(dir / "t.csv", weights, table, error)) << error;
  return table;
}

std::string Refusal(const std::string& text, bool weights = false) {
  TempDir dir;
  WriteFileBytes(dir / "t.csv", text);
  ImportedTable table;
  std::string error;
  EXPECT_FALSE(ImportTable(dir / "t.csv", weights, table, error));
  const std::string prefix = "\"" + (dir / "t.csv").string() + "\"";
  return error.rfind(prefix, 0) == 0 ? error.substr(prefix.size()) : error;
}

TEST(TableImport, CommaTableWithHeader) {
  auto t = Import("\xEF\xBB\xBFyield (t/ha),depth (cm)\r\n2.5,30\r\n\r\n# a remark\r\n3.25, 45\r\n");
  EXPECT_EQ(t.Header, (std::vector<std::string>{"yield (t/ha)", "depth (cm)"}));
  EXPECT_EQ(t.Cells, (std::vector<std::vector<std::string>>{{"2.5", "30"}, {"3.25", "45"}}));
  EXPECT_EQ(t.LineNumbers, (std::vector<size_t>{2, 5}));
  EXPECT_EQ(t.NrOfVarInData, 1);
  EXPECT_FALSE(t.HasWeights);
  EXPECT_FALSE(t.DecimalComma);
}

TEST(TableImport, DelimitersAndColumns) {
  auto tab = Import("1\t2\t3\n4\t5\t6\n");
  EXPECT_EQ(tab.Delimiter, '\t');
  EXPECT_EQ(tab.NrOfVarInData, 2);  // three columns without a weight header: Y, X, Z
  auto blanks = Import("  1   2  3  4\n5 6 7 8\n");
  EXPECT_EQ(blanks.Delimiter, ' ');
  EXPECT_EQ(blanks.NrOfVarInData, 2);
  EXPECT_TRUE(blanks.HasWeights);  // four columns: the last is the weight
  auto headed = Import("\"Y\",\"X\",\"Weight factor\"\n1,2,3\n");
  EXPECT_TRUE(headed.HasWeights);
  EXPECT_EQ(headed.NrOfVarInData, 1);
  auto flagged = Import("1,2,3\n", /*weights=*/true);
  EXPECT_TRUE(flagged.HasWeights);
  auto z = Import("y;Z\n1;2\n");
  EXPECT_TRUE(z.SingleIsZ);
}

TEST(TableImport, DecimalCommasWithSemicolonsOrTabs) {
  auto t = Import("Y;X\n2,5;1\n3;4,75\n");
  EXPECT_EQ(t.Delimiter, ';');
  EXPECT_TRUE(t.DecimalComma);
  EXPECT_EQ(t.Cells[0][0], "2,5");
  auto tab = Import("2,5\t1\n");
  EXPECT_TRUE(tab.DecimalComma);
  // With the comma as delimiter a comma is never a decimal mark.
  auto comma = Import("2,5\n");
  EXPECT_FALSE(comma.DecimalComma);
  EXPECT_EQ(comma.Cells[0], (std::vector<std::string>{"2", "5"}));
}

TEST(TableImport, EmptyCellsAreKeptForTheRunToDrop) {
  auto t = Import("1,2\n3,\n,4\n5,6,\n");
  ASSERT_EQ(t.Cells.size(), 4u);
  EXPECT_EQ(t.Cells[1], (std::vector<std::string>{"3", ""}));
  EXPECT_EQ(t.Cells[3], (std::vector<std::string>{"5", "6"}));  // a trailing delimiter
}

TEST(TableImport, RefusalsNameTheLine) {
  EXPECT_EQ(Refusal("Y,X\n1,2\n3,abc\n"), ", line 3: \"abc\" in column 2 is not a number");
  EXPECT_EQ(Refusal("1,2\nnan,2\n"), ", line 2: \"nan\" in column 1 is not a number");
  EXPECT_EQ(Refusal("1,2\n1,2,3\n"), ", line 2: more than 2 columns");
  EXPECT_EQ(Refusal("1\n"), ", line 1: expected 2 to 4 columns (Y, X[, Z][, weight]), found 1");
  EXPECT_EQ(Refusal("1,2,3,4,5\n"),
            ", line 1: expected 2 to 4 columns (Y, X[, Z][, weight]), found 5");
  EXPECT_EQ(Refusal("\n# nothing\n"), " holds no data");
  EXPECT_EQ(Refusal("Y,X\n"), " holds no data rows");
  EXPECT_EQ(Refusal("1,2\n", /*weights=*/true), " has only the columns Y and X; there is no weight column");
}

TEST(TableImport, GridRowsFromATable) {
  auto t = Import("Y,X,weight\n1,2,3\n4,5,\n");
  GridInput g = GridFromTable(t, "t.csv");
  EXPECT_EQ(g.Title1, "Imported from t.csv");
  EXPECT_EQ(g.Title2, "Y: Y, X: X, weight: weight");
  EXPECT_EQ(g.Rows, (std::vector<std::vector<std::string>>{{"1", "1", "2", "3"}, {"2", "4", "5", ""}}));
  EXPECT_EQ(g.NrOfData, 2);
  EXPECT_EQ(g.GridRowCount, 2);
}

TEST(TableImport, GridRowsFromADataSetConvertBackExactly) {
  TDMVornax d;
  d.Resize(2);
  d.NrOfVarInData = 2;
  d.YData = {static_cast<long double>(0.1), 1e-7L};
  d.XData = {static_cast<long double>(1.0 / 3.0), -2.5L};
  d.ZData = {static_cast<long double>(0.30000000000000004), 7};
  d.WeightFactor = {4, 1};
  GridInput g = GridFromDataSet(d, true);
  ASSERT_EQ(g.Rows.size(), 2u);
  EXPECT_EQ(g.Rows[0][0], "1");
  EXPECT_EQ(g.Rows[0][4], "4");
  char sep = '.';
  for (size_t r = 0; r < 2; ++r) {
    long double y = 0, x = 0, z = 0;
    ASSERT_TRUE(StringToFloat(g.Rows[r][1], y, sep));
    ASSERT_TRUE(StringToFloat(g.Rows[r][2], x, sep));
    ASSERT_TRUE(StringToFloat(g.Rows[r][3], z, sep));
    EXPECT_EQ(y, static_cast<long double>(static_cast<double>(d.YData[r])));
    EXPECT_EQ(x, d.XData[r]);
    EXPECT_EQ(z, d.ZData[r]);
  }
}

}  // namespace
}  // namespace vornax::batch
