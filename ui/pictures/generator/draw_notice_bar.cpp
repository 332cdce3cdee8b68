#include <QPainter>

#include "ui/pictures/generator/drawings.h"
#include "ui/pictures/generator/palette.h"

namespace board {

QImage DrawNoticeBar() {
  QImage image(300, 30, QImage::Format_RGB32);
  image.fill(palette::kBlack);
  QPainter painter(&image);
  painter.setRenderHint(QPainter::Antialiasing, true);
  painter.setPen(Qt::NoPen);
  painter.setBrush(palette::kNoticeBar);
  // Radius of half the height: the ends are full half circles.
  painter.drawRoundedRect(QRectF(0, 0, 300, 30), 15, 15);
  return image;
}

}  // namespace board
