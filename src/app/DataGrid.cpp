#include "app/DataGrid.h"

#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QScrollBar>
#include <QStyledItemDelegate>
#include <QUndoStack>

#include <algorithm>

#include "app/GridPaste.h"

namespace vornax::app {
namespace {

constexpr int kSerialWidth = 45;
constexpr int kValueWidth = 75;
constexpr int kWidestValue = 320;    // a longer text is cut rather than the grid grown further
constexpr int kWidestCaption = 170;  // a long name in a caption is elided
constexpr int kCellMargin = 14;
constexpr int kRowsMeasuredWhole = 5000;
// Rows left out of a run for an empty value.
const QColor kIncompleteColour(255, 214, 153);
constexpr const char* kIncompleteTip = "Incomplete: this row is left out of the analysis";

QString Std2Q(const std::string& s) { return QString::fromStdString(s); }

// The editor of one cell. A paste of several cells does not go into the cell: the editor is
// closed and the grid spreads the text over the cells.
class CellEditor : public QLineEdit {
 public:
  CellEditor(QWidget* parent, DataGrid* grid) : QLineEdit(parent), grid_(grid) {}

 protected:
  void keyPressEvent(QKeyEvent* event) override {
    if (event->matches(QKeySequence::Paste) && PasteIntoGrid()) return;
    QLineEdit::keyPressEvent(event);
  }
  void contextMenuEvent(QContextMenuEvent* event) override {
    QMenu* menu = createStandardContextMenu();
    for (QAction* action : menu->actions()) {
      if (action->objectName() == "edit-paste" || action->text().remove('&').startsWith("Paste")) {
        disconnect(action, nullptr, this, nullptr);
        connect(action, &QAction::triggered, this, [this] {
          if (!PasteIntoGrid()) paste();
        });
      }
    }
    menu->exec(event->globalPos());
    delete menu;
  }

 private:
  bool PasteIntoGrid() {
    const QString text = QApplication::clipboard()->text();
    if (!IsMultiCellPaste(text.toStdString())) return false;
    const QModelIndex at = grid_->currentIndex();
    DataGrid* grid = grid_;
    // The editor goes away with the edit; the paste runs after it, outside the editor.
    QMetaObject::invokeMethod(grid, [grid, at, text] {
      if (grid->OnMultiCellPaste) grid->OnMultiCellPaste(at.column(), at.row() + 1, text);
    }, Qt::QueuedConnection);
    grid_->setFocus();
    return true;
  }
  DataGrid* grid_;
};

class CellDelegate : public QStyledItemDelegate {
 public:
  explicit CellDelegate(DataGrid* grid) : QStyledItemDelegate(grid), grid_(grid) {}
  QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem&,
                        const QModelIndex&) const override {
    auto* editor = new CellEditor(parent, grid_);
    editor->setFrame(false);
    editor->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    return editor;
  }
  // A typed value is a change of its own, which can be undone.
  void setModelData(QWidget* editor, QAbstractItemModel*, const QModelIndex& index) const override {
    if (auto* line = qobject_cast<QLineEdit*>(editor)) {
      grid_->TypeCell(index.row() + 1, index.column(), line->text());
    }
  }

 private:
  DataGrid* grid_;
};

}  // namespace

DataGrid::DataGrid(QWidget* parent)
    : QTableWidget(0, kGridColumns, parent), undoStack_(new QUndoStack(this)) {
  setItemDelegate(new CellDelegate(this));
  setEditTriggers(QAbstractItemView::AnyKeyPressed | QAbstractItemView::DoubleClicked |
                  QAbstractItemView::EditKeyPressed);
  setSelectionMode(QAbstractItemView::ContiguousSelection);
  setTabKeyNavigation(true);
  verticalHeader()->hide();
  verticalHeader()->setDefaultSectionSize(20);
  verticalHeader()->setMinimumSectionSize(20);
  horizontalHeader()->setHighlightSections(false);
  horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
  horizontalHeader()->setTextElideMode(Qt::ElideRight);
  setAlternatingRowColors(true);
  // Many rows of data are many steps to keep; a hundred changes back is plenty.
  undoStack_->setUndoLimit(100);
}

bool DataGrid::Apply(GridEdit edit, const QString& text) {
  if (edit.IsEmpty()) return false;
  undoStack_->push(new GridEditCommand(*this, std::move(edit), text));
  return true;
}

void DataGrid::NameCurrentData(const QString& before, const QString& fileName) {
  // The state now shown is the state after the step last done and before the step that would be
  // redone; both steps name it, so that going back and forth over them restores the name.
  const int at = undoStack_->index();
  auto name = [&](int index, bool after) {
    if (index < 0 || index >= undoStack_->count()) return;
    if (auto* step = dynamic_cast<const GridEditCommand*>(undoStack_->command(index))) {
      const_cast<GridEditCommand*>(step)->NameState(after, before, fileName);
    }
  };
  name(at - 1, true);
  name(at, false);
}

