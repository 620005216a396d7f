// Pasted spreadsheet text: where lines and cells break, and which characters of a cell stay.
#include "app/GridPaste.h"

#include <QTest>

#include "GridPasteTest.h"

namespace vornax::app::test {

using Lines = std::vector<std::vector<std::string>>;

void GridPasteTest::LinesBreakAtEveryLineEnd() {
  const Lines expected = {{"12.5", "3"}, {"13", "4"}};
  // Windows, Linux and old Mac line ends, with and without an end after the last line.
  QCOMPARE(SplitPastedText("12.5\t3\r\n13\t4\r\n"), expected);
  QCOMPARE(SplitPastedText("12.5\t3\n13\t4\n"), expected);
  QCOMPARE(SplitPastedText("12.5\t3\r13\t4\r"), expected);
  QCOMPARE(SplitPastedText("12.5\t3\n13\t4"), expected);
  // An empty line in the middle is an empty row, not the end of the paste.
  QCOMPARE(SplitPastedText("1\t2\n\n3\t4\n"), (Lines{{"1", "2"}, {""}, {"3", "4"}}));
  QCOMPARE(SplitPastedText(""), Lines{});
  // An empty cell between tabs stays in its column.
  QCOMPARE(SplitPastedText("1\t\t3\n"), (Lines{{"1", "", "3"}}));
}

void GridPasteTest::CellsKeepTheCharactersOfANumber() {
  QCOMPARE(KeepNumberCharacters("1.2E+03"), std::string("1.2E+03"));
  QCOMPARE(KeepNumberCharacters("4.5e-7"), std::string("4.5e-7"));
  QCOMPARE(KeepNumberCharacters("3E5"), std::string("3E5"));
  QCOMPARE(KeepNumberCharacters(" 12.5 kg/ha"), std::string("12.5"));
  QCOMPARE(KeepNumberCharacters("85%"), std::string("85"));
  // A letter that is not an exponent goes, as does a plus sign that is not an exponent's.
  QCOMPARE(KeepNumberCharacters("E5"), std::string("5"));
  QCOMPARE(KeepNumberCharacters("3.5E"), std::string("3.5"));
  QCOMPARE(KeepNumberCharacters("3.5 Eur"), std::string("3.5"));
  QCOMPARE(KeepNumberCharacters("+7"), std::string("7"));
  QCOMPARE(KeepNumberCharacters("yield"), std::string(""));
  // The minus sign of a typesetting spreadsheet keeps the number negative.
  QCOMPARE(KeepNumberCharacters("\xE2\x88\x92" "5.5"), std::string("-5.5"));
}

void GridPasteTest::ADecimalCommaBecomesAPoint() {
  QCOMPARE(WithDecimalPoint("2,5"), std::string("2.5"));
  QCOMPARE(WithDecimalPoint("-0,125"), std::string("-0.125"));
  QCOMPARE(WithDecimalPoint("2.5"), std::string("2.5"));
  // Both separators, or two commas: not a decimal comma; left for the run to refuse.
  QCOMPARE(WithDecimalPoint("1,234.5"), std::string("1,234.5"));
  QCOMPARE(WithDecimalPoint("1,2,3"), std::string("1,2,3"));
  QCOMPARE(SplitPastedText("2,5\t1,2E+03\r\n"), (Lines{{"2.5", "1.2E+03"}}));
}

void GridPasteTest::MultiCellTextIsRecognised() {
  QVERIFY(IsMultiCellPaste("1\t2"));
  QVERIFY(IsMultiCellPaste("1\n2"));
  QVERIFY(IsMultiCellPaste("1\r2"));
  QVERIFY(!IsMultiCellPaste("12.5"));
}

}  // namespace vornax::app::test
