// The window tests: plain pasting rules first, then the main window with the dialogs answered
// by the test.
#include <QApplication>
#include <QTest>

#include "GridPasteTest.h"
#include "VornaxFormTest.h"

int main(int argc, char* argv[]) {
  qputenv("QT_QPA_PLATFORM", qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
  QApplication app(argc, argv);
  QApplication::setApplicationName("Vornax segmented regression analysis");
  int status = 0;
  vornax::app::test::GridPasteTest paste;
  status |= QTest::qExec(&paste, argc, argv);
  vornax::app::test::VornaxFormTest form;
  status |= QTest::qExec(&form, argc, argv);
  return status;
}
