// Text copied from a spreadsheet, taken apart into the cells of the data grid.
//
// Plain C++ (no Qt), so the rules can be checked on their own: lines break at every line end a
// spreadsheet may write (LF, CR LF or a lone CR), cells at tabs, and each cell keeps only the
// characters of a number.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace vornax::app {

// True when the text spans more than one cell: it holds a tab or a line end.
bool IsMultiCellPaste(std::string_view text);

// The lines of a paste, each split at its tabs into cells, every cell already cleaned by
// KeepNumberCharacters and WithDecimalPoint. A line end at the very end of the text ends the last
// line; it does not start an empty one.
std::vector<std::vector<std::string>> SplitPastedText(std::string_view text);

// The characters of a number: digits, ",", "-" and "."; "E" or "e" when it stands between a
// number and its exponent digits, and "+" directly after such an exponent letter. Everything else
// (letters, blanks, units, per cent signs) is dropped. A typographic minus becomes "-".
std::string KeepNumberCharacters(std::string_view cell);

// A cell written with a decimal comma (one comma, no point) gets a decimal point; any other cell
// is returned unchanged.
std::string WithDecimalPoint(std::string cell);

}  // namespace vornax::app
