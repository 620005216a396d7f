// The records of a delimited table: its lines parsed with the usual CSV quoting (libcsv), and
// the choice of the separator.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace vornax::tablefile {

// The text without the blanks and tabs around it (and a carriage return at its end).
std::string Trim(std::string_view s);
std::string_view TrimView(std::string_view s);

// One record of the table with the file line it starts on.
struct Record {
  std::vector<std::string> fields;
  size_t line = 0;
  // The number of fields up to the last one that is not empty.
  size_t Width() const {
    size_t w = fields.size();
    while (w > 0 && TrimView(fields[w - 1]).empty()) --w;
    return w;
  }
};


enum class ParseStatus { Done, QuoteNeverClosed, OutOfMemory };

// The fields of a line without quotation marks, split as the CSV parser splits it: at every
// `delimiter`, each field without the blanks and tabs around it; with ' ' at runs of blanks and
// tabs, without empty fields. A table's lines are mostly of this kind, and splitting them
// directly saves the parser's work character by character.
void SplitPlainLine(std::string_view line, char delimiter, std::vector<std::string>& fields);

// Parses the lines as records separated by `delimiter` (' ' for runs of blanks and tabs), with
// the usual CSV quoting. Lines that are blank or start with '#' between records are skipped.
// Each record goes to `sink` as it is complete, so that a long table is never held as records;
// the parse stops when the sink returns false. `openLine` receives the line of a record whose
// quote is never closed.
ParseStatus ParseRecords(const std::vector<std::string_view>& lines, char delimiter,
                         const std::function<bool(Record&)>& sink, size_t& openLine);

// The separator is the first of tab, semicolon and comma that splits the first record and most
// of the next few (quotes respected) into two or more fields; otherwise runs of blanks separate.
// A semicolon inside a quoted header of a comma table splits the header only, not the rows.
char DetectDelimiter(const std::vector<std::string_view>& lines);

}  // namespace vornax::tablefile
