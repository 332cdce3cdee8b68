#include "ui/window_dragger.h"

#include <QMouseEvent>
#include <QWindow>

namespace board {

WindowDragger::WindowDragger(QWidget& window) : window_(window) {
  window_.installEventFilter(this);
}

void WindowDragger::Watch(QWidget& control) {
  control.installEventFilter(this);
}

bool WindowDragger::StartMove(const QPointF& globalPosition) {
  QWindow* handle = window_.windowHandle();
  if (handle != nullptr && handle->startSystemMove()) return true;
  // No system move (no window manager, or a platform without one).
  followingMouse_ = true;
  grabOffset_ = globalPosition.toPoint() - window_.pos();
  return true;
}

bool WindowDragger::eventFilter(QObject* watched, QEvent* event) {
  const bool onWindow = watched == &window_;
  switch (event->type()) {
    case QEvent::MouseButtonPress: {
      auto* mouse = static_cast<QMouseEvent*>(event);
      if (mouse->button() != Qt::LeftButton) return false;
      StartMove(mouse->globalPosition());
      return !onWindow;
    }
    case QEvent::MouseMove: {
      if (!followingMouse_) return false;
      auto* mouse = static_cast<QMouseEvent*>(event);
      if (!(mouse->buttons() & Qt::LeftButton)) {
        followingMouse_ = false;
        return false;
      }
      window_.move(mouse->globalPosition().toPoint() - grabOffset_);
      return !onWindow;
    }
    case QEvent::MouseButtonRelease: {
      auto* mouse = static_cast<QMouseEvent*>(event);
      if (mouse->button() != Qt::LeftButton || !followingMouse_) return false;
      followingMouse_ = false;
      return !onWindow;
    }
    default:
      return false;
  }
}

}  // namespace board
