#include "ui/minimize_window.h"

namespace board {

bool CloseWindow(WId handle) {
  QWidget* window = QWidget::find(handle);
  if (window == nullptr || !window->isWindow()) return false;
  window->showMinimized();
  return true;
}

}  // namespace board
