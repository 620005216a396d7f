// The records of a delimited table, parsed with libcsv line by line.
#include "run/TableRecords.h"

#include <algorithm>

#include <csv.h>

namespace vornax::tablefile {

std::string_view TrimView(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r')) s.remove_suffix(1);
  return s;
}

std::string Trim(std::string_view s) { return std::string(TrimView(s)); }

void SplitPlainLine(std::string_view line, char delimiter, std::vector<std::string>& fields) {
  fields.clear();
  if (delimiter == ' ') {
    size_t at = 0;
    while (at < line.size()) {
      const size_t start = line.find_first_not_of(" \t", at);
      if (start == std::string_view::npos) break;
      size_t end = line.find_first_of(" \t", start);
      if (end == std::string_view::npos) end = line.size();
      fields.emplace_back(line.substr(start, end - start));
      at = end;
    }
    return;
  }
  for (size_t at = 0;;) {
    const size_t end = line.find(delimiter, at);
    const std::string_view field = line.substr(at, end == std::string_view::npos ? end : end - at);
    size_t from = 0, to = field.size();
    while (from < to && (field[from] == ' ' || field[from] == '\t')) ++from;
    while (to > from && (field[to - 1] == ' ' || field[to - 1] == '\t')) --to;
    fields.emplace_back(field.substr(from, to - from));
    if (end == std::string_view::npos) return;
    at = end + 1;
  }
}

namespace {

// The libcsv callbacks gather fields and records here.
struct Collector {
  const std::function<bool(Record&)>* sink = nullptr;
  bool stopped = false;  // the sink asked for no more records
  Record current;
  size_t startLine = 0;
  bool inRecord = false;
  bool blankSeparated = false;
};

void OnField(void* text, size_t length, void* data) {
  auto* c = static_cast<Collector*>(data);
  if (c->stopped) return;
  std::string field = text != nullptr ? std::string(static_cast<const char*>(text), length) : "";
  // Blank separated: a run of blanks is one separator, so the empty fields between them go.
  if (c->blankSeparated && field.empty()) return;
  c->current.fields.push_back(std::move(field));
}

// Hands the record gathered so far, which starts on `line`, to the sink.
void Deliver(Collector& c, size_t line) {
  c.current.line = line;
  if (!(*c.sink)(c.current)) c.stopped = true;
  // Emptied rather than replaced, so the next record reuses its room.
  c.current.fields.clear();
  c.current.line = 0;
}

void OnRecord(int, void* data) {
  auto* c = static_cast<Collector*>(data);
  c->inRecord = false;
  if (!c->stopped) Deliver(*c, c->startLine);
}

// A remark line starts with '#', but a spreadsheet's error value ("#N/A", "#DIV/0!") in the
// first column is a cell: skipping its row would lose it without a word.
bool IsBlankOrComment(std::string_view line) {
  const size_t at = line.find_first_not_of(" \t");
  if (at == std::string::npos) return true;
  if (line[at] != '#') return false;
  static const char* const kErrorValues[] = {"#N/A",  "#DIV/0!", "#VALUE!", "#REF!",
                                             "#NAME?", "#NUM!",   "#NULL!"};
  for (const char* value : kErrorValues) {
    const std::string_view v(value);
    if (line.compare(at, v.size(), v) == 0) {
      const size_t end = at + v.size();
      if (end == line.size() || std::string_view(",;\t \"").find(line[end]) != std::string_view::npos) {
        return false;
      }
    }
  }
  return true;
}

}  // namespace


ParseStatus ParseRecords(const std::vector<std::string_view>& lines, char delimiter,
                         const std::function<bool(Record&)>& sink, size_t& openLine) {
  csv_parser parser;
  if (csv_init(&parser, CSV_APPEND_NULL) != 0) return ParseStatus::OutOfMemory;
  csv_set_delim(&parser, static_cast<unsigned char>(delimiter));
  Collector collector;
  collector.sink = &sink;
  collector.blankSeparated = delimiter == ' ';
  ParseStatus status = ParseStatus::Done;
  std::string chunk;
  for (size_t i = 0; i < lines.size(); ++i) {
    if (collector.stopped) break;
    if (!collector.inRecord) {
      if (IsBlankOrComment(lines[i])) continue;
      if (lines[i].find('"') == std::string_view::npos) {
        // A whole record on a line of its own, split without the parser.
        SplitPlainLine(lines[i], delimiter, collector.current.fields);
        Deliver(collector, i + 1);
        continue;
      }
      collector.inRecord = true;
      collector.startLine = i + 1;
    }
    chunk = lines[i];
    if (delimiter == ' ') std::replace(chunk.begin(), chunk.end(), '\t', ' ');
    chunk.push_back('\n');
    if (csv_parse(&parser, chunk.data(), chunk.size(), OnField, OnRecord, &collector) !=
        chunk.size()) {
      status = ParseStatus::OutOfMemory;
      break;
    }
  }
  if (status == ParseStatus::Done && collector.inRecord && !collector.stopped) {
    // Every line was fed with its line end, so a record still open has an unclosed quote.
    openLine = collector.startLine;
    status = ParseStatus::QuoteNeverClosed;
  }
  csv_free(&parser);
  return status;
}

char DetectDelimiter(const std::vector<std::string_view>& lines) {
  for (char candidate : {'\t', ';', ','}) {
    std::vector<Record> sample;
    size_t openLine = 0;
    ParseRecords(
        lines, candidate,
        [&](Record& r) {
          sample.push_back(std::move(r));
          return sample.size() < 5;
        },
        openLine);
    const auto split = std::count_if(sample.begin(), sample.end(),
                                     [](const Record& r) { return r.fields.size() >= 2; });
    if (!sample.empty() && sample.front().fields.size() >= 2 &&
        static_cast<size_t>(split) * 2 > sample.size()) {
      return candidate;
    }
  }
  return ' ';
}

}  // namespace vornax::tablefile
