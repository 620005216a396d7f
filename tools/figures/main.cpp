// Draws the pictures of the Figures tab into JPEG files at build time, so that the program ships
// them as resources and decodes them when the tab is shown.
//
//   vornax-figures OUTPUT-FOLDER    (writes types.jpg, belt.jpg and methods.jpg)
#include <QDir>
#include <QGuiApplication>
#include <QImageWriter>

#include <cstdio>

#include "FigureDrawing.h"

int main(int argc, char* argv[]) {
  // Text needs a platform; the build has no screen.
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QGuiApplication app(argc, argv);
  if (argc != 2) {
    std::fprintf(stderr, "usage: vornax-figures OUTPUT-FOLDER\n");
    return 2;
  }
  if (!QImageWriter::supportedImageFormats().contains("jpeg")) {
    std::fprintf(stderr, "vornax-figures: this Qt has no JPEG writer (the qjpeg image-format plugin "
                         "of libqt6gui6 is missing)\n");
    return 1;
  }
  const QDir folder(QString::fromLocal8Bit(argv[1]));
  if (!QDir().mkpath(folder.path())) {
    std::fprintf(stderr, "vornax-figures: cannot create %s\n", argv[1]);
    return 1;
  }
  const struct {
    const char* name;
    QImage (*draw)();
  } figures[] = {{"types.jpg", vornax::figures::DrawTypesFigure},
                 {"belt.jpg", vornax::figures::DrawBeltFigure},
                 {"methods.jpg", vornax::figures::DrawMethodsFigure}};
  for (const auto& figure : figures) {
    const QString path = folder.filePath(figure.name);
    QImageWriter writer(path, "jpeg");
    // Thin coloured lines on dark blue smear at the usual qualities.
    writer.setQuality(95);
    if (!writer.write(figure.draw())) {
      std::fprintf(stderr, "vornax-figures: cannot write %s: %s\n", qPrintable(path),
                   qPrintable(writer.errorString()));
      return 1;
    }
  }
  return 0;
}
