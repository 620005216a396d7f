// Text copied from a spreadsheet, taken apart into the cells of the data grid.
//
// Plain C++ (no Qt), so the rules can be checked on their own: lines break at every line end a
// spreadsheet may write (LF, CR LF or a lone CR), cells at tabs. A cell keeps its text: a number
// is a number only when the whole cell is one, so "Yield 2019 (t/ha)" is a name, never 2019.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vornax::app {

// What a grid column holds. `None` is a pasted column that goes nowhere.
enum class ColumnRole { Y, X, Z, Weight, None };

// "Y", "X", "Z", "Weight", or "(leave out)".
std::string RoleName(ColumnRole role);

// True when the text spans more than one cell: it holds a tab or a line end.
bool IsMultiCellPaste(std::string_view text);

// A cell as the grid keeps it: surrounding blanks (also no-break spaces) removed, a typographic
// minus made "-", and the decimal comma of a number made a point. Nothing else changes: letters,
// units and signs stay, for the run to name the cell if it is not a number.
std::string CleanCell(std::string_view cell);

// A cell written with a decimal comma (one comma, no point) gets a decimal point; any other cell
// is returned unchanged.
std::string WithDecimalPoint(std::string cell);

// True when the whole cleaned cell is one finite number ("1.2E+03", "-0.5"; not "2019 (t/ha)").
bool IsNumberCell(std::string_view cell);

// A pasted block: the names of its header line, if it had one, and its data lines.
struct PastedBlock {
  std::vector<std::string> names;  // empty when the first line is data
  std::vector<std::vector<std::string>> rows;
  size_t width = 0;  // columns up to the last one holding anything (trailing tabs add none)
  bool HasHeader() const { return !names.empty(); }
  // True when column `column` holds a value in some data line.
  bool ColumnHasValues(size_t column) const;
};

// Splits the text into lines (at LF, CR LF or a lone CR; a line end at the very end starts no
// empty line) and the lines at tabs into cells, each cleaned by CleanCell, and recognises a
// header: a first line that holds text and in which no cell is wholly a number. Header names
// are trimmed but otherwise kept as written.
PastedBlock ReadPastedBlock(std::string_view text);

// The role a header name stands for: "Y", "X" or "Z" as its first word ("Y (t/ha)"), and
// "weight", "weights", "w" or "weight factor" for the weight; anything else names no role.
std::optional<ColumnRole> RoleOfName(std::string_view name);

// Where each column of a block goes.
struct PastePlan {
  std::vector<ColumnRole> roles;  // one per block column
  // The block does not fit the grid as it stands: a column holding values would be left out, or
  // a header name sends a column elsewhere than its place. The user is asked.
  bool ask = false;
};

// `fromPasteColumn`: the roles of the shown columns from the pasted-on column to the last;
// `shown`: the roles of all shown data columns. Columns named by the header go to their role;
// the others fill the Y, X and Z columns from the pasted-on one in order. The weight column is
// never filled by position alone: an unnamed column for it is left out and the user asked (with
// the weight preselected when its values are all whole numbers of 1 or more).
PastePlan PlanPaste(const PastedBlock& block, const std::vector<ColumnRole>& fromPasteColumn,
                    const std::vector<ColumnRole>& shown);

// Why a choice of roles cannot be pasted ("" when it can): a role chosen twice, or nothing chosen.
std::string CheckRoles(const std::vector<ColumnRole>& roles);

// The refusal when the user does not say where the columns go: what the table has, and how to
// make room for a Z column or weight factors first.
std::string PasteRefusal(size_t blockColumns, const std::vector<ColumnRole>& shown);

}  // namespace vornax::app
