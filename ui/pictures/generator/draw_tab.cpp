#include <QPainter>
#include <QPainterPath>

#include "ui/pictures/generator/drawings.h"
#include "ui/pictures/generator/fonts.h"
#include "ui/pictures/generator/palette.h"

namespace board {
namespace {

constexpr int kWidth = 120;
constexpr int kHeight = 30;
constexpr double kRadius = 7;

// A rectangle with only the two corners of one side rounded.
QPainterPath TabShape(const QRectF& rect, TabSide side) {
  QPainterPath rounded;
  rounded.addRoundedRect(rect, kRadius, kRadius);
  QRectF square = rect;
  if (side == TabSide::kLeft) {
    square.setLeft(rect.center().x());
  } else {
    square.setRight(rect.center().x());
  }
  QPainterPath straight;
  straight.addRect(square);
  return rounded.united(straight);
}

void DrawCaption(QPainter& painter, const QString& caption, TabLook look) {
  QFont font(fonts::kSans);
  font.setPixelSize(14);
  font.setBold(true);
  painter.setFont(font);
  painter.setPen(look == TabLook::kSelected ? palette::kTabOnText
                                            : palette::kWhite);
  painter.drawText(QRect(0, 0, kWidth, kHeight), Qt::AlignCenter, caption);
}

}  // namespace

// The outline colour edges the face, so the headers carry on the frame drawn
// on the background beneath them; the second header's left edge is the
// divider between the two.
QImage DrawTab(const QString& caption, TabSide side, TabLook look) {
  QImage image(kWidth, kHeight, QImage::Format_RGB32);
  image.fill(palette::kBlack);
  QPainter painter(&image);
  painter.setRenderHint(QPainter::Antialiasing, true);
  painter.setRenderHint(QPainter::TextAntialiasing, true);
  painter.setPen(Qt::NoPen);
  painter.setBrush(palette::kOutline);
  painter.drawPath(TabShape(QRectF(0, 0, kWidth, kHeight), side));
  painter.setBrush(look == TabLook::kSelected ? palette::kTabOnFace
                                              : palette::kTabOffFace);
  painter.drawPath(TabShape(QRectF(1, 1, kWidth - 2, kHeight - 2), side));
  DrawCaption(painter, caption, look);
  return image;
}

}  // namespace board
