#include <QPainter>

#include "ui/pictures/generator/drawings.h"
#include "ui/pictures/generator/palette.h"

namespace board {
namespace {

constexpr int kSize = 30;
// The marks are 13 pixels wide, starting at column 9, so that their middle
// pixel is column 15, like the middle rows 15 and 16 of the bar.
constexpr int kMarkStart = 9;
constexpr int kMarkSize = 13;

QImage BlackSquare() {
  QImage image(kSize, kSize, QImage::Format_RGB32);
  image.fill(palette::kBlack);
  return image;
}

}  // namespace

QImage DrawCloseButton(const QColor& colour) {
  QImage image = BlackSquare();
  QPainter painter(&image);
  painter.setRenderHint(QPainter::Antialiasing, true);
  painter.setPen(QPen(colour, 2.0, Qt::SolidLine, Qt::FlatCap));
  const double near = kMarkStart + 0.7;
  const double far = kMarkStart + kMarkSize - 0.7;
  painter.drawLine(QPointF(near, near), QPointF(far, far));
  painter.drawLine(QPointF(far, near), QPointF(near, far));
  return image;
}

QImage DrawMinimizeButton(const QColor& colour) {
  QImage image = BlackSquare();
  QPainter painter(&image);
  painter.fillRect(kMarkStart, 15, kMarkSize, 2, colour);
  return image;
}

}  // namespace board
