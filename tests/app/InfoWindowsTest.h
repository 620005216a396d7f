#pragma once

#include <QObject>

namespace vornax::app::test {

class InfoWindowsTest : public QObject {
  Q_OBJECT
 private slots:
  void IntroTextsAndWindowCaptions();
  void SignificanceTestsAloneShowMoreInfo();
  void IntroTabKeepsAZTitledDataSet();
  void FiguresAreDecodedJpegPictures();
  void SymbolsListIsReadOnlyAndScrolls();
  void ConfidenceHelpClosesWithTheInputTab();
  void FinishWindowTitleBarCloseEndsTheProgram();
};

}  // namespace vornax::app::test
