#pragma once

#include <QImage>
#include <QWidget>
#include <functional>

#include "text/byte_seq.h"

namespace board {

// A button drawn entirely from pictures: one for each of its states normal,
// mouse over and pressed, plus one for when it is disabled. A missing picture
// falls back to the normal one; with none at all the button is black.
class PictureButton : public QWidget {
 public:
  enum class State { Normal, Over, Pressed };
  enum class Slot { Normal, Over, Pressed, Disabled };

  explicit PictureButton(QWidget* parent);

  void SetPicture(Slot slot, const ByteSeq& png);
  void SetClickHandler(std::function<void()> handler);

  State CurrentState() const { return state_; }
  // The picture that painting uses in the current state; null for none.
  const QImage& ShownPicture() const;

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void enterEvent(QEnterEvent* event) override;
  void leaveEvent(QEvent* event) override;
  void changeEvent(QEvent* event) override;

 private:
  void SetState(State state);
  void FollowMouse(const QPointF& position, Qt::MouseButtons buttons);
  const QImage& Picture(Slot slot) const;

  QImage pictures_[4];
  State state_ = State::Normal;
  std::function<void()> clickHandler_;
};

}  // namespace board
