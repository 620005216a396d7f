// The Output tab: the report of the run just made or of an output file opened, the summary of
// the result in plain words above it, the ANOVA table in its place, and the symbols window.
#pragma once

#include <QWidget>

class QLabel;
class QPlainTextEdit;
class QPushButton;

namespace vornax::forms {
class TSymbolsForm;
}  // namespace vornax::forms

namespace vornax::app {

class TVornaxForm;

class TOutputTab : public QWidget {
 public:
  explicit TOutputTab(TVornaxForm& form);

  // ---- event handlers, named by control and event ----
  void OutputTabSheetShow();
  void OutputTabSheetExit();
  void OutputOpenActionExecute();
  void AnovaButtonClick();
  void SymbolsButtonClick();

  // The report of the session's output lines in the text box.
  void ShowOutputLines();
  // The report and its buttons shown or hidden; the summary follows.
  void ShowOutputControls(bool show);
  void ShowSummary();

  // The run's result in plain words above the report; only for the output of the run just
  // made (an output opened from disk has no numbers behind it here).
  bool SummaryForShownOutput = false;

  // ---- controls ----
  QPlainTextEdit* OutputMemo = nullptr;
  QLabel* SummaryPanel = nullptr;
  QPushButton* OutputOpenButton = nullptr;
  QPushButton* AnovaButton = nullptr;
  QPushButton* SymbolsButton = nullptr;
  QPushButton* SeeGraphButton = nullptr;

  forms::TSymbolsForm* SymbolsForm = nullptr;

 private:
  TVornaxForm& form_;
};

}  // namespace vornax::app
