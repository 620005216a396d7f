// Splitting pasted spreadsheet text, recognising its header, and placing its columns.
#include "app/GridPaste.h"

#include <algorithm>
#include <cctype>

#include "data/TextFile.h"

namespace vornax::app {
namespace {

// U+2212 MINUS SIGN, as some spreadsheets copy a negative number: kept as a sign, -5 stays -5.
constexpr std::string_view kTypographicMinus = "\xE2\x88\x92";
// No-break spaces (U+00A0, U+202F) that spreadsheets put around and inside numbers.
constexpr std::string_view kNoBreakSpace = "\xC2\xA0";
constexpr std::string_view kNarrowNoBreakSpace = "\xE2\x80\xAF";

bool StartsWithBlank(std::string_view s, size_t& length) {
  if (!s.empty() && (s.front() == ' ' || s.front() == '\t')) return length = 1, true;
  for (std::string_view b : {kNoBreakSpace, kNarrowNoBreakSpace}) {
    if (s.substr(0, b.size()) == b) return length = b.size(), true;
  }
  return false;
}

bool EndsWithBlank(std::string_view s, size_t& length) {
  if (!s.empty() && (s.back() == ' ' || s.back() == '\t')) return length = 1, true;
  for (std::string_view b : {kNoBreakSpace, kNarrowNoBreakSpace}) {
    if (s.size() >= b.size() && s.substr(s.size() - b.size()) == b) return length = b.size(), true;
  }
  return false;
}

std::string_view TrimBlanks(std::string_view s) {
  size_t n = 0;
  while (StartsWithBlank(s, n)) s.remove_prefix(n);
  while (EndsWithBlank(s, n)) s.remove_suffix(n);
  return s;
}

// The lines and cells of a paste as written (only the line ends and tabs taken away).
std::vector<std::vector<std::string>> SplitRaw(std::string_view text) {
  std::vector<std::vector<std::string>> lines;
  std::vector<std::string> line;
  std::string cell;
  for (size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '\t') {
      line.push_back(std::move(cell));
      cell.clear();
    } else if (c == '\r' || c == '\n') {
      if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
      line.push_back(std::move(cell));
      cell.clear();
      lines.push_back(std::move(line));
      line.clear();
    } else {
      cell += c;
    }
  }
  // The last line ends at the end of the text, with or without its own line end.
  if (!cell.empty() || !line.empty()) {
    line.push_back(std::move(cell));
    lines.push_back(std::move(line));
  }
  return lines;
}

size_t FilledWidth(const std::vector<std::string>& line) {
  size_t width = line.size();
  while (width > 0 && line[width - 1].empty()) --width;
  return width;
}

std::string Lower(std::string_view s) {
  std::string out(s);
  for (char& c : out) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return out;
}

bool AllWholeNumbersFromOne(const PastedBlock& block, size_t column) {
  bool any = false;
  for (const auto& row : block.rows) {
    if (column >= row.size() || row[column].empty()) continue;
    int value = 0;
    if (!ParseInt32(row[column], value) || value < 1) return false;
    any = true;
  }
  return any;
}

bool Contains(const std::vector<ColumnRole>& roles, ColumnRole role) {
  return std::find(roles.begin(), roles.end(), role) != roles.end();
}

}  // namespace

std::string RoleName(ColumnRole role) {
  switch (role) {
    case ColumnRole::Y: return "Y";
    case ColumnRole::X: return "X";
    case ColumnRole::Z: return "Z";
    case ColumnRole::Weight: return "Weight";
    case ColumnRole::None: break;
  }
  return "(leave out)";
}

bool IsMultiCellPaste(std::string_view text) {
  return text.find_first_of("\t\r\n") != std::string_view::npos;
}

std::string WithDecimalPoint(std::string cell) {
  if (std::count(cell.begin(), cell.end(), ',') == 1 && cell.find('.') == std::string::npos) {
    std::replace(cell.begin(), cell.end(), ',', '.');
  }
  return cell;
}

std::string CleanCell(std::string_view cell) {
  cell = TrimBlanks(cell);
  std::string out;
  out.reserve(cell.size());
  for (size_t i = 0; i < cell.size(); ++i) {
    if (cell.substr(i, kTypographicMinus.size()) == kTypographicMinus) {
      out += '-';
      i += kTypographicMinus.size() - 1;
    } else {
      out += cell[i];
    }
  }
  // A decimal comma is a point only in a number: "Yield, t/ha" keeps its comma.
  std::string withPoint = WithDecimalPoint(out);
  double value = 0;
  return ParseFiniteNumber(withPoint, value) ? withPoint : out;
}

bool IsNumberCell(std::string_view cell) {
  double value = 0;
  return ParseFiniteNumber(CleanCell(cell), value);
}

bool PastedBlock::ColumnHasValues(size_t column) const {
  return std::any_of(rows.begin(), rows.end(), [column](const std::vector<std::string>& row) {
    return column < row.size() && !row[column].empty();
  });
}

