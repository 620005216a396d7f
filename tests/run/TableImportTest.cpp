// Importing tables for vornax-batch: delimiters, header rows, weight and Z columns, decimal
// commas, and the lines named in refusals.
#include "run/TableImport.h"

#include <gtest/gtest.h>

#include "support/TestSupport.h"

namespace vornax {
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

ImportedTable Import(const std::string& text, const ImportChoices& choices) {
  TempDir dir;
  WriteFileBytes(dir / "t.csv", text);
  ImportedTable table;
  std::string error;
  EXPECT_TRUE(ImportTable(dir / "t.csv", choices, table, error)) << error;
  return table;
}

std::string Refusal(const std::string& text, const ImportChoices& choices) {
  TempDir dir;
  WriteFileBytes(dir / "t.csv", text);
  ImportedTable table;
  std::string error;
  EXPECT_FALSE(ImportTable(dir / "t.csv", choices, table, error));
  const std::string prefix = "\"" + (dir / "t.csv").string() + "\"";
  return error.rfind(prefix, 0) == 0 ? error.substr(prefix.size()) : error;
}

std::string Refusal(const std::string& text, bool weights = false) {
  ImportChoices choices;
  choices.LastColumnIsWeight = weights;
  return Refusal(text, choices);
}

ImportChoices Columns(std::string y, std::string x, std::string z = "", std::string w = "") {
  ImportChoices c;
  c.Y = std::move(y);
  c.X = std::move(x);
  c.Z = std::move(z);
  c.Weight = std::move(w);
  return c;
}

using Rows = std::vector<std::vector<std::string>>;

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
  auto blanks = Import("Y X Z weight\n  1   2  3  4\n5 6 7 8\n");
  EXPECT_EQ(blanks.Delimiter, ' ');
  EXPECT_EQ(blanks.NrOfVarInData, 2);
  EXPECT_TRUE(blanks.HasWeights);  // four columns, the last headed as the weight
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

TEST(TableImport, MissingValuesLeaveTheirRowsOut) {
  auto t = Import("1,2\n3,\n,4\n5,6,\n");
  EXPECT_EQ(t.Cells, (std::vector<std::vector<std::string>>{{"1", "2"}, {"5", "6"}}));
  EXPECT_EQ(t.LineNumbers, (std::vector<size_t>{1, 4}));  // 4: a trailing delimiter is no cell
  EXPECT_EQ(t.LeftOut, (std::vector<size_t>{2, 3}));

  // Every marker counts, in either case; a row of nothing but separators is an empty line.
  auto m = Import("Y,X\n1,2\nNA,3\n4,.\n5,-\nnan,6\n,7\n,,\n8,NaN\nna,9\n10,11\n");
  EXPECT_EQ(m.Cells, (std::vector<std::vector<std::string>>{{"1", "2"}, {"10", "11"}}));
  EXPECT_EQ(m.LeftOut, (std::vector<size_t>{3, 4, 5, 6, 7, 9, 10}));
  EXPECT_EQ(LeftOutLine(m), "7 rows with a missing value left out (lines 3, 4, 5, 6, 7, 9, 10)");
  EXPECT_EQ(LeftOutLine(t), "2 rows with a missing value left out (lines 2, 3)");
  EXPECT_EQ(LeftOutLine(Import("1,2\n3,NA\n")), "1 row with a missing value left out (line 2)");
  EXPECT_EQ(LeftOutLine(Import("1,2\n")), "");
  std::string many = "Y,X\n";
  for (int i = 0; i < 12; ++i) many += "NA,1\n";
  many += "1,2\n";
  EXPECT_EQ(LeftOutLine(Import(many)),
            "12 rows with a missing value left out (lines 2, 3, 4, 5, 6, 7, 8, 9, ...)");

  // An empty weight cell is missing, not 1.
  auto w = Import("Y,X,weight\n1,2,3\n4,5,\n6,7,NA\n");
  EXPECT_EQ(w.Cells, (std::vector<std::vector<std::string>>{{"1", "2", "3"}}));
  EXPECT_EQ(w.LeftOut, (std::vector<size_t>{3, 4}));

  // With --strict the first missing value is refused, by line and column.
  ImportChoices strict;
  strict.Strict = true;
  EXPECT_EQ(Refusal("Y,X\n1,2\nNA,3\n", strict),
            ", line 3: the value in column 1 (Y) is missing (\"NA\"), and --strict accepts no "
            "missing values");
  EXPECT_EQ(Refusal("1,2\n3,\n", strict),
            ", line 2: the value in column 2 is missing (empty), and --strict accepts no missing "
            "values");
  EXPECT_EQ(Refusal("Y,X\nNA,1\n2,-\n"),
            " holds no complete data rows: each row misses a value in a column used (lines 2, 3)");
}

TEST(TableImport, RefusalsNameTheLine) {
  EXPECT_EQ(Refusal("Y,X\n1,2\n3,abc\n"), ", line 3: \"abc\" in column 2 (X) is not a number");
  EXPECT_EQ(Refusal("1,2\ninf,2\n"), ", line 2: \"inf\" in column 1 is not a number");
  // A spreadsheet's error value at the start of a line is a cell, not a remark.
  EXPECT_EQ(Refusal("1,2\n#N/A,2\n"), ", line 2: \"#N/A\" in column 1 is not a number");
  EXPECT_EQ(Refusal("1;2\n#DIV/0!;2\n"), ", line 2: \"#DIV/0!\" in column 1 is not a number");
  EXPECT_EQ(Refusal("Y,X\n\"1,2\n3,4\n"),
            ", line 2: a quotation mark opens a field that is never closed");
  // A cell is shown on one line and cut to a readable length.
  EXPECT_EQ(Refusal("1\t2\n\"a\nb\"\t2\n"), ", line 2: \"a?b\" in column 1 is not a number");
  EXPECT_EQ(Refusal("1,2\n" + std::string(60, 'x') + ",2\n"),
            ", line 2: \"" + std::string(37, 'x') + "...\" in column 1 is not a number");
  EXPECT_EQ(Refusal("1,2\n1,2,3\n"), ", line 2: more than 2 columns");
  EXPECT_EQ(Refusal("1\n"),
            ", line 1: expected 2 or 3 columns (Y, X[, Z]) and perhaps a weight column, found 1");
  EXPECT_EQ(Refusal("1,2,3,4,5\n"),
            ", line 1: found 5 columns (1, 2, 3, 4, 5), more than Y, X and Z; choose them with "
            "--y COL --x COL [--z COL] [--weight COL], for instance --y 1 --x 2");
  // A first row with a typing error is not taken for a header (and silently lost).
  EXPECT_EQ(Refusal("2.5,3O\n3,40\n"),
            ", line 1: the first row holds names and numbers (\"3O\" and \"2.5\"): a header row "
            "holds names only, a data row numbers only");
  EXPECT_EQ(Refusal("\n# nothing\n"), " holds no data");
  EXPECT_EQ(Refusal("Y,X\n"), " holds no data rows");
  EXPECT_EQ(Refusal("1,2\n", /*weights=*/true), " has only the columns Y and X; there is no weight column");
}

TEST(TableImport, GridRowsFromATable) {
  auto t = Import("Y,X,weight\n1,2,3\n4,5,\n7,8,1\n");
  GridInput g = GridFromTable(t, "t.csv");
  EXPECT_EQ(g.Title1, "Imported from t.csv");
  EXPECT_EQ(g.Title2, "Y: Y, X: X, weight: weight");
  EXPECT_EQ(g.Rows, (std::vector<std::vector<std::string>>{{"1", "1", "2", "3"}, {"2", "7", "8", "1"}}));
  // Decimal commas reach the grid as points.
  EXPECT_EQ(GridFromTable(Import("2,5;1\n3;4,75\n"), "t.csv").Rows,
            (std::vector<std::vector<std::string>>{{"1", "2.5", "1"}, {"2", "3", "4.75"}}));
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

// Tables as spreadsheets and statistics packages write them.
TEST(TableImport, RowNamesFromStatisticsPackagesAreLeftAside) {
  // write.csv: an empty quoted header over the row numbers 1..n.
  auto csv = Import("\"\",\"yield\",\"depth\"\n\"1\",2.5,30\n\"2\",NA,40\n\"3\",3.1,50\n");
  EXPECT_TRUE(csv.RowNamesSkipped);
  EXPECT_EQ(csv.Cells, (Rows{{"2.5", "30"}, {"3.1", "50"}}));
  EXPECT_EQ(csv.LeftOut, (std::vector<size_t>{3}));
  EXPECT_EQ(ColumnsUsedLine(csv), "Y = yield, X = depth");
  EXPECT_EQ(csv.NrOfVarInData, 1);

  // write.table: blank separated, the header one name short of the rows.
  auto table = Import("\"yield\" \"depth\" \"salt\"\n\"1\" 2.5 30 1.5\n\"2\" 3.1 40 2\n");
  EXPECT_TRUE(table.RowNamesSkipped);
  EXPECT_EQ(table.Delimiter, ' ');
  EXPECT_EQ(table.Cells, (Rows{{"2.5", "30", "1.5"}, {"3.1", "40", "2"}}));
  EXPECT_EQ(ColumnsUsedLine(table), "Y = yield, X = depth, Z = salt");

  // Row names that are text.
  auto named = Import("\"\",\"yield\",\"depth\"\n\"plot A\",2.5,30\n\"plot B\",3,40\n");
  EXPECT_TRUE(named.RowNamesSkipped);
  EXPECT_EQ(named.Cells, (Rows{{"2.5", "30"}, {"3", "40"}}));

  // Chosen by name, the names still stand over the right columns of a write.table file.
  EXPECT_EQ(Import("\"yield\" \"depth\"\n\"1\" 2.5 30\n\"2\" 3.1 40\n", Columns("depth", "yield"))
                .Cells,
            (Rows{{"30", "2.5"}, {"40", "3.1"}}));
}

TEST(TableImport, AnUnnamedColumnIsNeverTakenByPosition) {
  // In a header that names the other columns, a column without a name is refused by position
  // (it would have become Y, X or Z without a word); chosen with --y/--x it may be used.
  struct Case {
    const char* text;
    const char* refusal;
  };
  const Case cases[] = {
      {"y,,x\n1,2,3\n4,5,6\n",
       ", line 1: column 2 has no name in the header row, and an unnamed column is not taken by "
       "position; the columns are 1 \"y\", 2 \"\", 3 \"x\": choose them with --y COL --x COL "
       "[--z COL] [--weight COL], for instance --y y --x x"},
      {"yield,depth,\n1,2,3\n4,5,6\n",
       ", line 1: column 3 has no name in the header row, and an unnamed column is not taken by "
       "position; the columns are 1 \"yield\", 2 \"depth\", 3 \"\": choose them with --y COL "
       "--x COL [--z COL] [--weight COL], for instance --y yield --x depth"},
      // A header one name short over data that are not row names: the last column.
      {"Y,X\n1,2,3\n4,5,6\n", ", line 1: column 3 has no name"},
      // An empty first header over numbers that do not count 1, 2, 3 (a 0-based index, or data).
      {",depth,salt\n2.5,30,1\n3.1,40,2\n", ", line 1: column 1 has no name"},
      {",y,x\n0,1,2\n1,3,4\n2,5,7\n", ", line 1: column 1 has no name"},
      // Two columns only: an empty first header is no row-name column then.
      {",y\n1,2\n2,3\n", ", line 1: column 1 has no name"},
      // An unnamed weight column is not taken as the weights either.
      {"y,x,z,\n1,2,3,1\n4,5,6,2\n", ", line 1: column 4 has no name"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    const std::string refusal = Refusal(c.text, ImportChoices{});
    EXPECT_EQ(refusal.substr(0, std::string(c.refusal).size()), c.refusal) << refusal;
  }
  // The same tables with the columns chosen, and row names under an empty header, still run.
  EXPECT_EQ(Import("y,,x\n1,2,3\n4,5,6\n", Columns("y", "x")).Cells,
            (Rows{{"1", "3"}, {"4", "6"}}));
  EXPECT_EQ(Import("y,,x\n1,2,3\n4,5,6\n", Columns("1", "2")).Cells,
            (Rows{{"1", "2"}, {"4", "5"}}));
  EXPECT_TRUE(Import("\"\",\"yield\",\"depth\"\n\"1\",2.5,30\n\"2\",3,40\n").RowNamesSkipped);
}

TEST(TableImport, QuotedFieldsFollowTheUsualRules) {
  // Separators inside quotes.
  auto comma = Import("\"Yield, t/ha\",\"Depth, cm\"\n2.5,30\n");
  EXPECT_EQ(comma.Delimiter, ',');
  EXPECT_EQ(comma.Header, (std::vector<std::string>{"Yield, t/ha", "Depth, cm"}));
  auto semi = Import("\"Yield; t/ha\";\"Depth, cm\"\r\n2,5;30\r\n3,75;45\r\n");
  EXPECT_EQ(semi.Delimiter, ';');
  EXPECT_EQ(semi.Header, (std::vector<std::string>{"Yield; t/ha", "Depth, cm"}));
  EXPECT_TRUE(semi.DecimalComma);
  // Semicolons in a comma table's quoted header do not make it semicolon separated.
  auto mixed = Import("\"Yield; t/ha\",\"Depth; cm\"\n1,2\n");
  EXPECT_EQ(mixed.Delimiter, ',');
  EXPECT_EQ(mixed.Cells, (Rows{{"1", "2"}}));
  // A row with a single value does not hide the separator of the others.
  auto ragged = Import("Y,X\n1,2\n3\n4,5\n");
  EXPECT_EQ(ragged.Delimiter, ',');
  EXPECT_EQ(ragged.Cells, (Rows{{"1", "2"}, {"4", "5"}}));
  EXPECT_EQ(ragged.LeftOut, (std::vector<size_t>{3}));
  // Doubled quotes, and a line break inside a header: the rows keep their own line numbers.
  auto broken = Import("\"Yield \"\"dry\"\"\",\"Depth\ncm\"\n1,2\n\"3\",\" 4 \"\n");
  EXPECT_EQ(broken.Header, (std::vector<std::string>{"Yield \"dry\"", "Depth cm"}));
  EXPECT_EQ(broken.LineNumbers, (std::vector<size_t>{3, 4}));
  EXPECT_EQ(broken.Cells, (Rows{{"1", "2"}, {"3", "4"}}));
  // A decimal comma can stand in a comma table only when quoted.
  auto quotedComma = Import("Y,X\n\"2,5\",\"1,25\"\n");
  EXPECT_EQ(GridFromTable(quotedComma, "t").Rows, (Rows{{"1", "2.5", "1.25"}}));
  // Blanks and tabs together separate a blank table; a quoted name may hold blanks.
  auto blanks = Import("\"dry yield\"  depth\n 2.5 \t 30\n3\t\t40  \n");
  EXPECT_EQ(blanks.Delimiter, ' ');
  EXPECT_EQ(blanks.Header, (std::vector<std::string>{"dry yield", "depth"}));
  EXPECT_EQ(blanks.Cells, (Rows{{"2.5", "30"}, {"3", "40"}}));
}

TEST(TableImport, EncodingsAndLineEnds) {
  using namespace std::string_literals;
  // "Unicode text" of a spreadsheet: UTF-16 little endian, tab separated, decimal comma.
  const std::string text = "Y\tX\r\n1,5\t2\r\n2,5\t4\r\n";
  std::string utf16 = "\xFF\xFE";
  for (char c : text) {
    utf16.push_back(c);
    utf16.push_back('\0');
  }
  auto wide = Import(utf16);
  EXPECT_TRUE(wide.WasUtf16);
  EXPECT_EQ(wide.Delimiter, '\t');
  EXPECT_EQ(wide.Header, (std::vector<std::string>{"Y", "X"}));
  EXPECT_EQ(GridFromTable(wide, "t").Rows, (Rows{{"1", "1.5", "2"}, {"2", "2.5", "4"}}));
  // Old Macintosh line ends.
  auto mac = Import("Y,X\r1,2\r\r3,4\r");
  EXPECT_EQ(mac.Cells, (Rows{{"1", "2"}, {"3", "4"}}));
  EXPECT_EQ(mac.LineNumbers, (std::vector<size_t>{2, 4}));
  // A spreadsheet file given instead of its export: refused without its bytes.
  const std::string refusal = Refusal("PK\x03\x04\x14\0\x06\0\x08\0\0\0!\0xl/workbook.xml"s);
  EXPECT_EQ(refusal.find('\0'), std::string::npos);
  EXPECT_EQ(refusal.substr(0, 12), "cannot read ");
  EXPECT_NE(refusal.find("\"\nit holds NUL bytes, so it is not a text file"), std::string::npos);
}

TEST(TableImport, DecimalSeparatorsAndWeightsAreCheckedRowByRow) {
  EXPECT_EQ(Refusal("Y;X\n2,5;1\n3;4\n3.5;4\n"),
            ", line 4: \"3.5\" in column 1 (Y) has a decimal point, but line 2 has \"2,5\" with a "
            "decimal comma; write every number with the same decimal separator");
  EXPECT_EQ(Refusal("1.5\t2\n1\t2,25\n"),
            ", line 2: \"2,25\" in column 2 has a decimal comma, but line 1 has \"1.5\" with a "
            "decimal point; write every number with the same decimal separator");
  // Quoted in a comma table, a comma before three digits may group thousands: not guessed.
  EXPECT_EQ(Refusal("Y,X\n\"1,250\",3\n"),
            ", line 2: \"1,250\" in column 1 (Y) may hold a thousands separator or a decimal "
            "comma; write it with a decimal point and no thousands separator");
  EXPECT_EQ(Refusal("Y,X,w\n1,3,\"1,000\"\n").rfind(", line 2: \"1,000\" in column 3 (w) may hold", 0), 0u);
  // In a semicolon table it is a decimal comma, as such tables write them.
  EXPECT_EQ(GridFromTable(Import("Y;X\n1,250;3\n"), "t").Rows, (Rows{{"1", "1.250", "3"}}));
  // A thousands separator is no decimal.
  EXPECT_EQ(Refusal("Y;X\n1.234,5;1\n"), ", line 2: \"1.234,5\" in column 1 (Y) is not a number");
  EXPECT_EQ(Refusal("Y,X,weight\n1,2,1\n3,4,2.5\n"),
            ", line 3: the weight factor \"2.5\" in column 3 (weight) is not a whole number");
  EXPECT_EQ(Refusal("Y,X,w\n1,2,-2\n", /*weights=*/true),
            ", line 2: the weight factor \"-2\" in column 3 (w) is below 1: a data set cannot "
            "count zero or negative times");
  EXPECT_EQ(Refusal("Y,X,w\n1,2,1000001\n", /*weights=*/true),
            ", line 2: the weight factor \"1000001\" in column 3 (w) is above 1000000, the largest "
            "accepted");
  EXPECT_EQ(Import("Y,X,w\n1,2,1000000\n", true).Cells, (Rows{{"1", "2", "1000000"}}));
  auto whole = Import("Y;X;weight\n1;2;3,0\n4;5;2.0\n6;7;1\n");
  EXPECT_EQ(GridFromTable(whole, "t").Rows,
            (Rows{{"1", "1", "2", "3"}, {"2", "4", "5", "2"}, {"3", "6", "7", "1"}}));
}

TEST(TableImport, ColumnsChosenByNameOrNumber) {
  const std::string wide =
      "site,Depth,yield,salinity,n\nA,30,2.5,1.2,2\nB,40,3.1,1.5,1\nC,50,NA,1.1,1\n";
  auto t = Import(wide, Columns("yield", "depth", "4", "n"));
  EXPECT_EQ(ColumnsUsedLine(t), "Y = yield, X = Depth, Z = salinity, weight = n");
  EXPECT_EQ(t.NrOfVarInData, 2);
  EXPECT_TRUE(t.HasWeights);
  EXPECT_EQ(t.Cells, (Rows{{"2.5", "30", "1.2", "2"}, {"3.1", "40", "1.5", "1"}}));
  EXPECT_EQ(t.LeftOut, (std::vector<size_t>{4}));
  EXPECT_EQ(GridFromTable(t, "t").Title2, "Y: yield, X: Depth, Z: salinity, weight: n");
  // Only the columns used are checked: the site names are text, and no header is needed when
  // the columns are numbered.
  auto numbered = Import("A,30,2.5\nB,40,3.1\n", Columns("3", "2"));
  EXPECT_TRUE(numbered.Header.empty());
  EXPECT_EQ(numbered.Cells, (Rows{{"2.5", "30"}, {"3.1", "40"}}));
  EXPECT_EQ(ColumnsUsedLine(numbered), "Y = column 3, X = column 2");
  // A single independent column named Z.
  EXPECT_TRUE(Import("y,x,Z\n1,2,3\n", Columns("y", "Z")).SingleIsZ);

  // Refusals name the option, the file (here T) and what there is to choose from.
  auto error = [](const std::string& text, const ImportChoices& choices) {
    TempDir dir;
    WriteFileBytes(dir / "t.csv", text);
    ImportedTable table;
    std::string message;
    EXPECT_FALSE(ImportTable(dir / "t.csv", choices, table, message));
    const std::string path = "\"" + (dir / "t.csv").string() + "\"";
    const size_t at = message.find(path);
    return at == std::string::npos ? message : message.replace(at, path.size(), "T");
  };
  EXPECT_EQ(error(wide, Columns("yeild", "depth")),
            "--y yeild: T has no column of that name; its columns are 1 \"site\", 2 \"Depth\", "
            "3 \"yield\", 4 \"salinity\", 5 \"n\"");
  EXPECT_EQ(error(wide, Columns("yield", "6")), "--x 6: T has the columns 1 to 5");
  EXPECT_EQ(error(wide, Columns("yield", "0")), "--x 0: T has the columns 1 to 5");
  EXPECT_EQ(error(wide, Columns("yield", "3")),
            "--x 3: the column \"yield\" is already used for another variable");
  EXPECT_EQ(error("a,A\n1,2\n", Columns("1", "a")), "--x a: the column \"a\" is already used for "
                                                     "another variable");
  // An exact name wins over one that differs in case only.
  EXPECT_EQ(Import("a,b,B\n1,2,3\n", Columns("1", "B")).Cells, (Rows{{"1", "3"}}));
  EXPECT_EQ(Import("a,b,c\n1,2,3\n", Columns("A", "C")).Cells, (Rows{{"1", "3"}}));
  EXPECT_EQ(error("a,b,b\n1,2,3\n", Columns("1", "b")),
            "--x b: T has 2 columns of that name; give the column number");
  EXPECT_EQ(error("1,2\n3,4\n", Columns("y", "x")),
            "--y y: T has no header row; give the column by its number (1 to 2)");
  // A chosen column that says "text" where a number belongs.
  EXPECT_EQ(error(wide, Columns("site", "depth")),
            "T, line 2: \"A\" in column 1 (site) is not a number");
  // By position, more than three columns need choosing.
  EXPECT_EQ(error(wide, ImportChoices{}),
            "T, line 1: found 5 columns (1 \"site\", 2 \"Depth\", 3 \"yield\", 4 \"salinity\", "
            "5 \"n\"), more than Y, X and Z; choose them with --y COL --x COL [--z COL] "
            "[--weight COL], for instance --y site --x Depth");
}

}  // namespace
}  // namespace vornax::batch

namespace vornax::batch {
namespace {

// Weight factors come from a column only when it is named so (by --weight, --weights or its
// header): a column that merely stands fourth, or a "body weight", is no repetition count.
TEST(TableImport, WeightsOnlyWhenNamed) {
  const std::string stackloss =
      "loss,air,water,acid\n42,80,27,89\n37,80,27,88\n37,75,25,90\n28,62,24,87\n";
  EXPECT_EQ(Refusal(stackloss),
            ", line 1: found 4 columns (1 \"loss\", 2 \"air\", 3 \"water\", 4 \"acid\"), more than "
            "Y, X and Z; choose them with --y COL --x COL [--z COL] [--weight COL], for instance "
            "--y loss --x air");
  EXPECT_EQ(Refusal("42 80 27 89\n37 80 27 88\n"),
            ", line 1: found 4 columns (1, 2, 3, 4), more than Y, X and Z; choose them with --y "
            "COL --x COL [--z COL] [--weight COL], for instance --y 1 --x 2");
  struct Case {
    std::string text;
    ImportChoices choices;
    bool weights;
    int variables;
  };
  ImportChoices acid;
  acid.Y = "loss";
  acid.X = "air";
  acid.Weight = "acid";
  ImportChoices flagged;
  flagged.LastColumnIsWeight = true;
  const std::vector<Case> cases = {
      {stackloss, acid, true, 1},
      {"Y,X,Z,Weights\n1,2,3,4\n", {}, true, 2},
      {"Y,X,weight factor\n1,2,3\n", {}, true, 1},
      {"Y,X,body weight\n1,2,3\n", {}, false, 2},
      {"Y,X,w\n1,2,3\n", {}, false, 2},
      {"Y,X,wt\n1,2,3\n", {}, false, 2},
      {"1,2,3\n", {}, false, 2},
      {"1,2,3\n", flagged, true, 1},
      {"1,2,3,4\n", flagged, true, 2},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    const ImportedTable t = Import(c.text, c.choices);
    EXPECT_EQ(t.HasWeights, c.weights);
    EXPECT_EQ(t.NrOfVarInData, c.variables);
  }
}

// --header says what the first row is; without it the row is guessed. Text that is not UTF-8
// is read as Windows-1252 (Latin-1), so its names print cleanly and can be chosen.
TEST(TableImport, HeaderChoiceAndEightBitNames) {
  struct Case {
    std::string text;
    HeaderRow header;
    std::vector<std::string> names;  // used names
    size_t rows;
    bool windows1252;
  };
  const std::vector<Case> cases = {
      {"2019,2020\n1,2\n3,4\n", HeaderRow::Guess, {"column 1", "column 2"}, 3, false},
      {"2019,2020\n1,2\n3,4\n", HeaderRow::Yes, {"2019", "2020"}, 2, false},
      {"Y,X\n1,2\n", HeaderRow::Guess, {"Y", "X"}, 1, false},
      {"Ertrag \xE4,Tiefe \xDF\n1,2\n", HeaderRow::Guess, {"Ertrag \xC3\xA4", "Tiefe \xC3\x9F"}, 1,
       true},
      {"Kosten \x80,Menge\n1,2\n", HeaderRow::Guess, {"Kosten \xE2\x82\xAC", "Menge"}, 1, true},
      {"Ertrag \xC3\xA4,Tiefe\n1,2\n", HeaderRow::Guess, {"Ertrag \xC3\xA4", "Tiefe"}, 1, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    ImportChoices choices;
    choices.Header = c.header;
    const ImportedTable t = Import(c.text, choices);
    EXPECT_EQ(t.UsedNames, c.names);
    EXPECT_EQ(t.Cells.size(), c.rows);
    EXPECT_EQ(t.WasWindows1252, c.windows1252);
  }
  ImportChoices no;
  no.Header = HeaderRow::No;
  EXPECT_EQ(Refusal("Y,X\n1,2\n", no), ", line 1: \"Y\" in column 1 is not a number");
  // A Latin-1 name chosen by its UTF-8 spelling.
  ImportChoices named;
  named.Y = "Ertrag \xC3\xA4";
  named.X = "2";
  EXPECT_EQ(Import("Ertrag \xE4;Tiefe\n1;2\n", named).UsedNames,
            (std::vector<std::string>{"Ertrag \xC3\xA4", "Tiefe"}));
}

// Read as numbers, a table gives the values the text cells give the run; a table longer than
// the data-set limit is refused on its row count, before any cell is looked at.
TEST(TableImport, AsValuesAndTheRowLimit) {
  ImportChoices values;
  values.AsValues = true;
  const ImportedTable t = Import("Y;X;Z;weight\n1,5;2;-3e2;2\nNA;1;1;1\n0,1;1e-3;7;1\n", values);
  EXPECT_TRUE(t.Cells.empty());
  EXPECT_EQ(t.Values.Y, (std::vector<long double>{1.5L, static_cast<long double>(0.1)}));
  EXPECT_EQ(t.Values.X, (std::vector<long double>{2, static_cast<long double>(1e-3)}));
  EXPECT_EQ(t.Values.Z, (std::vector<long double>{-300, 7}));
  EXPECT_EQ(t.Values.Weight, (std::vector<int32_t>{2, 1}));
  EXPECT_EQ(t.LeftOut, (std::vector<size_t>{3}));

  ImportChoices limited;
  limited.MaxRows = 5;
  const std::string five = "Y,X\n1,1\n2,2\n3,3\n4,4\n\n5,5\n";
  EXPECT_EQ(Import(five, limited).Cells.size(), 5u);
  EXPECT_EQ(Refusal(five + "6,x\n", limited),
            " has more than 5 data rows; at most 5 data sets can be analysed");
  EXPECT_EQ(Refusal("1,2\n1e400,2\n"),
            ", line 2: \"1e400\" in column 1 is out of range: the numbers read lie between "
            "1E-308 and 1E+308 in size, or are 0");
  EXPECT_EQ(Refusal("1,2\n2,-1E-999\n"),
            ", line 2: \"-1E-999\" in column 2 is out of range: the numbers read lie between "
            "1E-308 and 1E+308 in size, or are 0");
  EXPECT_EQ(Refusal("1,2\n2,1e4x\n"), ", line 2: \"1e4x\" in column 2 is not a number");
  EXPECT_EQ(Thousands(9000000), "9,000,000");
  EXPECT_EQ(Thousands(999), "999");
}

}  // namespace
}  // namespace vornax
