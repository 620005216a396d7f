// The data grid of the Input tab: a table with a fixed title row and a fixed serial column,
// that behaves as a spreadsheet at the keyboard. Typing starts editing, Enter goes down a row,
// Tab to the next cell; Ctrl+C, Ctrl+X, Ctrl+V, Delete and Ctrl+A act on the selected cells.
// Text that spans several cells (tabs or line ends), pasted into the grid or into a cell being
// edited, is handed to the window as one multi-cell paste.
#pragma once

#include <functional>

#include <QString>
#include <QTableWidget>

namespace vornax::app {

// Grid columns: serial, Y, X, Z, weight. All five always exist; Z and the weight column are
// hidden when the data have one independent variable or no weight factors, so that what was
// typed in them comes back when they are shown again.
enum GridColumn { kSerialColumn = 0, kYColumn = 1, kXColumn = 2, kZColumn = 3, kWeightColumn = 4 };
inline constexpr int kGridColumns = 5;

class DataGrid : public QTableWidget {
 public:
  explicit DataGrid(QWidget* parent = nullptr);

  // (grid column, grid row counted from 1, text): a multi-cell paste.
  std::function<void(int, int, const QString&)> OnMultiCellPaste;
  // After the user changed cells (typing, cutting, deleting, a single-cell paste).
  std::function<void()> OnCellsEdited;

  QString CellText(int gridRow, int column) const;
  void SetCellText(int gridRow, int column, const QString& text);
  int DataRows() const { return rowCount(); }
  // Sets the number of data rows; new rows are empty and numbered.
  void SetDataRows(int rows);
  void Renumber(int fromRow = 1);

  // Finishes a cell edit in progress, so its text is in the grid.
  void CommitEdit();

  // The clipboard commands on the selected cells.
  void CopySelection();
  void CutSelection();
  void PasteClipboard();
  void DeleteSelection();

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void contextMenuEvent(QContextMenuEvent* event) override;
  void closeEditor(QWidget* editor, QAbstractItemDelegate::EndEditHint hint) override;

 private:
  void ClearSelectedCells();
  bool filling_ = false;
};

}  // namespace vornax::app
