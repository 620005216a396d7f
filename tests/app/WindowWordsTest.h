#pragma once

#include <QObject>

namespace vornax::app::test {

// What the window says is true of what it shows: the partial regression's graph and summary,
// the warnings and verdicts of the summary, the menus and buttons that are greyed out and why,
// the columns a table's header names, the preference lines, a layout that fits small screens,
// and the help and dialogs of paste and graph files.
class WindowWordsTest : public QObject {
  Q_OBJECT
 private slots:
  void PartialRegressionDescribedAsDrawn();
  void EveryRunsWarningsInItsSummary();
  void SummarySaysNotSignificantAndHowTheSCurveRuns();
  void RecentFilesOpenInAFirstSession();
  void BeltButtonSaysWhyThereIsNoBelt();
  void TableColumnsChosenAndCaptionedByTheirNames();
  void PreferenceLinesTrueForTheChoice();
  void WindowFitsSmallScreensWithoutOverlaps();
  void PasteHelpGraphNameAndTheRowLimit();
};

}  // namespace vornax::app::test
