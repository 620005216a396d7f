// The desktop program: the main window, and the input file named on the command line (if any)
// opened as "Open input" would.
#include <QApplication>
#include <QFont>

#include <cstring>
#include <iostream>

#include "app/VornaxForm.h"
#include "data/Version.h"

int main(int argc, char* argv[]) {
  // Answered before the window is made, so that it needs no display.
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--version") == 0) {
      std::cout << vornax::VersionLine("vornax") << '\n';
      return 0;
    }
    if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
      std::cout << "Usage: vornax [FILE.inp]\n"
                   "       vornax --version | --help\n\n"
                   "Opens the window of Vornax, segmented linear regression, with the input file\n"
                   "FILE.inp (if given) in the Input tab. The same analyses run without a window\n"
                   "in vornax-batch (vornax-batch --help).\n";
      return 0;
    }
  }
  QApplication app(argc, argv);
  QApplication::setApplicationName("Vornax segmented regression analysis");
  QApplication::setOrganizationName("Vornax");
  // The name of the installed desktop entry: the desktop shows the window under its icon and
  // menu name, and groups it with the entry it was started from.
  QGuiApplication::setDesktopFileName("org.vornax.Vornax");
  QFont font("Tahoma");
  font.setPixelSize(13);
  QApplication::setFont(font);
  vornax::app::TVornaxForm window;
  window.show();
  const QStringList args = QApplication::arguments();
  if (args.size() > 1) window.InputTabSheet->OpenInputFile(args.at(1));
  return app.exec();
}
