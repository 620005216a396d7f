#pragma once

#include <QObject>

namespace vornax::app::test {

// The grid keeps what the user typed: each test drives the grid with key and clipboard events and
// checks the data set that "Save-Calculate" hands to the analysis.
class GridEditTest : public QObject {
  Q_OBJECT
 private slots:
  void PasteQuestionSaysWhatEachAnswerDoes();
  void EveryChangeIsUndoneAndRedone();
  void AHeaderLineNamesTheColumns();
  void AMismatchedBlockIsPlacedByTheUserOrRefused();
  void TheColumnDialogHoldsTwiceChosenRoles();
  void IncompleteRowsAreNamedMarkedAndLeftOut();
  void ABadCellIsNamedAndSelected();
  void TabAndEnterWalkRowsAsInASpreadsheet();
  void ColumnsWidenToTheirNumbers();
  void TheReportStaysAndOnlyReportsOpen();
};

}  // namespace vornax::app::test
