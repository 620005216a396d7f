// A block of spreadsheet text pasted into the data grid, as one change that can be undone.
//
// A header line names the columns (and fills empty titles); a block that does not fit the
// columns shown is placed by the user's answer or not at all; rows of old data below a shorter
// block are kept or taken away by a plain question, each answer one more step to undo.
#pragma once

#include <QString>

#include "app/GridCommands.h"

namespace vornax::app {

class DataGrid;
class WindowDialogs;

// Pastes `text` at grid column `column`, grid row `row` (from 1). `maxRows` is the most rows the
// grid takes. True when anything was pasted.
bool PasteIntoGrid(DataGrid& grid, WindowDialogs& dialogs, int column, int row, const QString& text,
                   int maxRows);

// The question asked when a pasted block ends above the grid's last row that holds data, and its
// two answers: keep the rows below (index 0), or end the data at the block.
struct RowsBelowQuestion {
  std::string text;
  std::string keep, drop;
};
RowsBelowQuestion AskAboutRowsBelow(int firstRow, int lastRow, int gridRows);

// Empty titles take the names of the columns, as from a pasted header or a table's header row:
// the variables in the first ("yield by depth"), their roles in the second ("Y: yield, X: depth").
void TitlesFromNames(const ColumnNames& names, GridFrame& frame);

}  // namespace vornax::app
