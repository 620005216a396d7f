// Table import for vornax-batch.
#include "batch/TableImport.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <string_view>

#include "data/TextFile.h"

namespace vornax::batch {
namespace {

std::string Trim(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r')) s.remove_suffix(1);
  if (s.size() >= 2 && s.front() == '"' && s.back() == '"') s = s.substr(1, s.size() - 2);
  return std::string(s);
}

std::vector<std::string> SplitCells(const std::string& line, char delimiter) {
  std::vector<std::string> cells;
  if (delimiter == ' ') {
    for (std::string_view t : SplitTokens(line)) cells.push_back(Trim(t));
    return cells;
  }
  size_t start = 0;
  for (;;) {
    size_t at = line.find(delimiter, start);
    cells.push_back(Trim(std::string_view(line).substr(start, at == std::string::npos ? std::string::npos : at - start)));
    if (at == std::string::npos) break;
    start = at + 1;
  }
  return cells;
}

bool IsNumber(const std::string& cell, bool decimalComma) {
  double v = 0;
  if (ParseFiniteNumber(cell, v)) return true;
  if (!decimalComma) return false;
  std::string s = cell;
  std::replace(s.begin(), s.end(), ',', '.');
  return std::count(cell.begin(), cell.end(), ',') == 1 && ParseFiniteNumber(s, v);
}

std::string Lower(std::string s) {
  for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return s;
}

bool NamesWeight(const std::string& name) {
  const std::string n = Lower(name);
  return n.find("weight") != std::string::npos || n == "w" || n == "wt";
}

bool IsContent(const std::string& line) {
  for (char c : line) {
    if (c == '#') return false;
    if (c != ' ' && c != '\t' && c != '\r') return true;
  }
  return false;
}

// Shortest text that converts back to the same 64-bit value.
std::string ExactText(long double value) {
  char buffer[64];
  auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, static_cast<double>(value));
  return ec == std::errc() ? std::string(buffer, end) : std::string();
}

}  // namespace

bool ImportTable(const std::filesystem::path& path, bool lastColumnIsWeight, ImportedTable& table,
                 std::string& error) {
  auto lines = ReadTextLines(path);
  if (!lines) {
    error = "cannot read \"" + PathText(path) + "\"";
    return false;
  }
  table = ImportedTable{};
  std::vector<std::string>& l = *lines;
  if (!l.empty() && l[0].rfind("\xEF\xBB\xBF", 0) == 0) l[0].erase(0, 3);  // a UTF-8 mark
  const std::string where = PathText(path);
  auto lineError = [&](size_t i, const std::string& what) {
    error = "\"" + where + "\", line " + std::to_string(i + 1) + ": " + what;
    return false;
  };

  size_t first = 0;
  while (first < l.size() && !IsContent(l[first])) ++first;
  if (first == l.size()) {
    error = "\"" + where + "\" holds no data";
    return false;
  }
  const std::string& sample = l[first];
  table.Delimiter = sample.find('\t') != std::string::npos   ? '\t'
                    : sample.find(';') != std::string::npos  ? ';'
                    : sample.find(',') != std::string::npos ? ','
                                                             : ' ';
  // A tab or blank separated table whose cells hold commas writes its numbers with a decimal
  // comma; a semicolon separated one may too.
  const bool commaAllowed = table.Delimiter != ',';

  size_t columns = 0;
  for (size_t i = first; i < l.size(); ++i) {
    if (!IsContent(l[i])) continue;
    std::vector<std::string> cells = SplitCells(l[i], table.Delimiter);
    if (columns == 0) {
      const bool header = std::any_of(cells.begin(), cells.end(), [&](const std::string& c) {
        return !c.empty() && !IsNumber(c, commaAllowed);
      });
      while (!cells.empty() && cells.back().empty()) cells.pop_back();
      columns = cells.size();
      if (columns < 2 || columns > 4) {
        return lineError(i, "expected 2 to 4 columns (Y, X[, Z][, weight]), found " +
                                std::to_string(columns));
      }
      if (header) {
        table.Header = cells;
        continue;
      }
    }
    if (cells.size() > columns) {
      if (std::any_of(cells.begin() + static_cast<std::ptrdiff_t>(columns), cells.end(),
                      [](const std::string& c) { return !c.empty(); })) {
        return lineError(i, "more than " + std::to_string(columns) + " columns");
      }
      cells.resize(columns);
    }
    cells.resize(columns);
    for (size_t c = 0; c < cells.size(); ++c) {
      if (cells[c].empty()) continue;
      if (!IsNumber(cells[c], commaAllowed)) {
        return lineError(i, "\"" + cells[c] + "\" in column " + std::to_string(c + 1) +
                                " is not a number");
      }
      if (commaAllowed && cells[c].find(',') != std::string::npos) table.DecimalComma = true;
    }
    table.Cells.push_back(std::move(cells));
    table.LineNumbers.push_back(i + 1);
  }
  if (table.Cells.empty()) {
    error = "\"" + where + "\" holds no data rows";
    return false;
  }
  const bool headedWeight = !table.Header.empty() && NamesWeight(table.Header.back());
  if (columns == 2 && lastColumnIsWeight) {
    error = "\"" + where + "\" has only the columns Y and X; there is no weight column";
    return false;
  }
  table.HasWeights = columns == 4 || (columns == 3 && (lastColumnIsWeight || headedWeight));
  table.NrOfVarInData = static_cast<int>(columns) - 1 - (table.HasWeights ? 1 : 0);
  table.SingleIsZ = table.NrOfVarInData == 1 && table.Header.size() >= 2 &&
                    Lower(table.Header[1]) == "z";
  return true;
}

GridInput GridFromTable(const ImportedTable& table, const std::string& fileName) {
  GridInput grid;
  grid.Title1 = "Imported from " + fileName;
  if (!table.Header.empty()) {
    static const char* kRoles[] = {"Y", "X", "Z", "weight"};
    std::string names;
    for (size_t c = 0; c < table.Header.size(); ++c) {
      const char* role = kRoles[c];
      if (c == 1 && table.SingleIsZ) role = "Z";
      if (table.HasWeights && c + 1 == table.Header.size()) role = "weight";
      names += (c > 0 ? ", " : "") + std::string(role) + ": " + table.Header[c];
    }
    grid.Title2 = names;
  }
  grid.NrOfVarInData = table.NrOfVarInData;
  grid.SingleIsZ = table.SingleIsZ;
  for (size_t r = 0; r < table.Cells.size(); ++r) {
    std::vector<std::string> row{std::to_string(r + 1)};
    row.insert(row.end(), table.Cells[r].begin(), table.Cells[r].end());
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

}  // namespace vornax::batch