QString DataGrid::CellText(int gridRow, int column) const {
  const QTableWidgetItem* it = item(gridRow - 1, column);
  return it ? it->text() : QString();
}

bool DataGrid::RowIsBlank(int gridRow) const {
  for (int c : ShownValueColumns()) {
    if (c != kWeightColumn && !CellText(gridRow, c).trimmed().isEmpty()) return false;
  }
  const QString weight = CellText(gridRow, kWeightColumn).trimmed();
  return isColumnHidden(kWeightColumn) || weight.isEmpty() || weight == "1";
}

std::vector<int> DataGrid::ShownValueColumns() const {
  std::vector<int> columns;
  for (int c = kYColumn; c < kGridColumns; ++c) {
    if (!isColumnHidden(c)) columns.push_back(c);
  }
  return columns;
}

void DataGrid::SetCellText(int gridRow, int column, const QString& text) {
  QTableWidgetItem* it = item(gridRow - 1, column);
  if (!it) {
    it = new QTableWidgetItem;
    if (column == kSerialColumn) {
      it->setFlags(Qt::ItemIsEnabled);
      it->setTextAlignment(Qt::AlignCenter);
      it->setBackground(palette().button());
    } else {
      it->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
    }
    setItem(gridRow - 1, column, it);
  }
  it->setText(text);
  WidenFor(column, text);
}

void DataGrid::SetDataRows(int rows) {
  const int old = rowCount();
  setRowCount(std::max(rows, 0));
  if (rows > old) Renumber(old + 1);
  marked_.erase(std::remove_if(marked_.begin(), marked_.end(), [rows](int r) { return r > rows; }),
                marked_.end());
}

void DataGrid::Renumber(int fromRow) {
  for (int r = std::max(fromRow, 1); r <= rowCount(); ++r) {
    SetCellText(r, kSerialColumn, QString::number(r));
  }
}

void DataGrid::SetColumnNames(const vornax::app::ColumnNames& names) {
  names_ = names;
  SetCaptions(captions_);
}

void DataGrid::SetCaptions(const std::array<QString, kGridColumns>& captions) {
  captions_ = captions;
  QStringList labels;
  for (int c = 0; c < kGridColumns; ++c) {
    const QString name = names_[static_cast<size_t>(c)];
    labels << (name.isEmpty() ? captions[static_cast<size_t>(c)]
                              : captions[static_cast<size_t>(c)].trimmed() + ": " + name);
  }
  setHorizontalHeaderLabels(labels);
  for (int c = 0; c < kGridColumns; ++c) {
    const QString name = names_[static_cast<size_t>(c)];
    horizontalHeaderItem(c)->setToolTip(name.isEmpty() ? QString() : labels[c]);
  }
  FitWidth();
}

void DataGrid::WidenFor(int column, const QString& text) {
  if (text.isEmpty() || column == kSerialColumn) return;
  const int width = std::min(fontMetrics().horizontalAdvance(text) + kCellMargin, kWidestValue);
  auto& widest = contentWidth_[static_cast<size_t>(column)];
  widest = std::max(widest, width);
}

void DataGrid::FitWidth() {
  int total = 0;
  const QFontMetrics header(horizontalHeader()->font());
  for (int c = 0; c < kGridColumns; ++c) {
    const int base = c == kSerialColumn ? kSerialWidth : kValueWidth;
    const QTableWidgetItem* caption = horizontalHeaderItem(c);
    const int captionWidth = caption && c != kSerialColumn
        ? std::min(header.horizontalAdvance(caption->text()) + kCellMargin, kWidestCaption)
        : 0;
    const int width = std::max({base, contentWidth_[static_cast<size_t>(c)], captionWidth});
    if (columnWidth(c) != width) setColumnWidth(c, width);
    if (!isColumnHidden(c)) total += width;
  }
  const int fitted = total + 2 * frameWidth() + verticalScrollBar()->sizeHint().width();
  if (fitted != width() || minimumWidth() != fitted) {
    setFixedWidth(fitted);
    if (OnWidthChanged) OnWidthChanged();
  }
}

void DataGrid::MarkIncompleteRows(const std::vector<int>& rows) {
  for (int r : marked_) ShowMark(r, false);
  marked_.clear();
  for (int r : rows) {
    if (r < 1 || r > rowCount()) continue;
    marked_.push_back(r);
    ShowMark(r, true);
  }
}

