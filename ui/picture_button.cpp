#include "ui/picture_button.h"

#include <QGuiApplication>
#include <QMouseEvent>
#include <QPainter>

#include "ui/png_to_qimage.h"

namespace board {

PictureButton::PictureButton(QWidget* parent) : QWidget(parent) {
  // Hover must be seen without a button held, so every move is wanted.
  setMouseTracking(true);
  setFocusPolicy(Qt::NoFocus);
  setAttribute(Qt::WA_OpaquePaintEvent);
}

void PictureButton::SetPicture(Slot slot, const ByteSeq& png) {
  pictures_[static_cast<int>(slot)] = PngToQImage(png);
  repaint();
}

void PictureButton::SetClickHandler(std::function<void()> handler) {
  clickHandler_ = std::move(handler);
}

const QImage& PictureButton::Picture(Slot slot) const {
  return pictures_[static_cast<int>(slot)];
}

const QImage& PictureButton::ShownPicture() const {
  const auto chosen = [this](Slot slot) -> const QImage& {
    return Picture(slot).isNull() ? Picture(Slot::Normal) : Picture(slot);
  };
  if (state_ == State::Over) return chosen(Slot::Over);
  if (state_ == State::Pressed) return chosen(Slot::Pressed);
  if (!isEnabled()) return chosen(Slot::Disabled);
  return Picture(Slot::Normal);
}

void PictureButton::paintEvent(QPaintEvent* /*event*/) {
  QPainter painter(this);
  painter.fillRect(rect(), Qt::black);
  const QImage& picture = ShownPicture();
  if (!picture.isNull()) painter.drawImage(QPoint(0, 0), picture);
}

void PictureButton::SetState(State state) {
  if (state_ == state) return;
  state_ = state;
  update();
}

// Qt keeps the mouse grabbed by the pressed widget, so moves keep arriving
// here after the pointer has left; the state follows whether it is inside.
void PictureButton::FollowMouse(const QPointF& position,
                                Qt::MouseButtons buttons) {
  if (!isEnabled()) return;
  if (!rect().contains(position.toPoint())) {
    SetState(State::Normal);
    return;
  }
  SetState((buttons & Qt::LeftButton) ? State::Pressed : State::Over);
}

void PictureButton::mousePressEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) return;
  if (isEnabled() && rect().contains(event->position().toPoint())) {
    SetState(State::Pressed);
  }
}

void PictureButton::mouseMoveEvent(QMouseEvent* event) {
  FollowMouse(event->position(), event->buttons());
}

void PictureButton::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) return;
  const bool inside = rect().contains(event->position().toPoint());
  if (!inside || !isEnabled()) {
    SetState(State::Normal);
    return;
  }
  SetState(State::Normal);
  // The handler may end the program or change this button; nothing of the
  // button is touched after it.
  const std::function<void()> handler = clickHandler_;
  if (handler) handler();
}

void PictureButton::enterEvent(QEnterEvent* event) {
  FollowMouse(event->position(), QGuiApplication::mouseButtons());
}

void PictureButton::leaveEvent(QEvent* /*event*/) { SetState(State::Normal); }

void PictureButton::changeEvent(QEvent* event) {
  if (event->type() == QEvent::EnabledChange) {
    if (!isEnabled()) state_ = State::Normal;
    update();
  }
  QWidget::changeEvent(event);
}

}  // namespace board
