// Gathering a change of the grid, and doing and undoing it.
#include "app/GridCommands.h"

#include <algorithm>

#include "app/DataGrid.h"

namespace vornax::app {

GridEdit::GridEdit(const DataGrid& grid)
    : grid_(grid), rowsBefore_(grid.DataRows()), rowsAfter_(grid.DataRows()) {}

void GridEdit::SetRows(int rows) {
  rows = std::max(rows, 0);
  // The cells of rows taken away: kept, so that the undo brings them back.
  for (int r = rows + 1; r <= rowsBefore_; ++r) {
    for (int c = kYColumn; c < kGridColumnCount; ++c) {
      const QString text = grid_.CellText(r, c);
      if (!text.isEmpty()) cells_.push_back({r, c, text, QString()});
    }
  }
  for (int r = std::max(rowsAfter_, rowsBefore_) + 1; r <= rows; ++r) SetCell(r, kWeightColumn, "1");
  rowsAfter_ = rows;
}

void GridEdit::SetCell(int row, int column, const QString& text) {
  const QString before = row <= rowsBefore_ ? grid_.CellText(row, column) : QString();
  cells_.push_back({row, column, before, text});
}

void GridEdit::SetNames(const ColumnNames& names) {
  names_ = std::array<ColumnNames, 2>{grid_.ColumnNames(), names};
}

void GridEdit::SetFrame(const GridFrame& frame) {
  frame_ = std::array<GridFrame, 2>{grid_.ReadFrame ? grid_.ReadFrame() : GridFrame{}, frame};
}

void GridEdit::SetFrame(const GridFrame& before, const GridFrame& after) {
  frame_ = std::array<GridFrame, 2>{before, after};
}

bool GridEdit::IsEmpty() const {
  const bool cellsChange = std::any_of(cells_.begin(), cells_.end(), [](const CellChange& c) {
    return c.before != c.after;
  });
  return !cellsChange && rowsBefore_ == rowsAfter_ && (!names_ || (*names_)[0] == (*names_)[1]) &&
         (!frame_ || (*frame_)[0] == (*frame_)[1]);
}

GridEditCommand::GridEditCommand(DataGrid& grid, GridEdit edit, const QString& text)
    : QUndoCommand(text), grid_(grid), edit_(std::move(edit)) {}

void GridEditCommand::redo() { Apply(true); }
void GridEditCommand::undo() { Apply(false); }

void GridEditCommand::NameState(bool after, const QString& other, const QString& fileName) {
  if (edit_.frame_) {
    (*edit_.frame_)[after ? 1 : 0].FileName = fileName;
    return;
  }
  if (!names_) names_ = std::array<QString, 2>{other, other};
  (*names_)[after ? 1 : 0] = fileName;
}

void GridEditCommand::Apply(bool forward) {
  const int from = forward ? edit_.rowsBefore_ : edit_.rowsAfter_;
  const int to = forward ? edit_.rowsAfter_ : edit_.rowsBefore_;
  grid_.setUpdatesEnabled(false);
  // The frame first: it shows and hides the columns the cells belong to.
  if (edit_.frame_ && grid_.WriteFrame) grid_.WriteFrame((*edit_.frame_)[forward ? 1 : 0]);
  if (names_ && grid_.WriteFileName) grid_.WriteFileName((*names_)[forward ? 1 : 0]);
  grid_.SetDataRows(std::max(from, to));
  int top = -1, bottom = -1, left = kGridColumnCount, right = -1;
  auto set = [&](const GridEdit::CellChange& c) {
    grid_.SetCellText(c.row, c.column, forward ? c.after : c.before);
    if (c.before == c.after || c.row > to) return;
    top = top < 0 ? c.row : std::min(top, c.row);
    bottom = std::max(bottom, c.row);
    left = std::min(left, c.column);
    right = std::max(right, c.column);
  };
  // Forward in the order gathered (the later text of a cell wins), backward in reverse (every
  // old text is the one the cell held before the whole edit).
  if (forward) {
    std::for_each(edit_.cells_.begin(), edit_.cells_.end(), set);
  } else {
    std::for_each(edit_.cells_.rbegin(), edit_.cells_.rend(), set);
  }
  grid_.SetDataRows(to);
  if (edit_.names_) grid_.SetColumnNames((*edit_.names_)[forward ? 1 : 0]);
  grid_.setUpdatesEnabled(true);
  // What changed is shown, unless other data came or went as a whole (a file, another layout).
  bool wholeData = false;
  if (edit_.frame_) {
    const GridFrame& a = (*edit_.frame_)[0];
    const GridFrame& b = (*edit_.frame_)[1];
    wholeData = a.FileName != b.FileName || a.NrOfVarInData != b.NrOfVarInData || a.Weights != b.Weights;
  }
  grid_.EditDone(wholeData ? -1 : top, bottom, left, right);
}

}  // namespace vornax::app
