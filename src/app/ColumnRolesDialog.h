// The question put when a pasted block does not fit the grid's columns: for each pasted column,
// whether it is Y, X, Z, the weight, or left out.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include <QDialog>

#include "app/GridPaste.h"

class QComboBox;
class QDialogButtonBox;
class QLabel;
class QPushButton;

namespace vornax::app {

struct ColumnQuestion {
  std::string text;                   // what does not fit, in plain words
  std::vector<std::string> columns;   // each pasted column: its name or number, and a sample
  std::vector<ColumnRole> choices;    // the roles the grid shows, offered besides "leave out"
  std::vector<ColumnRole> preselected;
};

// The question as a dialog: a choice box per pasted column, "Paste" and "Cancel". "Paste" is
// held while a role is chosen twice or nothing is chosen, and the reason is shown.
class ColumnRolesDialog : public QDialog {
 public:
  ColumnRolesDialog(const ColumnQuestion& question, QWidget* parent);
  std::vector<ColumnRole> Roles() const;
  std::vector<QComboBox*> Boxes;
  QDialogButtonBox* Buttons = nullptr;
  QPushButton* PasteButton = nullptr;

 private:
  void Check();
  std::vector<ColumnRole> choices_;
  QLabel* problem_ = nullptr;
};

// Shows the dialog; the roles chosen, or nothing when cancelled.
std::optional<std::vector<ColumnRole>> AskColumnRolesInDialog(const ColumnQuestion& question,
                                                              QWidget* parent);

}  // namespace vornax::app
