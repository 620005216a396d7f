// Table import for vornax-batch.
#include "run/TableImport.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <functional>
#include <optional>
#include <string_view>
#include <unordered_map>
#include <utility>

#include "data/TextFile.h"
#include "run/TableRecords.h"

namespace vornax {
namespace {

using tablefile::DetectDelimiter;
using tablefile::ParseRecords;
using tablefile::ParseStatus;
using tablefile::Record;
using tablefile::Trim;
using tablefile::TrimView;

std::string Lower(std::string s) {
  for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return s;
}

// A cell as it may stand in a message: control characters (a NUL of a misread file, a line
// break of a quoted field) as '?', and not more than a line's worth.
std::string Shown(const std::string& cell) {
  std::string s;
  for (char c : cell) s.push_back(static_cast<unsigned char>(c) < 0x20 ? '?' : c);
  if (s.size() > 40) {
    size_t cut = 37;
    // Not inside a UTF-8 character.
    while (cut > 0 && (static_cast<unsigned char>(s[cut]) & 0xC0) == 0x80) --cut;
    s = s.substr(0, cut) + "...";
  }
  return s;
}

// A header name on one line: a quoted name may hold line breaks.
std::string OneLineName(const std::string& name) {
  std::string s;
  for (char c : Trim(name)) {
    if (c == '\r' || c == '\n') {
      if (!s.empty() && s.back() != ' ') s.push_back(' ');
    } else {
      s.push_back(c);
    }
  }
  return Trim(s);
}

enum class NumberStyle { None, Point, Comma };

// A finite decimal with a decimal point, or with one decimal comma and no point; `value` takes
// the number.
bool IsNumber(std::string_view cell, NumberStyle* style = nullptr, double* value = nullptr) {
  double v = 0;
  if (ParseFiniteNumber(cell, v)) {
    if (style != nullptr) {
      *style = cell.find('.') != std::string::npos ? NumberStyle::Point : NumberStyle::None;
    }
    if (value != nullptr) *value = v;
    return true;
  }
  if (std::count(cell.begin(), cell.end(), ',') != 1 || cell.find('.') != std::string::npos) {
    return false;
  }
  std::string s(cell);
  std::replace(s.begin(), s.end(), ',', '.');
  if (!ParseFiniteNumber(s, v)) return false;
  if (style != nullptr) *style = NumberStyle::Comma;
  if (value != nullptr) *value = v;
  return true;
}

// A number in form that no 64-bit real holds (1e400, 1e-400), rather than no number at all.
bool IsOutOfRange(const std::string& cell) {
  std::string s = cell;
  if (std::count(s.begin(), s.end(), ',') == 1 && s.find('.') == std::string::npos) {
    std::replace(s.begin(), s.end(), ',', '.');
  }
  double v = 0;
  if (ParseFiniteNumber(s, v)) return false;
  // The same digits with a tame exponent are a number: only the range stood in the way.
  const size_t e = s.find_first_of("eE");
  if (e == std::string::npos) return false;
  const size_t digits = s.find_first_not_of("+-", e + 1);
  if (digits == std::string::npos || digits > e + 2 ||
      s.find_first_not_of("0123456789", digits) != std::string::npos) {
    return false;
  }
  return ParseFiniteNumber(s.substr(0, e) + "e0", v);
}

std::string WithPoint(std::string cell) {
  std::replace(cell.begin(), cell.end(), ',', '.');
  return cell;
}

// Only a header that says weight makes a column of weight factors: a "body weight" or a "w" may
// as well be a variable, and counting its values as repetitions would change every result.
bool NamesWeight(const std::string& name) {
  const std::string n = Lower(Trim(name));
  return n == "weight" || n == "weights" || n == "weight factor" || n == "weight factors";
}

std::string Cell(const Record& r, size_t column) {
  return column < r.fields.size() ? Trim(r.fields[column]) : std::string();
}

// The same without a copy, for the cells of every row.
std::string_view CellView(const Record& r, size_t column) {
  return column < r.fields.size() ? TrimView(r.fields[column]) : std::string_view();
}

bool IsMissing(std::string_view cell) {
  cell = TrimView(cell);
  auto is = [&](std::string_view word) {
    return cell.size() == word.size() &&
           std::equal(cell.begin(), cell.end(), word.begin(), [](char a, char b) {
             return std::tolower(static_cast<unsigned char>(a)) == b;
           });
  };
  return cell.empty() || is("na") || is("nan") || cell == "." || cell == "-";
}

// A header row: a cell that is neither a number nor a missing value, standing above a number
// (or anything, when there is no second row), so that a text column of the data does not make
// its first row a header.
bool FirstRowIsHeader(const std::vector<Record>& records) {
  const Record& first = records.front();
  for (size_t c = 0; c < first.fields.size(); ++c) {
    const std::string cell = Cell(first, c);
    if (IsMissingValue(cell) || IsNumber(cell)) continue;
    if (records.size() < 2) return true;
    const std::string below = Cell(records[1], c);
    if (IsNumber(below) || IsMissingValue(below)) return true;
  }
  return false;
}

bool AllDigits(const std::string& s) {
  return !s.empty() && std::all_of(s.begin(), s.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// Shortest text that converts back to the same 64-bit value.
std::string ExactText(long double value) {
  char buffer[64];
  auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, static_cast<double>(value));
  return ec == std::errc() ? std::string(buffer, end) : std::string();
}

std::string LineList(const std::vector<size_t>& lines, size_t shown) {
  std::string text;
  for (size_t i = 0; i < lines.size() && i < shown; ++i) {
    text += (i > 0 ? ", " : "") + std::to_string(lines[i]);
  }
  if (lines.size() > shown) text += ", ...";
  return text;
}

}  // namespace

bool IsMissingValue(const std::string& cell) { return IsMissing(cell); }

bool ImportTable(const std::filesystem::path& path, bool lastColumnIsWeight, ImportedTable& table,
                 std::string& error) {
  ImportChoices choices;
  choices.LastColumnIsWeight = lastColumnIsWeight;
  return ImportTable(path, choices, table, error);
}

bool ImportTable(const std::filesystem::path& path, const ImportChoices& choices,
                 ImportedTable& table, std::string& error) {
  const std::string where = "\"" + PathText(path) + "\"";
  std::string reason;
  table = ImportedTable{};
  auto bytes = ReadTextBytes(path, reason, &table.WasUtf16);
  if (!bytes) {
    error = "cannot read " + where + "\n" + reason;
    return false;
  }
  // Spreadsheets of older systems save 8-bit text; its names would print as broken characters
  // and could not be chosen with --y or --x.
  if (!table.WasUtf16 && !IsValidUtf8(*bytes)) table.WasWindows1252 = ConvertWindows1252(*bytes);
  const std::vector<std::string_view> lines = SplitLineViews(*bytes);
  auto lineError = [&](size_t line, const std::string& what) {
    error = where + ", line " + std::to_string(line) + ": " + what;
    return false;
  };
  auto tooManyRows = [&]() {
    error = where + " has more than " + Thousands(choices.MaxRows) + " data rows; at most " +
            Thousands(choices.MaxRows) + " data sets can be analysed";
    return false;
  };

  table.Delimiter = DetectDelimiter(lines);
  size_t openLine = 0;
  // The table is read three times over rather than held as records: the first two rows decide
  // the header, a count of the rows and a look at the first column decide the columns, and only
  // then are the cells taken, as text or straight as numbers. Rows of nothing but separators
  // are empty lines of a spreadsheet export.
  auto parse = [&](const std::function<bool(Record&)>& sink) {
    switch (ParseRecords(lines, table.Delimiter, sink, openLine)) {
      case ParseStatus::Done:
        return true;
      case ParseStatus::QuoteNeverClosed:
        return lineError(openLine, "a quotation mark opens a field that is never closed");
      case ParseStatus::OutOfMemory:
        error = where + " is too large to be read";
        return false;
    }
    return false;
  };
  std::vector<Record> records;  // the first two rows
  if (!parse([&](Record& r) {
        if (r.Width() > 0) records.push_back(std::move(r));
        return records.size() < 2;
      })) {
    return false;
  }
  if (records.empty()) {
    error = where + " holds no data";
    return false;
  }

  const Record& first = records.front();
  const bool header = choices.Header == HeaderRow::Yes ||
                      (choices.Header == HeaderRow::Guess && FirstRowIsHeader(records));
  std::vector<std::string> names;
  size_t dataStart = 0;
  if (header) {
    for (size_t c = 0; c < first.Width(); ++c) names.push_back(OneLineName(first.fields[c]));
    dataStart = 1;
  }
  const bool named = !choices.Y.empty() || !choices.X.empty();
  if (header && !named && choices.Header == HeaderRow::Guess) {
    // A first row of names and numbers is more likely a data row with a typing error than a
    // header: taking it for one would drop a data set without a word.
    for (size_t c = 0; c < first.Width(); ++c) {
      const std::string cell = Cell(first, c);
      if (IsNumber(cell)) {
        size_t text = 0;
        while (IsNumber(Cell(first, text)) || IsMissingValue(Cell(first, text))) ++text;
        return lineError(first.line, "the first row holds names and numbers (\"" +
                                         Shown(Cell(first, text)) + "\" and \"" + Shown(cell) +
                                         "\"): a header row holds names only, a data row "
                                         "numbers only");
      }
    }
  }
  if (dataStart >= records.size()) {
    error = where + " holds no data rows";
    return false;
  }
  // Row names or numbers in the first column: present in every row, and 1, 2, ..., n or text.
  // A table too long to analyse is refused here, on its count of rows, before a cell is kept.
  bool rowNames = true, counting = true, text = false;
  size_t dataRows = 0, widest = 0, seen = 0;
  bool tooMany = false;
  if (!parse([&](Record& r) {
        if (r.Width() == 0 || seen++ < dataStart) return true;
        if (++dataRows > choices.MaxRows) {
          tooMany = true;
          return false;
        }
        const std::string_view cell = CellView(r, 0);
        if (cell.empty()) rowNames = false;
        if (counting && cell != std::to_string(dataRows)) counting = false;
        if (!text && !IsNumber(cell) && !IsMissing(cell)) text = true;
        widest = std::max(widest, r.Width());
        return true;
      })) {
    return false;
  }
  if (tooMany) return tooManyRows();
  rowNames = rowNames && (counting || text);

  // The columns are those of the header, or of the first data row. A header one name short
  // stands over row names written without a name of their own; over other data, the last
  // column simply has no name.
  size_t width = records[dataStart].Width();
  if (header) {
    const bool oneShort = names.size() + 1 == width;
    if (oneShort && rowNames) names.insert(names.begin(), "");
    if (!oneShort) width = names.size();
  }
  if (named) {
    // Chosen columns may lie beyond the header: count every column the data rows have.
    width = std::max(width, widest);
  }
  // By position, a row-name column under an empty header is left aside.
  table.RowNamesSkipped = !named && header && !names.empty() && names[0].empty() && width >= 3 &&
                          rowNames;
  const size_t firstColumn = table.RowNamesSkipped ? 1 : 0;
  auto nameOf = [&](size_t column) {
    return column < names.size() && !names[column].empty() ? names[column]
                                                            : "column " + std::to_string(column + 1);
  };

  // The columns used, in the order Y, X[, Z][, weight].
  auto resolve = [&](const std::string& choice, const char* option, size_t& column) {
    const std::string s = Trim(choice);
    if (AllDigits(s)) {
      const size_t n = s.size() > 6 ? 0 : static_cast<size_t>(std::stoul(s));
      if (n < 1 || n > width) {
        error = std::string(option) + " " + s + ": " + where + " has the columns 1 to " +
                std::to_string(width);
        return false;
      }
      column = n - 1;
      return true;
    }
    if (!header) {
      error = std::string(option) + " " + s + ": " + where +
              " has no header row; give the column by its number (1 to " +
              std::to_string(width) + ")";
      return false;
    }
    std::vector<size_t> found;
    for (size_t c = 0; c < names.size(); ++c) {
      if (names[c] == s) found.push_back(c);
    }
    if (found.empty()) {
      for (size_t c = 0; c < names.size(); ++c) {
        if (Lower(names[c]) == Lower(s)) found.push_back(c);
      }
    }
    if (found.size() == 1) {
      column = found.front();
      return true;
    }
    if (found.size() > 1) {
      error = std::string(option) + " " + s + ": " + where + " has " +
              std::to_string(found.size()) + " columns of that name; give the column number";
      return false;
    }
    std::string list;
    for (size_t c = 0; c < names.size(); ++c) {
      list += (c > 0 ? ", " : "") + std::to_string(c + 1) + " \"" + Shown(names[c]) + "\"";
    }
    error = std::string(option) + " " + s + ": " + where + " has no column of that name; its " +
            "columns are " + list;
    return false;
  };
  // The column that splits the table into groups: its cells name the groups, as text.
  size_t byColumn = std::string::npos;
  if (!choices.By.empty() && !resolve(choices.By, "--by", byColumn)) return false;
  std::vector<size_t> used;
  if (named) {
    if (choices.Y.empty() || choices.X.empty()) {
      error = "--y and --x are given together";
      return false;
    }
    const std::pair<const std::string*, const char*> wanted[] = {
        {&choices.Y, "--y"}, {&choices.X, "--x"}, {&choices.Z, "--z"}, {&choices.Weight, "--weight"}};
    for (const auto& [choice, option] : wanted) {
      if (choice->empty()) continue;
      size_t column = 0;
      if (!resolve(*choice, option, column)) return false;
      if (std::find(used.begin(), used.end(), column) != used.end() || column == byColumn) {
        error = std::string(option) + " " + Trim(*choice) + ": the column \"" + Shown(nameOf(column)) +
                "\" is already used for another variable";
        return false;
      }
      used.push_back(column);
    }
    table.HasWeights = !choices.Weight.empty();
    table.NrOfVarInData = choices.Z.empty() ? 1 : 2;
  } else {
    const bool byAmong = byColumn >= firstColumn && byColumn < width;
    const size_t columns = width - firstColumn - (byAmong ? 1 : 0);
    if (columns < 2) {
      return lineError(records[header ? 0 : dataStart].line,
                       "expected 2 or 3 columns (Y, X[, Z]) and perhaps a weight column, found " +
                           std::to_string(columns));
    }
    if (columns == 2 && choices.LastColumnIsWeight) {
      error = where + " has only the columns Y and X; there is no weight column";
      return false;
    }
    for (size_t c = firstColumn; c < width; ++c) {
      if (c != byColumn) used.push_back(c);
    }
    // The columns as the user would name them, and how to choose them, for the refusals below.
    auto unnamed = [&](size_t c) { return header && (c >= names.size() || names[c].empty()); };
    auto columnList = [&] {
      std::string list;
      for (size_t u = 0; u < used.size(); ++u) {
        list += (u > 0 ? ", " : "") + std::to_string(used[u] + 1) +
                (header ? " \"" + Shown(unnamed(used[u]) ? "" : names[used[u]]) + "\"" : "");
      }
      return list;
    };
    auto choose = [&] {
      auto example = [&](size_t c) {
        const std::string name = header && c < names.size() ? names[c] : "";
        const bool plain = !name.empty() && name.find_first_of(" \"'\t") == std::string::npos &&
                           !AllDigits(name);
        return plain ? name : std::to_string(c + 1);
      };
      std::vector<size_t> withNames;
      for (size_t c : used) {
        if (!unnamed(c)) withNames.push_back(c);
      }
      const std::vector<size_t>& from = withNames.size() >= 2 ? withNames : used;
      return "choose them with --y COL --x COL [--z COL] [--weight COL], for instance --y " +
             example(from[0]) + " --x " + example(from[1]);
    };
    // A column without a name in a header that names the others is an index, a note or a
    // column left over from an edit far more often than a variable: taken by position, it would
    // become X or Z without a word. (Row names under an empty first header are set aside above.)
    const auto nameless = std::find_if(used.begin(), used.end(), unnamed);
    if (nameless != used.end()) {
      return lineError(records[0].line,
                       "column " + std::to_string(*nameless + 1) +
                           " has no name in the header row, and an unnamed column is not taken "
                           "by position; the columns are " + columnList() + ": " + choose());
    }
    const bool headedWeight = header && NamesWeight(nameOf(used.back()));
    table.HasWeights = columns >= 3 && (choices.LastColumnIsWeight || headedWeight);
    if (columns - (table.HasWeights ? 1 : 0) > 3) {
      // More columns than an analysis takes: which are Y, X and Z, and whether one holds weight
      // factors, is for the user to say; guessing would analyse the wrong numbers.
      return lineError(records[header ? 0 : dataStart].line,
                       "found " + std::to_string(columns) + " columns (" + columnList() +
                           "), more than Y, X and Z; " + choose());
    }
    table.NrOfVarInData = static_cast<int>(columns) - 1 - (table.HasWeights ? 1 : 0);
  }
  const size_t weightIndex = table.HasWeights ? used.size() - 1 : used.size();
  for (size_t u = 0; u < used.size(); ++u) {
    table.UsedNames.push_back(nameOf(used[u]));
    if (header) table.Header.push_back(names.size() > used[u] ? names[used[u]] : "");
  }
  table.SingleIsZ = table.NrOfVarInData == 1 && Lower(nameOf(used[1])) == "z";
  if (byColumn != std::string::npos) table.ByName = nameOf(byColumn);
  // Each row joins its group as it is read; the groups keep the order in which they first appear.
  std::unordered_map<std::string, uint32_t> groupIndex;
  uint32_t lastGroup = 0;  // the rows of a group mostly follow one another
  auto groupOf = [&](const Record& record) {
    const std::string_view value = CellView(record, byColumn);
    if (!table.Groups.empty() && table.Groups[lastGroup] == value) return lastGroup;
    const auto [at, added] =
        groupIndex.try_emplace(std::string(value), static_cast<uint32_t>(table.Groups.size()));
    if (added) table.Groups.push_back(at->first);
    lastGroup = at->second;
    return at->second;
  };

  // The data rows.
  NumberStyle style = NumberStyle::None;
  size_t styleLine = 0;
  std::string styleCell;
  const bool asValues = choices.AsValues;
  if (asValues) {
    table.Values.Y.reserve(dataRows);
    table.Values.X.reserve(dataRows);
    if (table.NrOfVarInData == 2) table.Values.Z.reserve(dataRows);
    if (table.HasWeights) table.Values.Weight.reserve(dataRows);
  }
  // Each row's cells are checked one by one; a row's numbers are kept only when all of them are
  // good and none is missing.
  auto takeRow = [&](const Record& record) {
    if (!named && record.Width() > width) {
      return lineError(record.line, "more than " + std::to_string(width) + " columns");
    }
    std::vector<std::string> cells;
    if (!asValues) cells.reserve(used.size());
    double numbers[4] = {0, 0, 0, 0};
    int weight = 1;
    bool missing = false;
    std::string missingReason;
    for (size_t u = 0; u < used.size(); ++u) {
      const size_t column = used[u];
      const std::string_view cell = CellView(record, column);
      auto label = [&]() {
        return "in column " + std::to_string(column + 1) +
               (header ? " (" + Shown(nameOf(column)) + ")" : "");
      };
      auto shown = [&]() { return Shown(std::string(cell)); };
      if (IsMissing(cell)) {
        if (choices.Strict) {
          return lineError(record.line, "the value " + label() + " is missing (" +
                                            (cell.empty() ? "empty" : "\"" + shown() + "\"") +
                                            "), and --strict accepts no missing values");
        }
        if (!missing) {
          missingReason = "missing value " + label() + " (" +
                          (cell.empty() ? "empty" : "\"" + shown() + "\"") + ")";
        }
        missing = true;
        if (!asValues) cells.emplace_back(cell);
        continue;
      }
      NumberStyle cellStyle = NumberStyle::None;
      double value = 0;
      if (!IsNumber(cell, &cellStyle, &value)) {
        return lineError(record.line, "\"" + shown() + "\" " + label() +
                                          (IsOutOfRange(std::string(cell))
                                               ? " is out of range: the numbers read lie "
                                                 "between 1E-308 and 1E+308 in size, or are 0"
                                               : " is not a number"));
      }
      if (cellStyle == NumberStyle::Comma && table.Delimiter == ',' &&
          cell.size() - cell.find(',') == 4 &&
          std::all_of(cell.begin() + static_cast<std::ptrdiff_t>(cell.find(',')) + 1, cell.end(),
                      [](char ch) { return ch >= '0' && ch <= '9'; })) {
        // Quoted in a comma table, "1,250" may be twelve hundred and fifty as well as one and a
        // quarter: either guess could misread every value.
        return lineError(record.line, "\"" + shown() + "\" " + label() +
                                          " may hold a thousands separator or a decimal comma; "
                                          "write it with a decimal point and no thousands "
                                          "separator");
      }
      if (u == weightIndex) {
        const double w = value;
        if (w != std::floor(w)) {
          return lineError(record.line, "the weight factor \"" + shown() + "\" " + label() +
                                            " is not a whole number");
        }
        // Refused here rather than by the run, so that the message names the file's line.
        if (w < 1) {
          return lineError(record.line, "the weight factor \"" + shown() + "\" " + label() +
                                            " is below 1: a data set cannot count zero or "
                                            "negative times");
        }
        if (w > kMaxWeightFactor) {
          return lineError(record.line, "the weight factor \"" + shown() + "\" " + label() +
                                            " is above " + std::to_string(kMaxWeightFactor) +
                                            ", the largest accepted");
        }
        weight = static_cast<int>(w);
        // "2.0" is the whole number it says.
        if (!asValues) cells.push_back(std::to_string(weight));
        continue;
      }
      if (cellStyle != NumberStyle::None) {
        if (style == NumberStyle::None) {
          style = cellStyle;
          styleLine = record.line;
          styleCell = cell;
        } else if (style != cellStyle) {
          const bool comma = cellStyle == NumberStyle::Comma;
          return lineError(record.line,
                           "\"" + shown() + "\" " + label() + " has a decimal " +
                               (comma ? "comma" : "point") + ", but line " +
                               std::to_string(styleLine) + " has \"" + Shown(styleCell) +
                               "\" with a decimal " + (comma ? "point" : "comma") +
                               "; write every number with the same decimal separator");
        }
      }
      // The cells are kept as the run reads a grid cell: the nearest 64-bit value.
      numbers[u] = value;
      if (!asValues) cells.emplace_back(cell);
    }
    if (missing) {
      table.LeftOut.push_back(record.line);
      table.LeftOutReasons.push_back(std::move(missingReason));
      if (byColumn != std::string::npos) table.GroupOfLeftOut.push_back(groupOf(record));
      return true;
    }
    if (byColumn != std::string::npos) table.GroupOfRow.push_back(groupOf(record));
    if (!asValues) {
      table.Cells.push_back(std::move(cells));
      table.LineNumbers.push_back(record.line);
      return true;
    }
    std::vector<long double>* columns[] = {&table.Values.Y, &table.Values.X, &table.Values.Z};
    for (size_t u = 0; u < used.size(); ++u) {
      if (u == weightIndex) {
        table.Values.Weight.push_back(weight);
      } else {
        columns[u]->push_back(numbers[u]);
      }
    }
    return true;
  };
  seen = 0;
  bool rowsGood = true;  // false once a row is refused (its message is in `error`)
  if (!parse([&](Record& r) {
        if (r.Width() == 0 || seen++ < dataStart) return true;
        rowsGood = takeRow(r);
        return rowsGood;
      }) ||
      !rowsGood) {
    return false;
  }
  table.DecimalComma = style == NumberStyle::Comma;
  if (table.Cells.empty() && table.Values.Y.empty()) {
    error = where + " holds no complete data rows: each row misses a value in a column used (" +
            "lines " + LineList(table.LeftOut, 5) + ")";
    return false;
  }
  return true;
}

std::string Thousands(uint64_t n) {
  std::string digits = std::to_string(n);
  for (size_t at = digits.size(); at > 3; at -= 3) digits.insert(at - 3, ",");
  return digits;
}

std::vector<std::string> ColumnRoles(const ImportedTable& table) {
  std::vector<std::string> roles = {"Y", table.SingleIsZ ? "Z" : "X"};
  if (table.NrOfVarInData == 2) roles.push_back("Z");
  if (table.HasWeights) roles.push_back("weight");
  return roles;
}

std::string ColumnsUsedLine(const ImportedTable& table) {
  const std::vector<std::string> roles = ColumnRoles(table);
  std::string line;
  for (size_t i = 0; i < roles.size() && i < table.UsedNames.size(); ++i) {
    line += (i > 0 ? ", " : "") + roles[i] + " = " + Shown(table.UsedNames[i]);
  }
  return line;
}

std::string LeftOutLine(const ImportedTable& table) {
  const size_t n = table.LeftOut.size();
  if (n == 0) return {};
  return std::to_string(n) + (n == 1 ? " row" : " rows") + " with a missing value left out (" +
         (n == 1 ? "line " : "lines ") + LineList(table.LeftOut, 8) + ")";
}

GridInput GridHeading(const ImportedTable& table, const std::string& fileName) {
  GridInput grid;
  grid.Title1 = "Imported from " + fileName;
  if (!table.Header.empty()) {
    const std::vector<std::string> roles = ColumnRoles(table);
    std::string names;
    for (size_t c = 0; c < table.Header.size() && c < roles.size(); ++c) {
      names += (c > 0 ? ", " : "") + roles[c] + ": " + table.Header[c];
    }
    grid.Title2 = names;
  }
  grid.NrOfVarInData = table.NrOfVarInData;
  grid.SingleIsZ = table.SingleIsZ;
  return grid;
}

GridInput GridFromTable(const ImportedTable& table, const std::string& fileName) {
  GridInput grid = GridHeading(table, fileName);
  for (size_t r = 0; r < table.Cells.size(); ++r) {
    std::vector<std::string> row{std::to_string(r + 1)};
    for (const std::string& cell : table.Cells[r]) row.push_back(WithPoint(cell));
    grid.Rows.push_back(std::move(row));
  }
  grid.NrOfData = static_cast<int32_t>(grid.Rows.size());
  grid.GridRowCount = grid.NrOfData;
  return grid;
}

GridInput GridFromDataSet(const TDMVornax& data, bool weightsUsed) {
  GridInput grid;
  grid.Title1 = data.Title1;
  grid.Title2 = data.Title2;
  grid.NrOfVarInData = data.NrOfVarInData;
  grid.SingleIsZ = data.SingleIsZ;
  const bool two = data.NrOfVarInData == 2;
  for (size_t i = 0; i < static_cast<size_t>(std::max(data.NrOfData, 0)); ++i) {
    std::vector<std::string> row{std::to_string(i + 1), ExactText(data.YData[i]),
                                 ExactText(data.XData[i])};
    if (two) row.push_back(ExactText(data.ZData[i]));
    row.push_back(weightsUsed ? std::to_string(data.WeightFactor[i]) : "1");
    grid.Rows.push_back(std::move(row));
  }
  grid.NrOfData = static_cast<int32_t>(grid.Rows.size());
  grid.GridRowCount = grid.NrOfData;
  return grid;
}

bool PreviewTable(const std::filesystem::path& path, size_t rows, TablePreview& preview,
                  std::string& error) {
  std::string reason;
  bool wasUtf16 = false;
  auto bytes = ReadTextBytes(path, reason, &wasUtf16);
  if (!bytes) {
    error = "cannot read \"" + PathText(path) + "\"\n" + reason;
    return false;
  }
  // The same reading as the import: 8-bit text of older spreadsheets becomes UTF-8.
  if (!wasUtf16 && !IsValidUtf8(*bytes)) ConvertWindows1252(*bytes);
  const std::vector<std::string_view> lines = SplitLineViews(*bytes);
  preview = TablePreview{};
  preview.Delimiter = DetectDelimiter(lines);
  std::vector<Record> records;
  size_t openLine = 0;
  // One record more than shown: the header row does not count. Rows of nothing but separators
  // are empty lines of a spreadsheet export.
  ParseRecords(
      lines, preview.Delimiter,
      [&](Record& r) {
        if (r.Width() > 0) records.push_back(std::move(r));
        return records.size() < rows + 1;
      },
      openLine);
  if (records.empty()) {
    error = "\"" + PathText(path) + "\" holds no data";
    return false;
  }
  preview.Header = FirstRowIsHeader(records);
  size_t width = 0;
  for (const Record& r : records) width = std::max(width, r.Width());
  for (size_t c = 0; c < width; ++c) {
    const std::string name = preview.Header ? OneLineName(Cell(records.front(), c)) : "";
    preview.Names.push_back(name.empty() ? "column " + std::to_string(c + 1) : name);
  }
  for (size_t r = preview.Header ? 1 : 0; r < records.size() && preview.Rows.size() < rows; ++r) {
    std::vector<std::string> cells;
    for (size_t c = 0; c < width; ++c) cells.push_back(Cell(records[r], c));
    preview.Rows.push_back(std::move(cells));
  }

  // The columns suggested: those named as Y, X, Z and the weight, else by position as the
  // import takes them, after a first column of row names under an empty header. A name counts
  // by its first word ("Yield (t/ha)" is a yield).
  auto firstWord = [&](size_t c) {
    const std::string name = Lower(OneLineName(Cell(records.front(), c)));
    return name.substr(0, name.find_first_of(" \t([_,;:/-"));
  };
  auto named = [&](auto&& matches) -> std::optional<size_t> {
    if (!preview.Header) return std::nullopt;
    for (size_t c = 0; c < width; ++c) {
      if (matches(firstWord(c), c)) return c;
    }
    return std::nullopt;
  };
  auto oneOf = [](const std::string& word, std::initializer_list<const char*> names) {
    return std::any_of(names.begin(), names.end(), [&](const char* n) { return word == n; });
  };
  const auto y = named([&](const std::string& w, size_t) {
    return oneOf(w, {"y", "yield", "yields", "response", "dependent"});
  });
  const auto x = named([&](const std::string& w, size_t) { return w == "x"; });
  const auto z = named([&](const std::string& w, size_t) { return w == "z"; });
  const auto weight = named([&](const std::string&, size_t c) {
    return NamesWeight(Lower(OneLineName(Cell(records.front(), c))));
  });
  // Columns that label the data sets rather than measure them: numbers, often, but never a
  // variable of the regression.
  auto labels = [&](size_t c) {
    return preview.Header &&
           oneOf(firstWord(c), {"id", "block", "group", "plot", "row", "rep", "replicate",
                                "serial", "nr", "no"});
  };
  // Columns of text (site names, dates, labels) hold no variable; nor does a first column under
  // an empty header, where statistics packages put the row numbers.
  auto numeric = [&](size_t c) {
    for (const std::vector<std::string>& row : preview.Rows) {
      if (!IsMissingValue(row[c]) && !IsNumber(row[c])) return false;
    }
    return true;
  };
  std::vector<size_t> free;
  const bool rowNames = preview.Header && width >= 3 && Cell(records.front(), 0).empty();
  for (size_t c = rowNames ? 1 : 0; c < width; ++c) {
    if (c != y && c != x && c != z && c != weight && numeric(c) && !labels(c)) free.push_back(c);
  }
  size_t next = 0;
  auto take = [&](std::optional<size_t> column) -> std::string {
    if (!column && next < free.size()) column = free[next++];
    return column ? std::to_string(*column + 1) : std::string();
  };
  ImportChoices& s = preview.Suggested;
  s.Y = take(y);
  s.X = take(x);
  // A third free column is Z; a fourth the weight, unless a column is named as the weight.
  s.Z = z ? take(z) : (next < free.size() ? take(std::nullopt) : std::string());
  s.Weight = weight ? take(weight) : (next < free.size() ? take(std::nullopt) : std::string());
  return true;
}

}  // namespace vornax
