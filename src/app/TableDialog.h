// The column dialog of a table being opened: its first rows as a grid, and a box each for the
// columns of Y, X, Z and the weight factors (Z and the weight may be left out).
#pragma once

#include <QDialog>

#include "run/TableImport.h"

class QComboBox;
class QDialogButtonBox;
class QLabel;
class QTableWidget;

namespace vornax::app {

class TTableColumnsDialog : public QDialog {
 public:
  // `start` holds the columns preselected, by number.
  TTableColumnsDialog(const QString& fileName, const TablePreview& preview,
                      const ImportChoices& start, QWidget* parent = nullptr);

  // The columns chosen, by number (the import takes names and numbers alike; numbers stay
  // right when two columns have the same name).
  ImportChoices Choices() const;

  QTableWidget* RowsTable = nullptr;
  QComboBox* YComboBox = nullptr;
  QComboBox* XComboBox = nullptr;
  QComboBox* ZComboBox = nullptr;
  QComboBox* WeightComboBox = nullptr;
  QLabel* ClashLabel = nullptr;
  QDialogButtonBox* Buttons = nullptr;

 private:
  void CheckChoices();
};

}  // namespace vornax::app