PastedBlock ReadPastedBlock(std::string_view text) {
  PastedBlock block;
  std::vector<std::vector<std::string>> lines = SplitRaw(text);
  if (lines.empty()) return block;
  const std::vector<std::string>& first = lines.front();
  const bool holdsText = std::any_of(first.begin(), first.end(),
                                     [](const std::string& c) { return !TrimBlanks(c).empty(); });
  const bool holdsNumber = std::any_of(first.begin(), first.end(), [](const std::string& c) {
    return IsNumberCell(c);
  });
  size_t start = 0;
  if (holdsText && !holdsNumber) {
    for (const std::string& name : first) block.names.emplace_back(TrimBlanks(name));
    block.names.resize(FilledWidth(block.names));
    block.width = block.names.size();
    start = 1;
  }
  for (size_t i = start; i < lines.size(); ++i) {
    std::vector<std::string> row;
    row.reserve(lines[i].size());
    for (const std::string& cell : lines[i]) row.push_back(CleanCell(cell));
    block.width = std::max(block.width, FilledWidth(row));
    block.rows.push_back(std::move(row));
  }
  return block;
}

std::optional<ColumnRole> RoleOfName(std::string_view name) {
  const std::string lower = Lower(TrimBlanks(name));
  size_t end = 0;
  while (end < lower.size() && std::isalpha(static_cast<unsigned char>(lower[end]))) ++end;
  const std::string word = lower.substr(0, end);
  if (word == "y") return ColumnRole::Y;
  if (word == "x") return ColumnRole::X;
  if (word == "z") return ColumnRole::Z;
  if (word == "w" || word == "weight" || word == "weights") return ColumnRole::Weight;
  return std::nullopt;
}

PastePlan PlanPaste(const PastedBlock& block, const std::vector<ColumnRole>& fromPasteColumn,
                    const std::vector<ColumnRole>& shown) {
  PastePlan plan;
  const size_t width = block.width;
  plan.roles.assign(width, ColumnRole::None);
  std::vector<bool> named(width, false);
  std::vector<ColumnRole> used;
  for (size_t j = 0; j < width && j < block.names.size(); ++j) {
    const std::optional<ColumnRole> role = RoleOfName(block.names[j]);
    if (role && Contains(shown, *role) && !Contains(used, *role)) {
      plan.roles[j] = *role;
      named[j] = true;
      used.push_back(*role);
    }
  }
  // The other columns take the value columns from the pasted-on one, in order.
  size_t next = 0;
  for (size_t j = 0; j < width; ++j) {
    if (named[j]) continue;
    while (next < fromPasteColumn.size() &&
           (fromPasteColumn[next] == ColumnRole::Weight || Contains(used, fromPasteColumn[next]))) {
      ++next;
    }
    if (next >= fromPasteColumn.size()) break;
    plan.roles[j] = fromPasteColumn[next];
    used.push_back(fromPasteColumn[next++]);
  }
  for (size_t j = 0; j < width; ++j) {
    const ColumnRole inPlace = j < fromPasteColumn.size() ? fromPasteColumn[j] : ColumnRole::None;
    if ((plan.roles[j] == ColumnRole::None && block.ColumnHasValues(j)) ||
        (named[j] && plan.roles[j] != inPlace)) {
      plan.ask = true;
    }
  }
  // The likely meaning of a column left out, offered first when the user is asked.
  if (plan.ask && Contains(shown, ColumnRole::Weight) && !Contains(used, ColumnRole::Weight)) {
    for (size_t j = 0; j < width; ++j) {
      if (plan.roles[j] == ColumnRole::None && AllWholeNumbersFromOne(block, j)) {
        plan.roles[j] = ColumnRole::Weight;
        break;
      }
    }
  }
  return plan;
}

std::string CheckRoles(const std::vector<ColumnRole>& roles) {
  std::vector<ColumnRole> seen;
  for (ColumnRole role : roles) {
    if (role == ColumnRole::None) continue;
    if (Contains(seen, role)) return "Two columns are chosen for " + RoleName(role) + ".";
    seen.push_back(role);
  }
  return seen.empty() ? "No column is chosen." : "";
}

std::string PasteRefusal(size_t blockColumns, const std::vector<ColumnRole>& shown) {
  std::string has;
  for (size_t i = 0; i < shown.size(); ++i) {
    if (i > 0) has += i + 1 == shown.size() ? " and " : ", ";
    has += RoleName(shown[i]);
  }
  std::string text = "Nothing was pasted: the pasted block has " + std::to_string(blockColumns) +
                     " columns, and the table has " + has + ".";
  if (!Contains(shown, ColumnRole::Z)) {
    text += " To paste a Z column, first set \"Nr. of independent variables\" to 2.";
  }
  if (!Contains(shown, ColumnRole::Weight)) {
    text += " To paste weight factors, first choose \"Weight factors are needed\".";
  }
  text += " Then paste again and say which column is Y, X, Z or the weight.";
  return text;
}

}  // namespace vornax::app
