#pragma once

#include <QObject>

namespace vornax::app::test {

class GridPasteTest : public QObject {
  Q_OBJECT
 private slots:
  void LinesBreakAtEveryLineEnd();
  void CellsKeepTheCharactersOfANumber();
  void ADecimalCommaBecomesAPoint();
  void MultiCellTextIsRecognised();
};

}  // namespace vornax::app::test
