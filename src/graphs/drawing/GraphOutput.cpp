// The graph on its devices: an image, SVG, PDF, and the graph files (the format by the name's
// extension, written through a temporary file beside the target).
#include <QBuffer>
#include <QCoreApplication>
#include <QFile>
#include <QGuiApplication>
#include <QImageReader>
#include <QImageWriter>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QSvgGenerator>
#include <algorithm>
#include <cctype>
#include <filesystem>
#include <optional>
#include <string>
#include <system_error>

#include "data/OwnFiles.h"
#include "data/TextFile.h"
#include "graphs/drawing/GraphDrawing.h"

namespace vornax {

void FitGraphInto(QPainter& painter, const QRectF& target) {
  const double scale = std::min(target.width() / kGraphWidth, target.height() / kGraphHeight);
  painter.translate(target.left() + (target.width() - kGraphWidth * scale) / 2,
                    target.top() + (target.height() - kGraphHeight * scale) / 2);
  painter.scale(scale, scale);
}

QSize FittedGraphSize(const QSize& area) {
  const double scale = std::min(1.0 * area.width() / kGraphWidth, 1.0 * area.height() / kGraphHeight);
  return QSize(std::max(1, static_cast<int>(std::lround(kGraphWidth * scale))),
               std::max(1, static_cast<int>(std::lround(kGraphHeight * scale))));
}

GraphPicture DrawGraph(const GraphData& source, const GraphOptions& options) {
  EnsureGraphApplication();
  GraphPicture out;
  const double ratio = options.DevicePixelRatio > 0 ? options.DevicePixelRatio : 1;
  const QSize size = options.Size.isValid() && !options.Size.isEmpty()
                         ? options.Size
                         : QSize(kGraphWidth, kGraphHeight);
  QImage image(size * ratio, QImage::Format_RGB32);
  image.setDevicePixelRatio(ratio);
  // What the frame leaves free when the size has other proportions is the frame's colour.
  image.fill(GraphFrameColour());
  bool drawn = false;
  {
    QPainter painter(&image);
    if (size != QSize(kGraphWidth, kGraphHeight)) FitGraphInto(painter, QRectF(QPointF(0, 0), size));
    drawn = PaintGraph(painter, source, options, out);
  }
  if (drawn) out.Image = std::move(image);
  return out;
}

QByteArray GraphSvg(const GraphData& data, const GraphOptions& options, GraphPicture& picture) {
  EnsureGraphApplication();
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  picture = GraphPicture{};
  {
    QSvgGenerator svg;
    svg.setOutputDevice(&buffer);
    svg.setSize(QSize(kGraphWidth, kGraphHeight));
    svg.setViewBox(QRect(0, 0, kGraphWidth, kGraphHeight));
    // A unit of the frame is a CSS pixel: 623 × 425 pixels where SVG is shown.
    svg.setResolution(96);
    // The generator writes the title into the XML as it is given.
    svg.setTitle(QString::fromStdString(data.Title1).toHtmlEscaped());
    svg.setDescription(QStringLiteral("Graph drawn by Vornax"));
    QPainter painter(&svg);
    PaintGraph(painter, data, options, picture);
  }
  return picture.Drawn ? bytes : QByteArray();
}


void EnsureGraphApplication() {
  if (QCoreApplication::instance() != nullptr) return;
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  static int argc = 1;
  static char name[] = "vornax-graph";
  static char* argv[] = {name, nullptr};
  // Kept for the life of the process, as an application object is.
  static QGuiApplication* app = new QGuiApplication(argc, argv);
  (void)app;
}

std::optional<GraphFileFormat> GraphFormatOf(const std::string& name) {
  std::string ext = std::filesystem::path(name).extension().string();
  std::transform(ext.begin(), ext.end(), ext.begin(), [](unsigned char ch) { return std::tolower(ch); });
  if (ext == ".bmp") return GraphFileFormat::Bmp;
  if (ext == ".png") return GraphFileFormat::Png;
  if (ext == ".svg") return GraphFileFormat::Svg;
  if (ext == ".pdf") return GraphFileFormat::Pdf;
  return std::nullopt;
}

const char* GraphExtension(GraphFileFormat format) {
  switch (format) {
    case GraphFileFormat::Bmp: return ".bmp";
    case GraphFileFormat::Png: return ".png";
    case GraphFileFormat::Svg: return ".svg";
    case GraphFileFormat::Pdf: return ".pdf";
  }
  return ".bmp";
}

namespace {

// Writes through a temporary file of its own beside the target and renames it over the target,
// so that a failure never leaves half a file or destroys the previous one, and no other file
// beside it is touched.
template <typename Write>
bool WriteReplacing(const std::filesystem::path& target, std::string& error, Write write) {
  const std::optional<std::filesystem::path> made = MakeTemporaryBeside(target, error);
  if (!made) return false;
  const std::filesystem::path& temporary = *made;
  std::error_code ec;
  if (!write(temporary.string(), error)) {
    std::filesystem::remove(temporary, ec);
    return false;
  }
  std::filesystem::rename(temporary, target, ec);
  if (ec) {
    error = ec.message();
    std::filesystem::remove(temporary, ec);
    return false;
  }
  return true;
}

bool WriteImage(const QImage& image, const std::string& path, const char* format, std::string& error) {
  if (QByteArray(format) == "BMP") {
    // A BMP has no text, but its file header has four bytes that are the writer's own
    // (readers pass over them): they carry the program's mark, so that a later run knows the
    // file as its own and may replace it, as it does a PNG by its "Software" text.
    QByteArray bytes;
    QBuffer buffer(&bytes);
    QImageWriter writer(&buffer, format);
    if (!buffer.open(QIODevice::WriteOnly) || !writer.write(image) || bytes.size() < 14) {
      error = writer.errorString().toStdString();
      return false;
    }
    bytes.replace(kBmpMarkOffset, kBmpMark.size(), kBmpMark.data(), kBmpMark.size());
    QFile file(QString::fromStdString(path));
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.flush()) {
      error = file.errorString().toStdString();
      return false;
    }
    return true;
  }
  QImageWriter writer(QString::fromStdString(path), format);
  // A PNG names its maker, so that a later run knows the file as its own and may replace it.
  if (QByteArray(format) == "PNG") writer.setText(QStringLiteral("Software"), QStringLiteral("Vornax"));
  if (writer.write(image)) return true;
  error = writer.errorString().toStdString();
  return false;
}

}  // namespace

