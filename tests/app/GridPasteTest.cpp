// Pasted spreadsheet text: where lines and cells break, what a cell keeps, which first line is a
// header, and where each pasted column goes.
#include "app/GridPaste.h"

#include <QTest>

#include "GridPasteTest.h"

namespace vornax::app::test {

using Lines = std::vector<std::vector<std::string>>;
using R = ColumnRole;

namespace {
Lines Split(const char* text) { return ReadPastedBlock(text).rows; }
}  // namespace

void GridPasteTest::LinesBreakAtEveryLineEnd() {
  const Lines expected = {{"12.5", "3"}, {"13", "4"}};
  // Windows, Linux and old Mac line ends, with and without an end after the last line.
  QCOMPARE(Split("12.5\t3\r\n13\t4\r\n"), expected);
  QCOMPARE(Split("12.5\t3\n13\t4\n"), expected);
  QCOMPARE(Split("12.5\t3\r13\t4\r"), expected);
  QCOMPARE(Split("12.5\t3\n13\t4"), expected);
  // An empty line in the middle is an empty row, not the end of the paste.
  QCOMPARE(Split("1\t2\n\n3\t4\n"), (Lines{{"1", "2"}, {""}, {"3", "4"}}));
  QCOMPARE(Split(""), Lines{});
  // An empty cell between tabs stays in its column.
  QCOMPARE(Split("1\t\t3\n"), (Lines{{"1", "", "3"}}));
}

void GridPasteTest::CellsKeepTheirTextCleanedOfBlanksAndCommas() {
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"1.2E+03", "1.2E+03"},
      {" 2,5 ", "2.5"},
      {"-0,125", "-0.125"},
      {"\xC2\xA0" "7\xC2\xA0", "7"},              // no-break spaces around a number
      {"\xE2\x88\x92" "5.5", "-5.5"},             // a typographic minus keeps the sign
      {"12.5 kg/ha", "12.5 kg/ha"},               // units stay, for the run to name the cell
      {"85%", "85%"},
      {"1,234.5", "1,234.5"},                     // both separators: not a decimal comma
      {"1,2,3", "1,2,3"},
      {"Yield, t/ha", "Yield, t/ha"},
  };
  for (const auto& [cell, kept] : cases) {
    QVERIFY2(CleanCell(cell) == kept, cell.c_str());
  }
  QCOMPARE(Split("2,5\t1,2E+03\r\n"), (Lines{{"2.5", "1.2E+03"}}));
}

void GridPasteTest::ACellIsANumberOnlyWhenWhollyOne() {
  for (const char* number : {"1.2E+03", "-0.5", "2,5", "+7", ".5", " 3 "}) {
    QVERIFY2(IsNumberCell(number), number);
  }
  for (const char* text : {"Yield 2019 (t/ha)", "2019 (t/ha)", "12 kg", "E5", "3.5E", "nan", "inf",
                           "", "1,234.5", "0x10", "Y"}) {
    QVERIFY2(!IsNumberCell(text), text);
  }
}

void GridPasteTest::AHeaderLineIsNeverData() {
  struct Case {
    const char* text;
    std::vector<std::string> names;
    Lines rows;
    size_t width;
  };
  const std::vector<Case> cases = {
      // The digits in a name make no number of it.
      {"Yield 2019 (t/ha)\tDepth (m)\n3.2\t0.5\n3.4\t0.75\n",
       {"Yield 2019 (t/ha)", "Depth (m)"}, {{"3.2", "0.5"}, {"3.4", "0.75"}}, 2},
      // A name with a comma keeps it; an empty name between two keeps its place.
      {"Yield, t/ha\t\tZ\n1\t2\t3\n", {"Yield, t/ha", "", "Z"}, {{"1", "2", "3"}}, 3},
      // A first line holding a number is data, even with text beside it (the run names that).
      {"12\tabc\n13\t4\n", {}, {{"12", "abc"}, {"13", "4"}}, 2},
      {"1,5\t2\n", {}, {{"1.5", "2"}}, 2},
      // Trailing tabs add no column; a header alone is names without rows.
      {"7\t8\t\n", {}, {{"7", "8", ""}}, 2},
      {"Y\tX\n", {"Y", "X"}, {}, 2},
  };
  for (const Case& c : cases) {
    const PastedBlock block = ReadPastedBlock(c.text);
    QCOMPARE(block.names, c.names);
    QCOMPARE(block.rows, c.rows);
    QCOMPARE(block.width, c.width);
  }
}

