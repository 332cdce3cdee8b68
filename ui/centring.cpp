#include "ui/centring.h"

namespace board {

// QRect::center() rounds otherwise, hence the explicit formula.
QPoint CentredTopLeft(const QRect& screen, const QSize& size) {
  return {screen.x() + (screen.width() - size.width()) / 2,
          screen.y() + (screen.height() - size.height()) / 2};
}

}  // namespace board
