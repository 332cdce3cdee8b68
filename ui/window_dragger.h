#pragma once

#include <QObject>
#include <QPoint>
#include <QWidget>

namespace board {

// Lets a frameless window be moved by pressing the left button on it or on
// the controls handed to Watch, as a title bar would. The platform's own move
// is used where it has one; otherwise the window follows the mouse until the
// button is released.
class WindowDragger : public QObject {
 public:
  explicit WindowDragger(QWidget& window);

  // A press on the window itself is still delivered to it after the move
  // starts; a press on a watched control is not.
  void Watch(QWidget& control);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  bool StartMove(const QPointF& globalPosition);

  QWidget& window_;
  bool followingMouse_ = false;
  QPoint grabOffset_;
};

}  // namespace board
