// The data grid of the Input tab: a table with a fixed title row and a fixed serial column,
// that behaves as a spreadsheet at the keyboard. Typing starts editing; Tab goes to the next
// cell and on to the next row's first value; Enter goes down a row, back to the column where a
// run of Tabs began; Ctrl+C, Ctrl+X, Ctrl+V, Delete and Ctrl+A act on the selected cells; Ctrl+Z
// undoes and Ctrl+Shift+Z or Ctrl+Y redoes. Text that spans several cells (tabs or line ends),
// pasted into the grid or into a cell being edited, is handed to the window as one multi-cell
// paste.
//
// Every change of the values is a command on the grid's undo stack (GridCommands.h).
#pragma once

#include <functional>
#include <vector>

#include <QString>
#include <QTableWidget>

#include "app/GridCommands.h"

class QUndoStack;

namespace vornax::app {

// Grid columns: serial, Y, X, Z, weight. All five always exist; Z and the weight column are
// hidden when the data have one independent variable or no weight factors, so that what was
// typed in them comes back when they are shown again.
enum GridColumn { kSerialColumn = 0, kYColumn = 1, kXColumn = 2, kZColumn = 3, kWeightColumn = 4 };
inline constexpr int kGridColumns = kGridColumnCount;

class DataGrid : public QTableWidget {
 public:
  explicit DataGrid(QWidget* parent = nullptr);

  // (grid column, grid row counted from 1, text): a multi-cell paste.
  std::function<void(int, int, const QString&)> OnMultiCellPaste;
  // After every change of the values, done, undone or redone.
  std::function<void()> OnGridChanged;
  // After the grid changed its width (columns widened, shown or hidden).
  std::function<void()> OnWidthChanged;
  // The window's side of a change: what surrounds the cells (layout, titles, file).
  std::function<GridFrame()> ReadFrame;
  std::function<void(const GridFrame&)> WriteFrame;
  // The name alone, for steps that leave the frame as it is.
  std::function<void(const QString&)> WriteFileName;

  QUndoStack& UndoStack() { return *undoStack_; }
  // Does the edit as one step that can be undone; false when it changes nothing.
  bool Apply(GridEdit edit, const QString& text);

  // The data shown, named `before` until now, were saved as `fileName`: the undo steps next to
  // this state name it so, and undoing and redoing back to it brings the name back with the data.
  void NameCurrentData(const QString& before, const QString& fileName);

  QString CellText(int gridRow, int column) const;
  int DataRows() const { return rowCount(); }
  // The rows whose shown value cells hold nothing at all.
  bool RowIsBlank(int gridRow) const;

  // Column captions: the given caption of each column, with the name a pasted header gave it.
  void SetCaptions(const std::array<QString, kGridColumns>& captions);
  const vornax::app::ColumnNames& ColumnNames() const { return names_; }
  // Widens the columns to their texts, never narrower than the standard widths, and fits the
  // grid's own width to the columns shown.
  void FitWidth();
  // Measures the texts again (narrower columns too), then FitWidth.
  void Refit();

  // Rows left out of the last run for an empty value: marked until they are complete.
  void MarkIncompleteRows(const std::vector<int>& rows);
  std::vector<int> MarkedRows() const;
  // Makes `gridRow`, `column` the current and only selected cell, scrolled into view.
  void SelectCell(int gridRow, int column);

  // Finishes a cell edit in progress, so its text is in the grid.
  void CommitEdit();

  // The clipboard commands on the selected cells.
  void CopySelection();
  void CutSelection();
  void PasteClipboard();
  void DeleteSelection();
  // A typed cell, as the cell editor hands it over.
  void TypeCell(int gridRow, int column, const QString& text);

  // ---- used by the commands; nothing else changes the values ----
  void SetCellText(int gridRow, int column, const QString& text);
  // Sets the number of data rows; new rows are empty and numbered.
  void SetDataRows(int rows);
  void SetColumnNames(const vornax::app::ColumnNames& names);
  // After a command: show the changed cells (top < 0: none), check the marks, widen the columns.
  void EditDone(int top, int bottom, int left, int right);

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void contextMenuEvent(QContextMenuEvent* event) override;
  void closeEditor(QWidget* editor, QAbstractItemDelegate::EndEditHint hint) override;
  QModelIndex moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers) override;
  void currentChanged(const QModelIndex& current, const QModelIndex& previous) override;

 private:
  void Renumber(int fromRow);
  void ClearSelectedCells(const QString& text);
  void GoDown();
  void ShowMark(int gridRow, bool marked);
  void WidenFor(int column, const QString& text);
  std::vector<int> ShownValueColumns() const;

  QUndoStack* undoStack_;
  vornax::app::ColumnNames names_{};
  std::array<QString, kGridColumns> captions_{};
  std::array<int, kGridColumns> contentWidth_{};  // the widest text of each column
  std::vector<int> marked_;
  int tabStartColumn_ = -1;  // where the present run of Tabs began
  bool tabbing_ = false;     // the current cell moves by Tab or Enter
};

}  // namespace vornax::app