std::vector<int> DataGrid::MarkedRows() const { return marked_; }

void DataGrid::ShowMark(int gridRow, bool marked) {
  for (int c = 0; c < kGridColumns; ++c) {
    if (!item(gridRow - 1, c)) SetCellText(gridRow, c, QString());
    QTableWidgetItem* it = item(gridRow - 1, c);
    if (marked) {
      it->setBackground(kIncompleteColour);
      it->setToolTip(kIncompleteTip);
    } else {
      it->setBackground(c == kSerialColumn ? palette().button() : QBrush());
      it->setToolTip(QString());
    }
  }
}

void DataGrid::SelectCell(int gridRow, int column) {
  if (gridRow < 1 || gridRow > rowCount()) return;
  const QModelIndex index = model()->index(gridRow - 1, column);
  clearSelection();
  setCurrentIndex(index);
  scrollTo(index, QAbstractItemView::PositionAtCenter);
  setFocus();
}

void DataGrid::EditDone(int top, int bottom, int left, int right) {
  // A marked row stays marked only while it is still incomplete.
  std::vector<int> still;
  for (int r : marked_) {
    bool complete = true;
    for (int c : ShownValueColumns()) complete = complete && !CellText(r, c).trimmed().isEmpty();
    if (complete) ShowMark(r, false);
    else still.push_back(r);
  }
  marked_ = std::move(still);
  clearSelection();
  if (top >= 1 && top <= rowCount()) {
    const int lastRow = std::min(bottom, rowCount());
    selectionModel()->setCurrentIndex(model()->index(top - 1, left), QItemSelectionModel::NoUpdate);
    setRangeSelected(QTableWidgetSelectionRange(top - 1, left, lastRow - 1, right), true);
    scrollTo(model()->index(top - 1, left));
  }
  Refit();
  if (OnGridChanged) OnGridChanged();
}

void DataGrid::Refit() {
  // The widths follow the texts both ways while that is quick; with very many rows they only
  // grow.
  if (rowCount() <= kRowsMeasuredWhole) {
    contentWidth_.fill(0);
    for (int r = 1; r <= rowCount(); ++r) {
      for (int c = kYColumn; c < kGridColumns; ++c) WidenFor(c, CellText(r, c));
    }
  }
  FitWidth();
}

void DataGrid::CommitEdit() {
  if (state() != QAbstractItemView::EditingState) return;
  if (QWidget* editor = indexWidget(currentIndex())) {
    commitData(editor);
    QTableWidget::closeEditor(editor, QAbstractItemDelegate::NoHint);
  }
}

void DataGrid::TypeCell(int gridRow, int column, const QString& text) {
  if (column == kSerialColumn || gridRow < 1 || gridRow > rowCount()) return;
  // A typed value with a decimal comma is shown, and kept, with a decimal point.
  GridEdit edit(*this);
  edit.SetCell(gridRow, column, Std2Q(CleanCell(text.toStdString())));
  Apply(std::move(edit), "Typing");
}

void DataGrid::GoDown() {
  // Enter goes down a row, to the column where a run of Tabs began, as in a spreadsheet.
  const int column = tabStartColumn_ >= 0 ? tabStartColumn_ : currentIndex().column();
  const QModelIndex below = model()->index(currentIndex().row() + 1, column);
  tabStartColumn_ = -1;
  if (below.isValid()) setCurrentIndex(below);
}

void DataGrid::closeEditor(QWidget* editor, QAbstractItemDelegate::EndEditHint hint) {
  // Enter commits the cell and goes down one row.
  if (hint == QAbstractItemDelegate::SubmitModelCache) {
    QTableWidget::closeEditor(editor, QAbstractItemDelegate::NoHint);
    GoDown();
    return;
  }
  QTableWidget::closeEditor(editor, hint);
}

QModelIndex DataGrid::moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers) {
  if (action != MoveNext && action != MovePrevious) {
    return QTableWidget::moveCursor(action, modifiers);
  }
  // Tab walks the value cells shown, row by row; never onto the serial numbers.
  const std::vector<int> columns = ShownValueColumns();
  const QModelIndex at = currentIndex();
  if (columns.empty() || !at.isValid()) return at;
  int row = at.row();
  auto pos = std::find(columns.begin(), columns.end(), at.column());
  int i = pos == columns.end() ? -1 : static_cast<int>(pos - columns.begin());
  const int n = static_cast<int>(columns.size());
  if (action == MoveNext) {
    if (++i >= n) i = 0, ++row;
  } else {
    if (--i < 0) i = n - 1, --row;
  }
  const QModelIndex next = model()->index(row, columns[static_cast<size_t>(i)]);
  if (!next.isValid()) return at;
  if (tabStartColumn_ < 0) tabStartColumn_ = at.column();
  if (next.row() != at.row()) tabStartColumn_ = -1;
  tabbing_ = true;
  return next;
}

