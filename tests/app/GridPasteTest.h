#pragma once

#include <QObject>

namespace vornax::app::test {

class GridPasteTest : public QObject {
  Q_OBJECT
 private slots:
  void LinesBreakAtEveryLineEnd();
  void CellsKeepTheirTextCleanedOfBlanksAndCommas();
  void ACellIsANumberOnlyWhenWhollyOne();
  void AHeaderLineIsNeverData();
  void HeaderNamesStandForRoles();
  void BlocksArePlacedOrTheUserAsked();
  void ChosenRolesAreCheckedAndARefusalSaysWhatToDo();
  void MultiCellTextIsRecognised();
};

}  // namespace vornax::app::test
