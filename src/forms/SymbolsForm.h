// The list of the symbols used in the reports, shown beside the Output tab.
#pragma once

#include <QWidget>

class QPlainTextEdit;

namespace vornax::forms {

class TSymbolsForm : public QWidget {
 public:
  explicit TSymbolsForm(QWidget* parent = nullptr);
  QPlainTextEdit* SymbolsMemo = nullptr;
};

}  // namespace vornax::forms
