// The Output tab: the report of the run just made or of an output file opened, the summary of
// the result in plain words above it, the ANOVA table in its place, and the symbols window.
#pragma once

#include <QWidget>

#include <atomic>
#include <memory>
#include <string>
#include <vector>

#include "data/RunResult.h"

class QLabel;
class QProgressBar;
class QThread;
class QPlainTextEdit;
class QPushButton;
class QScrollArea;

namespace vornax::forms {
class TSymbolsForm;
}  // namespace vornax::forms

namespace vornax::app {

class TVornaxForm;

class TOutputTab : public QWidget {
 public:
  explicit TOutputTab(TVornaxForm& form);
  ~TOutputTab() override;

  // ---- event handlers, named by control and event ----
  void OutputTabSheetShow();
  void OutputTabSheetExit();
  void OutputOpenActionExecute();
  void AnovaButtonClick();
  void SymbolsButtonClick();
  void CancelButtonClick();
  void ExportButtonClick();

  // Opens an output file as "Open output" does once a file is chosen; its saved summary, when
  // it belongs to this very report, is shown again above it.
  bool OpenOutputFile(const QString& path);
  // A run has written `outputPath` and shown its report: the summary (with the run's warnings)
  // is shown and saved beside the report, and the break test starts in the background when it
  // applies.
  void RunFinished(const QString& outputPath);
  bool BreakTestRunning() const;

  // The report of the session's output lines in the text box.
  void ShowOutputLines();
  // The report and its buttons shown or hidden; the summary follows.
  void ShowOutputControls(bool show);
  void ShowSummary();

  // The run's result in plain words above the report; only for the output of the run just
  // made (an output opened from disk has no numbers behind it here).
  bool SummaryForShownOutput = false;
  std::vector<std::string> SummaryTextLines;  // the summary shown, as saved beside the report
  // The shuffles of the break test in the window.
  int BreakTestPermutations = 999;

  // ---- controls ----
  QPlainTextEdit* OutputMemo = nullptr;
  QLabel* SummaryPanel = nullptr;
  QScrollArea* SummaryArea = nullptr;  // holds the summary
  QPushButton* OutputOpenButton = nullptr;
  QPushButton* AnovaButton = nullptr;
  QPushButton* SymbolsButton = nullptr;
  QPushButton* SeeGraphButton = nullptr;
  QPushButton* ExportButton = nullptr;
  // The break test under way: what it does, how far it is, and a way to stop it.
  QWidget* BreakTestPanel = nullptr;
  QLabel* BreakTestLabel = nullptr;
  QProgressBar* BreakTestProgress = nullptr;
  QPushButton* CancelButton = nullptr;

  forms::TSymbolsForm* SymbolsForm = nullptr;

 private:
  void StartBreakTest();
  void BreakTestDone(unsigned generation, const BreakTestResult& test);
  void StopBreakTest();
  void ComposeSummary();
  // The summary's box as tall as its text at the tab's width, within the share it may take.
  void FitSummaryHeight();
  void resizeEvent(QResizeEvent* event) override;
  void SaveSummary();
  void LoadSummary(const QString& outputPath);

  TVornaxForm& form_;
  QString summaryPath_;
  // The report shown is the one the session's result was written into (not one opened later).
  bool resultShown_ = false;
  // Each run or opened output starts a new generation: what an older break test reports after
  // that is dropped.
  unsigned generation_ = 0;
  std::shared_ptr<std::atomic<bool>> cancel_;
  std::unique_ptr<QThread> worker_;
};

}  // namespace vornax::app
