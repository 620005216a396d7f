#pragma once

#include <QObject>

namespace vornax::app::test {

class VornaxFormTest : public QObject {
  Q_OBJECT
 private slots:
  void CaptionsMenusAndShortcuts();
  void InputTabControlsAndDefaultGrid();
  void TwoLinePasteAsksToKeepTheFormerNumber();
  void PastedNumbersKeepExponentAndDecimalComma();
  void PasteGrowsTheGridAndStopsAtTheLastColumn();
  void PasteIntoACellBeingEdited();
  void DataCountBoxIsCheckedWhenLeft();
  void CurvedPreferenceWithBothVariables();
  void PreferenceAndExclusionBoxes();
  void ChangingLayoutKeepsTypedCells();
  void GridKeyboardCutCopySelectAll();
  void TypedCellsWithEnterGoDown();
  void SaveCalculateShowsTheReportAndAnovaToggles();
  void WeightFactorsRunAndStayInTheGrid();
  void DroppedRowsLeaveTheRestInTheirOrder();
  void SaveCalculateCancelledOrRefused();
  void OptionsChangedByARunAreShown();
  void BreakpointFieldsReachTheRun();
  void TwoVariableRunShowsTheCopiedSelections();
  void OpenInputFileAndABadRecord();
  void UnsavedEditsAreNotLostSilently();
  void OpenOutputFile();
  void ClosingShowsTheFinishWindow();
  void RealMessageBoxesAreAnswered();
  // Last: ending the program leaves no event loop to run after it.
  void FinishEndsTheEventLoop();
};

}  // namespace vornax::app::test