void DataGrid::currentChanged(const QModelIndex& current, const QModelIndex& previous) {
  // Any other move (a click, an arrow key) ends the run of Tabs.
  if (!tabbing_) tabStartColumn_ = -1;
  tabbing_ = false;
  QTableWidget::currentChanged(current, previous);
}

void DataGrid::CopySelection() {
  const QList<QTableWidgetSelectionRange> ranges = selectedRanges();
  if (ranges.isEmpty()) return;
  const QTableWidgetSelectionRange& range = ranges.front();
  QStringList lines;
  for (int r = range.topRow(); r <= range.bottomRow(); ++r) {
    QStringList cells;
    for (int c = range.leftColumn(); c <= range.rightColumn(); ++c) {
      if (isColumnHidden(c)) continue;
      cells << CellText(r + 1, c);
    }
    lines << cells.join('\t');
  }
  QApplication::clipboard()->setText(lines.join('\n') + '\n');
}

void DataGrid::CutSelection() {
  CopySelection();
  ClearSelectedCells("Cut");
}

void DataGrid::DeleteSelection() { ClearSelectedCells("Delete"); }

void DataGrid::ClearSelectedCells(const QString& text) {
  GridEdit edit(*this);
  for (const QTableWidgetSelectionRange& range : selectedRanges()) {
    for (int r = range.topRow(); r <= range.bottomRow(); ++r) {
      for (int c = std::max(range.leftColumn(), 1); c <= range.rightColumn(); ++c) {
        if (!isColumnHidden(c) && !CellText(r + 1, c).isEmpty()) edit.SetCell(r + 1, c, QString());
      }
    }
  }
  Apply(std::move(edit), text);
}

void DataGrid::PasteClipboard() {
  const QString text = QApplication::clipboard()->text();
  QModelIndex at = currentIndex();
  if (!at.isValid()) at = model()->index(0, kYColumn);
  if (!at.isValid() || text.isEmpty()) return;
  if (IsMultiCellPaste(text.toStdString())) {
    if (OnMultiCellPaste) OnMultiCellPaste(at.column(), at.row() + 1, text);
    return;
  }
  if (at.column() == kSerialColumn) return;
  GridEdit edit(*this);
  edit.SetCell(at.row() + 1, at.column(), Std2Q(CleanCell(text.toStdString())));
  Apply(std::move(edit), "Paste");
}

void DataGrid::keyPressEvent(QKeyEvent* event) {
  if (state() != QAbstractItemView::EditingState) {
    if (event->matches(QKeySequence::Copy)) return CopySelection();
    if (event->matches(QKeySequence::Cut)) return CutSelection();
    if (event->matches(QKeySequence::Paste)) return PasteClipboard();
    if (event->matches(QKeySequence::SelectAll)) return selectAll();
    if (event->matches(QKeySequence::Undo)) return undoStack_->undo();
    if (event->matches(QKeySequence::Redo) ||
        (event->key() == Qt::Key_Y && event->modifiers() == Qt::ControlModifier)) {
      return undoStack_->redo();
    }
    if (event->key() == Qt::Key_Delete || event->key() == Qt::Key_Backspace) {
      return DeleteSelection();
    }
    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) &&
        event->modifiers() == Qt::NoModifier) {
      return GoDown();
    }
  }
  QTableWidget::keyPressEvent(event);
}

void DataGrid::contextMenuEvent(QContextMenuEvent* event) {
  QMenu menu(this);
  QAction* undo = menu.addAction("&Undo " + undoStack_->undoText(), QKeySequence::Undo, this,
                                 [this] { undoStack_->undo(); });
  undo->setEnabled(undoStack_->canUndo());
  QAction* redo = menu.addAction("&Redo " + undoStack_->redoText(), QKeySequence::Redo, this,
                                 [this] { undoStack_->redo(); });
  redo->setEnabled(undoStack_->canRedo());
  menu.addSeparator();
  menu.addAction("Cu&t", QKeySequence::Cut, this, [this] { CutSelection(); });
  menu.addAction("&Copy", QKeySequence::Copy, this, [this] { CopySelection(); });
  menu.addAction("&Paste", QKeySequence::Paste, this, [this] { PasteClipboard(); });
  menu.addAction("&Delete", QKeySequence::Delete, this, [this] { DeleteSelection(); });
  menu.addSeparator();
  menu.addAction("Select &All", QKeySequence::SelectAll, this, [this] { selectAll(); });
  menu.exec(event->globalPos());
}

}  // namespace vornax::app
