// ostrivane-render-icons: the application icon as the PNG files a desktop installs, drawn by the
// same painter as the window's own icon. Usage: ostrivane-render-icons OUTPUT_FOLDER SIZE...
// Writes OUTPUT_FOLDER/<SIZE>x<SIZE>/apps/org.ostrivane.Ostrivane.png for every size.
#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <cstdio>

#include "ui/Pictures.h"

namespace {

constexpr int kExitUsage = 2;
constexpr int kExitFailed = 1;
constexpr int kLargestSize = 1024;

bool RenderOne(const QString& folder, int size) {
  QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
  image.fill(Qt::transparent);
  {
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    ostrivane::PaintPicture(painter, ostrivane::Picture::Application, QRectF(0, 0, size, size));
  }
  const QString dir = QStringLiteral("%1/%2x%2/apps").arg(folder).arg(size);
  return QDir().mkpath(dir) && image.save(dir + QStringLiteral("/org.ostrivane.Ostrivane.png"));
}

}  // namespace

int main(int argc, char** argv) {
  // Runs during the build, where no display may exist.
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QGuiApplication app(argc, argv);
  const QStringList arguments = QGuiApplication::arguments();
  if (arguments.size() < 3) {
    std::fprintf(stderr, "usage: ostrivane-render-icons OUTPUT_FOLDER SIZE...\n");
    return kExitUsage;
  }
  for (const QString& text : arguments.mid(2)) {
    bool ok = false;
    const int size = text.toInt(&ok);
    if (!ok || size < 1 || size > kLargestSize) {
      std::fprintf(stderr, "ostrivane-render-icons: bad size %s\n", qPrintable(text));
      return kExitUsage;
    }
    if (!RenderOne(arguments.at(1), size)) {
      std::fprintf(stderr, "ostrivane-render-icons: cannot write the %d px icon\n", size);
      return kExitFailed;
    }
  }
  return 0;
}
