#include "ui/pictures/generator/lettering.h"

#include <QPainterPathStroker>
#include <QRectF>
#include <QTransform>
#include <algorithm>

namespace board {

QFont LetteringFont(const QString& family) {
  QFont font(family);
  font.setPixelSize(200);
  font.setStyleStrategy(QFont::PreferOutline);
  return font;
}

QPainterPath LetteringOutline(const QString& text, const QFont& font,
                              double weight) {
  QPainterPath outline;
  outline.addText(0, 0, font, text);
  if (weight <= 0) {
    return outline;
  }
  QPainterPathStroker stroker;
  stroker.setWidth(weight * font.pixelSize());
  stroker.setJoinStyle(Qt::RoundJoin);
  stroker.setCapStyle(Qt::RoundCap);
  return outline.united(stroker.createStroke(outline)).simplified();
}

QPainterPath FitLettering(const QPainterPath& outline,
                          const LetteringBox& box) {
  const QRectF ink = outline.boundingRect();
  // The bottom edge of the last row is last_row + 1 in painter coordinates.
  const double height = box.last_row + 1 - box.first_row;
  const double scale_y = height / ink.height();
  const double scale_x = std::min(scale_y, box.max_width / ink.width());
  QTransform fit;
  fit.translate(box.centre_x - ink.width() * scale_x / 2, box.first_row);
  fit.scale(scale_x, scale_y);
  fit.translate(-ink.left(), -ink.top());
  return fit.map(outline);
}

}  // namespace board
