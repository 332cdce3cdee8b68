#pragma once

#include <QColor>
#include <QImage>

namespace board {

// Every picture of the window is opaque 8-bit RGB; only the icon has alpha.

QImage DrawBackground();
QImage DrawNoticeBar();

enum class TabSide { kLeft, kRight };
enum class TabLook { kSelected, kUnselected };
QImage DrawTab(const QString& caption, TabSide side, TabLook look);

QImage DrawCloseButton(const QColor& colour);
QImage DrawMinimizeButton(const QColor& colour);

QImage DrawProgramIcon();

}  // namespace board
