// The records of a delimited table: lines without quotation marks are split directly, and give
// the fields the CSV parser gives them; lines with quotes still go through the parser.
#include "run/TableRecords.h"

#include <gtest/gtest.h>

#include <csv.h>

#include <string>
#include <vector>

namespace vornax::tablefile {
namespace {

// The fields libcsv gives for one line, as the table reader feeds it (tabs as blanks with the
// blank separator, empty fields between blanks dropped).
std::vector<std::string> ParsedByLibcsv(std::string line, char delimiter) {
  struct Fields {
    std::vector<std::string> list;
    bool blanks = false;
  } fields;
  fields.blanks = delimiter == ' ';
  if (fields.blanks) {
    for (char& c : line) c = c == '\t' ? ' ' : c;
  }
  line.push_back('\n');
  csv_parser parser;
  csv_init(&parser, CSV_APPEND_NULL);
  csv_set_delim(&parser, static_cast<unsigned char>(delimiter));
  csv_parse(
      &parser, line.data(), line.size(),
      [](void* text, size_t length, void* data) {
        auto* f = static_cast<Fields*>(data);
        const std::string field(static_cast<const char*>(text), length);
        if (!(f->blanks && field.empty())) f->list.push_back(field);
      },
      nullptr, &fields);
  csv_fini(&parser, nullptr, nullptr, nullptr);
  csv_free(&parser);
  return fields.list;
}

TEST(TableRecords, PlainLinesSplitAsTheParserSplitsThem) {
  struct Case {
    std::string line;
    char delimiter;
    std::vector<std::string> fields;
  };
  const std::vector<Case> cases = {
      {"W1,10.5,3", ',', {"W1", "10.5", "3"}},
      {"  a  , b\tb ,\tc\t", ',', {"a", "b\tb", "c"}},
      {"a,,b,", ',', {"a", "", "b", ""}},
      {",", ',', {"", ""}},
      {" , ", ',', {"", ""}},
      {"1,5;2;-3e2", ';', {"1,5", "2", "-3e2"}},
      {" x ;y", ';', {"x", "y"}},
      {"a b\t c\t\t", '\t', {"a b", "c", "", ""}},
      {"\t1\t2", '\t', {"", "1", "2"}},
      {"1 2", '\t', {"1 2"}},
      {"  1   2\t3  ", ' ', {"1", "2", "3"}},
      {"x\t\ty", ' ', {"x", "y"}},
      {"Z\xC3\xBCrich,#N/A,it's", ',', {"Z\xC3\xBCrich", "#N/A", "it's"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE("\"" + c.line + "\" split at '" + std::string(1, c.delimiter) + "'");
    std::vector<std::string> fields = {"left over"};
    SplitPlainLine(c.line, c.delimiter, fields);
    EXPECT_EQ(fields, c.fields);
    EXPECT_EQ(ParsedByLibcsv(c.line, c.delimiter), c.fields);
  }

  // Plain lines and quoted records of several lines follow one another, each record with the
  // line it starts on; remarks and blank lines between records are skipped.
  const std::vector<std::string_view> lines = {"y,x",   "# remark", "1, 2",   "\"a",
                                               "b\",3", "",         "4,\"5\"", "6,7"};
  std::vector<std::pair<size_t, std::vector<std::string>>> records;
  size_t openLine = 0;
  ASSERT_EQ(ParseRecords(
                lines, ',',
                [&](Record& r) {
                  records.emplace_back(r.line, r.fields);
                  return true;
                },
                openLine),
            ParseStatus::Done);
  const std::vector<std::pair<size_t, std::vector<std::string>>> expected = {
      {1, {"y", "x"}}, {3, {"1", "2"}}, {4, {"a\nb", "3"}}, {7, {"4", "5"}}, {8, {"6", "7"}}};
  EXPECT_EQ(records, expected);
}

}  // namespace
}  // namespace vornax::tablefile
