#pragma once

#include <QColor>
#include <QImage>
#include <QWidget>

#include "text/byte_seq.h"

namespace board {

// A borderless box that fills itself with its background colour and draws its
// picture, if any, at natural size from the top left corner; whatever of the
// picture lies outside the box is cut off.
class PictureBox : public QWidget {
 public:
  PictureBox(QWidget* parent, QColor background);

  void SetPicture(const ByteSeq& png);
  const QImage& Picture() const { return picture_; }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  QColor background_;
  QImage picture_;
};

}  // namespace board
