// The desktop program: the main window, and the input file named on the command line (if any)
// opened as "Open input" would.
#include <QApplication>
#include <QFont>

#include "app/VornaxForm.h"

int main(int argc, char* argv[]) {
  QApplication app(argc, argv);
  QApplication::setApplicationName("Vornax segmented regression analysis");
  QApplication::setOrganizationName("Vornax");
  QFont font("Tahoma");
  font.setPixelSize(13);
  QApplication::setFont(font);
  vornax::app::TVornaxForm window;
  window.show();
  const QStringList args = QApplication::arguments();
  if (args.size() > 1) window.InputTabSheet->OpenInputFile(args.at(1));
  return app.exec();
}
