#pragma once

#include <QObject>

namespace vornax::app::test {

class GraphicsTabTest : public QObject {
  Q_OBJECT
 private slots:
  void StartAndUnreadableOutputDrawNothing();
  void SeeGraphCalcObsAndBack();
  void ChoicesGoAndTheBeltToggle();
  void ManyDataSetsDisableTheBeltUntilAGraphThatHasOne();
  void SaveAndOpenGraphFiles();
  void LargerWindowLargerGraphSameProportions();
  void ButtonsKeepTheirPlaces();
  void CopyGraphAndPrint();
};

}  // namespace vornax::app::test
