// The changes of the data grid, each one command on the grid's undo stack: typing, paste, cut,
// delete, "Clear data", the data-count box, the answer to the paste question, opening a file.
//
// A change is first gathered in a GridEdit (the cells with their old and new texts, the row
// count, and what surrounds the cells), then pushed; the command does it and undoes it. Nothing
// changes the grid's values except through these commands, so every change can be undone.
#pragma once

#include <array>
#include <optional>
#include <vector>

#include <QString>
#include <QUndoCommand>

namespace vornax::app {

class DataGrid;

inline constexpr int kGridColumnCount = 5;  // serial, Y, X, Z, weight

// The names of the grid columns given by a pasted header ("" where none was given).
using ColumnNames = std::array<QString, kGridColumnCount>;

// What surrounds the cells and changes with them when a file is opened or the data are cleared:
// the layout of the columns and the variables used, the titles and the file the data belong to.
// The window reads and writes it.
struct GridFrame {
  int NrOfVarInData = 1;
  int Use = 0;  // with two columns, those used: 0 both, 1 the first only, 2 the second only
  bool Weights = false;
  bool SingleIsZ = false;
  QString Title1, Title2;
  // The file the data belong to (an input file or a table), shown above the titles, named in
  // the window's title and proposed by the save dialog; empty: untitled data.
  QString FileName;
  bool operator==(const GridFrame&) const = default;
};

// One change, gathered before it is done. Cells are counted from row 1.
class GridEdit {
 public:
  explicit GridEdit(const DataGrid& grid);

  // The rows the grid will hold. New rows are empty with a weight factor of 1; the cells of rows
  // taken away are kept for the undo.
  void SetRows(int rows);
  void SetCell(int row, int column, const QString& text);
  void SetNames(const ColumnNames& names);
  void SetFrame(const GridFrame& frame);
  // For a frame already changed by the time the edit is gathered (a file read in).
  void SetFrame(const GridFrame& before, const GridFrame& after);
  bool IsEmpty() const;

 private:
  friend class GridEditCommand;
  struct CellChange {
    int row, column;
    QString before, after;
  };
  const DataGrid& grid_;
  int rowsBefore_;
  int rowsAfter_;
  std::vector<CellChange> cells_;  // a cell may come twice: the later text wins
  std::optional<std::array<ColumnNames, 2>> names_;  // before, after
  std::optional<std::array<GridFrame, 2>> frame_;
};

class GridEditCommand : public QUndoCommand {
 public:
  GridEditCommand(DataGrid& grid, GridEdit edit, const QString& text);
  void redo() override;
  void undo() override;
  // The file the data are after this step (or before it) from now on. A step that leaves the
  // frame alone keeps the name on its other side as `other`: it did not change the name, so the
  // data there were named as the saved ones were until the save.
  void NameState(bool after, const QString& other, const QString& fileName);

 private:
  void Apply(bool forward);
  DataGrid& grid_;
  GridEdit edit_;
  std::optional<std::array<QString, 2>> names_;  // before, after; for a step without a frame
};

}  // namespace vornax::app