void GridPasteTest::HeaderNamesStandForRoles() {
  const std::vector<std::pair<std::string, std::optional<R>>> cases = {
      {"Y", R::Y},        {"y (t/ha)", R::Y},       {" X", R::X},
      {"Z: salinity", R::Z}, {"Weight", R::Weight}, {"weight factor", R::Weight},
      {"w", R::Weight},   {"Yield", std::nullopt},  {"X1", R::X},
      {"depth", std::nullopt}, {"", std::nullopt},
  };
  for (const auto& [name, role] : cases) {
    QVERIFY2(RoleOfName(name) == role, name.c_str());
  }
}

void GridPasteTest::BlocksArePlacedOrTheUserAsked() {
  struct Case {
    const char* what;
    const char* text;
    std::vector<R> fromPasteColumn, shown;
    std::vector<R> roles;
    bool ask;
  };
  const std::vector<R> yx = {R::Y, R::X}, yxw = {R::Y, R::X, R::Weight},
                       yxz = {R::Y, R::X, R::Z}, yxzw = {R::Y, R::X, R::Z, R::Weight};
  const std::vector<Case> cases = {
      {"fits", "1\t2\n", yx, yx, {R::Y, R::X}, false},
      {"narrower than the grid", "1\n", yxz, yxz, {R::Y}, false},
      {"pasted on X", "2\n", {R::X}, yx, {R::X}, false},
      // Three columns into Y, X and weight: the third is never a weight by position alone.
      // Whole numbers from 1 are offered as weights, anything else is offered as left out.
      {"third column of counts", "1\t2\t3\n4\t5\t1\n", yxw, yxw, {R::Y, R::X, R::Weight}, true},
      {"third column of reals", "1\t2\t0.3\n", yxw, yxw, {R::Y, R::X, R::None}, true},
      {"wider than the grid", "1\t2\t3\n", yx, yx, {R::Y, R::X, R::None}, true},
      // A header that names the weight puts it there without a question.
      {"named weight", "Yield\tDepth\tWeight\n1\t2\t3\n", yxw, yxw, {R::Y, R::X, R::Weight}, false},
      // Names in another order than the grid's are followed, and the user asked.
      {"named out of order", "X\tY\n1\t2\n", yx, yx, {R::X, R::Y}, true},
      {"named Z, two variables", "Y\tZ\tX\n1\t2\t3\n", yxz, yxz, {R::Y, R::Z, R::X}, true},
      // A named Z the grid does not show is left out, and the user asked.
      {"named Z, one variable", "Y\tX\tZ\n1\t2\t3\n", yx, yx, {R::Y, R::X, R::None}, true},
      // An empty column beyond the grid's is no reason to ask.
      {"empty column beyond", "1\t2\t\t\n", yx, yx, {R::Y, R::X}, false},
      {"all four", "1\t2\t3\t4\n", yxzw, yxzw, {R::Y, R::X, R::Z, R::Weight}, true},
  };
  for (const Case& c : cases) {
    const PastePlan plan = PlanPaste(ReadPastedBlock(c.text), c.fromPasteColumn, c.shown);
    QVERIFY2(plan.roles == c.roles, c.what);
    QVERIFY2(plan.ask == c.ask, c.what);
  }
}

void GridPasteTest::ChosenRolesAreCheckedAndARefusalSaysWhatToDo() {
  QCOMPARE(CheckRoles({R::Y, R::X, R::None}), std::string());
  QCOMPARE(CheckRoles({R::Y, R::Y}), std::string("Two columns are chosen for Y."));
  QCOMPARE(CheckRoles({R::None, R::None}), std::string("No column is chosen."));
  QCOMPARE(PasteRefusal(3, {R::Y, R::X}),
           std::string("Nothing was pasted: the pasted block has 3 columns, and the table has Y "
                       "and X. To paste a Z column, first set \"Nr. of independent variables\" to "
                       "2. To paste weight factors, first choose \"Weight factors are needed\". "
                       "Then paste again and say which column is Y, X, Z or the weight."));
  QCOMPARE(PasteRefusal(5, {R::Y, R::X, R::Z, R::Weight}),
           std::string("Nothing was pasted: the pasted block has 5 columns, and the table has Y, "
                       "X, Z and Weight. Then paste again and say which column is Y, X, Z or the "
                       "weight."));
}

void GridPasteTest::MultiCellTextIsRecognised() {
  QVERIFY(IsMultiCellPaste("1\t2"));
  QVERIFY(IsMultiCellPaste("1\n2"));
  QVERIFY(IsMultiCellPaste("1\r2"));
  QVERIFY(!IsMultiCellPaste("12.5"));
}

}  // namespace vornax::app::test
