#include "ui/picture_box.h"

#include <QPaintEvent>
#include <QPainter>

#include "ui/png_to_qimage.h"

namespace board {

PictureBox::PictureBox(QWidget* parent, QColor background)
    : QWidget(parent), background_(background) {
  setAttribute(Qt::WA_OpaquePaintEvent);
}

void PictureBox::SetPicture(const ByteSeq& png) {
  picture_ = PngToQImage(png);
  update();
}

void PictureBox::paintEvent(QPaintEvent* event) {
  QPainter painter(this);
  painter.fillRect(event->rect(), background_);
  if (!picture_.isNull()) painter.drawImage(QPoint(0, 0), picture_);
}

}  // namespace board