bool ExportGraph(const GraphData& data, const GraphOptions& options, const std::string& requested,
                 std::string& written, std::string& error, GraphPicture& picture) {
  EnsureGraphApplication();
  written = GraphFileName(requested);
  const GraphFileFormat format = GraphFormatOf(written).value_or(GraphFileFormat::Bmp);
  picture = GraphPicture{};
  if (format == GraphFileFormat::Bmp || format == GraphFileFormat::Png) {
    GraphOptions bitmap = options;
    bitmap.DevicePixelRatio = 1;
    picture = DrawGraph(data, bitmap);
    if (!picture.Drawn) {
      error = picture.Message;
      return false;
    }
    const std::string name = written;
    return SaveGraphImage(picture.Image, name, written, error);
  }
  if (format == GraphFileFormat::Svg) {
    const QByteArray svg = GraphSvg(data, options, picture);
    if (svg.isEmpty()) {
      error = picture.Message;
      return false;
    }
    return WriteReplacing(written, error, [&](const std::string& path, std::string& e) {
      QFile file(QString::fromStdString(path));
      if (!file.open(QIODevice::WriteOnly) || file.write(svg) != svg.size() || !file.flush()) {
        e = file.errorString().toStdString();
        return false;
      }
      return true;
    });
  }
  // PDF: one page the size of the frame (a pixel of the frame is 3/4 of a point, as on a
  // 96-dpi screen), without margins.
  return WriteReplacing(written, error, [&](const std::string& path, std::string& e) {
    QPdfWriter pdf(QString::fromStdString(path));
    pdf.setTitle(QString::fromStdString(data.Title1));
    pdf.setCreator(QStringLiteral("Vornax"));
    pdf.setPageSize(QPageSize(QSizeF(kGraphWidth * 0.75, kGraphHeight * 0.75), QPageSize::Point,
                              QString(), QPageSize::ExactMatch));
    pdf.setPageMargins(QMarginsF(0, 0, 0, 0));
    QPainter painter;
    if (!painter.begin(&pdf)) {
      e = "the PDF file could not be made";
      return false;
    }
    FitGraphInto(painter, QRectF(0, 0, pdf.width(), pdf.height()));
    const bool drawn = PaintGraph(painter, data, options, picture);
    painter.end();
    if (!drawn) e = picture.Message;
    return drawn;
  });
}

std::string GraphFileName(const std::string& requested) {
  if (GraphFormatOf(requested)) return requested;
  std::filesystem::path p(requested);
  p.replace_extension(".bmp");
  return p.string();
}

bool SaveGraphImage(const QImage& image, const std::string& requested, std::string& written,
                    std::string& error) {
  written = GraphFileName(requested);
  const bool png = GraphFormatOf(written) == GraphFileFormat::Png;
  if (GraphFormatOf(written) != GraphFileFormat::Bmp && !png) {
    written = std::filesystem::path(written).replace_extension(".bmp").string();
  }
  return WriteReplacing(written, error, [&](const std::string& path, std::string& e) {
    return WriteImage(image, path, png ? "PNG" : "BMP", e);
  });
}

bool OpenGraphImage(const std::string& path, QImage& image, std::string& error) {
  EnsureGraphApplication();
  QImageReader reader(QString::fromStdString(path));
  reader.setDecideFormatFromContent(true);
  QImage read = reader.read();
  if (read.isNull()) {
    error = reader.errorString().toStdString();
    return false;
  }
  image = std::move(read);
  return true;
}

}  // namespace vornax
