// Splitting and cleaning pasted spreadsheet text.
#include "app/GridPaste.h"

#include <algorithm>

namespace vornax::app {
namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// An exponent follows at `at`: digits, or a sign and then digits.
bool ExponentDigitsAt(std::string_view text, size_t at) {
  if (at < text.size() && (text[at] == '+' || text[at] == '-')) ++at;
  return at < text.size() && IsDigit(text[at]);
}

}  // namespace

bool IsMultiCellPaste(std::string_view text) {
  return text.find_first_of("\t\r\n") != std::string_view::npos;
}

std::string KeepNumberCharacters(std::string_view cell) {
  // U+2212 MINUS SIGN, as some spreadsheets copy a negative number: dropping it would turn -5
  // into 5 without a word.
  static constexpr std::string_view kTypographicMinus = "\xE2\x88\x92";
  std::string kept;
  bool exponentLetter = false;  // the last kept character is an exponent letter
  for (size_t i = 0; i < cell.size(); ++i) {
    const char c = cell[i];
    if (cell.substr(i, kTypographicMinus.size()) == kTypographicMinus) {
      kept += '-';
      i += kTypographicMinus.size() - 1;
      exponentLetter = false;
      continue;
    }
    if (IsDigit(c) || c == ',' || c == '-' || c == '.') {
      kept += c;
      exponentLetter = false;
    } else if ((c == 'E' || c == 'e') && !kept.empty() &&
               std::any_of(kept.begin(), kept.end(), IsDigit) &&
               (IsDigit(kept.back()) || kept.back() == '.') && ExponentDigitsAt(cell, i + 1)) {
      kept += c;
      exponentLetter = true;
    } else if (c == '+' && exponentLetter) {
      kept += c;
      exponentLetter = false;
    }
  }
  return kept;
}

std::string WithDecimalPoint(std::string cell) {
  if (std::count(cell.begin(), cell.end(), ',') == 1 && cell.find('.') == std::string::npos) {
    std::replace(cell.begin(), cell.end(), ',', '.');
  }
  return cell;
}

std::vector<std::vector<std::string>> SplitPastedText(std::string_view text) {
  std::vector<std::vector<std::string>> lines;
  std::vector<std::string> line;
  std::string raw;
  auto endCell = [&] {
    line.push_back(WithDecimalPoint(KeepNumberCharacters(raw)));
    raw.clear();
  };
  auto endLine = [&] {
    endCell();
    lines.push_back(std::move(line));
    line.clear();
  };
  for (size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '\t') {
      endCell();
    } else if (c == '\r' || c == '\n') {
      if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
      endLine();
    } else {
      raw += c;
    }
  }
  // The last line ends at the end of the text, with or without its own line end.
  if (!raw.empty() || !line.empty()) endLine();
  return lines;
}

}  // namespace vornax::app
