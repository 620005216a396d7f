// The window shown when the main window is closed: a last word and the button that ends the
// program. Closing it by its title bar ends the program just as "Finish" does.
#pragma once

#include <functional>

#include "forms/BaseForm.h"

class QPlainTextEdit;
class QPushButton;

namespace vornax::forms {

class TFinishForm : public TBaseForm {
 public:
  explicit TFinishForm(QWidget* parent = nullptr);

  // Called when the program is to end; main() quits the application from here.
  std::function<void()> OnFinish;

  QPlainTextEdit* FinishMemo = nullptr;
  QPushButton* FinishButton = nullptr;

 protected:
  void showEvent(QShowEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

 private:
  void Finish();
  bool finishing_ = false;
};

}  // namespace vornax::forms
