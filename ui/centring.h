#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>

namespace board {

// The top left corner that centres a window of size on screen, rounding each
// half-difference toward zero as integer division does.
QPoint CentredTopLeft(const QRect& screen, const QSize& size);

}  // namespace board
