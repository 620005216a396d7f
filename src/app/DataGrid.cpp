#include "app/DataGrid.h"

#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QStyledItemDelegate>

#include <algorithm>

#include "app/GridPaste.h"

namespace vornax::app {
namespace {

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

 private:
  DataGrid* grid_;
};

}  // namespace

DataGrid::DataGrid(QWidget* parent) : QTableWidget(0, kGridColumns, parent) {
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
  setAlternatingRowColors(true);
  connect(this, &QTableWidget::itemChanged, this, [this](QTableWidgetItem* item) {
    if (filling_ || item->column() == kSerialColumn) return;
    // A typed value with a decimal comma is shown, and kept, with a decimal point.
    const QString cleaned =
        QString::fromStdString(WithDecimalPoint(item->text().trimmed().toStdString()));
    if (cleaned != item->text()) {
      filling_ = true;
      item->setText(cleaned);
      filling_ = false;
    }
    if (OnCellsEdited) OnCellsEdited();
  });
}

QString DataGrid::CellText(int gridRow, int column) const {
  const QTableWidgetItem* it = item(gridRow - 1, column);
  return it ? it->text() : QString();
}

void DataGrid::SetCellText(int gridRow, int column, const QString& text) {
  const bool wasFilling = filling_;
  filling_ = true;
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
  filling_ = wasFilling;
}

void DataGrid::SetDataRows(int rows) {
  const int old = rowCount();
  setRowCount(std::max(rows, 0));
  if (rows > old) Renumber(old + 1);
}

void DataGrid::Renumber(int fromRow) {
  for (int r = std::max(fromRow, 1); r <= rowCount(); ++r) {
    SetCellText(r, kSerialColumn, QString::number(r));
  }
}

void DataGrid::CommitEdit() {
  if (state() != QAbstractItemView::EditingState) return;
  if (QWidget* editor = indexWidget(currentIndex())) {
    commitData(editor);
    QTableWidget::closeEditor(editor, QAbstractItemDelegate::NoHint);
  }
}

void DataGrid::closeEditor(QWidget* editor, QAbstractItemDelegate::EndEditHint hint) {
  // Enter commits the cell and goes down one row, as in a spreadsheet.
  if (hint == QAbstractItemDelegate::SubmitModelCache) {
    QTableWidget::closeEditor(editor, QAbstractItemDelegate::NoHint);
    const QModelIndex below = model()->index(currentIndex().row() + 1, currentIndex().column());
    if (below.isValid()) setCurrentIndex(below);
    return;
  }
  QTableWidget::closeEditor(editor, hint);
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
  ClearSelectedCells();
}

void DataGrid::DeleteSelection() { ClearSelectedCells(); }

void DataGrid::ClearSelectedCells() {
  bool changed = false;
  filling_ = true;
  for (const QTableWidgetSelectionRange& range : selectedRanges()) {
    for (int r = range.topRow(); r <= range.bottomRow(); ++r) {
      for (int c = std::max(range.leftColumn(), 1); c <= range.rightColumn(); ++c) {
        if (QTableWidgetItem* it = item(r, c); it && !it->text().isEmpty()) {
          it->setText(QString());
          changed = true;
        }
      }
    }
  }
  filling_ = false;
  if (changed && OnCellsEdited) OnCellsEdited();
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
  SetCellText(at.row() + 1, at.column(),
              QString::fromStdString(WithDecimalPoint(text.trimmed().toStdString())));
  if (OnCellsEdited) OnCellsEdited();
}

void DataGrid::keyPressEvent(QKeyEvent* event) {
  if (state() != QAbstractItemView::EditingState) {
    if (event->matches(QKeySequence::Copy)) return CopySelection();
    if (event->matches(QKeySequence::Cut)) return CutSelection();
    if (event->matches(QKeySequence::Paste)) return PasteClipboard();
    if (event->matches(QKeySequence::SelectAll)) return selectAll();
    if (event->key() == Qt::Key_Delete || event->key() == Qt::Key_Backspace) {
      return DeleteSelection();
    }
    // Enter goes down a row, as after an edit.
    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) &&
        event->modifiers() == Qt::NoModifier) {
      const QModelIndex below = model()->index(currentIndex().row() + 1, currentIndex().column());
      if (below.isValid()) setCurrentIndex(below);
      return;
    }
  }
  QTableWidget::keyPressEvent(event);
}

void DataGrid::contextMenuEvent(QContextMenuEvent* event) {
  QMenu menu(this);
  menu.addAction("Cu&t", QKeySequence::Cut, this, [this] { CutSelection(); });
  menu.addAction("&Copy", QKeySequence::Copy, this, [this] { CopySelection(); });
  menu.addAction("&Paste", QKeySequence::Paste, this, [this] { PasteClipboard(); });
  menu.addAction("&Delete", QKeySequence::Delete, this, [this] { DeleteSelection(); });
  menu.addSeparator();
  menu.addAction("Select &All", QKeySequence::SelectAll, this, [this] { selectAll(); });
  menu.exec(event->globalPos());
}

}  // namespace vornax::app
