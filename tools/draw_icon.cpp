// Draws the program's icon into runemill-16.png, runemill-32.png and
// runemill-48.png in the given directory. The PNG files are committed; run
// this again only when the design changes, and keep resources/runemill.svg,
// which holds the same shapes, in step:
//   cmake -S tools -B build-tools && cmake --build build-tools
//   QT_QPA_PLATFORM=offscreen build-tools/draw_icon resources

#include <QColor>
#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QRectF>
#include <cstdio>

namespace {

// In the units of the SVG's 48 × 48 view box.
constexpr double kDesignSize = 48;
constexpr double kBackgroundRadius = 6;
constexpr double kCellRadius = 1.5;
constexpr double kCellSize = 12;
constexpr double kCellOffsets[] = {3, 18, 33};

QImage DrawIcon(int size) {
  QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
  image.fill(Qt::transparent);
  QPainter painter(&image);
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setPen(Qt::NoPen);
  painter.scale(size / kDesignSize, size / kDesignSize);
  painter.setBrush(QColor(0x2e, 0x5a, 0x88));
  painter.drawRoundedRect(QRectF(0, 0, kDesignSize, kDesignSize), kBackgroundRadius,
                          kBackgroundRadius);
  for (int row = 0; row < 3; ++row) {
    for (int column = 0; column < 3; ++column) {
      const bool edited = row == 1 && column == 1;
      painter.setBrush(edited ? QColor(0xf2, 0xa3, 0x3a) : QColor(0xea, 0xf1, 0xf8));
      painter.drawRoundedRect(QRectF(kCellOffsets[column], kCellOffsets[row], kCellSize, kCellSize),
                              kCellRadius, kCellRadius);
    }
  }
  return image;
}

}  // namespace

int main(int argc, char* argv[]) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: draw_icon OUTPUT_DIRECTORY\n");
    return 2;
  }
  QGuiApplication application(argc, argv);
  const QDir directory(QString::fromLocal8Bit(argv[1]));
  for (int size : {16, 32, 48}) {
    const QString path = directory.filePath(QStringLiteral("runemill-%1.png").arg(size));
    if (!DrawIcon(size).save(path)) {
      std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
      return 1;
    }
  }
  return 0;
}
