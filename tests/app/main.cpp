// The window tests: plain pasting rules first, then the main window with the dialogs answered
// by the test. Test functions named on the command line run in whichever class has them.
#include <QApplication>
#include <QMetaMethod>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

#include "BreakpointChoicesTest.h"
#include "GraphicsTabTest.h"
#include "GridEditTest.h"
#include "GridPasteTest.h"
#include "InfoWindowsTest.h"
#include "VornaxFormTest.h"
#include "WindowDataTest.h"
#include "WindowWorkTest.h"
#include "WindowWordsTest.h"

namespace {

// True when no test function is named, or one of the named ones belongs to `test`.
bool Wanted(const QObject& test, int argc, char* argv[]) {
  bool named = false;
  for (int i = 1; i < argc; ++i) {
    const QByteArray arg(argv[i]);
    if (arg.startsWith('-')) continue;
    named = true;
    const QByteArray function = arg.split(':').front() + "()";
    if (test.metaObject()->indexOfMethod(function) >= 0) return true;
  }
  return !named;
}

}  // namespace

int main(int argc, char* argv[]) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  QApplication::setApplicationName("Vornax segmented regression analysis");
  // The recent files and other settings go to a folder of the tests' own, never the user's.
  QTemporaryDir settings;
  QSettings::setDefaultFormat(QSettings::IniFormat);
  QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, settings.path());
  int status = 0;
  vornax::app::test::GridPasteTest paste;
  if (Wanted(paste, argc, argv)) status |= QTest::qExec(&paste, argc, argv);
  // The information windows run before the main window's tests, whose last one ends the program.
  vornax::app::test::InfoWindowsTest info;
  if (Wanted(info, argc, argv)) status |= QTest::qExec(&info, argc, argv);
  vornax::app::test::GraphicsTabTest graphics;
  if (Wanted(graphics, argc, argv)) status |= QTest::qExec(&graphics, argc, argv);
  vornax::app::test::GridEditTest gridEdit;
  if (Wanted(gridEdit, argc, argv)) status |= QTest::qExec(&gridEdit, argc, argv);
  vornax::app::test::WindowWorkTest work;
  if (Wanted(work, argc, argv)) status |= QTest::qExec(&work, argc, argv);
  vornax::app::test::WindowDataTest windowData;
  if (Wanted(windowData, argc, argv)) status |= QTest::qExec(&windowData, argc, argv);
  vornax::app::test::WindowWordsTest words;
  if (Wanted(words, argc, argv)) status |= QTest::qExec(&words, argc, argv);
  vornax::app::test::BreakpointChoicesTest breakpoints;
  if (Wanted(breakpoints, argc, argv)) status |= QTest::qExec(&breakpoints, argc, argv);
  vornax::app::test::VornaxFormTest form;
  if (Wanted(form, argc, argv)) status |= QTest::qExec(&form, argc, argv);
  return status;
}
