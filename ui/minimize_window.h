#pragma once

#include <QWidget>

namespace board {

// Minimises the top-level window with this platform handle; it stays alive
// and only its taskbar entry shows. False when no such window exists.
bool CloseWindow(WId handle);

}  // namespace board
